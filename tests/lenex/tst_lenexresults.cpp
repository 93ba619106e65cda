#include <QDir>
#include <QTest>

#include "core/galastate.h"
#include "lenex/lenexresults.h"
#include "meetday/heats.h"
#include "meetday/roster.h"
#include "meetdb/database.h"
#include "support/dbrows.h"
#include "support/entryfixture.h"

using namespace Lenex;

namespace {

const QStringList ResultColumns{"Entrant Number", "Event number", "Time", "Position", "DQ",
                                "DQ Reason",      "DNS"};
const QStringList FinalColumns{"Entrant Number", "Event number", "Seed Order", "Heat No",
                               "Lane No",        "Time",         "Position"};

// A "Champs" meet in the meet database: events 1 (50 free) and 2 (100 back), entrants 1 to 8
// in event 1 and Ann (1) in event 2 as well. Gil (7) has a rank from an earlier import.
struct ResultsMeetFixture : EntryGala
{
    ResultsMeetFixture()
        : EntryGala("Champs", {"1|F|OPEN|50|FS", "2|F|OPEN|100|BK"})
    {
        session.Gala.Lanes = 4;
        session.Gala.WorkDir = dir.Path();
        UseMeetDb();
        InsertRows(session.MeetDb, "Entrant Table",
                   "Meet code|Entrant Number|Swimmer Name|club|age|Sex|Regno",
                   {"M1|1|Ann Lee|VMSC|05/03/10|F|111", "M1|2|Bea Cole|VMSC|01/01/10|F|",
                    "M1|3|Cat Dunn|ASHB|02/02/11|F|", "M1|4|Dee Fox|ASHB|03/03/11|F|",
                    "M1|5|Eve Gray|VMSC|04/04/10|F|", "M1|6|Fay Hill|ASHB|05/05/10|F|",
                    "M1|7|Gil Ives|VMSC|06/06/10|F|", "M1|8|Hal Jay|VMSC|07/07/10|F|"});
        QStringList swims{"M1|1|2|1:30.00|1:30.00|0"};
        for (int n = 1; n <= 8; ++n)
            swims << QStringLiteral("M1|%1|1|40.00|40.00|%2").arg(n).arg(n == 7 ? 9 : 0);
        InsertRows(session.MeetDb, "Swim Table",
                   "Meet code|Entrant Number|Event number|Entry Time|Time|Position", swims);
    }

    QStringList Rows(const QStringList &columns)
    {
        return TableRows(session.MeetDb, "Swim Table", columns);
    }
};

Athlete Swimmer(const QString &first, const QString &last, const QString &born,
                const QString &license = {})
{
    Athlete athlete;
    athlete.FirstName = first;
    athlete.LastName = last;
    athlete.Gender = "F";
    athlete.BirthDate = QDate::fromString(born, "dd/MM/yyyy");
    athlete.License = license;
    return athlete;
}

Result Swum(int eventId, const QString &time, const QString &status = {})
{
    Result result;
    result.EventId = eventId;
    result.SwimTime = time;
    result.Status = status;
    return result;
}

// The heat results: Hal the fastest, Ann and Bea tied, Dee disqualified with a time, Eve a
// non-starter, Ann not finishing event 2. Event ids 101 and 102 are the meet's events 1 and 2.
Document HeatResults()
{
    Document document;
    Meet meet;
    Session session;
    for (int number : {1, 2}) {
        Event event;
        event.Id = 100 + number;
        event.Number = number;
        session.Events << event;
    }
    meet.Sessions << session;
    Club marlets{"VMSC", "Velmora Marlets", "GBR", {}, {}};
    Club barracudas{"ASHB", "Ashbury Barracudas", "GBR", {}, {}};
    auto add = [](Club &club, Athlete athlete, const QList<Result> &results) {
        athlete.Results = results;
        club.Athletes << athlete;
    };
    add(marlets, Swimmer("Ann", "Lee", "05/03/2010", "111"),
        {Swum(101, "00:00:35.10"), Swum(102, "NT", "DNF")});
    add(marlets, Swimmer("Bea", "Cole", "01/01/2010"), {Swum(101, "00:00:35.10")});
    add(barracudas, Swimmer("Cat", "Dunn", "02/02/2011"), {Swum(101, "00:00:34.00")});
    add(barracudas, Swimmer("Dee", "Fox", "03/03/2011"), {Swum(101, "00:00:33.00", "DSQ")});
    add(marlets, Swimmer("Eve", "Gray", "04/04/2010"), {Swum(101, "NT", "DNS")});
    add(barracudas, Swimmer("Fay", "Hill", "05/05/2010"), {Swum(101, "00:00:36.00")});
    add(marlets, Swimmer("Hal", "Jay", "07/07/2010"), {Swum(101, "00:00:33.50")});
    meet.Clubs << marlets << barracudas;
    document.Meets << meet;
    return document;
}

Athlete &AthleteNamed(Document &document, const QString &first)
{
    for (Club &club : document.Meets[0].Clubs)
        for (Athlete &athlete : club.Athletes)
            if (athlete.FirstName == first)
                return athlete;
    qFatal("no athlete");
}

} // namespace

