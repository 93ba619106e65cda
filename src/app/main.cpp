#include <cstring>

#include <QApplication>
#include <QCommandLineParser>
#include <QCoreApplication>

#include "core/startup.h"
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

void DescribeOptions(QCommandLineParser &parser)
{
    parser.setApplicationDescription(QStringLiteral(
        "Entries and meet day for a swimming club's galas and open meets. The program's files "
        "(pbsystem.ini, natamar.mdb, internal.ini) are read from the folder it is in."));
    parser.addHelpOption();
    parser.addOption(QCommandLineOption(
        MeetDayOption, QStringLiteral("Start with \"Meet Day Mode\" ticked, so that \"Modify "
                                      "Entries\" opens in the meet-day mode.")));
}

bool AsksForHelp(int argc, char *argv[])
{
    for (int i = 1; i < argc; ++i) {
        for (const char *help : {"-h", "--help", "-?", "--help-all"})
            if (std::strcmp(argv[i], help) == 0)
                return true;
    }
    return false;
}

} // namespace

int main(int argc, char *argv[])
{
    QCommandLineParser parser;
    DescribeOptions(parser);
    // The help is printed without opening a window, so it works without a display too.
    if (AsksForHelp(argc, argv)) {
        QCoreApplication helpOnly(argc, argv);
        QCoreApplication::setApplicationName(QStringLiteral("openmeet"));
        parser.process(helpOnly); // prints the help and ends the program
        return 0;
    }

    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("openmeet"));
    // Qt's own options (-platform, -style ...) are taken out by QApplication; an unknown option
    // is reported and ends the program.
    parser.process(app);

    // The program's files (pbsystem.ini, natamar.mdb, internal.ini) live beside the executable.
    MeetDb::Session session;
    session.ProgramDir = QCoreApplication::applicationDirPath();
    // asaclubcodes.csv, read on first use and held for the rest of the run.
    Entries::ClubCodeFile clubCodes;

    Windows::QtPrompts prompts;
    Core::StartUp(session.ProgramDir, session.Settings, session.Gala, prompts);
    Core::InstallFontSubstitutions();

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
    return app.exec();
}
