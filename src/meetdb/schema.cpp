#include "meetdb/schema.h"

#include <algorithm>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QList>
#include <QSqlError>
#include <QSqlQuery>

#include "meetdb/sqltext.h"

namespace MeetDb {

namespace {

// Flags default to 0 so that a record added without them reads false, as the program expects
// of a new swim or entrant. "Swimmer Name" compares without case, so a name typed in another
// case still finds its entrant.
const QList<const char *> MeetTables = {
    R"(CREATE TABLE "Version Table" ("Version" REAL))",

    R"(CREATE TABLE "Meet Table" (
        "Meet code" TEXT NOT NULL PRIMARY KEY,
        "Meet Name" TEXT, "Meet Title" TEXT, "Meet Date" TEXT, "Qual Date" TEXT,
        "Age Groups" INTEGER NOT NULL DEFAULT 0, "Meet Type" TEXT, "Promoter" TEXT,
        "Lanes" INTEGER, "Final lanes" INTEGER,
        "HDW" INTEGER NOT NULL DEFAULT 0, "Program Notes" INTEGER NOT NULL DEFAULT 1,
        "AOE" INTEGER NOT NULL DEFAULT 0, "AOE Online" TEXT, "Announcer" TEXT,
        "Junior" INTEGER NOT NULL DEFAULT 0, "Club Scores" TEXT, "WWW Directory" TEXT,
        "One Card" INTEGER NOT NULL DEFAULT 0, "All Heats" INTEGER NOT NULL DEFAULT 0,
        "Meet Specific" INTEGER NOT NULL DEFAULT 0, "Print Times" INTEGER NOT NULL DEFAULT 0,
        "Split Last Heats" INTEGER NOT NULL DEFAULT 0,
        "Next Competitor Number" INTEGER NOT NULL DEFAULT 1,
        "Multi Session" INTEGER NOT NULL DEFAULT 0,
        "WWW Style" TEXT, "WWW Class" TEXT, "WWW Header" TEXT, "WWW Footer" TEXT,
        "Gala Directory" TEXT, "Work Directory" TEXT))",

    R"(CREATE TABLE "Group Table" (
        "Meet code" TEXT NOT NULL, "Group Order" INTEGER NOT NULL,
        "Group Name" TEXT, "Group Description" TEXT, "Group Print" TEXT,
        "Group Combine Print" TEXT,
        PRIMARY KEY ("Meet code", "Group Order")))",

    R"(CREATE TABLE "Event Table" (
        "Meet code" TEXT NOT NULL, "Event number" TEXT NOT NULL, "Event Sequence" INTEGER,
        "Event Print Number" TEXT, "Sex" TEXT, "Group" TEXT, "Distance" REAL, "Stroke" TEXT,
        "session" INTEGER, "Event Date" TEXT, "Limit Time" TEXT, "Record Time" TEXT,
        "BCP Age" TEXT, "Maximum Entries" INTEGER, "Final Event" TEXT, "NOTE" TEXT,
        "Sponsor" TEXT, "Meet Specific" TEXT, "Event Print Group" TEXT, "Event Type" TEXT,
        "Combine With" TEXT,
        PRIMARY KEY ("Meet code", "Event number")))",

    R"(CREATE TABLE "Parameter Table" (
        "Meet code" TEXT NOT NULL, "Parameter Order" INTEGER NOT NULL,
        "Key Word" TEXT, "Parameter" TEXT,
        PRIMARY KEY ("Meet code", "Parameter Order")))",

    R"(CREATE TABLE "Club Name Table" (
        "Meet code" TEXT NOT NULL, "Club Code" TEXT NOT NULL, "Club Name" TEXT,
        PRIMARY KEY ("Meet code", "Club Code")))",

    R"(CREATE TABLE "Entrant Table" (
        "Meet code" TEXT NOT NULL, "Entrant Number" INTEGER NOT NULL,
        "Swimmer Name" TEXT COLLATE NOCASE, "club" TEXT,
        "Address_Line_1" TEXT, "Address_Line_2" TEXT, "Town" TEXT, "County" TEXT,
        "Post Code" TEXT, "age" TEXT, "Sex" TEXT, "Card Printed" INTEGER NOT NULL DEFAULT 0,
        "Regno" TEXT,
        PRIMARY KEY ("Meet code", "Entrant Number")))",
    R"(CREATE INDEX "Entrant Name Index" ON "Entrant Table" ("Meet code", "Swimmer Name"))",

    // "Heat No" and "Progref" have integer affinity: numbers are stored as numbers and sort as
    // numbers, while the empty text written when heats are cleared is kept as it is.
    R"(CREATE TABLE "Swim Table" (
        "Meet code" TEXT NOT NULL, "Entrant Number" INTEGER NOT NULL,
        "Event number" TEXT NOT NULL, "Event Sequence" INTEGER, "Combined With" TEXT,
        "Entry Time" TEXT, "Time" TEXT, "Confirmed" INTEGER NOT NULL DEFAULT 0,
        "Position" INTEGER DEFAULT 0, "DQ" INTEGER NOT NULL DEFAULT 0, "DQ Reason" TEXT,
        "Meet Specific" TEXT, "Seed Order" INTEGER DEFAULT 0,
        "DNS" INTEGER NOT NULL DEFAULT 0, "Notes" TEXT, "Points" INTEGER DEFAULT 0,
        "Heat No" INTEGER, "Lane No" INTEGER, "Progref" INTEGER,
        PRIMARY KEY ("Meet code", "Entrant Number", "Event number")))",
    R"(CREATE INDEX "Swim Event Index" ON "Swim Table" ("Meet code", "Event number"))",
    R"(CREATE INDEX "Swim Pool Event Index" ON "Swim Table" ("Meet code", "Combined With"))",
};

