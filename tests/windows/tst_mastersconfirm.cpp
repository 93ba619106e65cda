#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QFileInfo>
#include <QFont>
#include <QGuiApplication>
#include <QKeySequence>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTableWidget>
#include <QTest>

#include "core/galastate.h"
#include "meetday/roster.h"
#include "support/dbrows.h"
#include "support/entryfixture.h"
#include "support/modal.h"
#include "support/pdftext.h"
#include "windows/announcerwindow.h"
#include "windows/galaselectevents.h"
#include "windows/heatsview.h"
#include "windows/mastersconfirm.h"
#include "windows/pbmain.h"
#include "windows/printoutput.h"

using MeetDay::Roster;
using MeetDay::RosterSwim;
using Windows::MastersConfirm;

namespace {

// The window over an open meet in the meet database: Ann (1) in events 2 and 1, Bob (2) in the
// mixed event 3.
struct Window : EntryGala
{
    std::unique_ptr<MastersConfirm> window;

    explicit Window(const QString &mode)
        : EntryGala("Open", {"1|F|OPEN|50|FS", "2|F|OPEN|100|BK", "3|X|OPEN|200|MED"})
    {
        session.Gala.ProgramMode = mode;
        session.Gala.GalaName = "Spring Open";
        UseMeetDb();
        InsertRows(session.MeetDb, "Entrant Table",
                   "Meet code|Entrant Number|Swimmer Name|club|age|Sex",
                   {"M1|1|Ann Lee|ASHB|01/02/10|F", "M1|2|Bob Ray|VMSC|03/04/09|M"});
        InsertRows(session.MeetDb, "Swim Table",
                   "Meet code|Entrant Number|Event number|Entry Time|Confirmed",
                   {"M1|1|2|1:05.00|0", "M1|1|1|35.10|0", "M1|2|3|2:30.00|0"});
        window = std::make_unique<MastersConfirm>(session, prompts);
        window->Start();
        window->show();
        window->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(window.get()));
    }
};

// Answers the next "Select Events" with "Select All" and "Confirm", and the report's output
// window with "PDF file".
void SelectAllToPdf()
{
    WhenShown<Windows::GalaSelectEvents>([](Windows::GalaSelectEvents *select) {
        select->Command(3)->click();
        select->Command(1)->click();
        WhenShown<Windows::OutputChoice>([](Windows::OutputChoice *choice) {
            choice->PdfOption()->setChecked(true);
            choice->OkButton()->click();
        });
    });
}

} // namespace

