#pragma once

#include <QString>
#include <QStringList>

#include "core/galastate.h"
#include "meetday/seeding.h"

/*
 * What the officials read of the heats: the seeding method about to run or in force, and each
 * swimmer's heat and lane. Inside the heats, the meet database and the heat work files a lane
 * is its position 1..Lanes; what is shown, printed or listed here is the number painted on the
 * pool (Core::PrintedLane), so that a pool numbered 0 to 9 reads 0 to 9 everywhere.
 */
namespace MeetDay {

// "club seeding", "standard seeding", "circle seeding".
QString SeedingCaption(Core::SeedingMethod method);

// "Make Heats - standard seeding": the status line while "Make Heats" asks its questions, so
// that the official sees which rule is about to run before answering.
QString MakeHeatsTitle(const Core::GalaState &gala);

// The heading of the "Heats" view: the meet's method and the numbers of its lanes ("Standard
// seeding, lanes 0 to 9"). With `outsidePool` above 0 it adds how many stored swims were left
// out for a lane the pool has not (heats made before the meet's lanes were changed).
QString HeatsHeading(const Core::GalaState &gala, int outsidePool = 0);

// A row of the "Heats" view: event, heat, lane as painted on the pool, name, club, entry time.
QStringList HeatLineCells(const Core::GalaState &gala, const HeatLine &line);

// A line of `openmeet-db make-heats`: event, heat, lane as painted on the pool, entrant number,
// name and entry time, separated by tabs.
QString HeatLineText(const Core::GalaState &gala, const HeatLine &line);

} // namespace MeetDay
