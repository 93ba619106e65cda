#pragma once

#include <functional>
#include <optional>

#include <QString>

#include "entries/entrywriter.h"

namespace Core {
struct GalaState;
}

/*
 * The checks an entrant passes before it is written, shared by the entry window's "Record" and
 * by the CSV import, so that a file can never put in what the window would refuse.
 *
 * CheckEntrant returns the first fault it finds. A fault is either a refusal (the entrant is
 * not written) or a question that the window asks and the import refuses: an unknown club, or a
 * swimmer entered already. The window answers a question by setting the matching flag and
 * checking again, so the checks after the question still run.
 */
namespace Entries {

// The box a refused entrant sends the operator to.
enum class EntryField { None, FullName, ClubName, IntDob, EntryTime };

// The questions a check may ask instead of refusing.
enum class EntryQuestion { None, UnknownClub, Duplicate };

// Why a swim was refused, for callers that word the refusal their own way (an import's report).
enum class SwimRefusal { None, NoEvent, Final, WrongSex, WrongGroup, TooOld, InvalidTime };

struct EntryFault
{
    QString Text; // the message or the question; "" when the entrant may be written
    EntryQuestion Question = EntryQuestion::None; // None: a refusal
    EntryField Field = EntryField::None;
    int Swim = -1;                           // a swim's refusal: the index into the record's swims
    SwimRefusal Refusal = SwimRefusal::None; // set for a swim's refusal

    bool IsFault() const { return !Text.isEmpty(); }
};

inline const QString InvalidTimeText = QStringLiteral("Invalid Time");
inline const QString DateInvalidText = QStringLiteral("Date is invalid");
inline const QString UnknownClubQuestion =
    QStringLiteral("Club not recognised - still make change?");

struct EntrantToCheck
{
    // As it is to be written. The check puts the club code into capitals, a date in the age
    // field into its stored form (StoredDate) and the typed times into theirs ("35.5" becomes
    // "35.50", "nt" "NT").
    EntrantRecord Record;
    QString Dob;                // the date of birth given, "" when none
    int Group = -1;             // the 0-based group the entrant is entered in; -1 for any it fits
    bool TypedTimes = true;     // times typed by a person (strict), not read from the member file
    bool ClubConfirmed = false; // "Club not recognised ..." answered Yes
    bool DuplicateConfirmed = false; // "... is already entered ..." answered Yes
};

// The number of an entrant of the meet that the record repeats, 0 when none: for members the
// same name, for other swimmers the same name and the same date of birth (or masters letter).
using FindEntrantFn = std::function<int(const EntrantRecord &record)>;

// Checks, in this order: the name's and the club code's length and characters; the date of
// birth (a real date, not in the future); the masters letter; each swim (an event of the meet,
// not a final, for the entrant's sex and group, a group whose "U/n" the swimmer is young enough
// for, a strict entry time); then the questions, an unknown club and an entrant already in the
// meet. Relay teams are not looked for as duplicates.
EntryFault CheckEntrant(const Core::GalaState &gala, EntrantToCheck &entrant,
                        const FindEntrantFn &findEntrant);

// A typed entry time in its stored form: "" stays "", "NT" in any case becomes "NT", a time is
// read strictly (Core::TypedTimeToSeconds) and written "1:05.30"; std::nullopt when it is not a
// time.
std::optional<QString> NormaliseTypedTime(const QString &text);

// A date of birth (or entry date) in the form the meet database stores it, yyyy-mm-dd, however
// it was typed ("3.4.2014" and "03/04/14" are both 2014-04-03); a text that is not a date (a
// masters letter, a relay's group) is returned as it stands.
QString StoredDate(const QString &text);
// The same date as the entry files keep it: "dd/mm/yy", the form the meet day and the member
// file use, or "dd/mm/yyyy" when a two-digit year would be read back as another century (a
// swimmer born 1930 would become 2030). A text that is not a date is returned as it stands.
QString EntryFileDate(const QString &text);

// The age field in the form that tells two swimmers of one name apart: a date as yyyy-mm-dd
// (so "5/3/10" and "05/03/2010" are one), any other text (a masters letter) trimmed and in small
// letters.
QString AgeFieldKey(const QString &age);
// True when the two age fields make two entrants of one name the same swimmer.
bool SameAgeField(const QString &a, const QString &b);

// "Zoe Ashby is already entered as number 12. Enter again?"
QString DuplicateQuestion(const QString &name, int number);

} // namespace Entries
