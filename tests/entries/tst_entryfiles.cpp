#include <QFileInfo>
#include <QTest>

#include "core/galastate.h"
#include "entries/entryfiles.h"
#include "support/scriptedprompts.h"
#include "support/testfiles.h"

using namespace Entries;

namespace {

QByteArray Golden(const QString &name)
{
    return TestDir::Read(TestDataPath(QStringLiteral("entryfiles/") + name));
}

// One line per block: "number|name|club|age|sex" then ";event|time|flag[|rank]" per swim.
QString Dump(const QList<EntrantBlock> &blocks, bool withRank = false)
{
    QStringList out;
    for (const EntrantBlock &b : blocks) {
        QString line =
            QStringLiteral("%1|%2|%3|%4|%5").arg(b.Number).arg(b.Name, b.Club, b.Age, b.Sex);
        for (const EntrySwim &s : b.Swims) {
            line +=
                QStringLiteral(";%1|%2|%3").arg(s.EventNumber, s.EntryTime).arg(int(s.Confirmed));
            if (withRank)
                line += QStringLiteral("|%1").arg(s.FinalRank);
        }
        out << line;
    }
    return out.join(u'\n');
}

QString LoadDump(const QString &path)
{
    QList<EntrantBlock> blocks;
    QString error;
    return LoadEntrantBlocks(path, false, blocks, &error) ? Dump(blocks) : error;
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

const QByteArray IndividualBytes = Golden(QStringLiteral("individual.vb"));

} // namespace

class TestEntryFiles : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void goldenBlocks_data()
    {
        QTest::addColumn<QString>("file");
        QTest::addColumn<int>("shape");
        QTest::addColumn<bool>("withRank");
        QTest::addColumn<QString>("expected");
        // clang-format off
        QTest::newRow("individual") << "individual.vb" << int(BlockShape::Individual) << false
            << "7|Jane Brown|VMSC|01/02/10|F;1|1:05.30|0;12|9:99.99|0;14|NT|0";
        QTest::newRow("relay over two lines") << "relay.vb" << int(BlockShape::Relay) << false
            << "8|Marlets A, Girls|VMSC|B|X;21|2:10.00|0;22|9:99.99|0";
        QTest::newRow("meet day") << "meetday.vb" << int(BlockShape::MeetDay) << false
            << "3|Zoë O'Brien-Smith|ABC|45|M;5|31.20|1;9|9:99.99|0";
        QTest::newRow("finals with rank") << "finals.cds" << int(BlockShape::MeetDay) << true
            << "4|Ann Lee|VMSC|12/03/11|F;101|1:10.00|1|7;103|45.10|0|9";
        // clang-format on
    }

    // Each shape reads to the expected block and writes back to the same bytes.
    void goldenBlocks()
    {
        QFETCH(QString, file);
        QFETCH(int, shape);
        QFETCH(bool, withRank);
        QFETCH(QString, expected);

        const QByteArray golden = Golden(file);
        QList<EntrantBlock> blocks;
        QString error;
        QVERIFY2(ParseEntrantBlocks(golden, file, withRank, blocks, &error), qPrintable(error));
        QCOMPARE(Dump(blocks, withRank), expected);
        QCOMPARE(blocks.first().End, golden.size());
        QByteArray written;
        QVERIFY(
            EncodeEntrantBlock(blocks.first(), BlockShape(shape), withRank, file, written, &error));
        QCOMPARE(written, golden);
        // Blocks of different shapes follow each other in one file.
        if (!withRank) {
            QVERIFY(ParseEntrantBlocks(golden + IndividualBytes, file, false, blocks, &error));
            QCOMPARE(blocks.size(), 2);
            QCOMPARE(blocks.at(1).Begin, golden.size());
        }
    }

    void goldenSwimLinesAndControl()
    {
        const QByteArray golden = Golden(QStringLiteral("swims.vb"));
        QList<SwimLine> lines;
        QString error;
        QVERIFY2(ParseSwimLines(golden, "swims.vb", lines, &error), qPrintable(error));
        QStringList dump;
        QByteArray written;
        for (const SwimLine &l : lines) {
            dump << QStringList{l.EventNumber, l.MemberKey, l.Date, l.EntryTime}.join(u'|');
            QByteArray bytes;
            QVERIFY(EncodeSwimLine(l, "swims.vb", bytes, &error));
            written += bytes;
        }
        QCOMPARE(dump, (QStringList{"3|Brown Jane|01/02/10|1:05.30", "3|Lee Ann|12/03/11|",
                                    "7|Ann Jones Mary|05/06/09|42.00"}));
        QCOMPARE(written, golden);

        TestDir dir;
        int next = 0;
        QVERIFY(LoadControlRecord(TestDataPath("entryfiles/intent.ctl"), next, &error));
        QCOMPARE(next, 13);
        QVERIFY(SaveControlRecord(dir.FilePath(ControlFileName), 13, &error));
        QCOMPARE(TestDir::Read(dir.FilePath(ControlFileName)), Golden("intent.ctl"));
    }

