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
QString Dump(const QList<EntrantBlock> &blocks, bool withRank)
{
    QStringList out;
    for (const EntrantBlock &b : blocks) {
        QString line =
            QStringLiteral("%1|%2|%3|%4|%5").arg(b.Number).arg(b.Name, b.Club, b.Age, b.Sex);
        for (const EntrySwim &s : b.Swims) {
            line += QStringLiteral(";%1|%2|%3")
                        .arg(s.EventNumber, s.EntryTime)
                        .arg(s.Confirmed ? 1 : 0);
            if (withRank)
                line += QStringLiteral("|%1").arg(s.FinalRank);
        }
        out << line;
    }
    return out.join(u'\n');
}

QString Dump(const QList<SwimLine> &lines)
{
    QStringList out;
    for (const SwimLine &l : lines)
        out << QStringList{l.EventNumber, l.MemberKey, l.Date, l.EntryTime}.join(u'|');
    return out.join(u'\n');
}

// "A" append, "O" overwrite, "C" change name, "X" cancel (existing-file window); "Y"/"N" yes/no.
void Script(ScriptedPrompts &prompts, const QString &answers)
{
    using Option = Core::ExistingFileOption;
    const Option options[] = {Option::Append, Option::Overwrite, Option::ChangeName,
                              Option::Append};
    for (const QChar c : answers) {
        if (const qsizetype i = QStringView(u"AOCX").indexOf(c); i >= 0)
            prompts.Exists(i != 3, options[i]);
        else
            c == u'Y' ? prompts.Yes() : prompts.No();
    }
}

Core::GalaState Gala(const QString &type, bool oneCard = false, bool mailing = false)
{
    Core::GalaState gala;
    gala.GalaType = type;
    gala.OneCard = oneCard;
    gala.Mailing = mailing;
    return gala;
}

EntrantBlock Block(const QString &name, const QString &age, const QString &sex,
                   const QList<EntrySwim> &swims)
{
    return {0, name, QStringLiteral("VMSC"), age, sex, swims};
}

const QByteArray IndividualBytes = Golden(QStringLiteral("individual.vb"));

} // namespace

class TestEntryFiles : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void goldenBlocks_data();
    void goldenBlocks();
    void goldenSwimLines();
    void controlRecord();
    void damaged_data();
    void damaged();
    void refusedTexts_data();
    void refusedTexts();
    void startUp_data();
    void startUp();
    void flushAfterEachRecord();
    void memberRecords_data();
    void memberRecords();
    void appendAfterUnendedLine();
    void paramRewrite_data();
    void paramRewrite();
};

void TestEntryFiles::goldenBlocks_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<int>("shape");
    QTest::addColumn<bool>("withRank");
    QTest::addColumn<QString>("expected");

    QTest::newRow("individual") << "individual.vb" << int(BlockShape::Individual) << false
                                << "7|Jane Brown|VMSC|01/02/10|F;1|1:05.30|0;12|9:99.99|0;14|NT|0";
    QTest::newRow("relay over two lines")
        << "relay.vb" << int(BlockShape::Relay) << false
        << "8|Marlets A, Girls|VMSC|B|X;21|2:10.00|0;22|9:99.99|0";
    QTest::newRow("meet day") << "meetday.vb" << int(BlockShape::MeetDay) << false
                              << "3|Zoë O'Brien-Smith|ABC|45|M;5|31.20|1;9|9:99.99|0";
    QTest::newRow("finals with rank") << "finals.cds" << int(BlockShape::MeetDay) << true
                                      << "4|Ann Lee|VMSC|12/03/11|F;101|1:10.00|1|7;103|45.10|0|9";
}

// Each shape reads to the expected block and writes back to the same bytes.
void TestEntryFiles::goldenBlocks()
{
    QFETCH(QString, file);
    QFETCH(int, shape);
    QFETCH(bool, withRank);
    QFETCH(QString, expected);

    const QByteArray golden = Golden(file);
    QVERIFY(!golden.isEmpty());
    QList<EntrantBlock> blocks;
    QString error;
    QVERIFY2(ParseEntrantBlocks(golden, file, withRank, blocks, &error), qPrintable(error));
    QCOMPARE(Dump(blocks, withRank), expected);
    QCOMPARE(blocks.first().Begin, 0);
    QCOMPARE(blocks.first().End, golden.size());

    QByteArray written;
    QVERIFY(EncodeEntrantBlock(blocks.first(), BlockShape(shape), withRank, file, written, &error));
    QCOMPARE(written, golden);

    // Blocks of different shapes follow each other in one file.
    if (!withRank) {
        QVERIFY(ParseEntrantBlocks(golden + IndividualBytes, file, false, blocks, &error));
        QCOMPARE(blocks.size(), 2);
        QCOMPARE(blocks.at(1).Begin, golden.size());
        QCOMPARE(blocks.at(1).Number, 7);
    }
}

