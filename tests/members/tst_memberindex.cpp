#include <algorithm>
#include <random>

#include <QTest>

#include "members/memberdb.h"
#include "support/scriptedprompts.h"

using Members::MemberIndex;

// The sorted name index: insertion with its messages, and the look-ups made while typing.
class TstMemberIndex : public QObject
{
    Q_OBJECT

private:
    static QStringList Keys(const MemberIndex &index)
    {
        QStringList keys;
        for (int i = 1; i <= index.Count(); ++i)
            keys << index.Key(i);
        return keys;
    }

    // An index of `keys` inserted in order, with record ids 1, 2, 3 ...
    static void Fill(MemberIndex &index, const QStringList &keys)
    {
        ScriptedPrompts prompts;
        int id = 0;
        for (const QString &key : keys)
            QVERIFY(index.InsertIndexEntry(key, ++id, prompts));
    }

private Q_SLOTS:
    void insert_data()
    {
        QTest::addColumn<int>("capacity");
        QTest::addColumn<QStringList>("inserted");
        QTest::addColumn<bool>("lastResult");
        QTest::addColumn<QStringList>("expectedKeys");
        QTest::addColumn<QStringList>("statuses");
        QTest::addColumn<QStringList>("messages");

        const QStringList none;
        QTest::newRow("ascending")
            << 10 << QStringList{"Adams Amy", "Brown Ann", "Cole Cy"} << true
            << QStringList{"Adams Amy", "Brown Ann", "Cole Cy"} << none << none;
        QTest::newRow("out of sequence") << 10 << QStringList{"Brown Ann", "Cole Cy", "Adams Amy"}
                                         << true << QStringList{"Adams Amy", "Brown Ann", "Cole Cy"}
                                         << QStringList{"Out of sequence : \nAdams Amy"} << none;
        QTest::newRow("into the middle") << 10 << QStringList{"Adams Amy", "Cole Cy", "Brown Ann"}
                                         << true << QStringList{"Adams Amy", "Brown Ann", "Cole Cy"}
                                         << QStringList{"Out of sequence : \nBrown Ann"} << none;
        QTest::newRow("duplicate of the last")
            << 10 << QStringList{"Adams Amy", "Brown Ann", "Brown Ann"} << false
            << QStringList{"Adams Amy", "Brown Ann"} << QStringList{"Out of sequence : \nBrown Ann"}
            << QStringList{"Brown AnnDuplicate Entry !! "};
        QTest::newRow("duplicate in the middle")
            << 10 << QStringList{"Adams Amy", "Brown Ann", "Cole Cy", "Adams Amy"} << false
            << QStringList{"Adams Amy", "Brown Ann", "Cole Cy"}
            << QStringList{"Out of sequence : \nAdams Amy"}
            << QStringList{"Adams AmyDuplicate Entry !! "};
        QTest::newRow("full") << 2 << QStringList{"Adams Amy", "Brown Ann", "Cole Cy"} << true
                              << QStringList{"Adams Amy", "Brown Ann"} << none
                              << QStringList{"Index Full"};
        QTest::newRow("accents sort after plain letters")
            << 10 << QStringList{"Zoz Al", "Zo\u00eb Ann", "Zoe Bo"} << true
            << QStringList{"Zoe Bo", "Zoz Al", "Zo\u00eb Ann"}
            << QStringList{"Out of sequence : \nZoe Bo"} << none;
    }
    void insert()
    {
        QFETCH(int, capacity);
        QFETCH(QStringList, inserted);
        QFETCH(bool, lastResult);
        QFETCH(QStringList, expectedKeys);
        QFETCH(QStringList, statuses);
        QFETCH(QStringList, messages);

        MemberIndex index(capacity);
        ScriptedPrompts prompts;
        bool result = true;
        for (int i = 0; i < inserted.size(); ++i)
            result = index.InsertIndexEntry(inserted.at(i), 100 + i, prompts);
        QCOMPARE(result, lastResult);
        QCOMPARE(Keys(index), expectedKeys);
        QCOMPARE(prompts.Statuses, statuses);
        QCOMPARE(prompts.Messages, messages);
        // Record ids travel with their keys.
        for (int i = 1; i <= index.Count(); ++i)
            QCOMPARE(index.RecordId(i), 100 + int(inserted.indexOf(index.Key(i))));
    }

