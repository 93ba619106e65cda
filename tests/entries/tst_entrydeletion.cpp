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
    for (rs->MoveFirst(); !rs->Eof(); rs->MoveNext())
        rows << rs->Text("Meet code") + u':' + rs->Text("Entrant Number") +
                    (table == u"Swim Table" ? u':' + rs->Text("Event number") : QString());
    return rows.join(u' ');
}

QByteArray SwimLineBytes(const QString &event, const QString &key)
{
    return QStringLiteral("\"%1\",\"%2\",\"01/02/10\",\"1:00.00\"\r\n").arg(event, key).toUtf8();
}

// Opens the entry files in `dir` for appending, as the entries window does before a deletion.
bool OpenForAppend(EntryFiles &store, const Core::GalaState &gala, const TestDir &dir,
                   ScriptedPrompts &prompts)
{
    prompts.Exists(true, Core::ExistingFileOption::Append).Yes();
    return store.Open(gala, dir.Path(), prompts);
}

const QByteArray JaneBlock = "2,\"Jane Brown\",\"VMSC\",\"01/02/10\",\"F\"\r\n1\r\n"
                             "\"1\",\"1:05.30\",#FALSE#\r\n";

} // namespace

class TestEntryDeletion : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void meetDb_data()
    {
        QTest::addColumn<QString>("type");
        QTest::addColumn<QString>("name");
        QTest::addColumn<int>("result");
        QTest::addColumn<QStringList>("messages");
        QTest::addColumn<QString>("left"); // entrants, then "/" and the swims

        const QString all = "M1:1 M1:2 M1:3 M1:4 M2:1/M1:1:1 M1:1:2 M1:2:1 M1:4:3 M2:1:1";
        // clang-format off
        QTest::newRow("same name twice: only the first") << "Open" << "Ann Lee" << int(DeleteResult::Deleted)
            << QStringList{"Deleting entries for  2 swims"} << "M1:2 M1:3 M1:4 M2:1/M1:2:1 M1:4:3 M2:1:1";
        QTest::newRow("no swims: no count message") << "Masters" << "Bob Ray" << int(DeleteResult::Deleted)
            << QStringList{} << "M1:1 M1:2 M1:4 M2:1/" + all.section(u'/', 1);
        QTest::newRow("member gala asks by name key") << "Internal" << "Ann Lee" << int(DeleteResult::Deleted)
            << QStringList{"Deleting entries for  1 swims"} << "M1:1 M1:2 M1:3 M2:1/M1:1:1 M1:1:2 M1:2:1 M2:1:1";
        QTest::newRow("not found") << "Open" << "Nobody" << int(DeleteResult::NotFound)
            << QStringList{"Entrant Not Found"} << all;
        QTest::newRow("declined") << "Open" << "Ann Lee" << int(DeleteResult::Cancelled)
            << QStringList{} << all;
        // clang-format on
    }

    void meetDb()
    {
        QFETCH(QString, type);
        QFETCH(QString, name);
        QFETCH(int, result);
        QFETCH(QStringList, messages);
        QFETCH(QString, left);

        TestDir dir;
        MeetDb::CreateMeetDatabase(dir.FilePath("natamar.mdb"));
        MeetDb::Database db;
        db.Open(dir.FilePath("natamar.mdb"));
        // Entrants 1 and 2 share a name; 3 has no swims; 4 is stored in key form, as member
        // galas store names; meet M2 holds an "Ann Lee" that no M1 deletion may touch.
        InsertRows(
            db, "Entrant Table", "Meet code|Entrant Number|Swimmer Name",
            {"M1|1|Ann Lee", "M1|2|Ann Lee", "M1|3|Bob Ray", "M1|4|Lee Ann", "M2|1|Ann Lee"});
        InsertRows(db, "Swim Table", "Meet code|Entrant Number|Event number",
                   {"M1|1|1", "M1|1|2", "M1|2|1", "M1|4|3", "M2|1|1"});
        ScriptedPrompts prompts;
        result == int(DeleteResult::Cancelled) ? prompts.No() : prompts.Yes();
        QCOMPARE(int(DeleteEntries(Gala(type), &db, nullptr, name, prompts)), result);
        QCOMPARE(prompts.Questions, QStringList{"Confirm delete entries for " + name});
        QCOMPARE(prompts.Messages, messages);
        QCOMPARE(Rows(db, "Entrant Table") + u'/' + Rows(db, "Swim Table"), left);
        QCOMPARE(db.TransactionDepth(), 0);
    }

    // Every line of the member goes, one message each; the others are kept byte for byte, the
    // old file stays as intent.tmp, and the store goes on appending to the new file.
    void swimLayout()
    {
        const QByteArray other = SwimLineBytes("2", "Lee Ann") + SwimLineBytes("9", "Brown Janet");
        const QByteArray three = SwimLineBytes("1", "Brown Jane") + SwimLineBytes("2", "Lee Ann") +
                                 SwimLineBytes("3", "Brown Jane") +
                                 SwimLineBytes("9", "Brown Janet") +
                                 SwimLineBytes("7", "Brown Jane");
        for (const auto &[before, after] :
             {std::pair{three, other}, std::pair{QByteArray(), QByteArray()}}) {
            TestDir dir;
            dir.Write(EntryFileName, before);
            dir.Write(ScratchFileName, "an older scratch file");
            ScriptedPrompts prompts;
            const Core::GalaState gala = Gala(Core::GalaInternal);
            EntryFiles store;
            QVERIFY(OpenForAppend(store, gala, dir, prompts));
            const DeleteResult result = DeleteEntries(gala, nullptr, &store, "Jane Brown", prompts);
            QCOMPARE(result, before.isEmpty() ? DeleteResult::NotFound : DeleteResult::Deleted);
            QCOMPARE(prompts.Messages,
                     QStringList(before.isEmpty() ? 0 : 3, "Deleting One Record"));
            QCOMPARE(TestDir::Read(dir.FilePath(EntryFileName)), after);
            QCOMPARE(TestDir::Read(dir.FilePath(ScratchFileName)), before);

            QVERIFY(store.AppendSwimLine({"5", "Ray Bob", "01/02/10", "1:00.00"}, nullptr));
            QVERIFY(store.Flush(nullptr));
            QCOMPARE(TestDir::Read(dir.FilePath(EntryFileName)),
                     after + SwimLineBytes("5", "Ray Bob"));
        }
    }

    // An entrant-layout file loses the entrant's whole blocks from both files; a name that only
    // starts with the same text stays, and the numbering goes on.
    void entrantLayout()
    {
        const QByteArray team = "1,\"Jane Brown Team\",\"VMSC\"\r\n\"B\",\"X\"\r\n0\r\n";
        const QByteArray bob = "3,\"Bob Ray\",\"ABC\",\"02/02/09\",\"M\"\r\n2\r\n"
                               "\"1\",\"NT\",#FALSE#\r\n\"4\",\"9:99.99\",#FALSE#\r\n";
        TestDir dir;
        dir.Write(EntryFileName, team + JaneBlock + bob);
        dir.Write(CardFileName, team + JaneBlock + bob);
        dir.Write(ControlFileName, "4\r\n");
        ScriptedPrompts prompts;
        const Core::GalaState gala = Gala(Core::GalaChamps, true);
        EntryFiles store;
        QVERIFY(OpenForAppend(store, gala, dir, prompts));
        QCOMPARE(DeleteEntries(gala, nullptr, &store, "Jane Brown", prompts),
                 DeleteResult::Deleted);
        QCOMPARE(prompts.Messages, QStringList{"Deleting entrant 2"});
        QCOMPARE(TestDir::Read(dir.FilePath(EntryFileName)), team + bob);
        QCOMPARE(TestDir::Read(dir.FilePath(CardFileName)), team + bob);
        QCOMPARE(TestDir::Read(dir.FilePath(ScratchFileName)), team + JaneBlock + bob);

        QVERIFY(store.AppendEntrant({0, "Ann Lee", "", "", "", {}}, nullptr));
        QVERIFY(store.Close(nullptr));
        QVERIFY(TestDir::Read(dir.FilePath(CardFileName)).startsWith(team + bob + "4,\"Ann Lee\""));
    }

    // Masters files are refused, and a damaged file is not rewritten (its message names the
    // file and the record); either way the files stay as they were and the store stays usable.
    void refused()
    {
        const QByteArray damaged = SwimLineBytes("1", "Brown Jane") + "\"2\",\"Brown Jane\r\n";
        for (const auto &[type, file, message] :
             {std::tuple{Core::GalaMasters, JaneBlock,
                         "Can't do this for masters entries .. sorry!"},
              std::tuple{Core::GalaGraded, damaged,
                         "/intent.vb, line 2, swim 2: a quoted text is not closed on its line"}}) {
            TestDir dir;
            dir.Write(EntryFileName, file);
            dir.Write(ControlFileName, "3\r\n");
            ScriptedPrompts prompts;
            const Core::GalaState gala = Gala(type);
            EntryFiles store;
            QVERIFY(OpenForAppend(store, gala, dir, prompts));
            QCOMPARE(DeleteEntries(gala, nullptr, &store, "Jane Brown", prompts),
                     type == Core::GalaMasters ? DeleteResult::Refused : DeleteResult::Failed);
            QCOMPARE(prompts.Messages.size(), 1);
            QVERIFY2(prompts.Messages[0].endsWith(message), qPrintable(prompts.Messages[0]));
            QCOMPARE(TestDir::Read(dir.FilePath(EntryFileName)), file);
            QVERIFY(!QFile::exists(dir.FilePath(ScratchFileName)));
            QVERIFY(store.Flush(nullptr));
        }
    }
};

QTEST_GUILESS_MAIN(TestEntryDeletion)
#include "tst_entrydeletion.moc"
