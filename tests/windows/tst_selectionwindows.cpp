#include <QComboBox>
#include <QLabel>
#include <QListWidget>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>

#include "entries/clubtable.h"
#include "meetdb/selection.h"
#include "meetdb/session.h"
#include "support/scriptedprompts.h"
#include "support/testfiles.h"
#include "windows/clublistamend.h"
#include "windows/entrystats.h"
#include "windows/filedialogue.h"
#include "windows/intselect.h"
#include "windows/list_select.h"
#include "windows/nt_select.h"
#include "windows/yesno.h"

namespace {

// Qt reports a double-click only after a first click.
void DoubleClick(QListWidget *list, int row)
{
    const QPoint at = list->visualItemRect(list->item(row)).center();
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, at);
    QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, at);
}

} // namespace

// Smoke tests of the small dialogs. Most are opened with open(), which returns at once, so a
// test can click in them and read the result without a nested event loop.
class TestSelectionWindows : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    // Known Natamar Database is offered only when a database is listed.
    void intSelect()
    {
        for (const int listed : {0, 1}) {
            MeetDb::Session session;
            session.Settings.NatamarDbFiles = QStringList(listed, "/db/natamar.mdb");
            ScriptedPrompts prompts;
            MeetDb::IntSelectForm form(session, prompts);
            Windows::IntSelect dialog(form);
            dialog.open();
            QCOMPARE(dialog.KnownDatabaseButton()->isVisible(), listed > 0);
            QVERIFY(!dialog.GalaListButton()->isVisible() && !dialog.DbList()->isVisible());
            QTest::mouseClick(listed ? dialog.KnownDatabaseButton() : dialog.MoreOptionsButton(),
                              Qt::LeftButton);
            // Chosen, the database closes the dialog; More Options shows the rest.
            QCOMPARE(session.Gala.UseMeetDb, listed > 0);
            QCOMPARE(dialog.InternalGalaButton()->isVisible(), listed == 0);
        }
    }

    void ntSelectDoubleClickChooses()
    {
        MeetDb::Session session;
        session.Settings.NatamarDbFiles = {"/db/a.mdb", "/db/b.mdb"};
        MeetDb::NtSelectForm form(session);
        Windows::NT_Select dialog(form);
        dialog.open();
        QVERIFY(QTest::qWaitForWindowExposed(&dialog));
        DoubleClick(dialog.findChild<QListWidget *>("NT_List"), 1);
        QVERIFY(session.Settings.NatamarDb == "/db/b.mdb" && !dialog.isVisible());
        // Opened again, Enter keeps the database in use, not the first of the list.
        Windows::NT_Select again(form);
        again.open();
        QTest::keyClick(again.NtList(), Qt::Key_Return);
        QVERIFY(session.Settings.NatamarDb == "/db/b.mdb" && !again.isVisible());
    }

    void listSelectChooseAndCancel()
    {
        for (const bool cancel : {false, true}) {
            MeetDb::ListSelectForm form(cancel ? QString() : "Select Competition", {"B", "x"});
            Windows::List_Select dialog(form);
            dialog.open();
            QCOMPARE(dialog.windowTitle(), cancel ? "Select from List" : "Select Competition");
            if (cancel)
                QTest::mouseClick(dialog.findChild<QPushButton *>("Command1"), Qt::LeftButton);
            else
                QTest::keyClick(dialog.findChild<QListWidget *>("List_Select_Box"), Qt::Key_Return);
            QVERIFY(form.Closed() && !dialog.isVisible());
            QCOMPARE(form.ListSelectChoice(), cancel ? 0 : 1);
        }
    }

    // Return takes the default answer: "No" for a question that would lose work.
    void yesNo()
    {
        const QString question = "Confirm delete entries for entrant 3 Bob Ray";
        for (const QString how : {"Yes", "No", "Return", "Return, default No"}) {
            Windows::YesNo dialog(question, nullptr, how.endsWith("default No"));
            dialog.open();
            QCOMPARE(dialog.findChild<QLabel *>("Question")->text(), question);
            if (how.startsWith("Return"))
                QTest::keyClick(&dialog, Qt::Key_Return);
            else
                QTest::mouseClick(how == "Yes" ? dialog.YesButton() : dialog.NoButton(),
                                  Qt::LeftButton);
            QVERIFY(!dialog.isVisible());
            QCOMPARE(dialog.YesNoAnswer(), how == "Yes" || how == "Return");
        }
    }

    void fileDialogue()
    {
        Windows::FileDialogue dialog;
        dialog.open();
        // Nothing is chosen for the user: Continue waits for an option.
        QVERIFY(!dialog.ContinueButton()->isEnabled());
        QTest::mouseClick(dialog.AppendButton(), Qt::LeftButton);
        QTest::mouseClick(dialog.ContinueButton(), Qt::LeftButton);
        QVERIFY(!dialog.isVisible() && dialog.Answer().Ok);
        QCOMPARE(dialog.Answer().Option, Core::ExistingFileOption::Append);
        dialog.open();
        QTest::mouseClick(dialog.CancelButton(), Qt::LeftButton);
        QVERIFY(!dialog.Answer().Ok);
    }

    // Add by hand, add from the club code file, rename by double-click, leave: every way of
    // leaving keeps the table in the gala parameter file.
    void clubListAmend()
    {
        for (const bool exitButton : {true, false}) {
            TestDir dir;
            dir.Write(Entries::ClubCodeFileName,
                      "Upton Lea Swimming Club,UPTL,North Region,UP01,Active\n");
            MeetDb::Session session;
            session.ProgramDir = dir.Path();
            session.Gala.GalaParamFile = dir.Write("internal.ini", "club=MMM Mike\r\nEnd=End\r\n");
            session.Gala.Clubs << Core::GalaClub{"MMM", "Mike"};
            Entries::ClubCodeFile codes;
            ScriptedPrompts prompts;
            Entries::ClubTableForm form(session, codes, prompts);
            Windows::ClubListAmend window(form);
            window.show();
            QVERIFY(QTest::qWaitForWindowExposed(&window));
            QListWidget *list = window.findChild<QListWidget *>("ClubNameList");
            const auto lines = [list] {
                QStringList lines;
                for (int i = 0; i < list->count(); ++i)
                    lines << list->item(i)->text();
                return lines.join(u'|') + u'@' + QString::number(list->currentRow());
            };
            prompts.Type("AAA").Type("Alpha");
            QTest::mouseClick(window.findChild<QPushButton *>("AddClubButton"), Qt::LeftButton);
            QCOMPARE(lines(), "AAA:Alpha|MMM:Mike@0");
            prompts.Type("Upton").Type("Upton Lea");
            QTest::mouseClick(window.findChild<QPushButton *>("asa_club"), Qt::LeftButton);
            QCOMPARE(lines(), "AAA:Alpha|MMM:Mike|UPTL:Upton Lea@2");
            prompts.Type("Mike Marlins");
            DoubleClick(list, 1);
            QCOMPARE(lines(), "AAA:Alpha|MMM:Mike Marlins|UPTL:Upton Lea@1");

            if (exitButton)
                QTest::mouseClick(window.findChild<QPushButton *>("ExitButton"), Qt::LeftButton);
            else
                QTest::keyClick(&window, Qt::Key_Escape);
            QVERIFY(!window.isVisible() && prompts.Messages.isEmpty());
            QCOMPARE(
                TestDir::Read(session.Gala.GalaParamFile),
                "club=AAA Alpha\r\nclub=MMM Mike Marlins\r\nclub=UPTL Upton Lea\r\nEnd=End\r\n");
        }
    }

    // 23 events: the first page fills all 22 rows, "More" shows event 23 alone. The paging
    // itself is the pager's; this checks the rows follow it.
    void entryStats()
    {
        QList<Reports::EventStatistic> events;
        for (int i = 1; i <= 23; ++i)
            events.append({QString::number(100 + i), 2, i == 1 ? 2 : 0,
                           i == 1 ? QStringList() : QStringList{"Ann Lee", "Sam Grey"}});
        Windows::EntryStats window(events);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        const auto row = [&window](int i) {
            QComboBox *list = window.UnconfirmedList(i);
            return QStringList{window.EventLabel(i)->text(),
                               window.CountLabel(i)->text(),
                               QString::number(window.Gauge(i)->value()),
                               QString::number(list->count()),
                               list->itemText(1),
                               list->placeholderText()}
                .join(u'|');
        };
        QCOMPARE(row(0), QStringLiteral("101|2|100|0||All here"));
        QVERIFY(window.MoreButton()->isVisible() && window.EventLabel(21)->isVisible());
        QCOMPARE(window.EventLabel(21)->text(), QStringLiteral("122"));
        QTest::mouseClick(window.MoreButton(), Qt::LeftButton);
        QCOMPARE(row(0), QStringLiteral("123|2|0|2|Sam Grey|Unconfirmed ..."));
        for (int i = 1; i < Reports::StatisticsRows; ++i)
            QVERIFY(!window.EventLabel(i)->isVisible() && !window.Gauge(i)->isVisible() &&
                    !window.UnconfirmedList(i)->isVisible());
        QTest::mouseClick(window.CloseButton(), Qt::LeftButton);
        QVERIFY(!window.isVisible());
    }
};

QTEST_MAIN(TestSelectionWindows)
#include "tst_selectionwindows.moc"
