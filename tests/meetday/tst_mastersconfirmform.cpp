#include <QFile>
#include <QTest>

#include "core/galastate.h"
#include "meetday/heats.h"
#include "meetday/mastersconfirmform.h"
#include "meetday/updatepbs.h"
#include "meetdb/database.h"
#include "meetdb/eventselection.h"
#include "members/memberdb.h"
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
    }

    // Rows: box|row|typed|answer ("Y", "N" or "" for no question)|the box's and the roster's
    // value afterwards, then what was shown ("" for nothing).
    void editRules_data()
    {
        QTest::addColumn<QStringList>("cells");
        // clang-format off
        const auto row = [](const char *tag, const char *fields, const QString &prompt = {}) {
            QTest::newRow(tag) << (QString(fields).split(u'|') << prompt);
        };
        const QString change = "yesno: " + ChangeEventQuestion, club = "yesno: " + ClubQuestion;
        row("event emptied", "event|0|||1", "message: " + RemoveEventMessage);
        row("event changed", "event|0| 2|Y|2", change);
        row("event change declined", "event|0|2|N|1", change);
        row("event unchanged", "event|0|1||1");
        row("event on the Add row", "event|3|7||");
        row("time NT", "time|0|nt||9:99.99");
        row("time 9:99 as typed", "time|0|9:99||9:99");
        row("time seconds", "time|0|65.3||1:05.30");
        row("time 75 seconds past a minute", "time|0|1:75.00||35.10", "message: Invalid Time");
        row("tick", "tick|1|1||1");
        row("tick on the Add row", "tick|3|1||0");
        row("club unknown kept", "club|0|ZZZ|Y|ZZZ", club);
        row("club unknown refused", "club|0|vmsc|N|ASHB", club);
        row("sex", "sex|0|M||M");
        row("sex lower case", "sex|0|m||F", "message: Invalid Sex");
        // clang-format on
    }

    void editRules()
    {
        QFETCH(QStringList, cells);
        const QString box = cells[0], typed = cells[2], value = cells[4], prompt = cells[5];
        const int row = cells[1].toInt();
        ConfirmMeet meet;
        meet.Show(1);
        meet.form->TakeFocus();
        if (cells[3] == "Y")
            meet.prompts.Yes();
        else if (cells[3] == "N")
            meet.prompts.No();

        MastersConfirmForm &f = *meet.form;
        SwimRow &r = f.Rows[row];
        if (box == "event") {
            r.EvNo = typed;
            f.OnEventNumberLeft(row);
        } else if (box == "time") {
            r.Time = typed;
            f.OnEntryTimeLeft(row);
        } else if (box == "tick") {
            f.OnTickChanged(row, true);
        } else if (box == "club") {
            f.FClub = typed;
            f.OnClubLeft();
        } else {
            f.FSex = typed;
            f.OnSexLeft();
        }
        // The box and the roster agree; nothing is added from the Add row.
        const RosterEntrant &ann = meet.Current();
        QCOMPARE(ann.SwimCount(), 3);
        const RosterSwim s = row < ann.SwimCount() ? ann.Swims.at(row) : RosterSwim{};
        const QHash<QString, QStringList> now{
            {"event", {r.EvNo, s.EventNumber}},
            {"time", {r.Time, s.EntryTime}},
            {"tick", {QString::number(r.Confirmed), QString::number(s.Confirmed)}},
            {"club", {f.FClub, ann.Club}},
            {"sex", {f.FSex, ann.Sex}}};
        QCOMPARE(now.value(box), QStringList(2, value));
        QCOMPARE(meet.prompts.Shown, prompt.isEmpty() ? QStringList{} : QStringList{prompt});
        if (prompt.startsWith("message: Invalid")) // back to the box at fault
            QVERIFY(f.TakeFocus().Box != ConfirmBox::None);
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

        // Only confirmed entries: Cy alone. What-if mode writes nothing.
        meet.prompts.No().Yes();
        meet.form->MakeHeats();
        QCOMPARE(HeatLines(meet.form->MadeHeats()).size(), 1);
        meet.form->WhatIfMode = true;
        meet.form->MakeHeats();
        QCOMPARE(meet.prompts.Messages, QStringList{WhatIfMessage});
    }

    // An entry time is replaced by the member's best when that is faster, or when there is no
    // entry time. Rows: swimmer's name, event, entry time, Ann Lee's 50 FS best ("" for none),
    // the time after, the message.
    void updatePbs_data()
    {
        QTest::addColumn<QStringList>("row");
        const QString updated = "Updated Time for Ann Lee From %1 To 35.10";
        // clang-format off
        const auto row = [](const char *tag, const QString &fields, const QString &message = {}) {
            QTest::newRow(tag) << (fields.split(u'|') << message);
        };
        row("slower entry", "Ann Lee|1|36.00|35.10|35.10", updated.arg("36.00"));
        row("name surname first", "Lee Ann|1|36.00|35.10|35.10", "Updated Time for Lee Ann From 36.00 To 35.10");
        row("equal, written otherwise", "Ann Lee|1|35.1|35.10|35.1");
        row("faster entry", "Ann Lee|1|34.00|35.10|34.00");
        row("no time", "Ann Lee|1|9:99.99|35.10|35.10", updated.arg("9:99.99"));
        row("no time, long personal best", "Ann Lee|1|9:99.99|10:45.00|10:45.00", "Updated Time for Ann Lee From 9:99.99 To 10:45.00");
        row("no personal best", "Ann Lee|1|36.00||36.00");
        row("not a member", "Bea Lee|1|36.00|35.10|36.00");
        row("other stroke", "Ann Lee|2|36.00|35.10|36.00");
        row("event not in the meet", "Ann Lee|9|36.00|35.10|36.00");
        // clang-format on
    }

    void updatePbs()
    {
        QFETCH(QStringList, row);
        EntryGala gala("Open", {"1|F|OPEN|50|FS", "2|F|OPEN|50|BK"});
        gala.AddMember(NewMember("Lee", "Ann", "01/02/10", row[3]));
        MeetDb::Database members;
        members.Open(gala.dir.FilePath("pbsys.mdb"));
        Members::MemberIndex index;
        QVERIFY(Members::BuildMemberIndex(members, index, gala.prompts));
        Roster roster{{1, row[0], {}, {}, {}, {}, {{row[1], row[2], false, 0, {}, {}}}}};
        const int changed = UpdatePbs(roster, gala.session.Gala, gala.session.Settings, members,
                                      index, gala.prompts);
        QCOMPARE(roster[0].Swims[0].EntryTime, row[4]);
        QCOMPARE(gala.prompts.Messages, row[5].isEmpty() ? QStringList{} : QStringList{row[5]});
        QCOMPARE(changed, row[5].isEmpty() ? 0 : 1);
    }

    // Through the form, the roster is saved: Ann's entry of 35.10 takes her best of 30.00.
    void updatePbsSaved()
    {
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
