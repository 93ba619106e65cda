#pragma once

#include <QList>
#include <QString>
#include <QStringList>

#include "entries/entryfiles.h"
#include "meetday/roster.h"

namespace Core {
struct GalaState;
}

/*
 * The roster of a gala whose entry window writes one line per swim (intent.vb in the swim
 * layout: event, member name key, date, entry time): the member galas, and a "Champs" meet
 * without one card outside its finals session. Those lines know no entrant numbers, clubs,
 * sexes or confirmations, so the day keeps its own record of them in finals.cds (entrant
 * blocks) and the roster is read from both files:
 *
 *   - Every line of intent.vb is an entry of the entrant with that name and date.
 *   - finals.cds, when there, gives each entrant its number, club and sex and each swim its
 *     entry time and confirmation as the day left them. Each line is taken by the first swim of
 *     its entrant and event that no line has taken yet.
 *   - A line that no swim takes is an entry recorded since the day last saved: it joins its
 *     entrant, unconfirmed. A new entrant gets the number after the highest, the home club, and
 *     the sex of its events.
 *   - A swim of finals.cds that no line takes is kept too: an entry is never dropped because
 *     the two files disagree.
 *
 * Saving writes finals.cds and then rewrites intent.vb from the roster, still in the swim
 * layout, so that the two agree again: the entry window goes on appending to intent.vb, and a
 * correction made on the day (an event, a time, a name) is what both files hold.
 */
namespace MeetDay {

// The roster from the entry window's lines and the day's roster read from finals.cds (empty
// when there is none), by the rules above.
Roster RosterFromSwimLines(const QList<Entries::SwimLine> &lines, const Roster &day,
                           const Core::GalaState &gala);

// The lines of intent.vb for the roster: one per swim, entrants and swims in roster order, the
// name and the age field as name key and date, and no time written as "".
QList<Entries::SwimLine> SwimLinesOfRoster(const Roster &roster);

} // namespace MeetDay
