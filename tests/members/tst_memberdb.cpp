#include <memory>

#include <QTest>

#include "core/settings.h"
#include "core/sysparams.h"
#include "meetdb/database.h"
#include "members/memberdb.h"
#include "support/scriptedprompts.h"
#include "support/testfiles.h"

using namespace Members;

// The member database against real SQLite files: members read and written, the index build,
// the envelope flags, the PB columns and the CSV import.
class TstMemberDb : public QObject
{
    Q_OBJECT

    std::unique_ptr<TestDir> dir;
    MeetDb::Database db;

    // Creates and opens a fresh pbsys.mdb, importing `csv` unless empty; returns the CSV path.
    QString Make(const QByteArray &csv)
    {
        db.Close();
        dir = std::make_unique<TestDir>();
        CreateMemberDatabase(dir->FilePath("pbsys.mdb"));
        db.Open(dir->FilePath("pbsys.mdb"));
        const QString csvPath = dir->Write("members.csv", csv);
        if (!csv.isEmpty())
            ImportMembersCsv(db, csvPath);
        return csvPath;
    }

private Q_SLOTS:
    void pbColumn_data()
    {
        QTest::addColumn<QString>("row");
        // "0100" is read by its numeric value; stroke codes are case-sensitive.
        for (const char *row : {"25 FS 1", "100 BK 11", "800 FS 18", "200 MED 21", "0100 BK 11",
                                "400 BK -1", "100 bk -1"})
            QTest::newRow(row) << QString(row);
    }
    void pbColumn()
    {
        QFETCH(QString, row);
        const QStringList parts = row.split(' ');
        Core::SystemSettings settings;
        ScriptedPrompts prompts;
        Core::ReadSystemParams(TestDir().Path(), settings, prompts); // the default PB events
        QCOMPARE(PbColumn(settings, parts[0], parts[1]), parts[2].toInt());
    }

    void readWrite()
    {
        Make("Record Id,Surname,Forename,Record Type,Date of Birth,Sex,E-mail,"
             "Envelope Flag,PB Time 11,PB Date 11\n"
             "7,O'Brien-Smith,Zo\xc3\xab,A,05/03/2012,F,,yes,1:5.3,14/06/2025\n"
             "9,Elder,Walt,X,01/02/1931,M,\"walt@example.org\",0,,\n");
        ScriptedPrompts prompts;
        Member zoe, walt, again, added;
        QVERIFY(ReadMember(db, 7, zoe, prompts) && zoe.EnvelopeFlag);
        QCOMPARE(zoe.DisplayName() + ' ' + zoe.DateOfBirth,
                 QString("O'Brien-Smith Zo\u00eb 05/03/12"));
        QCOMPARE(zoe.PbTime(11) + ' ' + zoe.PbDate(11), QString("1:05.30 14/06/25"));

        // Written back with changes, every field reads back as written.
        zoe.Address1 = QStringLiteral("3 Ch\u00e2teau Row");
        zoe.Forename = QStringLiteral("Zo\u00eb-Ann");
        zoe.EnvelopeFlag = false;
        zoe.PbTimes[0] = QStringLiteral("19.99");
        QCOMPARE(WriteMember(db, zoe), 7);
        QVERIFY(ReadMember(db, 7, again, prompts));
        QCOMPARE(again.DisplayName() + again.Address1 + again.DateOfBirth,
                 zoe.DisplayName() + zoe.Address1 + zoe.DateOfBirth);
        QVERIFY(again.PbTimes == zoe.PbTimes && again.PbDates == zoe.PbDates &&
                !again.EnvelopeFlag);

        // "dd/mm/yy" written back keeps the stored century of a birth before the year window.
        QVERIFY(ReadMember(db, 9, walt, prompts));
        QCOMPARE(walt.DateOfBirth + ' ' + walt.Email, QString("01/02/31 walt@example.org"));
        WriteMember(db, walt);
        auto table = db.OpenTable(MembersTable);
        table->Seek({9});
        QCOMPARE(table->Text("Date of Birth"), QString("1931-02-01"));

        // A new member without an id gets the next free one.
        added.Surname = QStringLiteral("Bloggs");
        QCOMPARE(WriteMember(db, added), 10);

        // An existing file is never created over.
        const QByteArray before = TestDir::Read(dir->FilePath("pbsys.mdb"));
        QVERIFY_THROWS_EXCEPTION(MeetDb::DbError, CreateMemberDatabase(dir->FilePath("pbsys.mdb")));
        QCOMPARE(TestDir::Read(dir->FilePath("pbsys.mdb")), before);

        // A missing record is reported and leaves the member as it was.
        QVERIFY(!ReadMember(db, 12, added, prompts));
        db.Close();
        QVERIFY(!ReadMember(db, 7, added, prompts));
        QCOMPARE(added.Surname, QString("Bloggs"));
        QCOMPARE(prompts.Messages, QStringList(2, "Can't seek record on database"));
    }

