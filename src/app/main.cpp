#include <cstdio>
#include <cstring>
#include <initializer_list>

#include <QApplication>
#include <QCommandLineParser>
#include <QCoreApplication>
#include <QStringList>

#include "core/startup.h"
#include "core/version.h"
#include "core/workfolder.h"
#include "entries/clubtable.h"
#include "meetdb/competitionload.h"
#include "meetdb/session.h"
#include "windows/clublistamend.h"
#include "windows/importentries.h"
#include "windows/intentries.h"
#include "windows/mastersconfirm.h"
#include "windows/pbmain.h"
#include "windows/printoutput.h"
#include "windows/qtprompts.h"
#include "windows/qtselectionwindows.h"

namespace {

const QString MeetDayOption = QStringLiteral("meet-day");
const QString DirOption = QStringLiteral("dir");

void DescribeOptions(QCommandLineParser &parser)
{
    parser.setApplicationDescription(QStringLiteral(
        "Entries and meet day for a swimming club's galas and open meets. The program's files "
        "(pbsystem.ini, natamar.mdb, internal.ini ...) are read from the folder given with "
        "--dir; else from the program's own folder when it holds pbsystem.ini or natamar.mdb; "
        "else from $XDG_DATA_HOME/openmeet (~/.local/share/openmeet), which the first run "
        "fills with the demo kit."));
    parser.addHelpOption();
    parser.addVersionOption();
    parser.addOption(QCommandLineOption(
        MeetDayOption, QStringLiteral("Start with \"Meet Day Mode\" ticked, so that \"Modify "
                                      "Entries\" opens in the meet-day mode.")));
    parser.addOption(QCommandLineOption(
        DirOption, QStringLiteral("Read and write the program's files in FOLDER."),
        QStringLiteral("FOLDER")));
    parser.addPositionalArgument(
        QStringLiteral("file"),
        QStringLiteral("A meet database to offer first under \"Known Natamar Database\"."),
        QStringLiteral("[FILE]"));
}

// The options answered without opening a window, so that they work without a display too.
bool HasOption(int argc, char *argv[], std::initializer_list<const char *> names)
{
    for (int i = 1; i < argc; ++i) {
        for (const char *name : names)
            if (std::strcmp(argv[i], name) == 0)
                return true;
    }
    return false;
}

} // namespace

int main(int argc, char *argv[])
{
    QCommandLineParser parser;
    DescribeOptions(parser);
    if (HasOption(argc, argv, {"-v", "--version"})) {
        std::puts(Core::VersionLine);
        return 0;
    }
    if (HasOption(argc, argv, {"-h", "--help", "-?", "--help-all"})) {
        QCoreApplication helpOnly(argc, argv);
        QCoreApplication::setApplicationName(QStringLiteral("openmeet"));
        parser.process(helpOnly); // prints the help and ends the program
        return 0;
    }

    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("openmeet"));
    QApplication::setApplicationVersion(QString::fromLatin1(Core::ProgramVersion));
    // Qt's own options (-platform, -style ...) are taken out by QApplication; an unknown option
    // is reported and ends the program.
    parser.process(app);
    if (parser.positionalArguments().size() > 1) {
        std::fputs("openmeet: give at most one meet database\n", stderr);
        return 2;
    }

    Windows::QtPrompts prompts;
    const QString programDir = QCoreApplication::applicationDirPath();
    const Core::WorkFolderChoice workFolder =
        Core::FindWorkFolder(parser.value(DirOption), programDir, Core::DemoKitFolders(programDir));
    if (workFolder.Path.isEmpty()) {
        std::fprintf(stderr, "openmeet: %s\n", qPrintable(workFolder.Error));
        prompts.Message(workFolder.Error);
        return 2;
    }

    MeetDb::Session session;
    session.ProgramDir = workFolder.Path;
    // asaclubcodes.csv, read on first use and held for the rest of the run.
    Entries::ClubCodeFile clubCodes;

    Core::StartUp(session.ProgramDir, session.Settings, session.Gala, prompts);
    Core::InstallFontSubstitutions();
    QStringList status{workFolder.Status};
    if (!parser.positionalArguments().isEmpty())
        status.append(Core::OfferMeetDb(parser.positionalArguments().constFirst(), session.Settings,
                                        prompts));
    status.removeAll(QString());

    Windows::PbMain mainWindow(session, prompts);
    if (parser.isSet(MeetDayOption))
        mainWindow.SetMeetDayMode(true);
    prompts.SetParentWidget(&mainWindow);
    prompts.SetStatusSink([&mainWindow](const QString &text) { mainWindow.ShowStatus(text); });

    Windows::QtSelectionWindows selectionWindows(&mainWindow);
    mainWindow.SetSelectCompetitionHandler(
        [&] { return MeetDb::LoadCompetition(session, prompts, selectionWindows); });

    mainWindow.SetAddEntryHandler([&] {
        Windows::IntEntries entries(session, prompts, &mainWindow);
        entries.SetClubAddHandler(
            [&] { Windows::RunClubListAmend(session, clubCodes, prompts, &entries); });
        if (entries.Start())
            entries.exec();
    });

    // Where reports go (preview, printer or PDF) is asked by each report command and
    // remembered for the rest of the run.
    Windows::PrintOutput printOutput(prompts, &mainWindow);
    mainWindow.SetModifyEntriesHandler(
        [&] { Windows::RunMastersConfirm(session, prompts, &mainWindow, &printOutput); });

    mainWindow.SetClubNameHandler(
        [&] { Windows::RunClubListAmend(session, clubCodes, prompts, &mainWindow); });

    mainWindow.SetImportEntriesHandler(
        [&] { Windows::RunImportEntries(session, prompts, &mainWindow); });

    mainWindow.SetPrintListHandler(
        [&] { Windows::RunPrintEntrantsList(session, prompts, printOutput); });

    mainWindow.show();
    if (!status.isEmpty())
        mainWindow.ShowStatus(status.join(u'\n'));
    if (!workFolder.Error.isEmpty())
        prompts.Message(workFolder.Error);
    return app.exec();
}
