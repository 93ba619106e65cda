#pragma once

#include <memory>
#include <optional>

#include <QList>
#include <QSet>
#include <QString>

namespace Core {
class Prompts;
struct GalaState;
} // namespace Core

namespace MeetDb {
class Database;
struct Session;
} // namespace MeetDb

/*
 * What one "Record" of the entry window writes, and the stores it is written to.
 *
 * The entry window builds an EntrantRecord (the entrant and its swims, with the entry times as
 * the operator left them) and hands it to an EntryStore. Each store applies its own spelling of
 * the times: the meet database writes "9:99.99" for an empty time and for "NT"; the entry files
 * keep "NT" for individuals and an empty time for members. A store writes a whole record or
 * nothing: the entrant number is taken, the entrant and every swim written and the next number
 * stored together, so a crash or a failure loses at most the record in progress and two
 * entrants never share a number.
 */
class QSqlQuery;

namespace Entries {

class EntryFiles;

// The text stored for a swim without an entry time, and the time the operator may type for it.
inline const QString NoTimeText = QStringLiteral("9:99.99");
inline const QString NtText = QStringLiteral("NT");
// The home club's code, the club of every member-gala entrant.
inline const QString HomeClubCode = QStringLiteral("VMSC");

enum class EntrantKind {
    Member,     // member galas: a club member with personal-best entry times
    Individual, // open galas: one swimmer
    Relay,      // masters relays: a team entered under the relay's group
};

struct EntrySwimRecord
{
    int EventIndex = -1; // 0-based position in the gala's event list
    QString EventNumber;
    QString EntryTime;    // as left in the window or taken from the member: "", "NT" or a time
    QString MeetSpecific; // open galas only
};

struct EntrantRecord
{
    EntrantKind Kind = EntrantKind::Individual;
    // Members: the member's name in key form (surname first). Others: the full name as typed, or
    // the relay team's name (may be empty).
    QString Name;
    QString FullName; // as in the window, forename first
    QString Club;
    // "age": members the entry date or the date of birth; open galas the date of birth, as
    // yyyy-mm-dd once checked (StoredDate); masters individuals the age-group letter; relays the
    // group name.
    QString Age;
    QString Sex;
    QString Regno;
    // Members of member galas only.
    QString Address1, Address2, Town, County, PostCode;
    QList<EntrySwimRecord> Swims; // in slot order
};

// The postal address of an open-gala entrant, for the address database.
struct AddressRecord
{
    QString Address1, Address2, Town, County, PostCode;
    int EventsEntered = 0;
    double Fee = 0;
};

/*
 * Where the entry window records. The meet database store is MeetDbEntryStore below; the entry
 * files implement the same interface.
 *
 * Failures come back as false with a message for the caller to show; a store never shows a
 * message from WriteEntrant or KeepNextNumber itself, so the window decides how to report it.
 */
class EntryStore
{
public:
    virtual ~EntryStore() = default;

    // Called when the entry window opens. May ask questions and show messages through
    // `prompts`. Returns false when the window is to close.
    virtual bool Open(Core::Prompts &prompts) = 0;

    // Writes the entrant and its swims under the next entrant number and stores the number
    // after it, all or nothing. `numberUsed` receives the number (0 for a store that numbers
    // no entrants). A store may write nothing for a record without swims where its format has
    // no place for one (member swim lines). Returns false with `error` set when nothing was
    // written. On success `error` may still be set, to a warning for the caller to show: the
    // record is stored, but something after it failed (the entry files' flush).
    virtual bool WriteEntrant(const EntrantRecord &record, int *numberUsed, QString *error) = 0;

    // The entrant number of the first entrant of the meet recorded under `swimmerName`
    // (compared exactly) and, when `age` is given, with the same age field (SameAgeField: the
    // same date of birth or masters letter); 0 when none or when the store cannot tell.
    virtual int FindEntrant(const QString &swimmerName, const std::optional<QString> &age) = 0;

    // "Exit". Returns false with `error` set when the store could not be closed cleanly.
    virtual bool Close(QString *error) = 0;

    // The club's member database, for a store that needs it while it opens (the entry files
    // offer to clear the envelope flags). Not owned; null when there is none. Given before Open.
    virtual void SetMemberDatabase(MeetDb::Database *memberDb) { (void)memberDb; }

