#pragma once

#include <optional>

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

// The leading number of a text: blanks, an optional sign, digits, an optional point and digits
// (".5" is 0.5). 0 when the text has none; the rest of the text is ignored.
double LeadingNumber(QStringView text);

// "1:05.30", "1.05.30", "1;05.30" and "1-5" give minutes and seconds; "65.3" is plain seconds;
// "NT" and "" give 0. The minutes separator is the first ":", else ";", else "-", else "." when
// the text holds two points. Any text is safe: garbage gives its leading number or 0.
float TimeToSeconds(QStringView text);

// A time as an official types it into an entry box, read strictly: [minutes ":"] seconds
// ["." hundredths], digits only, with one or two digits after the point, the seconds under 60
// when minutes are given, and more than 0 and at most 3600 s in all. Blanks round the time are
// allowed. Returns std::nullopt for anything else ("1:75.00", "abc", "35.50abc", "1.2.3", a
// lone blank, "NT"): a typing slip is refused rather than read as some other time. Files keep
// TimeToSeconds.
std::optional<float> TypedTimeToSeconds(QStringView text);

// 65.3 gives "1:05.30"; 0, and any time under half a hundredth, gives ""; more than 3600 (or less
// than 0, or NaN) shows "Invalid Time" and gives "". The time is rounded to hundredths before it is
// split into minutes, so 119.999 gives "2:00.00".
QString SecondsToTime(float seconds, Prompts &prompts);
// The same rule without a message: "" for 0 and for an invalid time.
QString SecondsToTimeQuiet(float seconds);

// Reads a date day first: "d/m/yy", "d/m/yyyy", "d-m-yy", "d.m.yyyy", "d mmm yyyy", "d-mmm-yy",
// "1 Jan '09" and the compact "ddmmmyy"; a month name is English, any case, three letters or more
// of it ("Mar", "march"). Year first with a four-digit year ("2010-03-05") is read too. Returns
// an invalid QDate for anything else and for days that do not exist (31/02/10, 00/01/10).
// `currentYear` places two-digit years (see above); 0 means this year.
QDate ParseDate(QStringView text, int currentYear = 0);
bool IsDate(QStringView text);

// The date as "dd/mm/yy"; a text that is not a date shows "Invalid Date" and gives "". A text of
// exactly seven characters without "/" or "'" must be the compact "ddmmmyy" form.
QString NormaliseDate(const QString &text, Prompts &prompts);

// A date text with "/" becomes "ddmmmyy" ("05Mar10"). A six-digit "ddmmyy" text is reformatted
// when its month digits are 1 to 12 and its day digits 1 to 31; otherwise the result is seven
// blanks. A text with "/" that is not a date, and any other text, also gives seven blanks.
QString DateToDdMmmYy(const QString &text);

// The date as the number yyyymmdd, 0 when it is not a date.
int DateNumber(QStringView text);

// Completed years on `reference` of a swimmer born on `birth`. An empty birth date gives 100.
// A negative age (a two-digit year read into the wrong century) has 100 added and is confirmed
// with the question "Confirm age: 91" (the age after a blank); "No" gives -1. A text that is not
// a date counts as 0. A birth date of blanks only counts as empty.
int AgeOnDate(const QString &reference, const QString &birth, Prompts &prompts);

} // namespace Core
