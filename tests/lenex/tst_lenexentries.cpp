#include <QTest>

#include "core/captureprompts.h"
#include "core/galastate.h"
#include "entries/entrywriter.h"
#include "lenex/importentriesform.h"
#include "lenex/lenexentries.h"
#include "meetdb/competitionload.h"
#include "meetdb/database.h"
#include "meetdb/meetimport.h"
#include "meetdb/schema.h"
#include "meetdb/session.h"
#include "support/entryfixture.h"
#include "support/scriptedprompts.h"
#include "support/testfiles.h"

using namespace Lenex;

namespace {

// A demo meet ("open" or "masters") loaded from a new meet database, with Ann Lee (VMSC, born
// 5 March 2015, girls' U/12) entered as number 1 in event 11.
struct LenexMeet
{
    TestDir dir;
    MeetDb::Session session;

    explicit LenexMeet(const QString &kind)
    {
        const QString path = dir.FilePath("natamar.mdb");
        MeetDb::CreateMeetDatabase(path);
        MeetDb::ImportMessages messages;
        const QString ini = TestDataPath("../../demo/" + kind + ".ini");
        if (!MeetDb::AddMeetFromFile(path, ini, "M1", messages))
            qFatal("the demo meet does not load");
        Core::CapturePrompts prompts;
        if (!MeetDb::LoadMeetByCode(session, path, "M1", prompts))
            qFatal("the demo meet does not open");
        if (kind == u"open") {
            Entries::EntrantRecord ann;
            ann.Name = ann.FullName = "Ann Lee";
            ann.Club = "VMSC";
            ann.Age = "2015-03-05";
            ann.Sex = "F";
            ann.Swims << Entries::EntrySwimRecord{10, "11", "38.00", {}};
            Entries::MeetDbEntryStore(session).WriteEntrant(ann, nullptr, nullptr);
        }
    }

    QStringList Rows(const QString &table, const QString &fields)
    {
        return TableRows(session.MeetDb, table, fields.split(u'|'));
    }
};

const QString OpenSwimFields = "Entrant Number|Event number|Event Sequence|Entry Time";

// The meet's events as a club's file describes them, each with an id 100 above its number (so
// that an entry taken by id rather than by number lands in the wrong event), and two more: 999
// is event 44, which the meet does not hold, and 998 is event 12 as 100 m freestyle.
Document ClubFile(const Core::GalaState &gala)
{
    const QHash<QString, QString> strokes{
        {"FS", "FREE"}, {"BK", "BACK"}, {"BR", "BREAST"}, {"FLY", "FLY"}, {"MED", "MEDLEY"}};
    Session session;
    session.Number = 1;
    for (const Core::GalaEvent &meetEvent : gala.Events) {
        Event event;
        event.Number = meetEvent.EvNumber.toInt();
        event.Id = event.Number + 100;
        const bool relay = meetEvent.EvStroke.endsWith(u'R');
        event.RelayCount = relay ? 4 : 1;
        event.Stroke = strokes.value(relay ? meetEvent.EvStroke.chopped(1) : meetEvent.EvStroke);
        event.Distance = meetEvent.EvDistance.toInt() / event.RelayCount;
        session.Events << event;
    }
    const QList<QList<int>> others{{999, 44, 50}, {998, 12, 100}}; // id, number, distance
    for (const QList<int> &other : others) {
        Event event;
        event.Id = other.at(0);
        event.Number = other.at(1);
        event.Distance = other.at(2);
        event.Stroke = "FREE";
        session.Events << event;
    }
    Meet meet;
    meet.Sessions << session;
    Document document;
    document.Meets << meet;
    return document;
}

Athlete Swimmer(const QString &name, const QString &sex, const QString &born)
{
    Athlete athlete;
    athlete.FirstName = name.section(u' ', 0, 0);
    athlete.LastName = name.section(u' ', 1);
    athlete.Gender = sex;
    athlete.BirthDate = QDate::fromString(born, Qt::ISODate);
    return athlete;
}

void AddAthlete(Document &document, const QString &clubCode, const Athlete &athlete)
{
    QList<Club> &clubs = document.Meets.first().Clubs;
    for (Club &club : clubs) {
        if (club.Code == clubCode) {
            club.Athletes << athlete;
            return;
        }
    }
    clubs << Club{clubCode, clubCode + " SC", "GBR", {athlete}, {}};
}

// Zoe Ash (new, two swims, one refused) and Ann Lee (one new swim) of VMSC, Tom Ash of ASHB.
Document MixedFile(const Core::GalaState &gala)
{
    Document document = ClubFile(gala);
    Athlete zoe = Swimmer("Zoe Ash", "F", "2017-01-01");
    zoe.Entries << Entry{102, "NT"} << Entry{101, "00:00:35.50"} << Entry{106, "00:00:33.00"};
    Athlete ann = Swimmer("Ann Lee", "F", "2015-03-05");
    ann.Entries << Entry{112, "00:00:40.10"};
    Athlete tom = Swimmer("Tom Ash", "M", "2017-05-05");
    tom.Entries << Entry{107, "00:00:44.00"};
    AddAthlete(document, "VMSC", zoe);
    AddAthlete(document, "VMSC", ann);
    AddAthlete(document, "ASHB", tom);
    return document;
}

const QString MixedSummary = R"(Entries from vmsc.lef for Velmora Spring Open
New entrants: 2, with 3 swims
Swims for entrants already in the meet: 1, for 1 entrant
Entries refused: 1

New entrants:
  Zoe Ash (VMSC, born 01/01/2017): events 1, 2
  Tom Ash (ASHB, born 05/05/2017): event 7

Swims for entrants already in the meet:
  1 Ann Lee (VMSC, born 05/03/2015): event 12

Entries refused:
  Zoe Ash (VMSC, born 01/01/2017), event 6: event 6 is for men
)";

} // namespace

