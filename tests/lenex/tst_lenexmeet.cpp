#include <functional>

#include <QSqlQuery>
#include <QSqlRecord>
#include <QTest>

#include "core/captureprompts.h"
#include "entries/entryimport.h"
#include "lenex/lenexfile.h"
#include "lenex/lenexmeet.h"
#include "meetdb/competitionload.h"
#include "meetdb/database.h"
#include "meetdb/meetimport.h"
#include "meetdb/schema.h"
#include "meetdb/session.h"
#include "support/scriptedprompts.h"
#include "support/testfiles.h"

using namespace Lenex;

namespace {

// A Lenex time for the meet's entry time: "00:01:05.32" for "1:05.32" once the converter does
// its work, and the same value on both sides of a round trip either way.
QString Swim(const QString &entryTime)
{
    return SwimTimeFromEntryTime(entryTime);
}

Event MakeEvent(int id, int number, const char *gender, int distance, const char *stroke,
                const char *round = "", int relayCount = 1)
{
    Event event;
    event.Id = id;
    event.Number = number;
    event.Gender = QString::fromLatin1(gender);
    event.Distance = distance;
    event.Stroke = QString::fromLatin1(stroke);
    event.Round = QString::fromLatin1(round);
    event.RelayCount = relayCount;
    return event;
}

Athlete MakeAthlete(int id, const char *first, const char *last, const char *gender,
                    const QDate &born, const QList<Entry> &entries)
{
    Athlete athlete;
    athlete.Id = id;
    athlete.FirstName = QString::fromLatin1(first);
    athlete.LastName = QString::fromLatin1(last);
    athlete.Gender = QString::fromLatin1(gender);
    athlete.BirthDate = born;
    athlete.Entries = entries;
    return athlete;
}

/*
 * Two sessions on two days in an 8-lane pool numbered from 1:
 *   event 1 (id 11) girls 100 free, under 12, two heats (ids 101, 102);
 *   event 2 (id 12) boys 50 back prelims, and its final (id 13), also numbered 2;
 *   event 3 (id 14) mixed 4x50 medley relay, 13 and over, on the second day.
 * ASHB has Zoe (event 1, heat 1 lane 4), Tom (event 2, no time) and relay 1 (event 3); DUNW has
 * Amy (event 1, heat 2 lane 5).
 */
Document BaseDocument()
{
    Meet meet;
    meet.Name = QStringLiteral("Spring Open");
    meet.City = QStringLiteral("Velmora");
    meet.Course = QStringLiteral("SCM");
    meet.LaneMin = 1;
    meet.LaneMax = 8;

    Session first;
    first.Number = 1;
    first.Date = QDate(2027, 3, 6);
    Event free = MakeEvent(11, 1, "F", 100, "FREE");
    free.AgeGroups = {{1, -1, 11, QString(), QStringLiteral("Under 12")}};
    free.Heats = {{101, 1}, {102, 2}};
    Event back = MakeEvent(12, 2, "M", 50, "BACK", "PRE");
    Event backFinal = MakeEvent(13, 2, "M", 50, "BACK", "FIN");
    backFinal.PreviousEventId = 12;
    first.Events = {free, back, backFinal};

    Session second;
    second.Number = 2;
    second.Date = QDate(2027, 3, 7);
    Event relay = MakeEvent(14, 3, "X", 50, "MEDLEY", "TIM", 4);
    relay.AgeGroups = {{1, 13, -1, QString(), QString()}};
    second.Events = {relay};
    meet.Sessions = {first, second};

    Club ashby;
    ashby.Code = QStringLiteral("ASHB");
    ashby.Name = QStringLiteral("Ashby SC");
    ashby.Athletes = {
        MakeAthlete(1, "Zoe", "Ashby", "F", QDate(2016, 3, 5),
                    {{11, Swim(QStringLiteral("1:05.32")), 101, 4}}),
        MakeAthlete(2, "Tom", "Brown", "M", QDate(2014, 1, 1), {{12, QStringLiteral("NT")}})};
    Relay team;
    team.Number = 1;
    team.Gender = QStringLiteral("X");
    team.Entries = {{14, Swim(QStringLiteral("2:30.00"))}};
    ashby.Relays = {team};
    Club dunw;
    dunw.Code = QStringLiteral("DUNW");
    dunw.Name = QStringLiteral("Dunwich");
    dunw.Athletes = {MakeAthlete(3, "Amy", "Dun", "F", QDate(2017, 6, 30),
                                 {{11, Swim(QStringLiteral("1:10.00")), 102, 5}})};
    meet.Clubs = {ashby, dunw};

    Document document;
    document.Meets = {meet};
    return document;
}

Meet &FirstMeet(Document &document)
{
    return document.Meets.first();
}

// Every value of a document, one line per element, for comparing two documents.
QStringList Dump(const Document &document)
{
    QStringList lines;
    for (const Meet &meet : document.Meets) {
        lines << QStringLiteral("meet %1|%2|%3|%4|%5-%6")
                     .arg(meet.Name, meet.City, meet.Nation, meet.Course)
                     .arg(meet.LaneMin)
                     .arg(meet.LaneMax);
        for (const Session &session : meet.Sessions) {
            lines << QStringLiteral(" session %1 %2")
                         .arg(session.Number)
                         .arg(session.Date.toString(Qt::ISODate));
            for (const Event &e : session.Events) {
                lines << QStringLiteral("  event %1 #%2 %3 %4 %5x%6 %7 prev %8")
                             .arg(e.Id)
                             .arg(e.Number)
                             .arg(e.Gender, e.Round)
                             .arg(e.RelayCount)
                             .arg(e.Distance)
                             .arg(e.Stroke)
                             .arg(e.PreviousEventId);
                for (const AgeGroup &g : e.AgeGroups)
                    lines << QStringLiteral("   age %1..%2 %3")
                                 .arg(g.AgeMin)
                                 .arg(g.AgeMax)
                                 .arg(g.Name);
                for (const Heat &h : e.Heats)
                    lines << QStringLiteral("   heat %1 #%2").arg(h.Id).arg(h.Number);
            }
        }
        auto entries = [&lines](const QList<Entry> &list) {
            for (const Entry &e : list)
                lines << QStringLiteral("   entry %1 %2 heat %3 lane %4")
                             .arg(e.EventId)
                             .arg(e.EntryTime)
                             .arg(e.HeatId)
                             .arg(e.Lane);
        };
        for (const Club &club : meet.Clubs) {
            lines << QStringLiteral(" club %1|%2").arg(club.Code, club.Name);
            for (const Athlete &a : club.Athletes) {
                lines << QStringLiteral("  athlete %1 %2|%3 %4 %5 %6")
                             .arg(a.Id)
                             .arg(a.FirstName, a.LastName, a.Gender,
                                  a.BirthDate.toString(Qt::ISODate), a.License);
                entries(a.Entries);
            }
            for (const Relay &r : club.Relays) {
                lines << QStringLiteral("  relay %1 %2").arg(r.Number).arg(r.Gender);
                entries(r.Entries);
            }
        }
    }
    return lines;
}

// The first value `sql` reads.
QString Value(MeetDb::Database &db, const QString &sql)
{
    QSqlQuery query(sql, db.Connection());
    return query.next() ? query.value(0).toString() : QString();
}

// Rows read by `sql`, the values of each joined by "|".
QStringList Rows(MeetDb::Database &db, const QString &sql)
{
    QSqlQuery query(sql, db.Connection());
    QStringList rows;
    while (query.next()) {
        QStringList values;
        for (int i = 0; i < query.record().count(); ++i)
            values << query.value(i).toString();
        rows << values.join(u'|');
    }
    return rows;
}

} // namespace

