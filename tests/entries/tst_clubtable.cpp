#include <QTest>

#include "entries/clubtable.h"
#include "meetdb/database.h"
#include "meetdb/schema.h"
#include "meetdb/session.h"
#include "support/scriptedprompts.h"
#include "support/testfiles.h"

using namespace Entries;

namespace {

const QByteArray ClubCodes = "Ashbury Barracudas SC,ASHB,North Region,AS01,Active\r\n"
                             "Kestwick Amateur SC,KESW,North Region,KE01,Active\r\n"
                             "Kestwick Masters SC,KESM,North Region,KE01,Active\r\n"
                             "Upton Lea Swimming Club,UPTL,North Region,UP01,Active\r\n"
                             "Velmora Marlets SC  ,VMSC,North Region,VM01,Active\r\n"
                             "\r\n"
                             "Yarrowdale Herons,YARR\r\n";

QString InputShown(const QString &question, const QString &offered = QString())
{
    return "input: " + ClubTableTitle + " | " + question + " | " + offered;
}

// A session whose table holds "CODE:Name" clubs, with the club code file beside the program.
struct Fixture
{
    explicit Fixture(const QString &clubs)
    {
        dir.Write(ClubCodeFileName, ClubCodes);
        session.ProgramDir = dir.Path();
        for (const QString &club : clubs.split(u'|'))
            session.Gala.Clubs << Core::GalaClub{club.section(u':', 0, 0), club.section(u':', 1)};
    }
    // Queues answers written "type:text", "cancel" or "pick:N", separated by "|".
    void Script(const QString &answers)
    {
        for (const QString &answer : answers.split(u'|', Qt::SkipEmptyParts)) {
            if (answer == u"cancel")
                prompts.CancelInput();
            else if (answer.startsWith(u"pick:"))
                prompts.Pick(answer.mid(5).toInt());
            else
                prompts.Type(answer.mid(5));
        }
    }
    QString List() const { return form.ClubNameList().join(u'|'); }

    TestDir dir;
    MeetDb::Session session;
    ClubCodeFile codes;
    ScriptedPrompts prompts;
    ClubTableForm form{session, codes, prompts};
};

} // namespace

