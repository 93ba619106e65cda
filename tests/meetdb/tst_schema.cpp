#include <QFileInfo>
#include <QTest>

#include "meetdb/database.h"
#include "meetdb/schema.h"
#include "support/testfiles.h"

using namespace MeetDb;

namespace {

void Insert(Database &db, const QString &table, const QVariantHash &fields)
{
    QStringList columns, placeholders;
    QVariantHash binds;
    int i = 0;
    for (auto it = fields.cbegin(); it != fields.cend(); ++it, ++i) {
        columns << db.Quote(it.key());
        placeholders << QStringLiteral(":f%1").arg(i);
        binds.insert(placeholders.last(), it.value());
    }
    db.Exec(QStringLiteral("INSERT INTO %1 (%2) VALUES (%3)")
                .arg(db.Quote(table), columns.join(u','), placeholders.join(u',')),
            binds);
}

// Meet "M1": groups entered out of order, events 1, 2, 9 and 10 (9 combined into 2), two
// clubs, three entrants (the third from a club not in the club table) and five swims. Meet "M2"
// has one of everything, which no "M1" query may return.
void Fill(Database &db)
{
    const QString m = QStringLiteral("Meet code");
    for (const QString &code : {QStringLiteral("M1"), QStringLiteral("M2")}) {
        Insert(
            db, "Meet Table",
            {{m, code}, {"Meet Name", code + " Open"}, {"Meet Date", "2025-06-03"}, {"Lanes", 6}});
        Insert(
            db, "Parameter Table",
            {{m, code}, {"Parameter Order", 1}, {"Key Word", "renumber"}, {"Parameter", "TRUE"}});
        Insert(db, "Club Name Table",
               {{m, code}, {"Club Code", "VMSC"}, {"Club Name", "Velmora Marlets"}});
        Insert(db, "Event Table", {{m, code}, {"Event number", "1"}, {"Event Sequence", 1}});
        Insert(db, "Group Table", {{m, code}, {"Group Order", 2}, {"Group Name", "Boys"}});
        Insert(db, "Entrant Table",
               {{m, code}, {"Entrant Number", 1}, {"Swimmer Name", "Ann Lee"}, {"club", "VMSC"}});
        Insert(db, "Swim Table",
               {{m, code},
                {"Entrant Number", 1},
                {"Event number", "1"},
                {"Combined With", "1"},
                {"Seed Order", 2},
                {"Position", 2}});
    }
    const QString m1 = QStringLiteral("M1");
    Insert(db, "Parameter Table",
           {{m, m1}, {"Parameter Order", 2}, {"Key Word", "clubcount"}, {"Parameter", "20"}});
    Insert(db, "Club Name Table", {{m, m1}, {"Club Code", "ABC"}, {"Club Name", "Abc Swim"}});
    for (const QString &ev : {QStringLiteral("10"), QStringLiteral("9"), QStringLiteral("2")})
        Insert(db, "Event Table",
               {{m, m1}, {"Event number", ev}, {"Event Sequence", 1}, {"Distance", 100}});
    Insert(db, "Group Table", {{m, m1}, {"Group Order", 1}, {"Group Name", "Girls"}});
    Insert(db, "Entrant Table",
           {{m, m1}, {"Entrant Number", 2}, {"Swimmer Name", "Bob Ray"}, {"club", "ABC"}});
    Insert(
        db, "Entrant Table",
        {{m, m1}, {"Entrant Number", 3}, {"Swimmer Name", "Zoë O'Brien-Smith"}, {"club", "XYZ"}});
    Insert(db, "Swim Table",
           {{m, m1}, {"Entrant Number", 1}, {"Event number", "2"}, {"Combined With", "2"}});
    Insert(db, "Swim Table",
           {{m, m1},
            {"Entrant Number", 2},
            {"Event number", "1"},
            {"Combined With", "1"},
            {"Seed Order", 1},
            {"Position", 1}});
    Insert(db, "Swim Table",
           {{m, m1}, {"Entrant Number", 3}, {"Event number", "9"}, {"Combined With", "2"}});
    Insert(db, "Swim Table", {{m, m1}, {"Entrant Number", 3}, {"Event number", "10"}});
}

QStringList Column(RecordSet &rs, const QString &field)
{
    QStringList values;
    for (rs.MoveFirst(); !rs.Eof(); rs.MoveNext())
        values << rs.Text(field);
    return values;
}

const QStringList SwimFields = {"Meet code",     "Entrant Number",
                                "Event number",  "Event Sequence",
                                "Combined With", "Entry Time",
                                "Time",          "Confirmed",
                                "Position",      "DQ",
                                "DQ Reason",     "Meet Specific",
                                "Seed Order",    "DNS",
                                "Notes",         "Points",
                                "Heat No",       "Lane No",
                                "Progref"};
const QStringList MeetFields = {"Meet code",
                                "Meet Name",
                                "Meet Title",
                                "Meet Date",
                                "Qual Date",
                                "Age Groups",
                                "Meet Type",
                                "Promoter",
                                "Lanes",
                                "Final lanes",
                                "HDW",
                                "Program Notes",
                                "AOE",
                                "AOE Online",
                                "Announcer",
                                "Junior",
                                "Club Scores",
                                "WWW Directory",
                                "One Card",
                                "All Heats",
                                "Meet Specific",
                                "Print Times",
                                "Split Last Heats",
                                "Next Competitor Number",
                                "Multi Session",
                                "WWW Style",
                                "WWW Class",
                                "WWW Header",
                                "WWW Footer",
                                "Gala Directory",
                                "Work Directory"};
const QStringList PoolEventFields = {"Event number", "Entrant Number", "Swimmer Name",  "age",
                                     "Time",         "Confirmed",      "Points",        "Alt Club",
                                     "club",         "Notes",          "Meet Specific", "Position",
                                     "DQ Reason",    "Progref"};

} // namespace

