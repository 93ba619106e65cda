#include "dbrows.h"

#include <QSqlQuery>
#include <QVariantHash>

#include "meetdb/database.h"

void InsertRows(MeetDb::Database &db, const QString &table, const QString &fields,
                const QStringList &rows)
{
    QStringList columns, placeholders;
    for (const QString &field : fields.split(u'|')) {
        placeholders << QStringLiteral(":f%1").arg(columns.size());
        columns << db.Quote(field);
    }
    const QString sql = QStringLiteral("INSERT INTO %1 (%2) VALUES (%3)")
                            .arg(db.Quote(table), columns.join(u','), placeholders.join(u','));
    for (const QString &row : rows) {
        QVariantHash binds;
        const QStringList values = row.split(u'|');
        for (int i = 0; i < values.size() && i < placeholders.size(); ++i)
            binds.insert(placeholders.at(i), values.at(i).isEmpty() ? QVariant() : values.at(i));
        db.Exec(sql, binds);
    }
}

bool RedefineTable(MeetDb::Database &db, const QString &table, const QString &from,
                   const QString &to)
{
    QSqlQuery query(db.Connection());
    query.prepare(QStringLiteral("SELECT sql FROM sqlite_master WHERE tbl_name = :table AND sql "
                                 "IS NOT NULL ORDER BY type = 'index'"));
    query.bindValue(QStringLiteral(":table"), table);
    query.exec();
    QStringList statements;
    while (query.next())
        statements << query.value(0).toString();
    query = QSqlQuery();
    if (statements.isEmpty() || !statements.first().contains(from))
        return false;
    statements.first().replace(from, to);
    const QString old = db.Quote(table + QStringLiteral(" before"));
    db.Exec(QStringLiteral("ALTER TABLE %1 RENAME TO %2").arg(db.Quote(table), old));
    db.Exec(statements.first());
    QStringList columns;
    query = QSqlQuery(db.Connection());
    query.exec(QStringLiteral("PRAGMA table_info(%1)").arg(old));
    while (query.next())
        columns << db.Quote(query.value(1).toString());
    query = QSqlQuery();
    db.Exec(QStringLiteral("INSERT INTO %1 (%3) SELECT %3 FROM %2")
                .arg(db.Quote(table), old, columns.join(u',')));
    db.Exec(QStringLiteral("DROP TABLE %1").arg(old));
    for (const QString &index : statements.mid(1))
        db.Exec(index);
    return true;
}