class TestLenexMeet : public QObject
{
    Q_OBJECT

    TestDir m_dir;
    int m_files = 0;

    // A new meet database with `document` planned and written under LX; fails the test when the
    // plan is refused.
    QString Imported(const Document &document)
    {
        const QString path = m_dir.FilePath(QStringLiteral("meet%1.mdb").arg(++m_files));
        MeetDb::CreateMeetDatabase(path);
        LenexMeetPlan plan;
        QStringList errors;
        if (!PlanLenexMeet(document, QStringLiteral("meet.lxf"), plan, errors)) {
            QTest::qFail(qPrintable(errors.join(u'\n')), __FILE__, __LINE__);
            return {};
        }
        MeetDb::Session session;
        session.MeetDb.Open(path);
        WriteLenexMeet(session, QStringLiteral("LX"), plan);
        return path;
    }

    // The start list of meet LX of `path`, as loaded by the program.
    Document Exported(const QString &path)
    {
        MeetDb::Session session;
        Core::CapturePrompts prompts;
        if (!MeetDb::LoadMeetByCode(session, path, QStringLiteral("LX"), prompts)) {
            QTest::qFail(qPrintable(prompts.Messages.join(u'\n')), __FILE__, __LINE__);
            return {};
        }
        return StartListDocument(session);
    }

private Q_SLOTS:
    // What the meet cannot keep is refused with its reason, and nothing is planned.
    void refusals_data()
    {
        QTest::addColumn<std::function<void(Meet &)>>("change");
        QTest::addColumn<QString>("reason"); // "" when the document is taken

        using Change = std::function<void(Meet &)>;
        auto row = [](const char *tag, const Change &change, const char *reason) {
            QTest::newRow(tag) << change << QString::fromLatin1(reason);
        };
        row(
            "as it is", [](Meet &) {}, "");
        row(
            "lanes from 2",
            [](Meet &m) {
                m.LaneMin = 2;
                m.LaneMax = 9;
            },
            "meet: the pool's lanes are numbered from 2; the meet takes pools numbered from 0 or "
            "1");
        row(
            "4 lanes",
            [](Meet &m) {
                m.LaneMax = 4;
                m.Clubs[1].Athletes[0].Entries[0].Lane = 1;
            },
            "");
        row(
            "3 lanes", [](Meet &m) { m.LaneMax = 3; },
            "meet: lanes 1 to 3 make 3 lanes; the meet takes 4 to 10");
        row(
            "10 lanes from 0",
            [](Meet &m) {
                m.LaneMin = 0;
                m.LaneMax = 9;
            },
            "");
        row(
            "11 lanes",
            [](Meet &m) {
                m.LaneMin = 0;
                m.LaneMax = 10;
            },
            "make 11 lanes");
        row(
            "a club twice", [](Meet &m) { m.Clubs[1].Code = QStringLiteral("ashb"); },
            "meet.lxf: club ASHB: the club is given twice");
        row(
            "unknown stroke",
            [](Meet &m) { m.Sessions[0].Events[0].Stroke = QStringLiteral("APNEA"); },
            "event 1 (id 11): stroke \"APNEA\" is none the meet swims");
        row(
            "entry for an unknown event",
            [](Meet &m) { m.Clubs[0].Athletes[1].Entries[0].EventId = 99; },
            "club ASHB, athlete Tom Brown, entry for event id 99: no event of the file has this "
            "id");
        row(
            "entry of the other sex",
            [](Meet &m) { m.Clubs[0].Athletes[1].Entries[0].EventId = 11; },
            "event 1 is for sex F, not M");
        row(
            "relay in an individual event",
            [](Meet &m) { m.Clubs[0].Relays[0].Entries[0].EventId = 12; },
            "relay 1, entry for event id 12: event 2 is not a relay");
        row(
            "an event twice",
            [](Meet &m) {
                m.Clubs[0].Athletes[0].Entries << Entry{11, {}, 102, 1};
            },
            "event 1 is entered twice");
        row(
            "individual event for all",
            [](Meet &m) { m.Sessions[0].Events[0].Gender = QStringLiteral("A"); }, "");
        row(
            "unknown gender", [](Meet &m) { m.Sessions[0].Events[0].Gender = QStringLiteral("Q"); },
            "event 1 (id 11): gender \"Q\" is not M, F, X or A");
        row(
            "unknown heat", [](Meet &m) { m.Clubs[0].Athletes[0].Entries[0].HeatId = 999; },
            "event 1 has no heat with id 999");
        row(
            "last lane", [](Meet &m) { m.Clubs[0].Athletes[0].Entries[0].Lane = 8; }, "");
        row(
            "past the last lane", [](Meet &m) { m.Clubs[0].Athletes[0].Entries[0].Lane = 9; },
            "lane 9 is not a lane of the pool (1 to 8)");
        row(
            "lane 0 of a pool from 1", [](Meet &m) { m.Clubs[0].Athletes[0].Entries[0].Lane = 0; },
            "lane 0 is not a lane of the pool (1 to 8)");
        row(
            "one lane for two",
            [](Meet &m) {
                Entry &amy = m.Clubs[1].Athletes[0].Entries[0];
                amy.HeatId = 101;
                amy.Lane = 4;
            },
            "heat 1 lane 4 of event 1 is Zoe Ashby's already");
        row(
            "event id twice", [](Meet &m) { m.Sessions[1].Events[0].Id = 11; },
            "event 3 (id 11): its id is given twice");
        row(
            "oldest group", [](Meet &m) { m.Sessions[0].Events[0].AgeGroups[0].AgeMax = 150; }, "");
        row(
            "group past the oldest",
            [](Meet &m) { m.Sessions[0].Events[0].AgeGroups[0].AgeMax = 151; },
            "age group -1 to 151 is not an age range");
        row(
            "name past 60", [](Meet &m) { m.Clubs[0].Athletes[0].LastName = QString(57, u'x'); },
            "The name is longer than 60 characters");
        row(
            "name of 60", [](Meet &m) { m.Clubs[0].Athletes[0].LastName = QString(56, u'x'); }, "");
    }

