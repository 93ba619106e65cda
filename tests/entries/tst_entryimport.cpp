#include <QSqlQuery>
#include <QTest>

#include "core/captureprompts.h"
#include "entries/entryimport.h"
#include "meetdb/competitionload.h"
#include "meetdb/database.h"
#include "meetdb/schema.h"
#include "meetdb/session.h"
#include "support/dbrows.h"
#include "support/testfiles.h"

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

QStringList Column(Database &db, const QString &sql)
{
    QStringList values;
    QSqlQuery query(db.Connection());
    query.exec(sql);
    while (query.next())
        values << query.value(0).toString();
    return values;
}

} // namespace

class TestEntryImport : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void writesAsRecordDoes()
    {
        TestDir dir;
        const QString path = MakeMeet(dir);
        const QString csv = dir.Write(
            "entries.csv", Header + "# a comment\n"
                                    "I,Zoë O'Brien-Smith,VMSC,F,05/03/12,123,1=35.5 2=NT\n"
                                    "I,Sam Grey,ASHB,m,01/01/11,,2=\n");
        Session session;
        Core::CapturePrompts prompts;
        QVERIFY(LoadMeetByCode(session, path, "O1", prompts));
        QStringList errors;
        int written = 0;
        QVERIFY(Entries::ImportEntriesCsv(session, csv, errors, &written));
        QCOMPARE(errors, QStringList());
        QCOMPARE(written, 2);

        Database &db = session.MeetDb;
        QCOMPARE(Column(db, R"(SELECT "Entrant Number" || ' ' || "Swimmer Name" || ' ' || "Sex"
                              FROM "Entrant Table" ORDER BY 1)"),
                 QStringList({"5 Zoë O'Brien-Smith F", "6 Sam Grey M"}));
        QCOMPARE(Column(db, R"(SELECT "Entrant Number" || ':' || "Event number" || ':' ||
                              "Combined With" || ':' || "Entry Time" FROM "Swim Table"
                              ORDER BY "Entrant Number", "Event number")"),
                 QStringList({"5:1:1:35.50", "5:2:1:9:99.99", "6:2:1:9:99.99"}));
        QCOMPARE(Column(db, R"(SELECT "Next Competitor Number" FROM "Meet Table")"),
                 QStringList{"7"});
    }

    void refusesBadLines_data()
    {
        QTest::addColumn<QByteArray>("line");
        QTest::addColumn<QString>("error");

        QTest::newRow("unknown event")
            << QByteArray("I,Ann Lee,VMSC,F,05/03/12,,9=35.00") << "event 9 is not an event";
        QTest::newRow("bad time") << QByteArray("I,Ann Lee,VMSC,F,05/03/12,,1=fast")
                                  << "\"fast\" is not an entry time";
        QTest::newRow("member in an open meet")
            << QByteArray("M,Ann Lee,VMSC,F,05/03/12,,1=35.00") << "not a member gala";
        QTest::newRow("fields missing") << QByteArray("I,Ann Lee,VMSC,F") << "4 fields";
        QTest::newRow("bad sex") << QByteArray("I,Ann Lee,VMSC,X,05/03/12,,1=35.00")
                                 << "sex \"X\" is not one of MF";
        QTest::newRow("no club") << QByteArray("I,Ann Lee,,F,05/03/12,,1=35.00") << "no club";
        QTest::newRow("no events") << QByteArray("I,Ann Lee,VMSC,F,05/03/12,,") << "no events";
    }

    void refusesBadLines()
    {
        QFETCH(QByteArray, line);
        QFETCH(QString, error);

        TestDir dir;
        const QString path = MakeMeet(dir);
        const QString csv =
            dir.Write("bad.csv", Header + "I,Sam Grey,ASHB,M,01/01/11,,2=40.00\n" + line + "\n");
        Session session;
        Core::CapturePrompts prompts;
        QVERIFY(LoadMeetByCode(session, path, "O1", prompts));
        QStringList errors;
        QVERIFY(!Entries::ImportEntriesCsv(session, csv, errors));
        QCOMPARE(errors.size(), 1);
        QVERIFY2(errors[0].startsWith("bad.csv:3: ") && errors[0].contains(error),
                 qPrintable(errors[0]));
        // The good line before it is not written either.
        QCOMPARE(Column(session.MeetDb, R"(SELECT count(*) FROM "Entrant Table")"),
                 QStringList{"0"});
    }
};

QTEST_GUILESS_MAIN(TestEntryImport)
#include "tst_entryimport.moc"
