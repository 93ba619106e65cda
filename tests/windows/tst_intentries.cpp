#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QStyle>
#include <QStyleOptionFrame>
#include <QTest>
#include <QTimer>

#include "core/galastate.h"
#include "support/entryfixture.h"
#include "support/testfiles.h"
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

    // A whole entrant from the keyboard alone: Tab between the boxes, then each entry time
    // followed by one key that moves to the next event's time box, so every time lands against
    // its own event; Ctrl+Return records from the box reached last. After the last time the key
    // reaches the meet-specific boxes. Rows: key|texts typed box after box ("" none)|swims
    // stored as event=time, with "/text" for a meet-specific text.
    void keyboardEntry_data()
    {
        AddRows({"Tab|31.1,35.2,40.3,41|1=31.10 2=35.20 3=40.30 4=41.00",
                 "Enter|31.1,35.2,40.3,41|1=31.10 2=35.20 3=40.30 4=41.00",
                 "Tab|31.1,,nt|1=31.10 3=9:99.99",
                 "Tab|35.5,1:02.3,NT,41,1:30,TT|1=35.50/TT 2=1:02.30 3=9:99.99 4=41.00 5=1:30.00"});
    }
    void keyboardEntry()
    {
        const QStringList f = RowCells();
        const Qt::Key key = f[0] == u"Tab" ? Qt::Key_Tab : Qt::Key_Return;
        Window w(Core::GalaOpen);
        IntEntries &window = *w.window;
        const QList<QWidget *> boxes{window.FullNameBox(), window.RegnoBox(), window.ClubBox(),
                                     window.DobBox(), window.SexBox()};
        const QStringList texts{QString::fromUtf8("zoë o'brien-smith"), "123456", "vmsc",
                                "5.3.2016", "f"};
        for (int i = 0; i < boxes.size(); ++i) {
            QCOMPARE(window.focusWidget(), boxes.at(i));
            Type(boxes.at(i), texts.at(i));
            QTest::keyClick(boxes.at(i), Qt::Key_Tab);
        }
        QCOMPARE(window.FullNameBox()->text() + window.ClubBox()->text() + window.SexBox()->text(),
                 QString::fromUtf8("Zoë O'Brien-SmithVMSCF"));
        QVERIFY(window.GroupOption(0)->isChecked()); // 10 on the qualifying date: U/12
        QCOMPARE(window.focusWidget(), window.SlotTime(0));
        for (const QString &text : f[1].split(u',')) {
            Type(window.focusWidget(), text);
            QTest::keyClick(window.focusWidget(), key);
        }
        QTest::keyClick(window.focusWidget(), Qt::Key_Return, Qt::ControlModifier);

        // The club in capitals, the date of birth in its stored form.
        QCOMPARE(TableRows(w.session.MeetDb, "Entrant Table",
                           {"Entrant Number", "Swimmer Name", "club", "age", "Sex", "Regno"}),
                 QStringList{QString::fromUtf8("1|Zoë O'Brien-Smith|VMSC|2016-03-05|F|123456")});
        QStringList swims;
        for (const QString &swim : TableRows(w.session.MeetDb, "Swim Table",
                                             {"Event number", "Entry Time", "Meet Specific"}))
            swims << swim.section(u'|', 0, 0) + u'=' + swim.section(u'|', 1, 1) +
                         (swim.section(u'|', 2).isEmpty() ? QString()
                                                          : u'/' + swim.section(u'|', 2));
        QCOMPARE(swims.join(u' '), f[2]);
        QCOMPARE(window.InfoBox()->toPlainText().split(u'\n').last(),
                 QString::fromUtf8("Set-Up Entrant No 1 Zoë O'Brien-Smith"));
        // Cleared for the next entrant, the club kept.
        QCOMPARE(window.FullNameBox()->text() + window.ClubBox()->text(), QStringLiteral("VMSC"));
        QVERIFY(!window.SlotCheck(0)->isVisible() && window.focusWidget() == window.FullNameBox());
    }

    // Each box shows the longest text it takes whole, in the font the screen gives it, at a
    // large font as at the usual one. Rows: point size|box|longest text.
    void boxesFitTheirText_data()
    {
        AddRows({"9|ClubName|MMMMMMMM", "18|ClubName|MMMMMMMM", "18|RegistrationNumber|0000000000",
                 "18|IntDob|15/08/2010", "18|IntSex|M", "18|StrokeTime1|10:00.00",
                 "18|ShortName|Featherstone Max"});
    }
    void boxesFitTheirText()
    {
        const QStringList f = RowCells();
        const QFont before = QApplication::font();
        QFont font = before;
        font.setPointSize(f[0].toInt());
        QApplication::setFont(font);
        Window w(Core::GalaInternal);
        QApplication::setFont(before);
        auto *box = w.window->findChild<QLineEdit *>(f[1]);
        QVERIFY(box);
        // What the box has inside its frame and margins for text.
        QStyleOptionFrame option;
        option.initFrom(box);
        const QRect inside =
            box->style()->subElementRect(QStyle::SE_LineEditContents, &option, box);
        QVERIFY2(inside.width() - 4 >= box->fontMetrics().horizontalAdvance(f[2]),
                 qPrintable(QStringLiteral("%1 of %2").arg(inside.width()).arg(box->width())));
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
