#include "meetday/updatepbs.h"

#include "core/galastate.h"
#include "core/prompts.h"
#include "core/settings.h"
#include "core/textutil.h"
#include "core/timeutil.h"
#include "meetday/seeding.h"
#include "members/memberdb.h"

namespace MeetDay {

int UpdatePbs(Roster &roster, const Core::GalaState &gala, const Core::SystemSettings &settings,
              MeetDb::Database &memberDb, const Members::MemberIndex &index, Core::Prompts &prompts)
{
    int changed = 0;
    for (RosterEntrant &entrant : roster) {
        const int position = index.FindIndexEntry(Core::SurnameFirst(entrant.Name), 0);
        if (position == 0)
            continue;
        // Read once the entrant has a swim that needs it.
        bool read = false;
        bool found = false;
        Members::Member member;
        for (RosterSwim &swim : entrant.Swims) {
            const int event = gala.FindEvent(swim.EventNumber);
            if (event < 0)
                continue;
            if (!read) {
                read = true;
                found = Members::ReadMember(memberDb, index.RecordId(position), member, prompts);
            }
            if (!found)
                break;
            const Core::GalaEvent &info = gala.Events.at(event);
            const int column = Members::PbColumn(settings, info.EvDistance, info.EvStroke);
            const QString best = column > 0 ? member.PbTime(column) : QString();
            const float bestSeconds = Core::TimeToSeconds(best);
            if (best.isEmpty() || best == swim.EntryTime || !(bestSeconds > 0))
                continue;
            if (!IsNoTime(swim.EntryTime) && Core::TimeToSeconds(swim.EntryTime) <= bestSeconds)
                continue;
            prompts.Message(QStringLiteral("Updated Time for %1 From %2 To %3")
                                .arg(entrant.Name, swim.EntryTime, best));
            swim.EntryTime = best;
            ++changed;
        }
    }
    return changed;
}

} // namespace MeetDay
