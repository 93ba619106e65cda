#include <QFile>
#include <QTest>

#include "core/galastate.h"
#include "meetday/heats.h"
#include "meetday/mastersconfirmform.h"
#include "meetdb/database.h"
#include "meetdb/eventselection.h"
#include "support/dbrows.h"
#include "support/entryfixture.h"

using namespace MeetDay;

namespace {

const QStringList Events{"1|F|OPEN|50|FS", "2|F|OPEN|100|BK", "3|M|OPEN|200|MED",
                         "12|F|OPEN|100|FS"};
const QStringList SwimColumns{"Entrant Number", "Event number", "Entry Time", "Confirmed"};

// The demo of these tests: an open meet in the meet database, Ann (1) entered in 12, 1 and 99,
// Bob (2) in 3 and Cy (4) in 1. The form is opened in the given mode.
struct ConfirmMeet : EntryGala
{
    explicit ConfirmMeet(const QString &mode = ModeMeetDay, bool database = true)
        : EntryGala("Open", Events)
    {
        session.Gala.ProgramMode = mode;
        session.Gala.GalaName = "Spring Open";
        if (database) {
            UseMeetDb();
            InsertRows(session.MeetDb, "Entrant Table",
                       "Meet code|Entrant Number|Swimmer Name|club|age|Sex",
                       {"M1|1|Ann Lee|ASHB|01/02/10|F", "M1|2|Bob Ray|VMSC|03/04/09|M",
                        "M1|4|Cy Orr|VMSC|05/06/08|M"});
            InsertRows(session.MeetDb, "Swim Table",
                       "Meet code|Entrant Number|Event number|Entry Time|Confirmed",
                       {"M1|1|12|1:05.00|0", "M1|1|1|35.10|0", "M1|1|99|9:99.99|0",
                        "M1|2|3|2:30.00|0", "M1|4|1|40.00|1"});
        }
        form = std::make_unique<MastersConfirmForm>(session, prompts);
        form->Open();
    }

    void Show(int number)
    {
        form->FEntNo = QString::number(number);
        form->OnEntrantNumberLeft();
    }

    const RosterEntrant &Current() const { return form->Entrants().at(form->CurrentEntrant()); }
    QStringList Swims() { return TableRows(session.MeetDb, "Swim Table", SwimColumns); }

    std::unique_ptr<MastersConfirmForm> form;
};

QStringList RowEvents(const MastersConfirmForm &form)
{
    QStringList shown;
    for (const SwimRow &row : form.Rows) {
        if (row.Visible)
            shown << row.EvNo + "/" + row.ButtonCaption;
    }
    return shown;
}

} // namespace

