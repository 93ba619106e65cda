#include <QTest>

#include "core/galastate.h"
#include "core/sysparams.h"
#include "entries/entryform.h"
#include "meetdb/database.h"
#include "meetdb/schema.h"
#include "meetdb/session.h"
#include "members/memberdb.h"
#include "support/dbrows.h"
#include "support/scriptedprompts.h"
#include "support/testfiles.h"

using namespace Entries;

Q_DECLARE_METATYPE(Entries::FocusBox)

namespace {

class ScriptedDialogs : public EntryDialogs
{
public:
    bool AskAddress(const QString &, int, int, AddressRecord &) override { return false; }
    MemberDetailsAction ShowMemberDetails(MemberDetailsRequest &) override
    {
        return MemberDetailsAction::None;
    }
};

// A meet "M1" of the given kind, loaded into a session by hand. Groups: IND (or U/12) first,
// then R72 and OPEN. Events: the `events` rows "number|sex|group|distance|stroke|type|limit".
struct Meet
{
    TestDir dir;
    MeetDb::Session session;
    ScriptedPrompts prompts;
    ScriptedDialogs dialogs;
    std::unique_ptr<EntryForm> form;

    explicit Meet(const QString &type, const QStringList &events = {})
    {
        const QString path = dir.FilePath("natamar.mdb");
        MeetDb::CreateMeetDatabase(path);
        Core::GalaState &gala = session.Gala;
        gala.GalaType = type;
        gala.MeetCode = QStringLiteral("M1");
        gala.QualDate = QStringLiteral("31/12/2026");
        gala.DbVersion = 1.0f;
        for (const char *group : {"IND", "R72", "OPEN"})
            gala.Groups << Core::GalaGroup{group, group, group, group};
        const QStringList rows =
            events.isEmpty()
                ? QStringList{"1|F|OPEN|50|FS||",       "2|M|OPEN|50|FS||", "3|F|OPEN|100|BK||",
                              "4|F|OPEN|200|FS|Final|", "5|F|IND|50|FS||",  "6|X|R72|200|FSR||"}
                : events;
        for (const QString &row : rows) {
            const QStringList f = row.split(u'|');
            Core::GalaEvent event;
            event.EvNumber = f.at(0);
            event.EvSex = f.at(1);
            event.EvGroup = f.at(2);
            event.EvDistance = f.at(3);
            event.EvStroke = f.at(4);
            event.EvType = f.at(5);
            event.EvLimitTime = f.at(6).toFloat();
            gala.Events << event;
        }
        gala.Clubs << Core::GalaClub{"ASHB", "Ashbury Barracudas"}
                   << Core::GalaClub{"VMSC", "Velmora Marlets"};
        session.MeetDb.Open(path);
        InsertRows(session.MeetDb, "Meet Table", "Meet code|Meet Name|Meet Type",
                   {"M1|Spring|" + type});
        gala.MeetDbOpen = gala.UseMeetDb = true;
    }

    void Open()
    {
        form = std::make_unique<EntryForm>(session, prompts, dialogs, MakeEntryStore(session));
        QVERIFY(form->Open());
    }

    // pbsys.mdb beside the program holding Jane Brown, and the settings that find it.
    void AddMemberDb()
    {
        const QString path = dir.FilePath("pbsys.mdb");
        Members::CreateMemberDatabase(path);
        MeetDb::Database db;
        db.Open(path);
        Members::Member jane;
        jane.Surname = "Brown";
        jane.Forename = "Jane";
        jane.RecordType = "A";
        jane.Sex = "F";
        Members::WriteMember(db, jane);
        Core::ReadSystemParams(dir.Path(), session.Settings, prompts);
    }

    QStringList Column(const QString &table, const QString &field)
    {
        QStringList values;
        std::unique_ptr<MeetDb::RecordSet> rs = session.MeetDb.OpenTable(table);
        for (rs->MoveFirst(); !rs->Eof(); rs->MoveNext())
            values << (rs->IsNull(field) ? QStringLiteral("<null>") : rs->Text(field));
        return values;
    }

