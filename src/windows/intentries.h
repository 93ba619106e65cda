#pragma once

#include <array>
#include <functional>
#include <memory>

#include <QDialog>
#include <QString>
#include <QStringList>

#include "entries/entryform.h"

class QButtonGroup;
class QCheckBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QMenuBar;
class QPlainTextEdit;
class QPushButton;
class QRadioButton;

namespace Core {
class Prompts;
}
namespace MeetDb {
struct Session;
}

namespace Windows {

/*
 * The entry window "Competition Entries". It only moves values between its boxes and an
 * Entries::EntryForm and calls the form's commands; every rule lives in the form.
 *
 * A box is "left" when it loses the focus to another box of this window (Tab, Enter, a click,
 * an accelerator, or the form sending the focus elsewhere); losing it to a message box or
 * another window does not count, so a message shown while leaving a box does not leave it
 * twice. Enter in a box moves on as Tab does. Where the form then moves the operator on, the
 * window follows only after Tab or Enter: a click or an accelerator has already chosen the box.
 *
 * Keyboard: the Tab order follows the way the form sends the focus on (name, registration
 * number, club, date of birth, sex, the group options, then each event's time box in turn, then
 * the meet-specific boxes and the tick boxes); "Record" is Alt+R or Ctrl+Return from any box,
 * and records what the box being typed in holds.
 */
class IntEntries
    : public QDialog
    , private Entries::EntryDialogs
{
public:
    IntEntries(MeetDb::Session &session, Core::Prompts &prompts, QWidget *parent = nullptr);
    ~IntEntries() override;

    // Runs the form's set-up. Returns false when the window is to close at once (the form has
    // said why); the caller then does not show it.
    bool Start();

    // "Add New Club" opens the club name table window, which another part of the program
    // provides; the club list is refilled after it. Without a handler the command says it is
    // not available yet.
    void SetClubAddHandler(std::function<void()> handler) { m_clubAdd = std::move(handler); }

    Entries::EntryForm &Form() { return *m_form; }

    // The boxes, for tests.
    QLineEdit *ShortNameBox() const { return m_shortName; }
    QLineEdit *FullNameBox() const { return m_fullName; }
    QLineEdit *DobBox() const { return m_dob; }
    QLineEdit *SexBox() const { return m_sex; }
    QLineEdit *ClubBox() const { return m_club; }
    QLineEdit *RegnoBox() const { return m_regno; }
    QCheckBox *SlotCheck(int slot) const { return m_slotChecks[slot]; }
    QLineEdit *SlotTime(int slot) const { return m_slotTimes[slot]; }
    QRadioButton *GroupOption(int group) const { return m_groups[group]; }
    QPlainTextEdit *InfoBox() const { return m_info; }
    QPushButton *RecordButton() const { return m_record; }
    QPushButton *AutoCorrectButton() const { return m_autoCorrect; }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void reject() override;

private:
    bool AskAddress(const QString &fullName, int entrantNumber, int eventsEntered,
                    Entries::AddressRecord &address) override;
    Entries::MemberDetailsAction ShowMemberDetails(Entries::MemberDetailsRequest &request) override;

    void BuildBoxes();
    void BuildLayout();
    void Connect();
    void SetTabOrder();

    // Runs one form command between copying the boxes in and the form's values out, and applies
    // the focus it asks for. Without `advance` a request that only moves the operator on is
    // dropped. Returns the request (empty when a command is already running).
    Entries::FocusRequest Run(const std::function<void()> &command, bool advance = true);
    void Pull();
    void Push();
    QLineEdit *BoxFor(const Entries::FocusRequest &focus) const;
    void ApplyFocus(const Entries::FocusRequest &focus);
    // The "left" command of a box, or nothing for a box without one.
    std::function<void()> LeaveCommand(QObject *box);
    void DoRecord();

    std::unique_ptr<Entries::EntryForm> m_form;
    bool m_running = false; // a command is running: focus changes it makes leave nothing
    std::function<void()> m_clubAdd;

    QMenuBar *m_menu;
    QLabel *m_shortNameLabel;
    QLineEdit *m_shortName;
    QLineEdit *m_fullName;
    QLineEdit *m_regno;
    QLabel *m_clubLabel;
    QLineEdit *m_club;
    QPushButton *m_clubAddButton;
    QLabel *m_clubListLabel;
    QListWidget *m_clubList;
    QStringList m_shownClubs; // what m_clubList holds
    QLineEdit *m_dob;
    QLineEdit *m_sex;
    QLabel *m_ageGroupLabel;
    QLabel *m_ageGroup;
    QLabel *m_entryDateLabel;
    QLineEdit *m_entryDate;
    QPushButton *m_autoCorrect;
    QButtonGroup *m_groupButtons;
    std::array<QRadioButton *, 20> m_groups{};
    std::array<QCheckBox *, Entries::MaxSlots> m_slotChecks{};
    std::array<QLineEdit *, Entries::MaxSlots> m_slotTimes{};
    std::array<QLineEdit *, Entries::MaxSlots> m_slotSpecific{};
    std::array<QLabel *, Entries::MaxStrokePairs> m_pairLabels{};
    std::array<QLineEdit *, Entries::MaxStrokePairs> m_strokes{};
    std::array<QLineEdit *, Entries::MaxStrokePairs> m_distances{};
    QPlainTextEdit *m_info;
    QPushButton *m_record;
    QPushButton *m_exit;
    QPushButton *m_deleteButton;
    QPushButton *m_enterAll;
    QPushButton *m_clearAll;
    QPushButton *m_quickAdd;
};

} // namespace Windows
