#pragma once

#include <optional>

#include <QList>
#include <QString>
#include <QStringList>

#include "meetday/roster.h"
#include "meetday/seeding.h"

namespace Core {
class Prompts;
}
namespace MeetDb {
struct Session;
}

/*
 * "Export" and "Export All": the chosen pool events are seeded as for the programme and written
 * where the results programs read them: seeds (and programme references) in the meet database,
 * the heat work files of the work directory without one, or the finals files in a "Champs"
 * finals session. Nothing is printed.
 */
namespace MeetDay {

inline const QString NoConfirmedEntriesShort = QStringLiteral("No (confirmed) entries");

// Whether "Export All" (re)writes the programme references: yes, unless the meet renumbers,
// a programme has numbered its swims before, and the user keeps those numbers. Throws
// MeetDb::DbError.
bool AskAssignNumbers(MeetDb::Session &session, Core::Prompts &prompts);

// Seeds and writes each pool event of `events` (leads or events not combined), all in one
// transaction of the meet database. Returns the number of swims listed per event (0 for none,
// or for an event skipped), or nothing when the database refused: its message was shown and
// nothing was written. Messages of the seeding (an event too big to seed) are shown.
std::optional<QList<int>> ExportPoolEvents(MeetDb::Session &session, const Roster &roster,
                                           const QStringList &events, const SeedOptions &options,
                                           bool assignNumbers, Core::Prompts &prompts);

} // namespace MeetDay
