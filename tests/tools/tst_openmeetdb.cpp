#include <unistd.h>

#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTest>

#include "meetdb/database.h"
#include "support/entryfixture.h"
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

// The SQL that replaces the saved query "Entrants for 1 Meet" with `sql`.
QString Craft(const QString &sql)
{
    return QStringLiteral(R"(UPDATE "Saved Queries" SET "Sql" = '%1' )"
                          R"(WHERE "Name" = 'Entrants for 1 Meet')")
        .arg(QString(sql).replace("'", "''"));
}

QStringList Files(const QString &folder)
{
    return QDir(folder).entryList(QDir::Files | QDir::Hidden);
}

// Every file of the folder, names and bytes.
QByteArray Contents(const QString &folder)
{
    QByteArray all;
    for (const QString &name : Files(folder))
        all += name.toUtf8() + TestDir::Read(folder + "/" + name);
    return all;
}

} // namespace

class TestOpenMeetDb : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void commands_data();
    void commands();
    void listOnlyReads_data();
    void listOnlyReads();

private:
    // natamar.mdb with the demo meets SPRING27 (entered), MASTERS, GRADED and CHAMPS27 (entered,
    // Isla's event 31 entered slower than her best), and the members' pbsys.mdb.
    TestDir m_template;
    // A copy of the template in `dir`.
    void CopyTemplate(const TestDir &dir);
};

void TestOpenMeetDb::initTestCase()
{
    QVERIFY2(QFileInfo(Tool).isExecutable(), "build the openmeet-db target first");
    const QString db = m_template.FilePath("natamar.mdb");
    const QString graded = m_template.Write("graded.ini", "galaname=Graded Gala\ngalatype=Graded\n"
                                                          "group=OPEN Open\nevent=1 F OPEN 50 FS\n"
                                                          "End=End\n");
    for (const QStringList &args :
         {QStringList{"create", db},
          {"add-meet", db, DemoFile("open.ini"), "--code", "SPRING27"},
          {"add-entries", db, "SPRING27", DemoFile("entries-spring27.csv")},
          {"add-meet", db, DemoFile("masters.ini")},
          {"add-meet", db, graded},
          {"add-meet", db, DemoFile("champs-meet.ini"), "--code", "CHAMPS27"},
          {"add-entries", db, "CHAMPS27", DemoFile("entries-champs27.csv")},
          {"create-members", m_template.FilePath("pbsys.mdb"), DemoFile("members.csv")}})
        QVERIFY2(Run(args).ExitCode == 0, qPrintable(args.join(u' ')));
    MeetDb::Database meet;
    meet.Open(db);
    meet.Exec(R"(UPDATE "Swim Table" SET "Entry Time" = '40.00' WHERE "Meet code" = 'CHAMPS27' )"
              R"(AND "Entrant Number" = 1 AND "Event number" = '31')");
}

void TestOpenMeetDb::CopyTemplate(const TestDir &dir)
{
    for (const char *name : {"natamar.mdb", "pbsys.mdb"})
        QVERIFY(QFile::copy(m_template.FilePath(name), dir.FilePath(name)));
}