    void damaged_data()
    {
        QTest::addColumn<QString>("layout"); // "entrant", "swim" or "ctl"
        QTest::addColumn<QByteArray>("data");
        QTest::addColumn<QString>("expected"); // a part of the message after the file name
        // clang-format off
        QTest::newRow("ends inside the swims") << "entrant" << IndividualBytes + "8,\"Ann\",\"V\",\"1\",\"F\"\r\n2\r\n\"1\",\"9:99.99\",#FALSE#\r\n"
            << "line 6, entrant 8: the file ends where the event number of swim 2 of 2 should be";
        QTest::newRow("garbled number") << "entrant" << IndividualBytes + "x8,\"Ann\""
            << "line 6, after entrant 7: the entrant number should be a whole number, found x8";
        QTest::newRow("bad flag") << "entrant" << QByteArray("1,\"A\",\"V\",\"1\",\"F\"\r\n1\r\n\"1\",\"NT\",yes\r\n")
            << "line 3, entrant 1: the confirmed flag of swim 1 of 1 should be #TRUE#, #FALSE# or a number, found yes";
        QTest::newRow("swim line short") << "swim" << QByteArray("\"1\",\"Lee Ann\",\"01/01/10\",\"\"\r\n\"2\",\"Lee Ann\"\r\n")
            << "line 2, swim 2: the file ends where the date should be";
        QTest::newRow("control not a number") << "ctl" << QByteArray("abc\r\n")
            << "line 1: the next entrant number should be a whole number above 0, found abc";
        QTest::newRow("binary") << "entrant" << QByteArray("\x01\x02\x00\xff,,,\r\n", 8)
            << "the entrant number should be a whole number";
        // clang-format on
    }

    void damaged()
    {
        QFETCH(QString, layout);
        QFETCH(QByteArray, data);
        QFETCH(QString, expected);

        QString error;
        QList<EntrantBlock> blocks;
        QList<SwimLine> lines;
        int next = 0;
        const bool ok = layout == u"entrant"
                            ? ParseEntrantBlocks(data, "intent.vb", false, blocks, &error)
                        : layout == u"swim" ? ParseSwimLines(data, "intent.vb", lines, &error)
                                            : ParseControlRecord(data, "intent.ctl", next, &error);
        QVERIFY(!ok);
        const QString file = layout == u"ctl" ? "intent.ctl, " : "intent.vb, ";
        QVERIFY2(error.startsWith(file) && error.contains(expected), qPrintable(error));
    }

