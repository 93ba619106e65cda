#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

#include "meetday/seeding.h"

namespace Core {
struct GalaState;
} // namespace Core

/*
 * The heat work files of a gala kept in entry files: what "Programme" and the exports write for
 * each pool event into the work directory, and what the programme pages, the "Heats" view and
 * other programs read back.
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
