#include "meetdb/database.h"

#include <algorithm>
#include <atomic>
#include <chrono>

#include <sqlite3.h>

#include <QFile>
#include <QFileInfo>
#include <QSqlDriver>
#include <QSqlQuery>
#include <QUrl>

#include "meetdb/databaseinternal.h"
#include "meetdb/sqltext.h"

// The connection to a meet database file: opening it safely (read-only media, a newer version,
// an interrupted save), the limits that keep a crafted file from filling memory or hanging the
// program, statements and transactions.

namespace MeetDb {

using namespace Internal;

namespace {

// No string or blob the program stores comes near this, nor any statement near the second;
// a crafted file that builds bigger ones fails instead of filling memory.
constexpr int MaxValueBytes = 10 * 1000 * 1000;
constexpr int MaxStatementBytes = 1000 * 1000;
// How many virtual-machine steps pass between looks at the clock. A step can be costly (building
// a large text or blob), so the clock is read often; reading it costs far less than a step.
constexpr int ProgressSteps = 100;

qint64 NowMs()
{
    using namespace std::chrono;
    return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

// A file can be written through when both it and its folder can: the rollback journal is made
// beside the file.
bool RealWritableCheck(const QString &path)
{
    const QFileInfo info(path);
    return info.isWritable() && QFileInfo(info.absolutePath()).isWritable();
}

Database::WritableCheck g_writableCheck = RealWritableCheck;

void BindAll(QSqlQuery &query, const QVariantHash &values)
{
    for (auto it = values.cbegin(); it != values.cend(); ++it) {
        const QString key = it.key().startsWith(u':') ? it.key() : u':' + it.key();
        query.bindValue(key, StorageValue(it.value()));
    }
}

// Runs after every commit to a file in WAL mode (one that could not be switched back to the
// rollback journal), statements outside a transaction included: the checkpoint copies the commit
// into the file itself. FULL waits (up to the busy timeout) for another connection's reading to
// end; should it still not finish, the commit stays in the WAL for the next checkpoint.
int CheckpointEachCommit(void *, sqlite3 *handle, const char *database, int)
{
    sqlite3_wal_checkpoint_v2(handle, database, SQLITE_CHECKPOINT_FULL, nullptr, nullptr);
    return SQLITE_OK;
}

// Whether SQLite needs the file at `path`, a journal or WAL file beside a database: one it has
// finished with is gone, empty, or starts with a zero byte.
bool HasContents(const QString &path)
{
    QFile file(path);
    char first = 0;
    return file.open(QIODevice::ReadOnly) && file.getChar(&first) && first != 0;
}

// The refusal of a file whose last save was interrupted, where SQLite cannot undo that save.
QString NeedsRecovery(const QString &what, const QString &path)
{
    return what + QStringLiteral(": a save to it was interrupted and must be undone before it can "
                                 "be read (%1 is beside it), which needs writing: open it once on "
                                 "writable media, copied there together with %1 if need be")
                      .arg(NativePath(path + QStringLiteral("-journal")));
}

} // namespace

DbError::DbError(const QString &message)
    : std::runtime_error(message.toStdString())
    , m_message(message)
{}

// ---------------------------------------------------------------------------------------------
// Database

Database::~Database()
{
    Close();
}

void Database::Open(const QString &path, Access access)
{
    Connect(path, false, access);
}

void Database::OpenOrCreate(const QString &path)
{
    Connect(path, true, Access::ReadWrite);
}

void Database::SetWritableCheck(WritableCheck check)
{
    g_writableCheck = check ? check : RealWritableCheck;
}

QString Database::ReadOnlyMediaMessage() const
{
    return QStringLiteral("The database %1 is on read-only media (the file or its folder cannot "
                          "be written): it is open for reading only, and no changes can be saved "
                          "to it")
        .arg(NativePath(m_path));
}

void Database::Connect(const QString &path, bool create, Access access)
{
    Close();
    const QString file = NativePath(path);
    const QString what = QStringLiteral("Cannot open database %1").arg(file);
    const QFileInfo info(path);
    // The SQLite driver creates any file it is asked to open, so an existing-file open checks
    // first: a mistyped name must fail, not leave an empty database behind.
    if (!create) {
        if (!info.exists())
            throw DbError(what + QStringLiteral(": the file does not exist"));
        if (!info.isFile())
            throw DbError(what + QStringLiteral(": it is not a file"));
        if (info.size() == 0)
            throw DbError(what + QStringLiteral(": the file is empty, not a database"));
    }
    const bool readOnlyMedia = !create && !g_writableCheck(path);
    const bool readOnly = readOnlyMedia || access == Access::ReadOnly;
    if (readOnlyMedia) {
        // Read as it stands, the file is read without the journal of an interrupted save (so
        // half of that save shows) and without the changes still in its WAL file.
        if (HasContents(path + QStringLiteral("-journal")))
            throw DbError(NeedsRecovery(what, path));
        if (HasContents(path + QStringLiteral("-wal")))
            throw DbError(what + QStringLiteral(": some of its saved changes are still in %1, "
                                                "which cannot be read on read-only media: open "
                                                "it once on writable media, copied there "
                                                "together with %1")
                                     .arg(NativePath(path + QStringLiteral("-wal"))));
    }

    static std::atomic<int> counter{0};
    m_connectionName = QStringLiteral("openmeet-db-%1").arg(++counter);
    m_db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), m_connectionName);
    if (!m_db.isValid()) {
        Close();
        throw DbError(what + QStringLiteral(": the SQLite driver (QSQLITE) is not installed"));
    }
    QString options = QStringLiteral("QSQLITE_BUSY_TIMEOUT=%1").arg(m_busyTimeoutMs);
    if (readOnly)
        options += QStringLiteral(";QSQLITE_OPEN_READONLY");
    if (readOnlyMedia) {
        // Nothing can change a file on read-only media, so SQLite may read it as it stands:
        // without locks, and without the -shm file a WAL-mode file would otherwise need beside it.
        options += QStringLiteral(";QSQLITE_OPEN_URI");
        m_db.setDatabaseName(
            QUrl::fromLocalFile(info.absoluteFilePath()).toString(QUrl::FullyEncoded) +
            QStringLiteral("?immutable=1"));
    } else {
        m_db.setDatabaseName(path);
    }
    m_db.setConnectOptions(options);
    if (!m_db.open()) {
        const QSqlError error = m_db.lastError();
        Close();
        throw DbError(what + QStringLiteral(": ") + error.text());
    }
    m_path = path;
    m_readOnly = readOnly;
    m_readOnlyMedia = readOnlyMedia;
    Harden();

