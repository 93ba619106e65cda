#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QTest>

#include "core/startup.h"
#include "entries/entryimport.h"
#include "meetday/programme.h"
#include "meetday/roster.h"
#include "meetdb/competitionload.h"
#include "meetdb/database.h"
#include "meetdb/meetimport.h"
#include "meetdb/schema.h"
#include "meetdb/session.h"
#include "reports/printer.h"
#include "reports/programme.h"
#include "reports/reportoutput.h"
#include "support/pdftext.h"
#include "support/scriptedprompts.h"
#include "support/testfiles.h"

// The programme of a small open meet (tests/data/programme): event 1 with a holders file, event
// 2 with more entries than its maximum (one reserve), events 3 and 4 swum together, and event 5
// with seventy swimmers, more than one sheet holds.
namespace {

const QString Code = QStringLiteral("TIDE27");

QString Fixture(const QString &name)
{
    return TestDataPath(QStringLiteral("programme/") + name);
}

struct FixtureMeet
{
    TestDir dir;
    QString path = dir.FilePath(QStringLiteral("natamar.mdb"));
    MeetDb::Session session;
    ScriptedPrompts prompts;
    MeetDay::Roster roster;

    bool Make()
    {
        session.ProgramDir = dir.Path();
        MeetDb::CreateMeetDatabase(path);
        MeetDb::ImportMessages messages;
        if (!MeetDb::AddMeetFromFile(path, Fixture(QStringLiteral("meet.ini")), Code, messages)) {
            qWarning() << messages.Errors;
            return false;
        }
        if (!MeetDb::LoadMeetByCode(session, path, Code, prompts))
            return false;
        QStringList errors;
        if (!Entries::ImportEntriesCsv(session, Fixture(QStringLiteral("entries.csv")), errors)) {
            qWarning() << errors;
            return false;
        }
        session.Gala.WorkDir = dir.Path();
        dir.Write(QStringLiteral("ev1-hst.csv"),
                  TestDir::Read(Fixture(QStringLiteral("ev1-hst.csv"))));
        for (Core::GalaEvent &event : session.Gala.Events)
            event.EvSelected = true;
        prompts.Messages.clear();
        prompts.Shown.clear();
        return MeetDay::LoadRoster(session, prompts, roster) == MeetDay::LoadResult::Loaded;
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
        MeetDb::Database::SavedQuery query =
            session.MeetDb.OpenQuery(QStringLiteral("Entrants for 1 Event"));
        query.SetParameter(MeetDb::ParamMeetCode, Code);
        query.SetParameter(MeetDb::ParamEventNumber, event);
        std::unique_ptr<MeetDb::RecordSet> rows = query.Open();
        for (rows->MoveFirst(); !rows->Eof(); rows->MoveNext())
            out << rows->Text(QStringLiteral("Entrant Number")) + u'=' +
                       rows->Text(QStringLiteral("Progref"));
        return out;
    }
};

QByteArray ProgrammePdf(const Core::GalaState &gala, const Reports::Programme &programme)
{
    return Reports::PdfReport(QStringLiteral("programme"), {}, [&](Reports::Printer &printer) {
        Reports::PrintProgramme(printer, gala, programme);
    });
}

// An event from "number|sex|distance|stroke|group".
Core::GalaEvent Event(const QString &line)
{
    const QStringList f = line.split(u'|');
    Core::GalaEvent event;
    event.EvNumber = f.value(0);
    event.EvSex = f.value(1);
    event.EvDistance = f.value(2);
    event.EvStroke = f.value(3);
    event.EvGroup = f.value(4);
    return event;
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

} // namespace

class TestProgramme : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() { Core::InstallFontSubstitutions(); }
    void titles_data();
    void titles();
    void labels_data();
    void labels();
    void layout_data();
    void layout();
    void golden();
    void numbers();
    void heatsFileRoundTrip();
    void damagedHeatsFile_data();
    void damagedHeatsFile();
    void workFiles_data();
    void workFiles();
    void champsCommand_data();
    void champsCommand();
    void makeProgrammeEvent_data();
    void makeProgrammeEvent();
};