    void buildIndex()
    {
        Make("Surname,Forename,Record Type\n"
             "Cole,Cy,A\nAdams,Amy,A\nBrown,Ann,L\nBrown,Ann,A\nDyer,,A\nAdams,Amy,X\n");
        ScriptedPrompts prompts;
        MemberIndex index(2);
        QVERIFY(BuildMemberIndex(db, index, prompts));
        QCOMPARE(index.Key(2) + ' ' + QString::number(index.RecordId(2)), QString("Brown Ann 4"));
        QCOMPARE(index.Key(index.Count()), QString("Dyer"));
        QCOMPARE(prompts.Statuses,
                 QStringList({"Cole Cy", "Adams Amy", "Out of sequence : \nAdams Amy", "Brown Ann",
                              "Out of sequence : \nBrown Ann", "Dyer"}));

        // Active members sharing a name are left out and listed; the others stay indexed.
        db.Exec(QStringLiteral("UPDATE \"Members Table\" SET \"Record Type\" = 'A'"));
        QVERIFY(BuildMemberIndex(db, index, prompts));
        QCOMPARE(index.Key(1) + ',' + index.Key(2), QString("Cole Cy,Dyer"));
        QCOMPARE(index.Collisions(),
                 (QMap<QString, QList<int>>{{"Adams Amy", {2, 6}}, {"Brown Ann", {3, 4}}}));
        QVERIFY(prompts.Messages.isEmpty());
        // A file whose ids have run out takes no new member.
        db.Exec(QStringLiteral("UPDATE \"Members Table\" SET \"Record Id\" = 2147483647 "
                               "WHERE \"Record Id\" = 6"));
        QVERIFY_THROWS_EXCEPTION(MeetDb::DbError, WriteMember(db, Member{}));
    }

    void clearEnvelopeFlags()
    {
        Make("Record Id,Surname,Envelope Flag\n1,Lee,1\n");
        ScriptedPrompts prompts;
        Member lee;
        prompts.No().Yes();
        QVERIFY(!ClearEnvelopeFlags(db, prompts));
        QVERIFY(ReadMember(db, 1, lee, prompts) && lee.EnvelopeFlag);
        QVERIFY(ClearEnvelopeFlags(db, prompts));
        QVERIFY(ReadMember(db, 1, lee, prompts) && !lee.EnvelopeFlag);
        QCOMPARE(prompts.Questions, QStringList(2, "Clear all envelope flags?"));

        db.Exec(QStringLiteral("DELETE FROM \"Members Table\""));
        prompts.Yes();
        QVERIFY(!ClearEnvelopeFlags(db, prompts));
        QCOMPARE(prompts.Messages, QStringList{"Wot no members !!!!!"});
    }

    // Each bad CSV is refused whole, naming the file, line and fault (after "members.csv:").
    void importErrors_data()
    {
        QTest::addColumn<QByteArray>("csv");
        QTest::addColumn<QString>("expected");
        const char *rows[][3] = {
            {"unknown field", "Surname,Shoe Size\n", "1: \"Shoe Size\" is not a field"},
            {"short line", "Surname,Forename\nLee,Al\nRay\n",
             "3: 1 fields where the header names 2"},
            {"open quote", "Surname,Forename\n\"Lee,Al\n", "2: a quoted field is not closed"},
            {"bad date", "Surname,Date of Birth\nLee,31/02/2010\n",
             "2: Date of Birth \"31/02/2010\" is not a date"},
            {"id twice", "Record Id,Surname\n4,Lee\n4,Ray\n", "3: Record Id 4 is used twice"},
            {"id too large", "Record Id,Surname\n2147483647,Lee\n",
             "2: Record Id \"2147483647\" is not a whole number from 1 to 999999999"},
            {"id past int", "Record Id,Surname\n9999999999,Lee\n",
             "2: Record Id \"9999999999\" is not a whole number from 1"},
            {"no id left", "Record Id,Surname\n999999999,Lee\n,Ray\n",
             "3: no Record Id up to 999999999 is left"},
            {"active name twice", "Surname,Forename,Record Type\nLee,Al,A\nLee,Al,X\nLee,Al,A\n",
             "4: active member \"Lee Al\" is already on line 2"}};
        for (const auto &row : rows)
            QTest::newRow(row[0]) << QByteArray(row[1]) << QString(row[2]);
    }
    void importErrors()
    {
        QFETCH(QByteArray, csv);
        QFETCH(QString, expected);
        try {
            Make(csv);
            QFAIL("no error");
        } catch (const MeetDb::DbError &error) {
            QVERIFY2(error.Message().startsWith(dir->FilePath("members.csv:") + expected),
                     qPrintable(error.Message()));
        }
        QCOMPARE(CountMembers(db), 0);
    }
};

QTEST_GUILESS_MAIN(TstMemberDb)
#include "tst_memberdb.moc"
