#include <QDate>
#include <QFileInfo>
#include <QSqlDatabase>
#include <QTest>

#include "meetdb/database.h"
#include "meetdb/schema.h"
#include "support/testfiles.h"

using namespace MeetDb;

// Record sets, transactions and file checks, all against real SQLite files.
class TstDatabase : public QObject
{
    Q_OBJECT

private:
    // A meet database with three entrants of meet "M1", numbered 1 to 3.
    QString MakeFile(const TestDir &dir)
    {
        const QString path = dir.FilePath("meet.db");
        CreateMeetDatabase(path);
        Database db;
        db.Open(path);
        for (int n = 1; n <= 3; ++n)
            db.Exec(
                QStringLiteral("INSERT INTO \"Entrant Table\" (\"Meet code\", \"Entrant Number\", "
                               "\"Swimmer Name\") VALUES ('M1', :n, :name)"),
                {{"n", n}, {"name", QStringLiteral("Swimmer %1").arg(n)}});
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
        QTest::addColumn<QString>("name");
        QTest::addColumn<QByteArray>("bytes"); // null: the file is not written at all
        QTest::addColumn<QString>("expected");
        QByteArray random(4096, Qt::Uninitialized);
        for (int i = 0; i < random.size(); ++i)
            random[i] = char((i * 7919 + 13) % 251);
        QTest::newRow("missing") << "missing.db" << QByteArray() << "the file does not exist";
        QTest::newRow("empty") << "empty.db" << QByteArray("") << "the file is empty";
        QTest::newRow("random bytes") << "random.db" << random << "not a SQLite database";
        QTest::newRow("text file") << "entries.csv"
                                   << QByteArray("\"1\",\"Ann Lee\",\"VMSC\"\r\n"
                                                 "\"2\",\"Bob Ray\",\"ABC\"\r\n")
                                   << "not a SQLite database";
    }
    void badFiles()
    {
        QFETCH(QString, name);
        QFETCH(QByteArray, bytes);
        QFETCH(QString, expected);
        TestDir dir;
        const QString path = bytes.isNull() ? dir.FilePath(name) : dir.Write(name, bytes);
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
                               << "Table 'Heat Table' not found in ";
        QTest::newRow("query") << "Heats"
                               << "Saved query 'Heats' not found in ";
        QTest::newRow("field") << "Lane"
                               << "Field 'Lane' not found in 'Entrant Table'";
        QTest::newRow("set field") << "Lane"
                                   << "Field 'Lane' not found in 'Entrant Table'";
        QTest::newRow("parameter") << "Lane"
                                   << "Saved query 'Entrants for 1 Meet' has no parameter 'Lane'";
    }
    void missingNames()
    {
        const QString kind = QTest::currentDataTag();
        QFETCH(QString, name);
        QFETCH(QString, expected);
        TestDir dir;
        const QString path = MakeFile(dir);
        Database db;
        db.Open(path);
        try {
            if (kind == u"table") {
                db.OpenTable(name);
            } else if (kind == u"query") {
                db.OpenQuery(name);
            } else if (kind == u"parameter") {
                db.OpenQuery("Entrants for 1 Meet").SetParameter(name, 1);
            } else {
                auto rs = db.OpenTable("Entrant Table");
                if (kind == u"field")
                    rs->Field(name);
                rs->Edit();
                rs->SetField(name, 1);
            }
            QFAIL("no DbError");
        } catch (const DbError &error) {
            QVERIFY2(error.Message().startsWith(expected), qPrintable(error.Message()));
            if (kind == u"table" || kind == u"query")
                QVERIFY2(error.Message().contains(QFileInfo(path).fileName()),
                         qPrintable(error.Message()));
        }
    }

    void values_data()
    {
        QTest::addColumn<QVariant>("stored");
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("number");
        QTest::addColumn<bool>("flag");
        QTest::addColumn<bool>("isNull");
        QTest::newRow("null") << QVariant() << "" << 0 << false << true;
        QTest::newRow("true written") << QVariant(true) << "1" << 1 << true << false;
        QTest::newRow("minus one is not true") << QVariant(-1) << "-1" << -1 << false << false;
        QTest::newRow("number text") << QVariant("12") << "12" << 12 << true << false;
        QTest::newRow("word") << QVariant("TRUE") << "TRUE" << 0 << false << false;
        QTest::newRow("date") << QVariant(QDate(2025, 6, 3)) << "2025-06-03" << 0 << false << false;
    }
    void values()
    {
        QFETCH(QVariant, stored);
        QFETCH(QString, text);
        QFETCH(int, number);
        QFETCH(bool, flag);
        QFETCH(bool, isNull);
        TestDir dir;
        Database db;
        db.Open(MakeFile(dir));
        {
            auto rs = db.OpenTable("Entrant Table");
            rs->Edit();
            rs->SetField("Regno", stored);
            rs->Update();
        }
        auto rs = db.OpenTable("Entrant Table"); // read back from the file
        const QString field = "Regno";
        QCOMPARE(rs->IsNull(field), isNull);
        QCOMPARE(rs->Text(field), text);
        QCOMPARE(rs->Int(field), number);
        QCOMPARE(rs->Flag(field), flag);
    }

