#pragma once

#include <QDate>
#include <QString>

/*
 * Swim times, dates and ages.
 *
 * A swim time is single-precision seconds, 0 meaning no time. Its text form is minutes without a
 * leading zero, ":", then seconds with two digits before and after the point; below a minute the
 * seconds alone ("1:05.30", "45.20").
 *
 * Dates are kept as the text the user or a file gave. They are read day first. A two-digit year
 * is placed in the hundred years that end ten years after the current year: in 2026 that is 1937
 * to 2036, so a swimmer born in '09 is 2009 and a masters swimmer born in '52 is 1952, while
 * next season's gala dates stay in this century. Four-digit years are taken as written.
 */
namespace Core {

class Prompts;

// The leading number of a text, 0 when it has none (leading blanks are skipped).
double LeadingNumber(QStringView text);

// "1:05.30", "1.05.30", "1;05.30" and "1-5" give minutes and seconds; "65.3" is plain seconds;
// "NT" and "" give 0.
float TimeToSeconds(QStringView text);

// 65.3 gives "1:05.30"; 0 gives ""; more than 3600 (or less than 0) shows "Invalid Time" and
// gives "".
QString SecondsToTime(float seconds, Prompts &prompts);
// The same rule without a message: "" for 0 and for an invalid time.
QString SecondsToTimeQuiet(float seconds);

// Reads a date day first: "d/m/yy", "d/m/yyyy", "d-m-yy", "d.m.yyyy", "d mmm yyyy", and the
// compact "ddmmmyy". Returns an invalid QDate for anything else. `currentYear` places two-digit
// years (see above); 0 means this year.
QDate ParseDate(QStringView text, int currentYear = 0);
bool IsDate(QStringView text);

// The date as "dd/mm/yy"; a text that is not a date shows "Invalid Date" and gives "".
QString NormaliseDate(const QString &text, Prompts &prompts);

// A date text with "/" becomes "ddmmmyy" ("05Mar10"). A six-digit "ddmmyy" text is reformatted
// when its month digits are 1 to 12; otherwise the result is seven blanks. A text with "/" that
// is not a date also gives seven blanks.
QString DateToDdMmmYy(const QString &text);

// The date as the number yyyymmdd, 0 when it is not a date.
int DateNumber(QStringView text);

// Completed years on `reference` of a swimmer born on `birth`. An empty birth date gives 100.
// A negative age (a two-digit year read into the wrong century) has 100 added and is confirmed
// with "Confirm age:" and the age; "No" gives -1. A text that is not a date counts as 0.
int AgeOnDate(const QString &reference, const QString &birth, Prompts &prompts);

} // namespace Core
