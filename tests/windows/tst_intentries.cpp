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
#include "meetdb/database.h"
#include "meetdb/schema.h"
#include "meetdb/session.h"
#include "support/dbrows.h"
#include "support/scriptedprompts.h"
#include "support/testfiles.h"
#include "windows/intentries.h"

using Windows::IntEntries;

namespace {

// An "Open" meet with age groups U/12 and OPEN and five girls' events in each.
void LoadOpenMeet(MeetDb::Session &session, const QString &path)
{
    MeetDb::CreateMeetDatabase(path);
    Core::GalaState &gala = session.Gala;
    gala.GalaType = Core::GalaOpen;
    gala.MeetCode = QStringLiteral("M1");
    gala.QualDate = QStringLiteral("31/12/2026");
    gala.AgeGroups = true;
    gala.DbVersion = 1.0f;
    gala.Groups << Core::GalaGroup{"U/12", "U/12", "U/12", "U/12"}
                << Core::GalaGroup{"OPEN", "Open", "Open", "Open"};
    int number = 1;
    for (const char *group : {"U/12", "OPEN"})
        for (const char *stroke : {"FS", "BK", "BR", "FLY", "MED"}) {
            Core::GalaEvent event;
            event.EvNumber = QString::number(number++);
            event.EvSex = QStringLiteral("F");
            event.EvGroup = QString::fromLatin1(group);
            event.EvDistance = QStringLiteral("50");
            event.EvStroke = QString::fromLatin1(stroke);
            gala.Events << event;
        }
    gala.Clubs << Core::GalaClub{"VMSC", "Velmora Marlets"};
    session.MeetDb.Open(path);
    InsertRows(session.MeetDb, "Meet Table", "Meet code|Meet Name", {"M1|Spring"});
    gala.MeetDbOpen = gala.UseMeetDb = true;
}

// Types any text, accents included, one key at a time as a keyboard would.
void Type(QWidget *widget, const QString &text)
{
    for (const QChar c : text)
        QTest::sendKeyEvent(QTest::Click, widget, Qt::Key_unknown, QString(c), Qt::NoModifier);
}

QStringList Rows(MeetDb::Database &db, const QString &table, const QStringList &fields)
{
    QStringList rows;
    std::unique_ptr<MeetDb::RecordSet> rs = db.OpenTable(table);
    for (rs->MoveFirst(); !rs->Eof(); rs->MoveNext()) {
        QStringList values;
        for (const QString &field : fields)
            values << rs->Text(field);
        rows << values.join(u'|');
    }
    return rows;
}

// An "Internal" gala recorded into the entry files of `dir`, with no member database.
void LoadInternalGala(MeetDb::Session &session, const TestDir &dir)
{
    session.ProgramDir = dir.Path();
    Core::GalaState &gala = session.Gala;
    gala.GalaType = Core::GalaInternal;
    gala.GalaDir = dir.Path();
    gala.UseMeetDb = false;
    gala.Groups << Core::GalaGroup{"OPEN", "Open", "Open", "Open"};
}

} // namespace

