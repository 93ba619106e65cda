#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QTest>

#include "meetdb/database.h"
#include "support/testfiles.h"

// Runs the built openmeet-db as an official would, through its command line.
namespace {

struct Outcome
{
    int ExitCode = -1;
    QString Out;
    QString Err;
};

const QString Tool = QStringLiteral(OPENMEET_RUNTIME_DIR "/openmeet-db");

Outcome Run(const QStringList &args)
{
    QProcess process;
    process.start(Tool, args);
    if (!process.waitForFinished(30000) || process.exitStatus() != QProcess::NormalExit)
        return {};
    return {process.exitCode(), QString::fromLocal8Bit(process.readAllStandardOutput()),
            QString::fromLocal8Bit(process.readAllStandardError())};
}

QString DemoFile(const QString &name)
{
    return QDir::cleanPath(TestDataPath("../../demo/" + name));
}

} // namespace

class TestOpenMeetDb : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void createAddAndList();
    void failures_data();
    void failures();
    void createMembers();
    void confirm_data();
    void confirm();
    void makeHeats_data();
    void makeHeats();
    void updatePbs();
};

void TestOpenMeetDb::initTestCase()
{
    QVERIFY2(QFileInfo(Tool).isExecutable(), "build the openmeet-db target first");
}

void TestOpenMeetDb::createAddAndList()
{
    TestDir dir;
    const QString db = dir.FilePath("natamar.mdb");
    QCOMPARE(Run({"create", db}).ExitCode, 0);

    const Outcome open = Run({"add-meet", db, DemoFile("open.ini"), "--code", "SPRING27"});
    QCOMPARE(open.Err, QString());
    QCOMPARE(open.ExitCode, 0);
    QCOMPARE(open.Out, QString("Added meet SPRING27 (Velmora Spring Open): 4 groups, 40 events, "
                               "20 clubs, 6 parameters\n"));
    QCOMPARE(Run({"add-meet", db, DemoFile("masters.ini")}).ExitCode, 0);

    const Outcome list = Run({"list", db});
    QCOMPARE(list.ExitCode, 0);
    QCOMPARE(list.Out, QString("MASTERS\t24/04/2027\tHarlowmere Masters Open\t0\n"
                               "SPRING27\t14/03/2027\tVelmora Spring Open\t0\n"));
}

// Each failure exits non-zero with a message that says what is wrong, and leaves the database as
// it was.
void TestOpenMeetDb::failures_data()
{
    QTest::addColumn<QStringList>("args"); // DB and BAD stand for the two files
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QString>("message");

    QTest::newRow("create over a file")
        << QStringList{"create", "DB"} << 1 << "the file already exists";
    QTest::newRow("bad line") << QStringList{"add-meet", "DB", "BAD"} << 1
                              << "bad.ini:3: Lanes paramater invalid\n";
    QTest::newRow("code taken") << QStringList{"add-meet", "DB", DemoFile("open.ini")} << 1
                                << "meet code OPEN is already in \"Meet Table\"";
    QTest::newRow("not a meet database")
        << QStringList{"add-meet", "BAD", DemoFile("open.ini")} << 1 << "bad.ini";
    QTest::newRow("missing argument")
        << QStringList{"add-meet", "DB"} << 2 << "Usage: openmeet-db add-meet FILE GALAFILE";
    QTest::newRow("unknown command")
        << QStringList{"drop", "DB"} << 2 << "unknown command \"drop\"";
}

void TestOpenMeetDb::failures()
{
    QFETCH(QStringList, args);
    QFETCH(int, exitCode);
    QFETCH(QString, message);

    TestDir dir;
    const QString db = dir.FilePath("natamar.mdb");
    const QString bad = dir.Write("bad.ini", "galaname=Bad\ngalatype=Open\nlanes=12\n");
    QCOMPARE(Run({"create", db}).ExitCode, 0);
    QCOMPARE(Run({"add-meet", db, DemoFile("open.ini"), "--code", "OPEN"}).ExitCode, 0);
    const QByteArray before = TestDir::Read(db) + TestDir::Read(bad);

    args.replaceInStrings(QRegularExpression("^DB$"), db);
    args.replaceInStrings(QRegularExpression("^BAD$"), bad);
    const Outcome outcome = Run(args);
    QCOMPARE(outcome.ExitCode, exitCode);
    QVERIFY2(outcome.Err.contains(message), qPrintable(outcome.Err));
    QCOMPARE(outcome.Out, QString());
    QCOMPARE(TestDir::Read(db) + TestDir::Read(bad), before);
}