const char *const SavedQueriesDefinition =
    R"(CREATE TABLE IF NOT EXISTS "Saved Queries" ("Name" TEXT NOT NULL PRIMARY KEY )"
    R"(COLLATE NOCASE, "Sql" TEXT NOT NULL, "Update Table" TEXT))";

const QList<const char *> AddressTables = {
    R"(CREATE TABLE "Entrant Table" (
        "First Name" TEXT, "SurName" TEXT, "Sex" TEXT, "club" TEXT,
        "Address Line 1" TEXT, "Address Line 2" TEXT, "Entrant No" INTEGER, "Town" TEXT,
        "County" TEXT, "Post Code" TEXT, "Events Entered" INTEGER, "Fee" REAL))",
};

struct StoredQuery
{
    QString name;
    QString updateTable;
    QString sql;
};

// Event order: the meet's running order, then the number read as a number so that event 10
// follows event 9. `t` is the table alias with its dot, or "".
QString EventOrder(const QString &t)
{
    return QStringLiteral("%1\"Event Sequence\", CAST(%1\"Event number\" AS INTEGER), "
                          "%1\"Event number\"")
        .arg(t);
}

QList<StoredQuery> SavedQueries()
{
    const QString all = QStringLiteral("SELECT rowid AS \"_rowid\", * FROM ");
    const QString forMeet = QStringLiteral(" WHERE \"Meet code\" = {Enter Meet Code}");

    // A pool event holds the swims combined into it ("Combined With" is its number) and its own
    // swims that are not combined elsewhere.
    const QString poolEvent = QStringLiteral(
        "(s.\"Combined With\" = {Enter Event Number} OR ((s.\"Combined With\" IS NULL OR "
        "s.\"Combined With\" = '') AND s.\"Event number\" = {Enter Event Number}))");

    // "Alt Club" is the club's full name from the meet's club table, for lists printed with
    // names in place of codes.
    const QString poolEventFields = QStringLiteral(
        "SELECT s.rowid AS \"_rowid\", s.\"Event number\" AS \"Event number\", "
        "s.\"Entrant Number\" AS \"Entrant Number\", e.\"Swimmer Name\" AS \"Swimmer Name\", "
        "e.\"age\" AS \"age\", s.\"Time\" AS \"Time\", s.\"Confirmed\" AS \"Confirmed\", "
        "s.\"Points\" AS \"Points\", c.\"Club Name\" AS \"Alt Club\", e.\"club\" AS \"club\", "
        "s.\"Notes\" AS \"Notes\", s.\"Meet Specific\" AS \"Meet Specific\", "
        "s.\"Position\" AS \"Position\", s.\"DQ Reason\" AS \"DQ Reason\", "
        "s.\"Progref\" AS \"Progref\" "
        "FROM \"Swim Table\" AS s "
        "LEFT JOIN \"Entrant Table\" AS e ON e.\"Meet code\" = s.\"Meet code\" "
        "AND e.\"Entrant Number\" = s.\"Entrant Number\" "
        "LEFT JOIN \"Club Name Table\" AS c ON c.\"Meet code\" = s.\"Meet code\" "
        "AND c.\"Club Code\" = e.\"club\" "
        "WHERE s.\"Meet code\" = {Enter Meet Code} AND ");

    return {
        {QStringLiteral("Details of 1 Meet"), QStringLiteral("Meet Table"),
         all + QStringLiteral("\"Meet Table\"") + forMeet},

        {QStringLiteral("Groups for 1 Meet"), QStringLiteral("Group Table"),
         all + QStringLiteral("\"Group Table\"") + forMeet +
             QStringLiteral(" ORDER BY \"Group Order\", rowid")},

        {QStringLiteral("Events for 1 Meet"), QStringLiteral("Event Table"),
         all + QStringLiteral("\"Event Table\"") + forMeet + QStringLiteral(" ORDER BY ") +
             EventOrder({})},

        {QStringLiteral("Clubs for 1 Meet"), QStringLiteral("Club Name Table"),
         all + QStringLiteral("\"Club Name Table\"") + forMeet +
             QStringLiteral(" ORDER BY \"Club Code\"")},

        {QStringLiteral("Parameters for 1 Meet"), QStringLiteral("Parameter Table"),
         all + QStringLiteral("\"Parameter Table\"") + forMeet +
             QStringLiteral(" ORDER BY \"Parameter Order\", rowid")},

        {QStringLiteral("Entrants for 1 Meet"), QStringLiteral("Entrant Table"),
         all + QStringLiteral("\"Entrant Table\"") + forMeet +
             QStringLiteral(" ORDER BY \"Entrant Number\"")},

        {QStringLiteral("Single Entrant Details"), QStringLiteral("Entrant Table"),
         all + QStringLiteral("\"Entrant Table\"") + forMeet +
             QStringLiteral(" AND \"Entrant Number\" = {Enter Entrant Number}")},

        {QStringLiteral("Single Entrant by Name"), QStringLiteral("Entrant Table"),
         all + QStringLiteral("\"Entrant Table\"") + forMeet +
             QStringLiteral(" AND \"Swimmer Name\" = {Enter Swimmer Name} "
                            "ORDER BY \"Entrant Number\"")},

        {QStringLiteral("Events for 1 Entrant"), QStringLiteral("Swim Table"),
         all + QStringLiteral("\"Swim Table\"") + forMeet +
             QStringLiteral(" AND \"Entrant Number\" = {Enter Entrant Number} ORDER BY ") +
             EventOrder({})},

        {QStringLiteral("Entrants for 1 Event"), QStringLiteral("Swim Table"),
         all + QStringLiteral("\"Swim Table\"") + forMeet +
             QStringLiteral(" AND \"Event number\" = {Enter Event Number} "
                            "ORDER BY \"Entrant Number\"")},

        {QStringLiteral("Swims for 1 Meet"), QStringLiteral("Swim Table"),
         all + QStringLiteral("\"Swim Table\"") + forMeet + QStringLiteral(" ORDER BY ") +
             EventOrder({}) + QStringLiteral(", \"Entrant Number\"")},

        // Swims without an entrant record still appear (with Null entrant fields), so that the
        // meet day sees them and can repair them rather than lose them.
        {QStringLiteral("Meet Swim Record"), QStringLiteral("Swim Table"),
         QStringLiteral(
             "SELECT s.rowid AS \"_rowid\", s.\"Entrant Number\" AS \"Entrant Number\", "
             "e.\"Swimmer Name\" AS \"Swimmer Name\", e.\"club\" AS \"club\", "
             "e.\"Regno\" AS \"Regno\", e.\"age\" AS \"age\", e.\"Sex\" AS \"Sex\", "
             "s.\"Event number\" AS \"Event number\", s.\"Entry Time\" AS \"Entry Time\", "
             "s.\"Confirmed\" AS \"Confirmed\", s.\"Combined With\" AS \"Combined With\", "
             "s.\"Meet Specific\" AS \"Meet Specific\" "
             "FROM \"Swim Table\" AS s LEFT JOIN \"Entrant Table\" AS e "
             "ON e.\"Meet code\" = s.\"Meet code\" AND e.\"Entrant Number\" = s.\"Entrant Number\" "
             "WHERE s.\"Meet code\" = {Enter Meet Code} ORDER BY s.\"Entrant Number\", ") +
             EventOrder(QStringLiteral("s."))},

        // Print order: the seeded order, swims not (yet) seeded after them.
        {QStringLiteral("Entrants for 1 Pool Event"), QStringLiteral("Swim Table"),
         poolEventFields + poolEvent +
             QStringLiteral(" ORDER BY COALESCE(s.\"Seed Order\", 0) <= 0, s.\"Seed Order\", "
                            "s.\"Progref\", s.\"Entrant Number\"")},

        // Placed swimmers by place, then everyone else.
        {QStringLiteral("Results for 1 Event"), QStringLiteral("Swim Table"),
         poolEventFields +
             QStringLiteral("s.\"Event number\" = {Enter Event Number} "
                            "ORDER BY COALESCE(s.\"Position\", 0) <= 0, s.\"Position\", "
                            "s.\"Entrant Number\"")},

        {QStringLiteral("Swims for 1 Pool Event"), QStringLiteral("Swim Table"),
         QStringLiteral("SELECT s.rowid AS \"_rowid\", s.* FROM \"Swim Table\" AS s "
                        "WHERE s.\"Meet code\" = {Enter Meet Code} AND ") +
             poolEvent + QStringLiteral(" ORDER BY s.\"Entrant Number\", ") +
             EventOrder(QStringLiteral("s."))},
    };
}

