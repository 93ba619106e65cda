#include "windows/printoutput.h"

#include <optional>

#include <QDialogButtonBox>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QLabel>
#include <QPrintDialog>
#include <QPrintPreviewDialog>
#include <QPrinter>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include "core/prompts.h"
#include "meetdb/session.h"
#include "reports/entrantslist.h"
#include "reports/nonswimmers.h"
#include "reports/programmerun.h"

namespace Windows {

OutputChoice::OutputChoice(OutputKind initial, QWidget *parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("OutputChoice"));
    setWindowTitle(tr("Print"));
    auto *question = new QLabel(tr("Where should the report go?"), this);
    m_preview = new QRadioButton(tr("Pre&view"), this);
    m_preview->setObjectName(QStringLiteral("Preview"));
    m_printer = new QRadioButton(tr("&Printer"), this);
    m_printer->setObjectName(QStringLiteral("Printer"));
    m_pdf = new QRadioButton(tr("P&DF file"), this);
    m_pdf->setObjectName(QStringLiteral("PdfFile"));
    switch (initial) {
    case OutputKind::Preview:
        m_preview->setChecked(true);
        break;
    case OutputKind::Printer:
        m_printer->setChecked(true);
        break;
    case OutputKind::PdfFile:
        m_pdf->setChecked(true);
        break;
    }

    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    m_ok = buttons->button(QDialogButtonBox::Ok);
    m_ok->setDefault(true);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(question);
    layout->addWidget(m_preview);
    layout->addWidget(m_printer);
    layout->addWidget(m_pdf);
    layout->addWidget(buttons);
    // The ticked choice has the focus, so the arrow keys move from it and Return takes it.
    Choice() == OutputKind::Preview   ? m_preview->setFocus()
    : Choice() == OutputKind::Printer ? m_printer->setFocus()
                                      : m_pdf->setFocus();
}

OutputKind OutputChoice::Choice() const
{
    if (m_printer->isChecked())
        return OutputKind::Printer;
    if (m_pdf->isChecked())
        return OutputKind::PdfFile;
    return OutputKind::Preview;
}

PrintOutput::PrintOutput(Core::Prompts &prompts, QWidget *parent)
    : m_prompts(prompts)
    , m_parent(parent)
{}

bool PrintOutput::Run(const QString &title, const QString &fileName,
                      const Reports::ReportFonts &fonts, const Reports::ReportBody &body)
{
    OutputChoice choice(m_choice, m_parent);
    if (choice.exec() != QDialog::Accepted)
        return false;
    m_choice = choice.Choice();
    switch (m_choice) {
    case OutputKind::Preview:
        return Preview(title, fonts, body);
    case OutputKind::Printer:
        return Print(title, fonts, body);
    case OutputKind::PdfFile:
        return WritePdf(title, fileName, fonts, body);
    }
    return false;
}

bool PrintOutput::Preview(const QString &title, const Reports::ReportFonts &fonts,
                          const Reports::ReportBody &body)
{
    QPrinter printer(QPrinter::HighResolution);
    Reports::PreparePrinter(printer, title);
    QPrintPreviewDialog dialog(&printer, m_parent);
    dialog.setObjectName(QStringLiteral("PrintPreview"));
    dialog.setWindowTitle(QStringLiteral("Print Preview - ") + title);
    // The preview draws again when the page set-up changes; a failure is told once.
    bool failed = false;
    QObject::connect(&dialog, &QPrintPreviewDialog::paintRequested, &dialog, [&](QPrinter *device) {
        QString error;
        if (!Reports::DrawReport(*device, fonts, body, &error) && !failed) {
            failed = true;
            m_prompts.Message(error);
        }
    });
    dialog.resize(900, 960);
    dialog.exec();
    return !failed;
}

bool PrintOutput::Print(const QString &title, const Reports::ReportFonts &fonts,
                        const Reports::ReportBody &body)
{
    QPrinter printer(QPrinter::HighResolution);
    Reports::PreparePrinter(printer, title);
    QPrintDialog dialog(&printer, m_parent);
    if (dialog.exec() != QDialog::Accepted)
        return false;
    QString error;
    if (!Reports::DrawReport(printer, fonts, body, &error)) {
        m_prompts.Message(error);
        return false;
    }
    return true;
}