void TestOpenMeetDb::createMembers()
{
    TestDir dir;
    const QString pb = dir.FilePath("pbsys.mdb");
    const Outcome made = Run({"create-members", pb, DemoFile("members.csv")});
    QCOMPARE(made.ExitCode, 0);
    QVERIFY2(made.Out.contains("with 200 members"), qPrintable(made.Out));

    // A bad line names the file and line and leaves no half-made member database behind.
    const QString bad = dir.Write("bad.csv", "Surname,Forename,Sex\nBrown,Jane,F\nGrey,Sam,Q\n");
    const QString other = dir.FilePath("other.mdb");
    const Outcome refused = Run({"create-members", other, bad});
    QCOMPARE(refused.ExitCode, 1);
    QVERIFY2(refused.Err.contains("bad.csv:3"), qPrintable(refused.Err));
    QVERIFY(!QFileInfo::exists(other));
}

// Confirming from the command line goes through the meet-day roster and its save.
void TestOpenMeetDb::confirm_data()
{
    QTest::addColumn<QStringList>("args"); // after "confirm DB"
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QString>("output");    // the standard output, or a part of the error
    QTest::addColumn<QString>("confirmed"); // entrants with a confirmed swim afterwards

    QTest::newRow("entrants") << QStringList{"SPRING27", "--entrants", "1, 3-4"} << 0
                              << "Confirmed 8 swims of 3 entrants in meet SPRING27\n"
                              << "1 3 4";
    QTest::newRow("all") << QStringList{"SPRING27", "--all"} << 0
                         << "Confirmed 118 swims of 38 entrants in meet SPRING27\n"
                         << "38";
    QTest::newRow("unknown entrant") << QStringList{"SPRING27", "--entrants", "2,999"} << 1
                                     << "entrant 999 is not in meet SPRING27"
                                     << "";
    QTest::newRow("unknown meet") << QStringList{"NOPE", "--all"} << 1 << "nothing confirmed"
                                  << "0";
    QTest::newRow("bad list") << QStringList{"SPRING27", "--entrants", "1,x"} << 2
                              << "\"x\" is not an entrant number"
                              << "";
    QTest::newRow("falling range") << QStringList{"SPRING27", "--entrants", "9-3"} << 2 << "\"9-3\""
                                   << "";
    QTest::newRow("no choice") << QStringList{"SPRING27"} << 2 << "Usage: openmeet-db confirm"
                               << "";
}

void TestOpenMeetDb::confirm()
{
    QFETCH(QStringList, args);
    QFETCH(int, exitCode);
    QFETCH(QString, output);
    QFETCH(QString, confirmed);

    TestDir dir;
    const QString db = dir.FilePath("natamar.mdb");
    QCOMPARE(Run({"create", db}).ExitCode, 0);
    QCOMPARE(Run({"add-meet", db, DemoFile("open.ini"), "--code", "SPRING27"}).ExitCode, 0);
    QCOMPARE(Run({"add-entries", db, "SPRING27", DemoFile("entries-spring27.csv")}).ExitCode, 0);

    const Outcome outcome = Run(QStringList{"confirm", db} + args);
    QCOMPARE(outcome.ExitCode, exitCode);
    if (exitCode == 0)
        QCOMPARE(outcome.Out, output);
    else
        QVERIFY2(outcome.Err.contains(output), qPrintable(outcome.Err));

    MeetDb::Database meet;
    meet.Open(db);
    QStringList entrants;
    std::unique_ptr<MeetDb::RecordSet> swims = meet.OpenTable("Swim Table");
    for (swims->MoveFirst(); !swims->Eof(); swims->MoveNext()) {
        const QString number = swims->Text("Entrant Number");
        if (swims->Flag("Confirmed") && !entrants.contains(number))
            entrants << number;
    }
    QCOMPARE(args.contains("--all") ? QString::number(entrants.size()) : entrants.join(u' '),
             confirmed);
}