// Each command as an official types it. "@name" is a file of the test's folder (@db the meet
// database), "demo:name" a demo file. On success the standard output is compared whole; on
// failure the error must contain `output`, and every file is left as it was.
void TestOpenMeetDb::commands_data()
{
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QString>("output");
    QTest::addColumn<QString>("setup"); // SQL run on @db first
    QTest::addColumn<QString>("state"); // what the command leaves in the database, see State()
    QTest::addColumn<QString>("file");  // a pattern the text of the written @out file matches

    const QString spring = "SPRING27\t14/03/2027\tVelmora Spring Open\t38\n";
    const QString list = "MASTERS\t24/04/2027\tHarlowmere Masters Open\t0\n" + spring +
                         "CHAMPS27\t07/02/2027\tVelmora Club Championships 2027\t30\n"
                         "GRADED\t\tGraded Gala\t0\n";
    const QString refused = "Saved query 'Entrants for 1 Meet' in @natamar.mdb is refused";
    const QString heats36 = "36\t1\t2\t37\tHugo Holloway\t31.67\n"
                            "36\t1\t3\t38\tEwan Eastleigh\t29.56\n"
                            "36\t1\t4\t35\tOscar Orrin\t30.08\n";
    const QString placed36 = "35:1/4 37:1/2 38:1/3"; // the fastest (38) in the middle lane
    const QString none36 = "35:/ 37:/ 38:/";
    // clang-format off
    QTest::newRow("create") << QStringList{"create", "@new.mdb"} << 0 << "Created meet database @new.mdb\n" << "" << "" << "";
    QTest::newRow("create over a file") << QStringList{"create", "@natamar.mdb"} << 1 << "the file already exists" << "" << "" << "";
    QTest::newRow("add meet") << QStringList{"add-meet", "@natamar.mdb", "demo:open.ini", "--code", "OPEN"} << 0
        << "Added meet OPEN (Velmora Spring Open): 4 groups, 40 events, 20 clubs, 6 parameters\n" << "" << "" << "";
    QTest::newRow("bad line") << QStringList{"add-meet", "@natamar.mdb", "@bad.ini"} << 1 << "bad.ini:3: Lanes paramater invalid\n" << "" << "" << "";
    QTest::newRow("code taken") << QStringList{"add-meet", "@natamar.mdb", "demo:open.ini", "--code", "SPRING27"} << 1
        << "meet code SPRING27 is already in \"Meet Table\"" << "" << "" << "";
    QTest::newRow("not a meet database") << QStringList{"add-meet", "@bad.ini", "demo:open.ini"} << 1 << "bad.ini" << "" << "" << "";
    QTest::newRow("missing argument") << QStringList{"add-meet", "@natamar.mdb"} << 2 << "Usage: openmeet-db add-meet FILE GALAFILE" << "" << "" << "";
    QTest::newRow("unknown command") << QStringList{"drop", "@natamar.mdb"} << 2 << "unknown command \"drop\"" << "" << "" << "";
    QTest::newRow("create members") << QStringList{"create-members", "@new.mdb", "demo:members.csv"} << 0 << "Created member database @new.mdb with 200 members\n" << "" << "" << "";
    QTest::newRow("bad member line") << QStringList{"create-members", "@new.mdb", "@bad.csv"} << 1 << "bad.csv:3" << "" << "" << "";

    QTest::newRow("list") << QStringList{"list", "@natamar.mdb"} << 0 << list << "" << "" << "";
    // A saved query written by a stranger is checked without being run.
    QTest::newRow("query attaches") << QStringList{"list", "@natamar.mdb"} << 1 << refused << Craft("ATTACH '@made.db' AS made") << "" << "";
    QTest::newRow("query deletes") << QStringList{"list", "@natamar.mdb"} << 1 << refused << Craft(R"(DELETE FROM "Swim Table")") << "" << "";
    QTest::newRow("query vacuums into") << QStringList{"list", "@natamar.mdb"} << 1 << refused << Craft("VACUUM INTO '@made.db'") << "" << "";
    QTest::newRow("query selects then deletes") << QStringList{"list", "@natamar.mdb"} << 1 << refused
        << Craft(R"(SELECT rowid AS "_rowid" FROM "Entrant Table"; DELETE FROM "Swim Table")") << "" << "";
    QTest::newRow("endless query, never run") << QStringList{"list", "@natamar.mdb"} << 0 << list
        << Craft(R"(WITH RECURSIVE c(x) AS (SELECT 1 UNION ALL SELECT x + 1 FROM c) SELECT x AS "_rowid" FROM c)") << "" << "";

    QTest::newRow("confirm entrants") << QStringList{"confirm", "@natamar.mdb", "SPRING27", "--entrants", "1, 3-4"} << 0
        << "Confirmed 8 swims of 3 entrants in meet SPRING27\n" << "" << "1 3 4" << "";
    QTest::newRow("confirm all") << QStringList{"confirm", "@natamar.mdb", "SPRING27", "--all"} << 0
        << "Confirmed 118 swims of 38 entrants in meet SPRING27\n" << "" << "38 entrants" << "";
    QTest::newRow("confirm unknown entrant") << QStringList{"confirm", "@natamar.mdb", "SPRING27", "--entrants", "2,999"} << 1
        << "entrant 999 is not in meet SPRING27" << "" << "" << "";
    QTest::newRow("confirm unknown meet") << QStringList{"confirm", "@natamar.mdb", "NOPE", "--all"} << 1 << "nothing confirmed" << "" << "" << "";
    QTest::newRow("confirm bad list") << QStringList{"confirm", "@natamar.mdb", "SPRING27", "--entrants", "1,x"} << 2
        << "\"x\" is not an entrant number" << "" << "" << "";
    QTest::newRow("confirm falling range") << QStringList{"confirm", "@natamar.mdb", "SPRING27", "--entrants", "9-3"} << 2 << "\"9-3\"" << "" << "" << "";
    QTest::newRow("confirm no choice") << QStringList{"confirm", "@natamar.mdb", "SPRING27"} << 2 << "Usage: openmeet-db confirm" << "" << "" << "";

    QTest::newRow("heats of one event") << QStringList{"make-heats", "@natamar.mdb", "SPRING27", "--events", "36"} << 0 << heats36 << "" << placed36 << "";
    QTest::newRow("heats of a range") << QStringList{"make-heats", "@natamar.mdb", "SPRING27", "--events", "35-36"} << 0 << heats36 << "" << placed36 << "";
    QTest::newRow("heats, nothing confirmed") << QStringList{"make-heats", "@natamar.mdb", "SPRING27", "--events", "36", "--confirmed-only"} << 0
        << "" << "" << "35:/0 37:/0 38:/0" << "";
    QTest::newRow("heats of an unknown event") << QStringList{"make-heats", "@natamar.mdb", "SPRING27", "--events", "99"} << 1
        << "no event \"99\" in the meet" << "" << none36 << "";
    QTest::newRow("heats, unknown option") << QStringList{"make-heats", "@natamar.mdb", "SPRING27", "--fast"} << 2
        << "Usage: openmeet-db make-heats" << "" << none36 << "";

    // The championship entries are the members' best times; Isla's slower one takes hers back.
    QTest::newRow("update bests") << QStringList{"update-pbs", "@natamar.mdb", "CHAMPS27", "--members", "@pbsys.mdb"} << 0
        << "Updated Time for Underhay Isla From 40.00 To 27.98\nChanged 1 entry times in meet CHAMPS27\n" << "" << "27.98" << "";
    QTest::newRow("update bests, no members") << QStringList{"update-pbs", "@natamar.mdb", "CHAMPS27", "--members", "@none.mdb"} << 1
        << "No member database" << "" << "40.00" << "";

    QTest::newRow("entrants list") << QStringList{"entrants-list", "@natamar.mdb", "SPRING27", "@out.pdf"} << 0
        << "Wrote the entrants list of meet SPRING27 to @out.pdf (20 pages)\n" << "" << "" << "^Velmora Spring Open - Entries for ASHB\n";
    QTest::newRow("entrants list, graded meet") << QStringList{"entrants-list", "@natamar.mdb", "GRADED", "@out.pdf"} << 1
        << "GRADED: Not Applicable to this kind of gala\nopenmeet-db: no list written" << "" << "" << "";
    QTest::newRow("entrants list, no entrants") << QStringList{"entrants-list", "@natamar.mdb", "MASTERS", "@out.pdf"} << 1
        << "MASTERS: No entrants for this meet" << "" << "" << "";
    QTest::newRow("entrants list, unwritable folder") << QStringList{"entrants-list", "@natamar.mdb", "SPRING27", "@missing/out.pdf"} << 1
        << "cannot be written" << "" << "" << "";
    // Event 36 prints slowest first, with the entry times and the blank lines.
    QTest::newRow("programme") << QStringList{"programme", "@natamar.mdb", "SPRING27", "@out.pdf", "--heading", "Morning"} << 0
        << "Wrote the programme of meet SPRING27 to @out.pdf (38 events, 7 pages)\n" << "" << ""
        << "37 +Hugo Holloway +31.67 +QUAR +________";
    QTest::newRow("programme of chosen events") << QStringList{"programme", "@natamar.mdb", "SPRING27", "@out.pdf", "--events", "36-37", "--highlight", "VMSC"} << 0
        << "Wrote the programme of meet SPRING27 to @out.pdf (2 events, 1 pages)\n" << "" << ""
        << "37 +Hugo Holloway +31.67 +QUAR +________";
    QTest::newRow("programme without entries") << QStringList{"programme", "@natamar.mdb", "GRADED", "@out.pdf"} << 1
        << "GRADED: No entries in the chosen events: there is no programme to print\nopenmeet-db: no programme written" << "" << "" << "";
    QTest::newRow("programme, unknown club") << QStringList{"programme", "@natamar.mdb", "SPRING27", "@out.pdf", "--highlight", "NOPE"} << 1
        << "no club \"NOPE\"" << "" << "" << "";
    QTest::newRow("programme, unknown event") << QStringList{"programme", "@natamar.mdb", "SPRING27", "@out.pdf", "--events", "99"} << 1
        << "no event \"99\" in the meet" << "" << "" << "";
    QTest::newRow("programme file") << QStringList{"programme-csv", "@natamar.mdb", "CHAMPS27", "@out.csv"} << 0 << "Wrote the programme of meet CHAMPS27 to @out.csv (40 events)\n" << "" << ""
        << R"(^"1","Girls U/11 50m Freestyle"\r\n"BCP"\r\n"H"\r\n"No finalists"\r\n"2",)";
    QTest::newRow("programme file of an open meet") << QStringList{"programme-csv", "@natamar.mdb", "SPRING27", "@out.csv"} << 1
        << "is not a Champs meet" << "" << "" << "";
    // clang-format on
}

