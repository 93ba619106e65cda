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

// Makes `table` again from its stored CREATE statement with `from` replaced by `to`, keeping its
// rows and its indexes, as a database tool that changes a table's definition does. Returns false
// when the statement does not hold `from`.
bool RedefineTable(MeetDb::Database &db, const QString &table, const QString &from,
                   const QString &to);
