#pragma once

#include <functional>

#include <QDialog>
#include <QPointer>
#include <QString>

#include "meetday/roster.h"
#include "reports/printer.h"
#include "reports/reportoutput.h"

class QPushButton;
class QRadioButton;

namespace Core {
class Prompts;
}
namespace MeetDb {
struct Session;
}

namespace Windows {

enum class OutputKind { Preview, Printer, PdfFile };

// The small window every report command opens first: where the report goes, "Preview",
// "Printer" or "PDF file". OK takes the ticked choice; "Cancel", Escape and closing the window
// print nothing.
class OutputChoice : public QDialog
{
public:
    explicit OutputChoice(OutputKind initial, QWidget *parent = nullptr);

    OutputKind Choice() const;

    QRadioButton *PreviewOption() const { return m_preview; }
    QRadioButton *PrinterOption() const { return m_printer; }
    QRadioButton *PdfOption() const { return m_pdf; }
    QPushButton *OkButton() const { return m_ok; }

private:
    QRadioButton *m_preview;
    QRadioButton *m_printer;
    QRadioButton *m_pdf;
    QPushButton *m_ok;
};

/*
 * Sends a drawn report where the user says: the print preview (from which it can still be
 * printed, on any printer), the printer chosen in the print dialog, or a PDF file. The choice
 * and the folder of the last PDF are remembered for the rest of the run and offered first the
 * next time. The report itself never learns which device it draws on.
 */
class PrintOutput
{
public:
    explicit PrintOutput(Core::Prompts &prompts, QWidget *parent = nullptr);

    void SetParentWidget(QWidget *parent) { m_parent = parent; }

    // Asks where the report goes, then draws `body` there; `fileName` is the name offered for a
    // PDF. A failure is shown through the prompts. Returns true when the report was drawn.
    bool Run(const QString &title, const QString &fileName, const Reports::ReportFonts &fonts,
             const Reports::ReportBody &body);

    // The choice offered first by the next Run.
    OutputKind LastChoice() const { return m_choice; }

    // Asks for the path of the PDF, given the suggested one; "" cancels. A file dialog unless
    // replaced (the tests replace it).
    using PdfPathChooser = std::function<QString(const QString &suggestedPath)>;
    void SetPdfPathChooser(PdfPathChooser chooser) { m_choosePdfPath = std::move(chooser); }

private:
    bool Preview(const QString &title, const Reports::ReportFonts &fonts,
                 const Reports::ReportBody &body);
    bool Print(const QString &title, const Reports::ReportFonts &fonts,
               const Reports::ReportBody &body);
    bool WritePdf(const QString &title, const QString &fileName, const Reports::ReportFonts &fonts,
                  const Reports::ReportBody &body);

    Core::Prompts &m_prompts;
    QPointer<QWidget> m_parent;
    OutputKind m_choice = OutputKind::Preview;
    QString m_pdfFolder;
    PdfPathChooser m_choosePdfPath;
};

// The meet-day window's "Programme" for the selected events: the programme is prepared from
// the roster (its reserve marks are copied into it), then sent to the output. A "Champs" meet
// gets its programme CSV file instead.
void RunProgramme(MeetDb::Session &session, MeetDay::Roster &roster, Core::Prompts &prompts,
                  PrintOutput &output);

// The main window's "Print Entrants List": the list's checks and reading, then the output.
void RunPrintEntrantsList(MeetDb::Session &session, Core::Prompts &prompts, PrintOutput &output);

// The meet-day window's "Print Unconfirmed" for the selected events: the list is read from the
// roster as it stands, then sent to the output.
void RunPrintUnconfirmed(MeetDb::Session &session, const MeetDay::Roster &roster,
                         Core::Prompts &prompts, PrintOutput &output);

} // namespace Windows
