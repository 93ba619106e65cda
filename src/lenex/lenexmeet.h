#pragma once

#include <functional>

#include <QList>
#include <QString>
#include <QStringList>

#include "entries/entrywriter.h"
#include "lenex/lenexmodel.h"
#include "meetdb/meetimport.h"

namespace Core {
class Prompts;
}
namespace MeetDb {
class Database;
struct Session;
} // namespace MeetDb

/*
 * A whole meet taken from a Lenex file into the meet database, and a meet's start list given out
 * as Lenex.
 *
 * The import has the two steps of every import: PlanLenexMeet turns the document into the rows
 * of a new "Open" meet without touching a database, refusing whatever the meet cannot keep, and
 * WriteLenexMeet writes the plan in one transaction. How the two models meet:
 *
 *   - the pool's lanes are painted lanemin..lanemax; the meet keeps the count in "Lanes" and
 *     lanemin (0 or 1) as its firstlane keyword, and every lane as a position 1..Lanes;
 *   - an age range becomes a group whose description the meet can read back: "Open", "U/12"
 *     (ages up to 11), "13 & over", "11-12"; the Lenex name is its printed heading;
 *   - a round becomes the event's "Event Type": a timed final none, a final "FINAL" (seeded and
 *     printed as a final), any other round its Lenex code ("PRE", "SEM" ...); a round that
 *     follows another is that event's "Final Event"; rounds that share a number are numbered
 *     with a letter after the first ("3", "3F");
 *   - an event for everyone (Lenex "A", or no gender) is a mixed event "X", which takes either
 *     sex; it goes back out as "A", or "X" for a relay;
 *   - every session's number goes to the events' "session", its date to their "Event Date";
 *   - an athlete is an entrant "First Last" with the date of birth as yyyy-mm-dd; a relay team
 *     is a relay entrant "CLUB n" entered under its first event's group, as a relay card is;
 *     entrants are numbered in athlete id order, relay teams last, and the export gives each
 *     athlete its entrant number as its id, so a start list keeps its numbers in a new meet.
 *
 * The export builds the document from the meet database: one SESSION per session number, the
 * events with their round and age group, the clubs, every entrant with its swims, and where heats
 * were made each event's HEATs and every ENTRY's heat and painted lane.
 */
namespace Lenex {

// One swim's place in a start list, as positions of the meet.
struct PlannedPlace
{
    int Entrant = 0; // index into LenexMeetPlan::Entrants
    QString EventNumber;
    int Heat = 0; // 0: no heat given
    int Lane = 0; // position 1..Lanes; 0: none given
};

struct LenexMeetPlan
{
    MeetDb::MeetDefinition Meet;
    QList<Entries::EntrantRecord> Entrants; // with their swims, in file order
    QList<PlannedPlace> Places;
    int Swims = 0;
};

// Reports at most this many refusals, then a count of the rest.
inline constexpr int MaxReportedRefusals = 100;

// The first step: the first MEET of `document` as a new meet. `name` names the file in the
// refusals ("name: club DUNW, athlete Zoe Ashby: ..."). Returns false with every refusal in
// `errors` when anything cannot be kept; nothing is then worth writing.
bool PlanLenexMeet(const Document &document, const QString &name, LenexMeetPlan &plan,
                   QStringList &errors);

// Writes the plan under `code` into the session's open meet database in one transaction, the
// entrants numbered and written as "Record" writes them. `session.Gala` becomes the new meet.
// Throws MeetDb::DbError (nothing written) when the code is taken or any statement fails.
void WriteLenexMeet(MeetDb::Session &session, const QString &code, const LenexMeetPlan &plan);

// The whole import-lenex: reads `lenexPath`, plans it and writes it into the meet database at
// `dbPath` under `code` ("" for MeetDb::DefaultMeetCode of the Lenex file's name). Returns false
// with the reasons in `errors`; the database is then unchanged. `summary` receives one line
// saying what was added.
bool ImportLenexMeet(const QString &dbPath, const QString &lenexPath, const QString &code,
                     QStringList &errors, QString *summary = nullptr);

// The start list of the loaded meet (`session.Gala` and its open meet database). Throws
// MeetDb::DbError when the database cannot be read.
Document StartListDocument(MeetDb::Session &session);

// Writes StartListDocument to `path` through WriteLenexFile. Returns false with `error` set.
// `summary` receives one line saying what was written.
bool ExportStartList(MeetDb::Session &session, const QString &path, QString *error,
                     QString *summary = nullptr);

// "Export Start List" of the meet-day window: refuses a meet kept in entry files, then runs
// `saveFirst` (the window saves its roster, so that the file holds what the official sees; false
// stops the command), asks for the file (".lxf" added when no Lenex ending is given) and writes
// it. Refusals are shown through `prompts`; returns the status line to show, "" when nothing
// was written.
QString ExportStartListCommand(MeetDb::Session &session, Core::Prompts &prompts,
                               const std::function<bool()> &saveFirst);

} // namespace Lenex