void TestProgramme::titles_data()
{
    QTest::addColumn<QString>("galaType");
    QTest::addColumn<bool>("gb");
    QTest::addColumn<QString>("sexes"); // the events swum together, one letter each
    QTest::addColumn<QString>("distance");
    QTest::addColumn<QString>("stroke");
    QTest::addColumn<QString>("title");

    // clang-format off
    QTest::newRow("open female")      << "Open"    << false << "F"  << "50"   << "FS"   << "Female Open-Age 50m Freestyle";
    QTest::newRow("open male relay")  << "Open"    << false << "M"  << "4x50" << "MEDR" << "Male Open-Age 4x50m Medley Relay";
    QTest::newRow("gb meet")          << "Open"    << true  << "M"  << "100"  << "BR"   << "Boys Open-Age 100m Breaststroke";
    QTest::newRow("masters: no group") << "Masters" << false << "M" << "200"  << "MED"  << "Mens 200m Ind Medley";
    QTest::newRow("masters ladies")   << "Masters" << false << "F"  << "50"   << "FSS"  << "Ladies 50m Freestyle";
    QTest::newRow("mixed")            << "Masters" << false << "X"  << "4x25" << "FSR"  << "Mixed 4x25m Freestyle Relay";
    QTest::newRow("sexes differ")     << "Open"    << false << "FM" << "200"  << "BK"   << "Female/Male Open-Age 200m Backstroke";
    QTest::newRow("sexes differ, gb") << "Open"    << true  << "MF" << "200"  << "BK"   << "Girls/Boys Open-Age 200m Backstroke";
    QTest::newRow("sexes differ, masters") << "Masters" << false << "FM" << "800" << "FS" << "Ladies/Men 800m Freestyle";
    QTest::newRow("unknown stroke")   << "Open"    << false << "F"  << "25"   << "XX"   << "Female Open-Age 25m ";
    // clang-format on
}

void TestProgramme::titles()
{
    QFETCH(QString, galaType);
    QFETCH(bool, gb);
    QFETCH(QString, sexes);
    QFETCH(QString, distance);
    QFETCH(QString, stroke);
    Core::GalaState gala;
    gala.GalaType = galaType;
    gala.GbMeet = gb;
    gala.Groups << Core::GalaGroup{"OPEN", "Open", "Open-Age", "Open all"};
    QStringList members;
    for (qsizetype i = 0; i < sexes.size(); ++i) {
        members << QString::number(i + 1);
        gala.Events << Event(
            QStringList{members.last(), sexes.at(i), distance, stroke, "OPEN"}.join(u'|'));
    }
    if (members.size() > 1)
        gala.Combinations << members;
    QTEST(Reports::ProgrammeEventTitle(gala, QStringLiteral("1")), "title");
}

void TestProgramme::labels_data()
{
    QTest::addColumn<int>("index");
    QTest::addColumn<int>("excess");
    QTest::addColumn<QString>("meetSpecific");
    QTest::addColumn<QString>("label");

    // clang-format off
    QTest::newRow("plain")                            << 0 << 0 << ""      << "12";
    QTest::newRow("within the excess")                << 1 << 2 << ""      << "12R";
    QTest::newRow("after the excess")                 << 2 << 2 << ""      << "12";
    QTest::newRow("marked reserve")                   << 5 << 0 << "Res 1" << "12R";
    QTest::newRow("reserve mark of a run is not Res") << 5 << 0 << "(Res)" << "12";
    QTest::newRow("time trial")                       << 0 << 0 << "TT"    << "12T";
    QTest::newRow("time trial within the excess")     << 0 << 1 << "TT"    << "12RT";
    // clang-format on
}

void TestProgramme::labels()
{
    QFETCH(int, index);
    QFETCH(int, excess);
    QFETCH(QString, meetSpecific);

    Reports::PoolEventRow row;
    row.Label = QStringLiteral("12");
    row.MeetSpecific = meetSpecific;
    QTEST(Reports::RowLabel(row, index, excess), "label");
}