class TstSchema : public QObject
{
    Q_OBJECT

    TestDir m_dir;
    QString m_path;

private Q_SLOTS:
    void initTestCase()
    {
        m_path = m_dir.FilePath(QStringLiteral("natamar.db"));
        CreateMeetDatabase(m_path);
        Database db;
        db.Open(m_path);
        Fill(db);
    }

    void tables_data()
    {
        QTest::addColumn<QString>("table");
        QTest::addColumn<QStringList>("fields");
        QTest::newRow("Version") << "Version Table" << QStringList{"Version"};
        QTest::newRow("Meet") << "Meet Table" << MeetFields;
        QTest::newRow("Entrant") << "Entrant Table" << QStringList{"Meet code",
                                                                   "Entrant Number",
                                                                   "Swimmer Name",
                                                                   "club",
                                                                   "Address_Line_1",
                                                                   "Address_Line_2",
                                                                   "Town",
                                                                   "County",
                                                                   "Post Code",
                                                                   "age",
                                                                   "Sex",
                                                                   "Card Printed",
                                                                   "Regno"};
        QTest::newRow("Swim") << "Swim Table" << SwimFields;
        QTest::newRow("Club Name")
            << "Club Name Table" << QStringList{"Meet code", "Club Code", "Club Name"};
    }
    void tables()
    {
        QFETCH(QString, table);
        QFETCH(QStringList, fields);
        Database db;
        db.Open(m_path);
        QCOMPARE(db.OpenTable(table)->FieldNames(), fields);
    }

    void newFiles()
    {
        Database db;
        db.Open(m_path);
        auto version = db.OpenTable(QStringLiteral("Version Table"));
        version->MoveLast();
        QCOMPARE(version->Field(QStringLiteral("Version")).toDouble(), 1.0);
        CheckMeetDatabase(db);

        const QString address = m_dir.FilePath(QStringLiteral("address.db"));
        CreateAddressDatabase(address);
        Database addressDb;
        addressDb.Open(address);
        QCOMPARE(
            addressDb.OpenTable(QStringLiteral("Entrant Table"))->FieldNames(),
            (QStringList{"First Name", "SurName", "Sex", "club", "Address Line 1", "Address Line 2",
                         "Entrant No", "Town", "County", "Post Code", "Events Entered", "Fee"}));

        // An existing file is never overwritten.
        const QByteArray before = TestDir::Read(address);
        QVERIFY_THROWS_EXCEPTION(DbError, CreateMeetDatabase(address));
        QCOMPARE(TestDir::Read(address), before);
    }

