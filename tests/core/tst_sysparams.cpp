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

const QString BadgeWarning = u"ASA Badge Times Incorrect"_s;
const QString GradeWarning = u"ASA Grade Times Incorrect"_s;
const QStringList BothWarnings{BadgeWarning, GradeWarning};

// `pattern` with %1 running from 1 to `count`, joined with `separator`.
QString Numbered(const QString &pattern, int count, QChar separator = u'\n')
{
    QStringList lines;
    for (int i = 1; i <= count; ++i)
        lines.append(pattern.arg(i));
    return lines.join(separator);
}

// The lines as a parameter file, with a closing line because the last line is never used.
QByteArray File(const QString &lines)
{
    return (lines + u"\nEnd=End\n"_s).toUtf8();
}

QString Times(const QList<float> &t)
{
    return u"%1:%2:%3"_s.arg(t.size()).arg(double(t.value(0))).arg(double(t.value(t.size() - 1)));
}

// The settings the table below checks, one "Name=value" each.
QStringList Summary(const SystemSettings &s)
{
    QStringList gala, bag, dist50;
    for (int i = 0; i < s.GalaFileCount(); ++i)
        gala.append(s.GalaFileNames[i] + u',' + s.GalaFilePaths[i]);
    for (const Core::BagRow &r : s.BagTable)
        bag.append(u"%1:%2:%3:"_s.arg(r.Text1).arg(r.Int1 + r.Int2).arg(r.Text2) + Times(r.Times));
    for (const Core::Dist50Row &row : s.Dist50)
        dist50.append(row.Word1 + u':' + Times(row.Times) + u':' + row.Numbers.join(u' '));
    return {u"PbFile="_s + s.PbFile,
            u"ClubName="_s + s.ClubName,
            u"Db="_s + s.DbFile + u'>' + s.DbFiles.join(u'|'),
            u"Natamar="_s + s.NatamarDb + u'>' + s.NatamarDbFiles.join(u'|'),
            u"Counts=%1 %2"_s.arg(s.AsaDist.size()).arg(s.Squads.size()),
            u"Grade="_s + Times(s.AsaGradeTimes),
            u"Badge="_s + Times(s.AsaBadgeTimes),
            u"Gala="_s + gala.join(u'|'),
            u"Bag="_s + bag.join(u'|'),
            u"Dist50="_s + dist50.join(u'|')};
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
    void simpleModeWithoutFile_data()
    {
        QTest::addColumn<QStringList>("present");
        QTest::addColumn<QString>("expected");
        QTest::newRow("no database") << QStringList{} << u"NONE"_s;
        QTest::newRow("both: pbsys first")
            << QStringList{u"zarnpb.mdb"_s, u"pbsys.mdb"_s} << u"pbsys.mdb"_s;
    }
    void simpleModeWithoutFile()
    {
        QFETCH(QStringList, present);
        QFETCH(QString, expected);
        TestDir dir;
        for (const QString &name : present)
            dir.Write(name, "db");
        SystemSettings s;
        s.ClubName = u"left over"_s;
        ScriptedPrompts prompts;
        Core::ReadSystemParams(dir.Path(), s, prompts);

        const QString db = expected == u"NONE" ? expected : dir.FilePath(expected);
        QCOMPARE(s.PbSystemMode, u"Simple"_s);
        QCOMPARE(s.DbFiles, QStringList{db});
        QCOMPARE(s.ClubName, u"Velmora"_s);
        QCOMPARE(s.PbEventCount(), 22);
        QCOMPARE(s.PbEventLabel.first().Label + s.PbEventLabel.last().Label, u"25/FS400/MED"_s);
        QCOMPARE(s.RecAges.size(), 11);
    }

    // One row per message, with the effect of the lines on the settings.
    void keywords_data()
    {
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<QString>("expected");
        QTest::addColumn<QString>("message"); // shown (once or more) before the warnings
        auto row = [](const char *name, const QString &lines, const QString &expected,
                      const QString &message = {}) {
            QTest::newRow(name) << lines.toUtf8() << expected << message;
        };
        row("only comments", u"# club settings\n#pbfile=x.mdb"_s, u"PbFile=NONE"_s);
        row("value not trimmed", u"clubname= Velmora "_s, u"ClubName= Velmora "_s);
        row("blanks round = make another keyword", u"pbfile = x.mdb"_s, u"PbFile=NONE"_s);
        row("keywords are case-sensitive", u"PBFILE=x.mdb"_s, u"PbFile=NONE"_s);
        row("blank line stops reading", u"clubname=A\n\nclubname=B"_s, u"ClubName=A"_s,
            u"Invalid Parameter"_s);
        row("11 dbfiles", Numbered(u"dbfile=d%1"_s, 11),
            u"Db=d11>"_s + Numbered(u"d%1"_s, 10, u'|'), u"Too Many DB Files"_s);
        row("101 natamardbs", Numbered(u"natamardb=n%1"_s, 101),
            u"Natamar=n101>"_s + Numbered(u"n%1"_s, 100, u'|'), u"Too Many Natamar Files"_s);
        row("galafile with two commas", u"galafile=a,b,c\ngalafile=G,c:\\g.ini"_s,
            u"Gala=G,c:\\g.ini"_s, u"Invalid Galafile Parameter"_s);
        row("102 galafiles: each extra one replaces entry 100",
            Numbered(u"galafile=g%1,p%1"_s, 102),
            u"Gala="_s + Numbered(u"g%1,p%1"_s, 99, u'|') + u"|g102,p102"_s,
            u"Too many gala files"_s);
        row("bagtime rows",
            u"bagpoints=10 20\nbagmax=2\nbagtime=G 9 10 BR 61.5 55\nbagtime=B 11 12 FS 40"_s,
            u"Bag=G:19:BR:2:61.5:55|B:23:FS:2:40:0"_s);
        row("bagtime before bagmax", u"bagpoints=10\nbagtime=G 9 10 BR 61"_s, u"Bag="_s,
            u"BAG points array not defined"_s);
        row("bagtime beyond bagmax; bagmax empties the table",
            u"bagpoints=10\nbagmax=1\nbagtime=A 1 2 X 3\nbagtime=B 1 2 X 3\n"
            "bagmax=1\nbagtime=C 1 2 X 4"_s,
            u"Bag=C:3:X:1:4:4"_s, u"BAG Table full"_s);
        row("asadist needs 2 words", u"asadist=50 1\nasadist=100"_s, u"Counts=1 0"_s,
            u"Invalid Asa Distance Parameter"_s);
        row("26 asadists", Numbered(u"asadist=%1 x"_s, 26), u"Counts=25 0"_s,
            u"Too Many Asa Distances"_s);
        row("21 squads", Numbered(u"squad=s%1 v"_s, 21), u"Counts=0 20"_s,
            u"Too Many Squad Parameters"_s);
        row("asagrade times",
            u"asagrade=F 10 50 FS 45.5 1:05.30 1.05.30 NT\nasagrade=F 10 50 FS 1 2 3"_s,
            u"Grade=4:45.5:0"_s, u"Incorrect ASA Grade Parameter"_s);
        row("asagrade refused from 541 held", Numbered(u"asagrade=F %1 50 FS 1 2 3 4"_s, 137),
            u"Grade=544:1:4"_s, u"Too many Asa Grade Times"_s);
        row("asa times", u"asa=G 1 1:00 2:00.5 3:00\nasa=G 1 2 3"_s, u"Badge=3:60:180"_s,
            u"Incorrect ASA Badge Time Parameter"_s);
        row("asa refused from 10 held", Numbered(u"asa=G %1 1 2 3"_s, 5), u"Badge=12:1:3"_s,
            u"Too many ASA times"_s);
        row("50conv joins the current row",
            u"50conv=1:00 9\n50dist=100 BR\n50conv=1:05.5 3\n50conv=30 4\n"
            "50dist=200 FS\n50conv=2:00 5"_s,
            u"Dist50=100:2:65.5:30:3 4|200:1:120:120:5"_s);

        // Damaged files. Every byte value: the first line after the good one holds no "=".
        QByteArray binary("clubname=Binary\n");
        for (int i = 0; i < 256 * 4096; ++i)
            binary.append(char(i % 256));
        QTest::newRow("binary") << binary + "\nclubname=After" << u"ClubName=Binary"_s
                                << u"Invalid Parameter"_s;
        // The long value is cut, and the lines after it are still read.
        QTest::newRow("1 MB line") << "pbfile=" + QByteArray(1000 * 1000, 'x') + "\nclubname=After"
                                   << u"ClubName=After"_s << QString();
        // Only the head of a huge file is read: the setting at its end is never reached.
        const QByteArray comment("# ................................................ comment\n");
        QTest::newRow("50 MB") << "clubname=Early\n" +
                                      comment.repeated(50 * 1024 * 1024 / comment.size()) +
                                      "clubname=Late"
                               << u"ClubName=Early"_s << QString();
    }
    void keywords()
    {
        QFETCH(QByteArray, content);
        QFETCH(QString, expected);
        QFETCH(QString, message);
        ScriptedPrompts prompts;
        const SystemSettings s = Read(content + "\nEnd=End\n", prompts);
        QCOMPARE(s.PbSystemMode, u"Full"_s);
        QVERIFY(s.PbFile.size() <= Core::ParamLineReader::MaxParamLineLength);
        QVERIFY2(Summary(s).contains(expected), qPrintable(Summary(s).join(u'\n')));
        QStringList shown = prompts.Messages;
        while (!shown.isEmpty() && (shown.last() == BadgeWarning || shown.last() == GradeWarning))
            shown.removeLast();
        shown.removeDuplicates();
        QCOMPARE(shown, message.isEmpty() ? QStringList{} : QStringList{message});
    }

    void warnings_data()
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
    void warnings()
    {
        QFETCH(int, badgeLines);
        QFETCH(int, gradeLines);
        QFETCH(bool, closingLine);
        QFETCH(QStringList, warnings);
        const QString lines = Numbered(u"asa=G %1 1 2 3"_s, badgeLines) + u'\n' +
                              Numbered(u"asagrade=F %1 50 FS 1 2 3 4"_s, gradeLines);
        ScriptedPrompts prompts;
        Read(closingLine ? File(lines) : lines.toUtf8(), prompts);
        QCOMPARE(prompts.Messages, warnings);
    }

    void pbEventLabelOrder()
    {
        // The stroke codes come after the lists: the labels are built once reading is over.
        const QString lines = u"pballstrokes=50 100\npbfreestyle=400\npbmedley=200 400\n"
                              "recages=9 10 Op\nfreestyle=FR\nbreaststroke=BS\nbackstroke=BA\n"
                              "butterfly=FL\nmedley=IM"_s;
        ScriptedPrompts prompts;
        const SystemSettings s = Read(File(lines), prompts);
        QStringList labels;
        for (const Core::PbEvent &event : s.PbEventLabel)
            labels.append(event.Label);
        QCOMPARE(labels.join(u' '), u"50/FR 50/BS 50/BA 50/FL 100/FR 100/BS 100/BA 100/FL 400/FR "
                                    "200/IM 400/IM"_s);
    }
};

QTEST_GUILESS_MAIN(TestSysParams)
#include "tst_sysparams.moc"