void TestProgramme::layout_data()
{
    QTest::addColumn<double>("offset"); // where the event starts on the sheet
    QTest::addColumn<int>("rows");
    QTest::addColumn<bool>("history");
    QTest::addColumn<int>("pages");
    QTest::addColumn<double>("next"); // SheetOffset afterwards

    // Block height ((n + 2) / 2 x 16 + 30 hundredths, plus 120 for the holders), then 1 inch.
    QTest::newRow("one row on a fresh sheet") << 0.0 << 1 << false << 1 << 1.54;
    QTest::newRow("odd rows") << 0.0 << 7 << false << 1 << 2.02;
    QTest::newRow("with holders") << 0.0 << 2 << true << 1 << 0.62 + 1.2 + 1;
    QTest::newRow("ten rows just fit low on the sheet") << 9.0 << 10 << false << 1 << 11.26;
    QTest::newRow("fewer than 7 rows fit: new sheet first") << 9.5 << 4 << false << 2 << 1.78;
    QTest::newRow("the holders need more room") << 8.2 << 8 << true << 2 << 3.3;
    QTest::newRow("124 rows fill a sheet") << 0.0 << 124 << false << 1 << 11.38;
    QTest::newRow("125 rows continue on the next") << 0.0 << 125 << false << 2 << 0.54 + 1;
}

void TestProgramme::layout()
{
    QFETCH(double, offset);
    QFETCH(int, rows);
    QFETCH(bool, history);
    QFETCH(double, next);

    Core::GalaState gala;
    gala.GalaType = Core::GalaOpen;
    gala.Events << Event(QStringLiteral("1"));
    Reports::ProgrammeEvent swims;
    swims.Event = QStringLiteral("1");
    for (int k = 1; k <= rows; ++k) {
        Reports::PoolEventRow row;
        row.Event = QStringLiteral("1");
        row.Label = QString::number(k);
        row.Name = QStringLiteral("Swimmer %1").arg(k);
        row.Club = QStringLiteral("ASHB");
        swims.Rows << row;
    }
    if (history)
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
    QTEST(drawn, "pages");
    QVERIFY2(qAbs(after - next) < 1e-9, qPrintable(QString::number(after)));
}

void TestProgramme::golden()
{
    FixtureMeet fixture;
    QVERIFY(fixture.Make());
    const std::optional<Reports::Programme> programme = fixture.Run();
    QVERIFY(programme);
    QCOMPARE(fixture.prompts.Messages, QStringList());
    const QString text = PdfLayoutText(ProgrammePdf(fixture.session.Gala, *programme));
    if (text != QString::fromUtf8(TestDir::Read(Fixture(QStringLiteral("golden.txt"))))) {
        // Left beside the test for a diff; copy it over the golden file once checked by eye.
        QFile actual(QStringLiteral("programme-actual.txt"));
        if (actual.open(QIODevice::WriteOnly))
            actual.write(text.toUtf8());
        QFAIL("the programme differs from tests/data/programme/golden.txt; see "
              "programme-actual.txt");
    }
    // Event 2 takes two; the slowest of its three is the reserve, marked in the roster too.
    QCOMPARE(programme->Events.at(1).Rows.at(0).MeetSpecific, MeetDay::ReserveMark);
    const MeetDay::RosterEntrant &eli = fixture.roster.at(MeetDay::FindEntrant(fixture.roster, 5));
    QCOMPARE(eli.Swims.at(0).MeetSpecific, MeetDay::ReserveMark);
    QCOMPARE(eli.Swims.at(1).MeetSpecific, QString()); // event 4 is no reserve
}

void TestProgramme::numbers()
{
    FixtureMeet fixture;
    QVERIFY(fixture.Make());
    fixture.session.Gala.Renumber = true;
    QVERIFY(fixture.Run());
    // Slowest first: Ada 31.20 is 1st, Bea 30.05 2nd, Fay without a time first of all.
    const QStringList first = fixture.Progrefs(QStringLiteral("1"));
    QCOMPARE(first, (QStringList{"1=2", "2=3", "6=1"}));
    QCOMPARE(fixture.Progrefs(QStringLiteral("2")), (QStringList{"3=2", "4=3", "5=1"}));

    // A faster entry for Ada; the second run keeps the old numbers when told to.
    fixture.roster[MeetDay::FindEntrant(fixture.roster, 1)].Swims[0].EntryTime =
        QStringLiteral("29.00");
    fixture.prompts.No().No().No();
    QVERIFY(Reports::PrepareProgramme(fixture.session, fixture.roster, fixture.prompts));
    QCOMPARE(fixture.prompts.Questions.at(2), MeetDay::RenumberQuestion);
    QCOMPARE(fixture.Progrefs(QStringLiteral("1")), first);

    // ... and renumbers when told to.
    fixture.prompts.Yes().No().No();
    QVERIFY(Reports::PrepareProgramme(fixture.session, fixture.roster, fixture.prompts));
    QCOMPARE(fixture.Progrefs(QStringLiteral("1")), (QStringList{"1=3", "2=2", "6=1"}));
}

