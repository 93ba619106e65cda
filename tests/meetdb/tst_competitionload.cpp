#include <algorithm>
#include <functional>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QTest>

#include "core/galastate.h"
#include "meetdb/competitionload.h"
#include "meetdb/database.h"
#include "meetdb/keywords.h"
#include "meetdb/meetimport.h"
#include "meetdb/schema.h"
#include "meetdb/selection.h"
#include "meetdb/session.h"
#include "support/dbrows.h"
#include "support/scriptedprompts.h"
#include "support/testfiles.h"

using Core::GalaState;
using namespace MeetDb;

namespace {

// Everything a gala file can set, one "name=value" line each (lists joined with ";"), so that
// a difference shows up as a readable diff.
QStringList Dump(const GalaState &g)
{
    const auto n = [](auto value) { return QString::number(value); };
    QStringList events, dates, prints, groups, clubs, combinations, strokes, counts;
    // clang-format off
    for (const Core::GalaEvent &e : g.Events) {
        events << QStringList{e.EvNumber, e.EvPrintNumber, n(e.EvSequence), e.EvSex, e.EvGroup, e.EvDistance,
                              e.EvStroke, e.EvDate, n(e.EvLimitTime), e.EvFinalEvent, e.EvNote, e.EvBcpAge,
                              n(e.EvMaxEntries), e.EvSponsor}.join(u'|');
        dates << e.EvDate;
        prints << e.EvPrintNumber;
    }
    for (const Core::GalaGroup &gr : g.Groups)
        groups << QStringList{gr.GroupName, gr.GroupDescription, gr.GroupPrint, gr.GroupCombinePrint}.join(u'|');
    for (const Core::GalaClub &c : g.Clubs)
        clubs << c.Code + u'=' + c.Name;
    for (const QStringList &c : g.Combinations)
        combinations << c.join(u' ');
    for (int f : g.StrokeFlag)
        strokes << n(f);
    for (const auto &[count, name] : {std::pair{g.EventCount(), "events"}, {g.GroupCount(), "groups"},
             {g.ClubTotal(), "clubs"}, {int(g.SeedGroups.size()), "seed groups"},
             {g.CombineCount(), "combinations"}, {int(g.MandEvents.size()), "mandatory"}})
        if (count > 0) // the tables that hold anything
            counts << n(count) + u' ' + QLatin1String(name);
    const std::pair<const char *, QString> fields[] = {
        {"GalaName", g.GalaName}, {"GalaType", g.GalaType}, {"GalaTitle", g.GalaTitle}, {"Promoter", g.Promoter},
        {"GalaDate", g.GalaDate + u'/' + g.GalaDateText}, {"QualDate", g.QualDate}, {"AoeOnline", g.AoeOnline},
        {"ClubScores", g.ClubScores}, {"WwwDir", g.WwwDir}, {"WebStyle", g.WebStyle + u' ' + g.WebClass},
        {"GalaDir", g.GalaDir + u' ' + g.WorkDir}, {"SessionTitle", g.SessionTitle}, {"CardDate", g.CardDate},
        {"AgeGroups", n(g.AgeGroups)}, {"TwoTimes", n(g.TwoTimes)}, {"Junior", n(g.Junior)}, {"Hdw", n(g.Hdw)},
        {"Aoe", n(g.Aoe)}, {"SplitLastHeats", n(g.SplitLastHeats)}, {"Announcer", n(g.AnnouncerOn) + u' ' + g.AnnouncerDb},
        {"Flags", QStringList{n(g.ProgNotes), n(g.OneCard), n(g.AllHeats), n(g.PrintTimes), n(g.Renumber)}.join(u' ')},
        {"Lanes", n(g.Lanes) + u'/' + n(g.FinalLanes)},
        {"Seeding", Core::SeedingName(g.Seeding) + QLatin1String(" from ") + n(g.FirstLane)},
        {"Counts and reserves", QStringList{n(g.HeatReserves), n(g.FinalReserves), n(g.SplitInterval), n(g.ClubCount)}.join(u'/')},
        {"SwimHeats", g.SwimHeats.join(u' ')}, {"Counts", counts.join(u", ")}, {"Events", events.join(u';')},
        {"Dates", dates.join(u';')}, {"PrintNumbers", prints.join(u';')}, {"Groups", groups.join(u';')},
        {"Clubs", clubs.join(u';')}, {"Combinations", combinations.join(u';')}, {"StrokeFlag", strokes.join(u';')},
        {"DbVersion", n(g.DbVersion)}};
    // clang-format on
    QStringList out;
    for (const auto &[name, value] : fields)
        out << QLatin1String(name) + u'=' + value;
    return out;
}

QStringList Numbered(const QString &pattern, int count)
{
    QStringList lines;
    for (int i = 1; i <= count; ++i)
        lines << pattern.arg(i);
    return lines;
}

QString DemoFile(const QString &name)
{
    return QDir::cleanPath(TestDataPath("../../demo/" + name));
}

// The dump line of the row's `probe` must read its `expected`.
void Check(const GalaState &gala)
{
    QFETCH(QString, probe);
    QFETCH(QString, expected);
    const QStringList dump = Dump(gala);
    QVERIFY2(dump.contains(probe + u'=' + expected),
             qPrintable(dump.filter(probe + u'=').join(u'\n')));
}

// A meet database holding meet "M1" dated 3 June 2025 (two groups, three events, event 2 dated
// the 4th, two clubs); `more` adds to it.
QString MeetFile(const TestDir &dir, const std::function<void(Database &)> &more = {})
{
    const QString path = dir.FilePath("natamar.mdb");
    CreateMeetDatabase(path);
    Database db;
    db.Open(path);
    InsertRows(db, "Version Table", "Version", {"0.9", "1.0"});
    InsertRows(db, "Meet Table", "Meet code|Meet Name|Meet Date|Qual Date|Meet Type|Lanes",
               {"M1|Velmora Open|2025-06-03|2024-12-31|Open|6"});
    InsertRows(db, "Group Table", "Meet code|Group Order|Group Name|Group Description|Group Print",
               {"M1|1|U/12|U/12|", "M1|2|OPEN|Open|Open Age"});
    InsertRows(
        db, "Event Table",
        "Meet code|Event number|Event Sequence|Sex|Group|Distance|Stroke|Event Date",
        {"M1|1|1|F|U/12|50|FS|", "M1|2|2|M|U/12|50|FS|2025-06-04", "M1|3|3|F|OPEN|100|MED|"});
    InsertRows(db, "Club Name Table", "Meet code|Club Code|Club Name",
               {"M1|VMSC|Velmora Marlets", "M1|ASHB|Ashbury Barracudas"});
    if (more)
        more(db);
    return path;
}

// One "Select Competition" run whose only known meet database is `path`, answering the windows
// as a user would: the source window with `source`, the database window with line 1, the meet
// list with line `meetLine` (0 = Cancel).
struct Load : SelectionWindows
{
    Session session;
    ScriptedPrompts prompts;
    std::function<void(IntSelectForm &)> source = [](IntSelectForm &form) { form.KnownDatabase(); };
    int meetLine = 1;
    QStringList meetLines;

