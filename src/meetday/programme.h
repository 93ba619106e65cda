#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

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
 * entry files, the heat work files of the work directory that the programme pages and other
 * programs read.
 *
 * Heat work file ("wk12.vb", or "wkc12.vb" for the lead of events swum together): the number of
 * swimmers on the first line, then per swimmer in seeded order (slowest first) the line
 * "number","event","name","age","time",-1 and, except in a "Champs" meet, a line with the
 * quoted club. The number is the entrant number, or the swimmer's place in the list when the
 * meet renumbers. A combined lead also gets "wk<event>.vb" for every event of its group (the
 * lead included): the swims of that event only, in list order, always under entrant numbers.
 * Lines end CR LF.
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

// "wk12.vb", or "wkc12.vb" with `combinedLead`.
QString HeatWorkFileName(const QString &event, bool combinedLead);
// The heat work file of a pool event, and the file of one event of a combined group.
QByteArray HeatWorkFileBytes(const SeededEvent &seeded, const Core::GalaState &gala);
QByteArray MemberWorkFileBytes(const SeededEvent &seeded, const QString &memberEvent,
                               const Core::GalaState &gala);

// One swimmer of a heat work file.
struct WorkFileSwim
{
    QString Number; // the entrant number, or the place in the list when the meet renumbers
    QString Event;
    QString Name;
    QString Age;
    QString Time;
    bool ToSwim = true;
    int Points = 0; // "Graded" galas only
    QString Club;   // not in a "Champs" meet's files
};

// Reads a heat work file; a "Graded" gala's records carry the points after the flag. Returns
// false with `error` naming the file (and the line, for a damaged one) when it cannot be read
// whole; `swims` is then empty, so that half an event is never taken for the whole.
bool ReadHeatWorkFile(const QString &path, bool graded, QList<WorkFileSwim> &swims, QString *error);

// Writes the heat work file of the pool event into `dir`, and for a combined lead the file of
// every event of its group. Each file is written whole or not at all. Returns false with
// `error` naming the file that could not be written (files written before it stay).
bool WriteHeatWorkFiles(const SeededEvent &seeded, const Core::GalaState &gala, const QString &dir,
                        QString *error);

// A text field of the files written on the day: in double quotes, a double quote inside turned
// into a single one and line ends dropped, so that the field cannot end early.
QByteArray QuotedField(const QString &text);

// Whether an event number can be part of a file name (letters and digits only): the number
// comes from a file or database made elsewhere and must not lead a path out of its folder.
bool SafeEventFileName(const QString &event);

} // namespace MeetDay
