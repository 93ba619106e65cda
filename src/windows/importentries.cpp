#include "windows/importentries.h"

#include <QFontDatabase>
#include <QHBoxLayout>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTextOption>
#include <QVBoxLayout>

#include "lenex/importentriesform.h"

namespace Windows {

ImportEntries::ImportEntries(Lenex::ImportEntriesForm &form, QWidget *parent)
    : QDialog(parent)
    , m_form(form)
{
    setObjectName(QStringLiteral("ImportEntries"));
    setWindowTitle(tr("Import Entries"));

    m_summary = new QPlainTextEdit(this);
    m_summary->setObjectName(QStringLiteral("Summary"));
    m_summary->setReadOnly(true);
    // A refusal names the athlete, the event and the reason in one line: wrapped, so that the
    // reason is never cut off at the window's edge, whatever the screen.
    m_summary->setLineWrapMode(QPlainTextEdit::WidgetWidth);
    m_summary->setWordWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    m_summary->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    m_summary->setPlainText(form.SummaryText());

    m_import = new QPushButton(tr("&Import"), this);
    m_import->setObjectName(QStringLiteral("Import"));
    m_import->setEnabled(form.CanImport());
    m_saveReport = new QPushButton(tr("Save &Report"), this);
    m_saveReport->setObjectName(QStringLiteral("SaveReport"));
    m_cancel = new QPushButton(tr("&Cancel"), this);
    m_cancel->setObjectName(QStringLiteral("Cancel"));
    // Return alone never imports: the official reads the summary first and presses Alt+I (or
    // Space on the button).
    for (QPushButton *button : {m_import, m_saveReport, m_cancel}) {
        button->setAutoDefault(false);
        button->setDefault(false);
    }

    auto *buttons = new QHBoxLayout;
    buttons->addWidget(m_import);
    buttons->addWidget(m_saveReport);
    buttons->addStretch();
    buttons->addWidget(m_cancel);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(m_summary);
    layout->addLayout(buttons);

    connect(m_import, &QPushButton::clicked, this, &ImportEntries::Import);
    connect(m_saveReport, &QPushButton::clicked, this, [this] {
        m_form.SaveReport();
        // Back to the summary, so that Alt+I or Esc follows at once.
        activateWindow();
        m_summary->setFocus();
    });
    connect(m_cancel, &QPushButton::clicked, this, &QDialog::reject);

    m_summary->setFocus();
    resize(760, 520);
}

void ImportEntries::Import()
{
    if (m_form.Import())
        accept();
}

void RunImportEntries(MeetDb::Session &session, Core::Prompts &prompts, QWidget *parent)
{
    Lenex::ImportEntriesForm form(session, prompts);
    if (!form.Open())
        return;
    ImportEntries window(form, parent);
    window.exec();
}

} // namespace Windows
