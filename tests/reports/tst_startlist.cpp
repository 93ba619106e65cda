#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QTest>

#include "core/galastate.h"
#include "meetday/seeding.h"
#include "meetdb/eventlist.h"
#include "meetdb/session.h"
#include "reports/printer.h"
#include "reports/reportoutput.h"
#include "reports/startlist.h"
#include "support/pdftext.h"
#include "support/scriptedprompts.h"
#include "support/testfiles.h"

using MeetDay::HeatLine;
using Reports::StartList;

namespace {

// An open meet of four events (F 50 FS, F 50 BK, M 50 BR, M 100 MED) with two clubs.
Core::GalaState Gala(int lanes, int firstLane)
{
    Core::GalaState gala;
    gala.GalaName = QStringLiteral("Spring Open");
    gala.GalaType = Core::GalaOpen;
    gala.GalaDate = QStringLiteral("14/03/2027");
    gala.Lanes = lanes;
    gala.FirstLane = firstLane;
    gala.Groups.append({"OPEN", "Open", "Open", "Open and Under 14"});
    const QStringList events{"1|F|50|FS", "2|F|50|BK", "3|M|50|BR", "4|M|100|MED"};
    for (const QString &text : events) {
        const QStringList f = text.split(u'|');
        Core::GalaEvent event;
        event.EvNumber = f[0];
        event.EvSex = f[1];
        event.EvGroup = QStringLiteral("OPEN");
        event.EvDistance = f[2];
        event.EvStroke = f[3];
        gala.Events.append(event);
    }
    gala.Clubs = {{"ASHB", "Ashbury Barracudas"}, {"VMSC", "Velmora Marlets"}};
    return gala;
}

// Lines given as "pool event/heat/lane/name[/the swim's own event, if not the pool event]".
QList<HeatLine> Lines(const QString &text)
{
    QList<HeatLine> lines;
    for (const QString &one : text.split(u' ', Qt::SkipEmptyParts)) {
        const QStringList f = one.split(u'/');
        HeatLine line;
        line.PoolEvent = f[0];
        line.Event = f.value(4, f[0]);
        line.Heat = f[1].toInt();
        line.Lane = f[2].toInt();
        line.EntrantNumber = lines.size() + 1;
        line.Name = f[3];
        line.Club = QStringLiteral("ASHB");
        line.EntryTime = QStringLiteral("35.10");
        line.Age = QStringLiteral("2010-02-01");
        lines.append(line);
    }
    return lines;
}

// "Event 1 [2x5] 1.3=Ann 2.1=Bob ; no heats 2 ; unfit 4": per event its heats and lanes, then
// the lanes taken as heat.printed lane=name.
QString Render(const StartList &list, int lanes, int firstLane)
{
    QStringList parts;
    for (const Reports::StartListEvent &event : list.Events) {
        QString text = QStringLiteral("%1 [%2x%3]")
                           .arg(event.Number)
                           .arg(event.Heats.size())
                           .arg(event.Heats.first().Lanes.size());
        for (const Reports::StartListHeat &heat : event.Heats) {
            // Every heat prints every lane of the pool, in order, numbered from the first lane.
            QList<int> numbers, expected;
            for (int k = 0; k < lanes; ++k)
                expected << firstLane + k;
            for (const Reports::StartListLane &lane : heat.Lanes) {
                numbers << lane.Lane;
                if (!lane.Name.isEmpty())
                    text +=
                        QStringLiteral(" %1.%2=%3").arg(heat.Heat).arg(lane.Lane).arg(lane.Name);
                if (!lane.Event.isEmpty())
                    text += QStringLiteral("(%1)").arg(lane.Event);
            }
            if (numbers != expected || heat.HeatCount != event.Heats.size())
                text += QStringLiteral(" BAD HEAT %1").arg(heat.Heat);
        }
        parts << text;
    }
    if (!list.WithoutHeats.isEmpty())
        parts << QStringLiteral("no heats ") + list.WithoutHeats.join(u',');
    if (!list.Unfit.isEmpty())
        parts << QStringLiteral("unfit ") + list.Unfit.join(u',');
    return parts.join(QStringLiteral(" ; "));
}

const QString Tool = QStringLiteral(OPENMEET_RUNTIME_DIR "/openmeet-db");

QString RunTool(const QStringList &args, int *exitCode = nullptr)
{
    QProcess process;
    process.start(Tool, args);
    process.waitForFinished(60000);
    if (exitCode)
        *exitCode = process.exitCode();
    return QString::fromLocal8Bit(process.readAllStandardOutput() + process.readAllStandardError());
}

QString DemoFile(const QString &name)
{
    return QDir::cleanPath(TestDataPath("../../demo/" + name));
}

} // namespace