    void refusals()
    {
        QFETCH(std::function<void(Meet &)>, change);
        QFETCH(QString, reason);
        Document document = BaseDocument();
        change(FirstMeet(document));
        LenexMeetPlan plan;
        QStringList errors;
        const bool planned = PlanLenexMeet(document, QStringLiteral("meet.lxf"), plan, errors);
        if (reason.isEmpty()) {
            QCOMPARE(errors, QStringList());
            QVERIFY(planned);
            QCOMPARE(plan.Entrants.size(), 4);
        } else {
            // A refused event refuses its entries too; the reason is among the refusals.
            QVERIFY(!planned);
            QVERIFY2(errors.join(u'\n').contains(reason), qPrintable(errors.join(u'\n')));
        }
    }

    // Refusals are listed up to a hundred, then counted.
    void refusalCount_data()
    {
        QTest::addColumn<int>("refused");
        QTest::addColumn<int>("lines");
        QTest::newRow("100") << 100 << 100;
        QTest::newRow("101") << 101 << 101;
    }

    void refusalCount()
    {
        QFETCH(int, refused);
        QFETCH(int, lines);
        Document document = BaseDocument();
        QList<Entry> &entries = FirstMeet(document).Clubs[0].Athletes[1].Entries;
        entries.clear();
        for (int i = 0; i < refused; ++i)
            entries << Entry{1000 + i, {}, NoId, NoLane};
        LenexMeetPlan plan;
        QStringList errors;
        QVERIFY(!PlanLenexMeet(document, QStringLiteral("meet.lxf"), plan, errors));
        QCOMPARE(errors.size(), lines);
        QCOMPARE(errors.last(), refused > MaxReportedRefusals
                                    ? QStringLiteral("meet.lxf: 1 more refusals")
                                    : QStringLiteral("meet.lxf: club ASHB, athlete Tom Brown, "
                                                     "entry for event id 1099: no event of the "
                                                     "file has this id"));
    }

