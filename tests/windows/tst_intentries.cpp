#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <QTimer>

#include "core/galastate.h"
#include "support/entryfixture.h"
#include "windows/intentries.h"

using Windows::IntEntries;

namespace {

// The entry window over an "Open" meet with age groups U/12 and OPEN, five girls' events in
// each, recorded into the meet database, or over an "Internal" gala recorded into the entry
// files with no member database.
struct Window : EntryGala
{
    std::unique_ptr<IntEntries> window;

    explicit Window(const QString &type)
        : EntryGala(type, type != Core::GalaOpen
                              ? QStringList()
                              : QStringList{"1|F|U/12|50|FS", "2|F|U/12|50|BK", "3|F|U/12|50|BR",
                                            "4|F|U/12|50|FLY", "5|F|U/12|50|MED", "6|F|OPEN|50|FS",
                                            "7|F|OPEN|50|BK", "8|F|OPEN|50|BR", "9|F|OPEN|50|FLY",
                                            "10|F|OPEN|50|MED"})
    {
        if (type == Core::GalaOpen) {
            session.Gala.AgeGroups = true;
            session.Gala.Groups = {Core::GalaGroup{"U/12", "U/12", "U/12", "U/12"},
                                   Core::GalaGroup{"OPEN", "Open", "Open", "Open"}};
            session.Gala.Clubs = {Core::GalaClub{"VMSC", "Velmora Marlets"}};
            UseMeetDb();
        }
        // Started, shown and made the active window so that keys reach it.
        window = std::make_unique<IntEntries>(session, prompts);
        QVERIFY(window->Start());
        window->show();
        window->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(window.get()));
    }
};

// Types any text, accents included, one key at a time as a keyboard would.
void Type(QWidget *widget, const QString &text)
{
    for (const QChar c : text)
        QTest::sendKeyEvent(QTest::Click, widget, Qt::Key_unknown, QString(c), Qt::NoModifier);
}

} // namespace

