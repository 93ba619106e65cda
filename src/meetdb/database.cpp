#include "meetdb/database.h"

#include <algorithm>
#include <atomic>
#include <chrono>

#include <sqlite3.h>

#include <QDate>
#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QSqlDriver>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QUrl>

namespace MeetDb {

namespace {

// No string or blob the program stores comes near this, nor any statement near the second;
// a crafted file that builds bigger ones fails instead of filling memory.
constexpr int MaxValueBytes = 10 * 1000 * 1000;
constexpr int MaxStatementBytes = 1000 * 1000;
// How many virtual-machine steps pass between looks at the clock.
constexpr int ProgressSteps = 10000;

QString NativePath(const QString &path)
{
    return QDir::toNativeSeparators(path);
}

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

// While a saved query is prepared, only reading is allowed: no writes, pragmas, ATTACH or
// transaction control can even compile. `denied` records that something was refused.
int AllowReadingOnly(void *denied, int action, const char *, const char *, const char *,
                     const char *)
{
    switch (action) {
    case SQLITE_SELECT:
    case SQLITE_READ:
    case SQLITE_FUNCTION:
    case SQLITE_RECURSIVE:
        return SQLITE_OK;
    default:
        *static_cast<bool *>(denied) = true;
        return SQLITE_DENY;
    }
}

// Values are stored the way the rest of the program reads them back: flags as 1/0 (so that
// "greater than 0" means true) and dates as ISO text, which sorts as a date.
QVariant StorageValue(const QVariant &value)
{
    switch (value.typeId()) {
    case QMetaType::Bool:
        return value.isNull() ? QVariant() : QVariant(value.toBool() ? 1 : 0);
    case QMetaType::QDate:
        return value.isNull() ? QVariant() : QVariant(value.toDate().toString(Qt::ISODate));
    case QMetaType::QDateTime:
        return value.isNull() ? QVariant() : QVariant(value.toDateTime().toString(Qt::ISODate));
    default:
        return value;
    }
}

void BindAll(QSqlQuery &query, const QVariantHash &values)
{
    for (auto it = values.cbegin(); it != values.cend(); ++it) {
        const QString key = it.key().startsWith(u':') ? it.key() : u':' + it.key();
        query.bindValue(key, StorageValue(it.value()));
    }
}

int IndexOfName(const QStringList &names, const QString &name)
{
    int index = int(names.indexOf(name));
    if (index >= 0)
        return index;
    for (int i = 0; i < names.size(); ++i) {
        if (names.at(i).compare(name, Qt::CaseInsensitive) == 0)
            return i;
    }
    return -1;
}

// Turns the stored text of a saved query into a statement with generated named placeholders.
// Every {Name} outside quotes becomes :p0, :p1 ... in order; `occurrences` receives the
// parameter name of each. Returns false when a brace is left open.
bool ExpandPlaceholders(const QString &stored, QString &sql, QStringList &occurrences)
{
    sql.clear();
    occurrences.clear();
    QChar closing;
    for (qsizetype i = 0; i < stored.size(); ++i) {
        const QChar c = stored.at(i);
        if (!closing.isNull()) {
            sql += c;
            if (c == closing)
                closing = QChar();
            continue;
        }
        if (c == u'\'' || c == u'"' || c == u'`') {
            closing = c;
            sql += c;
        } else if (c == u'[') {
            closing = u']';
            sql += c;
        } else if (c == u'{') {
            const qsizetype end = stored.indexOf(u'}', i + 1);
            if (end < 0)
                return false;
            sql += QStringLiteral(":p%1").arg(occurrences.size());
            occurrences << stored.mid(i + 1, end - i - 1).trimmed();
            i = end;
        } else {
            sql += c;
        }
    }
    return true;
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
            probe = QSqlQuery();
            Close();
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
    if (!readOnly)
        UseRollbackJournal(create);
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
// WAL mode is switched back; some other SQLite file opened by mistake keeps its mode. Should a
// file stay in WAL (another program has it open), CheckpointEachCommit still copies every commit
// into the file.
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
    if (isOurs)
        query.exec(QStringLiteral("PRAGMA journal_mode=DELETE"));
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
    m_readOnly = m_readOnlyMedia = false;
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
    const QString file = NativePath(m_path);
    const QString detail = error.databaseText().isEmpty() ? error.text() : error.databaseText();
    const int code = error.nativeErrorCode().toInt() & 0xff;
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

std::unique_ptr<RecordSet> Database::OpenTable(const QString &table)
{
    RequireOpen();
    const QString name = ResolveTable(table);
    if (name.isEmpty())
        throw DbError(QStringLiteral("Table '%1' not found in %2").arg(table, NativePath(m_path)));
    const QString sql = QStringLiteral("SELECT rowid AS %1, * FROM %2 ORDER BY rowid")
                            .arg(Quote(RowIdColumn), Quote(name));
    return Load(name, sql, {}, name, true);
}

std::unique_ptr<RecordSet> Database::Load(const QString &source, const QString &sql,
                                          const QVariantHash &binds, const QString &updateTable,
                                          bool isTable)
{
    RequireOpen();
    QSqlQuery query(m_db);
    query.setForwardOnly(true);
    if (!query.prepare(sql))
        Fail(QStringLiteral("Cannot open '%1'").arg(source), query.lastError());
    BindAll(query, binds);
    if (!query.exec())
        Fail(QStringLiteral("Cannot open '%1'").arg(source), query.lastError());

    std::unique_ptr<RecordSet> set(new RecordSet);
    set->m_db = this;
    set->m_source = source;
    set->m_selectSql = sql;
    set->m_binds = binds;
    set->m_isTable = isTable;
    set->m_updateTable = updateTable;

    const QSqlRecord record = query.record();
    QList<int> visible;
    for (int i = 0; i < record.count(); ++i) {
        if (set->m_rowIdIndex < 0 &&
            record.fieldName(i).compare(RowIdColumn, Qt::CaseInsensitive) == 0) {
            set->m_rowIdIndex = i;
        } else {
            set->m_fields << record.fieldName(i);
            visible << i;
        }
    }
    if (!updateTable.isEmpty() && set->m_rowIdIndex < 0)
        throw DbError(QStringLiteral("Saved query '%1' in %2 updates '%3' but does not return "
                                     "its row id as \"%4\"")
                          .arg(source, NativePath(m_path), updateTable, RowIdColumn));

    while (query.next()) {
        if (set->m_rows.size() >= m_rowLimit)
            throw DbError(QStringLiteral("Cannot read '%1' in %2: it was stopped at %3 records, "
                                         "more than any meet holds")
                              .arg(source, NativePath(m_path))
                              .arg(m_rowLimit));
        QVariantList row;
        row.reserve(visible.size());
        for (int column : visible)
            row << (query.isNull(column) ? QVariant() : query.value(column));
        set->m_rows << row;
        set->m_rowIds << (set->m_rowIdIndex >= 0 ? query.value(set->m_rowIdIndex).toLongLong() : 0);
    }
    if (query.lastError().isValid())
        Fail(QStringLiteral("Cannot read '%1'").arg(source), query.lastError());
    return set;
}

Database::SavedQuery Database::OpenQuery(const QString &name)
{
    RequireOpen();
    const QString file = NativePath(m_path);
    if (!HasTable(SavedQueriesTable))
        throw DbError(QStringLiteral("Saved query '%1' not found in %2: the file has no table '%3'")
                          .arg(name, file, SavedQueriesTable));
    QSqlQuery query(m_db);
    // An exact spelling wins over one that differs only in case.
    query.prepare(QStringLiteral("SELECT \"Name\", \"Sql\", \"Update Table\" FROM %1 WHERE "
                                 "\"Name\" = :name COLLATE NOCASE ORDER BY \"Name\" = :exact DESC")
                      .arg(Quote(SavedQueriesTable)));
    query.bindValue(QStringLiteral(":name"), name);
    query.bindValue(QStringLiteral(":exact"), name);
    if (!query.exec())
        Fail(QStringLiteral("Cannot read saved query '%1'").arg(name), query.lastError());
    if (!query.next())
        throw DbError(QStringLiteral("Saved query '%1' not found in %2").arg(name, file));

    SavedQuery saved;
    saved.m_db = this;
    saved.m_name = query.value(0).toString();
    saved.m_sql = query.value(1).toString();
    const QString updateTable = query.value(2).toString().trimmed();
    query = QSqlQuery();
    if (!updateTable.isEmpty()) {
        saved.m_updateTable = ResolveTable(updateTable);
        if (saved.m_updateTable.startsWith(QStringLiteral("sqlite_"), Qt::CaseInsensitive) ||
            saved.m_updateTable.compare(SavedQueriesTable, Qt::CaseInsensitive) == 0)
            throw DbError(QStringLiteral("Saved query '%1' in %2 updates table '%3', which is "
                                         "not one of the meet's tables")
                              .arg(saved.m_name, file, saved.m_updateTable));
        if (saved.m_updateTable.isEmpty())
            throw DbError(QStringLiteral("Saved query '%1' in %2 updates table '%3', which is "
                                         "not in the file")
                              .arg(saved.m_name, file, updateTable));
    }
    return saved;
}

void Database::CheckSavedQuery(const QString &name)
{
    const SavedQuery saved = OpenQuery(name);
    QString sql;
    QStringList occurrences;
    if (!ExpandPlaceholders(saved.m_sql, sql, occurrences))
        throw DbError(QStringLiteral("Saved query '%1' in %2 has a '{' without its '}'")
                          .arg(saved.m_name, NativePath(m_path)));
    CheckReadOnlySelect(saved.m_name, sql, saved.m_updateTable);
}

void Database::CheckReadOnlySelect(const QString &source, const QString &sql,
                                   const QString &updateTable)
{
    RequireOpen();
    auto *handle = static_cast<sqlite3 *>(Handle());
    const QString file = NativePath(m_path);
    const QByteArray text = sql.toUtf8();
    bool denied = false;
    sqlite3_set_authorizer(handle, AllowReadingOnly, &denied);
    sqlite3_stmt *statement = nullptr;
    const char *tail = nullptr;
    int rc = sqlite3_prepare_v3(handle, text.constData(), int(text.size()), 0, &statement, &tail);
    const QString error = QString::fromUtf8(sqlite3_errmsg(handle));
    QString refusal;
    bool hasRowId = false;
    if (rc == SQLITE_OK && statement) {
        if (!sqlite3_stmt_readonly(statement) || sqlite3_column_count(statement) == 0)
            refusal = QStringLiteral("it does not only read");
        for (int i = 0; i < sqlite3_column_count(statement); ++i) {
            if (QString::fromUtf8(sqlite3_column_name(statement, i))
                    .compare(RowIdColumn, Qt::CaseInsensitive) == 0)
                hasRowId = true;
        }
        // Whatever follows the first statement must be nothing but blanks and comments.
        sqlite3_stmt *next = nullptr;
        const int tailBytes = int(text.constData() + text.size() - tail);
        if (refusal.isEmpty() &&
            (sqlite3_prepare_v3(handle, tail, tailBytes, 0, &next, nullptr) != SQLITE_OK || next))
            refusal = QStringLiteral("it holds more than one statement");
        sqlite3_finalize(next);
    }
    sqlite3_finalize(statement);
    sqlite3_set_authorizer(handle, nullptr, nullptr);

    if (denied && refusal.isEmpty())
        refusal = QStringLiteral("it does not only read");
    if (!refusal.isEmpty())
        throw DbError(QStringLiteral("Saved query '%1' in %2 is refused: %3; a saved query must "
                                     "be one SELECT statement that only reads")
                          .arg(source, file, refusal));
    if (rc != SQLITE_OK)
        throw DbError(QStringLiteral("Cannot open '%1' in %2: %3").arg(source, file, error));
    if (!statement)
        throw DbError(QStringLiteral("Saved query '%1' in %2 is empty").arg(source, file));
    if (!updateTable.isEmpty() && !hasRowId)
        throw DbError(QStringLiteral("Saved query '%1' in %2 updates '%3' but does not return "
                                     "its row id as \"%4\"")
                          .arg(source, file, updateTable, RowIdColumn));
}

void Database::Begin()
{
    RequireOpen();
    if (m_readOnly)
        throw DbError(m_readOnlyMedia
                          ? QStringLiteral("Cannot save the changes: ") + ReadOnlyMediaMessage()
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
// SavedQuery

QStringList Database::SavedQuery::ParameterNames() const
{
    QString sql;
    QStringList occurrences;
    ExpandPlaceholders(m_sql, sql, occurrences);
    occurrences.removeDuplicates();
    return occurrences;
}

void Database::SavedQuery::SetParameter(const QString &name, const QVariant &value)
{
    const QStringList names = ParameterNames();
    const int index = IndexOfName(names, name);
    if (index < 0)
        throw DbError(QStringLiteral("Saved query '%1' has no parameter '%2'").arg(m_name, name));
    m_values.insert(names.at(index), value);
}

std::unique_ptr<RecordSet> Database::SavedQuery::Open()
{
    if (!m_db)
        throw DbError(
            QStringLiteral("Saved query '%1' was not opened from a database").arg(m_name));
    QString sql;
    QStringList occurrences;
    if (!ExpandPlaceholders(m_sql, sql, occurrences))
        throw DbError(QStringLiteral("Saved query '%1' in %2 has a '{' without its '}'")
                          .arg(m_name, NativePath(m_db->Path())));
    m_db->CheckReadOnlySelect(m_name, sql, m_updateTable);
    QVariantHash binds;
    for (int i = 0; i < occurrences.size(); ++i)
        binds.insert(QStringLiteral(":p%1").arg(i), m_values.value(occurrences.at(i)));
    return m_db->Load(m_name, sql, binds, m_updateTable, false);
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

// ---------------------------------------------------------------------------------------------
// RecordSet

int RecordSet::RecordCount() const
{
    return int(m_rows.size());
}

// Moving discards a pending AddNew or Edit, as leaving a record unsaved does.
void RecordSet::MoveFirst()
{
    CancelUpdate();
    m_pos = 0;
    m_afterDelete = false;
}

void RecordSet::MoveNext()
{
    CancelUpdate();
    if (m_afterDelete) {
        m_afterDelete = false; // the deleted record's successor already sits at m_pos
        return;
    }
    if (m_pos < m_rows.size())
        ++m_pos;
}

void RecordSet::MoveLast()
{
    CancelUpdate();
    m_pos = m_rows.isEmpty() ? 0 : int(m_rows.size()) - 1;
    m_afterDelete = false;
}

bool RecordSet::Eof() const
{
    return m_pos >= m_rows.size();
}

int RecordSet::FieldIndex(const QString &name) const
{
    return IndexOfName(m_fields, name);
}

const QVariantList &RecordSet::CurrentRow(const QString &forField) const
{
    if (m_afterDelete)
        throw DbError(QStringLiteral("No current record in '%1': it was deleted").arg(m_source));
    if (Eof() && forField.isEmpty())
        throw DbError(QStringLiteral("No current record in '%1'").arg(m_source));
    if (Eof())
        throw DbError(
            QStringLiteral("No current record in '%1' to read '%2'").arg(m_source, forField));
    return m_rows.at(m_pos);
}

QVariant RecordSet::Field(const QString &name) const
{
    const int index = FieldIndex(name);
    if (index < 0)
        throw DbError(QStringLiteral("Field '%1' not found in '%2'").arg(name, m_source));
    // While a change is pending the field reads as it will be written.
    if (m_mode != Mode::None) {
        for (const auto &pending : m_pending) {
            if (pending.first.compare(m_fields.at(index), Qt::CaseInsensitive) == 0)
                return pending.second;
        }
        if (m_mode == Mode::AddNew)
            return {};
    }
    return CurrentRow(name).at(index);
}

bool RecordSet::IsNull(const QString &name) const
{
    return Field(name).isNull();
}

QString RecordSet::Text(const QString &name) const
{
    const QVariant value = Field(name);
    return value.isNull() ? QString() : value.toString();
}

int RecordSet::Int(const QString &name) const
{
    const QVariant value = Field(name);
    if (value.isNull())
        return 0;
    bool ok = false;
    const qlonglong whole = value.toLongLong(&ok);
    if (ok)
        return int(whole);
    const double number = value.toString().trimmed().toDouble(&ok);
    return ok ? int(number) : 0;
}

bool RecordSet::Flag(const QString &name) const
{
    const QVariant value = Field(name);
    if (value.isNull())
        return false;
    if (value.typeId() == QMetaType::Bool)
        return value.toBool();
    bool ok = false;
    const double number = value.toString().trimmed().toDouble(&ok);
    return ok && number > 0;
}

QStringList RecordSet::FieldNames() const
{
    return m_fields;
}

void RecordSet::RequireUpdatable() const
{
    if (m_updateTable.isEmpty())
        throw DbError(
            QStringLiteral("'%1' cannot be changed: the query is read-only").arg(m_source));
    m_db->RequireOpen();
}

QString RecordSet::ResolveColumn(const QString &name)
{
    if (m_tableColumns.isEmpty())
        m_tableColumns = m_db->TableColumns(m_updateTable);
    const int index = IndexOfName(m_tableColumns, name);
    if (index < 0)
        throw DbError(QStringLiteral("Field '%1' not found in '%2'").arg(name, m_updateTable));
    return m_tableColumns.at(index);
}

void RecordSet::AddNew()
{
    RequireUpdatable();
    m_mode = Mode::AddNew;
    m_pending.clear();
}

void RecordSet::Edit()
{
    RequireUpdatable();
    CurrentRow(QString());
    m_mode = Mode::Edit;
    m_pending.clear();
}

void RecordSet::SetField(const QString &name, const QVariant &value)
{
    if (m_mode == Mode::None)
        throw DbError(QStringLiteral("Cannot set field '%1' of '%2' without AddNew or Edit")
                          .arg(name, m_source));
    const QString column = ResolveColumn(name);
    const QVariant stored = StorageValue(value);
    for (auto &pending : m_pending) {
        if (pending.first == column) {
            pending.second = stored;
            return;
        }
    }
    m_pending.append({column, stored});
}

void RecordSet::CancelUpdate()
{
    m_mode = Mode::None;
    m_pending.clear();
}

qint64 RecordSet::RowId() const
{
    if (m_pos < 0 || m_pos >= m_rowIds.size() || m_afterDelete)
        throw DbError(QStringLiteral("No current record in '%1'").arg(m_source));
    return m_rowIds.at(m_pos);
}

bool RecordSet::FetchRow(qint64 rowId, QVariantList &row) const
{
    QSqlQuery query(m_db->m_db);
    query.setForwardOnly(true);
    query.prepare(QStringLiteral("SELECT * FROM (%1) WHERE %2 = :_rid")
                      .arg(m_selectSql, m_db->Quote(RowIdColumn)));
    BindAll(query, m_binds);
    query.bindValue(QStringLiteral(":_rid"), rowId);
    if (!query.exec())
        m_db->Fail(QStringLiteral("Cannot read '%1'").arg(m_source), query.lastError());
    if (!query.next())
        return false;
    row.clear();
    for (int i = 0; i < query.record().count(); ++i) {
        if (i != m_rowIdIndex)
            row << (query.isNull(i) ? QVariant() : query.value(i));
    }
    return true;
}

void RecordSet::Update()
{
    if (m_mode == Mode::None)
        throw DbError(QStringLiteral("Update of '%1' without AddNew or Edit").arg(m_source));
    // The pending change is consumed whether or not the write succeeds.
    const Mode mode = m_mode;
    const QList<QPair<QString, QVariant>> pending = m_pending;
    CancelUpdate();
    m_db->RequireOpen();

    const QString table = m_db->Quote(m_updateTable);
    QSqlQuery query(m_db->m_db);
    if (mode == Mode::AddNew) {
        QStringList columns, placeholders;
        for (int i = 0; i < pending.size(); ++i) {
            columns << m_db->Quote(pending.at(i).first);
            placeholders << QStringLiteral(":v%1").arg(i);
        }
        const QString sql = pending.isEmpty()
                                ? QStringLiteral("INSERT INTO %1 DEFAULT VALUES").arg(table)
                                : QStringLiteral("INSERT INTO %1 (%2) VALUES (%3)")
                                      .arg(table, columns.join(u", "), placeholders.join(u", "));
        if (!query.prepare(sql))
            m_db->Fail(QStringLiteral("Cannot add a record to '%1'").arg(m_updateTable),
                       query.lastError());
        for (int i = 0; i < pending.size(); ++i)
            query.bindValue(placeholders.at(i), pending.at(i).second);
        if (!query.exec())
            m_db->Fail(QStringLiteral("Cannot add a record to '%1'").arg(m_updateTable),
                       query.lastError());
        const qint64 rowId = query.lastInsertId().toLongLong();
        query = QSqlQuery();

        QVariantList row;
        if (!FetchRow(rowId, row)) {
            // A record the query would not select (another meet, say) still joins the
            // snapshot, with the table's own values for the fields both share.
            row = QVariantList(m_fields.size());
            QSqlQuery read(m_db->m_db);
            read.prepare(QStringLiteral("SELECT * FROM %1 WHERE rowid = :_rid").arg(table));
            read.bindValue(QStringLiteral(":_rid"), rowId);
            if (read.exec() && read.next()) {
                const QSqlRecord record = read.record();
                for (int i = 0; i < record.count(); ++i) {
                    const int index = FieldIndex(record.fieldName(i));
                    if (index >= 0 && !read.isNull(i))
                        row[index] = read.value(i);
                }
            }
        }
        m_rows.append(row);
        m_rowIds.append(rowId);
        m_pos = int(m_rows.size()) - 1;
        m_afterDelete = false;
        return;
    }

    const qint64 rowId = m_rowIds.at(m_pos);
    if (pending.isEmpty())
        return;
    QStringList assignments;
    for (int i = 0; i < pending.size(); ++i)
        assignments << QStringLiteral("%1 = :v%2").arg(m_db->Quote(pending.at(i).first)).arg(i);
    if (!query.prepare(QStringLiteral("UPDATE %1 SET %2 WHERE rowid = :_rid")
                           .arg(table, assignments.join(u", "))))
        m_db->Fail(QStringLiteral("Cannot change a record of '%1'").arg(m_updateTable),
                   query.lastError());
    for (int i = 0; i < pending.size(); ++i)
        query.bindValue(QStringLiteral(":v%1").arg(i), pending.at(i).second);
    query.bindValue(QStringLiteral(":_rid"), rowId);
    if (!query.exec())
        m_db->Fail(QStringLiteral("Cannot change a record of '%1'").arg(m_updateTable),
                   query.lastError());
    if (query.numRowsAffected() == 0)
        throw DbError(QStringLiteral("The record of '%1' being changed is no longer in %2")
                          .arg(m_updateTable, NativePath(m_db->Path())));
    query = QSqlQuery();

    QVariantList row;
    if (FetchRow(rowId, row)) {
        m_rows[m_pos] = row;
    } else {
        // The change took the record out of the query's selection; keep what was written.
        for (const auto &change : pending) {
            const int index = FieldIndex(change.first);
            if (index >= 0)
                m_rows[m_pos][index] = change.second;
        }
    }
}

void RecordSet::Delete()
{
    RequireUpdatable();
    CurrentRow(QString());
    CancelUpdate();
    QSqlQuery query(m_db->m_db);
    query.prepare(
        QStringLiteral("DELETE FROM %1 WHERE rowid = :_rid").arg(m_db->Quote(m_updateTable)));
    query.bindValue(QStringLiteral(":_rid"), m_rowIds.at(m_pos));
    if (!query.exec())
        m_db->Fail(QStringLiteral("Cannot delete a record of '%1'").arg(m_updateTable),
                   query.lastError());
    m_rows.removeAt(m_pos);
    m_rowIds.removeAt(m_pos);
    m_afterDelete = true;
}

void RecordSet::Seek(const QVariantList &key)
{
    if (!m_isTable)
        throw DbError(QStringLiteral("Seek needs a table; '%1' is a saved query").arg(m_source));
    m_db->RequireOpen();
    CancelUpdate();
    const QStringList keyColumns = m_db->PrimaryKeyColumns(m_updateTable);
    if (keyColumns.isEmpty())
        throw DbError(QStringLiteral("Table '%1' has no primary key to seek on").arg(m_source));
    if (keyColumns.size() != key.size())
        throw DbError(QStringLiteral("Seek on '%1' needs %2 key values (%3), not %4")
                          .arg(m_source)
                          .arg(keyColumns.size())
                          .arg(keyColumns.join(u", "))
                          .arg(key.size()));
    QStringList conditions;
    for (int i = 0; i < keyColumns.size(); ++i)
        conditions << QStringLiteral("%1 = :k%2").arg(m_db->Quote(keyColumns.at(i))).arg(i);
    QSqlQuery query(m_db->m_db);
    query.prepare(QStringLiteral("SELECT rowid FROM %1 WHERE %2")
                      .arg(m_db->Quote(m_updateTable), conditions.join(u" AND ")));
    for (int i = 0; i < key.size(); ++i)
        query.bindValue(QStringLiteral(":k%1").arg(i), StorageValue(key.at(i)));
    if (!query.exec())
        m_db->Fail(QStringLiteral("Cannot seek in '%1'").arg(m_source), query.lastError());

    m_afterDelete = false;
    m_noMatch = true;
    m_pos = int(m_rows.size());
    if (!query.next())
        return;
    const qint64 rowId = query.value(0).toLongLong();
    query = QSqlQuery();
    int index = int(m_rowIds.indexOf(rowId));
    if (index < 0) {
        // Added by another record set since this snapshot was taken.
        QVariantList row;
        if (!FetchRow(rowId, row))
            return;
        m_rows.append(row);
        m_rowIds.append(rowId);
        index = int(m_rows.size()) - 1;
    }
    m_pos = index;
    m_noMatch = false;
}

} // namespace MeetDb
