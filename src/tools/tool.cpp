#include "tools/tool.h"

#include <QCoreApplication>

#include "core/captureprompts.h"
#include "core/galastate.h"
#include "meetday/mastersconfirmform.h"
#include "meetdb/competitionload.h"
#include "meetdb/eventlist.h"
#include "meetdb/session.h"

namespace Tool {

bool ParseArguments(const Command &command, const QStringList &args, QCommandLineParser &parser)
{
    // "-events" is not read as six one-letter options.
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    for (const Option &option : command.Options) {
        const QString valueName = QString::fromLatin1(option.ValueName);
        parser.addOption(
            QCommandLineOption(QString::fromLatin1(option.Name), QString(), valueName));
    }
    QString problem;
    if (!parser.parse(QStringList{QStringLiteral("openmeet-db")} + args)) {
        problem = parser.errorText();
    } else {
        const qsizetype count = parser.positionalArguments().size();
        if (count < command.MinPositional || count > command.MaxPositional)
            problem = QStringLiteral("%1 takes %2 %3 besides its options, not %4")
                          .arg(QString::fromLatin1(command.Name),
                               command.MinPositional == command.MaxPositional
                                   ? QString::number(command.MinPositional)
                                   : QStringLiteral("%1 to %2")
                                         .arg(command.MinPositional)
                                         .arg(command.MaxPositional),
                               command.MaxPositional == 1 ? QStringLiteral("argument")
                                                          : QStringLiteral("arguments"))
                          .arg(count);
    }
    if (problem.isEmpty())
        return true;
    PrintLine(stderr,
              QStringLiteral("openmeet-db %1: %2").arg(QString::fromLatin1(command.Name), problem));
    WrongArguments(command.Help);
    return false;
}

void Print(FILE *stream, const QString &text)
{
    std::fputs(text.toLocal8Bit().constData(), stream);
}

void PrintLine(FILE *stream, const QString &text)
{
    Print(stream, text + QLatin1Char('\n'));
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

void ReportMessages(Core::CapturePrompts &prompts, const QString &meetCode)
{
    for (const QString &message : std::as_const(prompts.Messages))
        PrintLine(stderr, meetCode + QStringLiteral(": ") + message);
    prompts.Messages.clear();
}

bool SelectEventsOption(Core::GalaState &gala, const QCommandLineParser &options, QString *error)
{
    if (options.isSet(QStringLiteral("events")))
        return MeetDb::SelectEventList(gala, options.value(QStringLiteral("events")), error);
    for (Core::GalaEvent &event : gala.Events)
        event.EvSelected = true;
    return true;
}

bool LoadMeet(const QStringList &positional, MeetDb::Session &session,
              Core::CapturePrompts &prompts)
{
    const bool loaded =
        MeetDb::LoadMeetByCode(session, positional.at(0), positional.at(1), prompts);
    ReportMessages(prompts, positional.at(1));
    return loaded;
}

bool LoadMeetDay(const QStringList &positional, MeetDb::Session &session,
                 Core::CapturePrompts &prompts, MeetDay::Roster &roster)
{
    if (!LoadMeet(positional, session, prompts))
        return false;
    session.Gala.ProgramMode = MeetDay::ModeMeetDay;
    const MeetDay::LoadResult result = MeetDay::LoadRoster(session, prompts, roster);
    ReportMessages(prompts, positional.at(1));
    return result != MeetDay::LoadResult::Failed;
}

} // namespace Tool
