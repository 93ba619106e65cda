#include <QTest>

#include "core/galastate.h"
#include "entries/entrywriter.h"
#include "meetdb/database.h"
#include "meetdb/schema.h"
#include "meetdb/session.h"
#include "support/dbrows.h"
#include "support/scriptedprompts.h"
#include "support/testfiles.h"

using namespace Entries;

namespace {

// Meet "M1" with events 1, 2 and 3, where 3 swims in the pool with 1 ("combine=1 3").
void MakeMeet(const QString &path, const QString &version = QStringLiteral("1.0"))
{
    MeetDb::CreateMeetDatabase(path);
    MeetDb::Database db;
    db.Open(path);
    db.Exec(QStringLiteral(R"(DELETE FROM "Version Table")"));
    InsertRows(db, "Version Table", "Version", {version});
    InsertRows(db, "Meet Table", "Meet code|Meet Name|Meet Type|Next Competitor Number",
               {"M1|Spring Open|Open|1"});
}

void LoadSession(MeetDb::Session &session, const QString &path, float version = 1.0f)
{
    Core::GalaState &gala = session.Gala;
    gala.GalaType = Core::GalaOpen;
    gala.MeetCode = QStringLiteral("M1");
    gala.DbVersion = version;
    for (const char *number : {"1", "2", "3"}) {
        Core::GalaEvent event;
        event.EvNumber = QString::fromLatin1(number);
        event.EvSex = QStringLiteral("F");
        event.EvGroup = QStringLiteral("OPEN");
        event.EvDistance = QStringLiteral("100");
        event.EvStroke = QStringLiteral("FS");
        gala.Events << event;
    }
    gala.Combinations << QStringList{"1", "3"};
    session.MeetDb.Open(path);
    gala.MeetDbOpen = true;
    gala.UseMeetDb = true;
}

EntrantRecord Swimmer(const QString &name, const QStringList &events)
{
    EntrantRecord record;
    record.Kind = EntrantKind::Individual;
    record.Name = record.FullName = name;
    record.Club = QStringLiteral("VMSC");
    record.Age = QStringLiteral("05/03/10");
    record.Sex = QStringLiteral("F");
    record.Regno = QStringLiteral("123456");
    for (const QString &event : events)
        record.Swims << EntrySwimRecord{int(event.toInt() - 1), event, QStringLiteral("1:05.30"),
                                        QString()};
    return record;
}

// The rows of a table as "field=value" lists, for comparing whole records.
QStringList Rows(MeetDb::Database &db, const QString &table, const QStringList &fields)
{
    QStringList rows;
    std::unique_ptr<MeetDb::RecordSet> rs = db.OpenTable(table);
    for (rs->MoveFirst(); !rs->Eof(); rs->MoveNext()) {
        QStringList values;
        for (const QString &field : fields)
            values << (rs->IsNull(field) ? QStringLiteral("<null>") : rs->Text(field));
        rows << values.join(u'|');
    }
    return rows;
}

int StoredNext(MeetDb::Database &db)
{
    return Rows(db, "Meet Table", {"Next Competitor Number"}).value(0).toInt();
}

} // namespace

