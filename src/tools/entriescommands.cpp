// openmeet-db's entries commands: entries from a CSV file, and entry times from the members'
// personal bests.

#include <QCoreApplication>

#include "core/captureprompts.h"
#include "core/sysparams.h"
#include "entries/entryimport.h"
#include "meetday/mastersconfirmform.h"
#include "meetday/roster.h"
#include "meetday/updatepbs.h"
#include "meetdb/competitionload.h"
#include "meetdb/session.h"
#include "tools/tool.h"

namespace Tool {

namespace {

const char *const AddEntriesHelp = R"(Usage: openmeet-db add-entries FILE CODE CSVFILE

Adds the entrants and swims of CSVFILE to the meet CODE of the meet database FILE, numbered and
written exactly as the entry window's "Record" writes them. The first line of CSVFILE is a
header; lines starting "#" are comments; every other line is one entrant:

  Kind,Name,Club,Sex,Age,Regno,Events
  I,Zoe Ashby,ASHB,F,05/03/16,123456,11=35.50 12=1:02.30 13=NT

Kind is I (a swimmer of an open or masters meet; Age is the date of birth, or the masters
age-group letter), R (a masters relay team; Age is the relay's group name) or M (a club member
of a member gala; Name forename first, Age the date of birth). Events are blank-separated
event=time pairs, each event once; the time may be empty or NT. A field holding a comma is quoted ("Smith, Jo").

Every entrant is checked as the entry window's "Record" checks it: real dates of birth, events
of the meet for the entrant's sex and group, an age that fits the group, strict entry times.
What the window would ask about is refused: a club that is not one of the meet's, and a swimmer
already entered (same name and date of birth, or masters letter). Every refused line is
reported as "file:line: reason" and nothing is added.
)";

const char *const UpdatePbsHelp = R"(Usage: openmeet-db update-pbs FILE CODE [--members MEMBERFILE]

Runs "Update PBs" of the meet-day window on the meet CODE of the meet database FILE: every entry
time slower than the swimmer's personal best in the member database (found by name) becomes the
personal best, and the entries are saved. Each change is printed as the window shows it
("Updated Time for Ann Lee From 36.00 To 35.10").

The member database is MEMBERFILE, or the one the program uses (pbsystem.ini beside it, else
pbsys.mdb there). The personal-best events are those of pbsystem.ini.
)";

int AddEntries(const Arguments &arguments)
{
    const QStringList &args = arguments.Positional;
    MeetDb::Session session;
    Core::CapturePrompts prompts;
    const bool loaded = LoadMeet(args, session, prompts);
    if (!loaded)
        return Fail(QStringLiteral("no entries added"));

    QStringList errors;
    int written = 0;
    const bool ok = Entries::ImportEntriesCsv(session, args.at(2), errors, &written);
    for (const QString &error : std::as_const(errors))
        PrintLine(stderr, error);
    if (!ok)
        return Fail(QStringLiteral("no entries added"));
    PrintLine(stdout, QStringLiteral("Added %1 entrants to meet %2").arg(written).arg(args.at(1)));
    return 0;
}

int UpdatePbs(const Arguments &arguments)
{
    const QStringList &positional = arguments.Positional;
    const QString members = arguments.Options.value(QStringLiteral("members"));

    MeetDb::Session session;
    Core::CapturePrompts prompts;
    auto report = [&](FILE *stream) {
        for (const QString &message : std::as_const(prompts.Messages))
            PrintLine(stream, message);
        prompts.Messages.clear();
    };
    Core::ReadSystemParams(QCoreApplication::applicationDirPath(), session.Settings, prompts);
    const bool loaded =
        MeetDb::LoadMeetByCode(session, positional.at(0), positional.at(1), prompts);
    report(stderr);
    if (!loaded)
        return Fail(QStringLiteral("no entry times changed"));
    session.Gala.ProgramMode = MeetDay::ModeMeetDay;
    MeetDay::Roster roster;
    const MeetDay::LoadResult result = MeetDay::LoadRoster(session, prompts, roster);
    report(stderr);
    if (result != MeetDay::LoadResult::Loaded)
        return Fail(QStringLiteral("no entry times changed"));

    int changed = 0;
    const bool updated = MeetDay::UpdatePbsFromFile(
        roster, session.Gala, session.Settings,
        members.isEmpty() ? session.Settings.DbFile : members, prompts, &changed);
    if (!updated) {
        report(stderr);
        return Fail(QStringLiteral("no entry times changed"));
    }
    report(stdout);
    if (changed > 0 && !MeetDay::SaveRoster(session, roster, prompts)) {
        report(stderr);
        return Fail(QStringLiteral("no entry times changed"));
    }
    PrintLine(
        stdout,
        QStringLiteral("Changed %1 entry times in meet %2").arg(changed).arg(positional.at(1)));
    return 0;
}

} // namespace

QList<Command> EntriesCommands()
{
    return {
        {"add-entries", AddEntriesHelp, {}, 3, 3, AddEntries},
        {"update-pbs", UpdatePbsHelp, {{"members", "MEMBERFILE"}}, 2, 2, UpdatePbs},
    };
}

} // namespace Tool
