#include <functional>

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

// Answers the three selection windows as a user would: the source window with `source`, the
// database window with line `ntLine`, the meet list with line `meetLine` (0 = Cancel).
class ScriptedWindows : public SelectionWindows
{
public:
    std::function<void(IntSelectForm &)> source = [](IntSelectForm &form) { form.KnownDatabase(); };
    int ntLine = 1;
    int meetLine = 1;
    int ntShown = 0;
    QStringList meetLines;

    void ShowIntSelect(IntSelectForm &form) override { source(form); }
    void ShowNtSelect(NtSelectForm &form) override
    {
        ++ntShown;
        form.Choose(ntLine);
    }
    void ShowListSelect(ListSelectForm &form) override
    {
        meetLines = form.Lines();
        if (meetLine > 0)
            form.Choose(meetLine);
        else
            form.Cancel();
    }
};

QStringList Split(const QString &text)
{
    return text.isEmpty() ? QStringList() : text.split(u';');
}

// One meet "M1" dated 3 June 2025: two groups, three events, two clubs. Rows for the other
// tables can be added by each test.
void FillMeet(Database &db)
{
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
}

// A gala state field as text, for the data tables.
QString Probe(const Core::GalaState &gala, const QString &what)
{
    if (what == "Lanes")
        return QString::number(gala.Lanes);
    if (what == "FinalLanes")
        return QString::number(gala.FinalLanes);
    if (what == "GalaType")
        return gala.GalaType;
    if (what == "GalaName")
        return gala.GalaName;
    if (what == "GalaDate")
        return gala.GalaDate;
    if (what == "Hdw")
        return gala.Hdw ? "true" : "false";
    if (what == "Limit1")
        return QString::number(gala.Events.value(0).EvLimitTime);
    if (what == "Combinations") {
        QStringList all;
        for (const QStringList &combination : gala.Combinations)
            all << combination.join(u',');
        return all.join(u' ');
    }
    if (what == "Counts")
        return QStringLiteral("%1 groups, %2 events, %3 clubs")
            .arg(gala.GroupCount())
            .arg(gala.EventCount())
            .arg(gala.ClubTotal());
    return QStringLiteral("unknown probe ") + what;
}

} // namespace

class TestCompetitionLoad : public QObject
{
    Q_OBJECT

private:
    // A session whose only known meet database is `path`.
    static void KnowDatabase(Session &session, const QString &path)
    {
        session.Settings.NatamarDbFiles = {path};
        session.Settings.NatamarDb = path;
    }

private Q_SLOTS:
    void meetListNewestFirst()
    {
        TestDir dir;
        const QString path = dir.FilePath("natamar.mdb");
        CreateMeetDatabase(path);
        {
            Database db;
            db.Open(path);
            FillMeet(db);
            InsertRows(db, "Meet Table", "Meet code|Meet Name|Meet Date",
                       {"M2|First of June|2025-06-01", "M3|Also third of June|2025-06-03",
                        "M4|Winter Gala|2024-12-07"});
        }
        Session session;
        KnowDatabase(session, path);
        ScriptedPrompts prompts;
        ScriptedWindows windows;
        windows.meetLine = 3;
        QVERIFY(LoadCompetition(session, prompts, windows));
        QCOMPARE(windows.meetLines,
                 QStringList({"03Jun2025: Velmora Open", "03Jun2025: Also third of June",
                              "01Jun2025: First of June", "07Dec2024: Winter Gala"}));
        QCOMPARE(session.Gala.MeetCode, QStringLiteral("M2"));
        QCOMPARE(session.Gala.GalaName, QStringLiteral("First of June"));
        QCOMPARE(prompts.Statuses, QStringList{"Opened the Natamar Database for First of June"});
    }

