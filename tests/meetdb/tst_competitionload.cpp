#include <functional>

#include <QDir>
#include <QRandomGenerator>
#include <QTest>

#include "core/galastate.h"
#include "meetdb/competitionload.h"
#include "meetdb/database.h"
#include "meetdb/schema.h"
#include "meetdb/selection.h"
#include "meetdb/session.h"
#include "support/dbrows.h"
#include "support/scriptedprompts.h"
#include "support/testfiles.h"

using namespace MeetDb;

namespace {

// Answers the selection windows as a user would: the source window with `source`, the database
// window with line 1, the meet list with line `meetLine` (0 = Cancel).
class ScriptedWindows : public SelectionWindows
{
public:
    std::function<void(IntSelectForm &)> source = [](IntSelectForm &form) { form.KnownDatabase(); };
    int meetLine = 1;
    QStringList meetLines;

    void ShowIntSelect(IntSelectForm &form) override { source(form); }
    void ShowNtSelect(NtSelectForm &form) override { form.Choose(1); }
    void ShowListSelect(ListSelectForm &form) override
    {
        meetLines = form.Lines();
        meetLine > 0 ? form.Choose(meetLine) : form.Cancel();
    }
};

// A meet database holding meet "M1" dated 3 June 2025 (two groups, three events, event 2 dated
// the 4th, two clubs); `more` adds to it.
QString MeetFile(const TestDir &dir, const std::function<void(Database &)> &more = {})
{
    const QString path = dir.FilePath("natamar.mdb");
    CreateMeetDatabase(path);
    Database db;
    db.Open(path);
    InsertRows(db, "Version Table", "Version", {"0.9", "1.0"});
    InsertRows(db, "Meet Table", "Meet code|Meet Name|Meet Date|Qual Date|Meet Type|Lanes",
               {"M1|Velmora Open|2025-06-03|2024-12-31|Open|6"});
    InsertRows(db, "Group Table", "Meet code|Group Order|Group Name|Group Description|Group Print",
               {"M1|1|U/12|U/12|", "M1|2|OPEN|Open|Open Age"});
    InsertRows(
        db, "Event Table",
        "Meet code|Event number|Event Sequence|Sex|Group|Distance|Stroke|Event Date",
        {"M1|1|1|F|U/12|50|FS|", "M1|2|2|M|U/12|50|FS|2025-06-04", "M1|3|3|F|OPEN|100|MED|"});
    InsertRows(db, "Club Name Table", "Meet code|Club Code|Club Name",
               {"M1|VMSC|Velmora Marlets", "M1|ASHB|Ashbury Barracudas"});
    if (more)
        more(db);
    return path;
}

// One "Select Competition" run whose only known meet database is `path`.
struct Load
{
    Session session;
    ScriptedPrompts prompts;
    ScriptedWindows windows;

    explicit Load(const QString &path)
    {
        session.Settings.NatamarDbFiles = {path};
        session.Settings.NatamarDb = path;
    }
    bool Run() { return LoadCompetition(session, prompts, windows); }
};

// A gala state field as text, for the data tables.
QString Probe(const Core::GalaState &gala, const QString &what)
{
    auto n = [](auto value) { return QString::number(value); };
    QStringList dates, combinations, distances;
    for (const Core::GalaEvent &event : gala.Events) {
        dates << event.EvDate;
        distances << event.EvDistance + ':' + n(event.EvMaxEntries);
    }
    for (const QStringList &combination : gala.Combinations)
        combinations << combination.join(u',');
    const QHash<QString, QString> values{
        {"Lanes", n(gala.Lanes)},
        {"FinalLanes", n(gala.FinalLanes)},
        {"GalaType", gala.GalaType},
        {"GalaDate", gala.GalaDate},
        {"Dates", dates.join(u' ')},
        {"Hdw", n(gala.Hdw)},
        {"Combinations", combinations.join(u' ')},
        {"Limit1", n(gala.Events.value(0).EvLimitTime)},
        {"GalaName", gala.GalaName},
        {"Distances", distances.join(u' ')},
        {"DbVersion", n(gala.DbVersion)},
        {"Counts", u"%1 groups, %2 events, %3 clubs"_qs.arg(
                       n(gala.GroupCount()), n(gala.EventCount()), n(gala.ClubTotal()))}};
    return values.value(what, "unknown probe " + what);
}

} // namespace

