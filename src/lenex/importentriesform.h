#pragma once

#include <QString>

#include "lenex/lenexentries.h"
#include "lenex/lenexmodel.h"

namespace Core {
class Prompts;
}
namespace MeetDb {
struct Session;
}

namespace Lenex {

/*
 * "Import Entries" of the main window: a club's Lenex file read and checked against the loaded
 * meet, its summary shown, then imported, or its report saved, or dropped. The window shows
 * SummaryText() and calls the commands; everything it asks or tells goes through the prompts.
 * The session and the prompts must outlive the form.
 */
class ImportEntriesForm
{
public:
    ImportEntriesForm(MeetDb::Session &session, Core::Prompts &prompts);

    // Asks for the Lenex file and checks it. False, after a message, when there is no summary
    // to show (no file chosen, a file that does not read, a meet that takes no Lenex entries).
    bool Open();
    // The same for a file already named, and for a document read already.
    bool OpenFile(const QString &path);
    bool Load(const Document &document, const QString &source);

    QString SummaryText() const { return m_check.Summary(); }
    bool CanImport() const { return m_loaded && !m_imported && m_check.HasWork(); }

    // "Import": writes the accepted entries in one step and says what was written. Returns true
    // when they were written; the window then closes.
    bool Import();
    // "Save Report": asks where, then writes the summary there as text.
    bool SaveReport();

private:
    MeetDb::Session &m_session;
    Core::Prompts &m_prompts;
    EntriesCheck m_check;
    QString m_folder; // where the file came from; the report is offered beside it
    bool m_loaded = false;
    bool m_imported = false;
};

} // namespace Lenex