    // Sex, group and club for an open swimmer whose events then show.
    void Swimmer(const QString &sex, int group)
    {
        form->FullName = QStringLiteral("Jane Brown");
        form->ClubName = QStringLiteral("VMSC");
        form->IntDob = QStringLiteral("05/03/10");
        form->IntSex = sex;
        form->OnSexLeft();
        form->OnGroupClicked(group);
    }

    QStringList Captions() const
    {
        QStringList captions;
        for (const EventSlot &slot : form->Slots)
            if (slot.Visible)
                captions << slot.Caption;
        return captions;
    }
};

} // namespace

class TestEntryForm : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void setUpByKind_data()
    {
        QTest::addColumn<QString>("type");
        QTest::addColumn<QString>("caption");
        QTest::addColumn<QString>(
            "shown"); // S short name, Q quick add, C club, A age group, P pairs
        QTest::newRow("Internal") << "Internal"
                                  << "Auto Correct Off"
                                  << "SQ";
        QTest::newRow("Champs") << "Champs"
                                << "Auto Correct Off"
                                << "SQ";
        QTest::newRow("Graded") << "Graded"
                                << "Auto Correct On"
                                << "SQ";
        QTest::newRow("Select") << "Select"
                                << "Auto Correct On"
                                << "SQP";
        QTest::newRow("Open") << "Open"
                              << "Auto Correct On"
                              << "C";
        QTest::newRow("Masters") << "Masters"
                                 << "Auto Correct On"
                                 << "CA";
    }
    void setUpByKind()
    {
        QFETCH(QString, type);
        QFETCH(QString, caption);
        QFETCH(QString, shown);
        Meet meet(type);
        meet.prompts.RequireAllAnswersUsed = false;
        meet.Open();
        EntryForm &form = *meet.form;
        QCOMPARE(form.AutoCorrectCaption, caption);
        QString actual;
        for (auto [flag, letter] : {std::pair{form.ShortNameVisible, 'S'},
                                    {form.QuickAddVisible, 'Q'},
                                    {form.ClubVisible, 'C'},
                                    {form.AgeGroupVisible, 'A'},
                                    {form.PairsVisible, 'P'}})
            if (flag)
                actual += QLatin1Char(letter);
        QCOMPARE(actual, shown);
        QCOMPARE(form.ClubList, QStringList({"Ashbury Barracudas", "Velmora Marlets"}));
        QCOMPARE(form.GroupCaptions, QStringList({"IND", "R72", "OPEN"}));
        QCOMPARE(form.Background, QColor(Qt::white));
        for (const EventSlot &slot : form.Slots)
            QVERIFY(!slot.Visible);
        if (form.IsMemberGala()) // there is no member database in this folder
            QCOMPARE(meet.prompts.Messages.size(), 1);
    }

    void noMeetDatabase()
    {
        MeetDb::Session session;
        session.Gala.UseMeetDb = true; // chosen, but not open
        ScriptedPrompts prompts;
        ScriptedDialogs dialogs;
        EntryForm form(session, prompts, dialogs, MakeEntryStore(session));
        QVERIFY(!form.Open());
        QVERIFY(form.CloseRequested);
        QCOMPARE(prompts.Messages, QStringList{"Natamar Database is Not Available"});
    }

    void offeredEvents_data()
    {
        QTest::addColumn<QString>("sex");
        QTest::addColumn<int>("group");
        QTest::addColumn<QStringList>("captions");
        QTest::newRow("girls open, no final") << "f" << 2 << QStringList{"1:50 FS", "3:100 BK"};
        QTest::newRow("boys open") << "M" << 2 << QStringList{"2:50 FS"};
        QTest::newRow("relay") << "X" << 1 << QStringList{"6:200 FSR"};
        QTest::newRow("no group") << "F" << -1 << QStringList();
    }
    void offeredEvents()
    {
        QFETCH(QString, sex);
        QFETCH(int, group);
        QFETCH(QStringList, captions);
        Meet meet(Core::GalaOpen);
        meet.Open();
        meet.Swimmer(sex, group);
        QCOMPARE(meet.Captions(), captions);
        QCOMPARE(meet.form->IntSex, sex.toUpper());
        for (const EventSlot &slot : meet.form->Slots)
            QCOMPARE(slot.TimeVisible, slot.Visible);
    }

    void twentyNinthEventIsNotOffered()
    {
        QStringList events;
        for (int i = 1; i <= 29; ++i)
            events << QStringLiteral("%1|F|OPEN|50|FS||").arg(i);
        Meet meet(Core::GalaOpen, events);
        meet.Open();
        meet.Swimmer("F", 2);
        QCOMPARE(meet.Captions().size(), MaxSlots);
        QCOMPARE(meet.Captions().last(), QStringLiteral("28:50 FS"));
    }

    void sexColoursTheWindow_data()
    {
        QTest::addColumn<QString>("sex");
        QTest::addColumn<QColor>("colour");
        QTest::newRow("F") << "f" << QColor(0xFF, 0x80, 0x80);
        QTest::newRow("M") << "M" << QColor(0x00, 0xC0, 0xC0);
        QTest::newRow("X") << "X" << QColor(Qt::white);
    }
    void sexColoursTheWindow()
    {
        QFETCH(QString, sex);
        QFETCH(QColor, colour);
        Meet meet(Core::GalaOpen);
        meet.Open();
        meet.form->IntSex = sex;
        meet.form->OnSexChanged();
        QCOMPARE(meet.form->Background, colour);
    }

    void entryTimes_data()
    {
        QTest::addColumn<bool>("graded");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("shown");
        QTest::addColumn<bool>("checked");
        QTest::addColumn<QStringList>("messages");
        QTest::newRow("points form") << false << "1.05.3"
                                     << "1:05.30" << true << QStringList();
        QTest::newRow("seconds") << false << "59.9"
                                 << "59.90" << true << QStringList();
        QTest::newRow("NT kept") << false << "nt"
                                 << "NT" << true << QStringList();
        QTest::newRow("empty") << false << ""
                               << "" << false << QStringList();
        QTest::newRow("over an hour") << false << "61:00"
                                      << "" << true << QStringList{"Invalid Time"};
        QTest::newRow("inside grade time")
            << true << "28.1"
            << "28.10" << true << QStringList{"Time inside grade time"};
        QTest::newRow("outside grade time") << true << "30"
                                            << "30.00" << true << QStringList();
        QTest::newRow("NT in a graded meet") << true << "NT"
                                             << "NT" << true << QStringList();
    }
    void entryTimes()
    {
        QFETCH(bool, graded);
        QFETCH(QString, typed);
        QFETCH(QString, shown);
        QFETCH(bool, checked);
        QFETCH(QStringList, messages);
        Meet meet(Core::GalaOpen, {"1|F|OPEN|50|FS||29.5"});
        meet.session.Gala.Graded = graded;
        meet.Open();
        meet.Swimmer("F", 2);
        meet.form->Slots[0].Time = typed;
        meet.form->OnTimeLeft(0);
        QCOMPARE(meet.form->Slots[0].Time, shown);
        QCOMPARE(meet.form->Slots[0].Checked, checked);
        QCOMPARE(meet.prompts.Messages, messages);
    }

    // The checks of "Record" in open galas, in their order; the first failure writes nothing.
    void openRecordChecks_data()
    {
        QTest::addColumn<QString>("type");
        QTest::addColumn<bool>("ageGroups");
        QTest::addColumn<QString>("fields"); // name|club|sex|dob
        QTest::addColumn<int>("group");
        QTest::addColumn<QString>("answer"); // yes/no question answer, "" for none
        QTest::addColumn<QString>("info");
        QTest::addColumn<QStringList>("shown");
        QTest::addColumn<QStringList>("written"); // "age" of the entrants written

        QTest::newRow("club first") << "Open" << true << "Jane Brown||Q|" << 2 << ""
                                    << "Specify Club Name" << QStringList() << QStringList();
        QTest::newRow("then sex") << "Open" << true << "Jane Brown|VMSC|Q|" << 2 << ""
                                  << "Invalid/Missing Sex" << QStringList() << QStringList();
        QTest::newRow("then date of birth")
            << "Open" << true << "|VMSC|F|" << 2 << ""
            << "Specify Date of Birth" << QStringList() << QStringList();
        QTest::newRow("mixed without date of birth, declined")
            << "Open" << true << "Jane Brown|VMSC|X|" << 1 << "no"
            << "" << QStringList{"yesno: Make sure that age group is correct"} << QStringList();
        QTest::newRow("mixed without date of birth, accepted")
            << "Open" << true << "Team A|VMSC|X|" << 1 << "yes"
            << "Set-Up Entrant No 1 Team A"
            << QStringList{"yesno: Make sure that age group is correct"} << QStringList{""};
        QTest::newRow("no age groups: warning only")
            << "Open" << false << "Jane Brown|VMSC|F|" << 2 << ""
            << "Set-Up Entrant No 1 Jane Brown"
            << QStringList{"message: No date of birth specified"} << QStringList{""};
        QTest::newRow("then full name") << "Open" << true << "|VMSC|F|05/03/10" << 2 << ""
                                        << "Specify Full Name" << QStringList() << QStringList();
        QTest::newRow("open individual")
            << "Open" << true << "Jane Brown|VMSC|F|05/03/10" << 2 << ""
            << "Set-Up Entrant No 1 Jane Brown" << QStringList() << QStringList{"05/03/10"};
        QTest::newRow("masters relay needs no name or date of birth")
            << "Masters" << false << "|VMSC|X|" << 1 << ""
            << "Set-Up Entrant No 1 " << QStringList() << QStringList{"R72"};
        QTest::newRow("masters individual is entered under the letter")
            << "Masters" << false << "Jane Brown|VMSC|F|05/03/80" << 0 << ""
            << "Set-Up Entrant No 1 Jane Brown" << QStringList() << QStringList{"E"};
    }
    void openRecordChecks()
    {
        QFETCH(QString, type);
        QFETCH(bool, ageGroups);
        QFETCH(QString, fields);
        QFETCH(int, group);
        QFETCH(QString, answer);
        QFETCH(QString, info);
        QFETCH(QStringList, shown);
        QFETCH(QStringList, written);

        Meet meet(type);
        meet.session.Gala.AgeGroups = ageGroups;
        meet.Open();
        EntryForm &form = *meet.form;
        const QStringList f = fields.split(u'|');
        form.IntSex = f.at(2);
        form.OnSexChanged();
        form.OnGroupClicked(group);
        form.IntDob = f.at(3);
        if (!form.IntDob.isEmpty() && type == Core::GalaMasters)
            form.OnDobLeft();
        form.FullName = f.at(0);
        form.ClubName = f.at(1);
        form.EnterAll();
        if (answer == "yes")
            meet.prompts.Yes();
        else if (answer == "no")
            meet.prompts.No();
        meet.prompts.Shown.clear();
        form.Info.clear();

        form.Record();
        QCOMPARE(form.Info.isEmpty() ? QString() : form.Info.last(), info);
        QCOMPARE(meet.prompts.Shown, shown);
        QCOMPARE(meet.Column("Entrant Table", "age"), written);
        if (!written.isEmpty()) {
            // Cleared for the next entrant, the club kept.
            QCOMPARE(form.FullName, QString());
            QCOMPARE(form.IntSex, QString());
            QCOMPARE(form.ClubName, QStringLiteral("VMSC"));
            QCOMPARE(form.TakeFocus().Box, FocusBox::FullName);
            QCOMPARE(meet.Column("Meet Table", "Next Competitor Number"), QStringList{"2"});
        }
    }

    void noEventCheckedUsesNoNumber()
    {
        Meet meet(Core::GalaOpen);
        // Give the meet a Null counter, which the schema's own default never produces.
        MeetDb::Database &db = meet.session.MeetDb;
        db.Exec(R"(CREATE TABLE "Copy" AS SELECT * FROM "Meet Table")");
        db.Exec(R"(DROP TABLE "Meet Table")");
        db.Exec(R"(ALTER TABLE "Copy" RENAME TO "Meet Table")");
        db.Exec(R"(UPDATE "Meet Table" SET "Next Competitor Number" = NULL)");
        meet.Open();
        meet.Swimmer("F", 2);
        meet.form->Record();
        QCOMPARE(meet.Column("Entrant Table", "Entrant Number"), QStringList());
        QCOMPARE(meet.Column("Meet Table", "Next Competitor Number"), QStringList{"1"});
        QCOMPARE(meet.form->FullName, QString());
        QCOMPARE(meet.form->TakeFocus().Box, FocusBox::FullName);

        // A Null counter numbers the first entrant 1.
        meet.Swimmer("F", 2);
        meet.form->Slots[1].Time = "1:10";
        meet.form->OnTimeLeft(1);
        meet.form->Record();
        QCOMPARE(meet.Column("Entrant Table", "Entrant Number"), QStringList{"1"});
        QCOMPARE(meet.Column("Swim Table", "Entry Time"), QStringList{"1:10.00"});
        QCOMPARE(meet.form->Info,
                 QStringList({"3 100m Backstroke 1:10.00", "Set-Up Entrant No 1 Jane Brown"}));
    }

    void properCase_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("result");
        QTest::newRow("plain") << "jANE bROWN"
                               << "Jane Brown";
        QTest::newRow("apostrophe and hyphen")
            << "zoË o'brien-SMITH" << QString::fromUtf8("Zoë O'Brien-Smith");
        QTest::newRow("blanks kept") << " ann  lee "
                                     << " Ann  Lee ";
    }
    void properCase()
    {
        QFETCH(QString, typed);
        QFETCH(QString, result);
        QCOMPARE(EntryForm::ProperCase(typed), result);
    }

    void fullNameLeftAutoCorrects()
    {
        Meet meet(Core::GalaOpen);
        meet.session.Gala.AgeGroups = true;
        meet.Open();
        meet.form->FullName = QString::fromUtf8("zoë o'brien-smith");
        meet.form->OnFullNameLeft();
        QCOMPARE(meet.form->FullName, QString::fromUtf8("Zoë O'Brien-Smith"));
        QCOMPARE(meet.form->TakeFocus().Box, FocusBox::RegistrationNumber);
        meet.form->AutoCorrectClicked();
        QCOMPARE(meet.form->AutoCorrectCaption, QStringLiteral("Auto Correct Off"));
        meet.form->FullName = "de la cruz";
        meet.form->OnFullNameLeft();
        QCOMPARE(meet.form->FullName, QStringLiteral("de la cruz"));
    }

    void memberGala()
    {
        Meet meet(Core::GalaChamps);
        const QString memberDb = meet.dir.FilePath("pbsys.mdb");
        Members::CreateMemberDatabase(memberDb);
        Core::ReadSystemParams(meet.dir.Path(), meet.session.Settings, meet.prompts);
        {
            MeetDb::Database db;
            db.Open(memberDb);
            Members::Member jane;
            jane.Surname = "Brown";
            jane.Forename = "Jane";
            jane.RecordType = "A";
            jane.Sex = "F";
            jane.Address1 = "1 Mill Lane";
            jane.Town = "Velmora";
            jane.PbTimes = QStringList(Members::MaxPbColumns, QString());
            jane.PbTimes[4] = "35.10"; // 50 FS
            Members::WriteMember(db, jane);
        }
        InsertRows(meet.session.MeetDb, "Entrant Table", "Meet code|Entrant Number|Swimmer Name",
                   {"M1|4|Brown Jane"});
        meet.Open();
        EntryForm &form = *meet.form;
        QVERIFY(form.MemberDbOpen());

        form.ShortName = "bro j"; // typed in small letters
        form.OnShortNameChanged();
        QCOMPARE(form.FullName, QStringLiteral("Jane Brown"));
        meet.prompts.Type("20/3/10");
        meet.prompts.Shown.clear();
        form.OnShortNameLeft();
        QCOMPARE(meet.prompts.Shown,
                 QStringList(
                     {"message: There is already an entry for this swimmer, entrant number 4",
                      "input: Competition Entries | Enter date of birth .. format dd/mm/yy | "}));
        QCOMPARE(form.Info,
                 QStringList({"1 Mill Lane, , ", "Velmora, , ", " ", "No e-mail address"}));
        QCOMPARE(form.IntDob, QStringLiteral("20/03/10"));
        QCOMPARE(form.IntSex, QStringLiteral("F"));

        // No group: refused. With a group and no event: the entrant is still written.
        form.Record();
        QCOMPARE(meet.prompts.Messages.last(), QStringLiteral("No Group Checked"));
        form.OnGroupClicked(2);
        QCOMPARE(meet.Captions(), QStringList({"1:50 FS", "3:100 BK"}));
        form.Slots[0].Checked = true;
        form.Slots[1].Checked = true;
        form.Record();
        QCOMPARE(meet.Column("Entrant Table", "Swimmer Name"),
                 QStringList({"Brown Jane", "Brown Jane"}));
        QCOMPARE(meet.Column("Entrant Table", "club"), QStringList({"<null>", "VMSC"}));
        QCOMPARE(meet.Column("Swim Table", "Entry Time"), QStringList({"35.10", "9:99.99"}));
        QCOMPARE(form.Info.first(), QStringLiteral("Set-Up Entrant No 1 Brown Jane 20/03/10"));
        QCOMPARE(form.ShortName, QString());
        QCOMPARE(form.TakeFocus().Box, FocusBox::ShortName);

        // Not a member: asked, and entered without times.
        form.FullName = "Ann Green";
        form.IntDob = "01/02/11";
        form.IntSex = "F";
        form.OnSexChanged();
        meet.prompts.Yes();
        form.Record();
        QCOMPARE(meet.prompts.Questions.last(),
                 QStringLiteral("Not on PB file .. check that DOB and Sex are correct"));
        QCOMPARE(meet.Column("Entrant Table", "Swimmer Name").last(), QStringLiteral("Green Ann"));
        QCOMPARE(meet.Column("Meet Table", "Next Competitor Number"), QStringList{"3"});
    }

    // The checks of "Quick Add Member" in their order; each leaves the member file alone.
    void quickAddChecks_data()
    {
        QTest::addColumn<QString>("fields"); // name|dob|sex
        QTest::addColumn<QString>("message");
        QTest::addColumn<FocusBox>("focus");
        QTest::newRow("no name first") << "||"
                                       << "No name entered .. invalid" << FocusBox::FullName;
        QTest::newRow("already on file") << "Jane Brown||"
                                         << "Already on File" << FocusBox::FullName;
        QTest::newRow("no date of birth") << "Jo Bloggs||Q"
                                          << "No Date of Birth .. invalid" << FocusBox::IntDob;
        QTest::newRow("not a date") << "Jo Bloggs|31/02/09|M"
                                    << "Invalid Date" << FocusBox::IntDob;
        QTest::newRow("sex") << "Jo Bloggs|5/3/09|X"
                             << "Sex not M or F .. invalid" << FocusBox::IntSex;
    }
    void quickAddChecks()
    {
        QFETCH(QString, fields);
        QFETCH(QString, message);
        QFETCH(FocusBox, focus);
        Meet meet(Core::GalaInternal);
        meet.AddMemberDb();
        meet.Open();
        const QStringList f = fields.split(u'|');
        meet.form->FullName = f.at(0);
        meet.form->IntDob = f.at(1);
        meet.form->IntSex = f.at(2);
        meet.form->QuickAddMember();
        QCOMPARE(meet.prompts.Messages, QStringList{message});
        QCOMPARE(meet.form->TakeFocus().Box, focus);
        QCOMPARE(meet.form->MemberIndex().Count(), 1);
        QCOMPARE(meet.form->ShortName, QString());
    }

    void quickAddMember()
    {
        Meet meet(Core::GalaInternal);
        meet.AddMemberDb();
        meet.Open();
        EntryForm &form = *meet.form;
        form.FullName = "Jo Bloggs";
        form.IntDob = "5/3/09";
        form.IntSex = "m";
        form.QuickAddMember();
        QCOMPARE(meet.prompts.Messages, QStringList());
        QCOMPARE(form.ShortName, QStringLiteral("Bloggs Jo"));
        QCOMPARE(form.IntDob, QStringLiteral("05/03/09"));
        QCOMPARE(form.IntSex, QStringLiteral("M"));
        QCOMPARE(form.TakeFocus().Box, FocusBox::ShortName);
        const int position = form.MemberIndex().FindIndexEntry("Bloggs Jo", 0);
        QVERIFY(position > 0);

        MeetDb::Database db;
        db.Open(meet.dir.FilePath("pbsys.mdb"));
        Members::Member jo;
        QVERIFY(Members::ReadMember(db, form.MemberIndex().RecordId(position), jo, meet.prompts));
        QCOMPARE(QStringList({jo.Surname, jo.Forename, jo.DateOfBirth, jo.Sex, jo.RecordType,
                              jo.Address1, jo.Email}),
                 QStringList({"Bloggs", "Jo", "05/03/09", "M", "A", "", ""}));
        QCOMPARE(jo.RecordId, 2);

        // The short-name look-up then goes on with the new member.
        form.OnShortNameLeft();
        QCOMPARE(form.CurrentMember().RecordId, 2);

        form.QuickAddMember();
        QCOMPARE(meet.prompts.Messages, QStringList{"Already on File"});
    }

    void selectPairs()
    {
        Meet meet(Core::GalaSelect, QStringList{"1|F|OPEN|50|FS||"});
        meet.prompts.RequireAllAnswersUsed = false;
        meet.Open();
        meet.session.Settings.PbAllStrokeDist = QStringList{"25", "50", "100", "200"};
        meet.session.Settings.PbFreestyleDist = QStringList{"400", "800", "1500"};
        meet.session.Settings.PbMedleyDist = QStringList{"100", "200", "400"};
        EntryForm &form = *meet.form;
        form.FullName = "Ann Green";
        form.IntDob = "01/02/11";
        form.IntSex = "F";
        form.OnGroupClicked(2);
        form.Pairs[0] = {"fs", "50"};
        form.Pairs[1] = {"BK", "400"};
        form.Pairs[2] = {"BR", "100"};
        form.Pairs[3] = {"BR", ""};
        meet.prompts.Messages.clear();
        meet.prompts.Yes();
        form.Record();
        QCOMPARE(meet.prompts.Messages, QStringList{"Invalid Stroke/Distance Combination"});
        QCOMPARE(meet.session.Gala.EventCount(), 2);
        const Core::GalaEvent &added = meet.session.Gala.Events.last();
        QCOMPARE(QStringList({added.EvNumber, added.EvSex, added.EvGroup, added.EvDistance,
                              added.EvStroke}),
                 QStringList({"2", "F", "OPEN", "100", "BR"}));
        QCOMPARE(meet.Column("Swim Table", "Event number"), QStringList({"1", "2"}));
    }
};

QTEST_GUILESS_MAIN(TestEntryForm)
#include "tst_entryform.moc"
