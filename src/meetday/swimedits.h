#pragma once

#include <QString>
#include <QStringList>

#include "meetday/roster.h"

namespace Core {
struct GalaState;
}

/*
 * Swims scratched, added and moved on the day, on one roster entrant. The meet-day window's
 * "Del" / "Add" buttons and event-number boxes and `openmeet-db swims` all come here, so that a
 * swim changed either way ends up the same.
 *
 * A swim that is added or moved always takes the pool event of its new number ("Combined
 * With"), exactly as a swim recorded by the entry window does: a swim left with the pool event
 * of its old number would be seeded with the new event but printed under the old one.
 */
namespace MeetDay {

inline const QString AddSwimTitle = QStringLiteral("Add");
inline const QString AddSwimQuestion = QStringLiteral("Enter event number");

// "Event 99 is not an event of this meet"
QString NotAnEventMessage(const QString &event);
// "Ann Lee is already entered in event 3"
QString AlreadyEnteredMessage(const RosterEntrant &entrant, const QString &event);
// "Remove Ann Lee's swim in event 3?"
QString RemoveSwimQuestion(const RosterEntrant &entrant, const QString &event);

// The 0-based index of the entrant's swim in `event`, or -1.
int FindSwim(const RosterEntrant &entrant, const QString &event);

// Removes swim `index`; the later swims move up one place. An entrant may be left with none.
// Returns false (and changes nothing) for an index that is no swim.
bool RemoveSwim(RosterEntrant &entrant, int index);

// Appends one swim per word of `reply` (words split at blanks): unconfirmed, without an entry
// time ("9:99.99"), with no meet-specific text and the pool event of its number. A word that is
// not an event of the meet, an event for the other sex, or an event the entrant has already
// (given twice in the reply included), is refused with a message in `refused`; the other words are
// added all the same. Returns the number of swims added.
int AddSwims(RosterEntrant &entrant, const Core::GalaState &gala, const QString &reply,
             QStringList &refused);

// Why swim `index` cannot move to `event`: an event that is not the meet's, one for the other
// sex, or one the entrant already swims. "" when it can (also when `event` is the swim's own).
QString MoveSwimFault(const RosterEntrant &entrant, const Core::GalaState &gala, int index,
                      const QString &event);

// Moves swim `index` to `event` with that event's pool event. Returns false with `error` set
// (see MoveSwimFault), and the swim unchanged, when it cannot move.
bool MoveSwim(RosterEntrant &entrant, const Core::GalaState &gala, int index, const QString &event,
              QString *error);

} // namespace MeetDay