    explicit Load(const QString &path)
    {
        session.Settings.NatamarDbFiles = {path};
        session.Settings.NatamarDb = path;
    }
    bool Run() { return LoadCompetition(session, prompts, *this) == LoadOutcome::Loaded; }
    void ShowIntSelect(IntSelectForm &form) override { source(form); }
    void ShowNtSelect(NtSelectForm &form) override { form.Choose(1); }
    void ShowListSelect(ListSelectForm &form) override
    {
        meetLines = form.Lines();
        meetLine > 0 ? form.Choose(meetLine) : form.Cancel();
    }
};

} // namespace

class TestCompetitionLoad : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void keywords_data()
    {
        QTest::addColumn<QStringList>("lines");
        QTest::addColumn<QString>("probe");
        QTest::addColumn<QString>("expected");
        QTest::addColumn<QStringList>("messages");
        auto row = [](const char *tag, const QStringList &lines, const QString &probe,
                      const QString &expected, const QStringList &messages = {}) {
            QTest::newRow(tag) << lines << probe << expected << messages;
        };
        const QString date = u"galadate=01/06/24"_qs;
        const QString lanesInvalid = u"Lanes paramater invalid"_qs;

        // clang-format off
        // Flags: "on" keywords only switch on, "set" keywords follow every line, only "TRUE" is
        // true; aoe/splitlastheats read true/false in any case or a number.
        row("on: stays on", {"agegroups=TRUE", "agegroups=FALSE"}, "AgeGroups", "1");
        row("set: clears", {"junior=TRUE", "junior=yes"}, "Junior", "0");
        row("set: not trimmed", {"hdw=TRUE "}, "Hdw", "0");
        row("aoe: stays on", {"aoe=tRUE", "aoe=false", "aoe=0"}, "Aoe", "1");
        row("splitlastheats: blanks", {"splitlastheats= 2 "}, "SplitLastHeats", "1");
        // Plain values and messages.
        row("lanes 3 keeps previous, finallanes 11", {"lanes=7", "lanes=3", "finallanes=11"}, "Lanes", "7/0", {lanesInvalid, lanesInvalid});
        row("lanes 10, finallanes 4", {"lanes=10", "finallanes=4"}, "Lanes", "10/4");
        row("lanes 11, finallanes 3", {"lanes=11", "finallanes=3"}, "Lanes", "5/0", {lanesInvalid, lanesInvalid});
        row("seeding in any case, lane 0", {"seeding= Circle", "firstlane=0"}, "Seeding", "circle from 0");
        row("seeding and firstlane refused", {"seeding=standard", "seeding=fina", "firstlane=0", "firstlane=2", "firstlane=-1"},
            "Seeding", "standard from 0", {"Seeding paramater invalid: fina (club, standard or circle)",
                                           "First lane paramater invalid: 2 (0 or 1)", "First lane paramater invalid: -1 (0 or 1)"});
        row("carddate Age", {"carddate=Age"}, "CardDate", "DOB", {"Invalid entry card date of birth option"});
        row("wwwdir", {"wwwdir=meets\\spring"}, "WwwDir", "\\meets\\spring");
        row("announcer", {"announcer=ann.mdb"}, "Announcer", "1 ann.mdb");
        row("warn", {"warn=Check lanes "}, "GalaName", "Internal Gala", {"Check lanes "});
        row("split at first =, not trimmed", {"galatitle= a=b "}, "GalaTitle", " a=b ");
        row("skipped silently", {"lanes 7", "Lanes=7", "lanes =7", "webheader=x", ""}, "Lanes", "5/0");
        row("End stops everything", {date, "End=End", "galadate=02/06/24", "warn=late"}, "GalaDate", "01/06/24/01/06/24");
        row("stroke switches", {"defaultstroke=BR", "inhibitstroke=FLYR", "inhibitstroke=XX", "defaultstroke=fs"},
            "StrokeFlag", "1;1;2;1;1;1;1;1;1;0;1");
        row("swimheats", {"swimheats=1  2", "swimheats=3"}, "SwimHeats", "1 2 3");
        row("swimheats empty", {"swimheats=  "}, "SwimHeats", "", {"No heats on swimheats parameter"});

        // Whole-number keywords: a value out of its range is refused, the earlier one kept.
        auto notWhole = [](const char *keyword, const char *value, int min, int max) {
            return u"%1 value \"%2\" is not a whole number from %3 to %4: line ignored"_qs
                .arg(QLatin1String(keyword), QLatin1String(value)).arg(min).arg(max);
        };
        row("counts in range", {"heatreserves= 3", "finalreserves=0", "splitinterval=25", "clubcount=40"},
            "Counts and reserves", "3/0/25/40");
        row("counts out of range", {"heatreserves=-1", "finalreserves=abc", "splitinterval=0", "splitinterval=1e300",
                                    "clubcount=99999", "heatreserves=2147483648"},
            "Counts and reserves", "0/2/50/500",
            {notWhole("heatreserves", "-1", 0, 99), notWhole("finalreserves", "abc", 0, 99),
             notWhole("splitinterval", "0", 1, 10000), notWhole("splitinterval", "1e300", 1, 10000),
             notWhole("clubcount", "99999", 0, 10000), notWhole("heatreserves", "2147483648", 0, 99)});

        // Clubs: code before the first blank, name after it.
        row("clubs", {"club=VMS Velmora SC", "club=NOBLANK", "club=ABC  X"}, "Clubs", "VMS=Velmora SC;ABC= X");
        row("club code in capitals", {"club=dunw Dunwell SC"}, "Clubs", "DUNW=Dunwell SC");
        row("clubcount empties", {"club=A a", "clubcount=3", "club=B b"}, "Clubs", "B=b");
        row("clubcount 0", {"clubcount=0", "club=VMS Velmora"}, "Clubs", "", {"Must include clubcount"});
        row("club without code or name", {"club= Velmora", "club=VMS ", "club=VMS  ", "club=VMS V"}, "Clubs", "VMS=V",
            {"Club line ignored (the code is empty): club= Velmora", "Club line ignored (the name is empty): club=VMS ",
             "Club line ignored (the name is empty): club=VMS  "});

        row("event, commas, date, T and M", {date, "group=12-14 Teens", "event=7,F,12-14,100,BR,15/06/24,T1:05.5,M24"},
            "Events", "7|7|1|F|12-14|100|BR|15/06/24|65.5||||24|");
        row("event, commas, empty date, blanks", {date, "group=10U Ten", "event=4, M ,10U,50,FS,,T40,"}, "Events",
            "4|4|1|M|10U|50|FS|01/06/24|40||||0|");
        row("event, every option", {"group=9U Nine", "event=3 M 9U 25 FLY 01/07/24 Fev9 NNovice Bage SAcme t5 Qz M8"},
            "Events", "3|3|1|M|9U|25|FLY|01/07/24|0|ev9|Novice|age|8|Acme");
        row("event, date of that moment", {"group=A Open", "event=1 M A 50 FS", date, "event=2 F A 50 FS"}, "Dates", ";01/06/24");
        row("event, incomplete", {"event=6 M 10U 50", "event=6,M,10U,50,,01/06/24"}, "Events", "",
            {u"Event line ignored (needs number, sex, group, distance and stroke): event=6 M 10U 50"_qs,
             u"Event line ignored (needs number, sex, group, distance and stroke): event=6,M,10U,50,,01/06/24"_qs});
        row("eventprintno first", {"eventprintno=1 1a", "group=A Open", "event=1 M A 50 FS"}, "PrintNumbers", "1",
            {"Must enter event first"});
        row("eventprintno every match", {"group=A Open", "event=1 M A 50 FS", "event=2 F A 50 FS", "event=1 F A 50 FS",
                                         "eventprintno=1 1a", "eventprintno=2"},
            "PrintNumbers", "1a;2;1a");

        // Refused event lines: nobody could be entered in them, or the distance is nonsense.
        QStringList badEvents{"group=A Open"}, refusals;
        const QString distance = R"(distance "%1" is not a whole number of metres from 1 to 10000)";
        for (const auto &[event, reason] : std::initializer_list<std::pair<QString, QString>>{
                 {"1 Q A 50 FS", R"(sex "Q" is not M, F or X)"}, {"1 2,M,A,50,FS", R"(number "1 2" holds a blank)"},
                 {"2 M B 50 FS", R"(group "B" has no group line before it)"},
                 {"3 M A 50 XX", R"(stroke "XX" is not a stroke code)"}, {"9 M A 50 fs", R"(stroke "fs" is not a stroke code)"},
                 {"4 M A 0 FS", distance.arg("0")}, {"4 M A 50.5 FS", distance.arg("50.5")}, {"4 M A inf FS", distance.arg("inf")},
                 {"4 M A 1e300 FS", distance.arg("1e300")}, {"4 M A 10001 FS", distance.arg("10001")},
                 {"12 M A 50 FS 01/06/24 M1e300", R"(entry limit "M1e300" is not M and a whole number from 0 to 32767)"}}) {
            badEvents << "event=" + event;
            refusals << u"Event line ignored (%1): event=%2"_qs.arg(reason, event);
        }
        row("event, bad fields", badEvents << "event=10 X A 10000 FSR", "PrintNumbers", "10", refusals);

        // Meet texts: at most 100 characters (paths 260), never a control character.
        const QString longName(MeetDb::MaxMeetNameLength + 1, u'N');
        row("galaname of 100", {"galaname=" + longName.left(100)}, "GalaName", longName.left(100));
        const QString control = u"%1 value holds a control character: line ignored"_qs;
        row("galaname refused", {"galaname=" + longName, u"galaname=Spring\x1b[2J"_qs, u"galatitle=A\0B"_qs,
                                 u"promoter=A\tB"_qs, "galadir=" + QString(261, u'd')}, "GalaName", "Internal Gala",
            {"galaname value is longer than 100 characters: line ignored", control.arg("galaname"), control.arg("galatitle"),
             control.arg("promoter"), "galadir value is longer than 260 characters: line ignored"});
        row("group, club and event texts", {"group=A " + longName, "clubcount=5", "club=ABCDEFGHIJK Eleven",
                                            "club=VMSC " + longName, "group=A Open", "event=1 F A 50 FS 01/06/24 N" + longName},
            "Counts", "1 groups",
            {"Group line ignored (a word is longer than 100 characters): group=A " + longName.left(58) + "...",
             "Club line ignored (the code is longer than 10 characters): club=ABCDEFGHIJK Eleven",
             "Club line ignored (the name is longer than 100 characters): club=VMSC " + longName.left(55) + "...",
             "Event line ignored (a field is longer than 100 characters): event=" + ("1 F A 50 FS 01/06/24 N" + longName).left(60) + "..."});

        // Groups: 2, 3 and 4+ words.
        row("groups of 1, 2, 3 and 4+ words", {"group=10U", "group=A Ten", "group=B Ten TEN", "group=C Ten TEN Ten  and under"},
            "Groups", "A|Ten|Ten|Ten;B|Ten|TEN|Ten;C|Ten|TEN|Ten and under",
            {"Group line ignored (needs name and description): group=10U"});

        // Capacities: what is held, and the message for the first line over.
        row("1001 events", QStringList{"group=A Open"} + Numbered(u"event=%1 M A 50 FS"_qs, 1001), "Counts",
            "1000 events, 1 groups", {"Too many events, event 1001 ignored"});
        row("21 groups", Numbered(u"group=G%1 Group"_qs, 21), "Counts", "20 groups", {"Too many groups, group G21 ignored"});
        row("club past clubcount", QStringList{"clubcount=2"} + Numbered(u"club=C%1 Club"_qs, 3), "Counts", "2 clubs");
        row("11 seed groups", Numbered(u"seedgroup=G%1"_qs, 11), "Counts", "10 seed groups", {"Too many groups to seed"});
        row("201 combinations", Numbered(u"combine=%1 2"_qs, 201), "Counts", "200 combinations", {"Too Many 'combine' Parameters"});
        row("1001 mandatory events", Numbered(u"mandevents=%1"_qs, 1001), "Counts", "1000 mandatory");

        // Combinations: 2 to 20 numbers in the order given.
        row("combine", {"combine=5 3 9", "combine=1  2"}, "Combinations", "5 3 9;1 2");
        const QString twenty = Numbered(u"%1"_qs, 20).join(u' ');
        row("combine of 1, 0, 20 and 21", {"combine=1", "combine=", "combine=" + twenty, "combine=" + twenty + " 21"},
            "Combinations", twenty, {"Need 2 events for 'combine'", "Need 2 events for 'combine'", "Too Many 'combined' events"});
        // clang-format on
    }

    void keywords()
    {
        QFETCH(QStringList, lines);
        GalaState gala;
        Core::ResetGalaState(gala);
        ScriptedPrompts prompts;
        MeetDb::ApplyParamLines(gala, lines, prompts);
        Check(gala);
        QTEST(prompts.Messages, "messages");
    }

    // Read lines, or "!" and the reason a file is refused: text that is not a gala parameter
    // file is refused whole, never decoded into garbage.
    void readFile_data()
    {
        QTest::addColumn<QByteArray>("bytes"); // "missing" for no file
        QTest::addColumn<QString>("read");
        const QString utf16 = u"!the file is UTF-16 text: save it as UTF-8 (or ANSI) text"_qs;
        const QString nul = u"!line %1 holds a NUL byte: the file is UTF-16 or not text at all"_qs;
        const QByteArray text = "galaname=Spring\n";
        const auto wide = [&text](bool bigEndian) {
            QByteArray out;
            for (const char c : text)
                out += bigEndian ? QByteArray(1, '\0') + c : QByteArray(1, c) + '\0';
            return out;
        };
        // clang-format off
        // A byte-order mark, comments, CRLF endings and no final line ending: the last line is kept.
        QTest::newRow("BOM, CRLF") << QByteArray("\xEF\xBB\xBFgalaname=Spring\r\n# note\r\n\r\nwarn=Bring caps \r\nEnd=End")
                                   << u"galaname=Spring||warn=Bring caps |End=End"_qs;
        QTest::newRow("Latin-1") << QByteArray("promoter=Caf\xE9 SC\n") << u"promoter=Café SC"_qs;
        QTest::newRow("missing") << QByteArray("missing") << u"!"_qs;
        QTest::newRow("UTF-16 LE") << QByteArray("\xFF\xFE") + wide(false) << utf16;
        QTest::newRow("UTF-16 BE") << QByteArray("\xFE\xFF") + wide(true) << utf16;
        QTest::newRow("UTF-16 without a mark") << wide(false) << nul.arg(1);
        QTest::newRow("NUL on line 2") << text + QByteArray("lanes=6\0\n", 9) << nul.arg(2);
        // clang-format on
    }
    void readFile()
    {
        QFETCH(QByteArray, bytes);
        TestDir dir;
        const QString path =
            bytes == "missing" ? dir.FilePath("gala.ini") : dir.Write("gala.ini", bytes);
        QStringList lines{"stale"};
        QString fault{"stale"};
        const bool read = ReadGalaParamFile(path, lines, nullptr, &fault);
        QTEST(read ? lines.join(u'|') : u'!' + fault, "read");
        QVERIFY(read || lines.isEmpty());
    }

    // A meet set up from a file must load into the same gala state, with the same messages, as the
    // file itself loaded as a gala parameter file.
    void loadsAsTheGalaFileWould_data()
    {
        QTest::addColumn<QString>("file");
        QTest::newRow("demo internal gala") << DemoFile("internal.ini");
        QTest::newRow("demo open meet") << DemoFile("open.ini");
        QTest::newRow("demo masters") << DemoFile("masters.ini");
        // Options, print numbers, a dated event, on-off flags, a warn line, an unknown keyword
        // and clubcount (which keeps the clubs as keyword lines); End stops the later galaname.
        QTest::newRow("every kind of line") << TestDataPath("meetdb/rich.ini");
    }

    void loadsAsTheGalaFileWould()
    {
        QFETCH(QString, file);
        TestDir dir;

        QStringList lines;
        QVERIFY(ReadGalaParamFile(file, lines));
        Core::GalaState fromFile;
        Core::ResetGalaState(fromFile);
        ScriptedPrompts filePrompts;
        ApplyParamLines(fromFile, lines, filePrompts);
        Core::FinishGalaLoad(fromFile, filePrompts);

        const QString db = dir.FilePath("natamar.mdb");
        CreateMeetDatabase(db);
        ImportMessages messages;
        QVERIFY2(AddMeetFromFile(db, file, "M1", messages), qPrintable(messages.Errors.join('\n')));
        Session session;
        ScriptedPrompts dbPrompts;
        QVERIFY(LoadMeetByCode(session, db, "M1", dbPrompts));

        for (GalaState *gala : {&session.Gala, &fromFile}) // the database hands clubs back by code
            std::sort(gala->Clubs.begin(), gala->Clubs.end(),
                      [](const auto &a, const auto &b) { return a.Code < b.Code; });
        fromFile.DbVersion = session.Gala.DbVersion; // a gala file has none
        QCOMPARE(Dump(session.Gala), Dump(fromFile));
        QCOMPARE(dbPrompts.Messages, filePrompts.Messages);
        if (file.endsWith("rich.ini"))
            QCOMPARE(
                session.Gala.GalaName + '|' + messages.Warnings.join('|'),
                "Rich Meet|rich.ini:22: warning: unknown keyword \"mystery\" kept as a parameter");
    }

    void badInputChangesNothing_data()
    {
        QTest::addColumn<QByteArray>("body");
        QTest::addColumn<QString>("code");
        QTest::addColumn<QStringList>("errors");
        auto row = [](const char *tag, const QByteArray &body, const QStringList &errors,
                      const QString &code = "B1") { QTest::newRow(tag) << body << code << errors; };
        const QByteArray head = "galaname=Bad\ngalatype=Open\ngaladate=01/02/2027\n";
        const QString ignored = "Event line ignored (%1): event=%2";
        // clang-format off
        row("date", head + "qualdate=31/02/2027\ngroup=A Open\nevent=1 F A 50 FS 2027-13-01\n",
            {"bad.ini:4: qualdate: \"31/02/2027\" is not a date (dd/mm/yyyy)", "bad.ini:6: event 1: \"2027-13-01\" is not a date (dd/mm/yyyy)"});
        row("type", "galatype=Gala\n", {"bad.ini:1: unknown galatype \"Gala\" (Internal, Champs, Graded, Masters, Open or Select)"});
        // Every refused event line refuses the meet; the reasons are the keyword reader's.
        row("events", head + "group=A Open\nevent=1 F A 50\nevent=2 F A 50 FS\nevent=2 M A 50 FS\nevent=8 M A 1e300 FS\neventprintno=2\n",
            {"bad.ini:5: " + ignored.arg("needs number, sex, group, distance and stroke", "1 F A 50"),
             "bad.ini:7: event 2 is given twice (first on line 6)",
             "bad.ini:8: " + ignored.arg("distance \"1e300\" is not a whole number of metres from 1 to 10000", "8 M A 1e300 FS")});
        // Long or control-character lines are refused with their line number; a keyword holding
        // a control character, even a C1 one, is not echoed.
        row("meet texts", "warn=" + QByteArray(1001, 'w') + "\nmyst\x1b[0mery=1\nc1\xC2\x9Bkey=1\n",
            {"bad.ini:1: warn value is longer than 1000 characters", "bad.ini:2: the line holds a control character",
             "bad.ini:3: the line holds a control character"});
        row("no keyword line", "Name,Club,Sex\nAnn Lee,VMSC,F\nGalaname=x\n",
            {"bad.ini: no keyword lines (keyword=value): it is not a gala parameter file"});
        row("clubs", head + "club=VMSC One\nclub=vmsc Two\n", {"bad.ini:5: club VMSC is given twice (first on line 4)"});
        row("code taken", head, {"natamar.mdb: meet code old is already in \"Meet Table\""}, "old");
        row("code invalid", head, {"meet code \"NEW-1\" is not valid: use 1 to 10 letters and digits"}, "NEW-1");
        // clang-format on
    }

    void badInputChangesNothing()
    {
        QFETCH(QByteArray, body);
        QFETCH(QString, code);
        TestDir dir;
        const QString db = dir.FilePath("natamar.mdb");
        CreateMeetDatabase(db);
        ImportMessages messages;
        QVERIFY(AddMeetFromFile(db, DemoFile("internal.ini"), "OLD", messages));
        const QByteArray before = TestDir::Read(db);

        QVERIFY(!AddMeetFromFile(db, dir.Write("bad.ini", body), code, messages));
        QTEST(messages.Errors, "errors");
        QCOMPARE(TestDir::Read(db), before);
        // Messages echo the file's text, but never its control characters.
        for (const QString &message : messages.Errors + messages.Warnings)
            QVERIFY2(std::none_of(message.cbegin(), message.cend(),
                                  [](QChar c) { return c.category() == QChar::Other_Control; }),
                     qPrintable(message));
    }

    void defaultMeetCode()
    {
        for (const char *row : {"/galas/open.ini=OPEN", "spring-open 2027.ini=SPRINGOPEN",
                                "Champs_27.meet.ini=CHAMPS27ME", "_-_.ini="})
            QCOMPARE(DefaultMeetCode(QString(row).section('=', 0, 0)),
                     QString(row).section('=', 1));
    }
    // Newest first, in the window and the tool's "list"; a meet written by another program
    // reaches either cut and escaped.
    void meetListNewestFirst()
    {
        TestDir dir;
        const QString path = MeetFile(dir, [](Database &db) {
            InsertRows(db, "Meet Table", "Meet code|Meet Name|Meet Date",
                       {"M2|First of June|2025-06-01", "M3|Also third of June|2025-06-03",
                        "M4|Winter Gala|2024-12-07",
                        "CRAFT|Gala\x1b[2J\t" + QString(200, 'x') + "|2023-01-01"});
        });
        const QString crafted = "Gala\\x1b[2J\\x09" + QString(91, 'x') + "...";
        Load load(path);
        load.meetLine = 3;
        QVERIFY(load.Run());
        QCOMPARE(load.meetLines,
                 QStringList({"03Jun2025: Velmora Open", "03Jun2025: Also third of June",
                              "01Jun2025: First of June", "07Dec2024: Winter Gala",
                              "01Jan2023: " + crafted}));
        QCOMPARE(load.session.Gala.MeetCode, QStringLiteral("M2"));
        QCOMPARE(load.prompts.Statuses.join(""), "Opened the Natamar Database for First of June");
        QCOMPARE(MeetListingLine(ListMeets(load.session.MeetDb).last()),
                 "CRAFT\t01/01/2023\t" + crafted + "\t0");
    }

    void databaseLoad_data()
    {
        QTest::addColumn<QString>("sql"); // run on the fixture first; "=lanes|8" adds a parameter
        QTest::addColumn<QString>("probe");
        QTest::addColumn<QString>("expected");
        QTest::addColumn<QStringList>("messages");
        auto row = [](const char *tag, const QString &sql, const QString &probe,
                      const QString &expected, const QStringList &messages = {}) {
            QTest::newRow(tag) << sql << probe << expected << messages;
        };
        const QString meet = R"(UPDATE "Meet Table" SET )", event = R"(UPDATE "Event Table" SET )";
        const QString one = R"( WHERE "Event number" = '1';)",
                      ignored = "natamar.mdb, meet M1%1: %2; ignored";
        const QString noDistance =
            R"(natamar.mdb, meet M1, event %1: "Distance" %2 is not a whole number of metres )"
            "from 1 to 10000; the event has no distance";
        // clang-format off
        row("as stored", "", "Counts", "3 events, 2 groups, 2 clubs");
        row("events without a date take the meet's", "", "Dates", "03/06/2025;04/06/2025;03/06/2025");
        row("lanes out of range keep 5, finals follow", meet + R"("Lanes" = 11)", "Lanes", "5/5", {"Lanes paramater invalid"});
        row("lanes at the widest", meet + R"("Lanes" = 10)", "Lanes", "10/10");
        row("final lanes out of range", meet + R"("Final lanes" = 3)", "Lanes", "6/6", {"Finals Lanes paramater invalid"});
        row("record time replaces limit time", event + R"("Limit Time" = '1:10.00', "Record Time" = '1:05.50')" + one,
            "Events", "1|1|1|F|U/12|50|FS|03/06/2025|65.5||||0|;2|2|2|M|U/12|50|FS|04/06/2025|0||||0|;"
                      "3|3|3|F|OPEN|100|MED|03/06/2025|0||||0|");
        row("combine with", event + R"("Combine With" = '2,3')" + one, "Combinations", "1 2 3");
        row("keyword overrides the database field", "=lanes|8", "Lanes", "8/8");
        row("unknown type becomes Internal", meet + R"("Meet Type" = 'Gala')", "GalaType", "Internal", {"Internal Gala Assumed"});
        row("masters forces hdw", meet + R"("Meet Type" = 'Masters', "HDW" = 0)", "Hdw", "1");
        row("no groups, no events", R"(DELETE FROM "Group Table"; DELETE FROM "Event Table")", "Counts", "2 clubs",
            {"No Groups Defined", "No Events Defined", "Warning: No event details loaded"});
        row("no meet date", meet + R"("Meet Date" = NULL)", "GalaDate", "/", {"Gala date not set"});
        // A crafted file: huge or control-character texts and numbers no count can hold are
        // refused with a message naming the file, the meet and the field.
        row("meet name of a megabyte", meet + R"("Meet Name" = replace(hex(zeroblob(500000)), '0', 'x'))", "GalaName",
            "Internal Gala", {ignored.arg("", R"("Meet Name" is longer than 100 characters)")});
        row("meet name with a control character", meet + R"("Meet Name" = 'Velmora' || char(27) || '[2J')", "GalaName",
            "Internal Gala", {ignored.arg("", R"("Meet Name" holds a control character)")});
        row("meet name in a parameter", "=galaname|" + QString(101, 'x'), "GalaName", "Velmora Open",
            {"natamar.mdb, meet M1, parameter 1: galaname value is longer than 100 characters: line ignored"});
        row("numbers no count can hold",
            event + R"("Distance" = 9e999)" + one + event + R"("Distance" = 1e300 WHERE "Event number" = '2';)" + event +
                R"("Distance" = 50.5, "Maximum Entries" = 1e300 WHERE "Event number" = '3';)" + meet +
                R"("Next Competitor Number" = 2147483647)",
            "Events", "1|1|1|F|U/12||FS|03/06/2025|0||||0|;2|2|2|M|U/12||FS|04/06/2025|0||||0|;"
                      "3|3|3|F|OPEN||MED|03/06/2025|0||||0|",
            {ignored.arg("", R"("Next Competitor Number" 2147483647 is not a whole number from 1 to 999999)"),
             noDistance.arg(1).arg("inf"), noDistance.arg(2).arg("1e+300"), noDistance.arg(3).arg("50.5"),
             ignored.arg(", event 3", R"("Maximum Entries" 1e+300 is not a whole number from 0 to 32767)")});
        // More groups, events or clubs than a meet holds: the rest are ignored, never grown into.
        const QString many = R"(INSERT INTO "%1" ("Meet code", %2) WITH RECURSIVE c(x) AS (SELECT %3 UNION ALL )"
                             R"(SELECT x + 1 FROM c WHERE x < %4) SELECT 'M1', %5 FROM c;)";
        row("capacities",
            many.arg("Group Table", R"("Group Order", "Group Name")", "3", "21", "x, 'G' || x") +
                many.arg("Event Table", R"("Event number", "Event Sequence", "Sex", "Group", "Distance", "Stroke")",
                         "4", "1001", "x, x, 'F', 'G3', 50, 'FS'") +
                many.arg("Club Name Table", R"("Club Code", "Club Name")", "3", "501", "'C' || x, 'Club'"),
            "Counts", "1000 events, 20 groups, 500 clubs",
            {"Too many groups, group G21 ignored", "Too many events, event 1001 ignored"});
        row("lanes of 1e300", meet + R"("Lanes" = 1e300)", "Lanes", "5/5", {"Lanes paramater invalid"});
        row("version of 1e300", R"(INSERT INTO "Version Table" ("Version") VALUES (1e300))", "DbVersion", "0",
            {R"(natamar.mdb, "Version Table": "Version" 1e+300 is not a version number; ignored)"});
        // clang-format on
    }

    void databaseLoad()
    {
        QFETCH(QString, sql);
        QFETCH(QString, probe);
        TestDir dir;
        const QString path = MeetFile(dir, [&](Database &db) {
            if (sql.startsWith(u'='))
                InsertRows(db, "Parameter Table", "Meet code|Parameter Order|Key Word|Parameter",
                           {"M1|1|" + sql.mid(1)});
            else
                for (const QString &statement : sql.split(u';', Qt::SkipEmptyParts))
                    db.Exec(statement);
        });
        Load load(path);
        QVERIFY(load.Run());
        QTEST(load.prompts.Messages, "messages");
        const Core::GalaState &gala = load.session.Gala;
        Check(gala);
        QVERIFY(gala.MeetDbOpen && gala.MeetDbPath == path);
        if (probe != "DbVersion")
            QCOMPARE(gala.DbVersion, 1.0f); // the last row of the version table
        for (const QString &line : std::as_const(load.meetLines))
            QVERIFY(line.size() < 120);
    }

    // `kind` names the file laid down; a statement damages the fixture instead.
    void endsEarly_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QString>("message"); // a part of the one message shown
        auto row = [](const char *tag, const QString &kind, const QString &message) {
            QTest::newRow(tag) << kind << message;
        };
        // clang-format off
        row("missing file", "missing", "Cannot find Natamar Database");
        row("empty file", "empty", "natamar.mdb: the file is empty");
        row("random bytes", "random", "natamar.mdb: it is not a SQLite database");
        row("another program's database", "foreign", "is not a meet database");
        row("no meet table", R"(DROP TABLE "Meet Table")", "table 'Meet Table' not found");
        row("no saved query", R"(DELETE FROM "Saved Queries" WHERE "Name" = 'Events for 1 Meet')",
            "saved query 'Events for 1 Meet' not found");
        row("saved query broken", R"(DROP TABLE "Group Table")", "saved query 'Groups for 1 Meet' does not run");
        // Saved queries from a crafted file: refused when the file is opened, before anything
        // runs, or stopped at the limits when the meet is read.
        const QString details = R"(UPDATE "Saved Queries" SET "%1" = '%2' WHERE "Name" = 'Details of 1 Meet')";
        const QString sql = details.arg("Sql"), refused = "Saved query 'Details of 1 Meet' in %path is refused";
        const QString endless = "WITH RECURSIVE c(x) AS (SELECT 1 UNION ALL SELECT x + 1 FROM c) ";
        row("query attaches a file", sql.arg("ATTACH ''%dir/made.db'' AS e"), refused);
        row("query then delete", sql.arg(R"(SELECT 1 AS "_rowid"; DELETE FROM "Swim Table")"), refused);
        row("query updates its own table", details.arg("Update Table", "Saved Queries"),
            "Saved query 'Details of 1 Meet' in %path updates table 'Saved Queries', which is not one of the meet's tables");
        row("endless rows", sql.arg(endless + R"(SELECT x AS "_rowid", {Enter Meet Code} FROM c)"),
            "Cannot read 'Details of 1 Meet' in %path: it was stopped at 1000 records");
        row("endless count", sql.arg(endless + R"(SELECT 1 AS "_rowid", count(*) FROM c WHERE {Enter Meet Code} > 0)"),
            "Cannot open 'Details of 1 Meet' in %path: the statement was stopped after running for more than 0.2 seconds");
        row("no meets", "noMeets", "No meets on database .. seems serious!");
        // clang-format on
    }

    void endsEarly()
    {
        QFETCH(QString, kind);
        QFETCH(QString, message);

        TestDir dir;
        QString path = dir.FilePath("natamar.mdb");
        QByteArray bytes(8192, '\0');
        QRandomGenerator(7).fillRange(reinterpret_cast<quint32 *>(bytes.data()), 2048);
        if (kind == "empty" || kind == "random") {
            dir.Write("natamar.mdb", kind == "empty" ? QByteArray() : bytes);
        } else if (kind == "foreign") {
            Database db;
            db.OpenOrCreate(path);
            db.Exec(R"(CREATE TABLE "Accounts" ("Name" TEXT))");
            db.Exec(R"(PRAGMA journal_mode=DELETE)");
        } else if (kind == "noMeets") {
            CreateMeetDatabase(path);
        } else if (kind != "missing") {
            MeetFile(dir, [&](Database &db) {
                InsertRows(db, "Swim Table", "Meet code|Entrant Number|Event number",
                           {"M1|1|1", "M1|1|3"});
                db.Exec(QString(kind).replace("%dir", dir.Path()));
            });
        }
        message.replace("%path", path);

        const QByteArray before = TestDir::Read(path);
        const QStringList files = QDir(dir.Path()).entryList(QDir::Files);
        Load load(path);
        load.session.MeetDb.SetRowLimit(1000);
        load.session.MeetDb.SetStatementTimeLimit(200);
        load.session.Gala.GalaDate = "01/01/2025"; // kept from an earlier load
        QVERIFY(!load.Run());
        const QStringList &shown = load.prompts.Messages;
        QVERIFY2(shown.size() == 1 && shown[0].contains(message), qPrintable(shown.join('\n')));
        // No meet loaded, the database closed, the earlier gala date kept.
        const Core::GalaState &gala = load.session.Gala;
        QVERIFY(!gala.MeetDbOpen && !load.session.MeetDb.IsOpen() && gala.EventCount() == 0);
        QCOMPARE(gala.GalaName + ' ' + gala.GalaDate, QStringLiteral("Internal Gala 01/01/2025"));
        if (kind != "noMeets")
            QCOMPARE(TestDir::Read(path), before);
        QCOMPARE(QDir(dir.Path()).entryList(QDir::Files), files);
    }

    // Cancelling the meet list keeps the competition loaded before, with its database open
    // again: nothing, the known database, one browsed for (opened straight away, though the list
    // of known databases, which the fixture answers with the first, holds two), or a gala file.
    // A database that has gone meanwhile cannot be kept: the load ends, saying so.
    void cancelKeepsTheCompetition_data()
    {
        QTest::addColumn<QString>("before");
        QTest::addColumn<QString>("kept"); // the competition and the database after the cancel
        // clang-format off
        QTest::newRow("nothing")               << ""        << "|";
        QTest::newRow("known database")        << "known"   << "Velmora Open|natamar.mdb";
        QTest::newRow("browsed database")      << "browsed" << "Stick Open|stick.mdb";
        QTest::newRow("gala file")             << "file"    << "Winter Gala|";
        QTest::newRow("browsed database gone") << "gone"    << "Internal Gala|";
        // clang-format on
    }
    void cancelKeepsTheCompetition()
    {
        QFETCH(QString, before);
        QFETCH(QString, kept);
        TestDir dir;
        const QString path = MeetFile(dir);
        const QString stick = dir.FilePath("stick.mdb"); // a copy, its meet named "Stick Open"
        QFile::copy(path, stick);
        {
            Database db;
            db.Open(stick);
            db.Exec(R"(UPDATE "Meet Table" SET "Meet Name" = 'Stick Open')");
        }
        dir.Write("internal.ini", "galaname=Winter Gala\ngalatype=Internal\n");
        Load load(path);
        load.session.ProgramDir = dir.Path();
        load.source = [&](IntSelectForm &form) {
            if (before == "file") {
                form.MoreOptions();
                form.LatestInternalGala();
            } else if (before == "browsed" || before == "gone") {
                form.UnknownDatabase();
            } else {
                form.KnownDatabase();
            }
        };
        if (before == "browsed" || before == "gone")
            load.prompts.Browse(stick);
        if (!before.isEmpty())
            QVERIFY(load.Run());
        load.prompts.Messages.clear(); // "Gala date not set" of the gala file
        if (before == "gone")
            QVERIFY(QFile::remove(stick));
        const QStringList loaded = Dump(load.session.Gala);

        load.source = [](IntSelectForm &form) { form.KnownDatabase(); };
        load.meetLine = 0;
        const LoadOutcome outcome = LoadCompetition(load.session, load.prompts, load);
        const Core::GalaState &gala = load.session.Gala;
        QCOMPARE(gala.GalaName + u'|' + QFileInfo(load.session.MeetDb.Path()).fileName(), kept);
        QCOMPARE(gala.MeetDbOpen, load.session.MeetDb.IsOpen());
        if (before == "gone") {
            QCOMPARE(outcome, LoadOutcome::Ended);
            QCOMPARE(load.prompts.Messages,
                     QStringList{"Cannot open database " + stick + ": the file does not exist"});
            return;
        }
        QCOMPARE(outcome, LoadOutcome::Cancelled);
        QCOMPARE(Dump(gala), loaded);
        QCOMPARE(load.prompts.Messages, QStringList());
        if (gala.MeetDbOpen) // open for work again
            QCOMPARE(load.session.MeetDb.OpenTable("Meet Table")->RecordCount(), 1);
    }

    // A file that cannot be written (read-only media) loads for reading, says so, and refuses
    // to save; root writes through any permission bits, so the media check is stood in for. A
    // gala file load after it closes the database and starts from a fresh state: a bad line is
    // named by file and line and ignored, the rest loaded; a file that is not a gala parameter
    // file, or none, ends the load.
    void readOnlyThenGalaFile()
    {
        TestDir dir;
        const QString path = MeetFile(dir);
        const QByteArray before = TestDir::Read(path);
        Load load(path);
        Session &session = load.session;
        session.ProgramDir = dir.Path();
        Database::SetWritableCheck([](const QString &) { return false; });
        const bool loaded = load.Run();
        Database::SetWritableCheck(nullptr);
        QVERIFY(loaded && session.MeetDb.IsOpen());
        QCOMPARE(load.prompts.Messages,
                 QStringList{"The database " + path +
                             " is on read-only media (the file or its folder cannot be written): "
                             "it is open for reading only, and no changes can be saved to it"});
        QCOMPARE(session.Gala.EventCount(), 3);
        try {
            session.MeetDb.Begin();
            QFAIL("no DbError");
        } catch (const DbError &error) {
            QVERIFY(error.Message().startsWith("Cannot save the changes: The database"));
        }
        load.prompts.Messages.clear();

        dir.Write("internal.ini", "# a comment\ngalaname=" + QByteArray(1 << 20, 'x') +
                                      "\ngalatype=Internal\ngroup=U/9 U/9\nevent=1 F U/9 25 FS\n"
                                      "galaname=Winter Gala\n");
        load.source = [](IntSelectForm &form) {
            form.MoreOptions();
            form.LatestInternalGala();
        };
        QVERIFY(load.Run());
        QVERIFY(!session.MeetDb.IsOpen() && !session.Gala.MeetDbOpen && !session.Gala.UseMeetDb);
        // The earlier gala date stays until a source sets another.
        QCOMPARE(session.Gala.GalaName + ", " + session.Gala.GalaDate + ", " +
                     Dump(session.Gala).filter("Counts=").join(""),
                 "Winter Gala, 03/06/2025, Counts=1 events, 1 groups");
        QCOMPARE(load.prompts.Messages,
                 QStringList{"internal.ini:2: galaname value is longer than 100 characters: "
                             "line ignored"});

        for (const char *body : {"Name,Club\nAnn Lee,VMSC\n", ""}) {
            load.prompts.Messages.clear();
            if (*body)
                dir.Write("internal.ini", body);
            else
                QFile::remove(dir.FilePath("internal.ini"));
            QVERIFY(!load.Run());
            QCOMPARE(load.prompts.Messages,
                     QStringList{*body ? "internal.ini: no keyword lines (keyword=value): it is "
                                         "not a gala parameter file"
                                       : "Cannot find Gala Parameter File"});
            QCOMPARE(session.Gala.EventCount(), 0);
        }
        QCOMPARE(TestDir::Read(path), before);
    }
};

QTEST_GUILESS_MAIN(TestCompetitionLoad)
#include "tst_competitionload.moc"
