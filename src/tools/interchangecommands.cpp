// openmeet-db's interchange commands: Lenex files in and out.

#include <QFileInfo>

#include "core/captureprompts.h"
#include "lenex/lenexentries.h"
#include "lenex/lenexfile.h"
#include "lenex/lenexmeet.h"
#include "lenex/lenexresults.h"
#include "meetdb/competitionload.h"
#include "meetdb/session.h"
#include "tools/tool.h"

namespace Tool {

namespace {

const char *const ImportEntriesHelp =
    R"(Usage: openmeet-db import-entries FILE CODE LENEXFILE [--dry-run]

Reads a club's Lenex entries (LENEXFILE, .lxf or .lef) into the Open or Masters meet CODE of the
meet database FILE, as "Import Entries" in the main window does. Every athlete and entry is
checked as the entry window's "Record" checks it: an event of the meet (by the event number the
file gives the entry's event, which must also have the meet's distance and stroke) for the
swimmer's sex and group, an age that fits the group or a masters letter, a club of the meet, a
real entry time. A swimmer already in the meet (same name, date of birth and club) keeps the
number and takes the new swims; a swim the swimmer has already is refused.

The summary is printed first: new entrants and their swims, swims for entrants already in the
meet, and every entry refused with its reason. Then the accepted entries are written, all in
one step, new entrants numbered as "Record" numbers them. With --dry-run nothing is written.
)";

const char *const ImportLenexHelp = R"(Usage: openmeet-db import-lenex FILE MEETFILE [--code CODE]

Adds the first meet of the Lenex file MEETFILE (.lxf or .lef) to the meet database FILE as an
"Open" meet: its name, its first session's date, the pool's lanes (lanemin must be 0 or 1: it
becomes the meet's firstlane), a group per age range ("Open" when an event has none), an event
per event and round, the clubs, every athlete as an entrant with its entries (heat and lane
where the file gives them) and every relay team as a relay entrant "CLUB n".

A final becomes an event of type FINAL; the other rounds keep their Lenex code as the event's
type, and a round that follows another is that event's final event. Rounds that share a number
are told apart by a letter (3, 3F).

The meet's code is CODE, or the file's name upper-cased, letters and digits only, at most 10
characters. Everything is written in one transaction: anything the meet cannot keep is listed
with its reason and nothing is added.
)";

const char *const ExportLenexHelp = R"(Usage: openmeet-db export-lenex FILE CODE OUT.lxf

Writes the start list of the meet CODE of the meet database FILE as a Lenex file: the meet, its
sessions and events (stroke, round, age group), its clubs, every entrant with its entries and
entry times, and where heats were made each event's heats with every entry's heat and lane as
the pool numbers it. OUT ending ".lxf" is zipped, any other name is plain XML. The file is
written under a temporary name and renamed when it is complete.
)";

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
    // "Imported 8 results in 2 events of meet CHAMPS27: 1 disqualified": the meet is named
    // before the counts of the disqualified and the non-starters.
    QString summary = report.takeLast();
    const qsizetype counts = summary.indexOf(u':');
    summary.insert(counts < 0 ? summary.size() : counts, QStringLiteral(" of meet ") + args.at(1));
    PrintLine(stdout, summary);
    for (const QString &note : std::as_const(report))
        PrintLine(stderr, note);
    return 0;
}

int ImportLenex(const Arguments &arguments)
{
    const QStringList &positional = arguments.Positional;
    const QString code = arguments.Options.value(QStringLiteral("code"));
    if (arguments.Options.isSet(QStringLiteral("code")) && code.isEmpty())
        return Fail(QStringLiteral("--code needs a meet code"));

    QStringList errors;
    QString summary;
    if (!Lenex::ImportLenexMeet(positional.at(0), positional.at(1), code, errors, &summary)) {
        for (const QString &error : std::as_const(errors))
            PrintLine(stderr, error);
        return Fail(
            QStringLiteral("no meet added to %1").arg(QFileInfo(positional.at(0)).fileName()));
    }
    PrintLine(stdout, summary);
    return 0;
}

int ExportLenex(const Arguments &arguments)
{
    const QStringList &args = arguments.Positional;
    MeetDb::Session session;
    Core::CapturePrompts prompts;
    const bool loaded = LoadMeet(args, session, prompts);
    if (!loaded)
        return Fail(QStringLiteral("no start list written"));
    QString error;
    QString summary;
    if (!Lenex::ExportStartList(session, args.at(2), &error, &summary))
        return Fail(error + QStringLiteral("; no start list written"));
    PrintLine(stdout, summary);
    return 0;
}

int ImportEntries(const Arguments &arguments)
{
    const QStringList &positional = arguments.Positional;
    const bool dryRun = arguments.Options.isSet(QStringLiteral("dry-run"));
    const QString &lenexPath = positional.at(2);

    Lenex::Document document;
    QString error;
    if (!Lenex::ReadLenexFile(lenexPath, document, &error))
        return Fail(error);

    MeetDb::Session session;
    Core::CapturePrompts prompts;
    if (!LoadMeet(positional, session, prompts))
        return Fail(QStringLiteral("no entries imported"));

    Lenex::EntriesCheck check;
    if (!Lenex::CheckLenexEntries(session, document, QFileInfo(lenexPath).fileName(), check,
                                  &error))
        return Fail(error);
    Print(stdout, check.Summary());
    if (dryRun) {
        PrintLine(stdout, QStringLiteral("Dry run: nothing was written."));
        return 0;
    }
    if (!check.HasWork())
        return Fail(QStringLiteral("no entries imported"));
    QList<int> numbers;
    if (!Lenex::WriteLenexEntries(session, check, &numbers, &error))
        return Fail(error);
    PrintLine(stdout, Lenex::ImportedMessage(check, numbers));
    return 0;
}

} // namespace

QList<Command> InterchangeCommands()
{
    return {
        {"import-lenex", ImportLenexHelp, {{"code", "CODE"}}, 2, 2, ImportLenex},
        {"export-lenex", ExportLenexHelp, {}, 3, 3, ExportLenex},
        {"import-entries", ImportEntriesHelp, {{"dry-run"}}, 3, 3, ImportEntries},
        {"import-results", ImportResultsHelp, {}, 3, 3, ImportResults},
    };
}

} // namespace Tool