void TestEntryFiles::goldenSwimLines()
{
    const QByteArray golden = Golden(QStringLiteral("swims.vb"));
    QList<SwimLine> lines;
    QString error;
    QVERIFY2(ParseSwimLines(golden, QStringLiteral("swims.vb"), lines, &error), qPrintable(error));
    QCOMPARE(Dump(lines), QStringLiteral("3|Brown Jane|01/02/10|1:05.30\n"
                                         "3|Lee Ann|12/03/11|\n"
                                         "7|Ann Jones Mary|05/06/09|42.00"));
    QByteArray written;
    for (const SwimLine &line : lines) {
        QByteArray bytes;
        QVERIFY(EncodeSwimLine(line, QStringLiteral("swims.vb"), bytes, &error));
        written += bytes;
    }
    QCOMPARE(written, golden);
}

void TestEntryFiles::controlRecord()
{
    TestDir dir;
    int next = 0;
    QString error;
    QVERIFY(LoadControlRecord(TestDataPath(QStringLiteral("entryfiles/intent.ctl")), next, &error));
    QCOMPARE(next, 13);
    QVERIFY(SaveControlRecord(dir.FilePath(ControlFileName), 13, &error));
    QCOMPARE(TestDir::Read(dir.FilePath(ControlFileName)), Golden(QStringLiteral("intent.ctl")));
}

