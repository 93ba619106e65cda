#include "meetday/swimlineroster.h"

#include <algorithm>
#include <limits>

#include <QHash>
#include <QPair>

#include "core/galastate.h"
#include "entries/entrywriter.h"

namespace MeetDay {

namespace {

using EntrantKey = QPair<QString, QString>; // name key, date

// "M" or "F" from the line's event; "" when the event is mixed or not in the meet.
QString SexOfEvent(const Core::GalaState &gala, const QString &event)
{
    const int index = gala.FindEvent(event);
    if (index < 0)
        return {};
    const QString sex = gala.Events.at(index).EvSex;
    return sex == QLatin1String("M") || sex == QLatin1String("F") ? sex : QString();
}

} // namespace

Roster RosterFromSwimLines(const QList<Entries::SwimLine> &lines, const Roster &day,
                           const Core::GalaState &gala)
{
    Roster roster = day;
    QHash<EntrantKey, QList<qsizetype>> rowsOf;
    QList<QList<bool>> taken; // per roster row and swim: a line has taken it
    int highest = 0;
    for (qsizetype row = 0; row < roster.size(); ++row) {
        rowsOf[{roster.at(row).Name, roster.at(row).Age}].append(row);
        taken.append(QList<bool>(roster.at(row).Swims.size(), false));
        highest = std::max(highest, roster.at(row).EntrantNumber);
    }

    for (const Entries::SwimLine &line : lines) {
        QList<qsizetype> &rows = rowsOf[{line.MemberKey, line.Date}];
        bool matched = false;
        for (qsizetype row : std::as_const(rows)) {
            const QList<RosterSwim> &swims = roster.at(row).Swims;
            for (qsizetype s = 0; s < swims.size() && !matched; ++s) {
                if (!taken[row][s] && swims.at(s).EventNumber == line.EventNumber)
                    matched = taken[row][s] = true;
            }
            if (matched)
                break;
        }
        if (matched)
            continue;

        if (rows.isEmpty()) {
            RosterEntrant entrant;
            // A crafted day file holding the largest number must not make the next overflow.
            highest = highest < std::numeric_limits<int>::max() ? highest + 1 : highest;
            entrant.EntrantNumber = highest;
            entrant.Name = line.MemberKey;
            entrant.Club = Entries::HomeClubCode;
            entrant.Age = line.Date;
            rows.append(roster.size());
            roster.append(entrant);
            taken.append(QList<bool>());
        }
        const qsizetype row = rows.first();
        RosterEntrant &entrant = roster[row];
        if (entrant.Sex.isEmpty())
            entrant.Sex = SexOfEvent(gala, line.EventNumber);
        RosterSwim swim;
        swim.EventNumber = line.EventNumber;
        swim.EntryTime = line.EntryTime.isEmpty() ? NoTime : line.EntryTime;
        entrant.Swims.append(swim);
        taken[row].append(true);
    }
    return roster;
}

QList<Entries::SwimLine> SwimLinesOfRoster(const Roster &roster)
{
    QList<Entries::SwimLine> lines;
    for (const RosterEntrant &entrant : roster) {
        for (const RosterSwim &swim : entrant.Swims) {
            Entries::SwimLine line;
            line.EventNumber = swim.EventNumber;
            line.MemberKey = entrant.Name;
            line.Date = entrant.Age;
            line.EntryTime = swim.EntryTime == NoTime ? QString() : swim.EntryTime;
            lines.append(line);
        }
    }
    return lines;
}

} // namespace MeetDay
