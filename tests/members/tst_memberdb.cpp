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
    // A new member database holding `csv` (header and rows) imported.
    static QString MakeFile(const TestDir &dir, const QByteArray &csv)
    {
        const QString path = dir.FilePath("pbsys.mdb");
        CreateMemberDatabase(path);
        MeetDb::Database db;
        db.Open(path);
        ImportMembersCsv(db, dir.Write("members.csv", csv));
        return path;
    }

    static Core::SystemSettings DefaultSettings()
    {
        TestDir empty;
        Core::SystemSettings settings;
        ScriptedPrompts prompts;
        Core::ReadSystemParams(empty.Path(), settings, prompts);
        return settings;
    }

private Q_SLOTS:
    void pbColumn_data()
    {
        QTest::addColumn<QString>("distance");
        QTest::addColumn<QString>("stroke");
        QTest::addColumn<int>("expected");
        const auto row = [](const char *distance, const char *stroke, int expected) {
            QTest::addRow("%s %s", distance, stroke)
                << QString(distance) << QString(stroke) << expected;
        };
        row("25", "FS", 1);
        row("50", "BR", 6);
        row("100", "BK", 11);
        row("400", "FS", 17);
        row("800", "FS", 18);
        row("200", "MED", 21);
        row("400", "MED", 22);
        row("0100", "BK", 11); // by numeric value
        row("400", "BK", -1);
        row("50", "MED", -1);
        row("100", "FSR", -1);
        row("100", "bk", -1);
    }
    void pbColumn()
    {
        QFETCH(QString, distance);
        QFETCH(QString, stroke);
        QFETCH(int, expected);
        const Core::SystemSettings settings = DefaultSettings();
        QCOMPARE(settings.PbEventCount(), 22);
        QCOMPARE(PbColumn(settings, distance, stroke), expected);
        // The column agrees with the label of the PB event list.
        if (expected > 0)
            QCOMPARE(settings.PbEventLabel.at(expected - 1).Stroke, stroke);
    }

    void readWrite()
    {
        TestDir dir;
        const QString path =
            MakeFile(dir, "Record Id,Surname,Forename,Record Type,Date of Birth,Sex,E-mail,"
                          "Envelope Flag,PB Time 11,PB Date 11\n"
                          "7,O'Brien-Smith,Zo\xc3\xab,A,05/03/2012,F,,yes,1:5.3,14/06/2025\n"
                          "9,Elder,Walt,X,01/02/1931,M,\"walt@example.org\",0,,\n"
                          "10,Nobody,,A,,,,,,\n");
        MeetDb::Database db;
        db.Open(path);
        ScriptedPrompts prompts;

        Member zoe;
        QVERIFY(ReadMember(db, 7, zoe, prompts));
        QCOMPARE(zoe.DisplayName(), QString("O'Brien-Smith Zo\u00eb"));
        QCOMPARE(zoe.DateOfBirth, QString("05/03/12"));
        QVERIFY(zoe.EnvelopeFlag);
        QCOMPARE(zoe.PbTimes.size(), MaxPbColumns);
        QCOMPARE(zoe.PbTime(11), QString("1:05.30"));
        QCOMPARE(zoe.PbDate(11), QString("14/06/25"));
        QCOMPARE(zoe.PbTime(MaxPbColumns + 1), QString());

        Member nobody;
        QVERIFY(ReadMember(db, 10, nobody, prompts));
        QCOMPARE(nobody.DisplayName(), QString("Nobody"));
        QCOMPARE(nobody.DateOfBirth, QString());
        QVERIFY(!nobody.EnvelopeFlag);

        // Written back with changes, every field reads back as written.
        zoe.Address1 = QStringLiteral("3 Ch\u00e2teau Row");
        zoe.Forename = QStringLiteral("Zo\u00eb-Ann");
        zoe.EnvelopeFlag = false;
        zoe.PbTimes[0] = QStringLiteral("19.99");
        QCOMPARE(WriteMember(db, zoe), 7);
        Member again;
        QVERIFY(ReadMember(db, 7, again, prompts));
        QCOMPARE(again.DisplayName(), QString("O'Brien-Smith Zo\u00eb-Ann"));
        QCOMPARE(again.Address1, zoe.Address1);
        QCOMPARE(again.PbTimes, zoe.PbTimes);
        QCOMPARE(again.PbDates, zoe.PbDates);
        QCOMPARE(again.DateOfBirth, zoe.DateOfBirth);
        QVERIFY(!again.EnvelopeFlag);

        // A "dd/mm/yy" written back keeps the stored century of a birth before the two-digit
        // year window.
        Member walt;
        QVERIFY(ReadMember(db, 9, walt, prompts));
        QCOMPARE(walt.DateOfBirth, QString("01/02/31"));
        QCOMPARE(walt.Email, QString("walt@example.org"));
        WriteMember(db, walt);
        auto table = db.OpenTable(MembersTable);
        table->Seek({9});
        QCOMPARE(table->Text("Date of Birth"), QString("1931-02-01"));

        // A new member without an id gets the next free one.
        Member added;
        added.Surname = QStringLiteral("Bloggs");
        added.Forename = QStringLiteral("Jo");
        added.RecordType = QStringLiteral("A");
        added.DateOfBirth = QStringLiteral("05/03/09");
        QCOMPARE(WriteMember(db, added), 11);
        QVERIFY(ReadMember(db, 11, again, prompts));
        QCOMPARE(again.DateOfBirth, QString("05/03/09"));
        QCOMPARE(CountMembers(db), 4);
        QVERIFY(prompts.Messages.isEmpty());
    }

    void readMissing()
    {
        TestDir dir;
        MeetDb::Database db;
        db.Open(MakeFile(dir, "Record Id,Surname\n1,Lee\n"));
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
        db.Open(MakeFile(dir, "Surname,Forename,Record Type\n"
                              "Cole,Cy,A\nAdams,Amy,A\nBrown,Ann,L\nBrown,Ann,A\nDyer,,A\n"
                              "Adams,Amy,X\n"));
        ScriptedPrompts prompts;
        MemberIndex index(2);
        QVERIFY(BuildMemberIndex(db, index, prompts));
        QCOMPARE(index.Count(), 4);
        QVERIFY(index.Capacity() >= 4);
        QCOMPARE(index.Key(1), QString("Adams Amy"));
        QCOMPARE(index.RecordId(1), 2);
        QCOMPARE(index.Key(2), QString("Brown Ann"));
        QCOMPARE(index.RecordId(2), 4);
        QCOMPARE(index.Key(4), QString("Dyer"));
        QCOMPARE(prompts.Statuses,
                 QStringList({"Cole Cy", "Adams Amy", "Out of sequence : \nAdams Amy", "Brown Ann",
                              "Out of sequence : \nBrown Ann", "Dyer"}));

        // A table whose active members share a name cannot be indexed.
        db.Exec(QStringLiteral("UPDATE \"Members Table\" SET \"Record Type\" = 'A'"));
        ScriptedPrompts duplicate;
        QVERIFY(!BuildMemberIndex(db, index, duplicate));
        QCOMPARE(duplicate.Messages, QStringList{"Brown AnnDuplicate Entry !! "});

        // No active member: an empty index.
        db.Exec(QStringLiteral("UPDATE \"Members Table\" SET \"Record Type\" = 'L'"));
        ScriptedPrompts none;
        QVERIFY(BuildMemberIndex(db, index, none));
        QCOMPARE(index.Count(), 0);
        QVERIFY(none.Statuses.isEmpty());
    }

    void clearEnvelopeFlags_data()
    {
        QTest::addColumn<QByteArray>("rows");
        QTest::addColumn<bool>("answer");
        QTest::addColumn<bool>("cleared");
        QTest::addColumn<QStringList>("messages");
        QTest::addColumn<int>("flagsLeft");
        const QByteArray two = "1,Lee,1\n2,Ray,1\n";
        QTest::newRow("yes") << two << true << true << QStringList() << 0;
        QTest::newRow("no") << two << false << false << QStringList() << 2;
        QTest::newRow("empty table")
            << QByteArray() << true << false << QStringList{"Wot no members !!!!!"} << 0;
    }
    void clearEnvelopeFlags()
    {
        QFETCH(QByteArray, rows);
        QFETCH(bool, answer);
        QFETCH(bool, cleared);
        QFETCH(QStringList, messages);
        QFETCH(int, flagsLeft);
        TestDir dir;
        MeetDb::Database db;
        db.Open(MakeFile(dir, "Record Id,Surname,Envelope Flag\n" + rows));
        ScriptedPrompts prompts;
        answer ? prompts.Yes() : prompts.No();
        QCOMPARE(ClearEnvelopeFlags(db, prompts), cleared);
        QCOMPARE(prompts.Questions, QStringList{"Clear all envelope flags?"});
        QCOMPARE(prompts.Messages, messages);
        int flags = 0;
        auto table = db.OpenTable(MembersTable);
        for (table->MoveFirst(); !table->Eof(); table->MoveNext())
            flags += table->Flag("Envelope Flag") ? 1 : 0;
        QCOMPARE(flags, flagsLeft);
    }

    void importErrors_data()
    {
        QTest::addColumn<QByteArray>("csv");
        QTest::addColumn<QString>("expected"); // after "members.csv:"
        const auto row = [](const char *name, const QByteArray &csv, const QString &expected) {
            QTest::newRow(name) << csv << expected;
        };
        row("empty file", "", "1: the file is empty");
        row("unknown field", "Surname,Shoe Size\n", "1: \"Shoe Size\" is not a field");
        row("no surname field", "Forename\nAl\n", "1: the header has no");
        row("short line", "Surname,Forename\nLee,Al\nRay\n",
            "3: 1 fields where the header names 2");
        row("open quote", "Surname,Forename\n\"Lee,Al\n", "2: a quoted field is not closed");
        row("bad date", "Surname,Date of Birth\nLee,31/02/2010\n",
            "2: Date of Birth \"31/02/2010\" is not a date");
        row("bad time", "Surname,PB Time 3\nLee,fast\n", "2: PB Time 3 \"fast\" is not a time");
        row("bad flag", "Surname,Envelope Flag\nLee,2\n", "2: Envelope Flag \"2\"");
        row("id twice", "Record Id,Surname\n4,Lee\n4,Ray\n", "3: Record Id 4 is used twice");
        row("active name twice", "Surname,Forename,Record Type\nLee,Al,A\nLee,Al,X\nLee,Al,A\n",
            "4: active member \"Lee Al\" is already on line 2");
    }
    void importErrors()
    {
        QFETCH(QByteArray, csv);
        QFETCH(QString, expected);
        TestDir dir;
        const QString path = dir.FilePath("pbsys.mdb");
        CreateMemberDatabase(path);
        MeetDb::Database db;
        db.Open(path);
        const QString csvPath = dir.Write("members.csv", csv);
        try {
            ImportMembersCsv(db, csvPath);
            QFAIL("no error");
        } catch (const MeetDb::DbError &error) {
            QVERIFY2(error.Message().startsWith(csvPath + ':' + expected),
                     qPrintable(error.Message()));
        }
        QCOMPARE(CountMembers(db), 0);
    }

    // The demo file imports cleanly, and every active member goes into the index without a
    // message.
    void demoMembers()
    {
        const QString csv =
            QFileInfo(QStringLiteral(__FILE__)).dir().filePath("../../demo/members.csv");
        QVERIFY(QFileInfo::exists(csv));
        TestDir dir;
        const QString path = dir.FilePath("pbsys.mdb");
        CreateMemberDatabase(path);
        MeetDb::Database db;
        db.Open(path);
        ImportMembersCsv(db, csv);
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
