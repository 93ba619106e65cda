#include <algorithm>

#include <QDir>
#include <QTest>

#include "core/galastate.h"
#include "meetdb/competitionload.h"
#include "meetdb/database.h"
#include "meetdb/keywords.h"
#include "meetdb/meetimport.h"
#include "meetdb/schema.h"
#include "meetdb/session.h"
#include "support/dbrows.h"
#include "support/scriptedprompts.h"
#include "support/testfiles.h"

using namespace MeetDb;

namespace {

QString DemoFile(const QString &name)
{
    return QDir::cleanPath(TestDataPath("../../demo/" + name));
}

// Everything a load sets that a gala file can give, one item per line, so that a difference
// shows up as a readable diff.
QStringList Dump(const Core::GalaState &g)
{
    auto n = [](auto value) { return QString::number(value); };
    QString flags;
    for (bool flag : {g.AgeGroups, g.Hdw, g.ProgNotes, g.Aoe, g.AnnouncerOn, g.Junior, g.OneCard,
                      g.AllHeats, g.PrintTimes, g.SplitLastHeats, g.Renumber})
        flags += flag ? u'1' : u'0';
    QStringList out{
        g.GalaName,         g.GalaType,    g.GalaTitle,   g.Promoter,      g.GalaDate,
        g.QualDate,         g.AoeOnline,   g.AnnouncerDb, g.ClubScores,    g.WwwDir,
        g.WebStyle,         g.WebClass,    g.GalaDir,     g.WorkDir,       g.SessionTitle,
        g.CardDate,         flags,         n(g.Lanes),    n(g.FinalLanes), n(g.HeatReserves),
        n(g.FinalReserves), n(g.ClubCount)};
    for (const QStringList &c : g.Combinations)
        out << "combine " + c.join(' ');
    for (const Core::GalaGroup &gr : g.Groups)
        out << "group " + gr.GroupName + '|' + gr.GroupDescription + '|' + gr.GroupPrint + '|' +
                   gr.GroupCombinePrint;
    for (const Core::GalaEvent &e : g.Events) {
        const QStringList fields{e.EvNumber,       n(e.EvSequence),  e.EvPrintNumber, e.EvSex,
                                 e.EvGroup,        e.EvDistance,     e.EvStroke,      e.EvDate,
                                 n(e.EvLimitTime), e.EvFinalEvent,   e.EvNote,        e.EvSponsor,
                                 e.EvBcpAge,       n(e.EvMaxEntries)};
        out << "event " + fields.join('|');
    }
    QStringList clubs; // sorted: the database hands clubs back by code
    for (const Core::GalaClub &c : g.Clubs)
        clubs << c.Code + " " + c.Name;
    clubs.sort();
    return out + clubs;
}

// Options, print numbers, a dated event, on-off flags, a warn line, an unknown keyword and
// clubcount (which keeps the clubs as keyword lines); End stops the later galaname.
const QByteArray RichFile = R"(# every kind of line
galaname=Rich Meet
galatype=Select
galadate=05/06/2027
qualdate=31/12/2026
lanes=8
finallanes=6
hdw=FALSE
club=ZZZ Dropped By Clubcount
clubcount=40
club=FENW Fenwick Seals
club=ASHB Ashbury Barracudas
group=A Alpha
group=B Beta B-Print Beta and Alpha
event=101,F,A,100,BR,,T1:05.5,M24,NNote text,SSponsor,B12,FF1
event=102 M B 50 FS 06/06/2027
event=103 F A 200 MED
eventprintno=103 103a
combine=101 103
warn=Bring your own towel
carddate=yob
mystery=kept
End=End
galaname=Never Read
)";

} // namespace

