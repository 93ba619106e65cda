#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

#include "meetday/eventstatistic.h"

namespace Core {
class Prompts;
struct GalaState;
} // namespace Core
namespace MeetDb {
struct Session;
}

/*
 * The meet-day roster: every entrant of the competition with its swims, held in memory while the
 * meet-day window is open. It is read from the meet database ("Meet Swim Record") or, without
 * one, from the gala's entry file, changed in memory by the window's commands, and written back
 * only on request (SaveRoster, or one entrant with SaveRosterEntrant).
 *
 * There is no fixed capacity: a meet holds as many entrants, and an entrant as many swims, as
 * the database or the file gives.
 */
namespace MeetDay {

// The program modes: amending entries, or the day of the competition itself.
inline const QString ModeEntries = QStringLiteral("Entries");
inline const QString ModeMeetDay = QStringLiteral("Meet Day");

// The entry time of a swim without one, and the reserve mark of "Meet Specific".
inline const QString NoTime = QStringLiteral("9:99.99");
inline const QString ReserveMark = QStringLiteral("(Res)");

// Messages.
inline const QString NoSwimsMessage = QStringLiteral("No swims/entries for this meet");
inline const QString NoEntrantMessage = QStringLiteral("Serious error .. cannot find entrant");

struct RosterSwim
{
    QString EventNumber;
    QString EntryTime; // a time text; "9:99.99" for none
    bool Confirmed = false;
    int FinalRank = 0;    // rank in the heats, in a "Champs" finals session; above Lanes: reserve
    QString CombinedWith; // meet database only
    QString MeetSpecific; // meet database only; "(Res)" marks a reserve

    bool operator==(const RosterSwim &) const = default;
};

struct RosterEntrant
{
    int EntrantNumber = 0;
    QString Name;
    QString Club;
    QString RegNo;
    QString Age; // age-group text (masters) or date of birth text
    QString Sex;
    QList<RosterSwim> Swims; // SwimCount = Swims.size()

