#include <algorithm>
#include <map>
#include <vector>

#include <QTest>

#include "core/galastate.h"
#include "meetday/heats.h"
#include "meetday/seeding.h"
#include "meetdb/session.h"
#include "support/scriptedprompts.h"

using namespace MeetDay;
using Core::SeedingMethod;

namespace {

// A swimmer "name time [meet-specific]" with entrant number `number`, in event 1.
RosterEntrant Entrant(int number, const QString &name, const QString &time,
                      const QString &special = {}, const QString &age = QStringLiteral("01/01/10"))
{
    RosterEntrant entrant{number, name, "VMSC", {}, age, {}, {}};
    entrant.Swims.append({"1", time, true, 0, {}, special});
    return entrant;
}

// n swimmers S1..Sn (n < 100), S1 the fastest (35.01, 35.02, ...), entered neither fastest nor
// slowest first: the odd ranks upwards, then the even ranks downwards. Entrant numbers follow the
// entry.
Roster Ranked(int n)
{
    QList<int> ranks;
    for (int rank = 1; rank <= n; rank += 2)
        ranks << rank;
    for (int rank = n - n % 2; rank >= 2; rank -= 2)
        ranks << rank;
    Roster roster;
    for (int rank : std::as_const(ranks))
        roster.append(Entrant(100 + int(roster.size()), QStringLiteral("S%1").arg(rank),
                              QStringLiteral("35.%1").arg(rank, 2, 10, QChar(u'0'))));
    return roster;
}

Core::GalaState Gala(SeedingMethod method, int lanes, const QString &type = Core::GalaOpen)
{
    Core::GalaState gala;
    gala.GalaType = type;
    gala.MeetCode = "SPRING27";
    gala.Lanes = lanes;
    gala.Seeding = method;
    gala.SessionTitle = "HEATS & FINALS";
    Core::GalaEvent event;
    event.EvNumber = event.EvPrintNumber = "1";
    gala.Events.append(event);
    return gala;
}

// The heats, heat 1 first: "name@lane ..." in lane order, heats separated by '|'.
QString Heats(const SeededEvent &seeded)
{
    std::map<int, std::map<int, QString>> heats;
    for (const HeatListRow &row : seeded.Heats) {
        if (row.HeatOf > 0)
            heats[row.HeatOf][row.LaneOf] = row.Swim.Name + u'@' + QString::number(row.LaneOf);
    }
    QStringList text;
    for (const auto &[heat, lanes] : heats) {
        QStringList names;
        for (const auto &[lane, name] : lanes)
            names << name;
        text << names.join(u' ');
    }
    return text.join(u'|');
}

/*
 * The reference: the seeding rules as an official reads them, written out without the code under
 * test. Ranks count from 1, the fastest.
 */

// Lanes by how near the centre they are; of two lanes as near, the higher-numbered first.
std::vector<int> ReferenceLaneOrder(int lanes)
{
    std::vector<int> order;
    for (int lane = 1; lane <= lanes; ++lane)
        order.push_back(lane);
    const int centre = (lanes + 1) / 2;
    const auto nearness = [centre](int lane) {
        return 2 * std::abs(lane - centre) - (lane > centre ? 1 : 0);
    };
    std::sort(order.begin(), order.end(), [&](int a, int b) { return nearness(a) < nearness(b); });
    return order;
}

// The ranks in each heat, heat 1 first.
std::vector<std::vector<int>> ReferenceHeats(SeedingMethod method, int lanes, int n,
                                             bool singleHeat)
{
    std::vector<std::vector<int>> heats;
    if (n == 0 || (n <= lanes && !singleHeat))
        return heats;
    if (n <= lanes) {
        heats.emplace_back();
        for (int rank = 1; rank <= n; ++rank)
            heats[0].push_back(rank);
        return heats;
    }
    const int count = (n + lanes - 1) / lanes;
    heats.resize(size_t(count) + 1); // heats[1] is heat 1; heats[0] stays empty
    int rank = 1;
    if (method == SeedingMethod::Club) {
        // Full heats from the last down to heat 3; heats 1 and 2 share the rest, heat 1 the
        // smaller half. The slowest swim first.
        std::vector<int> sizes(size_t(count) + 1, lanes);
        const int rest = n - (count - 2) * lanes;
        sizes[1] = rest / 2;
        sizes[2] = rest - rest / 2;
        for (int heat = count; heat >= 1; --heat)
            for (int k = 0; k < sizes[size_t(heat)]; ++k)
                heats[size_t(heat)].push_back(rank++);
    } else {
        int dealtHeats = 0;
        if (method == SeedingMethod::Circle) {
            dealtHeats = std::min(count, 3);
            int dealt = count <= 3 ? n : 3 * lanes;
            if (count == 4 && n - dealt < 3)
                dealt = n - 3;
            for (; rank <= dealt; ++rank)
                heats[size_t(count - (rank - 1) % dealtHeats)].push_back(rank);
        }
        // Timed finals: fill from the last heat not dealt, backwards.
        for (int heat = count - dealtHeats; rank <= n; --heat)
            while (rank <= n && int(heats[size_t(heat)].size()) < lanes)
                heats[size_t(heat)].push_back(rank++);
        if (count - dealtHeats >= 2)
            while (heats[1].size() < 3) {
                heats[1].insert(heats[1].begin(), heats[2].back());
                heats[2].pop_back();
            }
    }
    heats.erase(heats.begin());
    return heats;
}

// Centre-out in every heat (club pools of 9 and 10 lanes, standard, circle).
QString ReferenceText(SeedingMethod method, int lanes, int n, bool singleHeat)
{
    const std::vector<int> order = ReferenceLaneOrder(lanes);
    QStringList text;
    for (std::vector<int> heat : ReferenceHeats(method, lanes, n, singleHeat)) {
        std::sort(heat.begin(), heat.end()); // the fastest first
        std::map<int, int> rankInLane;
        for (size_t k = 0; k < heat.size(); ++k)
            rankInLane[order[k]] = heat[k];
        QStringList names;
        for (const auto &[lane, rank] : rankInLane)
            names << QStringLiteral("S%1@%2").arg(rank).arg(lane);
        text << names.join(u' ');
    }
    return text.join(u'|');
}

void AddReferenceRows(SeedingMethod method, int fromLanes)
{
    QTest::addColumn<int>("lanes");
    QTest::addColumn<int>("swimmers");
    QTest::addColumn<bool>("allHeats");
    QTest::addColumn<QString>("heats");
    for (int lanes = fromLanes; lanes <= Core::MaxLanes; ++lanes) {
        for (int n = 1; n <= 3 * lanes + 1; ++n) {
            // Every other count swims a heat of a pool or fewer, so both single-heat rules show.
            const bool allHeats = n % 2 == 1;
            QTest::addRow("%d lanes, %d swimmers", lanes, n)
                << lanes << n << allHeats << ReferenceText(method, lanes, n, allHeats);
        }
    }
}

void CheckReferenceRow(SeedingMethod method)
{
    QFETCH(int, lanes);
    QFETCH(int, swimmers);
    QFETCH(bool, allHeats);
    QFETCH(QString, heats);
    Core::GalaState gala = Gala(method, lanes);
    gala.AllHeats = allHeats;
    const SeededEvent seeded = SeedPoolEvent(Ranked(swimmers), gala, "1", {});
    QCOMPARE(Heats(seeded), heats);
    QVERIFY(seeded.Messages.isEmpty());
    // The list stays slowest first, each row's seed its place in it.
    QCOMPARE(seeded.List.last().Name, QString("S1"));
    for (const HeatListRow &row : seeded.Heats)
        QCOMPARE(seeded.List.at(row.SeedPosition - 1).EntrantNumber, row.Swim.EntrantNumber);
}

QStringList Names(const EventList &list)
{
    QStringList names;
    for (const EventListRow &row : list)
        names << row.Name;
    return names;
}

} // namespace

