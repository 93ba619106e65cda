#pragma once

#include <QDialog>

#include "core/prompts.h"

class QPushButton;
class QRadioButton;

namespace Windows {

// The existing-file window. None of the three options is set when it opens and "Continue" stays
// disabled until one is, so that a file is never overwritten by a stray press of Enter.
// "Continue" accepts, "Cancel" (and Escape or closing) rejects.
class FileDialogue : public QDialog
{
public:
    explicit FileDialogue(QWidget *parent = nullptr);

    // Ok is true only after "Continue"; Option is the option that was set.
    Core::ExistingFileAnswer Answer() const;

    QRadioButton *OverWriteButton() const { return m_overwrite; }
    QRadioButton *AppendButton() const { return m_append; }
    QRadioButton *ChangeButton() const { return m_change; }
    QPushButton *ContinueButton() const { return m_continue; }
    QPushButton *CancelButton() const { return m_cancel; }

private:
    void UpdateContinue();

    QRadioButton *m_overwrite;
    QRadioButton *m_append;
    QRadioButton *m_change;
    QPushButton *m_continue;
    QPushButton *m_cancel;
};

} // namespace Windows
