// openmeet-db's interchange commands: Lenex files in and out.

#include "core/captureprompts.h"
#include "lenex/lenexfile.h"
#include "lenex/lenexresults.h"
#include "meetdb/competitionload.h"
#include "meetdb/session.h"
#include "tools/tool.h"

namespace Tool {

namespace {

const char *const ImportResultsHelp = R"(Usage: openmeet-db import-results FILE CODE LENEXFILE

Runs "Import Results" of the meet-day window: reads the heat results of the Lenex file LENEXFILE
(.lxf or .lef) into the meet CODE of the meet database FILE. Each swimmer is found among the
meet's entrants by name, club and date of birth (and registration number when both have one);
each swim gets its "Time", "DQ" (disqualified, or "DNF" as the reason for a swimmer who did not
finish), "DNS" (did not start, sick or withdrawn) and "Position", its rank in the event by time:
equal times share a rank, and the disqualified and non-starters have none (0). Swims of an event
in the file that have no result in it lose any earlier rank. Relay results are left out.

A result for a swimmer or an event that is not in the meet, or for a swim the swimmer is not
entered in, is listed with its reason on the standard error and nothing is imported. The finals
session of a "Champs" meet seeds its finals from these ranks (make-heats).
)";

int Refuse(const QStringList &lines)
{
    for (const QString &line : lines)
        PrintLine(stderr, line);
    PrintLine(stderr, QStringLiteral("openmeet-db: no results imported"));
    return 1;
}

int ImportResults(const Arguments &arguments)
{
    const QStringList &args = arguments.Positional;
    MeetDb::Session session;
    Core::CapturePrompts prompts;
    const bool loaded = MeetDb::LoadMeetByCode(session, args.at(0), args.at(1), prompts);
    QStringList messages;
    for (const QString &message : std::as_const(prompts.Messages))
        messages << args.at(1) + QStringLiteral(": ") + message;
    if (!loaded)
        return Refuse(messages);
    for (const QString &message : std::as_const(messages))
        PrintLine(stderr, message);

    Lenex::Document document;
    QString error;
    if (!Lenex::ReadLenexFile(args.at(2), document, &error))
        return Refuse({error});
    QStringList report;
    if (!Lenex::ImportResults(session, document, report))
        return Refuse(report);
    PrintLine(stdout, report.takeLast() + QStringLiteral(" of meet ") + args.at(1));
    for (const QString &note : std::as_const(report))
        PrintLine(stderr, note);
    return 0;
}

} // namespace

QList<Command> InterchangeCommands()
{
    return {
        {"import-results", ImportResultsHelp, {}, 3, 3, ImportResults},
    };
}

} // namespace Tool
