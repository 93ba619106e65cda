#pragma once

#include "entries/entryfiles.h"
#include "entries/entrywriter.h"

namespace MeetDb {
class Database;
struct Session;
} // namespace MeetDb

namespace Entries {

/*
 * The entry window's store when the operator did not choose the meet database: the entry files
 * intent.vb, intent.cds and intent.ctl in the gala directory (EntryFiles).
 *
 * Each WriteEntrant appends one record and then flushes (files closed and reopened for
 * appending, intent.ctl rewritten), so after every "Record" the files on disk hold everything
 * recorded so far. Entry times keep the window's spelling except where the layout has none:
 *
 *   open individuals  an empty time becomes "9:99.99", "NT" stays "NT"
 *   relay teams       an empty time and "NT" both become "9:99.99"
 *   members           the personal best as it stands, empty when there is none
 *
 * Members of a swim-layout gala carry no entrant number (numberUsed 0), and a member with no
 * swims writes nothing. The session and the member database must outlive the store.
 */
class EntryFilesStore : public EntryStore
{
public:
    explicit EntryFilesStore(MeetDb::Session &session);

    void SetMemberDatabase(MeetDb::Database *memberDb) override { m_memberDb = memberDb; }

    // The files' start-up questions; false when the window is to close. A swim-layout file
    // started empty in a meet with "mailing" set offers clearing the envelope flags of the
    // member database given by SetMemberDatabase (not offered when that is not open).
    bool Open(Core::Prompts &prompts) override;
    bool WriteEntrant(const EntrantRecord &record, int *numberUsed, QString *error) override;
    // Entrant layout: the first block of intent.vb with this name (and age field); the swim
    // layout holds no entrant numbers and gives 0.
    int FindEntrant(const QString &swimmerName, const std::optional<QString> &age) override;
    // Closes the files (intent.ctl written) and, for a "Select" gala, writes its event list
    // back to the gala parameter file.
    bool Close(QString *error) override;

    EntryFiles *Files() override { return &m_files; }

private:
    bool Append(const EntrantRecord &record, QString *error);

    MeetDb::Session &m_session;
    MeetDb::Database *m_memberDb = nullptr;
    EntryFiles m_files;
};

} // namespace Entries
