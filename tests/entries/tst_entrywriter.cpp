#include <QTest>

#include "core/captureprompts.h"
#include "core/galastate.h"
#include "entries/entryimport.h"
#include "entries/entrywriter.h"
#include "meetdb/competitionload.h"
#include "meetdb/database.h"
#include "meetdb/meetimport.h"
#include "meetdb/schema.h"
#include "support/dbrows.h"
#include "support/entryfixture.h"

using namespace Entries;

namespace {

// Meet "M1" in natamar.mdb with events 1, 2 and 3, where 3 swims in the pool with 1.
struct Meet : EntryGala
{
    explicit Meet(const QString &version = QStringLiteral("1.0"))
        : EntryGala(Core::GalaOpen, {"1|F|OPEN|100|FS", "2|F|OPEN|100|FS", "3|F|OPEN|100|FS"})
    {
        UseMeetDb();
        Db().Exec(QStringLiteral(R"(DELETE FROM "Version Table")"));
        InsertRows(Db(), "Version Table", "Version", {version});
        session.Gala.DbVersion = version.toFloat();
        session.Gala.Combinations << QStringList{"1", "3"};
    }

    MeetDb::Database &Db() { return session.MeetDb; }
    QStringList Rows(const QString &table, const QStringList &fields)
    {
        return TableRows(Db(), table, fields);
    }
    int StoredNext() { return Column("Meet Table", "Next Competitor Number").value(0).toInt(); }
    // Writes through a store of the meet; the number given, or 0 on failure.
    int Write(const EntrantRecord &record, QString *error = nullptr)
    {
        int number = 0;
        return MeetDbEntryStore(session).WriteEntrant(record, &number, error) ? number : 0;
    }
};

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
        record.Swims << EntrySwimRecord{event.toInt() - 1, event, QStringLiteral("1:05.30"), {}};
    return record;
}

const QByteArray Header = "Kind,Name,Club,Sex,Age,Regno,Events\n";

// An open meet "O1": event 2 combined into 1, 3 for girls under 10; Ann Old is number 1.
QString MakeImportMeet(const TestDir &dir)
{
    const QString path = dir.FilePath("natamar.mdb");
    MeetDb::CreateMeetDatabase(path);
    MeetDb::Database db;
    db.Open(path);
    InsertRows(db, "Meet Table",
               "Meet code|Meet Name|Meet Date|Qual Date|Meet Type|Next Competitor Number",
               {"O1|Open|2027-03-14|2026-12-31|Open|5"});
    InsertRows(db, "Group Table", "Meet code|Group Order|Group Name|Group Description",
               {"O1|1|U10|U/10", "O1|2|OPEN|Open"});
    InsertRows(db, "Event Table",
               "Meet code|Event number|Event Sequence|Sex|Group|Distance|Stroke|Combine With",
               {"O1|1|1|F|OPEN|50|FS|2", "O1|2|2|M|OPEN|50|FS|", "O1|3|3|F|U10|50|BK|",
                "O1|4|4|F|OPEN|100|FS|"});
    InsertRows(db, "Club Name Table", "Meet code|Club Code|Club Name",
               {"O1|ASHB|Ashbury Barracudas", "O1|VMSC|Velmora Marlets"});
    InsertRows(db, "Entrant Table", "Meet code|Entrant Number|Swimmer Name|club|age|Sex",
               {"O1|1|Ann Old|VMSC|05/03/12|F"});
    return path;
}

} // namespace

