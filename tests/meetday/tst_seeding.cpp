#include <QDir>
#include <QTest>

#include "core/galastate.h"
#include "meetday/heats.h"
#include "meetday/heatworkfiles.h"
#include "meetday/seeding.h"
#include "meetdb/database.h"
#include "support/dbrows.h"
#include "support/entryfixture.h"

using namespace MeetDay;

namespace {

// A swimmer written "name time [age] [meet-specific] [rank]" with "-" for an empty field, e.g.
// "Ann 35.10 01/02/10 TT". One entrant per swimmer, numbered in order from `first`.
Roster MakeRoster(const QString &event, const QStringList &swimmers, int first = 1)
{
    Roster roster;
    for (const QString &text : swimmers) {
        QStringList w = QString(text + " - - - -").replace(QLatin1String("-"), "").split(u' ');
        RosterEntrant entrant{int(roster.size()) + first, w[0], "VMSC", {}, w[2], {}, {}};
        entrant.Swims.append({event, w[1], true, w[4].toInt(), {}, w[3]});
        roster.append(entrant);
    }
    return roster;
}

Core::GalaState Gala(const QString &type, int lanes, const QStringList &events = {"1"},
                     const QString &session = "HEATS & FINALS")
{
    Core::GalaState gala;
    gala.GalaType = type;
    gala.Lanes = lanes;
    gala.SessionTitle = session;
    for (const QString &number : events) {
        Core::GalaEvent event;
        event.EvNumber = number;
        event.EvPrintNumber = number;
        gala.Events.append(event);
    }
    return gala;
}

// The heats of a seeded event, heat 1 first: "name@lane name@lane|name@lane ...", lanes in
// order.
QString Heats(const SeededEvent &seeded)
{
    QMap<int, QMap<int, QString>> heats; // heat, lane: name@lane
    for (const HeatListRow &row : seeded.Heats) {
        if (row.HeatOf > 0)
            heats[row.HeatOf][row.LaneOf] = row.Swim.Name + u'@' + QString::number(row.LaneOf);
    }
    QStringList text;
    for (const QMap<int, QString> &lanes : heats)
        text << QStringList(lanes.values()).join(u' ');
    return text.join(u'|');
}

// n swimmers named prefix1..prefixN with times from `slowest` seconds down by one, so that the
// last is the fastest.
QStringList Field(const QString &prefix, int n, int slowest, const QString &age = "-")
{
    QStringList swimmers;
    for (int i = 1; i <= n; ++i)
        swimmers << QStringLiteral("%1%2 %3 %4").arg(prefix).arg(i).arg(slowest - i).arg(age);
    return swimmers;
}

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
        for (int number : {10, 11, 12, 13, 14, 20, 30, 31})
            InsertRows(session.MeetDb, "Entrant Table",
                       "Meet code|Entrant Number|Swimmer Name|club|age|Sex",
                       {QStringLiteral("M1|%1|Swimmer %1|VMSC|01/01/10|F").arg(number)});
        QCOMPARE(LoadRoster(session, prompts, roster), LoadResult::Loaded);
        for (Core::GalaEvent &event : session.Gala.Events)
            event.EvSelected = true;
    }

    QStringList Swims()
    {
        return TableRows(session.MeetDb, "Swim Table", SwimColumns).replaceInStrings("<null>", "~");
    }

    Roster roster;
};

} // namespace

