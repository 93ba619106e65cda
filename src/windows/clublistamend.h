#pragma once

#include <QDialog>

class QListWidget;
class QPushButton;

namespace Core {
class Prompts;
}
namespace Entries {
class ClubCodeFile;
class ClubTableForm;
} // namespace Entries
namespace MeetDb {
struct Session;
}

namespace Windows {

/*
 * The club name table window. It lists the form's clubs in `ClubNameList` ("CODE:Name"), passes
 * the three commands and a double-click (or Enter) on a line to the form, and shows the list
 * again afterwards. However the window is closed, the form's Exit() runs once, so what was
 * added or renamed is kept.
 */
class ClubListAmend : public QDialog
{
public:
    explicit ClubListAmend(Entries::ClubTableForm &form, QWidget *parent = nullptr);

    QListWidget *ClubNameList() const { return m_list; }
    QPushButton *AddClubButton() const { return m_add; }
    QPushButton *AsaClubButton() const { return m_asa; }
    QPushButton *ExitButton() const { return m_exit; }

    void done(int result) override;

private:
    void ShowList();

    Entries::ClubTableForm &m_form;
    QListWidget *m_list;
    QPushButton *m_add;
    QPushButton *m_asa;
    QPushButton *m_exit;
};

// The whole command, for the main window's "Add Club Name" and the entry window's "Add New
// Club": opens the window over `parent` on the session's club table and returns when it has
// been left. `codeFile` is the club code file held for the program run.
void RunClubListAmend(MeetDb::Session &session, Entries::ClubCodeFile &codeFile,
                      Core::Prompts &prompts, QWidget *parent);

} // namespace Windows
