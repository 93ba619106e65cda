#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QTest>

#include "core/startup.h"
#include "core/textutil.h"
#include "entries/entryimport.h"
#include "meetday/mastersconfirmform.h"
#include "meetday/programmenumbers.h"
#include "meetday/roster.h"
#include "meetday/seeding.h"
#include "meetdb/competitionload.h"
#include "meetdb/database.h"
#include "meetdb/meetimport.h"
#include "meetdb/schema.h"
#include "meetdb/session.h"
#include "reports/entrantslist.h"
#include "reports/nonswimmers.h"
#include "reports/printer.h"
#include "reports/programmerun.h"
#include "reports/reportoutput.h"
#include "support/dbrows.h"
#include "support/entryfixture.h"
#include "support/pdftext.h"
#include "support/scriptedprompts.h"
#include "support/testfiles.h"

// Two small open meets from tests/data. programme: event 1 with a holders file, event 2 with one
// entry over its maximum, events 3 and 4 swum together, event 5 too big for a sheet. entrantslist:
// Ashbury with an entrant of four events and one of none, Brookford with a name too long for its
// column, Caldermoor on two sheets, Emptywater with no entrants, a placeholder club "????" and an
// entrant of a club missing from the club list.
namespace {

const QString Code = QStringLiteral("TIDE27");
const QString ListCode = QStringLiteral("HARB27");
const QString EmptyCode = QStringLiteral("EMPTY27"); // the entrants list's meet, no entries

struct FixtureMeet
{
    TestDir dir;
    QString path = dir.FilePath(QStringLiteral("natamar.mdb"));
    MeetDb::Session session;
    ScriptedPrompts prompts;
    MeetDay::Roster roster;

    // The meet of tests/data/<folder>/meet.ini under each code, the entries loaded into the
    // first. Fails the test when any step does.
    bool Make(const QString &folder, const QStringList &codes)
    {
        session.ProgramDir = dir.Path();
        MeetDb::CreateMeetDatabase(path);
        MeetDb::ImportMessages messages;
        QStringList errors;
        bool made = true;
        for (const QString &code : codes)
            made = made && MeetDb::AddMeetFromFile(path, TestDataPath(folder + "/meet.ini"), code,
                                                   messages);
        made = made && MeetDb::LoadMeetByCode(session, path, codes[0], prompts) &&
               Entries::ImportEntriesCsv(session, TestDataPath(folder + "/entries.csv"), errors);
        if (!made)
            qWarning() << messages.Errors << errors;
        prompts.Messages.clear();
        prompts.Shown.clear();
        return made;
    }

    bool MakeProgramme()
    {
        if (!Make("programme", {Code}))
            return false;
        session.Gala.WorkDir = dir.Path();
        dir.Write("ev1-hst.csv", TestDir::Read(TestDataPath("programme/ev1-hst.csv")));
        for (Core::GalaEvent &event : session.Gala.Events)
            event.EvSelected = true;
        return MeetDay::LoadRoster(session, prompts, roster) == MeetDay::LoadResult::Loaded;
    }

    // Loads `code` after adding what the entry window would refuse, but a database from
    // elsewhere may hold.
    bool MakeList(const QString &code = ListCode)
    {
        if (!Make("entrantslist", {ListCode, EmptyCode}))
            return false;
        InsertRows(session.MeetDb, "Club Name Table", "Meet code|Club Code|Club Name",
                   {"HARB27|" + Reports::NoClubCode + "|Unattached"});
        InsertRows(
            session.MeetDb, "Entrant Table", "Meet code|Entrant Number|Swimmer Name|club|age|Sex",
            {"HARB27|90|Nora Nought|ASHB|09/09/10|F", "HARB27|91|Vic Visitor|ZEAL|09/09/10|F",
             "HARB27|92|Lia Lower|brkf|2011-02-03|F"});
        InsertRows(session.MeetDb, "Swim Table", "Meet code|Entrant Number|Event number|Entry Time",
                   {"HARB27|91|9|1:05.00", "HARB27|92|1|40.00"});
        return code == ListCode || MeetDb::LoadMeetByCode(session, path, code, prompts);
    }

    // Runs the programme with no club highlighted and the heading on.
    std::optional<Reports::Programme> Run()
    {
        prompts.No().Yes().Type(QStringLiteral("Saturday 20 June - morning"));
        return Reports::PrepareProgramme(session, roster, prompts);
    }