// Makes a new database file with `statements`, then `fill`. The file must not exist yet; on
// any failure the partly made file is removed, so a failed create leaves nothing behind.
void CreateDatabase(const QString &path, const QString &kind, const QList<const char *> &statements,
                    void (*fill)(Database &))
{
    const QString what =
        QStringLiteral("Cannot create %1 %2").arg(kind, QDir::toNativeSeparators(path));
    if (QFileInfo::exists(path))
        throw DbError(what + QStringLiteral(": the file already exists"));
    QString failure;
    {
        Database db;
        try {
            db.OpenOrCreate(path);
            Transaction transaction(db);
            for (const char *statement : statements)
                db.Exec(QString::fromUtf8(statement));
            fill(db);
            transaction.Commit();
            db.Close();
            return;
        } catch (const DbError &error) {
            failure = error.Message();
        }
    }
    for (const char *suffix : {"", "-wal", "-shm", "-journal"})
        QFile::remove(path + QLatin1String(suffix));
    throw DbError(what + QStringLiteral(": ") + failure);
}

/*
 * The shape of a table as SQLite reports it, one line per part in the form a message shows,
 * and the tokens of its CREATE statement. The lines show what matters in a form the official
 * can follow; the tokens catch what SQLite reports nowhere else (conflict clauses, CHECK
 * constraints, collations, WITHOUT ROWID).
 */
