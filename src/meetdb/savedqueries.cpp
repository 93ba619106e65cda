#include "meetdb/database.h"

#include <sqlite3.h>

#include <QSqlQuery>

#include "meetdb/databaseinternal.h"
#include "meetdb/sqltext.h"

// The saved queries kept inside the database file: a stored query is only ever run as one
// read-only SELECT, its {Name} parameters bound, never pasted.

namespace MeetDb {

using namespace Internal;

namespace {

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

} // namespace

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

} // namespace MeetDb
