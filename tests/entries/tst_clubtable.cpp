#include <QTest>

#include "entries/clubtable.h"
#include "support/entryfixture.h"

using namespace Entries;

namespace {

// A short last row and a blank line, as such files come.
const QByteArray ClubCodes =
    "Kestwick Amateur SC,KESW,N,KE01,Active\r\nKestwick Masters SC,KESM,N,KE01,Active\r\n"
    "Upton Lea Swimming Club,UPTL,N,UP01,Active\r\nVelmora Marlets SC  ,VMSC,N\r\n"
    "\r\nYarrowdale Herons,YARR\r\n";

QString InputShown(const QString &question, const QString &offered = QString())
{
    return "input: " + ClubTableTitle + " | " + question + " | " + offered;
}

// A session whose table holds "CODE:Name|..." clubs, with the club code file beside the program.
struct Fixture
{
    explicit Fixture(const QString &clubs)
    {
        dir.Write(ClubCodeFileName, ClubCodes);
        session.ProgramDir = dir.Path();
        for (const QString &club : clubs.split(u'|'))
            session.Gala.Clubs << Core::GalaClub{club.section(u':', 0, 0), club.section(u':', 1)};
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
    // The three commands of the window, by the prompts they show and the table they leave. A club
    // added by hand or from the club code file goes through the add rule: the code is checked
    // first, then the name, then the room left ("full" rows have room for three clubs).
    void commands_data()
    {
        QTest::addColumn<QString>("command");
        QTest::addColumn<QStringList>("answers"); // typed; "" cancels; "#N" picks line N
        QTest::addColumn<QStringList>("shown");
        QTest::addColumn<QString>("after");

        const QString code = InputShown("Enter new club abbreviation");
        const QString name = InputShown("Enter new club name");
        const QString search = InputShown("Enter name of club");
        const QString pick = "pick: Select club";
        const QString renameD = InputShown("Enter revised name for code DDD", "Delta");
        const QString codeUsed = "message: This ID has already been used";
        const QString exists = "message: This club already exists .. code is : ";
        const QString t = "BBB:Bravo|DDD:Delta|FFF:Foxtrot";
        // clang-format off
        const auto confirm = [](const QString &offered) { return InputShown("Confirm/edit club name", offered); };
        QTest::newRow("sorts first, trimmed") << "hand" << QStringList{" AAA ", "Alpha Club "} << QStringList{code, name} << "AAA:Alpha Club|" + t;
        // Codes compare exactly, by character code: every capital before every small letter.
        QTest::newRow("small letters") << "hand" << QStringList{"ddd", "D"} << QStringList{code, name} << t + "|ddd:D";
        QTest::newRow("same code") << "hand" << QStringList{"DDD", "D"} << QStringList{code, name, codeUsed} << t;
        QTest::newRow("same name") << "hand" << QStringList{"ZZZ", "Foxtrot"} << QStringList{code, name, exists + "FFF"} << t;
        QTest::newRow("full") << "hand" << QStringList{"ZZZ", "Z"} << QStringList{code, name, "message: Sorry .. Table of club names is full!"} << t;
        QTest::newRow("full, same code") << "hand" << QStringList{"BBB", "Z"} << QStringList{code, name, codeUsed} << t;
        QTest::newRow("full, same name") << "hand" << QStringList{"ZZZ", "Delta"} << QStringList{code, name, exists + "DDD"} << t;
        QTest::newRow("hand, cancelled") << "hand" << QStringList{"AAA", ""} << QStringList{code, name} << t;
        QTest::newRow("one, any case") << "asa" << QStringList{"upton", "Upton Lea"} << QStringList{search, confirm("Upton Lea Swimming Club")} << t + "|UPTL:Upton Lea";
        QTest::newRow("SC dropped") << "asa" << QStringList{"Velmora", "Velmora Marlets"} << QStringList{search, confirm("Velmora Marlets")} << t + "|VMSC:Velmora Marlets";
        QTest::newRow("several") << "asa" << QStringList{"Kestwick", "#2", "Kestwick M"} << QStringList{search, pick, confirm("Kestwick Masters")} << t + "|KESM:Kestwick M";
        QTest::newRow("none chosen") << "asa" << QStringList{"kestwick", "#0"} << QStringList{search, pick, "message: No club selected"} << t;
        QTest::newRow("not found") << "asa" << QStringList{"Zebra"} << QStringList{search, "message: Club not found"} << t;
        QTest::newRow("then the add rule") << "asa" << QStringList{"Yarrow", "Delta"} << QStringList{search, confirm("Yarrowdale Herons"), exists + "DDD"} << t;
        QTest::newRow("renamed") << "rename" << QStringList{" Delta Dolphins "} << QStringList{renameD} << "BBB:Bravo|DDD:Delta Dolphins|FFF:Foxtrot";
        QTest::newRow("rename cancelled") << "rename" << QStringList{""} << QStringList{renameD} << t;
        // clang-format on
    }

    void commands()
    {
        QFETCH(QString, command);
        QFETCH(QStringList, answers);
        QFETCH(QStringList, shown);
        QFETCH(QString, after);

        Fixture f("BBB:Bravo|DDD:Delta|FFF:Foxtrot");
        f.session.Gala.ClubCount = QByteArray(QTest::currentDataTag()).startsWith("full") ? 3 : 9;
        for (const QString &answer : answers)
            answer.isEmpty()          ? f.prompts.CancelInput()
            : answer.startsWith(u'#') ? f.prompts.Pick(answer.mid(1).toInt())
                                      : f.prompts.Type(answer);
        f.form.RenameClub(3); // no such line: nothing asked
        if (command == u"hand")
            f.form.AddClubByHand();
        else if (command == u"asa")
            f.form.AddFromClubCodeFile();
        else
            f.form.RenameClub(1);
        QCOMPARE(f.prompts.Shown, shown);
        if (shown.contains(u"pick: Select club"))
            QCOMPARE(f.prompts.PickLists.value(0),
                     (QStringList{"Kestwick Amateur SC", "Kestwick Masters SC"}));
        QCOMPARE(f.List(), after);
    }

    // Without the club code file beside the program the user is asked for one, and choosing none
    // ends the command. The rows are read once and kept after the file is gone.
    void codeFileMissing()
    {
        Fixture f("BBB:Bravo");
        const QString elsewhere = f.dir.FilePath("codes.csv");
        QVERIFY(QFile::rename(f.dir.FilePath(ClubCodeFileName), elsewhere));
        f.prompts.Browse(QString()).Browse(elsewhere).Type("Upton").Type("Upton Lea");
        f.form.AddFromClubCodeFile();
        f.form.AddFromClubCodeFile();
        QVERIFY(QFile::remove(elsewhere));
        f.prompts.Type("Yarrow").Type("Yarrowdale Herons");
        f.form.AddFromClubCodeFile();
        const QString browse = "browse: Locate ASA club code file";
        QCOMPARE(f.prompts.Shown.mid(0, 3),
                 (QStringList{browse, "message: No Input File Specified", browse}));
        QCOMPARE(f.prompts.Shown.size(), 7);
        QCOMPARE(f.List(), "BBB:Bravo|UPTL:Upton Lea|YARR:Yarrowdale Herons");
        QCOMPARE(f.codes.Rows().size(), 5); // the blank line is not a row
    }
};

QTEST_GUILESS_MAIN(TestClubTable)
#include "tst_clubtable.moc"
