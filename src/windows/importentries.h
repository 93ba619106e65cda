#pragma once

#include <QDialog>

class QPlainTextEdit;
class QPushButton;

namespace Core {
class Prompts;
}
namespace MeetDb {
struct Session;
}
namespace Lenex {
class ImportEntriesForm;
}

namespace Windows {

/*
 * The "Import Entries" window: the summary of a club's Lenex entries checked against the meet,
 * with "Import" (writes them and closes), "Save Report" (the summary as a text file) and
 * "Cancel" (writes nothing; Esc too). The form does the work; it must outlive the window.
 */
class ImportEntries : public QDialog
{
public:
    ImportEntries(Lenex::ImportEntriesForm &form, QWidget *parent = nullptr);

    QPlainTextEdit *SummaryBox() const { return m_summary; }
    QPushButton *ImportButton() const { return m_import; }
    QPushButton *SaveReportButton() const { return m_saveReport; }
    QPushButton *CancelButton() const { return m_cancel; }

private:
    void Import();

    Lenex::ImportEntriesForm &m_form;
    QPlainTextEdit *m_summary;
    QPushButton *m_import;
    QPushButton *m_saveReport;
    QPushButton *m_cancel;
};

// The main window's "Import Entries": asks for the file, and shows the window when there is a
// summary to show.
void RunImportEntries(MeetDb::Session &session, Core::Prompts &prompts, QWidget *parent);

} // namespace Windows
