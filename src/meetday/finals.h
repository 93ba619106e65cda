#pragma once

#include "meetday/seeding.h"

namespace MeetDay {

// The final of a "Champs" finals session from its list in rank order (`seeded.List`, best
// first): the best `lanes` swimmers swim heat 1, the best in the middle lane and the others
// outwards from it as a fast heat is placed; the rest are the reserves, after them in rank order
// and without a lane. Heats, HeatCount and SplitHeatCount are replaced.
void PlaceFinal(SeededEvent &seeded, int lanes);

} // namespace MeetDay