class TestLenexEntries : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    // One athlete with one entry: what becomes of it. "new AGE TIME" for a new entrant, "adds to
    // N TIME" for a swim of an entrant already in the meet, otherwise the reason it is refused.
    void outcome_data()
    {
        // meet|name|sex|born|club|eventid|entry time|status|outcome
        // The open meet's qualifying date is 31/12/2026, the masters meet's 31/12/2027.
        AddRows({
            "open|Zoe Ash|F|2017-01-01|VMSC|101|00:00:35.50||new 2017-01-01 35.50",
            "open|Zoe Ash|F|2016-12-31|VMSC|101|00:00:35.50||age 10 on 31/12/2026: too old for "
            "event 1 (U/10)",
            "open|Zoe Ash|F|2016-12-31|VMSC|111|00:00:35.50||new 2016-12-31 35.50",
            "open|Tom Ash|M|2017-01-01|VMSC|101|NT||event 1 is for women",
            "open|Zoe Ash|F|2017-01-01|VMSC|106|NT||event 6 is for men",
            "open|Zoe Ash|F|2017-01-01|VMSC|999|NT||no such event 44",
            "open|Zoe Ash|F|2015-01-01|VMSC|998|NT||event 12 is 50 Backstroke here, 100 "
            "Freestyle in the file",
            "open|Zoe Ash|F|2017-01-01|VMSC|44|NT||the file does not describe the event with id 44",
            "open|Zoe Ash|F|2017-01-01|VMSC|101|NT||new 2017-01-01 9:99.99",
            "open|Zoe Ash|F|2017-01-01|VMSC|101|||new 2017-01-01 9:99.99",
            "open|Zoe Ash|F|2017-01-01|VMSC|101|00:00:00.00||new 2017-01-01 9:99.99",
            "open|Zoe Ash|F|2017-01-01|VMSC|101|00:00:00.01||new 2017-01-01 00.01",
            "open|Zoe Ash|F|2017-01-01|VMSC|101|01:00:00.00||new 2017-01-01 60:00.00",
            "open|Zoe Ash|F|2017-01-01|VMSC|101|01:00:00.01||entry time 01:00:00.01 is not a "
            "time this meet takes (60:00.01)",
            "open|Zoe Ash|F|2017-01-01|VMSC|101|00:01:60.00||entry time \"00:01:60.00\" is not a "
            "time",
            "open|Zoe Ash|F|2017-01-01|VMSC|101|1:05.32||entry time \"1:05.32\" is not a time",
            "open|Zoe Ash|F|2017-01-01|VMSC|101|00:00:35.50|WDR|withdrawn",
            "open|Zoe Ash|F|2017-01-01|VMSC|101|00:00:35.50|EXH|new 2017-01-01 35.50",
            "open|Zoe Ash|F|2017-01-01|XXXX|101|NT||club XXXX is not a club of this meet; add it "
            "with \"Add Club Name\" first",
            "open|Zoe Ash|F|2030-01-01|VMSC|101|NT||born 01/01/2030: a date of birth in the future",
            "open|Zoe Ash|F||VMSC|101|NT||no date of birth",
            "open|Zoe Ash|X|2017-01-01|VMSC|101|NT||sex \"X\" is not M or F",
            // Ann Lee is number 1, in event 11: matched by name in any case, birth date and club.
            "open|ann LEE|F|2015-03-05|vmsc|112|00:00:40.00||adds to 1 40.00",
            "open|Ann Lee|F|2015-03-05|VMSC|111|NT||already entered in event 11",
            "open|Ann Lee|F|2015-03-05|ASHB|112|NT||new 2015-03-05 9:99.99",
            "open|Ann Lee|F|2015-03-06|VMSC|112|NT||new 2015-03-06 9:99.99",
            // Masters: 19 is the youngest with juniors ("0"), 25 without ("A").
            "masters|Ida Moss|F|2008-12-31|HARL|101|NT||new 0 9:99.99",
            "masters|Ida Moss|F|2009-01-01|HARL|101|NT||born 2009: too young for masters",
            "no juniors|Ida Moss|F|2002-12-31|HARL|101|NT||new A 9:99.99",
            "no juniors|Ida Moss|F|2003-01-01|HARL|101|NT||born 2003: too young for masters",
            "masters|Ida Moss|F|1980-01-01|HARL|115|NT||event 15 is a relay",
            "masters|Ida Moss|F|1980-01-01|HARL|117|NT||event 17 is for mixed teams",
        });
    }
    void outcome()
    {
        const QStringList cells = RowCells();
        LenexMeet meet(cells[0] == u"open" ? "open" : "masters");
        meet.session.Gala.Junior = cells[0] != u"no juniors";
        Document document = ClubFile(meet.session.Gala);
        Athlete athlete = Swimmer(cells[1], cells[2], cells[3]);
        Entry entry{cells[5].toInt(), cells[6]};
        entry.Status = cells[7];
        athlete.Entries << entry;
        AddAthlete(document, cells[4], athlete);

        EntriesCheck check;
        QString error;
        QVERIFY2(CheckLenexEntries(meet.session, document, "club.lef", check, &error),
                 qPrintable(error));
        QCOMPARE(check.Accepted.size() + check.Refused.size(), 1);
        QString outcome;
        if (!check.Refused.isEmpty()) {
            outcome = check.Refused.first().Reason;
        } else {
            const AcceptedSwimmer &swimmer = check.Accepted.first();
            outcome = (swimmer.Existing > 0 ? QStringLiteral("adds to %1").arg(swimmer.Existing)
                                            : "new " + swimmer.Record.Age) +
                      u' ' + Entries::StoredEntryTime(swimmer.Record.Swims.first().EntryTime);
        }
        QCOMPARE(outcome, cells[8]);
    }

    // The summary, then the write: new entrants numbered from the meet's next number, swims in
    // the meet's event order, a new swim for the entrant already entered; nothing refused is
    // written.
    void summaryAndWrite()
    {
        LenexMeet meet("open");
        const Document document = MixedFile(meet.session.Gala);
        EntriesCheck check;
        QString error;
        QVERIFY(CheckLenexEntries(meet.session, document, "vmsc.lef", check, &error));
        QCOMPARE(check.Summary(), MixedSummary);

        QList<int> numbers;
        QVERIFY2(WriteLenexEntries(meet.session, check, &numbers, &error), qPrintable(error));
        QCOMPARE(numbers, QList<int>({2, 3}));
        QCOMPARE(ImportedMessage(check, numbers),
                 "Imported 2 new entrants (numbers 2 to 3) with 3 swims, and 1 swim for entrants "
                 "already in the meet.");
        QCOMPARE(meet.Rows("Entrant Table", "Entrant Number|Swimmer Name|club|age|Sex"),
                 QStringList({"1|Ann Lee|VMSC|2015-03-05|F", "2|Zoe Ash|VMSC|2017-01-01|F",
                              "3|Tom Ash|ASHB|2017-05-05|M"}));
        QCOMPARE(meet.Rows("Swim Table", OpenSwimFields),
                 QStringList({"1|11|11|38.00", "2|1|1|35.50", "2|2|2|9:99.99", "1|12|12|40.10",
                              "3|7|7|44.00"}));
        QCOMPARE(meet.Rows("Meet Table", "Next Competitor Number"), QStringList{"4"});
        QCOMPARE(meet.session.Gala.NextCompetitorNumber, 4);

        // The same file again adds nothing: every swim is there already.
        QVERIFY(CheckLenexEntries(meet.session, document, "vmsc.lef", check, &error));
        QVERIFY(!check.HasWork());
        QCOMPARE(check.Refused.size(), 5);
        QCOMPARE(check.Refused.first().Reason, "already entered in event 2");
    }

    // The same swimmer twice in the file is one entrant, and the same event twice one swim.
    void swimmerTwiceInTheFile()
    {
        LenexMeet meet("open");
        Document document = ClubFile(meet.session.Gala);
        Athlete zoe = Swimmer("Zoe Ash", "F", "2017-01-01");
        zoe.Entries << Entry{101, "NT"};
        AddAthlete(document, "VMSC", zoe);
        zoe.Entries << Entry{102, "NT"};
        AddAthlete(document, "VMSC", zoe);
        EntriesCheck check;
        QVERIFY(CheckLenexEntries(meet.session, document, "vmsc.lef", check, nullptr));
        QCOMPARE(check.Accepted.size(), 1);
        QCOMPARE(check.NewEntrantSwims(), 2);
        QCOMPARE(check.Refused.size(), 1);
        QCOMPARE(check.Refused.first().Reason, "event 1 is in the file twice");
    }

    // Nothing is written by the check (the dry run), by a failure part-way through the write,
    // or when the meet changed after the summary was shown.
    void allOrNothing_data()
    {
        QTest::addColumn<QString>("fault");
        QTest::newRow("check only") << "";
        QTest::newRow("fails part-way") << "integer overflow";
        QTest::newRow("meet changed") << "have changed since the summary";
    }
    void allOrNothing()
    {
        QFETCH(QString, fault);
        LenexMeet meet("open");
        const Document document = MixedFile(meet.session.Gala);
        EntriesCheck check;
        QVERIFY(CheckLenexEntries(meet.session, document, "vmsc.lef", check, nullptr));
        if (fault.contains("overflow")) {
            // The engine refuses Tom Ash's swim, after Zoe Ash and her swims went in.
            meet.session.MeetDb.Exec(
                R"(CREATE INDEX "Refuse 7" ON "Swim Table" )"
                R"((abs(CASE WHEN "Event number" = '7' THEN -9223372036854775807 - 1 ELSE 0 END)))");
        } else if (!fault.isEmpty()) {
            // Ann Lee is entered in event 12 by someone else meanwhile.
            meet.session.MeetDb.Exec(
                R"(UPDATE "Swim Table" SET "Event number" = '12' WHERE "Entrant Number" = 1)");
        }
        const QString path = meet.session.MeetDb.Path();
        const QByteArray before = TestDir::Read(path);
        const QStringList swims = meet.Rows("Swim Table", OpenSwimFields);
        if (fault.isEmpty()) {
            QVERIFY(CheckLenexEntries(meet.session, document, "vmsc.lef", check, nullptr));
            QVERIFY(check.HasWork());
        } else {
            QString error;
            QList<int> numbers{99};
            QVERIFY(!WriteLenexEntries(meet.session, check, &numbers, &error));
            QVERIFY2(error.contains(fault), qPrintable(error));
            QVERIFY(numbers.isEmpty());
        }
        QCOMPARE(meet.session.MeetDb.TransactionDepth(), 0);
        QCOMPARE(TestDir::Read(path), before);
        QCOMPARE(meet.Rows("Entrant Table", "Entrant Number"), QStringList{"1"});
        QCOMPARE(meet.Rows("Swim Table", OpenSwimFields), swims);
        QCOMPARE(meet.session.Gala.NextCompetitorNumber, 2);
    }

    // Meets and files the import does not take.
    void refusedWhole_data()
    {
        QTest::addColumn<QString>("meetType");
        QTest::addColumn<int>("meets");
        QTest::addColumn<QString>("error");
        QTest::newRow("champs") << "Champs" << 1
                                << "Lenex entries are taken into Open and Masters meets only; "
                                   "Velmora Spring Open is a Champs meet";
        QTest::newRow("no meet") << "Open" << 0
                                 << "club.lef holds 0 meets; a club's entries file holds one";
        QTest::newRow("two meets")
            << "Open" << 2 << "club.lef holds 2 meets; a club's entries file holds one";
    }
    void refusedWhole()
    {
        QFETCH(QString, meetType);
        QFETCH(int, meets);
        LenexMeet meet("open");
        meet.session.Gala.GalaType = meetType;
        Document document = MixedFile(meet.session.Gala);
        while (document.Meets.size() < meets)
            document.Meets << document.Meets.first();
        document.Meets.resize(meets);
        EntriesCheck check;
        QString error;
        QVERIFY(!CheckLenexEntries(meet.session, document, "club.lef", check, &error));
        QTEST(error, "error");
        // The window says so before asking for a file.
        ScriptedPrompts prompts;
        if (meets == 1) {
            QVERIFY(!ImportEntriesForm(meet.session, prompts).Open());
            QCOMPARE(prompts.Messages, QStringList{error});
        }
    }

    // The window's form: the report saved where the official chose, then the import with what
    // it wrote said, and no second import.
    void form()
    {
        LenexMeet meet("open");
        ScriptedPrompts prompts;
        ImportEntriesForm form(meet.session, prompts);
        QVERIFY(form.Load(MixedFile(meet.session.Gala), "vmsc.lef"));
        QCOMPARE(form.SummaryText(), MixedSummary);
        const QString report = meet.dir.FilePath("report.txt");
        prompts.Browse(report);
        QVERIFY(form.SaveReport());
        QCOMPARE(QString::fromUtf8(TestDir::Read(report)), MixedSummary);
        prompts.Browse(""); // the browse cancelled saves nothing
        QVERIFY(!form.SaveReport());
        QVERIFY(form.CanImport());
        QVERIFY(form.Import());
        QCOMPARE(prompts.Messages,
                 QStringList{"Imported 2 new entrants (numbers 2 to 3) with 3 swims, and 1 swim "
                             "for entrants already in the meet."});
        QVERIFY(!form.CanImport());
        QVERIFY(!form.Import());
        QCOMPARE(meet.Rows("Entrant Table", "Entrant Number").size(), 3);
    }

    void swimTimes_data()
    {
        QTest::addColumn<QString>("lenex");
        QTest::addColumn<QString>("typed"); // "?" when it is not a swim time
        QTest::newRow("seconds") << "00:00:35.50"
                                 << "35.50";
        QTest::newRow("minutes") << "00:01:05.32"
                                 << "1:05.32";
        QTest::newRow("hours") << "01:02:03.04"
                               << "62:03.04";
        QTest::newRow("no time") << "NT"
                                 << "";
        QTest::newRow("zero") << "00:00:00.00"
                              << "";
        QTest::newRow("59 seconds") << "00:00:59.99"
                                    << "59.99";
        QTest::newRow("60 seconds") << "00:00:60.00"
                                    << "?";
        QTest::newRow("60 minutes") << "00:60:00.00"
                                    << "?";
        QTest::newRow("short") << "00:01:05.3"
                               << "?";
        QTest::newRow("sign") << "00:01:-5.32"
                              << "?";
        QTest::newRow("nt in small letters") << "nt"
                                             << "?";
    }
    void swimTimes()
    {
        QFETCH(QString, lenex);
        QTEST(TypedTimeFromSwimTime(lenex).value_or("?"), "typed");
    }
};

QTEST_GUILESS_MAIN(TestLenexEntries)
#include "tst_lenexentries.moc"
