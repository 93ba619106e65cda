#pragma once

#include <QString>

namespace Core {
struct GalaState;
}

namespace MeetDb {

// Selects (EvSelected) exactly the events of a typed list such as "1,4,7-9": each part is an
// event number as the meet spells it, or a range of numbered events, both ends included. The
// other events are cleared. Returns false with `error` naming the first part that is not a
// rising range or matches no event of the meet; the selection is then left as it was.
bool SelectEventList(Core::GalaState &gala, const QString &list, QString *error);

} // namespace MeetDb
