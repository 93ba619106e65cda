#include <memory>

#include <QRegularExpression>
#include <QTest>

#include "meetdb/database.h"
#include "members/memberdb.h"
#include "support/scriptedprompts.h"
#include "support/testfiles.h"

using namespace Members;

namespace {

QStringList Keys(const MemberIndex &index)
{
    QStringList keys;
    for (int i = 1; i <= index.Count(); ++i)
        keys << index.Key(i);
    return keys;
}

} // namespace

// The member database against real SQLite files, and the name index with its look-ups.
class TstMemberDb : public QObject
{
    Q_OBJECT

    std::unique_ptr<TestDir> dir;
    MeetDb::Database db;

    // Creates and opens a fresh pbsys.mdb, importing `csv` unless empty.
    void Make(const QByteArray &csv)
    {
        db.Close();
        dir = std::make_unique<TestDir>();
        CreateMemberDatabase(dir->FilePath("pbsys.mdb"));
        db.Open(dir->FilePath("pbsys.mdb"));
        if (!csv.isEmpty())
            ImportMembersCsv(db, dir->Write("members.csv", csv));
    }

private Q_SLOTS:
    void readWrite()
    {
        Make("Record Id,Surname,Forename,Record Type,Date of Birth,Sex,E-mail,"
             "Envelope Flag,PB Time 11,PB Date 11\n"
             "7,O'Brien-Smith,Zo\xc3\xab,A,05/03/2012,F,,yes,1:5.3,14/06/2025\n"
             "9,Elder,Walt,X,01/02/1931,M,\"walt@example.org\",0,,\n");
        ScriptedPrompts prompts;
        Member zoe, walt, again, added;
        QVERIFY(ReadMember(db, 7, zoe, prompts) && zoe.EnvelopeFlag);
        QCOMPARE(zoe.DisplayName() + ' ' + zoe.DateOfBirth + ' ' + zoe.PbTime(11) + ' ' +
                     zoe.PbDate(11),
                 QString("O'Brien-Smith Zo\u00eb 05/03/12 1:05.30 14/06/25"));
        // Written back with changes, every field reads back as written.
        zoe.Address1 = QStringLiteral("3 Ch\u00e2teau Row");
        zoe.Forename = QStringLiteral("Zo\u00eb-Ann");
        zoe.EnvelopeFlag = false;
        zoe.PbTimes[0] = QStringLiteral("19.99");
        QCOMPARE(WriteMember(db, zoe), 7);
        QVERIFY(ReadMember(db, 7, again, prompts) && !again.EnvelopeFlag);
        QCOMPARE(again.DisplayName() + again.Address1 + again.DateOfBirth,
                 zoe.DisplayName() + zoe.Address1 + zoe.DateOfBirth);
        QVERIFY(again.PbTimes == zoe.PbTimes && again.PbDates == zoe.PbDates);
        // "dd/mm/yy" written back keeps the stored century of a birth before the year window.
        QVERIFY(ReadMember(db, 9, walt, prompts));
        QCOMPARE(walt.DateOfBirth + ' ' + walt.Email, QString("01/02/31 walt@example.org"));
        WriteMember(db, walt);
        auto table = db.OpenTable(MembersTable);
        table->Seek({9});
        QCOMPARE(table->Text("Date of Birth"), QString("1931-02-01"));
        // An existing file is never created over.
        const QByteArray before = TestDir::Read(dir->FilePath("pbsys.mdb"));
        QVERIFY_THROWS_EXCEPTION(MeetDb::DbError, CreateMemberDatabase(dir->FilePath("pbsys.mdb")));
        QCOMPARE(TestDir::Read(dir->FilePath("pbsys.mdb")), before);
        // A missing record is reported and leaves the member as it was.
        added.Surname = QStringLiteral("Bloggs");
        QVERIFY(!ReadMember(db, 12, added, prompts));
        db.Close();
        QVERIFY(!ReadMember(db, 7, added, prompts) && added.Surname == "Bloggs");
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
        QCOMPARE(Keys(index), QStringList({"Cole Cy", "Dyer"}));
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
        for (const bool yes : {false, true}) {
            yes ? prompts.Yes() : prompts.No();
            QCOMPARE(ClearEnvelopeFlags(db, prompts), yes);
            QVERIFY(ReadMember(db, 1, lee, prompts) && lee.EnvelopeFlag != yes);
        }
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
        // clang-format off
        QTest::newRow("unknown field") << QByteArray("Surname,Shoe Size\n") << "1: \"Shoe Size\" is not a field";
        QTest::newRow("short line") << QByteArray("Surname,Forename\nLee,Al\nRay\n") << "3: 1 fields where the header names 2";
        QTest::newRow("open quote") << QByteArray("Surname,Forename\n\"Lee,Al\n") << "2: a quoted field is not closed";
        QTest::newRow("bad date") << QByteArray("Surname,Date of Birth\nLee,31/02/2010\n") << "2: Date of Birth \"31/02/2010\" is not a date";
        QTest::newRow("id twice") << QByteArray("Record Id,Surname\n4,Lee\n4,Ray\n") << "3: Record Id 4 is used twice";
        QTest::newRow("id too large") << QByteArray("Record Id,Surname\n2147483647,Lee\n") << "2: Record Id \"2147483647\" is not a whole number from 1 to 999999999";
        QTest::newRow("id past int") << QByteArray("Record Id,Surname\n9999999999,Lee\n") << "2: Record Id \"9999999999\" is not a whole number from 1";
        QTest::newRow("no id left") << QByteArray("Record Id,Surname\n999999999,Lee\n,Ray\n") << "3: no Record Id up to 999999999 is left";
        QTest::newRow("active name twice") << QByteArray("Surname,Forename,Record Type\nLee,Al,A\nLee,Al,X\nLee,Al,A\n") << "4: active member \"Lee Al\" is already on line 2";
        // clang-format on
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

    // Insertion into the index: keys, then "status: " and "message: " texts shown.
    void insert_data()
    {
        QTest::addColumn<int>("capacity");
        QTest::addColumn<QString>("inserted");
        QTest::addColumn<bool>("lastResult");
        QTest::addColumn<QString>("expected");
        // clang-format off
        QTest::newRow("out of sequence") << 10 << "Brown Ann,Cole Cy,Adams Amy" << true << "Adams Amy,Brown Ann,Cole Cy,status: Out of sequence : \nAdams Amy";
        QTest::newRow("duplicate of the last") << 10 << "Adams Amy,Brown Ann,Brown Ann" << false << "Adams Amy,Brown Ann,status: Out of sequence : \nBrown Ann,message: Brown AnnDuplicate Entry !! ";
        QTest::newRow("duplicate in the middle") << 10 << "Adams Amy,Brown Ann,Cole Cy,Adams Amy" << false << "Adams Amy,Brown Ann,Cole Cy,status: Out of sequence : \nAdams Amy,message: Adams AmyDuplicate Entry !! ";
        QTest::newRow("full") << 2 << "Adams Amy,Brown Ann,Cole Cy" << true << "Adams Amy,Brown Ann,message: Index Full";
        QTest::newRow("accents sort after plain letters") << 10 << "Zoz Al,Zo\u00eb Ann,Zoe Bo" << true << "Zoe Bo,Zoz Al,Zo\u00eb Ann,status: Out of sequence : \nZoe Bo";
        // clang-format on
    }
    void insert()
    {
        QFETCH(int, capacity);
        QFETCH(QString, inserted);
        MemberIndex index(capacity);
        ScriptedPrompts prompts;
        bool result = true;
        for (const QString &key : inserted.split(','))
            result = index.InsertIndexEntry(key, 100, prompts);
        QTEST(result, "lastResult");
        const QStringList seen =
            Keys(index) + prompts.Statuses.replaceInStrings(QRegularExpression("^"), "status: ") +
            prompts.Messages.replaceInStrings(QRegularExpression("^"), "message: ");
        QTEST(seen.join(','), "expected");
    }

    void complete()
    {
        MemberIndex index;
        ScriptedPrompts prompts;
        for (const char *key :
             {"Adams Amy", "Brackenby Lily", "Brackenby Rosa", "Brown Ann", "McSmith Ed",
              "O'Brien-Smith Zo\u00eb", "Smith Alan", "Smith Bob", "Smith Eve", "Smith Jane",
              "Smithers Quentin", "Smithson Zak", "Taylor Tom"})
            QVERIFY(index.InsertIndexEntry(QString::fromUtf8(key), 1, prompts));
        // Typed text > completion. Later surnames that still hold the typed part are scanned on
        // past the first ("Smith Z" reaches Smithson Zak over Smithers); Taylor ends the scan.
        const QString cases =
            ">|Smi>Smith Alan|Smith J>Smith Jane|Smith ve>Smith Eve|Smith Jane >Smith Jane|"
            "Smith Q>Smithers Quentin|Smith Z>Smithson Zak|Smithson Z>Smithson Zak|Xavier>|smith>|"
            "Brack R>Brackenby Rosa|Brack L>Brackenby Lily|Brown L>|Smith T>|"
            "O'Brien-Smith \u00eb>O'Brien-Smith Zo\u00eb";
        for (const QString &pair : cases.split('|'))
            QCOMPARE(index.CompleteMemberName(pair.section('>', 0, 0)), pair.section('>', 1));
    }
};

QTEST_GUILESS_MAIN(TstMemberDb)
#include "tst_memberdb.moc"