struct TableShape
{
    QStringList Columns; // in their order
    QStringList ForeignKeys;
    QStringList UniqueKeys; // sorted: each UNIQUE index, constraint and the primary key's index
    QStringList Definition;
};

// Runs one statement that reads the schema, with `name` bound; throws DbError on failure.
QSqlQuery SchemaQuery(Database &db, const QString &sql, const QString &name)
{
    QSqlQuery query(db.Connection());
    query.setForwardOnly(true);
    query.prepare(sql);
    query.bindValue(QStringLiteral(":name"), name);
    if (!query.exec())
        throw DbError(QStringLiteral("cannot read the definition of \"%1\": %2")
                          .arg(name, query.lastError().text()));
    return query;
}

QString Quoted(const QString &name)
{
    return u'"' + name + u'"';
}

// The columns of a UNIQUE index, or its whole statement when it was made by CREATE INDEX.
QString UniqueKey(Database &db, const QString &index, const QString &origin, bool partial)
{
    if (origin == u"c") {
        QSqlQuery sql =
            SchemaQuery(db,
                        QStringLiteral("SELECT sql FROM sqlite_master WHERE type = 'index' "
                                       "AND name = :name"),
                        index);
        return QStringLiteral("UNIQUE INDEX ") +
               (sql.next() ? JoinTokens(SqlTokens(sql.value(0).toString())) : QString());
    }
    QStringList columns;
    QSqlQuery parts = SchemaQuery(db,
                                  QStringLiteral("SELECT name, \"desc\", coll, cid FROM "
                                                 "pragma_index_xinfo(:name) WHERE key ORDER BY "
                                                 "seqno"),
                                  index);
    while (parts.next()) {
        QString column = parts.value(3).toInt() == -2 ? QStringLiteral("(an expression)")
                                                      : Quoted(parts.value(0).toString());
        if (parts.value(2).toString().compare(u"BINARY", Qt::CaseInsensitive) != 0)
            column += QStringLiteral(" COLLATE ") + parts.value(2).toString();
        if (parts.value(1).toInt() != 0)
            column += QStringLiteral(" DESC");
        columns << column;
    }
    return (origin == u"pk" ? QStringLiteral("PRIMARY KEY (") : QStringLiteral("UNIQUE (")) +
           columns.join(QStringLiteral(", ")) + u')' +
           (partial ? QStringLiteral(" WHERE ...") : QString());
}