// What a command left in the meet database: the entrants with a confirmed swim in SPRING27,
// the heats and lanes of its event 36, or Isla's entry time in event 31 of CHAMPS27.
static QString State(const QString &command, const QString &db)
{
    MeetDb::Database meet;
    meet.Open(db);
    QStringList found;
    const QStringList swims = TableRows(
        meet, "Swim Table",
        {"Meet code", "Entrant Number", "Event number", "Confirmed", "Heat No", "Lane No"});
    for (const QString &row : swims) {
        const QStringList f = row.split(u'|');
        const auto null = [](const QString &v) { return v == "<null>" ? QString() : v; };
        if (command == "confirm" && f[0] == "SPRING27" && f[3] == "1" && !found.contains(f[1]))
            found << f[1];
        if (command == "make-heats" && f[0] == "SPRING27" && f[2] == "36")
            found << f[1] + ":" + null(f[4]) + "/" + null(f[5]);
    }
    if (command == "update-pbs")
        found = TableRows(meet, "Swim Table",
                          {"Meet code", "Entrant Number", "Event number", "Entry Time"})
                    .filter(QRegularExpression("^CHAMPS27\\|1\\|31\\|"))
                    .replaceInStrings(QRegularExpression(".*\\|"), "");
    if (command == "make-heats")
        found.sort();
    if (found.size() > 20)
        return QString::number(found.size()) + " entrants";
    return found.join(u' ');
}

