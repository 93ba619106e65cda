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
    QString ProgramDir; // the folder that holds the executable; the program's files live there
    Core::SystemSettings Settings;
    Core::GalaState Gala;
    Database MeetDb; // open while Gala.MeetDbOpen
};

} // namespace MeetDb