    // Each saved query: its fields (the row id hidden), its rows for meet M1 in their order.
    void queries_data()
    {
        QTest::addColumn<QString>("query");
        QTest::addColumn<QVariantHash>("params");
        QTest::addColumn<QStringList>("fields");
        QTest::addColumn<QString>("keyField");
        QTest::addColumn<QStringList>("keys");
        const QString m1 = QStringLiteral("M1");
        const QVariantHash meet{{ParamMeetCode, m1}};
        auto with = [&](const QString &name, const QVariant &value) {
            return QVariantHash{{ParamMeetCode, m1}, {name, value}};
        };
        QTest::newRow("Details of 1 Meet") << "Details of 1 Meet" << meet << MeetFields.mid(1)
                                           << "Meet Name" << QStringList{"M1 Open"};
        QTest::newRow("Details of unknown meet")
            << "Details of 1 Meet" << QVariantHash{{ParamMeetCode, "M9"}}
            << QStringList{"Meet Name"} << "Meet Name" << QStringList{};
        QTest::newRow("Groups for 1 Meet")
            << "Groups for 1 Meet" << meet
            << QStringList{"Group Name", "Group Description", "Group Print", "Group Combine Print"}
            << "Group Name" << QStringList{"Girls", "Boys"};
        QTest::newRow("Events for 1 Meet") << "Events for 1 Meet" << meet
                                           << QStringList{"Event number",
                                                          "Event Sequence",
                                                          "Event Print Number",
                                                          "Sex",
                                                          "Group",
                                                          "Distance",
                                                          "Stroke",
                                                          "session",
                                                          "Event Date",
                                                          "Limit Time",
                                                          "Record Time",
                                                          "BCP Age",
                                                          "Maximum Entries",
                                                          "Final Event",
                                                          "NOTE",
                                                          "Sponsor",
                                                          "Meet Specific",
                                                          "Event Print Group",
                                                          "Event Type",
                                                          "Combine With"}
                                           << "Event number" << QStringList{"1", "2", "9", "10"};
        QTest::newRow("Clubs for 1 Meet")
            << "Clubs for 1 Meet" << meet << QStringList{"Club Code", "Club Name"} << "Club Code"
            << QStringList{"ABC", "VMSC"};
        QTest::newRow("Parameters for 1 Meet")
            << "Parameters for 1 Meet" << meet << QStringList{"Key Word", "Parameter"} << "Key Word"
            << QStringList{"renumber", "clubcount"};
        QTest::newRow("Entrants for 1 Meet")
            << "Entrants for 1 Meet" << meet
            << QStringList{"Entrant Number", "Swimmer Name", "club", "age", "Sex"}
            << "Entrant Number" << QStringList{"1", "2", "3"};
        QTest::newRow("Single Entrant Details")
            << "Single Entrant Details" << with(ParamEntrantNumber, 2)
            << QStringList{"Swimmer Name", "club", "age", "Sex", "Regno"} << "Swimmer Name"
            << QStringList{"Bob Ray"};
        QTest::newRow("Single Entrant by Name")
            << "Single Entrant by Name" << with(ParamSwimmerName, "Zoë O'Brien-Smith")
            << QStringList{"Entrant Number"} << "Swimmer Name" << QStringList{"Zoë O'Brien-Smith"};
        QTest::newRow("Single Entrant by Name, other case")
            << "Single Entrant by Name" << with(ParamSwimmerName, "bob ray")
            << QStringList{"Entrant Number"} << "Entrant Number" << QStringList{"2"};
        QTest::newRow("Events for 1 Entrant")
            << "Events for 1 Entrant" << with(ParamEntrantNumber, "3") << SwimFields
            << "Event number" << QStringList{"9", "10"};
        QTest::newRow("Entrants for 1 Event")
            << "Entrants for 1 Event" << with(ParamEventNumber, 1)
            << QStringList{"Entrant Number", "Entry Time", "Seed Order", "Combined With",
                           "Time",           "DNS",        "Notes",      "Points",
                           "Heat No",        "Lane No",    "Progref"}
            << "Entrant Number" << QStringList{"1", "2"};
        QTest::newRow("Swims for 1 Meet")
            << "Swims for 1 Meet" << meet << SwimFields << "Event number"
            << QStringList{"1", "1", "2", "9", "10"};
        QTest::newRow("Meet Swim Record")
            << "Meet Swim Record" << meet
            << QStringList{"Entrant Number", "Swimmer Name", "club",
                           "Regno",          "age",          "Sex",
                           "Event number",   "Entry Time",   "Confirmed",
                           "Combined With",  "Meet Specific"}
            << "Event number" << QStringList{"1", "2", "1", "9", "10"};
        QTest::newRow("Entrants for 1 Pool Event, seeded")
            << "Entrants for 1 Pool Event" << with(ParamEventNumber, "1") << PoolEventFields
            << "Entrant Number" << QStringList{"2", "1"};
        QTest::newRow("Entrants for 1 Pool Event, combined")
            << "Entrants for 1 Pool Event" << with(ParamEventNumber, "2") << PoolEventFields
            << "Event number" << QStringList{"2", "9"};
        QTest::newRow("Entrants for 1 Pool Event, not combined")
            << "Entrants for 1 Pool Event" << with(ParamEventNumber, "10") << PoolEventFields
            << "Alt Club" << QStringList{""}; // club XYZ has no name
        QTest::newRow("Results for 1 Event")
            << "Results for 1 Event" << with(ParamEventNumber, "1") << PoolEventFields << "Alt Club"
            << QStringList{"Abc Swim", "Velmora Marlets"};
        QTest::newRow("Swims for 1 Pool Event")
            << "Swims for 1 Pool Event" << with(ParamEventNumber, "2")
            << QStringList{"Entrant Number", "Heat No", "Lane No"} << "Event number"
            << QStringList{"2", "9"};
    }
    void queries()
    {
        QFETCH(QString, query);
        QFETCH(QVariantHash, params);
        QFETCH(QStringList, fields);
        QFETCH(QString, keyField);
        QFETCH(QStringList, keys);
        Database db;
        db.Open(m_path);
        Database::SavedQuery saved = db.OpenQuery(query);
        for (auto it = params.cbegin(); it != params.cend(); ++it)
            saved.SetParameter(it.key(), it.value());
        QCOMPARE(saved.ParameterNames().size(), params.size());
        auto rs = saved.Open();
        const QStringList names = rs->FieldNames();
        for (const QString &field : fields)
            QVERIFY2(names.contains(field), qPrintable(field));
        QVERIFY(!names.contains(RowIdColumn));
        QCOMPARE(rs->RecordCount(), keys.size());
        QCOMPARE(Column(*rs, keyField), keys);
    }

