#pragma once

#include "meetday/roster.h"

namespace Core {
class Prompts;
}
namespace MeetDb {
struct Session;
}

namespace Windows {

class PrintOutput;

// The meet-day window's "Start List" for the selected events: the heats are read as the "Heats"
// view reads them (names and clubs from the roster as it stands), then sent to the output.
void RunStartList(MeetDb::Session &session, const MeetDay::Roster &roster, Core::Prompts &prompts,
                  PrintOutput &output);

} // namespace Windows