    void walkAddEditDelete()
    {
        TestDir dir;
        const QString path = MakeFile(dir);
        Database db;
        db.Open(path);
        auto rs = db.OpenTable("entrant table"); // names match without case
        const QString name = "Swimmer Name";
        QCOMPARE(rs->Source(), "Entrant Table");
        QCOMPARE(Names(*rs), "Swimmer 1,Swimmer 2,Swimmer 3");
        rs->MoveNext(); // stays at the end
        QVERIFY(rs->Eof());
        QVERIFY_THROWS_EXCEPTION(DbError, rs->Field(name));
        QVERIFY(db.OpenTable("Swim Table")->Eof());

        rs->AddNew();
        rs->SetField("Meet code", "M1");
        rs->SetField("Entrant Number", 4);
        rs->SetField(name, "Zoë O'Brien-Smith");
        rs->Update();
        QCOMPARE(rs->RecordCount(), 4);
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
        auto check = other.OpenTable("Entrant Table");
        QCOMPARE(Names(*check), "Ann Lee,Swimmer 3,Zoë O'Brien-Smith");

        // A write that breaks the primary key fails with the table named and changes nothing.
        rs->AddNew();
        rs->SetField("Meet code", "M1");
        rs->SetField("Entrant Number", 3);
        QVERIFY_THROWS_EXCEPTION(DbError, rs->Update());
        QCOMPARE(rs->RecordCount(), 3);
        QVERIFY_THROWS_EXCEPTION(DbError, rs->Update()); // the failed AddNew is gone
    }

    void seek_data()
    {
        QTest::addColumn<QVariantList>("key");
        QTest::addColumn<bool>("noMatch");
        QTest::addColumn<QString>("name");
        QTest::newRow("found") << QVariantList{"M1", 2} << false << "Swimmer 2";
        QTest::newRow("number as text") << QVariantList{"M1", "3"} << false << "Swimmer 3";
        QTest::newRow("other meet") << QVariantList{"M2", 2} << true << "";
        QTest::newRow("no such number") << QVariantList{"M1", 9} << true << "";
    }
    void seek()
    {
        QFETCH(QVariantList, key);
        QFETCH(bool, noMatch);
        QFETCH(QString, name);
        TestDir dir;
        Database db;
        db.Open(MakeFile(dir));
        auto rs = db.OpenTable("Entrant Table");
        rs->Seek(key);
        QCOMPARE(rs->NoMatch(), noMatch);
        QCOMPARE(rs->Eof(), noMatch);
        if (!noMatch)
            QCOMPARE(rs->Text("Swimmer Name"), name);
        QVERIFY_THROWS_EXCEPTION(DbError, rs->Seek({"M1"})); // two key fields needed
    }

    void readOnlyQuery()
    {
        TestDir dir;
        Database db;
        db.Open(MakeFile(dir));
        db.Exec(QStringLiteral(
            "INSERT INTO \"Saved Queries\" VALUES ('Names', 'SELECT \"Swimmer Name\" "
            "FROM \"Entrant Table\" WHERE \"Swimmer Name\" <> ''{Not a parameter}'' "
            "AND \"Entrant Number\" >= {From} AND \"Entrant Number\" <= {From} + 1', NULL)"));
        Database::SavedQuery query = db.OpenQuery("names");
        QCOMPARE(query.ParameterNames(), QStringList{"From"});
        QCOMPARE(query.Open()->RecordCount(), 0); // unset parameter is Null
        query.SetParameter("from", 2);
        auto rs = query.Open();
        QCOMPARE(Names(*rs), "Swimmer 2,Swimmer 3");
        rs->MoveFirst();
        QVERIFY_THROWS_EXCEPTION(DbError, rs->Edit());
        QVERIFY_THROWS_EXCEPTION(DbError, rs->Delete());
        QVERIFY_THROWS_EXCEPTION(DbError, rs->Seek({"M1", 2}));
    }

    void transactions()
    {
        TestDir dir;
        const QString path = MakeFile(dir);
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
                // leaves without Commit: only the inner delete is undone
            }
            QCOMPARE(db.TransactionDepth(), 1);
            throw DbError("command failed");
        } catch (const DbError &) {
        }
        QCOMPARE(db.TransactionDepth(), 0);
        auto rs = db.OpenTable("Entrant Table");
        QCOMPARE(Names(*rs), "Swimmer 1,Swimmer 2,Swimmer 3");

        {
            Transaction t(db);
            rs->MoveFirst();
            rs->Delete();
            t.Commit();
        }
        Database other;
        other.Open(path);
        QCOMPARE(other.OpenTable("Entrant Table")->RecordCount(), 2);
        QVERIFY_THROWS_EXCEPTION(DbError, db.Commit());
    }

    void lockedDatabaseAndConnections()
    {
        TestDir dir;
        const QString path = MakeFile(dir);
        const QStringList connections = QSqlDatabase::connectionNames();
        auto writer = std::make_unique<Database>();
        Database second;
        writer->Open(path);
        second.SetBusyTimeout(50);
        second.Open(path);
        QVERIFY(writer->Connection().connectionName() != second.Connection().connectionName());
        writer->Begin();
        try {
            second.Begin();
            QFAIL("a second writer got the lock");
        } catch (const DbError &error) {
            QVERIFY2(error.Message().contains("locked by another program"),
                     qPrintable(error.Message()));
            QVERIFY2(error.Message().contains(QFileInfo(path).fileName()),
                     qPrintable(error.Message()));
        }
        QCOMPARE(second.TransactionDepth(), 0);
        // Readers are not held up while another program writes.
        QCOMPARE(second.OpenTable("Entrant Table")->RecordCount(), 3);
        writer->Commit();
        writer.reset(); // its connection goes with it
        second.Close();
        QCOMPARE(QSqlDatabase::connectionNames(), connections);
    }
};

QTEST_GUILESS_MAIN(TstDatabase)
#include "tst_database.moc"
