#include "windows/filedialogue.h"

#include <QButtonGroup>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

namespace Windows {

FileDialogue::FileDialogue(QWidget *parent)
    : QDialog(parent)
    , m_overwrite(new QRadioButton(tr("&Overwrite existing contents"), this))
    , m_append(new QRadioButton(tr("&Append to existing contents"), this))
    , m_change(new QRadioButton(tr("C&hange File Name"), this))
    , m_continue(new QPushButton(tr("&Continue"), this))
    , m_cancel(new QPushButton(tr("Cancel"), this))
{
    setObjectName(QStringLiteral("FileDialogue"));
    setWindowTitle(tr("File Exists"));

    auto *question = new QLabel(Core::ExistingFileQuestion, this);
    question->setObjectName(QStringLiteral("Label1"));
    m_overwrite->setObjectName(QStringLiteral("OverWriteButton"));
    m_append->setObjectName(QStringLiteral("AppendButton"));
    m_change->setObjectName(QStringLiteral("ChangeButton"));
    m_continue->setObjectName(QStringLiteral("Command1"));
    m_cancel->setObjectName(QStringLiteral("Command2"));

    auto *group = new QButtonGroup(this);
    group->addButton(m_overwrite);
    group->addButton(m_append);
    group->addButton(m_change);

    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(m_continue);
    buttons->addWidget(m_cancel);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(question);
    layout->addWidget(m_overwrite);
    layout->addWidget(m_append);
    layout->addWidget(m_change);
    layout->addSpacing(8);
    layout->addLayout(buttons);

    connect(group, &QButtonGroup::buttonToggled, this, &FileDialogue::UpdateContinue);
    connect(m_continue, &QPushButton::clicked, this, &QDialog::accept);
    connect(m_cancel, &QPushButton::clicked, this, &QDialog::reject);
    UpdateContinue();
}

void FileDialogue::UpdateContinue()
{
    const bool chosen = m_overwrite->isChecked() || m_append->isChecked() || m_change->isChecked();
    m_continue->setEnabled(chosen);
    m_continue->setDefault(chosen);
}

Core::ExistingFileAnswer FileDialogue::Answer() const
{
    Core::ExistingFileAnswer answer;
    answer.Ok = result() == QDialog::Accepted;
    if (m_append->isChecked())
        answer.Option = Core::ExistingFileOption::Append;
    else if (m_change->isChecked())
        answer.Option = Core::ExistingFileOption::ChangeName;
    else
        answer.Option = Core::ExistingFileOption::Overwrite;
    return answer;
}

} // namespace Windows
