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
 * meet's events whose swimmer is found in the member database (by exact name)
 * and whose entry time is slower than the personal best for the event's distance and stroke
 * takes the personal best, and the official is told of each change. The name is looked up as it
 * stands (member galas keep it surname first, as the index does) and else turned surname first.
 */
namespace MeetDay {

// Replaces slower entry times in the roster with personal bests, showing "Updated Time for Ann
// Lee From 36.00 To 35.10" for each. A swim without an entry time takes any personal best. An
// entry time equal in value to the personal best is left as it is written. Returns the number
// of times changed. Throws MeetDb::DbError when the member database cannot be read.
int UpdatePbs(Roster &roster, const Core::GalaState &gala, const Core::SystemSettings &settings,
              MeetDb::Database &memberDb, const Members::MemberIndex &index,
              Core::Prompts &prompts);

// The same with the member database at `memberDbPath` ("NONE" or "" when the club has none):
// opens it, reads its name index and updates the roster. Returns false after a message when it
// cannot be read; `changed` (when given) receives the number of times changed.
bool UpdatePbsFromFile(Roster &roster, const Core::GalaState &gala,
                       const Core::SystemSettings &settings, const QString &memberDbPath,
                       Core::Prompts &prompts, int *changed = nullptr);

} // namespace MeetDay
