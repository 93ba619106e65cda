#include <QTest>

#include "meetdb/selection.h"
#include "meetdb/session.h"
#include "support/scriptedprompts.h"
#include "support/testfiles.h"

using MeetDb::IntSelectForm;
using MeetDb::Session;

namespace {
void ListDatabases(Session &session, int count)
{
    for (int i = 1; i <= count; ++i)
        session.Settings.NatamarDbFiles.append(QStringLiteral("/db/meet%1.mdb").arg(i));
}
} // namespace

class TestSelection : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void unknownDatabase_data()
    {
        QTest::addColumn<int>("listedBefore");
        QTest::addColumn<QString>("chosen"); // "<existing>" is a file made for the test
        QTest::addColumn<bool>("closed");
        QTest::addColumn<bool>("listed");
        QTest::addColumn<QStringList>("messages");
        QTest::newRow("existing file") << 0 << "<existing>" << true << true << QStringList{};
        QTest::newRow("nothing chosen")
            << 0 << "" << false << false << QStringList{"No Output File Specified"};
        QTest::newRow("missing file")
            << 0 << "/nowhere/missing.mdb" << true << false << QStringList{};
        QTest::newRow("101st file")
            << 100 << "<existing>" << true << false << QStringList{"Too Many Natamar Files"};
    }
    void unknownDatabase()
    {
        QFETCH(int, listedBefore);
        QFETCH(QString, chosen);
        QFETCH(bool, closed);
        QFETCH(bool, listed);
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
        QTEST(prompts.Messages, "messages");
        QCOMPARE(form.Closed(), closed);
        QCOMPARE(session.Gala.UseMeetDb, closed);
        // A chosen path is used for this load even when it could not be listed or is missing.
        QCOMPARE(session.Settings.NatamarDb, closed ? chosen : QStringLiteral("/db/meet1.mdb"));
        QCOMPARE(session.Settings.NatamarDbCount(), listedBefore + (listed ? 1 : 0));
        QCOMPARE(session.Settings.NatamarDbFiles.contains(chosen), listed);
    }

    // The lists ignore a line number of 0 or past the end; a normal choice is tried by the
    // window tests.
    void chooseFromLists()
    {
        Session session;
        ListDatabases(session, 3);
        session.Settings.NatamarDb = QStringLiteral("/db/old.mdb");
        session.Settings.GalaFileNames = {"Spring Gala", "Club Champs"};
        session.Settings.GalaFilePaths = {"/galas/spring.ini", "/galas/champs.ini"};
        ScriptedPrompts prompts;
        IntSelectForm form(session, prompts);
        form.MoreOptions();
        form.ListOfGalas();
        QVERIFY(form.DbListShown() && form.DbList() == session.Settings.GalaFileNames);
        form.ChooseGala(0);
        form.ChooseGala(3);
        QVERIFY(!form.Closed() && session.Gala.GalaParamFile.isEmpty());
        form.ChooseGala(1);
        QVERIFY(form.Closed() && !session.Gala.UseMeetDb);
        QCOMPARE(session.Gala.GalaParamFile, QStringLiteral("/galas/spring.ini"));

        MeetDb::NtSelectForm databases(session);
        QCOMPARE(databases.CurrentLine(), 0); // not listed
        databases.Choose(4);
        QVERIFY(!databases.Closed() && session.Settings.NatamarDb == "/db/old.mdb");
        databases.Choose(3);
        QCOMPARE(databases.CurrentLine(), 3); // Enter keeps the one in use
        MeetDb::ListSelectForm list(QString(), {"B", "A"});
        list.Choose(3);
        QVERIFY(!list.Closed());
    }
};

QTEST_GUILESS_MAIN(TestSelection)
#include "tst_selection.moc"
