#include <QByteArray>
#include <QObject>
#include <QStringList>
#include <QTest>

#include "core/settings.h"
#include "core/sysparams.h"
#include "core/textutil.h"
#include "support/scriptedprompts.h"
#include "support/testfiles.h"

using Core::SystemSettings;
using namespace Qt::StringLiterals;

namespace {

const QString BadgeWarning = QStringLiteral("ASA Badge Times Incorrect");
const QString GradeWarning = QStringLiteral("ASA Grade Times Incorrect");
const QStringList BothWarnings{BadgeWarning, GradeWarning};

// The lines as a parameter file, with a closing line because the last line is never used.
QByteArray File(const QStringList &lines)
{
    return (lines.join(u'\n') + QStringLiteral("\nEnd=End\n")).toUtf8();
}

// `count` lines made from `pattern`, %1 running from 1.
QStringList Numbered(const QString &pattern, int count)
{
    QStringList lines;
    for (int i = 1; i <= count; ++i)
        lines.append(pattern.arg(i));
    return lines;
}

QString NumberedJoined(const QString &pattern, int from, int to)
{
    QStringList items;
    for (int i = from; i <= to; ++i)
        items.append(pattern.arg(i));
    return items.join(u'|');
}

QString Times(const QList<float> &times)
{
    return QStringLiteral("%1:%2:%3")
        .arg(times.size())
        .arg(double(times.value(0)))
        .arg(double(times.value(times.size() - 1)));
}

// One setting as text, so that one table can check settings of every kind.
QString Render(const SystemSettings &s, const QString &field)
{
    QStringList items;
    if (field == u"PbFile")
        return s.PbFile;
    if (field == u"ClubName")
        return s.ClubName;
    if (field == u"Db")
        return s.DbFile + u'>' + s.DbFiles.join(u'|');
    if (field == u"Natamar")
        return s.NatamarDb + u'>' + s.NatamarDbFiles.join(u'|');
    if (field == u"PbAllStrokeDist")
        return s.PbAllStrokeDist.join(u'|');
    if (field == u"AsaDist")
        return QString::number(s.AsaDist.size());
    if (field == u"Squads")
        return QString::number(s.Squads.size());
    if (field == u"AsaGradeTimes")
        return Times(s.AsaGradeTimes);
    if (field == u"AsaBadgeTimes")
        return Times(s.AsaBadgeTimes);
    if (field == u"GalaFiles") {
        for (int i = 0; i < s.GalaFileCount(); ++i)
            items.append(s.GalaFileNames[i] + u',' + s.GalaFilePaths[i]);
    } else if (field == u"BagTable") {
        for (const Core::BagRow &row : s.BagTable) {
            items.append(row.Text1 + u':' + QString::number(row.Int1 + row.Int2) + u':' +
                         row.Text2 + u':' + Times(row.Times));
        }
    } else if (field == u"Dist50") {
        for (const Core::Dist50Row &row : s.Dist50)
            items.append(row.Word1 + u':' + Times(row.Times) + u':' + row.Numbers.join(u' '));
    } else {
        QTest::qFail("unknown field in the test table", __FILE__, __LINE__);
    }
    return items.join(u'|');
}

// Messages shown before the end-of-reading warnings, which warnings() checks on their own.
QStringList MessagesBeforeWarnings(QStringList messages)
{
    while (!messages.isEmpty() &&
           (messages.last() == BadgeWarning || messages.last() == GradeWarning))
        messages.removeLast();
    return messages;
}

// Writes `content` as pbsystem.ini into a fresh folder and reads it.
SystemSettings Read(const QByteArray &content, ScriptedPrompts &prompts)
{
    TestDir dir;
    dir.Write(Core::SystemParamFileName, content);
    SystemSettings settings;
    Core::ReadSystemParams(dir.Path(), settings, prompts);
    return settings;
}

} // namespace

class TestSysParams : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void simpleModeWithoutFile_data();
    void simpleModeWithoutFile();
    void onlyComments();
    void keywords_data();
    void keywords();
    void warnings_data();
    void warnings();
    void pbEventLabelOrder();
    void damagedFiles_data();
    void damagedFiles();
};

void TestSysParams::simpleModeWithoutFile_data()
{
    QTest::addColumn<QStringList>("present");
    QTest::addColumn<QString>("expected");

    QTest::newRow("no database") << QStringList{} << QStringLiteral("NONE");
    QTest::newRow("pbsys") << QStringList{u"pbsys.mdb"_s} << QStringLiteral("pbsys.mdb");
    QTest::newRow("zarnpb") << QStringList{u"zarnpb.mdb"_s} << QStringLiteral("zarnpb.mdb");
    QTest::newRow("both: pbsys first")
        << QStringList{u"zarnpb.mdb"_s, u"pbsys.mdb"_s} << QStringLiteral("pbsys.mdb");
}

