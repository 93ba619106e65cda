#include "windows/announcerwindow.h"

#include <QClipboard>
#include <QFontDatabase>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace Windows {

AnnouncerWindow::AnnouncerWindow(const QString &message, int priority, QWidget *parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("Announcer"));
    setWindowTitle(tr("Announcer - priority %1").arg(priority));

    m_message = new QPlainTextEdit(this);
    m_message->setObjectName(QStringLiteral("PA_Message"));
    m_message->setReadOnly(true);
    // The heading is one long sentence, broken at blanks to fit; the columns of the lines
    // below fit the window whole.
    m_message->setLineWrapMode(QPlainTextEdit::WidgetWidth);
    QFont large = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    large.setPointSize(16);
    m_message->setFont(large);
    m_message->setPlainText(QString(message).replace(QLatin1String("\r\n"), QLatin1String("\n")));

    m_copy = new QPushButton(tr("&Copy"), this);
    m_copy->setObjectName(QStringLiteral("Copy"));
    m_copy->setAutoDefault(false);
    // The text as it was handed over, with its CR LF line ends.
    connect(m_copy, &QPushButton::clicked, this,
            [message] { QGuiApplication::clipboard()->setText(message); });
    auto *close = new QPushButton(tr("C&lose"), this);
    close->setObjectName(QStringLiteral("Close"));
    close->setDefault(true);
    connect(close, &QPushButton::clicked, this, &QDialog::accept);

    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(m_copy);
    buttons->addWidget(close);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(m_message, 1);
    layout->addLayout(buttons);
    resize(960, 640);
    close->setFocus();
}

} // namespace Windows
