#pragma once

#include <QDialog>

class QLabel;
class QPushButton;

namespace Windows {

// The yes/no window: the question in its `Question` label, "Yes" and "No". Accepted means yes;
// "No", Escape and closing the window all mean no. "Yes" is the default button unless
// `defaultNo` is set.
class YesNo : public QDialog
{
public:
    explicit YesNo(const QString &question, QWidget *parent = nullptr, bool defaultNo = false);

    bool YesNoAnswer() const { return result() == QDialog::Accepted; }

    QLabel *Question() const { return m_question; }
    QPushButton *YesButton() const { return m_yes; }
    QPushButton *NoButton() const { return m_no; }

private:
    QLabel *m_question;
    QPushButton *m_yes;
    QPushButton *m_no;
};

} // namespace Windows