class TestIntEntries : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    // The member details window as each menu entry opens it, on the short name typed:
    // action|caption|short name box|Add|Amend.
    void memberDetailsFromMenu_data()
    {
        QTest::addColumn<QString>("row");
        for (const char *row : {"PbAddCon|Add Members to PB/Membership File|hidden|1|0",
                                "PbAmendCon|Amend Members Details|Bro J|0|1",
                                "PbShowCon|Display Members Details|Bro J|0|0"})
            QTest::newRow(row) << QString(row);
    }
    void memberDetailsFromMenu()
    {
        QFETCH(QString, row);
        Window w(Core::GalaInternal);
        w.window->ShortNameBox()->setText("Bro J");
        QStringList shown;
        QTimer::singleShot(0, w.window.get(), [&shown] {
            auto *details = qobject_cast<QDialog *>(QApplication::activeModalWidget());
            QVERIFY(details);
            auto *abb = details->findChild<QLineEdit *>("AbbName");
            shown << details->windowTitle() << (abb->isHidden() ? "hidden" : abb->text())
                  << QString::number(details->findChild<QPushButton *>("MemberAdd")->isEnabled())
                  << QString::number(details->findChild<QPushButton *>("MemberAmend")->isEnabled());
            details->reject();
        });
        w.window->findChild<QAction *>(row.section('|', 0, 0))->trigger();
        QCOMPARE(shown.join(u'|'), row.section('|', 1));
    }

    // A whole entrant from the keyboard alone: Tab between the boxes, the times typed into the
    // boxes the window moves to, Ctrl+Return to record from inside the last time box.
    void keyboardEntry()
    {
        Window w(Core::GalaOpen);
        IntEntries &window = *w.window;
        const QList<QWidget *> boxes{window.FullNameBox(), window.RegnoBox(), window.ClubBox(),
                                     window.DobBox(), window.SexBox()};
        const QStringList texts{QString::fromUtf8("zoë o'brien-smith"), "123456", "VMSC",
                                "05/03/16", "f"};
        for (int i = 0; i < boxes.size(); ++i) {
            QCOMPARE(window.focusWidget(), boxes.at(i));
            Type(boxes.at(i), texts.at(i));
            QTest::keyClick(boxes.at(i), Qt::Key_Tab);
        }
        QCOMPARE(window.FullNameBox()->text() + window.SexBox()->text(),
                 QString::fromUtf8("Zoë O'Brien-SmithF"));
        QVERIFY(window.GroupOption(0)->isChecked()); // 10 on the qualifying date: U/12
        const QStringList times{"35.5", "1:02.3", "NT", "41", "1:30"};
        for (int i = 0; i < times.size(); ++i) {
            QCOMPARE(window.focusWidget(), window.SlotTime(i));
            Type(window.focusWidget(), times.at(i));
            for (int tab = i + 1 < times.size() ? 2 : 0; tab > 0; --tab) // next check box, its time
                QTest::keyClick(window.focusWidget(), Qt::Key_Tab);
        }
        QTest::keyClick(window.focusWidget(), Qt::Key_Return, Qt::ControlModifier);

        QCOMPARE(TableRows(w.session.MeetDb, "Entrant Table",
                           {"Entrant Number", "Swimmer Name", "club", "age", "Sex", "Regno"}),
                 QStringList{QString::fromUtf8("1|Zoë O'Brien-Smith|VMSC|05/03/16|F|123456")});
        QCOMPARE(TableRows(w.session.MeetDb, "Swim Table", {"Event number", "Entry Time"}),
                 QStringList({"1|35.50", "2|1:02.30", "3|9:99.99", "4|41.00", "5|1:30.00"}));
        QCOMPARE(window.InfoBox()->toPlainText().split(u'\n').last(),
                 QString::fromUtf8("Set-Up Entrant No 1 Zoë O'Brien-Smith"));
        // Cleared for the next entrant, the club kept.
        QCOMPARE(window.FullNameBox()->text() + window.ClubBox()->text(), QStringLiteral("VMSC"));
        QVERIFY(!window.SlotCheck(0)->isVisible() && window.focusWidget() == window.FullNameBox());
    }

    // The focus after a box is left: the form moves the operator on (name to registration
    // number, date of birth to sex) after Tab or Enter, but a click or an accelerator elsewhere
    // wins. The box's own work is done however it was left. Rows: box|text|how|focus after.
    void focusAfterLeaving_data()
    {
        QTest::addColumn<QString>("row");
        for (const char *row :
             {"name|jane brown|click dob|dob", "name|jane brown|Alt+T|dob",
              "name|jane brown|Return|regno", "dob|05/03/16|Enter|sex", "dob|31/02/2015|Tab|dob"})
            QTest::newRow(row) << QString::fromLatin1(row);
    }
    void focusAfterLeaving()
    {
        QFETCH(QString, row);
        const QStringList f = row.split(u'|');
        Window w(Core::GalaOpen);
        IntEntries &window = *w.window;
        const QHash<QString, QLineEdit *> boxes{{"name", window.FullNameBox()},
                                                {"dob", window.DobBox()},
                                                {"regno", window.RegnoBox()},
                                                {"sex", window.SexBox()}};
        QLineEdit *box = boxes.value(f.at(0));
        box->setFocus();
        Type(box, f.at(1));
        const QString how = f.at(2);
        if (how.startsWith("click "))
            QTest::mouseClick(boxes.value(how.mid(6)), Qt::LeftButton);
        else if (how.startsWith("Alt+"))
            QTest::keyClick(box, how.back().toLatin1(), Qt::AltModifier);
        else
            QTest::keyClick(box, how == "Enter" ? Qt::Key_Enter : Qt::Key_Return);
        QCOMPARE(window.focusWidget(), boxes.value(f.at(3)));
        if (box == window.FullNameBox())
            QCOMPARE(box->text(), QStringLiteral("Jane Brown"));
        else if (f.at(3) == "dob") // refused, the box kept
            QCOMPARE(w.prompts.Messages, QStringList{"Date is invalid"});
        else
            QVERIFY(window.GroupOption(0)->isChecked());
    }

    // Escape asks before an entrant typed but not recorded is dropped ("No" keeps the window);
    // with nothing typed it leaves at once.
    void escapeWithTypedEntrant()
    {
        Window w(Core::GalaOpen);
        IntEntries &window = *w.window;
        Type(window.FullNameBox(), "Jane");
        w.prompts.No().Yes();
        QTest::keyClick(window.FullNameBox(), Qt::Key_Escape);
        QVERIFY(window.isVisible());
        QCOMPARE(window.FullNameBox()->text(), QStringLiteral("Jane"));
        QTest::keyClick(window.FullNameBox(), Qt::Key_Escape);
        QVERIFY(!window.isVisible());
        QCOMPARE(w.prompts.DefaultNoQuestions,
                 QStringList(2, "Jane has not been recorded. Discard the entry?"));

        Window empty(Core::GalaOpen);
        QTest::keyClick(empty.window->FullNameBox(), Qt::Key_Escape);
        QVERIFY(!empty.window->isVisible() && empty.prompts.Questions.isEmpty());
    }

    // A group shows its events; "Record" names what is missing; "Auto Correct" toggles; "Delete"
    // looks for the name before it asks anything; the club list.
    void buttonsAndClubs()
    {
        Window w(Core::GalaOpen);
        IntEntries &window = *w.window;
        window.SexBox()->setText("F");
        window.GroupOption(1)->click();
        QCOMPARE(window.SlotCheck(0)->text(), QStringLiteral("6:50 FS"));
        window.FullNameBox()->setText("Jane Brown");
        QTest::mouseClick(window.RecordButton(), Qt::LeftButton);
        QCOMPARE(window.InfoBox()->toPlainText(), QStringLiteral("Specify Club Name"));
        QVERIFY(window.focusWidget() == window.ClubBox() && w.prompts.Messages.isEmpty());
        QTest::mouseClick(window.AutoCorrectButton(), Qt::LeftButton);
        QCOMPARE(window.AutoCorrectButton()->text(), QStringLiteral("Auto Correct Off"));
        QTest::mouseClick(window.findChild<QPushButton *>("Command3"), Qt::LeftButton);
        QVERIFY(w.prompts.Questions.isEmpty());
        QCOMPARE(w.prompts.Messages, QStringList{"Entrant Not Found"});
        // "Record" from a time box holding a slip: the box refuses it, once, and keeps it selected.
        window.SlotTime(0)->setFocus();
        Type(window.SlotTime(0), "1:75.00");
        QTest::keyClick(window.SlotTime(0), Qt::Key_Return, Qt::ControlModifier);
        QVERIFY(window.SlotTime(0)->hasFocus() && window.SlotTime(0)->selectedText() == "1:75.00");
        QCOMPARE(w.prompts.Messages, (QStringList{"Entrant Not Found", "Invalid Time"}));

        // "Add New Club" runs the club window's handler, then shows the club table as it now is.
        window.SetClubAddHandler([&w] { w.session.Gala.Clubs.first().Name = "Velmora Marlins"; });
        QTest::mouseClick(window.findChild<QPushButton *>("Club_Add"), Qt::LeftButton);
        auto *list = window.findChild<QListWidget *>("ClubList");
        QVERIFY(list->count() == 1 && list->item(0)->text() == "Velmora Marlins");

        // A click on a club fills "Club", also when that club is the one already chosen.
        const QPoint vmsc = list->visualItemRect(list->item(0)).center();
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, vmsc);
        QCOMPARE(window.ClubBox()->text(), QStringLiteral("VMSC"));
        window.ClubBox()->setText("VM");
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, vmsc);
        QCOMPARE(window.ClubBox()->text(), QStringLiteral("VMSC"));
    }
};

QTEST_MAIN(TestIntEntries)
#include "tst_intentries.moc"