    // Opening does not read the file; the first statement does, and that is where a file that
    // is not SQLite (or a damaged one) shows itself.
    {
        QSqlQuery probe(m_db);
        if (!probe.exec(QStringLiteral("SELECT count(*) FROM sqlite_master"))) {
            const QSqlError error = probe.lastError();
            const int extended = sqlite3_extended_errcode(static_cast<sqlite3 *>(Handle()));
            probe = QSqlQuery();
            Close();
            if (extended == SQLITE_READONLY_ROLLBACK)
                throw DbError(NeedsRecovery(what, path));
            if (error.nativeErrorCode().toInt() == SQLITE_NOTADB)
                throw DbError(
                    what +
                    QStringLiteral(": it is not a SQLite database (%1)").arg(error.databaseText()));
            const int code = error.nativeErrorCode().toInt() & 0xff;
            if (code == SQLITE_BUSY || code == SQLITE_LOCKED)
                throw DbError(what + QStringLiteral(": it is locked by another program (%1)")
                                         .arg(error.databaseText()));
            throw DbError(what + QStringLiteral(": ") + error.text());
        }
    }
    m_readOnlyReason = readOnlyMedia ? ReadOnlyMediaMessage() : QString();
    const QString newer = NewerVersionReason();
    if (readOnly)
        return;
    if (!newer.isEmpty())
        RefuseWrites(newer);
    else
        UseRollbackJournal(create);
}

QString Database::NewerVersionReason()
{
    m_newerVersion = false;
    if (!HasTable(VersionTable))
        return {};
    QSqlQuery query(m_db);
    if (!query.exec(QStringLiteral("SELECT \"Version\" FROM %1 ORDER BY rowid DESC LIMIT 1")
                        .arg(Quote(VersionTable))) ||
        !query.next())
        return {};
    // What is no version number at all is refused when the meet is loaded; only a real version
    // above the program's keeps the file from being written.
    const double version = ReadNumber(query.value(0)).Real;
    if (!(version > MeetDbVersion && version < 1e6))
        return {};
    m_newerVersion = true;
    return QStringLiteral("The database %1 was made by a newer version of the program (its "
                          "version is %2, this program's is %3): it is open for reading only, "
                          "and no changes can be saved to it")
        .arg(NativePath(m_path), QString::number(version), QString::number(MeetDbVersion));
}

