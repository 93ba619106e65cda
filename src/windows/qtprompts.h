#pragma once

#include <functional>

#include <QPointer>
#include <QWidget>

#include "core/prompts.h"

namespace Windows {

// The prompts of the running program, as modal Qt dialogs over the main window: message boxes
// with OK, the `YesNo` and `FileDialogue` windows, one-line input, the `List_Select` window and
// the file browse dialog. Status texts go to whatever SetStatusSink installed (the main window's
// `Status` box); without one they are dropped.
class QtPrompts : public Core::Prompts
{
public:
    explicit QtPrompts(QWidget *parent = nullptr);

    // The window the dialogs are centred on. May change once the main window exists.
    void SetParentWidget(QWidget *parent) { m_parent = parent; }
    QWidget *ParentWidget() const { return m_parent; }
    void SetStatusSink(std::function<void(const QString &)> sink)
    {
        m_statusSink = std::move(sink);
    }

    void Message(const QString &text) override;
    bool AskYesNo(const QString &question, bool defaultNo = false) override;
    std::optional<QString> Input(const QString &title, const QString &question,
                                 const QString &defaultText) override;
    int PickFromList(const QString &caption, const QStringList &lines) override;
    QString BrowseExistingFile(const QString &caption, const QString &startDir) override;
    QString BrowseExistingFileOfType(const QString &caption, const QString &startDir,
                                     const QString &filter) override;
    QString BrowseNewFile(const QString &caption, const QString &startPath,
                          const QString &filter) override;
    Core::ExistingFileAnswer AskExistingFile() override;
    void ShowStatus(const QString &text) override;

    // The title of the message boxes.
    static QString MessageTitle();

private:
    QPointer<QWidget> m_parent;
    std::function<void(const QString &)> m_statusSink;
};

} // namespace Windows