class TestEntryWriter : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void everyFieldIsWritten()
    {
        Meet meet;
        EntrantRecord record = Swimmer(QString::fromUtf8("Zoë O'Brien-Smith"), {});
        record.Kind = EntrantKind::Member;
        record.Address1 = "1 Mill Lane";
        record.Town = "Velmora";
        record.PostCode = "VM1 2AB";
        record.Swims << EntrySwimRecord{2, "3", "NT", "heat 2 only"}
                     << EntrySwimRecord{1, "2", "", ""} << EntrySwimRecord{0, "1", "1:05.30", ""};
        QCOMPARE(meet.Write(record), 1);
        QCOMPARE(
            meet.Rows("Entrant Table", {"Meet code", "Entrant Number", "Swimmer Name", "club",
                                        "age", "Sex", "Card Printed", "Regno", "Address_Line_1",
                                        "Address_Line_2", "Town", "Post Code"}),
            QStringList{QString::fromUtf8("M1|1|Zoë O'Brien-Smith|VMSC|05/03/10|F|0|123456|"
                                          "1 Mill Lane||Velmora|VM1 2AB")});
        // Slot order is kept; "NT" and an empty time are stored as no time; "Combined With"
        // names the first event of the combination.
        QCOMPARE(meet.Rows("Swim Table",
                           {"Meet code", "Entrant Number", "Event number", "Event Sequence",
                            "Combined With", "Entry Time", "Time", "Confirmed", "Position", "DQ",
                            "DQ Reason", "Meet Specific", "Seed Order", "DNS", "Notes", "Points",
                            "Heat No", "Lane No", "Progref"}),
                 QStringList({"M1|1|3|3|1|9:99.99|9:99.99|0|0|0||heat 2 only|0|0||0|<null>|"
                              "<null>|<null>",
                              "M1|1|2|2|2|9:99.99|9:99.99|0|0|0|||0|0||0|<null>|<null>|<null>",
                              "M1|1|1|1|1|1:05.30|1:05.30|0|0|0|||0|0||0|<null>|<null>|<null>"}));
        // The name is compared exactly, though the database's index ignores case.
        QCOMPARE(MeetDbEntryStore(meet.session).FindEntrant("zoë o'brien-smith", {}), 0);
        // The address database takes the name split at its first blank; one word is all first name.
        MeetDb::CreateAddressDatabase(meet.dir.FilePath("address.mdb"));
        MeetDb::Database addresses;
        addresses.Open(meet.dir.FilePath("address.mdb"));
        for (const EntrantRecord &entrant : {record, Swimmer("Cher", {})})
            WriteAddressRecord(addresses, entrant, 12,
                               {"1 Mill", "Flat 2", "Town", "Shire", "VM1", 3, 7.5});
        const QString rest = "|F|VMSC|1 Mill|Flat 2|12|Town|Shire|VM1|3|7.5";
        QCOMPARE(
            TableRows(addresses, "Entrant Table",
                      {"First Name", "SurName", "Sex", "club", "Address Line 1", "Address Line 2",
                       "Entrant No", "Town", "County", "Post Code", "Events Entered", "Fee"}),
            QStringList({QString::fromUtf8("Zoë|O'Brien-Smith") + rest, "Cher|" + rest}));
        Meet old("0.9"); // no Regno before version 1
        QCOMPARE(old.Write(Swimmer("Jane Brown", {"1"})), 1);
        QCOMPARE(old.Column("Entrant Table", "Regno"), QStringList{"<null>"});
    }

    void failureMidRecordWritesNothing()
    {
        Meet meet;
        // The engine refuses the second swim, after the entrant and the first went in (an index
        // on event 3 that overflows; files' triggers are off).
        meet.Db().Exec(QStringLiteral(
            R"(CREATE INDEX "Refuse 3" ON "Swim Table" )"
            R"((abs(CASE WHEN "Event number" = '3' THEN -9223372036854775807 - 1 ELSE 0 END)))"));
        QString error;
        QCOMPARE(meet.Write(Swimmer("Jane Brown", {"1", "3"}), &error), 0);
        QVERIFY2(error.contains("integer overflow"), qPrintable(error));
        QCOMPARE(meet.Rows("Entrant Table", {"Entrant Number"}), QStringList());
        QCOMPARE(meet.Rows("Swim Table", {"Entrant Number"}), QStringList());
        QCOMPARE(meet.StoredNext(), 1);
        QCOMPARE(meet.Db().TransactionDepth(), 0);
        // The next record goes through under the number that was not used.
        QCOMPARE(meet.Write(Swimmer("Ann Green", {"1"})), 1);
    }

    // Three entrants take the numbers three "Record"s give, also when imported; an overflow
    // is refused and nothing written.
    void numbering_data()
    {
        QTest::addColumn<QString>("next");     // the stored counter; "null" for none
        QTest::addColumn<QString>("existing"); // entrant numbers already in the meet
        QTest::addColumn<QString>("expected"); // the numbers given and the counter after, or
                                               // a part of the message
        // clang-format off
        QTest::newRow("null counter")         << "null"       << ""       << "1 2 3 4";
        QTest::newRow("counter in step")      << "5"          << "3 4"    << "5 6 7 8";
        QTest::newRow("counter fell behind")  << "5"          << "5 9"    << "10 11 12 13";
        QTest::newRow("counter on a gap")     << "6"          << "5 7"    << "6 8 9 10";
        QTest::newRow("counter at int max")   << "2147483647" << ""       << "up to 999999";
        QTest::newRow("counter huge")         << "1e300"      << ""       << "up to 999999";
        QTest::newRow("counter not a number") << "many"       << ""       << "up to 999999";
        QTest::newRow("highest at the top")   << "1"          << "1 999999" << "already has entrant number 999999";
        // clang-format on
    }
    void numbering()
    {
        QFETCH(QString, next);
        QFETCH(QString, existing);
        QFETCH(QString, expected);
        for (const bool import : {false, true}) {
            Meet meet;
            if (next == u"null") { // only a table rebuilt without the schema's default holds one
                meet.Db().Exec(R"(CREATE TABLE "Copy" AS SELECT * FROM "Meet Table")");
                meet.Db().Exec(R"(DROP TABLE "Meet Table")");
                meet.Db().Exec(R"(ALTER TABLE "Copy" RENAME TO "Meet Table")");
            }
            const QVariant value = next == u"null"       ? QVariant()
                                   : next.toDouble() > 0 ? QVariant(next.toDouble())
                                                         : QVariant(next);
            meet.Db().Exec(R"(UPDATE "Meet Table" SET "Next Competitor Number" = :next)",
                           {{"next", value}});
            for (const QString &number : existing.split(u' ', Qt::SkipEmptyParts))
                InsertRows(meet.Db(), "Entrant Table", "Meet code|Entrant Number|Swimmer Name",
                           {"M1|" + number + "|Old " + number});
            QString error;
            QStringList numbers;
            if (import) {
                QStringList errors;
                Entries::ImportEntriesCsv(
                    meet.session,
                    meet.dir.Write("in.csv", Header + "I,Ann Lee,VMSC,F,05/03/12,,1=35.00\n"
                                                      "I,Bea Ray,VMSC,F,05/03/12,,2=40.00\n"
                                                      "I,Zoe Ash,VMSC,F,05/03/12,,1=NT\n"),
                    errors);
                error = errors.join(u'\n');
                numbers = meet.Rows("Swim Table", {"Entrant Number"});
            } else {
                for (const char *name : {"Ann Lee", "Bea Ray", "Zoe Ash"})
                    if (const int number = meet.Write(Swimmer(name, {"1"}), &error))
                        numbers << QString::number(number);
            }
            if (!expected.front().isDigit()) {
                QVERIFY2(error.contains(expected), qPrintable(error));
                QCOMPARE(meet.Rows("Swim Table", {"Entrant Number"}), QStringList());
                continue;
            }
            QCOMPARE((numbers << QString::number(meet.StoredNext())).join(u' '), expected);
            QCOMPARE(meet.session.Gala.NextCompetitorNumber, meet.StoredNext());
        }
    }

    // An import: every line refused is named by file and line, and a refusal keeps the whole
    // file out, the good line before it included. Rows: the file and the errors expected.
    void import_data()
    {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<QString>("errors");
        const QByteArray sam = "I,Sam Grey,ASHB,m,01/01/11,,2=";
        const QString header =
            "the header must name the fields Kind,Name,Club,Sex,Age,Regno,Events";
        // clang-format off
        QTest::newRow("written as Record writes") << Header + sam + "\nI,\"O'Brien-Smith, Zoë\",vmsc,F,5.3.2012,123,1=35.5 4=NT\n# a comment\n" << "";
        const QByteArray regno60(60, '7');
        QTest::newRow("regno of 60") << Header + "I,Sam Grey,ASHB,m,01/01/11," + regno60 + ",2=\nI,\"O'Brien-Smith, Zoë\",vmsc,F,05/03/12,123,1=35.5 4=NT\n" << "";
        QTest::newRow("regno of 61") << Header + "I,Sam Grey,ASHB,m,01/01/11," + regno60 + "7,2=\n" << "in.csv:2: the registration number is longer than 60 characters";
        QTest::newRow("regno with a tab") << Header + "I,Sam Grey,ASHB,m,01/01/11,12\t34,2=\n" << "in.csv:2: the registration number holds a control character";
        QTest::newRow("lines refused") << TestDir::Read(TestDataPath("entries/refused.csv")) << QString::fromUtf8(TestDir::Read(TestDataPath("entries/refused.txt"))).trimmed();
        QTest::newRow("lines end in CR alone") << Header.chopped(1) + "\r" + sam + "\r" << "in.csv:1: the line ends in a carriage return alone; save the file with CR LF or LF line ends";
        QTest::newRow("header misnamed") << "# entries\nKind,Name,Club,Sex,DOB,Regno,Events\n" + sam << "in.csv:2: " + header;
        QTest::newRow("no header") << sam + "\n" + sam << "in.csv:1: " + header;
        // clang-format on
    }
    void import()
    {
        QFETCH(QByteArray, file);
        QFETCH(QString, errors);
        TestDir dir;
        MeetDb::Session session;
        Core::CapturePrompts prompts;
        QVERIFY(MeetDb::LoadMeetByCode(session, MakeImportMeet(dir), "O1", prompts));
        const auto rows = [&session](const QString &table, const QString &fields) {
            return TableRows(session.MeetDb, table, fields.split(u'|'));
        };
        QStringList seen;
        QCOMPARE(Entries::ImportEntriesCsv(session, dir.Write("in.csv", file), seen),
                 errors.isEmpty());
        QCOMPARE(seen.join(u'\n'), errors);
        // Clubs in capitals and dates of birth in one form, however the file spells them.
        QStringList entrants{"1|Ann Old|VMSC|05/03/12|F"};
        if (errors.isEmpty())
            entrants << "5|Sam Grey|ASHB|2011-01-01|M"
                     << QString::fromUtf8("6|O'Brien-Smith, Zoë|VMSC|2012-03-05|F");
        QCOMPARE(rows("Entrant Table", "Entrant Number|Swimmer Name|club|age|Sex"), entrants);
        if (errors.isEmpty()) {
            QCOMPARE(rows("Swim Table", "Entrant Number|Event number|Combined With|Entry Time"),
                     QStringList({"5|2|1|9:99.99", "6|1|1|35.50", "6|4|4|9:99.99"}));
            QCOMPARE(rows("Meet Table", "Next Competitor Number"), QStringList{"7"});
        }
    }

    // A masters meet: a swimmer's age group is the letter given or the one the date of birth
    // gives; a relay team names its relay group.
    void mastersImport_data()
    {
        QTest::addColumn<QByteArray>("lines");
        QTest::addColumn<QString>("result"); // the errors, or the entrants and swims written
        // clang-format off
        QTest::newRow("letters, dates and relays")
            << QByteArray("I,Lottie Vesey,VMSC,F,F,,11=1:40.00\nI,Ann Lee,VMSC,F,05/03/1980,,1=35.00\n"
                          "R,Velmora Ladies,VMSC,F,R100,,18=2:21.90\n")
            << "1|Lottie Vesey|F;2|Ann Lee|E;3|Velmora Ladies|R100;1|11;2|1;3|18";
        QTest::newRow("refused")
            << QByteArray("R,Velmora Ladies,VMSC,F,R999,,18=2:21.90\nI,Ann Lee,VMSC,F,05/03/2015,,1=35.00\n")
            << "in.csv:2: \"R999\" is not a relay group of this meet\nin.csv:3: Ann Lee is too young for masters at 12";
        QTest::newRow("an event twice on a line")
            << QByteArray("I,Ann Lee,VMSC,F,05/03/1980,,1=35.00\nI,Bea Corr,VMSC,F,05/03/1981,,1=35.00 1=36.00\n")
            << "in.csv:3: event 1 is entered twice";
        // clang-format on
    }
    void mastersImport()
    {
        QFETCH(QByteArray, lines);
        TestDir dir;
        const QString path = dir.FilePath("natamar.mdb");
        MeetDb::CreateMeetDatabase(path);
        MeetDb::ImportMessages messages;
        QVERIFY(
            MeetDb::AddMeetFromFile(path, TestDataPath("../../demo/masters.ini"), "MS", messages));
        MeetDb::Session session;
        Core::CapturePrompts prompts;
        QVERIFY(MeetDb::LoadMeetByCode(session, path, "MS", prompts));
        QStringList errors;
        const bool imported =
            Entries::ImportEntriesCsv(session, dir.Write("in.csv", Header + lines), errors);
        const QStringList entrants =
            TableRows(session.MeetDb, "Entrant Table", {"Entrant Number", "Swimmer Name", "age"});
        const QStringList swims =
            TableRows(session.MeetDb, "Swim Table", {"Entrant Number", "Event number"});
        QTEST(imported ? (entrants + swims).join(u';') : errors.join(u'\n'), "result");
        QVERIFY(imported || entrants.isEmpty());
    }
};

QTEST_GUILESS_MAIN(TestEntryWriter)
#include "tst_entrywriter.moc"
