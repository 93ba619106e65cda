#include <QFile>
#include <QTest>

#include "meetdb/database.h"
#include "meetdb/schema.h"
#include "support/dbrows.h"
#include "support/testfiles.h"

using namespace MeetDb;

namespace {

// Meet "M1": groups entered out of order, events 1, 2, 9 and 10 (9 combined into 2), two
// clubs, three entrants (the third from a club not in the club table) and five swims. Meet "M2"
// holds one of each, which no "M1" query may return.
void Fill(Database &db)
{
    InsertRows(db, "Meet Table", "Meet code|Meet Name|Meet Date|Lanes",
               {"M1|M1 Open|2025-06-03|6", "M2|M2 Open|2025-06-01|6"});
    InsertRows(db, "Group Table", "Meet code|Group Order|Group Name",
               {"M1|2|Boys", "M1|1|Girls", "M2|1|Boys"});
    InsertRows(db, "Event Table", "Meet code|Event number|Event Sequence|Distance",
               {"M1|10|1|100", "M1|9|1|100", "M1|2|1|50", "M1|1|1|50", "M2|1|1|50"});
    InsertRows(db, "Club Name Table", "Meet code|Club Code|Club Name",
               {"M1|VMSC|Velmora Marlets", "M1|ABC|Abc Swim", "M2|VMSC|Velmora Marlets"});
    InsertRows(db, "Parameter Table", "Meet code|Parameter Order|Key Word|Parameter",
               {"M1|2|clubcount|20", "M1|1|renumber|TRUE", "M2|1|renumber|TRUE"});
    InsertRows(db, "Entrant Table", "Meet code|Entrant Number|Swimmer Name|club",
               {"M1|1|Ann Lee|VMSC", "M1|2|Bob Ray|ABC", "M1|3|Zoë O'Brien-Smith|XYZ",
                "M2|1|Ann Lee|VMSC"});
    InsertRows(
        db, "Swim Table", "Meet code|Entrant Number|Event number|Combined With|Seed Order|Position",
        {"M1|1|1|1|2|2", "M1|1|2|2||", "M1|2|1|1|1|1", "M1|3|9|2||", "M1|3|10|||", "M2|1|1|1|1|1"});
}

} // namespace

class TstSchema : public QObject
{
    Q_OBJECT

    TestDir m_dir;
    QString m_path;

private Q_SLOTS:
    void initTestCase()
    {
        m_path = m_dir.FilePath("natamar.db");
        CreateMeetDatabase(m_path);
        Database db;
        db.Open(m_path);
        CheckMeetDatabase(db); // damaged files are tried by the load tests
        Fill(db);
    }

