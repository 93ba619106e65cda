#include <QTest>

#include "core/galastate.h"
#include "meetday/heats.h"
#include "meetdb/database.h"
#include "support/dbrows.h"
#include "support/entryfixture.h"

using namespace MeetDay;

namespace {

const QStringList SwimColumns{"Entrant Number", "Event number", "Seed Order", "Combined With",
                              "Time",           "Heat No",      "Lane No"};

// An open meet in a 4-lane pool: events 1 and 2 swim together, event 4 has no entries. Event
// 1 has five swimmers (10 the slowest, 14 the fastest), event 2 one, event 3 two of which one
// is unconfirmed. Results of an earlier run are in the table and must be cleared.
struct HeatsMeet : EntryGala
{
    HeatsMeet()
        : EntryGala("Open",
                    {"1|F|OPEN|50|FS", "2|M|OPEN|50|FS", "3|F|OPEN|100|BK", "4|M|OPEN|100|BK"})
    {
        session.Gala.Lanes = 4;
        session.Gala.Combinations = {{"1", "2"}};
        UseMeetDb();
        InsertRows(session.MeetDb, "Swim Table",
                   "Meet code|Entrant Number|Event number|Entry Time|Confirmed|Time|Points|"
                   "Heat No|Lane No|Seed Order",
                   {"M1|10|1|40.00|1|39.00|7|3|3|9", "M1|11|1|39.00|1|||||", "M1|12|1|38.00|1|||||",
                    "M1|13|1|37.00|1|||||", "M1|14|1|36.00|1|||||", "M1|20|2|50.00|1|||||",
                    "M1|30|3|1:20.00|1|||||", "M1|31|3|1:10.00|0|||||"});
        QStringList entrants;
        for (int number : {10, 11, 12, 13, 14, 20, 30, 31})
            entrants << QStringLiteral("M1|%1|Swimmer %1|VMSC|01/01/10|F").arg(number);
        InsertRows(session.MeetDb, "Entrant Table",
                   "Meet code|Entrant Number|Swimmer Name|club|age|Sex", entrants);
        QCOMPARE(LoadRoster(session, prompts, roster), LoadResult::Loaded);
        for (Core::GalaEvent &event : session.Gala.Events)
            event.EvSelected = true;
    }

    QStringList Swims() { return TableRows(session.MeetDb, "Swim Table", SwimColumns); }

    Roster roster;
};

} // namespace

