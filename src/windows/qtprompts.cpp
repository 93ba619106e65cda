#include "windows/qtprompts.h"

#include <QFileDialog>
#include <QInputDialog>
#include <QLineEdit>
#include <QMessageBox>

#include "meetdb/selection.h"
#include "windows/filedialogue.h"
#include "windows/list_select.h"
#include "windows/yesno.h"

namespace Windows {

QtPrompts::QtPrompts(QWidget *parent)
    : m_parent(parent)
{}

QString QtPrompts::MessageTitle()
{
    return QStringLiteral("Open Meet");
}

void QtPrompts::Message(const QString &text)
{
    QMessageBox box(QMessageBox::Information, MessageTitle(), text, QMessageBox::Ok, m_parent);
    box.exec();
}

bool QtPrompts::AskYesNo(const QString &question, bool defaultNo)
{
    YesNo dialog(question, m_parent, defaultNo);
    dialog.exec();
    return dialog.YesNoAnswer();
}

std::optional<QString> QtPrompts::Input(const QString &title, const QString &question,
                                        const QString &defaultText)
{
    bool ok = false;
    const QString text =
        QInputDialog::getText(m_parent, title, question, QLineEdit::Normal, defaultText, &ok);
    if (!ok)
        return std::nullopt;
    return text;
}

int QtPrompts::PickFromList(const QString &caption, const QStringList &lines)
{
    MeetDb::ListSelectForm form(caption, lines);
    List_Select dialog(form, m_parent);
    dialog.exec();
    return form.ListSelectChoice();
}

QString QtPrompts::BrowseExistingFile(const QString &caption, const QString &startDir)
{
    return QFileDialog::getOpenFileName(m_parent, caption, startDir);
}

QString QtPrompts::BrowseExistingFileOfType(const QString &caption, const QString &startDir,
                                            const QString &filter)
{
    return QFileDialog::getOpenFileName(m_parent, caption, startDir,
                                        filter + QStringLiteral(";;All files (*)"));
}

QString QtPrompts::BrowseNewFile(const QString &caption, const QString &startPath,
                                 const QString &filter)
{
    return QFileDialog::getSaveFileName(m_parent, caption, startPath, filter);
}

Core::ExistingFileAnswer QtPrompts::AskExistingFile()
{
    FileDialogue dialog(m_parent);
    dialog.exec();
    return dialog.Answer();
}

void QtPrompts::ShowStatus(const QString &text)
{
    if (m_statusSink)
        m_statusSink(text);
}

} // namespace Windows