void TestOpenMeetDb::makeHeats_data()
{
    QTest::addColumn<QStringList>("args"); // after "make-heats DB"
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QString>("output"); // the standard output, or a part of the error
    QTest::addColumn<QString>("lanes");  // entrant:heat/lane of event 36 in the database

    // Three swimmers in a 6-lane pool swim one heat, the fastest (38) in lane 3.
    const QString event36 = "36\t1\t2\t37\tHugo Holloway\t31.67\n"
                            "36\t1\t3\t38\tEwan Eastleigh\t29.56\n"
                            "36\t1\t4\t35\tOscar Orrin\t30.08\n";
    const QString placed = "35:1/4 37:1/2 38:1/3";
    QTest::newRow("one event") << QStringList{"SPRING27", "--events", "36"} << 0 << event36
                               << placed;
    QTest::newRow("range") << QStringList{"SPRING27", "--events", "35-36"} << 0 << QString()
                           << placed;
    QTest::newRow("nothing confirmed")
        << QStringList{"SPRING27", "--events", "36", "--confirmed-only"} << 0 << QString()
        << "35:/0 37:/0 38:/0";
    QTest::newRow("unknown event")
        << QStringList{"SPRING27", "--events", "99"} << 1 << "no event \"99\" in the meet"
        << "35:/ 37:/ 38:/";
    QTest::newRow("unknown option")
        << QStringList{"SPRING27", "--fast"} << 2 << "Usage: openmeet-db make-heats"
        << "35:/ 37:/ 38:/";
}

void TestOpenMeetDb::makeHeats()
{
    QFETCH(QStringList, args);
    QFETCH(int, exitCode);
    QFETCH(QString, output);
    QFETCH(QString, lanes);

    TestDir dir;
    const QString db = dir.FilePath("natamar.mdb");
    QCOMPARE(Run({"create", db}).ExitCode, 0);
    QCOMPARE(Run({"add-meet", db, DemoFile("open.ini"), "--code", "SPRING27"}).ExitCode, 0);
    QCOMPARE(Run({"add-entries", db, "SPRING27", DemoFile("entries-spring27.csv")}).ExitCode, 0);

    const Outcome outcome = Run(QStringList{"make-heats", db} + args);
    QCOMPARE(outcome.ExitCode, exitCode);
    if (exitCode != 0)
        QVERIFY2(outcome.Err.contains(output), qPrintable(outcome.Err));
    else if (!output.isEmpty())
        QCOMPARE(outcome.Out, output);
    if (args.contains("--confirmed-only"))
        QVERIFY2(outcome.Err.contains("No (confirmed) entries for event 36"),
                 qPrintable(outcome.Err));

    MeetDb::Database meet;
    meet.Open(db);
    QStringList placed;
    std::unique_ptr<MeetDb::RecordSet> swims = meet.OpenTable("Swim Table");
    for (swims->MoveFirst(); !swims->Eof(); swims->MoveNext()) {
        if (swims->Text("Event number") == "36") {
            placed << swims->Text("Entrant Number") + ":" + swims->Text("Heat No") + "/" +
                          swims->Text("Lane No");
        }
    }
    placed.sort();
    QCOMPARE(placed.join(u' '), lanes);
}

void TestOpenMeetDb::updatePbs()
{
    // The championship entries are the members' personal bests; one made slower takes its best
    // back, and the change is saved.
    TestDir dir;
    const QString db = dir.FilePath("natamar.mdb");
    const QString members = dir.FilePath("pbsys.mdb");
    QCOMPARE(Run({"create-members", members, DemoFile("members.csv")}).ExitCode, 0);
    QCOMPARE(Run({"create", db}).ExitCode, 0);
    QCOMPARE(Run({"add-meet", db, DemoFile("champs-meet.ini"), "--code", "CHAMPS27"}).ExitCode, 0);
    QCOMPARE(Run({"add-entries", db, "CHAMPS27", DemoFile("entries-champs27.csv")}).ExitCode, 0);
    const QString isla31 = "UPDATE \"Swim Table\" SET \"Entry Time\" = '40.00' WHERE "
                           "\"Entrant Number\" = 1 AND \"Event number\" = '31'";
    {
        MeetDb::Database meet;
        meet.Open(db);
        meet.Exec(isla31);
    }

    Outcome outcome = Run({"update-pbs", db, "CHAMPS27", "--members", members});
    QCOMPARE(outcome.ExitCode, 0);
    QCOMPARE(outcome.Out, QString("Updated Time for Underhay Isla From 40.00 To 27.98\n"
                                  "Changed 1 entry times in meet CHAMPS27\n"));
    outcome = Run({"update-pbs", db, "CHAMPS27", "--members", members});
    QCOMPARE(outcome.Out, QString("Changed 0 entry times in meet CHAMPS27\n"));
    outcome = Run({"update-pbs", db, "CHAMPS27", "--members", dir.FilePath("none.mdb")});
    QCOMPARE(outcome.ExitCode, 1);
    QVERIFY(outcome.Err.contains("No member database"));
}

QTEST_GUILESS_MAIN(TestOpenMeetDb)
#include "tst_openmeetdb.moc"