class TestMastersConfirmForm : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void showEntrant()
    {
        // The first card is on show when the window opens.
        ConfirmMeet meet;
        QCOMPARE(meet.form->FEntNo, QString("1"));
        meet.Show(1);
        QCOMPARE(meet.form->FName, QString("Ann Lee"));
        QCOMPARE(meet.form->Background, QColor(0xFF, 0x80, 0x80));
        QCOMPARE(RowEvents(*meet.form), (QStringList{"1/Del", "12/Del", "99/Del", "/Add"}));
        QCOMPARE(meet.form->TakeFocus().Box, ConfirmBox::ConfirmAll);

        meet.Show(3);
        QCOMPARE(meet.prompts.Messages, QStringList{InvalidEntrantMessage});
        QCOMPARE(meet.form->FName, QString());
        QCOMPARE(RowEvents(*meet.form), QStringList{});

        // 20 swims fill every row; 25 are held, 20 shown, and Confirm All confirms them all.
        RosterEntrant &ann = meet.form->Entrants()[0];
        for (int e = 100; ann.SwimCount() < 25; ++e)
            ann.Swims.append({QString::number(e), "1:00.00", false, 0, {}, {}});
        meet.form->ShowEntrant(1);
        QCOMPARE(RowEvents(*meet.form).size(), SwimRows); // no Add row
        meet.form->ConfirmAll();
        for (const RosterSwim &swim : meet.Current().Swims)
            QVERIFY(swim.Confirmed);
        QCOMPARE(meet.form->TakeFocus().Box, ConfirmBox::EntrantNumber);

        // The entries mode has no confirmation: the command does nothing there.
        ConfirmMeet entries(ModeEntries);
        entries.Show(2);
        QCOMPARE(entries.form->TakeFocus().Box, ConfirmBox::EntrantNumber);
        entries.form->ConfirmAll();
        QVERIFY(!entries.Current().Swims.at(0).Confirmed);
    }

    void editRules_data()
    {
        QTest::addColumn<QString>("box");
        QTest::addColumn<int>("row");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("answer"); // "Y", "N" or "" for no question
        QTest::addColumn<QString>("value");  // the box and the roster's value afterwards
        QTest::addColumn<QString>("prompt"); // what was shown, "" for nothing

        const QString removeEvent = "message: " + RemoveEventMessage;
        // clang-format off
        QTest::newRow("event emptied") << "event" << 0 << "" << "" << "1" << removeEvent;
        QTest::newRow("event changed") << "event" << 0 << " 2" << "Y" << "2" << "yesno: " + ChangeEventQuestion;
        QTest::newRow("event change declined") << "event" << 0 << "2" << "N" << "1" << "yesno: " + ChangeEventQuestion;
        QTest::newRow("event unchanged") << "event" << 0 << "1" << "" << "1" << "";
        QTest::newRow("event on the Add row") << "event" << 3 << "7" << "" << "" << "";
        QTest::newRow("time emptied") << "time" << 0 << "" << "" << "9:99.99" << "";
        QTest::newRow("time NT") << "time" << 0 << "nt" << "" << "9:99.99" << "";
        QTest::newRow("time 9:99 as typed") << "time" << 0 << "9:99" << "" << "9:99" << "";
        QTest::newRow("time two points") << "time" << 0 << "1.05.3" << "" << "35.10" << "message: Invalid Time";
        QTest::newRow("time seconds") << "time" << 0 << "65.3" << "" << "1:05.30" << "";
        QTest::newRow("time zero") << "time" << 0 << "0" << "" << "35.10" << "message: Invalid Time";
        QTest::newRow("time 75 seconds past a minute") << "time" << 0 << "1:75.00" << "" << "35.10" << "message: Invalid Time";
        QTest::newRow("time over an hour") << "time" << 0 << "61:00.00" << "" << "35.10" << "message: Invalid Time";
        QTest::newRow("meet specific") << "specific" << 1 << "TT" << "" << "TT" << "";
        QTest::newRow("tick") << "tick" << 1 << "1" << "" << "1" << "";
        QTest::newRow("tick on the Add row") << "tick" << 3 << "1" << "" << "0" << "";
        QTest::newRow("club known") << "club" << 0 << "VMSC" << "" << "VMSC" << "";
        QTest::newRow("club unknown kept") << "club" << 0 << "ZZZ" << "Y" << "ZZZ" << "yesno: " + ClubQuestion;
        QTest::newRow("club unknown refused") << "club" << 0 << "vmsc" << "N" << "ASHB" << "yesno: " + ClubQuestion;
        QTest::newRow("sex") << "sex" << 0 << "M" << "" << "M" << "";
        QTest::newRow("sex lower case") << "sex" << 0 << "m" << "" << "F" << "message: Invalid Sex";
        QTest::newRow("name") << "name" << 0 << "Ann Lee-Hart" << "" << "Ann Lee-Hart" << "";
        // clang-format on
    }

    void editRules()
    {
        QFETCH(QString, box);
        QFETCH(int, row);
        QFETCH(QString, typed);
        QFETCH(QString, answer);
        QFETCH(QString, value);
        QFETCH(QString, prompt);
        ConfirmMeet meet;
        meet.Show(1);
        meet.form->TakeFocus();
        if (answer == "Y")
            meet.prompts.Yes();
        else if (answer == "N")
            meet.prompts.No();

        MastersConfirmForm &f = *meet.form;
        SwimRow &r = f.Rows[row];
        const RosterEntrant &ann = meet.Current();
        const RosterSwim *swim = row < ann.SwimCount() ? &ann.Swims.at(row) : nullptr;
        QString storedNow, shownNow;
        if (box == "event") {
            r.EvNo = typed;
            f.OnEventNumberLeft(row);
            storedNow = swim ? swim->EventNumber : "";
            shownNow = r.EvNo;
        } else if (box == "time") {
            r.Time = typed;
            f.OnEntryTimeLeft(row);
            storedNow = swim ? swim->EntryTime : "";
            shownNow = r.Time;
        } else if (box == "specific") {
            r.MeetSpecific = typed;
            f.OnMeetSpecificChanged(row);
            storedNow = swim ? swim->MeetSpecific : "";
            shownNow = r.MeetSpecific;
        } else if (box == "tick") {
            f.OnTickChanged(row, true);
            storedNow = swim ? QString::number(swim->Confirmed) : "";
            shownNow = QString::number(r.Confirmed);
        } else if (box == "club") {
            f.FClub = typed;
            f.OnClubLeft();
            storedNow = ann.Club;
            shownNow = f.FClub;
        } else if (box == "sex") {
            f.FSex = typed;
            f.OnSexLeft();
            storedNow = ann.Sex;
            shownNow = f.FSex;
        } else {
            f.FName = typed;
            f.OnNameChanged();
            storedNow = shownNow = ann.Name;
        }
        QCOMPARE(shownNow, value);
        if (swim)
            QCOMPARE(storedNow, value);
        else
            QCOMPARE(ann.SwimCount(), 3); // nothing added from the Add row
        QCOMPARE(meet.prompts.Shown, prompt.isEmpty() ? QStringList{} : QStringList{prompt});
        // A refusal sends the operator back to the box.
        const ConfirmBox focus = f.TakeFocus().Box;
        if (prompt.startsWith("message: Invalid") || answer == "N")
            QVERIFY(focus != ConfirmBox::None || box == "event");
        if (box == "sex" && value == "M")
            QCOMPARE(f.Background, QColor(0x00, 0xC0, 0xC0));
    }

    void walkAndSearch()
    {
        ConfirmMeet meet;
        QStringList walked;
        for (int i = 0; i < 4; ++i) {
            meet.form->NextSwimmer();
            walked << meet.form->FEntNo;
        }
        QCOMPARE(walked, (QStringList{"2", "4", "4", "4"}));
        QCOMPARE(meet.form->FName, QString("Cy Orr"));

        meet.prompts.Type("Ray").Type("").Type("Zed").CancelInput();
        meet.form->SearchByName();
        QCOMPARE(meet.form->FEntNo, QString("2"));
        QCOMPARE(meet.form->TakeFocus().Box, ConfirmBox::ConfirmAll);
        meet.form->SearchByName();
        QCOMPARE(meet.form->FEntNo, QString("1"));
        meet.form->SearchByName();
        meet.form->SearchByName();
        QCOMPARE(meet.form->FEntNo, QString("1"));
        QCOMPARE(meet.prompts.Messages, QStringList{"No entrant's name contains \"Zed\""});
    }

    // Calling up another entrant writes the one on display, except in what-if mode; closing asks
    // whether to save, and a save that fails keeps the window open.
    void saving()
    {
        ConfirmMeet meet;
        meet.Show(1);
        meet.form->OnTickChanged(0, true);
        meet.Show(2);
        QVERIFY(meet.Swims().contains("1|1|35.10|1"));

        meet.form->WhatIfMode = true;
        meet.form->OnTickChanged(0, true);
        meet.Show(4);
        QVERIFY(meet.Swims().contains("2|3|2:30.00|0"));
        QCOMPARE(meet.prompts.Messages, QStringList{WhatIfMessage});
        meet.form->WhatIfMode = false;

        ConfirmMeet files(ModeMeetDay, false);
        files.dir.Write("intent.vb", "1,\"Ann Lee\",\"ASHB\",\"01/02/10\",\"F\"\r\n1\r\n"
                                     "\"1\",\"35.10\",#FALSE#\r\n");
        files.form->Open();
        files.prompts.Messages.clear();
        files.Show(1);
        QCOMPARE(files.prompts.Messages, QStringList{NeedsDatabaseMessage});

        meet.prompts.Messages.clear();
        meet.Show(2);
        meet.form->ConfirmAll();
        meet.prompts.No();
        meet.form->Close();
        QVERIFY(meet.form->CloseRequested);
        QVERIFY(meet.Swims().contains("2|3|2:30.00|0"));

        meet.form->CloseRequested = false;
        meet.prompts.Yes();
        meet.form->Close();
        QVERIFY(meet.form->CloseRequested);
        QVERIFY(meet.Swims().contains("2|3|2:30.00|1"));
        meet.form->CloseRequested = false;
        meet.session.MeetDb.Exec("DROP TABLE \"Swim Table\"");
        meet.prompts.Yes();
        meet.form->Close();
        QVERIFY(!meet.form->CloseRequested);
        QCOMPARE(meet.prompts.Messages.size(), 1);
    }

    // A roster that could not be read whole is never saved over the file.
    void damagedFileIsNotSaved()
    {
        ConfirmMeet meet(ModeMeetDay, false);
        meet.dir.Write("intent.vb", "1,\"Ann Lee\",\"ASHB\",\"01/02/10\",\"F\"\r\n3\r\n");
        meet.prompts.Messages.clear();
        meet.form->Open();
        QCOMPARE(int(meet.form->Loaded()), int(LoadResult::Failed));
        QVERIFY(!meet.form->SaveAll());
        QVERIFY(!QFile::exists(meet.dir.FilePath("intent.BAK")));
        QCOMPARE(meet.prompts.Messages.size(), 2);
        QVERIFY(meet.prompts.Messages.last().startsWith("Nothing was saved"));
    }

    void wholeRosterCommands()
    {
        ConfirmMeet meet;
        meet.form->CheckinLog();
        QCOMPARE(meet.File("checklist.csv"),
                 QByteArray("1,Ann Lee,F,1,12,\r\n2,Bob Ray,M,3,\r\n4,Cy Orr,M,1,\r\n"));
        meet.prompts.No().Yes().Yes();
        meet.form->ConfirmAllSwimmers();
        meet.form->EntrySummary();
        meet.form->ConfirmAllSwimmers();
        meet.form->EntrySummary();
        meet.form->ClearConfirms();
        meet.form->EntrySummary();
        QCOMPARE(meet.prompts.Shown, (QStringList{"yesno: " + ConfirmAllQuestion,
                                                  "message: Total Entries :  4 | Confirmed :  1",
                                                  "yesno: " + ConfirmAllQuestion,
                                                  "message: Total Entries :  4 | Confirmed :  4",
                                                  "yesno: " + UnconfirmAllQuestion,
                                                  "message: Total Entries :  4 | Confirmed :  0"}));
        QCOMPARE(meet.form->EntryStatistics().size(), 4);

        ConfirmMeet empty(ModeMeetDay, false);
        empty.prompts.Messages.clear();
        empty.form->CheckinLog();
        QCOMPARE(empty.prompts.Messages, QStringList{NoEntriesMessage});
    }

    void makeHeats()
    {
        // Event 1 is chosen in "Select Events": Ann (35.10) and Cy (40.00) swim one heat, the
        // faster in the middle lane of five.
        ConfirmMeet meet;
        meet.session.Gala.Hdw = true;
        meet.form->ShowSelectEvents = [&](MeetDb::GalaSelectEventsForm &select) {
            select.Criterion = "1";
            select.SelectByEventNumberRange();
            select.Confirm();
        };
        QVERIFY(!meet.form->HeatsViewVisible());
        meet.prompts.No().No();
        meet.form->MakeHeats();
        QCOMPARE(meet.prompts.Questions,
                 (QStringList{ProgramCreationQuestion, OnlyConfirmedQuestion}));
        QVERIFY(meet.form->HeatsViewVisible());
        QCOMPARE(TableRows(meet.session.MeetDb, "Swim Table",
                           {"Entrant Number", "Event number", "Seed Order", "Heat No", "Lane No"}),
                 (QStringList{"1|12|0|<null>|<null>", "1|1|2|1|3", "1|99|0|<null>|<null>",
                              "2|3|0|<null>|<null>", "4|1|1|1|4"}));

        // Only confirmed entries: Cy alone. What-if mode and the entries mode write nothing.
        meet.prompts.No().Yes();
        meet.form->MakeHeats();
        QCOMPARE(HeatLines(meet.form->MadeHeats()).size(), 1);
        meet.form->WhatIfMode = true;
        meet.form->MakeHeats();
        QCOMPARE(meet.prompts.Messages, QStringList{WhatIfMessage});

        ConfirmMeet entries(ModeEntries);
        entries.form->MakeHeats();
        QVERIFY(entries.prompts.Questions.isEmpty());
    }

    void updatePbs()
    {
        // Ann's 50 FS best is 30.00: her entry of 35.10 takes it and the roster is saved.
        ConfirmMeet meet;
        meet.prompts.Messages.clear();
        meet.AddMember(NewMember("Lee", "Ann", "01/02/10", "30.00"));
        meet.form->UpdatePbs();
        QCOMPARE(meet.prompts.Messages,
                 QStringList{"Updated Time for Ann Lee From 35.10 To 30.00"});
        QVERIFY(meet.Swims().contains("1|1|30.00|0"));
    }
};

QTEST_GUILESS_MAIN(TestMastersConfirmForm)
#include "tst_mastersconfirmform.moc"
