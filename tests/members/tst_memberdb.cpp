#include <QDir>
#include <QFileInfo>
#include <QTest>

#include "core/settings.h"
#include "core/sysparams.h"
#include "meetdb/database.h"
#include "members/memberdb.h"
#include "support/scriptedprompts.h"
#include "support/testfiles.h"

using namespace Members;

// The member database file, against real SQLite files: reading and writing members, the index
// build, the envelope flags, the PB columns and the CSV import.
class TstMemberDb : public QObject
{
    Q_OBJECT

private:
    // Creates pbsys.mdb in `dir`, opens it as `db` and imports `csv` (header and rows) unless
    // it is empty. Returns the path of the CSV file.
    static QString Make(const TestDir &dir, MeetDb::Database &db, const QByteArray &csv)
    {
        CreateMemberDatabase(dir.FilePath("pbsys.mdb"));
        db.Open(dir.FilePath("pbsys.mdb"));
        const QString csvPath = dir.Write("members.csv", csv);
        if (!csv.isEmpty())
            ImportMembersCsv(db, csvPath);
        return csvPath;
    }

private Q_SLOTS:
    void pbColumn_data()
    {
        QTest::addColumn<QString>("distance");
        QTest::addColumn<QString>("stroke");
        QTest::addColumn<int>("expected");
        // "0100" is read by its numeric value; stroke codes are case-sensitive.
        for (const char *row :
             {"25 FS 1", "50 BR 6", "100 BK 11", "400 FS 17", "800 FS 18", "200 MED 21",
              "400 MED 22", "0100 BK 11", "400 BK -1", "100 bk -1"}) {
            const QStringList parts = QString(row).split(' ');
            QTest::newRow(row) << parts[0] << parts[1] << parts[2].toInt();
        }
    }
    void pbColumn()
    {
        QFETCH(QString, distance);
        QFETCH(QString, stroke);
        QFETCH(int, expected);
        TestDir empty;
        Core::SystemSettings settings;
        ScriptedPrompts prompts;
        Core::ReadSystemParams(empty.Path(), settings, prompts); // the default PB events
        QCOMPARE(PbColumn(settings, distance, stroke), expected);
        if (expected > 0) // the column agrees with the PB event list
            QCOMPARE(settings.PbEventLabel.at(expected - 1).Stroke, stroke);
    }

    void readWrite()
    {
        TestDir dir;
        MeetDb::Database db;
        Make(dir, db,
             "Record Id,Surname,Forename,Record Type,Date of Birth,Sex,E-mail,"
             "Envelope Flag,PB Time 11,PB Date 11\n"
             "7,O'Brien-Smith,Zo\xc3\xab,A,05/03/2012,F,,yes,1:5.3,14/06/2025\n"
             "9,Elder,Walt,X,01/02/1931,M,\"walt@example.org\",0,,\n"
             "10,Nobody,,A,,,,,,\n");
        ScriptedPrompts prompts;
        Member zoe, nobody, walt, again;
        QVERIFY(ReadMember(db, 7, zoe, prompts) && ReadMember(db, 10, nobody, prompts));
        QCOMPARE(zoe.DisplayName(), QString("O'Brien-Smith Zo\u00eb"));
        QCOMPARE(zoe.DateOfBirth, QString("05/03/12"));
        QVERIFY(zoe.EnvelopeFlag && !nobody.EnvelopeFlag);
        QCOMPARE(zoe.PbTime(11) + ' ' + zoe.PbDate(11), QString("1:05.30 14/06/25"));
        QCOMPARE(nobody.DisplayName() + nobody.DateOfBirth, QString("Nobody"));

        // Written back with changes, every field reads back as written.
        zoe.Address1 = QStringLiteral("3 Ch\u00e2teau Row");
        zoe.Forename = QStringLiteral("Zo\u00eb-Ann");
        zoe.EnvelopeFlag = false;
        zoe.PbTimes[0] = QStringLiteral("19.99");
        QCOMPARE(WriteMember(db, zoe), 7);
        QVERIFY(ReadMember(db, 7, again, prompts));
        QCOMPARE(again.DisplayName(), QString("O'Brien-Smith Zo\u00eb-Ann"));
        QCOMPARE(again.Address1, zoe.Address1);
        QCOMPARE(again.PbTimes, zoe.PbTimes);
        QCOMPARE(again.PbDates, zoe.PbDates);
        QCOMPARE(again.DateOfBirth, zoe.DateOfBirth);
        QVERIFY(!again.EnvelopeFlag);

        // "dd/mm/yy" written back keeps the stored century of a birth before the two-digit year
        // window.
        QVERIFY(ReadMember(db, 9, walt, prompts));
        QCOMPARE(walt.DateOfBirth + ' ' + walt.Email, QString("01/02/31 walt@example.org"));
        WriteMember(db, walt);
        auto table = db.OpenTable(MembersTable);
        table->Seek({9});
        QCOMPARE(table->Text("Date of Birth"), QString("1931-02-01"));

        // A new member without an id gets the next free one.
        Member added;
        added.Surname = QStringLiteral("Bloggs");
        added.DateOfBirth = QStringLiteral("05/03/09");
        QCOMPARE(WriteMember(db, added), 11);
        QVERIFY(ReadMember(db, 11, again, prompts));
        QCOMPARE(again.DateOfBirth, QString("05/03/09"));
        QVERIFY(prompts.Messages.isEmpty());
    }

