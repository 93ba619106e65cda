#include "windows/yesno.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace Windows {

YesNo::YesNo(const QString &question, QWidget *parent)
    : QDialog(parent)
    , m_question(new QLabel(question, this))
    , m_yes(new QPushButton(tr("&Yes"), this))
    , m_no(new QPushButton(tr("&No"), this))
{
    setObjectName(QStringLiteral("YesNo"));
    setWindowTitle(tr("Please Confirm"));
    m_question->setObjectName(QStringLiteral("Question"));
    m_question->setWordWrap(true);
    m_question->setMinimumWidth(280);
    m_yes->setObjectName(QStringLiteral("Command1"));
    m_no->setObjectName(QStringLiteral("Command2"));
    m_yes->setDefault(true);

    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(m_yes);
    buttons->addWidget(m_no);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(m_question);
    layout->addLayout(buttons);

    connect(m_yes, &QPushButton::clicked, this, &QDialog::accept);
    connect(m_no, &QPushButton::clicked, this, &QDialog::reject);
}

void YesNo::SetDefaultNo()
{
    m_yes->setDefault(false);
    m_no->setDefault(true);
    m_no->setFocus(Qt::OtherFocusReason);
}

} // namespace Windows