void TestOpenMeetDb::commands()
{
    QFETCH(QStringList, args);
    QFETCH(int, exitCode);
    QFETCH(QString, output);
    QFETCH(QString, setup);
    QFETCH(QString, state);
    QFETCH(QString, file);

    TestDir dir;
    CopyTemplate(dir);
    dir.Write("bad.ini", "galaname=Bad\ngalatype=Open\nlanes=12\n");
    dir.Write("bad.csv", "Surname,Forename,Sex\nBrown,Jane,F\nGrey,Sam,Q\n");
    const QString db = dir.FilePath("natamar.mdb");
    const QString at = dir.Path() + "/";
    if (!setup.isEmpty()) {
        MeetDb::Database meet;
        meet.Open(db);
        meet.Exec(QString(setup).replace("@", at));
    }
    for (QString &arg : args) {
        if (arg.startsWith("@"))
            arg = at + arg.mid(1);
        else if (arg.startsWith("demo:"))
            arg = DemoFile(arg.mid(5));
    }
    output.replace("@", at);
    const QByteArray before = Contents(dir.Path());

    const Outcome outcome = Run(args);
    QCOMPARE(outcome.ExitCode, exitCode);
    if (exitCode != 0 || args.first() == "list")
        QCOMPARE(Contents(dir.Path()), before);
    if (exitCode != 0) {
        QVERIFY2(outcome.Err.contains(output), qPrintable(outcome.Err));
        QCOMPARE(outcome.Out, QString());
    } else {
        QCOMPARE(outcome.Out, output);
    }
    if (!state.isEmpty())
        QCOMPARE(State(args.first(), db), state);
    if (!file.isEmpty()) {
        const QString out = args.filter("/out.").first();
        const QByteArray bytes = TestDir::Read(out);
        const QString text = out.endsWith(".pdf") ? PdfLayoutText(bytes) : QString(bytes);
        QVERIFY2(text.contains(QRegularExpression(file)), qPrintable(text.left(300)));
        const QRegularExpressionMatch pages = QRegularExpression("\\((\\d+) pages").match(output);
        if (pages.hasMatch())
            QCOMPARE(text.count(u'\f'), pages.captured(1).toInt());
    }
}

// "list" leaves the file byte for byte as it was; on a folder that cannot be written it still
// lists, and says the file is read-only.
void TestOpenMeetDb::listOnlyReads_data()
{
    QTest::addColumn<bool>("readOnly");
    QTest::addColumn<bool>("wal"); // the file was left in WAL mode (by an earlier version)
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
    QVERIFY(QFile::copy(m_template.FilePath("natamar.mdb"), db));
    if (wal) {
        MeetDb::Database open;
        open.Open(db);
        open.Exec("PRAGMA journal_mode=WAL");
    }
    const QByteArray before = TestDir::Read(db);
    const QStringList files = Files(folder);

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
    QVERIFY2(list.Out.contains("SPRING27\t14/03/2027\tVelmora Spring Open\t"),
             qPrintable(list.Out));
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
        QCOMPARE(Files(folder), files);
}

QTEST_GUILESS_MAIN(TestOpenMeetDb)
#include "tst_openmeetdb.moc"
