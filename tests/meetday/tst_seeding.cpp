#include <QTest>

#include "core/galastate.h"
#include "meetday/seeding.h"

using namespace MeetDay;

namespace {

// A swimmer written "name time [age] [meet-specific] [rank]" with "-" for an empty field, e.g.
// "Ann 35.10 01/02/10 TT". One entrant per swimmer, numbered in order from 1.
Roster MakeRoster(const QString &event, const QStringList &swimmers, bool confirmed = true)
{
    Roster roster;
    for (const QString &text : swimmers) {
        QStringList words = text.split(u' ');
        while (words.size() < 5)
            words << QString();
        for (QString &word : words) {
            if (word == QLatin1String("-"))
                word.clear();
        }
        RosterEntrant entrant;
        entrant.EntrantNumber = int(roster.size()) + 1;
        entrant.Name = words.at(0);
        entrant.Club = QStringLiteral("VMSC");
        entrant.Age = words.at(2);
        entrant.Swims.append({event, words.at(1), confirmed, words.at(4).toInt(), {}, words.at(3)});
        roster.append(entrant);
    }
    return roster;
}

Core::GalaState Gala(const QString &type, int lanes, const QStringList &events = {"1"})
{
    Core::GalaState gala;
    gala.GalaType = type;
    gala.Lanes = lanes;
    gala.SessionTitle = QStringLiteral("HEATS & FINALS");
    for (const QString &number : events) {
        Core::GalaEvent event;
        event.EvNumber = number;
        event.EvPrintNumber = number;
        gala.Events.append(event);
    }
    return gala;
}

QStringList Names(const EventList &list)
{
    QStringList names;
    for (const EventListRow &row : list)
        names << row.Name;
    return names;
}

// "-1--" for lanes 1 to 4: the position within the heat in each lane, "-" for none.
QString Lanes(const std::array<int, MaxPoolLanes> &slot, int lanes)
{
    QString text;
    for (int k = 0; k < lanes; ++k)
        text += slot[size_t(k)] ? QString::number(slot[size_t(k)]) : QStringLiteral("-");
    return text;
}

// The heats of a seeded event, heat 1 first: "name@lane name@lane|name@lane ...", lanes in
// order.
QString Heats(const SeededEvent &seeded)
{
    QStringList heats;
    for (int h = 1; h <= seeded.HeatCount; ++h) {
        QList<const HeatListRow *> rows;
        for (const HeatListRow &row : seeded.Heats) {
            if (row.HeatOf == h)
                rows << &row;
        }
        std::sort(rows.begin(), rows.end(),
                  [](const HeatListRow *a, const HeatListRow *b) { return a->LaneOf < b->LaneOf; });
        QStringList lanes;
        for (const HeatListRow *row : rows)
            lanes << row->Swim.Name + u'@' + QString::number(row->LaneOf);
        heats << lanes.join(u' ');
    }
    return heats.join(u'|');
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

} // namespace

class TestSeeding : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void seedOrder_data()
    {
        QTest::addColumn<QString>("type");
        QTest::addColumn<QString>("session");
        QTest::addColumn<QStringList>("swimmers");
        QTest::addColumn<QStringList>("seeded");
        QTest::addColumn<int>("maxEntries"); // the event's entry limit, 0 for none
        QTest::addColumn<bool>("programCreation");

        const QString open = "Open";
        const QString both = "HEATS & FINALS";
        // clang-format off
        QTest::newRow("equal times are not stable") << open << both
            << QStringList{"A 5.00", "C 5.00", "B 7.00"} << QStringList{"B", "C", "A"} << 0 << false;
        QTest::newRow("slowest first, fastest last") << open << both
            << QStringList{"A 30.00", "B 1:02.00", "C 45.50"} << QStringList{"B", "C", "A"} << 0 << false;
        QTest::newRow("time trial and reserve before every timed swimmer") << open << both
            << QStringList{"A 30.00", "T 25.00 - TT", "R 40.00 - (Res)", "B 35.00"}
            << QStringList{"R", "T", "B", "A"} << 0 << false;
        QTest::newRow("no time before timed, youngest first") << open << both
            << QStringList{"A 30.00 01/01/15", "O 9:99.99 01/01/14", "Y 9:99.99 01/06/16",
                           "B 35.00 01/01/15"}
            << QStringList{"Y", "O", "B", "A"} << 0 << false;
        QTest::newRow("empty and zero times count as none") << open << both
            << QStringList{"A 30.00", "E -", "Z 0.00"} << QStringList{"E", "Z", "A"} << 0 << false;
        QTest::newRow("short age text keeps its place") << open << both
            << QStringList{"O 9:99.99 12", "Y 9:99.99 01/06/16"} << QStringList{"O", "Y"} << 0 << false;
        QTest::newRow("masters without time by age group") << "Masters" << both
            << QStringList{"C 9:99.99 C", "A 9:99.99 A", "T 40.00 B", "B 9:99.99 B"}
            << QStringList{"A", "B", "C", "T"} << 0 << false;
        QTest::newRow("champs heats: no special rows, empty time is none") << "Champs" << "HEATS"
            << QStringList{"T 25.00 01/01/15 TT", "A 30.00 01/01/15", "E - 01/01/15"}
            << QStringList{"E", "A", "T"} << 0 << false;
        QTest::newRow("champs finals by final rank") << "Champs" << "FINALS"
            << QStringList{"C 30.00 - - 3", "A 35.00 - - 1", "B 25.00 - - 2"}
            << QStringList{"A", "B", "C"} << 0 << false;
        const QStringList four{"A 4", "B 3", "C 2", "D 1"}, all{"A", "B", "C", "D"};
        QTest::newRow("the fastest two") << open << both << four << QStringList{"C", "D"} << 2 << false;
        QTest::newRow("no limit in programme creation") << open << both << four << all << 2 << true;
        QTest::newRow("limit above count") << open << both << four << all << 5 << false;
        // clang-format on
    }

