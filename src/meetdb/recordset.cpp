#include "meetdb/database.h"

#include <climits>

#include <sqlite3.h>

#include <QSqlQuery>
#include <QSqlRecord>

#include "meetdb/databaseinternal.h"
#include "meetdb/sqltext.h"

// Record sets: rows read on the raw connection with their size counted before they are copied,
// edited and written back by their row id, and the bulk statements of the writers.

namespace MeetDb {

using namespace Internal;

namespace {

// "256 MB" or "1000 bytes", for messages about a limit.
QString SizeText(qint64 bytes)
{
    constexpr qint64 mega = 1024 * 1024;
    return bytes >= mega && bytes % mega == 0 ? QStringLiteral("%1 MB").arg(bytes / mega)
                                              : QStringLiteral("%1 bytes").arg(bytes);
}

} // namespace

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