void Database::RefuseWrites(const QString &reason)
{
    // With query_only SQLite itself refuses every change on the connection, whatever statement
    // tries it; Begin() refuses first, with the reason.
    QSqlQuery query(m_db);
    if (!query.exec(QStringLiteral("PRAGMA query_only=1"))) {
        const QSqlError error = query.lastError();
        query = QSqlQuery();
        const QString file = NativePath(m_path);
        Close();
        throw DbError(QStringLiteral("Cannot open database %1: %2").arg(file, error.text()));
    }
    m_readOnly = true;
    m_readOnlyReason = reason;
}

void *Database::Handle() const
{
    const QVariant handle = m_db.isOpen() ? m_db.driver()->handle() : QVariant();
    if (!handle.isValid() || qstrcmp(handle.typeName(), "sqlite3*") != 0)
        return nullptr;
    return *static_cast<sqlite3 *const *>(handle.constData());
}

void Database::Harden()
{
    auto *handle = static_cast<sqlite3 *>(Handle());
    if (!handle) {
        Close();
        throw DbError(QStringLiteral("Cannot open database %1: the SQLite driver gives no handle")
                          .arg(NativePath(m_path)));
    }
    sqlite3_limit(handle, SQLITE_LIMIT_ATTACHED, 0);
    sqlite3_limit(handle, SQLITE_LIMIT_LENGTH, MaxValueBytes);
    sqlite3_limit(handle, SQLITE_LIMIT_SQL_LENGTH, MaxStatementBytes);
    // The program's files have no triggers, and their schema holds no code the program relies
    // on: a trigger or a function call that a file brings along must not run on our writes.
    sqlite3_db_config(handle, SQLITE_DBCONFIG_ENABLE_TRIGGER, 0, nullptr);
    sqlite3_db_config(handle, SQLITE_DBCONFIG_TRUSTED_SCHEMA, 0, nullptr);
    sqlite3_db_config(handle, SQLITE_DBCONFIG_DEFENSIVE, 1, nullptr);
    m_stopped = false;
    m_statementStartMs = NowMs();
    sqlite3_trace_v2(handle, SQLITE_TRACE_STMT, &Database::Trace, this);
    sqlite3_progress_handler(handle, ProgressSteps, &Database::Progress, this);
    sqlite3_wal_hook(handle, CheckpointEachCommit, nullptr);
}

int Database::Trace(unsigned, void *self, void *, void *)
{
    auto *db = static_cast<Database *>(self);
    db->m_statementStartMs = NowMs();
    db->m_stopped = false;
    return 0;
}

int Database::Progress(void *self)
{
    auto *db = static_cast<Database *>(self);
    if (NowMs() - db->m_statementStartMs <= db->m_timeLimitMs)
        return 0;
    db->m_stopped = true;
    return 1;
}

// A file in WAL mode keeps committed changes in FILE-wal while it is open, so a copy of the file
// alone misses them, and its folder must be writable even to read it. The rollback journal
// writes every commit into the file itself, and with full syncing a commit is on the disk when
// COMMIT returns. A file of the program's (a new file, or one holding one of its tables) left in
// WAL mode is switched back; some other SQLite file opened by mistake keeps its mode, and
// CheckpointEachCommit copies each of its commits into the file. The switch needs the file to
// itself: while another program has it open it stays in WAL, where a checkpoint cannot finish
// while that program reads, so the file is then not written at all.
void Database::UseRollbackJournal(bool create)
{
    QSqlQuery query(m_db);
    query.exec(QStringLiteral("PRAGMA synchronous=FULL"));
    const bool wal = query.exec(QStringLiteral("PRAGMA journal_mode")) && query.next() &&
                     query.value(0).toString().compare(u"wal", Qt::CaseInsensitive) == 0;
    if (!wal)
        return;
    const bool isOurs =
        create || (query.exec(QStringLiteral(
                       "SELECT count(*) FROM sqlite_master WHERE type = 'table' AND name IN "
                       "('Saved Queries', 'Members Table', 'Entrant Table')")) &&
                   query.next() && query.value(0).toInt() > 0);
    if (!isOurs)
        return;
    const bool switched = query.exec(QStringLiteral("PRAGMA journal_mode=DELETE")) &&
                          query.next() &&
                          query.value(0).toString().compare(u"delete", Qt::CaseInsensitive) == 0;
    query = QSqlQuery();
    if (!switched)
        RefuseWrites(QStringLiteral("The database %1 is in WAL mode and another program has it "
                                    "open, so it cannot be switched back to the rollback journal "
                                    "that keeps every saved change in the file itself: it is "
                                    "open for reading only, and no changes can be saved to it "
                                    "until the other program has closed it and it is opened "
                                    "again")
                         .arg(NativePath(m_path)));
}

