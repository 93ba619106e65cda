#include <QTest>

#include "core/galastate.h"
#include "entries/entrydeletion.h"
#include "entries/entryfiles.h"
#include "meetdb/database.h"
#include "meetdb/schema.h"
#include "support/dbrows.h"
#include "support/scriptedprompts.h"
#include "support/testfiles.h"

using namespace Entries;

namespace {

Core::GalaState Gala(const QString &type, bool oneCard = false)
{
    Core::GalaState gala;
    gala.GalaType = type;
    gala.OneCard = oneCard;
    gala.MeetCode = QStringLiteral("M1");
    return gala;
}

// "meet:number" per entrant and "meet:number:event" per swim, in table order.
QString Rows(MeetDb::Database &db, const QString &table)
{
    QStringList rows;
    std::unique_ptr<MeetDb::RecordSet> rs = db.OpenTable(table);
    for (rs->MoveFirst(); !rs->Eof(); rs->MoveNext()) {
        QString row = rs->Text("Meet code") + u':' + rs->Text("Entrant Number");
        if (table == u"Swim Table")
            row += u':' + rs->Text("Event number");
        rows << row;
    }
    return rows.join(u' ');
}

QByteArray SwimLineBytes(const QString &event, const QString &key)
{
    return QStringLiteral("\"%1\",\"%2\",\"01/02/10\",\"1:00.00\"\r\n").arg(event, key).toUtf8();
}

const QByteArray JaneBlock = "2,\"Jane Brown\",\"VMSC\",\"01/02/10\",\"F\"\r\n1\r\n"
                             "\"1\",\"1:05.30\",#FALSE#\r\n";
const QByteArray TeamBlock = "1,\"Jane Brown Team\",\"VMSC\"\r\n\"B\",\"X\"\r\n0\r\n";
const QByteArray BobBlock = "3,\"Bob Ray\",\"ABC\",\"02/02/09\",\"M\"\r\n2\r\n"
                            "\"1\",\"NT\",#FALSE#\r\n\"4\",\"9:99.99\",#FALSE#\r\n";

} // namespace

class TestEntryDeletion : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void meetDb_data();
    void meetDb();
    void swimLayout_data();
    void swimLayout();
    void entrantLayout();
    void refused_data();
    void refused();
};

void TestEntryDeletion::meetDb_data()
{
    QTest::addColumn<QString>("type");
    QTest::addColumn<QString>("name");
    QTest::addColumn<bool>("confirm");
    QTest::addColumn<int>("result");
    QTest::addColumn<QStringList>("messages");
    QTest::addColumn<QString>("entrants");
    QTest::addColumn<QString>("swims");

    const QString allEntrants = "M1:1 M1:2 M1:3 M1:4 M2:1";
    const QString allSwims = "M1:1:1 M1:1:2 M1:2:1 M1:4:3 M2:1:1";
    QTest::newRow("same name twice: only the first")
        << "Open"
        << "Ann Lee" << true << int(DeleteResult::Deleted)
        << QStringList{"Deleting entries for  2 swims"} << "M1:2 M1:3 M1:4 M2:1"
        << "M1:2:1 M1:4:3 M2:1:1";
    QTest::newRow("no swims: no count message")
        << "Masters"
        << "Bob Ray" << true << int(DeleteResult::Deleted) << QStringList{} << "M1:1 M1:2 M1:4 M2:1"
        << allSwims;
    QTest::newRow("not found") << "Open"
                               << "Nobody" << true << int(DeleteResult::NotFound)
                               << QStringList{"Entrant Not Found"} << allEntrants << allSwims;
    QTest::newRow("member gala asks by name key")
        << "Internal"
        << "Ann Lee" << true << int(DeleteResult::Deleted)
        << QStringList{"Deleting entries for  1 swims"} << "M1:1 M1:2 M1:3 M2:1"
        << "M1:1:1 M1:1:2 M1:2:1 M2:1:1";
    QTest::newRow("declined") << "Open"
                              << "Ann Lee" << false << int(DeleteResult::Cancelled) << QStringList{}
                              << allEntrants << allSwims;
}

