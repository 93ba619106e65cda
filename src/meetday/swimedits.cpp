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

namespace {

// Why the entrant cannot swim `event`, or "". A boy typed into a girls' event would be seeded
// and printed among the girls, so an event of the other sex is refused; mixed events and
// entrants of no single sex (teams) take anyone.
QString SwimEventFault(const RosterEntrant &entrant, const Core::GalaState &gala,
                       const QString &event)
{
    const int index = gala.FindEvent(event);
    if (index < 0)
        return NotAnEventMessage(event);
    const QString eventSex = gala.Events.at(index).EvSex.trimmed().toUpper();
    const QString sex = entrant.Sex.trimmed().toUpper();
    const auto single = [](const QString &s) { return s == u"M" || s == u"F"; };
    if (single(eventSex) && single(sex) && eventSex != sex)
        return QStringLiteral("Event %1 is for sex %2: %3 is %4")
            .arg(event, eventSex, entrant.Name, sex);
    if (FindSwim(entrant, event) >= 0)
        return AlreadyEnteredMessage(entrant, event);
    return {};
}

} // namespace

int AddSwims(RosterEntrant &entrant, const Core::GalaState &gala, const QString &reply,
             QStringList &refused)
{
    int added = 0;
    for (const QString &event : Core::SplitWords(reply)) {
        if (const QString fault = SwimEventFault(entrant, gala, event); !fault.isEmpty()) {
            refused << fault;
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
    return SwimEventFault(entrant, gala, event);
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
