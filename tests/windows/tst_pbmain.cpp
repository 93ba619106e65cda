#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>

#include "meetdb/session.h"
#include "support/scriptedprompts.h"
#include "windows/pbmain.h"

using Windows::PbMain;

class TestPbMain : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void opensWithNoCompetition();
    void refreshFollowsTheMeetDatabase();
    void commandsWithoutHandlerSayNotAvailable();
    void selectCompetitionRunsTheLoadAndRefreshes();
    void statusBoxShowsProgress();
};

void TestPbMain::opensWithNoCompetition()
{
    MeetDb::Session session;
    ScriptedPrompts prompts;
    PbMain window(session, prompts);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));

    QCOMPARE(window.objectName(), QStringLiteral("PbMain"));
    QCOMPARE(window.windowTitle(), QStringLiteral("Open Meet Entries Module"));
    QCOMPARE(window.findChild<QLabel *>("NTSelectedDb")->text(), QStringLiteral("None"));
    QCOMPARE(window.findChild<QLabel *>("NTSelectedMeet")->text(), QStringLiteral("None"));
    for (const char *name : {"AddEntry", "ModifyEntries", "ClubName"})
        QVERIFY2(!window.findChild<QPushButton *>(name)->isVisible(), name);
    for (const char *name : {"SelectMeet", "PrintList", "ExitButton"})
        QVERIFY2(window.findChild<QPushButton *>(name)->isVisible(), name);

    // Every command can be reached from the keyboard, each by its own letter.
    QSet<QChar> mnemonics;
    for (QPushButton *button : window.findChildren<QPushButton *>()) {
        const qsizetype at = button->text().indexOf(QLatin1Char('&'));
        QVERIFY2(at >= 0, qPrintable(button->text()));
        mnemonics.insert(button->text().at(at + 1).toLower());
    }
    QCOMPARE(mnemonics.size(), window.findChildren<QPushButton *>().size());
    QVERIFY(window.findChild<QPlainTextEdit *>("Status")->isReadOnly());

    QTest::mouseClick(window.ExitButton(), Qt::LeftButton);
    QVERIFY(!window.isVisible());
    QCOMPARE(prompts.Messages, QStringList());
}

void TestPbMain::refreshFollowsTheMeetDatabase()
{
    MeetDb::Session session;
    ScriptedPrompts prompts;
    PbMain window(session, prompts);
    window.show();

    session.Gala.MeetDbOpen = true;
    session.Gala.MeetDbPath = QStringLiteral("/club/natamar.mdb");
    session.Gala.GalaName = QStringLiteral("Spring Open 2026");
    window.RefreshFromSession();
    QCOMPARE(window.SelectedDbLabel()->text(), QStringLiteral("/club/natamar.mdb"));
    QCOMPARE(window.SelectedMeetLabel()->text(), QStringLiteral("Spring Open 2026"));
    QCOMPARE(window.windowTitle(), QStringLiteral("Spring Open 2026"));
    QVERIFY(window.AddEntryButton()->isVisible() && window.ModifyEntriesButton()->isVisible() &&
            window.ClubNameButton()->isVisible());

    // A later load that ended early (or came from a gala file) leaves the database closed.
    session.Gala.MeetDbOpen = false;
    window.RefreshFromSession();
    QCOMPARE(window.SelectedDbLabel()->text(), QStringLiteral("None"));
    QCOMPARE(window.SelectedMeetLabel()->text(), QStringLiteral("None"));
    QVERIFY(!window.AddEntryButton()->isVisible() && !window.ModifyEntriesButton()->isVisible() &&
            !window.ClubNameButton()->isVisible());
}

void TestPbMain::commandsWithoutHandlerSayNotAvailable()
{
    MeetDb::Session session;
    session.Gala.MeetDbOpen = true;
    ScriptedPrompts prompts;
    PbMain window(session, prompts);
    window.show();
    for (QPushButton *button :
         {window.SelectMeetButton(), window.AddEntryButton(), window.ModifyEntriesButton(),
          window.ClubNameButton(), window.PrintListButton()})
        QTest::mouseClick(button, Qt::LeftButton);
    QCOMPARE(
        prompts.Messages,
        QStringList({"Select Competition is not available yet", "Add Entry is not available yet",
                     "Modify Entries is not available yet", "Add Club Name is not available yet",
                     "Print Entrants List is not available yet"}));
}

void TestPbMain::selectCompetitionRunsTheLoadAndRefreshes()
{
    MeetDb::Session session;
    ScriptedPrompts prompts;
    PbMain window(session, prompts);
    window.show();

    int loads = 0;
    window.SetSelectCompetitionHandler([&] {
        ++loads;
        session.Gala.MeetDbOpen = true;
        session.Gala.MeetDbPath = QStringLiteral("/club/natamar.mdb");
        session.Gala.GalaName = QStringLiteral("Winter Masters");
        return true;
    });
    int entries = 0;
    window.SetAddEntryHandler([&] { ++entries; });

    QTest::mouseClick(window.SelectMeetButton(), Qt::LeftButton);
    QCOMPARE(loads, 1);
    QCOMPARE(window.SelectedMeetLabel()->text(), QStringLiteral("Winter Masters"));
    QCOMPARE(window.windowTitle(), QStringLiteral("Winter Masters"));
    QVERIFY(window.AddEntryButton()->isVisible());
    QTest::mouseClick(window.AddEntryButton(), Qt::LeftButton);
    QCOMPARE(entries, 1);
    QCOMPARE(prompts.Messages, QStringList());
}

void TestPbMain::statusBoxShowsProgress()
{
    MeetDb::Session session;
    ScriptedPrompts prompts;
    PbMain window(session, prompts);
    window.ShowStatus(QStringLiteral("Reading members"));
    window.ShowStatus(QStringLiteral("Sorting 120 names"));
    QCOMPARE(window.StatusBox()->toPlainText(), QStringLiteral("Sorting 120 names"));
}

QTEST_MAIN(TestPbMain)
#include "tst_pbmain.moc"
