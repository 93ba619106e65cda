#include <QDir>
#include <QTest>

#include "core/galastate.h"
#include "entries/clubtable.h"
#include "entries/entrydeletion.h"
#include "entries/entryfiles.h"
#include "meetdb/database.h"
#include "meetdb/schema.h"
#include "support/dbrows.h"
#include "support/entryfixture.h"

using namespace Entries;

namespace {

QByteArray Golden(const QString &name)
{
    return TestDir::Read(TestDataPath("entryfiles/" + name));
}

// One line per block: "number|name|club|age|sex" then ";event|time|flag[|rank]" per swim.
QString Dump(const QList<EntrantBlock> &blocks, bool withRank = false)
{
    QStringList out;
    for (const EntrantBlock &b : blocks) {
        out << QStringLiteral("%1|%2|%3|%4|%5").arg(b.Number).arg(b.Name, b.Club, b.Age, b.Sex);
        for (const EntrySwim &s : b.Swims)
            out.last() +=
                QStringLiteral(";%1|%2|%3").arg(s.EventNumber, s.EntryTime).arg(int(s.Confirmed)) +
                (withRank ? "|" + QString::number(s.FinalRank) : QString());
    }
    return out.join(u'\n');
}

// A meet "M1" of the given kind, with mailing; "Champs1" is a "Champs" meet with OneCard.
Core::GalaState Gala(const QString &type)
{
    Core::GalaState gala;
    gala.OneCard = type == u"Champs1";
    gala.GalaType = gala.OneCard ? Core::GalaChamps : type;
    gala.MeetCode = QStringLiteral("M1");
    gala.Mailing = true;
    return gala;
}

// Swim lines from "event:key|event:key|...".
QByteArray SwimLines(const QString &lines)
{
    QByteArray out;
    for (const QString &line : lines.split(u'|'))
        out += ('"' + QString(line).replace(u':', "\",\"") + "\",\"01/02/10\",\"\"\r\n").toUtf8();
    return out;
}

// Queues answers given as "p2,y": "y", "n", "pN" (pick line N), and in the existing-file window
// "a" (append), "o" (overwrite), "c" (change name) or "x" (cancel).
void Script(ScriptedPrompts &prompts, const QString &answers)
{
    using Option = Core::ExistingFileOption;
    for (const QString &a : answers.split(u',', Qt::SkipEmptyParts))
        a.startsWith(u'p') ? prompts.Pick(a.mid(1).toInt())
        : a == u"y"        ? prompts.Yes()
        : a == u"n"        ? prompts.No()
                           : prompts.Exists(a != u"x", a == u"o"   ? Option::Overwrite
                                                       : a == u"c" ? Option::ChangeName
                                                                   : Option::Append);
}

EntrantBlock Block(const QString &name, const QString &age, const QList<EntrySwim> &swims)
{
    return {0, name, QStringLiteral("VMSC"), age, QStringLiteral("F"), swims};
}

// Shapes beyond BlockShape in the read/write table: finals with ranks, swim lines, intent.ctl.
const int Finals = 10, Swims = 11, Ctl = 12;

const QByteArray IndividualBytes = Golden(QStringLiteral("individual.vb"));

QString InputShown(const QString &question, const QString &offered = QString())
{
    return "input: " + ClubTableTitle + " | " + question + " | " + offered;
}

// A session whose table holds "CODE:Name|..." clubs, with the club code file beside the program.
struct Fixture
{
    explicit Fixture(const QString &clubs)
    {
        dir.Write(ClubCodeFileName, Golden("clubcodes.csv")); // a short last row, a blank line
        session.ProgramDir = dir.Path();
        for (const QString &club : clubs.split(u'|'))
            session.Gala.Clubs << Core::GalaClub{club.section(u':', 0, 0), club.section(u':', 1)};
    }
    QString List() const { return form.ClubNameList().join(u'|'); }

    TestDir dir;
    MeetDb::Session session;
    ClubCodeFile codes;
    ScriptedPrompts prompts;
    ClubTableForm form{session, codes, prompts};
};

} // namespace