void TestEntryDeletion::meetDb()
{
    QFETCH(QString, type);
    QFETCH(QString, name);
    QFETCH(bool, confirm);
    QFETCH(int, result);
    QFETCH(QStringList, messages);
    QFETCH(QString, entrants);
    QFETCH(QString, swims);

    TestDir dir;
    const QString path = dir.FilePath("natamar.mdb");
    MeetDb::CreateMeetDatabase(path);
    MeetDb::Database db;
    db.Open(path);
    // Entrants 1 and 2 share a name; 3 has no swims; 4 is stored in key form, as member galas
    // store names; meet M2 holds an "Ann Lee" that no M1 deletion may touch.
    InsertRows(db, "Entrant Table", "Meet code|Entrant Number|Swimmer Name",
               {"M1|1|Ann Lee", "M1|2|Ann Lee", "M1|3|Bob Ray", "M1|4|Lee Ann", "M2|1|Ann Lee"});
    InsertRows(db, "Swim Table", "Meet code|Entrant Number|Event number",
               {"M1|1|1", "M1|1|2", "M1|2|1", "M1|4|3", "M2|1|1"});

    ScriptedPrompts prompts;
    confirm ? prompts.Yes() : prompts.No();
    QCOMPARE(int(DeleteEntries(Gala(type), &db, nullptr, name, prompts)), result);
    QCOMPARE(prompts.Questions, QStringList{"Confirm delete entries for " + name});
    QCOMPARE(prompts.Messages, messages);
    QCOMPARE(Rows(db, "Entrant Table"), entrants);
    QCOMPARE(Rows(db, "Swim Table"), swims);
    QCOMPARE(db.TransactionDepth(), 0);
}

void TestEntryDeletion::swimLayout_data()
{
    QTest::addColumn<QByteArray>("before");
    QTest::addColumn<int>("removed");
    QTest::addColumn<QByteArray>("after");

    const QByteArray other = SwimLineBytes("2", "Lee Ann") + SwimLineBytes("9", "Brown Janet");
    QTest::newRow("three lines") << SwimLineBytes("1", "Brown Jane") +
                                        SwimLineBytes("2", "Lee Ann") +
                                        SwimLineBytes("3", "Brown Jane") +
                                        SwimLineBytes("9", "Brown Janet") +
                                        SwimLineBytes("7", "Brown Jane")
                                 << 3 << other;
    QTest::newRow("none of the member") << other << 0 << other;
    QTest::newRow("empty file") << QByteArray() << 0 << QByteArray();
}

// Every line of the member goes, one message each; the others are kept byte for byte, the old
// file stays as intent.tmp, and the store goes on appending to the new file.
void TestEntryDeletion::swimLayout()
{
    QFETCH(QByteArray, before);
    QFETCH(int, removed);
    QFETCH(QByteArray, after);

    TestDir dir;
    dir.Write(EntryFileName, before);
    dir.Write(ScratchFileName, "an older scratch file");
    ScriptedPrompts prompts;
    prompts.Exists(true, Core::ExistingFileOption::Append).Yes();
    const Core::GalaState gala = Gala(Core::GalaInternal);
    EntryFiles store;
    QVERIFY(store.Open(gala, dir.Path(), prompts));

    const DeleteResult result = DeleteEntries(gala, nullptr, &store, "Jane Brown", prompts);
    QCOMPARE(result, removed ? DeleteResult::Deleted : DeleteResult::NotFound);
    QCOMPARE(prompts.Messages, QStringList(removed, "Deleting One Record"));
    QCOMPARE(TestDir::Read(dir.FilePath(EntryFileName)), after);
    QCOMPARE(TestDir::Read(dir.FilePath(ScratchFileName)), before);

    QString error;
    QVERIFY(store.AppendSwimLine({"5", "Ray Bob", "01/01/10", ""}, &error));
    QVERIFY(store.Flush(&error));
    QList<SwimLine> lines;
    QVERIFY(LoadSwimLines(dir.FilePath(EntryFileName), lines, &error));
    QCOMPARE(lines.last().MemberKey, "Ray Bob");
}

