#include <QDate>
#include <QDir>
#include <QTest>

#include "core/galastate.h"
#include "core/sysparams.h"
#include "entries/agegroups.h"
#include "entries/entrycheck.h"
#include "entries/entryform.h"
#include "meetdb/database.h"
#include "support/dbrows.h"
#include "support/entryfixture.h"

using namespace Entries;

namespace {

const QStringList Events{"1|F|OPEN|50|FS",        "2|M|OPEN|50|FS", "3|F|OPEN|100|BK",
                         "4|F|OPEN|200|FS|Final", "5|F|IND|50|FS",  "6|X|R72|200|FSR"};

// A member details window: each showing keeps the surname it opens with in Shown, then leaves
// the next of Names ("Surname|Forename") and presses Add or Amend as its mode allows, or closes.
struct ScriptedDetails : NoEntryDialogs
{
    QStringList Names, Shown;
    MemberDetailsAction ShowMemberDetails(MemberDetailsRequest &request) override
    {
        Shown << request.Member.Surname;
        if (Names.isEmpty())
            return MemberDetailsAction::None;
        const QString name = Names.takeFirst();
        request.Member.Surname = name.section(u'|', 0, 0);
        request.Member.Forename = name.section(u'|', 1);
        return request.AddEnabled ? MemberDetailsAction::Add : MemberDetailsAction::Amend;
    }
};

// A gala recorded into the meet database, or with `files` into the entry files of its folder.
struct Meet : EntryGala
{
    explicit Meet(const QString &type, const QStringList &events = Events, bool files = false)
        : EntryGala(type, events)
    {
        if (!files)
            UseMeetDb();
    }
    void Open() { QVERIFY(EntryGala::Open()); }

    void EnterOpen(const QString &name, const QString &club, const QString &dob, const QString &sex,
                   int group, const QStringList &times)
    {
        Fill(name, club, dob, sex, group, times);
        form->Record();
    }
    // A member picked by name, entered for the first `events` offered events of OPEN.
    void EnterMember(const QString &fullName, int events)
    {
        form->FullName = fullName;
        form->OnShortNameLeft();
        form->OnGroupClicked(2);
        for (int i = 0; i < events; ++i)
            form->Slots[i].Checked = true;
        form->Record();
    }
    // Exits, then compares every file of tests/data/entrywindow/<folder> byte for byte.
    void ExitAndCompare(const QString &folder)
    {
        form->Exit();
        const QDir golden(TestDataPath("entrywindow/" + folder));
        QVERIFY(!golden.isEmpty());
        for (const QString &name : golden.entryList(QDir::Files))
            QCOMPARE(File(name), TestDir::Read(golden.filePath(name)));
    }
};

// A date of birth that makes a swimmer exactly `age` on 31/12/2025 (four-digit year).
QString BornForAge(int age)
{
    return QStringLiteral("31/12/%1").arg(2025 - age);
}

void Row(const QString &name, const QStringList &fields)
{
    QTest::newRow(qPrintable(name)) << fields.join(u'|');
}

} // namespace

