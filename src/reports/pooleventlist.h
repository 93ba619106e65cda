#pragma once

#include <QList>
#include <QString>

/*
 * The swims of one pool event in the order they are printed: every programme page is drawn from
 * one of these. It is read from the meet database (the seeded order of "Make Heats" or of the
 * programme run, swims not seeded after them) or, for a gala without the meet database, from
 * the event's heat work file.
 */
namespace Core {
class Prompts;
}
namespace MeetDb {
class Database;
}

namespace Reports {

inline const QString NoInputFileMessage = QStringLiteral("No Input File for Event");

struct PoolEventRow
{
    QString Event; // the event this swim belongs to; a pool event may carry combined events
    QString Label; // the competitor number as printed, before any reserve mark
    QString EntrantNumber;
    QString Name;
    QString Age;
    QString Time; // "" when none is held
    bool Confirmed = false;
    int Points = 0;
    QString Club;
    QString Notes;
    QString MeetSpecific;
    int Progref = 0;
};
using PoolEventList = QList<PoolEventRow>;

// The swims of the pool event from the saved query "Entrants for 1 Pool Event", in the query's
// order. With `altClubCode` the club is the club's name from the meet's club table where there
// is one. Throws MeetDb::DbError.
PoolEventList LoadPoolEventList(MeetDb::Database &db, const QString &meetCode, const QString &event,
                                bool altClubCode);

// The swims of a heat work file or a finals file (see meetday/heatworkfiles.h for the layout) into
// `list`. A file that cannot be read, is larger than Core::MaxDayFileBytes, or is damaged (its
// count does not match the records that follow, a record is not whole) gives false with `error`
// naming the file and the line, and an empty `list`: half an event is never printed as if it
// were the whole.
bool ReadHeatsFile(const QString &path, const QString &galaType, PoolEventList &list,
                   QString *error);

// The same for the programme pages: a missing file shows "No Input File for Event", a damaged
// one its message; either way the list comes back empty.
PoolEventList LoadHeatsFileList(const QString &path, const QString &galaType,
                                Core::Prompts &prompts);

} // namespace Reports
