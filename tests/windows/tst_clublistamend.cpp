#include <QListWidget>
#include <QPushButton>
#include <QTest>

#include "entries/clubtable.h"
#include "meetdb/session.h"
#include "support/scriptedprompts.h"
#include "support/testfiles.h"
#include "windows/clublistamend.h"

class TestClubListAmend : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void commands_data()
    {
        QTest::addColumn<bool>("exitButton"); // false: closed with Escape
        QTest::newRow("Exit") << true;
        QTest::newRow("Escape") << false;
    }
    void commands();
};

// Add by hand, add from the club code file, rename by double-click, leave: every way of leaving
// keeps the table in the gala parameter file.
void TestClubListAmend::commands()
{
    QFETCH(bool, exitButton);

    TestDir dir;
    dir.Write(Entries::ClubCodeFileName, "Upton Lea Swimming Club,UPTL,North Region,UP01,Active\n");
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
    const QListWidget *list = window.findChild<QListWidget *>("ClubNameList");
    const auto lines = [list] {
        QStringList lines;
        for (int i = 0; i < list->count(); ++i)
            lines << list->item(i)->text();
        return lines.join(u'|');
    };
    QCOMPARE(lines(), "MMM:Mike");

    prompts.Type("AAA").Type("Alpha");
    QTest::mouseClick(window.findChild<QPushButton *>("AddClubButton"), Qt::LeftButton);
    QCOMPARE(lines(), "AAA:Alpha|MMM:Mike");
    QCOMPARE(list->currentRow(), 0);

    prompts.Type("Upton").Type("Upton Lea");
    QTest::mouseClick(window.findChild<QPushButton *>("asa_club"), Qt::LeftButton);
    QCOMPARE(lines(), "AAA:Alpha|MMM:Mike|UPTL:Upton Lea");
    QCOMPARE(list->currentRow(), 2);

    // Qt reports a double-click only after a first click.
    prompts.Type("Mike Marlins");
    const QPoint mike = list->visualItemRect(list->item(1)).center();
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, mike);
    QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, mike);
    QCOMPARE(lines(), "AAA:Alpha|MMM:Mike Marlins|UPTL:Upton Lea");

    if (exitButton)
        QTest::mouseClick(window.findChild<QPushButton *>("ExitButton"), Qt::LeftButton);
    else
        QTest::keyClick(&window, Qt::Key_Escape);
    QVERIFY(!window.isVisible());
    QCOMPARE(TestDir::Read(session.Gala.GalaParamFile),
             "club=AAA Alpha\r\nclub=MMM Mike Marlins\r\nclub=UPTL Upton Lea\r\nEnd=End\r\n");
    QVERIFY(prompts.Messages.isEmpty());
}

QTEST_MAIN(TestClubListAmend)
#include "tst_clublistamend.moc"
