#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>

#include "meetdb/selection.h"
#include "meetdb/session.h"
#include "support/scriptedprompts.h"
#include "windows/filedialogue.h"
#include "windows/intselect.h"
#include "windows/list_select.h"
#include "windows/nt_select.h"
#include "windows/qtprompts.h"
#include "windows/yesno.h"

// The dialogs are opened with open(), which returns at once, so a test can click in them and
// read the result without a nested event loop.
class TestSelectionWindows : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void intSelectOffersKnownDatabaseOnlyWhenListed();
    void intSelectMoreOptionsAndGalaList();
    void ntSelectDoubleClickChooses();
    void listSelectChooseAndCancel();
    void yesNo();
    void fileDialogue();
    void statusGoesToTheSink();
};

void TestSelectionWindows::intSelectOffersKnownDatabaseOnlyWhenListed()
{
    for (const int listed : {0, 1}) {
        MeetDb::Session session;
        session.Settings.NatamarDbFiles = QStringList(listed, "/db/natamar.mdb");
        ScriptedPrompts prompts;
        MeetDb::IntSelectForm form(session, prompts);
        Windows::IntSelect dialog(form);
        dialog.open();
        QCOMPARE(dialog.windowTitle(), QStringLiteral("Select Gala Parameter File"));
        auto *known = dialog.KnownDatabaseButton();
        QCOMPARE(known->isVisible(), listed > 0);
        QVERIFY(dialog.findChild<QPushButton *>("Unknown_NT_DB")->isVisible());
        QVERIFY(!dialog.GalaListButton()->isVisible() && !dialog.DbList()->isVisible());
        QCOMPARE(known->text().remove('&'), QStringLiteral("Known Natamar Database"));
        if (listed > 0) {
            QTest::mouseClick(known, Qt::LeftButton);
            QVERIFY(session.Gala.UseMeetDb);
            QVERIFY(!dialog.isVisible());
        }
    }
}

void TestSelectionWindows::intSelectMoreOptionsAndGalaList()
{
    MeetDb::Session session;
    session.Settings.GalaFileNames = {"Spring Gala", "Club Champs"};
    session.Settings.GalaFilePaths = {"/galas/spring.ini", "/galas/champs.ini"};
    ScriptedPrompts prompts;
    MeetDb::IntSelectForm form(session, prompts);
    Windows::IntSelect dialog(form);
    dialog.open();

    QTest::mouseClick(dialog.MoreOptionsButton(), Qt::LeftButton);
    QVERIFY(dialog.GalaListButton()->isVisible() && dialog.InternalGalaButton()->isVisible());

    QTest::mouseClick(dialog.GalaListButton(), Qt::LeftButton);
    QVERIFY(dialog.DbList()->isVisible());
    QCOMPARE(dialog.DbList()->item(1)->text(), QStringLiteral("Club Champs"));

    dialog.DbList()->setCurrentRow(1);
    QTest::keyClick(dialog.DbList(), Qt::Key_Return);
    QCOMPARE(session.Gala.GalaParamFile, QStringLiteral("/galas/champs.ini"));
    QVERIFY(!dialog.isVisible());
}

void TestSelectionWindows::ntSelectDoubleClickChooses()
{
    MeetDb::Session session;
    session.Settings.NatamarDbFiles = {"/db/a.mdb", "/db/b.mdb"};
    MeetDb::NtSelectForm form(session);
    Windows::NT_Select dialog(form);
    dialog.open();
    QVERIFY(QTest::qWaitForWindowExposed(&dialog));
    QCOMPARE(dialog.windowTitle(), QStringLiteral("Select Natamar Database"));

    QListWidget *list = dialog.findChild<QListWidget *>("NT_List");
    const QPoint at = list->visualItemRect(list->item(1)).center();
    // A real double-click starts with a press on the same line.
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, at);
    QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, at);
    QCOMPARE(session.Settings.NatamarDb, QStringLiteral("/db/b.mdb"));
    QVERIFY(!dialog.isVisible());
}

