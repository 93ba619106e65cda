#include <QTest>

#include "meetdb/selection.h"
#include "meetdb/session.h"
#include "support/scriptedprompts.h"
#include "support/testfiles.h"

using MeetDb::IntSelectForm;
using MeetDb::ListSelectForm;
using MeetDb::NtSelectForm;
using MeetDb::Session;

class TestSelection : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void knownDatabase();
    void unknownDatabase_data();
    void unknownDatabase();
    void chooseGala_data();
    void chooseGala();
    void latestInternalGala();
    void ntSelectChoosesALine_data();
    void ntSelectChoosesALine();
    void listSelect();
};

namespace {
void ListDatabases(Session &session, int count)
{
    for (int i = 1; i <= count; ++i)
        session.Settings.NatamarDbFiles.append(QStringLiteral("/db/meet%1.mdb").arg(i));
}
} // namespace

void TestSelection::knownDatabase()
{
    Session session;
    ScriptedPrompts prompts;
    QVERIFY(!IntSelectForm(session, prompts).KnownDatabaseShown());
    ListDatabases(session, 1);
    session.Gala.GalaParamFile = QStringLiteral("/old/gala.ini");
    IntSelectForm form(session, prompts);
    QVERIFY(form.KnownDatabaseShown());
    QVERIFY(!form.GalaListButtonShown() && !form.InternalGalaShown() && !form.DbListShown());
    form.KnownDatabase();
    QVERIFY(form.Closed());
    QVERIFY(session.Gala.UseMeetDb);
    QCOMPARE(session.Gala.GalaParamFile, QStringLiteral("/old/gala.ini"));
}

void TestSelection::unknownDatabase_data()
{
    QTest::addColumn<int>("listedBefore");
    QTest::addColumn<QString>("chosen"); // "<existing>" is a file that is made for the test
    QTest::addColumn<bool>("closed");
    QTest::addColumn<bool>("listed");
    QTest::addColumn<QStringList>("messages");

    QTest::newRow("existing file") << 0 << "<existing>" << true << true << QStringList{};
    QTest::newRow("nothing chosen")
        << 0 << "" << false << false << QStringList{"No Output File Specified"};
    QTest::newRow("file that does not exist")
        << 0 << "/nowhere/missing.mdb" << true << false << QStringList{};
    QTest::newRow("101st file") << 100 << "<existing>" << true << false
                                << QStringList{"Too Many Natamar Files"};
}

void TestSelection::unknownDatabase()
{
    QFETCH(int, listedBefore);
    QFETCH(QString, chosen);
    QFETCH(bool, closed);
    QFETCH(bool, listed);
    QFETCH(QStringList, messages);

    TestDir dir;
    if (chosen == QLatin1String("<existing>"))
        chosen = dir.Write(QStringLiteral("import.mdb"), "SQLite format 3");

    Session session;
    session.ProgramDir = dir.Path();
    ListDatabases(session, listedBefore);
    session.Settings.NatamarDb = QStringLiteral("/db/meet1.mdb");
    ScriptedPrompts prompts;
    prompts.Browse(chosen);
    IntSelectForm form(session, prompts);
    form.UnknownDatabase();

    QCOMPARE(prompts.Messages, messages);
    QCOMPARE(form.Closed(), closed);
    QCOMPARE(session.Gala.UseMeetDb, closed);
    // A chosen path is used for this load even when it could not be listed or does not exist.
    QCOMPARE(session.Settings.NatamarDb, closed ? chosen : QStringLiteral("/db/meet1.mdb"));
    QCOMPARE(session.Settings.NatamarDbCount(), listedBefore + (listed ? 1 : 0));
    QCOMPARE(session.Settings.NatamarDbFiles.contains(chosen), listed);
}

void TestSelection::chooseGala_data()
{
    QTest::addColumn<int>("line");
    QTest::addColumn<QString>("galaParamFile"); // "" when the choice is ignored
    QTest::newRow("first line") << 1 << "/galas/spring.ini";
    QTest::newRow("no line") << 0 << "";
    QTest::newRow("past the end") << 3 << "";
}

void TestSelection::chooseGala()
{
    QFETCH(int, line);
    QFETCH(QString, galaParamFile);
    Session session;
    session.Settings.GalaFileNames = {"Spring Gala", "Club Champs"};
    session.Settings.GalaFilePaths = {"/galas/spring.ini", "/galas/champs.ini"};
    ScriptedPrompts prompts;
    IntSelectForm form(session, prompts);
    form.MoreOptions();
    QVERIFY(form.GalaListButtonShown() && form.InternalGalaShown() && !form.DbListShown());
    form.ListOfGalas();
    QVERIFY(form.DbListShown() && !form.Closed());
    QCOMPARE(form.DbList(), QStringList({"Spring Gala", "Club Champs"}));
    form.ChooseGala(line);
    QCOMPARE(form.Closed(), !galaParamFile.isEmpty());
    QCOMPARE(session.Gala.GalaParamFile, galaParamFile);
    QVERIFY(!session.Gala.UseMeetDb);
}

void TestSelection::latestInternalGala()
{
    Session session;
    session.ProgramDir = QStringLiteral("/opt/openmeet");
    ScriptedPrompts prompts;
    IntSelectForm form(session, prompts);
    form.MoreOptions();
    form.LatestInternalGala();
    QVERIFY(form.Closed());
    QCOMPARE(session.Gala.GalaParamFile, QStringLiteral("/opt/openmeet/internal.ini"));
    QVERIFY(!session.Gala.UseMeetDb);
}

void TestSelection::ntSelectChoosesALine_data()
{
    QTest::addColumn<int>("line");
    QTest::addColumn<QString>("natamarDb");
    QTest::addColumn<bool>("closed");
    QTest::newRow("first") << 1 << "/db/meet1.mdb" << true;
    QTest::newRow("third") << 3 << "/db/meet3.mdb" << true;
    QTest::newRow("past the end") << 4 << "/db/old.mdb" << false;
}

void TestSelection::ntSelectChoosesALine()
{
    QFETCH(int, line);
    QFETCH(QString, natamarDb);
    QFETCH(bool, closed);
    Session session;
    ListDatabases(session, 3);
    session.Settings.NatamarDb = QStringLiteral("/db/old.mdb");
    NtSelectForm form(session);
    QCOMPARE(form.NtList(), session.Settings.NatamarDbFiles);
    form.Choose(line);
    QCOMPARE(session.Settings.NatamarDb, natamarDb);
    QCOMPARE(form.Closed(), closed);
}

void TestSelection::listSelect()
{
    QCOMPARE(ListSelectForm(QString(), {"a"}).Caption(), QStringLiteral("Select from List"));
    ListSelectForm chosen(QStringLiteral("Select Competition"), {"03Jun2026: B", "01Jun2026: A"});
    QCOMPARE(chosen.Caption(), QStringLiteral("Select Competition"));
    chosen.Choose(5);
    QVERIFY(!chosen.Closed());
    chosen.Choose(2);
    QVERIFY(chosen.Closed());
    QCOMPARE(chosen.ListSelectChoice(), 2);
    ListSelectForm cancelled(QStringLiteral("Select Competition"), {"x", "y"});
    cancelled.Cancel();
    QVERIFY(cancelled.Closed());
    QCOMPARE(cancelled.ListSelectChoice(), 0);
}

QTEST_GUILESS_MAIN(TestSelection)
#include "tst_selection.moc"