    // Each saved query for meet M1 hides the row id and runs over that meet alone: one field
    // down its rows ("field=value|value"), in the query's order.
    void queries_data()
    {
        QTest::addColumn<QString>("query");
        QTest::addColumn<QString>("param");
        QTest::addColumn<QString>("column");
        auto row = [](const QString &query, const QString &param, const QString &column,
                      const QString &variant = {}) {
            QTest::newRow(qPrintable(variant.isEmpty() ? query : query + ", " + variant))
                << query << param << column;
        };
        const QString entrant = "Enter Entrant Number=", event = "Enter Event Number=";
        // clang-format off
        row("Details of 1 Meet", "", "Meet Name=M1 Open");
        row("Groups for 1 Meet", "", "Group Name=Girls|Boys");
        row("Events for 1 Meet", "", "Event number=1|2|9|10");
        row("Clubs for 1 Meet", "", "Club Code=ABC|VMSC");
        row("Parameters for 1 Meet", "", "Key Word=renumber|clubcount");
        row("Entrants for 1 Meet", "", "Entrant Number=1|2|3");
        row("Single Entrant Details", entrant + "2", "Swimmer Name=Bob Ray");
        row("Single Entrant by Name", "Enter Swimmer Name=Zoë O'Brien-Smith", "Entrant Number=3");
        row("Single Entrant by Name", "Enter Swimmer Name=bob RAY", "Entrant Number=2", "other case");
        row("Events for 1 Entrant", entrant + "3", "Event number=9|10");
        row("Entrants for 1 Event", event + "1", "Entrant Number=1|2");
        row("Swims for 1 Meet", "", "Event number=1|1|2|9|10");
        row("Meet Swim Record", "", "Event number=1|2|1|9|10");
        row("Entrants for 1 Pool Event", event + "1", "Entrant Number=2|1", "seeded");
        row("Entrants for 1 Pool Event", event + "2", "Event number=2|9", "combined");
        row("Entrants for 1 Pool Event", event + "10", "Alt Club=", "club without name");
        row("Results for 1 Event", event + "1", "Alt Club=Abc Swim|Velmora Marlets");
        row("Swims for 1 Pool Event", event + "2", "Event number=2|9");
        // clang-format on
    }
    void queries()
    {
        QFETCH(QString, query);
        QFETCH(QString, param);
        QFETCH(QString, column);
        Database db;
        db.Open(m_path);
        Database::SavedQuery saved = db.OpenQuery(query);
        QCOMPARE(saved.ParameterNames().size(), param.isEmpty() ? 1 : 2);
        saved.SetParameter(ParamMeetCode, "M1");
        if (!param.isEmpty())
            saved.SetParameter(param.section(u'=', 0, 0), param.section(u'=', 1));
        auto rs = saved.Open();
        QVERIFY(!rs->FieldNames().contains(RowIdColumn));
        QStringList values;
        for (rs->MoveFirst(); !rs->Eof(); rs->MoveNext())
            values << rs->Text(column.section(u'=', 0, 0));
        QCOMPARE(values.join(u'|'), column.section(u'=', 1));
    }

