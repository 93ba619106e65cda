#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

#include "meetday/roster.h"

namespace Core {
class Prompts;
struct GalaState;
} // namespace Core

/*
 * The lists the meet day makes from the roster: who has not handed in a card ("List Unconf",
 * "Print Unconfirmed", "Unconfirm to announcer"), the club and name lists for other programs
 * ("Clubs List", "Name List") and the check of the roster against the entry file on disk
 * ("Compare").
 *
 * The session swims of an entrant are its swims in the meet's events (the events of the loaded
 * session). An entrant is missing when it has session swims and none of them is confirmed.
 * Columns are fixed-width: a text is padded with blanks to its width, and a longer one is cut to
 * one character less followed by ">", so that a cut name can be told from a short one.
 */
namespace MeetDay {

// Messages and questions.
inline const QString NoClubsMessage = QStringLiteral("No Clubs");
inline const QString InvalidEventMessage = QStringLiteral("Invalid Event Number");
inline const QString CombinedWithMessage = QStringLiteral("This event is combined with event ");
inline const QString EnterEventQuestion = QStringLiteral("Enter Event Number");
inline const QString CheckCardsQuestion = QStringLiteral("Check Cards Entered");
inline const QString CheckEventQuestion = QStringLiteral("Check Specific Event");
inline const QString AllCompetingMessage = QStringLiteral("All entrants are competing");
inline const QString ComparisonCompleteMessage = QStringLiteral("Comparison complete");
inline const QString AnnouncerHeading =
    QStringLiteral("The following swimmers have not posted their entry cards. If you are here, "
                   "you must report to the recorders desk IMMEDIATELY.");

inline const QString ClubListName = QStringLiteral("clublist.csv");
inline const QString NameListName = QStringLiteral("namelist.csv");

// Column widths of the unconfirmed lines.
inline constexpr int NumberWidth = 5;
inline constexpr int NameWidth = 24;
inline constexpr int ClubWidth = 16;

// The club's name from the meet's club list, or `club` as it is when the list lacks it.
QString ClubNameOf(const Core::GalaState &gala, const QString &club);

// The 0-based roster rows of the missing entrants, in roster order.
QList<int> MissingEntrants(const Roster &roster, const Core::GalaState &gala);

// Number (5), name (24) and club name (16) in their columns.
QString EntrantColumns(const RosterEntrant &entrant, const Core::GalaState &gala);

// A missing entrant's line: its columns, then each session swim's event number followed by a
// blank.
QString MissingLine(const RosterEntrant &entrant, const Core::GalaState &gala);
// The event numbers of an entrant's session swims, in swim order.
QStringList SessionSwimEvents(const RosterEntrant &entrant, const Core::GalaState &gala);

// The lines of every missing entrant ("List Unconf" after "Check Cards Entered"), each ended
// by CR LF.
QString MissingList(const Roster &roster, const Core::GalaState &gala);

// The announcer's call-up: the heading and a line per missing entrant (number, name, club),
// each ended by CR LF.
QString AnnouncerMessage(const Roster &roster, const Core::GalaState &gala);

// A swim of the roster: entrant row and swim, 0-based.
struct SwimAt
{
    int Entrant = 0;
    int Swim = 0;
};
// The unconfirmed swims of the pool event `event`: those of the event in roster order, then
// those of each later event swum with it.
QList<SwimAt> UnconfirmedSwims(const Roster &roster, const Core::GalaState &gala,
                               const QString &event);

// The unconfirmed swims of the pool event `event` (the event, then the later events swum with
// it), in roster order: number (5), a blank, name (24), a blank, club name; each ended by CR LF.
QString EventUnconfirmedList(const Roster &roster, const Core::GalaState &gala,
                             const QString &event);

// Asks "Enter Event Number" (under `title`) and looks the reply up in the meet's events by its
// numeric value without leading zeros ("012" is 12). Shows "Invalid Event Number" for an event
// not in the list and "This event is combined with event 11" for a later member of a
// combination. Returns the event's number, or "" when cancelled or refused.
QString AskPoolEvent(const Core::GalaState &gala, const QString &title, Core::Prompts &prompts);

// The club list file: per club of the meet, "code","name", CR LF.
QByteArray ClubListBytes(const Core::GalaState &gala);
// The name list file: per roster entrant, number,"name","age","club","sex", CR LF.
QByteArray NameListBytes(const Roster &roster);
// A quoted text field of the two lists: a double quote inside is doubled, as spreadsheets read
// it, and a line break becomes a blank, so that a field never ends a line.
QByteArray CsvField(const QString &text);

// Writes `bytes` whole to `name` in `dir`, replacing the file. Shows a file that cannot be
// written and returns "" then; returns the path written.
QString WriteListFile(const QString &dir, const QString &name, const QByteArray &bytes,
                      Core::Prompts &prompts);

// "Compare": the entry file of the meet ("intent.vb" for "Open" and "Masters", else
// "finals.cds", whose swims carry a final rank in a "Champs" finals session), read record by
// record and compared with the roster's entrants that have swims (the file never holds the
// others), record k with the k-th of them; final ranks are not compared. Each difference is one
// message ("Entrant  3 club mismatch", numbers after a blank for their sign). A record past the
// roster stops the comparison; at the end of the file roster entrants beyond it give one
// "Record  x entry number mismatch", then "Comparison complete". A missing file is said with
// its name; a damaged one is compared as far as it reads and then its fault is said instead.
// `dir` is the gala's folder.
void CompareWithEntryFile(const Roster &roster, const Core::GalaState &gala, const QString &dir,
                          Core::Prompts &prompts);

// The path of the file "Compare" reads.
QString CompareFilePath(const Core::GalaState &gala, const QString &dir);

} // namespace MeetDay
