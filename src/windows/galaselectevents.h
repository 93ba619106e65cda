#pragma once

#include <functional>

#include <QDialog>
#include <QList>

#include "meetdb/eventselection.h"

class QCheckBox;
class QLineEdit;
class QPushButton;
class QRadioButton;

namespace Windows {

/*
 * "Select Events" (`GalaSelectEvents`): one tick box per event (`Check1`), the text box
 * `Criterion` for the quick selections, the "Heats" / "Finals" choice and the commands. The
 * window copies the boxes to and from a MeetDb::GalaSelectEventsForm, which holds every rule.
 * "Confirm" and "Cancel" close it; closing it any other way cancels. Each quick selection
 * replaces the ticks unless "Keep ticks" is ticked.
 */
class GalaSelectEvents : public QDialog
{
public:
    GalaSelectEvents(MeetDb::GalaSelectEventsForm &form, QWidget *parent = nullptr);

    QCheckBox *Box(int index) const { return m_boxes.at(index); }
    QLineEdit *CriterionBox() const { return m_criterion; }
    QPushButton *Command(int number) const { return m_commands.at(number - 1); }
    QCheckBox *KeepTicksBox() const { return m_keepTicks; }

protected:
    void reject() override;

private:
    void Run(const std::function<void()> &command);
    void Pull();
    void Push();

    MeetDb::GalaSelectEventsForm &m_form;
    QList<QCheckBox *> m_boxes;
    QLineEdit *m_criterion;
    QRadioButton *m_heats;
    QRadioButton *m_finals;
    QCheckBox *m_keepTicks;
    QList<QPushButton *> m_commands; // Command1 .. Command8
};

} // namespace Windows
