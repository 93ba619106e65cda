#pragma once

#include <QDialog>

class QListWidget;
class QPushButton;

namespace MeetDb {
class ListSelectForm;
}

namespace Windows {

// The list window: the form's caption as its title and its lines in `List_Select_Box`. Choosing
// a line (double-click or Enter) or "Cancel" (`Command1`) passes it to the form and closes.
class List_Select : public QDialog
{
public:
    explicit List_Select(MeetDb::ListSelectForm &form, QWidget *parent = nullptr);

    QListWidget *ListSelectBox() const { return m_list; }
    QPushButton *CancelButton() const { return m_cancel; }

private:
    MeetDb::ListSelectForm &m_form;
    QListWidget *m_list;
    QPushButton *m_cancel;
};

} // namespace Windows
