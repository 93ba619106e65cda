// The entry file the meet-day window loads its roster from when the gala has no meet database:
// intent.vb of an open meet, and finals.cds, with final ranks, in a championship's finals.
// A file is loaded whole or not at all: a roster read in part must never be saved over it.

#include <QDir>
#include <QSet>

#include "core/captureprompts.h"
#include "fuzzinput.h"
#include "meetday/roster.h"
#include "meetdb/session.h"

namespace {

void Load(MeetDb::Session &session, const uint8_t *data, size_t size)
{
    const MeetDay::RosterFiles files = MeetDay::RosterFilesFor(session.Gala, session.ProgramDir);
    Fuzz::InputFile(data, size, QDir(Fuzz::Folder()).relativeFilePath(files.Load));
    Core::CapturePrompts prompts;
    MeetDay::Roster roster;
    const MeetDay::LoadResult result = MeetDay::LoadRoster(session, prompts, roster);
    Fuzz::Check((result == MeetDay::LoadResult::Loaded) == !roster.isEmpty(),
                "a roster loaded empty, or refused with entrants");
    Fuzz::Check(result == MeetDay::LoadResult::Loaded || prompts.Messages.size() == 1,
                "a roster not loaded without one message");
    QSet<int> numbers;
    for (const MeetDay::RosterEntrant &entrant : std::as_const(roster)) {
        Fuzz::Check(!numbers.contains(entrant.EntrantNumber), "an entrant twice in the roster");
        numbers.insert(entrant.EntrantNumber);
    }
}

MeetDb::Session &Session(const QString &galaType, const QString &folder)
{
    static MeetDb::Session sessions[2];
    MeetDb::Session &session = sessions[galaType == Core::GalaOpen ? 0 : 1];
    if (session.ProgramDir.isEmpty()) {
        session.ProgramDir = QDir(Fuzz::Folder()).filePath(folder);
        session.Gala.GalaType = galaType;
        session.Gala.SessionTitle = QStringLiteral("FINALS");
    }
    return session;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    Load(Session(Core::GalaOpen, QStringLiteral("open")), data, size);
    Load(Session(Core::GalaChamps, QStringLiteral("finals")), data, size);
    return 0;
}