    QStringList Progrefs(const QString &event)
    {
        QStringList out;
        MeetDb::Database::SavedQuery query = session.MeetDb.OpenQuery("Entrants for 1 Event");
        query.SetParameter(MeetDb::ParamMeetCode, Code);
        query.SetParameter(MeetDb::ParamEventNumber, event);
        std::unique_ptr<MeetDb::RecordSet> rows = query.Open();
        for (rows->MoveFirst(); !rows->Eof(); rows->MoveNext())
            out << rows->Text("Entrant Number") + u'=' + rows->Text("Progref");
        return out;
    }
};

QByteArray ProgrammePdf(const Core::GalaState &gala, const Reports::Programme &programme)
{
    return Reports::PdfReport("programme", {}, [&](Reports::Printer &printer) {
        Reports::PrintProgramme(printer, gala, programme);
    });
}

QStringList GoldenLines(const QString &name)
{
    return QString::fromUtf8(TestDir::Read(TestDataPath(name))).split(u'\n');
}

// An internal gala kept in entry files in `dir`, where its programme run writes and reads the
// heat work files.
void EntryFileSession(MeetDb::Session &session, const TestDir &dir)
{
    session.ProgramDir = dir.Path();
    session.Gala.GalaType = Core::GalaInternal;
    session.Gala.WorkDir = dir.Path();
}

// The programme of the selected events with no club highlighted and no page heading.
std::optional<Reports::Programme> PlainProgramme(MeetDb::Session &session, MeetDay::Roster &roster,
                                                 ScriptedPrompts &prompts)
{
    prompts.No().No();
    return Reports::PrepareProgramme(session, roster, prompts);
}

// A selected event from "number|sex|distance|stroke|group".
Core::GalaEvent Event(const QString &line)
{
    const QStringList f = line.split(u'|');
    Core::GalaEvent event;
    event.EvNumber = f.value(0);
    event.EvSex = f.value(1);
    event.EvDistance = f.value(2);
    event.EvStroke = f.value(3);
    event.EvGroup = f.value(4);
    event.EvSelected = true;
    return event;
}

// A swim of event 1 as the programme lists it.
Reports::PoolEventRow Row(const QString &label, const QString &meetSpecific = {})
{
    Reports::PoolEventRow row;
    row.Event = QStringLiteral("1");
    row.Label = label;
    row.MeetSpecific = meetSpecific;
    return row;
}

// A VMSC entrant from "number|name|dob|sex|event=time,event=time".
MeetDay::RosterEntrant Entrant(const QString &line)
{
    const QStringList f = line.split(u'|');
    MeetDay::RosterEntrant entrant{f[0].toInt(), f[1], QStringLiteral("VMSC"), {}, f[2], f[3], {}};
    for (const QString &swim : f[4].split(u',')) {
        MeetDay::RosterSwim s;
        s.EventNumber = swim.section(u'=', 0, 0);
        s.EntryTime = swim.section(u'=', 1);
        entrant.Swims << s;
    }
    return entrant;
}

MeetDay::Roster Entrants(const QStringList &lines)
{
    MeetDay::Roster roster;
    for (const QString &line : lines)
        roster << Entrant(line);
    return roster;
}

// An open meet in the meet database: events 1, 2 and 3 (2 and 3 swum together), 12, and 13 to
// 30. Ann (1) swims 1 and 2, Bartholomew (2, a name of 30 characters) 3 and 12 (confirmed), Cy
// (3) only 99, of another session, and Di (4) 1, 2 and 13 to 30. The programme numbered event
// 1 Di before Ann, and event 2 Bartholomew before Ann, with Di's swim in 2 not yet numbered.
struct NonSwimmersMeet : EntryGala
{
    MeetDay::Roster roster;

    NonSwimmersMeet()
        : EntryGala("Open",
                    {"1|F|OPEN|50|FS", "2|F|OPEN|50|BK", "3|F|OPEN|50|BR", "12|F|OPEN|100|FS"})
    {
        for (int e = 13; e <= 30; ++e) {
            Core::GalaEvent event;
            event.EvNumber = QString::number(e);
            session.Gala.Events << event;
        }
        session.Gala.Combinations << QStringList{"2", "3"};
        UseMeetDb();
        InsertRows(session.MeetDb, "Entrant Table",
                   "Meet code|Entrant Number|Swimmer Name|club|Sex",
                   {"M1|1|Ann Lee|ASHB|F", "M1|2|Bartholomew Fotheringhame-Smyt|VMSC|M",
                    "M1|3|Cy Orr|ZZZ|M", "M1|4|Di Fern|VMSC|F"});
        QStringList swims{"M1|1|1|0|1|3",   "M1|1|2|0|2|2", "M1|2|3|0|2|1", "M1|2|12|1|12|1",
                          "M1|3|99|0|99|0", "M1|4|1|0|1|1", "M1|4|2|0|2|"};
        for (int e = 13; e <= 30; ++e)
            swims << QStringLiteral("M1|4|%1|0|%1|").arg(e);
        InsertRows(session.MeetDb, "Swim Table",
                   "Meet code|Entrant Number|Event number|Confirmed|Combined With|Progref", swims);
        Core::InstallFontSubstitutions();
        MeetDay::LoadRoster(session, prompts, roster);
    }

    // The list of the chosen events as printed, or nothing when it was refused.
    QByteArray Pdf(const QStringList &events)
    {
        for (Core::GalaEvent &event : session.Gala.Events)
            event.EvSelected = events.contains(event.EvNumber);
        const std::optional<Reports::NonSwimmers> list =
            Reports::PrepareNonSwimmers(session, roster, prompts);
        if (!list)
            return {};
        return Reports::PdfReport(
            "list", {}, [&](Reports::Printer &p) { Reports::PrintNonSwimmers(p, *list); });
    }
};

} // namespace

