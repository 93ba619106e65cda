#include <QDate>
#include <QFileInfo>
#include <QSqlDatabase>
#include <QTest>

#include "meetdb/database.h"
#include "meetdb/schema.h"
#include "support/dbrows.h"
#include "support/testfiles.h"

using namespace MeetDb;

// Record sets, transactions and file checks, all against real SQLite files.
class TstDatabase : public QObject
{
    Q_OBJECT

    TestDir m_dir;

    // A fresh meet database with entrants 1 to 3 ("Swimmer 1" ...) of meet "M1".
    QString MakeFile()
    {
        static int count = 0;
        const QString path = m_dir.FilePath(QStringLiteral("meet%1.db").arg(++count));
        CreateMeetDatabase(path);
        Database db;
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
    void badFiles_data()
    {
        QTest::addColumn<QByteArray>("bytes"); // null: the file is not written at all
        QTest::addColumn<QString>("expected");
        QByteArray random(4096, Qt::Uninitialized);
        for (int i = 0; i < random.size(); ++i)
            random[i] = char((i * 7919 + 13) % 251);
        QTest::newRow("missing") << QByteArray() << "the file does not exist";
        QTest::newRow("empty") << QByteArray("") << "the file is empty";
        QTest::newRow("random bytes") << random << "not a SQLite database";
        QTest::newRow("text file")
            << QByteArray("\"1\",\"Ann Lee\",\"VMSC\"\r\n") << "not a SQLite database";
    }
    void badFiles()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, expected);
        const QString name = QStringLiteral("%1.db").arg(QTest::currentDataTag());
        const QString path = bytes.isNull() ? m_dir.FilePath(name) : m_dir.Write(name, bytes);
        const QStringList connections = QSqlDatabase::connectionNames();
        Database db;
        try {
            db.Open(path);
            QFAIL("Open accepted a bad file");
        } catch (const DbError &error) {
            QVERIFY2(error.Message().contains(name), qPrintable(error.Message()));
            QVERIFY2(error.Message().contains(expected), qPrintable(error.Message()));
        }
        QVERIFY(!db.IsOpen());
        QCOMPARE(QSqlDatabase::connectionNames(), connections);
        QCOMPARE(QFileInfo::exists(path), !bytes.isNull()); // never creates a file
        if (!bytes.isNull())
            QCOMPARE(TestDir::Read(path), bytes); // and never changes one
    }

    void missingNames_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("expected");
        QTest::newRow("table") << "Heat Table"
                               << "Table 'Heat Table' not found in %path";
        QTest::newRow("query") << "Heats"
                               << "Saved query 'Heats' not found in %path";
        QTest::newRow("field") << "Lane"
                               << "Field 'Lane' not found in 'Entrant Table'";
        QTest::newRow("parameter") << "Lane"
                                   << "Saved query 'Entrants for 1 Meet' has no parameter 'Lane'";
    }
    void missingNames()
    {
        const QString kind = QTest::currentDataTag();
        QFETCH(QString, name);
        QFETCH(QString, expected);
        const QString path = MakeFile();
        Database db;
        db.Open(path);
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
            QCOMPARE(error.Message(), QString(expected).replace("%path", path));
        }
    }

    // What a value written reads back as: Text, Int and Flag (true only above 0).
    void values_data()
    {
        QTest::addColumn<QVariant>("stored");
        QTest::addColumn<QString>("read");
        QTest::newRow("null") << QVariant() << "null  0 0";
        QTest::newRow("true written") << QVariant(true) << "set 1 1 1";
        QTest::newRow("minus one is not true") << QVariant(-1) << "set -1 -1 0";
        QTest::newRow("number text") << QVariant("12") << "set 12 12 1";
        QTest::newRow("word") << QVariant("TRUE") << "set TRUE 0 0";
        QTest::newRow("date") << QVariant(QDate(2025, 6, 3)) << "set 2025-06-03 0 0";
    }
    void values()
    {
        QFETCH(QVariant, stored);
        QFETCH(QString, read);
        Database db;
        db.Open(MakeFile());
        auto rs = db.OpenTable("Entrant Table");
        rs->Edit();
        rs->SetField("Regno", stored);
        rs->Update();
        rs = db.OpenTable("Entrant Table"); // read back from the file
        QCOMPARE(QStringLiteral("%1 %2 %3 %4")
                     .arg(rs->IsNull("Regno") ? "null" : "set", rs->Text("Regno"))
                     .arg(rs->Int("Regno"))
                     .arg(rs->Flag("Regno")),
                 read);
    }

    void walkAddEditDeleteSeek()
    {
        const QString path = MakeFile();
        Database db;
        db.Open(path);
        auto rs = db.OpenTable("entrant table"); // names match without case
        const QString name = "Swimmer Name";
        QCOMPARE(rs->Source(), "Entrant Table");
        QCOMPARE(Names(*rs), "Swimmer 1,Swimmer 2,Swimmer 3");
        rs->MoveNext(); // stays at the end
        QVERIFY(rs->Eof());
        QVERIFY_THROWS_EXCEPTION(DbError, rs->Field(name));

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

        // Deleting the second record: the walk goes on with the third.
        rs->MoveNext();
        rs->Delete();
        QVERIFY_THROWS_EXCEPTION(DbError, rs->Text(name));
        rs->MoveNext();
        QCOMPARE(rs->Text(name), "Swimmer 3");
        QCOMPARE(rs->RecordCount(), 3);

        Database other;
        other.Open(path);
        QCOMPARE(Names(*other.OpenTable("Entrant Table")), "Ann Lee,Swimmer 3,Zoë O'Brien-Smith");

        // A write that breaks the primary key fails and changes nothing.
        rs->AddNew();
        rs->SetField("Meet code", "M1");
        rs->SetField("Entrant Number", 3);
        QVERIFY_THROWS_EXCEPTION(DbError, rs->Update());
        QCOMPARE(rs->RecordCount(), 3);
        QVERIFY_THROWS_EXCEPTION(DbError, rs->Update()); // the failed AddNew is gone

        rs->Seek({"M1", "3"}); // a number given as text still matches
        QVERIFY(!rs->NoMatch());
        QCOMPARE(rs->Text(name), "Swimmer 3");
        rs->Seek({"M2", 3});
        QVERIFY(rs->NoMatch() && rs->Eof());
        QVERIFY_THROWS_EXCEPTION(DbError, rs->Seek({"M1"})); // two key fields needed
    }

    void transactions()
    {
        const QString path = MakeFile();
        Database db;
        db.Open(path);
        try {
            Transaction outer(db);
            auto rs = db.OpenTable("Entrant Table");
            rs->Delete();
            {
                Transaction inner(db);
                rs->MoveNext();
                rs->Delete();
            } // no Commit: only the inner delete is undone
            QCOMPARE(db.TransactionDepth(), 1);
            throw DbError("command failed");
        } catch (const DbError &) {
        }
        QCOMPARE(db.TransactionDepth(), 0);
        QCOMPARE(Names(*db.OpenTable("Entrant Table")), "Swimmer 1,Swimmer 2,Swimmer 3");

        {
            Transaction t(db);
            db.OpenTable("Entrant Table")->Delete();
            t.Commit();
        }
        Database other;
        other.Open(path);
        QCOMPARE(other.OpenTable("Entrant Table")->RecordCount(), 2);
    }

    void lockedDatabase()
    {
        const QString path = MakeFile();
        Database writer, second;
        writer.Open(path);
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
};

QTEST_GUILESS_MAIN(TstDatabase)
#include "tst_database.moc"