class TestEntryWriter : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void everyFieldIsWritten()
    {
        TestDir dir;
        const QString path = dir.FilePath("natamar.mdb");
        MakeMeet(path);
        MeetDb::Session session;
        LoadSession(session, path);
        MeetDbEntryStore store(session);

        EntrantRecord record = Swimmer(QString::fromUtf8("Zoë O'Brien-Smith"), {});
        record.Swims << EntrySwimRecord{2, "3", "NT", "heat 2 only"}
                     << EntrySwimRecord{1, "2", "", ""} << EntrySwimRecord{0, "1", "1:05.30", ""};
        int number = 0;
        QString error;
        QVERIFY2(store.WriteEntrant(record, &number, &error), qPrintable(error));
        QCOMPARE(number, 1);

        QCOMPARE(Rows(session.MeetDb, "Entrant Table",
                      {"Meet code", "Entrant Number", "Swimmer Name", "club", "age", "Sex",
                       "Card Printed", "Regno", "Address_Line_1"}),
                 QStringList{
                     QString::fromUtf8("M1|1|Zoë O'Brien-Smith|VMSC|05/03/10|F|0|123456|<null>")});
        // Slot order is kept; "NT" and an empty time are stored as no time; "Combined With"
        // names the first event of the combination.
        QCOMPARE(
            Rows(session.MeetDb, "Swim Table",
                 {"Meet code", "Entrant Number", "Event number", "Event Sequence", "Combined With",
                  "Entry Time", "Time", "Confirmed", "Position", "DQ", "DQ Reason", "Meet Specific",
                  "Seed Order", "DNS", "Notes", "Points", "Heat No", "Lane No", "Progref"}),
            QStringList({"M1|1|3|3|1|9:99.99|9:99.99|0|0|0||heat 2 only|0|0||0|<null>|"
                         "<null>|<null>",
                         "M1|1|2|2|2|9:99.99|9:99.99|0|0|0|||0|0||0|<null>|<null>|<null>",
                         "M1|1|1|1|1|1:05.30|1:05.30|0|0|0|||0|0||0|<null>|<null>|<null>"}));
        QCOMPARE(StoredNext(session.MeetDb), 2);
        QCOMPARE(session.Gala.NextCompetitorNumber, 2);
    }

    void regnoOnlyFromVersionOne_data()
    {
        QTest::addColumn<QString>("version");
        QTest::addColumn<QString>("regno");
        QTest::newRow("0.9 has no Regno") << "0.9"
                                          << "<null>";
        QTest::newRow("1.0 has Regno") << "1.0"
                                       << "123456";
        QTest::newRow("1.1 has Regno") << "1.1"
                                       << "123456";
    }
    void regnoOnlyFromVersionOne()
    {
        QFETCH(QString, version);
        QFETCH(QString, regno);
        TestDir dir;
        const QString path = dir.FilePath("natamar.mdb");
        MakeMeet(path, version);
        MeetDb::Session session;
        LoadSession(session, path, version.toFloat());
        MeetDbEntryStore store(session);
        int number = 0;
        QVERIFY(store.WriteEntrant(Swimmer("Jane Brown", {"1"}), &number, nullptr));
        QCOMPARE(Rows(session.MeetDb, "Entrant Table", {"Regno"}), QStringList{regno});
    }

    void memberRecordCarriesTheAddress()
    {
        TestDir dir;
        const QString path = dir.FilePath("natamar.mdb");
        MakeMeet(path);
        MeetDb::Session session;
        LoadSession(session, path);
        MeetDbEntryStore store(session);
        EntrantRecord record = Swimmer("Brown Jane", {});
        record.Kind = EntrantKind::Member;
        record.Address1 = "1 Mill Lane";
        record.Town = "Velmora";
        record.PostCode = "VM1 2AB";
        int number = 0;
        QVERIFY(store.WriteEntrant(record, &number, nullptr));
        QCOMPARE(Rows(session.MeetDb, "Entrant Table",
                      {"Swimmer Name", "Address_Line_1", "Address_Line_2", "Town", "Post Code"}),
                 QStringList{"Brown Jane|1 Mill Lane||Velmora|VM1 2AB"});
        QCOMPARE(StoredNext(session.MeetDb), 2);
    }

    void failureMidRecordWritesNothing()
    {
        TestDir dir;
        const QString path = dir.FilePath("natamar.mdb");
        MakeMeet(path);
        MeetDb::Session session;
        LoadSession(session, path);
        // The engine refuses the second swim, after the entrant and the first swim went in.
        session.MeetDb.Exec(QStringLiteral(
            R"(CREATE TRIGGER "Refuse 3" BEFORE INSERT ON "Swim Table" WHEN NEW."Event number" = '3')"
            R"( BEGIN SELECT RAISE(ABORT, 'disk full'); END)"));
        MeetDbEntryStore store(session);
        int number = 0;
        QString error;
        QVERIFY(!store.WriteEntrant(Swimmer("Jane Brown", {"1", "3"}), &number, &error));
        QVERIFY2(error.contains("disk full"), qPrintable(error));
        QCOMPARE(Rows(session.MeetDb, "Entrant Table", {"Entrant Number"}), QStringList());
        QCOMPARE(Rows(session.MeetDb, "Swim Table", {"Entrant Number"}), QStringList());
        QCOMPARE(StoredNext(session.MeetDb), 1);
        QCOMPARE(session.MeetDb.TransactionDepth(), 0);

        // The next record goes through under the number that was not used.
        QVERIFY(store.WriteEntrant(Swimmer("Ann Green", {"1"}), &number, &error));
        QCOMPARE(number, 1);
    }

    void twoProgramsNeverShareANumber()
    {
        TestDir dir;
        const QString path = dir.FilePath("natamar.mdb");
        MakeMeet(path);
        MeetDb::Session first, second;
        LoadSession(first, path);
        LoadSession(second, path);
        MeetDbEntryStore a(first), b(second);
        QList<int> numbers;
        for (int i = 0; i < 3; ++i) {
            int number = 0;
            QVERIFY(
                a.WriteEntrant(Swimmer(QStringLiteral("A %1").arg(i), {"1"}), &number, nullptr));
            numbers << number;
            QVERIFY(
                b.WriteEntrant(Swimmer(QStringLiteral("B %1").arg(i), {"2"}), &number, nullptr));
            numbers << number;
        }
        QCOMPARE(numbers, QList<int>({1, 2, 3, 4, 5, 6}));
        QCOMPARE(StoredNext(first.MeetDb), 7);
    }

    void counterBehindIsPassedOver()
    {
        TestDir dir;
        const QString path = dir.FilePath("natamar.mdb");
        MakeMeet(path);
        MeetDb::Session session;
        LoadSession(session, path);
        InsertRows(session.MeetDb, "Entrant Table", "Meet code|Entrant Number|Swimmer Name",
                   {"M1|1|Old One", "M1|9|Old Nine"});
        MeetDbEntryStore store(session);
        int number = 0;
        QVERIFY(store.WriteEntrant(Swimmer("Jane Brown", {"1"}), &number, nullptr));
        QCOMPARE(number, 10);
        QCOMPARE(StoredNext(session.MeetDb), 11);
        QCOMPARE(store.FindEntrant("Old Nine"), 9);
        QCOMPARE(store.FindEntrant("old nine"), 0);
    }

    void addressRecord()
    {
        TestDir dir;
        const QString path = dir.FilePath("address.mdb");
        MeetDb::CreateAddressDatabase(path);
        MeetDb::Database db;
        db.Open(path);
        AddressRecord address{"1 Mill Lane", "", "Velmora", "Westshire", "VM1 2AB", 3, 7.5};
        WriteAddressRecord(db, Swimmer(QString::fromUtf8("Zoë O'Brien Smith"), {}), 12, address);
        WriteAddressRecord(db, Swimmer("Cher", {}), 13, address);
        QCOMPARE(Rows(db, "Entrant Table",
                      {"First Name", "SurName", "Sex", "club", "Address Line 1", "Entrant No",
                       "Town", "County", "Post Code", "Events Entered", "Fee"}),
                 QStringList({QString::fromUtf8("Zoë|O'Brien Smith|F|VMSC|1 Mill Lane|12|Velmora|"
                                                "Westshire|VM1 2AB|3|7.5"),
                              "Cher||F|VMSC|1 Mill Lane|13|Velmora|Westshire|VM1 2AB|3|7.5"}));
    }
};

QTEST_GUILESS_MAIN(TestEntryWriter)
#include "tst_entrywriter.moc"