    void databaseLoad_data()
    {
        QTest::addColumn<QString>("meetUpdate"); // SQL run on the fixture before the load
        QTest::addColumn<QStringList>("params"); // "Key Word|Parameter" rows, in order
        QTest::addColumn<QString>("probe");
        QTest::addColumn<QString>("expected");
        QTest::addColumn<QString>("messages");

        QTest::newRow("loads as stored") << "" << QStringList() << "Counts"
                                         << "2 groups, 3 events, 2 clubs"
                                         << "";
        QTest::newRow("lanes out of range keep 5, finals follow")
            << R"(UPDATE "Meet Table" SET "Lanes" = 9)" << QStringList() << "FinalLanes"
            << "5"
            << "Lanes paramater invalid";
        QTest::newRow("final lanes out of range")
            << R"(UPDATE "Meet Table" SET "Final lanes" = 3)" << QStringList() << "FinalLanes"
            << "6"
            << "Finals Lanes paramater invalid";
        QTest::newRow("limit time")
            << R"(UPDATE "Event Table" SET "Limit Time" = '1:10.00' WHERE "Event number" = '1')"
            << QStringList() << "Limit1"
            << "70"
            << "";
        QTest::newRow("record time replaces limit time")
            << R"(UPDATE "Event Table" SET "Limit Time" = '1:10.00', "Record Time" = '1:05.50'
                  WHERE "Event number" = '1')"
            << QStringList() << "Limit1"
            << "65.5"
            << "";
        QTest::newRow("combine with one event makes a pair")
            << R"(UPDATE "Event Table" SET "Combine With" = '2' WHERE "Event number" = '1')"
            << QStringList() << "Combinations"
            << "1,2"
            << "";
        QTest::newRow("combine with a list")
            << R"(UPDATE "Event Table" SET "Combine With" = '2,3' WHERE "Event number" = '1')"
            << QStringList() << "Combinations"
            << "1,2,3"
            << "";
        QTest::newRow("keyword overrides the database field")
            << "" << QStringList{"lanes|8"} << "Lanes"
            << "8"
            << "";
        QTest::newRow("galaname keyword renames the meet")
            << "" << QStringList{"galaname|Renamed Open"} << "GalaName"
            << "Renamed Open"
            << "";
        QTest::newRow("End stops later parameters")
            << "" << QStringList{"lanes|7", "End|End", "lanes|8"} << "Lanes"
            << "7"
            << "";
        QTest::newRow("unknown type becomes Internal")
            << R"(UPDATE "Meet Table" SET "Meet Type" = 'Gala')" << QStringList() << "GalaType"
            << "Internal"
            << "Internal Gala Assumed";
        QTest::newRow("masters forces hdw")
            << R"(UPDATE "Meet Table" SET "Meet Type" = 'Masters', "HDW" = 0)" << QStringList()
            << "Hdw"
            << "true"
            << "";
        QTest::newRow("champs keeps hdw as stored")
            << R"(UPDATE "Meet Table" SET "Meet Type" = 'Champs', "HDW" = 0)" << QStringList()
            << "Hdw"
            << "false"
            << "";
        QTest::newRow("no groups, no events")
            << R"(DELETE FROM "Group Table"; DELETE FROM "Event Table")" << QStringList()
            << "Counts"
            << "0 groups, 0 events, 2 clubs"
            << "No Groups Defined;No Events Defined;Warning: No event details loaded";
        QTest::newRow("no meet date")
            << R"(UPDATE "Meet Table" SET "Meet Date" = NULL)" << QStringList() << "GalaDate"
            << ""
            << "Gala date not set";
        QTest::newRow("event without date takes the meet date") << "" << QStringList() << "GalaDate"
                                                                << "03/06/2025"
                                                                << "";
    }

    void databaseLoad()
    {
        QFETCH(QString, meetUpdate);
        QFETCH(QStringList, params);
        QFETCH(QString, probe);
        QFETCH(QString, expected);
        QFETCH(QString, messages);

        TestDir dir;
        const QString path = dir.FilePath("natamar.mdb");
        CreateMeetDatabase(path);
        {
            Database db;
            db.Open(path);
            FillMeet(db);
            for (const QString &statement : meetUpdate.split(u';', Qt::SkipEmptyParts))
                db.Exec(statement);
            QStringList rows;
            for (int i = 0; i < params.size(); ++i)
                rows << QStringLiteral("M1|%1|").arg(i + 1) + params[i];
            if (!rows.isEmpty())
                InsertRows(db, "Parameter Table", "Meet code|Parameter Order|Key Word|Parameter",
                           rows);
        }

        Session session;
        KnowDatabase(session, path);
        ScriptedPrompts prompts;
        ScriptedWindows windows;
        QVERIFY(LoadCompetition(session, prompts, windows));
        QCOMPARE(prompts.Messages, Split(messages));
        QCOMPARE(Probe(session.Gala, probe), expected);
        QVERIFY(session.Gala.MeetDbOpen);
        QCOMPARE(session.Gala.MeetDbPath, path);
        QCOMPARE(session.Gala.DbVersion, 1.0f);
        if (session.Gala.EventCount() > 1)
            QCOMPARE(session.Gala.Events[1].EvDate, QStringLiteral("04/06/2025"));
    }

    void endsEarly_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<int>("meetLine");
        QTest::addColumn<QStringList>("messageParts"); // each must occur in the one message

        QTest::newRow("missing file")
            << "missing" << 1 << QStringList{"Cannot find Natamar Database"};
        QTest::newRow("empty file") << "empty" << 1 << QStringList{"natamar.mdb"};
        QTest::newRow("random bytes") << "random" << 1 << QStringList{"natamar.mdb"};
        QTest::newRow("text file") << "text" << 1 << QStringList{"natamar.mdb"};
        QTest::newRow("another program's database")
            << "foreign" << 1 << QStringList{"is not a meet database"};
        QTest::newRow("no meet table") << "noMeetTable" << 1 << QStringList{"Meet Table"};
        QTest::newRow("no saved query") << "noQuery" << 1 << QStringList{"Events for 1 Meet"};
        QTest::newRow("no meets") << "noMeets" << 1
                                  << QStringList{"No meets on database .. seems serious!"};
        QTest::newRow("no meet chosen")
            << "meet" << 0
            << QStringList{"Cannot find details of this event .. is the meet code correct?"};
    }

    void endsEarly()
    {
        QFETCH(QString, kind);
        QFETCH(int, meetLine);
        QFETCH(QStringList, messageParts);

        TestDir dir;
        const QString path = dir.FilePath("natamar.mdb");
        if (kind == "empty") {
            dir.Write("natamar.mdb", {});
        } else if (kind == "random") {
            QByteArray bytes(8192, '\0');
            QRandomGenerator generator(7);
            for (char &c : bytes)
                c = char(generator.bounded(256));
            dir.Write("natamar.mdb", bytes);
        } else if (kind == "text") {
            dir.Write("natamar.mdb", "Meet code,Meet Name\r\nM1,Velmora Open\r\n");
        } else if (kind == "foreign") {
            Database db;
            db.OpenOrCreate(path);
            db.Exec(R"(CREATE TABLE "Accounts" ("Name" TEXT))");
            db.Exec(R"(PRAGMA journal_mode=DELETE)");
        } else if (kind != "missing") {
            CreateMeetDatabase(path);
            Database db;
            db.Open(path);
            if (kind != "noMeets")
                FillMeet(db);
            if (kind == "noMeetTable")
                db.Exec(R"(DROP TABLE "Meet Table")");
            if (kind == "noQuery")
                db.Exec(R"(DELETE FROM "Saved Queries" WHERE "Name" = 'Events for 1 Meet')");
        }

        const QByteArray before = TestDir::Read(path);
        Session session;
        session.Gala.GalaDate = "01/01/2025"; // kept from an earlier load
        KnowDatabase(session, path);
        ScriptedPrompts prompts;
        ScriptedWindows windows;
        windows.meetLine = meetLine;
        QVERIFY(!LoadCompetition(session, prompts, windows));
        QCOMPARE(prompts.Messages.size(), 1);
        for (const QString &part : messageParts)
            QVERIFY2(prompts.Messages[0].contains(part), qPrintable(prompts.Messages[0]));
        // An early end leaves no meet loaded and the database closed.
        QVERIFY(!session.Gala.MeetDbOpen);
        QVERIFY(!session.MeetDb.IsOpen());
        QCOMPARE(session.Gala.GalaName, QStringLiteral("Internal Gala"));
        QCOMPARE(session.Gala.EventCount(), 0);
        QCOMPARE(session.Gala.GalaDate, QStringLiteral("01/01/2025"));
        // A file that is not a meet database is left exactly as it was.
        if (kind != "noMeets" && kind != "meet")
            QCOMPARE(TestDir::Read(path), before);
    }

    void capacities()
    {
        TestDir dir;
        const QString path = dir.FilePath("natamar.mdb");
        CreateMeetDatabase(path);
        {
            Database db;
            db.Open(path);
            Transaction transaction(db);
            InsertRows(db, "Meet Table", "Meet code|Meet Name|Meet Date|Meet Type",
                       {"BIG|Big Meet|2025-06-03|Open"});
            QStringList groups, events, clubs;
            for (int i = 1; i <= 21; ++i)
                groups << QStringLiteral("BIG|%1|G%1|Group %1").arg(i);
            for (int i = 1; i <= 1001; ++i)
                events << QStringLiteral("BIG|%1|%1|F|G1|50|FS").arg(i);
            for (int i = 1; i <= 501; ++i)
                clubs << QStringLiteral("BIG|C%1|Club %1").arg(i, 3, 10, QLatin1Char('0'));
            InsertRows(db, "Group Table", "Meet code|Group Order|Group Name|Group Description",
                       groups);
            InsertRows(db, "Event Table",
                       "Meet code|Event number|Event Sequence|Sex|Group|Distance|Stroke", events);
            InsertRows(db, "Club Name Table", "Meet code|Club Code|Club Name", clubs);
            transaction.Commit();
        }
        Session session;
        KnowDatabase(session, path);
        ScriptedPrompts prompts;
        ScriptedWindows windows;
        QVERIFY(LoadCompetition(session, prompts, windows));
        QCOMPARE(Probe(session.Gala, "Counts"),
                 QStringLiteral("20 groups, 1000 events, 500 clubs"));
        QCOMPARE(prompts.Messages, QStringList({"Too many groups, group G21 ignored",
                                                "Too many events, event 1001 ignored"}));
    }

    void databaseChoiceWhenSeveralAreKnown()
    {
        TestDir dir;
        const QString first = dir.FilePath("first.mdb");
        const QString second = dir.FilePath("second.mdb");
        for (const QString &path : {first, second}) {
            CreateMeetDatabase(path);
            Database db;
            db.Open(path);
            FillMeet(db);
            db.Exec(R"(UPDATE "Meet Table" SET "Meet Name" = :name)",
                    {{"name", QFileInfo(path).baseName()}});
        }
        Session session;
        KnowDatabase(session, first);
        ScriptedPrompts prompts;
        prompts.Browse(second);
        ScriptedWindows windows;
        windows.source = [](IntSelectForm &form) { form.UnknownDatabase(); };
        windows.ntLine = 1; // the list window wins over the file just browsed for
        QVERIFY(LoadCompetition(session, prompts, windows));
        QCOMPARE(windows.ntShown, 1);
        QCOMPARE(session.Gala.GalaName, QStringLiteral("first"));
        QCOMPARE(session.Settings.NatamarDbCount(), 2);
    }

    void galaFileSource_data()
    {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<bool>("loaded");
        QTest::addColumn<QString>("messages");
        QTest::addColumn<QString>("probe");
        QTest::addColumn<QString>("expected");

        QTest::newRow("only comments") << QByteArray("# nothing here\r\n# nor here\r\n") << true
                                       << "Internal Gala Assumed;Gala date not set"
                                       << "Counts"
                                       << "0 groups, 0 events, 0 clubs";
        QTest::newRow("a small gala")
            << QByteArray("galaname=Winter Gala\ngalatype=Internal\ngaladate=16/01/2027\n"
                          "group=U/9 U/9\nevent=1 F U/9 25 FS\nevent=2 M U/9 25 FS\n"
                          "clubcount=10\nclub=VMSC Velmora Marlets\nEnd=End\n")
            << true << ""
            << "Counts"
            << "1 groups, 2 events, 1 clubs";
        QTest::newRow("no file") << QByteArray() << false << "Cannot find Gala Parameter File"
                                 << "GalaName"
                                 << "Internal Gala";
    }

    void galaFileSource()
    {
        QFETCH(QByteArray, file);
        QFETCH(bool, loaded);
        QFETCH(QString, messages);
        QFETCH(QString, probe);
        QFETCH(QString, expected);

        TestDir dir;
        if (!file.isEmpty())
            dir.Write("internal.ini", file);
        Session session;
        session.ProgramDir = dir.Path();
        ScriptedPrompts prompts;
        ScriptedWindows windows;
        windows.source = [](IntSelectForm &form) {
            form.MoreOptions();
            form.LatestInternalGala();
        };
        QCOMPARE(LoadCompetition(session, prompts, windows), loaded);
        QCOMPARE(prompts.Messages, Split(messages));
        QCOMPARE(Probe(session.Gala, probe), expected);
        QVERIFY(!session.Gala.MeetDbOpen);
        QVERIFY(!session.Gala.UseMeetDb);
    }

    void loadByCodeAsksNothing()
    {
        TestDir dir;
        const QString path = dir.FilePath("natamar.mdb");
        CreateMeetDatabase(path);
        {
            Database db;
            db.Open(path);
            FillMeet(db);
        }
        Session session;
        ScriptedPrompts prompts;
        QVERIFY(LoadMeetByCode(session, path, "M1", prompts));
        QCOMPARE(Probe(session.Gala, "Counts"), QStringLiteral("2 groups, 3 events, 2 clubs"));
        QVERIFY(session.Gala.UseMeetDb && session.Gala.MeetDbOpen);

        QVERIFY(!LoadMeetByCode(session, path, "NOSUCH", prompts));
        QCOMPARE(prompts.Messages,
                 QStringList{"Cannot find details of this event .. is the meet code correct?"});
        QVERIFY(!session.MeetDb.IsOpen());
    }

    void reloadClosesTheDatabaseAndResets()
    {
        TestDir dir;
        const QString path = dir.FilePath("natamar.mdb");
        CreateMeetDatabase(path);
        {
            Database db;
            db.Open(path);
            FillMeet(db);
        }
        dir.Write("internal.ini", "galaname=Winter Gala\ngalatype=Internal\nEnd=End\n");
        Session session;
        session.ProgramDir = dir.Path();
        KnowDatabase(session, path);
        ScriptedPrompts prompts;
        ScriptedWindows windows;
        QVERIFY(LoadCompetition(session, prompts, windows));
        QVERIFY(session.MeetDb.IsOpen());

        windows.source = [](IntSelectForm &form) { form.LatestInternalGala(); };
        QVERIFY(LoadCompetition(session, prompts, windows));
        QVERIFY(!session.MeetDb.IsOpen());
        QVERIFY(!session.Gala.MeetDbOpen);
        QCOMPARE(session.Gala.GalaName, QStringLiteral("Winter Gala"));
        QCOMPARE(session.Gala.EventCount(), 0);
        QCOMPARE(session.Gala.Lanes, 5);
        // The gala date of the earlier load stays until a source sets another.
        QCOMPARE(session.Gala.GalaDate, QStringLiteral("03/06/2025"));
        QCOMPARE(prompts.Messages, QStringList());
    }
};

QTEST_GUILESS_MAIN(TestCompetitionLoad)
#include "tst_competitionload.moc"
