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
    void intSelectOffersKnownDatabaseOnlyWhenListed_data();
    void intSelectOffersKnownDatabaseOnlyWhenListed();
    void intSelectMoreOptionsAndGalaList();
    void intSelectKnownDatabaseCloses();
    void ntSelectDoubleClickChooses();
    void listSelectChooseAndCancel();
    void yesNo_data();
    void yesNo();
    void fileDialogue();
    void statusGoesToTheSink();
};

void TestSelectionWindows::intSelectOffersKnownDatabaseOnlyWhenListed_data()
{
    QTest::addColumn<int>("listed");
    QTest::newRow("none") << 0;
    QTest::newRow("one") << 1;
}

void TestSelectionWindows::intSelectOffersKnownDatabaseOnlyWhenListed()
{
    QFETCH(int, listed);
    MeetDb::Session session;
    for (int i = 0; i < listed; ++i)
        session.Settings.NatamarDbFiles.append(QStringLiteral("/db/natamar.mdb"));
    ScriptedPrompts prompts;
    MeetDb::IntSelectForm form(session, prompts);
    Windows::IntSelect dialog(form);
    dialog.open();

    QCOMPARE(dialog.windowTitle(), QStringLiteral("Select Gala Parameter File"));
    auto *known = dialog.findChild<QPushButton *>("Natamar_DB");
    auto *unknown = dialog.findChild<QPushButton *>("Unknown_NT_DB");
    QCOMPARE(known->isVisible(), listed > 0);
    QVERIFY(unknown->isVisible());
    QVERIFY(dialog.findChild<QPushButton *>("More_Options")->isVisible());
    QVERIFY(!dialog.findChild<QPushButton *>("Gala_List")->isVisible());
    QVERIFY(!dialog.findChild<QPushButton *>("InternalGalaButton")->isVisible());
    QVERIFY(!dialog.findChild<QListWidget *>("DbList")->isVisible());
    QCOMPARE(known->text().remove('&'), QStringLiteral("Known Natamar Database"));
    QCOMPARE(known->toolTip(),
             QStringLiteral("Natamar Database that is built into the Natamar system set-up file."));
    QCOMPARE(unknown->toolTip(), QStringLiteral("Natamar Database not previously known to Natamar "
                                                "(e.g. version on removable media for import of "
                                                "entries)."));
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
    QVERIFY(dialog.GalaListButton()->isVisible());
    QVERIFY(dialog.InternalGalaButton()->isVisible());
    QVERIFY(!dialog.DbList()->isVisible());
    QVERIFY(dialog.isVisible());

    QTest::mouseClick(dialog.GalaListButton(), Qt::LeftButton);
    QVERIFY(dialog.DbList()->isVisible());
    QCOMPARE(dialog.DbList()->count(), 2);
    QCOMPARE(dialog.DbList()->item(1)->text(), QStringLiteral("Club Champs"));

    dialog.DbList()->setCurrentRow(1);
    QTest::keyClick(dialog.DbList(), Qt::Key_Return);
    QCOMPARE(session.Gala.GalaParamFile, QStringLiteral("/galas/champs.ini"));
    QCOMPARE(dialog.result(), int(QDialog::Accepted));
    QVERIFY(!dialog.isVisible());
}

void TestSelectionWindows::intSelectKnownDatabaseCloses()
{
    MeetDb::Session session;
    session.Settings.NatamarDbFiles = {"/db/natamar.mdb"};
    ScriptedPrompts prompts;
    MeetDb::IntSelectForm form(session, prompts);
    Windows::IntSelect dialog(form);
    dialog.open();
    QTest::mouseClick(dialog.KnownDatabaseButton(), Qt::LeftButton);
    QVERIFY(session.Gala.UseMeetDb);
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
    QVERIFY(!chooser.isVisible());

    MeetDb::ListSelectForm cancelled(QString(), {"a", "b"});
    Windows::List_Select canceller(cancelled);
    canceller.open();
    QCOMPARE(canceller.windowTitle(), QStringLiteral("Select from List"));
    auto *cancel = canceller.findChild<QPushButton *>("Command1");
    QCOMPARE(cancel->text(), QStringLiteral("Cancel"));
    QTest::mouseClick(cancel, Qt::LeftButton);
    QVERIFY(cancelled.Closed());
    QCOMPARE(cancelled.ListSelectChoice(), 0);
    QVERIFY(!canceller.isVisible());
}

void TestSelectionWindows::yesNo_data()
{
    QTest::addColumn<QString>("button");
    QTest::addColumn<bool>("answer");
    QTest::newRow("yes") << "Command1" << true;
    QTest::newRow("no") << "Command2" << false;
}

void TestSelectionWindows::yesNo()
{
    QFETCH(QString, button);
    QFETCH(bool, answer);
    Windows::YesNo dialog(QStringLiteral("Confirm age: 9"));
    dialog.open();
    QCOMPARE(dialog.objectName(), QStringLiteral("YesNo"));
    QCOMPARE(dialog.findChild<QLabel *>("Question")->text(), QStringLiteral("Confirm age: 9"));
    QCOMPARE(dialog.YesButton()->text().remove('&'), QStringLiteral("Yes"));
    QCOMPARE(dialog.NoButton()->text().remove('&'), QStringLiteral("No"));
    QTest::mouseClick(dialog.findChild<QPushButton *>(button), Qt::LeftButton);
    QVERIFY(!dialog.isVisible());
    QCOMPARE(dialog.YesNoAnswer(), answer);
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
