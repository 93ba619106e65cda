#include "meetdb/meetcontents.h"

#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QVariant>

#include "meetdb/competitionload.h"
#include "meetdb/database.h"
#include "meetdb/keywords.h"

namespace MeetDb {

namespace {

// Runs `sql` with the meet code bound and returns each row's values made printable, joined by
// tabs after `kind`.
QStringList Lines(Database &db, const QString &sql, const QString &code, const QString &kind,
                  int dateColumn = -1)
{
    QSqlQuery query(db.Connection());
    query.setForwardOnly(true);
    query.prepare(sql);
    query.bindValue(QStringLiteral(":code"), code);
    if (!query.exec())
        throw DbError(
            QStringLiteral("Cannot read meet %1: %2").arg(code, query.lastError().text()));
    QStringList lines;
    const int columns = query.record().count();
    while (query.next()) {
        QStringList cells{kind};
        for (int column = 0; column < columns; ++column) {
            const QString value = query.value(column).toString();
            cells << PrintableText(column == dateColumn ? DbDateText(value) : value,
                                   MaxMeetTextLength);
        }
        lines << cells.join(u'\t');
    }
    return lines;
}

} // namespace

bool ReadMeetContents(Database &db, const QString &code, MeetContents &contents)
{
    const QStringList meet =
        Lines(db, QStringLiteral(R"(SELECT 1 FROM "Meet Table" WHERE "Meet code" = :code)"), code,
              QString());
    if (meet.isEmpty())
        return false;
    // A distance is stored as a number: 50, not 50.0.
    contents.Events =
        Lines(db,
              QStringLiteral(R"(SELECT e."Event number", e."Sex", e."Group", )"
                             R"(CASE WHEN e."Distance" = CAST(e."Distance" AS INTEGER) )"
                             R"(THEN CAST(e."Distance" AS INTEGER) ELSE e."Distance" END, )"
                             R"(e."Stroke", (SELECT COUNT(*) FROM "Swim Table" s )"
                             R"(WHERE s."Meet code" = e."Meet code" AND )"
                             R"(s."Event number" = e."Event number") FROM "Event Table" e )"
                             R"(WHERE e."Meet code" = :code ORDER BY e."Event Sequence", )"
                             R"(CAST(e."Event number" AS INTEGER), e."Event number")"),
              code, QStringLiteral("event"));
    contents.Entrants =
        Lines(db,
              QStringLiteral(R"(SELECT n."Entrant Number", n."Swimmer Name", n."club", n."Sex", )"
                             R"(n."age", (SELECT COUNT(*) FROM "Swim Table" s )"
                             R"(WHERE s."Meet code" = n."Meet code" AND )"
                             R"(s."Entrant Number" = n."Entrant Number") FROM "Entrant Table" n )"
                             R"(WHERE n."Meet code" = :code ORDER BY n."Entrant Number")"),
              code, QStringLiteral("entrant"), 4);
    return true;
}

} // namespace MeetDb