void TestProgramme::heatsFileRoundTrip()
{
    MeetDay::SeededEvent seeded;
    seeded.PoolEvent = QStringLiteral("3");
    seeded.Events = {QStringLiteral("3")};
    seeded.List = {{"3", 7, "Ann \"Nan\" Lee", "CALD", "01/02/10", "9:99.99", 0, {}},
                   {"3", 12, "Bo Ray", "ASHB", "02/03/11", "1:02.50", 0, {}}};
    Core::GalaState gala;
    gala.GalaType = Core::GalaOpen;
    TestDir dir;
    const QString path =
        dir.Write(QStringLiteral("wk3.vb"), MeetDay::HeatWorkFileBytes(seeded, gala));
    ScriptedPrompts prompts;
    const Reports::PoolEventList list = Reports::LoadHeatsFileList(path, gala.GalaType, prompts);
    QCOMPARE(prompts.Messages, QStringList());
    QCOMPARE(list.size(), 2);
    QCOMPARE(list.at(0).Label + u'|' + list.at(0).Name, QStringLiteral("7|Ann 'Nan' Lee"));
    QCOMPARE(list.at(1).Club + u'|' + list.at(1).Time, QStringLiteral("ASHB|1:02.50"));
    QVERIFY(list.at(1).Confirmed);

    // Without a club line (Champs) the records follow one another directly.
    gala.GalaType = Core::GalaChamps;
    dir.Write(QStringLiteral("wk3.vb"), MeetDay::HeatWorkFileBytes(seeded, gala));
    const Reports::PoolEventList champs = Reports::LoadHeatsFileList(path, gala.GalaType, prompts);
    QCOMPARE(champs.size(), 2);
    QCOMPARE(champs.at(1).Label + u'|' + champs.at(1).Club, QStringLiteral("12|"));
}

void TestProgramme::damagedHeatsFile_data()
{
    QTest::addColumn<QByteArray>("bytes"); // null: no file
    QTest::addColumn<QString>("message");

    QTest::newRow("missing") << QByteArray() << Reports::NoInputFileMessage;
    QTest::newRow("no count") << QByteArray("\"7\",\"3\"\r\n") << "line 1: the first line";
    QTest::newRow("short") << QByteArray("3\r\n\"7\",\"3\",\"A\",\"x\",\"1:00.00\",-1\r\n")
                           << "line 3: the file ends after 1 of its 3 swimmers";
    QTest::newRow("fields") << QByteArray("1\r\n\"7\",\"3\",\"A\"\r\n")
                            << "line 2: a swimmer needs 6 fields, this line has 3";
    QTest::newRow("quote") << QByteArray("1\r\n\"7,\"3\",\"A\",\"x\",\"1\",-1\r\n") << "line 2: ";
}

void TestProgramme::damagedHeatsFile()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QString, message);

    TestDir dir;
    const QString path = dir.FilePath(QStringLiteral("wk3.vb"));
    if (!bytes.isNull())
        dir.Write(QStringLiteral("wk3.vb"), bytes);
    ScriptedPrompts prompts;
    QVERIFY(Reports::LoadHeatsFileList(path, Core::GalaOpen, prompts).isEmpty());
    QCOMPARE(prompts.Messages.size(), 1);
    QVERIFY2(prompts.Messages.at(0).contains(message), qPrintable(prompts.Messages.at(0)));
}