void Database::Close()
{
    if (m_connectionName.isEmpty())
        return;
    if (m_db.isOpen()) {
        if (m_transactionDepth > 0)
            QSqlQuery(m_db).exec(QStringLiteral("ROLLBACK"));
        m_db.close();
    }
    m_db = QSqlDatabase();
    QSqlDatabase::removeDatabase(m_connectionName);
    m_connectionName.clear();
    m_path.clear();
    m_transactionDepth = 0;
    m_readOnly = m_readOnlyMedia = m_newerVersion = false;
    m_readOnlyReason.clear();
}

bool Database::IsOpen() const
{
    return m_db.isOpen();
}

void Database::RequireOpen() const
{
    if (!m_db.isOpen())
        throw DbError(QStringLiteral("The database is not open"));
}

void Database::Fail(const QString &what, const QSqlError &error) const
{
    Fail(what, error.nativeErrorCode().toInt(),
         error.databaseText().isEmpty() ? error.text() : error.databaseText());
}

void Database::Fail(const QString &what, int extendedCode, const QString &detail) const
{
    const QString file = NativePath(m_path);
    const int code = extendedCode & 0xff;
    if (code == SQLITE_READONLY && !m_readOnlyReason.isEmpty())
        throw DbError(what + QStringLiteral(": ") + m_readOnlyReason);
    if (code == SQLITE_BUSY || code == SQLITE_LOCKED)
        throw DbError(QStringLiteral("%1: the database %2 is locked by another program; try again "
                                     "when it is free (%3)")
                          .arg(what, file, detail));
    if (code == SQLITE_INTERRUPT && m_stopped)
        throw DbError(QStringLiteral("%1 in %2: the statement was stopped after running for more "
                                     "than %3 seconds")
                          .arg(what, file)
                          .arg(m_timeLimitMs / 1000.0));
    throw DbError(QStringLiteral("%1 in %2: %3").arg(what, file, detail));
}

QString Database::Quote(const QString &identifier) const
{
    if (m_db.isValid() && m_db.driver())
        return m_db.driver()->escapeIdentifier(identifier, QSqlDriver::FieldName);
    QString quoted = identifier;
    quoted.replace(u'"', QStringLiteral("\"\""));
    return u'"' + quoted + u'"';
}

void Database::Exec(const QString &sql, const QVariantHash &values)
{
    RequireOpen();
    QSqlQuery query(m_db);
    if (!query.prepare(sql))
        Fail(QStringLiteral("Cannot prepare a statement"), query.lastError());
    BindAll(query, values);
    if (!query.exec())
        Fail(QStringLiteral("A statement failed"), query.lastError());
}

QString Database::ResolveTable(const QString &table)
{
    RequireOpen();
    QSqlQuery query(m_db);
    query.prepare(QStringLiteral("SELECT name FROM sqlite_master WHERE type = 'table' AND "
                                 "name = :name COLLATE NOCASE"));
    query.bindValue(QStringLiteral(":name"), table);
    if (!query.exec())
        Fail(QStringLiteral("Cannot read the list of tables"), query.lastError());
    return query.next() ? query.value(0).toString() : QString();
}

bool Database::HasTable(const QString &table)
{
    return !ResolveTable(table).isEmpty();
}