    void seedOrder()
    {
        QFETCH(QString, type);
        QFETCH(QString, session);
        QFETCH(QStringList, swimmers);
        QFETCH(QStringList, seeded);
        QFETCH(int, maxEntries);
        QFETCH(bool, programCreation);
        Core::GalaState gala = Gala(type, 6);
        gala.SessionTitle = session;
        EventList list;
        BuildEventList(list, MakeRoster("1", swimmers), "1", false);
        SeedEventList(list, gala);
        ApplyEntryLimit(list, maxEntries, programCreation);
        QCOMPARE(Names(list), seeded);
    }

    void eventList()
    {
        Roster roster = MakeRoster("1", {"A 30.00", "B 31.00"});
        roster[0].Swims.append({"2", "40.00", false, 0, {}, {}});
        roster[1].Swims[0].Confirmed = false;
        EventList list;
        BuildEventList(list, roster, "1", true);
        QCOMPARE(Names(list), QStringList{"A"});
        BuildEventList(list, roster, "1", false);
        BuildEventList(list, roster, "2", false);
        QCOMPARE(Names(list), (QStringList{"A", "A", "B", "A"}));
        QCOMPARE(list.last().Event, QString("2"));
    }

    void heatSizes_data()
    {
        QTest::addColumn<int>("lanes");
        QTest::addColumn<int>("swimmers");
        QTest::addColumn<bool>("single");
        QTest::addColumn<QString>("sizes"); // "" to check only the rules every allocation keeps

        // clang-format off
        QTest::newRow("23 in 6 lanes") << 6 << 23 << false << "5 6 6 6";
        QTest::newRow("11 in 5 lanes") << 5 << 11 << false << "3 3 5";
        QTest::newRow("10 in 5 lanes") << 5 << 10 << false << "5 5";
        QTest::newRow("5 in 5 lanes, ordinary") << 5 << 5 << false << "none";
        QTest::newRow("5 in 5 lanes, swum") << 5 << 5 << true << "5";
        QTest::newRow("nobody") << 5 << 0 << true << "none";
        QTest::newRow("40 full heats") << 4 << 160 << false << QString("4 ").repeated(40).trimmed();
        QTest::newRow("more than 40 heats") << 4 << 161 << false << "none";
        // clang-format on
        for (int lanes = MinPoolLanes; lanes <= MaxPoolLanes; ++lanes) {
            for (int n = 0; n <= 3 * lanes + 1; ++n) {
                QTest::addRow("%d lanes, %d swimmers", lanes, n)
                    << lanes << n << (n % 2 == 0) << QString();
            }
        }
    }

    void heatSizes()
    {
        QFETCH(int, lanes);
        QFETCH(int, swimmers);
        QFETCH(bool, single);
        QFETCH(QString, sizes);
        const QList<int> heats = HeatSizes(swimmers, lanes, single);
        if (!sizes.isEmpty()) {
            QStringList shown;
            for (int size : heats)
                shown << QString::number(size);
            QCOMPARE(shown.isEmpty() ? QString("none") : shown.join(u' '), sizes);
            return;
        }
        // Every swimmer swims once; heats beyond the second are full; the first two share the
        // rest, the first never larger; one heat only when the event is swum as one.
        int total = 0;
        for (int size : heats) {
            QVERIFY(size >= 1 && size <= lanes);
            total += size;
        }
        if (swimmers <= lanes) {
            QCOMPARE(heats.size(), single && swimmers > 0 ? 1 : 0);
            QCOMPARE(total, single ? swimmers : 0);
            return;
        }
        QCOMPARE(total, swimmers);
        QCOMPARE(heats.size(), (swimmers + lanes - 1) / lanes);
        QVERIFY(heats.at(0) <= heats.at(1) && heats.at(1) - heats.at(0) <= 1);
        for (qsizetype h = 2; h < heats.size(); ++h)
            QCOMPARE(heats.at(h), lanes);
    }