class TestEntryForm : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    // Without the meet database the window closes; without the member file it says so.
    void openWithoutDatabases()
    {
        Meet chosen(Core::GalaInternal, Events, true);
        chosen.session.Gala.UseMeetDb = true; // chosen, but not open
        QVERIFY(!chosen.EntryGala::Open() && chosen.form->CloseRequested);
        QCOMPARE(chosen.prompts.Messages, QStringList{"Natamar Database is Not Available"});
        Meet meet(Core::GalaInternal);
        meet.Open();
        QCOMPARE(meet.prompts.Messages, QStringList{"The member database (none set) cannot be "
                                                    "found; members cannot be looked up"});
    }

    // The sex and group pick the events offered (never a final) and colour the window.
    // Rows: sex|group|captions|colour.
    void offeredEvents_data()
    {
        AddRows({"f|2|1:50 FS,3:100 BK|#ff8080", "M|2|2:50 FS|#00c0c0", "X|1|6:200 FSR|#ffffff",
                 "F|-1||#ff8080"});
    }
    void offeredEvents()
    {
        const QStringList f = RowCells();
        Meet meet(Core::GalaOpen);
        meet.Open();
        meet.Fill("Jane Brown", "VMSC", "", f.at(0), f.at(1).toInt());
        QCOMPARE(meet.Captions(), f.at(2).split(u',', Qt::SkipEmptyParts));
        QCOMPARE(meet.form->IntSex, f.at(0).toUpper());
        QCOMPARE(meet.form->Background, QColor(f.at(3)));
    }

    void twentyNinthEventIsNotOffered()
    {
        QStringList events;
        for (int i = 1; i <= 29; ++i)
            events << QStringLiteral("%1|F|OPEN|50|FS").arg(i);
        Meet meet(Core::GalaOpen, events);
        meet.Open();
        meet.Fill("Jane Brown", "VMSC", "", "F", 2);
        QVERIFY(meet.Captions().size() == MaxSlots && meet.Captions().last() == "28:50 FS");
    }

    // graded|typed|shown|checked|message. A slip stays in its box, unticked, with the focus.
    void entryTimes_data()
    {
        AddRows({"0|1:05.3|1:05.30|1|", "0|nt|NT|1|", "0|||0|", "0|61:00|61:00|0|Invalid Time",
                 "1|28.1|28.10|1|Time inside grade time", "1|30|30.00|1|"});
    }
    void entryTimes()
    {
        const QStringList f = RowCells();
        Meet meet(Core::GalaOpen, {"1|F|OPEN|50|FS||29.5"});
        meet.session.Gala.Graded = f.at(0) == u"1";
        meet.Open();
        meet.Fill("Jane Brown", "VMSC", "", "F", 2);
        meet.form->TakeFocus();
        meet.form->Slots[0].Checked = true; // ticked before the time was typed
        meet.form->Slots[0].Time = f.at(1);
        meet.form->OnTimeLeft(0);
        QCOMPARE(meet.form->Slots[0].Time, f.at(2));
        QCOMPARE(meet.form->Slots[0].Checked, f.at(3) == u"1" || f.at(1).isEmpty());
        QCOMPARE(meet.prompts.Messages.join(u'|'), f.at(4));
        const FocusRequest focus = meet.form->TakeFocus();
        QCOMPARE(focus.Box, f.at(4) == u"Invalid Time" ? FocusBox::StrokeTime : FocusBox::None);
    }

    // The checks of "Record" in their order; a failure writes nothing. Zoe Ashby (5/3/10) is
    // entrant 12. Rows: type|age groups|name|club|sex|birth ("+1" tomorrow)|group ("-": no event
    // ticked)|answers|last Info line|prompts (keys below)|club and age written ("-" for none)
    void openRecordChecks_data()
    {
        QTest::addColumn<QString>("row");
        const auto row = [](const char *n, const char *f) { QTest::newRow(n) << QString(f); };
        // clang-format off
        row("club first", "Open|1|Jane Brown||Q||2||Specify Club Name||-");
        row("then sex", "Open|1|Jane Brown|VMSC|Q||2||Invalid/Missing Sex||-");
        row("then an event", "Open|1|Jane Brown|VMSC|F|05/03/10|2-||No Events Checked||-");
        row("then date of birth", "Open|1||VMSC|F||2||Specify Date of Birth||-");
        // Mixed sex without a date of birth asks; with no age groups it only warns.
        row("mixed, declined", "Open|1|Jane Brown|VMSC|X||1|no||A|-");
        row("mixed, accepted", "Open|1|Team A|VMSC|X||1|yes|Set-Up Entrant No 1 Team A|A|VMSC|");
        row("no age groups", "Open|0|Jane Brown|VMSC|F||2||Set-Up Entrant No 1 Jane Brown|D|VMSC|");
        row("then full name", "Open|1||VMSC|F|05/03/10|2||Specify Full Name||-");
        row("not a real date", "Open|1|Jane Brown|VMSC|F|31/02/15|2|||I|-");
        row("born tomorrow", "Open|1|Jane Brown|VMSC|F|+1|2|||I|-");
        row("name too long", "Open|1|Jane Brownnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnn|VMSC|F|05/03/10|2|||L|-");
        row("club code too long", "Open|1|Jane Brown|VELMORAMARL|F|05/03/10|2|||M|-");
        // The club in capitals and the date of birth in one form, however they were typed.
        row("open individual", "Open|1|Jane Brown|vmsc|F|3.4.2014|2||Set-Up Entrant No 1 Jane Brown||VMSC|2014-04-03");
        row("unknown club, kept out", "Open|1|Jane Brown|zzz|F|05/03/10|2|no||C|-");
        row("unknown club, entered", "Open|1|Jane Brown|zzz|F|05/03/10|2|yes|Set-Up Entrant No 1 Jane Brown|C|ZZZ|2010-03-05");
        row("entered already, kept out", "Open|1|Zoe Ashby|VMSC|F|5/3/10|2|no||U|-");
        row("entered already, entered", "Open|1|Zoe Ashby|ZZZ|F|5/3/10|2|yes,yes|Set-Up Entrant No 1 Zoe Ashby|CU|ZZZ|2010-03-05");
        row("same name, another swimmer", "Open|1|Zoe Ashby|VMSC|F|6/3/10|2||Set-Up Entrant No 1 Zoe Ashby||VMSC|2010-03-06");
        // Masters: a relay needs no name or date of birth; a swimmer is entered under the letter.
        row("masters relay", "Masters|0||VMSC|X||1||Set-Up Entrant No 1 ||VMSC|R72");
        row("masters individual", "Masters|0|Jane Brown|VMSC|F|05/03/80|0||Set-Up Entrant No 1 Jane Brown||VMSC|E");
        // clang-format on
    }
    void openRecordChecks()
    {
        const QStringList f = RowCells();
        const bool written = f.at(10) != u"-";
        const QHash<QChar, QString> prompts{
            {u'A', "yesno: Make sure that age group is correct"},
            {u'D', "message: No date of birth specified"},
            {u'I', "message: Date is invalid"},
            {u'L', "message: The swimmer's name is longer than 60 characters"},
            {u'M', "message: The club code is longer than 10 characters"},
            {u'C', "yesno: Club not recognised - still make change?"},
            {u'U', "yesno, default no: Zoe Ashby is already entered as number 12. Enter again?"}};
        QStringList shown;
        for (const QChar code : f.at(9))
            shown << prompts.value(code);
        Meet meet(f.at(0));
        InsertRows(meet.session.MeetDb, "Entrant Table",
                   "Meet code|Entrant Number|Swimmer Name|club|age",
                   {"M1|12|Zoe Ashby|VMSC|05/03/10"});
        meet.session.Gala.AgeGroups = f.at(1) == u"1";
        meet.Open();
        EntryForm &entry = *meet.form;
        entry.IntSex = f.at(4);
        entry.OnSexChanged();
        entry.OnGroupClicked(QString(f.at(6)).remove(u'-').toInt());
        entry.IntDob =
            f.at(5) == u"+1" ? QDate::currentDate().addDays(1).toString("dd/MM/yyyy") : f.at(5);
        if (!entry.IntDob.isEmpty() && f.at(0) == Core::GalaMasters)
            entry.OnDobLeft();
        entry.FullName = f.at(2);
        entry.ClubName = f.at(3);
        if (!f.at(6).endsWith(u'-'))
            entry.EnterAll();
        for (const QString &answer : f.at(7).split(u',', Qt::SkipEmptyParts))
            answer == u"yes" ? meet.prompts.Yes() : meet.prompts.No();
        meet.prompts.Shown.clear();
        entry.Info.clear();

        entry.Record();
        QCOMPARE(entry.Info.value(entry.Info.size() - 1), f.at(8));
        QCOMPARE(meet.prompts.Shown, shown);
        QCOMPARE(TableRows(meet.session.MeetDb, "Entrant Table", {"Entrant Number", "club", "age"}),
                 QStringList{"12|VMSC|05/03/10"} +
                     (written ? QStringList{"1|" + f.mid(10).join(u'|')} : QStringList()));
        // Refused: kept to be put right. Recorded: cleared, the club kept in capitals.
        QCOMPARE(written ? entry.FullName + entry.IntSex + entry.ClubName : entry.FullName,
                 written ? f.at(10) : f.at(2));
        // Refused for its club or date: back in that box with the text selected for retyping.
        const FocusRequest focus = entry.TakeFocus();
        if (written)
            QCOMPARE(focus.Box, FocusBox::FullName);
        else if (f.at(9) == u"C" || f.at(9) == u"I")
            QCOMPARE(std::pair(focus.Box, focus.SelectAll),
                     std::pair(f.at(9) == u"C" ? FocusBox::ClubName : FocusBox::IntDob, true));
    }

    void memberGala()
    {
        Meet meet(Core::GalaChamps);
        meet.AddMember(NewMember("Brown", "Jane", "", "35.10"));
        InsertRows(meet.session.MeetDb, "Entrant Table", "Meet code|Entrant Number|Swimmer Name",
                   {"M1|4|Brown Jane"});
        meet.Open();
        EntryForm &form = *meet.form;
        QVERIFY(form.MemberDbOpen() && form.IsMemberGala());

        // Entered already: "No" empties the boxes; "Yes" goes on and asks for a missing birth date.
        meet.prompts.No().Yes().Type("20/3/10");
        form.ShortName = "bro j"; // typed in small letters
        form.OnShortNameChanged();
        form.OnShortNameLeft();
        form.OnShortNameLeft();
        QCOMPARE(form.FullName + form.ShortName, QString());
        form.ShortName = "bro j"; // completed anew
        form.OnShortNameChanged();
        form.OnShortNameLeft();
        QCOMPARE(meet.prompts.Shown.last(2),
                 QStringList(
                     {"yesno, default no: Jane Brown is already entered as number 4. Enter again?",
                      "input: Competition Entries | Enter date of birth .. format dd/mm/yy | "}));
        QCOMPARE(form.IntDob + form.IntSex, QStringLiteral("20/03/10F"));

        // No group: refused. With a group and no event: the entrant is still written.
        form.Record();
        QCOMPARE(meet.prompts.Messages.last(), QStringLiteral("No Group Checked"));
        form.OnGroupClicked(2);
        form.Slots[0].Checked = form.Slots[1].Checked = true;
        form.Record();
        QCOMPARE(TableRows(meet.session.MeetDb, "Entrant Table", {"Swimmer Name", "club"}),
                 QStringList({"Brown Jane|<null>", "Brown Jane|VMSC"}));
        QCOMPARE(meet.Column("Swim Table", "Entry Time"), QStringList({"35.10", "9:99.99"}));
        QCOMPARE(form.Info.first(), QStringLiteral("Set-Up Entrant No 1 Brown Jane 20/03/10"));
        QCOMPARE(form.TakeFocus().Box, FocusBox::ShortName);
    }

    // Names in a "Graded" gala (Auto Correct on). Rows: steps, ","-joined ("s:x" types a short
    // name, "left" leaves it, "f:x" types and leaves the full name)|FullName|IntDob|record id.
    void typedNames_data()
    {
        AddRows({"s:brack r,left|Rosa Brackenby|02/02/12|2",   // a second forename of a family
                 "s:brack r,left,s:brack rz|||0",              // no longer matching clears
                 "s:brack l,left,s:brack r|Rosa Brackenby||0", // another member drops the date
                 "f:Jo Bloggs,s:zz|Jo Bloggs||0",
                 "s:McD A,left,f:Ann McDonald|Ann McDonald|03/03/13|3",
                 "s:DUNN,f:AL DUNN|AL DUNN||0", "f:liam 'lee' smith|Liam 'Lee' Smith||0",
                 "f:JANE BROWN-ORR|Jane Brown-Orr||0", "f:McDonald-DeVries|McDonald-DeVries||0"});
    }
    void typedNames()
    {
        const QStringList f = RowCells();
        Meet meet(Core::GalaGraded);
        meet.AddMember(NewMember("Brackenby", "Lily", "01/02/12"));
        meet.AddMember(NewMember("Brackenby", "Rosa", "02/02/12"));
        meet.AddMember(NewMember("McDonald", "Ann", "03/03/13"));
        meet.AddMember(NewMember("DUNN", "AL", "04/04/14"));
        meet.Open();
        EntryForm &form = *meet.form;
        for (const QString &step : f[0].split(u',')) {
            if (step == u"left") {
                form.OnShortNameLeft();
            } else if (step.startsWith(u"s:")) {
                form.ShortName = step.mid(2);
                form.OnShortNameChanged();
            } else {
                form.FullName = step.mid(2);
                form.OnFullNameLeft();
            }
        }
        QCOMPARE(form.FullName + '|' + form.IntDob + '|' +
                     QString::number(form.CurrentMember().RecordId),
                 f.mid(1).join(u'|'));
    }

    // The checks of "Quick Add Member" in their order, then a member added. Rows: name|birth|
    // sex|focus after|message.
    void quickAdd_data()
    {
        AddRows({"|||FullName|No name entered .. invalid", "Jane Brown|||FullName|Already on File",
                 "Jo Bloggs||Q|IntDob|No Date of Birth .. invalid",
                 "Jo Bloggs|31/02/09|M|IntDob|Invalid Date",
                 "Jo Bloggs|5/3/09|X|IntSex|Sex not M or F .. invalid",
                 "Jo Bloggs|5/3/09|m|ShortName|"});
    }
    void quickAdd()
    {
        const QStringList f = RowCells();
        const QHash<QString, FocusBox> boxes{{"FullName", FocusBox::FullName},
                                             {"IntDob", FocusBox::IntDob},
                                             {"IntSex", FocusBox::IntSex},
                                             {"ShortName", FocusBox::ShortName}};
        Meet meet(Core::GalaInternal);
        meet.AddMember(NewMember("Brown", "Jane", ""));
        meet.Open();
        EntryForm &form = *meet.form;
        form.FullName = f.at(0);
        form.IntDob = f.at(1);
        form.IntSex = f.at(2);
        form.QuickAddMember();
        QCOMPARE(meet.prompts.Messages.join(u'|'), f.at(4));
        QCOMPARE(form.TakeFocus().Box, boxes.value(f.at(3)));
        QCOMPARE(form.MemberIndex().Count(), f.at(4).isEmpty() ? 2 : 1);
        if (!f.at(4).isEmpty())
            return;
        QCOMPARE(form.ShortName + "|" + form.IntDob + "|" + form.IntSex,
                 QStringLiteral("Bloggs Jo|05/03/09|M"));
        form.OnShortNameLeft(); // the look-up goes on with the new member, found in the index
        QCOMPARE(form.CurrentMember().RecordId, 2);
    }

    // Two active members of one name are named with how to mend it and can't be entered or
    // added; amending one, picked by record, mends the file. A refused add reopens the window.
    void membersSharingAName()
    {
        Meet meet(Core::GalaInternal);
        for (const auto &[surname, forename] :
             {std::pair{"Brown", "Jane"}, {"Lee", "Al"}, {"Brown", "Jane"}})
            meet.AddMember(NewMember(surname, forename, "01/02/12"));
        ScriptedDetails details;
        meet.form = std::make_unique<EntryForm>(meet.session, meet.prompts, details,
                                                MakeEntryStore(meet.session));
        QVERIFY(meet.form->Open());
        EntryForm &form = *meet.form;
        const auto keys = [&form] {
            QStringList keys;
            for (int i = 1; i <= form.MemberIndex().Count(); ++i)
                keys << form.MemberIndex().Key(i);
            return keys;
        };
        QCOMPARE(meet.prompts.Messages.size(), 1);
        QVERIFY(meet.prompts.Messages.first().contains("named:\nBrown Jane (records 1, 3)\n"));
        QCOMPARE(keys(), QStringList{"Lee Al"});
        meet.prompts.Messages.clear();

        form.OnGroupClicked(2);
        form.FullName = "Jane Brown";
        form.Record();
        form.QuickAddMember();
        QCOMPARE(meet.prompts.Messages.size(), 2);
        QVERIFY(meet.prompts.Messages.first().startsWith(
            "Brown Jane is on the member file more than once (records 1, 3)"));
        QCOMPARE(meet.prompts.Messages.last(), QStringLiteral("Already on File"));
        QCOMPARE(meet.Column("Entrant Table", "Swimmer Name"), QStringList());

        meet.prompts.Pick(2);
        details.Names = {"Brown|Jane A"};
        form.ShowMemberDetails(MemberDetailsMode::Amend);
        QCOMPARE(meet.prompts.PickLists.first(),
                 QStringList({"Record 1  Brown Jane  01/02/12", "Record 3  Brown Jane  01/02/12"}));
        details.Names = {"|Cy", "Lee|Al", "Cole|Cy"}; // corrected in the window twice
        form.ShowMemberDetails(MemberDetailsMode::Add);
        QCOMPARE(meet.prompts.Messages.mid(2),
                 QStringList({"No name entered .. invalid", "Already on File"}));
        QCOMPARE(details.Shown, QStringList({"Brown", "", "", "Lee"}));
        QCOMPARE(keys(), QStringList({"Brown Jane", "Brown Jane A", "Cole Cy", "Lee Al"}));
    }

    // A pair not among the PB distances and strokes is refused; a good one becomes a new event.
    void selectPairs()
    {
        Meet meet(Core::GalaSelect, {"1|F|OPEN|50|FS"});
        InsertRows(meet.session.MeetDb, "Event Table",
                   "Meet code|Event number|Event Sequence|Sex|Group|Distance|Stroke",
                   {"M1|1|1|F|OPEN|50|FS"});
        meet.prompts.RequireAllAnswersUsed = false;
        meet.Open();
        Core::ReadSystemParams(meet.dir.Path(), meet.session.Settings, meet.prompts); // PB events
        meet.Fill("Ann Green", "", "01/02/11", "F", 2);
        EntryForm &form = *meet.form;
        form.Pairs = {StrokePair{"fs", "50"}, {"BK", "400"}, {"FS", "800"}, {"XY", "100"}};
        meet.prompts.Messages.clear();
        meet.prompts.Yes();
        form.Record();
        QCOMPARE(meet.prompts.Messages, QStringList(2, "Invalid Stroke/Distance Combination"));
        QCOMPARE(meet.Column("Swim Table", "Event number"), QStringList({"1", "2"}));
        // The new event is the meet's too, so its swim still has an event at the next load.
        QCOMPARE(
            TableRows(meet.session.MeetDb, "Event Table",
                      {"Event number", "Event Sequence", "Sex", "Group", "Distance", "Stroke"}),
            QStringList({"1|1|F|OPEN|50|FS", "2|2|F|OPEN|800|FS"}));
    }

    // Into the entry files: appending numbers on from intent.ctl; a name that would not read
    // back is refused and kept; a swimmer in the files already is not entered again on "No".
    void openMeetFiles()
    {
        Meet gala(Core::GalaOpen,
                  {"1|F|OPEN|50|FS", "2|M|OPEN|50|FS", "3|F|OPEN|100|BK", "4|F|OPEN|200|BR"}, true);
        const QDir before(TestDataPath("entrywindow/open-before"));
        for (const QString &name : before.entryList(QDir::Files))
            gala.dir.Write(name, TestDir::Read(before.filePath(name)));
        gala.prompts.Exists(true, Core::ExistingFileOption::Append);
        gala.Open();
        gala.EnterOpen("Jane \"JJ\" Brown", "VMSC", "05/03/10", "F", 2, {"40"});
        QCOMPARE(gala.prompts.Messages,
                 QStringList{"The entry was not recorded: The name Jane \"JJ\" Brown holds a "
                             "double quote, which cannot be written to intent.vb"});
        QCOMPARE(gala.form->FullName, QStringLiteral("Jane \"JJ\" Brown"));
        gala.EnterOpen("Jane Brown", "VMSC", "5.3.2010", "F", 2, {"35.5", "nt", "-"});
        QCOMPARE(gala.form->Info.last(), QStringLiteral("Set-Up Entrant No 9 Jane Brown"));
        gala.prompts.No();
        gala.EnterOpen("Jane Brown", "VMSC", "5/3/2010", "F", 2, {"41"});
        QCOMPARE(gala.prompts.Questions, QStringList{"Jane Brown is already entered as number 9. "
                                                     "Enter again?"});
        gala.EnterOpen("Tom Green", "ASHB", "01/01/09", "M", 2, {"1:02.3"});
        gala.ExitAndCompare("open");
    }

    // A relay block has its group and sex on a line of their own, and "NT" in it is no time.
    void mastersMeetFiles()
    {
        Meet gala(Core::GalaMasters, {"5|F|IND|50|FS", "6|X|R72|200|FSR", "7|F|IND|100|BK"}, true);
        gala.Open();
        gala.EnterOpen("Velmora A", "VMSC", "", "X", 1, {"nt"});
        gala.EnterOpen("Jane Brown", "VMSC", "05/03/80", "F", 0, {"31.2", "NT"});
        gala.ExitAndCompare("masters");
    }

    // A "Select" gala's pairs go back to its parameter file when the files close; the entry date,
    // when checked, stands in for the date of birth. Delete goes through the open files.
    void selectGalaFiles()
    {
        Meet gala(Core::GalaSelect, {}, true);
        gala.AddMember(NewMember("Brown", "Jane", "20/03/10", "35.10"));
        gala.session.Gala.GalaParamFile = gala.dir.Write("select.ini", "event=9 F OPEN 25 FS\r\n");
        gala.session.Gala.EntryDateCheck = true;
        gala.Open();
        gala.form->EntryDate = "01/05/26";
        gala.form->Pairs[0] = {"FS", "50"};
        gala.EnterMember("Jane Brown", 0);
        QCOMPARE(gala.File("intent.vb"), "\"1\",\"Brown Jane\",\"01/05/26\",\"35.10\"\r\n");
        gala.form->FullName = "Jane Brown";
        gala.prompts.Yes();
        QCOMPARE(gala.form->Delete(), DeleteResult::Deleted);
        gala.form->Exit(); // the name typed to delete is not asked about
        QCOMPARE(gala.File("intent.vb") + gala.File("select.ini"),
                 "event=1 F OPEN 50 FS \r\nEnd=End\r\n");
    }

    // Member swim lines carry the key, birth and PB; no swims, nothing written.
    void internalGalaFiles()
    {
        Meet gala(Core::GalaInternal, {"1|F|OPEN|50|FS", "3|F|OPEN|100|BK"}, true);
        gala.session.Gala.Mailing = true;
        gala.AddMember(NewMember("Brown", "Jane", "20/03/10", "35.10"));
        gala.prompts.Yes(); // a new file: clear the envelope flags
        gala.Open();
        QCOMPARE(gala.prompts.Questions, QStringList{"Clear all envelope flags?"});
        gala.EnterMember("Jane Brown", 2);
        QCOMPARE(gala.form->Info.mid(0, 1), QStringList{"1 50m Freestyle 35.10"});
        gala.prompts.Yes(); // "Not on PB file .."
        gala.EnterOpen("Ann Green", "", "01/02/11", "F", 2, {"-"});
        gala.EnterMember("Jane Brown", 0);
        gala.ExitAndCompare("internal");
        QVERIFY(!QFile::exists(gala.dir.FilePath("intent.ctl")));
        // "mailing" marks the member entered.
        MeetDb::Database db;
        db.Open(gala.dir.FilePath("pbsys.mdb"));
        Members::Member jane;
        QVERIFY(Members::ReadMember(db, 1, jane, gala.prompts) && jane.EnvelopeFlag);
    }

    // Rows: birth|qualifying date|age|exact age: the day before the birthday, the birthday, the
    // compact form, born after the date.
    void AgeCountsCompletedYears_data()
    {
        AddRows({"20/03/2010|19/03/2022|11|11.9999", "20/03/2010|20/03/2022|12|12.0",
                 "20Mar10|31/12/2022|12|12.0911", "01/01/2030|31/12/2025|-4|-4.887"});
    }
    void AgeCountsCompletedYears()
    {
        const QStringList f = RowCells();
        QCOMPARE(AgeOnQualDate(f[0], f[1]), f[2].toInt());
        QCOMPARE(ExactAgeOnQualDate(f[0], f[1]), f[3].toDouble());
    }

    // A date in the age field as the meet database and the entry files keep it; the files keep
    // a two-digit year only where it reads back as the same year (this year - 89 to this year +
    // 10). Rows: typed|database|entry files.
    void storedDates_data()
    {
        QTest::addColumn<QString>("row");
        const int year = QDate::currentDate().year();
        const auto at = [](int y, bool twoDigits) {
            return QStringLiteral("31/12/%1")
                .arg(twoDigits ? y % 100 : y, twoDigits ? 2 : 4, 10, QLatin1Char('0'));
        };
        Row("points", {"3.4.2014", "2014-04-03", "03/04/14"});
        Row("four-digit year", {"15/08/1990", "1990-08-15", "15/08/90"});
        Row("compact", {"03Apr14", "2014-04-03", "03/04/14"});
        Row("oldest two-digit year",
            {at(year - 89, false), QStringLiteral("%1-12-31").arg(year - 89), at(year - 89, true)});
        Row("a year older", {at(year - 90, false), QStringLiteral("%1-12-31").arg(year - 90),
                             at(year - 90, false)});
        Row("latest two-digit year",
            {at(year + 10, false), QStringLiteral("%1-12-31").arg(year + 10), at(year + 10, true)});
        Row("a year later", {at(year + 11, false), QStringLiteral("%1-12-31").arg(year + 11),
                             at(year + 11, false)});
        Row("masters letter", {"E", "E", "E"});
        Row("not a real date", {"31/02/2015", "31/02/2015", "31/02/2015"});
    }
    void storedDates()
    {
        const QStringList f = RowCells();
        QCOMPARE(StoredDate(f[0]), f[1]);
        QCOMPARE(EntryFileDate(f[1]), f[2]);
    }

    // The masters letter at both ends of every band, refusals below 25, a birth year read into
    // the wrong century moved back. Rows: birth|qual date|junior|letter|message|Info line.
    void MastersAge_data()
    {
        QTest::addColumn<QString>("row");
        const auto add = [](int age, bool junior, const QString &letter, const QString &message) {
            Row(QStringLiteral("%1%2").arg(age).arg(junior ? " junior" : ""),
                {BornForAge(age), "31/12/2025", junior ? "1" : "", letter, message,
                 QStringLiteral("Age on 31Dec25 =  %1 Years").arg(age)});
        };
        for (const bool junior : {false, true}) {
            add(18, junior, "", "Too Young for Event");
            for (const int age : {19, 24})
                add(age, junior, junior ? "0" : "", junior ? "" : "Too Young for Masters");
        }
        add(25, true, "A", "");
        // Both ends of every five-year band from 25 on; 95 and over is "P".
        const QString letters = QStringLiteral("ABCDEFGHJKLMNO");
        for (int age = 25; age < 105; age += age % 5 == 0 ? 4 : 1)
            add(age, false, age < 95 ? QString(letters[(age - 25) / 5]) : "P", "");
        QTest::newRow("four-digit future year")
            << "15/06/2095|31/12/2025||B|Check age!|Age on 31Dec25 =  30 Years";
        QTest::newRow("birthday after qual day")
            << "15/06/2095|01/06/2025||A|Check age!|Age on 01Jun25 =  29 Years";
        // A two-digit year a few years ahead is read into the next century, and the age moved back.
        const int year = QDate::currentDate().year();
        const auto yy = [](int y) { return QString::number(y % 100).rightJustified(2, u'0'); };
        Row("two-digit year read ahead",
            {"15/06/" + yy(year + 5), "31/12/" + QString::number(year), "", "P", "Check age!",
             "Age on 31Dec" + yy(year) + " =  95 Years"});
    }
    void MastersAge()
    {
        const QStringList f = RowCells();
        Core::GalaState gala;
        gala.GalaType = Core::GalaMasters;
        gala.QualDate = f[1];
        gala.Junior = f[2] == u"1";
        ScriptedPrompts prompts;
        const AgeResult result = Entries::MastersAge(gala, f[0], prompts);
        QCOMPARE(result.MastersGroup, f[3]);
        QCOMPARE(result.ClearDob, f[4].startsWith(u"Too Young"));
        QCOMPARE(prompts.Messages.join(u'/'), f[4]);
        QCOMPARE(result.Info, f[5]);
    }

    // The first group whose "U/" limit is above the age, or the first without one. Rows: kind
    // (age groups off when it ends in "-")|groups|date of birth|group index|message.
    void DobLeftGroups_data()
    {
        QTest::addColumn<QString>("row");
        const QString mixed = "U/10,U/12,Open", out = "Out of age groups for this event";
        // clang-format off
        Row("9 under 10",            {"Open", mixed, BornForAge(9), "0", ""});
        Row("10 goes to U/12",       {"Open", mixed, BornForAge(10), "1", ""});
        Row("12 goes to Open",       {"Open", mixed, BornForAge(12), "2", ""});
        Row("14 at last limit",      {"Open", "U/10,U/12,U/14", BornForAge(14), "-1", out});
        Row("order is not sorted",   {"Open", "U/12,U/10", BornForAge(9), "0", ""});
        Row("lower case is not U/",  {"Open", "u/10,U/12", BornForAge(11), "0", ""});
        Row("limit with text after", {"Open", "U/12 yrs,Open", BornForAge(11), "0", ""});
        Row("no groups",             {"Open", "", BornForAge(10), "-1", out});
        Row("empty date",            {"Open", mixed, "", "-1", ""});
        Row("31 Feb",                {"Open", mixed, "31/02/10", "-1", "Date is invalid"});
        Row("Masters 31 Feb",        {"Masters", mixed, "31/02/10", "-1", "Date is invalid"});
        Row("Graded: no group",      {"Graded", mixed, "01/01/2010", "-1", ""});
        Row("no age groups",         {"Open-", mixed, "01/01/2010", "-1", ""});
        Row("member 9",              {"Internal", mixed, "01/01/2014", "1", ""});
        Row("member 12",             {"Internal", mixed, "31/12/2013", "2", ""});
        Row("member no date",        {"Internal", mixed, "       ", "-1", ""});
        Row("member bad date",       {"Internal", mixed, "99/99/99", "-1", ""});
        Row("member no age groups",  {"Internal-", mixed, "01/01/2014", "-1", ""});
        // clang-format on
    }
    void DobLeftGroups()
    {
        const QStringList f = RowCells();
        Core::GalaState gala;
        gala.GalaType = QString(f[0]).remove(u'-');
        gala.QualDate = QStringLiteral("31/12/2025");
        gala.AgeGroups = !f[0].endsWith(u'-');
        for (const QString &description : f[1].split(u',', Qt::SkipEmptyParts))
            gala.Groups.append({description, description, description, description});
        if (gala.GalaType == Core::GalaInternal) {
            QCOMPARE(MemberAgeGroup(gala, f[2]), f[3].toInt());
            return;
        }
        ScriptedPrompts prompts;
        const AgeResult result = DobLeft(gala, f[2], prompts);
        QCOMPARE(result.Valid, f[4] != u"Date is invalid");
        QCOMPARE(result.GroupIndex, f[3].toInt());
        QCOMPARE(prompts.Messages.join(u'/'), f[4]);
        QVERIFY(result.MastersGroup.isEmpty() && result.Info.isEmpty() && !result.ClearDob);
    }
};

QTEST_GUILESS_MAIN(TestEntryForm)
#include "tst_entryform.moc"