void TestSysParams::simpleModeWithoutFile()
{
    QFETCH(QStringList, present);
    QFETCH(QString, expected);

    TestDir dir;
    for (const QString &name : present)
        dir.Write(name, "db");
    SystemSettings s;
    s.ClubName = QStringLiteral("left over");
    ScriptedPrompts prompts;
    Core::ReadSystemParams(dir.Path(), s, prompts);

    const QString db = expected == u"NONE" ? expected : dir.FilePath(expected);
    QCOMPARE(s.PbSystemMode, QStringLiteral("Simple"));
    QCOMPARE(s.DbFile, db);
    QCOMPARE(s.DbFiles, QStringList{db});
    QCOMPARE(s.PbFile, QStringLiteral("NONE"));
    QCOMPARE(s.ClubName, QStringLiteral("Velmora"));
    QCOMPARE(s.PbEventCount(), 22);
    QCOMPARE(s.PbEventLabel.first().Label, QStringLiteral("25/FS"));
    QCOMPARE(s.PbEventLabel[16].Label, QStringLiteral("400/FS"));
    QCOMPARE(s.PbEventLabel.last().Label, QStringLiteral("400/MED"));
    QCOMPARE(s.RecAges.size(), 11);
    QCOMPARE(s.RecordsTableSize, 2 * 22 * 11);
    QCOMPARE(prompts.Messages, QStringList{});
}

void TestSysParams::onlyComments()
{
    ScriptedPrompts prompts;
    const SystemSettings s = Read("# club settings\n#pbfile=x.mdb\n# end\n", prompts);

    QCOMPARE(s.PbSystemMode, QStringLiteral("Full"));
    QCOMPARE(s.PbFile, QStringLiteral("NONE"));
    QVERIFY(s.DbFiles.isEmpty() && s.PbAllStrokeDist.isEmpty() && s.PbFreestyleDist.isEmpty() &&
            s.PbMedleyDist.isEmpty() && s.RecAges.isEmpty());
    QCOMPARE(s.PbEventCount(), 0);
    QCOMPARE(s.RecordsTableSize, 0);
    QCOMPARE(prompts.Messages, BothWarnings);
}