    // Writes through the saved queries land in their update tables.
    void updates()
    {
        TestDir dir;
        const QString path = dir.FilePath(QStringLiteral("copy.db"));
        CreateMeetDatabase(path);
        Database db;
        db.Open(path);
        Fill(db);
        auto open = [&](const QString &name, const QVariantHash &params) {
            Database::SavedQuery query = db.OpenQuery(name);
            for (auto it = params.cbegin(); it != params.cend(); ++it)
                query.SetParameter(it.key(), it.value());
            return query.Open();
        };
        const QVariantHash meet{{ParamMeetCode, "M1"}};

        auto details = open("Details of 1 Meet", meet);
        details->Edit();
        details->SetField("Next Competitor Number", 4);
        details->Update();
        QCOMPARE(open("Details of 1 Meet", meet)->Int("Next Competitor Number"), 4);

        auto swims = open("Events for 1 Entrant", {{ParamMeetCode, "M1"}, {ParamEntrantNumber, 2}});
        swims->AddNew();
        for (const auto &[field, value] : QList<QPair<QString, QVariant>>{{"Meet code", "M1"},
                                                                          {"Entrant Number", 2},
                                                                          {"Event number", "10"},
                                                                          {"Entry Time", "1:05.30"},
                                                                          {"Confirmed", false}})
            swims->SetField(field, value);
        swims->Update();
        QCOMPARE(Column(*swims, "Event number"), (QStringList{"1", "10"}));

        auto pool =
            open("Swims for 1 Pool Event", {{ParamMeetCode, "M1"}, {ParamEventNumber, "10"}});
        QCOMPARE(pool->RecordCount(), 2);
        for (pool->MoveFirst(); !pool->Eof(); pool->MoveNext()) {
            pool->Edit();
            pool->SetField("Heat No", 1);
            pool->SetField("Lane No", pool->Int("Entrant Number"));
            pool->Update();
        }
        QCOMPARE(
            Column(*open("Entrants for 1 Event", {{ParamMeetCode, "M1"}, {ParamEventNumber, "10"}}),
                   "Lane No"),
            (QStringList{"2", "3"}));

        // Entry deletion: the entrant through its name, then its swims one by one.
        auto byName =
            open("Single Entrant by Name", {{ParamMeetCode, "M1"}, {ParamSwimmerName, "Bob Ray"}});
        byName->Delete();
        auto left = open("Events for 1 Entrant", {{ParamMeetCode, "M1"}, {ParamEntrantNumber, 2}});
        while (left->RecordCount() > 0) {
            left->MoveFirst();
            left->Delete();
        }
        QCOMPARE(open("Entrants for 1 Meet", meet)->RecordCount(), 2);
        QCOMPARE(open("Swims for 1 Meet", meet)->RecordCount(), 4);

        // A join's own fields are not in its update table.
        auto roster = open("Meet Swim Record", meet);
        roster->Edit();
        QVERIFY_THROWS_EXCEPTION(DbError, roster->SetField("Swimmer Name", "X"));
    }