class TestMastersConfirm : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    // A command pressed straight after typing, without Enter or Tab, first takes what was typed
    // as leaving the box would; a refused text stops the command. Rows: box|typed|key|answers,
    // then the number, name and club shown|Ann's ticks|Bob's tick|Ann's first time|messages|
    // the window open (1) or closed (0).
    // A click into a box of numbers selects the whole text for typing over; a name or club is
    // corrected in place. Rows: the box|the text selected.
    void clickSelects_data() { AddRows({"number|1", "event|1", "time|35.10", "club|"}); }
    void clickSelects()
    {
        const QStringList row = RowCells();
        Window w("Meet Day");
        const QHash<QString, QLineEdit *> boxes{
            {"number", w.window->EntrantNumberBox()},
            {"event", w.window->EventBox(0)},
            {"time", w.window->TimeBox(0)},
            {"club", w.window->findChild<QLineEdit *>("FClub")}};
        QLineEdit *box = boxes.value(row[0]);
        w.window->Command("Command3")->setFocus();
        QTest::mouseClick(box, Qt::LeftButton, {}, QPoint(box->width() - 2, box->height() / 2));
        QTRY_COMPARE(box->selectedText(), row[1]);
    }

    void typedThenCommand_data()
    {
        // clang-format off
        AddRows({"number|2|F5||2 Bob Ray VMSC|NN|Y|35.10||1",
                 "number|2|F6||2 Bob Ray VMSC|NN|N|35.10||1",
                 "number|3|F5||3  |NN|N|35.10|Invalid Entrant Number|1",
                 "time|34.5|F6||2 Bob Ray VMSC|NN|N|34.50||1",
                 "time|34.5|Escape|N|1 Ann Lee ASHB|NN|N|34.50||0",
                 "sex|m|F5||1 Ann Lee ASHB|NN|N|35.10|Invalid Sex|1",
                 "club|ZZZ|Alt+S|Y|1 Ann Lee ZZZ|NN|N|35.10||1",
                 "club|ZZZ|F5|N|1 Ann Lee ASHB|NN|N|35.10||1"});
        // clang-format on
    }

    void typedThenCommand()
    {
        const QStringList row = RowCells();
        Window w("Meet Day");
        for (const QChar answer : row[3])
            answer == u'Y' ? w.prompts.Yes() : w.prompts.No();
        MastersConfirm &window = *w.window;
        const QHash<QString, QLineEdit *> boxes{{"number", window.EntrantNumberBox()},
                                                {"time", window.TimeBox(0)},
                                                {"sex", window.findChild<QLineEdit *>("FSex")},
                                                {"club", window.findChild<QLineEdit *>("FClub")}};
        QLineEdit *box = boxes.value(row[0]);
        box->setFocus();
        box->selectAll();
        QTest::keyClicks(box, row[1]);
        const QHash<QString, QKeyCombination> keys{{"F5", Qt::Key_F5},
                                                   {"F6", Qt::Key_F6},
                                                   {"Escape", Qt::Key_Escape},
                                                   {"Alt+S", Qt::AltModifier | Qt::Key_S}};
        const QKeyCombination key = keys.value(row[2]);
        QTest::keyClick(&window, key.key(), key.keyboardModifiers());
        if (row[2] == "Alt+S") // a letter clicks its button after a short animation
            QTRY_COMPARE(window.StatusLine()->text(),
                         QString("2 entrants and 3 swims written to natamar.mdb"));
        const auto text = [&window](const char *name) {
            return window.findChild<QLineEdit *>(name)->text();
        };
        const Roster &roster = window.Form().Entrants();
        QString ticks;
        for (const RosterSwim &swim : roster.at(0).Swims)
            ticks += swim.Confirmed ? u'Y' : u'N';
        const QStringList state{
            QStringList{text("FEntNo"), text("FName"), text("FClub")}.join(u' '),
            ticks,
            roster.at(1).Swims.at(0).Confirmed ? "Y" : "N",
            roster.at(0).Swims.at(0).EntryTime,
            w.prompts.Messages.join(u','),
            window.isVisible() ? "1" : "0"};
        QCOMPARE(state.join(u'|'), row.mid(4).join(u'|'));
        if (row[2] == "Alt+S")
            QVERIFY(TableRows(w.session.MeetDb, "Entrant Table", {"club"}).contains("ZZZ"));
    }

    // A command pressed straight after typing a number shows that entrant before it asks
    // anything, so that the official answers over the card the command acts on. Rows: the key|
    // What If Mode|the command's prompt|the name on the card when it was shown.
    void cardBeforeQuestions_data()
    {
        AddRows({"Alt+I|0|browse: Import Results|Bob Ray",
                 "Alt+I|1|message: Not updating .. what if mode|Bob Ray",
                 "Alt+K|0|yesno: Only confirmed entries?|Bob Ray",
                 "Alt+J|0|save: Export Start List|Bob Ray"});
    }

    void cardBeforeQuestions()
    {
        const QStringList row = RowCells();
        // Notes the card's name at each prompt, then answers "No" or cancels.
        struct CardSpy : ScriptedPrompts
        {
            QLineEdit *name = nullptr;
            QStringList namesShown;
            void Message(const QString &text) override
            {
                namesShown << name->text();
                ScriptedPrompts::Message(text);
            }
            bool AskYesNo(const QString &question, bool defaultNo) override
            {
                namesShown << name->text();
                No();
                return ScriptedPrompts::AskYesNo(question, defaultNo);
            }
            QString BrowseExistingFile(const QString &caption, const QString &start) override
            {
                namesShown << name->text();
                Browse(QString());
                return ScriptedPrompts::BrowseExistingFile(caption, start);
            }
            QString BrowseNewFile(const QString &caption, const QString &start,
                                  const QString &filter) override
            {
                namesShown << name->text();
                Browse(QString());
                return ScriptedPrompts::BrowseNewFile(caption, start, filter);
            }
        } spy;
        Window w("Meet Day");
        w.window.reset();
        MastersConfirm window(w.session, spy);
        window.Start();
        window.show();
        window.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&window));
        spy.name = window.findChild<QLineEdit *>("FName");
        if (row[1] == "1") {
            window.findChild<QCheckBox *>("What_If_Mode")->setChecked(true);
            spy.namesShown.clear();
            spy.Shown.clear();
        }
        if (row[0] == "Alt+K") // after its two questions
            WhenShown<Windows::GalaSelectEvents>(
                [](Windows::GalaSelectEvents *select) { select->Command(2)->click(); });
        QTest::keyClicks(window.EntrantNumberBox(), "2");
        QTest::keyClick(&window, row[0].back().toLatin1(), Qt::AltModifier);
        QTRY_COMPARE(spy.Shown.value(spy.Shown.size() - 1), row[2]);
        QCOMPARE(spy.namesShown.value(spy.namesShown.size() - 1), row[3]);
        if (row[2].startsWith("browse: "))
            QCOMPARE(spy.Filters, QStringList{"Lenex (*.lxf *.lef)"});
        QTRY_VERIFY(!QApplication::activeModalWidget());
        QCOMPARE(spy.name->text(), QString("Bob Ray"));
    }

    // "Export Start List" (meet day only) takes the typed time and saves the entries before it
    // asks for the file, so that the file holds what the official sees.
    void exportStartList()
    {
        Window entries("Entries");
        QVERIFY(entries.window->Command("ExportStartList")->isHidden());

        Window w("Meet Day");
        w.prompts.Browse(QString());
        QLineEdit *time = w.window->TimeBox(0);
        time->setFocus();
        time->selectAll();
        QTest::keyClicks(time, "34.5");
        QTest::keyClick(w.window.get(), Qt::Key_J, Qt::AltModifier);
        QTRY_COMPARE(w.prompts.Shown.value(0), QString("save: Export Start List"));
        QVERIFY(TableRows(w.session.MeetDb, "Swim Table", {"Entry Time"}).contains("34.50"));
    }

    // No two controls of a window share a letter (labels count by their boxes), and every
    // command shown has a letter or a function key.
    void mnemonics_data() { AddRows({"meet day", "entries", "select events", "heats", "main"}); }

    void mnemonics()
    {
        const QString kind = RowCells().at(0);
        Window w(kind == "entries" ? "Entries" : "Meet Day");
        w.window->Command("Command8")->click(); // "Utilities" shows the file commands
        MeetDb::GalaSelectEventsForm select(w.session.Gala, w.prompts);
        select.Open();
        std::unique_ptr<QWidget> other;
        if (kind == "select events")
            other = std::make_unique<Windows::GalaSelectEvents>(select);
        else if (kind == "heats")
            other = std::make_unique<Windows::HeatsView>(QString(), QList<QStringList>{});
        else if (kind == "main")
            other = std::make_unique<Windows::PbMain>(w.session, w.prompts);
        QWidget *window = other ? other.get() : w.window.get();

        QStringList letters, unreachable;
        for (QWidget *widget : window->findChildren<QWidget *>()) {
            QString text;
            if (auto *button = qobject_cast<QAbstractButton *>(widget))
                text = button->text();
            else if (auto *label = qobject_cast<QLabel *>(widget); label && label->buddy())
                text = label->text();
            const QKeySequence letter = QKeySequence::mnemonic(text);
            if (!letter.isEmpty())
                letters << letter.toString();
            // A swim row's "Del" or "Add" is a Tab from its boxes, one button in twenty rows.
            else if (qobject_cast<QPushButton *>(widget) && !widget->isHidden() &&
                     !text.contains("(F") && !widget->objectName().startsWith("Del_Event"))
                unreachable << text;
        }
        QCOMPARE(unreachable, QStringList{});
        QStringList twice = letters;
        twice.removeDuplicates();
        for (const QString &letter : std::as_const(twice))
            letters.removeOne(letter);
        QCOMPARE(letters, QStringList{});
        QVERIFY(!twice.isEmpty());
    }

    // With a large font (a scaled screen, or large print) each box still shows the longest text
    // it usually holds. Rows: box|text.
    void boxesFitTheFont_data()
    {
        AddRows({"FEntNo|12345", "FName|Margaret Featherstone", "FClub|VELMORAS", "FAge|30/12/2010",
                 "FSex|F", "RegistrationNumber|12345678901", "FEvNo0|1234", "FEvTime0|10:45.00",
                 "FEvMeetSpecific0|(Res) TT"});
    }

    void boxesFitTheFont()
    {
        const QStringList row = RowCells();
        const QFont normal = QApplication::font();
        QFont large = normal;
        large.setPointSizeF(normal.pointSizeF() * 1.75);
        QApplication::setFont(large);
        Window w("Meet Day");
        QApplication::setFont(normal);
        auto *box = w.window->findChild<QLineEdit *>(row[0]);
        QVERIFY(box->width() > box->fontMetrics().horizontalAdvance(row[1]));
    }

    // At the keyboard: number and Enter, F5 confirms, F6 goes on, a time typed and Tab.
    void keyboard()
    {
        Window w("Meet Day");
        QVERIFY(w.window->EntrantNumberBox()->hasFocus());
        QTest::keyClicks(w.window->EntrantNumberBox(), "1");
        QTest::keyClick(w.window->EntrantNumberBox(), Qt::Key_Return);
        QCOMPARE(w.window->EventBox(0)->text() + w.window->EventBox(1)->text(), QString("12"));
        QVERIFY(w.window->Command("Command3")->hasFocus());
        QTest::keyClick(w.window.get(), Qt::Key_F5);
        QVERIFY(w.window->Tick(0)->isChecked() && w.window->Tick(1)->isChecked());
        QVERIFY(w.window->EntrantNumberBox()->hasFocus());

        w.window->TimeBox(0)->setFocus();
        w.window->TimeBox(0)->selectAll();
        QTest::keyClicks(w.window->TimeBox(0), "34.5");
        QTest::keyClick(w.window->TimeBox(0), Qt::Key_Tab);
        QCOMPARE(w.window->TimeBox(0)->text(), QString("34.50"));
        QVERIFY(w.window->Tick(0)->hasFocus());
        QCOMPARE(w.window->Form().Entrants().at(0).Swims.at(0).EntryTime, QString("34.50"));

        QTest::keyClick(w.window.get(), Qt::Key_F6);
        QCOMPARE(w.window->EntrantNumberBox()->text() + w.window->EventBox(0)->text(), "23");
        QCOMPARE(w.prompts.Messages, QStringList{});
        w.window->Command("Command8")->click(); // "Utilities" shows the file commands
        QVERIFY(w.window->Command("Update_PB")->isVisible());

        // Escape asks before closing; No closes without saving.
        w.prompts.No();
        QTest::keyClick(w.window.get(), Qt::Key_Escape);
        QVERIFY(!w.window->isVisible());
        QCOMPARE(w.prompts.Questions, QStringList{"Save Current Values?"});
    }

    // "Make Heats": the method in the status line while it asks, two questions, "Select Events"
    // ("Select All", "Confirm"), then "Heats" shows the allocation under the method, each lane
    // as painted on a pool numbered from 0; "Programme" the same events, two heading questions,
    // then the output.
    void makeHeatsViewAndProgramme()
    {
        Window w("Meet Day");
        w.session.Gala.Hdw = true;
        w.session.Gala.Seeding = Core::SeedingMethod::Standard;
        w.session.Gala.FirstLane = 0;
        QVERIFY(!w.window->Command("Heats")->isVisible());
        w.prompts.No().No();
        QStringList captions;
        WhenShown<Windows::GalaSelectEvents>([&](Windows::GalaSelectEvents *select) {
            captions << w.window->StatusLine()->text();
            captions << select->Box(0)->text() << select->Box(2)->text();
            select->Command(3)->click();
            select->Command(1)->click();
        });
        w.window->Command("MakeHeats")->click();
        QCOMPARE(captions,
                 (QStringList{"Make Heats - standard seeding", "1:OPEN 50 FS", "3:OPEN 200 MED"}));
        QCOMPARE(w.prompts.Messages, QStringList{});
        QVERIFY(w.window->Command("Heats")->isVisible());

        QStringList rows;
        WhenShown<Windows::HeatsView>([&](Windows::HeatsView *view) {
            rows << view->Heading()->text();
            for (int r = 0; r < view->Table()->rowCount(); ++r) {
                QStringList cells;
                for (int c = 0; c < view->Table()->columnCount(); ++c)
                    cells << view->Table()->item(r, c)->text();
                rows << cells.join(u'|');
            }
            view->accept();
        });
        QCOMPARE(w.window->StatusLine()->text(),
                 QString("Heats made for 3 events by standard seeding: F7 shows them"));
        w.window->activateWindow(); // back from "Select Events"
        QVERIFY(QTest::qWaitForWindowActive(w.window.get()));
        QTest::keyClick(w.window.get(), Qt::Key_F7);
        const QStringList made{"Standard seeding, lanes 0 to 4", "1|1|2|Ann Lee|ASHB|35.10",
                               "2|1|2|Ann Lee|ASHB|1:05.00", "3|1|2|Bob Ray|VMSC|2:30.00"};
        QCOMPARE(rows, made);

        // Opened again, the window shows the heats stored with the swims.
        {
            MastersConfirm again(w.session, w.prompts);
            again.Start();
            again.show();
            QVERIFY(QTest::qWaitForWindowActive(&again));
            rows.clear();
            WhenShown<Windows::HeatsView>([&](Windows::HeatsView *view) {
                for (int r = 0; r < view->Table()->rowCount(); ++r)
                    rows << view->Table()->item(r, 3)->text();
                view->accept();
            });
            QTest::keyClick(&again, Qt::Key_F7);
            QCOMPARE(rows, (QStringList{"Ann Lee", "Ann Lee", "Bob Ray"}));
            w.prompts.No();
            QTest::keyClick(&again, Qt::Key_Escape);
        }

        Windows::PrintOutput output(w.prompts, w.window.get());
        const QString pdf = w.dir.FilePath("programme.pdf");
        output.SetPdfPathChooser([&](const QString &) { return pdf; });
        w.window->SetPrintOutput(&output);
        w.prompts.No().No();
        SelectAllToPdf();
        w.window->Command("Command5")->click();
        QCOMPARE(w.prompts.Messages, QStringList{});
        QVERIFY(PdfLayoutText(TestDir::Read(pdf)).contains("Bob Ray"));
    }

    // "Start List" (Alt+Q) pressed straight after an entrant number is typed takes the number
    // first, then prints the heats of the events chosen.
    void startListAfterTyping()
    {
        Window w("Meet Day");
        w.session.Gala.Hdw = true;
        w.prompts.No().No();
        WhenShown<Windows::GalaSelectEvents>([](Windows::GalaSelectEvents *select) {
            select->Command(3)->click();
            select->Command(1)->click();
        });
        w.window->Command("MakeHeats")->click();
        Windows::PrintOutput output(w.prompts, w.window.get());
        const QString pdf = w.dir.FilePath("start.pdf");
        output.SetPdfPathChooser([&](const QString &) { return pdf; });
        w.window->SetPrintOutput(&output);
        SelectAllToPdf();
        w.window->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(w.window.get()));
        QLineEdit *number = w.window->EntrantNumberBox();
        number->setFocus();
        number->selectAll();
        QTest::keyClicks(number, "2");
        QTest::keyClick(number, Qt::Key_Q, Qt::AltModifier);
        QTRY_VERIFY(QFileInfo::exists(pdf)); // a mnemonic clicks after a short animation
        const QString text = PdfLayoutText(TestDir::Read(pdf)).simplified();
        QVERIFY2(text.contains("Heat 1 of 1") && text.contains("Ann Lee") &&
                     text.contains("Bob Ray") && text.contains("Spring Open - Start List"),
                 qPrintable(text));
        QCOMPARE(w.window->findChild<QLineEdit *>("FName")->text(), QString("Bob Ray"));
        QCOMPARE(w.prompts.Messages, QStringList{});
    }

    // The swim buttons and the lists from the keyboard: Space on "Add" and "Del", F2 for the
    // unconfirmed list (Tab leaves and hides it), F4 for the announcer (Copy), Alt+D to print.
    void swimsAndListsFromTheKeyboard()
    {
        {
            // The entries mode has no confirmation: no tick boxes, no heats. Typed into and
            // taken down while open: the box's command must not run any more.
            Window w("Entries");
            QCOMPARE(w.window->windowTitle(), QString("Spring Open"));
            QVERIFY(w.window->SwimButton(1)->isVisible() && w.window->SwimButton(2)->isVisible());
            QVERIFY(!w.window->Command("Command6")->isVisible());
            QVERIFY(!w.window->Command("MakeHeats")->isVisible());
            QCOMPARE(w.window->SwimButton(2)->text(), QString("Add"));
            QTest::keyClicks(w.window->EntrantNumberBox(), "1");
            QTest::keyClick(w.window->EntrantNumberBox(), Qt::Key_Return);
            QVERIFY(w.window->TimeBox(0)->isVisible() && !w.window->Tick(0)->isVisible());
            QTest::keyClicks(w.window->EntrantNumberBox(), "2");
        }

        Window day("Meet Day");
        QWidget *window = day.window.get();
        day.prompts.Type("3");
        day.window->SwimButton(2)->setFocus();
        QTest::keyClick(day.window->SwimButton(2), Qt::Key_Space);
        QCOMPARE(day.window->EventBox(2)->text(), QString("3"));
        QVERIFY(day.window->TimeBox(2)->hasFocus());
        day.prompts.Yes();
        day.window->SwimButton(0)->setFocus();
        QTest::keyClick(day.window->SwimButton(0), Qt::Key_Space);
        QCOMPARE(day.window->EventBox(0)->text() + day.window->EventBox(1)->text(), "23");
        QVERIFY(day.window->SwimButton(0)->hasFocus());

        day.prompts.Yes();
        QTest::keyClick(window, Qt::Key_F2);
        QPlainTextEdit *list = day.window->UnconfirmedList();
        QVERIFY(list->isVisible() && list->hasFocus());
        QVERIFY(list->toPlainText().startsWith("1    Ann Lee"));
        QCOMPARE(list->toPlainText().count(u'\n'), 2);
        QTest::keyClick(list, Qt::Key_Tab);
        QVERIFY(!list->isVisible());

        QString copied;
        WhenShown<Windows::AnnouncerWindow>([&](Windows::AnnouncerWindow *announcer) {
            QVERIFY(announcer->Message()->toPlainText().contains("Bob Ray"));
            announcer->CopyButton()->click();
            copied = QGuiApplication::clipboard()->text();
            announcer->accept();
        });
        QTest::keyClick(window, Qt::Key_F4);
        QVERIFY(copied.startsWith("The following swimmers") &&
                copied.endsWith("Velmora Marlets \r\n"));

        Windows::PrintOutput output(day.prompts, window);
        const QString pdf = day.dir.FilePath("unconfirmed.pdf");
        output.SetPdfPathChooser([&](const QString &) { return pdf; });
        day.window->SetPrintOutput(&output);
        SelectAllToPdf();
        // Offscreen there is no window manager to give the window back its activation.
        window->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(window));
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_D, Qt::AltModifier);
        QTRY_VERIFY(QFileInfo::exists(pdf)); // a mnemonic clicks after a short animation
        QVERIFY(PdfLayoutText(TestDir::Read(pdf)).contains("Non swimmers for event 3"));
        QCOMPARE(day.prompts.Messages, QStringList{});

        // The lists' keys work before "Utilities" has shown their buttons.
        QVERIFY(!day.window->Command("NameList")->isVisible());
        window->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(window));
        QTest::keyClick(window, Qt::Key_F11);
        QVERIFY(day.window->StatusLine()->text().startsWith("Name list written to "));
        QTest::keyClick(window, Qt::Key_F12);
        QVERIFY(day.window->StatusLine()->text().startsWith("Club list written to "));
    }
};

QTEST_MAIN(TestMastersConfirm)
#include "tst_mastersconfirm.moc"
