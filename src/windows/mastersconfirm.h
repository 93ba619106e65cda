#pragma once

#include <array>
#include <functional>
#include <memory>

#include <QDialog>
#include <QList>

#include "meetday/mastersconfirmform.h"

class QCheckBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;

namespace Core {
class Prompts;
}
namespace MeetDb {
struct Session;
}

namespace Windows {

class PrintOutput;

/*
 * The meet-day window "Entry Card Processing" (`MastersConfirm`). It only moves values between
 * its boxes and a MeetDay::MastersConfirmForm and calls the form's commands; every rule lives in
 * the form.
 *
 * Keyboard: the entrant-number box has the focus when the window opens (Alt+E returns to it);
 * Enter (or leaving the box) shows the entrant typed. "Confirm All" is Alt+C or F5, "Next
 * Swimmer" Alt+N or F6, the "Heats" view F7 and "Programme" F8 (their letters are all taken by
 * other commands), and Tab walks the entrant's boxes and then each swim row (event, time, tick,
 * meet-specific text, and its "Del", or "Add" on the first free row). Escape closes the window
 * through the "Save Current Values?" question. Every command first takes what was typed into the
 * box that has the focus, as leaving the box would.
 *
 * No two commands share a letter. The window has more commands than there are letters in their
 * captions, so the entrant's other boxes and "What If Mode" have none (they are a Tab away). The
 * lists and exports have a function key as well as their letter: "List Unconf" F2, "Compare" F3,
 * "Unconfirm to announcer" F4, "Export" F9, "Export All" F10, "Name List" F11 and "Clubs List"
 * F12 ("Name List" has only its key: its letter is "Import Results"'s). "Start List",
 * "Export Start List" and "Import Results" came last, when every letter of their captions was
 * taken and no function key was left: they have Alt+Q, Alt+J and Alt+I, shown in the first two
 * captions. The list of "List Unconf" takes the focus and hides itself when the focus leaves it
 * (Tab).
 */
class MastersConfirm : public QDialog
{
public:
    MastersConfirm(MeetDb::Session &session, Core::Prompts &prompts, QWidget *parent = nullptr);
    ~MastersConfirm() override;

    // Loads the roster and shows the window's first state. Call before showing the window.
    void Start();

    MeetDay::MastersConfirmForm &Form() { return *m_form; }

    // For tests.
    QLineEdit *EntrantNumberBox() const { return m_entNo; }
    QLineEdit *EventBox(int row) const { return m_evNo[row]; }
    QLineEdit *TimeBox(int row) const { return m_evTime[row]; }
    QCheckBox *Tick(int row) const { return m_evConf[row]; }
    QLabel *StatusLine() const { return m_status; }
    QPushButton *Command(const QString &name) const;
    QPushButton *SwimButton(int row) const { return m_delEvent[row]; }
    QPlainTextEdit *UnconfirmedList() const { return m_noConfList; }

    // Where "Programme" and "Print Unconfirmed" send their reports; without one the window asks
    // with its own.
    void SetPrintOutput(PrintOutput *output) { m_output = output; }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void reject() override;

private:
    void BuildBoxes();
    void BuildLayout();
    void Connect();
    void SetTabOrder();
    QPushButton *AddButton(const QString &name, const QString &caption);

    void Run(const std::function<void()> &command);
    // Takes the text typed into the focused box and not yet taken; false when it was refused.
    bool TakeTypedText();
    void Pull();
    void Push();
    void ApplyFocus(const MeetDay::ConfirmFocus &focus);
    // Where reports go: the one set, or the window's own.
    PrintOutput &Output();

    std::unique_ptr<MeetDay::MastersConfirmForm> m_form;
    Core::Prompts &m_prompts;
    bool m_running = false;

    QLabel *m_heading;
    QLineEdit *m_entNo;
    QLineEdit *m_name;
    QLineEdit *m_club;
    QLineEdit *m_age;
    QLineEdit *m_sex;
    QLineEdit *m_regNo;
    QCheckBox *m_whatIf;
    QLabel *m_status;
    std::array<QLineEdit *, MeetDay::SwimRows> m_evNo{};
    std::array<QLabel *, MeetDay::SwimRows> m_evDescription{};
    std::array<QLineEdit *, MeetDay::SwimRows> m_evTime{};
    std::array<QCheckBox *, MeetDay::SwimRows> m_evConf{};
    std::array<QLineEdit *, MeetDay::SwimRows> m_evMeetSpecific{};
    std::array<QPushButton *, MeetDay::SwimRows> m_delEvent{};
    QPlainTextEdit *m_noConfList;
    QList<QPushButton *> m_buttons;   // every command button, in layout order
    QList<QPushButton *> m_meetDay;   // shown in the meet-day mode
    QList<QPushButton *> m_utilities; // shown by "Utilities" in the meet-day mode
    MeetDb::Session &m_session;
    PrintOutput *m_output = nullptr;
    std::unique_ptr<PrintOutput> m_ownOutput;
};

// Opens the window modally over `parent` for the loaded competition; reports go to `output`
// when given.
void RunMastersConfirm(MeetDb::Session &session, Core::Prompts &prompts, QWidget *parent,
                       PrintOutput *output = nullptr);

} // namespace Windows
