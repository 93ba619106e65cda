#include <QTest>

#include "core/galastate.h"
#include "entries/entrydeletion.h"
#include "entries/entryfiles.h"
#include "meetdb/database.h"
#include "meetdb/schema.h"
#include "support/dbrows.h"
#include "support/entryfixture.h"

using namespace Entries;

namespace {

// A meet "M1" of the given kind; "Champs1" is a "Champs" meet with OneCard.
Core::GalaState Gala(const QString &type)
{
    Core::GalaState gala;
    gala.OneCard = type == u"Champs1";
    gala.GalaType = gala.OneCard ? Core::GalaChamps : type;
    gala.MeetCode = QStringLiteral("M1");
    return gala;
}

// Swim lines from "event:key|event:key|...".
QByteArray Swims(const QString &lines)
{
    QByteArray out;
    for (const QString &line : lines.split(u'|'))
        out += ('"' + QString(line).replace(u':', "\",\"") + "\",\"01/02/10\",\"\"\r\n").toUtf8();
    return out;
}

// Queues "y", "n" and "pN" (pick line N) answers given as "p2,y".
void Script(ScriptedPrompts &prompts, const QString &answers)
{
    for (const QString &answer : answers.split(u',', Qt::SkipEmptyParts)) {
        if (answer.startsWith(u'p'))
            prompts.Pick(answer.mid(1).toInt());
        else
            answer == u"y" ? prompts.Yes() : prompts.No();
    }
}

} // namespace

