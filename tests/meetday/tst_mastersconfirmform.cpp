#include <functional>

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QTest>

#include "core/galastate.h"
#include "core/textutil.h"
#include "meetday/mastersconfirmform.h"
#include "meetday/roster.h"
#include "meetday/swimlineroster.h"
#include "meetday/updatepbs.h"
#include "meetdb/database.h"
#include "members/memberdb.h"
#include "support/dbrows.h"
#include "support/entryfixture.h"

using namespace MeetDay;

namespace {

const QStringList Events{"1|F|OPEN|50|FS", "2|F|OPEN|100|BK", "3|M|OPEN|200|MED",
                         "12|F|OPEN|100|FS"};
const QString EntrantFields = "Meet code|Entrant Number|Swimmer Name|club|age|Sex|Regno";
const QString SwimFields =
    "Meet code|Entrant Number|Event number|Entry Time|Confirmed|Combined With|Meet Specific";

// An open meet in the meet database, entered in an order that mixes the entrants: Ann (1) in 12,
// 1 and 99 (not in the event list), Bob (2) in 3 and Cy (4) in 1, only Cy's swim confirmed. The
// form is opened in the given mode.
struct ConfirmMeet : EntryGala
{
    explicit ConfirmMeet(const QString &mode = ModeMeetDay, bool database = true)
        : EntryGala("Open", Events)
    {
        session.Gala.ProgramMode = mode;
        if (database) {
            UseMeetDb();
            InsertRows(session.MeetDb, "Entrant Table", EntrantFields,
                       {"M1|1|Ann Lee|ASHB|01/02/10|F|R1", "M1|2|Bob Ray|VMSC|03/04/09|M|R2",
                        "M1|4|Cy Orr|VMSC|05/06/08|M|R4"});
            InsertRows(session.MeetDb, "Swim Table", SwimFields,
                       {"M1|1|12|1:05.00|0|12|", "M1|2|3|2:30.00|0|3|(Res)", "M1|1|1|35.10|0|1|TT",
                        "M1|1|99|9:99.99|0||", "M1|4|1|40.00|1|1|"});
        }
        form = std::make_unique<MastersConfirmForm>(session, prompts);
        form->Open();
    }

    void Show(int number)
    {
        form->FEntNo = QString::number(number);
        form->OnEntrantNumberLeft();
    }
    Roster Load(LoadResult expected = LoadResult::Loaded)
    {
        Roster roster;
        const LoadResult result = LoadRoster(session, prompts, roster);
        [&] { QCOMPARE(int(result), int(expected)); }();
        return roster;
    }

    const RosterEntrant &Current() const { return form->Entrants().at(form->CurrentEntrant()); }
    QStringList Swims()
    {
        return TableRows(
            session.MeetDb, "Swim Table",
            {"Entrant Number", "Event number", "Entry Time", "Confirmed", "Meet Specific"});
    }

    std::unique_ptr<MastersConfirmForm> form;
};

QStringList RowEvents(const MastersConfirmForm &form)
{
    QStringList shown;
    for (const SwimRow &row : form.Rows)
        if (row.Visible)
            shown << row.EvNo + "/" + row.ButtonCaption;
    return shown;
}

// A roster as "number name club age sex regno: event time confirmed rank specific; ..." lines,
// one per entrant, for comparing whole rosters in one line each.
QStringList Describe(const Roster &roster)
{
    QStringList lines;
    for (const RosterEntrant &e : roster) {
        QStringList swims;
        for (const RosterSwim &s : e.Swims)
            swims << QStringList{s.EventNumber, s.EntryTime, s.Confirmed ? "Y" : "N",
                                 QString::number(s.FinalRank), s.MeetSpecific}
                         .join(u' ');
        lines << QStringLiteral("%1 %2|%3|%4|%5|%6: %7")
                     .arg(e.EntrantNumber)
                     .arg(e.Name, e.Club, e.Age, e.Sex, e.RegNo, swims.join("; "));
    }
    return lines;
}

// Lays the files of `spec` ("name:content ...") into `dir`, each dated a minute after the one
// before it, so that which copy is newer never depends on how fast the disk is. Contents: A, the
// entries as the entry window wrote them; B, as saved on the day; A- and B-, cut off inside the
// last entry time; 1, a single byte; 0, nothing. A trailing ^ dates the file an hour back.
QHash<QString, QByteArray> LayFiles(const TestDir &dir, const QString &spec)
{
    const QByteArray a = TestDir::Read(TestDataPath("meetday/intent-entries.vb")),
                     b = TestDir::Read(TestDataPath("meetday/intent-saved.vb"));
    const QHash<QString, QByteArray> contents{{"A", a},
                                              {"B", b},
                                              {"A-", a.left(a.lastIndexOf('"'))},
                                              {"B-", b.left(b.lastIndexOf('"'))},
                                              {"1", "1"},
                                              {"0", ""}};
    QDateTime when = QDateTime::currentDateTime().addSecs(-600);
    for (const QString &laid : spec.split(u' ', Qt::SkipEmptyParts)) {
        QString content = laid.section(u':', 1);
        const bool older = content.endsWith(u'^');
        content.chop(older ? 1 : 0);
        when = when.addSecs(60);
        QFile file(dir.Write(laid.section(u':', 0, 0), contents.value(content)));
        if (!(file.open(QIODevice::ReadWrite) &&
              file.setFileTime(older ? when.addSecs(-3600) : when,
                               QFileDevice::FileModificationTime)))
            qFatal("cannot date %s", qPrintable(file.fileName()));
    }
    return contents;
}

// An open meet in the meet database, girls' events 1, 2, 3, 4, 7 and 12, with 2 and 4 swum
// together (lead 2), boys' event 8 and mixed event 9. Ann (1) swims 1 (confirmed, "TT") and 3,
// Bea (2) only 1. The form shows Ann.
struct SwimMeet : EntryGala
{
    std::unique_ptr<MastersConfirmForm> form;

    explicit SwimMeet(const QString &mode = ModeMeetDay)
        : EntryGala("Open",
                    {"1|F|OPEN|50|FS", "2|F|OPEN|50|BK", "3|F|OPEN|50|BR", "4|F|OPEN|50|FLY",
                     "7|F|OPEN|50|BK", "12|F|OPEN|100|FS", "8|M|OPEN|50|FS", "9|X|OPEN|50|FS"})
    {
        session.Gala.ProgramMode = mode;
        session.Gala.Combinations << QStringList{"2", "4"};
        UseMeetDb();
        InsertRows(session.MeetDb, "Entrant Table", "Meet code|Entrant Number|Swimmer Name|Sex",
                   {"M1|1|Ann Lee|F", "M1|2|Bea Ray|F"});
        InsertRows(session.MeetDb, "Swim Table",
                   "Meet code|Entrant Number|Event number|Entry Time|Confirmed|Combined With|"
                   "Meet Specific",
                   {"M1|1|1|35.10|1|1|TT", "M1|1|3|40.00|0|3|", "M1|2|1|1:05.00|0|1|"});
        form = std::make_unique<MastersConfirmForm>(session, prompts);
        form->Open();
        form->TakeFocus();
    }

    // The swims of the meet database as "entrant event time confirmed pool".
    QStringList Stored()
    {
        return TableRows(
            session.MeetDb, "Swim Table",
            {"Entrant Number", "Event number", "Entry Time", "Confirmed", "Combined With"});
    }
};

} // namespace