bool PrintOutput::WritePdf(const QString &title, const QString &fileName,
                           const Reports::ReportFonts &fonts, const Reports::ReportBody &body)
{
    const QString folder = m_pdfFolder.isEmpty() ? QDir::homePath() : m_pdfFolder;
    const QString suggested = QDir(folder).filePath(fileName);
    QString path;
    if (m_choosePdfPath) {
        path = m_choosePdfPath(suggested);
    } else {
        QFileDialog dialog(m_parent, QStringLiteral("Save the report as PDF"), suggested,
                           QStringLiteral("PDF files (*.pdf)"));
        dialog.setAcceptMode(QFileDialog::AcceptSave);
        // The dialog adds ".pdf" itself, so that it also asks before replacing that file.
        dialog.setDefaultSuffix(QStringLiteral("pdf"));
        if (dialog.exec() == QDialog::Accepted && !dialog.selectedFiles().isEmpty())
            path = dialog.selectedFiles().constFirst();
    }
    if (path.isEmpty())
        return false;
    m_pdfFolder = QFileInfo(path).absolutePath();
    QString error;
    if (!Reports::WritePdfReport(path, title, fonts, body, &error)) {
        m_prompts.Message(error);
        return false;
    }
    m_prompts.ShowStatus(QStringLiteral("The report was written to ") +
                         QDir::toNativeSeparators(path));
    return true;
}

namespace {

// Meet codes are letters and digits, but one from elsewhere must not make a path.
QString SafeCode(QString code)
{
    for (QChar &c : code)
        if (!c.isLetterOrNumber())
            c = u'_';
    return code;
}

} // namespace

void RunProgramme(MeetDb::Session &session, MeetDay::Roster &roster, Core::Prompts &prompts,
                  PrintOutput &output)
{
    if (session.Gala.GalaType == Core::GalaChamps) {
        const QString written = Reports::CreateChampsProgramme(session, prompts);
        if (!written.isEmpty())
            prompts.ShowStatus(
                QStringLiteral("Programme written to %1").arg(QDir::toNativeSeparators(written)));
        return;
    }
    const std::optional<Reports::Programme> programme =
        Reports::PrepareProgramme(session, roster, prompts);
    if (!programme)
        return;
    output.Run(programme->Title + QStringLiteral(" - Programme"),
               QStringLiteral("programme-%1.pdf").arg(SafeCode(session.Gala.MeetCode)),
               Reports::ReportFontsFrom(session.Settings), [&](Reports::Printer &printer) {
                   Reports::PrintProgramme(printer, session.Gala, *programme);
               });
}

void RunPrintEntrantsList(MeetDb::Session &session, Core::Prompts &prompts, PrintOutput &output)
{
    const std::optional<Reports::EntrantsList> list =
        Reports::PrepareEntrantsList(session, prompts);
    if (!list)
        return;
    output.Run(list->MeetName + QStringLiteral(" - Entrants List"),
               QStringLiteral("entrants-%1.pdf").arg(SafeCode(session.Gala.MeetCode)),
               Reports::ReportFontsFrom(session.Settings),
               [&](Reports::Printer &printer) { Reports::PrintEntrantsList(printer, *list); });
}

void RunPrintUnconfirmed(MeetDb::Session &session, const MeetDay::Roster &roster,
                         Core::Prompts &prompts, PrintOutput &output)
{
    const std::optional<Reports::NonSwimmers> list =
        Reports::PrepareNonSwimmers(session, roster, prompts);
    if (!list)
        return;
    output.Run(list->Title + QStringLiteral(" - Non swimmers"),
               QStringLiteral("nonswimmers-%1.pdf").arg(SafeCode(session.Gala.MeetCode)),
               Reports::ReportFontsFrom(session.Settings),
               [&](Reports::Printer &printer) { Reports::PrintNonSwimmers(printer, *list); });
}

} // namespace Windows
