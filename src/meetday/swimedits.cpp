#include "meetday/swimedits.h"

#include "core/galastate.h"
#include "core/textutil.h"
#include "entries/entrywriter.h"

namespace MeetDay {

QString NotAnEventMessage(const QString &event)
{
    return QStringLiteral("Event %1 is not an event of this meet").arg(event);
}

QString AlreadyEnteredMessage(const RosterEntrant &entrant, const QString &event)
{
    return QStringLiteral("%1 is already entered in event %2").arg(entrant.Name, event);
}

QString RemoveSwimQuestion(const RosterEntrant &entrant, const QString &event)
{
    return QStringLiteral("Remove %1's swim in event %2?").arg(entrant.Name, event);
}

int FindSwim(const RosterEntrant &entrant, const QString &event)
{
    for (int s = 0; s < entrant.SwimCount(); ++s) {
        if (entrant.Swims.at(s).EventNumber == event)
            return s;
    }
    return -1;
}

bool RemoveSwim(RosterEntrant &entrant, int index)
{
    if (index < 0 || index >= entrant.SwimCount())
        return false;
    entrant.Swims.removeAt(index);
    return true;
}

int AddSwims(RosterEntrant &entrant, const Core::GalaState &gala, const QString &reply,
             QStringList &refused)
{
    int added = 0;
    for (const QString &event : Core::SplitWords(reply)) {
        if (gala.FindEvent(event) < 0) {
            refused << NotAnEventMessage(event);
            continue;
        }
        if (FindSwim(entrant, event) >= 0) {
            refused << AlreadyEnteredMessage(entrant, event);
            continue;
        }
        RosterSwim swim;
        swim.EventNumber = event;
        swim.EntryTime = NoTime;
        swim.CombinedWith = Entries::CombinedWith(gala, event);
        entrant.Swims.append(swim);
        ++added;
    }
    return added;
}

QString MoveSwimFault(const RosterEntrant &entrant, const Core::GalaState &gala, int index,
                      const QString &event)
{
    if (index < 0 || index >= entrant.SwimCount() || entrant.Swims.at(index).EventNumber == event)
        return {};
    if (gala.FindEvent(event) < 0)
        return NotAnEventMessage(event);
    if (FindSwim(entrant, event) >= 0)
        return AlreadyEnteredMessage(entrant, event);
    return {};
}

bool MoveSwim(RosterEntrant &entrant, const Core::GalaState &gala, int index, const QString &event,
              QString *error)
{
    if (index < 0 || index >= entrant.SwimCount()) {
        *error = QStringLiteral("%1 has no swim %2").arg(entrant.Name).arg(index + 1);
        return false;
    }
    *error = MoveSwimFault(entrant, gala, index, event);
    if (!error->isEmpty())
        return false;
    RosterSwim &swim = entrant.Swims[index];
    swim.EventNumber = event;
    swim.CombinedWith = Entries::CombinedWith(gala, event);
    return true;
}

} // namespace MeetDay
