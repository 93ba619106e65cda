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

// An open meet "O1" with events 1 (girls) and 2 (boys), 2 combined into 1, and entrants
// numbered from 5 on.
QString MakeMeet(const TestDir &dir)
{
    const QString path = dir.FilePath("natamar.mdb");
    CreateMeetDatabase(path);
    Database db;
    db.Open(path);
    InsertRows(db, "Meet Table", "Meet code|Meet Name|Meet Date|Meet Type|Next Competitor Number",
               {"O1|Open|2027-03-14|Open|5"});
    InsertRows(db, "Group Table", "Meet code|Group Order|Group Name|Group Description",
               {"O1|1|OPEN|Open"});
    InsertRows(db, "Event Table",
               "Meet code|Event number|Event Sequence|Sex|Group|Distance|Stroke|Combine With",
               {"O1|1|1|F|OPEN|50|FS|2", "O1|2|2|M|OPEN|50|FS|"});
    return path;
}

} // namespace

class TestEntryImport : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void import_data()
    {
        QTest::addColumn<QByteArray>("line"); // the third line, after a good one
        QTest::addColumn<QString>("error");   // "" when the file is written
        // clang-format off
        QTest::newRow("written as Record writes") << QByteArray("I,Zoë O'Brien-Smith,VMSC,F,05/03/12,123,1=35.5 2=NT\n# a comment") << "";
        QTest::newRow("unknown event") << QByteArray("I,Ann Lee,VMSC,F,05/03/12,,9=35.00") << "event 9 is not an event";
        QTest::newRow("bad time") << QByteArray("I,Ann Lee,VMSC,F,05/03/12,,1=fast") << "\"fast\" is not an entry time";
        QTest::newRow("member in an open meet") << QByteArray("M,Ann Lee,VMSC,F,05/03/12,,1=35.00") << "not a member gala";
        QTest::newRow("fields missing") << QByteArray("I,Ann Lee,VMSC,F") << "4 fields";
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
        QCOMPARE(rows("Entrant Table", "Entrant Number|Swimmer Name|Sex"),
                 error.isEmpty() ? QStringList({"5|Sam Grey|M", "6|Zoë O'Brien-Smith|F"})
                                 : QStringList());
        if (error.isEmpty()) {
            QCOMPARE(rows("Swim Table", "Entrant Number|Event number|Combined With|Entry Time"),
                     QStringList({"5|2|1|9:99.99", "6|1|1|35.50", "6|2|1|9:99.99"}));
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
        QTest::newRow("counter in step")     << QStringList{"1", "4"} << 5 << "5 6 7"    << 8;
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
};

QTEST_GUILESS_MAIN(TestEntryImport)
#include "tst_entryimport.moc"
