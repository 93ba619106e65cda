#include <QDir>
#include <QTest>

#include "core/galastate.h"
#include "core/timeutil.h"
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

using namespace MeetDb;

namespace {

// The user picks "Known Natamar Database" and then the first meet of the list.
class KnownDbFirstMeet : public SelectionWindows
{
public:
    void ShowIntSelect(IntSelectForm &form) override { form.KnownDatabase(); }
    void ShowNtSelect(NtSelectForm &form) override { form.Choose(1); }
    void ShowListSelect(ListSelectForm &form) override { form.Choose(1); }
};

QString DemoFile(const QString &name)
{
    return QDir::cleanPath(TestDataPath("../../demo/" + name));
}

// Loads the newest meet of the database as the program does.
bool LoadNewestMeet(Session &session, const QString &dbPath, ScriptedPrompts &prompts)
{
    session.Settings.NatamarDb = dbPath;
    session.Settings.NatamarDbFiles = {dbPath};
    KnownDbFirstMeet windows;
    return LoadCompetition(session, prompts, windows);
}

// Everything a load sets that a gala file can give, one field per line, so that a difference
// shows up as a readable diff.
QStringList Dump(const Core::GalaState &g)
{
    auto flag = [](bool b) { return QString(b ? "1" : "0"); };
    QStringList out{
        "name " + g.GalaName,
        "type " + g.GalaType,
        "title " + g.GalaTitle,
        "promoter " + g.Promoter,
        "date " + g.GalaDate,
        "qual " + g.QualDate,
        "lanes " + QString::number(g.Lanes) + "/" + QString::number(g.FinalLanes),
        "flags " + flag(g.AgeGroups) + flag(g.Hdw) + flag(g.ProgNotes) + flag(g.Aoe) +
            flag(g.AnnouncerOn) + flag(g.Junior) + flag(g.OneCard) + flag(g.AllHeats) +
            flag(g.PrintTimes) + flag(g.SplitLastHeats) + flag(g.Renumber),
        "texts " + QStringList{g.AoeOnline, g.AnnouncerDb, g.ClubScores, g.WwwDir, g.WebStyle,
                               g.WebClass, g.GalaDir, g.WorkDir, g.SessionTitle, g.CardDate}
                       .join('|'),
        "reserves " + QString::number(g.HeatReserves) + "/" + QString::number(g.FinalReserves),
        "clubcount " + QString::number(g.ClubCount),
    };
    for (const QStringList &c : g.Combinations)
        out << "combine " + c.join(' ');
    for (const Core::GalaGroup &gr : g.Groups)
        out << "group " + QStringList{gr.GroupName, gr.GroupDescription, gr.GroupPrint,
                                      gr.GroupCombinePrint}
                              .join('|');
    for (const Core::GalaEvent &e : g.Events)
        out << "event " + QStringList{e.EvNumber,
                                      QString::number(e.EvSequence),
                                      e.EvPrintNumber,
                                      e.EvSex,
                                      e.EvGroup,
                                      e.EvDistance,
                                      e.EvStroke,
                                      e.EvDate,
                                      QString::number(e.EvLimitTime),
                                      e.EvFinalEvent,
                                      e.EvNote,
                                      e.EvSponsor,
                                      e.EvBcpAge,
                                      QString::number(e.EvMaxEntries)}
                              .join('|');
    QStringList clubs;
    for (const Core::GalaClub &c : g.Clubs)
        clubs << c.Code + " " + c.Name;
    clubs.sort(); // the database hands clubs back by code
    return out + clubs;
}

// Options, print numbers, a dated event, on-off flags, a warn line, an unknown keyword and
// clubcount (which keeps the clubs as keyword lines); End stops the later galaname.
const QByteArray RichFile = R"(# every kind of line
galaname=Rich Meet
galatype=Select
galadate=05/06/2027
qualdate=31/12/2026
promoter=Fenwick Seals
lanes=8
finallanes=6
hdw=FALSE
prognotes=FALSE
aoe=yes
aoeonline=entries.example
announcer=ann.mdb
junior=TRUE
clubscores=POINTS
wwwdir=web\rich
onecard=TRUE
printtimes=TRUE
splitlastheats=1
webstyle=plain
webclass=wide
galadir=C:\galas
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
finalreserves=3
mystery=kept
End=End
galaname=Never Read
)";

} // namespace

class TestMeetImport : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void demoInternalGalaLoads();
    void loadsAsTheGalaFileWould_data();
    void loadsAsTheGalaFileWould();
    void badInputChangesNothing_data();
    void badInputChangesNothing();
    void defaultMeetCode_data();
    void defaultMeetCode();
    void listNewestFirstWithEntrants();
};

void TestMeetImport::demoInternalGalaLoads()
{
    TestDir dir;
    const QString db = dir.FilePath("natamar.mdb");
    CreateMeetDatabase(db);
    ImportMessages messages;
    QVERIFY2(AddMeetFromFile(db, DemoFile("internal.ini"), {}, messages),
             qPrintable(messages.Errors.join('\n')));
    QCOMPARE(messages.Warnings, QStringList());

    Session session;
    ScriptedPrompts prompts;
    QVERIFY(LoadNewestMeet(session, db, prompts));
    QCOMPARE(prompts.Messages, QStringList());
    const Core::GalaState &g = session.Gala;
    QCOMPARE(g.MeetCode, QString("INTERNAL"));
    QCOMPARE(g.GalaName, QString("Velmora Winter Internal Gala"));
    QCOMPARE(g.GalaType, QString("Internal"));
    QCOMPARE(g.GalaDate, QString("16/01/2027"));
    QVERIFY(g.AgeGroups);
    QVERIFY(g.Hdw); // set by the "Internal" kind
    QCOMPARE(g.EventCount(), 32);
    QCOMPARE(g.Events[8].EvNumber, QString("9"));
    QCOMPARE(g.Events[8].EvGroup, QString("U/11"));
    QCOMPARE(g.Events[8].EvDistance, QString("50"));
    QCOMPARE(g.Events[8].EvDate, QString("16/01/2027"));
    QCOMPARE(g.GroupCount(), 4);
    QCOMPARE(g.Groups[1].GroupPrint, QString("Under-11"));
    QCOMPARE(g.Groups[1].GroupCombinePrint, QString("Juniors"));
    QCOMPARE(g.ClubTotal(), 1);
}