    // Many keys in shuffled order end sorted, whatever stretch the narrowing leaves to scan; in
    // ascending order they never report being out of sequence.
    void manyKeys()
    {
        QStringList sorted;
        for (int i = 0; i < 700; ++i)
            sorted << QStringLiteral("Name%1 F").arg(i, 4, 10, QChar(u'0'));
        QStringList shuffled = sorted;
        std::shuffle(shuffled.begin(), shuffled.end(), std::mt19937(7));

        MemberIndex ascending;
        Fill(ascending, sorted);
        MemberIndex mixed;
        ScriptedPrompts prompts;
        for (const QString &key : std::as_const(shuffled))
            QVERIFY(mixed.InsertIndexEntry(key, int(sorted.indexOf(key)), prompts));
        QCOMPARE(Keys(mixed), sorted);
        QVERIFY(prompts.Messages.isEmpty());
        for (int i = 1; i <= mixed.Count(); ++i)
            QCOMPARE(mixed.RecordId(i), i - 1);
        for (int i = 0; i < sorted.size(); i += 37) {
            QCOMPARE(mixed.FindIndexEntry(sorted.at(i), 0), i + 1);
            QCOMPARE(ascending.FindIndexEntry(sorted.at(i), 0), i + 1);
        }
    }

    void find_data()
    {
        QTest::addColumn<QStringList>("keys");
        QTest::addColumn<QString>("key");
        QTest::addColumn<int>("mode");
        QTest::addColumn<int>("expected");

        const QStringList family{"Adams A",  "Adams B",  "Adams C",  "Adams D",  "Smith A",
                                 "Smith B",  "Smith C",  "Smith D",  "Taylor A", "Taylor B",
                                 "Taylor C", "Taylor D", "Taylor E", "Taylor F"};
        QTest::newRow("empty index") << QStringList() << "Smith A" << 0 << 0;
        QTest::newRow("empty index, contains") << QStringList() << "" << 1 << 0;
        QTest::newRow("exact first") << family << "Adams A" << 0 << 1;
        QTest::newRow("exact last") << family << "Taylor F" << 0 << 14;
        QTest::newRow("exact middle") << family << "Smith C" << 0 << 7;
        QTest::newRow("exact absent") << family << "Smith" << 0 << 0;
        QTest::newRow("exact is case-sensitive") << family << "smith c" << 0 << 0;
        // The narrowing halves 1..14 at 7.5, which goes to 8, then 1..8 at 4.5, which goes to 4,
        // leaving 4..8 to scan; rounding halves up or down would give 5 or 7 here.
        QTest::newRow("contains, last in the scanned stretch") << family << "Smith" << 1 << 8;
        QTest::newRow("contains absent") << family << "Jones" << 1 << 0;
        QTest::newRow("single entry") << QStringList{"Lee Al"} << "Lee" << 1 << 1;
    }
    void find()
    {
        QFETCH(QStringList, keys);
        QFETCH(QString, key);
        QFETCH(int, mode);
        QFETCH(int, expected);
        MemberIndex index;
        Fill(index, keys);
        QCOMPARE(index.FindIndexEntry(key, mode), expected);
    }

    void complete_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("expected");

        const auto row = [](const char *name, const QString &typed, const QString &expected) {
            QTest::newRow(name) << typed << expected;
        };
        row("nothing typed", "", "");
        row("surname part only", "Smi", "Smith Alan");
        row("whole surname, first of a family", "Smith", "Smith Alan");
        row("surname and forename part", "Smith J", "Smith Jane");
        row("forename part inside the name", "Smith ve", "Smith Eve");
        row("trailing blank", "Smith Jane ", "Smith Jane");
        // The first later surname still completes when it matches; one that does not ends the
        // scan, so Smithson Zak is not reached from "Smith Z".
        row("later surname matching", "Smith Q", "Smithers Quentin");
        row("stops at the first later surname", "Smith Z", "");
        row("later surname itself", "Smithson Z", "Smithson Zak");
        row("no match", "Xavier", "");
        row("apostrophe, hyphen and accent", "O'Brien-Smith Zo", "O'Brien-Smith Zo\u00eb");
        row("accented part", "O'Brien-Smith \u00eb", "O'Brien-Smith Zo\u00eb");
        row("case matters", "smith", "");
    }
    void complete()
    {
        QFETCH(QString, typed);
        QFETCH(QString, expected);
        MemberIndex index;
        Fill(index, {"Adams Amy", "Brown Ann", "Brown Zoe", "McSmith Ed", "O'Brien-Smith Zo\u00eb",
                     "Smith Alan", "Smith Bob", "Smith Carl", "Smith Dan", "Smith Eve",
                     "Smith Jane", "Smithers Quentin", "Smithson Zak", "Taylor Tom"});
        QCOMPARE(index.CompleteMemberName(typed), expected);
    }
};

QTEST_GUILESS_MAIN(TstMemberIndex)
#include "tst_memberindex.moc"
