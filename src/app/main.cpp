#include <QApplication>

#include "core/startup.h"
#include "entries/clubtable.h"
#include "meetdb/competitionload.h"
#include "meetdb/session.h"
#include "windows/clublistamend.h"
#include "windows/intentries.h"
#include "windows/mastersconfirm.h"
#include "windows/pbmain.h"
#include "windows/qtprompts.h"
#include "windows/qtselectionwindows.h"

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("openmeet"));

    // The program's files (pbsystem.ini, natamar.mdb, internal.ini) live beside the executable.
    MeetDb::Session session;
    session.ProgramDir = QCoreApplication::applicationDirPath();
    // asaclubcodes.csv, read on first use and held for the rest of the run.
    Entries::ClubCodeFile clubCodes;

    Windows::QtPrompts prompts;
    Core::StartUp(session.ProgramDir, session.Settings, session.Gala, prompts);
    Core::InstallFontSubstitutions();

    Windows::PbMain mainWindow(session, prompts);
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

    mainWindow.SetModifyEntriesHandler(
        [&] { Windows::RunMastersConfirm(session, prompts, &mainWindow); });

    mainWindow.SetClubNameHandler(
        [&] { Windows::RunClubListAmend(session, clubCodes, prompts, &mainWindow); });

    mainWindow.show();
    return app.exec();
}