// A meet set up from a file must load into the same gala state, with the same messages, as the
// file itself loaded as a gala parameter file.
void TestMeetImport::loadsAsTheGalaFileWould_data()
{
    QTest::addColumn<QString>("file");
    QTest::newRow("demo open meet") << DemoFile("open.ini");
    QTest::newRow("demo masters") << DemoFile("masters.ini");
    QTest::newRow("every kind of line") << QString();
}

void TestMeetImport::loadsAsTheGalaFileWould()
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
    QVERIFY(LoadNewestMeet(session, db, dbPrompts));

    QCOMPARE(Dump(session.Gala), Dump(fromFile));
    QCOMPARE(dbPrompts.Messages, filePrompts.Messages);
    if (file.endsWith("rich.ini")) {
        QCOMPARE(session.Gala.GalaName, QString("Rich Meet"));
        QCOMPARE(messages.Warnings,
                 QStringList{"rich.ini:37: warning: unknown keyword \"mystery\" kept as a "
                             "parameter"});
    }
}

void TestMeetImport::badInputChangesNothing_data()
{
    QTest::addColumn<QByteArray>("body");
    QTest::addColumn<QString>("code");
    QTest::addColumn<QStringList>("errors");

    const QByteArray head = "galaname=Bad\ngalatype=Open\ngaladate=01/02/2027\n";
    QTest::newRow("lanes") << head + "lanes=9\nfinallanes=3\n"
                           << "B1"
                           << QStringList{"bad.ini:4: Lanes paramater invalid",
                                          "bad.ini:5: Lanes paramater invalid"};
    QTest::newRow("date") << head + "qualdate=31/02/2027\nevent=1 F A 50 FS 2027-13-01\n"
                          << "B1"
                          << QStringList{
                                 "bad.ini:4: qualdate: \"31/02/2027\" is not a date (dd/mm/yyyy)",
                                 "bad.ini:5: event 1: \"2027-13-01\" is not a date (dd/mm/yyyy)"};
    QTest::newRow("type") << QByteArray("galatype=Gala\n") << "B1"
                          << QStringList{"bad.ini:1: unknown galatype \"Gala\" (Internal, Champs, "
                                         "Graded, Masters, Open or Select)"};
    QTest::newRow("events")
        << head + "event=1 F A 50\nevent=2 F A 50 FS\nevent=2 M A fifty FS\neventprintno=2\n"
        << "B1"
        << QStringList{"bad.ini:4: Event line ignored (needs number, sex, group, distance and "
                       "stroke): event=1 F A 50",
                       "bad.ini:6: event 2 is given twice (first on line 5)",
                       "bad.ini:6: event 2: distance \"fifty\" is not a number"};
    QTest::newRow("clubs") << head + "club=VMSC One\nclub=VMSC Two\n"
                           << "B1"
                           << QStringList{"bad.ini:5: club VMSC is given twice (first on line 4)"};
    QTest::newRow("code taken") << head << "old"
                                << QStringList{"natamar.mdb: meet code old is already in \"Meet "
                                               "Table\""};
    QTest::newRow("code invalid") << head << "NEW-1"
                                  << QStringList{"meet code \"NEW-1\" is not valid: use 1 to 10 "
                                                 "letters and digits"};
}

void TestMeetImport::badInputChangesNothing()
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
}

void TestMeetImport::defaultMeetCode_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<QString>("code");
    QTest::newRow("plain") << "/galas/open.ini"
                           << "OPEN";
    QTest::newRow("cleaned and cut") << "spring-open 2027.ini"
                                     << "SPRINGOPEN";
    QTest::newRow("digits kept") << "Champs_27.meet.ini"
                                 << "CHAMPS27ME";
    QTest::newRow("nothing left") << "_-_.ini"
                                  << "";
}

void TestMeetImport::defaultMeetCode()
{
    QFETCH(QString, file);
    QFETCH(QString, code);
    QCOMPARE(DefaultMeetCode(file), code);
}

void TestMeetImport::listNewestFirstWithEntrants()
{
    TestDir dir;
    const QString db = dir.FilePath("natamar.mdb");
    CreateMeetDatabase(db);
    ImportMessages messages;
    QVERIFY(AddMeetFromFile(db, DemoFile("internal.ini"), "WINTER", messages));
    QVERIFY(AddMeetFromFile(db, DemoFile("masters.ini"), {}, messages));

    Database database;
    database.Open(db);
    InsertRows(database, "Entrant Table", "Meet code|Entrant Number|Swimmer Name",
               {"WINTER|1|Ann Lee", "WINTER|2|Bob Ray"});
    QStringList lines;
    for (const MeetListing &meet : ListMeets(database))
        lines << MeetListingLine(meet);
    QCOMPARE(lines, (QStringList{"MASTERS\t24/04/2027\tHarlowmere Masters Open\t0",
                                 "WINTER\t16/01/2027\tVelmora Winter Internal Gala\t2"}));
}

QTEST_GUILESS_MAIN(TestMeetImport)
#include "tst_meetimport.moc"
