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

    static void OpenMeet(MeetDb::Session &session, const QString &name)
    {
        session.Gala.MeetDbOpen = true;
        session.Gala.MeetDbPath = QStringLiteral("/club/natamar.mdb");
        session.Gala.GalaName = name;
    }

private Q_SLOTS:
    void opensWithNoCompetition()
    {
        MeetDb::Session session;
        ScriptedPrompts prompts;
        PbMain window(session, prompts);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        QCOMPARE(window.objectName() + '|' + window.windowTitle(),
                 QStringLiteral("PbMain|Open Meet Entries Module"));
        QCOMPARE(window.SelectedDbLabel()->text() + window.SelectedMeetLabel()->text(),
                 QStringLiteral("NoneNone"));
        for (const char *name : {"AddEntry", "ModifyEntries", "ClubName"})
            QVERIFY2(!window.findChild<QPushButton *>(name)->isVisible(), name);
        for (const char *name : {"SelectMeet", "PrintList", "ExitButton"})
            QVERIFY2(window.findChild<QPushButton *>(name)->isVisible(), name);

        // Every command can be reached from the keyboard, each by its own letter.
        QSet<QString> mnemonics;
        const auto buttons = window.findChildren<QPushButton *>();
        for (QPushButton *button : buttons)
            mnemonics.insert(button->text().section('&', 1).left(1).toLower());
        QVERIFY(mnemonics.size() == buttons.size() && !mnemonics.contains(QString()));

        // The status box shows the latest progress line only.
        window.ShowStatus(QStringLiteral("Reading members"));
        window.ShowStatus(QStringLiteral("Sorting 120 names"));
        QVERIFY(window.StatusBox()->isReadOnly() &&
                window.StatusBox()->toPlainText() == QStringLiteral("Sorting 120 names"));

        QTest::mouseClick(window.ExitButton(), Qt::LeftButton);
        QVERIFY(!window.isVisible() && prompts.Messages.isEmpty());
    }

    void followsTheMeetDatabase()
    {
        MeetDb::Session session;
        ScriptedPrompts prompts;
        PbMain window(session, prompts);
        window.show();
        OpenMeet(session, QStringLiteral("Spring Open 2026"));
        window.RefreshFromSession();
        QCOMPARE(window.SelectedDbLabel()->text() + '|' + window.SelectedMeetLabel()->text() + '|' +
                     window.windowTitle(),
                 QStringLiteral("/club/natamar.mdb|Spring Open 2026|Spring Open 2026"));
        QVERIFY(window.AddEntryButton()->isVisible() && window.ModifyEntriesButton()->isVisible() &&
                window.ClubNameButton()->isVisible());

        // Without a handler each command says so.
        for (QPushButton *button :
             {window.SelectMeetButton(), window.AddEntryButton(), window.ModifyEntriesButton(),
              window.ClubNameButton(), window.PrintListButton()})
            QTest::mouseClick(button, Qt::LeftButton);
        QCOMPARE(prompts.Messages,
                 QStringList(
                     {"Select Competition is not available yet", "Add Entry is not available yet",
                      "Modify Entries is not available yet", "Add Club Name is not available yet",
                      "Print Entrants List is not available yet"}));

        // A later load that ended early (or came from a gala file) leaves the database closed.
        session.Gala.MeetDbOpen = false;
        window.RefreshFromSession();
        QCOMPARE(window.SelectedDbLabel()->text() + window.SelectedMeetLabel()->text(),
                 QStringLiteral("NoneNone"));
        QVERIFY(!window.AddEntryButton()->isVisible() &&
                !window.ModifyEntriesButton()->isVisible() &&
                !window.ClubNameButton()->isVisible());

        // Select Competition runs the load and refreshes the window.
        window.SetSelectCompetitionHandler([&] {
            OpenMeet(session, QStringLiteral("Winter Masters"));
            return true;
        });
        int entries = 0;
        window.SetAddEntryHandler([&] { ++entries; });
        QTest::mouseClick(window.SelectMeetButton(), Qt::LeftButton);
        QCOMPARE(window.SelectedMeetLabel()->text() + '|' + window.windowTitle(),
                 QStringLiteral("Winter Masters|Winter Masters"));
        QTest::mouseClick(window.AddEntryButton(), Qt::LeftButton);
        QCOMPARE(entries, 1);
    }
};

QTEST_MAIN(TestPbMain)
#include "tst_pbmain.moc"
