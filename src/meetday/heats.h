#pragma once

#include <optional>

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

#include "meetday/roster.h"
#include "meetday/seeding.h"

namespace Core {
class Prompts;
struct GalaState;
} // namespace Core
namespace MeetDb {
class Database;
struct Session;
} // namespace MeetDb

/*
 * "Make Heats": seeds every chosen pool event from the roster as it stands (unsaved edits
 * included) and stores the result with each swim in the meet database: "Seed Order", "Combined
 * With" (the pool event), "Time" (the entry time), cleared results, "Heat No" and "Lane No". A
 * "Champs" finals session writes a finals file per event, and stores only the final's places:
 * "Seed Order" by heat rank, "Heat No" 1 and "Lane No" for the finalists; the heat results stay. A
 * gala kept in entry files has no database to store heats in: its heats are made and shown all the
 * same, and its finals files written.
 *
 * The seeding itself is seeding.h; this file only writes it. All events of one run are written
 * in one transaction: a failure writes nothing, and the message says so.
 */
namespace MeetDay {

inline const QString ProgramCreationQuestion = QStringLiteral("Program creation?");
inline const QString OnlyConfirmedQuestion = QStringLiteral("Only confirmed entries?");

struct MakeHeatsOptions
{
    bool ProgramCreation = false; // no entry limit; finals files keep two reserves
    bool OnlyConfirmed = false;
    // Seeds this run by another method than the meet's `seeding` keyword.
    std::optional<Core::SeedingMethod> Method = std::nullopt;
};

// The pool events of a run, in event-list order: every selected event (EvSelected) that is not
// a later member of a combination.
QStringList SelectedPoolEvents(const Core::GalaState &gala);

// Seeds and writes every selected pool event, then shows the messages of each event in order
// ("Less than 6 swimmers in event 7" ...) and one message naming every event with nothing to
// seed ("No (confirmed) entries for events 4, 12"). The finals of a "Champs" finals session are
// made only where every finalist has a heat rank; the events refused are left as they were and
// named together in one NoHeatResultsMessage. Returns false when nothing was made (a failed
// write, or every event refused); `seeded` then is empty, otherwise it holds every seeded pool
// event.
bool MakeHeats(MeetDb::Session &session, const Roster &roster, const MakeHeatsOptions &options,
               Core::Prompts &prompts, QList<SeededEvent> &seeded);

// The heats stored in the meet: every swim of the meet whose "Heat No" and "Lane No" are above
// 0, by pool event ("Combined With", else its own event) in event-list order, heat and lane.
// Names and clubs come from `roster`; the time is the one the heats were seeded with. Lanes are
// positions 1..Lanes: a swim stored in a lane the pool has not (heats made before the meet's
// lanes were changed, or a file from elsewhere) is left out and counted in `outsidePool`, so
// that no lane is ever shown under a number the pool has not painted. Throws MeetDb::DbError.
QList<HeatLine> StoredHeatLines(MeetDb::Session &session, const Roster &roster,
                                int *outsidePool = nullptr);

// The heats of the heat work files in `dir` (galas kept in entry files): each pool event of the
// meet with a readable work file, split into heats and lanes as "Make Heats" splits a seeded
// list. Events without a file, or with a damaged one, are left out; so is everything in a pool
// whose width the heats are not made for.
QList<HeatLine> WorkFileHeatLines(const Core::GalaState &gala, const QString &dir);

// The heats of the meet as the "Heats" view shows them: StoredHeatLines with the meet database,
// else WorkFileHeatLines of the work directory (the program's folder when it has none). Throws
// MeetDb::DbError. `outsidePool` as for StoredHeatLines.
QList<HeatLine> MeetHeatLines(MeetDb::Session &session, const Roster &roster,
                              int *outsidePool = nullptr);

// Writes the seeded events to the open meet database in one transaction. Throws
// MeetDb::DbError; the transaction is then rolled back.
void WriteSeededEvents(MeetDb::Database &db, const QString &meetCode,
                       const QList<SeededEvent> &events);

// "No heat results for event 12: import the results first", or "No heat results for events 3,
// 7, 12: ..." for several.
QString NoHeatResultsMessage(const QStringList &events);

// The finals file of a "Champs" finals session: the number of finalists, then one line per
// finalist from the last qualifier to the best ("12","5","Ann Lee","01/02/10","35.10",-1).
// `lanes` finalists, two more as reserves when the programme is being created, never more than
// the event list holds.
QByteArray FinalsFileBytes(const SeededEvent &seeded, int lanes, bool programCreation);
// "wk12-f.vb" for event 12.
QString FinalsFileName(const QString &event);

} // namespace MeetDay