class TestMeetImport : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void demoMeetsListed()
    {
        TestDir dir;
        const QString db = dir.FilePath("natamar.mdb");
        CreateMeetDatabase(db);
        ImportMessages messages;
        QVERIFY2(AddMeetFromFile(db, DemoFile("internal.ini"), {}, messages) &&
                     AddMeetFromFile(db, DemoFile("masters.ini"), {}, messages),
                 qPrintable(messages.Errors.join('\n')));
        QCOMPARE(messages.Warnings, QStringList());
        Database database;
        database.Open(db);
        InsertRows(database, "Entrant Table", "Meet code|Entrant Number|Swimmer Name",
                   {"INTERNAL|1|Ann Lee", "INTERNAL|2|Bob Ray"});
        // A meet written by another program: its name reaches the terminal cut and escaped.
        InsertRows(database, "Meet Table", "Meet code|Meet Name|Meet Date",
                   {"CRAFT|Gala\x1b[2J\t" + QString(200, 'x') + "|2026-01-01"});
        QStringList lines;
        for (const MeetListing &meet : ListMeets(database))
            lines << MeetListingLine(meet);
        QCOMPARE(lines, (QStringList{"MASTERS\t24/04/2027\tHarlowmere Masters Open\t0",
                                     "INTERNAL\t16/01/2027\tVelmora Winter Internal Gala\t2",
                                     "CRAFT\t01/01/2026\tGala\\x1b[2J\\x09" + QString(91, 'x') +
                                         "...\t0"}));
    }

    // A meet set up from a file must load into the same gala state, with the same messages, as the
    // file itself loaded as a gala parameter file.
    void loadsAsTheGalaFileWould_data()
    {
        QTest::addColumn<QString>("file");
        QTest::newRow("demo internal gala") << DemoFile("internal.ini");
        QTest::newRow("demo open meet") << DemoFile("open.ini");
        QTest::newRow("demo masters") << DemoFile("masters.ini");
        QTest::newRow("every kind of line") << QString();
    }

    void loadsAsTheGalaFileWould()
    {
        QFETCH(QString, file);
        TestDir dir;
        if (file.isEmpty())
            file = dir.Write("rich.ini", RichFile);

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
        row("lanes", head + "lanes=9\nfinallanes=3\n",
            {"bad.ini:4: Lanes paramater invalid", "bad.ini:5: Lanes paramater invalid"});
        row("date", head + "qualdate=31/02/2027\ngroup=A Open\nevent=1 F A 50 FS 2027-13-01\n",
            {"bad.ini:4: qualdate: \"31/02/2027\" is not a date (dd/mm/yyyy)",
             "bad.ini:6: event 1: \"2027-13-01\" is not a date (dd/mm/yyyy)"});
        row("type", "galatype=Gala\n",
            {"bad.ini:1: unknown galatype \"Gala\" (Internal, Champs, Graded, Masters, Open or "
             "Select)"});
        const QString ignored = "Event line ignored (%1): event=%2";
        // Every refused event line refuses the meet; the reasons are the keyword reader's.
        row("events",
            head + "group=A Open\nevent=1 F A 50\nevent=2 F A 50 FS\nevent=2 M A 50 FS\n"
                   "event=8 M A 1e300 FS\neventprintno=2\n",
            {"bad.ini:5: " +
                 ignored.arg("needs number, sex, group, distance and stroke", "1 F A 50"),
             "bad.ini:7: event 2 is given twice (first on line 6)",
             "bad.ini:8: " + ignored.arg("distance \"1e300\" is not a whole number of metres "
                                         "from 1 to 10000",
                                         "8 M A 1e300 FS")});
        row("meet texts",
            "galaname=" + QByteArray(1 << 20, 'x') +
                "\ngalatitle=Spring\x1b[2J\x07\nwarn=" + QByteArray(1001, 'w') +
                "\nmyst\x1b[0mery=1\n"
                "c1\xC2\x9Bkey=1\n", // a C1 control
            {"bad.ini:1: galaname value is longer than 100 characters: line ignored",
             "bad.ini:2: galatitle value holds a control character: line ignored",
             "bad.ini:3: warn value is longer than 1000 characters",
             "bad.ini:4: the line holds a control character",
             "bad.ini:5: the line holds a control character"});
        const QString notGala = "bad.ini: no keyword lines (keyword=value): it is not a gala "
                                "parameter file";
        row("no keyword line", "Name,Club,Sex\nAnn Lee,VMSC,F\nGalaname=x\n", {notGala});
        row("clubs", head + "club=VMSC One\nclub=VMSC Two\n",
            {"bad.ini:5: club VMSC is given twice (first on line 4)"});
        row("code taken", head, {"natamar.mdb: meet code old is already in \"Meet Table\""}, "old");
        row("code invalid", head,
            {"meet code \"NEW-1\" is not valid: use 1 to 10 letters and digits"}, "NEW-1");
    }

    void badInputChangesNothing()
    {
        QFETCH(QByteArray, body);
        QFETCH(QString, code);
        QFETCH(QStringList, errors);

        TestDir dir;
        const QString db = dir.FilePath("natamar.mdb");
        CreateMeetDatabase(db);
        ImportMessages messages;
        QVERIFY(AddMeetFromFile(db, DemoFile("internal.ini"), "OLD", messages));
        const QByteArray before = TestDir::Read(db);

        QVERIFY(!AddMeetFromFile(db, dir.Write("bad.ini", body), code, messages));
        QCOMPARE(messages.Errors, errors);
        QCOMPARE(TestDir::Read(db), before);
        // Messages echo the file's text, but never its control characters.
        for (const QString &message : messages.Errors + messages.Warnings)
            QVERIFY2(std::none_of(message.cbegin(), message.cend(),
                                  [](QChar c) { return c.category() == QChar::Other_Control; }),
                     qPrintable(message));
    }

    void defaultMeetCode_data()
    {
        QTest::addColumn<QString>("file");
        QTest::addColumn<QString>("code");
        for (const char *row : {"/galas/open.ini=OPEN", "spring-open 2027.ini=SPRINGOPEN",
                                "Champs_27.meet.ini=CHAMPS27ME", "_-_.ini="})
            QTest::newRow(row) << QString(row).section('=', 0, 0) << QString(row).section('=', 1);
    }

    void defaultMeetCode()
    {
        QFETCH(QString, file);
        QFETCH(QString, code);
        QCOMPARE(DefaultMeetCode(file), code);
    }
};

QTEST_GUILESS_MAIN(TestMeetImport)
#include "tst_meetimport.moc"