class TestIntEntries : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void noMeetDatabaseCloses()
    {
        MeetDb::Session session;
        session.Gala.UseMeetDb = true; // chosen, but not open
        ScriptedPrompts prompts;
        IntEntries window(session, prompts);
        QVERIFY(!window.Start());
        QCOMPARE(prompts.Messages, QStringList{"Natamar Database is Not Available"});
    }

    void memberDetailsFromMenu_data()
    {
        QTest::addColumn<QString>("action");
        QTest::addColumn<QString>("caption");
        QTest::addColumn<bool>("abbName");
        QTest::addColumn<bool>("add");
        QTest::addColumn<bool>("amend");
        QTest::newRow("add") << "PbAddCon"
                             << "Add Members to PB/Membership File" << false << true << false;
        QTest::newRow("amend") << "PbAmendCon"
                               << "Amend Members Details" << true << false << true;
        QTest::newRow("display") << "PbShowCon"
                                 << "Display Members Details" << true << false << false;
    }
    void memberDetailsFromMenu()
    {
        QFETCH(QString, action);
        QFETCH(QString, caption);
        QFETCH(bool, abbName);
        QFETCH(bool, add);
        QFETCH(bool, amend);
        TestDir dir;
        MeetDb::Session session;
        LoadInternalGala(session, dir);
        ScriptedPrompts prompts;
        IntEntries window(session, prompts);
        QVERIFY(window.Start());
        window.show();
        window.ShortNameBox()->setText("Bro J");

        QStringList seen;
        QTimer::singleShot(0, &window, [&seen] {
            auto *details = qobject_cast<QDialog *>(QApplication::activeModalWidget());
            if (!details)
                return;
            auto *abb = details->findChild<QLineEdit *>("AbbName");
            seen << details->windowTitle()
                 << (abb->isHidden() ? QStringLiteral("hidden") : abb->text())
                 << QString::number(details->findChild<QPushButton *>("MemberAdd")->isEnabled())
                 << QString::number(details->findChild<QPushButton *>("MemberAmend")->isEnabled());
            details->reject();
        });
        auto *menuAction = window.findChild<QAction *>(action);
        QVERIFY(menuAction);
        menuAction->trigger();
        QCOMPARE(seen, QStringList({caption, abbName ? QStringLiteral("Bro J") : "hidden",
                                    QString::number(add), QString::number(amend)}));
    }

    // "Add New Club" runs the club window's handler, then shows the club table as it now is.
    void addNewClubRefillsTheList()
    {
        TestDir dir;
        MeetDb::Session session;
        LoadOpenMeet(session, dir.FilePath("natamar.mdb"));
        ScriptedPrompts prompts;
        IntEntries window(session, prompts);
        // A rename changes no count.
        window.SetClubAddHandler(
            [&session] { session.Gala.Clubs.first().Name = "Velmora Marlins"; });
        QVERIFY(window.Start());
        window.show();
        QTest::mouseClick(window.findChild<QPushButton *>("Club_Add"), Qt::LeftButton);
        auto *list = window.findChild<QListWidget *>("ClubList");
        QStringList shown;
        for (int i = 0; i < list->count(); ++i)
            shown << list->item(i)->text();
        QCOMPARE(shown, QStringList{"Velmora Marlins"});
    }

    // "Delete" asks about the name in the full-name box, then works on the window's store.
    void deleteButtonAsks()
    {
        TestDir dir;
        MeetDb::Session session;
        LoadInternalGala(session, dir);
        ScriptedPrompts prompts;
        IntEntries window(session, prompts);
        QVERIFY(window.Start());
        window.show();
        window.FullNameBox()->setText("Jane Brown");
        prompts.No();
        QTest::mouseClick(window.findChild<QPushButton *>("Command3"), Qt::LeftButton);
        QCOMPARE(prompts.Questions, QStringList{"Confirm delete entries for Jane Brown"});
    }

    // A whole entrant from the keyboard alone: Tab between the boxes, the times typed into the
    // boxes the window moves to, Ctrl+Return to record from inside the last time box.
    void keyboardEntry()
    {
        TestDir dir;
        MeetDb::Session session;
        LoadOpenMeet(session, dir.FilePath("natamar.mdb"));
        ScriptedPrompts prompts;
        IntEntries window(session, prompts);
        QVERIFY(window.Start());
        window.show();
        window.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&window));
        QCOMPARE(window.focusWidget(), window.FullNameBox());

        Type(window.focusWidget(), QString::fromUtf8("zoë o'brien-smith"));
        QTest::keyClick(window.focusWidget(), Qt::Key_Tab);
        QCOMPARE(window.FullNameBox()->text(), QString::fromUtf8("Zoë O'Brien-Smith"));
        QCOMPARE(window.focusWidget(), window.RegnoBox());
        QTest::keyClicks(window.focusWidget(), "123456");
        QTest::keyClick(window.focusWidget(), Qt::Key_Tab);
        QCOMPARE(window.focusWidget(), window.ClubBox());
        QTest::keyClicks(window.focusWidget(), "VMSC");
        QTest::keyClick(window.focusWidget(), Qt::Key_Tab);
        QCOMPARE(window.focusWidget(), window.DobBox());
        QTest::keyClicks(window.focusWidget(), "05/03/16");
        QTest::keyClick(window.focusWidget(), Qt::Key_Tab);
        QVERIFY(window.GroupOption(0)->isChecked()); // 10 on the qualifying date: U/12
        QCOMPARE(window.focusWidget(), window.SexBox());
        QTest::keyClicks(window.focusWidget(), "f");
        QCOMPARE(window.SexBox()->text(), QStringLiteral("F"));
        QTest::keyClick(window.focusWidget(), Qt::Key_Tab);
        QCOMPARE(window.focusWidget(), window.SlotTime(0));
        QCOMPARE(window.SlotCheck(4)->text(), QStringLiteral("5:50 MED"));

        const QStringList times{"35.5", "1.02.3", "NT", "41", "1:30"};
        for (int i = 0; i < times.size(); ++i) {
            QCOMPARE(window.focusWidget(), window.SlotTime(i));
            QTest::keyClicks(window.focusWidget(), times.at(i));
            if (i + 1 < times.size()) {
                QTest::keyClick(window.focusWidget(), Qt::Key_Tab); // to the next check box
                QTest::keyClick(window.focusWidget(), Qt::Key_Tab); // to its time
            }
        }
        QTest::keyClick(window.focusWidget(), Qt::Key_Return, Qt::ControlModifier);

        QCOMPARE(Rows(session.MeetDb, "Entrant Table",
                      {"Entrant Number", "Swimmer Name", "club", "age", "Sex", "Regno"}),
                 QStringList{QString::fromUtf8("1|Zoë O'Brien-Smith|VMSC|05/03/16|F|123456")});
        QCOMPARE(Rows(session.MeetDb, "Swim Table", {"Event number", "Entry Time"}),
                 QStringList({"1|35.50", "2|1:02.30", "3|9:99.99", "4|41.00", "5|1:30.00"}));
        QCOMPARE(window.InfoBox()->toPlainText().split(u'\n').last(),
                 QString::fromUtf8("Set-Up Entrant No 1 Zoë O'Brien-Smith"));
        QCOMPARE(window.FullNameBox()->text(), QString());
        QCOMPARE(window.ClubBox()->text(), QStringLiteral("VMSC"));
        QVERIFY(!window.SlotCheck(0)->isVisible());
        QCOMPARE(window.focusWidget(), window.FullNameBox());
        QCOMPARE(window.palette().color(QPalette::Window), QColor(Qt::white));
    }

    void recordRefusalShowsInInfo()
    {
        TestDir dir;
        MeetDb::Session session;
        LoadOpenMeet(session, dir.FilePath("natamar.mdb"));
        ScriptedPrompts prompts;
        IntEntries window(session, prompts);
        QVERIFY(window.Start());
        window.show();
        window.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&window));
        window.FullNameBox()->setText("Jane Brown");
        QTest::keyClick(window.FullNameBox(), Qt::Key_Return); // no default button to press
        QCOMPARE(window.AutoCorrectButton()->text(), QStringLiteral("Auto Correct On"));
        QVERIFY(window.InfoBox()->toPlainText().isEmpty());
        QTest::mouseClick(window.RecordButton(), Qt::LeftButton);
        QCOMPARE(window.InfoBox()->toPlainText(), QStringLiteral("Specify Club Name"));
        QCOMPARE(window.focusWidget(), window.ClubBox());
        QVERIFY(prompts.Messages.isEmpty());
        QCOMPARE(window.RecordButton()->text(), QStringLiteral("&Record"));
        QTest::mouseClick(window.AutoCorrectButton(), Qt::LeftButton);
        QCOMPARE(window.AutoCorrectButton()->text(), QStringLiteral("Auto Correct Off"));
    }
};

QTEST_MAIN(TestIntEntries)
#include "tst_intentries.moc"