    // A table whose definition differs from the program's is refused, naming the file, the table
    // and the difference; one that differs only as other tools write it is taken. `change` is
    // "table: from => to" on the stored CREATE statement, or one statement to run.
    void checkSchema_data()
    {
        QTest::addColumn<QString>("change");
        QTest::addColumn<QString>("refusal"); // "" when the file is taken
        const QString swims = R"(Swim Table: "Lane No" INTEGER, "Progref" INTEGER, )";
        const QString key = R"(PRIMARY KEY ("Meet code", "Entrant Number", "Event number"))";
        const QString swimsDiffer =
            R"(its table "Swim Table" is not as this program makes it, so writing to it could lose entries: )";
        // clang-format off
        QTest::newRow("as made") << "" << "";
        QTest::newRow("other quoting, spacing, case and comments")
            << "Swim Table: \"Meet code\" TEXT NOT NULL, \"Entrant Number\" => [meet CODE]  text\n\tnot /* kept */ null, `Entrant Number`"
            << "";
        QTest::newRow("table name in capitals") << R"(Club Name Table: "Club Name Table" => "CLUB NAME TABLE")" << "";
        QTest::newRow("index that is not unique") << R"(CREATE INDEX "Mine" ON "Swim Table" ("Heat No", "Lane No"))" << "";
        QTest::newRow("unique heat and lane replacing rows")
            << swims + "=> " + R"("Lane No" INTEGER, "Progref" INTEGER, UNIQUE ("Meet code", "Heat No", "Lane No") ON CONFLICT REPLACE, )"
            << swimsDiffer + R"(it has UNIQUE ("Meet code", "Heat No", "Lane No"), which the program's has not)";
        QTest::newRow("one swim an event replacing rows")
            << swims + "=> " + R"("Lane No" INTEGER, "Progref" INTEGER, UNIQUE ("Meet code", "Event number") ON CONFLICT REPLACE, )"
            << R"(UNIQUE ("Meet code", "Event number"), which)";
        QTest::newRow("primary key replacing rows") << "Swim Table: " + key + " => " + key + " ON CONFLICT REPLACE"
            << swimsDiffer + "its definition reads \") on conflict replace)\" where the program's reads \"))\"";
        QTest::newRow("not null replaced by the default") << R"(Entrant Table: "Entrant Number" INTEGER NOT NULL => "Entrant Number" INTEGER NOT NULL ON CONFLICT REPLACE DEFAULT 1)"
            << R"(it has column "Entrant Number" INTEGER NOT NULL DEFAULT 1 (key 2) where the program's has column "Entrant Number" INTEGER NOT NULL (key 2))";
        QTest::newRow("unique index made apart") << R"(CREATE UNIQUE INDEX "One Name" ON "Entrant Table" ("Meet code", "Swimmer Name"))"
            << R"(it has UNIQUE INDEX create unique index "one name" on "entrant table" ("meet code", "swimmer name"), which)";
        QTest::newRow("default of 9 MB") << R"(Swim Table: "Notes" TEXT => "Notes" TEXT DEFAULT (zeroblob(9000000)))"
            << R"(it has column "Notes" TEXT DEFAULT zeroblob(9000000) where the program's has column "Notes" TEXT)";
        QTest::newRow("check") << "Swim Table: \"Time\" TEXT, => \"Time\" TEXT CHECK (\"Time\" <> 'x'), "
                               << "reads \"text check (time <> ...\" where the program's reads \"text, confirmed integer not ...\"";
        QTest::newRow("generated column") << swims + "=> " + R"("Lane No" INTEGER, "Progref" INTEGER, "Big" GENERATED ALWAYS AS (zeroblob(100)), )"
            << R"(it has column "Big" GENERATED, which the program's has not)";
        QTest::newRow("type") << R"(Swim Table: "Heat No" INTEGER => "Heat No" TEXT)" << R"(it has column "Heat No" TEXT where)";
        QTest::newRow("collation") << R"(Entrant Table: "Swimmer Name" TEXT COLLATE NOCASE => "Swimmer Name" TEXT)"
            << R"(its table "Entrant Table" is not as this program makes it, so writing to it could lose entries: its definition reads "text, club text, ..." where the program's reads "text collate nocase, club ...")";
        QTest::newRow("without row id") << R"(Group Table: "Group Order")) => "Group Order")) WITHOUT ROWID)"
            << "its definition reads \") without rowid\" where the program's reads \")\"";
        QTest::newRow("foreign key deleting swims") << swims + "=> " + R"("Lane No" INTEGER, "Progref" INTEGER, FOREIGN KEY ("Meet code") REFERENCES "Meet Table" ON DELETE CASCADE, )"
            << R"(it has FOREIGN KEY ("Meet code") REFERENCES "Meet Table" ("") ON UPDATE NO ACTION ON DELETE CASCADE, which)";
        QTest::newRow("saved queries keyed with case") << R"(Saved Queries: "Name" TEXT NOT NULL PRIMARY KEY COLLATE NOCASE => "Name" TEXT NOT NULL PRIMARY KEY)"
            << R"(its table "Saved Queries" is not)";
        QTest::newRow("table missing") << R"(DROP TABLE "Parameter Table")" << "is not a meet database: table 'Parameter Table' not found";
        // clang-format on
    }
    void checkSchema()
    {
        QFETCH(QString, change);
        QFETCH(QString, refusal);
        TestDir dir;
        const QString path = dir.FilePath("natamar.mdb");
        QVERIFY(QFile::copy(m_path, path));
        Database db;
        db.Open(path);
        Transaction transaction(db);
        if (change.contains(" => "))
            QVERIFY(RedefineTable(db, change.section(": ", 0, 0),
                                  change.section(": ", 1).section(" => ", 0, 0),
                                  change.section(" => ", 1)));
        else if (!change.isEmpty())
            db.Exec(change);
        transaction.Commit();
        QString error;
        QCOMPARE(CheckSchema(db, &error), refusal.isEmpty());
        if (!refusal.isEmpty())
            QVERIFY2(error.startsWith(path + ' ') && error.contains(refusal), qPrintable(error));
        else
            CheckMeetDatabase(db); // the saved queries run on the table as it is
    }
};

QTEST_GUILESS_MAIN(TstSchema)
#include "tst_schema.moc"