    void readMissing()
    {
        TestDir dir;
        MeetDb::Database db;
        Make(dir, db, "Record Id,Surname\n1,Lee\n");
        ScriptedPrompts prompts;
        Member member;
        member.Surname = QStringLiteral("Unchanged");
        QVERIFY(!ReadMember(db, 2, member, prompts));
        db.Close();
        QVERIFY(!ReadMember(db, 1, member, prompts));
        QCOMPARE(member.Surname, QString("Unchanged"));
        QCOMPARE(prompts.Messages, QStringList(2, "Can't seek record on database"));
    }

    void buildIndex()
    {
        TestDir dir;
        MeetDb::Database db;
        Make(dir, db,
             "Surname,Forename,Record Type\n"
             "Cole,Cy,A\nAdams,Amy,A\nBrown,Ann,L\nBrown,Ann,A\nDyer,,A\nAdams,Amy,X\n");
        ScriptedPrompts prompts;
        MemberIndex index(2);
        QVERIFY(BuildMemberIndex(db, index, prompts));
        QCOMPARE(index.Count(), 4);
        QCOMPARE(index.Key(2) + ' ' + QString::number(index.RecordId(2)), QString("Brown Ann 4"));
        QCOMPARE(index.Key(4), QString("Dyer"));
        QCOMPARE(prompts.Statuses,
                 QStringList({"Cole Cy", "Adams Amy", "Out of sequence : \nAdams Amy", "Brown Ann",
                              "Out of sequence : \nBrown Ann", "Dyer"}));

        // A table whose active members share a name cannot be indexed.
        db.Exec(QStringLiteral("UPDATE \"Members Table\" SET \"Record Type\" = 'A'"));
        ScriptedPrompts duplicate;
        QVERIFY(!BuildMemberIndex(db, index, duplicate));
        QCOMPARE(duplicate.Messages, QStringList{"Brown AnnDuplicate Entry !! "});
    }

    void clearEnvelopeFlags()
    {
        TestDir dir;
        MeetDb::Database db;
        Make(dir, db, "Record Id,Surname,Envelope Flag\n1,Lee,1\n2,Ray,1\n");
        const auto flags = [&db] {
            int count = 0;
            auto table = db.OpenTable(MembersTable);
            for (table->MoveFirst(); !table->Eof(); table->MoveNext())
                count += table->Flag("Envelope Flag") ? 1 : 0;
            return count;
        };
        ScriptedPrompts prompts;
        prompts.No().Yes();
        QVERIFY(!ClearEnvelopeFlags(db, prompts));
        QCOMPARE(flags(), 2);
        QVERIFY(ClearEnvelopeFlags(db, prompts));
        QCOMPARE(flags(), 0);
        QCOMPARE(prompts.Questions, QStringList(2, "Clear all envelope flags?"));

        db.Exec(QStringLiteral("DELETE FROM \"Members Table\""));
        prompts.Yes();
        QVERIFY(!ClearEnvelopeFlags(db, prompts));
        QCOMPARE(prompts.Messages, QStringList{"Wot no members !!!!!"});
    }

    // Each bad CSV is refused whole with the file, line and fault named.
    void importErrors_data()
    {
        QTest::addColumn<QByteArray>("csv");
        QTest::addColumn<QString>("expected"); // after "members.csv:"
        const auto row = [](const char *name, const QByteArray &csv, const QString &expected) {
            QTest::newRow(name) << csv << expected;
        };
        row("unknown field", "Surname,Shoe Size\n", "1: \"Shoe Size\" is not a field");
        row("short line", "Surname,Forename\nLee,Al\nRay\n",
            "3: 1 fields where the header names 2");
        row("open quote", "Surname,Forename\n\"Lee,Al\n", "2: a quoted field is not closed");
        row("bad date", "Surname,Date of Birth\nLee,31/02/2010\n",
            "2: Date of Birth \"31/02/2010\" is not a date");
        row("bad time", "Surname,PB Time 3\nLee,fast\n", "2: PB Time 3 \"fast\" is not a time");
        row("id twice", "Record Id,Surname\n4,Lee\n4,Ray\n", "3: Record Id 4 is used twice");
        row("active name twice", "Surname,Forename,Record Type\nLee,Al,A\nLee,Al,X\nLee,Al,A\n",
            "4: active member \"Lee Al\" is already on line 2");
    }
    void importErrors()
    {
        QFETCH(QByteArray, csv);
        QFETCH(QString, expected);
        TestDir dir;
        MeetDb::Database db;
        const QString csvPath = Make(dir, db, {});
        dir.Write("members.csv", csv);
        try {
            ImportMembersCsv(db, csvPath);
            QFAIL("no error");
        } catch (const MeetDb::DbError &error) {
            QVERIFY2(error.Message().startsWith(csvPath + ':' + expected),
                     qPrintable(error.Message()));
        }
        QCOMPARE(CountMembers(db), 0);
    }

    // The demo file imports cleanly, and every active member goes into the index quietly.
    void demoMembers()
    {
        TestDir dir;
        MeetDb::Database db;
        Make(dir, db, {});
        ImportMembersCsv(db, QFileInfo(__FILE__).dir().filePath("../../demo/members.csv"));
        QVERIFY(CountMembers(db) >= 150);
        ScriptedPrompts prompts;
        MemberIndex index;
        QVERIFY(BuildMemberIndex(db, index, prompts));
        QVERIFY(index.Count() >= 140);
        QVERIFY(prompts.Messages.isEmpty());
    }

    void createRefusesExistingFile()
    {
        TestDir dir;
        const QString path = dir.Write("pbsys.mdb", "keep me");
        QVERIFY_THROWS_EXCEPTION(MeetDb::DbError, CreateMemberDatabase(path));
        QCOMPARE(TestDir::Read(path), QByteArray("keep me"));
    }
};

QTEST_GUILESS_MAIN(TstMemberDb)
#include "tst_memberdb.moc"