bool Database::HasSavedQuery(const QString &name)
{
    if (!HasTable(SavedQueriesTable))
        return false;
    QSqlQuery query(m_db);
    query.prepare(QStringLiteral("SELECT 1 FROM %1 WHERE \"Name\" = :name COLLATE NOCASE")
                      .arg(Quote(SavedQueriesTable)));
    query.bindValue(QStringLiteral(":name"), name);
    if (!query.exec())
        Fail(QStringLiteral("Cannot read the saved queries"), query.lastError());
    return query.next();
}

QStringList Database::TableColumns(const QString &table)
{
    RequireOpen();
    QSqlQuery query(m_db);
    // PRAGMA takes no bound values; the name is quoted instead.
    if (!query.exec(QStringLiteral("PRAGMA table_info(%1)").arg(Quote(table))))
        Fail(QStringLiteral("Cannot read the fields of '%1'").arg(table), query.lastError());
    QStringList columns;
    while (query.next())
        columns << query.value(1).toString();
    return columns;
}

QStringList Database::PrimaryKeyColumns(const QString &table)
{
    RequireOpen();
    QSqlQuery query(m_db);
    if (!query.exec(QStringLiteral("PRAGMA table_info(%1)").arg(Quote(table))))
        Fail(QStringLiteral("Cannot read the fields of '%1'").arg(table), query.lastError());
    QList<QPair<int, QString>> keyed;
    while (query.next()) {
        const int order = query.value(5).toInt();
        if (order > 0)
            keyed.append({order, query.value(1).toString()});
    }
    std::sort(keyed.begin(), keyed.end());
    QStringList columns;
    for (const auto &column : keyed)
        columns << column.second;
    return columns;
}

void Database::Begin()
{
    RequireOpen();
    if (m_readOnly)
        throw DbError(!m_readOnlyReason.isEmpty()
                          ? QStringLiteral("Cannot save the changes: ") + m_readOnlyReason
                          : QStringLiteral("Cannot save the changes: the database %1 "
                                           "was opened for reading only")
                                .arg(NativePath(m_path)));
    QSqlQuery query(m_db);
    // IMMEDIATE takes the write lock now, so a busy file fails before any change is attempted.
    const QString sql = m_transactionDepth == 0
                            ? QStringLiteral("BEGIN IMMEDIATE")
                            : QStringLiteral("SAVEPOINT level%1").arg(m_transactionDepth);
    if (!query.exec(sql))
        Fail(QStringLiteral("Cannot start a transaction"), query.lastError());
    ++m_transactionDepth;
}

void Database::Commit()
{
    RequireOpen();
    if (m_transactionDepth == 0)
        throw DbError(QStringLiteral("Commit without a transaction in %1").arg(NativePath(m_path)));
    QSqlQuery query(m_db);
    const QString sql =
        m_transactionDepth == 1
            ? QStringLiteral("COMMIT")
            : QStringLiteral("RELEASE SAVEPOINT level%1").arg(m_transactionDepth - 1);
    if (!query.exec(sql))
        Fail(QStringLiteral("Cannot save the changes"), query.lastError());
    --m_transactionDepth;
}

void Database::Rollback()
{
    if (m_transactionDepth == 0 || !m_db.isOpen())
        return;
    QSqlQuery query(m_db);
    bool ok;
    if (m_transactionDepth == 1) {
        ok = query.exec(QStringLiteral("ROLLBACK"));
    } else {
        const QString savepoint = QStringLiteral("level%1").arg(m_transactionDepth - 1);
        ok = query.exec(QStringLiteral("ROLLBACK TO SAVEPOINT ") + savepoint) &&
             query.exec(QStringLiteral("RELEASE SAVEPOINT ") + savepoint);
    }
    // The level is gone either way: a failed ROLLBACK means SQLite already ended it.
    --m_transactionDepth;
    if (!ok)
        Fail(QStringLiteral("Cannot undo the changes"), query.lastError());
}

// ---------------------------------------------------------------------------------------------
// Transaction

Transaction::Transaction(Database &db)
    : m_db(db)
{
    m_db.Begin();
}

Transaction::~Transaction()
{
    if (m_done)
        return;
    try {
        m_db.Rollback();
    } catch (const DbError &) {
        // Already unwinding or leaving early; the level is closed whatever the outcome.
    }
}

void Transaction::Commit()
{
    m_db.Commit();
    m_done = true;
}

} // namespace MeetDb
