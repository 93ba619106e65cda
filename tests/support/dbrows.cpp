#include "dbrows.h"

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
