#pragma once

#include <QDialog>

class QListWidget;

namespace MeetDb {
class NtSelectForm;
}

namespace Windows {

// The database choice window "Select Natamar Database": the known meet databases in `NT_List`;
// choosing a line (double-click or Enter) passes it to the form and closes.
class NT_Select : public QDialog
{
public:
    explicit NT_Select(MeetDb::NtSelectForm &form, QWidget *parent = nullptr);

    QListWidget *NtList() const { return m_list; }

private:
    MeetDb::NtSelectForm &m_form;
    QListWidget *m_list;
};

} // namespace Windows