    void placeLanes_data()
    {
        QTest::addColumn<bool>("fast");
        QTest::addColumn<bool>("final");
        QTest::addColumn<QString>("lanes"); // position in the heat (1 = slowest) per lane

        // clang-format off
        const QStringList ordinary{
            "-1--", "-12-", "123-", "1234",
            "--1--", "--12-", "-123-", "-1234", "12345",
            "--1---", "--12--", "-123--", "-1234-", "12345-", "123456",
            "---1---", "---12--", "--123--", "--1234-", "--12345", "-123456", "1234567",
            "---1----", "---12---", "--123---", "--1234--", "--12345-", "-123456-", "1234567-",
            "12345678"};
        const QStringList spearhead{
            "-1--", "-21-", "132-", "2431",
            "--1--", "--21-", "-132-", "-2431", "13542",
            "--1---", "--21--", "-132--", "-2431-", "13542-", "246531",
            "---1---", "---21--", "--132--", "--2431-", "-13542-", "-246531", "1357642",
            "---1----", "---21---", "--132---", "--2431--", "-13542--", "-246531-", "1357642-",
            "24687531"};
        // clang-format on
        for (const QString &row : ordinary)
            QTest::addRow("ordinary %s", qPrintable(row)) << false << false << row;
        for (const QString &row : spearhead)
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
        QCOMPARE(Lanes(slot, int(lanes.size())), lanes);
    }

    void poolEvent_data()
    {
        QTest::addColumn<QString>("type");
        QTest::addColumn<int>("lanes");
        // "Hdw", "AllHeats", "FINAL", "SwimHeats", "FINALS" (the session) or ""
        QTest::addColumn<QString>("setting");
        QTest::addColumn<QStringList>("swimmers");
        QTest::addColumn<QString>("heats");
        QTest::addColumn<QStringList>("messages");

        // clang-format off
        QTest::newRow("11 in 5 lanes") << "Open" << 5 << ""
            << Field("S", 11, 100)
            << "S1@2 S2@3 S3@4|S4@2 S5@3 S6@4|S7@1 S9@2 S11@3 S10@4 S8@5" << QStringList{};
        QTest::newRow("6 in 6 lanes: no heat") << "Open" << 6 << "" << Field("S", 6, 100)
            << "" << QStringList{};
        QTest::newRow("6 in 6 lanes, all heats") << "Open" << 6 << "AllHeats"
            << Field("S", 6, 100) << "S2@1 S4@2 S6@3 S5@4 S3@5 S1@6" << QStringList{};
        QTest::newRow("6 in 6 lanes, heats to swim") << "Open" << 6 << "SwimHeats"
            << Field("S", 6, 100) << "S2@1 S4@2 S6@3 S5@4 S3@5 S1@6" << QStringList{};
        QTest::newRow("3 in a final") << "Open" << 6 << "FINAL"
            << Field("S", 3, 100) << "S3@2 S1@3 S2@4" << QStringList{};
        QTest::newRow("time trial swims first") << "Open" << 4 << ""
            << (QStringList{"T 20.00 - TT"} + Field("S", 5, 100))
            << "T@1 S1@2 S2@3|S3@1 S5@2 S4@3" << QStringList{};
        // Seeding groups A, C, B: the fast heats of A last, then of B; C has only 4 swimmers.
        QTest::newRow("masters seeding groups") << "Masters" << 5 << "Hdw"
            << Field("A", 6, 100, "A") + Field("B", 5, 50, "B") + Field("C", 4, 200, "C")
            << "C1@1 C2@2 C3@3 C4@4 A1@5|B1@1 B3@2 B5@3 B4@4 B2@5|A2@1 A4@2 A6@3 A5@4 A3@5"
            << QStringList{"Less than 5 swimmers in age group C"};
        QTest::newRow("champs finals write no seeds") << "Champs" << 6 << "FINALS"
            << QStringList{"B 30.00 - - 2", "A 31.00 - - 1"} << "" << QStringList{};
        QTest::newRow("too many swims") << "Open" << 6 << "" << Field("S", MaxEventList + 1, 2000)
            << "" << QStringList{"Event 1 has 1001 swims"};
        // clang-format on
    }

    void poolEvent()
    {
        QFETCH(QString, type);
        QFETCH(int, lanes);
        QFETCH(QString, setting);
        QFETCH(QStringList, swimmers);
        QFETCH(QString, heats);
        QFETCH(QStringList, messages);
        Core::GalaState gala = Gala(type, lanes);
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
        QCOMPARE(seeded.Messages.size(), messages.size());
        for (qsizetype m = 0; m < messages.size(); ++m)
            QVERIFY2(seeded.Messages.at(m).startsWith(messages.at(m)),
                     qPrintable(seeded.Messages.at(m)));
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
        Roster roster = MakeRoster("5", Field("G", 8, 80));
        const Roster boys = MakeRoster("7", Field("B", 4, 90));
        for (RosterEntrant entrant : boys) {
            entrant.EntrantNumber += 10;
            roster.append(entrant);
        }
        QCOMPARE(CombinedLeadOf(gala, "7"), QString("5"));
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
};

QTEST_GUILESS_MAIN(TestSeeding)
#include "tst_seeding.moc"
