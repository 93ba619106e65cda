#include <QTest>

#include "core/galastate.h"
#include "entries/entryfiles.h"
#include "support/scriptedprompts.h"
#include "support/testfiles.h"

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

QString LoadDump(const QString &path)
{
    QList<EntrantBlock> blocks;
    return LoadEntrantBlocks(path, false, blocks, nullptr) ? Dump(blocks) : "unreadable";
}

Core::GalaState Gala(const QString &type, bool oneCard = false, bool mailing = false)
{
    Core::GalaState gala;
    gala.GalaType = type;
    gala.OneCard = oneCard;
    gala.Mailing = mailing;
    return gala;
}

EntrantBlock Block(const QString &name, const QString &age, const QList<EntrySwim> &swims)
{
    return {0, name, QStringLiteral("VMSC"), age, QStringLiteral("F"), swims};
}

// Shapes beyond BlockShape in the read/write table: finals with ranks, swim lines, intent.ctl.
const int Finals = 10, Swims = 11, Ctl = 12;

const QByteArray IndividualBytes = Golden(QStringLiteral("individual.vb"));

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

    // A sound file reads to the expected values and writes back to the same bytes, and entrant
    // blocks of different shapes follow each other; a damaged one is refused with a message
    // naming the file and the line.
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

    void startUp_data()
    {
        QTest::addColumn<QString>("type");     // "Champs1": a "Champs" meet with OneCard
        QTest::addColumn<QString>("existing"); // the files there, as "vb+cds+ctl"
        QTest::addColumn<QString>("script");   // A/O/C/X on the existing-file window, Y/N yes/no
        QTest::addColumn<QStringList>("shown");
        QTest::addColumn<QString>("outcome"); // see startUp

        const QString ask = "exists: " + Core::ExistingFileQuestion;
        const QString confirm = "yesno: Confirm Overwrite Existing File";
        const QString noCtl = "message: No Control Record .. Cannot Append";
        // clang-format off
        QTest::newRow("entrant new")           << "Open"    << ""       << ""   << QStringList{}           << "open fresh vb=empty cds=empty next=1 ctl=1";
        QTest::newRow("entrant append")        << "Open"    << "vb+cds+ctl" << "A"  << QStringList{ask}        << "open vb=kept cds=kept next=13 ctl=13";
        QTest::newRow("entrant append no ctl") << "Masters" << "vb+cds" << "A"  << QStringList{ask, noCtl} << "shut vb=kept cds=kept next=1 ctl=";
        QTest::newRow("entrant overwrite yes") << "Open"    << "vb+cds+ctl" << "OY" << QStringList{ask, confirm} << "open fresh vb=empty cds=empty next=1 ctl=13";
        QTest::newRow("entrant overwrite no")  << "Open"    << "vb+cds+ctl" << "ON" << QStringList{ask, confirm} << "shut vb=kept cds=kept next=1 ctl=13";
        QTest::newRow("entrant change name")   << "Champs1" << "vb+cds+ctl" << "C"  << QStringList{ask}        << "shut vb=kept cds=kept next=1 ctl=13";
        QTest::newRow("entrant cancel")        << "Open"    << "vb+cds" << "X"  << QStringList{ask}        << "shut vb=kept cds=kept next=1 ctl=";
        // The swim layout never touches intent.cds; only it offers to clear the envelope flags.
        QTest::newRow("swim new")              << "Internal"<< ""       << ""   << QStringList{}           << "open fresh offer vb=empty cds=empty next=1 ctl=";
        QTest::newRow("swim append")           << "Graded"  << "vb+cds" << "A"  << QStringList{ask}        << "open vb=kept cds=kept next=1 ctl=";
        QTest::newRow("swim overwrite, no yes/no") << "Select" << "vb+cds" << "O"  << QStringList{ask}        << "open fresh offer vb=empty cds=kept next=1 ctl=";
        // clang-format on
    }

    void startUp()
    {
        QFETCH(QString, type);
        QFETCH(QString, existing);
        QFETCH(QString, script);
        QFETCH(QStringList, shown);
        QFETCH(QString, outcome);

        TestDir dir;
        for (const QString &name : {EntryFileName, CardFileName, ControlFileName})
            if (existing.contains(name.section(u'.', 1)))
                dir.Write(name, name == ControlFileName ? "13\r\n" : IndividualBytes);
        ScriptedPrompts prompts;
        using Option = Core::ExistingFileOption;
        for (const QChar c : script)
            c == u'Y'   ? prompts.Yes()
            : c == u'N' ? prompts.No()
                        : prompts.Exists(c != u'X', c == u'O'   ? Option::Overwrite
                                                    : c == u'C' ? Option::ChangeName
                                                                : Option::Append);
        const bool oneCard = type == u"Champs1";
        EntryFiles store;
        const bool opened =
            store.Open(Gala(oneCard ? Core::GalaChamps : type, oneCard, true), dir.Path(), prompts);
        QCOMPARE(prompts.Shown, shown);
        QCOMPARE(store.IsOpen(), opened);
        const auto state = [&dir](const QString &name) {
            const QByteArray bytes = TestDir::Read(dir.FilePath(name));
            return bytes.isEmpty() ? "empty" : bytes == IndividualBytes ? "kept" : "other";
        };
        const QByteArray ctl = TestDir::Read(dir.FilePath(ControlFileName));
        QCOMPARE(QStringLiteral("%1%2%3 vb=%4 cds=%5 next=%6 ctl=%7")
                     .arg(opened ? "open" : "shut", store.StartedEmpty() ? " fresh" : "",
                          store.OfferClearEnvelopeFlags() ? " offer" : "", state(EntryFileName),
                          state(CardFileName))
                     .arg(store.NextNumber())
                     .arg(QString::fromLatin1(ctl.trimmed())),
                 outcome);
    }

    // After every record the files on disk hold everything recorded so far, read while the
    // store is still open, and intent.ctl follows. A second session appends under the next
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
            for (const QString &name : {u"Jo \"Ace\" Bloggs"_qs, u"Jo\r\nBloggs"_qs}) {
                QVERIFY(!store.AppendEntrant(Block(name, "C", {{"1", "NT"}}), &error));
                QCOMPARE(error, "The name " + name + " holds a " +
                                    (name.contains(u'"') ? "double quote" : "line break") +
                                    ", which cannot be written to intent.vb");
            }
            QVERIFY(
                session == 0
                    ? store.AppendEntrant(Block("Jane Brown", "C", {{"1", "1:05.30"}}), &error)
                    : store.AppendRelay(
                          Block("Team A", "B", {{"21", "9:99.99"}, {"22", "2:00.00"}}), &error));
            QVERIFY(store.Flush(&error));
            QCOMPARE(LoadDump(dir.FilePath(EntryFileName)), dumps.mid(0, session + 1).join(u'\n'));
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
        for (const QString &words : {u"1 F 50 FS"_qs, u"2 M 100 BR"_qs, u"3 F 100 FS"_qs}) {
            const QStringList w = words.split(u' ');
            Core::GalaEvent &ev = gala.Events.emplace_back();
            std::tie(ev.EvNumber, ev.EvSex, ev.EvDistance, ev.EvStroke) =
                std::tuple(w[0], w[1], w[2], w[3]);
            ev.EvGroup = "U/12";
        }
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
            QVERIFY(RewriteParamFamily(gala.GalaParamFile, dir.FilePath(TmpIniName),
                                       events ? ParamFamily::Events : ParamFamily::Clubs, {},
                                       &error));
            QCOMPARE(TestDir::Read(gala.GalaParamFile).count(events ? "event=" : "club="), 0);
        }
        QVERIFY(!RewriteParamFamily(dir.FilePath("missing.ini"), dir.FilePath(TmpIniName),
                                    ParamFamily::Clubs, {}, &error));
        QVERIFY(error.contains("missing.ini"));
    }
};

QTEST_GUILESS_MAIN(TestEntryFiles)
#include "tst_entryfiles.moc"
