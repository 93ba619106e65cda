#pragma once

#include <memory>
#include <stdexcept>

#include <QHash>
#include <QList>
#include <QSqlDatabase>
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
 */
namespace MeetDb {

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

    // Opens an existing database file. Throws DbError when the file is missing or is not a
    // SQLite database.
    void Open(const QString &path);
    // Creates or opens a file for writing (used when a new database is made).
    void OpenOrCreate(const QString &path);
    void Close();
    bool IsOpen() const;
    QString Path() const { return m_path; }

    // An updatable record set over every record of a table.
    std::unique_ptr<RecordSet> OpenTable(const QString &table);

    // A saved parameter query: set its parameters by name, then open it.
    class SavedQuery
    {
    public:
        void SetParameter(const QString &name, const QVariant &value);
        std::unique_ptr<RecordSet> Open();
        QString Name() const { return m_name; }
        QStringList ParameterNames() const;

    private:
        friend class Database;
        Database *m_db = nullptr;
        QString m_name;
        QString m_sql;          // with {Parameter Name} placeholders
        QString m_updateTable;  // table that edits, adds and deletes go to; "" for read-only
        QHash<QString, QVariant> m_values;
    };
    SavedQuery OpenQuery(const QString &name);

    // Transactions: the updates between Begin and Commit are written together.
    void Begin();
    void Commit();
    void Rollback();

    // The underlying connection, for the schema code and the tools.
    QSqlDatabase &Connection() { return m_db; }

    // Runs one statement with named bound values; throws DbError on failure.
    void Exec(const QString &sql, const QVariantHash &values = {});

private:
    friend class RecordSet;
    QSqlDatabase m_db;
    QString m_connectionName;
    QString m_path;
};

// Commits on Commit(); rolls back when it goes out of scope first (an exception, an early return).
class Transaction
{
public:
    explicit Transaction(Database &db);
    ~Transaction();
    void Commit();

private:
    Database &m_db;
    bool m_done = false;
};

// A snapshot of the selected rows, walked forward from the first. Edits, additions and
// deletions are written to the underlying table at Update() / Delete().
class RecordSet
{
public:
    int RecordCount() const;
    void MoveFirst();
    void MoveNext();
    void MoveLast();
    bool Eof() const;

    // The field's value; a Null QVariant when the field is Null. Throws DbError for an unknown
    // field name.
    QVariant Field(const QString &name) const;
    bool IsNull(const QString &name) const;
    QString Text(const QString &name) const;   // "" for Null
    int Int(const QString &name) const;        // 0 for Null
    bool Flag(const QString &name) const;      // true when greater than 0
    QStringList FieldNames() const;

    void AddNew();
    void Edit();
    void SetField(const QString &name, const QVariant &value);
    void Update();
    void Delete();

    // Positions on the record whose primary key equals `key` (table record sets only). NoMatch()
    // tells whether one was found.
    void Seek(const QVariantList &key);
    bool NoMatch() const { return m_noMatch; }

private:
    friend class Database;
    RecordSet() = default;

    Database *m_db = nullptr;
    QString m_updateTable;
    QStringList m_fields;
    QList<QVariantList> m_rows;
    QList<qint64> m_rowIds;
    int m_pos = 0;
    enum class Mode { None, AddNew, Edit } m_mode = Mode::None;
    QVariantHash m_pending;
    bool m_noMatch = false;
};

} // namespace MeetDb
