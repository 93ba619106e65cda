#pragma once

#include "meetday/roster.h"

namespace Core {
class Prompts;
struct GalaState;
struct SystemSettings;
} // namespace Core
namespace MeetDb {
class Database;
}
namespace Members {
class MemberIndex;
}

/*
 * "Update PBs": entry times from the club's personal bests. Every roster swim in one of the
 * meet's events whose swimmer is found in the member database (by name, surname first, exact)
 * and whose entry time is slower than the personal best for the event's distance and stroke
 * takes the personal best, and the official is told of each change.
 */
namespace MeetDay {

// Replaces slower entry times in the roster with personal bests, showing "Updated Time for Ann
// Lee From 36.00 To 35.10" for each. A swim without an entry time takes any personal best. An
// entry time equal in value to the personal best is left as it is written. Returns the number
// of times changed. Throws MeetDb::DbError when the member database cannot be read.
int UpdatePbs(Roster &roster, const Core::GalaState &gala, const Core::SystemSettings &settings,
              MeetDb::Database &memberDb, const Members::MemberIndex &index,
              Core::Prompts &prompts);

} // namespace MeetDay
