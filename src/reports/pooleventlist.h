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

// The swims of a heat work file (see meetday/programme.h for its layout). A missing file shows
// "No Input File for Event"; a damaged one shows a message naming the file and the line. Either
// way the list comes back empty: half an event is never printed as if it were the whole.
PoolEventList LoadHeatsFileList(const QString &path, const QString &galaType,
                                Core::Prompts &prompts);

} // namespace Reports
