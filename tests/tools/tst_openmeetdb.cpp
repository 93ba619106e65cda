#include <unistd.h>

#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTest>

#include "meetdb/database.h"
#include "support/pdftext.h"
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

// `as` runs the tool through another program first (setpriv, to run it as another user).
Outcome Run(const QStringList &args, const QStringList &as = {})
{
    QProcess process;
    if (as.isEmpty())
        process.start(Tool, args);
    else
        process.start(as.first(), as.mid(1) + QStringList{Tool} + args);
    if (!process.waitForFinished(30000) || process.exitStatus() != QProcess::NormalExit)
        return {};
    return {process.exitCode(), QString::fromLocal8Bit(process.readAllStandardOutput()),
            QString::fromLocal8Bit(process.readAllStandardError())};
}

QString DemoFile(const QString &name)
{
    return QDir::cleanPath(TestDataPath("../../demo/" + name));
}

// Makes `db` a new meet database holding one demo meet with its entries; true when every step
// succeeded.
bool MakeDemoMeet(const QString &db, const QString &code, const QString &ini,
                  const QString &entries)
{
    return Run({"create", db}).ExitCode == 0 &&
           Run({"add-meet", db, DemoFile(ini), "--code", code}).ExitCode == 0 &&
           Run({"add-entries", db, code, DemoFile(entries)}).ExitCode == 0;
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
    void programme_data();
    void programme();
    void programmeCsv();
    void listOnlyReads_data();
    void listOnlyReads();
    void craftedQueries_data();
    void craftedQueries();
    void entrantsList_data();
    void entrantsList();
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
    QVERIFY(MakeDemoMeet(db, "SPRING27", "open.ini", "entries-spring27.csv"));

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

// "list" leaves the file byte for byte as it was; on a folder that cannot be written it still
// lists, and says the file is read-only.
void TestOpenMeetDb::listOnlyReads_data()
{
    QTest::addColumn<bool>("readOnly");
    QTest::addColumn<bool>("wal"); // the file was left in WAL mode (by an earlier version)
    QTest::newRow("writable folder") << false << false;
    QTest::newRow("writable folder, WAL file") << false << true;
    QTest::newRow("read-only folder") << true << false;
    QTest::newRow("read-only folder, WAL file") << true << true;
}

void TestOpenMeetDb::listOnlyReads()
{
    QFETCH(bool, readOnly);
    QFETCH(bool, wal);
    TestDir dir;
    const QString folder = dir.FilePath("stick");
    QVERIFY(QDir().mkpath(folder));
    const QString db = folder + "/natamar.mdb";
    QCOMPARE(Run({"create", db}).ExitCode, 0);
    QCOMPARE(Run({"add-meet", db, DemoFile("open.ini"), "--code", "OPEN"}).ExitCode, 0);
    if (wal) {
        MeetDb::Database open;
        open.Open(db);
        open.Exec("PRAGMA journal_mode=WAL");
    }
    const QByteArray before = TestDir::Read(db);
    const QStringList files = QDir(folder).entryList(QDir::Files);

    QStringList as;
    if (readOnly) {
        using P = QFileDevice;
        QFile::setPermissions(dir.Path(), P::ReadOwner | P::WriteOwner | P::ExeOwner |
                                              P::ReadOther | P::ExeOther);
        QFile::setPermissions(folder, P::ReadOwner | P::ExeOwner | P::ReadOther | P::ExeOther);
        QFile::setPermissions(db, P::ReadOwner | P::ReadOther);
        // Root writes through permission bits, so root runs the tool as "nobody", for whom the
        // folder really is read-only.
        if (::geteuid() == 0) {
            if (QStandardPaths::findExecutable("setpriv").isEmpty())
                QSKIP("running as root without setpriv");
            as = QStringList{"setpriv", "--reuid=65534", "--regid=65534", "--clear-groups"};
        }
    }
    const Outcome list = Run({"list", db}, as);
    QFile::setPermissions(folder,
                          QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    QCOMPARE(list.Out, QString("OPEN\t14/03/2027\tVelmora Spring Open\t0\n"));
    QCOMPARE(list.Err, readOnly ? "openmeet-db: The database " + db +
                                      " is on read-only media (the file or its folder cannot be "
                                      "written): it is open for reading only, and no changes can "
                                      "be saved to it\n"
                                : QString());
    QCOMPARE(list.ExitCode, 0);
    QCOMPARE(TestDir::Read(db), before);
    // Reading a WAL-mode file in a folder that can be written needs its -shm file, which SQLite
    // makes beside it; the file itself stays as it was.
    if (!wal || readOnly)
        QCOMPARE(QDir(folder).entryList(QDir::Files), files);
}

// A file whose saved queries were written by a stranger: "list" checks them without running
// any, refuses one that would change or reach beyond the file, and leaves everything as it was.
void TestOpenMeetDb::craftedQueries_data()
{
    QTest::addColumn<QString>("sql");
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QString>("message");
    const QString refused = "Saved query 'Entrants for 1 Meet' in DB is refused";
    QTest::newRow("attach") << "ATTACH 'DIR/made.db' AS made" << 1 << refused;
    QTest::newRow("delete") << R"(DELETE FROM "Swim Table")" << 1 << refused;
    QTest::newRow("vacuum into") << "VACUUM INTO 'DIR/made.db'" << 1 << refused;
    QTest::newRow("select then delete")
        << R"(SELECT rowid AS "_rowid" FROM "Entrant Table"; DELETE FROM "Swim Table")" << 1
        << refused;
    QTest::newRow("endless, never run")
        << R"(WITH RECURSIVE c(x) AS (SELECT 1 UNION ALL SELECT x + 1 FROM c) )"
           R"(SELECT x AS "_rowid" FROM c)"
        << 0 << QString();
}

void TestOpenMeetDb::craftedQueries()
{
    QFETCH(QString, sql);
    QFETCH(int, exitCode);
    QFETCH(QString, message);
    TestDir dir;
    const QString db = dir.FilePath("natamar.mdb");
    QCOMPARE(Run({"create", db}).ExitCode, 0);
    QCOMPARE(Run({"add-meet", db, DemoFile("open.ini"), "--code", "OPEN"}).ExitCode, 0);
    QVERIFY(QProcess::execute(Tool,
                              {"add-entries", db, "OPEN", DemoFile("entries-spring27.csv")}) == 0);
    {
        MeetDb::Database open;
        open.Open(db);
        open.Exec(R"(UPDATE "Saved Queries" SET "Sql" = :sql WHERE "Name" = 'Entrants for 1 Meet')",
                  {{"sql", QString(sql).replace("DIR", dir.Path())}});
    }
    const QByteArray before = TestDir::Read(db);
    const QStringList files = QDir(dir.Path()).entryList(QDir::Files);

    const Outcome list = Run({"list", db});
    QCOMPARE(list.ExitCode, exitCode);
    QVERIFY2(list.Err.contains(QString(message).replace("DB", db)), qPrintable(list.Err));
    QCOMPARE(TestDir::Read(db), before);
    QCOMPARE(QDir(dir.Path()).entryList(QDir::Files), files);
}

// The entrants list, drawn without a screen into a PDF file, or refused with the list's message
// and no file.
void TestOpenMeetDb::entrantsList_data()
{
    QTest::addColumn<QStringList>("args"); // after "entrants-list DB"; OUT is the PDF's path
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QString>("output"); // the standard output, or a part of the error

    QTest::newRow("open meet") << QStringList{"SPRING27", "OUT"} << 0
                               << "Wrote the entrants list of meet SPRING27 to OUT (20 pages)\n";
    QTest::newRow("graded meet") << QStringList{"GRADED", "OUT"} << 1
                                 << "GRADED: Not Applicable to this kind of gala\n"
                                    "openmeet-db: no list written";
    QTest::newRow("no entrants") << QStringList{"MASTERS", "OUT"} << 1
                                 << "MASTERS: No entrants for this meet";
    QTest::newRow("unknown meet") << QStringList{"NOPE", "OUT"} << 1 << "no list written";
    QTest::newRow("unwritable folder")
        << QStringList{"SPRING27", "OUT/missing/list.pdf"} << 1 << "cannot be written";
    QTest::newRow("missing argument")
        << QStringList{"SPRING27"} << 2 << "Usage: openmeet-db entrants-list";
}

void TestOpenMeetDb::entrantsList()
{
    QFETCH(QStringList, args);
    QFETCH(int, exitCode);
    QFETCH(QString, output);

    TestDir dir;
    const QString db = dir.FilePath("natamar.mdb");
    const QString out = dir.FilePath("list.pdf");
    const QString graded = dir.Write("graded.ini", "galaname=Graded Gala\ngalatype=Graded\n"
                                                   "group=OPEN Open\nevent=1 F OPEN 50 FS\n"
                                                   "End=End\n");
    QCOMPARE(Run({"create", db}).ExitCode, 0);
    QCOMPARE(Run({"add-meet", db, DemoFile("open.ini"), "--code", "SPRING27"}).ExitCode, 0);
    QCOMPARE(Run({"add-entries", db, "SPRING27", DemoFile("entries-spring27.csv")}).ExitCode, 0);
    QCOMPARE(Run({"add-meet", db, DemoFile("masters.ini")}).ExitCode, 0);
    QCOMPARE(Run({"add-meet", db, graded}).ExitCode, 0);

    args.replaceInStrings(QRegularExpression("^OUT"), out);
    output.replace("OUT", out);
    const Outcome outcome = Run(QStringList{"entrants-list", db} + args);
    QCOMPARE(outcome.ExitCode, exitCode);
    if (exitCode != 0) {
        QVERIFY2(outcome.Err.contains(output), qPrintable(outcome.Err));
        QCOMPARE(QDir(dir.Path()).entryList({"*.pdf*"}, QDir::Files | QDir::Hidden), QStringList());
        return;
    }
    QCOMPARE(outcome.Out, output);
    const QString text = PdfLayoutText(TestDir::Read(out));
    QVERIFY2(text.startsWith("Velmora Spring Open - Entries for ASHB\n"), qPrintable(text));
    QCOMPARE(text.count(u'\f'), 20);
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
    QVERIFY(MakeDemoMeet(db, "SPRING27", "open.ini", "entries-spring27.csv"));

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
    QVERIFY(MakeDemoMeet(db, "CHAMPS27", "champs-meet.ini", "entries-champs27.csv"));
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

void TestOpenMeetDb::programme_data()
{
    QTest::addColumn<QStringList>("args"); // after "programme DB"; OUT is the PDF's path
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QString>("output"); // the standard output, or a part of the error

    QTest::newRow("open meet") << QStringList{"SPRING27", "OUT", "--heading", "Morning"} << 0
                               << "Wrote the programme of meet SPRING27 to OUT (38 events, 7 "
                                  "pages)\n";
    QTest::newRow("chosen events")
        << QStringList{"SPRING27", "OUT", "--events", "36-37", "--highlight", "VMSC"} << 0
        << "Wrote the programme of meet SPRING27 to OUT (2 events, 1 pages)\n";
    QTest::newRow("graded meet without entries")
        << QStringList{"GRADED", "OUT"} << 1
        << "GRADED: No entries in the chosen events: there is no programme to print\n"
           "openmeet-db: no programme written";
    QTest::newRow("unknown club") << QStringList{"SPRING27", "OUT", "--highlight", "NOPE"} << 1
                                  << "no club \"NOPE\"";
    QTest::newRow("unknown event")
        << QStringList{"SPRING27", "OUT", "--events", "99"} << 1 << "no event \"99\" in the meet";
    QTest::newRow("missing argument")
        << QStringList{"SPRING27"} << 2 << "Usage: openmeet-db programme";
}

void TestOpenMeetDb::programme()
{
    QFETCH(QStringList, args);
    QFETCH(int, exitCode);
    QFETCH(QString, output);

    TestDir dir;
    const QString db = dir.FilePath("natamar.mdb");
    const QString out = dir.FilePath("programme.pdf");
    const QString graded = dir.Write("graded.ini", "galaname=Graded Gala\ngalatype=Graded\n"
                                                   "group=OPEN Open\nevent=1 F OPEN 50 FS\n"
                                                   "End=End\n");
    QCOMPARE(Run({"create", db}).ExitCode, 0);
    QCOMPARE(Run({"add-meet", db, DemoFile("open.ini"), "--code", "SPRING27"}).ExitCode, 0);
    QCOMPARE(Run({"add-entries", db, "SPRING27", DemoFile("entries-spring27.csv")}).ExitCode, 0);
    QCOMPARE(Run({"add-meet", db, graded}).ExitCode, 0);

    args.replaceInStrings(QRegularExpression("^OUT$"), out);
    output.replace("OUT", out);
    const Outcome outcome = Run(QStringList{"programme", db} + args);
    QCOMPARE(outcome.ExitCode, exitCode);
    if (exitCode != 0) {
        QVERIFY2(outcome.Err.contains(output), qPrintable(outcome.Err));
        QVERIFY(!QFile::exists(out));
        return;
    }
    QCOMPARE(outcome.Out, output);
    // Event 36 prints slowest first, with the entry times and the blank lines.
    const QString text = PdfLayoutText(TestDir::Read(out));
    QVERIFY2(text.contains(QRegularExpression("37 +Hugo Holloway +31.67 +QUAR +________")),
             qPrintable(text));
}

void TestOpenMeetDb::programmeCsv()
{
    TestDir dir;
    const QString db = dir.FilePath("natamar.mdb");
    const QString out = dir.FilePath("programme.csv");
    QCOMPARE(Run({"create", db}).ExitCode, 0);
    QCOMPARE(Run({"add-meet", db, DemoFile("champs-meet.ini"), "--code", "CHAMPS27"}).ExitCode, 0);
    QCOMPARE(Run({"add-meet", db, DemoFile("open.ini"), "--code", "SPRING27"}).ExitCode, 0);

    const Outcome open = Run({"programme-csv", db, "SPRING27", out});
    QCOMPARE(open.ExitCode, 1);
    QVERIFY2(open.Err.contains("is not a Champs meet"), qPrintable(open.Err));
    QVERIFY(!QFile::exists(out));

    const Outcome champs = Run({"programme-csv", db, "CHAMPS27", out});
    QCOMPARE(champs.ExitCode, 0);
    QVERIFY2(TestDir::Read(out).startsWith("\"1\",\"Girls U/11 50m Freestyle\"\r\n\"BCP\"\r\n"
                                           "\"H\"\r\n\"No finalists\"\r\n\"2\","),
             TestDir::Read(out).left(200).constData());
}

QTEST_GUILESS_MAIN(TestOpenMeetDb)
#include "tst_openmeetdb.moc"
