#include "meetday/finals.h"

#include <algorithm>

namespace MeetDay {

void PlaceFinal(SeededEvent &seeded, int lanes)
{
    seeded.Heats.clear();
    for (qsizetype k = 0; k < seeded.List.size(); ++k)
        seeded.Heats.append({seeded.List.at(k), int(k + 1), true, 0, 0});
    const int finalists = int(std::min<qsizetype>(seeded.List.size(), lanes));
    // One heat, placed as a final: the heat's order is the rank order, best first.
    const std::array<int, MaxPoolLanes> slot = PlaceLanes(1, 1, 1, finalists, lanes, true);
    seeded.HeatCount = 0;
    for (int lane = 1; lane <= std::min(lanes, MaxPoolLanes); ++lane) {
        const int position = slot[size_t(lane - 1)];
        if (position == 0)
            continue;
        seeded.Heats[position - 1].HeatOf = 1;
        seeded.Heats[position - 1].LaneOf = lane;
        seeded.HeatCount = 1;
    }
    seeded.SplitHeatCount = seeded.HeatCount;
}

} // namespace MeetDay