void TestEntryFiles::damaged_data()
{
    QTest::addColumn<QString>("layout"); // "entrant", "swim" or "ctl"
    QTest::addColumn<QByteArray>("data");
    QTest::addColumn<QString>("expected"); // a part of the message after the file name

    const QByteArray one = IndividualBytes;
    // clang-format off
    QTest::newRow("ends inside the swims") << "entrant" << one + "8,\"Ann\",\"V\",\"1\",\"F\"\r\n2\r\n\"1\",\"9:99.99\",#FALSE#\r\n"
        << "line 6, entrant 8: the file ends where the event number of swim 2 of 2 should be";
    QTest::newRow("garbled number") << "entrant" << one + "x8,\"Ann\""
        << "line 6, after entrant 7: the entrant number should be a whole number, found x8";
    QTest::newRow("count is text") << "entrant" << QByteArray("1,\"Ann\",\"V\",\"1\",\"F\",\"2\"\r\n")
        << "line 1, entrant 1: the swim count should be a whole number, found \"2\"";
    QTest::newRow("negative count") << "entrant" << QByteArray("1,\"Ann\",\"V\",\"1\",\"F\"\r\n-2\r\n")
        << "line 2, entrant 1: the swim count -2 is negative";
    QTest::newRow("unclosed quote") << "entrant" << QByteArray("1,\"Ann,\"V\r\n")
        << "line 1, entrant 1: unexpected text after the quoted text";
    QTest::newRow("quote open at line end") << "entrant" << QByteArray("1,\"Ann\",\"V\",\"1\r\n")
        << "line 1, entrant 1: a quoted text is not closed on its line";
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

void TestEntryFiles::damaged()
{
    QFETCH(QString, layout);
    QFETCH(QByteArray, data);
    QFETCH(QString, expected);

    QString error;
    bool ok = true;
    if (layout == u"entrant") {
        QList<EntrantBlock> blocks;
        ok = ParseEntrantBlocks(data, QStringLiteral("intent.vb"), false, blocks, &error);
    } else if (layout == u"swim") {
        QList<SwimLine> lines;
        ok = ParseSwimLines(data, QStringLiteral("intent.vb"), lines, &error);
    } else {
        int next = 0;
        ok = ParseControlRecord(data, QStringLiteral("intent.ctl"), next, &error);
    }
    QVERIFY(!ok);
    QVERIFY2(error.startsWith(layout == u"ctl" ? u"intent.ctl, " : u"intent.vb, "),
             qPrintable(error));
    QVERIFY2(error.contains(expected), qPrintable(error));
}

void TestEntryFiles::refusedTexts_data()
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

// A text that would not read back is refused before anything is written; any other text reads
// back exactly.
void TestEntryFiles::refusedTexts()
{
    QFETCH(QString, name);
    QFETCH(QString, time);
    QFETCH(QString, expected);

    TestDir dir;
    ScriptedPrompts prompts;
    EntryFiles store;
    QVERIFY(store.Open(Gala(Core::GalaOpen), dir.Path(), prompts));
    QString error;
    const bool ok = store.AppendEntrant(Block(name, "01/01/10", "F", {{"1", time}}), &error);
    QCOMPARE(ok, expected.isEmpty());
    QList<EntrantBlock> blocks;
    QVERIFY(LoadEntrantBlocks(store.EntryFilePath(), false, blocks, &error));
    if (ok) {
        QCOMPARE(blocks.size(), 1);
        QCOMPARE(blocks.first().Name, name);
        QCOMPARE(store.NextNumber(), 2);
    } else {
        QVERIFY2(error.contains(expected), qPrintable(error));
        QVERIFY(blocks.isEmpty());
        QVERIFY(TestDir::Read(dir.FilePath(CardFileName)).isEmpty());
        QCOMPARE(store.NextNumber(), 1);
    }
}

void TestEntryFiles::startUp_data()
{
    QTest::addColumn<QString>("type");
    QTest::addColumn<QString>("existing"); // "vb", "vb+ctl" or ""
    QTest::addColumn<QString>("script");
    QTest::addColumn<bool>("opened");
    QTest::addColumn<QStringList>("shown");
    QTest::addColumn<bool>("emptied");    // intent.vb (and intent.cds) now empty
    QTest::addColumn<int>("next");        // NextNumber after opening
    QTest::addColumn<QString>("ctl");     // intent.ctl afterwards ("" = none)
    QTest::addColumn<bool>("offerClear"); // with "mailing" set

    const QString ask = "exists: " + Core::ExistingFileQuestion;
    const QString confirm = "yesno: Confirm Overwrite Existing File";
    const QString noCtl = "message: No Control Record .. Cannot Append";
    // clang-format off
    QTest::newRow("entrant new")           << "Open"    << ""       << ""   << true  << QStringList{}               << true  << 1  << "1\r\n"  << false;
    QTest::newRow("entrant append")        << "Open"    << "vb+ctl" << "A"  << true  << QStringList{ask}            << false << 13 << "13\r\n" << false;
    QTest::newRow("entrant append no ctl") << "Masters" << "vb"     << "A"  << false << QStringList{ask, noCtl}     << false << 1  << ""       << false;
    QTest::newRow("entrant overwrite yes") << "Open"    << "vb+ctl" << "OY" << true  << QStringList{ask, confirm}   << true  << 1  << "13\r\n" << false;
    QTest::newRow("entrant overwrite no")  << "Open"    << "vb+ctl" << "ON" << false << QStringList{ask, confirm}   << false << 1  << "13\r\n" << false;
    QTest::newRow("entrant change name")   << "Champs1" << "vb+ctl" << "C"  << false << QStringList{ask}            << false << 1  << "13\r\n" << false;
    QTest::newRow("entrant cancel")        << "Open"    << "vb"     << "X"  << false << QStringList{ask}            << false << 1  << ""       << false;
    QTest::newRow("swim new")              << "Internal"<< ""       << ""   << true  << QStringList{}               << true  << 1  << ""       << true;
    QTest::newRow("swim append")           << "Graded"  << "vb"     << "A"  << true  << QStringList{ask}            << false << 1  << ""       << false;
    QTest::newRow("swim overwrite, no yes/no") << "Select" << "vb"  << "O"  << true  << QStringList{ask}            << true  << 1  << ""       << true;
    QTest::newRow("swim cancel")           << "Champs"  << "vb"     << "X"  << false << QStringList{ask}            << false << 1  << ""       << false;
    // clang-format on
}

void TestEntryFiles::startUp()
{
    QFETCH(QString, type);
    QFETCH(QString, existing);
    QFETCH(QString, script);
    QFETCH(bool, opened);
    QFETCH(QStringList, shown);
    QFETCH(bool, emptied);
    QFETCH(int, next);
    QFETCH(QString, ctl);
    QFETCH(bool, offerClear);

    TestDir dir;
    if (existing.contains(u"vb")) {
        dir.Write(EntryFileName, IndividualBytes);
        dir.Write(CardFileName, IndividualBytes);
    }
    if (existing.contains(u"ctl"))
        dir.Write(ControlFileName, "13\r\n");

    ScriptedPrompts prompts;
    Script(prompts, script);
    // "Champs1" stands for a "Champs" meet with OneCard.
    const bool oneCard = type == u"Champs1";
    const Core::GalaState gala = Gala(oneCard ? Core::GalaChamps : type, oneCard, true);
    EntryFiles store;
    QCOMPARE(store.Open(gala, dir.Path(), prompts), opened);
    QCOMPARE(store.IsOpen(), opened);
    QCOMPARE(prompts.Shown, shown);
    QCOMPARE(store.StartedEmpty(), emptied);
    QCOMPARE(store.OfferClearEnvelopeFlags(), offerClear);
    QCOMPARE(store.NextNumber(), next);

    const QByteArray expected = emptied              ? QByteArray()
                                : existing.isEmpty() ? QByteArray()
                                                     : IndividualBytes;
    QCOMPARE(TestDir::Read(dir.FilePath(EntryFileName)), expected);
    // The swim layout never touches intent.cds.
    const bool entrant = LayoutFor(gala) == EntryLayout::Entrant;
    const QByteArray cards = entrant                    ? expected
                             : existing.contains(u"vb") ? IndividualBytes
                                                        : QByteArray();
    QCOMPARE(TestDir::Read(dir.FilePath(CardFileName)), cards);
    QCOMPARE(QString::fromLatin1(TestDir::Read(dir.FilePath(ControlFileName))), ctl);
}

// After every record the files on disk hold everything recorded so far, read while the store
// is still open; intent.ctl follows each flush; a second session appends under the next numbers.
void TestEntryFiles::flushAfterEachRecord()
{
    TestDir dir;
    const Core::GalaState gala = Gala(Core::GalaMasters);
    QString error;
    {
        ScriptedPrompts prompts;
        EntryFiles store;
        QVERIFY(store.Open(gala, dir.Path(), prompts));
        QVERIFY(store.AppendEntrant(Block("Jane Brown", "C", "F", {{"1", "1:05.30"}}), &error));
        QVERIFY(store.Flush(&error));
        QList<EntrantBlock> blocks;
        QVERIFY(LoadEntrantBlocks(dir.FilePath(EntryFileName), false, blocks, &error));
        QCOMPARE(Dump(blocks, false), "1|Jane Brown|VMSC|C|F;1|1:05.30|0");
        QCOMPARE(TestDir::Read(dir.FilePath(ControlFileName)), "2\r\n");

        QVERIFY(store.AppendRelay(Block("Team A", "B", "X", {{"21", "9:99.99"}, {"22", "2:00.00"}}),
                                  &error));
        QVERIFY(store.Flush(&error));
        QVERIFY(LoadEntrantBlocks(dir.FilePath(EntryFileName), false, blocks, &error));
        QCOMPARE(blocks.size(), 2);
        QCOMPARE(blocks.at(1).Number, 2);
        QCOMPARE(blocks.at(1).Line, 4);
        QCOMPARE(TestDir::Read(dir.FilePath(CardFileName)),
                 TestDir::Read(dir.FilePath(EntryFileName)));
        QCOMPARE(TestDir::Read(dir.FilePath(ControlFileName)), "3\r\n");
        QVERIFY(store.Close(&error));
    }
    ScriptedPrompts prompts;
    prompts.Exists(true, Core::ExistingFileOption::Append);
    EntryFiles store;
    QVERIFY(store.Open(gala, dir.Path(), prompts));
    QCOMPARE(store.NextNumber(), 3);
    QVERIFY(store.AppendEntrant(Block("Bob Ray", "D", "M", {{"2", "NT"}}), &error));
    QList<EntrantBlock> blocks;
    QVERIFY(LoadEntrantBlocks(dir.FilePath(CardFileName), false, blocks, &error));
    QCOMPARE(blocks.last().Number, 3);
    QVERIFY(store.Close(&error));
    QCOMPARE(TestDir::Read(dir.FilePath(ControlFileName)), "4\r\n");
}

void TestEntryFiles::memberRecords_data()
{
    QTest::addColumn<bool>("oneCard");
    QTest::addColumn<QString>("expected");

    QTest::newRow("swim layout")
        << false
        << "\"3\",\"Brown Jane\",\"01/02/10\",\"1:05.30\"\r\n\"7\",\"Brown "
           "Jane\",\"01/02/10\",\"\"\r\n";
    QTest::newRow("Champs OneCard: entrant block")
        << true
        << "1,\"Jane Brown\",\"VMSC\",\"01/02/10\",\"F\"\r\n2\r\n\"3\",\"1:05.30\",#FALSE#\r\n"
           "\"7\",\"9:99.99\",#FALSE#\r\n";
}

// A member's swims go into whichever layout the meet reads on the day; a member without swims
// writes nothing and uses no number.
void TestEntryFiles::memberRecords()
{
    QFETCH(bool, oneCard);
    QFETCH(QString, expected);

    TestDir dir;
    ScriptedPrompts prompts;
    EntryFiles store;
    QVERIFY(store.Open(Gala(Core::GalaChamps, oneCard), dir.Path(), prompts));
    MemberEntry member{"Jane Brown", "Brown Jane", "01/02/10", "F", "VMSC", {}};
    QString error;
    QVERIFY(store.AppendMember(member, &error));
    QCOMPARE(store.NextNumber(), 1);
    member.Swims = {{"3", "1:05.30"}, {"7", ""}};
    QVERIFY(store.AppendMember(member, &error));
    QVERIFY(store.Flush(&error));
    QCOMPARE(QString::fromUtf8(TestDir::Read(dir.FilePath(EntryFileName))), expected);
    QCOMPARE(store.AppendSwimLine({"1", "a", "b", "c"}, &error), !oneCard);
}

// A file whose last line lost its line end gets one before the next record.
void TestEntryFiles::appendAfterUnendedLine()
{
    TestDir dir;
    dir.Write(EntryFileName, "\"3\",\"Brown Jane\",\"01/02/10\",\"1:05.30\"");
    ScriptedPrompts prompts;
    prompts.Exists(true, Core::ExistingFileOption::Append);
    EntryFiles store;
    QVERIFY(store.Open(Gala(Core::GalaInternal), dir.Path(), prompts));
    QString error;
    QVERIFY(store.AppendSwimLine({"4", "Lee Ann", "01/01/10", ""}, &error));
    QList<SwimLine> lines;
    QVERIFY2(LoadSwimLines(dir.FilePath(EntryFileName), lines, &error), qPrintable(error));
    QCOMPARE(lines.size(), 2);
}

void TestEntryFiles::paramRewrite_data()
{
    QTest::addColumn<int>("family");
    QTest::addColumn<QString>("after");

    QTest::newRow("events") << int(ParamFamily::Events) << "params-events-after.ini";
    QTest::newRow("clubs") << int(ParamFamily::Clubs) << "params-clubs-after.ini";
}

void TestEntryFiles::paramRewrite()
{
    QFETCH(int, family);
    QFETCH(QString, after);

    TestDir dir;
    Core::GalaState gala = Gala(Core::GalaSelect);
    gala.GalaParamFile = dir.Write("select.ini", Golden("params-before.ini"));
    for (const QString &words : QStringList{"1 F 50 FS", "2 M 100 BR", "3 F 100 FS"}) {
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
    const bool ok = ParamFamily(family) == ParamFamily::Events
                        ? RewriteEventLines(gala, dir.Path(), &error)
                        : RewriteClubLines(gala, dir.Path(), &error);
    QVERIFY2(ok, qPrintable(error));
    QCOMPARE(TestDir::Read(gala.GalaParamFile), Golden(after));
    QCOMPARE(TestDir::Read(dir.FilePath(TmpIniName)), Golden(after));

    // An empty family leaves the other lines and one "End=End".
    QVERIFY(RewriteParamFamily(gala.GalaParamFile, dir.FilePath(TmpIniName), ParamFamily(family),
                               {}, &error));
    const QByteArray emptied = TestDir::Read(gala.GalaParamFile);
    QCOMPARE(emptied.count("End=End"), 1);
    QCOMPARE(emptied.count(family == int(ParamFamily::Events) ? "event=" : "club="), 0);
    QVERIFY(!RewriteParamFamily(dir.FilePath("missing.ini"), dir.FilePath(TmpIniName),
                                ParamFamily::Clubs, {}, &error));
    QVERIFY(error.contains("missing.ini"));
}

QTEST_GUILESS_MAIN(TestEntryFiles)
#include "tst_entryfiles.moc"