class TestHeats : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    // Each row changes the meet of HeatsMeet: "limit" caps event 1 at 4 entries and swims every
    // heat, "only1" leaves only events 1 and 2 selected, "finals" makes it a champs finals
    // session, "nodb" takes the meet database away.
    void makeHeats_data()
    {
        QTest::addColumn<QString>("setup");
        QTest::addColumn<bool>("onlyConfirmed");
        QTest::addColumn<bool>("made");
        QTest::addColumn<QString>("swims"); // the swim table afterwards; "" for unchanged
        QTest::addColumn<QStringList>("messages");

        // clang-format off
        // Pool event 1: six swimmers in heats of 3 and 3, the boy of event 2 the slowest. Event 3:
        // one confirmed swimmer, no heat in a 4-lane pool; the other swim is cleared.
        QTest::newRow("confirmed only") << "" << true << true
            << "10|1|2|1|40.00|1|2 11|1|3|1|39.00|1|3 12|1|4|1|38.00|2|1 13|1|5|1|37.00|2|3 14|1|6|1|36.00|2|2 "
               "20|2|1|1|50.00|1|1 30|3|1|3|1:20.00||0 31|3|0|3|1:10.00||0"
            << QStringList{"No (confirmed) entries for event 4"};
        // The four fastest of pool event 1 in one heat, placed as a spearhead; the two cut off
        // keep no seed and no heat. Event 3 is untouched.
        QTest::newRow("entry limit") << "limit only1" << false << true
            << "10|1|0|1|40.00||0 11|1|1|1|39.00|1|4 12|1|2|1|38.00|1|1 13|1|3|1|37.00|1|3 14|1|4|1|36.00|1|2 "
               "20|2|0|1|50.00||0 30|3|<null>|<null>|<null>|<null>|<null> 31|3|<null>|<null>|<null>|<null>|<null>"
            << QStringList{};
        // A finals session writes the finals file of each pool event and only clears the heats in
        // the database. Every rank here is 0, so the roster order stands.
        QTest::newRow("champs finals") << "finals only1" << false << true
            << "10|1|0|<null>|39.00||0 11|1|0|<null>|<null>||0 12|1|0|<null>|<null>||0 13|1|0|<null>|<null>||0 "
               "14|1|0|<null>|<null>||0 20|2|0|<null>|<null>||0 30|3|<null>|<null>|<null>|<null>|<null> "
               "31|3|<null>|<null>|<null>|<null>|<null>"
            << QStringList{};
        const QString none = "No (confirmed) entries for event ";
        QTest::newRow("no meet database") << "nodb" << false << false << ""
            << QStringList{NotAvailableMessage, none + "1", NotAvailableMessage, none + "3", NotAvailableMessage, none + "4"};
        // clang-format on
    }

    void makeHeats()
    {
        QFETCH(QString, setup);
        QFETCH(bool, onlyConfirmed);
        QFETCH(bool, made);
        QFETCH(QString, swims);
        QFETCH(QStringList, messages);
        HeatsMeet meet;
        Core::GalaState &gala = meet.session.Gala;
        QCOMPARE(SelectedPoolEvents(gala), (QStringList{"1", "3", "4"})); // 2 swims with 1
        if (setup.contains("limit")) {
            gala.Events[0].EvMaxEntries = 4;
            gala.AllHeats = true;
        }
        if (setup.contains("only1"))
            gala.Events[2].EvSelected = gala.Events[3].EvSelected = false;
        if (setup.contains("finals")) {
            gala.GalaType = "Champs";
            gala.SessionTitle = "FINALS";
            gala.WorkDir = meet.dir.Path();
        }
        gala.UseMeetDb = !setup.contains("nodb");
        const QStringList before = meet.Swims();
        QList<SeededEvent> seeded;
        QCOMPARE(MakeHeats(meet.session, meet.roster, {false, onlyConfirmed}, meet.prompts, seeded),
                 made);
        QCOMPARE(meet.prompts.Messages, messages);
        const QStringList after = meet.Swims();
        QCOMPARE(after, swims.isEmpty() ? before : swims.split(u' '));
        if (setup.contains("finals")) {
            QCOMPARE(meet.File("wk1-f.vb"),
                     QByteArray("4\r\n"
                                "\"13\",\"1\",\"Swimmer 13\",\"01/01/10\",\"37.00\",-1\r\n"
                                "\"12\",\"1\",\"Swimmer 12\",\"01/01/10\",\"38.00\",-1\r\n"
                                "\"11\",\"1\",\"Swimmer 11\",\"01/01/10\",\"39.00\",-1\r\n"
                                "\"10\",\"1\",\"Swimmer 10\",\"01/01/10\",\"40.00\",-1\r\n"));
        }
        // Run again on the same roster: the same allocation, nothing left over.
        MakeHeats(meet.session, meet.roster, {false, onlyConfirmed}, meet.prompts, seeded);
        QCOMPARE(meet.Swims(), after);
    }

    void finalsFile_data()
    {
        QTest::addColumn<int>("lanes");
        QTest::addColumn<int>("qualifiers");
        QTest::addColumn<bool>("programCreation");
        QTest::addColumn<QList<int>>("ranks"); // the ranks written, in file order
        QTest::newRow("8 lanes, 11, programme")
            << 8 << 11 << true << QList<int>{10, 9, 8, 7, 6, 5, 4, 3, 2, 1};
        QTest::newRow("8 lanes, 11") << 8 << 11 << false << QList<int>{8, 7, 6, 5, 4, 3, 2, 1};
        QTest::newRow("8 lanes, 5, programme") << 8 << 5 << true << QList<int>{5, 4, 3, 2, 1};
    }

    void finalsFile()
    {
        QFETCH(int, lanes);
        QFETCH(int, qualifiers);
        QFETCH(bool, programCreation);
        QFETCH(QList<int>, ranks);
        Core::GalaState gala;
        gala.GalaType = "Champs";
        gala.SessionTitle = "FINALS";
        gala.Lanes = lanes;
        gala.Events.append(Core::GalaEvent{});
        gala.Events[0].EvNumber = "12";
        // Entrant 100 + rank, listed in reverse rank order.
        Roster roster;
        for (int rank = qualifiers; rank >= 1; --rank)
            roster.append({100 + rank,
                           QStringLiteral("Q%1").arg(rank),
                           {},
                           {},
                           "01/02/10",
                           {},
                           {{"12", "35.10", true, rank, {}, {}}}});
        QByteArray expected = QByteArray::number(ranks.size()) + "\r\n";
        for (int rank : ranks)
            expected += QStringLiteral("\"%1\",\"12\",\"Q%2\",\"01/02/10\",\"35.10\",-1\r\n")
                            .arg(100 + rank)
                            .arg(rank)
                            .toLatin1();
        const SeededEvent seeded = SeedPoolEvent(roster, gala, "12", {});
        QCOMPARE(FinalsFileBytes(seeded, lanes, programCreation), expected);
    }
};

QTEST_MAIN(TestHeats)
#include "tst_heats.moc"
