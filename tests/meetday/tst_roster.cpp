#include <QElapsedTimer>
#include <QFile>
#include <QTest>

#include "core/galastate.h"
#include "meetday/mastersconfirmform.h"
#include "meetday/roster.h"
#include "meetdb/database.h"
#include "support/dbrows.h"
#include "support/entryfixture.h"

using namespace MeetDay;

namespace {

const QStringList Events{"1|F|OPEN|50|FS", "2|F|OPEN|100|BK", "3|M|OPEN|200|MED",
                         "12|F|OPEN|100|FS"};
const QString EntrantFields = "Meet code|Entrant Number|Swimmer Name|club|age|Sex|Regno";
const QString SwimFields =
    "Meet code|Entrant Number|Event number|Entry Time|Confirmed|Combined With|Meet Specific";
const QStringList SwimColumns{"Entrant Number", "Event number", "Entry Time", "Confirmed",
                              "Meet Specific"};

// A roster as "number name club age sex regno: event time confirmed rank specific; ..." lines,
// one per entrant, for comparing whole rosters in one line each.
QStringList Describe(const Roster &roster)
{
    QStringList lines;
    for (const RosterEntrant &e : roster) {
        QStringList swims;
        for (const RosterSwim &s : e.Swims)
            swims << QStringLiteral("%1 %2 %3 %4 %5")
                         .arg(s.EventNumber, s.EntryTime, s.Confirmed ? "Y" : "N")
                         .arg(s.FinalRank)
                         .arg(s.MeetSpecific);
        lines << QStringLiteral("%1 %2|%3|%4|%5|%6: %7")
                     .arg(e.EntrantNumber)
                     .arg(e.Name, e.Club, e.Age, e.Sex, e.RegNo, swims.join("; "));
    }
    return lines;
}

// An open meet in the meet database with two entrants: Ann (1) in events 12, 1 and 99 (not in
// the event list), Bob (2) in event 3, entered in an order that mixes the two.
struct DbMeet : EntryGala
{
    DbMeet()
        : EntryGala("Open", Events)
    {
        UseMeetDb();
        InsertRows(session.MeetDb, "Entrant Table", EntrantFields,
                   {"M1|1|Ann Lee|ASHB|01/02/10|F|R1", "M1|2|Bob Ray|VMSC|03/04/09|M|R2"});
        InsertRows(session.MeetDb, "Swim Table", SwimFields,
                   {"M1|1|12|1:05.00|0|12|", "M1|2|3|2:30.00|1|3|(Res)", "M1|1|1|35.10|1|1|TT",
                    "M1|1|99|9:99.99|0||"});
    }

    Roster Load(LoadResult expected = LoadResult::Loaded)
    {
        Roster roster;
        const LoadResult result = LoadRoster(session, prompts, roster);
        [&] { QCOMPARE(int(result), int(expected)); }();
        return roster;
    }

    QStringList Swims() { return TableRows(session.MeetDb, "Swim Table", SwimColumns); }
};

const QByteArray IntentVb = "1,\"Ann Lee\",\"ASHB\",\"01/02/10\",\"F\"\r\n2\r\n"
                            "\"12\",\"1:05.00\",#FALSE#\r\n\"1\",\"NT\",#TRUE#\r\n"
                            "2,\"Bob Ray\",\"VMSC\"\r\n\"R72\",\"M\"\r\n1\r\n"
                            "\"3\",\"9:99.99\",#FALSE#\r\n";

} // namespace