TableShape DescribeTable(Database &db, const QString &table)
{
    TableShape shape;
    QSqlQuery columns = SchemaQuery(db,
                                    QStringLiteral("SELECT name, type, \"notnull\", dflt_value, "
                                                   "pk, hidden FROM pragma_table_xinfo(:name) "
                                                   "ORDER BY cid"),
                                    table);
    while (columns.next()) {
        QString line = QStringLiteral("column ") + Quoted(columns.value(0).toString());
        if (!columns.value(1).toString().isEmpty())
            line += u' ' + columns.value(1).toString();
        if (columns.value(2).toInt() != 0)
            line += QStringLiteral(" NOT NULL");
        if (!columns.isNull(3))
            line += QStringLiteral(" DEFAULT ") + columns.value(3).toString();
        if (columns.value(4).toInt() > 0)
            line += QStringLiteral(" (key %1)").arg(columns.value(4).toInt());
        if (const int hidden = columns.value(5).toInt(); hidden != 0)
            line += hidden == 1 ? QStringLiteral(" HIDDEN") : QStringLiteral(" GENERATED");
        shape.Columns << line;
    }
    QSqlQuery keys = SchemaQuery(db,
                                 QStringLiteral("SELECT \"table\", \"from\", \"to\", on_update, "
                                                "on_delete FROM pragma_foreign_key_list(:name) "
                                                "ORDER BY id, seq"),
                                 table);
    while (keys.next()) {
        shape.ForeignKeys << QStringLiteral("FOREIGN KEY (%1) REFERENCES %2 (%3) ON UPDATE %4 "
                                            "ON DELETE %5")
                                 .arg(Quoted(keys.value(1).toString()),
                                      Quoted(keys.value(0).toString()),
                                      Quoted(keys.value(2).toString()), keys.value(3).toString(),
                                      keys.value(4).toString());
    }
    QSqlQuery indexes = SchemaQuery(
        db,
        QStringLiteral("SELECT name, origin, partial FROM pragma_index_list(:name) WHERE "
                       "\"unique\""),
        table);
    QList<QStringList> unique;
    while (indexes.next())
        unique.append({indexes.value(0).toString(), indexes.value(1).toString(),
                       indexes.value(2).toString()});
    indexes = QSqlQuery();
    for (const QStringList &index : std::as_const(unique))
        shape.UniqueKeys << UniqueKey(db, index[0], index[1], index[2].toInt() != 0);
    std::sort(shape.UniqueKeys.begin(), shape.UniqueKeys.end());
    QSqlQuery definition = SchemaQuery(
        db, QStringLiteral("SELECT sql FROM sqlite_master WHERE type = 'table' AND name = :name"),
        table);
    if (definition.next())
        shape.Definition = SqlTokens(definition.value(0).toString());
    return shape;
}