    void checkMeetDatabase_data()
    {
        QTest::addColumn<QString>("damage");
        QTest::addColumn<QString>("expected");
        QTest::newRow("table missing")
            << "DROP TABLE \"Club Name Table\""
            << "is not a meet database: table 'Club Name Table' not found";
        QTest::newRow("no saved queries")
            << "DROP TABLE \"Saved Queries\""
            << "is not a meet database: table 'Saved Queries' not found";
        QTest::newRow("query missing")
            << "DELETE FROM \"Saved Queries\" WHERE \"Name\" = 'Meet Swim Record'"
            << "saved query 'Meet Swim Record' not found";
        QTest::newRow("query broken") << "DROP TABLE \"Group Table\""
                                      << "saved query 'Groups for 1 Meet' does not run";
        QTest::newRow("no row id") << "UPDATE \"Saved Queries\" SET \"Sql\" = 'SELECT * FROM "
                                      "\"Meet Table\"' WHERE \"Name\" = "
                                      "'Details of 1 Meet'"
                                   << "saved query 'Details of 1 Meet' does not run";
    }
    void checkMeetDatabase()
    {
        QFETCH(QString, damage);
        QFETCH(QString, expected);
        TestDir dir;
        const QString path = dir.FilePath(QStringLiteral("damaged.db"));
        CreateMeetDatabase(path);
        Database db;
        db.Open(path);
        db.Exec(damage);
        try {
            CheckMeetDatabase(db);
            QFAIL("damage not found");
        } catch (const DbError &error) {
            QVERIFY2(error.Message().contains(expected), qPrintable(error.Message()));
            QVERIFY2(error.Message().contains(QStringLiteral("damaged.db")),
                     qPrintable(error.Message()));
        }
    }
};

QTEST_GUILESS_MAIN(TstSchema)
#include "tst_schema.moc"