void TestProgramme::workFiles_data()
{
    QTest::addColumn<bool>("renumber");
    QTest::addColumn<QString>("golden"); // folder under tests/data/programme

    QTest::newRow("internal") << false << "wk-internal";
    QTest::newRow("internal, renumbered") << true << "wk-renumbered";
}

// An internal gala kept in entry files: event 1 alone, events 2 and 3 swum together. The
// programme run writes the heat work files and prints from them.
void TestProgramme::workFiles()
{
    QFETCH(bool, renumber);
    QFETCH(QString, golden);

    TestDir dir;
    MeetDb::Session session;
    session.ProgramDir = dir.Path();
    Core::GalaState &gala = session.Gala;
    gala.GalaType = Core::GalaInternal;
    gala.GalaName = QStringLiteral("Winter Internal");
    gala.Renumber = renumber;
    gala.PrintTimes = true;
    gala.WorkDir = dir.Path();
    gala.Groups << Core::GalaGroup{"U/11", "U/11", "Under-11", "Juniors"};
    for (const char *event : {"1|F|50|FS|U/11", "2|F|50|BK|U/11", "3|M|50|BK|U/11"}) {
        gala.Events << Event(event);
        gala.Events.last().EvSelected = true;
    }
    gala.Combinations << QStringList{"2", "3"};
    MeetDay::Roster roster;
    for (const char *entrant :
         {"4|Ann Lee|01/02/16|F|1=41.00,2=48.20", "9|Bea \"B\" Corr|03/04/16|F|1=39.50",
          "12|Cal Dunn|05/06/15|M|3=46.10", "30|Dev Ellis|07/08/15|M|3=9:99.99"})
        roster << Entrant(entrant);
    ScriptedPrompts prompts;
    prompts.No().No();
    const std::optional<Reports::Programme> programme =
        Reports::PrepareProgramme(session, roster, prompts);
    QVERIFY(programme);
    QCOMPARE(prompts.Messages, QStringList());
    QCOMPARE(programme->Events.size(), 2);

    const QStringList files{"wk1.vb", "wk2.vb", "wk3.vb", "wkc2.vb"};
    QCOMPARE(QDir(dir.Path()).entryList({"wk*"}, QDir::Files, QDir::Name), files);
    for (const QString &name : files)
        QCOMPARE(TestDir::Read(dir.FilePath(name)), TestDir::Read(Fixture(golden + u'/' + name)));
    // The pages come from the work files: the combined event under its lead.
    const QString text = PdfLayoutText(ProgrammePdf(gala, *programme));
    QVERIFY2(text.contains(QRegularExpression("Cal Dunn +46.10 +3 +VMSC")), qPrintable(text));
}

void TestProgramme::champsCommand_data()
{
    QTest::addColumn<bool>("finalists");      // finals files for events 1 and 2
    QTest::addColumn<QStringList>("answers"); // y, n, or text typed
    QTest::addColumn<bool>("existing");       // the output file exists already
    QTest::addColumn<QString>("written");     // the golden file written, "" for none
    QTest::addColumn<QStringList>("messages");

    const QStringList none;
    // clang-format off
    QTest::newRow("written")             << true  << QStringList{"y", "out.csv"}      << false << "champs.csv"      << none;
    QTest::newRow("no finals files")     << false << QStringList{"y", "out.csv"}      << false << "champs-none.csv" << none;
    QTest::newRow("finals not exported") << true  << QStringList{"n"}                 << false << ""                << none;
    QTest::newRow("no name")             << true  << QStringList{"y", " "}            << false << ""
                                         << QStringList{Reports::NoFileSpecifiedMessage};
    QTest::newRow("kept")                << true  << QStringList{"y", "out.csv", "n"} << true  << ""                << none;
    QTest::newRow("overwritten")         << true  << QStringList{"y", "out.csv", "y"} << true  << "champs.csv"      << none;
    // clang-format on
}

