#pragma once

#include <QDialog>

class QListWidget;
class QPushButton;

namespace MeetDb {
class IntSelectForm;
}

namespace Windows {

// The source choice window "Select Gala Parameter File". It shows what the form says is visible,
// passes every click and every chosen gala line to the form, and closes once the form has
// closed. Closing it any other way leaves the choice unmade.
class IntSelect : public QDialog
{
public:
    explicit IntSelect(MeetDb::IntSelectForm &form, QWidget *parent = nullptr);

    QPushButton *KnownDatabaseButton() const { return m_known; }
    QPushButton *UnknownDatabaseButton() const { return m_unknown; }
    QPushButton *MoreOptionsButton() const { return m_more; }
    QPushButton *GalaListButton() const { return m_galaList; }
    QPushButton *InternalGalaButton() const { return m_internal; }
    QListWidget *DbList() const { return m_dbList; }

private:
    void Run(void (MeetDb::IntSelectForm::*command)());
    void ShowForm();

    MeetDb::IntSelectForm &m_form;
    QPushButton *m_known;
    QPushButton *m_unknown;
    QPushButton *m_more;
    QPushButton *m_galaList;
    QPushButton *m_internal;
    QListWidget *m_dbList;
};

} // namespace Windows