class TestMeetReports : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() { Core::InstallFontSubstitutions(); }

    // Single open events and events swum together are in the golden programme. Rows: gala
    // type|GB meet|the sexes of the events swum together|distance|stroke|title.
    void titles_data()
    {
        AddRows({"Masters|0|M|200|MED|Mens 200m Ind Medley",
                 "Masters|0|X|4x25|FSR|Mixed 4x25m Freestyle Relay",
                 "Open|1|MF|200|BK|Girls/Boys Open-Age 200m Backstroke",
                 "Open|0|F|25|XX|Female Open-Age 25m "});
    }
    void titles()
    {
        const QStringList f = RowCells();
        Core::GalaState gala;
        gala.GalaType = f[0];
        gala.GbMeet = f[1] == u"1";
        gala.Groups << Core::GalaGroup{"OPEN", "Open", "Open-Age", "Open all"};
        for (qsizetype i = 0; i < f[2].size(); ++i)
            gala.Events << Event(
                QStringList{QString::number(i + 1), f[2].at(i), f[3], f[4], "OPEN"}.join(u'|'));
        if (f[2].size() > 1)
            gala.Combinations << QStringList{"1", "2"};
        QCOMPARE(Reports::ProgrammeEventTitle(gala, QStringLiteral("1")), f[5]);
    }

    // Rows: index|excess|meet specific|label. A reserve within the excess or marked "Res" (not
    // a run's "(Res)") is "R"; a time trial adds "T".
    void labels_data()
    {
        AddRows({"0|0||12", "1|2||12R", "2|2||12", "5|0|Res 1|12R", "5|0|(Res)|12", "0|1|TT|12RT"});
    }
    void labels()
    {
        const QStringList f = RowCells();
        QCOMPARE(Reports::RowLabel(Row("12", f[2]), f[0].toInt(), f[1].toInt()), f[3]);
    }

    // Rows: where the event starts on the sheet|rows|holders|pages|SheetOffset afterwards. Block
    // height ((n + 2) / 2 x 16 + 30 hundredths, plus 120 for the holders), then 1 inch. Ten rows
    // just fit low on the sheet; fewer than 7 fit: a new sheet first; 124 rows fill a sheet.
    void layout_data()
    {
        AddRows({"9|10|0|1|11.26", "9.5|4|0|2|1.78", "8.2|8|1|2|3.3", "0|124|0|1|11.38",
                 "0|125|0|2|1.54"});
    }
    void layout()
    {
        const QStringList f = RowCells();
        const double offset = f[0].toDouble();
        Core::GalaState gala;
        gala.GalaType = Core::GalaOpen;
        gala.Events << Event(QStringLiteral("1"));
        Reports::ProgrammeEvent swims;
        swims.Event = QStringLiteral("1");
        for (int k = 1; k <= f[1].toInt(); ++k)
            swims.Rows << Row(QString::number(k));
        if (f[2] == u"1")
            swims.History << QStringList{"CR", "A", "B", "30.00", "2020"};
        double after = -1;
        int drawn = 0;
        Reports::PdfReport(QStringLiteral("layout"), {}, [&](Reports::Printer &printer) {
            Reports::ProgrammePages pages(printer, gala, {});
            pages.SheetOffset = offset;
            if (offset > 0)
                printer.Line(0, 0, 1, 0); // the earlier events of the sheet
            pages.PrintEventPages(swims, false);
            after = pages.SheetOffset;
            drawn = printer.PageCount();
        });
        QCOMPARE(drawn, f[3].toInt());
        QVERIFY2(qAbs(after - f[4].toDouble()) < 1e-9, qPrintable(QString::number(after)));
    }

    // Event 2 takes two; the slowest of its three is the reserve ("R" in the programme), marked
    // in the roster too.
    void golden()
    {
        FixtureMeet fixture;
        QVERIFY(fixture.MakeProgramme());
        const std::optional<Reports::Programme> programme = fixture.Run();
        QVERIFY(programme);
        QCOMPARE(fixture.prompts.Messages, QStringList());
        const QString text = PdfLayoutText(ProgrammePdf(fixture.session.Gala, *programme));
        QCOMPARE(text.split(u'\n'), GoldenLines("programme/golden.txt"));
        const MeetDay::RosterEntrant &eli = fixture.roster[MeetDay::FindEntrant(fixture.roster, 5)];
        // Event 4, swum by the same entrant, is no reserve.
        QCOMPARE(eli.Swims.at(0).MeetSpecific + u'|' + eli.Swims.at(1).MeetSpecific,
                 MeetDay::ReserveMark + u'|');
    }

    void numbers()
    {
        FixtureMeet fixture;
        QVERIFY(fixture.MakeProgramme());
        fixture.session.Gala.Renumber = true;
        QVERIFY(fixture.Run());
        // Slowest first: Ada 31.20 is 1st, Bea 30.05 2nd, Fay without a time first of all.
        const QStringList first = fixture.Progrefs(QStringLiteral("1"));
        QCOMPARE(first, (QStringList{"1=2", "2=3", "6=1"}));
        QCOMPARE(fixture.Progrefs(QStringLiteral("2")), (QStringList{"3=2", "4=3", "5=1"}));

        // A faster entry for Ada; the second run keeps the old numbers when told to ...
        fixture.roster[MeetDay::FindEntrant(fixture.roster, 1)].Swims[0].EntryTime = "29.00";
        fixture.prompts.No().No().No();
        QVERIFY(Reports::PrepareProgramme(fixture.session, fixture.roster, fixture.prompts));
        QCOMPARE(fixture.prompts.Questions.at(2), MeetDay::RenumberQuestion);
        QCOMPARE(fixture.Progrefs(QStringLiteral("1")), first);
        // ... and renumbers when told to.
        fixture.prompts.Yes().No().No();
        QVERIFY(Reports::PrepareProgramme(fixture.session, fixture.roster, fixture.prompts));
        QCOMPARE(fixture.Progrefs(QStringLiteral("1")), (QStringList{"1=3", "2=2", "6=1"}));
    }

    // Reading a whole file is the programme's (workFiles, champsCommand, entryFileGala). A
    // swimmer's line has 6 fields; a Graded gala's may add its points. Rows whose message is
    // "points n" read one swimmer with those points.
    void damagedHeatsFile_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QByteArray>("bytes"); // null: no file
        QTest::addColumn<QString>("message");
        const QByteArray six = "1\r\n\"7\",\"3\",\"A\",\"x\",\"1:00.00\",-1";
        // clang-format off
        QTest::newRow("missing")  << "Open" << QByteArray() << Reports::NoInputFileMessage;
        QTest::newRow("no count") << "Open" << QByteArray("\"7\",\"3\"\r\n") << "line 1: the first line";
        QTest::newRow("short")    << "Open" << QByteArray("3\r\n\"7\",\"3\",\"A\",\"x\",\"1:00.00\",-1\r\n")
                                  << "line 3: the file ends after 1 of its 3 swimmers";
        QTest::newRow("fields")   << "Open" << QByteArray("1\r\n\"7\",\"3\",\"A\"\r\n") << "line 2: a swimmer needs 6 fields, this line has 3";
        QTest::newRow("quote")    << "Open" << QByteArray("1\r\n\"7,\"3\",\"A\",\"x\",\"1\",-1\r\n") << "line 2: text after the closing quote of field 1";
        QTest::newRow("graded, 6 and a club") << "Graded" << six + "\r\n\"VMSC\"\r\n" << "points 0";
        QTest::newRow("graded, points") << "Graded" << six + ",12\r\n" << "points 12";
        QTest::newRow("graded, 8") << "Graded" << six + ",12,1\r\n" << "line 2: a swimmer needs 6 or 7 fields, this line has 8";
        QTest::newRow("open, 7") << "Open" << six + ",12\r\n" << "line 2: a swimmer needs 6 fields, this line has 7";
        // A count one short would leave out the last, fastest swimmer.
        QTest::newRow("count one short") << "Open" << QByteArray("1\r\n\"7\",\"3\",\"A\",\"x\",\"1:00.00\",-1\r\n\"VMSC\"\r\n\"8\",\"3\",\"B\",\"x\",\"59.00\",-1\r\n")
                                         << "line 4: the file holds more than the 1 swimmers its first line gives";
        QTest::newRow("one byte past the cap") << "Open" << QByteArray(Core::MaxDayFileBytes + 1, ' ')
                                               << "wk3.vb is larger than 4 MB, too large for a heats file";
        // clang-format on
    }

    void damagedHeatsFile()
    {
        QFETCH(QString, kind);
        QFETCH(QByteArray, bytes);
        QFETCH(QString, message);
        TestDir dir;
        const QString path = bytes.isNull() ? dir.FilePath("wk3.vb") : dir.Write("wk3.vb", bytes);
        ScriptedPrompts prompts;
        const Reports::PoolEventList rows = Reports::LoadHeatsFileList(path, kind, prompts);
        if (message.startsWith("points ")) {
            QCOMPARE(prompts.Messages, QStringList());
            QCOMPARE(rows.size(), 1);
            QCOMPARE(u"points "_qs + QString::number(rows[0].Points), message);
            return;
        }
        QVERIFY(rows.isEmpty());
        QCOMPARE(prompts.Messages.size(), 1);
        QVERIFY2(prompts.Messages.at(0).contains(message), qPrintable(prompts.Messages.at(0)));
    }

    // An internal gala kept in entry files: event 1 alone, events 2 and 3 swum together. The
    // programme run writes the heat work files and prints from them.
    void workFiles()
    {
        TestDir dir;
        MeetDb::Session session;
        EntryFileSession(session, dir);
        Core::GalaState &gala = session.Gala;
        gala.GalaName = QStringLiteral("Winter Internal");
        gala.PrintTimes = true;
        gala.Groups << Core::GalaGroup{"U/11", "U/11", "Under-11", "Juniors"};
        for (const char *event : {"1|F|50|FS|U/11", "2|F|50|BK|U/11", "3|M|50|BK|U/11"})
            gala.Events << Event(event);
        gala.Combinations << QStringList{"2", "3"};
        MeetDay::Roster roster =
            Entrants({"4|Ann Lee|01/02/16|F|1=41.00,2=48.20", "9|Bea \"B\" Corr|03/04/16|F|1=39.50",
                      "12|Cal Dunn|05/06/15|M|3=46.10", "30|Dev Ellis|07/08/15|M|3=9:99.99"});
        ScriptedPrompts prompts;
        const std::optional<Reports::Programme> programme =
            PlainProgramme(session, roster, prompts);
        QVERIFY(programme);
        QCOMPARE(prompts.Messages, QStringList());
        const QStringList files{"wk1.vb", "wk2.vb", "wk3.vb", "wkc2.vb"};
        QCOMPARE(QDir(dir.Path()).entryList({"wk*"}, QDir::Files, QDir::Name), files);
        for (const QString &name : files)
            QCOMPARE(TestDir::Read(dir.FilePath(name)),
                     TestDir::Read(TestDataPath("programme/wk-internal/" + name)));
        // The pages come from the work files: the combined event under its lead.
        const QString text = PdfLayoutText(ProgrammePdf(gala, *programme));
        QVERIFY2(text.contains(QRegularExpression("Cal Dunn +46.10 +3 +VMSC")), qPrintable(text));
    }

    // A gala kept in entry files, event 1 taking two: the two slowest are its reserves. With
    // renumbering the file and the page number swimmers by place, and the marks still go to the
    // entrants seeded there, never to the entrants whose numbers equal those places.
    void reserveMarks_data()
    {
        QTest::addColumn<bool>("renumber");
        QTest::addColumn<QString>("labels"); // printed, slowest first
        QTest::newRow("entrant numbers") << false << "40 30 2 1";
        QTest::newRow("renumbered") << true << "1 2 3 4";
    }
    void reserveMarks()
    {
        QFETCH(bool, renumber);
        QFETCH(QString, labels);
        TestDir dir;
        MeetDb::Session session;
        EntryFileSession(session, dir);
        session.Gala.Renumber = renumber;
        session.Gala.Events << Event("1|F|50|FS");
        session.Gala.Events[0].EvMaxEntries = 2;
        MeetDay::Roster roster =
            Entrants({"1|Ann|01/02/16|F|1=30.00", "2|Bea|01/02/16|F|1=31.00",
                      "30|Cat|01/02/16|F|1=40.00", "40|Dot|01/02/16|F|1=41.00"});
        ScriptedPrompts prompts;
        const std::optional<Reports::Programme> programme =
            PlainProgramme(session, roster, prompts);
        QVERIFY(programme);
        QStringList printed;
        for (const Reports::PoolEventRow &row : programme->Events.at(0).Rows)
            printed << row.Label;
        QCOMPARE(printed.join(u' '), labels);
        QStringList marked;
        for (const MeetDay::RosterEntrant &entrant : roster)
            marked << entrant.Name + u'=' + entrant.Swims.at(0).MeetSpecific;
        QCOMPARE(marked, (QStringList{"Ann=", "Bea=", "Cat=(Res)", "Dot=(Res)"}));
    }

    // A member gala kept in entry files, run as the officials do: "Add Entry" records two
    // members, the meet day confirms one and saves, a late entry is appended, and the meet day
    // then holds all three, the tick kept, and prints their programme.
    void entryFileGala_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::newRow("internal") << Core::GalaInternal;
        QTest::newRow("graded") << Core::GalaGraded;
    }
    void entryFileGala()
    {
        QFETCH(QString, kind);
        EntryGala gala(kind, {"1|F|OPEN|50|FS", "2|F|OPEN|100|BK"});
        Core::GalaState &state = gala.session.Gala;
        state.WorkDir = gala.dir.Path();
        state.PrintTimes = true;
        gala.AddMember(NewMember("Brown", "Jane", "01/02/10", "35.10"));
        gala.AddMember(NewMember("Lee", "Ann", "12/03/11"));
        gala.AddMember(NewMember("Cole", "Mia", "05/06/12"));
        const auto enter = [&](const QStringList &names) {
            QVERIFY(gala.Open());
            for (const QString &name : names) {
                gala.form->FullName = name;
                gala.form->OnShortNameLeft();
                gala.form->OnGroupClicked(2);
                gala.form->Slots[0].Checked = gala.form->Slots[1].Checked = true;
                gala.form->Record();
            }
            QVERIFY(gala.form->Exit());
        };
        enter({"Jane Brown", "Ann Lee"});
        const QByteArray entered = gala.File("intent.vb");
        QCOMPARE(entered.count('\n'), 4);

        state.ProgramMode = MeetDay::ModeMeetDay;
        {
            MeetDay::MastersConfirmForm day(gala.session, gala.prompts);
            day.Open();
            QCOMPARE(day.Entrants().size(), 2);
            day.FEntNo = "2";
            day.OnEntrantNumberLeft();
            QCOMPARE(day.FName, QStringLiteral("Lee Ann"));
            day.ConfirmAll();
            QVERIFY(day.SaveAll());
        }
        // The entry window's file is still its own, and the day's ticks are in finals.cds.
        QCOMPARE(gala.File("intent.vb"), entered);
        QVERIFY(gala.File("finals.cds").contains("\"Lee Ann\""));

        gala.prompts.Exists(true, Core::ExistingFileOption::Append);
        enter({"Mia Cole"});
        MeetDay::Roster roster;
        QCOMPARE(MeetDay::LoadRoster(gala.session, gala.prompts, roster),
                 MeetDay::LoadResult::Loaded);
        QStringList entrants;
        for (const MeetDay::RosterEntrant &entrant : roster)
            entrants << QStringLiteral("%1 %2 %3%4")
                            .arg(entrant.EntrantNumber)
                            .arg(entrant.Name, entrant.Swims.at(0).EntryTime,
                                 entrant.Swims.at(0).Confirmed ? " ticked" : "");
        QCOMPARE(entrants, (QStringList{"1 Brown Jane 35.10", "2 Lee Ann 9:99.99 ticked",
                                        "3 Cole Mia 9:99.99"}));

        for (Core::GalaEvent &event : state.Events)
            event.EvSelected = true;
        const std::optional<Reports::Programme> programme =
            PlainProgramme(gala.session, roster, gala.prompts);
        QVERIFY2(programme, qPrintable(gala.prompts.Messages.join(u'\n')));
        const QString text = PdfLayoutText(ProgrammePdf(state, *programme));
        for (const char *swimmer : {"1 +Brown Jane +35.10", "2 +Lee Ann", "3 +Cole Mia"})
            QVERIFY2(text.contains(QRegularExpression(swimmer)), qPrintable(text));
        QCOMPARE(programme->Events.size(), 2);
    }

    // A championship of three events: event 1 with a full final and reserves, event 2 with
    // three finalists, event 3 of a stroke with no name and no finals file. Rows: finals files
    // for events 1 and 2|answers (y, n or text typed)|out.csv there already|the golden file
    // written ("" for none)|"none" when no file is named.
    // "e" lays empty finals files, "d" a finals file of event 2 that holds one record more than
    // its count: the file is named, and no CSV is written.
    void champsCommand_data()
    {
        AddRows({"1|y,out.csv|0|champs.csv|", "0|y,out.csv|0|champs-none.csv|", "1|n|0||",
                 "1|y, |0||none", "1|y,out.csv,n|1||", "1|y,out.csv,y|1|champs.csv|",
                 "e|y,out.csv|0|champs-none.csv|", "d|y,out.csv|0||damaged",
                 "d|y,out.csv,y|1||damaged"});
    }
    void champsCommand()
    {
        const QStringList f = RowCells();
        TestDir dir;
        MeetDb::Session session;
        session.ProgramDir = dir.Path();
        session.Gala.GalaType = Core::GalaChamps;
        session.Gala.Groups << Core::GalaGroup{"U/11", "12 Years", "Under-11", "Juniors"};
        for (const char *event : {"1|F|50|FS|U/11", "2|M|0100|BK|U/11", "3|F|25|XX|U/11"})
            session.Gala.Events << Event(event);
        for (const char *name : {"wk1-f.vb", "wk2-f.vb"}) {
            QByteArray bytes =
                TestDir::Read(TestDataPath(QStringLiteral("programme/finals/") + name));
            if (f[0] == u"e")
                bytes.clear();
            if (f[0] == u"d" && QByteArray(name) == "wk2-f.vb")
                bytes.replace(0, 1, "2");
            if (f[0] != u"0")
                dir.Write(name, bytes);
        }
        const QString out = f[2] == u"1" ? dir.Write("out.csv", "old") : dir.FilePath("out.csv");
        ScriptedPrompts prompts;
        for (const QString &a : f[1].split(u','))
            a == "y" ? prompts.Yes() : a == "n" ? prompts.No() : prompts.Type(a);
        const QString path = Reports::CreateChampsProgramme(session, prompts);
        const QString damaged = dir.FilePath("wk2-f.vb") +
                                ", line 4: the file holds more than the 2 swimmers its first line "
                                "gives";
        QCOMPARE(prompts.Messages.join(u'|'), f[4] == u"none"      ? Reports::NoFileSpecifiedMessage
                                              : f[4] == u"damaged" ? damaged
                                                                   : QString());
        QCOMPARE(path.isEmpty(), f[3].isEmpty());
        QCOMPARE(QFile::exists(out), f[2] == u"1" || !f[3].isEmpty());
        QCOMPARE(TestDir::Read(out), f[3].isEmpty()
                                         ? QByteArray(f[2] == u"1" ? "old" : "")
                                         : TestDir::Read(TestDataPath("programme/" + f[3])));
    }

    // An event of more swims than can be seeded ends the programme with its name, before
    // anything is printed or kept: event 5 comes after four events already written. Rows: swims
    // over the limit.
    void tooManySwims_data()
    {
        QTest::addColumn<int>("over");
        QTest::newRow("as many as can be seeded") << 0;
        QTest::newRow("one more") << 1;
    }
    void tooManySwims()
    {
        QFETCH(int, over);
        FixtureMeet fixture;
        QVERIFY(fixture.MakeProgramme());
        int swims = 0;
        for (const MeetDay::RosterEntrant &entrant : std::as_const(fixture.roster))
            for (const MeetDay::RosterSwim &swim : entrant.Swims)
                swims += swim.EventNumber == QLatin1String("5") ? 1 : 0;
        for (int k = swims; k < MeetDay::MaxEventList + over; ++k)
            fixture.roster << Entrant(
                QStringLiteral("%1|Extra %1|01/01/10|F|5=40.00").arg(k + 1000));
        const QStringList before = fixture.Progrefs(QStringLiteral("1"));
        if (over == 0) {
            QVERIFY(fixture.Run());
            QVERIFY(fixture.Progrefs(QStringLiteral("1")) != before);
            return;
        }
        QVERIFY(!Reports::PrepareProgramme(fixture.session, fixture.roster, fixture.prompts));
        QCOMPARE(fixture.prompts.Messages,
                 (QStringList{"Event 5 has 1001 swims, more than the 1000 that can be seeded: its "
                              "heats were not made",
                              Reports::NoProgrammeWrittenMessage}));
        QCOMPARE(fixture.Progrefs(QStringLiteral("1")), before);
    }

    // The answer to "How many copies?" of a masters programme: 1 to 99.
    void copies_data() { AddRows({"1|1", "99|99", " 7 |7", "0|", "100|", "-1|", "x|", "|"}); }
    void copies()
    {
        const QStringList f = RowCells();
        QString error;
        QCOMPARE(Reports::ReadCopies(f[0], &error).value_or(0), f[1].toInt());
        QCOMPARE(error, f[1].isEmpty()
                            ? "\"" + f[0].trimmed() +
                                  "\" copies cannot be printed: give a number from 1 to 99"
                            : QString());
    }

    // With the work folder on a floppy, the disk is asked for; declined, nothing is listed. A
    // finals session writes the final and its two reserves instead of the heats.
    void makeProgrammeEvent()
    {
        TestDir dir;
        MeetDb::Session meet;
        meet.ProgramDir = dir.Path();
        meet.Gala.GalaType = Core::GalaOpen;
        meet.Gala.WorkDir = "A:";
        meet.Gala.Lanes = 5;
        meet.Gala.Events << Event("1|F");
        MeetDay::Roster roster;
        for (int k = 1; k <= 8; ++k) {
            roster << Entrant(QStringLiteral("%1|Swimmer %1|01/01/16|F|1=40.0%1").arg(k));
            roster.last().Swims[0].FinalRank = k;
        }
        ScriptedPrompts prompts;
        prompts.No();
        QCOMPARE(MeetDay::MakeProgrammeEvent(meet, roster, "1", false, true, prompts), 0);
        QCOMPARE(prompts.Questions, QStringList{"Load disk for event 1 into drive A:"});
        QCOMPARE(prompts.Messages + QDir(dir.Path()).entryList(QDir::Files), QStringList());
        meet.Gala.GalaType = Core::GalaChamps;
        meet.Gala.SessionTitle = "FINALS";
        meet.Gala.WorkDir = "";
        QCOMPARE(MeetDay::MakeProgrammeEvent(meet, roster, "1", false, true, prompts), 8);
        QCOMPARE(prompts.Messages + QDir(dir.Path()).entryList(QDir::Files),
                 QStringList{"wk1-f.vb"});
        QVERIFY(TestDir::Read(dir.FilePath("wk1-f.vb")).startsWith("7\r\n"));
        // Ranks 1 to 8 made the final. A swimmer without a rank (disqualified in the heats) has
        // no place in it; with no rank at all there is no final, and the last one's file is left
        // as it was.
        roster[2].Swims[0].FinalRank = 0;
        QCOMPARE(MeetDay::MakeProgrammeEvent(meet, roster, "1", false, true, prompts), 7);
        const QByteArray final = TestDir::Read(dir.FilePath("wk1-f.vb"));
        QVERIFY(final.startsWith("7\r\n") && !final.contains("Swimmer 3"));
        for (MeetDay::RosterEntrant &entrant : roster)
            entrant.Swims[0].FinalRank = 0;
        QCOMPARE(MeetDay::MakeProgrammeEvent(meet, roster, "1", false, true, prompts), 0);
        QCOMPARE(prompts.Messages,
                 QStringList{"No heat results for event 1: import the results first"});
        QCOMPARE(TestDir::Read(dir.FilePath("wk1-f.vb")), final);
    }

    // Rows: kind|the meet's code (E: the one without entries)|"close" the database, or "query"
    // to delete a saved query|the message ("" when the list is printed): the kind is checked
    // before the database.
    void listRefusals_data()
    {
        AddRows({"Open|||", "Champs|||", "Masters|||", "Internal|||kind", "Graded|||kind",
                 "Select|||kind", "Internal||close|kind", "Open||close|database",
                 "Open|E||entrants", "Open||query|query"});
    }
    void listRefusals()
    {
        const QStringList f = RowCells();
        const QString message =
            QHash<QString, QString>{{"kind", Reports::EntrantsListNotApplicable},
                                    {"database", Reports::EntrantsListNatamarOnly},
                                    {"entrants", Reports::EntrantsListNoEntrants},
                                    {"query", "Saved query 'Events for 1 Entrant' not found in"}}
                .value(f[3]);
        FixtureMeet fixture;
        QVERIFY(fixture.MakeList(f[1] == u"E" ? EmptyCode : ListCode));
        fixture.session.Gala.GalaType = f[0];
        if (f[2] == u"close")
            fixture.session.MeetDb.Close();
        else if (f[2] == u"query")
            fixture.session.MeetDb.Exec(
                "DELETE FROM \"Saved Queries\" WHERE \"Name\" = 'Events for 1 Entrant'");
        const auto list = Reports::PrepareEntrantsList(fixture.session, fixture.prompts);
        QCOMPARE(list.has_value(), message.isEmpty());
        // Said once, whatever the number of clubs.
        QCOMPARE(fixture.prompts.Shown.size(), message.isEmpty() ? 0 : 1);
        QVERIFY(message.isEmpty() || fixture.prompts.Messages.value(0).startsWith(message));
    }

    // The meet's club list in its order without the placeholder, then the club entrants name
    // that the list lacks. With "ALL" in the list, every entrant is printed there, no club added.
    void listGolden()
    {
        FixtureMeet fixture;
        QVERIFY(fixture.MakeList());
        const auto list = Reports::PrepareEntrantsList(fixture.session, fixture.prompts);
        QVERIFY(list);
        const QByteArray pdf = Reports::PdfReport(
            "list", {}, [&](Reports::Printer &p) { Reports::PrintEntrantsList(p, *list); });
        QCOMPARE(PdfLayoutText(pdf).split(u'\n'), GoldenLines("entrantslist/golden.txt"));
        // An unknown stroke code or event prints no stroke; the known ones are in the list.
        fixture.session.Gala.Events[0].EvStroke = QStringLiteral("fs");
        QCOMPARE(Reports::EntrantsListDetails(fixture.session.Gala, "1"), QStringLiteral("50m "));
        QCOMPARE(Reports::EntrantsListDetails(fixture.session.Gala, "99"), QString());

        // The meet's heading in 14 point opens every sheet: Ashbury, Brookford, Caldermoor on
        // two sheets, Emptywater, the club missing from the list.
        const PdfContents words = PdfWords(pdf);
        const QList<PdfWord> meet = FindWords(words, QStringLiteral("Harbour"));
        QCOMPARE(meet.size(), 6);
        for (const PdfWord &word : meet)
            QVERIFY(qAbs(word.Left - 0.75) < 0.01 && word.Bottom - word.Top > 0.18);
        // The long name is narrowed, then cut, to stay clear of the DoB column.
        const QList<PdfWord> longName = FindWords(words, "Featherstonehaugh-Wilberf>");
        QVERIFY(longName.size() == 1 && longName[0].Right < 0.75 + Reports::DobColumn);

        fixture.session.Gala.Clubs.append({QStringLiteral("ALL"), QStringLiteral("All clubs")});
        const auto all = Reports::PrepareEntrantsList(fixture.session, fixture.prompts);
        QVERIFY(all);
        QCOMPARE(all->Clubs, (QStringList{"ASHB", "BRKF", "CALD", "EMPT", "ALL"}));
        const PdfContents allWords = PdfWords(Reports::PdfReport(
            "list", {}, [&](Reports::Printer &p) { Reports::PrintEntrantsList(p, *all); }));
        QCOMPARE(FindWords(allWords, QStringLiteral("Visitor")).size(), 1);
        QCOMPARE(FindWords(allWords, QStringLiteral("Quill")).size(), 2);
    }

    // The non-swimmers list as a reader of the paper sees it: the missing swimmers (Di's events
    // going on under themselves), then each chosen pool event in programme order, an event whose
    // swimmers are all confirmed saying so. The columns stand where the fixed-pitch face puts
    // them.
    void nonSwimmersGolden()
    {
        NonSwimmersMeet meet;
        const QByteArray pdf = meet.Pdf({"1", "2", "3", "12"});
        QCOMPARE(PdfLayoutText(pdf).split(u'\n'), GoldenLines("nonswimmers/golden.txt"));
        QCOMPARE(meet.prompts.Messages, QStringList{});
        const PdfContents words = PdfWords(pdf);
        const QList<PdfWord> ann = FindWords(words, "Ann");
        const QList<PdfWord> ashbury = FindWords(words, "Ashbury");
        QVERIFY(!ann.isEmpty() && !ashbury.isEmpty());
        QVERIFY(qAbs(ann[0].Left - 0.75 - 0.5) < 0.02);
        QVERIFY(qAbs(ashbury[0].Left - 0.75 - 2.9) < 0.03);
    }

    // Without the meet database there are no programme references: roster order.
    void nonSwimmersWithoutDatabase()
    {
        NonSwimmersMeet meet;
        meet.session.Gala.MeetDbOpen = false;
        const QString text = PdfLayoutText(meet.Pdf({"1"}));
        QVERIFY2(text.indexOf("Ann Lee") < text.lastIndexOf("Di Fern"), qPrintable(text));
        meet.session.Gala.MeetDbOpen = true;
        meet.session.MeetDb.Exec("DELETE FROM \"Saved Queries\" WHERE \"Name\" = 'Events for 1 "
                                 "Entrant'");
        QVERIFY(meet.Pdf({"1"}).isEmpty());
        QCOMPARE(meet.prompts.Messages.size(), 1);
    }
};

QTEST_MAIN(TestMeetReports)
#include "tst_programme.moc"
