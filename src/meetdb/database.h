#pragma once

#include <memory>
#include <optional>
#include <stdexcept>

#include <QHash>
#include <QList>
#include <QPair>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QString>
#include <QStringList>
#include <QVariant>

/*
 * Record sets over SQLite files reached through QtSql.
 *
 * The meet database, the address database and the member database are SQLite files. They are
 * read and written by table name, or through saved parameter queries stored inside the file, by
 * field name, with the small set of record-set operations below.
 *
 * Every failing engine call (a missing file, table, saved query or field, a locked database, a
 * file that is not a database) throws DbError with a message that names what failed. The
 * command that started the work catches it at its top, shows the message and ends; an open
 * transaction is rolled back by the Transaction guard, so a failed command writes nothing.
 *
 * Names of tables, saved queries, fields and parameters are matched exactly first and then
 * without regard to case, as the engine itself does for identifiers.
 *
 * Flags: a flag field is true when its value is greater than 0. SetField writes a bool as 1 or
 * 0, so a flag written here reads back true; a -1 imported from elsewhere reads as false.
 *
 * Saved queries live in the table "Saved Queries" of the same file (see schema.h for the
 * storage and the placeholder syntax).
 *
 * A file from elsewhere is untrusted, and its saved queries are statements written by whoever
 * made it. So a saved query must be one read-only SELECT: anything else is refused before it
 * runs, naming the query and the file. Edits, additions and deletions through a query go to
 * its update table only through statements built here, with quoted names and bound values.
 * Every connection has ATTACH switched off, ignores triggers a file brings, and stops a
 * statement that runs longer than the time limit; a record set stops at the row limit and at
 * the byte limit, so no query can fill the memory.
 *
 * Files are kept in SQLite's rollback-journal mode with full syncing: every commit is in the
 * file itself, so a copy of that one file holds everything committed, and the file can be read
 * on read-only media. A read-only open never changes the file. A file that cannot be kept that
 * way (another program holds it in WAL mode), or that a newer version of the program made, is
 * opened for reading only, with ReadOnlyReason() saying why; every write to it then fails with
 * that reason.
 */
namespace MeetDb {

// The table that holds the saved parameter queries, and the column alias a saved query uses to
// return the row id of its update table.
inline const QString SavedQueriesTable = QStringLiteral("Saved Queries");
inline const QString RowIdColumn = QStringLiteral("_rowid");

// The table whose last record holds the file's format version, and the version this program
// makes and understands. A file of a newer version is never written (see ReadOnlyReason).
inline const QString VersionTable = QStringLiteral("Version Table");
constexpr double MeetDbVersion = 1.0;

class DbError : public std::runtime_error
{
public:
    explicit DbError(const QString &message);
    QString Message() const { return m_message; }

private:
    QString m_message;
};

class RecordSet;

class Database
{
public:
    Database() = default;
    ~Database();
    Database(const Database &) = delete;
    Database &operator=(const Database &) = delete;

    enum class Access { ReadWrite, ReadOnly };

    // Opens an existing database file. Never creates a file. Throws DbError naming the file
    // when it is missing, empty, not a SQLite database or locked, and when it cannot be read as
    // it stands: a save to it was interrupted (its rollback journal is left beside it) and
    // there is no writing to undo it, or on read-only media its committed changes are still in
    // its WAL file. ReadWrite is for a session that records; ReadOnly is for a command that
    // only reads and must leave the file byte for byte as it was. A file on read-only media
    // (the file or its folder cannot be written) opens read-only either way, and so does one
    // that ReadOnlyReason() explains.
    void Open(const QString &path, Access access = Access::ReadWrite);
    // Creates or opens a file for writing (used when a new database is made).
    void OpenOrCreate(const QString &path);
    // Closes the file and drops the connection; does nothing when not open. Record sets of this
    // database must not be used afterwards.
    void Close();
    bool IsOpen() const;
    QString Path() const { return m_path; }
    bool IsReadOnly() const { return m_readOnly; }
    bool OnReadOnlyMedia() const { return m_readOnlyMedia; }
    // "The database ... is on read-only media ...": for the caller to show when
    // OnReadOnlyMedia().
    QString ReadOnlyMediaMessage() const;
    // Why a file is open for reading only although the caller did not ask for that, for the
    // caller to show after opening: it is on read-only media (ReadOnlyMediaMessage()), a newer
    // version of the program made it, or it is in WAL mode and another program has it open, so
    // it cannot be switched back to the rollback journal. "" otherwise.
    QString ReadOnlyReason() const { return m_readOnlyReason; }
    // The file's "Version Table" ends with a version above MeetDbVersion. Such a file is never
    // written, so its tables may differ from the ones this program makes.
    bool IsNewerVersion() const { return m_newerVersion; }

    // Whether a file and its folder can be written. Tests replace it to stand for read-only
    // media, since a test run as root can write whatever the permission bits say; nullptr
    // restores the real check.
    using WritableCheck = bool (*)(const QString &path);
    static void SetWritableCheck(WritableCheck check);

