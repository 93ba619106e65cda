#include <unistd.h>

#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QSqlQuery>
#include <QStandardPaths>
#include <QTest>

#include "core/galastate.h"
#include "lenex/lenexfile.h"
#include "meetday/seeding.h"
#include "meetdb/database.h"
#include "support/dbrows.h"
#include "support/entryfixture.h"
#include "support/pdftext.h"
#include "support/testfiles.h"

// Runs the built openmeet-db as an official would, through its command line. Each command's
// refusals of bad files and meets are the library's, tested there; here are the arguments and
// one whole run per command.
namespace {

struct Outcome
{
    int ExitCode = -1;
    QString Out, Err;
};

const QString Tool = QStringLiteral(OPENMEET_RUNTIME_DIR "/openmeet-db");

// `as` runs the tool through another program first (setpriv, to run it as another user).
Outcome Run(const QStringList &args, const QStringList &as = {})
{
    QProcess process;
    const QStringList command = as + QStringList{Tool} + args;
    process.start(command.first(), command.mid(1));
    if (!process.waitForFinished(30000) || process.exitStatus() != QProcess::NormalExit)
        return {};
    return {process.exitCode(), QString::fromLocal8Bit(process.readAllStandardOutput()),
            QString::fromLocal8Bit(process.readAllStandardError())};
}

QString DemoFile(const QString &name)
{
    return QDir::cleanPath(TestDataPath("../../demo/" + name));
}

// The words of a command line as the tool gets them: "@name" is a file of the test's folder
// `at`, "demo:name" a demo file, "data:name" a test data file.
QStringList ToolArguments(const QString &line, const QString &at)
{
    QStringList args = line.split(u' ');
    for (QString &arg : args) {
        if (arg.startsWith("@"))
            arg = at + arg.mid(1);
        else if (arg.startsWith("demo:"))
            arg = DemoFile(arg.mid(5));
        else if (arg.startsWith("data:"))
            arg = TestDataPath(arg.mid(5));
    }
    return args;
}

// The SQL that replaces the saved query "Entrants for 1 Meet" with `sql`.
QString Craft(const QString &sql)
{
    return QStringLiteral(R"(UPDATE "Saved Queries" SET "Sql" = '%1' )"
                          R"(WHERE "Name" = 'Entrants for 1 Meet')")
        .arg(QString(sql).replace("'", "''"));
}

// Every file of the folder, names and bytes.
QByteArray Contents(const QString &folder)
{
    QByteArray all;
    for (const QString &name : QDir(folder).entryList(QDir::Files | QDir::Hidden))
        all += name.toUtf8() + TestDir::Read(folder + "/" + name);
    return all;
}

// The first value `sql` reads from the meet database `db`.
QString Value(const QString &db, const QString &sql)
{
    MeetDb::Database meet;
    meet.Open(db);
    QSqlQuery query(sql, meet.Connection());
    return query.next() ? query.value(0).toString() : QString();
}

} // namespace

class TestOpenMeetDb : public QObject
{
    Q_OBJECT

