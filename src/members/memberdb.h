#pragma once

#include <QByteArray>
#include <QList>
#include <QMap>
#include <QSet>
#include <QString>
#include <QStringList>
#include <QVariantList>

namespace Core {
class Prompts;
struct SystemSettings;
} // namespace Core

namespace MeetDb {
class Database;
}

/*
 * The club's member database (pbsys.mdb): its "Members Table" holds every member with their
 * personal-best (PB) time and date for each PB event of the system settings.
 *
 * Storage. "Record Id" is the integer primary key. Texts are stored as they are given, an
 * empty text as Null. "Date of Birth" and the "PB Date n" fields hold ISO dates (yyyy-mm-dd),
 * which keep the century that a "dd/mm/yy" text loses; a text that is not a date is kept as it
 * stands rather than lost. "Envelope Flag" is 1 or 0. "PB Time n" holds the time text
 * ("1:05.30"), Null when there is none.
 *
 * MemberIndex is the sorted in-memory list of active members' name keys ("Surname Forename")
 * that the entry window completes typed names against. Positions are 1-based, 0 meaning none.
 * Keys are ordered by a plain binary comparison of their UTF-16 code units (QString's
 * operator<): "Zoe" sorts before "de Vries" and "Zoë" after "Zoz". The order only has to be
 * the same every time, and a locale-aware order would change with the machine the program
 * runs on.
 */
namespace Members {

inline const QString MembersTable = QStringLiteral("Members Table");

// Columns for the PB times and dates: "PB Time 1" ... and "PB Date 1" ..., one pair per PB
// event of the settings, in the order of the settings' PB event list. A file carries
// MaxPbColumns pairs, enough for the longest distance lists the settings allow.
inline constexpr int MaxPbColumns = 50;
QString PbTimeField(int column); // column is 1-based
QString PbDateField(int column);

// The capacity a new MemberIndex gets. BuildMemberIndex raises it when a file holds more
// active members.
inline constexpr int DefaultIndexCapacity = 10000;

// The highest "Record Id" the program gives or takes. Ids are counted upwards from the highest
// in the file, so a file holding a larger one could not take another member.
inline constexpr int MaxMemberRecordId = 999999999;

// The index key of a member: surname, one blank, forename, trailing blanks removed.
QString MemberKey(const QString &surname, const QString &forename);

// Creates a new member database file with its "Members Table". Throws MeetDb::DbError when the
// file exists or cannot be written; a half-made file is removed.
void CreateMemberDatabase(const QString &path);

// The record most recently read (`CurrentMember` of the entry and meet-day windows).
struct Member
{
    int RecordId = 0;
    QString Surname;
    QString Forename;
    QString RecordType;  // "A" for an active member
    QString DateOfBirth; // "dd/mm/yy", "" when none
    QString Sex;
    QString Address1, Address2, Town, County, PostCode;
    QString Telephone, Squad; // the two text fields shown after the name
    QString Email;
    bool EnvelopeFlag = false;
    // Index column-1. ReadMember fills all MaxPbColumns entries, "" where there is none.
    QStringList PbTimes;
    QStringList PbDates;

    QString DisplayName() const; // "Surname Forename", as MemberKey
    // The PB time and date of a 1-based column; "" when out of range or empty.
    QString PbTime(int column) const;
    QString PbDate(int column) const;
};

class MemberIndex
{
public:
    explicit MemberIndex(int capacity = DefaultIndexCapacity);

    int Count() const { return int(m_keys.size()); }
    int Capacity() const { return m_capacity; }
    // Never lowers the capacity below the entries already held.
    void SetCapacity(int capacity);
    QString Key(int position) const { return m_keys.at(position - 1); }
    int RecordId(int position) const { return m_ids.at(position - 1); }

    // Empties the index and its collisions; the capacity stays.
    void Clear();

