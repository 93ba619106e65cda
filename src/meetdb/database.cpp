#include "meetdb/database.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <climits>
#include <cmath>

#include <sqlite3.h>

#include <QDate>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSqlDriver>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QUrl>

#include "meetdb/sqltext.h"

namespace MeetDb {

namespace {

// No string or blob the program stores comes near this, nor any statement near the second;
// a crafted file that builds bigger ones fails instead of filling memory.
constexpr int MaxValueBytes = 10 * 1000 * 1000;
constexpr int MaxStatementBytes = 1000 * 1000;
// How many virtual-machine steps pass between looks at the clock. A step can be costly (building
// a large text or blob), so the clock is read often; reading it costs far less than a step.
constexpr int ProgressSteps = 100;

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
// parameter name of each. Comments are dropped first: the statement is later placed inside
// another one, where a comment at its end would swallow what follows. Returns false when a brace
// is left open.
bool ExpandPlaceholders(const QString &storedText, QString &sql, QStringList &occurrences)
{
    const QString stored = WithoutComments(storedText);
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

// "256 MB" or "1000 bytes", for messages about a limit.
QString SizeText(qint64 bytes)
{
    constexpr qint64 mega = 1024 * 1024;
    return bytes >= mega && bytes % mega == 0 ? QStringLiteral("%1 MB").arg(bytes / mega)
                                              : QStringLiteral("%1 bytes").arg(bytes);
}

// A stored value as a number: `Whole` when it is a whole number that 64 bits hold, and `Real`
// in any case, NaN when it is no number at all (Null, a blob, text that is not a number). Text
// is read without the blanks around it.
struct Number
{
    std::optional<qint64> Whole;
    double Real = std::nan("");
};

Number ReadNumber(const QVariant &value)
{
    Number number;
    if (value.isNull())
        return number;
    bool ok = false;
    switch (value.typeId()) {
    case QMetaType::Bool:
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::LongLong:
        number.Whole = value.toLongLong();
        number.Real = double(*number.Whole);
        return number;
    case QMetaType::Double:
    case QMetaType::Float:
        number.Real = value.toDouble();
        break;
    case QMetaType::QByteArray:
        return number;
    default: {
        const QString text = value.toString().trimmed();
        if (const qlonglong whole = text.toLongLong(&ok); ok) {
            number.Whole = whole;
            number.Real = double(whole);
            return number;
        }
        if (const double real = text.toDouble(&ok); ok)
            number.Real = real;
    }
    }
    // 2^63 is the first double beyond 64 bits.
    if (std::isfinite(number.Real) && number.Real == std::floor(number.Real) &&
        std::fabs(number.Real) < 9223372036854775808.0)
        number.Whole = qint64(number.Real);
    return number;
}

// A statement on the raw connection. Record sets are read this way rather than through QtSql,
// which copies a whole row before it can be looked at: here the size of each value is known
// before it is copied, so no row can fill the memory either.
class RawStatement
{
public:
    RawStatement(sqlite3 *handle, const QString &sql)
    {
        const QByteArray text = sql.toUtf8();
        m_rc = sqlite3_prepare_v3(handle, text.constData(), int(text.size()), 0, &m_statement,
                                  nullptr);
    }
    ~RawStatement() { sqlite3_finalize(m_statement); }
    RawStatement(const RawStatement &) = delete;
    RawStatement &operator=(const RawStatement &) = delete;

    int PrepareResult() const { return m_rc; }
    sqlite3_stmt *Get() const { return m_statement; }

    // Binds each value to the placeholder of its name (with or without the leading ':'); a name
    // the statement does not have is left out. Values are converted as QtSql converts them, so a
    // null text is bound as Null.
    void Bind(const QVariantHash &values)
    {
        for (auto it = values.cbegin(); it != values.cend(); ++it) {
            const QString key = it.key().startsWith(u':') ? it.key() : u':' + it.key();
            const int index = sqlite3_bind_parameter_index(m_statement, key.toUtf8().constData());
            if (index > 0)
                BindValue(index, StorageValue(it.value()));
        }
    }

    // The value of `column` in the current row; Null as a null QVariant.
    QVariant Value(int column) const
    {
        switch (sqlite3_column_type(m_statement, column)) {
        case SQLITE_NULL:
            return {};
        case SQLITE_INTEGER:
            return qlonglong(sqlite3_column_int64(m_statement, column));
        case SQLITE_FLOAT:
            return sqlite3_column_double(m_statement, column);
        case SQLITE_BLOB:
            return QByteArray(static_cast<const char *>(sqlite3_column_blob(m_statement, column)),
                              sqlite3_column_bytes(m_statement, column));
        default: {
            const void *text = sqlite3_column_text16(m_statement, column);
            return QString(static_cast<const QChar *>(text),
                           sqlite3_column_bytes16(m_statement, column) / int(sizeof(QChar)));
        }
        }
    }

    // What the value of `column` will take in memory, by Database::ValueBytes and the
    // byte limit's rule; counted before the value is copied.
    qint64 ValueSize(int column) const
    {
        switch (sqlite3_column_type(m_statement, column)) {
        case SQLITE_TEXT:
            return Database::ValueBytes + 2 * qint64(sqlite3_column_bytes(m_statement, column));
        case SQLITE_BLOB:
            return Database::ValueBytes + sqlite3_column_bytes(m_statement, column);
        default:
            return Database::ValueBytes;
        }
    }

private:
    void BindValue(int index, const QVariant &value)
    {
        switch (value.isNull() ? QMetaType::UnknownType : value.typeId()) {
        case QMetaType::UnknownType:
            sqlite3_bind_null(m_statement, index);
            break;
        case QMetaType::Bool:
        case QMetaType::Int:
        case QMetaType::UInt:
        case QMetaType::LongLong:
        case QMetaType::ULongLong:
            sqlite3_bind_int64(m_statement, index, value.toLongLong());
            break;
        case QMetaType::Double:
        case QMetaType::Float:
            sqlite3_bind_double(m_statement, index, value.toDouble());
            break;
        case QMetaType::QByteArray: {
            const QByteArray bytes = value.toByteArray();
            if (bytes.isNull())
                sqlite3_bind_null(m_statement, index);
            else
                sqlite3_bind_blob64(m_statement, index, bytes.constData(), quint64(bytes.size()),
                                    SQLITE_TRANSIENT);
            break;
        }
        default: {
            const QString text = value.toString();
            if (text.isNull())
                sqlite3_bind_null(m_statement, index);
            else
                sqlite3_bind_text16(m_statement, index, text.utf16(),
                                    int(text.size() * qsizetype(sizeof(QChar))), SQLITE_TRANSIENT);
        }
        }
    }

    sqlite3_stmt *m_statement = nullptr;
    int m_rc = SQLITE_OK;
};

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
    auto *handle = static_cast<sqlite3 *>(Handle());
    const QString file = NativePath(m_path);
    const QString opening = QStringLiteral("Cannot open '%1'").arg(source);
    RawStatement query(handle, sql);
    if (query.PrepareResult() != SQLITE_OK)
        Fail(opening, sqlite3_extended_errcode(handle), QString::fromUtf8(sqlite3_errmsg(handle)));
    if (!query.Get())
        throw DbError(QStringLiteral("%1 in %2: it holds no statement").arg(opening, file));
    query.Bind(binds);

    std::unique_ptr<RecordSet> set(new RecordSet);
    set->m_db = this;
    set->m_source = source;
    set->m_selectSql = sql;
    set->m_binds = binds;
    set->m_isTable = isTable;
    set->m_updateTable = updateTable;

    QList<int> visible;
    for (int i = 0; i < sqlite3_column_count(query.Get()); ++i) {
        // Field names as QtSql gives them, without double quotes.
        const QString name =
            QString::fromUtf16(static_cast<const char16_t *>(sqlite3_column_name16(query.Get(), i)))
                .remove(u'"');
        if (set->m_rowIdIndex < 0 && name.compare(RowIdColumn, Qt::CaseInsensitive) == 0) {
            set->m_rowIdIndex = i;
        } else {
            set->m_fields << name;
            visible << i;
        }
    }
    if (!updateTable.isEmpty() && set->m_rowIdIndex < 0)
        throw DbError(QStringLiteral("Saved query '%1' in %2 updates '%3' but does not return "
                                     "its row id as \"%4\"")
                          .arg(source, file, updateTable, RowIdColumn));

    qint64 bytes = 0;
    for (;;) {
        const int rc = sqlite3_step(query.Get());
        if (rc == SQLITE_DONE)
            break;
        if (rc != SQLITE_ROW)
            Fail(set->m_rows.isEmpty() ? opening : QStringLiteral("Cannot read '%1'").arg(source),
                 sqlite3_extended_errcode(handle), QString::fromUtf8(sqlite3_errmsg(handle)));
        if (set->m_rows.size() >= m_rowLimit)
            throw DbError(QStringLiteral("Cannot read '%1' in %2: it was stopped at %3 records, "
                                         "more than any meet holds")
                              .arg(source, file)
                              .arg(m_rowLimit));
        for (int i = 0; i < sqlite3_column_count(query.Get()); ++i)
            bytes += query.ValueSize(i);
        if (bytes > m_byteLimit)
            throw DbError(QStringLiteral("Cannot read '%1' in %2: it was stopped at %3, more than "
                                         "any meet holds")
                              .arg(source, file, SizeText(m_byteLimit)));
        QVariantList row;
        row.reserve(visible.size());
        for (int column : std::as_const(visible))
            row << query.Value(column);
        set->m_rows << row;
        set->m_rowIds << (set->m_rowIdIndex >= 0
                              ? qint64(sqlite3_column_int64(query.Get(), set->m_rowIdIndex))
                              : 0);
    }
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
    const Number number = ReadNumber(Field(name));
    if (std::isnan(number.Real))
        return 0;
    if (number.Whole ? *number.Whole < INT_MIN || *number.Whole > INT_MAX
                     : !(number.Real > INT_MIN - 1.0 && number.Real < INT_MAX + 1.0))
        throw DbError(QStringLiteral("Field '%1' of '%2' in %3 holds %4, a number too big for it")
                          .arg(name, m_source, NativePath(m_db->Path()), Text(name).left(40)));
    return number.Whole ? int(*number.Whole) : int(number.Real);
}

std::optional<qint64> RecordSet::WholeNumber(const QString &name) const
{
    return ReadNumber(Field(name)).Whole;
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
    // The statement goes on its own lines, so that nothing it ends with can swallow the
    // condition after it.
    QVariantHash binds = m_binds;
    binds.insert(QStringLiteral(":_rid"), rowId);
    const std::unique_ptr<RecordSet> one =
        m_db->Load(m_source,
                   QStringLiteral("SELECT * FROM (\n%1\n) WHERE %2 = :_rid")
                       .arg(m_selectSql, m_db->Quote(RowIdColumn)),
                   binds, QString(), false);
    if (one->m_rows.isEmpty())
        return false;
    row = one->m_rows.first();
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

namespace {

[[noreturn]] void FailBulk(Database &db, const QSqlQuery &query, const QString &failure)
{
    const QSqlError error = query.lastError();
    throw DbError(QStringLiteral("%1 %2: %3")
                      .arg(failure, NativePath(db.Path()),
                           error.databaseText().isEmpty() ? error.text() : error.databaseText()));
}

} // namespace

void PrepareBulk(Database &db, QSqlQuery &query, const QString &sql, const QString &failure)
{
    query = QSqlQuery(db.Connection());
    query.setForwardOnly(true);
    if (!query.prepare(sql))
        FailBulk(db, query, failure);
}

void RunBulk(Database &db, QSqlQuery &query, const QVariantList &values, const QString &failure,
             qsizetype count)
{
    const qsizetype n = count < 0 ? values.size() : count;
    for (qsizetype i = 0; i < n; ++i)
        query.bindValue(int(i), values.at(i));
    if (!query.exec())
        FailBulk(db, query, failure);
}

} // namespace MeetDb
