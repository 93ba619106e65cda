#include "tools/lenexcommands.h"

#include <cstdio>

#include <QFileInfo>
#include <QString>

#include "core/captureprompts.h"
#include "lenex/lenexmeet.h"
#include "meetdb/competitionload.h"
#include "meetdb/session.h"

namespace Tools {

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

namespace {

void PrintLine(FILE *stream, const QString &text)
{
    std::fputs((text + QLatin1Char('\n')).toLocal8Bit().constData(), stream);
}

int Fail(const QString &message)
{
    PrintLine(stderr, QStringLiteral("openmeet-db: ") + message);
    return 1;
}

int WrongArguments(const char *help)
{
    std::fputs(help, stderr);
    return 2;
}

} // namespace

int ImportLenex(const QStringList &args)
{
    QStringList positional;
    QString code;
    for (qsizetype i = 0; i < args.size(); ++i) {
        if (args.at(i) == QLatin1String("--code")) {
            if (i + 1 >= args.size() || args.at(i + 1).isEmpty())
                return WrongArguments(ImportLenexHelp);
            code = args.at(++i);
        } else if (args.at(i).startsWith(QLatin1String("--"))) {
            return WrongArguments(ImportLenexHelp);
        } else {
            positional.append(args.at(i));
        }
    }
    if (positional.size() != 2)
        return WrongArguments(ImportLenexHelp);

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

int ExportLenex(const QStringList &args)
{
    if (args.size() != 3)
        return WrongArguments(ExportLenexHelp);
    MeetDb::Session session;
    Core::CapturePrompts prompts;
    const bool loaded = MeetDb::LoadMeetByCode(session, args.at(0), args.at(1), prompts);
    for (const QString &message : std::as_const(prompts.Messages))
        PrintLine(stderr, args.at(1) + QStringLiteral(": ") + message);
    if (!loaded)
        return Fail(QStringLiteral("no start list written"));
    QString error;
    QString summary;
    if (!Lenex::ExportStartList(session, args.at(2), &error, &summary))
        return Fail(error + QStringLiteral("; no start list written"));
    PrintLine(stdout, summary);
    return 0;
}

} // namespace Tools