    int SwimCount() const { return int(Swims.size()); }
    bool operator==(const RosterEntrant &) const = default;
};

using Roster = QList<RosterEntrant>;

// The entry files of a competition held without the meet database.
struct RosterFiles
{
    QString Load;       // the file the roster is read from
    QString Save;       // the file it is written to
    QString Backup;     // the previous contents of Save after a save
    bool LoadFinalRank; // each swim of Load carries a final rank
    bool SaveFinalRank; // each swim written carries a final rank
    // The entry window's intent.vb of a gala that records one line per swim, read together with
    // Load and rewritten after each save (swimlineroster.h); "" for the other galas.
    QString SwimLines;
    QString SwimLinesBackup; // intent.BAK
};

// intent.vb (backup intent.BAK) for "Open" and "Masters" and for a one-card "Champs" heats
// session; finals.cds (backup finals.bak) otherwise. A one-card "Champs" meet outside its heats
// session is read from intent.vb but saved to finals.cds; once finals.cds, its new contents or
// its backup exist it is read from there, so that the work saved on the day is what comes back.
// Swims of finals.cds carry a final rank in the "FINALS" session of a "Champs" meet. The galas
// whose entry window writes one line per swim read that intent.vb with finals.cds, except in a
// "Champs" finals session, whose finals.cds holds the finalists only. `dir` is the gala's folder.
RosterFiles RosterFilesFor(const Core::GalaState &gala, const QString &dir);

enum class LoadResult {
    Loaded, // the roster holds the competition's entrants
    Empty,  // nothing to load ("No swims/entries for this meet" shown)
    Failed, // the source could not be read whole; the message was shown
};

// Fills `roster` from the meet database when it is open, else from the entry file. Rows of one
// entrant are gathered under one entrant even when the source does not give them together.
// An entry file missing after a save stopped half-way is put back first, and the load says so
// (Entries::RecoverEntryFile); when it cannot be, the load fails.
// A damaged file or database shows its message and gives Failed, with the roster empty: a
// roster read in part must not be saved over the whole.
LoadResult LoadRoster(MeetDb::Session &session, Core::Prompts &prompts, Roster &roster);

// In the finals session of a "Champs" meet held in the meet database: each swim's final rank
// becomes its rank in the heats, the "Position" the heat results gave it (0 for none). Other
// meets and sessions are left alone. Throws MeetDb::DbError.
void ReadFinalRanks(MeetDb::Session &session, Roster &roster);

// Writes the whole roster back. Meet database: in one transaction, every entrant's details and
// swims (SaveRosterEntrant's rule for each); a failure writes nothing and shows the reason.
// Entry file: every entrant with swims, in roster order; the previous file becomes the backup
// (an older backup is removed first), and the new contents are on the disk in full before the
// old file is touched. A roster with nothing to write is refused while the file, its new
// contents or its backup hold entries. Returns true when everything was written.
bool SaveRoster(MeetDb::Session &session, const Roster &roster, Core::Prompts &prompts);

// Called, when set, by an entry-file save between its two renames: the moment where a stop
// leaves the file missing beside its new contents and its backup. The kill tests stop a save
// there; the program never sets it.
inline void (*BetweenRenamesHook)() = nullptr;

// Writes one entrant to the open meet database in its own transaction. An entrant with no swims
// is removed with its swims. Otherwise its details are updated ("Serious error .. cannot find
// entrant" when it is not in "Entrant Table"; its swims are still written), each stored swim is
// matched by event number and updated, stored swims not in the roster are deleted and roster
// swims not stored are added. Returns false after showing a failure.
bool SaveRosterEntrant(MeetDb::Session &session, const RosterEntrant &entrant,
                       Core::Prompts &prompts);

// ---- Commands on the roster ------------------------------------------------------------------

// The 0-based row of the entrant with this number, or -1.
int FindEntrant(const Roster &roster, int entrantNumber);
// The first row whose number is above `entrantNumber`, in roster order, or -1.
int NextEntrant(const Roster &roster, int entrantNumber);
// The first row whose name contains `part` (case-sensitive; "" matches the first row), or -1.
int FindEntrantByName(const Roster &roster, const QString &part);

// Orders the swims by the numeric value of their event numbers, keeping the order of equal ones.
void SortSwims(RosterEntrant &entrant);

// Sets Confirmed of every swim whose event is in the meet's event list; swims of other events
// are left as they are. Returns the number of swims in those events.
int SetAllConfirmed(Roster &roster, const Core::GalaState &gala, bool confirmed);
// Confirms every swim of one entrant. Returns the number of swims.
int ConfirmEntrant(RosterEntrant &entrant);
// Reads a list of entrant numbers such as "1,4,7-9" (blanks allowed around the parts) into
// `numbers`, each number once, in the order first listed. Returns false with `error` naming the
// part that is not a number or a rising range of numbers, or when the parts name more than
// 100000 numbers in all.
bool ParseEntrantList(const QString &text, QList<int> &numbers, QString *error);
// Removes the reserve mark "(Res)" from every swim. Returns the number of swims changed.
int ClearReserves(Roster &roster);

// For each event of the meet, in event-list order: its swims in the roster, how many are
// confirmed, and the names of the swimmers not yet confirmed. Swims of other events are not
// counted.
QList<Reports::EventStatistic> EventStatistics(const Roster &roster, const Core::GalaState &gala);
// "Total Entries :  12 | Confirmed :  5": each number after a blank for its sign.
QString EntrySummaryText(const Roster &roster, const Core::GalaState &gala);

// The check-in log: per entrant with a swim in the meet's events, "number,name,sex," then each
// such swim's event number, "(R)" for a reserve (final rank above Lanes), and ",". CR LF ends.
QByteArray CheckinLogBytes(const Roster &roster, const Core::GalaState &gala);
inline const QString CheckinLogName = QStringLiteral("checklist.csv");

// The event's description: distance, "m" and the stroke's name ("100m Freestyle"); "" for an
// event not in the list.
QString EventDescription(const Core::GalaState &gala, const QString &evNumber);

} // namespace MeetDay
