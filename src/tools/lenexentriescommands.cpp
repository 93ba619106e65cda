#include "tools/lenexentriescommands.h"

#include <cstdio>

#include <QFileInfo>

#include "core/captureprompts.h"
#include "lenex/lenexentries.h"
#include "lenex/lenexfile.h"
#include "meetdb/competitionload.h"
#include "meetdb/session.h"

namespace Tools {

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

namespace {

void PrintText(FILE *stream, const QString &text)
{
    std::fputs(text.toLocal8Bit().constData(), stream);
}

int Fail(const QString &message)
{
    PrintText(stderr, QStringLiteral("openmeet-db: %1\n").arg(message));
    return 1;
}

} // namespace

int ImportEntries(const QStringList &args)
{
    QStringList positional = args;
    const bool dryRun = positional.removeAll(QStringLiteral("--dry-run")) > 0;
    if (positional.size() != 3 || positional.at(2).startsWith(u'-')) {
        std::fputs(ImportEntriesHelp, stderr);
        return 2;
    }
    const QString &meetCode = positional.at(1);
    const QString &lenexPath = positional.at(2);

    Lenex::Document document;
    QString error;
    if (!Lenex::ReadLenexFile(lenexPath, document, &error))
        return Fail(error);

    MeetDb::Session session;
    Core::CapturePrompts prompts;
    const bool loaded = MeetDb::LoadMeetByCode(session, positional.at(0), meetCode, prompts);
    for (const QString &message : std::as_const(prompts.Messages))
        PrintText(stderr, QStringLiteral("%1: %2\n").arg(meetCode, message));
    if (!loaded)
        return Fail(QStringLiteral("no entries imported"));

    Lenex::EntriesCheck check;
    if (!Lenex::CheckLenexEntries(session, document, QFileInfo(lenexPath).fileName(), check,
                                  &error))
        return Fail(error);
    PrintText(stdout, check.Summary());
    if (dryRun) {
        PrintText(stdout, QStringLiteral("Dry run: nothing was written.\n"));
        return 0;
    }
    if (!check.HasWork())
        return Fail(QStringLiteral("no entries imported"));
    QList<int> numbers;
    if (!Lenex::WriteLenexEntries(session, check, &numbers, &error))
        return Fail(error);
    PrintText(stdout, Lenex::ImportedMessage(check, numbers) + u'\n');
    return 0;
}

} // namespace Tools