void TestSysParams::keywords_data()
{
    QTest::addColumn<QStringList>("lines");
    QTest::addColumn<QString>("field");
    QTest::addColumn<QString>("expected");
    QTest::addColumn<QStringList>("messages");
    const QStringList none;
    auto row = [](const char *name, const QStringList &lines, const QString &field,
                  const QString &expected, const QStringList &messages) {
        QTest::newRow(name) << lines << field << expected << messages;
    };

    row("text value not trimmed", {u"clubname= Velmora Marlets "_s}, u"ClubName"_s,
        u" Velmora Marlets "_s, none);
    row("blanks round = make another keyword", {u"pbfile = x.mdb"_s}, u"PbFile"_s, u"NONE"_s, none);
    row("keywords are case-sensitive", {u"PBFILE=x.mdb"_s}, u"PbFile"_s, u"NONE"_s, none);
    row("blank line stops reading", {u"clubname=A"_s, u""_s, u"clubname=B"_s}, u"ClubName"_s,
        u"A"_s, {u"Invalid Parameter"_s});

    row("pballstrokes twice keeps 10",
        {u"pballstrokes=1 2 3 4 5 6"_s, u"pballstrokes=7  8 9 10 11 12"_s}, u"PbAllStrokeDist"_s,
        NumberedJoined(u"%1"_s, 1, 10), none);
    row("11 dbfiles", Numbered(u"dbfile=d%1"_s, 11), u"Db"_s,
        u"d11>"_s + NumberedJoined(u"d%1"_s, 1, 10), {u"Too Many DB Files"_s});
    row("101 natamardbs", Numbered(u"natamardb=n%1"_s, 101), u"Natamar"_s,
        u"n101>"_s + NumberedJoined(u"n%1"_s, 1, 100), {u"Too Many Natamar Files"_s});

    row("galafile pair", {u"galafile=Club Gala,c:\\galas\\club.ini"_s}, u"GalaFiles"_s,
        u"Club Gala,c:\\galas\\club.ini"_s, none);
    row("galafile without comma", {u"galafile=Club Gala"_s}, u"GalaFiles"_s, {},
        {u"Invalid Galafile Parameter"_s});
    row("galafile with two commas", {u"galafile=a,b,c"_s}, u"GalaFiles"_s, {},
        {u"Invalid Galafile Parameter"_s});
    row("102 galafiles: each extra one replaces entry 100", Numbered(u"galafile=g%1,p%1"_s, 102),
        u"GalaFiles"_s, NumberedJoined(u"g%1,p%1"_s, 1, 99) + u"|g102,p102"_s,
        {u"Too many gala files"_s, u"Too many gala files"_s});

    row("bagtime rows",
        {u"bagpoints=10 20"_s, u"bagmax=2"_s, u"bagtime=G 9 10 BR 61.5 55"_s,
         u"bagtime=B 11 12 FS 40"_s},
        u"BagTable"_s, u"G:19:BR:2:61.5:55|B:23:FS:2:40:0"_s, none);
    row("bagtime before bagmax", {u"bagpoints=10"_s, u"bagtime=G 9 10 BR 61"_s}, u"BagTable"_s, {},
        {u"BAG points array not defined"_s});
    row("bagtime before bagpoints", {u"bagmax=3"_s, u"bagtime=G 9 10 BR 61"_s}, u"BagTable"_s, {},
        {u"BAG points array not defined"_s});
    row("bagtime beyond bagmax; bagmax empties the table",
        {u"bagpoints=10"_s, u"bagmax=1"_s, u"bagtime=A 1 2 X 3"_s, u"bagtime=B 1 2 X 3"_s,
         u"bagmax=1"_s, u"bagtime=C 1 2 X 4"_s},
        u"BagTable"_s, u"C:3:X:1:4:4"_s, {u"BAG Table full"_s});

    row("asadist needs 2 words", {u"asadist=50 1"_s, u"asadist=100"_s, u"asadist=100 2 3"_s},
        u"AsaDist"_s, u"1"_s,
        {u"Invalid Asa Distance Parameter"_s, u"Invalid Asa Distance Parameter"_s});
    row("26 asadists", Numbered(u"asadist=%1 x"_s, 26), u"AsaDist"_s, u"25"_s,
        {u"Too Many Asa Distances"_s});
    row("asagrade times",
        {u"asagrade=F 10 50 FS 45.5 1:05.30 1.05.30 NT"_s, u"asagrade=F 10 50 FS 1 2 3"_s},
        u"AsaGradeTimes"_s, u"4:45.5:0"_s, {u"Incorrect ASA Grade Parameter"_s});
    row("asagrade refused from 541 held", Numbered(u"asagrade=F %1 50 FS 1 2 3 4"_s, 137),
        u"AsaGradeTimes"_s, u"544:1:4"_s, {u"Too many Asa Grade Times"_s});
    row("asa times", {u"asa=G 1 1:00 2:00.5 3:00"_s, u"asa=G 1 2 3"_s}, u"AsaBadgeTimes"_s,
        u"3:60:180"_s, {u"Incorrect ASA Badge Time Parameter"_s});
    row("asa refused from 10 held", Numbered(u"asa=G %1 1 2 3"_s, 5), u"AsaBadgeTimes"_s,
        u"12:1:3"_s, {u"Too many ASA times"_s});
    row("21 squads", Numbered(u"squad=s%1 v"_s, 21), u"Squads"_s, u"20"_s,
        {u"Too Many Squad Parameters"_s});

    row("50conv joins the current row",
        {u"50conv=1:00 9"_s, u"50dist=100 BR"_s, u"50conv=1:05.5 3"_s, u"50conv=30 4"_s,
         u"50dist=200 FS"_s, u"50conv=2:00 5"_s},
        u"Dist50"_s, u"100:2:65.5:30:3 4|200:1:120:120:5"_s, none);
    row("21st 50dist and its conversions dropped",
        Numbered(u"50dist=%1 X"_s, 21) << u"50conv=10 1"_s, u"Dist50"_s,
        NumberedJoined(u"%1:0:0:0:"_s, 1, 20), none);
}

void TestSysParams::keywords()
{
    QFETCH(QStringList, lines);
    QFETCH(QString, field);
    QFETCH(QString, expected);
    QFETCH(QStringList, messages);

    ScriptedPrompts prompts;
    const SystemSettings s = Read(File(lines), prompts);
    QCOMPARE(s.PbSystemMode, QStringLiteral("Full"));
    QCOMPARE(Render(s, field), expected);
    QCOMPARE(MessagesBeforeWarnings(prompts.Messages), messages);
}