// A championship of three events: event 1 with a full final and reserves, event 2 with three
// finalists, event 3 of a stroke with no name and no finals file.
void TestProgramme::champsCommand()
{
    QFETCH(bool, finalists);
    QFETCH(QStringList, answers);
    QFETCH(bool, existing);
    QFETCH(QString, written);

    TestDir dir;
    MeetDb::Session session;
    session.ProgramDir = dir.Path();
    session.Gala.GalaType = Core::GalaChamps;
    session.Gala.Groups << Core::GalaGroup{"U/11", "12 Years", "Under-11", "Juniors"};
    for (const char *event : {"1|F|50|FS|U/11", "2|M|0100|BK|U/11", "3|F|25|XX|U/11"})
        session.Gala.Events << Event(event);
    if (finalists) {
        QByteArray full = "8\r\n";
        for (int k = 8; k >= 1; --k)
            full += QStringLiteral("\"%1\",\"1\",\"Swimmer %1\",\"01/01/16\",\"40.%1\",-1\r\n")
                        .arg(k)
                        .toLatin1();
        dir.Write("wk1-f.vb", full);
        dir.Write("wk2-f.vb", "3\r\n\"7\",\"2\",\"Cal \"\"C\"\" Dunn\",\"x\",\"1:30.00\",-1\r\n"
                              "\"8\",\"2\",\"Dev Ellis\",\"x\",\"1:29.00\",-1\r\n"
                              "\"9\",\"2\",\"Eli Frost\",\"x\",\"1:28.00\",-1\r\n");
    }
    const QString out = dir.FilePath("out.csv");
    if (existing)
        dir.Write("out.csv", "old");
    ScriptedPrompts prompts;
    for (const QString &answer : answers) {
        if (answer == "y")
            prompts.Yes();
        else if (answer == "n")
            prompts.No();
        else
            prompts.Type(answer);
    }
    const QString path = Reports::CreateChampsProgramme(session, prompts);
    QTEST(prompts.Messages, "messages");
    QCOMPARE(path.isEmpty(), written.isEmpty());
    if (!written.isEmpty())
        QCOMPARE(TestDir::Read(out), TestDir::Read(Fixture(written)));
    else
        QCOMPARE(QFile::exists(out), existing);
}

void TestProgramme::makeProgrammeEvent_data()
{
    QTest::addColumn<QString>("galaType");
    QTest::addColumn<QString>("session");
    QTest::addColumn<QString>("workDir"); // "" for the test's folder
    QTest::addColumn<int>("listed");
    QTest::addColumn<QStringList>("files");

    // A finals session writes the final and its two reserves instead of the heats.
    // clang-format off
    QTest::newRow("open: heat work file") << "Open"   << ""       << ""   << 8 << QStringList{"wk1.vb"};
    QTest::newRow("champs finals")        << "Champs" << "FINALS" << ""   << 8 << QStringList{"wk1-f.vb"};
    QTest::newRow("floppy declined")      << "Open"   << ""       << "A:" << 0 << QStringList{};
    // clang-format on
}

void TestProgramme::makeProgrammeEvent()
{
    QFETCH(QString, galaType);
    QFETCH(QString, session);
    QFETCH(QString, workDir);

    TestDir dir;
    MeetDb::Session meet;
    meet.ProgramDir = dir.Path();
    meet.Gala.GalaType = galaType;
    meet.Gala.SessionTitle = session;
    meet.Gala.WorkDir = workDir;
    meet.Gala.Lanes = 5;
    meet.Gala.Events << Event("1|F");
    MeetDay::Roster roster;
    for (int k = 1; k <= 8; ++k) {
        roster << Entrant(QStringLiteral("%1|Swimmer %1|01/01/16|F|1=40.%2")
                              .arg(k)
                              .arg(k, 2, 10, QLatin1Char('0')));
        roster.last().Swims[0].FinalRank = k;
    }
    ScriptedPrompts prompts;
    if (!workDir.isEmpty())
        prompts.No();
    QTEST(MeetDay::MakeProgrammeEvent(meet, roster, "1", false, true, prompts), "listed");
    QCOMPARE(prompts.Messages, QStringList());
    QTEST(QDir(dir.Path()).entryList(QDir::Files), "files");
    if (session == "FINALS")
        QVERIFY(TestDir::Read(dir.FilePath("wk1-f.vb")).startsWith("7\r\n"));
    if (!workDir.isEmpty())
        QCOMPARE(prompts.Questions, QStringList{"Load disk for event 1 into drive A:"});
}

QTEST_MAIN(TestProgramme)
#include "tst_programme.moc"
