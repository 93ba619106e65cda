#include <algorithm>
#include <random>

#include <QRegularExpression>
#include <QTest>

#include "members/memberdb.h"
#include "support/scriptedprompts.h"

using Members::MemberIndex;

// The sorted name index: insertion with its messages, and the look-ups made while typing.
class TstMemberIndex : public QObject
{
    Q_OBJECT

    static QStringList Keys(const MemberIndex &index)
    {
        QStringList keys;
        for (int i = 1; i <= index.Count(); ++i)
            keys << index.Key(i);
        return keys;
    }

    // Inserts `keys` in order with record ids 1, 2, 3 ...
    static void Fill(MemberIndex &index, const QStringList &keys)
    {
        ScriptedPrompts prompts;
        for (int id = 1; id <= keys.size(); ++id)
            QVERIFY(index.InsertIndexEntry(keys.at(id - 1), id, prompts));
    }

private Q_SLOTS:
    void insert_data()
    {
        QTest::addColumn<int>("capacity");
        QTest::addColumn<QStringList>("inserted");
        QTest::addColumn<bool>("lastResult");
        QTest::addColumn<QStringList>("expected"); // the keys, then "status: " and "message: "
        const auto row = [](const char *name, int capacity, const QString &inserted,
                            bool lastResult, const QString &expected) {
            QTest::newRow(name) << capacity << inserted.split(',') << lastResult
                                << expected.split(',');
        };
        row("out of sequence", 10, "Brown Ann,Cole Cy,Adams Amy", true,
            "Adams Amy,Brown Ann,Cole Cy,status: Out of sequence : \nAdams Amy");
        row("duplicate of the last", 10, "Adams Amy,Brown Ann,Brown Ann", false,
            "Adams Amy,Brown Ann,status: Out of sequence : \nBrown Ann,"
            "message: Brown AnnDuplicate Entry !! ");
        row("duplicate in the middle", 10, "Adams Amy,Brown Ann,Cole Cy,Adams Amy", false,
            "Adams Amy,Brown Ann,Cole Cy,status: Out of sequence : \nAdams Amy,"
            "message: Adams AmyDuplicate Entry !! ");
        row("full", 2, "Adams Amy,Brown Ann,Cole Cy", true,
            "Adams Amy,Brown Ann,message: Index Full");
        row("accents sort after plain letters", 10, "Zoz Al,Zo\u00eb Ann,Zoe Bo", true,
            "Zoe Bo,Zoz Al,Zo\u00eb Ann,status: Out of sequence : \nZoe Bo");
    }
    void insert()
    {
        QFETCH(int, capacity);
        QFETCH(QStringList, inserted);
        MemberIndex index(capacity);
        ScriptedPrompts prompts;
        bool result = true;
        for (int i = 0; i < inserted.size(); ++i)
            result = index.InsertIndexEntry(inserted.at(i), 100 + i, prompts);
        QTEST(result, "lastResult");
        QStringList seen = Keys(index);
        seen << prompts.Statuses.replaceInStrings(QRegularExpression("^"), "status: ");
        seen << prompts.Messages.replaceInStrings(QRegularExpression("^"), "message: ");
        QTEST(seen, "expected");
    }

    // Shuffled keys end sorted, with their record ids, and are found again.
    void manyKeys()
    {
        QStringList sorted;
        for (int i = 0; i < 700; ++i)
            sorted << QStringLiteral("Name%1 F").arg(i, 4, 10, QChar(u'0'));
        QStringList shuffled = sorted;
        std::shuffle(shuffled.begin(), shuffled.end(), std::mt19937(7));
        MemberIndex mixed;
        Fill(mixed, shuffled);
        QCOMPARE(Keys(mixed), sorted);
        for (int i = 0; i < sorted.size(); i += 37) {
            QCOMPARE(mixed.FindIndexEntry(sorted.at(i), 0), i + 1);
            QCOMPARE(mixed.RecordId(i + 1), shuffled.indexOf(sorted.at(i)) + 1);
        }
    }

    void find()
    {
        MemberIndex empty, single, family;
        Fill(single, {"Lee Al"});
        Fill(family, QString("Adams A,Adams B,Adams C,Adams D,Smith A,Smith B,Smith C,Smith D,"
                             "Taylor A,Taylor B,Taylor C,Taylor D,Taylor E,Taylor F")
                         .split(','));
        QCOMPARE(empty.FindIndexEntry("Smith A", 0), 0);
        QCOMPARE(single.FindIndexEntry("Lee", 1), 1);
        QCOMPARE(family.FindIndexEntry("Taylor F", 0), 14);
        QCOMPARE(family.FindIndexEntry("smith c", 0), 0); // exact is case-sensitive
        QCOMPARE(family.FindIndexEntry("Jones", 1), 0);
        // The narrowing halves 1..14 at 7.5, which goes to 8, then 1..8 at 4.5, which goes to 4,
        // leaving 4..8 to scan; rounding halves up or down would give 5 or 7 here.
        QCOMPARE(family.FindIndexEntry("Smith", 1), 8);
    }

    void complete()
    {
        MemberIndex index;
        Fill(index, {"Adams Amy", "Brackenby Lily", "Brackenby Rosa", "Brown Ann", "McSmith Ed",
                     "O'Brien-Smith Zo\u00eb", "Smith Alan", "Smith Bob", "Smith Eve", "Smith Jane",
                     "Smithers Quentin", "Smithson Zak", "Taylor Tom"});
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

QTEST_GUILESS_MAIN(TstMemberIndex)
#include "tst_memberindex.moc"