class TestSeeding : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    // Rows: kind, session, the swimmers (MakeRoster's texts, split at commas), the seeded order,
    // the event's entry limit (0 for none) and whether it is programme creation (1).
    void seedOrder_data()
    {
        QTest::addColumn<QStringList>("f");
        const QString both = "HEATS & FINALS";
        // clang-format off
        const auto row = [](const char *tag, const QString &fields) { QTest::newRow(tag) << fields.split(u'|'); };
        row("equal times are not stable", "Open|" + both + "|A 5.00,C 5.00,B 7.00|B C A");
        row("slowest first, fastest last", "Open|" + both + "|A 30.00,B 1:02.00,C 45.50|B C A");
        row("time trial and reserve before every timed swimmer", "Open|" + both + "|A 30.00,T 25.00 - TT,R 40.00 - (Res),B 35.00|R T B A");
        row("no time before timed, youngest first", "Open|" + both + "|A 30.00 01/01/15,O 9:99.99 01/01/14,Y 9:99.99 01/06/16,B 35.00 01/01/15|Y O B A");
        row("empty and zero times count as none", "Open|" + both + "|A 30.00,E -,Z 0.00|E Z A");
        row("short age text keeps its place", "Open|" + both + "|O 9:99.99 12,Y 9:99.99 01/06/16|O Y");
        row("masters without time by age group", "Masters|" + both + "|C 9:99.99 C,A 9:99.99 A,T 40.00 B,B 9:99.99 B|A B C T");
        row("champs heats: no special rows, empty time is none", "Champs|HEATS|T 25.00 01/01/15 TT,A 30.00 01/01/15,E - 01/01/15|E A T");
        row("champs finals by final rank", "Champs|FINALS|C 30.00 - - 3,A 35.00 - - 1,B 25.00 - - 2|A B C");
        row("the fastest two", "Open|" + both + "|A 4,B 3,C 2,D 1|C D|2");
        row("no limit in programme creation", "Open|" + both + "|A 4,B 3,C 2,D 1|A B C D|2|1");
        row("limit above count", "Open|" + both + "|A 4,B 3,C 2,D 1|A B C D|5");
        // clang-format on
    }

    void seedOrder()
    {
        QFETCH(QStringList, f);
        f += QStringList{"0", "0"};
        Core::GalaState gala = Gala(f[0], 6, {"1"}, f[1]);
        EventList list;
        BuildEventList(list, MakeRoster("1", f[2].split(u',')), "1", false);
        SeedEventList(list, gala);
        ApplyEntryLimit(list, f[4].toInt(), f[5] == "1");
        QStringList names;
        for (const EventListRow &row : list)
            names << row.Name;
        QCOMPARE(names.join(u' '), f[3]);
    }

    void heatSizes_data()
    {
        // Rows: lanes|swimmers|swum as one heat (1)|the sizes, "" to check only the rules every
        // allocation keeps.
        QTest::addColumn<QString>("row");
        for (const char *row : {"6|23|0|5 6 6 6", "5|11|0|3 3 5", "5|5|0|none", "4|161|0|none"})
            QTest::newRow(row) << QString(row);
        QTest::newRow("40 full heats") << "4|160|0|" + QString("4 ").repeated(40).trimmed();
        for (int lanes = MinPoolLanes; lanes <= MaxPoolLanes; ++lanes) {
            for (int n = 0; n <= 3 * lanes + 1; ++n)
                QTest::addRow("%d lanes, %d swimmers", lanes, n)
                    << QStringLiteral("%1|%2|%3|").arg(lanes).arg(n).arg(int(n % 2 == 0));
        }
    }

    void heatSizes()
    {
        QFETCH(QString, row);
        const QStringList f = row.split(u'|');
        const int lanes = f[0].toInt(), swimmers = f[1].toInt();
        const bool single = f[2] == "1";
        const QString sizes = f[3];
        const QList<int> heats = HeatSizes(swimmers, lanes, single);
        if (!sizes.isEmpty()) {
            QStringList shown;
            for (int size : heats)
                shown << QString::number(size);
            QCOMPARE(shown.isEmpty() ? QString("none") : shown.join(u' '), sizes);
            return;
        }
        // Every swimmer swims once, in as few heats as can be, unless all fit in one heat that is
        // not swum; heats beyond the second are full; the first two share the rest, the first
        // never larger.
        const bool swum = swimmers > lanes || single;
        int total = 0;
        for (qsizetype h = 0; h < heats.size(); ++h) {
            QVERIFY(heats[h] >= 1 && heats[h] <= lanes && (h < 2 || heats[h] == lanes));
            total += heats[h];
        }
        QCOMPARE(total, swum ? swimmers : 0);
        QCOMPARE(heats.size(), swum ? (swimmers + lanes - 1) / lanes : 0);
        if (heats.size() > 1)
            QVERIFY(heats[0] <= heats[1] && heats[1] - heats[0] <= 1);
    }

    // Rows: the position in the heat (1 = slowest) per lane, "-" for none.
    void placeLanes_data()
    {
        QTest::addColumn<bool>("fast");
        QTest::addColumn<bool>("final");
        QTest::addColumn<QString>("lanes");

        // Rows of 4 to 8 lanes, from 1 swimmer to a full heat.
        // clang-format off
        const QString ordinary =
            "-1-- -12- 123- 1234 "
            "--1-- --12- -123- -1234 12345 "
            "--1--- --12-- -123-- -1234- 12345- 123456 "
            "---1--- ---12-- --123-- --1234- --12345 -123456 1234567 "
            "---1---- ---12--- --123--- --1234-- --12345- -123456- 1234567- 12345678";
        const QString spearhead =
            "-1-- -21- 132- 2431 "
            "--1-- --21- -132- -2431 13542 "
            "--1--- --21-- -132-- -2431- 13542- 246531 "
            "---1--- ---21-- --132-- --2431- -13542- -246531 1357642 "
            "---1---- ---21--- --132--- --2431-- -13542-- -246531- 1357642- 24687531";
        // clang-format on
        for (const QString &row : ordinary.split(u' '))
            QTest::addRow("ordinary %s", qPrintable(row)) << false << false << row;
        for (const QString &row : spearhead.split(u' '))
            QTest::addRow("fast %s", qPrintable(row)) << true << false << row;
        QTest::newRow("final 6 of 6") << true << true << "531246";
        QTest::newRow("final 3 of 8") << true << true << "--312---";
    }

    void placeLanes()
    {
        QFETCH(bool, fast);
        QFETCH(bool, final);
        QFETCH(QString, lanes);
        const int swimmers = int(lanes.size() - lanes.count(u'-'));
        // Heat 2 of 3 is a fast heat with two split heats and an ordinary one with one.
        const std::array<int, MaxPoolLanes> slot =
            PlaceLanes(2, 3, fast ? 2 : 1, swimmers, int(lanes.size()), final);
        QString placed;
        for (qsizetype k = 0; k < lanes.size(); ++k)
            placed += slot[size_t(k)] ? QString::number(slot[size_t(k)]) : QStringLiteral("-");
        QCOMPARE(placed, lanes);
    }

    // Rows: kind|lanes|setting ("Hdw", "AllHeats", "SwimHeats", "FINAL" the event's type,
    // "FINALS" the session)|the heats, Heats()|the message, then the swimmers.
    void poolEvent_data()
    {
        QTest::addColumn<QString>("row");
        QTest::addColumn<QStringList>("swimmers");
        // clang-format off
        const QStringList six = Field("S", 6, 100);
        QTest::newRow("11 in 5 lanes") << "Open|5||S1@2 S2@3 S3@4|S4@2 S5@3 S6@4|S7@1 S9@2 S11@3 S10@4 S8@5|" << Field("S", 11, 100);
        QTest::newRow("6 in 6 lanes, all heats") << "Open|6|AllHeats|S2@1 S4@2 S6@3 S5@4 S3@5 S1@6|" << six;
        QTest::newRow("6 in 6 lanes, heats to swim") << "Open|6|SwimHeats|S2@1 S4@2 S6@3 S5@4 S3@5 S1@6|" << six;
        QTest::newRow("3 in a final") << "Open|6|FINAL|S3@2 S1@3 S2@4|" << Field("S", 3, 100);
        QTest::newRow("time trial swims first") << "Open|4||T@1 S1@2 S2@3|S3@1 S5@2 S4@3|" << QStringList{"T 20.00 - TT"} + Field("S", 5, 100);
        // Seeding groups A, C, B: the fast heats of A last, then of B; C has only 4 swimmers.
        QTest::newRow("masters seeding groups")
            << "Masters|5|Hdw|C1@1 C2@2 C3@3 C4@4 A1@5|B1@1 B3@2 B5@3 B4@4 B2@5|A2@1 A4@2 A6@3 A5@4 A3@5|Less than 5 swimmers in age group C"
            << Field("A", 6, 100, "A") + Field("B", 5, 50, "B") + Field("C", 4, 200, "C");
        QTest::newRow("champs finals: the best in the middle lane") << "Champs|6|FINALS|A@3 B@4|" << QStringList{"B 30.00 - - 2", "A 31.00 - - 1"};
        QTest::newRow("as many swims as can be seeded") << "Open|6|||Too many swimmers for 40 heats in event 1" << Field("S", MaxEventList, 2000);
        QTest::newRow("too many swims") << "Open|6|||Event 1 has 1001 swims" << Field("S", MaxEventList + 1, 2000);
        // clang-format on
    }

    void poolEvent()
    {
        QFETCH(QString, row);
        QFETCH(QStringList, swimmers);
        // The heats hold '|' too: the message is after the last one.
        const QString type = row.section(u'|', 0, 0), setting = row.section(u'|', 2, 2);
        const QString heats = row.section(u'|', 3, -2), message = row.section(u'|', -1);
        Core::GalaState gala = Gala(type, row.section(u'|', 1, 1).toInt());
        gala.Hdw = setting == "Hdw";
        gala.AllHeats = setting == "AllHeats";
        if (setting == "SwimHeats")
            gala.SwimHeats << "1";
        if (setting == "FINAL")
            gala.Events[0].EvType = "FINAL";
        if (setting == "FINALS")
            gala.SessionTitle = "FINALS";
        if (type == "Masters")
            gala.SeedGroups = {"A", "C", "B"};
        const SeededEvent seeded = SeedPoolEvent(MakeRoster("1", swimmers), gala, "1", {});
        QCOMPARE(Heats(seeded), heats);
        QCOMPARE(seeded.Messages.size(), message.isEmpty() ? 0 : 1);
        QCOMPARE(seeded.Messages.join(u'/').left(message.size()), message);
        const bool refused = swimmers.size() > MaxEventList;
        QCOMPARE(seeded.Refused, refused);
        if (!refused)
            QCOMPARE(seeded.List.size(), swimmers.size());
        QCOMPARE(seeded.WritesSeeds, setting != "FINALS");
    }

    void combinedPoolEvent()
    {
        // Events 5 and 7 swim together. With the last heats split each event gets its own last
        // heat, the later event's last, even when the lead's swimmers are faster.
        Core::GalaState gala = Gala("Open", 4, {"5", "7"});
        gala.Combinations = {{"5", "7"}};
        gala.SplitLastHeats = true;
        const Roster roster =
            MakeRoster("5", Field("G", 8, 80)) + MakeRoster("7", Field("B", 4, 90), 11);
        const SeededEvent seeded = SeedPoolEvent(roster, gala, "5", {});
        QCOMPARE(seeded.Events, (QStringList{"5", "7"}));
        QCOMPARE(seeded.SplitHeatCount, 2);
        QCOMPARE(Heats(seeded),
                 QString("G1@1 G2@2 G3@3 G4@4|G6@1 G8@2 G7@3 G5@4|B2@1 B4@2 B3@3 B1@4"));

        gala.SplitLastHeats = false;
        const SeededEvent plain = SeedPoolEvent(roster, gala, "5", {});
        QCOMPARE(plain.List.first().Name, QString("B1"));

        // Too few in one event of the group: that event gets no fast heat of its own.
        gala.SplitLastHeats = true;
        const SeededEvent few = SeedPoolEvent(roster.mid(0, 10), gala, "5", {});
        QCOMPARE(few.Messages, QStringList{"Less than 4 swimmers in event 7"});
        QCOMPARE(few.SplitHeatCount, 1);
    }

    // Each row changes the meet of HeatsMeet: "confirmed" seeds only confirmed entries, "limit"
    // caps event 1 at 4 entries and swims every heat, "only1" leaves only events 1 and 2
    // selected, "finals" makes it a champs finals session, "nodb" takes the meet database away,
    // "huge" enters swimmers in event 1 up to one more than can be seeded.
    void makeHeats_data()
    {
        QTest::addColumn<QString>("setup");
        QTest::addColumn<QString>("swims"); // the swim table afterwards, ~ for null; "" unchanged
        QTest::addColumn<QStringList>("messages");

        const QString none = "No (confirmed) entries for event ";
        // clang-format off
        // Pool event 1: six swimmers in heats of 3 and 3, the boy of event 2 the slowest. Event 3:
        // one confirmed swimmer, no heat in a 4-lane pool; the other swim is cleared.
        QTest::newRow("confirmed only") << "confirmed"
            << "10|1|2|1|40.00|1|2 11|1|3|1|39.00|1|3 12|1|4|1|38.00|2|1 13|1|5|1|37.00|2|3 14|1|6|1|36.00|2|2 "
               "20|2|1|1|50.00|1|1 30|3|1|3|1:20.00||0 31|3|0|3|1:10.00||0"
            << QStringList{"No (confirmed) entries for event 4"};
        // The four fastest of pool event 1 in one heat, placed as a spearhead; the two cut off
        // keep no seed and no heat. Event 3 is untouched.
        QTest::newRow("entry limit") << "limit only1"
            << "10|1|0|1|40.00||0 11|1|1|1|39.00|1|4 12|1|2|1|38.00|1|1 13|1|3|1|37.00|1|3 14|1|4|1|36.00|1|2 20|2|0|1|50.00||0 30|3|~|~|~|~|~ 31|3|~|~|~|~|~"
            << QStringList{};
        // The meet database holds no heat ranks: a final would come out in entrant order, so
        // none is made, nothing is written, and the events refused are named in one message.
        QTest::newRow("champs finals") << "finals only1" << ""
            << QStringList{"No heat results for event 1: import the results first"};
        QTest::newRow("champs finals, several") << "finals" << ""
            << QStringList{"No heat results for events 1, 3: import the results first", none + "4"};
        // Without the meet database the heats are made and kept for the window; nothing is
        // written anywhere.
        QTest::newRow("no meet database") << "nodb" << "" << QStringList{none + "4"};
        // Pool event 1 is refused, and the heats of its earlier run are cleared with it; event 3
        // is seeded in the same run.
        QTest::newRow("too many swims") << "huge"
            << "10|1|0|~|39.00||0 11|1|0|~|~||0 12|1|0|~|~||0 13|1|0|~|~||0 14|1|0|~|~||0 20|2|0|~|~||0 30|3|1|3|1:20.00||0 31|3|2|3|1:10.00||0"
            << QStringList{"Event 1 has 1001 swims, more than the 1000 that can be seeded: its heats were not made",
                           "No (confirmed) entries for event 4"};
        // clang-format on
    }

    void makeHeats()
    {
        QFETCH(QString, setup);
        QFETCH(QString, swims);
        const MakeHeatsOptions options{false, setup.contains("confirmed")};
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
        if (setup.contains("huge"))
            meet.roster += MakeRoster("1", Field("X", MaxEventList - 5, 3000), 100);
        const QStringList before = meet.Swims();
        QList<SeededEvent> seeded;
        // Nothing is made when every event is refused.
        QCOMPARE(MakeHeats(meet.session, meet.roster, options, meet.prompts, seeded),
                 setup != "finals only1");
        if (setup == "nodb") // pool event 1 in two heats of 3
            QCOMPARE(HeatLines(seeded).size(), 6);
        QCOMPARE(meet.prompts.Messages, messages);
        const QStringList after = meet.Swims();
        QCOMPARE(after, swims.isEmpty() ? before : swims.split(u' '));
        QCOMPARE(QDir(meet.dir.Path()).entryList({"wk*"}), QStringList());
        // Run again on the same roster: the same allocation, nothing left over.
        MakeHeats(meet.session, meet.roster, options, meet.prompts, seeded);
        QCOMPARE(meet.Swims(), after);

        // A refused final leaves the stored heats as they were (compared above).
        if (setup.contains("finals"))
            return;
        // What the "Heats" view reads back when the window opens again is what was made: the
        // swims' heats and lanes, or the heat work files of a gala kept in entry files.
        QList<HeatLine> stored;
        if (gala.UseMeetDb) {
            stored = StoredHeatLines(meet.session, meet.roster);
        } else {
            seeded.clear();
            for (const QString &event : SelectedPoolEvents(gala)) {
                seeded << SeedPoolEvent(meet.roster, gala, event, {});
                QString error;
                QVERIFY(WriteHeatWorkFiles(seeded.last(), gala, meet.dir.Path(), &error));
            }
            stored = WorkFileHeatLines(gala, meet.dir.Path());
        }
        const auto describe = [](const QList<HeatLine> &lines) {
            QStringList out;
            for (const HeatLine &l : lines)
                out << QStringLiteral("%1/%2/%3/%4/%5/%6/%7")
                           .arg(l.Event)
                           .arg(l.Heat)
                           .arg(l.Lane)
                           .arg(l.EntrantNumber)
                           .arg(l.Name, l.Club, l.EntryTime);
            return out;
        };
        QCOMPARE(describe(stored), describe(HeatLines(seeded)));
        QCOMPARE(stored.isEmpty(), setup == "huge"); // event 3 there has too few to seed
    }

    // The finals file holds the qualifiers up to a full final, two more in programme creation,
    // the lowest ranked first.
    void finalsFile_data()
    {
        QTest::addColumn<QList<int>>("f"); // qualifiers, programme creation (1), ranks written
        QTest::newRow("11 in 8 lanes, programme") << QList<int>{11, 1, 10};
        QTest::newRow("11 in 8 lanes") << QList<int>{11, 0, 8};
        QTest::newRow("5 in 8 lanes, programme") << QList<int>{5, 1, 5};
    }

    void finalsFile()
    {
        QFETCH(QList<int>, f);
        const int qualifiers = f[0], written = f[2];
        const Core::GalaState gala = Gala("Champs", 8, {"12"}, "FINALS");
        QStringList swimmers; // in reverse rank order
        QByteArray expected = QByteArray::number(written) + "\r\n";
        for (int rank = qualifiers; rank >= 1; --rank) {
            swimmers << QStringLiteral("Q%1 35.10 01/02/10 - %1").arg(rank);
            if (rank <= written)
                expected += QStringLiteral("\"%1\",\"12\",\"Q%2\",\"01/02/10\",\"35.10\",-1\r\n")
                                .arg(qualifiers - rank + 1)
                                .arg(rank)
                                .toLatin1();
        }
        const SeededEvent seeded = SeedPoolEvent(MakeRoster("12", swimmers), gala, "12", {});
        QCOMPARE(FinalsFileBytes(seeded, 8, f[1] == 1), expected);
    }
};

QTEST_GUILESS_MAIN(TestSeeding)
#include "tst_seeding.moc"