    // A meet code already in the file: the write fails whole and the file keeps what it had.
    void codeTaken()
    {
        const QString path = Imported(BaseDocument());
        LenexMeetPlan plan;
        QStringList errors;
        QVERIFY(PlanLenexMeet(BaseDocument(), QStringLiteral("meet.lxf"), plan, errors));
        MeetDb::Session session;
        session.MeetDb.Open(path);
        const QString count = QStringLiteral("SELECT (SELECT count(*) FROM \"Entrant Table\") || "
                                             "'/' || (SELECT count(*) FROM \"Event Table\")");
        QCOMPARE(Value(session.MeetDb, count), QStringLiteral("4/4"));
        QVERIFY_THROWS_EXCEPTION(MeetDb::DbError,
                                 WriteLenexMeet(session, QStringLiteral("lx"), plan));
        QCOMPARE(Value(session.MeetDb, count), QStringLiteral("4/4"));
    }

    // How the meet keeps the document: rounds, sessions, groups, entrants numbered by athlete id
    // and relays after them, and lanes as positions in a pool numbered from 0.
    void tenLanesFromZero()
    {
        Document document = BaseDocument();
        Meet &meet = FirstMeet(document);
        meet.LaneMin = 0;
        meet.LaneMax = 9;
        meet.Clubs[0].Athletes[0].Entries[0].Lane = 0;
        meet.Clubs[1].Athletes[0].Entries[0].Lane = 9;
        const QString path = Imported(document);
        MeetDb::Database db;
        db.Open(path);
        QCOMPARE(Value(db,
                       "SELECT \"Lanes\" || ' ' || \"Meet Type\" || ' ' || \"Meet Date\" || ' ' "
                       "|| \"Qual Date\" FROM \"Meet Table\""),
                 QStringLiteral("10 Open 2027-03-06 2027-12-31"));
        QCOMPARE(Rows(db, "SELECT \"Key Word\", \"Parameter\" FROM \"Parameter Table\" ORDER BY "
                          "\"Parameter Order\""),
                 QStringList({"firstlane|0", "lenexcity|Velmora", "lenexcourse|SCM"}));
        QCOMPARE(Rows(db, "SELECT \"Event number\", \"Sex\", \"Group\", \"Stroke\", \"session\", "
                          "ifnull(\"Event Date\", '-'), ifnull(\"Event Type\", '-'), "
                          "ifnull(\"Final Event\", '-') FROM \"Event Table\" ORDER BY \"Event "
                          "Sequence\""),
                 QStringList({"1|F|U/12|FS|1|-|-|-", "2|M|Open|BK|1|-|PRE|2F",
                              "2F|M|Open|BK|1|-|FINAL|-", "3|X|13 & over|MEDR|2|2027-03-07|-|-"}));
        QCOMPARE(Rows(db, "SELECT \"Group Name\", \"Group Print\" FROM \"Group Table\" ORDER BY "
                          "\"Group Order\""),
                 QStringList({"U/12|Under 12", "Open|Open", "13 & over|13 & over"}));
        QCOMPARE(Rows(db, "SELECT e.\"Entrant Number\", \"Swimmer Name\", \"club\", \"age\", "
                          "\"Sex\", \"Event number\", ifnull(\"Heat No\", '-'), "
                          "ifnull(\"Lane No\", '-') FROM \"Entrant Table\" e JOIN \"Swim Table\" "
                          "s USING (\"Meet code\", \"Entrant Number\") ORDER BY 1"),
                 QStringList(
                     {"1|Zoe Ashby|ASHB|2016-03-05|F|1|1|1", "2|Tom Brown|ASHB|2014-01-01|M|2|-|-",
                      "3|Amy Dun|DUNW|2017-06-30|F|1|2|10", "4|ASHB 1|ASHB|13 & over|X|3|-|-"}));
        QCOMPARE(
            Value(db, "SELECT \"Entry Time\" FROM \"Swim Table\" WHERE \"Entrant Number\" = 2"),
            QStringLiteral("9:99.99"));

        // Back out as painted lanes.
        const Document out = Exported(path);
        QCOMPARE(out.Meets.constFirst().LaneMin, 0);
        QCOMPARE(out.Meets.constFirst().LaneMax, 9);
        const QList<Club> &clubs = out.Meets.constFirst().Clubs;
        QCOMPARE(clubs.at(0).Athletes.at(0).Entries.at(0).Lane, 0);
        QCOMPARE(clubs.at(1).Athletes.at(0).Entries.at(0).Lane, 9);

        // A lane past the pool's, put there by hand, goes out as none.
        db.Exec("UPDATE \"Swim Table\" SET \"Lane No\" = 11 WHERE \"Entrant Number\" = 3");
        QCOMPARE(Exported(path).Meets.constFirst().Clubs.at(1).Athletes.at(0).Entries.at(0).Lane,
                 NoLane);
    }

