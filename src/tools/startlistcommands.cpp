#include "tools/startlistcommands.h"

#include <cstdio>
#include <optional>

#include <QString>

#include "core/captureprompts.h"
#include "core/startup.h"
#include "meetday/roster.h"
#include "meetdb/competitionload.h"
#include "meetdb/eventlist.h"
#include "meetdb/session.h"
#include "reports/printer.h"
#include "reports/reportoutput.h"
#include "reports/startlist.h"

namespace Tools {

namespace {

void Say(FILE *stream, const QString &text)
{
    std::fputs((text + QLatin1Char('\n')).toLocal8Bit().constData(), stream);
}

} // namespace

int StartList(const QStringList &args, const char *help)
{
    QStringList positional;
    std::optional<QString> events;
    for (qsizetype i = 0; i < args.size(); ++i) {
        if (args.at(i) == QLatin1String("--events") && i + 1 < args.size()) {
            events = args.at(++i);
        } else if (args.at(i).startsWith(QLatin1String("--"))) {
            positional.clear();
            break;
        } else {
            positional.append(args.at(i));
        }
    }
    if (positional.size() != 3) {
        std::fputs(help, stderr);
        return 2;
    }
    const QString &code = positional.at(1);
    Core::CapturePrompts prompts;
    auto report = [&] {
        for (const QString &message : std::as_const(prompts.Messages))
            Say(stderr, code + QStringLiteral(": ") + message);
        prompts.Messages.clear();
    };
    auto fail = [](const QString &why) {
        Say(stderr, QStringLiteral("openmeet-db: ") + why);
        return 1;
    };

    MeetDb::Session session;
    Core::SetPrintFontNames(session.Settings);
    const bool loaded = MeetDb::LoadMeetByCode(session, positional.at(0), code, prompts);
    report();
    if (!loaded)
        return fail(QStringLiteral("no start list written"));
    session.Gala.ProgramMode = MeetDay::ModeMeetDay;
    QString error;
    if (events && !MeetDb::SelectEventList(session.Gala, *events, &error))
        return fail(error + QStringLiteral("; no start list written"));
    for (Core::GalaEvent &event : session.Gala.Events)
        event.EvSelected = event.EvSelected || !events;
    MeetDay::Roster roster;
    const MeetDay::LoadResult result = MeetDay::LoadRoster(session, prompts, roster);
    report();
    if (result == MeetDay::LoadResult::Failed)
        return fail(QStringLiteral("no start list written"));
    const std::optional<Reports::StartList> list =
        Reports::PrepareStartList(session, roster, prompts);
    report();
    if (!list)
        return fail(QStringLiteral("no start list written"));

    int pages = 0;
    const bool written = Reports::WritePdfReport(
        positional.at(2), list->Title + QStringLiteral(" - Start List"),
        Reports::ReportFontsFrom(session.Settings),
        [&](Reports::Printer &printer) {
            Reports::PrintStartList(printer, *list);
            pages = printer.PageCount();
        },
        &error);
    if (!written)
        return fail(error);
    Say(stdout, QStringLiteral("Wrote the start list of meet %1 to %2 (%3 events, %4 pages)")
                    .arg(code, positional.at(2))
                    .arg(list->Events.size())
                    .arg(pages));
    return 0;
}

} // namespace Tools