class TestEntryFiles : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void readWrite_data()
    {
        QTest::addColumn<int>("shape"); // a BlockShape, or one of Finals, Swims, Ctl
        QTest::addColumn<QByteArray>("data");
        QTest::addColumn<QString>("expected"); // the values read, or a part of the message
        const int individual = int(BlockShape::Individual);
        // clang-format off
        QTest::newRow("individual") << individual << IndividualBytes << "7|Jane Brown|VMSC|01/02/10|F;1|1:05.30|0;12|9:99.99|0;14|NT|0";
        QTest::newRow("relay over two lines") << int(BlockShape::Relay) << Golden("relay.vb") << "8|Marlets A, Girls|VMSC|B|X;21|2:10.00|0;22|9:99.99|0";
        QTest::newRow("meet day") << int(BlockShape::MeetDay) << Golden("meetday.vb") << "3|Zoë O'Brien-Smith|ABC|45|M;5|31.20|1;9|9:99.99|0";
        QTest::newRow("finals with rank") << Finals << Golden("finals.cds") << "4|Ann Lee|VMSC|12/03/11|F;101|1:10.00|1|7;103|45.10|0|9";
        QTest::newRow("swim lines") << Swims << Golden("swims.vb") << "3|Brown Jane|01/02/10|1:05.30\n3|Lee Ann|12/03/11|\n7|Ann Jones Mary|05/06/09|42.00";
        QTest::newRow("control record") << Ctl << Golden("intent.ctl") << "13";
        QTest::newRow("ends inside the swims") << individual << IndividualBytes + "8,\"Ann\",\"V\",\"1\",\"F\"\r\n2\r\n\"1\",\"9:99.99\",#FALSE#\r\n" << "line 6, entrant 8: the file ends where the event number of swim 2 of 2 should be";
        QTest::newRow("garbled number") << individual << IndividualBytes + "x8,\"Ann\"" << "line 6, after entrant 7: the entrant number should be a whole number, found x8";
        QTest::newRow("swim line short") << Swims << QByteArray("\"1\",\"Lee Ann\",\"01/01/10\",\"\"\r\n\"2\",\"Lee Ann\"\r\n") << "line 2, swim 2: the file ends where the date should be";
        QTest::newRow("control not a number") << Ctl << QByteArray("abc\r\n") << "line 1: the next entrant number should be a whole number from 1 to 999999, found abc";
        QTest::newRow("control past the numbers") << Ctl << QByteArray("2147483647\r\n") << "line 1: the next entrant number should be a whole number from 1 to 999999, found 2147483647";
        QTest::newRow("binary") << individual << QByteArray("\x01\x02\x00\xff,,,\r\n", 8) << "the entrant number should be a whole number";
        // clang-format on
    }

    // A sound file reads and writes back byte for byte; a damaged one is refused by file and line.
    void readWrite()
    {
        QFETCH(int, shape);
        QFETCH(QByteArray, data);
        QFETCH(QString, expected);
        const bool withRank = shape == Finals;
        const QString file = shape == Ctl ? "intent.ctl" : "intent.vb";
        QString error;
        QStringList dump;
        QByteArray written;
        bool ok = true;
        if (shape == Ctl) {
            int next = 0;
            ok = ParseControlRecord(data, file, next, &error);
            dump << QString::number(next);
            written = EncodeControlRecord(next);
        } else if (shape == Swims) {
            QList<SwimLine> lines;
            ok = ParseSwimLines(data, file, lines, &error);
            for (const SwimLine &l : lines) {
                dump << QStringList{l.EventNumber, l.MemberKey, l.Date, l.EntryTime}.join(u'|');
                QByteArray bytes;
                QVERIFY(EncodeSwimLine(l, file, bytes, &error));
                written += bytes;
            }
        } else {
            QList<EntrantBlock> blocks;
            const BlockShape writeShape = withRank ? BlockShape::MeetDay : BlockShape(shape);
            ok = ParseEntrantBlocks(data, file, withRank, blocks, &error) &&
                 EncodeEntrantBlock(blocks[0], writeShape, withRank, file, written, &error);
            dump << Dump(blocks, withRank);
            if (ok && !withRank) {
                QVERIFY(ParseEntrantBlocks(data + IndividualBytes, file, false, blocks, &error));
                QCOMPARE(blocks.value(1).Begin, data.size());
            }
        }
        if (!ok) {
            QVERIFY2(error.startsWith(file + ", ") && error.contains(expected), qPrintable(error));
            return;
        }
        QCOMPARE(dump.join(u'\n'), expected);
        QCOMPARE(written, data);
    }

    // Rows: kind ("Champs1": a "Champs" meet with OneCard)|the files there ("bak": an older
    // intent.BAK, "bakdir": a folder of that name)|answers (see Script)|shown (a: that window,
    // c: "Confirm Overwrite", n: no control record, k: the backup cannot be made, r and b: the
    // file taken from intent.vb.new or intent.BAK)|outcome, with where finals.cds ("finals")
    // went. Both
    // layouts ask before an overwrite and keep the old intent.vb as intent.BAK. Only the swim
    // layout offers to clear the envelope flags, and it never touches intent.cds.
    void startUp_data()
    {
        // clang-format off
        AddRows({"Open||||open fresh vb=empty cds=empty bak=empty next=1 ctl=1", "Open|vb+cds+ctl|a|a|open vb=kept cds=kept bak=empty next=13 ctl=13",
                 "Masters|vb+cds|a|an|shut vb=kept cds=kept bak=empty next=1 ctl=", "Open|vb+cds+ctl+bak|o,y|ac|open fresh vb=empty cds=empty bak=kept next=1 ctl=13",
                 "Open|vb+cds+ctl|o,n|ac|shut vb=kept cds=kept bak=empty next=1 ctl=13", "Champs1|vb+cds+ctl|c|a|shut vb=kept cds=kept bak=empty next=1 ctl=13",
                 "Open|vb+cds|x|a|shut vb=kept cds=kept bak=empty next=1 ctl=", "Internal||||open fresh offer vb=empty cds=empty bak=empty next=1 ctl=",
                 "Graded|vb+cds|a|a|open vb=kept cds=kept bak=empty next=1 ctl=", "Select|vb+cds|o,y|ac|open fresh offer vb=empty cds=kept bak=kept next=1 ctl=",
                 "Internal|vb+bak|o,y|ac|open fresh offer vb=empty cds=empty bak=kept next=1 ctl=", "Internal|vb|o,n|ac|shut vb=kept cds=empty bak=empty next=1 ctl=",
                 "Internal|vb+bakdir|o,y|ack|shut vb=kept cds=empty bak=empty next=1 ctl=",
                 // A meet-day save stopped between its renames: intent.vb is put back first.
                 "Open|cds+ctl+vb.new+BAK|a|ra|open vb=kept cds=kept bak=kept next=13 ctl=13", "Masters|cds+ctl+BAK|a|ba|open vb=kept cds=kept bak=kept next=13 ctl=13",
                 "Internal|BAK|||open fresh offer vb=empty cds=empty bak=kept next=1 ctl=",
                 // The day's finals.cds of a gala kept in swim lines: moved aside only when
                 // intent.vb is overwritten for a new gala.
                 "Internal|vb+finals|o,y|ac|open fresh offer vb=empty cds=empty bak=kept next=1 ctl= day=bak",
                 "Internal|vb+finals|a|a|open vb=kept cds=empty bak=empty next=1 ctl= day=cds",
                 "Internal|finals|||open fresh offer vb=empty cds=empty bak=empty next=1 ctl= day=cds",
                 "Open|vb+cds+ctl+finals|o,y|ac|open fresh vb=empty cds=empty bak=kept next=1 ctl=13 day=cds"});

        // clang-format on
    }

    void startUp()
    {
        const QStringList f = RowCells();
        const QString type = f[0], existing = f[1], script = f[2], outcome = f[4];
        const QString recovered = "message: @/intent.vb was missing. Its entries were taken from ";
        const QHash<QChar, QString> kinds{{u'a', "exists: " + Core::ExistingFileQuestion},
                                          {u'c', "yesno: Confirm Overwrite Existing File"},
                                          {u'n', "message: No Control Record .. Cannot Append"},
                                          {u'k', "message: Cannot replace the backup "},
                                          {u'r', recovered + "intent.vb.new"},
                                          {u'b', recovered + EntryBackupName}};
        QStringList shown;
        for (const QChar c : f[3])
            shown << kinds.value(c);
        TestDir dir;
        // The backup before the new contents, as a save leaves them: the later copy is the newer.
        for (const QString &name : {EntryFileName, CardFileName, ControlFileName, EntryBackupName,
                                    EntryFileName + NewFileSuffix})
            if (existing.split(u'+').contains(name.section(u'.', 1)))
                dir.Write(name, name == ControlFileName ? "13\r\n" : IndividualBytes);
        if (existing.contains("finals"))
            dir.Write(DayFileName, IndividualBytes);
        if (existing.contains("bakdir"))
            QVERIFY(QDir(dir.Path()).mkpath(EntryBackupName + "/x"));
        else if (existing.contains("bak"))
            dir.Write(EntryBackupName, "older backup\r\n");
        ScriptedPrompts prompts;
        Script(prompts, script);
        EntryFiles store;
        const bool opened = store.Open(Gala(type), dir.Path(), prompts);
        if (f[3].contains(u'k')) // the message goes on to name the backup and the entry file
            prompts.Shown.last().truncate(shown.last().size());
        // The recovery names the folder and the time of the copy: both left out here.
        for (QString &text : prompts.Shown)
            text = text.replace(dir.Path(), "@").section(", saved ", 0, 0);
        QCOMPARE(prompts.Shown, shown);
        const auto state = [&dir](const QString &name) {
            const QByteArray bytes = TestDir::Read(dir.FilePath(name));
            return bytes.isEmpty() ? "empty" : bytes == IndividualBytes ? "kept" : "other";
        };
        const QByteArray ctl = TestDir::Read(dir.FilePath(ControlFileName));
        const QString day = !existing.contains("finals")               ? ""
                            : QFile::exists(dir.FilePath(DayFileName)) ? " day=cds"
                            : TestDir::Read(dir.FilePath(DayBackupName)) == IndividualBytes
                                ? " day=bak"
                                : " day=gone";
        QCOMPARE(QStringLiteral("%1%2%3 vb=%4 cds=%5 bak=%6 next=%7 ctl=%8")
                         .arg(opened ? "open" : "shut", store.StartedEmpty() ? " fresh" : "",
                              store.OfferClearEnvelopeFlags() ? " offer" : "", state(EntryFileName),
                              state(CardFileName), state(EntryBackupName))
                         .arg(store.NextNumber())
                         .arg(QString::fromLatin1(ctl.trimmed())) +
                     day,
                 outcome);
    }

    // Each record is on disk at once, intent.ctl too; a second session appends under the next
    // number, first ending a last line that lost its line end.
    void flushAfterEachRecord()
    {
        TestDir dir;
        const QStringList dumps{"1|Jane Brown|VMSC|C|F;1|1:05.30|0",
                                "2|Team A|VMSC|B|F;21|9:99.99|0;22|2:00.00|0"};
        QString error;
        for (int session = 0; session < 2; ++session) {
            ScriptedPrompts prompts;
            if (session == 1)
                prompts.Exists(true, Core::ExistingFileOption::Append);
            EntryFiles store;
            QVERIFY(store.Open(Gala(Core::GalaMasters), dir.Path(), prompts));
            QCOMPARE(store.NextNumber(), session + 1);
            // A text that would not read back is refused before anything is written.
            QVERIFY(!store.AppendEntrant(Block("Jo\r\nBloggs", "C", {{"1", "NT"}}), &error));
            QCOMPARE(error, "The name Jo\r\nBloggs holds a line break, which cannot be written "
                            "to intent.vb");
            QVERIFY(
                session == 0
                    ? store.AppendEntrant(Block("Jane Brown", "C", {{"1", "1:05.30"}}), &error)
                    : store.AppendRelay(
                          Block("Team A", "B", {{"21", "9:99.99"}, {"22", "2:00.00"}}), &error));
            QVERIFY(store.Flush(&error));
            QList<EntrantBlock> blocks;
            QVERIFY(LoadEntrantBlocks(dir.FilePath(EntryFileName), false, blocks, nullptr));
            QCOMPARE(Dump(blocks), dumps.mid(0, session + 1).join(u'\n'));
            QCOMPARE(TestDir::Read(dir.FilePath(CardFileName)),
                     TestDir::Read(store.EntryFilePath()));
            QCOMPARE(TestDir::Read(dir.FilePath(ControlFileName)),
                     QByteArray::number(session + 2) + "\r\n");
            QVERIFY(store.Close(&error));
            for (const QString &name : {EntryFileName, CardFileName})
                dir.Write(name, TestDir::Read(dir.FilePath(name)).chopped(2));
        }
    }

    // Each family is rewritten in place through tmp.ini, other lines kept, one "End=End" last.
    void paramRewrite()
    {
        TestDir dir;
        Core::GalaState gala = Gala(Core::GalaSelect);
        gala.Events =
            EntryGala(gala.GalaType, {"1|F|U/12|50|FS", "2|M|U/12|100|BR", "3|F|U/12|100|FS"})
                .session.Gala.Events;
        gala.Clubs = {{"ABC", "Abc Swim"}, {"VMSC", "Velmora Marlets"}};
        QString error;
        for (const bool events : {true, false}) {
            gala.GalaParamFile = dir.Write("select.ini", Golden("params-before.ini"));
            QVERIFY(events ? RewriteEventLines(gala, dir.Path(), &error)
                           : RewriteClubLines(gala, dir.Path(), &error));
            const QByteArray after =
                Golden(events ? "params-events-after.ini" : "params-clubs-after.ini");
            QCOMPARE(TestDir::Read(gala.GalaParamFile), after);
            QCOMPARE(TestDir::Read(dir.FilePath(TmpIniName)), after);
        }
        gala.GalaParamFile = dir.FilePath("missing.ini");
        QVERIFY(!RewriteClubLines(gala, dir.Path(), &error) &&
                error.startsWith("Cannot read " + gala.GalaParamFile + ": "));
    }

    // Deleting from the meet database. Rows: kind;name;answers;result (Cancelled, NotFound,
    // Deleted, Refused, Failed);question;message;what is left (entrants, "/", the swims).
    void deleteFromMeetDb_data()
    {
        QTest::addColumn<QString>("row");
        const QString all = "M1|1 M1|2 M1|3 M1|4 M2|1/M1|1|1 M1|1|2 M1|2|1 M1|4|3 M2|1|1";
        const QString swims = "Deleting entries for  1 swims";
        // clang-format off
        QTest::newRow("same name twice: the one picked") << "Open;Ann Lee;p2,y;D;2 Ann Lee;" + swims + ";M1|1 M1|3 M1|4 M2|1/M1|1|1 M1|1|2 M1|4|3 M2|1|1";
        QTest::newRow("same name twice: none picked") << "Open;Ann Lee;p0;C;;;" + all;
        QTest::newRow("no swims: no count message") << "Masters;Bob Ray;y;D;3 Bob Ray;;M1|1 M1|2 M1|4 M2|1/" + all.section(u'/', 1);
        QTest::newRow("member gala asks by name key") << "Internal;Ann Lee;y;D;4 Ann Lee;" + swims + ";M1|1 M1|2 M1|3 M2|1/M1|1|1 M1|1|2 M1|2|1 M2|1|1";
        QTest::newRow("not found: nothing asked") << "Open;Nobody;;N;;Entrant Not Found;" + all;
        QTest::newRow("declined") << "Masters;Bob Ray;n;C;3 Bob Ray;;" + all;
        // clang-format on
    }
    void deleteFromMeetDb()
    {
        QFETCH(QString, row);
        const QStringList f = row.split(u';');
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
        Script(prompts, f.at(2));
        QCOMPARE(DeleteEntries(Gala(f.at(0)), &db, nullptr, f.at(1), prompts),
                 DeleteResult(QString("CNDRF").indexOf(f.at(3))));
        QCOMPARE(prompts.Questions.join(u'/'),
                 f.at(4).isEmpty() ? "" : "Confirm delete entries for entrant " + f.at(4));
        QCOMPARE(prompts.DefaultNoQuestions, prompts.Questions);
        if (f.at(2).startsWith(u'p'))
            QCOMPARE(prompts.PickLists.value(0),
                     QStringList({"1  Ann Lee  VMSC", "2  Ann Lee  ASHB"}));
        QCOMPARE(prompts.Messages.join(u'/'), f.at(5));
        const QStringList key{"Meet code", "Entrant Number"};
        QCOMPARE(TableRows(db, "Entrant Table", key).join(u' ') + u'/' +
                     TableRows(db, "Swim Table", key + QStringList{"Event number"}).join(u' '),
                 f.at(6));
        QCOMPARE(db.TransactionDepth(), 0);
    }

    void deleteFromFiles_data()
    {
        QTest::addColumn<QString>("type");
        QTest::addColumn<QByteArray>("before");
        QTest::addColumn<QString>("script"); // answers;result;question;messages joined by "/"
        QTest::addColumn<QByteArray>("after");
        // clang-format off
        const QByteArray jane = "2,\"Jane Brown\",\"VMSC\",\"01/02/10\",\"F\"\r\n1\r\n\"1\",\"1:05.30\",#FALSE#\r\n";
        const QByteArray team = "1,\"Jane Brown Team\",\"VMSC\"\r\n\"B\",\"X\"\r\n0\r\n";
        const QByteArray bob = "3,\"Bob Ray\",\"ABC\",\"02/02/09\",\"M\"\r\n1\r\n\"4\",\"9:99.99\",#FALSE#\r\n";
        const QByteArray damaged = SwimLines("1:Brown Jane") + "\"2\",\"Brown Jane\r\n";
        const QByteArray jane4 = QByteArray(jane).replace("2,", "4,").replace("VMSC", "ASHB");
        const QString one = "Deleting One Record";
        QTest::newRow("swim lines") << "Internal" << SwimLines("1:Brown Jane|2:Lee Ann|3:Brown Jane|9:Brown Janet|7:Brown Jane") << "y;D;Jane Brown (3 swims);" + one + "/" + one + "/" + one << SwimLines("2:Lee Ann|9:Brown Janet");
        QTest::newRow("swim lines, none") << "Internal" << SwimLines("2:Lee Ann") << ";N;;Entrant Not Found" << SwimLines("2:Lee Ann");
        QTest::newRow("entrant blocks") << "Champs1" << team + jane + bob << "y;D;entrant 2 Jane Brown;Deleting entrant 2" << team + bob;
        QTest::newRow("two of the name: the one picked") << "Open" << team + jane + bob + jane4 << "p2,y;D;entrant 4 Jane Brown;Deleting entrant 4" << team + jane + bob;
        QTest::newRow("declined") << "Open" << team + jane << "n;C;entrant 2 Jane Brown;" << team + jane;
        QTest::newRow("masters refused") << "Masters" << jane << ";R;;Can't do this for masters entries .. sorry!" << jane;
        QTest::newRow("damaged file") << "Graded" << damaged << ";F;;DIR/intent.vb, line 2, swim 2: a quoted text is not closed on its line" << damaged;
        // clang-format on
    }

    // The member's lines or the chosen block go (a longer name stays), the old file kept as
    // intent.tmp; the open store appends to the new file. A refusal changes nothing.
    void deleteFromFiles()
    {
        QFETCH(QString, type);
        QFETCH(QByteArray, before);
        QFETCH(QString, script);
        QFETCH(QByteArray, after);
        const QStringList f = script.split(u';');
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
        Script(prompts, f.at(0));
        QCOMPARE(DeleteEntries(gala, nullptr, &store, "Jane Brown", prompts),
                 DeleteResult(QString("CNDRF").indexOf(f.at(1))));
        QCOMPARE(prompts.Questions.join(u'/'),
                 f.at(2).isEmpty() ? "" : "Confirm delete entries for " + f.at(2));
        QCOMPARE(prompts.Messages.replaceInStrings(dir.Path(), "DIR").join(u'/'), f.at(3));
        QCOMPARE(TestDir::Read(dir.FilePath(EntryFileName)), after);
        QCOMPARE(TestDir::Read(dir.FilePath(CardFileName)),
                 LayoutFor(gala) == EntryLayout::Entrant ? after : before);
        QCOMPARE(TestDir::Read(dir.FilePath(ScratchFileName)),
                 f.at(1) == u"D" ? before : "an older scratch file");
        QVERIFY(store.AppendMember({"Bob", "Bob", "01/02/10", "M", "A", {{"5", ""}}}, nullptr));
        QVERIFY(store.Close(nullptr));
        QVERIFY(TestDir::Read(dir.FilePath(EntryFileName)).mid(after.size()).contains("Bob"));
    }

    // The club table's commands: code checked first, then name, then room ("full": three clubs).
    void commands_data()
    {
        QTest::addColumn<QString>("command");
        QTest::addColumn<QStringList>("answers"); // typed; "" cancels; "#N" picks line N
        QTest::addColumn<QStringList>("shown");
        QTest::addColumn<QString>("after");

        // clang-format off
        const QString code = InputShown("Enter new club abbreviation"), name = InputShown("Enter new club name"),
                      search = InputShown("Enter name of club"), pick = "pick: Select club", t = "BBB:Bravo|DDD:Delta|FFF:Foxtrot",
                      renameD = InputShown("Enter revised name for code DDD", "Delta"), codeUsed = "message: This ID has already been used",
                      exists = "message: This club already exists .. code is : ";
        const auto confirm = [](const QString &offered) { return InputShown("Confirm/edit club name", offered); };
        QTest::newRow("sorts first, trimmed") << "hand" << QStringList{" AAA ", "Alpha Club "} << QStringList{code, name} << "AAA:Alpha Club|" + t;
        // Codes are kept in capitals and compared without case.
        QTest::newRow("small letters, code used") << "hand" << QStringList{"ddd", "D"} << QStringList{code, name, codeUsed} << t;
        QTest::newRow("small letters, new") << "hand" << QStringList{"eee", "Echo"} << QStringList{code, name} << "BBB:Bravo|DDD:Delta|EEE:Echo|FFF:Foxtrot";
        QTest::newRow("same name") << "hand" << QStringList{"ZZZ", "Foxtrot"} << QStringList{code, name, exists + "FFF"} << t;
        QTest::newRow("full") << "hand" << QStringList{"ZZZ", "Z"} << QStringList{code, name, "message: Sorry .. Table of club names is full!"} << t;
        QTest::newRow("full, same code") << "hand" << QStringList{"BBB", "Z"} << QStringList{code, name, codeUsed} << t;
        QTest::newRow("full, same name") << "hand" << QStringList{"ZZZ", "Delta"} << QStringList{code, name, exists + "DDD"} << t;
        QTest::newRow("hand, cancelled") << "hand" << QStringList{"AAA", ""} << QStringList{code, name} << t;
        // What the table holds must read back from the gala file's "club=code name" lines.
        const QString name100(100, u'n');
        QTest::newRow("code of 10") << "hand" << QStringList{"ABCDEFGHIJ", "Ten"} << QStringList{code, name} << "ABCDEFGHIJ:Ten|" + t;
        QTest::newRow("code of 11") << "hand" << QStringList{"ABCDEFGHIJK", "Eleven"} << QStringList{code, name, "message: Club not added: the code is longer than 10 characters"} << t;
        QTest::newRow("code with a blank") << "hand" << QStringList{"AB CD", "Ab"} << QStringList{code, name, "message: Club not added: the code holds a blank"} << t;
        QTest::newRow("name of 100") << "hand" << QStringList{"ZZZ", name100} << QStringList{code, name} << t + "|ZZZ:" + name100;
        QTest::newRow("name of 101") << "hand" << QStringList{"ZZZ", name100 + "n"} << QStringList{code, name, "message: Club not added: the name is longer than 100 characters"} << t;
        QTest::newRow("name with a tab") << "hand" << QStringList{"ZZZ", "Zulu\tClub"} << QStringList{code, name, "message: Club not added: the name holds a control character"} << t;
        QTest::newRow("file code with a blank") << "asa" << QStringList{"Far", "Far Fields"} << QStringList{search, confirm("Far Fields Amateur"), "message: Club not added: the code holds a blank"} << t;
        QTest::newRow("one, any case") << "asa" << QStringList{"upton", "Upton Lea"} << QStringList{search, confirm("Upton Lea Swimming Club")} << t + "|UPTL:Upton Lea";
        QTest::newRow("SC dropped") << "asa" << QStringList{"Velmora", "Velmora Marlets"} << QStringList{search, confirm("Velmora Marlets")} << t + "|VMSC:Velmora Marlets";
        QTest::newRow("several") << "asa" << QStringList{"Kestwick", "#2", "Kestwick M"} << QStringList{search, pick, confirm("Kestwick Masters")} << t + "|KESM:Kestwick M";
        QTest::newRow("none chosen") << "asa" << QStringList{"kestwick", "#0"} << QStringList{search, pick, "message: No club selected"} << t;
        QTest::newRow("not found") << "asa" << QStringList{"Zebra"} << QStringList{search, "message: Club not found"} << t;
        QTest::newRow("then the add rule") << "asa" << QStringList{"Yarrow", "Delta"} << QStringList{search, confirm("Yarrowdale Herons"), exists + "DDD"} << t;
        QTest::newRow("renamed") << "rename" << QStringList{" Delta Dolphins "} << QStringList{renameD} << "BBB:Bravo|DDD:Delta Dolphins|FFF:Foxtrot";
        QTest::newRow("rename cancelled") << "rename" << QStringList{""} << QStringList{renameD} << t;
        QTest::newRow("renamed past 100") << "rename" << QStringList{name100 + "n"} << QStringList{renameD, "message: Name not changed: the name is longer than 100 characters"} << t;
        // clang-format on
    }

    void commands()
    {
        QFETCH(QString, command);
        QFETCH(QStringList, answers);

        Fixture f("BBB:Bravo|DDD:Delta|FFF:Foxtrot");
        f.session.Gala.ClubCount = QByteArray(QTest::currentDataTag()).startsWith("full") ? 3 : 9;
        for (const QString &answer : answers)
            answer.isEmpty()          ? f.prompts.CancelInput()
            : answer.startsWith(u'#') ? f.prompts.Pick(answer.mid(1).toInt())
                                      : f.prompts.Type(answer);
        f.form.RenameClub(3); // no such line: nothing asked
        if (command == u"hand")
            f.form.AddClubByHand();
        else if (command == u"asa")
            f.form.AddFromClubCodeFile();
        else
            f.form.RenameClub(1);
        QTEST(f.prompts.Shown, "shown");
        if (!f.prompts.PickLists.isEmpty())
            QCOMPARE(f.prompts.PickLists.value(0),
                     (QStringList{"Kestwick Amateur SC", "Kestwick Masters SC"}));
        QTEST(f.List(), "after");
    }

    // Without the club code file beside the program the user is asked for one, and choosing none
    // ends the command; the rows are read once and kept after the file is gone. With the meet
    // database the record goes first and the parameter file is left alone; a club the database
    // holds but the table in memory does not is refused there, its transaction ended.
    void codeFileAndMeetDatabase()
    {
        Fixture f("BBB:Bravo");
        const QString elsewhere = f.dir.FilePath("codes.csv");
        QVERIFY(QFile::rename(f.dir.FilePath(ClubCodeFileName), elsewhere));
        f.prompts.Browse(QString()).Browse(elsewhere).Type("Upton").Type("Upton Lea");
        f.form.AddFromClubCodeFile();
        f.form.AddFromClubCodeFile();
        QVERIFY(QFile::remove(elsewhere));
        f.prompts.Type("Yarrow").Type("Yarrowdale Herons");
        f.form.AddFromClubCodeFile();
        const QString browse = "browse: Locate ASA club code file";
        QCOMPARE(f.prompts.Shown.mid(0, 3),
                 (QStringList{browse, "message: No Input File Specified", browse}));
        QCOMPARE(f.prompts.Shown.size(), 7);
        QCOMPARE(f.codes.Rows().size(), 6); // the blank line is not a row

        MeetDb::CreateMeetDatabase(f.dir.FilePath("natamar.mdb"));
        f.session.MeetDb.Open(f.dir.FilePath("natamar.mdb"));
        f.session.Gala.MeetDbOpen = true;
        f.session.Gala.MeetCode = "M1";
        f.session.Gala.GalaParamFile = f.dir.Write("gala.ini", "club=BBB Bravo\r\n");
        const QStringList fields{"Meet code", "Club Code", "Club Name"};
        InsertRows(f.session.MeetDb, "Club Name Table", fields.join(u'|'), {"M1|CCC|C"});
        QCOMPARE(f.form.AddClub("AAA", "Alpha"), AddClubResult::Added);
        QCOMPARE(f.form.AddClub("CCC", "Charlie"), AddClubResult::Failed);
        QVERIFY(f.form.Exit());
        QVERIFY(f.prompts.Messages.join(u'/').contains("UNIQUE constraint failed: Club Name"));
        QCOMPARE(f.List(), "AAA:Alpha|BBB:Bravo|UPTL:Upton Lea|YARR:Yarrowdale Herons");
        QCOMPARE(TableRows(f.session.MeetDb, "Club Name Table", fields).join(' '),
                 "M1|CCC|C M1|AAA|Alpha");
        QCOMPARE(f.session.MeetDb.TransactionDepth(), 0);
        QCOMPARE(TestDir::Read(f.session.Gala.GalaParamFile), "club=BBB Bravo\r\n");
    }
};

QTEST_GUILESS_MAIN(TestEntryFiles)
#include "tst_entryfiles.moc"
