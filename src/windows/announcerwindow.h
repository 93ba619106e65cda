#pragma once

#include <QDialog>
#include <QString>

class QPlainTextEdit;
class QPushButton;

namespace Windows {

/*
 * The announcer's message: the call-up of swimmers who have not handed in their cards, in large
 * fixed-pitch type so that it can be read out from across the desk, with "Copy" to put the text
 * on the clipboard for a public-address or scoreboard program. `PA_Message` holds the text and
 * the priority is shown in the title.
 */
class AnnouncerWindow : public QDialog
{
public:
    AnnouncerWindow(const QString &message, int priority, QWidget *parent = nullptr);

    QPlainTextEdit *Message() const { return m_message; }
    QPushButton *CopyButton() const { return m_copy; }

private:
    QPlainTextEdit *m_message;
    QPushButton *m_copy;
};

} // namespace Windows
