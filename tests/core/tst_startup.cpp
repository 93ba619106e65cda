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
    void initTestCase();
    void noSystemFileAndNoDefaultDatabase();
    void defaultDatabaseBesideTheProgram();
    void natamardbLineStopsTheSearch();
    void printFontNames();
    void printFamiliesResolveToMetricTwins_data();
    void printFamiliesResolveToMetricTwins();
};

void TestStartUp::initTestCase()
{
    Core::InstallFontSubstitutions();
    Core::InstallFontSubstitutions(); // twice must not matter
}

void TestStartUp::noSystemFileAndNoDefaultDatabase()
{
    TestDir dir;
    Core::SystemSettings settings;
    Core::GalaState gala;
    ScriptedPrompts prompts;
    Core::StartUp(dir.Path(), settings, gala, prompts);
    QCOMPARE(gala.ProgramMode, QStringLiteral("Entries"));
    QCOMPARE(settings.NatamarDbCount(), 0);
    QCOMPARE(settings.NatamarDb, QString());
    QVERIFY(!gala.MeetDbOpen);
    QVERIFY(!gala.UseMeetDb);
    QCOMPARE(prompts.Messages, QStringList());
}

void TestStartUp::defaultDatabaseBesideTheProgram()
{
    TestDir dir;
    const QString db = dir.Write(QStringLiteral("natamar.mdb"), "SQLite format 3");
    Core::SystemSettings settings;
    Core::GalaState gala;
    ScriptedPrompts prompts;
    Core::StartUp(dir.Path(), settings, gala, prompts);
    QCOMPARE(settings.NatamarDbFiles, QStringList{db});
    QCOMPARE(settings.NatamarDb, db);
}

void TestStartUp::natamardbLineStopsTheSearch()
{
    TestDir dir;
    dir.Write(QStringLiteral("natamar.mdb"), "SQLite format 3");
    // The named file need not exist: the load reports it when it is chosen.
    dir.Write(QStringLiteral("pbsystem.ini"), "natamardb=/club/meets2026.mdb\r\nEnd=End\r\n");
    Core::SystemSettings settings;
    Core::GalaState gala;
    ScriptedPrompts prompts;
    Core::StartUp(dir.Path(), settings, gala, prompts);
    QCOMPARE(settings.NatamarDbFiles, QStringList{"/club/meets2026.mdb"});
    QCOMPARE(settings.NatamarDb, QStringLiteral("/club/meets2026.mdb"));
}

void TestStartUp::printFontNames()
{
    TestDir dir;
    Core::SystemSettings settings;
    Core::GalaState gala;
    ScriptedPrompts prompts;
    Core::StartUp(dir.Path(), settings, gala, prompts);
    QCOMPARE(settings.FontSans, QStringLiteral("Arial"));
    QCOMPARE(settings.FontSerif, QStringLiteral("Times New Roman"));
    QCOMPARE(settings.FontFixed, QStringLiteral("Courier New"));
    QCOMPARE(settings.FontScript, QStringLiteral("Don Casual"));
}

void TestStartUp::printFamiliesResolveToMetricTwins_data()
{
    QTest::addColumn<QString>("requested");
    QTest::addColumn<QString>("resolved"); // "" when any installed family will do
    QTest::newRow("sans") << "Arial"
                          << "Liberation Sans";
    QTest::newRow("serif") << "Times New Roman"
                           << "Liberation Serif";
    QTest::newRow("fixed") << "Courier New"
                           << "Liberation Mono";
    QTest::newRow("narrow") << "Arial Narrow"
                            << "Liberation Sans Narrow";
    QTest::newRow("script") << "Don Casual"
                            << "";
}

void TestStartUp::printFamiliesResolveToMetricTwins()
{
    QFETCH(QString, requested);
    QFETCH(QString, resolved);
    const QString family = QFontInfo(QFont(requested, 10)).family();
    if (resolved.isEmpty())
        QVERIFY2(QFontDatabase::families().contains(family), qPrintable(family));
    else
        QCOMPARE(family, resolved);
}

QTEST_MAIN(TestStartUp)
#include "tst_startup.moc"