class TestStartList : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    // Rows: lanes|first lane|events chosen ("" all)|lines (pool/heat/lane/name)|combined
    // events|what is built.
    void build_data()
    {
        // clang-format off
        AddRows({
            // Heat of N, in lane order whatever the order of the lines; a heat nobody is left in
            // prints its empty lanes.
            "5|1|1|1/2/3/Bob 1/1/4/Ann 1/2/2/Cy 1/3/5/Di||Event 1 [3x5] 1.4=Ann 2.2=Cy 2.3=Bob 3.5=Di",
            "5|1|1|1/3/1/Di||Event 1 [3x5] 3.1=Di",
            "5|0|1|1/1/1/Ann 1/1/5/Bob||Event 1 [1x5] 1.0=Ann 1.4=Bob",
            // Ten lanes: the last lane prints 10, or 9 from lane 0; one past the pool is refused.
            "10|1|1|1/1/10/Ann 1/1/1/Bob||Event 1 [1x10] 1.1=Bob 1.10=Ann",
            "10|0|1|1/1/10/Ann 1/1/1/Bob||Event 1 [1x10] 1.0=Bob 1.9=Ann",
            "10|1|1|1/1/11/Ann||unfit 1",
            "8|1|1,2|1/1/8/Ann 2/1/9/Bob||Event 1 [1x8] 1.8=Ann ; unfit 2",
            "8|1|1|1/1/0/Ann||unfit 1",
            "8|1|1|1/40/1/Ann||Event 1 [40x8] 40.1=Ann",
            "8|1|1|1/41/1/Ann||unfit 1",
            "8|1|1|1/0/1/Ann||unfit 1",
            "8|1|1|1/1/3/Ann 1/1/3/Bob||unfit 1",
            // The events chosen, at the edges of a range; events without heats are named.
            "6|1||1/1/3/Ann 2/1/3/Bob 4/1/3/Di||Event 1 [1x6] 1.3=Ann ; Event 2 [1x6] 1.3=Bob ; Event 4 [1x6] 1.3=Di ; no heats 3",
            "6|1|2-3|1/1/3/Ann 2/1/3/Bob 3/1/3/Cy 4/1/3/Di||Event 2 [1x6] 1.3=Bob ; Event 3 [1x6] 1.3=Cy",
            "6|1|4|1/1/3/Ann 4/1/3/Di||Event 4 [1x6] 1.3=Di",
            "6|1|0-1|1/1/3/Ann 2/1/3/Bob||Event 1 [1x6] 1.3=Ann",
            "6|1|3|1/1/3/Ann||no heats 3",
            // An event swum with another is printed under the event that leads it.
            "6|1|2|1/1/3/Ann 1/1/4/Bob/2|1,2|Events 1, 2 [1x6] 1.3=Ann(1) 1.4=Bob(2)",
        });
        // clang-format on
    }

    void build()
    {
        const QStringList row = RowCells();
        Core::GalaState gala = Gala(row[0].toInt(), row[1].toInt());
        if (!row[4].isEmpty())
            gala.Combinations.append(row[4].split(u','));
        if (row[2].isEmpty()) {
            for (Core::GalaEvent &event : gala.Events)
                event.EvSelected = true;
        } else {
            QString error;
            QVERIFY2(MeetDb::SelectEventList(gala, row[2], &error), qPrintable(error));
        }
        QCOMPARE(Render(Reports::BuildStartList(gala, Lines(row[3])), gala.Lanes, gala.FirstLane),
                 row[5]);
    }

    // A list of events names only events of the meet, ranges rising. Rows: list|error.
    void eventList_data()
    {
        AddRows({"5|no event \"5\" in the meet", "3-2|\"3-2\" is not a range of event numbers",
                 "1,x|no event \"x\" in the meet", "5-9|no event \"5-9\" in the meet"});
    }

    void eventList()
    {
        const QStringList row = RowCells();
        Core::GalaState gala = Gala(6, 1);
        gala.Events[0].EvSelected = true;
        QString error;
        QVERIFY(!MeetDb::SelectEventList(gala, row[0], &error));
        QCOMPARE(error, row[1]);
        QVERIFY(gala.Events[0].EvSelected); // a refused list changes nothing
    }

    // What a lane shows. Rows: gala type|age as entered|club|entry time|age|club|time shown.
    void laneDetails_data()
    {
        AddRows({"Open|2010-02-01|ASHB|35.1|2010|Ashbury Barracudas|35.10",
                 "Open|01/02/10|vmsc|1:05.3|2010|Velmora Marlets|1:05.30",
                 "Open|12|ZZZ|9:99.99|12|ZZZ|NT", "Open||ASHB|||Ashbury Barracudas|NT",
                 "Masters|K|ASHB|65.3|K|Ashbury Barracudas|1:05.30",
                 "Masters|0|ASHB|65.3|S|Ashbury Barracudas|1:05.30"});
    }

    void laneDetails()
    {
        const QStringList row = RowCells();
        Core::GalaState gala = Gala(4, 1);
        gala.GalaType = row[0];
        gala.Events[0].EvSelected = true;
        QList<HeatLine> lines = Lines(QStringLiteral("1/1/2/Ann"));
        lines[0].Age = row[1];
        lines[0].Club = row[2];
        lines[0].EntryTime = row[3];
        const StartList list = Reports::BuildStartList(gala, lines);
        QCOMPARE(list.AgeHeading, row[0] == "Masters" ? QString("Age") : QString("YoB"));
        const Reports::StartListLane &lane = list.Events.at(0).Heats.at(0).Lanes.at(1);
        QCOMPARE(QStringList({lane.Age, lane.Club, lane.EntryTime}).join(u'|'),
                 row.mid(4).join(u'|'));
    }

    // Fifteen heats of ten lanes run over several sheets: no heat is split, an event continued
    // on a new sheet is titled again, every sheet has its footer, and a long name is cut.
    void pagesKeepHeatsWhole()
    {
        Core::GalaState gala = Gala(10, 0);
        gala.Events[0].EvSelected = true;
        QString lines;
        for (int heat = 1; heat <= 15; ++heat)
            lines += QStringLiteral(" 1/%1/5/Swimmer%1").arg(heat);
        QList<HeatLine> heatLines = Lines(lines);
        heatLines[0].Name = QString(60, u'W');
        const StartList list = Reports::BuildStartList(gala, heatLines);
        int pageCount = 0;
        const QByteArray pdf = Reports::PdfReport("Start List", {}, [&](Reports::Printer &printer) {
            Reports::PrintStartList(printer, list);
            pageCount = printer.PageCount();
        });
        const QStringList pages = PdfLayoutText(pdf).split(u'\f', Qt::SkipEmptyParts);
        QVERIFY(pageCount > 1);
        QCOMPARE(pages.size(), pageCount);
        const QRegularExpression laneLine(QStringLiteral("^\\s*\\d+(\\s|$)"));
        int heats = 0;
        for (int p = 0; p < pages.size(); ++p) {
            const QStringList text = pages.at(p).split(u'\n');
            int headings = 0;
            int laneLines = 0;
            for (const QString &line : text) {
                headings += line.contains(QStringLiteral(" of 15")) ? 1 : 0;
                laneLines += laneLine.match(line).hasMatch() ? 1 : 0;
            }
            QCOMPARE(laneLines, 10 * headings);
            heats += headings;
            QVERIFY(pages.at(p).contains(QStringLiteral("Spring Open, 14/03/2027")));
            QVERIFY(
                pages.at(p).contains(QStringLiteral("Page %1 of %2").arg(p + 1).arg(pageCount)));
            QCOMPARE(pages.at(p).contains("Female Open 50m Freestyle (continued)"), p > 0);
        }
        QCOMPARE(heats, 15);
        QVERIFY(pages.at(0).contains("WWW>"));
    }

    // A gala kept in entry files prints the heats of its heat work files, as "Heats" lists them:
    // the swimmers' ages as the file holds them, the club from its own line.
    void fromHeatWorkFiles()
    {
        TestDir dir;
        MeetDb::Session session;
        session.Gala = Gala(6, 1);
        session.Gala.AllHeats = true; // a heat is swum even with fewer swimmers than lanes
        session.Gala.WorkDir = dir.Path();
        for (Core::GalaEvent &event : session.Gala.Events)
            event.EvSelected = true;
        dir.Write("wk2.vb", "2\r\n\"7\",\"2\",\"Ann Lee\",\"01/02/10\",\"35.10\",-1\r\n"
                            "\"VMSC\"\r\n\"9\",\"2\",\"Bob Ray\",\"03/04/09\",\"34.00\",-1\r\n"
                            "\"ASHB\"\r\n");
        ScriptedPrompts prompts;
        const std::optional<StartList> list =
            Reports::PrepareStartList(session, MeetDay::Roster{}, prompts);
        QVERIFY(list.has_value());
        QCOMPARE(prompts.Messages, QStringList{Reports::WithoutHeatsMessage({"1", "3", "4"})});
        QCOMPARE(Render(*list, 6, 1), QString("Event 2 [1x6] 1.3=Bob Ray 1.4=Ann Lee ; no heats "
                                              "1,3,4"));
        const Reports::StartListLane &ann = list->Events.at(0).Heats.at(0).Lanes.at(3);
        QCOMPARE(QStringList({ann.Club, ann.Age, ann.EntryTime}),
                 QStringList({"Velmora Marlets", "2010", "35.10"}));
    }

    // The demo open meet, its heats made, through openmeet-db as an official runs it.
    void throughTheTool()
    {
        QVERIFY2(QFileInfo(Tool).isExecutable(), "build the openmeet-db target first");
        TestDir dir;
        const QString db = dir.FilePath("natamar.mdb");
        const QString pdf = dir.FilePath("start.pdf");
        int code = -1;
        for (const QStringList &args :
             {QStringList{"create", db},
              {"add-meet", db, DemoFile("open.ini"), "--code", "SPRING27"},
              {"add-entries", db, "SPRING27", DemoFile("entries-spring27.csv")},
              {"start-list", db, "SPRING27", pdf, "--events", "31"},
              {"make-heats", db, "SPRING27", "--events", "25,31-32"}}) {
            const QString out = RunTool(args, &code);
            if (args.first() == "start-list") {
                QCOMPARE(code, 1);
                QVERIFY2(out.contains("SPRING27: " + Reports::NoStartListMessage), qPrintable(out));
                QVERIFY(!QFileInfo::exists(pdf));
            } else {
                QVERIFY2(code == 0, qPrintable(args.join(u' ') + "\n" + out));
            }
        }
        QCOMPARE(RunTool({"start-list", db, "SPRING27", pdf, "--events", "31-33,35"}, &code),
                 "Wrote the start list of meet SPRING27 to " + pdf +
                     " (3 events, 1 pages)\nSPRING27: No heats made for event 33: it is left "
                     "out of the start list\n");
        QCOMPARE(code, 0);
        const QString text = PdfLayoutText(TestDir::Read(pdf));
        for (const char *expected :
             {"Velmora Marlets Spring Open Meet - Start List",
              "Events 25, 35 Female Under 14 and Open 100m Ind Medley", "Heat 1 of 1",
              "Event 31 Female Open-Age 50m Freestyle", "Event 32 Female Open-Age 50m Backstroke",
              "Velmora Spring Open, 14/03/2027", "Page 1 of 1"})
            QVERIFY2(text.simplified().contains(expected), expected);
        QVERIFY(!text.contains("Event 33"));
        QVERIFY(RunTool({"start-list", db, "SPRING27", pdf, "--events"}, &code)
                    .startsWith("openmeet-db start-list: Missing value after '--events'.\n"
                                "Usage: openmeet-db start-list"));
        QCOMPARE(code, 2);
    }
};

QTEST_MAIN(TestStartList)
#include "tst_startlist.moc"