    // natamar.mdb with the demo meets SPRING27 (entered), MASTERS, GRADED and CHAMPS27 (entered,
    // Isla's event 31 entered slower than her best), and the members' pbsys.mdb.
    TestDir m_template;

private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY2(QFileInfo(Tool).isExecutable(), "build the openmeet-db target first");
        const QString db = m_template.FilePath("natamar.mdb");
        const QString graded =
            m_template.Write("graded.ini", "galaname=Graded Gala\ngalatype=Graded\n"
                                           "group=OPEN Open\nevent=1 F OPEN 50 FS\nEnd=End\n");
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
        meet.Exec(R"(UPDATE "Swim Table" SET "Entry Time" = '40.00' WHERE "Meet code" = )"
                  R"('CHAMPS27' AND "Entrant Number" = 1 AND "Event number" = '31')");
    }

    // Each command as an official types it (ToolArguments). On success the standard output is
    // compared whole; on failure the error must contain `output`, and every file is left as it was.
    void commands_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<QString>("output");
        // Run on @natamar.mdb first, ";\n" apart: SQL, or "openmeet-db ..." steps.
        QTest::addColumn<QString>("setup");
        QTest::addColumn<QStringList>("state"); // a query of the database, and what it reads
        QTest::addColumn<QString>("file"); // a pattern the text of the written @out file matches

        const QString list = "MASTERS\t24/04/2027\tHarlowmere Masters Open\t0\n"
                             "SPRING27\t14/03/2027\tVelmora Spring Open\t46\n"
                             "CHAMPS27\t07/02/2027\tVelmora Club Championships 2027\t30\n"
                             "GRADED\t\tGraded Gala\t0\n";
        // clang-format off
        // The entrants with a confirmed swim in SPRING27, the heats and lanes of its event 36,
        // Isla's entry time in event 31 of CHAMPS27.
        const QString confirmed = R"(SELECT group_concat(n, ' ') FROM (SELECT DISTINCT "Entrant Number" AS n FROM "Swim Table" )"
                                  R"(WHERE "Meet code" = 'SPRING27' AND "Confirmed" ORDER BY n))";
        const QString lanes36 = R"(SELECT group_concat(x, ' ') FROM (SELECT "Entrant Number" || ':' || ifnull("Heat No", '') || '/' || )"
            R"(ifnull("Lane No", '') AS x FROM "Swim Table" WHERE "Meet code" = 'SPRING27' AND "Event number" = '36' ORDER BY x))";
        const QString isla = R"(SELECT "Entry Time" FROM "Swim Table" WHERE "Meet code" = 'CHAMPS27' AND "Entrant Number" = 1 AND "Event number" = '31')";
        const QString refused = "Saved query 'Entrants for 1 Meet' in @natamar.mdb is refused";
        const auto row = [](const char *tag, const char *args, int exitCode, const QString &output,
                            const QString &setup = {}, const QStringList &state = {}, const QString &file = {}) {
            QTest::newRow(tag) << QString(args).split(u' ') << exitCode << output << setup << state << file;
        };
        row("create", "create @new.mdb", 0, "Created meet database @new.mdb\n");
        row("create over a file", "create @natamar.mdb", 1, "the file already exists");
        row("add meet", "add-meet @natamar.mdb demo:open.ini --code OPEN", 0,
            "Added meet OPEN (Velmora Spring Open): 4 groups, 40 events, 20 clubs, 6 parameters\n");
        row("bad line", "add-meet @natamar.mdb @bad.ini", 1, "bad.ini:3: Lanes paramater invalid\n");
        row("missing argument", "add-meet @natamar.mdb", 2, "Usage: openmeet-db add-meet FILE GALAFILE");
        row("unknown command", "drop @natamar.mdb", 2, "unknown command \"drop\"");
        row("import entries without a file", "import-entries @natamar.mdb SPRING27 --dry-run", 2, "Usage: openmeet-db import-entries FILE CODE LENEXFILE");
        row("import entries of a file not read", "import-entries @natamar.mdb SPRING27 @missing.lef", 1, "missing.lef");
        row("create members", "create-members @new.mdb demo:members.csv", 0, "Created member database @new.mdb with 200 members\n");
        row("bad member line", "create-members @new.mdb @bad.csv", 1, "bad.csv:3: Sex \"Q\" is not M or F"); // and no @new.mdb left
        row("list", "list @natamar.mdb", 0, list);
        // A saved query written by a stranger is checked without being run.
        row("query attaches", "list @natamar.mdb", 1, refused, Craft("ATTACH '@made.db' AS made"));
        row("query vacuums into", "list @natamar.mdb", 1, refused, Craft("VACUUM INTO '@made.db'"));
        row("endless query, never run", "list @natamar.mdb", 0, list,
            Craft(R"(WITH RECURSIVE c(x) AS (SELECT 1 UNION ALL SELECT x + 1 FROM c) SELECT x AS "_rowid" FROM c)"));
        row("confirm", "confirm @natamar.mdb SPRING27 --entrants 1,3-4", 0, "Confirmed 8 swims of 3 entrants in meet SPRING27\n", "", {confirmed, "1 3 4"});
        row("confirm all", "confirm @natamar.mdb SPRING27 --all", 0, "Confirmed 126 swims of 46 entrants in meet SPRING27\n", "",
            {R"(SELECT count(*) FROM "Swim Table" WHERE "Meet code" = 'SPRING27' AND NOT "Confirmed")", "0"});
        row("confirm unknown meet", "confirm @natamar.mdb NOPE --all", 1, "nothing confirmed");
        row("confirm unknown entrant", "confirm @natamar.mdb SPRING27 --entrants 2,999", 1, "entrant 999 is not in meet SPRING27");
        row("confirm falling range", "confirm @natamar.mdb SPRING27 --entrants 9-3", 2, "\"9-3\" is not an entrant number");
        row("confirm no choice", "confirm @natamar.mdb SPRING27", 2, "Usage: openmeet-db confirm");
        // Cut to 32 bits, the swims of 4294967298 would be taken for entrant 2's.
        row("confirm, entrant number past 32 bits", "confirm @natamar.mdb SPRING27 --all", 1,
            "has the entrant number \"4294967298\", which is not a number from 1 to 999999",
            R"(UPDATE "Swim Table" SET "Entrant Number" = 4294967298 WHERE "Meet code" = 'SPRING27' AND "Entrant Number" = 2)");
        row("confirm, newer version", "confirm @natamar.mdb SPRING27 --all", 1,
            "was made by a newer version of the program (its version is 2, this program's is 1)",
            R"(INSERT INTO "Version Table" ("Version") VALUES (2))");
        row("confirm an entrant twice", "confirm @natamar.mdb SPRING27 --entrants 1-3,2", 0, "Confirmed 9 swims of 3 entrants in meet SPRING27\n", "", {confirmed, "1 2 3"});
        row("confirm the largest number", "confirm @natamar.mdb SPRING27 --entrants 2147483647", 1, "entrant 2147483647 is not in meet SPRING27; nothing confirmed");
        row("an event twice on a line", "add-entries @natamar.mdb SPRING27 @dup.csv", 1, "dup.csv:2: event 11 is entered twice\nopenmeet-db: no entries added");
        // The fastest (38) in the middle lane.
        row("heats", "make-heats @natamar.mdb SPRING27 --events 35-36", 0,
            "36\t1\t2\t37\tHugo Holloway\t31.67\n36\t1\t3\t38\tEwan Eastleigh\t29.56\n36\t1\t4\t35\tOscar Orrin\t30.08\n",
            "", {lanes36, "35:1/4 37:1/2 38:1/3"});
        // Lanes are positions in the meet, and painted numbers in the output. Any method seeds
        // three swimmers in the middle lanes, fastest in the centre.
        const QString firstLane0 = R"(INSERT INTO "Parameter Table" VALUES ('SPRING27', 999, 'firstlane', '0'))";
        row("heats, pool numbered from 0", "make-heats @natamar.mdb SPRING27 --events 36", 0,
            "36\t1\t1\t37\tHugo Holloway\t31.67\n36\t1\t2\t38\tEwan Eastleigh\t29.56\n36\t1\t3\t35\tOscar Orrin\t30.08\n",
            firstLane0, {lanes36, "35:1/4 37:1/2 38:1/3"});
        row("heats, 8 lanes from 0", "make-heats @natamar.mdb SPRING27 --events 36 --seeding standard", 0,
            "36\t1\t2\t37\tHugo Holloway\t31.67\n36\t1\t3\t38\tEwan Eastleigh\t29.56\n36\t1\t4\t35\tOscar Orrin\t30.08\n",
            firstLane0 + ";\n" R"(UPDATE "Meet Table" SET "Lanes" = 8 WHERE "Meet code" = 'SPRING27')",
            {lanes36, "35:1/5 37:1/3 38:1/4"});
        row("heats by a method named in capitals", "make-heats @natamar.mdb SPRING27 --events 36 --seeding CIRCLE", 0,
            "36\t1\t2\t37\tHugo Holloway\t31.67\n36\t1\t3\t38\tEwan Eastleigh\t29.56\n36\t1\t4\t35\tOscar Orrin\t30.08\n");
        row("heats by an unknown method", "make-heats @natamar.mdb SPRING27 --seeding fastest", 2,
            "openmeet-db make-heats: --seeding takes club, standard or circle, not \"fastest\"\nUsage: openmeet-db make-heats",
            "", {lanes36, "35:/ 37:/ 38:/"});
        row("heats, method missing", "make-heats @natamar.mdb SPRING27 --seeding", 2, "Usage: openmeet-db make-heats");
        row("heats of an unknown event", "make-heats @natamar.mdb SPRING27 --events 99", 1, "no event \"99\" in the meet", "", {lanes36, "35:/ 37:/ 38:/"});
        row("heats, nothing confirmed", "make-heats @natamar.mdb SPRING27 --events 36 --confirmed-only", 0, "", "", {lanes36, "35:/0 37:/0 38:/0"});
        row("heats, unknown option", "make-heats @natamar.mdb SPRING27 --fast", 2, "Usage: openmeet-db make-heats");
        // Every command reads its line the same way: what is wrong, then the command's help.
        row("unknown option named", "programme-csv @natamar.mdb CHAMPS27 @out.csv --fast", 2, "openmeet-db programme-csv: Unknown option 'fast'.\nUsage: openmeet-db programme-csv");
        row("option without its value", "update-pbs @natamar.mdb SPRING27 --members", 2, "openmeet-db update-pbs: Missing value after '--members'.\nUsage:");
        row("one argument too many", "list @natamar.mdb SPRING27 extra", 2, "openmeet-db list: list takes 1 to 2 arguments besides its options, not 3\n");
        row("confirm, both ways", "confirm @natamar.mdb SPRING27 --all --entrants 1", 2, "give either --all or --entrants LIST");
        // One heat: every method puts the fastest in the middle lane and the next beside it, higher.
        row("heats by circle seeding", "make-heats @natamar.mdb SPRING27 --events 36 --seeding circle", 0,
            "36\t1\t2\t37\tHugo Holloway\t31.67\n36\t1\t3\t38\tEwan Eastleigh\t29.56\n36\t1\t4\t35\tOscar Orrin\t30.08\n",
            "", {lanes36, "35:1/4 37:1/2 38:1/3"});
        // A finals session from the database has no heat ranks to order its finalists by.
        row("finals without heat results", "make-heats @natamar.mdb CHAMPS27 --events 1-2", 1,
            "CHAMPS27: No heat results for events 1, 2: import the results first\nopenmeet-db: no heats made",
            R"(INSERT INTO "Parameter Table" VALUES ('CHAMPS27', 999, 'session', 'FINALS'))");
        // Results need a meet, and a Lenex file the reader takes; nothing is written without.
        row("import results, missing argument", "import-results @natamar.mdb CHAMPS27", 2, "Usage: openmeet-db import-results");
        row("import results, unknown meet", "import-results @natamar.mdb NOPE @heats.lef", 1, "openmeet-db: no results imported");
        row("import results, no Lenex file", "import-results @natamar.mdb CHAMPS27 @missing.lef", 1, "missing.lef");
        // The championship entries are the members' best times; Isla's slower one takes hers back.
        row("update bests", "update-pbs @natamar.mdb CHAMPS27 --members @pbsys.mdb", 0,
            "Updated Time for Underhay Isla From 40.00 To 27.98\nChanged 1 entry times in meet CHAMPS27\n", "", {isla, "27.98"});
        row("update bests, no members", "update-pbs @natamar.mdb CHAMPS27 --members @none.mdb", 1, "No member database", "", {isla, "40.00"});
        row("entrants list", "entrants-list @natamar.mdb SPRING27 @out.pdf", 0,
            "Wrote the entrants list of meet SPRING27 to @out.pdf (20 pages)\n", "", {}, "^Velmora Spring Open - Entries for ASHB\n");
        row("entrants list, graded meet", "entrants-list @natamar.mdb GRADED @out.pdf", 1,
            "GRADED: Not Applicable to this kind of gala\nopenmeet-db: no list written");
        row("entrants list, unwritable folder", "entrants-list @natamar.mdb SPRING27 @missing/out.pdf", 1, "cannot be written");
        // Event 36 prints slowest first, with the entry times and the blank lines.
        row("programme", "programme @natamar.mdb SPRING27 @out.pdf --heading Morning", 0,
            "Wrote the programme of meet SPRING27 to @out.pdf (38 events, 7 pages)\n", "", {}, "37 +Hugo Holloway +31.67 +QUAR +________");
        // The chosen club's swimmers are printed in bold italic, named in the heading.
        row("programme of chosen events", "programme @natamar.mdb SPRING27 @out.pdf --events 36,37 --highlight VMSC --heading Heats", 0,
            "Wrote the programme of meet SPRING27 to @out.pdf (2 events, 1 pages)\n", "", {}, "Printed for Velmora Marlets");
        // A UNIQUE index of a file's own, even a partial one, can make the program's writes fail
        // half-way or replace rows: the file is refused before anything is written.
        row("programme, unique index of the file's own", "programme @natamar.mdb SPRING27 @out.pdf", 1,
            "its table \"Swim Table\" is not as this program makes it",
            "UPDATE \"Swim Table\" SET \"Meet Specific\" = NULL;\n"
            "CREATE UNIQUE INDEX \"One blank\" ON \"Swim Table\" (\"Meet Specific\") WHERE \"Meet Specific\" = ''");
        row("import lenex, no meet file", "import-lenex @natamar.mdb", 2, "Usage: openmeet-db import-lenex");
        row("import lenex, bad code", "import-lenex @natamar.mdb @meet.lxf --code a-b", 1, "meet code \"a-b\" is not valid");
        row("import lenex, no such file", "import-lenex @natamar.mdb @none.lxf", 1, "openmeet-db: no meet added to natamar.mdb");
        row("export lenex, unknown meet", "export-lenex @natamar.mdb NOPE @out.lxf", 1, "no start list written");
        row("export lenex, no file named", "export-lenex @natamar.mdb SPRING27", 2, "Usage: openmeet-db export-lenex");
        row("programme, unknown club", "programme @natamar.mdb SPRING27 @out.pdf --highlight NOPE", 1, "no club \"NOPE\" in the meet; no programme written");
        row("programme, unknown event", "programme @natamar.mdb SPRING27 @out.pdf --events 36,99", 1, "no event \"99\" in the meet; no programme written");
        row("programme, no copies", "programme @natamar.mdb SPRING27 @out.pdf --copies 0", 2, "\"0\" copies cannot be printed: give a number from 1 to 99");
        row("programme of an event too big to seed", "programme @natamar.mdb SPRING27 @out.pdf --events 36", 1,
            "SPRING27: Event 36 has 1004 swims, more than the 1000 that can be seeded: its heats were not made\n"
            "SPRING27: No programme was written.\nopenmeet-db: no programme written",
            R"(WITH RECURSIVE n(x) AS (SELECT 1001 UNION ALL SELECT x + 1 FROM n WHERE x < 2001) )"
            R"(INSERT INTO "Swim Table" ("Meet code", "Entrant Number", "Event number", "Entry Time") SELECT 'SPRING27', x, '36', '40.00' FROM n)");
        row("programme without entries", "programme @natamar.mdb GRADED @out.pdf", 1,
            "GRADED: No entries in the chosen events: there is no programme to print\nopenmeet-db: no programme written");
        row("programme file", "programme-csv @natamar.mdb CHAMPS27 @out.csv", 0, "Wrote the programme of meet CHAMPS27 to @out.csv (40 events)\n",
            "", {}, R"(^"1","Girls U/11 50m Freestyle"\r\n"BCP"\r\n"H"\r\n"No finalists"\r\n"2",)");
        // The finals file of event 1 holds two qualifiers under a count of one: the best would be lost.
        row("programme file, damaged finals file", "programme-csv @natamar.mdb CHAMPS27 @out.csv", 1,
            "CHAMPS27: @wk1-f.vb, line 3: the file holds more than the 1 swimmers its first line gives\nopenmeet-db: no programme written",
            R"(UPDATE "Meet Table" SET "Work Directory" = '@' WHERE "Meet code" = 'CHAMPS27')");
        row("programme file of an open meet", "programme-csv @natamar.mdb SPRING27 @out.csv", 1, "meet SPRING27 is not a Champs meet");
        // Oscar's swim in 37 moves to 40, which is swum with 30: it is in 30's pool event now.
        const QString pool40 = R"(SELECT "Combined With" FROM "Swim Table" WHERE "Meet code" = 'SPRING27' AND "Entrant Number" = 35 AND "Event number" = '40')";
        const QString oscar = R"(SELECT group_concat("Event number", ' ') FROM "Swim Table" WHERE "Meet code" = 'SPRING27' AND "Entrant Number" = 35)";
        row("swim moved", "swims @natamar.mdb SPRING27 35 --move 37=40", 0, "36\t30.08\tN\t36\n40\t36.46\tN\t30\n", "", {pool40, "30"});
        row("swim moved to a girls' event", "swims @natamar.mdb SPRING27 35 --move 37=35", 1,
            "Event 35 is for sex F: Oscar Orrin is M; no swims changed", "", {oscar, "36 37"});
        row("swim moved onto one entered", "swims @natamar.mdb SPRING27 35 --move 37=36", 1,
            "Oscar Orrin is already entered in event 36; no swims changed", "", {oscar, "36 37"});
        row("swim moved to no event", "swims @natamar.mdb SPRING27 35 --move 37=99", 1, "Event 99 is not an event of this meet");
        row("swims added and removed", "swims @natamar.mdb SPRING27 1 --add 2,12 --remove 3", 0,
            "1\t46.36\tN\t1\n2\t9:99.99\tN\t2\n12\t9:99.99\tN\t12\n");
        row("swim added twice", "swims @natamar.mdb SPRING27 35 --add 38,38", 1, "Oscar Orrin is already entered in event 38", "", {oscar, "36 37"});
        row("swim not entered", "swims @natamar.mdb SPRING27 35 --remove 5", 1, "Oscar Orrin has no swim in event 5");
        row("swims listed", "swims @natamar.mdb SPRING27 35", 0, "36\t30.08\tN\t36\n37\t36.46\tN\t37\n");
        row("swims of nobody", "swims @natamar.mdb SPRING27 999 --remove 5", 1, "entrant 999 is not in meet SPRING27");
        row("swims, move without a target", "swims @natamar.mdb SPRING27 35 --move 37", 1, "\"37\" is not FROM=TO");
        row("swims, no entrant number", "swims @natamar.mdb SPRING27 Oscar", 2, "Usage: openmeet-db swims");
        row("lists", "lists @natamar.mdb SPRING27 @", 0, "Wrote @clublist.csv\nWrote @namelist.csv\n");
        row("lists of a meet without entries or clubs", "lists @natamar.mdb GRADED @", 1,
            "GRADED: No Clubs\nGRADED: No Entries\nopenmeet-db: not every list was written");
        row("lists into no folder", "lists @natamar.mdb SPRING27 @missing", 1, "Cannot write");
        row("non-swimmers", "non-swimmers @natamar.mdb SPRING27 @out.pdf --events 35-37", 0,
            "Wrote the non-swimmers of meet SPRING27 to @out.pdf (46 missing, 1 pages)\n", "", {},
            "^Swimmers who have not posted their cards for this session\n(.|\n)*Non swimmers for event 36\n");
        row("non-swimmers of no event", "non-swimmers @natamar.mdb SPRING27 @out.pdf --events 99", 1, "no event \"99\" in the meet");
        // "Swim Table" redefined by another tool (the differences are the schema check's): a
        // clause that turns the program's writes into deletions is refused before anything is
        // written, naming the table; spacing and quoting of its own are taken. Setup:
        // "redefine", from, to.
        const QString progref = "redefine\t\"Progref\" INTEGER,\t\"Progref\" INTEGER,";
        const QString differs = "@natamar.mdb cannot be used: its table \"Swim Table\" is not as this program makes it, so "
                                "writing to it could lose entries: ";
        row("heats on lanes that replace each other", "make-heats @natamar.mdb SPRING27", 1,
            differs + R"(it has UNIQUE ("Meet code", "Heat No", "Lane No"), which the program's has not)",
            progref + R"( UNIQUE ("Meet code","Heat No","Lane No") ON CONFLICT REPLACE,)");
        row("entries on one swim an event", "add-entries @natamar.mdb SPRING27 @one.csv", 1,
            differs + R"(it has UNIQUE ("Meet code", "Event number"), which)",
            progref + R"( UNIQUE ("Meet code", "Event number") ON CONFLICT REPLACE,)");
        row("heats on a table quoted otherwise", "make-heats @natamar.mdb SPRING27 --events 36", 0,
            "36\t1\t2\t37\tHugo Holloway\t31.67\n36\t1\t3\t38\tEwan Eastleigh\t29.56\n36\t1\t4\t35\tOscar Orrin\t30.08\n",
            "redefine\t\"Meet code\" TEXT NOT NULL, \"Entrant Number\" INTEGER NOT NULL\t"
            "[Meet code] text   not null,\n`Entrant Number` integer NOT NULL");
        // The hand-written Lenex files of tests/data/lenex. A pool painted 0 to 9: lanes 0 and 9
        // are kept as positions 1 and 10.
        const QString tenLanes = "openmeet-db import-lenex @natamar.mdb data:lenex/tenlanes.lef";
        const QString lanesTen = R"(SELECT group_concat(x, ' ') FROM (SELECT "Entrant Number" || ':' || "Heat No" || '/' || "Lane No" AS x )"
            R"(FROM "Swim Table" WHERE "Meet code" = 'TENLANES' ORDER BY "Entrant Number"))";
        row("import lenex, 10 lanes from 0", "import-lenex @natamar.mdb data:lenex/tenlanes.lef", 0,
            "Added meet TENLANES (Harbour Ten Lane Open): 2 groups, 2 events, 2 clubs, 5 entrants, 5 swims\n",
            "", {lanesTen, "1:1/1 2:2/5 3:1/10 4:2/6 5:1/1"});
        row("list a meet", "list @natamar.mdb TENLANES", 0,
            "event\t1\tF\tU/14\t50\tFS\t3\nevent\t2\tM\tOpen\t100\tBR\t2\n"
            "entrant\t1\tAda Brine\tSALT\tF\t03/02/2015\t1\nentrant\t2\tBea Cove\tSALT\tF\t30/11/2014\t1\n"
            "entrant\t3\tCal Dune\tSALT\tM\t14/07/2001\t1\nentrant\t4\tDora Eddy\tTIDE\tF\t01/06/2016\t1\n"
            "entrant\t5\tEvan Firth\tTIDE\tM\t09/01/1999\t1\n", tenLanes);
        row("list a meet without entrants", "list @natamar.mdb GRADED", 0, "event\t1\tF\tOPEN\t50\tFS\t0\n");
        row("list an unknown meet", "list @natamar.mdb NOPE", 1, "no meet \"NOPE\" in natamar.mdb");
        // A club's entries for SPRING27, one refusal for each reason; the dry run writes nothing.
        const QString entrySummary =
            "Entries from spring27-entries.lef for Velmora Spring Open\n"
            "New entrants: 3, with 4 swims\nSwims for entrants already in the meet: 1, for 1 entrant\nEntries refused: 6\n\n"
            "New entrants:\n  Lila Fairbank (VMSC, born 02/04/2018): events 1, 2\n  Tom Ashworth (VMSC, born 08/08/2013): event 26\n"
            "  Greta Holm (VMSC, born 10/01/2012): event 32\n\n"
            "Swims for entrants already in the meet:\n  1 Marnie Warrender (FENW, born 07/05/2018): event 2\n\n"
            "Entries refused:\n  Lila Fairbank (VMSC, born 02/04/2018), event 99: no such event 99\n"
            "  Tom Ashworth (VMSC, born 08/08/2013), event 21: event 21 is for women\n"
            "  Greta Holm (VMSC, born 10/01/2012), event 11: age 14 on 31/12/2026: too old for event 11 (U/12)\n"
            "  Greta Holm (VMSC, born 10/01/2012), event 21: withdrawn\n"
            "  Marnie Warrender (FENW, born 07/05/2018), event 1: already entered in event 1\n"
            "  Una Known (ZEDB, born 09/09/2017), event 1: club ZEDB is not a club of this meet; add it with \"Add Club Name\" first\n";
        const QString springSwims = R"(SELECT group_concat(x, ' ') FROM (SELECT "Entrant Number" || ':' || "Event number" AS x FROM "Swim Table" )"
            R"(WHERE "Meet code" = 'SPRING27' AND ("Entrant Number" = 1 OR "Entrant Number" > 46) ORDER BY "Entrant Number", CAST("Event number" AS INTEGER)))";
        row("import entries, dry run", "import-entries @natamar.mdb SPRING27 data:lenex/spring27-entries.lef --dry-run", 0,
            entrySummary + "Dry run: nothing was written.\n", "", {springSwims, "1:1 1:3"});
        row("import entries", "import-entries @natamar.mdb SPRING27 data:lenex/spring27-entries.lef", 0,
            entrySummary + "Imported 3 new entrants (numbers 47 to 49) with 4 swims, and 1 swim for entrants already in the meet.\n",
            "", {springSwims, "1:1 1:2 1:3 47:1 47:2 48:26 49:32"});
        // Heat results of CHAMPS27 with a tie and a disqualification, then the finals session:
        // the fastest in the middle of 5 lanes, the tied pair beside her, the disqualified out.
        const QString ranks34 = R"(SELECT group_concat(x, ' ') FROM (SELECT "Entrant Number" || ':' || "Position" || '/' || "DQ" AS x )"
            R"(FROM "Swim Table" WHERE "Meet code" = 'CHAMPS27' AND "Event number" = '34' ORDER BY "Entrant Number"))";
        const QString heats = "openmeet-db import-results @natamar.mdb CHAMPS27 data:lenex/champs27-heats.lef";
        row("import results", "import-results @natamar.mdb CHAMPS27 data:lenex/champs27-heats.lef", 0,
            "Imported 8 results in 2 events of meet CHAMPS27: 1 disqualified\n", "", {ranks34, "1:1/0 6:2/0 17:2/0 29:0/1"});
        const QString lanes34 = R"(SELECT group_concat(x, ' ') FROM (SELECT "Entrant Number" || ':' || ifnull("Heat No", '') || '/' || ifnull("Lane No", '') AS x )"
            R"(FROM "Swim Table" WHERE "Meet code" = 'CHAMPS27' AND "Event number" = '34' ORDER BY "Entrant Number"))";
        row("finals from imported results", "make-heats @natamar.mdb CHAMPS27 --events 34,39", 0,
            "34\t1\t2\t17\tRookhill Erin\t35.48\n34\t1\t3\t1\tUnderhay Isla\t30.97\n34\t1\t4\t6\tGarrowby Megan\t34.72\n"
            "39\t1\t2\t27\tNethercott Finn\t32.83\n39\t1\t3\t26\tTenwick Cody\t30.64\n39\t1\t4\t2\tUnderhay Finn\t32.75\n"
            "39\t1\t5\t13\tOrrin Leo\t34.08\n",
            heats + ";\n" R"(INSERT INTO "Parameter Table" VALUES ('CHAMPS27', 999, 'session', 'FINALS'))" ";\n"
            // The finals files go into the test's folder, not the folder the test runs in.
            R"(UPDATE "Meet Table" SET "Work Directory" = '@' WHERE "Meet code" = 'CHAMPS27')",
            {lanes34, "1:1/3 6:1/4 17:1/2 29:/0"});
        // clang-format on
    }

    // The README's pair: the start list of a seeded meet exported, imported under another code
    // and exported again reads as the same document.
    void lenexRoundTrip()
    {
        TestDir dir;
        const QString db = dir.FilePath("natamar.mdb");
        QVERIFY(QFile::copy(m_template.FilePath("natamar.mdb"), db));
        QCOMPARE(Run({"make-heats", db, "SPRING27"}).ExitCode, 0);
        const QString spring = dir.FilePath("spring.lxf");
        const Outcome first = Run({"export-lenex", db, "SPRING27", spring});
        QCOMPARE(first.ExitCode, 0);
        const Outcome imported = Run({"import-lenex", db, spring, "--code", "TRIP"});
        QCOMPARE(imported.Err, QString());
        QVERIFY2(imported.Out.startsWith("Added meet TRIP (Velmora Spring Open): 4 groups, 40 "
                                         "events, "),
                 qPrintable(imported.Out));
        const QString trip = dir.FilePath("trip.lxf");
        QCOMPARE(Run({"export-lenex", db, "TRIP", trip}).ExitCode, 0);
        Lenex::Document before, after;
        QString error;
        QVERIFY2(Lenex::ReadLenexFile(spring, before, &error), qPrintable(error));
        QVERIFY2(Lenex::ReadLenexFile(trip, after, &error), qPrintable(error));
        QCOMPARE(Lenex::LenexXml(after), Lenex::LenexXml(before));
    }

    void commands()
    {
        QFETCH(QStringList, args);
        QFETCH(int, exitCode);
        QFETCH(QString, output);
        QFETCH(QString, setup);
        QFETCH(QStringList, state);
        QFETCH(QString, file);

        TestDir dir;
        for (const char *name : {"natamar.mdb", "pbsys.mdb"})
            QVERIFY(QFile::copy(m_template.FilePath(name), dir.FilePath(name)));
        dir.Write("bad.ini", "galaname=Bad\ngalatype=Open\nlanes=12\n");
        dir.Write("bad.csv", "Surname,Forename,Sex\nBrown,Jane,F\nGrey,Sam,Q\n");
        dir.Write("dup.csv", "Kind,Name,Club,Sex,Age,Regno,Events\n"
                             "I,Zed Twice,ASHB,F,05/03/16,1,11=35.50 11=36.00\n");
        dir.Write("wk1-f.vb", "1\r\n\"9\",\"1\",\"Ann Slow\",\"x\",\"40.00\",-1\r\n"
                              "\"8\",\"1\",\"Bea Best\",\"x\",\"30.00\",-1\r\n");
        const QString db = dir.FilePath("natamar.mdb");
        const QString at = dir.Path() + "/";
        dir.Write("one.csv", "Kind,Name,Club,Sex,Age,Regno,Events\n"
                             "I,Zoe Ashby,FENW,F,07/05/18,,1=35.50 3=40.00\n");
        if (setup.startsWith("redefine\t")) {
            MeetDb::Database meet;
            meet.Open(db);
            MeetDb::Transaction transaction(meet);
            QVERIFY(RedefineTable(meet, "Swim Table", setup.section(u'\t', 1, 1),
                                  setup.section(u'\t', 2)));
            transaction.Commit();
        } else if (!setup.isEmpty()) {
            MeetDb::Database meet;
            meet.Open(db);
            for (const QString &statement : setup.split(";\n")) {
                // A step of the tool that must succeed first, or SQL.
                if (statement.startsWith("openmeet-db ")) {
                    const QStringList step = ToolArguments(statement.mid(12), at);
                    QVERIFY2(Run(step).ExitCode == 0, qPrintable(statement));
                } else {
                    meet.Exec(QString(statement).replace("@", at));
                }
            }
        }
        args = ToolArguments(args.join(u' '), at);
        output.replace("@", at);
        const QByteArray before = Contents(dir.Path());

        const Outcome outcome = Run(args);
        QCOMPARE(outcome.ExitCode, exitCode);
        if (exitCode != 0 || args.first() == "list" || args.contains("--dry-run"))
            QCOMPARE(Contents(dir.Path()), before);
        QCOMPARE(outcome.Out, exitCode != 0 ? QString() : output);
        if (exitCode != 0)
            QVERIFY2(outcome.Err.contains(output), qPrintable(outcome.Err));
        if (!state.isEmpty())
            QCOMPARE(Value(db, state[0]), state[1]);
        if (!file.isEmpty()) {
            const QString out = args.filter("/out.").first();
            const QByteArray bytes = TestDir::Read(out);
            const QString text = out.endsWith(".pdf") ? PdfLayoutText(bytes) : QString(bytes);
            QVERIFY2(text.contains(QRegularExpression(file)), qPrintable(text.left(300)));
            const QRegularExpressionMatch pages =
                QRegularExpression("\\((\\d+) pages").match(output);
            if (pages.hasMatch())
                QCOMPARE(text.count(u'\f'), pages.captured(1).toInt());
        }
    }

    // "make-heats" names the method it runs before anything else: the meet's keyword, or
    // --seeding for this run alone. Rows: the meet's keyword ("" for none), the option, the
    // first line of the standard error.
    void makeHeatsMethod_data()
    {
        AddRows({"||SPRING27: Make Heats - club seeding",
                 "standard||SPRING27: Make Heats - standard seeding",
                 "standard|circle|SPRING27: Make Heats - circle seeding",
                 "circle|club|SPRING27: Make Heats - club seeding"});
    }

    void makeHeatsMethod()
    {
        const QStringList row = RowCells();
        TestDir dir;
        const QString db = dir.FilePath("natamar.mdb");
        QVERIFY(QFile::copy(m_template.FilePath("natamar.mdb"), db));
        if (!row[0].isEmpty()) {
            MeetDb::Database meet;
            meet.Open(db);
            meet.Exec(R"(INSERT INTO "Parameter Table" VALUES ('SPRING27', 999, 'seeding', :m))",
                      {{"m", row[0]}});
        }
        QStringList args{"make-heats", db, "SPRING27", "--events", "36"};
        if (!row[1].isEmpty())
            args << "--seeding" << row[1];
        const Outcome outcome = Run(args);
        QCOMPARE(outcome.ExitCode, 0);
        QCOMPARE(outcome.Err.section(u'\n', 0, 0), row[2]);
        // The option is for one run: the meet keeps its keyword.
        QCOMPARE(Value(db, R"(SELECT group_concat("Parameter") FROM "Parameter Table" WHERE )"
                           R"("Key Word" = 'seeding')"),
                 row[0]);
    }

    // A pool of 10 lanes numbered 0 to 9: three swimmers take the centre lanes 4, 5 and 3 as
    // painted, fastest in 4, and the meet stores them as positions 5, 6 and 4.
    void makeHeatsTenLanes()
    {
        if (MeetDay::MaxPoolLanes < Core::MaxLanes)
            QSKIP("heats are made for pools of up to 8 lanes in this build");
        TestDir dir;
        const QString db = dir.FilePath("natamar.mdb");
        QVERIFY(QFile::copy(m_template.FilePath("natamar.mdb"), db));
        {
            MeetDb::Database meet;
            meet.Open(db);
            meet.Exec(R"(UPDATE "Meet Table" SET "Lanes" = 10 WHERE "Meet code" = 'SPRING27')");
            meet.Exec(
                R"(INSERT INTO "Parameter Table" VALUES ('SPRING27', 999, 'firstlane', '0'))");
        }
        const Outcome outcome =
            Run({"make-heats", db, "SPRING27", "--events", "36", "--seeding", "standard"});
        QCOMPARE(outcome.ExitCode, 0);
        QCOMPARE(outcome.Out, "36\t1\t3\t37\tHugo Holloway\t31.67\n"
                              "36\t1\t4\t38\tEwan Eastleigh\t29.56\n"
                              "36\t1\t5\t35\tOscar Orrin\t30.08\n");
        QCOMPARE(Value(db, R"(SELECT group_concat("Lane No", ' ') FROM (SELECT "Lane No" FROM )"
                           R"("Swim Table" WHERE "Meet code" = 'SPRING27' AND "Event number" = )"
                           R"('36' ORDER BY "Entrant Number"))"),
                 QString("6 4 5"));
    }

    // Preliminaries in a 10-lane pool painted 0 to 9, made from the gala file's own keywords:
    // 40 swimmers give four heats, and the three fastest are dealt to the centre lane of the
    // last three heats, fastest in the last.
    void makeHeatsCircleTenLanes()
    {
        if (MeetDay::MaxPoolLanes < Core::MaxLanes)
            QSKIP("heats are made for pools of up to 8 lanes in this build");
        TestDir dir;
        const QString db = dir.FilePath("circle.mdb");
        for (const QStringList &args :
             {QStringList{"create", db},
              {"add-meet", db, TestDataPath("tools/circle10.ini"), "--code", "CIRCLE10"},
              {"add-entries", db, "CIRCLE10", TestDataPath("tools/circle10.csv")}})
            QVERIFY2(Run(args).ExitCode == 0, qPrintable(args.join(u' ')));
        const Outcome outcome = Run({"make-heats", db, "CIRCLE10"});
        QCOMPARE(outcome.ExitCode, 0);
        QVERIFY2(outcome.Err.startsWith("CIRCLE10: Make Heats - circle seeding"),
                 qPrintable(outcome.Err));
        const QStringList lines = outcome.Out.split(u'\n', Qt::SkipEmptyParts);
        QCOMPARE(lines.size(), 40);
        QCOMPARE(lines.filter(QRegularExpression("^1\t[2-4]\t4\t")),
                 QStringList({"1\t2\t4\t24\tDot Cutler\t28.50", "1\t3\t4\t31\tAda Draycott\t28.25",
                              "1\t4\t4\t38\tHope Draycott\t28.00"}));
    }

    // On a folder that cannot be written "list" still lists, says the file is read-only, and
    // leaves the folder as it was, also for a file left in WAL mode (by an earlier version).
    void listOnReadOnlyMedia_data()
    {
        QTest::addColumn<bool>("wal");
        QTest::newRow("rollback journal") << false;
        QTest::newRow("WAL file") << true;
    }

    void listOnReadOnlyMedia()
    {
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
        const QByteArray before = Contents(folder);
        using P = QFileDevice;
        QFile::setPermissions(dir.Path(), P::ReadOwner | P::WriteOwner | P::ExeOwner |
                                              P::ReadOther | P::ExeOther);
        QFile::setPermissions(folder, P::ReadOwner | P::ExeOwner | P::ReadOther | P::ExeOther);
        QFile::setPermissions(db, P::ReadOwner | P::ReadOther);
        // Root writes through permission bits, so root runs the tool as "nobody", for whom the
        // folder really is read-only.
        QStringList as;
        if (::geteuid() == 0) {
            if (QStandardPaths::findExecutable("setpriv").isEmpty())
                QSKIP("running as root without setpriv");
            as = QStringList{"setpriv", "--reuid=65534", "--regid=65534", "--clear-groups"};
        }
        const Outcome list = Run({"list", db}, as);
        QFile::setPermissions(folder, P::ReadOwner | P::WriteOwner | P::ExeOwner);
        QVERIFY2(list.Out.contains("SPRING27\t14/03/2027\tVelmora Spring Open\t"),
                 qPrintable(list.Out));
        // The message itself is the library's, checked there.
        QVERIFY(list.ExitCode == 0 && list.Err.contains(db + " is on read-only media"));
        QCOMPARE(Contents(folder), before);
    }
};

QTEST_GUILESS_MAIN(TestOpenMeetDb)
#include "tst_openmeetdb.moc"