// An "Open" entrant-layout file loses the entrant's whole blocks from both files; a name that
// only starts with the same text stays, and the numbering goes on.
void TestEntryDeletion::entrantLayout()
{
    TestDir dir;
    const QByteArray before = TeamBlock + JaneBlock + BobBlock;
    dir.Write(EntryFileName, before);
    dir.Write(CardFileName, before);
    dir.Write(ControlFileName, "4\r\n");
    ScriptedPrompts prompts;
    prompts.Exists(true, Core::ExistingFileOption::Append).Yes();
    const Core::GalaState gala = Gala(Core::GalaChamps, true);
    EntryFiles store;
    QVERIFY(store.Open(gala, dir.Path(), prompts));

    QCOMPARE(DeleteEntries(gala, nullptr, &store, "Jane Brown", prompts), DeleteResult::Deleted);
    QCOMPARE(prompts.Messages, QStringList{"Deleting entrant 2"});
    QCOMPARE(TestDir::Read(dir.FilePath(EntryFileName)), TeamBlock + BobBlock);
    QCOMPARE(TestDir::Read(dir.FilePath(CardFileName)), TeamBlock + BobBlock);
    QCOMPARE(TestDir::Read(dir.FilePath(ScratchFileName)), before);

    QString error;
    EntrantBlock next;
    next.Name = "Ann Lee";
    QVERIFY(store.AppendEntrant(next, &error));
    QVERIFY(store.Close(&error));
    QList<EntrantBlock> blocks;
    QVERIFY(LoadEntrantBlocks(dir.FilePath(CardFileName), false, blocks, &error));
    QCOMPARE(blocks.size(), 3);
    QCOMPARE(blocks.last().Number, 4);
}

void TestEntryDeletion::refused_data()
{
    QTest::addColumn<QString>("type");
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<int>("result");
    QTest::addColumn<QString>("message");

    QTest::newRow("masters") << "Masters" << JaneBlock << int(DeleteResult::Refused)
                             << "Can't do this for masters entries .. sorry!";
    QTest::newRow("damaged swim file")
        << "Graded" << SwimLineBytes("1", "Brown Jane") + "\"2\",\"Brown Jane\r\n"
        << int(DeleteResult::Failed) << "intent.vb, line 2, swim 2: a quoted text is not closed";
}

// Masters files are refused, and a damaged file is not rewritten (its message names the file
// and the record); either way the files stay as they were and the store stays usable.
void TestEntryDeletion::refused()
{
    QFETCH(QString, type);
    QFETCH(QByteArray, file);
    QFETCH(int, result);
    QFETCH(QString, message);

    TestDir dir;
    dir.Write(EntryFileName, file);
    dir.Write(ControlFileName, "3\r\n");
    ScriptedPrompts prompts;
    prompts.Exists(true, Core::ExistingFileOption::Append).Yes();
    const Core::GalaState gala = Gala(type);
    EntryFiles store;
    QVERIFY(store.Open(gala, dir.Path(), prompts));
    QCOMPARE(int(DeleteEntries(gala, nullptr, &store, "Jane Brown", prompts)), result);
    QCOMPARE(prompts.Messages.size(), 1);
    QVERIFY2(prompts.Messages.first().contains(message), qPrintable(prompts.Messages.first()));
    QCOMPARE(TestDir::Read(dir.FilePath(EntryFileName)), file);
    QVERIFY(!QFile::exists(dir.FilePath(ScratchFileName)));
    QVERIFY(store.Flush(nullptr));
}

QTEST_GUILESS_MAIN(TestEntryDeletion)
#include "tst_entrydeletion.moc"
