#include "windows/yesno.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace Windows {

YesNo::YesNo(const QString &question, QWidget *parent, bool defaultNo)
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
    QPushButton *byDefault = defaultNo ? m_no : m_yes;
    byDefault->setDefault(true);

    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(m_yes);
    buttons->addWidget(m_no);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(m_question);
    layout->addLayout(buttons);

    // The default button also has the focus, so Space answers as Return does.
    byDefault->setFocus();
    connect(m_yes, &QPushButton::clicked, this, &QDialog::accept);
    connect(m_no, &QPushButton::clicked, this, &QDialog::reject);
}

} // namespace Windows