    // Names (keys) that two or more active members share, each with their record ids in file
    // order. BuildMemberIndex keeps them out of the index, since no look-up by name could tell
    // those members apart; every other member stays usable.
    const QMap<QString, QList<int>> &Collisions() const { return m_collisions; }
    void SetCollisions(const QMap<QString, QList<int>> &collisions) { m_collisions = collisions; }
    // Inserts in key order. When full, shows "Index Full", inserts nothing and returns true (the
    // program goes on without that member). A key that does not sort after the last entry writes
    // "Out of sequence : ", a line break and the key to the status line. Returns false when the
    // index turns out to be inconsistent, after showing the key followed by "Duplicate Entry !! "
    // (the key is already there) or by "Can't resolve index !! " (no place found): the index is
    // then unchanged, and the caller must end, as the index can no longer be trusted.
    bool InsertIndexEntry(const QString &key, int recordId, Core::Prompts &prompts);
    // The position of the entry equal to (mode 0) or containing (mode 1) the key, or 0. Only the
    // few entries round the key's place in the order are looked at; among those the last match
    // is returned.
    int FindIndexEntry(const QString &key, int mode) const;
    // The key of the first member, in key order, matching a partly typed "surname forename": the
    // surname contains the typed text before the first blank and the forename contains the
    // text after it. "" when none matches or nothing is typed. The scan ends at the first
    // surname that sorts after the typed surname part and does not contain it.
    QString CompleteMemberName(const QString &typed) const;

private:
    // The narrowed range lo..hi (1-based) round `key`.
    void Narrow(const QString &key, int &lo, int &hi) const;

    int m_capacity;
    QStringList m_keys;
    QList<int> m_ids;
    QMap<QString, QList<int>> m_collisions;
};

// Rebuilds the index from every active member ("Record Type" exactly "A") of the open member
// database, in the file's record order, showing each key on the status line. The capacity is
// raised to the number of active members when it is smaller. A name that several active members
// share is not indexed but listed in the index's Collisions(), for the caller to report.
// Returns false when the index could not be built consistently (after the index's own
// message); throws MeetDb::DbError when the file cannot be read.
bool BuildMemberIndex(MeetDb::Database &db, MemberIndex &index, Core::Prompts &prompts);

// Reads one member. Shows "Can't seek record on database" and returns false when there is none
// with that id or the database is not open; `member` is then unchanged. Throws
// MeetDb::DbError when the file cannot be read.
bool ReadMember(MeetDb::Database &db, int recordId, Member &member, Core::Prompts &prompts);

// Writes a member back by record id, or adds it when the id is not in the file; a RecordId of
// 0 or less adds it under the next free id (one above the highest). Returns the id written.
// Every PB column is written, those beyond the member's lists as empty. A "dd/mm/yy" date equal
// to the stored one keeps the stored century. One transaction; throws MeetDb::DbError.
int WriteMember(MeetDb::Database &db, const Member &member);

// The number of records in "Members Table", active or not. Throws MeetDb::DbError.
int CountMembers(MeetDb::Database &db);

// Asks "Clear all envelope flags?"; on Yes clears every member's envelope flag in one
// transaction, or shows "Wot no members !!!!!" when the table is empty. Returns true when flags
// were cleared. Throws MeetDb::DbError.
bool ClearEnvelopeFlags(MeetDb::Database &db, Core::Prompts &prompts);

// The 1-based PB column of a distance ("100", compared by numeric value) and stroke code under
// the settings' PB distance lists and stroke codes, or -1.
int PbColumn(const Core::SystemSettings &settings, const QString &distance, const QString &stroke);

// Adds the members of a CSV file (UTF-8, comma-separated, fields optionally in double quotes
// with "" for a quote, one record per line) to "Members Table". The first line names the fields
// (the table's own field names, any order, "Surname" required). An empty or missing "Record Id"
// takes the next free id. Dates are read day first (a four-digit year is kept), PB times are
// rewritten in the program's form, and "Envelope Flag" takes 1/0, -1, yes/no or true/false.
// All in one transaction: any bad line throws MeetDb::DbError "file:line: reason" and adds
// nothing. Two active members with the same key are refused, as the index could not hold them.
void ImportMembersCsv(MeetDb::Database &db, const QString &csvPath);

// What "Members Table" holds already, for the checks of a members CSV file.
struct ExistingMembers
{
    QSet<int> RecordIds;
    QSet<QString> ActiveKeys; // MemberKey of every active member ("Record Type" "A")
    int NextId = 1;           // the id a member without one is given first (NextMemberId)
};

// One member of a members CSV file, checked and with its values as they are stored.
struct MemberCsvRow
{
    int Line = 0;        // 1-based line of the file
    int RecordId = 0;    // given in the file, or the next free one
    QVariantList Values; // one per field of the header, in its order (Record Id included)
};

struct MembersCsv
{
    QStringList Fields; // the header's fields in the table's spelling
    QList<MemberCsvRow> Rows;
};

// The first step of ImportMembersCsv, which touches no database: reads the file's bytes and
// checks every line, ids and active names against `existing` and the lines before. Throws
// MeetDb::DbError "name:line: reason" at the first fault.
MembersCsv ReadMembersCsv(const QByteArray &bytes, const QString &name,
                          const ExistingMembers &existing);

} // namespace Members
