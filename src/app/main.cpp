#include <QApplication>

#include "core/startup.h"
#include "meetdb/competitionload.h"
#include "meetdb/session.h"
#include "windows/intentries.h"
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
        if (entries.Start())
            entries.exec();
    });

    mainWindow.show();
    return app.exec();
}
