#include <QFont>
#include <QFontDatabase>
#include <QFontInfo>
#include <QTest>

#include "core/galastate.h"
#include "core/settings.h"
#include "core/startup.h"
#include "support/scriptedprompts.h"
#include "support/testfiles.h"

class TestStartUp : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase()
    {
        Core::InstallFontSubstitutions();
        Core::InstallFontSubstitutions(); // twice must not matter
    }

    void meetDatabaseSearch_data()
    {
        QTest::addColumn<bool>("natamarBeside");
        QTest::addColumn<QByteArray>("pbsystem"); // none when empty
        QTest::addColumn<QString>("expected");    // "<beside>" for natamar.mdb in the folder
        QTest::newRow("neither file") << false << QByteArray() << QString();
        QTest::newRow("natamar.mdb beside") << true << QByteArray() << "<beside>";
        // The named file need not exist: the load reports it when it is chosen.
        QTest::newRow("natamardb line stops the search")
            << true << QByteArray("natamardb=/club/meets2026.mdb\r\nEnd=End\r\n")
            << "/club/meets2026.mdb";
    }
    void meetDatabaseSearch()
    {
        QFETCH(bool, natamarBeside);
        QFETCH(QByteArray, pbsystem);
        QFETCH(QString, expected);
        TestDir dir;
        if (natamarBeside)
            dir.Write("natamar.mdb", "SQLite format 3");
        if (!pbsystem.isEmpty())
            dir.Write("pbsystem.ini", pbsystem);
        expected.replace("<beside>", dir.FilePath("natamar.mdb"));
        Core::SystemSettings settings;
        Core::GalaState gala;
        ScriptedPrompts prompts;
        Core::StartUp(dir.Path(), settings, gala, prompts);
        QCOMPARE(gala.ProgramMode, QStringLiteral("Entries"));
        QCOMPARE(settings.NatamarDbFiles,
                 expected.isEmpty() ? QStringList{} : QStringList{expected});
        QCOMPARE(settings.NatamarDb, expected);
        QVERIFY(!gala.MeetDbOpen && !gala.UseMeetDb);
        if (pbsystem.isEmpty()) // a short pbsystem.ini brings the ASA table warnings
            QCOMPARE(prompts.Messages, QStringList());
    }

    // The print families resolve to installed families of the same metrics.
    void printFamiliesResolve()
    {
        const QList<std::pair<QString, QString>> families{
            {"Arial", "Liberation Sans"},
            {"Times New Roman", "Liberation Serif"},
            {"Courier New", "Liberation Mono"},
            {"Arial Narrow", "Liberation Sans Narrow"}};
        for (const auto &[requested, resolved] : families)
            QCOMPARE(QFontInfo(QFont(requested, 10)).family(), resolved);
        // The script face has no twin: any installed family will do.
        QVERIFY(QFontDatabase::families().contains(QFontInfo(QFont("Don Casual", 10)).family()));
    }
};

QTEST_MAIN(TestStartUp)
#include "tst_startup.moc"