    void refusedTexts_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("time");
        QTest::addColumn<QString>("expected"); // "" when the block is written
        // clang-format off
        QTest::newRow("quote in name") << "Jo \"Ace\" Bloggs" << "1:00.00"
            << "The name Jo \"Ace\" Bloggs holds a double quote, which cannot be written to intent.vb";
        QTest::newRow("quote in time") << "Jo" << "1\"00" << "The entry time 1\"00 holds a double quote";
        QTest::newRow("line break") << "Jo\r\nBloggs" << "NT" << "holds a line break";
        QTest::newRow("comma, blanks, accents kept") << "  O'Brien, Zoë  " << "NT" << "";
        // clang-format on
    }

    // A text that would not read back is refused before anything is written; any other text
    // reads back exactly.
    void refusedTexts()
    {
        QFETCH(QString, name);
        QFETCH(QString, time);
        QFETCH(QString, expected);

        TestDir dir;
        ScriptedPrompts prompts;
        EntryFiles store;
        QVERIFY(store.Open(Gala(Core::GalaOpen), dir.Path(), prompts));
        QString error;
        const bool ok = store.AppendEntrant(Block(name, "01/01/10", {{"1", time}}), &error);
        QCOMPARE(ok, expected.isEmpty());
        QVERIFY2(error.contains(expected), qPrintable(error));
        QList<EntrantBlock> blocks;
        QVERIFY(LoadEntrantBlocks(store.EntryFilePath(), false, blocks, &error));
        QCOMPARE(blocks.size(), ok ? 1 : 0);
        QCOMPARE(ok ? blocks.first().Name : name, name);
        QCOMPARE(TestDir::Read(dir.FilePath(CardFileName)).isEmpty(), !ok);
        QCOMPARE(store.NextNumber(), ok ? 2 : 1);
    }

    void startUp_data()
    {
        QTest::addColumn<QString>("type");     // "Champs1": a "Champs" meet with OneCard
        QTest::addColumn<QString>("existing"); // "vb", "vb+ctl" or ""
        QTest::addColumn<QString>("script");   // A/O/C/X on the existing-file window, Y/N yes/no
        QTest::addColumn<QStringList>("shown");
        QTest::addColumn<QString>("outcome"); // see startUp

        const QString ask = "exists: " + Core::ExistingFileQuestion;
        const QString confirm = "yesno: Confirm Overwrite Existing File";
        const QString noCtl = "message: No Control Record .. Cannot Append";
        // clang-format off
        QTest::newRow("entrant new")           << "Open"    << ""       << ""   << QStringList{}           << "open fresh vb=empty cds=empty next=1 ctl=1";
        QTest::newRow("entrant append")        << "Open"    << "vb+ctl" << "A"  << QStringList{ask}        << "open vb=kept cds=kept next=13 ctl=13";
        QTest::newRow("entrant append no ctl") << "Masters" << "vb"     << "A"  << QStringList{ask, noCtl} << "shut vb=kept cds=kept next=1 ctl=";
        QTest::newRow("entrant overwrite yes") << "Open"    << "vb+ctl" << "OY" << QStringList{ask, confirm} << "open fresh vb=empty cds=empty next=1 ctl=13";
        QTest::newRow("entrant overwrite no")  << "Open"    << "vb+ctl" << "ON" << QStringList{ask, confirm} << "shut vb=kept cds=kept next=1 ctl=13";
        QTest::newRow("entrant change name")   << "Champs1" << "vb+ctl" << "C"  << QStringList{ask}        << "shut vb=kept cds=kept next=1 ctl=13";
        QTest::newRow("entrant cancel")        << "Open"    << "vb"     << "X"  << QStringList{ask}        << "shut vb=kept cds=kept next=1 ctl=";
        // The swim layout never touches intent.cds; only it offers to clear the envelope flags.
        QTest::newRow("swim new")              << "Internal"<< ""       << ""   << QStringList{}           << "open fresh offer vb=empty cds=empty next=1 ctl=";
        QTest::newRow("swim append")           << "Graded"  << "vb"     << "A"  << QStringList{ask}        << "open vb=kept cds=kept next=1 ctl=";
        QTest::newRow("swim overwrite, no yes/no") << "Select" << "vb"  << "O"  << QStringList{ask}        << "open fresh offer vb=empty cds=kept next=1 ctl=";
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
        if (!existing.isEmpty()) {
            dir.Write(EntryFileName, IndividualBytes);
            dir.Write(CardFileName, IndividualBytes);
        }
        if (existing.contains(u"ctl"))
            dir.Write(ControlFileName, "13\r\n");
        ScriptedPrompts prompts;
        using Option = Core::ExistingFileOption;
        for (const QChar c : script) {
            if (c == u'Y' || c == u'N')
                c == u'Y' ? prompts.Yes() : prompts.No();
            else
                prompts.Exists(c != u'X', c == u'O'   ? Option::Overwrite
                                          : c == u'C' ? Option::ChangeName
                                                      : Option::Append);
        }
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
        QVERIFY(ctl.isEmpty() || ctl.endsWith("\r\n"));
        QCOMPARE(QStringLiteral("%1%2%3 vb=%4 cds=%5 next=%6 ctl=%7")
                     .arg(opened ? "open" : "shut", store.StartedEmpty() ? " fresh" : "",
                          store.OfferClearEnvelopeFlags() ? " offer" : "", state(EntryFileName),
                          state(CardFileName))
                     .arg(store.NextNumber())
                     .arg(QString::fromLatin1(ctl.trimmed())),
                 outcome);
    }

    // After every record the files on disk hold everything recorded so far, read while the
    // store is still open; intent.ctl follows each flush. A second session appends under the
    // next numbers, first ending a last line that lost its line end.
    void flushAfterEachRecord()
    {
        TestDir dir;
        const Core::GalaState gala = Gala(Core::GalaMasters);
        const QString vb = dir.FilePath(EntryFileName);
        const QString cds = dir.FilePath(CardFileName);
        const QString two = "1|Jane Brown|VMSC|C|F;1|1:05.30|0\n"
                            "2|Team A|VMSC|B|F;21|9:99.99|0;22|2:00.00|0";
        QString error;
        {
            ScriptedPrompts prompts;
            EntryFiles store;
            QVERIFY(store.Open(gala, dir.Path(), prompts));
            QVERIFY(store.AppendEntrant(Block("Jane Brown", "C", {{"1", "1:05.30"}}), &error));
            QVERIFY(store.Flush(&error));
            QCOMPARE(LoadDump(vb), two.section(u'\n', 0, 0));
            QCOMPARE(TestDir::Read(dir.FilePath(ControlFileName)), "2\r\n");

            QVERIFY(store.AppendRelay(Block("Team A", "B", {{"21", "9:99.99"}, {"22", "2:00.00"}}),
                                      &error));
            QVERIFY(store.Flush(&error));
            QCOMPARE(LoadDump(vb), two);
            QCOMPARE(TestDir::Read(cds), TestDir::Read(vb));
            QCOMPARE(TestDir::Read(dir.FilePath(ControlFileName)), "3\r\n");
            QVERIFY(store.Close(&error));
        }
        for (const QString &path : {vb, cds})
            dir.Write(QFileInfo(path).fileName(), TestDir::Read(path).chopped(2));
        ScriptedPrompts prompts;
        prompts.Exists(true, Core::ExistingFileOption::Append);
        EntryFiles store;
        QVERIFY(store.Open(gala, dir.Path(), prompts));
        QCOMPARE(store.NextNumber(), 3);
        QVERIFY(store.AppendEntrant(Block("Bob Ray", "D", {{"2", "NT"}}), &error));
        QCOMPARE(LoadDump(cds), two + "\n3|Bob Ray|VMSC|D|F;2|NT|0");
        QVERIFY(store.Close(&error));
        QCOMPARE(LoadDump(vb), two + "\n3|Bob Ray|VMSC|D|F;2|NT|0");
        QCOMPARE(TestDir::Read(dir.FilePath(ControlFileName)), "4\r\n");
    }

    // A member's swims go into whichever layout the meet reads on the day; a member without
    // swims writes nothing and uses no number.
    void memberRecords()
    {
        for (const bool oneCard : {false, true}) {
            TestDir dir;
            ScriptedPrompts prompts;
            EntryFiles store;
            QVERIFY(store.Open(Gala(Core::GalaChamps, oneCard), dir.Path(), prompts));
            MemberEntry member{"Jane Brown", "Brown Jane", "01/02/10", "F", "VMSC", {}};
            QString error;
            QVERIFY(store.AppendMember(member, &error));
            QCOMPARE(store.NextNumber(), 1);
            member.Swims = {{"3", "1:05.30"}, {"7", ""}};
            QVERIFY(store.AppendMember(member, &error) && store.Flush(&error));
            QCOMPARE(TestDir::Read(dir.FilePath(EntryFileName)),
                     oneCard ? "1,\"Jane Brown\",\"VMSC\",\"01/02/10\",\"F\"\r\n2\r\n"
                               "\"3\",\"1:05.30\",#FALSE#\r\n\"7\",\"9:99.99\",#FALSE#\r\n"
                             : "\"3\",\"Brown Jane\",\"01/02/10\",\"1:05.30\"\r\n"
                               "\"7\",\"Brown Jane\",\"01/02/10\",\"\"\r\n");
            QCOMPARE(store.AppendSwimLine({"1", "a", "b", "c"}, &error), !oneCard);
        }
    }

    // Each family is rewritten in place through tmp.ini, other lines kept, one "End=End" last.
    void paramRewrite()
    {
        TestDir dir;
        Core::GalaState gala = Gala(Core::GalaSelect);
        for (const QString &words : {u"1 F 50 FS"_qs, u"2 M 100 BR"_qs, u"3 F 100 FS"_qs}) {
            const QStringList w = words.split(u' ');
            Core::GalaEvent ev;
            ev.EvNumber = w[0];
            ev.EvSex = w[1];
            ev.EvGroup = "U/12";
            ev.EvDistance = w[2];
            ev.EvStroke = w[3];
            gala.Events.append(ev);
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
            const QByteArray emptied = TestDir::Read(gala.GalaParamFile);
            QCOMPARE(emptied.count("End=End"), 1);
            QCOMPARE(emptied.count(events ? "event=" : "club="), 0);
        }
        QVERIFY(!RewriteParamFamily(dir.FilePath("missing.ini"), dir.FilePath(TmpIniName),
                                    ParamFamily::Clubs, {}, &error));
        QVERIFY(error.contains("missing.ini"));
    }
};

QTEST_GUILESS_MAIN(TestEntryFiles)
#include "tst_entryfiles.moc"