void TestSysParams::warnings_data()
{
    QTest::addColumn<int>("badgeLines");
    QTest::addColumn<int>("gradeLines");
    QTest::addColumn<bool>("closingLine");
    QTest::addColumn<QStringList>("warnings");

    QTest::newRow("both tables complete") << 4 << 136 << true << QStringList{};
    QTest::newRow("badge short") << 3 << 136 << true << QStringList{BadgeWarning};
    QTest::newRow("grade short") << 4 << 135 << true << QStringList{GradeWarning};
    // The table-completing line is then the file's last line, which is never used.
    QTest::newRow("last line never used") << 4 << 136 << false << QStringList{GradeWarning};
}

void TestSysParams::warnings()
{
    QFETCH(int, badgeLines);
    QFETCH(int, gradeLines);
    QFETCH(bool, closingLine);
    QFETCH(QStringList, warnings);

    const QStringList lines = Numbered(u"asa=G %1 1 2 3"_s, badgeLines) +
                              Numbered(u"asagrade=F %1 50 FS 1 2 3 4"_s, gradeLines);
    ScriptedPrompts prompts;
    Read(closingLine ? File(lines) : lines.join(u'\n').toUtf8(), prompts);
    QCOMPARE(prompts.Messages, warnings);
}

void TestSysParams::pbEventLabelOrder()
{
    // The stroke codes come after the lists: the labels are built once reading is over.
    const QStringList lines{u"pballstrokes=50 100"_s, u"pbfreestyle=400"_s, u"pbmedley=200 400"_s,
                            u"recallstrokes=50"_s,    u"recmedley=200"_s,   u"recages=9 10 Op"_s,
                            u"freestyle=FR"_s,        u"breaststroke=BS"_s, u"backstroke=BA"_s,
                            u"butterfly=FL"_s,        u"medley=IM"_s};
    ScriptedPrompts prompts;
    const SystemSettings s = Read(File(lines), prompts);

    QStringList labels;
    for (const Core::PbEvent &event : s.PbEventLabel) {
        labels.append(event.Label);
        QCOMPARE(event.Distance + u'/' + event.Stroke, event.Label);
    }
    QCOMPARE(labels,
             (QStringList{u"50/FR"_s, u"50/BS"_s, u"50/BA"_s, u"50/FL"_s, u"100/FR"_s, u"100/BS"_s,
                          u"100/BA"_s, u"100/FL"_s, u"400/FR"_s, u"200/IM"_s, u"400/IM"_s}));
    QCOMPARE(s.PbEventLabel[9].Stroke, QStringLiteral("IM"));
    QCOMPARE(s.RecordsTableSize, 2 * (4 * 1 + 0 + 1) * 3);
    QCOMPARE(prompts.Messages, BothWarnings);
}

void TestSysParams::damagedFiles_data()
{
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<QString>("clubName");
    QTest::addColumn<QStringList>("messages");

    // Every byte value; the first line after the good one holds no "=".
    QByteArray binary("clubname=Binary\n");
    for (int i = 0; i < 256 * 4096; ++i)
        binary.append(char(i % 256));
    binary.append("clubname=After\nEnd=End\n");
    QTest::newRow("binary") << binary << u"Binary"_s
                            << QStringList{u"Invalid Parameter"_s} + BothWarnings;

    // The long value is cut, and the lines after it are still read.
    QTest::newRow("1 MB line") << "pbfile=" + QByteArray(1000 * 1000, 'x') +
                                      "\nclubname=After\nEnd=End\n"
                               << u"After"_s << BothWarnings;

    // Only the head of a huge file is read: the setting at its end is never reached.
    const QByteArray comment("# ................................................ comment\n");
    QByteArray huge = "clubname=Early\n" + comment.repeated(50 * 1024 * 1024 / comment.size());
    huge += "clubname=Late\nEnd=End\n";
    QTest::newRow("50 MB") << huge << u"Early"_s << BothWarnings;
}

void TestSysParams::damagedFiles()
{
    QFETCH(QByteArray, content);
    QFETCH(QString, clubName);
    QFETCH(QStringList, messages);

    ScriptedPrompts prompts;
    const SystemSettings s = Read(content, prompts);
    QCOMPARE(s.ClubName, clubName);
    QVERIFY(s.PbFile.size() <= Core::ParamLineReader::MaxParamLineLength);
    QCOMPARE(prompts.Messages, messages);
}

QTEST_GUILESS_MAIN(TestSysParams)
#include "tst_sysparams.moc"