void TestSelectionWindows::listSelectChooseAndCancel()
{
    MeetDb::ListSelectForm chosen(QStringLiteral("Select Competition"), {"03Jun2026: B", "x"});
    Windows::List_Select chooser(chosen);
    chooser.open();
    QCOMPARE(chooser.windowTitle(), QStringLiteral("Select Competition"));
    QTest::keyClick(chooser.findChild<QListWidget *>("List_Select_Box"), Qt::Key_Return);
    QCOMPARE(chosen.ListSelectChoice(), 1);

    MeetDb::ListSelectForm cancelled(QString(), {"a", "b"});
    Windows::List_Select canceller(cancelled);
    canceller.open();
    QCOMPARE(canceller.windowTitle(), QStringLiteral("Select from List"));
    QTest::mouseClick(canceller.findChild<QPushButton *>("Command1"), Qt::LeftButton);
    QVERIFY(cancelled.Closed() && !canceller.isVisible());
    QCOMPARE(cancelled.ListSelectChoice(), 0);
}

void TestSelectionWindows::yesNo()
{
    for (const bool yes : {true, false}) {
        Windows::YesNo dialog(QStringLiteral("Confirm age: 9"));
        dialog.open();
        QCOMPARE(dialog.objectName(), QStringLiteral("YesNo"));
        QCOMPARE(dialog.findChild<QLabel *>("Question")->text(), QStringLiteral("Confirm age: 9"));
        QCOMPARE(dialog.YesButton()->text().remove('&'), QStringLiteral("Yes"));
        QCOMPARE(dialog.NoButton()->text().remove('&'), QStringLiteral("No"));
        QTest::mouseClick(yes ? dialog.YesButton() : dialog.NoButton(), Qt::LeftButton);
        QVERIFY(!dialog.isVisible());
        QCOMPARE(dialog.YesNoAnswer(), yes);
    }
}

void TestSelectionWindows::fileDialogue()
{
    Windows::FileDialogue dialog;
    dialog.open();
    QCOMPARE(dialog.objectName(), QStringLiteral("FileDialogue"));
    QVERIFY(dialog.findChild<QLabel *>()->text() ==
            QStringLiteral("File already exists, what do you want to do?"));
    QCOMPARE(dialog.findChild<QRadioButton *>("OverWriteButton")->text().remove('&'),
             QStringLiteral("Overwrite existing contents"));
    QCOMPARE(dialog.findChild<QRadioButton *>("AppendButton")->text().remove('&'),
             QStringLiteral("Append to existing contents"));
    QCOMPARE(dialog.findChild<QRadioButton *>("ChangeButton")->text().remove('&'),
             QStringLiteral("Change File Name"));
    auto *continueButton = dialog.findChild<QPushButton *>("Command1");
    auto *cancelButton = dialog.findChild<QPushButton *>("Command2");
    QCOMPARE(continueButton->text().remove('&'), QStringLiteral("Continue"));
    QCOMPARE(cancelButton->text().remove('&'), QStringLiteral("Cancel"));

    // Nothing is chosen for the user: Continue waits for an option.
    QVERIFY(!continueButton->isEnabled());
    QTest::mouseClick(dialog.AppendButton(), Qt::LeftButton);
    QVERIFY(continueButton->isEnabled());
    QTest::mouseClick(continueButton, Qt::LeftButton);
    QVERIFY(!dialog.isVisible());
    QVERIFY(dialog.Answer().Ok);
    QCOMPARE(dialog.Answer().Option, Core::ExistingFileOption::Append);

    Windows::FileDialogue cancelled;
    cancelled.open();
    QTest::mouseClick(cancelled.ChangeButton(), Qt::LeftButton);
    QTest::mouseClick(cancelled.CancelButton(), Qt::LeftButton);
    QVERIFY(!cancelled.Answer().Ok);
}

void TestSelectionWindows::statusGoesToTheSink()
{
    Windows::QtPrompts prompts;
    prompts.ShowStatus(QStringLiteral("dropped without a sink"));
    QStringList shown;
    prompts.SetStatusSink([&shown](const QString &text) { shown.append(text); });
    prompts.ShowStatus(QStringLiteral("Reading members"));
    QCOMPARE(shown, QStringList{"Reading members"});
}

QTEST_MAIN(TestSelectionWindows)
#include "tst_selectionwindows.moc"