class TestRoster : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    // Loading from the meet database, with nothing to load, and from a broken one.
    void loadDatabase()
    {
        DbMeet meet;
        const Roster roster = meet.Load();
        QCOMPARE(Describe(roster),
                 (QStringList{"1 Ann Lee|ASHB|01/02/10|F|R1: 1 35.10 Y 0 TT; 12 1:05.00 N 0 ; "
                              "99 9:99.99 N 0 ",
                              "2 Bob Ray|VMSC|03/04/09|M|R2: 3 2:30.00 Y 0 (Res)"}));
        QCOMPARE(roster.at(0).Swims.at(2).CombinedWith, QString());
        QCOMPARE(roster.at(1).Swims.at(0).CombinedWith, QString("3"));

        // A database before version 1.0 has no registration numbers to read.
        meet.session.Gala.DbVersion = 0.9f;
        QCOMPARE(meet.Load().at(0).RegNo, QString());

        meet.session.Gala.MeetCode = "NONE";
        QVERIFY(meet.Load(LoadResult::Empty).isEmpty());
        QCOMPARE(meet.prompts.Messages, QStringList{NoSwimsMessage});

        meet.session.MeetDb.Exec("DROP TABLE \"Swim Table\"");
        meet.prompts.Messages.clear();
        QVERIFY(meet.Load(LoadResult::Failed).isEmpty());
        QCOMPARE(meet.prompts.Messages.size(), 1);
        QVERIFY2(meet.prompts.Messages.at(0).contains("Meet Swim Record"),
                 qPrintable(meet.prompts.Messages.at(0)));
    }

    // Save all: stored swims matched by event and updated, swims removed on the day deleted,
    // swims added inserted, an entrant left with no swims removed with them.
    void saveDatabase()
    {
        DbMeet meet;
        Roster roster = meet.Load();
        RosterEntrant &ann = roster[0];
        ann.Name = "Ann Lee-Hart";
        ann.RegNo = "R9";
        ann.Swims[0].Confirmed = false;
        ann.Swims[1].EntryTime = "1:04.50";
        ann.Swims.removeAt(2);                                // event 99 withdrawn
        ann.Swims.append({"2", "1:20.00", true, 0, {}, "X"}); // added on the day
        roster[1].Swims.clear();                              // Bob scratched altogether
        QVERIFY(SaveRoster(meet.session, roster, meet.prompts));
        QCOMPARE(meet.prompts.Messages, QStringList{});

        QCOMPARE(TableRows(meet.session.MeetDb, "Entrant Table",
                           {"Entrant Number", "Swimmer Name", "Regno"}),
                 QStringList{"1|Ann Lee-Hart|R9"});
        QCOMPARE(meet.Swims(),
                 (QStringList{"1|12|1:04.50|0|", "1|1|35.10|0|TT", "1|2|1:20.00|1|X"}));
        QCOMPARE(TableRows(meet.session.MeetDb, "Swim Table",
                           {"Event Sequence", "Combined With", "Time", "Position"})
                     .last(),
                 QString("2|2|1:20.00|0"));
        // Saving again what was saved changes nothing.
        const Roster again = meet.Load();
        QVERIFY(SaveRoster(meet.session, again, meet.prompts));
        QCOMPARE(Describe(meet.Load()), Describe(again));
    }

    void saveDatabaseMissingEntrantAndFailure()
    {
        DbMeet meet;
        Roster roster = meet.Load();
        meet.session.MeetDb.Exec("DELETE FROM \"Entrant Table\" WHERE \"Entrant Number\" = 2");
        roster[1].Swims[0].EntryTime = "2:29.00";
        QVERIFY(SaveRoster(meet.session, roster, meet.prompts));
        QCOMPARE(meet.prompts.Messages, QStringList{NoEntrantMessage});
        QVERIFY(meet.Swims().contains("2|3|2:29.00|1|(Res)"));

        // A failure part-way (the database refuses the second entrant's swim: its index entry
        // cannot be computed) writes nothing.
        meet.prompts.Messages.clear();
        const QStringList before = meet.Swims();
        meet.session.MeetDb.Exec(
            R"(CREATE INDEX "Refuse 2" ON "Swim Table" (abs(CASE WHEN "Entrant Number" = 2 AND )"
            R"("Entry Time" = '2:00.00' THEN -9223372036854775807 - 1 ELSE 0 END)))");
        roster[0].Swims[0].EntryTime = "1:00.00";
        roster[1].Swims[0].EntryTime = "2:00.00";
        QVERIFY(!SaveRoster(meet.session, roster, meet.prompts));
        QCOMPARE(meet.Swims(), before);
        QCOMPARE(meet.prompts.Messages.size(), 1);
        QVERIFY(meet.prompts.Messages.at(0).contains("integer overflow"));
        QVERIFY(meet.prompts.Messages.at(0).endsWith("Nothing was saved."));
        QCOMPARE(meet.session.MeetDb.TransactionDepth(), 0);
    }

    void filesFor_data()
    {
        QTest::addColumn<QString>("type");
        QTest::addColumn<bool>("oneCard");
        QTest::addColumn<QString>("session");
        QTest::addColumn<QString>("expected"); // load save backup, ranks read and written

        // clang-format off
        QTest::newRow("open") << "Open" << false << "" << "intent.vb intent.vb intent.BAK NN";
        QTest::newRow("masters") << "Masters" << false << "FINALS" << "intent.vb intent.vb intent.BAK NN";
        QTest::newRow("champs one card heats") << "Champs" << true << "HEATS" << "intent.vb intent.vb intent.BAK NN";
        QTest::newRow("champs one card finals") << "Champs" << true << "FINALS" << "intent.vb finals.cds finals.bak NY";
        // After its heats the one-card meet reads back what its day saved to finals.cds.
        QTest::newRow("champs one card, finals saved") << "Champs" << true << "" << "finals.cds finals.cds finals.bak NN";
        QTest::newRow("champs finals") << "Champs" << false << "FINALS" << "finals.cds finals.cds finals.bak YY";
        QTest::newRow("champs heats without one card") << "Champs" << false << "HEATS" << "finals.cds finals.cds finals.bak NN";
        QTest::newRow("internal") << "Internal" << false << "" << "finals.cds finals.cds finals.bak NN";
        // clang-format on
    }

    void filesFor()
    {
        QFETCH(QString, type);
        QFETCH(bool, oneCard);
        QFETCH(QString, session);
        QFETCH(QString, expected);
        Core::GalaState gala;
        gala.GalaType = type;
        gala.OneCard = oneCard;
        gala.SessionTitle = session;
        TestDir dir;
        if (QTest::currentDataTag() == QLatin1String("champs one card, finals saved"))
            dir.Write("finals.cds", "");
        const RosterFiles files = RosterFilesFor(gala, dir.Path());
        auto name = [](const QString &path) { return path.section(u'/', -1); };
        const QString ranks =
            QString(files.LoadFinalRank ? "Y" : "N") + QString(files.SaveFinalRank ? "Y" : "N");
        QCOMPARE(
            QStringList({name(files.Load), name(files.Save), name(files.Backup), ranks}).join(u' '),
            expected);
    }

    // Load and save through intent.vb: the day's layout byte for byte, one backup of the file
    // before the last save.
    void saveFile()
    {
        EntryGala meet("Open", Events); // without the meet database
        meet.dir.Write("intent.vb", IntentVb);
        Roster roster;
        QCOMPARE(int(LoadRoster(meet.session, meet.prompts, roster)), int(LoadResult::Loaded));
        QCOMPARE(Describe(roster),
                 (QStringList{"1 Ann Lee|ASHB|01/02/10|F|: 12 1:05.00 N 0 ; 1 NT Y 0 ",
                              "2 Bob Ray|VMSC|R72|M|: 3 9:99.99 N 0 "}));
        roster[0].Swims[0].Confirmed = true;
        roster.append(RosterEntrant{7, "Nobody", "X", "", "F", "", {}}); // no swims: not written
        QVERIFY(SaveRoster(meet.session, roster, meet.prompts));
        const QByteArray saved = "1,\"Ann Lee\",\"ASHB\",\"01/02/10\",\"F\"\r\n2\r\n"
                                 "\"12\"\r\n\"1:05.00\"\r\n-1\r\n\"1\"\r\n\"NT\"\r\n-1\r\n"
                                 "2,\"Bob Ray\",\"VMSC\",\"R72\",\"M\"\r\n1\r\n"
                                 "\"3\"\r\n\"9:99.99\"\r\n0\r\n";
        QCOMPARE(meet.File("intent.vb"), saved);
        QCOMPARE(meet.File("intent.BAK"), IntentVb);

        roster[1].Swims[0].EntryTime = "2:00.00";
        QVERIFY(SaveRoster(meet.session, roster, meet.prompts));
        QCOMPARE(meet.File("intent.BAK"), saved);
        QVERIFY(!QFile::exists(meet.dir.FilePath("intent.vb.new")));
        QCOMPARE(meet.prompts.Messages, QStringList{});

        // A text the file cannot hold stops the save before any file is touched.
        roster[0].Name = "Ann \"Speedy\" Lee";
        const QByteArray before = meet.File("intent.vb");
        QVERIFY(!SaveRoster(meet.session, roster, meet.prompts));
        QCOMPARE(meet.File("intent.vb"), before);
        QCOMPARE(meet.prompts.Messages.size(), 1);
        QVERIFY(meet.prompts.Messages.at(0).contains("intent.vb"));
    }

    void loadFileRefusals_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<int>("result");
        QTest::addColumn<QString>("message"); // a part of the message

        QTest::newRow("missing") << QByteArray() << int(LoadResult::Empty) << NoSwimsMessage;
        QTest::newRow("empty") << QByteArray("") << int(LoadResult::Empty) << NoSwimsMessage;
        QTest::newRow("truncated")
            << IntentVb.left(IntentVb.size() - 12) << int(LoadResult::Failed) << "intent.vb";
        QTest::newRow("huge count") << QByteArray("1,\"A\",\"B\",\"C\",\"F\"\r\n99999999\r\n")
                                    << int(LoadResult::Failed) << "intent.vb";
    }

    void loadFileRefusals()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(int, result);
        QFETCH(QString, message);
        EntryGala meet("Open", Events); // without the meet database
        if (!bytes.isNull())
            meet.dir.Write("intent.vb", bytes);
        Roster roster;
        QCOMPARE(int(LoadRoster(meet.session, meet.prompts, roster)), result);
        QVERIFY(roster.isEmpty());
        QCOMPARE(meet.prompts.Messages.size(), 1);
        QVERIFY2(meet.prompts.Messages.at(0).contains(message),
                 qPrintable(meet.prompts.Messages.at(0)));
    }

    // The confirmation commands reach only swims of the meet's events; counts and logs.
    void confirmationsCountsAndLogs()
    {
        DbMeet meet;
        Roster roster = meet.Load();
        QCOMPARE(SetAllConfirmed(roster, meet.session.Gala, true), 3);
        QCOMPARE(roster.at(0).Swims.at(2).Confirmed, false); // event 99
        QCOMPARE(SetAllConfirmed(roster, meet.session.Gala, false), 3);
        QCOMPARE(roster.at(1).Swims.at(0).Confirmed, false);
        roster[0].Swims[2].Confirmed = true;
        QCOMPARE(SetAllConfirmed(roster, meet.session.Gala, false), 3);
        QCOMPARE(roster.at(0).Swims.at(2).Confirmed, true);

        QCOMPARE(ConfirmEntrant(roster[0]), 3);
        QCOMPARE(ClearReserves(roster), 1);
        QCOMPARE(roster.at(1).Swims.at(0).MeetSpecific, QString());
        QCOMPARE(roster.at(0).Swims.at(0).MeetSpecific, QString("TT"));

        // Counts and logs, of the roster as loaded.
        roster = meet.Load();
        roster[1].Swims[0].FinalRank = 6; // above the 5 lanes: a reserve
        roster.append(
            RosterEntrant{5, "Cy Orr", "VMSC", "", "M", "", {{"98", "1:00.00", false, 0, {}, {}}}});

        QCOMPARE(EntrySummaryText(roster, meet.session.Gala),
                 QString("Total Entries :  3 | Confirmed :  2"));
        QCOMPARE(EntrySummaryText({}, meet.session.Gala),
                 QString("Total Entries :  0 | Confirmed :  0"));

        QStringList stats;
        for (const Reports::EventStatistic &s : EventStatistics(roster, meet.session.Gala))
            stats << QStringLiteral("%1:%2/%3 %4")
                         .arg(s.EvNumber)
                         .arg(s.Confirmed)
                         .arg(s.Entries)
                         .arg(s.Unconfirmed.join(u','));
        QCOMPARE(stats, (QStringList{"1:1/1 ", "2:0/0 ", "3:1/1 ", "12:0/1 Ann Lee"}));

        QCOMPARE(CheckinLogBytes(roster, meet.session.Gala),
                 QByteArray("1,Ann Lee,F,1,12,\r\n2,Bob Ray,M,3(R),\r\n"));
        QCOMPARE(EventDescription(meet.session.Gala, "3"), QString("200m Individual Medley"));
    }

    // No fixed capacity: 3,000 entrants with 9,000 swims load, and save back in one go.
    void largeRoster()
    {
        DbMeet meet;
        meet.session.MeetDb.Exec("DELETE FROM \"Swim Table\"");
        meet.session.MeetDb.Exec("DELETE FROM \"Entrant Table\"");
        {
            MeetDb::Transaction t(meet.session.MeetDb);
            QStringList entrants, swims;
            for (int n = 1; n <= 3000; ++n) {
                entrants << QStringLiteral("M1|%1|Swimmer %1|ASHB|01/02/10|F|R%1").arg(n);
                for (const char *event : {"12", "1", "2"})
                    swims << QStringLiteral("M1|%1|%2|1:00.00|0|%2|").arg(n).arg(event);
            }
            InsertRows(meet.session.MeetDb, "Entrant Table", EntrantFields, entrants);
            InsertRows(meet.session.MeetDb, "Swim Table", SwimFields, swims);
            t.Commit();
        }
        Roster roster = meet.Load();
        QCOMPARE(roster.size(), 3000);
        QCOMPARE(roster.last().SwimCount(), 3);
        QCOMPARE(roster.last().Name, QString("Swimmer 3000"));
        MastersConfirmForm form(meet.session, meet.prompts);
        form.Open();
        QVERIFY(form.ShowEntrant(2999));
        QCOMPARE(form.FName, QString("Swimmer 2999"));
        QCOMPARE(form.Rows[1].EvNo, QString("2"));
        SetAllConfirmed(roster, meet.session.Gala, true);
        roster[2999].Swims[1].EntryTime = "59.99";
        QVERIFY(SaveRoster(meet.session, roster, meet.prompts));
        const Roster back = meet.Load();
        QCOMPARE(Describe(back), Describe(roster));
    }
};

QTEST_GUILESS_MAIN(TestRoster)
#include "tst_roster.moc"