class TestEntryDeletion : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    // answers: "y"/"n" to the question, "pN" to the pick list; questions joined with "/".
    void meetDb_data()
    {
        QTest::addColumn<QString>("type");
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("answers");
        QTest::addColumn<int>("result");
        QTest::addColumn<QString>("questions");
        QTest::addColumn<QStringList>("messages");
        QTest::addColumn<QString>("left"); // entrants, then "/" and the swims

        const QString all = "M1|1 M1|2 M1|3 M1|4 M2|1/M1|1|1 M1|1|2 M1|2|1 M1|4|3 M2|1|1";
        const int deleted = int(DeleteResult::Deleted);
        const int cancelled = int(DeleteResult::Cancelled);
        // clang-format off
        QTest::newRow("same name twice: the one picked") << "Open" << "Ann Lee" << "p2,y" << deleted << "Confirm delete entries for entrant 2 Ann Lee" << QStringList{"Deleting entries for  1 swims"} << "M1|1 M1|3 M1|4 M2|1/M1|1|1 M1|1|2 M1|4|3 M2|1|1";
        QTest::newRow("same name twice: none picked") << "Open" << "Ann Lee" << "p0" << cancelled << "" << QStringList{} << all;
        QTest::newRow("no swims: no count message") << "Masters" << "Bob Ray" << "y" << deleted << "Confirm delete entries for entrant 3 Bob Ray" << QStringList{} << "M1|1 M1|2 M1|4 M2|1/" + all.section(u'/', 1);
        QTest::newRow("member gala asks by name key") << "Internal" << "Ann Lee" << "y" << deleted << "Confirm delete entries for entrant 4 Ann Lee" << QStringList{"Deleting entries for  1 swims"} << "M1|1 M1|2 M1|3 M2|1/M1|1|1 M1|1|2 M1|2|1 M2|1|1";
        QTest::newRow("not found: nothing asked") << "Open" << "Nobody" << "" << int(DeleteResult::NotFound) << "" << QStringList{"Entrant Not Found"} << all;
        QTest::newRow("declined") << "Masters" << "Bob Ray" << "n" << cancelled << "Confirm delete entries for entrant 3 Bob Ray" << QStringList{} << all;
        // clang-format on
    }

    void meetDb()
    {
        QFETCH(QString, type);
        QFETCH(QString, name);
        QFETCH(QString, answers);
        QFETCH(int, result);
        QFETCH(QString, questions);
        QFETCH(QStringList, messages);
        QFETCH(QString, left);

        TestDir dir;
        MeetDb::CreateMeetDatabase(dir.FilePath("natamar.mdb"));
        MeetDb::Database db;
        db.Open(dir.FilePath("natamar.mdb"));
        // 1 and 2 share a name, 3 has no swims, 4 is in key form as in member galas; M2 is apart.
        InsertRows(db, "Entrant Table", "Meet code|Entrant Number|Swimmer Name|club",
                   {"M1|1|Ann Lee|VMSC", "M1|2|Ann Lee|ASHB", "M1|3|Bob Ray|", "M1|4|Lee Ann|",
                    "M2|1|Ann Lee|"});
        InsertRows(db, "Swim Table", "Meet code|Entrant Number|Event number",
                   {"M1|1|1", "M1|1|2", "M1|2|1", "M1|4|3", "M2|1|1"});
        ScriptedPrompts prompts;
        Script(prompts, answers);
        QCOMPARE(int(DeleteEntries(Gala(type), &db, nullptr, name, prompts)), result);
        QCOMPARE(prompts.Questions.join(u'/'), questions);
        QCOMPARE(prompts.DefaultNoQuestions, prompts.Questions);
        if (answers.startsWith(u'p'))
            QCOMPARE(prompts.PickLists.value(0),
                     QStringList({"1  Ann Lee  VMSC", "2  Ann Lee  ASHB"}));
        QCOMPARE(prompts.Messages, messages);
        const QStringList key{"Meet code", "Entrant Number"};
        QCOMPARE(TableRows(db, "Entrant Table", key).join(u' ') + u'/' +
                     TableRows(db, "Swim Table", key + QStringList{"Event number"}).join(u' '),
                 left);
        QCOMPARE(db.TransactionDepth(), 0);
    }

    void files_data()
    {
        QTest::addColumn<QString>("type");
        QTest::addColumn<QByteArray>("before");
        QTest::addColumn<QString>("answers");
        QTest::addColumn<QString>("question");
        QTest::addColumn<int>("result");
        QTest::addColumn<QStringList>("messages"); // DIR for the folder
        QTest::addColumn<QByteArray>("after");

        const int deleted = int(DeleteResult::Deleted);
        // clang-format off
        const QByteArray jane = "2,\"Jane Brown\",\"VMSC\",\"01/02/10\",\"F\"\r\n1\r\n\"1\",\"1:05.30\",#FALSE#\r\n";
        const QByteArray team = "1,\"Jane Brown Team\",\"VMSC\"\r\n\"B\",\"X\"\r\n0\r\n";
        const QByteArray bob = "3,\"Bob Ray\",\"ABC\",\"02/02/09\",\"M\"\r\n1\r\n\"4\",\"9:99.99\",#FALSE#\r\n";
        const QByteArray damaged = Swims("1:Brown Jane") + "\"2\",\"Brown Jane\r\n";
        const QByteArray jane4 = QByteArray(jane).replace("2,", "4,").replace("VMSC", "ASHB");
        const QString confirm = "Confirm delete entries for ";
        QTest::newRow("swim lines") << "Internal" << Swims("1:Brown Jane|2:Lee Ann|3:Brown Jane|9:Brown Janet|7:Brown Jane") << "y" << confirm + "Jane Brown (3 swims)" << deleted << QStringList(3, "Deleting One Record") << Swims("2:Lee Ann|9:Brown Janet");
        QTest::newRow("swim lines, none") << "Internal" << Swims("2:Lee Ann") << "" << "" << int(DeleteResult::NotFound) << QStringList{"Entrant Not Found"} << Swims("2:Lee Ann");
        QTest::newRow("entrant blocks") << "Champs1" << team + jane + bob << "y" << confirm + "entrant 2 Jane Brown" << deleted << QStringList{"Deleting entrant 2"} << team + bob;
        QTest::newRow("two of the name: the one picked") << "Open" << team + jane + bob + jane4 << "p2,y" << confirm + "entrant 4 Jane Brown" << deleted << QStringList{"Deleting entrant 4"} << team + jane + bob;
        QTest::newRow("declined") << "Open" << team + jane << "n" << confirm + "entrant 2 Jane Brown" << int(DeleteResult::Cancelled) << QStringList{} << team + jane;
        QTest::newRow("masters refused") << "Masters" << jane << "" << "" << int(DeleteResult::Refused) << QStringList{"Can't do this for masters entries .. sorry!"} << jane;
        QTest::newRow("damaged file") << "Graded" << damaged << "" << "" << int(DeleteResult::Failed) << QStringList{"DIR/intent.vb, line 2, swim 2: a quoted text is not closed on its line"} << damaged;
        // clang-format on
    }

    // Every line of the member goes, or the chosen block from both files of the entrant layout,
    // one message each; a longer name stays. The old file stays as intent.tmp, and the store, open
    // for appending as the entries window has it, appends to the new file. A refusal changes
    // nothing.
    void files()
    {
        QFETCH(QString, type);
        QFETCH(QByteArray, before);
        QFETCH(QString, answers);
        QFETCH(QString, question);
        QFETCH(int, result);
        QFETCH(QStringList, messages);
        QFETCH(QByteArray, after);

        TestDir dir;
        const Core::GalaState gala = Gala(type);
        for (const QString &name : {EntryFileName, CardFileName, ControlFileName, ScratchFileName})
            dir.Write(name, name == ControlFileName   ? "4\r\n"
                            : name == ScratchFileName ? "an older scratch file"
                                                      : before);
        ScriptedPrompts prompts;
        prompts.Exists(true, Core::ExistingFileOption::Append);
        EntryFiles store;
        QVERIFY(store.Open(gala, dir.Path(), prompts));
        Script(prompts, answers);
        QCOMPARE(int(DeleteEntries(gala, nullptr, &store, "Jane Brown", prompts)), result);
        QCOMPARE(prompts.Questions.join(u'/'), question);
        QCOMPARE(prompts.Messages.replaceInStrings(dir.Path(), "DIR"), messages);
        QCOMPARE(TestDir::Read(dir.FilePath(EntryFileName)), after);
        QCOMPARE(TestDir::Read(dir.FilePath(CardFileName)),
                 LayoutFor(gala) == EntryLayout::Entrant ? after : before);
        QCOMPARE(TestDir::Read(dir.FilePath(ScratchFileName)),
                 result == int(DeleteResult::Deleted) ? before : "an older scratch file");
        QVERIFY(store.AppendMember({"Bob", "Bob", "01/02/10", "M", "A", {{"5", ""}}}, nullptr));
        QVERIFY(store.Close(nullptr));
        QVERIFY(TestDir::Read(dir.FilePath(EntryFileName)).mid(after.size()).contains("Bob"));
    }
};

QTEST_GUILESS_MAIN(TestEntryDeletion)
#include "tst_entrydeletion.moc"
