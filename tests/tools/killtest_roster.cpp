#include <csignal>
#include <cstdio>

#include <QCoreApplication>
#include <QStringList>

#include "core/captureprompts.h"
#include "core/galastate.h"
#include "meetday/roster.h"
#include "meetdb/session.h"

// A writer for the kill test to stop: the roster of an open meet kept in the entry file
// DIR/intent.vb is loaded, every swim confirmed, and the roster saved back as "Save All" saves
// it. With --stop-between-renames the save kills itself between its two renames, where a crash
// or a power cut would stop it.
namespace {

const char *const Usage = "Usage: killtest-roster DIR [--stop-between-renames]\n";

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    const QStringList args = QCoreApplication::arguments().mid(1);
    const bool stop = args.size() == 2 && args.at(1) == QLatin1String("--stop-between-renames");
    if (args.size() != 1 && !stop) {
        std::fputs(Usage, stderr);
        return 2;
    }
    if (stop)
        MeetDay::BetweenRenamesHook = [] { std::raise(SIGKILL); };

    MeetDb::Session session;
    session.ProgramDir = args.at(0);
    session.Gala.GalaType = Core::GalaOpen;
    session.Gala.GalaDir = args.at(0);
    session.Gala.UseMeetDb = false;
    Core::CapturePrompts prompts;
    MeetDay::Roster roster;
    bool saved = MeetDay::LoadRoster(session, prompts, roster) == MeetDay::LoadResult::Loaded;
    if (saved) {
        for (MeetDay::RosterEntrant &entrant : roster)
            MeetDay::ConfirmEntrant(entrant);
        saved = MeetDay::SaveRoster(session, roster, prompts);
    }
    for (const QString &message : std::as_const(prompts.Messages))
        std::fprintf(stderr, "%s\n", qPrintable(message));
    return saved ? 0 : 1;
}