class TestLenexResults : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    // Each swim after the import: entrant|event|Time|Position|DQ|DQ Reason|DNS. Ann and Bea tie
    // for third and share it; Fay is fifth. Gil has no result in the file: his earlier rank goes.
    void import_data()
    {
        QTest::addColumn<QString>("swim");
        const QStringList rows{"1|1|35.10|3|0||0", "1|2||0|1|DNF|0",         "2|1|35.10|3|0||0",
                               "3|1|34.00|2|0||0", "4|1|33.00|0|1||0",       "5|1||0|0||1",
                               "6|1|36.00|5|0||0", "7|1|40.00|0|0|<null>|0", "8|1|33.50|1|0||0"};
        for (const QString &row : rows)
            QTest::newRow(qPrintable(row.section(u'|', 0, 1))) << row;
    }
    void import()
    {
        QFETCH(QString, swim);
        ResultsMeetFixture meet;
        QStringList report;
        QVERIFY(ImportResults(meet.session, HeatResults(), report));
        QCOMPARE(report, QStringList{"Imported 8 results in 2 events: 2 disqualified, 1 did not "
                                     "start"});
        const QStringList rows = meet.Rows(ResultColumns);
        QVERIFY2(rows.contains(swim), qPrintable(rows.join(u' ')));
    }

    // Each row changes the heat results; the reason listed, or "" when the file still imports.
    // A refused file writes nothing.
    void refusals_data()
    {
        QTest::addColumn<QString>("change");
        QTest::addColumn<QString>("reason");
        const QString ann = "Ann Lee (VMSC, born 05/03/2010)";
        // clang-format off
        QTest::newRow("unknown entrant") << "zed" << "Zed Zee (VMSC, born 01/01/2010): not an entrant of the meet";
        QTest::newRow("unknown event") << "event 44" << ann + ": event 44 is not an event of the meet";
        QTest::newRow("event id not in the file") << "event id" << ann + ": a result for event id 999, which the file does not define";
        QTest::newRow("not entered in the event") << "bea in 2" << "Bea Cole (VMSC, born 01/01/2010): not entered in event 2 (entrant 2)";
        QTest::newRow("born a day later") << "born" << "Ann Lee (VMSC, born 06/03/2010): not an entrant of the meet";
        QTest::newRow("another club") << "club" << "Ann Lee (ASHB, born 05/03/2010): not an entrant of the meet";
        QTest::newRow("licence differs") << "licence 222" << ann + ": not an entrant of the meet";
        QTest::newRow("no licence") << "licence" << "";
        QTest::newRow("club by its name, name in other case") << "club name" << "";
        QTest::newRow("surname first") << "surname first" << "";
        QTest::newRow("surname, first name") << "surname, first" << "";
        QTest::newRow("two results") << "twice" << ann + ": two results for event 1";
        QTest::newRow("time not a swim time") << "time 00:00:35.1" << ann + ", event 1: swim time \"00:00:35.1\" is not a time";
        QTest::newRow("an hour") << "time 01:00:00.00" << "";
        QTest::newRow("past an hour") << "time 01:00:00.01" << ann + ", event 1: swim time \"01:00:00.01\" is not a time between 0 and an hour";
        QTest::newRow("no time") << "time 00:00:00.00" << ann + ", event 1: swim time \"00:00:00.00\" is not a time between 0 and an hour";
        QTest::newRow("valid without a time") << "time NT" << ann + ", event 1: a valid result without a swim time";
        QTest::newRow("unknown status") << "status RAN" << ann + ", event 1: status \"RAN\" is not a result status";
        QTest::newRow("no results") << "none" << "The file holds no results of swimmers";
        QTest::newRow("no meet") << "no meet" << "The file holds no meet";
        QTest::newRow("two entrants alike") << "twin" << ann + ": matches entrants 1, 9 alike";
        QTest::newRow("relay results left out") << "relay" << "";
        QTest::newRow("100 refused, all listed") << "strangers 100" << "Zed 100 Zee (VMSC, born 01/01/2010): not an entrant of the meet";
        QTest::newRow("101 refused, the last counted") << "strangers 101" << "... and 1 more results refused";
        // clang-format on
    }
    void refusals()
    {
        QFETCH(QString, change);
        QFETCH(QString, reason);
        ResultsMeetFixture meet;
        Document document = HeatResults();
        Meet &lenexMeet = document.Meets[0];
        Athlete &ann = AthleteNamed(document, "Ann");
        const QString value = change.section(u' ', 1);
        if (change.startsWith("strangers")) {
            for (int n = 1; n <= value.toInt(); ++n) {
                Athlete zed = Swimmer(QStringLiteral("Zed %1").arg(n), "Zee", "01/01/2010");
                zed.Results << Swum(101, "00:00:40.00");
                lenexMeet.Clubs[0].Athletes << zed;
            }
        } else if (change == "twin") {
            InsertRows(meet.session.MeetDb, "Entrant Table",
                       "Meet code|Entrant Number|Swimmer Name|club|age|Sex",
                       {"M1|9|ann lee|VMSC|05/03/2010|F"});
        } else if (change == "relay") {
            Relay relay;
            relay.Results << Swum(101, "00:02:10.00");
            lenexMeet.Clubs[0].Relays << relay;
        } else if (change == "zed") {
            Athlete zed = Swimmer("Zed", "Zee", "01/01/2010");
            zed.Results << Swum(101, "00:00:40.00");
            lenexMeet.Clubs[0].Athletes << zed;
        } else if (change == "event 44") {
            Event event;
            event.Id = 144;
            event.Number = 44;
            lenexMeet.Sessions[0].Events << event;
            ann.Results[0].EventId = 144;
        } else if (change == "event id") {
            ann.Results[0].EventId = 999;
        } else if (change == "bea in 2") {
            AthleteNamed(document, "Bea").Results[0].EventId = 102;
        } else if (change == "born") {
            ann.BirthDate = ann.BirthDate.addDays(1);
        } else if (change == "club") {
            lenexMeet.Clubs[1].Athletes << ann;
            lenexMeet.Clubs[0].Athletes.removeFirst();
        } else if (change.startsWith("licence")) {
            ann.License = value;
        } else if (change == "club name") {
            lenexMeet.Clubs[0].Code.clear();
            lenexMeet.Clubs[0].Name = "velmora  MARLETS";
        } else if (change.startsWith("surname")) {
            meet.session.MeetDb.Exec("UPDATE \"Entrant Table\" SET \"Swimmer Name\" = :name "
                                     "WHERE \"Entrant Number\" = 1",
                                     {{"name", change.contains(',') ? "lee, ann" : "Lee  Ann"}});
        } else if (change == "twice") {
            ann.Results << Swum(101, "00:00:36.00");
        } else if (change.startsWith("time")) {
            ann.Results[0].SwimTime = value;
        } else if (change.startsWith("status")) {
            ann.Results[0].Status = value;
        } else if (change == "none") {
            for (Club &club : lenexMeet.Clubs)
                for (Athlete &athlete : club.Athletes)
                    athlete.Results.clear();
        } else if (change == "no meet") {
            document.Meets.clear();
        }
        const QStringList before = meet.Rows(ResultColumns);
        QStringList report;
        QCOMPARE(ImportResults(meet.session, document, report), reason.isEmpty());
        if (reason.isEmpty()) {
            QVERIFY(report.last().startsWith("Imported 8 results"));
            QCOMPARE(report.first().startsWith("1 relay results left out"), change == "relay");
            QVERIFY(meet.Rows(ResultColumns) != before);
        } else {
            QCOMPARE(report.last(), reason);
            QCOMPARE(report.size(), change == "strangers 101"        ? 101
                                    : change.startsWith("strangers") ? 100
                                                                     : 1);
            QCOMPARE(meet.Rows(ResultColumns), before);
        }
    }

    // The heat results seed the final: in a 4-lane pool the four best swim it from the middle
    // outwards (Hal in lane 2, Cat 3, Ann 1, Bea 4), Fay is its reserve, and the disqualified,
    // the non-starter and Gil without a result are left out. Event 2 has no rank at all and is
    // refused. The heat results stay as they were.
    void finalsFromResults_data()
    {
        QTest::addColumn<bool>("programCreation");
        QTest::addColumn<QByteArray>("finalsFile");
        QTest::newRow("final") << false
                               << QByteArray("4\r\n\"2\",\"1\",\"Bea Cole\",\"01/01/10\","
                                             "\"40.00\",-1\r\n\"1\",\"1\",\"Ann Lee\","
                                             "\"05/03/10\",\"40.00\",-1\r\n\"3\",\"1\",\"Cat "
                                             "Dunn\",\"02/02/11\",\"40.00\",-1\r\n\"8\",\"1\","
                                             "\"Hal Jay\",\"07/07/10\",\"40.00\",-1\r\n");
        QTest::newRow("programme creation: the reserve too")
            << true << QByteArray("5\r\n\"6\",\"1\",\"Fay Hill\"");
    }
    void finalsFromResults()
    {
        QFETCH(bool, programCreation);
        QFETCH(QByteArray, finalsFile);
        ResultsMeetFixture meet;
        QStringList report;
        QVERIFY(ImportResults(meet.session, HeatResults(), report));
        meet.session.Gala.SessionTitle = "FINALS";
        for (Core::GalaEvent &event : meet.session.Gala.Events)
            event.EvSelected = true;
        MeetDay::Roster roster;
        QCOMPARE(MeetDay::LoadRoster(meet.session, meet.prompts, roster),
                 MeetDay::LoadResult::Loaded);
        const QStringList results = meet.Rows({"Entrant Number", "Event number", "Time"});
        QList<MeetDay::SeededEvent> seeded;
        QVERIFY(MeetDay::MakeHeats(meet.session, roster, {programCreation, false}, meet.prompts,
                                   seeded));
        QCOMPARE(meet.prompts.Messages,
                 QStringList{"No heat results for event 2: import the results first"});
        QCOMPARE(meet.Rows({"Entrant Number", "Event number", "Time"}), results);
        QCOMPARE(meet.Rows({"Entrant Number", "Event number", "Seed Order", "Heat No", "Lane No"})
                     .join(u' '),
                 QString("1|2|0|<null>|<null> 1|1|3|1|1 2|1|4|1|4 3|1|2|1|3 4|1|0||0 5|1|0||0 "
                         "6|1|5||0 7|1|0||0 8|1|1|1|2"));
        QVERIFY(TestDir::Read(meet.dir.FilePath("wk1-f.vb")).startsWith(finalsFile));
        QVERIFY(!QFile::exists(meet.dir.FilePath("wk2-f.vb")));
    }
};

QTEST_GUILESS_MAIN(TestLenexResults)
#include "tst_lenexresults.moc"