class TestCompetitionLoad : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void meetListNewestFirst()
    {
        TestDir dir;
        const QString path = MeetFile(dir, [](Database &db) {
            InsertRows(db, "Meet Table", "Meet code|Meet Name|Meet Date",
                       {"M2|First of June|2025-06-01", "M3|Also third of June|2025-06-03",
                        "M4|Winter Gala|2024-12-07"});
        });
        Load load(path);
        load.windows.meetLine = 3;
        QVERIFY(load.Run());
        QCOMPARE(load.windows.meetLines,
                 QStringList({"03Jun2025: Velmora Open", "03Jun2025: Also third of June",
                              "01Jun2025: First of June", "07Dec2024: Winter Gala"}));
        QCOMPARE(load.session.Gala.MeetCode, QStringLiteral("M2"));
        QCOMPARE(load.prompts.Statuses.join(""), "Opened the Natamar Database for First of June");
    }

    void databaseLoad_data()
    {
        QTest::addColumn<QString>("sql");        // run on the fixture before the load
        QTest::addColumn<QStringList>("params"); // "Key Word|Parameter" rows, in order
        QTest::addColumn<QString>("probe");
        QTest::addColumn<QString>("expected");
        QTest::addColumn<QStringList>("messages");
        auto row = [](const char *tag, const QString &sql, const QStringList &params,
                      const QString &probe, const QString &expected,
                      const QStringList &messages = {}) {
            QTest::newRow(tag) << sql << params << probe << expected << messages;
        };
        const QStringList none;

        row("as stored", "", none, "Counts", "2 groups, 3 events, 2 clubs");
        row("events without a date take the meet's", "", none, "Dates",
            "03/06/2025 04/06/2025 03/06/2025");
        row("lanes out of range keep 5, finals follow", R"(UPDATE "Meet Table" SET "Lanes" = 9)",
            none, "FinalLanes", "5", {"Lanes paramater invalid"});
        row("final lanes out of range", R"(UPDATE "Meet Table" SET "Final lanes" = 3)", none,
            "FinalLanes", "6", {"Finals Lanes paramater invalid"});
        row("record time replaces limit time",
            R"(UPDATE "Event Table" SET "Limit Time" = '1:10.00', "Record Time" = '1:05.50')", none,
            "Limit1", "65.5");
        row("combine with",
            R"(UPDATE "Event Table" SET "Combine With" = '2,3' WHERE "Event number" = '1')", none,
            "Combinations", "1,2,3");
        row("keyword overrides the database field", "", {"lanes|8"}, "Lanes", "8");
        row("unknown type becomes Internal", R"(UPDATE "Meet Table" SET "Meet Type" = 'Gala')",
            none, "GalaType", "Internal", {"Internal Gala Assumed"});
        row("masters forces hdw", R"(UPDATE "Meet Table" SET "Meet Type" = 'Masters', "HDW" = 0)",
            none, "Hdw", "1");
        row("no groups, no events", R"(DELETE FROM "Group Table"; DELETE FROM "Event Table")", none,
            "Counts", "0 groups, 0 events, 2 clubs",
            {"No Groups Defined", "No Events Defined", "Warning: No event details loaded"});
        row("no meet date", R"(UPDATE "Meet Table" SET "Meet Date" = NULL)", none, "GalaDate", "",
            {"Gala date not set"});

        // A crafted file: huge or control-character texts and numbers no count can hold are
        // refused with a message naming the file, the meet and the field.
        const QString megabyte = "replace(hex(zeroblob(500000)), '0', 'x')";
        row("meet name of a megabyte", R"(UPDATE "Meet Table" SET "Meet Name" = )" + megabyte, none,
            "GalaName", "Internal Gala",
            {R"(natamar.mdb, meet M1: "Meet Name" is longer than 100 characters; ignored)"});
        row("meet name with a control character",
            R"(UPDATE "Meet Table" SET "Meet Name" = 'Velmora' || char(27) || '[2J')", none,
            "GalaName", "Internal Gala",
            {R"(natamar.mdb, meet M1: "Meet Name" holds a control character; ignored)"});
        row("meet name in a parameter", "", {"galaname|" + QString(101, 'x')}, "GalaName",
            "Velmora Open",
            {"natamar.mdb, meet M1, parameter 1: galaname value is longer than 100 characters: "
             "line ignored"});
        row("numbers no count can hold",
            R"(UPDATE "Event Table" SET "Distance" = 9e999 WHERE "Event number" = '1';)"
            R"(UPDATE "Event Table" SET "Distance" = 1e300 WHERE "Event number" = '2';)"
            R"(UPDATE "Event Table" SET "Distance" = 50.5, "Maximum Entries" = 1e300)"
            R"( WHERE "Event number" = '3';)"
            R"(UPDATE "Meet Table" SET "Next Competitor Number" = 2147483647)",
            none, "Distances", ":0 :0 :0",
            {R"(natamar.mdb, meet M1: "Next Competitor Number" 2147483647 is not a whole number )"
             R"(from 1 to 999999; ignored)",
             R"(natamar.mdb, meet M1, event 1: "Distance" inf is not a whole number of metres )"
             R"(from 1 to 10000; the event has no distance)",
             R"(natamar.mdb, meet M1, event 2: "Distance" 1e+300 is not a whole number of )"
             R"(metres from 1 to 10000; the event has no distance)",
             R"(natamar.mdb, meet M1, event 3: "Distance" 50.5 is not a whole number of metres )"
             R"(from 1 to 10000; the event has no distance)",
             R"(natamar.mdb, meet M1, event 3: "Maximum Entries" 1e+300 is not a whole number )"
             R"(from 0 to 32767; ignored)"});
        row("lanes of 1e300", R"(UPDATE "Meet Table" SET "Lanes" = 1e300)", none, "Lanes", "5",
            {"Lanes paramater invalid"});
        row("version of 1e300", R"(INSERT INTO "Version Table" ("Version") VALUES (1e300))", none,
            "DbVersion", "0",
            {R"(natamar.mdb, "Version Table": "Version" 1e+300 is not a version number; )"
             R"(ignored)"});
    }

    void databaseLoad()
    {
        QFETCH(QString, sql);
        QFETCH(QStringList, params);
        QFETCH(QString, probe);
        QFETCH(QString, expected);
        QFETCH(QStringList, messages);

        TestDir dir;
        const QString path = MeetFile(dir, [&](Database &db) {
            for (const QString &statement : sql.split(u';', Qt::SkipEmptyParts))
                db.Exec(statement);
            for (int i = 0; i < params.size(); ++i)
                InsertRows(db, "Parameter Table", "Meet code|Parameter Order|Key Word|Parameter",
                           {QStringLiteral("M1|%1|").arg(i + 1) + params[i]});
        });
        Load load(path);
        QVERIFY(load.Run());
        QCOMPARE(load.prompts.Messages, messages);
        const Core::GalaState &gala = load.session.Gala;
        QCOMPARE(Probe(gala, probe), expected);
        QVERIFY(gala.MeetDbOpen && gala.MeetDbPath == path);
        if (probe != "DbVersion")
            QCOMPARE(gala.DbVersion, 1.0f); // the last row of the version table
        for (const QString &line : std::as_const(load.windows.meetLines))
            QVERIFY(line.size() < 120);
    }

    // `kind` names the file laid down; a statement damages the fixture instead.
    void endsEarly_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QString>("message"); // a part of the one message shown
        auto row = [](const char *tag, const char *kind, const char *message) {
            QTest::newRow(tag) << QString(kind) << QString(message);
        };
        row("missing file", "missing", "Cannot find Natamar Database");
        row("empty file", "empty", "natamar.mdb: the file is empty");
        row("random bytes", "random", "natamar.mdb: it is not a SQLite database");
        row("text file", "Meet code,Meet Name\r\nM1,Velmora Open\r\n", "not a SQLite database");
        row("another program's database", "foreign", "is not a meet database");
        row("no meet table", R"(DROP TABLE "Meet Table")", "table 'Meet Table' not found");
        row("no saved query", R"(DELETE FROM "Saved Queries" WHERE "Name" = 'Events for 1 Meet')",
            "saved query 'Events for 1 Meet' not found");
        row("saved query broken", R"(DROP TABLE "Group Table")",
            "saved query 'Groups for 1 Meet' does not run");
        // Saved queries from a crafted file: refused when the file is opened, before anything
        // runs, or stopped at the limits when the meet is read.
        const char *refused = "Saved query 'Details of 1 Meet' in %path is refused";
        auto crafted = [&](const char *tag, const char *sql, const char *message) {
            row(tag,
                qPrintable(QStringLiteral(R"(UPDATE "Saved Queries" SET "Sql" = '%1' WHERE )"
                                          R"("Name" = 'Details of 1 Meet')")
                               .arg(QString(sql).replace("'", "''"))),
                message);
        };
        crafted("query attaches a file", "ATTACH '%dir/made.db' AS e", refused);
        crafted("query deletes", R"(DELETE FROM "Swim Table")", refused);
        crafted("query then delete", R"(SELECT 1 AS "_rowid"; DELETE FROM "Swim Table")", refused);
        crafted("query sets a pragma", "PRAGMA synchronous=OFF", refused);
        row("query updates its own table",
            R"(UPDATE "Saved Queries" SET "Update Table" = 'Saved Queries' WHERE )"
            R"("Name" = 'Details of 1 Meet')",
            "Saved query 'Details of 1 Meet' in %path updates table 'Saved Queries', which is "
            "not one of the meet's tables");
        const char *endless = "WITH RECURSIVE c(x) AS (SELECT 1 UNION ALL SELECT x + 1 FROM c) ";
        crafted("endless rows",
                qPrintable(endless + QString(R"(SELECT x AS "_rowid", {Enter Meet Code} FROM c)")),
                "Cannot read 'Details of 1 Meet' in %path: it was stopped at 1000 records");
        crafted(
            "endless count",
            qPrintable(
                endless +
                QString(R"(SELECT 1 AS "_rowid", count(*) FROM c WHERE {Enter Meet Code} > 0)")),
            "Cannot open 'Details of 1 Meet' in %path: the statement was stopped after "
            "running for more than 0.2 seconds");
        row("no meets", "noMeets", "No meets on database .. seems serious!");
        row("no meet chosen", "cancel",
            "Cannot find details of this event .. is the meet code correct?");
    }

    void endsEarly()
    {
        QFETCH(QString, kind);
        QFETCH(QString, message);

        TestDir dir;
        QString path = dir.FilePath("natamar.mdb");
        QByteArray bytes(8192, '\0');
        QRandomGenerator(7).fillRange(reinterpret_cast<quint32 *>(bytes.data()), 2048);
        if (kind == "empty" || kind == "random") {
            dir.Write("natamar.mdb", kind == "empty" ? QByteArray() : bytes);
        } else if (kind.startsWith("Meet code")) {
            dir.Write("natamar.mdb", kind.toUtf8());
        } else if (kind == "foreign") {
            Database db;
            db.OpenOrCreate(path);
            db.Exec(R"(CREATE TABLE "Accounts" ("Name" TEXT))");
            db.Exec(R"(PRAGMA journal_mode=DELETE)");
        } else if (kind == "noMeets") {
            CreateMeetDatabase(path);
        } else if (kind != "missing") {
            MeetFile(dir, [&](Database &db) {
                InsertRows(db, "Swim Table", "Meet code|Entrant Number|Event number",
                           {"M1|1|1", "M1|1|3"});
                if (kind != "cancel")
                    db.Exec(QString(kind).replace("%dir", dir.Path()));
            });
        }
        message.replace("%path", path);

        const QByteArray before = TestDir::Read(path);
        const QStringList files = QDir(dir.Path()).entryList(QDir::Files);
        Load load(path);
        load.session.MeetDb.SetRowLimit(1000);
        load.session.MeetDb.SetStatementTimeLimit(200);
        load.session.Gala.GalaDate = "01/01/2025"; // kept from an earlier load
        load.windows.meetLine = kind == "cancel" ? 0 : 1;
        QVERIFY(!load.Run());
        const QStringList &shown = load.prompts.Messages;
        QVERIFY2(shown.size() == 1 && shown[0].contains(message), qPrintable(shown.join('\n')));
        // No meet loaded, the database closed, the earlier gala date kept.
        const Core::GalaState &gala = load.session.Gala;
        QVERIFY(!gala.MeetDbOpen && !load.session.MeetDb.IsOpen() && gala.EventCount() == 0);
        QCOMPARE(gala.GalaName + ' ' + gala.GalaDate, QStringLiteral("Internal Gala 01/01/2025"));
        if (kind != "noMeets" && kind != "cancel")
            QCOMPARE(TestDir::Read(path), before);
        QCOMPARE(QDir(dir.Path()).entryList(QDir::Files), files);
    }

    // A file that cannot be written (read-only media) loads for reading, says so, and refuses
    // to save. Root writes through any permission bits, so the media check is stood in for.
    void readOnlyMedia()
    {
        TestDir dir;
        const QString path = MeetFile(dir);
        const QByteArray before = TestDir::Read(path);
        Database::SetWritableCheck([](const QString &) { return false; });
        Load load(path);
        const bool loaded = load.Run();
        Database::SetWritableCheck(nullptr);
        QVERIFY(loaded);
        QCOMPARE(load.prompts.Messages,
                 QStringList{"The database " + path +
                             " is on read-only media (the file or its folder cannot be written): "
                             "it is open for reading only, and no changes can be saved to it"});
        QCOMPARE(load.session.Gala.EventCount(), 3);
        try {
            load.session.MeetDb.Begin();
            QFAIL("no DbError");
        } catch (const DbError &error) {
            QVERIFY(error.Message().startsWith("Cannot save the changes: The database"));
        }
        load.session.MeetDb.Close();
        QCOMPARE(TestDir::Read(path), before);
    }

    void capacities()
    {
        TestDir dir;
        const QString path = MeetFile(dir, [](Database &db) {
            Transaction transaction(db);
            for (int i = 3; i <= 21; ++i)
                InsertRows(db, "Group Table", "Meet code|Group Order|Group Name",
                           {QStringLiteral("M1|%1|G%1").arg(i)});
            for (int i = 4; i <= 1001; ++i)
                InsertRows(db, "Event Table",
                           "Meet code|Event number|Event Sequence|Sex|Group|Distance|Stroke",
                           {QStringLiteral("M1|%1|%1|F|G3|50|FS").arg(i)});
            for (int i = 3; i <= 501; ++i)
                InsertRows(db, "Club Name Table", "Meet code|Club Code|Club Name",
                           {QStringLiteral("M1|C%1|Club").arg(i, 3, 10, QLatin1Char('0'))});
            transaction.Commit();
        });
        Load load(path);
        QVERIFY(load.Run());
        QCOMPARE(Probe(load.session.Gala, "Counts"), "20 groups, 1000 events, 500 clubs");
        QCOMPARE(load.prompts.Messages, QStringList({"Too many groups, group G21 ignored",
                                                     "Too many events, event 1001 ignored"}));
    }

    // A gala file load after a database load closes the database and starts from a fresh state.
    // A bad line is named by file and line and ignored, the rest of the file loaded; a file that
    // is not a gala parameter file, or none, ends the load.
    void galaFileSource()
    {
        TestDir dir;
        Load load(MeetFile(dir));
        Session &session = load.session;
        session.ProgramDir = dir.Path();
        QVERIFY(load.Run() && session.MeetDb.IsOpen());

        dir.Write("internal.ini", "# a comment\ngalaname=" + QByteArray(1 << 20, 'x') +
                                      "\ngalatype=Internal\ngroup=U/9 U/9\nevent=1 F U/9 25 FS\n"
                                      "event=3 F U/9 1e300 FS\ngalaname=Winter Gala\n");
        load.windows.source = [](IntSelectForm &form) {
            form.MoreOptions();
            form.LatestInternalGala();
        };
        QVERIFY(load.Run());
        QVERIFY(!session.MeetDb.IsOpen() && !session.Gala.MeetDbOpen && !session.Gala.UseMeetDb);
        // The earlier gala date stays until a source sets another.
        QCOMPARE(session.Gala.GalaName + ", " + session.Gala.GalaDate + ", " +
                     Probe(session.Gala, "Counts"),
                 "Winter Gala, 03/06/2025, 1 groups, 1 events, 0 clubs");
        QCOMPARE(load.prompts.Messages,
                 QStringList({"internal.ini:2: galaname value is longer than 100 characters: "
                              "line ignored",
                              "internal.ini:6: Event line ignored (distance \"1e300\" is not a "
                              "whole number of metres from 1 to 10000): event=3 F U/9 1e300 FS"}));

        for (const char *body : {"Name,Club\nAnn Lee,VMSC\n", ""}) {
            load.prompts.Messages.clear();
            if (*body)
                dir.Write("internal.ini", body);
            else
                QFile::remove(dir.FilePath("internal.ini"));
            QVERIFY(!load.Run());
            QCOMPARE(load.prompts.Messages,
                     QStringList{*body ? "internal.ini: no keyword lines (keyword=value): it is "
                                         "not a gala parameter file"
                                       : "Cannot find Gala Parameter File"});
            QCOMPARE(session.Gala.EventCount(), 0);
        }
    }
};

QTEST_GUILESS_MAIN(TestCompetitionLoad)
#include "tst_competitionload.moc"
