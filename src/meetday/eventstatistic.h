#pragma once

#include <QString>
#include <QStringList>

// One event's line of the "Entry Statistics" window: what the meet-day window counts and the
// statistics window shows.
namespace Reports {

struct EventStatistic
{
    QString EvNumber;        // the event's label as shown
    int Entries = 0;         // swims entered in the event
    int Confirmed = 0;       // of which confirmed
    QStringList Unconfirmed; // names of the swimmers not yet confirmed, in roster order
};

} // namespace Reports
