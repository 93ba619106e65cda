#include "meetdb/databaseinternal.h"

#include <QDate>
#include <QDateTime>
#include <QDir>

namespace MeetDb::Internal {

QString NativePath(const QString &path)
{
    return QDir::toNativeSeparators(path);
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

} // namespace MeetDb::Internal