    // The entry files the store records into, for commands that rewrite them (entry deletion);
    // nullptr for a store without files.
    virtual EntryFiles *Files() { return nullptr; }
};

/*
 * The meet database store. Each record runs in one transaction that begins by taking the write
 * lock: "Next Competitor Number" of "Details of 1 Meet" is read inside it (Null counts as 1), so
 * two programs on one file never hand out the same number. A number that is already taken in
 * the meet (the stored counter fell behind) is passed over for one above the highest in use, so
 * an entry is never refused or written over. The session must outlive the store.
 */
class MeetDbEntryStore : public EntryStore
{
public:
    explicit MeetDbEntryStore(MeetDb::Session &session);
    ~MeetDbEntryStore() override;

    // Shows "Adding to existing entries for this meet" when the meet has entrants already.
    bool Open(Core::Prompts &prompts) override;
    bool WriteEntrant(const EntrantRecord &record, int *numberUsed, QString *error) override;
    int FindEntrant(const QString &swimmerName, const std::optional<QString> &age) override;
    bool Close(QString *error) override;

private:
    MeetDb::Session &m_session;
    // The look-up of FindEntrant, prepared on first use and re-bound for each name: an import
    // asks once for every line of its file.
    std::unique_ptr<QSqlQuery> m_findEntrant;
};

/*
 * Writes many entrants into the loaded meet of the meet database inside the caller's
 * transaction, each as MeetDbEntryStore::WriteEntrant writes one: the same rows and the same
 * numbering (the stored next number, or one above the highest in use when that one is taken).
 * The numbers in use are read once and every statement is prepared once for the whole batch, so
 * thousands of entrants cost little more than their rows. Finish stores the next number; the
 * caller commits after it. The session must outlive the writer, and the meet database must stay
 * open until the writer is gone.
 */
class EntrantBatchWriter
{
public:
    // Reads the meet's next number and the numbers in use. Throws MeetDb::DbError.
    explicit EntrantBatchWriter(MeetDb::Session &session);
    ~EntrantBatchWriter();
    EntrantBatchWriter(const EntrantBatchWriter &) = delete;
    EntrantBatchWriter &operator=(const EntrantBatchWriter &) = delete;

    // Writes the entrant and its swims; returns the number it took. Throws MeetDb::DbError.
    int Write(const EntrantRecord &record);
    // Writes more swims for an entrant already in the meet under `number`, as Write writes an
    // entrant's swims. The caller has checked that the entrant has none of these events yet.
    // Throws MeetDb::DbError.
    void AddSwims(int number, const QList<EntrySwimRecord> &swims);
    // Stores the number after the last one written as the meet's next number and returns it
    // (the stored number as read when nothing was written). Throws MeetDb::DbError.
    int Finish();

private:
    struct Statements;

    MeetDb::Session &m_session;
    std::unique_ptr<Statements> m_statements;
    QSet<int> m_used; // entrant numbers taken in the meet
    int m_highest = 0;
    int m_next = 1;
    bool m_written = false;
};

// The store for the session: the entry files (EntryFilesStore) when the operator did not choose
// the meet database (UseMeetDb false); the meet database store when it was chosen and is open;
// nullptr when it was chosen but is not open (the entry window then reports that the meet
// database is not available).
std::unique_ptr<EntryStore> MakeEntryStore(MeetDb::Session &session);

// The "Combined With" of a swim in `evNumber`: the first event of the first combination that
// holds it as its second or later member; otherwise the number itself.
QString CombinedWith(const Core::GalaState &gala, const QString &evNumber);

// The entry time as the meet database stores it: "9:99.99" for "" and for "NT".
QString StoredEntryTime(const QString &time);

// The highest entrant number handed out: a stored counter beyond it is damage, not a meet.
inline constexpr int MaxEntrantNumber = 999999;

// Writes one record to the meet database inside the caller's transaction: the "Entrant Table"
// record under `number`, then (member galas) the next-number update, the "Swim Table" records in
// order, then (open galas) the next-number update. In a "Select" gala an event made from a
// stroke and distance pair is added to the meet's "Event Table" first, so the swim's event is
// there at the next load. Throws MeetDb::DbError.
void WriteEntrantRecord(MeetDb::Database &db, const Core::GalaState &gala,
                        const EntrantRecord &record, int number);

// The number the next entrant is to take, read from "Details of 1 Meet" (Null or less than 1
// gives 1). Throws MeetDb::DbError when the meet is not in the file and when the number is not
// a whole number up to MaxEntrantNumber.
int ReadNextCompetitorNumber(MeetDb::Database &db, const QString &meetCode);

// One record of the address database's "Entrant Table" for an open-gala entrant: "First Name"
// is the full name's first word, "SurName" the rest. Throws MeetDb::DbError.
void WriteAddressRecord(MeetDb::Database &addressDb, const EntrantRecord &entrant, int number,
                        const AddressRecord &address);

} // namespace Entries