    // How long a statement waits for another program's lock before failing with DbError.
    // Takes effect at the next Open.
    void SetBusyTimeout(int milliseconds) { m_busyTimeoutMs = milliseconds; }
    // One statement may run this long before it is stopped with DbError, and a record set may
    // hold this many records. Both are far above what a meet or a club needs; they are there
    // for a crafted file whose query never ends.
    void SetStatementTimeLimit(int milliseconds) { m_timeLimitMs = milliseconds; }
    void SetRowLimit(int rows) { m_rowLimit = rows; }
    // A record set may hold this many bytes: each value counts ValueBytes, and a text two bytes
    // a character more, a blob its length more. A query that returns more is stopped with
    // DbError naming it, before the memory runs out.
    void SetByteLimit(qint64 bytes) { m_byteLimit = bytes; }
    static constexpr int DefaultTimeLimitMs = 5000;
    static constexpr int DefaultRowLimit = 1000000;
    static constexpr qint64 DefaultByteLimit = 256 * 1024 * 1024;
    static constexpr int ValueBytes = 32;

    bool HasTable(const QString &table);
    bool HasSavedQuery(const QString &name);

    // An updatable record set over every record of a table, in the order they were added.
    // Throws DbError when the table does not exist.
    std::unique_ptr<RecordSet> OpenTable(const QString &table);

    // A saved parameter query: set its parameters by name, then open it.
    class SavedQuery
    {
    public:
        // Throws DbError when the query has no parameter of that name. A parameter never set
        // is bound as Null.
        void SetParameter(const QString &name, const QVariant &value);
        // Runs the query with the parameters set so far. Updatable through its update table
        // when it has one; read-only otherwise.
        std::unique_ptr<RecordSet> Open();
        QString Name() const { return m_name; }
        // The parameter names in order of first appearance in the stored text.
        QStringList ParameterNames() const;
        QString UpdateTable() const { return m_updateTable; }

    private:
        friend class Database;
        Database *m_db = nullptr;
        QString m_name;
        QString m_sql;         // with {Parameter Name} placeholders
        QString m_updateTable; // table that edits, adds and deletes go to; "" for read-only
        QHash<QString, QVariant> m_values;
    };
    // Throws DbError when the file has no saved query of that name, or when its update table
    // is not a table of the file.
    SavedQuery OpenQuery(const QString &name);
    // Checks a saved query without running it: it is prepared, never stepped. Throws DbError
    // when it does not compile against the file's tables, or when it is anything but one
    // read-only SELECT (or, with an update table, returns no "_rowid").
    void CheckSavedQuery(const QString &name);

    // Transactions: the updates between Begin and Commit are written together. Begin takes the
    // write lock at once, so a database locked by another program fails here, before anything
    // is changed. Nested Begin/Commit pairs become savepoints; a Rollback undoes only the
    // innermost level.
    void Begin();
    void Commit();
    void Rollback();
    int TransactionDepth() const { return m_transactionDepth; }

    // The underlying connection, for the schema code and the tools.
    QSqlDatabase &Connection() { return m_db; }

    // Runs one statement with named bound values (keys with or without the leading ':');
    // throws DbError on failure.
    void Exec(const QString &sql, const QVariantHash &values = {});

    // Quotes a table or field name for use in a statement.
    QString Quote(const QString &identifier) const;

private:
    friend class RecordSet;

    void Connect(const QString &path, bool create, Access access);
    // Limits, the progress handler and switched-off features of a new connection.
    void Harden();
    // Durable commits: the rollback journal with full syncing (read-write connections only).
    void UseRollbackJournal(bool create);
    // Reads the file's version into m_newerVersion; returns the refusal to write when newer.
    QString NewerVersionReason();
    // Makes the open connection read-only for `reason`, which every refused write then gives.
    void RefuseWrites(const QString &reason);
    // Prepares `sql` under an authorizer that allows reading only, and checks the statement;
    // never steps it. Throws DbError naming `source` and the file.
    void CheckReadOnlySelect(const QString &source, const QString &sql, const QString &updateTable);
    static int Progress(void *self);
    static int Trace(unsigned event, void *self, void *statement, void *sql);
    void *Handle() const; // the connection's sqlite3*
    void RequireOpen() const;
    // Throws a DbError built from the failed statement's error; `what` says what was attempted.
    [[noreturn]] void Fail(const QString &what, const QSqlError &error) const;
    // The same from SQLite's (extended) result code and its message.
    [[noreturn]] void Fail(const QString &what, int extendedCode, const QString &detail) const;
    // The table's real name (its stored spelling), or "" when there is none.
    QString ResolveTable(const QString &table);
    QStringList TableColumns(const QString &table);
    QStringList PrimaryKeyColumns(const QString &table);
    std::unique_ptr<RecordSet> Load(const QString &source, const QString &sql,
                                    const QVariantHash &binds, const QString &updateTable,
                                    bool isTable);

