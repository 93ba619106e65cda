#pragma once

#include <functional>

#include <QElapsedTimer>
#include <QMainWindow>

#include "meetdb/competitionload.h"

class QCheckBox;
class QLabel;
class QPlainTextEdit;
class QPushButton;

namespace Core {
class Prompts;
}
namespace MeetDb {
struct Session;
}

namespace Windows {

/*
 * The main window "Open Meet Entries Module". It shows which meet database (or gala parameter
 * file) and competition are loaded and offers the commands; the commands themselves are
 * installed by whoever owns them, so the window stays free of logic. A command without a handler
 * tells the user it is not available yet.
 *
 * The "Meet Day Mode" box chooses the program mode the meet-day window opens in: clear (as at
 * start-up) for the entries mode, ticked for the meet-day mode.
 *
 * Every handler runs to its end before the window takes the next click (the windows they open are
 * modal). The session and the prompts must outlive the window.
 */
class PbMain : public QMainWindow
{
public:
    static inline const QString MainTitle = QStringLiteral("Open Meet Entries Module");

    PbMain(MeetDb::Session &session, Core::Prompts &prompts, QWidget *parent = nullptr);

    // "Select Competition". After a load the window takes GalaName as its title; a cancelled
    // load keeps the competition shown before. The labels and commands are refreshed afterwards
    // either way.
    using LoadHandler = std::function<MeetDb::LoadOutcome()>;
    void SetSelectCompetitionHandler(LoadHandler handler) { m_selectMeet = std::move(handler); }

    // The other commands; each runs one modal window or report. "Print Entrants List" with no
    // competition loaded runs "Select Competition" first, and its handler only after a load.
    using CommandHandler = std::function<void()>;
    void SetAddEntryHandler(CommandHandler handler) { m_addEntry = std::move(handler); }
    void SetModifyEntriesHandler(CommandHandler handler) { m_modifyEntries = std::move(handler); }
    void SetClubNameHandler(CommandHandler handler) { m_clubName = std::move(handler); }
    void SetPrintListHandler(CommandHandler handler) { m_printList = std::move(handler); }
    // "Import Entries", offered with the meet database open, as "Add Club Name" is.
    void SetImportEntriesHandler(CommandHandler handler) { m_importEntries = std::move(handler); }

    // Shows the session's competition: with the meet database open, its path, GalaName as the
    // competition and window title, and the entry, amendment and club commands; after a load
    // from a gala parameter file, the file's path, GalaName, and the entry and amendment
    // commands (the club and import commands edit the meet database, so they stay hidden);
    // otherwise "None" twice and those commands hidden.
    void RefreshFromSession();

    // Ticks or clears "Meet Day Mode", which sets the session's ProgramMode to match.
    void SetMeetDayMode(bool on);

    // Replaces the text of the `Status` box and paints it at once, so that progress shows while
    // a long command is still running.
    void ShowStatus(const QString &text);

    QPushButton *SelectMeetButton() const { return m_selectMeetButton; }
    QPushButton *AddEntryButton() const { return m_addEntryButton; }
    QPushButton *ModifyEntriesButton() const { return m_modifyEntriesButton; }
    QPushButton *ClubNameButton() const { return m_clubNameButton; }
    QPushButton *PrintListButton() const { return m_printListButton; }
    QPushButton *ImportEntriesButton() const { return m_importEntriesButton; }
    QPushButton *ExitButton() const { return m_exitButton; }
    QCheckBox *MeetDayModeBox() const { return m_meetDayMode; }
    QLabel *SelectedDbCaption() const { return m_selectedDbCaption; }
    QLabel *SelectedDbLabel() const { return m_selectedDb; }
    QLabel *SelectedMeetLabel() const { return m_selectedMeet; }
    QPlainTextEdit *StatusBox() const { return m_status; }

private:
    QPushButton *AddCommand(const QString &name, const QString &caption);
    void SelectCompetition();
    void PrintList();
    void RunCommand(const CommandHandler &handler, const QString &caption);
    void ApplyProgramMode();

    MeetDb::Session &m_session;
    Core::Prompts &m_prompts;
    LoadHandler m_selectMeet;
    CommandHandler m_addEntry;
    CommandHandler m_modifyEntries;
    CommandHandler m_clubName;
    CommandHandler m_printList;
    CommandHandler m_importEntries;
    // The last "Select Competition" loaded a gala parameter file (the state alone cannot tell
    // it from a load that ended early).
    bool m_galaFileLoaded = false;

    QPushButton *m_selectMeetButton;
    QPushButton *m_addEntryButton;
    QPushButton *m_modifyEntriesButton;
    QPushButton *m_clubNameButton;
    QPushButton *m_printListButton;
    QPushButton *m_importEntriesButton;
    QPushButton *m_exitButton;
    QCheckBox *m_meetDayMode;
    QLabel *m_selectedDbCaption;
    QLabel *m_selectedDb;
    QLabel *m_selectedMeet;
    QPlainTextEdit *m_status;
    QElapsedTimer m_lastStatusPaint;
};

} // namespace Windows
