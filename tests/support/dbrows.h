#pragma once

#include <QString>
#include <QStringList>

namespace MeetDb {
class Database;
}

// Adds rows given as "value|value|..." under the fields "field|field|..." of a table. An empty
// value is stored as Null. Every value is bound, as in the program.
void InsertRows(MeetDb::Database &db, const QString &table, const QString &fields,
                const QStringList &rows);
