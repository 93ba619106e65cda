#pragma once

#include <functional>

#include <QElapsedTimer>
#include <QMainWindow>

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
 * The main window "Open Meet Entries Module". It shows which meet database and competition are
 * loaded and offers the commands; the commands themselves are installed by whoever owns them, so
 * the window stays free of logic. A command without a handler tells the user it is not
 * available yet.
 *
 * Every handler runs to its end before the window takes the next click (the windows they open are
 * modal). The session and the prompts must outlive the window.
 */
class PbMain : public QMainWindow
{
public:
    static inline const QString MainTitle = QStringLiteral("Open Meet Entries Module");

    PbMain(MeetDb::Session &session, Core::Prompts &prompts, QWidget *parent = nullptr);

    // "Select Competition". Returns true when a competition was loaded (from either source); the
    // window then takes GalaName as its title. The labels and commands are refreshed afterwards
    // either way.
    using LoadHandler = std::function<bool()>;
    void SetSelectCompetitionHandler(LoadHandler handler) { m_selectMeet = std::move(handler); }

    // The other commands; each runs one modal window or report.
    using CommandHandler = std::function<void()>;
    void SetAddEntryHandler(CommandHandler handler) { m_addEntry = std::move(handler); }
    void SetModifyEntriesHandler(CommandHandler handler) { m_modifyEntries = std::move(handler); }
    void SetClubNameHandler(CommandHandler handler) { m_clubName = std::move(handler); }
    void SetPrintListHandler(CommandHandler handler) { m_printList = std::move(handler); }

    // Shows the session's competition: with the meet database open, its path, GalaName as the
    // competition and window title, and the entry, amendment and club commands; otherwise "None"
    // twice and those commands hidden.
    void RefreshFromSession();

    // Replaces the text of the `Status` box and paints it at once, so that progress shows while
    // a long command is still running.
    void ShowStatus(const QString &text);

    QPushButton *SelectMeetButton() const { return m_selectMeetButton; }
    QPushButton *AddEntryButton() const { return m_addEntryButton; }
    QPushButton *ModifyEntriesButton() const { return m_modifyEntriesButton; }
    QPushButton *ClubNameButton() const { return m_clubNameButton; }
    QPushButton *PrintListButton() const { return m_printListButton; }
    QPushButton *ExitButton() const { return m_exitButton; }
    QLabel *SelectedDbLabel() const { return m_selectedDb; }
    QLabel *SelectedMeetLabel() const { return m_selectedMeet; }
    QPlainTextEdit *StatusBox() const { return m_status; }

private:
    QPushButton *AddCommand(const QString &name, const QString &caption);
    void SelectCompetition();
    void RunCommand(const CommandHandler &handler, const QString &caption);

    MeetDb::Session &m_session;
    Core::Prompts &m_prompts;
    LoadHandler m_selectMeet;
    CommandHandler m_addEntry;
    CommandHandler m_modifyEntries;
    CommandHandler m_clubName;
    CommandHandler m_printList;

    QPushButton *m_selectMeetButton;
    QPushButton *m_addEntryButton;
    QPushButton *m_modifyEntriesButton;
    QPushButton *m_clubNameButton;
    QPushButton *m_printListButton;
    QPushButton *m_exitButton;
    QLabel *m_selectedDb;
    QLabel *m_selectedMeet;
    QPlainTextEdit *m_status;
    QElapsedTimer m_lastStatusPaint;
};

} // namespace Windows