// The first difference between the file's lines and the program's, or "".
QString LineDifference(const QStringList &file, const QStringList &ours)
{
    for (qsizetype i = 0; i < std::max(file.size(), ours.size()); ++i) {
        if (i >= file.size())
            return QStringLiteral("it lacks %1").arg(ours.at(i));
        if (i >= ours.size())
            return QStringLiteral("it has %1, which the program's has not").arg(file.at(i));
        if (file.at(i).compare(ours.at(i), Qt::CaseInsensitive) != 0)
            return QStringLiteral("it has %1 where the program's has %2")
                .arg(file.at(i), ours.at(i));
    }
    return {};
}

// A few tokens from `from`, for showing where two definitions part.
QString Excerpt(const QStringList &tokens, qsizetype from)
{
    constexpr qsizetype shown = 5;
    if (from >= tokens.size())
        return QStringLiteral("its end");
    const QString text = JoinTokens(tokens.mid(from, shown));
    return u'"' + text +
           (from + shown < tokens.size() ? QStringLiteral(" ...\"") : QStringLiteral("\""));
}

QString ShapeDifference(const TableShape &file, const TableShape &ours)
{
    for (const QString &difference : {LineDifference(file.Columns, ours.Columns),
                                      LineDifference(file.ForeignKeys, ours.ForeignKeys),
                                      LineDifference(file.UniqueKeys, ours.UniqueKeys)}) {
        if (!difference.isEmpty())
            return difference;
    }
    if (file.Definition == ours.Definition)
        return {};
    qsizetype at = 0;
    while (at < file.Definition.size() && at < ours.Definition.size() &&
           file.Definition.at(at) == ours.Definition.at(at))
        ++at;
    at = std::max<qsizetype>(at - 1, 0); // from the last token both share
    return QStringLiteral("its definition reads %1 where the program's reads %2")
        .arg(Excerpt(file.Definition, at), Excerpt(ours.Definition, at));
}

// The meet database's tables as CreateMeetDatabase makes them, described once from a database
// made in memory.
const QList<QPair<QString, TableShape>> &ProgramTables()
{
    static const QList<QPair<QString, TableShape>> tables = [] {
        Database db;
        db.OpenOrCreate(QStringLiteral(":memory:"));
        for (const char *statement : MeetTables)
            db.Exec(QString::fromUtf8(statement));
        db.Exec(QString::fromUtf8(SavedQueriesDefinition));
        QList<QPair<QString, TableShape>> shapes;
        QSqlQuery names(db.Connection());
        names.exec(QStringLiteral("SELECT name FROM sqlite_master WHERE type = 'table' ORDER BY "
                                  "rowid"));
        QStringList tableNames;
        while (names.next())
            tableNames << names.value(0).toString();
        names = QSqlQuery();
        for (const QString &table : std::as_const(tableNames))
            shapes.append({table, DescribeTable(db, table)});
        return shapes;
    }();
    return tables;
}

} // namespace

