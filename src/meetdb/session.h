#pragma once

#include <QString>

#include "core/galastate.h"
#include "core/settings.h"
#include "meetdb/database.h"

namespace MeetDb {

// Everything one run of the program holds: the settings read at start-up, the selected
// competition and its open meet database. The windows own one Session and pass it down.
struct Session
{
    QString ProgramDir; // the work folder, where the program's files live (core/workfolder.h)
    Core::SystemSettings Settings;
    Core::GalaState Gala;
    Database MeetDb; // open while Gala.MeetDbOpen
};

} // namespace MeetDb