class TestSeedingMethods : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void standard_data() { AddReferenceRows(SeedingMethod::Standard, Core::MinLanes); }
    void standard() { CheckReferenceRow(SeedingMethod::Standard); }
    void circle_data() { AddReferenceRows(SeedingMethod::Circle, Core::MinLanes); }
    void circle() { CheckReferenceRow(SeedingMethod::Circle); }
    // Pools of 4 to 8 lanes keep the club's own tables (tst_seeding); wider pools go centre-out.
    void clubWidePools_data() { AddReferenceRows(SeedingMethod::Club, 9); }
    void clubWidePools() { CheckReferenceRow(SeedingMethod::Club); }

    void centreOut_data()
    {
        QTest::addColumn<int>("lanes");
        QTest::addColumn<QList<int>>("order");
        QTest::newRow("3 lanes") << 3 << QList<int>{};
        QTest::newRow("4 lanes") << 4 << QList<int>{2, 3, 1, 4};
        QTest::newRow("5 lanes") << 5 << QList<int>{3, 4, 2, 5, 1};
        QTest::newRow("6 lanes") << 6 << QList<int>{3, 4, 2, 5, 1, 6};
        QTest::newRow("8 lanes") << 8 << QList<int>{4, 5, 3, 6, 2, 7, 1, 8};
        QTest::newRow("9 lanes") << 9 << QList<int>{5, 6, 4, 7, 3, 8, 2, 9, 1};
        QTest::newRow("10 lanes") << 10 << QList<int>{5, 6, 4, 7, 3, 8, 2, 9, 1, 10};
        QTest::newRow("11 lanes") << 11 << QList<int>{};
    }

    void centreOut()
    {
        QFETCH(int, lanes);
        QFETCH(QList<int>, order);
        QCOMPARE(CentreOutLanes(lanes), order);
    }

    // Rows: method, lanes, swimmers (S1 the fastest), the heats. The tag's first word sets the
    // meet up: "final" makes the event a "FINAL" (swum without AllHeats), "masters" a masters
    // meet with two seeding groups, "override" the method for the run only.
    void keyCases_data()
    {
        QTest::addColumn<SeedingMethod>("method");
        QTest::addColumn<int>("lanes");
        QTest::addColumn<Roster>("roster");
        QTest::addColumn<QString>("heats");
        const Roster tt = Ranked(5) + Roster{Entrant(99, "T", "20.00", "TT")};
        const SeedingMethod standard = SeedingMethod::Standard, circle = SeedingMethod::Circle;
        // clang-format off
        QTest::newRow("standard: heat 1 made up to 3 from heat 2") << standard << 4 << Ranked(5) << "S5@1 S3@2 S4@3|S1@2 S2@3";
        QTest::newRow("circle: two heats dealt in turn") << circle << 4 << Ranked(5) << "S2@2 S4@3|S5@1 S1@2 S3@3";
        QTest::newRow("standard: a time trial counts as the slowest") << standard << 4 << tt << "T@1 S4@2 S5@3|S3@1 S1@2 S2@3";
        QTest::newRow("final, standard: one heat by time") << standard << 6 << Ranked(3) << "S3@2 S1@3 S2@4";
        QTest::newRow("final, circle: timed finals, not dealt") << circle << 4 << Ranked(5) << "S5@1 S3@2 S4@3|S1@2 S2@3";
        QTest::newRow("masters, standard: no fast heats per age group") << standard << 5 << Ranked(6) << "S6@2 S4@3 S5@4|S3@2 S1@3 S2@4";
        QTest::newRow("override, circle on a club meet") << circle << 4 << Ranked(5) << "S2@2 S4@3|S5@1 S1@2 S3@3";
        QTest::newRow("override, club on a standard meet") << SeedingMethod::Club << 4 << Ranked(5) << "S5@2 S4@3|S3@1 S1@2 S2@3";
        // clang-format on
    }

    void keyCases()
    {
        QFETCH(SeedingMethod, method);
        QFETCH(int, lanes);
        QFETCH(Roster, roster);
        QFETCH(QString, heats);
        const QString tag = QTest::currentDataTag();
        const bool masters = tag.startsWith("masters");
        Core::GalaState gala = Gala(method, lanes, masters ? Core::GalaMasters : Core::GalaOpen);
        const bool final = tag.startsWith("final");
        gala.AllHeats = !final;
        if (final)
            gala.Events[0].EvType = "FINAL";
        SeedOptions options;
        if (tag.startsWith("override")) {
            options.Method = method;
            gala.Seeding =
                method == SeedingMethod::Club ? SeedingMethod::Standard : SeedingMethod::Club;
        }
        if (masters) {
            // Two seeding groups of three: the club method would give each a fast heat message.
            gala.SeedGroups = {"A", "B"};
            for (qsizetype k = 0; k < roster.size(); ++k)
                roster[k].Age = k % 2 ? "A" : "B";
        }
        const SeededEvent seeded = SeedPoolEvent(roster, gala, "1", options);
        QCOMPARE(Heats(seeded), heats);
        QCOMPARE(seeded.Messages, QStringList());
    }

    // Circle in a 10-lane pool numbered from 0: the three fastest lead the last three heats from
    // the centre, lane 4 as painted.
    void circleTenLanes_data()
    {
        QTest::addColumn<int>("swimmers");
        QTest::addColumn<QList<int>>("sizes"); // heat 1 first
        QTest::newRow("40 swimmers") << 40 << QList<int>{10, 10, 10, 10};
        QTest::newRow("31: the circle gives heat 1 its third") << 31 << QList<int>{3, 9, 9, 10};
        QTest::newRow("33: heat 1 has three") << 33 << QList<int>{3, 10, 10, 10};
        QTest::newRow("42: standard heats made up to 3") << 42 << QList<int>{3, 9, 10, 10, 10};
    }

    void circleTenLanes()
    {
        QFETCH(int, swimmers);
        QFETCH(QList<int>, sizes);
        Core::GalaState gala = Gala(SeedingMethod::Circle, 10);
        gala.FirstLane = 0;
        const SeededEvent seeded = SeedPoolEvent(Ranked(swimmers), gala, "1", {});
        QCOMPARE(seeded.HeatCount, int(sizes.size()));
        QList<int> counted(sizes.size(), 0);
        QMap<QString, QPair<int, int>> placed; // name: heat, printed lane
        for (const HeatListRow &row : seeded.Heats) {
            ++counted[row.HeatOf - 1];
            placed[row.Swim.Name] = {row.HeatOf, Core::PrintedLane(gala, row.LaneOf)};
        }
        QCOMPARE(counted, sizes);
        const int last = seeded.HeatCount;
        QCOMPARE(placed["S1"], qMakePair(last, 4));
        QCOMPARE(placed["S2"], qMakePair(last - 1, 4));
        QCOMPARE(placed["S3"], qMakePair(last - 2, 4));
        QCOMPARE(placed["S4"], qMakePair(last, 5));
        QCOMPARE(placed[QStringLiteral("S%1").arg(swimmers)].first, 1);
    }

    // Equal times and no times are put in order by the draw: the same in every entry order and
    // on every run, a different one in another meet.
    void draw_data()
    {
        QTest::addColumn<SeedingMethod>("method");
        QTest::addColumn<QString>("type");
        QTest::addColumn<QString>("time");
        QTest::newRow("standard, equal times") << SeedingMethod::Standard << "Open"
                                               << "35.00";
        QTest::newRow("circle, no times") << SeedingMethod::Circle << "Open"
                                          << "9:99.99";
        QTest::newRow("masters, empty times") << SeedingMethod::Standard << "Masters"
                                              << "";
        QTest::newRow("champs heats, equal times") << SeedingMethod::Circle << "Champs"
                                                   << "35.00";
    }

    void draw()
    {
        QFETCH(SeedingMethod, method);
        QFETCH(QString, type);
        QFETCH(QString, time);
        Core::GalaState gala = Gala(method, 6, type);
        if (type == "Champs")
            gala.SessionTitle = "HEATS";
        Roster forward;
        for (int k = 1; k <= 8; ++k)
            forward.append(Entrant(k, QStringLiteral("E%1").arg(k), time, {},
                                   QStringLiteral("0%1/01/1%1").arg(k)));
        forward.append(Entrant(20, "Fast", "30.00"));
        Roster backward = forward;
        std::reverse(backward.begin(), backward.end());
        const QStringList order = Names(SeedPoolEvent(forward, gala, "1", {}).List);
        QCOMPARE(Names(SeedPoolEvent(backward, gala, "1", {}).List), order);
        QCOMPARE(order.last(), QString("Fast"));
        // Neither the entrant numbers nor the dates of birth decide.
        QStringList byNumber = order.mid(0, 8);
        std::sort(byNumber.begin(), byNumber.end());
        QVERIFY(order.mid(0, 8) != byNumber);
        std::reverse(byNumber.begin(), byNumber.end());
        QVERIFY(order.mid(0, 8) != byNumber);
        // Another meet draws again; the meet's name stands in for a missing meet code.
        gala.MeetCode = "AUTUMN27";
        const QStringList autumn = Names(SeedPoolEvent(forward, gala, "1", {}).List);
        QVERIFY(autumn != order);
        gala.MeetCode.clear();
        gala.GalaName = "AUTUMN27";
        QCOMPARE(Names(SeedPoolEvent(backward, gala, "1", {}).List), autumn);
    }

    // The key is part of every meet's heat sheets: a new version must draw the same.
    void drawKeyIsFixed()
    {
        QCOMPARE(SeedDrawKey("SPRING27", "1", 5), Q_UINT64_C(7197724773892092288));
        QVERIFY(SeedDrawKey("SPRING27", "1", 5) != SeedDrawKey("SPRING27", "1", 6));
        QVERIFY(SeedDrawKey("SPRING27", "1", 5) != SeedDrawKey("SPRING27", "2", 5));
        // The separator keeps "1" + "15" apart from "11" + "5".
        QVERIFY(SeedDrawKey("A", "1", 15) != SeedDrawKey("A", "11", 5));
    }

    // Heats are made for pools of 4 to 10 lanes, whatever the method.
    void poolWidths_data()
    {
        QTest::addColumn<int>("lanes");
        QTest::addColumn<QString>("message");
        QTest::newRow("3") << 3 << "Heats need a pool of 4 to 10 lanes; this meet has 3";
        QTest::newRow("4") << 4 << "";
        QTest::newRow("10") << 10 << "";
        QTest::newRow("11") << 11 << "Heats need a pool of 4 to 10 lanes; this meet has 11";
    }

    void poolWidths()
    {
        QFETCH(int, lanes);
        QFETCH(QString, message);
        MeetDb::Session session;
        session.Gala = Gala(SeedingMethod::Circle, lanes);
        session.Gala.Events[0].EvSelected = true;
        ScriptedPrompts prompts;
        QList<SeededEvent> seeded;
        QCOMPARE(MakeHeats(session, Ranked(lanes * 3), {}, prompts, seeded), message.isEmpty());
        QCOMPARE(prompts.Messages, message.isEmpty() ? QStringList() : QStringList{message});
        if (message.isEmpty())
            QCOMPARE(seeded.first().HeatCount, 3);
    }
};

QTEST_GUILESS_MAIN(TestSeedingMethods)
#include "tst_seedingmethods.moc"
