#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

#include "meetday/heatworkfiles.h"
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
 * What the programme run writes for each pool event, before anything is printed: the seeds and
 * programme references ("Progref") of the swims in the meet database, or, for a gala kept in
 * entry files, the heat work files (heatworkfiles.h).
 */
namespace MeetDay {

inline const QString RenumberQuestion = QStringLiteral(
    "You have previously created a programme for this event, do you want to recreate the "
    "programme and overwrite the old competitor numbers [YES}], or retain the existing numbers "
    "[NO].");
inline const QString CopiesQuestion = QStringLiteral("How many copies?");

// Whether any swim of the meet already has a programme reference above 0 ("Swims for 1 Meet").
// Throws MeetDb::DbError.
bool ProgrammeNumbersExist(MeetDb::Database &db, const QString &meetCode);

// Writes one seeded pool event for the programme: each swim of its events listed at place k
// gets "Seed Order" k, each swim left out "Seed Order", "Heat No" and "Lane No" 0; all get the
// pool event as "Combined With", the entry time as "Time" and cleared results. With
// `assignNumbers` "Progref" becomes k, or the list's length + 1 for a swim left out. Throws
// MeetDb::DbError; the caller holds the transaction.
void WriteProgrammeEvent(MeetDb::Database &db, const QString &meetCode, const SeededEvent &seeded,
                         bool assignNumbers);

// Seeds the pool event `event` for the programme (no entry limit) from the roster and writes
// it: in a "Champs" finals session its finals file (none, after NoHeatResultsMessage, when a
// finalist has no heat rank); without the meet database its heat work files in the work
// directory (after "Load disk for event ..." when that is a floppy drive; No skips the event);
// with it the seeds and, with `assignNumbers`, the programme references (WriteProgrammeEvent;
// the caller holds the transaction). Returns the number of swims listed, 0 when none or when
// the event was skipped; `seeded`, when given, receives the seeding. Shows a file that cannot
// be written, or why an event too big to seed was refused (`seeded` then is Refused), and
// returns 0; throws MeetDb::DbError. The exports seed with `programCreation` off: the event's
// maximum entries then apply.
int MakeProgrammeEvent(MeetDb::Session &session, const Roster &roster, const QString &event,
                       bool onlyConfirmed, bool assignNumbers, Core::Prompts &prompts,
                       SeededEvent *seeded = nullptr, bool programCreation = true);

// Whether the work directory is a floppy drive ("a:", "A:", "b:", "B:"): the files of each
// event are then asked for disk by disk.
bool IsFloppyDrive(const QString &dir);

} // namespace MeetDay
