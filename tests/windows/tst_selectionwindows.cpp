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
#include "windows/yesno.h"

// The dialogs are opened with open(), which returns at once, so a test can click in them and
// read the result without a nested event loop.
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
            QVERIFY(dialog.findChild<QPushButton *>("Unknown_NT_DB")->isVisible() &&
                    !dialog.GalaListButton()->isVisible() && !dialog.DbList()->isVisible());
            if (listed) {
                QTest::mouseClick(dialog.KnownDatabaseButton(), Qt::LeftButton);
                QVERIFY(session.Gala.UseMeetDb && !dialog.isVisible());
                continue;
            }
            QTest::mouseClick(dialog.MoreOptionsButton(), Qt::LeftButton);
            QVERIFY(dialog.InternalGalaButton()->isVisible() &&
                    dialog.GalaListButton()->isVisible());
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
        QCOMPARE(dialog.windowTitle(), QStringLiteral("Select Natamar Database"));
        QListWidget *list = dialog.findChild<QListWidget *>("NT_List");
        const QPoint at = list->visualItemRect(list->item(1)).center();
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, at);
        QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, at);
        QVERIFY(session.Settings.NatamarDb == "/db/b.mdb" && !dialog.isVisible());
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

    void yesNo()
    {
        for (const bool yes : {true, false}) {
            Windows::YesNo dialog(QStringLiteral("Confirm age: 9"));
            dialog.open();
            QCOMPARE(dialog.objectName() + ' ' + dialog.findChild<QLabel *>("Question")->text(),
                     QString("YesNo Confirm age: 9"));
            QTest::mouseClick(yes ? dialog.YesButton() : dialog.NoButton(), Qt::LeftButton);
            QVERIFY(!dialog.isVisible() && dialog.YesNoAnswer() == yes);
        }
        // Return takes the default answer: "No" for a question that would lose work.
        for (const bool defaultNo : {false, true}) {
            Windows::YesNo dialog(QStringLiteral("Confirm delete entries for entrant 3 Bob Ray"),
                                  nullptr, defaultNo);
            dialog.open();
            QTest::keyClick(&dialog, Qt::Key_Return);
            QVERIFY(!dialog.isVisible() && dialog.YesNoAnswer() == !defaultNo);
        }
    }

    void fileDialogue()
    {
        Windows::FileDialogue dialog;
        dialog.open();
        QCOMPARE(dialog.objectName() + ' ' + dialog.findChild<QLabel *>()->text(),
                 QStringLiteral("FileDialogue File already exists, what do you want to do?"));
        // Nothing is chosen for the user: Continue waits for an option.
        auto *continueButton = dialog.findChild<QPushButton *>("Command1");
        QVERIFY(!continueButton->isEnabled());
        QTest::mouseClick(dialog.AppendButton(), Qt::LeftButton);
        QTest::mouseClick(continueButton, Qt::LeftButton);
        QVERIFY(!dialog.isVisible() && dialog.Answer().Ok);
        QCOMPARE(dialog.Answer().Option, Core::ExistingFileOption::Append);

        dialog.open();
        QTest::mouseClick(dialog.CancelButton(), Qt::LeftButton);
        QVERIFY(!dialog.Answer().Ok);
    }
};

QTEST_MAIN(TestSelectionWindows)
#include "tst_selectionwindows.moc"