    // Exported, imported into a new database and exported again: the same document.
    void roundTrip()
    {
        // The prelims for everyone: a mixed event of the meet, and "A" again in Lenex.
        Document original = BaseDocument();
        FirstMeet(original).Sessions[0].Events[1].Gender = QStringLiteral("A");
        const Document first = Exported(Imported(original));
        const QStringList dump = Dump(first);
        QCOMPARE(Dump(Exported(Imported(first))), dump);
        // What the first export says of the original.
        QCOMPARE(dump.mid(0, 4),
                 QStringList({"meet Spring Open|Velmora||SCM|1-8", " session 1 2027-03-06",
                              "  event 1 #1 F TIM 1x100 FREE prev 0", "   age -1..11 Under 12"}));
        QVERIFY(dump.contains("  event 2 #2 A PRE 1x50 BACK prev 0"));
        QVERIFY(dump.contains("  event 3 #2 M FIN 1x50 BACK prev 2"));
        QVERIFY(dump.contains("  event 4 #3 X TIM 4x50 MEDLEY prev 0"));
        QVERIFY(dump.contains("   heat 1 #1") && dump.contains("   heat 2 #2"));
        QVERIFY(dump.contains("  athlete 1 Zoe|Ashby F 2016-03-05 "));
        QVERIFY(dump.contains(QStringLiteral("   entry 1 %1 heat 1 lane 4").arg(Swim("1:05.32"))));
        QVERIFY(dump.contains(QStringLiteral("   entry 1 %1 heat 2 lane 5").arg(Swim("1:10.00"))));
        QVERIFY(dump.contains("  relay 1 X"));
        QVERIFY(dump.contains("   entry 1 00:01:05.32 heat 1 lane 4"));
    }

