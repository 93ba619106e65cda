#include <QDate>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSqlQuery>
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

    // A copy at `path` of a meet file as a crash in the middle of a save leaves it: the file half
    // written, and the journal that undoes the save beside it.
    void MakeInterrupted(const QString &path)
    {
        Database db;
        const QString source = MakeFile(db);
        db.Exec(R"(INSERT INTO "Swim Table" ("Meet code", "Entrant Number", "Event number", )"
                R"("Notes") WITH RECURSIVE c(x) AS (SELECT 1 UNION ALL SELECT x + 1 FROM c )"
                R"(WHERE x < 500) SELECT 'M1', x, '1', hex(randomblob(500)) FROM c)");
        // The save spills into the file before it ends; no syncing, which would only be slow.
        db.Exec("PRAGMA cache_size=1");
        db.Exec("PRAGMA synchronous=OFF");
        db.Begin();
        db.Exec(R"(UPDATE "Swim Table" SET "Notes" = hex(randomblob(500)))");
        db.Exec(R"(DELETE FROM "Entrant Table")");
        QVERIFY(QFile::copy(source, path) && QFile::copy(source + "-journal", path + "-journal"));
        db.Rollback();
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
        // A number an int cannot hold is never cut to fit ("!" marks the DbError).
        QTest::newRow("int at its top") << QVariant(2147483647) << "set 2147483647 2147483647 1";
        QTest::newRow("int one past its top") << QVariant(2147483648LL) << "set 2147483648 ! 1";
        QTest::newRow("int at its bottom") << QVariant(-2147483647LL - 1) << "set -2147483648 -2147483648 0";
        QTest::newRow("int one past its bottom") << QVariant(-2147483649LL) << "set -2147483649 ! 0";
        QTest::newRow("2 in 32 bits") << QVariant(4294967298LL) << "set 4294967298 ! 1";
        QTest::newRow("huge real") << QVariant(1e300) << "set 1.0e+300 ! 1";
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
        QString number = "!";
        try {
            number = QString::number(rs->Int("Regno"));
        } catch (const DbError &error) {
            QVERIFY2(error.Message().contains("holds " + rs->Text("Regno") + ", a number too big"),
                     qPrintable(error.Message()));
        }
        QTEST(QStringLiteral("%1 %2 %3 %4")
                  .arg(rs->IsNull("Regno") ? "null" : "set", rs->Text("Regno"), number)
                  .arg(rs->Flag("Regno")),
              "read");
    }

    // A saved query may end in a comment or a semicolon, and hold comments with quotes and braces
    // in them: it still reads, and records still change through it.
    void savedQueryText_data()
    {
        QTest::addColumn<QString>("from");
        QTest::addColumn<QString>("to");
        const QString end = R"({Enter Entrant Number})";
        // clang-format off
        QTest::newRow("line comment at the end") << end << end + " -- one entrant";
        QTest::newRow("block comment left open") << end << end + " /* one entrant";
        QTest::newRow("semicolons") << end << end + " ;; \n";
        QTest::newRow("semicolon, then a comment") << end << end + "; -- done";
        QTest::newRow("comments holding quotes and braces") << " AND " << " -- Ann's {Enter Swimmer Name}\n AND /* \"{x} */ ";
        QTest::newRow("dashes in quotes") << " AND " << " AND 'a -- b' <> '' AND ";
        // clang-format on
    }
    void savedQueryText()
    {
        QFETCH(QString, from);
        QFETCH(QString, to);
        Database db;
        MakeFile(db);
        db.Exec(R"(UPDATE "Saved Queries" SET "Sql" = replace("Sql", :from, :to) WHERE "Name" = )"
                R"('Single Entrant Details')",
                {{"from", from}, {"to", to}});
        CheckMeetDatabase(db);
        Database::SavedQuery query = db.OpenQuery("Single Entrant Details");
        QCOMPARE(query.ParameterNames(), QStringList({ParamMeetCode, ParamEntrantNumber}));
        query.SetParameter(ParamMeetCode, "M1");
        query.SetParameter(ParamEntrantNumber, 2);
        auto rs = query.Open();
        QCOMPARE(rs->RecordCount(), 1);
        rs->Edit();
        rs->SetField("Swimmer Name", "Bea Ray");
        rs->Update();
        QCOMPARE(Names(*db.OpenTable("Entrant Table")), "Swimmer 1,Bea Ray,Swimmer 3");
    }

    // A record set holds at most the byte limit: 32 bytes a value, and two a character of text or
    // one a byte of a blob more. At the limit it is read; one byte past it, it is stopped.
    void byteLimit_data()
    {
        QTest::addColumn<QString>("sql");
        QTest::addColumn<qint64>("limit"); // 0 for the program's own
        QTest::addColumn<bool>("read");
        const QString counted =
            "WITH RECURSIVE c(x) AS (SELECT 1 UNION ALL SELECT x + 1 FROM c WHERE x < 1000) ";
        // clang-format off
        QTest::newRow("blob at the limit") << "SELECT zeroblob(968) AS a" << qint64(1000) << true;
        QTest::newRow("blob one past") << "SELECT zeroblob(968) AS a" << qint64(999) << false;
        QTest::newRow("text at the limit") << "SELECT 'abc' AS a, NULL AS b" << qint64(70) << true;
        QTest::newRow("text one past") << "SELECT 'abc' AS a, NULL AS b" << qint64(69) << false;
        QTest::newRow("rows at the limit") << counted + "SELECT x FROM c" << qint64(32000) << true;
        QTest::newRow("rows one past") << counted + "SELECT x FROM c" << qint64(31999) << false;
        // 10 GB asked for, in rows of 10 MB.
        QTest::newRow("rows of many large blobs")
            << counted + "SELECT " + QStringList(10, "zeroblob(1000000)").join(", ") + " FROM c" << qint64(0) << false;
        // clang-format on
    }
    void byteLimit()
    {
        QFETCH(QString, sql);
        QFETCH(qint64, limit);
        Database db;
        const QString path = MakeFile(db);
        InsertRows(db, SavedQueriesTable, "Name|Sql", {"Blobs|" + sql});
        if (limit > 0)
            db.SetByteLimit(limit);
        try {
            QCOMPARE(db.OpenQuery("Blobs").Open()->RecordCount(),
                     sql.contains("FROM c") ? 1000 : 1);
            QTEST(true, "read");
        } catch (const DbError &error) {
            QTEST(false, "read");
            const QString size = limit > 0 ? QString::number(limit) + " bytes" : "256 MB";
            QCOMPARE(error.Message(), "Cannot read 'Blobs' in " + path + ": it was stopped at " +
                                          size + ", more than any meet holds");
        }
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

    // How a file opens by what is in it or beside it. `outcome` is a part of the open's
    // refusal; "reason: ..." a part of why a file that opens cannot be written, every write then
    // failing with it; "" a file that opens and is written, holding `entrants` entrants.
    void fileStates_data()
    {
        QTest::addColumn<QString>("state");
        QTest::addColumn<bool>("readOnly"); // opened for reading only
        QTest::addColumn<bool>("media");    // on read-only media
        QTest::addColumn<QString>("outcome");
        QTest::addColumn<int>("entrants");
        const QString interrupted = "a save to it was interrupted and must be undone before it "
                                    "can be read (%path-journal is beside it), which needs writing";
        // clang-format off
        QTest::newRow("version 0.9") << "version 0.9" << false << false << "" << 3;
        QTest::newRow("version 1") << "version 1" << false << false << "" << 3;
        QTest::newRow("version 1.1") << "version 1.1" << false << false
            << "reason: The database %path was made by a newer version of the program (its version is 1.1, "
               "this program's is 1): it is open for reading only, and no changes can be saved to it" << 3;
        QTest::newRow("not a version") << "version 1e300" << false << false << "" << 3;
        QTest::newRow("WAL, alone") << "wal" << false << false << "" << 3;
        QTest::newRow("WAL, another program reading")
            << "wal held" << false << false << "reason: The database %path is in WAL mode and another program has it open" << 3;
        QTest::newRow("WAL changes") << "wal changes" << false << false << "" << 4;
        QTest::newRow("WAL changes, read-only media") << "wal changes" << false << true
            << "Cannot open database %path: some of its saved changes are still in %path-wal, which cannot be read on read-only media" << 0;
        QTest::newRow("interrupted save") << "interrupted" << false << false << "" << 3;
        QTest::newRow("interrupted save, read only") << "interrupted" << true << false << interrupted << 0;
        QTest::newRow("interrupted save, read-only media") << "interrupted" << false << true << interrupted << 0;
        // clang-format on
    }
    void fileStates()
    {
        QFETCH(QString, state);
        QFETCH(bool, readOnly);
        QFETCH(bool, media);
        QFETCH(QString, outcome);
        QFETCH(int, entrants);
        QString path = m_dir.FilePath(QStringLiteral("state-%1.mdb").arg(QTest::currentDataTag()));
        Database other; // another program, which has the file open while it is in WAL mode
        if (state == "interrupted") {
            MakeInterrupted(path);
        } else {
            const QString source = MakeFile(other);
            if (state.startsWith("version "))
                InsertRows(other, "Version Table", "Version", {state.mid(8)});
            if (state.startsWith("wal"))
                other.Exec("PRAGMA journal_mode=WAL");
            if (state == "wal changes") { // committed, but not yet in the file itself
                InsertRows(other, "Entrant Table", "Meet code|Entrant Number", {"M1|4"});
                QVERIFY(QFile::copy(source + "-wal", path + "-wal"));
            }
            if (state == "wal held") {
                path = source;
                other.OpenTable("Meet Table");
            } else {
                QVERIFY(QFile::copy(source, path));
                other.Close();
            }
        }
        outcome.replace("%path", path);
        if (media)
            Database::SetWritableCheck([](const QString &) { return false; });
        Database db;
        db.SetBusyTimeout(50);
        try {
            db.Open(path, readOnly ? Database::Access::ReadOnly : Database::Access::ReadWrite);
        } catch (const DbError &error) {
            Database::SetWritableCheck(nullptr);
            QVERIFY2(!outcome.isEmpty() && !outcome.startsWith("reason: ") &&
                         error.Message().contains(outcome),
                     qPrintable(error.Message()));
            return;
        }
        Database::SetWritableCheck(nullptr);
        QVERIFY2(outcome.isEmpty() || outcome.startsWith("reason: "), "the file opened");
        const QString reason = outcome.mid(8);
        QVERIFY2(db.ReadOnlyReason().startsWith(reason), qPrintable(db.ReadOnlyReason()));
        QCOMPARE(db.IsReadOnly(), !reason.isEmpty());
        try {
            db.Begin();
            InsertRows(db, "Entrant Table", "Meet code|Entrant Number", {"M1|9"});
            db.Commit();
            QVERIFY(reason.isEmpty());
            ++entrants;
            QSqlQuery mode("PRAGMA journal_mode", db.Connection()); // every commit in the file
            QVERIFY(mode.next() && mode.value(0).toString() == "delete");
        } catch (const DbError &error) {
            QCOMPARE(error.Message(), "Cannot save the changes: " + db.ReadOnlyReason());
        }
        // Nor can a statement outside a transaction change a file that cannot be written.
        if (!reason.isEmpty()) {
            try {
                db.Exec(R"(DELETE FROM "Entrant Table")");
                QFAIL("a file that cannot be written was changed");
            } catch (const DbError &error) {
                QVERIFY2(error.Message().endsWith(": " + db.ReadOnlyReason()),
                         qPrintable(error.Message()));
            }
        }
        QCOMPARE(db.OpenTable("Entrant Table")->RecordCount(), entrants);
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
