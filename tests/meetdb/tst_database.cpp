#include <QDate>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTest>

#include "meetdb/database.h"
#include "meetdb/schema.h"
#include "support/dbrows.h"
#include "support/entryfixture.h"
#include "support/testfiles.h"

using namespace MeetDb;

// Record sets and transactions against real SQLite files; bad files are tried by the load tests.
class TstDatabase : public QObject
{
    Q_OBJECT

    TestDir m_dir;

    // A fresh meet database with entrants 1 to 3 ("Swimmer 1" ...) of meet "M1", opened in `db`.
    QString MakeFile(Database &db)
    {
        static int count = 0;
        const QString path = m_dir.FilePath(QStringLiteral("meet%1.db").arg(++count));
        CreateMeetDatabase(path);
        db.Open(path);
        InsertRows(db, "Entrant Table", "Meet code|Entrant Number|Swimmer Name",
                   {"M1|1|Swimmer 1", "M1|2|Swimmer 2", "M1|3|Swimmer 3"});
        return path;
    }

    static QString Names(RecordSet &rs)
    {
        QStringList names;
        for (rs.MoveFirst(); !rs.Eof(); rs.MoveNext())
            names << rs.Text("Swimmer Name");
        return names.join(u',');
    }

private Q_SLOTS:
    void missingNames_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("expected");
        // clang-format off
        QTest::newRow("table") << "Heat Table" << "Table 'Heat Table' not found in %path";
        QTest::newRow("query") << "Heats" << "Saved query 'Heats' not found in %path";
        QTest::newRow("field") << "Lane" << "Field 'Lane' not found in 'Entrant Table'";
        QTest::newRow("parameter") << "Lane" << "Saved query 'Entrants for 1 Meet' has no parameter 'Lane'";
        // clang-format on
    }
    void missingNames()
    {
        const QString kind = QTest::currentDataTag();
        QFETCH(QString, name);
        QFETCH(QString, expected);
        Database db;
        const QString path = MakeFile(db);
        auto rs = db.OpenTable("Entrant Table");
        rs->Edit();
        try {
            if (kind == u"table")
                db.OpenTable(name);
            else if (kind == u"query")
                db.OpenQuery(name);
            else if (kind == u"parameter")
                db.OpenQuery("Entrants for 1 Meet").SetParameter(name, 1);
            else
                rs->SetField(name, 1);
            QFAIL("no DbError");
        } catch (const DbError &error) {
            QCOMPARE(error.Message(), expected.replace("%path", path));
        }
    }

    // What a value written reads back as: Text, Int and Flag (true only above 0).
    void values_data()
    {
        QTest::addColumn<QVariant>("stored");
        QTest::addColumn<QString>("read");
        // clang-format off
        QTest::newRow("null") << QVariant() << "null  0 0";
        QTest::newRow("true written") << QVariant(true) << "set 1 1 1";
        QTest::newRow("minus one is not true") << QVariant(-1) << "set -1 -1 0";
        QTest::newRow("word") << QVariant("TRUE") << "set TRUE 0 0";
        QTest::newRow("date") << QVariant(QDate(2025, 6, 3)) << "set 2025-06-03 0 0";
        // clang-format on
    }
    void values()
    {
        QFETCH(QVariant, stored);
        Database db;
        MakeFile(db);
        auto rs = db.OpenTable("Entrant Table");
        rs->Edit();
        rs->SetField("Regno", stored);
        rs->Update();
        rs = db.OpenTable("Entrant Table"); // read back from the file
        QTEST(QStringLiteral("%1 %2 %3 %4")
                  .arg(rs->IsNull("Regno") ? "null" : "set", rs->Text("Regno"))
                  .arg(rs->Int("Regno"))
                  .arg(rs->Flag("Regno")),
              "read");
    }

    void walkAddEditDeleteSeek()
    {
        Database db;
        const QString path = MakeFile(db);
        auto rs = db.OpenTable("entrant table"); // names match without case
        const QString name = "Swimmer Name";
        rs->AddNew();
        rs->SetField("Meet code", "M1");
        rs->SetField("Entrant Number", 4);
        rs->SetField(name, "Zoë O'Brien-Smith");
        rs->Update();
        QCOMPARE(rs->Text(name), "Zoë O'Brien-Smith"); // the new record is current
        QCOMPARE(rs->Flag("Card Printed"), false);     // the table's default
        rs->MoveFirst();
        rs->Edit();
        rs->SetField(name, "Ann Lee");
        QCOMPARE(rs->Text(name), "Ann Lee"); // reads as pending
        rs->Update();
        Database other;
        other.Open(path);
        QCOMPARE(Names(*other.OpenTable("Entrant Table")),
                 "Ann Lee,Swimmer 2,Swimmer 3,Zoë O'Brien-Smith");
        rs->MoveFirst();

        // Deleting the second record: the walk goes on with the third.
        rs->MoveNext();
        rs->Delete();
        QVERIFY_THROWS_EXCEPTION(DbError, rs->Text(name));
        rs->MoveNext();
        QCOMPARE(rs->Text(name), "Swimmer 3");
        for (int i = 0; i < 3; ++i)
            rs->MoveNext(); // past Zoë to the end, where it stays
        QVERIFY(rs->Eof() && rs->Source() == "Entrant Table");
        QVERIFY_THROWS_EXCEPTION(DbError, rs->Text(name));

        // A write that breaks the primary key fails and changes nothing.
        rs->AddNew();
        rs->SetField("Meet code", "M1");
        rs->SetField("Entrant Number", 3);
        QVERIFY_THROWS_EXCEPTION(DbError, rs->Update());
        QCOMPARE(rs->RecordCount(), 3);
        QVERIFY_THROWS_EXCEPTION(DbError, rs->Update()); // the failed AddNew is gone

        rs->Seek({"M1", "3"}); // a number given as text still matches
        QVERIFY(!rs->NoMatch() && rs->Text(name) == "Swimmer 3");
        rs->Seek({"M2", 3});
        QVERIFY(rs->NoMatch() && rs->Eof());
        QVERIFY_THROWS_EXCEPTION(DbError, rs->Seek({"M1"})); // two key fields needed
    }

    // An inner transaction left without Commit undoes only its own work; an error out of the
    // outer one undoes everything.
    void nestedTransactions()
    {
        Database db;
        MakeFile(db);
        try {
            Transaction outer(db);
            auto rs = db.OpenTable("Entrant Table");
            rs->Delete();
            {
                Transaction inner(db);
                rs->MoveNext();
                rs->Delete();
            }
            QCOMPARE(Names(*db.OpenTable("Entrant Table")), "Swimmer 2,Swimmer 3");
            throw DbError("command failed");
        } catch (const DbError &) {
        }
        QVERIFY(db.TransactionDepth() == 0);
        QCOMPARE(Names(*db.OpenTable("Entrant Table")), "Swimmer 1,Swimmer 2,Swimmer 3");
    }

    void lockedDatabase()
    {
        Database writer, second;
        const QString path = MakeFile(writer);
        second.SetBusyTimeout(50);
        second.Open(path);
        writer.Begin();
        try {
            second.Begin();
            QFAIL("a second writer got the lock");
        } catch (const DbError &error) {
            QVERIFY2(error.Message().contains("locked by another program") &&
                         error.Message().contains(QFileInfo(path).fileName()),
                     qPrintable(error.Message()));
        }
        QCOMPARE(second.TransactionDepth(), 0);
        // Readers are not held up while another program writes.
        QCOMPARE(second.OpenTable("Entrant Table")->RecordCount(), 3);
        writer.Commit();
    }

    // After "Record" the file itself holds the entrant: a copy of it alone, taken while the meet
    // is still open (as one would copy it to a memory stick), has every committed row.
    void copyOfFileHoldsRecord()
    {
        EntryGala gala(Core::GalaOpen, {"1|F|OPEN|50|FS", "2|F|OPEN|100|FS"});
        gala.UseMeetDb();
        QVERIFY(gala.Open());
        gala.Fill("Ann Green", "VMSC", "05/03/10", "F", 2, {"35.20", "1:15.00"});
        gala.form->Record();
        QCOMPARE(gala.prompts.Messages, QStringList());
        const QString copy = m_dir.FilePath("stick/natamar.mdb");
        QVERIFY(QDir().mkpath(m_dir.FilePath("stick")));
        QVERIFY(QFile::copy(gala.dir.FilePath("natamar.mdb"), copy));
        Database db;
        db.Open(copy, Database::Access::ReadOnly);
        QCOMPARE(TableRows(db, "Entrant Table", {"Swimmer Name"}), QStringList{"Ann Green"});
        QCOMPARE(TableRows(db, "Swim Table", {"Event number", "Entry Time"}),
                 QStringList({"1|35.20", "2|1:15.00"}));
    }

    // What a file brings cannot reach past it: ATTACH is off for the program's own statements
    // too, and a trigger stored in the file does not run on the program's writes.
    void fileCannotReachFurther_data()
    {
        QTest::addColumn<QString>("sql");
        QTest::newRow("attach") << "ATTACH :made AS other";
        QTest::newRow("trigger") << R"(CREATE TRIGGER "Wipe" AFTER INSERT ON "Entrant Table" )"
                                    R"(BEGIN DELETE FROM "Swim Table"; END)";
    }
    void fileCannotReachFurther()
    {
        QFETCH(QString, sql);
        Database db;
        MakeFile(db);
        InsertRows(db, "Swim Table", "Meet code|Entrant Number|Event number", {"M1|1|1"});
        const QString made = m_dir.FilePath("made.db");
        try {
            db.Exec(sql, {{"made", made}});
            InsertRows(db, "Entrant Table", "Meet code|Entrant Number|Swimmer Name",
                       {"M1|4|Swimmer 4"});
            QVERIFY(QTest::currentDataTag() != QLatin1String("attach"));
        } catch (const DbError &error) {
            QVERIFY2(error.Message().contains("too many attached databases"),
                     qPrintable(error.Message()));
        }
        QVERIFY(!QFileInfo::exists(made));
        QCOMPARE(db.OpenTable("Swim Table")->RecordCount(), 1);
    }
};

QTEST_GUILESS_MAIN(TstDatabase)
#include "tst_database.moc"
