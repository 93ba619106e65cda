#include <QTest>

#include "core/captureprompts.h"
#include "entries/entryimport.h"
#include "meetdb/competitionload.h"
#include "meetdb/schema.h"
#include "support/dbrows.h"
#include "support/entryfixture.h"

using namespace MeetDb;

namespace {

const QByteArray Header = "Kind,Name,Club,Sex,Age,Regno,Events\n";

// An open meet "O1" with clubs ASHB and VMSC; events 1 (girls) and 2 (boys) of group OPEN, 2
// combined into 1, 3 for girls under 10 and 4 for girls of OPEN; Ann Old entered as number 1,
// and entrants numbered from 5 on.
QString MakeMeet(const TestDir &dir)
{
    const QString path = dir.FilePath("natamar.mdb");
    CreateMeetDatabase(path);
    Database db;
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

class TestEntryImport : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void import_data()
    {
        QTest::addColumn<QByteArray>("line"); // the third line, after Sam Grey's
        QTest::addColumn<QString>("error");   // "" when the file is written
        // clang-format off
        QTest::newRow("written as Record writes") << QByteArray("I,\"O'Brien-Smith, Zoë\",vmsc,F,05/03/12,123,1=35.5 4=NT\n# a comment") << "";
        QTest::newRow("unknown event") << QByteArray("I,Ann Lee,VMSC,F,05/03/12,,9=35.00") << "Event 9 is not an event of this meet";
        QTest::newRow("bad time") << QByteArray("I,Ann Lee,VMSC,F,05/03/12,,1=fast") << "Invalid Time \"fast\" for event 1";
        QTest::newRow("boy in a girls' event") << QByteArray("I,Tom Lee,VMSC,M,05/03/12,,1=35.00") << "Event 1 is for sex F, not M";
        QTest::newRow("too old for U/10") << QByteArray("I,Nan Lee,VMSC,F,05/03/1949,,3=59.00") << "Age 77 on the qualifying date is too old for U/10";
        QTest::newRow("not a real date") << QByteArray("I,Ann Lee,VMSC,F,31/02/15,,1=35.00") << "Date is invalid";
        QTest::newRow("unknown club") << QByteArray("I,Ann Lee,ZZZ,F,05/03/12,,1=35.00") << "club \"ZZZ\" is not a club of this meet";
        QTest::newRow("entered already") << QByteArray("I,Ann Old,VMSC,F,5/3/12,,1=35.00") << "Ann Old is already entered as number 1";
        QTest::newRow("twice in the file") << QByteArray("I,Sam Grey,ASHB,M,1/1/11,,2=") << "Sam Grey is entered on line 2 already";
        QTest::newRow("member in an open meet") << QByteArray("M,Ann Lee,VMSC,F,05/03/12,,1=35.00") << "not a member gala";
        QTest::newRow("fields missing") << QByteArray("I,Ann Lee,VMSC,F") << "4 fields";
        QTest::newRow("quote not closed") << QByteArray("I,\"Lee, Ann,VMSC,F,05/03/12,,1=35.00") << "a quoted field is not closed";
        QTest::newRow("bad sex") << QByteArray("I,Ann Lee,VMSC,X,05/03/12,,1=35.00") << "sex \"X\" is not one of MF";
        QTest::newRow("no club") << QByteArray("I,Ann Lee,,F,05/03/12,,1=35.00") << "no club";
        QTest::newRow("no events") << QByteArray("I,Ann Lee,VMSC,F,05/03/12,,") << "no events";
        // clang-format on
    }

    // A bad line refuses the whole file, the good line before it included.
    void import()
    {
        QFETCH(QByteArray, line);
        QFETCH(QString, error);
        TestDir dir;
        Session session;
        Core::CapturePrompts prompts;
        QVERIFY(LoadMeetByCode(session, MakeMeet(dir), "O1", prompts));
        const auto rows = [&session](const QString &table, const QString &fields) {
            return TableRows(session.MeetDb, table, fields.split(u'|'));
        };
        const QString csv =
            dir.Write("in.csv", Header + "I,Sam Grey,ASHB,m,01/01/11,,2=\n" + line + "\n");
        QStringList errors;
        QCOMPARE(Entries::ImportEntriesCsv(session, csv, errors), error.isEmpty());
        QCOMPARE(errors.size(), error.isEmpty() ? 0 : 1);
        QVERIFY2(error.isEmpty() ||
                     (errors[0].startsWith("in.csv:3: ") && errors[0].contains(error)),
                 qPrintable(errors.value(0)));
        QStringList entrants{"1|Ann Old|VMSC|F"};
        if (error.isEmpty())
            entrants << "5|Sam Grey|ASHB|M" << QString::fromUtf8("6|O'Brien-Smith, Zoë|VMSC|F");
        QCOMPARE(rows("Entrant Table", "Entrant Number|Swimmer Name|club|Sex"), entrants);
        if (error.isEmpty()) {
            QCOMPARE(rows("Swim Table", "Entrant Number|Event number|Combined With|Entry Time"),
                     QStringList({"5|2|1|9:99.99", "6|1|1|35.50", "6|4|4|9:99.99"}));
            QCOMPARE(rows("Meet Table", "Next Competitor Number"), QStringList{"7"});
        }
    }

    void numbering_data()
    {
        QTest::addColumn<QStringList>("existing"); // entrant numbers already in the meet
        QTest::addColumn<int>("stored");           // its "Next Competitor Number"
        QTest::addColumn<QString>("numbers");      // the three imported entrants take these
        QTest::addColumn<int>("next");
        // clang-format off
        QTest::newRow("counter in step")     << QStringList{"3", "4"} << 5 << "5 6 7"    << 8;
        QTest::newRow("counter fell behind") << QStringList{"5", "9"} << 5 << "10 11 12" << 13;
        QTest::newRow("counter on a gap")    << QStringList{"5", "7"} << 6 << "6 8 9"    << 10;
        // clang-format on
    }

    // The numbers are those three "Record"s would give one after another.
    void numbering()
    {
        QFETCH(QStringList, existing);
        QFETCH(int, stored);
        TestDir dir;
        const QString path = MakeMeet(dir);
        {
            Database db;
            db.Open(path);
            db.Exec(R"(UPDATE "Meet Table" SET "Next Competitor Number" = :next)",
                    {{"next", stored}});
            QStringList rows;
            for (const QString &number : std::as_const(existing))
                rows << "O1|" + number + "|Old " + number;
            InsertRows(db, "Entrant Table", "Meet code|Entrant Number|Swimmer Name", rows);
        }
        Session session;
        Core::CapturePrompts prompts;
        QVERIFY(LoadMeetByCode(session, path, "O1", prompts));
        const QString csv = dir.Write("in.csv", Header + "I,Ann Lee,VMSC,F,05/03/12,,1=35.00\n"
                                                         "I,Sam Grey,VMSC,M,05/03/12,,2=40.00\n"
                                                         "I,Zoe Ash,VMSC,F,05/03/12,,1=NT\n");
        QStringList errors;
        QVERIFY(Entries::ImportEntriesCsv(session, csv, errors));
        QTEST(TableRows(session.MeetDb, "Swim Table", {"Entrant Number"}).join(' '), "numbers");
        QTEST(TableRows(session.MeetDb, "Meet Table", {"Next Competitor Number"}).join(' ').toInt(),
              "next");
        QTEST(session.Gala.NextCompetitorNumber, "next");
    }

    // Faults of the whole file: nothing is read from it.
    void fileFaults_data()
    {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<QString>("error");
        const QByteArray sam = "I,Sam Grey,ASHB,M,01/01/11,,2=";
        QTest::newRow("lines end in CR alone")
            << Header.chopped(1) + "\r" + sam + "\r"
            << "in.csv:1: the line ends in a carriage return alone";
        QTest::newRow("header misnamed")
            << "# entries\nKind,Name,Club,Sex,DOB,Regno,Events\n" + sam
            << "in.csv:2: the header must name the fields Kind,Name,Club,Sex,Age,Regno,Events";
        QTest::newRow("no header") << sam + "\n" + sam << "in.csv:1: the header must name";
    }
    void fileFaults()
    {
        QFETCH(QByteArray, file);
        QFETCH(QString, error);
        TestDir dir;
        Session session;
        Core::CapturePrompts prompts;
        QVERIFY(LoadMeetByCode(session, MakeMeet(dir), "O1", prompts));
        QStringList errors;
        QVERIFY(!Entries::ImportEntriesCsv(session, dir.Write("in.csv", file), errors));
        QVERIFY2(errors.size() == 1 && errors[0].startsWith(error), qPrintable(errors.join('\n')));
        QCOMPARE(TableRows(session.MeetDb, "Entrant Table", {"Entrant Number"}), QStringList{"1"});
    }
};

QTEST_GUILESS_MAIN(TestEntryImport)
#include "tst_entryimport.moc"
