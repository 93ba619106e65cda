#pragma once

#include <QString>

namespace Core {
class Prompts;
struct GalaState;
} // namespace Core

/*
 * The age of a swimmer on the meet's qualifying date, and the age group it gives: one of the
 * meet's group options for open meets, a masters letter for masters meets.
 */
namespace Entries {

// True when `dob` can be a swimmer's date of birth: a real date ("31/02/2015" is not), and for
// every kind of meet but "Masters" not after today. A masters date after today is a two-digit
// year read into the wrong century, which the masters age corrects.
bool IsBirthDate(const Core::GalaState &gala, const QString &dob);

// Whole years from `birth` to `qualDate` (both date texts): (Q - D) / 10000 on the yyyymmdd
// numbers, truncated toward zero. A swimmer is a year older on the birthday itself. A text that
// is not a date counts as 0, so callers check the birth date first.
int AgeOnQualDate(const QString &birth, const QString &qualDate);

// The same quotient without truncation, used for members picked by short name.
double ExactAgeOnQualDate(const QString &birth, const QString &qualDate);

// The open-meet group walk: the 0-based index of the first group whose description does not
// start with "U/", or whose "U/n" limit is above `age`; -1 when no group fits.
int OpenAgeGroup(const Core::GalaState &gala, double age);

// What leaving the date-of-birth box decides.
struct AgeResult
{
    bool Valid = true;     // false: "Date is invalid" was shown; focus back to the box
    int GroupIndex = -1;   // open meets with age groups: the group option to select, or -1
    QString MastersGroup;  // masters meets: the letter for the AgeGroup label ("" when refused)
    bool ClearDob = false; // masters: too young, the date of birth box is emptied
    QString Info;          // masters: the "Age on ..." line for the Info box
};

// Leaving the date-of-birth box of an "Open" meet: an empty text does nothing; an invalid date
// shows "Date is invalid"; with AgeGroups the group walk runs ("Out of age groups for this
// event" when nothing fits).
AgeResult OpenMeetAge(const Core::GalaState &gala, const QString &dob, Core::Prompts &prompts);

// Leaving the date-of-birth box of a "Masters" meet: the age, corrected by a hundred years with
// "Check age!" when negative, the "Age on ..." line, and the masters letter ("0" for 19 to 24
// when Junior, "A" for 25 to 29 ... "P" for 95 and over, no "I"), with "Too Young for Event" and
// "Too Young for Masters" refusals.
AgeResult MastersAge(const Core::GalaState &gala, const QString &dob, Core::Prompts &prompts);

// The masters age on the qualifying date: whole years, with a negative age (a two-digit year
// read into the next century) recomputed from the year a hundred years back; `corrected` tells
// whether that happened.
int MastersAgeOnQualDate(const Core::GalaState &gala, const QString &dob, bool *corrected);

// The masters letter for an age, "" when too young (Junior allows 19 to 24 as "0").
QString MastersLetter(int age, bool junior);

// A member picked by short name: the group walk on the unrounded age, with no message. Returns
// -1 without walking when AgeGroups is off or the member's date of birth is empty, blanks (the
// member file's "       ") or not a date; -1 also when no group fits.
int MemberAgeGroup(const Core::GalaState &gala, const QString &memberDob);

// Leaving the date-of-birth box of any kind of meet: OpenMeetAge for "Open", MastersAge for
// "Masters"; the other kinds only check that a non-empty text is a date ("Date is invalid").
AgeResult DobLeft(const Core::GalaState &gala, const QString &dob, Core::Prompts &prompts);

} // namespace Entries