    // The demo's open meet with its entries, every swim in a heat and lane, makes the same
    // round trip.
    void demoRoundTrip()
    {
        const QString path = m_dir.FilePath(QStringLiteral("demo.mdb"));
        MeetDb::CreateMeetDatabase(path);
        MeetDb::ImportMessages messages;
        QVERIFY(MeetDb::AddMeetFromFile(path, TestDataPath("../../demo/open.ini"), "LX", messages));
        MeetDb::Session session;
        Core::CapturePrompts prompts;
        QVERIFY(MeetDb::LoadMeetByCode(session, path, "LX", prompts));
        QStringList errors;
        QVERIFY2(Entries::ImportEntriesCsv(session, TestDataPath("../../demo/entries-spring27.csv"),
                                           errors),
                 qPrintable(errors.join(u'\n')));
        session.MeetDb.Exec("UPDATE \"Swim Table\" SET \"Heat No\" = \"Entrant Number\", "
                            "\"Lane No\" = 1 + \"Entrant Number\" % 6");
        const Document first = StartListDocument(session);
        QCOMPARE(first.Meets.constFirst().Sessions.constFirst().Events.size(), 40);
        QCOMPARE(Dump(Exported(Imported(first))), Dump(first));
    }

    // "Export Start List": refused outside the meet database, stopped by a failed save, and
    // nothing done when no file is chosen.
    void exportCommand()
    {
        MeetDb::Session session;
        ScriptedPrompts prompts;
        QCOMPARE(ExportStartListCommand(session, prompts, {}), QString());
        QCOMPARE(prompts.Messages,
                 QStringList{"The start list is exported from a meet database only"});

        Core::CapturePrompts capture;
        QVERIFY(MeetDb::LoadMeetByCode(session, Imported(BaseDocument()), "LX", capture));
        int saves = 0;
        QCOMPARE(ExportStartListCommand(session, prompts, [&saves] { return ++saves > 1; }),
                 QString());
        QCOMPARE(saves, 1);
        prompts.Browse(QString());
        QCOMPARE(ExportStartListCommand(session, prompts, [&saves] { return ++saves > 1; }),
                 QString());
        QCOMPARE(prompts.Shown.last(), QStringLiteral("save: Export Start List"));
        QCOMPARE(prompts.Messages.size(), 1);

        // A name typed without its ending is asked about again under the name it gets.
        const QString kept = m_dir.Write(QStringLiteral("kept.lxf"), "earlier start list");
        prompts.Browse(m_dir.FilePath(QStringLiteral("kept"))).No();
        QCOMPARE(ExportStartListCommand(session, prompts, {}), QString());
        QCOMPARE(prompts.DefaultNoQuestions, QStringList{kept + " already exists. Replace it?"});
        QCOMPARE(TestDir::Read(kept), QByteArray("earlier start list"));
    }
};

QTEST_GUILESS_MAIN(TestLenexMeet)
#include "tst_lenexmeet.moc"
