#include <QCheckBox>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>

#include "core/startup.h"
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
    // Opened with no competition, Print Entrants List runs the selection first and prints
    // only after a load; a command without a handler says so.
    void commands()
    {
        MeetDb::Session session;
        session.Gala.ProgramMode = Core::ProgramModeEntries;
        ScriptedPrompts prompts;
        PbMain window(session, prompts);
        window.show();
        window.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&window));
        QCOMPARE(window.windowTitle(), QStringLiteral("Open Meet Entries Module"));
        // Every command can be reached from the keyboard, each by its own letter.
        QSet<QString> mnemonics;
        const auto buttons = window.findChildren<QPushButton *>();
        for (QPushButton *button : buttons)
            mnemonics.insert(button->text().section('&', 1).left(1).toLower());
        QVERIFY(mnemonics.size() == buttons.size() && !mnemonics.contains(QString()));
        // The status box shows the latest progress line only.
        window.ShowStatus(QStringLiteral("Reading members"));
        window.ShowStatus(QStringLiteral("Sorting 120 names"));
        QCOMPARE(window.StatusBox()->toPlainText(), QStringLiteral("Sorting 120 names"));

        int selections = 0;
        int prints = 0;
        bool loads = false;
        window.SetSelectCompetitionHandler([&] {
            ++selections;
            OpenMeet(session, QStringLiteral("Harbour Open"));
            session.Gala.MeetDbOpen = loads;
            return loads ? MeetDb::LoadOutcome::Loaded : MeetDb::LoadOutcome::Ended;
        });
        window.SetPrintListHandler([&] { ++prints; });
        const auto press = [&] {
            QTest::mouseClick(window.PrintListButton(), Qt::LeftButton);
            return QStringLiteral("%1 %2").arg(selections).arg(prints);
        };
        QCOMPARE(press(), QStringLiteral("1 0"));
        loads = true;
        QCOMPARE(press(), QStringLiteral("2 1"));
        QCOMPARE(window.windowTitle(), QStringLiteral("Harbour Open"));
        QCOMPARE(press(), QStringLiteral("2 2"));

        // The box is clear at start-up, so the entries mode that start-up sets stands; ticking
        // it gives the meet-day mode, which "Modify Entries" then opens in.
        QCheckBox *box = window.MeetDayModeBox();
        QStringList modes;
        window.SetModifyEntriesHandler([&] { modes << session.Gala.ProgramMode; });
        QTest::mouseClick(window.ModifyEntriesButton(), Qt::LeftButton);
        QTest::keyClick(window.ModifyEntriesButton(), Qt::Key_D, Qt::AltModifier);
        QTRY_VERIFY(box->isChecked()); // a mnemonic clicks after a short animation
        // Whatever set the mode in between, the box decides it when the window opens.
        session.Gala.ProgramMode = Core::ProgramModeEntries;
        QTest::mouseClick(window.ModifyEntriesButton(), Qt::LeftButton);
        box->click();
        QTest::mouseClick(window.ModifyEntriesButton(), Qt::LeftButton);
        QCOMPARE(modes, QStringList({"Entries", "Meet Day", "Entries"}));
        // --meet-day starts with the box ticked.
        window.SetMeetDayMode(true);
        QVERIFY(box->isChecked());
        QCOMPARE(session.Gala.ProgramMode, Core::ProgramModeMeetDay);
        QTest::mouseClick(window.AddEntryButton(), Qt::LeftButton);
        QTest::mouseClick(window.ClubNameButton(), Qt::LeftButton);
        QCOMPARE(prompts.Messages, QStringList({"Add Entry is not available yet",
                                                "Add Club Name is not available yet"}));
        QTest::mouseClick(window.ExitButton(), Qt::LeftButton);
        QVERIFY(!window.isVisible());
    }

    void commandsAfterEachLoad_data()
    {
        QTest::addColumn<QString>("loads"); // "db", "file", "failed" or "cancel", in turn
        QTest::addColumn<QString>("shown"); // the commands offered after the last one, labels
        const QString none = "SelectMeet PrintList ExitButton|Current Natamar Database|None|None";
        // clang-format off
        QTest::newRow("gala file, then db")   << "file db"     << "SelectMeet AddEntry ModifyEntries ClubName PrintList ImportEntries ExitButton|Current Natamar Database|/club/natamar.mdb|Spring Open";
        QTest::newRow("db, then gala file")   << "db file"     << "SelectMeet AddEntry ModifyEntries PrintList ExitButton|Current Gala File|/club/internal.ini|Winter Internal";
        QTest::newRow("gala file, then fail") << "file failed" << none;
        QTest::newRow("gala file, then cancel") << "file cancel" << "SelectMeet AddEntry ModifyEntries PrintList ExitButton|Current Gala File|/club/internal.ini|Winter Internal";
        QTest::newRow("nothing, then cancel") << "cancel" << none;
        // clang-format on
    }

    // Each load runs as the competition load leaves the session: a gala file closes the meet
    // database and names the file; a failed load leaves everything reset.
    void commandsAfterEachLoad()
    {
        QFETCH(QString, loads);
        MeetDb::Session session;
        ScriptedPrompts prompts;
        PbMain window(session, prompts);
        window.show();
        QString kind;
        window.SetSelectCompetitionHandler([&] {
            if (kind == "cancel") // the competition load put back what was there
                return MeetDb::LoadOutcome::Cancelled;
            session.Gala = Core::GalaState();
            if (kind == "db")
                OpenMeet(session, QStringLiteral("Spring Open"));
            if (kind == "file") {
                session.Gala.GalaParamFile = QStringLiteral("/club/internal.ini");
                session.Gala.GalaName = QStringLiteral("Winter Internal");
            }
            return kind != "failed" ? MeetDb::LoadOutcome::Loaded : MeetDb::LoadOutcome::Ended;
        });
        for (const QString &load : loads.split(u' ', Qt::SkipEmptyParts)) {
            kind = load;
            QTest::mouseClick(window.SelectMeetButton(), Qt::LeftButton);
        }
        QStringList shown;
        for (QPushButton *button : window.findChildren<QPushButton *>())
            if (button->isVisible())
                shown << button->objectName();
        QTEST(shown.join(' ') + '|' + window.SelectedDbCaption()->text() + '|' +
                  window.SelectedDbLabel()->text() + '|' + window.SelectedMeetLabel()->text(),
              "shown");
        QVERIFY(prompts.Messages.isEmpty());
    }
};

QTEST_MAIN(TestPbMain)
#include "tst_pbmain.moc"