class TestMastersConfirmForm : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    // The first card is on show when the window opens; "Next Swimmer" skips the missing 3 and
    // stays on the last; a search shows the first entrant whose name holds the text.
    void showWalkAndSearch()
    {
        ConfirmMeet meet;
        QCOMPARE(meet.form->FEntNo, QString("1"));
        for (int i = 0; i < 3; ++i)
            meet.form->NextSwimmer();
        QCOMPARE(meet.form->FEntNo + meet.form->FName, QString("4Cy Orr"));
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

        meet.Show(1);
        QCOMPARE(meet.form->FName, QString("Ann Lee"));
        QCOMPARE(RowEvents(*meet.form), (QStringList{"1/Del", "12/Del", "99/Del", "/Add"}));
        QCOMPARE(meet.form->TakeFocus().Box, ConfirmBox::ConfirmAll);

        meet.Show(3);
        QCOMPARE(meet.prompts.Messages.last(), InvalidEntrantMessage);
        QCOMPARE(meet.form->FName + RowEvents(*meet.form).join(u' '), QString());

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
    // value afterwards|whether the text was taken (1) or refused (0), then what was shown ("" for
    // nothing). A command pressed without leaving the box runs only when the text was taken.
    void editRules_data()
    {
        QTest::addColumn<QStringList>("cells");
        // clang-format off
        const auto row = [](const char *tag, const char *fields, const QString &prompt = {}) {
            QTest::newRow(tag) << (QString(fields).split(u'|') << prompt);
        };
        const QString change = "yesno: " + ChangeEventQuestion, club = "yesno: " + ClubQuestion;
        row("event emptied", "event|0|||1|1", "message: " + RemoveEventMessage);
        row("event changed", "event|0| 2|Y|2|1", change);
        row("event change declined", "event|0|2|N|1|1", change);
        row("event unchanged", "event|0|1||1|1");
        row("event on the Add row", "event|3|7|||1");
        row("time 9:99 as typed", "time|0|9:99||9:99|1");
        row("time seconds", "time|0|65.3||1:05.30|1");
        row("time NT", "time|0|nt||9:99.99|1");
        row("meet specific", "specific|1|TT||TT|1");
        row("time 75 seconds past a minute", "time|0|1:75.00||35.10|0", "message: Invalid Time");
        row("tick on the Add row", "tick|3|1||0|1");
        row("club unknown kept", "club|0|zzz|Y|ZZZ|1", club);
        row("club unknown refused", "club|0|zzz|N|ASHB|0", club);
        row("club in small letters", "club|0|vmsc||VMSC|1");
        row("club as stored, small letters", "club|0|ashb||ASHB|1");
        row("sex", "sex|0|M||M|1");
        row("sex lower case", "sex|0|m||F|0", "message: Invalid Sex");
        row("name", "name|0|Ann Lee-Hart||Ann Lee-Hart|1");
        // clang-format on
    }

    void editRules()
    {
        QFETCH(QStringList, cells);
        const QString box = cells[0], typed = cells[2], value = cells[4], prompt = cells[6];
        const int row = cells[1].toInt();
        ConfirmMeet meet;
        meet.Show(1);
        meet.form->TakeFocus();
        if (!cells[3].isEmpty())
            cells[3] == "Y" ? meet.prompts.Yes() : meet.prompts.No();
        MastersConfirmForm &f = *meet.form;
        SwimRow &r = f.Rows[row];
        // Each box: the text typed into it (none for the tick), and taking it.
        const auto take = [&f, row](ConfirmBox box) {
            return [&f, row, box] { return f.TakeTypedBox(box, row); };
        };
        const QHash<QString, std::pair<QString *, std::function<bool()>>> boxes{
            {"event", {&r.EvNo, take(ConfirmBox::EventNumber)}},
            {"time", {&r.Time, take(ConfirmBox::EntryTime)}},
            {"tick", {nullptr, [&] { return f.OnTickChanged(row, true), true; }}},
            {"specific", {&r.MeetSpecific, [&] { return f.OnMeetSpecificChanged(row), true; }}},
            {"name", {&f.FName, [&] { return f.OnNameChanged(), true; }}},
            {"club", {&f.FClub, take(ConfirmBox::Club)}},
            {"sex", {&f.FSex, take(ConfirmBox::Sex)}}};
        const auto [text, leave] = boxes.value(box);
        if (text)
            *text = typed;
        QCOMPARE(leave(), cells[5] == "1");
        // The box and the roster agree; nothing is added from the Add row.
        const RosterEntrant &ann = meet.Current();
        QCOMPARE(ann.SwimCount(), 3);
        const RosterSwim s = row < ann.SwimCount() ? ann.Swims.at(row) : RosterSwim{};
        const QHash<QString, QStringList> now{
            {"event", {r.EvNo, s.EventNumber}},
            {"time", {r.Time, s.EntryTime}},
            {"tick", {QString::number(r.Confirmed), QString::number(s.Confirmed)}},
            {"specific", {r.MeetSpecific, s.MeetSpecific}},
            {"name", {f.FName, ann.Name}},
            {"club", {f.FClub, ann.Club}},
            {"sex", {f.FSex, ann.Sex}}};
        QCOMPARE(now.value(box), QStringList(2, value));
        QCOMPARE(meet.prompts.Shown, prompt.isEmpty() ? QStringList{} : QStringList{prompt});
    }

    // Calling up another entrant writes the one on display, except in what-if mode; closing asks
    // whether to save, and a save that fails keeps the window open.
    void saving()
    {
        ConfirmMeet meet;
        meet.Show(1);
        meet.form->OnTickChanged(0, true);
        meet.Show(2);
        QVERIFY(meet.Swims().contains("1|1|35.10|1|TT"));

        meet.form->SetWhatIfMode(true);
        meet.form->OnTickChanged(0, true); // Bob's swim
        meet.Show(4);
        meet.form->MakeHeats(); // nor are heats made
        QVERIFY(meet.Swims().contains("2|3|2:30.00|0|(Res)"));
        QCOMPARE(meet.prompts.Messages, QStringList(2, WhatIfMessage));
        // Leaving the mode drops what was tried, after a question whose default is No; a No
        // stays in the mode. Nothing tried reaches the next save.
        meet.prompts.No().Yes();
        meet.form->SetWhatIfMode(false);
        QVERIFY(meet.form->WhatIfMode && meet.form->Entrants().at(1).Swims.at(0).Confirmed);
        meet.form->SetWhatIfMode(false);
        QVERIFY(!meet.form->WhatIfMode && !meet.form->Entrants().at(1).Swims.at(0).Confirmed);
        QCOMPARE(meet.form->FName, QString("Cy Orr"));
        meet.form->SetWhatIfMode(true); // nothing tried: nothing to ask
        meet.form->SetWhatIfMode(false);
        QCOMPARE(meet.prompts.DefaultNoQuestions, QStringList(2, DropWhatIfQuestion));
        QVERIFY(meet.form->SaveAll());
        QVERIFY(meet.Swims().contains("2|3|2:30.00|0|(Res)"));
        QCOMPARE(meet.form->Status, QString("3 entrants and 5 swims written to natamar.mdb"));

        meet.prompts.Messages.clear();
        meet.Show(2);
        meet.form->ConfirmAll();
        for (const bool save : {false, true}) {
            save ? meet.prompts.Yes() : meet.prompts.No();
            meet.form->Close();
            QVERIFY(meet.form->CloseRequested);
            QVERIFY(meet.Swims().contains(QString("2|3|2:30.00|%1|(Res)").arg(int(save))));
            meet.form->CloseRequested = false;
        }
        meet.session.MeetDb.Exec("DROP TABLE \"Swim Table\"");
        meet.prompts.Yes();
        meet.form->Close();
        QVERIFY(!meet.form->CloseRequested);
        QCOMPARE(meet.prompts.Messages.size(), 1);
    }

    // Without the meet database: a missing file is an empty roster, with no check-in log. A
    // roster that could not be read whole (a file ending early, a count no file could hold:
    // refused, not allocated) is never saved over the file. Calling up an entrant writes
    // nothing and says nothing: the file is written whole by "Save All".
    void entryFileOnly()
    {
        ConfirmMeet meet(ModeMeetDay, false);
        QCOMPARE(int(meet.form->Loaded()), int(LoadResult::Empty));
        meet.form->CheckinLog();
        QCOMPARE(meet.prompts.Messages, (QStringList{NoSwimsMessage, NoEntriesMessage}));
        const QByteArray ann = "1,\"Ann Lee\",\"ASHB\",\"01/02/10\",\"F\"\r\n";
        for (const QByteArray count : {"3", "99999999"}) {
            meet.dir.Write("intent.vb", ann + count + "\r\n");
            meet.prompts.Messages.clear();
            meet.form->Open();
            QVERIFY(meet.form->Loaded() == LoadResult::Failed && meet.form->Entrants().isEmpty());
            QVERIFY(!meet.form->SaveAll());
            QVERIFY(!QFile::exists(meet.dir.FilePath("intent.BAK")));
            QCOMPARE(meet.prompts.Messages.size(), 2);
            QVERIFY(meet.prompts.Messages[0].contains("intent.vb"));
            QVERIFY(meet.prompts.Messages[1].startsWith("Nothing was saved"));
        }
        // Calling up entrants writes nothing card by card, and says nothing about it, in the
        // what-if mode too; Save All writes the file.
        meet.dir.Write("intent.vb", ann + "1\r\n\"1\",\"35.10\",#FALSE#\r\n");
        meet.form->Open();
        meet.prompts.Messages.clear();
        const QByteArray before = meet.File("intent.vb");
        meet.Show(1);
        meet.Show(1);
        QCOMPARE(meet.prompts.Messages, QStringList());
        QCOMPARE(meet.File("intent.vb"), before);
        meet.form->SetWhatIfMode(true);
        meet.Show(1);
        QCOMPARE(meet.prompts.Messages, QStringList{});
        meet.form->SetWhatIfMode(false);
        QVERIFY(meet.form->SaveAll());
        QCOMPARE(meet.form->Status, QString("1 entrant and 1 swim written to intent.vb"));
    }

    // The "Heats" view shows the heats stored when the window opens. Rows: the stored swims'
    // entrant:event:heat:lane[:pool event] ("file" for a heat work file of event 1 instead,
    // "entries" for the entries mode, "lanes=N" and "first=N" for the pool), then the lines shown
    // as event/heat/lane/name with each lane as painted on the pool, then the view's heading
    // when it is not "Club seeding, lanes 1 to 5". A lane the pool has not is left out and named.
    void heatsAtOpen_data()
    {
        AddRows({"|", "1:1:1:3|1/1/3/Ann Lee",
                 "1:1:1:0|", // no lane: no place in a heat
                 "1:1:0:2|",
                 "4:1:2:1 1:12:1:1 1:1:1:4 2:3:1:2|1/1/4/Ann Lee 1/2/1/Cy Orr 3/1/2/Bob Ray "
                 "12/1/1/Ann Lee",
                 "1:12:1:2:1 4:1:1:1|1/1/1/Cy Orr 12/1/2/Ann Lee", // 12 swum with 1
                 "entries 1:1:1:3|", "file|1/1/3/Ann Lee 1/1/4/Cy Orr",
                 "lanes=10 first=0 1:1:1:10 4:1:1:1|1/1/0/Cy Orr 1/1/9/Ann Lee|"
                 "Club seeding, lanes 0 to 9",
                 "lanes=10 1:1:1:11 4:1:1:10|1/1/10/Cy Orr|Club seeding, lanes 1 to 10\nNot "
                 "shown: 1 swim stored outside this pool's 10 lanes. Make the heats again.",
                 "lanes=8 first=0 1:1:1:9 4:1:1:8 2:3:1:9|1/1/7/Cy Orr|Club seeding, lanes 0 to "
                 "7\nNot shown: 2 swims stored outside this pool's 8 lanes. Make the heats again.",
                 "lanes=4 1:1:1:5|| 1 swim stored outside"});
    }

    void heatsAtOpen()
    {
        const QStringList row = RowCells();
        QStringList stored = row[0].split(u' ', Qt::SkipEmptyParts);
        const bool file = stored.contains("file");
        ConfirmMeet meet(stored.removeAll("entries") ? ModeEntries : ModeMeetDay, !file);
        for (const QString &pool : stored.filter("=")) {
            (pool.startsWith("lanes") ? meet.session.Gala.Lanes : meet.session.Gala.FirstLane) =
                pool.section(u'=', 1).toInt();
            stored.removeAll(pool);
        }
        if (file) {
            meet.session.Gala.AllHeats = true; // two swimmers swim in one heat
            meet.dir.Write("wk1.vb",
                           "2\r\n\"4\",\"1\",\"Cy Orr\",\"05/06/08\",\"40.00\",-1\r\n"
                           "\"VMSC\"\r\n\"1\",\"1\",\"Ann Lee\",\"01/02/10\",\"35.10\",-1\r\n"
                           "\"ASHB\"\r\n");
            stored.clear();
        }
        for (const QString &swim : std::as_const(stored)) {
            const QStringList f = swim.split(u':');
            meet.session.MeetDb.Exec(
                "UPDATE \"Swim Table\" SET \"Heat No\" = :heat, \"Lane No\" = :lane, "
                "\"Combined With\" = :pool WHERE \"Entrant Number\" = :entrant AND "
                "\"Event number\" = :event",
                {{"heat", f[2]},
                 {"lane", f[3]},
                 {"pool", f.value(4, f[1])},
                 {"entrant", f[0]},
                 {"event", f[1]}});
        }
        meet.form->Open();
        QStringList lines;
        for (const QStringList &cells : meet.form->HeatsViewRows())
            lines << QStringList{cells[0], cells[1], cells[2], cells[3]}.join(u'/');
        QCOMPARE(lines.join(u' '), row[1]);
        const QString heading = row.value(2, "Club seeding, lanes 1 to 5");
        if (heading.startsWith(u' '))
            QVERIFY2(meet.form->HeatsViewHeading().contains(heading.mid(1)),
                     qPrintable(meet.form->HeatsViewHeading()));
        else if (meet.form->MeetDayMode())
            QCOMPARE(meet.form->HeatsViewHeading(), heading);
        QCOMPARE(meet.form->HeatsViewVisible(), !lines.isEmpty() || row.size() > 2);
    }

    // "Make Heats" names the method in the status line before its first question, and again
    // when it is done. Rows: method, the line shown first, the line after (the events of "Select
    // Events": all, or none).
    void makeHeatsTitle_data()
    {
        AddRows({"circle|Make Heats - circle seeding|Heats made for 3 events by circle seeding: "
                 "F7 shows them",
                 "standard none|Make Heats - standard seeding|No heats were made"});
    }

    void makeHeatsTitle()
    {
        const QStringList row = RowCells();
        ConfirmMeet meet;
        meet.session.Gala.Hdw = true;
        QVERIFY(Core::SeedingFromName(row[0].section(u' ', 0, 0), meet.session.Gala.Seeding));
        QStringList shown;
        meet.form->ShowStatusLine = [&](const QString &text) {
            shown << text << meet.prompts.Shown.join(u',');
        };
        for (Core::GalaEvent &event : meet.session.Gala.Events)
            event.EvSelected = !row[0].endsWith("none");
        meet.prompts.No().No();
        meet.form->MakeHeats();
        QCOMPARE(shown, (QStringList{row[1], ""}));
        QCOMPARE(meet.form->Status, row[2]);
    }

    void wholeRosterCommands()
    {
        ConfirmMeet meet;
        meet.form->CheckinLog();
        QVERIFY(meet.File("checklist.csv").startsWith("1,Ann Lee,F,1,12,\r\n"));
        QCOMPARE(meet.form->Status,
                 "Check-in log written to " +
                     QDir::toNativeSeparators(meet.dir.FilePath("checklist.csv")));
        meet.prompts.No().Yes().Yes();
        for (const bool confirm : {true, true, false}) {
            confirm ? meet.form->ConfirmAllSwimmers() : meet.form->ClearConfirms();
            meet.form->EntrySummary();
        }
        const QString all = "yesno: " + ConfirmAllQuestion, none = "yesno: " + UnconfirmAllQuestion,
                      summary = "message: Total Entries :  4 | Confirmed :  %1";
        QCOMPARE(meet.prompts.Shown,
                 (QStringList{all, summary.arg(1), all, summary.arg(4), none, summary.arg(0)}));
        // The statistics are of the roster as it is now: Cy's confirmed swim is cleared too.
        QCOMPARE(meet.form->EntryStatistics().at(0).Unconfirmed,
                 (QStringList{"Ann Lee", "Cy Orr"}));

        // "Update PBs": Ann's 50 FS best of 30.00 replaces her 35.10, and the roster is saved.
        meet.prompts.Messages.clear();
        meet.AddMember(NewMember("Lee", "Ann", "01/02/10", "30.00"));
        meet.form->UpdatePbs();
        QCOMPARE(meet.prompts.Messages,
                 QStringList{"Updated Time for Ann Lee From 35.10 To 30.00"});
        QVERIFY(meet.Swims().contains("1|1|30.00|0|TT"));
        QCOMPARE(meet.form->Status, QString("1 entry time updated"));
        meet.form->UpdatePbs();
        QCOMPARE(meet.form->Status, QString("No entry times updated"));
    }

    // An entry time is replaced by the member's best when that is faster, or when there is no
    // entry time. Rows: swimmer's name, event, entry time, Ann Lee's 50 FS best ("" for none),
    // the time after, the message.
    void updatePbs_data()
    {
        // clang-format off
        AddRows({"Ann Lee|1|36.00|35.10|35.10|Updated Time for Ann Lee From 36.00 To 35.10",
                 "Lee Ann|1|36.00|35.10|35.10|Updated Time for Lee Ann From 36.00 To 35.10", // surname first
                 "Ann Lee|1|35.1|35.10|35.1|", // equal, written otherwise
                 "Ann Lee|1|34.00|35.10|34.00|",
                 "Ann Lee|1|9:99.99|35.10|35.10|Updated Time for Ann Lee From 9:99.99 To 35.10",
                 "Ann Lee|1|9:99.99|10:45.00|10:45.00|Updated Time for Ann Lee From 9:99.99 To 10:45.00",
                 "Ann Lee|1|36.00||36.00|", "Bea Lee|1|36.00|35.10|36.00|", // no best, not a member
                 "Ann Lee|9|36.00|35.10|36.00|"}); // event not in the meet
        // clang-format on
    }

    void updatePbs()
    {
        const QStringList row = RowCells();
        EntryGala gala("Open", {"1|F|OPEN|50|FS"});
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

    // Loading from the meet database, with nothing to load, and from a broken one. The
    // confirmation commands reach only swims of the meet's events; counts and logs.
    void loadDatabase()
    {
        ConfirmMeet meet;
        Roster roster = meet.Load();
        QCOMPARE(Describe(roster),
                 (QStringList{"1 Ann Lee|ASHB|01/02/10|F|R1: 1 35.10 N 0 TT; 12 1:05.00 N 0 ; "
                              "99 9:99.99 N 0 ",
                              "2 Bob Ray|VMSC|03/04/09|M|R2: 3 2:30.00 N 0 (Res)",
                              "4 Cy Orr|VMSC|05/06/08|M|R4: 1 40.00 Y 0 "}));
        QCOMPARE(roster[0].Swims[2].CombinedWith + "/" + roster[1].Swims[0].CombinedWith, "/3");
        QCOMPARE(SetAllConfirmed(roster, meet.session.Gala, true), 4);
        QVERIFY(!roster.at(0).Swims.at(2).Confirmed); // event 99
        roster[0].Swims[2].Confirmed = true;
        QCOMPARE(SetAllConfirmed(roster, meet.session.Gala, false), 4);
        QVERIFY(roster.at(0).Swims.at(2).Confirmed && !roster.at(1).Swims.at(0).Confirmed);

        QCOMPARE(ClearReserves(roster), 1);
        QCOMPARE(roster.at(0).Swims.at(0).MeetSpecific + roster.at(1).Swims.at(0).MeetSpecific,
                 QString("TT"));

        // Counts and logs, of the roster as loaded.
        roster = meet.Load();
        roster[1].Swims[0].FinalRank = 6; // above the 5 lanes: a reserve
        roster.append(
            RosterEntrant{5, "Di Orr", "VMSC", "", "M", "", {{"98", "1:00.00", false, 0, {}, {}}}});

        QStringList stats;
        for (const Reports::EventStatistic &s : EventStatistics(roster, meet.session.Gala))
            stats << QStringLiteral("%1:%2/%3 ").arg(s.EvNumber).arg(s.Confirmed).arg(s.Entries) +
                         s.Unconfirmed.join(u',');
        QCOMPARE(stats,
                 (QStringList{"1:1/2 Ann Lee", "2:0/0 ", "3:0/1 Bob Ray", "12:0/1 Ann Lee"}));

        QCOMPARE(CheckinLogBytes(roster, meet.session.Gala),
                 QByteArray("1,Ann Lee,F,1,12,\r\n2,Bob Ray,M,3(R),\r\n4,Cy Orr,M,1,\r\n"));

        // A database before version 1.0 has no registration numbers to read.
        meet.session.Gala.DbVersion = 0.9f;
        QCOMPARE(meet.Load().at(0).RegNo, QString());

        meet.session.Gala.MeetCode = "NONE";
        QVERIFY(meet.Load(LoadResult::Empty).isEmpty());
        QCOMPARE(meet.prompts.Messages, QStringList{NoSwimsMessage});

        meet.session.MeetDb.Exec("DROP TABLE \"Swim Table\"");
        meet.prompts.Messages.clear();
        QVERIFY(meet.Load(LoadResult::Failed).isEmpty());
        QCOMPARE(meet.prompts.Messages.size(), 1);
        QVERIFY(meet.prompts.Messages.at(0).contains("Meet Swim Record"));
    }

    // Save all: stored swims matched by event and updated, swims removed on the day deleted,
    // swims added inserted, an entrant left with no swims removed with them.
    void saveDatabase()
    {
        ConfirmMeet meet;
        Roster roster = meet.Load();
        RosterEntrant &ann = roster[0];
        ann.Name = "Ann Lee-Hart";
        ann.RegNo = "R9";
        ann.Swims[0].Confirmed = true;
        ann.Swims[1].EntryTime = "1:04.50";
        ann.Swims.removeAt(2);                                // event 99 withdrawn
        ann.Swims.append({"2", "1:20.00", true, 0, {}, "X"}); // added on the day
        roster[1].Swims.clear();                              // Bob scratched altogether
        QVERIFY(SaveRoster(meet.session, roster, meet.prompts));
        QCOMPARE(meet.prompts.Messages, QStringList{});

        QCOMPARE(TableRows(meet.session.MeetDb, "Entrant Table",
                           {"Entrant Number", "Swimmer Name", "Regno"}),
                 (QStringList{"1|Ann Lee-Hart|R9", "4|Cy Orr|R4"}));
        QCOMPARE(meet.Swims(), (QStringList{"1|12|1:04.50|0|", "1|1|35.10|1|TT", "4|1|40.00|1|",
                                            "1|2|1:20.00|1|X"}));
        QCOMPARE(TableRows(meet.session.MeetDb, "Swim Table",
                           {"Event Sequence", "Combined With", "Time", "Position"})
                     .last(),
                 QString("2|2|1:20.00|0"));
        // Saving again what was saved changes nothing.
        const Roster again = meet.Load();
        QVERIFY(SaveRoster(meet.session, again, meet.prompts));
        QCOMPARE(Describe(meet.Load()), Describe(again));

        // An entrant gone from the table: the swims are saved all the same, and that is said.
        roster = meet.Load();
        meet.session.MeetDb.Exec("DELETE FROM \"Entrant Table\" WHERE \"Entrant Number\" = 4");
        roster[1].Swims[0].EntryTime = "39.00";
        QVERIFY(SaveRoster(meet.session, roster, meet.prompts));
        QCOMPARE(meet.prompts.Messages, QStringList{NoEntrantMessage});
        QVERIFY(meet.Swims().contains("4|1|39.00|1|"));

        // A failure part-way (the database refuses the second entrant's swim: its index entry
        // cannot be computed) writes nothing.
        meet.prompts.Messages.clear();
        const QStringList before = meet.Swims();
        meet.session.MeetDb.Exec(
            R"(CREATE INDEX "Refuse 4" ON "Swim Table" (abs(CASE WHEN "Entrant Number" = 4 AND )"
            R"("Entry Time" = '38.00' THEN -9223372036854775807 - 1 ELSE 0 END)))");
        roster[0].Swims[0].EntryTime = "1:00.00";
        roster[1].Swims[0].EntryTime = "38.00";
        QVERIFY(!SaveRoster(meet.session, roster, meet.prompts));
        QCOMPARE(meet.Swims(), before);
        QCOMPARE(meet.prompts.Messages.size(), 1);
        QVERIFY(meet.prompts.Messages.at(0).contains("integer overflow") &&
                meet.prompts.Messages.at(0).endsWith("Nothing was saved."));
        QCOMPARE(meet.session.MeetDb.TransactionDepth(), 0);

        // No fixed capacity: 3,000 entrants with 9,000 swims load, show and save back in one go.
        meet.session.MeetDb.Exec("DELETE FROM \"Swim Table\"");
        meet.session.MeetDb.Exec("DELETE FROM \"Entrant Table\"");
        QStringList entrants, swims;
        for (int n = 1; n <= 3000; ++n) {
            entrants << QStringLiteral("M1|%1|Swimmer %1|ASHB|01/02/10|F|R%1").arg(n);
            for (const char *event : {"12", "1", "2"})
                swims << QStringLiteral("M1|%1|%2|1:00.00|0|%2|").arg(n).arg(event);
        }
        MeetDb::Transaction t(meet.session.MeetDb);
        InsertRows(meet.session.MeetDb, "Entrant Table", EntrantFields, entrants);
        InsertRows(meet.session.MeetDb, "Swim Table", SwimFields, swims);
        t.Commit();
        roster = meet.Load();
        QCOMPARE(roster.size(), 3000);
        meet.form->Open();
        QVERIFY(meet.form->ShowEntrant(2999) && meet.form->FName == "Swimmer 2999");
        SetAllConfirmed(roster, meet.session.Gala, true);
        roster[2999].Swims[1].EntryTime = "59.99";
        QVERIFY(SaveRoster(meet.session, roster, meet.prompts));
        QCOMPARE(Describe(meet.Load()), Describe(roster));
    }

    // A gala kept in swim lines: every line of intent.vb is an entry, under its entrant's name
    // and date; the day's roster from finals.cds keeps numbers, clubs, times and ticks. Lines
    // are "event:name:date:time"; the day's entrants "number|name|date|sex|event=time=Y/N,...".
    void swimLineRoster_data()
    {
        QTest::addColumn<QStringList>("lines");
        QTest::addColumn<QStringList>("day");
        QTest::addColumn<QStringList>("roster"); // Describe()
        const QStringList lines{"1:Lee Ann:12/03/11:40.00",
                                "3:Ray Bob:03/04/09:", "2:Lee Ann:12/03/11:"};
        const QStringList day{"7|Lee Ann|12/03/11|F|1=39.00=Y,2=9:99.99=N",
                              "9|Ray Bob|03/04/09|M|3=2:30.00=Y"};
        const QStringList kept{"7 Lee Ann|VMSC|12/03/11|F|: 1 39.00 Y 0 ; 2 9:99.99 N 0 ",
                               "9 Ray Bob|VMSC|03/04/09|M|: 3 2:30.00 Y 0 "};
        // clang-format off
        QTest::newRow("lines only") << lines << QStringList()
            << QStringList{"1 Lee Ann|VMSC|12/03/11|F|: 1 40.00 N 0 ; 2 9:99.99 N 0 ", "2 Ray Bob|VMSC|03/04/09|M|: 3 9:99.99 N 0 "};
        QTest::newRow("day kept") << lines << day << kept;
        QTest::newRow("entered since the day saved") << lines + QStringList{"12:Lee Ann:12/03/11:1:10.00", "1:Orr Cy:05/06/08:"} << day
            << QStringList{kept[0] + "; 12 1:10.00 N 0 ", kept[1], "10 Orr Cy|VMSC|05/06/08|F|: 1 9:99.99 N 0 "};
        QTest::newRow("removed since, kept") << lines.mid(0, 2) << day << kept;
        QTest::newRow("same event twice") << lines + QStringList{"1:Lee Ann:12/03/11:41.00"} << day
            << QStringList{kept[0] + "; 1 41.00 N 0 ", kept[1]};
        QTest::newRow("namesakes") << QStringList{"2:Lee Ann:12/03/11:", "1:Lee Ann:12/03/11:"}
            << QStringList{"7|Lee Ann|12/03/11|F|1=39.00=Y", "8|Lee Ann|12/03/11|F|2=50.00=Y"}
            << QStringList{"7 Lee Ann|VMSC|12/03/11|F|: 1 39.00 Y 0 ", "8 Lee Ann|VMSC|12/03/11|F|: 2 50.00 Y 0 "};
        QTest::newRow("event not in the meet") << QStringList{"99:Lee Ann:12/03/11:"} << QStringList()
            << QStringList{"1 Lee Ann|VMSC|12/03/11||: 99 9:99.99 N 0 "};
        QTest::newRow("highest number") << QStringList{"1:Orr Cy:05/06/08:"} << QStringList{"2147483647|Lee Ann|12/03/11|F|2=50.00=Y"}
            << QStringList{"2147483647 Lee Ann|VMSC|12/03/11|F|: 2 50.00 Y 0 ", "2147483647 Orr Cy|VMSC|05/06/08|F|: 1 9:99.99 N 0 "};
        // clang-format on
    }

    void swimLineRoster()
    {
        QFETCH(QStringList, lines);
        QFETCH(QStringList, day);
        Core::GalaState gala;
        for (const QString &line : Events) {
            Core::GalaEvent event;
            event.EvNumber = line.section(u'|', 0, 0);
            event.EvSex = line.section(u'|', 1, 1);
            gala.Events << event;
        }
        QList<Entries::SwimLine> swimLines;
        for (const QString &line : lines)
            swimLines << Entries::SwimLine{line.section(u':', 0, 0), line.section(u':', 1, 1),
                                           line.section(u':', 2, 2), line.section(u':', 3)};
        Roster dayRoster;
        for (const QString &entrant : day) {
            const QStringList f = entrant.split(u'|');
            dayRoster << RosterEntrant{f[0].toInt(), f[1], "VMSC", {}, f[2], f[3], {}};
            for (const QString &swim : f[4].split(u','))
                dayRoster.last().Swims << RosterSwim{swim.section(u'=', 0, 0),
                                                     swim.section(u'=', 1, 1),
                                                     swim.section(u'=', 2) == "Y",
                                                     0,
                                                     {},
                                                     {}};
        }
        QTEST(Describe(RosterFromSwimLines(swimLines, dayRoster, gala)), "roster");
    }

    // Entrant numbers are read whole and must be ones the program gives: cut to 32 bits,
    // 4294967298 would be entrant 2, and saving would write Bob's details over Zed's.
    void entrantNumbers_data()
    {
        QTest::addColumn<QString>("number");
        QTest::addColumn<bool>("loads");
        QTest::addColumn<bool>("late"); // added by another program after the roster was read
        // clang-format off
        QTest::newRow("1, the first") << "1" << true << false;
        QTest::newRow("999999, the last") << "999999" << true << false;
        QTest::newRow("1000000, one past") << "1000000" << false << false;
        QTest::newRow("0, one before") << "0" << false << false;
        QTest::newRow("2 in 32 bits") << "4294967298" << false << false;
        QTest::newRow("beyond 64 bits") << "18446744073709551618" << false << false;
        QTest::newRow("fraction") << "7.5" << false << false;
        QTest::newRow("word") << "seven" << false << false;
        QTest::newRow("2 in 32 bits, added after reading") << "4294967298" << true << true;
        // clang-format on
    }
    void entrantNumbers()
    {
        QFETCH(QString, number);
        QFETCH(bool, loads);
        QFETCH(bool, late);
        ConfirmMeet meet;
        MeetDb::Database &db = meet.session.MeetDb;
        auto addZed = [&] {
            if (number == "1") { // in Ann's place
                db.Exec(R"(DELETE FROM "Entrant Table" WHERE "Entrant Number" = 1)");
                db.Exec(R"(DELETE FROM "Swim Table" WHERE "Entrant Number" = 1)");
            }
            InsertRows(db, "Entrant Table", EntrantFields, {"M1|" + number + "|Zed Fox|ASHB|||"});
            InsertRows(db, "Swim Table", SwimFields, {"M1|" + number + "|3|33.00|0|3|"});
        };
        if (!late)
            addZed();
        Roster roster = meet.Load(loads ? LoadResult::Loaded : LoadResult::Failed);
        if (!loads) {
            QCOMPARE(meet.prompts.Messages.size(), 1);
            const QString &message = meet.prompts.Messages.at(0);
            QVERIFY2(message.startsWith("Meet M1 in " + meet.dir.FilePath("natamar.mdb") +
                                        " has the entrant number \"") &&
                         message.contains("\", which is not a number from 1 to 999999"),
                     qPrintable(message));
            return;
        }
        if (late)
            addZed();
        const int bob = FindEntrant(roster, 2);
        roster[bob].Name = "Bob Ray-Hart";
        roster[bob].Swims[0].Confirmed = true;
        QVERIFY(SaveRoster(meet.session, roster, meet.prompts));
        QCOMPARE(meet.prompts.Messages, QStringList{});
        QCOMPARE(
            TableRows(db, "Entrant Table", {"Entrant Number", "Swimmer Name"}).filter("|Zed") +
                TableRows(db, "Entrant Table", {"Entrant Number", "Swimmer Name"}).filter("|Bob"),
            QStringList({number + "|Zed Fox", "2|Bob Ray-Hart"}));
        QCOMPARE(meet.Swims().filter(QRegularExpression("^(2|" + number + ")\\|")),
                 QStringList({"2|3|2:30.00|1|(Res)",
                              number + "|3|33.00|0|" + (late ? "<null>" : "")})); // untouched
    }

    // Rows: kind|one card|session|file loaded, saved, backed up|final ranks read, written.
    // "saved" in the session: the one-card meet's finals.cds is already there.
    void filesFor_data()
    {
        AddRows({"Open|0||intent.vb intent.vb intent.BAK NN -",
                 "Champs|1|HEATS|intent.vb intent.vb intent.BAK NN -",
                 "Champs|1|FINALS|intent.vb finals.cds finals.bak NY -",
                 "Champs|1|saved|finals.cds finals.cds finals.bak NN -",
                 "Champs|0|FINALS|finals.cds finals.cds finals.bak YY -",
                 "Champs|0|HEATS|finals.cds finals.cds finals.bak NN intent.vb intent.BAK",
                 "Internal|0||finals.cds finals.cds finals.bak NN intent.vb intent.BAK",
                 "Graded|0||finals.cds finals.cds finals.bak NN intent.vb intent.BAK"});
    }

    void filesFor()
    {
        const QStringList f = RowCells();
        Core::GalaState gala;
        gala.GalaType = f[0];
        gala.OneCard = f[1] == "1";
        TestDir dir;
        if (f[2] == "saved")
            dir.Write("finals.cds", "");
        else
            gala.SessionTitle = f[2];
        const RosterFiles files = RosterFilesFor(gala, dir.Path());
        QStringList names;
        for (const QString &path : {files.Load, files.Save, files.Backup})
            names << path.section(u'/', -1);
        const QString swimLines = files.SwimLines.isEmpty()
                                      ? QStringLiteral("-")
                                      : files.SwimLines.section(u'/', -1) + u' ' +
                                            files.SwimLinesBackup.section(u'/', -1);
        QCOMPARE(names.join(u' ') + u' ' + QLatin1Char("NY"[files.LoadFinalRank]) +
                     QLatin1Char("NY"[files.SaveFinalRank]) + u' ' + swimLines,
                 f[3]);
    }

    // An entry file is read whole only up to the size of the heats files; one byte more is
    // refused with the file's name. Rows: bytes over the cap.
    void entryFileCap_data()
    {
        QTest::addColumn<int>("over");
        QTest::newRow("at the cap") << 0;
        QTest::newRow("one byte past") << 1;
    }
    void entryFileCap()
    {
        QFETCH(int, over);
        EntryGala meet("Open", Events); // without the meet database
        QByteArray entries = "1,\"Ann Lee\",\"ASHB\",\"01/02/10\",\"F\"\r\n1\r\n"
                             "\"1\",\"35.10\",#FALSE#\r\n";
        entries.append(Core::MaxDayFileBytes + over - entries.size(), ' ');
        const QString path = meet.dir.Write("intent.vb", entries);
        Roster roster;
        const LoadResult loaded = LoadRoster(meet.session, meet.prompts, roster);
        QCOMPARE(int(loaded), int(over == 0 ? LoadResult::Loaded : LoadResult::Failed));
        QCOMPARE(roster.size(), over == 0 ? 1 : 0);
        QCOMPARE(meet.prompts.Messages.value(0),
                 over == 0 ? QString()
                           : path + " is larger than 4 MB, too large for an entry file");
    }

    // Entrant numbers as "confirm" takes them: each number once, in the order listed, up to
    // the largest there is; a range may not fall and the list may not name more than 100000.
    void entrantList_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("numbers"); // or the error
        // clang-format off
        QTest::newRow("numbers and a range")    << "1,4,7-9"               << "1 4 7 8 9";
        QTest::newRow("listed twice")           << "1-3,2, 3 ,1"           << "1 2 3";
        QTest::newRow("the largest number")     << "2147483647"            << "2147483647";
        QTest::newRow("a range ending there")   << "2147483645-2147483647" << "2147483645 2147483646 2147483647";
        QTest::newRow("one past the largest")   << "2147483648"            << "\"2147483648\" is not an entrant number or a range such as 7-9";
        QTest::newRow("a range ending past it") << "2147483646-2147483648" << "\"2147483646-2147483648\" is not an entrant number or a range such as 7-9";
        QTest::newRow("falling range")          << "9-3"                   << "\"9-3\" is not an entrant number or a range such as 7-9";
        QTest::newRow("zero")                   << "0"                     << "\"0\" is not an entrant number or a range such as 7-9";
        QTest::newRow("as many as allowed")     << "1-50000,50001-100000"  << "100000";
        QTest::newRow("one more")               << "1-50000,50000-100000"  << "the list names more than 100000 entrant numbers";
        // clang-format on
    }
    void entrantList()
    {
        QFETCH(QString, text);
        QList<int> numbers;
        QString error;
        QString result;
        if (ParseEntrantList(text, numbers, &error)) {
            QStringList listed;
            for (int n : std::as_const(numbers))
                listed << QString::number(n);
            result = numbers.size() > 10 ? QString::number(numbers.size()) : listed.join(u' ');
        } else {
            result = error;
        }
        QTEST(result, "numbers");
    }

    // Load and save through intent.vb: the day's layout byte for byte, one backup of the file
    // before the last save.
    void saveFile()
    {
        EntryGala meet("Open", Events); // without the meet database
        const QByteArray entries = TestDir::Read(TestDataPath("meetday/intent-entries.vb")),
                         saved = TestDir::Read(TestDataPath("meetday/intent-saved.vb"));
        meet.dir.Write("intent.vb", entries);
        Roster roster;
        QCOMPARE(int(LoadRoster(meet.session, meet.prompts, roster)), int(LoadResult::Loaded));
        QCOMPARE(Describe(roster),
                 (QStringList{"1 Ann Lee|ASHB|01/02/10|F|: 12 1:05.00 N 0 ; 1 NT Y 0 ",
                              "2 Bob Ray|VMSC|R72|M|: 3 9:99.99 N 0 "}));
        roster[0].Swims[0].Confirmed = true;
        roster.append(RosterEntrant{7, "Nobody", "X", "", "F", "", {}}); // no swims: not written
        QVERIFY(SaveRoster(meet.session, roster, meet.prompts));
        QCOMPARE(meet.File("intent.vb"), saved);
        QCOMPARE(meet.File("intent.BAK"), entries);

        roster[1].Swims[0].EntryTime = "2:00.00";
        QVERIFY(SaveRoster(meet.session, roster, meet.prompts));
        QCOMPARE(meet.File("intent.BAK"), saved);
        QVERIFY(!QFile::exists(meet.dir.FilePath("intent.vb.new")));
        QCOMPARE(meet.prompts.Messages, QStringList{});

        // A text the file cannot hold stops the save before any file is touched.
        roster[0].Name = "Ann \"Speedy\" Lee";
        const QByteArray before = meet.File("intent.vb");
        QVERIFY(!SaveRoster(meet.session, roster, meet.prompts));
        QCOMPARE(meet.File("intent.vb"), before);
        QCOMPARE(meet.prompts.Messages.size(), 1);
        QVERIFY(meet.prompts.Messages.at(0).contains("intent.vb"));
    }

    // A save stopped between its two renames leaves the file missing beside its new contents
    // and its backup. The load puts back the newer copy that reads whole, says which, and reads
    // it; with none whole it fails, changing nothing. Rows: kind ("Champs1": one card, no
    // session)|files laid (LayFiles)|load|the file afterwards:its content|the copy named.
    void recoverFile_data()
    {
        AddRows({"Open|intent.BAK:A intent.vb.new:B|Loaded|intent.vb:B|intent.vb.new",
                 "Open|intent.BAK:A|Loaded|intent.vb:A|intent.BAK",
                 "Open|intent.vb.new:B|Loaded|intent.vb:B|intent.vb.new",
                 "Open|intent.vb.new:B- intent.BAK:A|Loaded|intent.vb:A|intent.BAK",
                 "Open|intent.vb.new:B^ intent.BAK:A|Loaded|intent.vb:A|intent.BAK",
                 "Open|intent.vb.new:B- intent.BAK:A-|Failed|intent.vb:0|",
                 "Open|intent.vb:A intent.vb.new:B|Loaded|intent.vb:A|",
                 "Open|intent.vb:0|Empty|intent.vb:0|",
                 "Internal|finals.bak:A finals.cds.new:B|Loaded|finals.cds:B|finals.cds.new",
                 "Internal|finals.bak:A|Loaded|finals.cds:A|finals.bak",
                 "Champs1|intent.vb:A finals.cds.new:B|Loaded|finals.cds:B|finals.cds.new"});
    }

    void recoverFile()
    {
        const QStringList f = RowCells();
        EntryGala meet(f[0] == "Champs1" ? "Champs" : f[0], Events);
        meet.session.Gala.OneCard = f[0] == "Champs1";
        const QHash<QString, QByteArray> contents = LayFiles(meet.dir, f[1]);
        const QHash<QString, LoadResult> results{{"Loaded", LoadResult::Loaded},
                                                 {"Empty", LoadResult::Empty},
                                                 {"Failed", LoadResult::Failed}};
        Roster roster;
        QCOMPARE(int(LoadRoster(meet.session, meet.prompts, roster)), int(results.value(f[2])));
        QCOMPARE(meet.File(f[3].section(u':', 0, 0)), contents.value(f[3].section(u':', 1)));
        // Ann's first swim is confirmed in B only.
        if (!roster.isEmpty())
            QCOMPARE(roster[0].Swims[0].Confirmed, f[3].endsWith(":B"));
        const QString message = meet.prompts.Messages.value(0);
        if (!f[4].isEmpty())
            QVERIFY2(
                message.contains(" was missing. Its entries were taken from " + f[4] + ", saved "),
                qPrintable(message));
        else if (f[2] == "Failed")
            QVERIFY2(message.contains("is missing, and no copy of it reads whole"),
                     qPrintable(message));
        else
            QVERIFY(!message.contains("missing"));
        // The new contents are renamed into place; a backup is copied, and stays the backup.
        if (!f[4].isEmpty())
            QCOMPARE(QFile::exists(meet.dir.FilePath(f[4])), !f[4].endsWith(".new"));
    }

    // An empty roster is never saved over entries: not over the file, its new contents or its
    // backup. Only empty files give way to it. Rows: files laid (LayFiles)|saved.
    void emptySave_data()
    {
        AddRows({"intent.vb:1|no", "intent.vb.new:1|no", "intent.BAK:1|no", "intent.vb:B|no",
                 "intent.vb:0 intent.vb.new:0 intent.BAK:0|yes", "|yes"});
    }

    void emptySave()
    {
        const QStringList f = RowCells();
        EntryGala meet("Open", Events);
        LayFiles(meet.dir, f[0]);
        const QStringList names{"intent.vb", "intent.vb.new", "intent.BAK"};
        QByteArrayList before;
        for (const QString &name : names)
            before << meet.File(name);
        const bool saved = SaveRoster(meet.session, Roster{}, meet.prompts);
        QCOMPARE(saved, f[1] == "yes");
        if (saved) {
            QVERIFY(QFile::exists(meet.dir.FilePath("intent.vb")) &&
                    meet.File("intent.vb").isEmpty());
            QVERIFY(!QFile::exists(meet.dir.FilePath("intent.vb.new")));
            return;
        }
        for (qsizetype i = 0; i < names.size(); ++i)
            QCOMPARE(meet.File(names[i]), before[i]);
        QCOMPARE(meet.prompts.Messages.size(), 1);
        QVERIFY(meet.prompts.Messages[0].contains(f[0].section(u':', 0, 0) + " holds entries"));
    }

    // "Del" and "Add" in both modes. Rows: entrant shown|the row pressed|answer (y, n, or the
    // event numbers typed)|the rows shown afterwards|the message ("" for none)|the box focused.
    void delAndAdd_data()
    {
        QTest::addColumn<QString>("mode");
        QTest::addColumn<QStringList>("cells");
        // clang-format off
        for (const QString &mode : {ModeMeetDay, ModeEntries}) {
            const auto row = [&](const char *tag, const char *cells) {
                QTest::newRow(qPrintable(mode + ": " + tag)) << mode << QString(cells).split(u'|');
            };
            row("remove the first", "1|0|y|3/Del /Add||button 0");
            row("remove the last", "1|1|y|1/Del /Add||button 1");
            row("removal declined", "1|0|n|1/Del 3/Del /Add||button 0");
            row("remove the only swim", "2|0|y|/Add||button 0");
            row("three on the Add row", "2|1|3 7 12|1/Del 3/Del 7/Del 12/Del /Add||time 1");
            row("added in event order", "1|2|4  2|1/Del 2/Del 3/Del 4/Del /Add||time 3");
            row("twice, and one entered", "1|2|2 2 1|1/Del 2/Del 3/Del /Add|"
                "Ann Lee is already entered in event 2\nAnn Lee is already entered in event 1|time 1");
            row("boys' event refused, mixed taken", "1|2|8 9|1/Del 3/Del 9/Del /Add|"
                "Event 8 is for sex M: Ann Lee is F|time 2");
            row("nothing to add", "1|2|99|1/Del 3/Del /Add|Event 99 is not an event of this meet|button 2");
            row("a row past the Add row", "1|3||1/Del 3/Del /Add||none");
        }
        // clang-format on
    }

    void delAndAdd()
    {
        QFETCH(QString, mode);
        QFETCH(QStringList, cells);
        SwimMeet meet(mode);
        meet.form->ShowEntrant(cells[0].toInt());
        const int row = cells[1].toInt();
        const QString answer = cells[2];
        if (answer == "y" || answer == "n")
            answer == "y" ? meet.prompts.Yes() : meet.prompts.No();
        else if (!answer.isEmpty())
            meet.prompts.Type(answer);
        meet.form->DelEvent(row);
        QCOMPARE(RowEvents(*meet.form).join(u' '), cells[3]);
        QCOMPARE(meet.prompts.Messages.join(u'/'), cells[4]);
        if (answer == "y" || answer == "n")
            QCOMPARE(meet.prompts.DefaultNoQuestions.size(), 1);
        const ConfirmFocus focus = meet.form->TakeFocus();
        const QHash<ConfirmBox, QString> boxes{{ConfirmBox::None, "none"},
                                               {ConfirmBox::SwimButton, "button"},
                                               {ConfirmBox::EntryTime, "time"}};
        QCOMPARE(boxes.value(focus.Box) +
                     (focus.Box == ConfirmBox::None ? "" : " " + QString::number(focus.Row)),
                 cells[5]);
    }

    // A swim moved to another event is swum, seeded and printed with that event: it takes the
    // new event's pool event. Moving it to an event the entrant has already, or to one the meet
    // does not hold, is refused at once and nothing is asked. Rows: the row|the event typed|the
    // answer|the swims saved|the message.
    void moveEvent_data()
    {
        // clang-format off
        AddRows({"0|4|y|1|3|40.00|0|3 1|4|35.10|1|2|",
                 "1|2|y|1|1|35.10|1|1 1|2|40.00|0|2|",
                 "1|12|n|1|1|35.10|1|1 1|3|40.00|0|3|",
                 "0|3||1|1|35.10|1|1 1|3|40.00|0|3|Ann Lee is already entered in event 3",
                 "1|13||1|1|35.10|1|1 1|3|40.00|0|3|Event 13 is not an event of this meet",
                 "1|8||1|1|35.10|1|1 1|3|40.00|0|3|Event 8 is for sex M: Ann Lee is F",
                 "1|9|y|1|1|35.10|1|1 1|9|40.00|0|9|"});
        // clang-format on
    }

    void moveEvent()
    {
        const QStringList f = RowCells();
        SwimMeet meet;
        const int row = f[0].toInt();
        if (!f[2].isEmpty())
            f[2] == "y" ? meet.prompts.Yes() : meet.prompts.No();
        meet.form->Rows[row].EvNo = f[1];
        meet.form->OnEventNumberLeft(row);
        const ConfirmFocus focus = meet.form->TakeFocus();
        QVERIFY(meet.form->SaveAll());
        const QString saved = meet.Stored().filter(QRegularExpression("^1\\|")).join(u' ');
        QCOMPARE(saved, f.mid(3, f.size() - 4).join(u'|'));
        QCOMPARE(meet.prompts.Messages.join(u'/'), f.last());
        if (!f.last().isEmpty()) {
            QVERIFY(focus.Box == ConfirmBox::EventNumber && focus.Row == row && focus.SelectAll);
            QCOMPARE(meet.form->Rows[row].EvNo, meet.form->Entrants()[0].Swims[row].EventNumber);
        }
    }

    // "Export All" names the events with nothing to export in one message. Rows: the events
    // chosen|the message ("" for none)|the status.
    void exportAllEmptyEvents_data()
    {
        AddRows({"1||1 events exported", "1 3|No (confirmed) entries for event 3|1 events exported",
                 "1 3 7 12|No (confirmed) entries for events 3, 7, 12|1 events exported"});
    }
    void exportAllEmptyEvents()
    {
        const QStringList f = RowCells();
        SwimMeet meet;
        for (Core::GalaEvent &event : meet.session.Gala.Events)
            event.EvSelected = f[0].split(u' ').contains(event.EvNumber);
        meet.prompts.Yes().Yes(); // programme creation, confirmed swims only
        meet.form->ExportAll();
        QCOMPARE(meet.prompts.Messages.join(u'/'), f[1]);
        QCOMPARE(meet.form->Status, f[2]);
    }
};

QTEST_GUILESS_MAIN(TestMastersConfirmForm)
#include "tst_mastersconfirmform.moc"
