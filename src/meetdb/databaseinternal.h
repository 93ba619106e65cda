#pragma once

#include <cmath>
#include <optional>

#include <sqlite3.h>

#include <QString>
#include <QStringList>
#include <QVariant>

#include "meetdb/database.h"

// What the files of the database layer share (database.cpp, savedqueries.cpp, recordset.cpp).
// Not for use outside the layer.
namespace MeetDb::Internal {

QString NativePath(const QString &path);

// Values are stored the way the rest of the program reads them back: flags as 1/0 (so that
// "greater than 0" means true) and dates as ISO text, which sorts as a date.
QVariant StorageValue(const QVariant &value);

int IndexOfName(const QStringList &names, const QString &name);

// A stored value as a number: `Whole` when it is a whole number that 64 bits hold, and `Real`
// in any case, NaN when it is no number at all (Null, a blob, text that is not a number). Text
// is read without the blanks around it.
struct Number
{
    std::optional<qint64> Whole;
    double Real = std::nan("");
};

Number ReadNumber(const QVariant &value);

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

} // namespace MeetDb::Internal