QStringList MeetDbTableNames()
{
    return {QStringLiteral("Version Table"), QStringLiteral("Meet Table"),
            QStringLiteral("Entrant Table"), QStringLiteral("Swim Table"),
            QStringLiteral("Club Name Table")};
}

QStringList MeetDbQueryNames()
{
    QStringList names;
    for (const StoredQuery &query : SavedQueries())
        names << query.name;
    return names;
}

void WriteSavedQueries(Database &db)
{
    Transaction transaction(db);
    db.Exec(QString::fromUtf8(SavedQueriesDefinition));
    const QString insert = QStringLiteral("INSERT OR REPLACE INTO %1 (\"Name\", \"Sql\", "
                                          "\"Update Table\") VALUES (:name, :sql, :table)")
                               .arg(db.Quote(SavedQueriesTable));
    for (const StoredQuery &query : SavedQueries()) {
        db.Exec(insert, {{QStringLiteral("name"), query.name},
                         {QStringLiteral("sql"), query.sql},
                         {QStringLiteral("table"), query.updateTable}});
    }
    transaction.Commit();
}

void CreateMeetDatabase(const QString &path)
{
    CreateDatabase(path, QStringLiteral("meet database"), MeetTables, [](Database &db) {
        WriteSavedQueries(db);
        db.Exec(QStringLiteral("INSERT INTO \"Version Table\" (\"Version\") VALUES (:v)"),
                {{QStringLiteral("v"), MeetDbVersion}});
    });
}

void CreateAddressDatabase(const QString &path)
{
    CreateDatabase(path, QStringLiteral("address database"), AddressTables, [](Database &) {});
}

bool CheckSchema(Database &db, QString *error)
{
    const QString file = QDir::toNativeSeparators(db.Path());
    try {
        for (const QPair<QString, TableShape> &program : ProgramTables()) {
            const QString &table = program.first;
            QSqlQuery stored = SchemaQuery(db,
                                           QStringLiteral("SELECT name FROM sqlite_master WHERE "
                                                          "type = 'table' AND name = :name "
                                                          "COLLATE NOCASE"),
                                           table);
            if (!stored.next()) {
                *error = QStringLiteral("%1 is not a meet database: table '%2' not found")
                             .arg(file, table);
                return false;
            }
            const QString name = stored.value(0).toString();
            stored = QSqlQuery();
            const QString difference = ShapeDifference(DescribeTable(db, name), program.second);
            if (!difference.isEmpty()) {
                *error = QStringLiteral("%1 cannot be used: its table \"%2\" is not as this "
                                        "program makes it, so writing to it could lose entries: "
                                        "%3")
                             .arg(file, table, difference);
                return false;
            }
        }
    } catch (const DbError &failure) {
        *error = QStringLiteral("%1 cannot be used: %2").arg(file, failure.Message());
        return false;
    }
    return true;
}

void CheckMeetDatabase(Database &db)
{
    const QString file = QDir::toNativeSeparators(db.Path());
    for (const QString &table : MeetDbTableNames()) {
        if (!db.HasTable(table))
            throw DbError(
                QStringLiteral("%1 is not a meet database: table '%2' not found").arg(file, table));
    }
    if (!db.HasTable(SavedQueriesTable))
        throw DbError(QStringLiteral("%1 is not a meet database: table '%2' not found")
                          .arg(file, SavedQueriesTable));
    for (const QString &name : MeetDbQueryNames()) {
        if (!db.HasSavedQuery(name))
            throw DbError(QStringLiteral("%1 is not a meet database: saved query '%2' not found")
                              .arg(file, name));
        // Preparing compiles the statement against the file's tables, which shows up a query
        // that names a missing table or field, without running anything the file brought.
        try {
            db.CheckSavedQuery(name);
        } catch (const DbError &error) {
            throw DbError(QStringLiteral("%1: saved query '%2' does not run: %3")
                              .arg(file, name, error.Message()));
        }
    }
    // A newer version's file is never written, and its tables may well differ.
    if (QString error; !db.IsNewerVersion() && !CheckSchema(db, &error))
        throw DbError(error);
}

} // namespace MeetDb