    QSqlDatabase m_db;
    QString m_connectionName;
    QString m_path;
    int m_busyTimeoutMs = 5000;
    int m_timeLimitMs = DefaultTimeLimitMs;
    int m_rowLimit = DefaultRowLimit;
    qint64 m_byteLimit = DefaultByteLimit;
    int m_transactionDepth = 0;
    bool m_readOnly = false;
    bool m_readOnlyMedia = false;
    bool m_newerVersion = false;
    QString m_readOnlyReason;
    qint64 m_statementStartMs = 0; // when the running statement began (steady clock)
    bool m_stopped = false;        // the progress handler stopped a statement
};

// Commits on Commit(); rolls back when it goes out of scope first (an exception, an early return).
class Transaction
{
public:
    explicit Transaction(Database &db);
    ~Transaction();
    Transaction(const Transaction &) = delete;
    Transaction &operator=(const Transaction &) = delete;
    void Commit();

private:
    Database &m_db;
    bool m_done = false;
};

// Bulk writes: a statement prepared once and run for many records, its values bound by
// position. `failure` starts the message of a DbError ("Cannot write the heats to"), which then
// names the file and gives the engine's reason.
void PrepareBulk(Database &db, QSqlQuery &query, const QString &sql, const QString &failure);
// Binds the first `count` values (all when -1) and runs the statement; throws DbError as above.
void RunBulk(Database &db, QSqlQuery &query, const QVariantList &values, const QString &failure,
             qsizetype count = -1);

// A snapshot of the selected rows, walked forward from the first. Edits, additions and
// deletions are written to the underlying table at Update() / Delete() and are reflected in the
// snapshot; changes made by others after opening are not.
class RecordSet
{
public:
    // The number of records in the snapshot.
    int RecordCount() const;
    void MoveFirst();
    // After the last record Eof() is true; a further MoveNext stays there.
    void MoveNext();
    void MoveLast();
    bool Eof() const;

    // The field's value; a Null QVariant when the field is Null. Throws DbError for an unknown
    // field name or when there is no current record.
    QVariant Field(const QString &name) const;
    bool IsNull(const QString &name) const;
    QString Text(const QString &name) const; // "" for Null
    // 0 for Null or text that is not a number. Throws DbError for a number an int cannot hold,
    // which only a crafted file brings: such a number is never cut to fit.
    int Int(const QString &name) const;
    bool Flag(const QString &name) const; // true when greater than 0
    // The field as a whole number of 64 bits; nullopt for Null, a fraction, text that is not a
    // whole number and a number beyond 64 bits.
    std::optional<qint64> WholeNumber(const QString &name) const;
    QStringList FieldNames() const;
    QString Source() const { return m_source; }
    // The row id of the current record in the update table, for writing many records with one
    // prepared statement. Throws DbError when there is no current record.
    qint64 RowId() const;

    // AddNew or Edit, then SetField for each changed field, then Update writes one INSERT or
    // UPDATE. After an added record is written it joins the snapshot and becomes the current
    // record. Fields are those of the update table; throws DbError for a read-only set. Moving
    // to another record before Update discards the change.
    void AddNew();
    void Edit();
    void SetField(const QString &name, const QVariant &value);
    void Update();
    // Drops a pending AddNew or Edit without writing.
    void CancelUpdate();
    // Deletes the current record. As with a forward walk, the next MoveNext goes to the record
    // that followed it; until then there is no current record.
    void Delete();

    // Positions on the record whose primary key equals `key` (table record sets only; key
    // values in the order of the table's primary key fields). NoMatch() tells whether one was
    // found; after no match there is no current record (Eof() is true).
    void Seek(const QVariantList &key);
    bool NoMatch() const { return m_noMatch; }

private:
    friend class Database;
    RecordSet() = default;

    int FieldIndex(const QString &name) const; // -1 when unknown
    const QVariantList &CurrentRow(const QString &forField) const;
    void RequireUpdatable() const;
    QString ResolveColumn(const QString &name);
    // Reads one row of the source by row id; false when it is not (or no longer) selected.
    bool FetchRow(qint64 rowId, QVariantList &row) const;

    Database *m_db = nullptr;
    QString m_source;    // table or saved query name, for messages
    QString m_selectSql; // the statement that produced the snapshot, with its bound values
    QVariantHash m_binds;
    bool m_isTable = false;
    QString m_updateTable;
    QStringList m_tableColumns; // columns of the update table, read on first need
    QStringList m_fields;
    int m_rowIdIndex = -1; // column of the row id in the statement's result
    QList<QVariantList> m_rows;
    QList<qint64> m_rowIds;
    int m_pos = 0;
    bool m_afterDelete = false;
    enum class Mode { None, AddNew, Edit } m_mode = Mode::None;
    QList<QPair<QString, QVariant>> m_pending; // column, value in the order set
    bool m_noMatch = false;
};

} // namespace MeetDb