class TestClubTable : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void addRule_data()
    {
        QTest::addColumn<int>("capacity");
        QTest::addColumn<QString>("code");
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("message");
        QTest::addColumn<QString>("after");

        const QString table = "BBB:Bravo|DDD:Delta|FFF:Foxtrot";
        const QString codeUsed = "This ID has already been used";
        // clang-format off
        QTest::newRow("sorts first")     << 9 << "AAA" << "Alpha" << "" << "AAA:Alpha|" + table;
        // Codes compare exactly, by character code: every capital before every small letter.
        QTest::newRow("small letters")   << 9 << "ddd" << "D" << "" << table + "|ddd:D";
        QTest::newRow("same code")       << 9 << "DDD" << "D" << codeUsed << table;
        QTest::newRow("same name")       << 9 << "ZZZ" << "Foxtrot"
                                         << "This club already exists .. code is : FFF" << table;
        QTest::newRow("full")            << 3 << "ZZZ" << "Z" << "Sorry .. Table of club names is full!"
                                         << table;
        QTest::newRow("full, same code") << 3 << "BBB" << "Z" << codeUsed << table;
        QTest::newRow("full, same name") << 3 << "ZZZ" << "Delta"
                                         << "This club already exists .. code is : DDD" << table;
        // clang-format on
    }

    void addRule()
    {
        QFETCH(int, capacity);
        QFETCH(QString, code);
        QFETCH(QString, name);
        QFETCH(QString, message);
        QFETCH(QString, after);

        Fixture f("BBB:Bravo|DDD:Delta|FFF:Foxtrot");
        f.session.Gala.ClubCount = capacity;
        QCOMPARE(f.form.AddClub(code, name) == AddClubResult::Added, message.isEmpty());
        QCOMPARE(f.prompts.Messages, message.isEmpty() ? QStringList() : QStringList{message});
        QCOMPARE(f.List(), after);
        if (message.isEmpty())
            QCOMPARE(f.form.ClubNameList().at(f.form.LastAddedLine()), code + u':' + name);
    }

    // The three commands of the window, by the prompts they show and the table they leave.
    void commands_data()
    {
        QTest::addColumn<QString>("command");
        QTest::addColumn<QString>("answers");
        QTest::addColumn<QStringList>("shown");
        QTest::addColumn<QString>("after");

        const QString code = InputShown("Enter new club abbreviation");
        const QString name = InputShown("Enter new club name");
        const QString search = InputShown("Enter name of club");
        const QString confirm = "Confirm/edit club name";
        const QString pick = "pick: Select club";
        const QString renameD = InputShown("Enter revised name for code DDD", "Delta");
        // clang-format off
        QTest::newRow("hand, trimmed") << "hand" << "type: AAA |type:Alpha Club "
            << QStringList{code, name} << "AAA:Alpha Club|DDD:Delta";
        QTest::newRow("hand, cancelled") << "hand" << "type:AAA|cancel"
            << QStringList{code, name} << "DDD:Delta";
        QTest::newRow("one, any case") << "asa" << "type:upton|type:Upton Lea"
            << QStringList{search, InputShown(confirm, "Upton Lea Swimming Club")}
            << "DDD:Delta|UPTL:Upton Lea";
        QTest::newRow("SC dropped") << "asa" << "type:Velmora|type:Velmora Marlets"
            << QStringList{search, InputShown(confirm, "Velmora Marlets")}
            << "DDD:Delta|VMSC:Velmora Marlets";
        QTest::newRow("several") << "asa" << "type:Kestwick|pick:2|type:Kestwick M"
            << QStringList{search, pick, InputShown(confirm, "Kestwick Masters")}
            << "DDD:Delta|KESM:Kestwick M";
        QTest::newRow("none chosen") << "asa" << "type:kestwick|pick:0"
            << QStringList{search, pick, "message: No club selected"} << "DDD:Delta";
        QTest::newRow("not found") << "asa" << "type:Zebra"
            << QStringList{search, "message: Club not found"} << "DDD:Delta";
        QTest::newRow("then the add rule") << "asa" << "type:Ashbury|type:Delta"
            << QStringList{search, InputShown(confirm, "Ashbury Barracudas"),
                           "message: This club already exists .. code is : DDD"} << "DDD:Delta";
        QTest::newRow("renamed") << "rename" << "type: Delta Dolphins "
            << QStringList{renameD} << "DDD:Delta Dolphins";
        QTest::newRow("rename cancelled") << "rename" << "cancel" << QStringList{renameD} << "DDD:Delta";
        // clang-format on
    }

    void commands()
    {
        QFETCH(QString, command);
        QFETCH(QString, answers);
        QFETCH(QStringList, shown);
        QFETCH(QString, after);

        Fixture f("DDD:Delta");
        f.Script(answers);
        if (command == u"hand") {
            f.form.AddClubByHand();
        } else if (command == u"asa") {
            f.form.AddFromClubCodeFile();
        } else {
            f.form.RenameClub(1); // no such line: nothing asked
            f.form.RenameClub(0);
        }
        QCOMPARE(f.prompts.Shown, shown);
        if (shown.contains(u"pick: Select club"))
            QCOMPARE(f.prompts.PickLists.value(0),
                     (QStringList{"Kestwick Amateur SC", "Kestwick Masters SC"}));
        QCOMPARE(f.List(), after);
    }

    void meetDatabase()
    {
        Fixture f("BBB:Bravo");
        const QString path = f.dir.FilePath("natamar.mdb");
        MeetDb::CreateMeetDatabase(path);
        f.session.MeetDb.Open(path);
        f.session.Gala.MeetDbOpen = true;
        f.session.Gala.MeetCode = "M1";
        f.session.Gala.GalaParamFile = f.dir.Write("gala.ini", "club=BBB Bravo\r\nEnd=End\r\n");
        // A club the file holds but the table in memory does not: the file refuses it again.
        f.session.MeetDb.Exec("INSERT INTO \"Club Name Table\" VALUES ('M1', 'CCC', 'C')");

        QCOMPARE(f.form.AddClub("AAA", "Alpha"), AddClubResult::Added);
        QCOMPARE(f.form.AddClub("BBB", "Other"), AddClubResult::CodeUsed);
        QCOMPARE(f.form.AddClub("CCC", "Charlie"), AddClubResult::Failed);
        QCOMPARE(f.prompts.Messages.size(), 2);
        QCOMPARE(f.List(), "AAA:Alpha|BBB:Bravo");
        QVERIFY(f.form.Exit());
        QCOMPARE(f.session.MeetDb.TransactionDepth(), 0);

        QStringList rows;
        std::unique_ptr<MeetDb::RecordSet> rs = f.session.MeetDb.OpenTable("Club Name Table");
        for (rs->MoveFirst(); !rs->Eof(); rs->MoveNext())
            rows << rs->Text("Meet code") + u'|' + rs->Text("Club Code") + u'|' +
                        rs->Text("Club Name");
        QCOMPARE(rows, (QStringList{"M1|CCC|C", "M1|AAA|Alpha"}));
        // With the meet database the parameter file is left alone.
        QCOMPARE(TestDir::Read(f.session.Gala.GalaParamFile), "club=BBB Bravo\r\nEnd=End\r\n");
    }

    void codeFileMissing()
    {
        Fixture f("BBB:Bravo");
        QVERIFY(QFile::remove(f.dir.FilePath(ClubCodeFileName)));
        const QString elsewhere = f.dir.Write("other/codes.csv", ClubCodes);

        // Nothing chosen: the command ends, and the next one asks again.
        f.prompts.Browse(QString());
        f.form.AddFromClubCodeFile();
        QCOMPARE(f.prompts.Shown, (QStringList{"browse: Locate ASA club code file",
                                               "message: No Input File Specified"}));
        f.prompts.Browse(elsewhere).Type("Upton").Type("Upton Lea");
        f.form.AddFromClubCodeFile();
        QCOMPARE(f.prompts.Shown.at(2), "browse: Locate ASA club code file");

        // Read once: later look-ups use the rows in memory even after the file is gone.
        QVERIFY(QFile::remove(elsewhere));
        f.prompts.Type("Yarrow").Type("Yarrowdale Herons");
        f.form.AddFromClubCodeFile();
        QCOMPARE(f.prompts.Shown.at(5), InputShown("Enter name of club"));
        QCOMPARE(f.List(), "BBB:Bravo|UPTL:Upton Lea|YARR:Yarrowdale Herons");
        QCOMPARE(f.codes.Rows().size(), 6); // the blank line is not a row
        QCOMPARE(f.codes.Rows().at(0).Field5, "Active");
    }

    void exitRewritesClubLines()
    {
        Fixture f("BBB:Bravo|DDD:Delta");
        f.session.Gala.GalaDir = f.dir.FilePath("gala");
        f.session.Gala.GalaParamFile =
            f.dir.Write("gala/open.ini", "galaname=Spring Open\r\nclub=DDD Delta\r\nlanes=6\r\n"
                                         "club=BBB Bravo\r\nEnd=End\r\n");
        QCOMPARE(f.form.AddClub("AAA", "Alpha"), AddClubResult::Added);
        f.prompts.Type("Delta Dolphins");
        f.form.RenameClub(2);
        QVERIFY(f.form.Exit());
        QVERIFY(f.form.Exit()); // a second leave writes nothing more

        QCOMPARE(TestDir::Read(f.session.Gala.GalaParamFile),
                 "galaname=Spring Open\r\nlanes=6\r\nclub=AAA Alpha\r\nclub=BBB Bravo\r\n"
                 "club=DDD Delta Dolphins\r\nEnd=End\r\n");
        QVERIFY(f.prompts.Messages.isEmpty());
    }
};

QTEST_GUILESS_MAIN(TestClubTable)
#include "tst_clubtable.moc"
