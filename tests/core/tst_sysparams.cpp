#include <QTest>

#include "core/galastate.h"
#include "core/settings.h"
#include "core/startup.h"
#include "core/sysparams.h"
#include "core/textutil.h"
#include "support/scriptedprompts.h"
#include "support/testfiles.h"

using Core::SystemSettings;
using namespace Qt::StringLiterals;

namespace {

const QString BadgeWarning = u"ASA Badge Times Incorrect"_s;
const QString GradeWarning = u"ASA Grade Times Incorrect"_s;

// `pattern` with %1 running from 1 to `count`, joined with `separator`.
QString Numbered(const QString &pattern, int count, QChar separator = u'\n')
{
    QStringList lines;
    for (int i = 1; i <= count; ++i)
        lines.append(pattern.arg(i));
    return lines.join(separator);
}

QString Times(const QList<float> &t)
{
    return u"%1:%2:%3"_s.arg(t.size()).arg(double(t.value(0))).arg(double(t.value(t.size() - 1)));
}

// The settings the table below checks, one "Name=value" each.
QStringList Summary(const SystemSettings &s)
{
    QStringList gala, bag, dist50, pb;
    for (const Core::PbEvent &event : s.PbEventLabel)
        pb.append(event.Label);
    for (int i = 0; i < s.GalaFileCount(); ++i)
        gala.append(s.GalaFileNames[i] + u',' + s.GalaFilePaths[i]);
    for (const Core::BagRow &r : s.BagTable)
        bag.append(u"%1:%2:%3:"_s.arg(r.Text1).arg(r.Int1 + r.Int2).arg(r.Text2) + Times(r.Times));
    for (const Core::Dist50Row &row : s.Dist50)
        dist50.append(row.Word1 + u':' + Times(row.Times) + u':' + row.Numbers.join(u' '));
    // clang-format off
    return {u"PbFile="_s + s.PbFile, u"ClubName="_s + s.ClubName, u"Db="_s + s.DbFile + u'>' + s.DbFiles.join(u'|'),
            u"Natamar="_s + s.NatamarDb + u'>' + s.NatamarDbFiles.join(u'|'),
            u"Counts=%1 %2"_s.arg(s.AsaDist.size()).arg(s.Squads.size()), u"Grade="_s + Times(s.AsaGradeTimes),
            u"Badge="_s + Times(s.AsaBadgeTimes), u"Gala="_s + gala.join(u'|'), u"Bag="_s + bag.join(u'|'),
            u"Dist50="_s + dist50.join(u'|'), u"Pb="_s + pb.join(u' ')};
    // clang-format on
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
    // Without pbsystem.ini: simple mode, natamar.mdb beside the program when it is there, and
    // pbsys.mdb before zarnpb.mdb. A natamardb line names the meet database, which need not
    // exist: the load reports it when it is chosen.
    void startUp()
    {
        TestDir dir;
        const QString beside = dir.FilePath(u"natamar.mdb"_s), named = u"/club/meets2026.mdb"_s;
        for (const QString &expected : {QString(), beside, named}) {
            SystemSettings s;
            s.ClubName = u"left over"_s;
            Core::GalaState gala;
            ScriptedPrompts prompts;
            Core::StartUp(dir.Path(), s, gala, prompts);
            QCOMPARE(gala.ProgramMode, u"Entries"_s);
            QVERIFY(!gala.MeetDbOpen && !gala.UseMeetDb);
            QCOMPARE(s.NatamarDb + u'>' + s.NatamarDbFiles.join(u'|'), expected + u'>' + expected);
            if (expected.isEmpty()) {
                QCOMPARE(s.PbSystemMode + s.DbFiles.join(u'|') + s.ClubName,
                         u"SimpleNONEVelmora"_s);
                for (const QString &file : {u"natamar.mdb"_s, u"zarnpb.mdb"_s, u"pbsys.mdb"_s})
                    dir.Write(file, "SQLite format 3");
            } else if (expected == beside) {
                QCOMPARE(s.DbFiles, QStringList{dir.FilePath(u"pbsys.mdb"_s)});
                dir.Write(Core::SystemParamFileName,
                          "natamardb=" + named.toUtf8() + "\r\nEnd=End\r\n");
            }
        }
    }

    // One row per message, with the effect of the lines on the settings.
    void keywords_data()
    {
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<QString>("expected");
        QTest::addColumn<QString>("message"); // shown (once or more) before the warnings
        auto r = [](const char *name, const QString &lines, const QString &expected,
                    const QString &message = {}) {
            QTest::newRow(name) << lines.toUtf8() << expected << message;
        };
        // clang-format off
        r("value not trimmed", "clubname= Velmora ", "ClubName= Velmora ");
        // Blanks round "=" make another keyword; keywords are case-sensitive.
        r("not keywords", "# x\npbfile = x.mdb\nPBFILE=x.mdb", "PbFile=NONE");
        r("blank line ends", "clubname=A\n\nclubname=B", "ClubName=A", "Invalid Parameter");
        r("11 dbfiles", Numbered("dbfile=d%1", 11), "Db=d11>" + Numbered("d%1", 10, u'|'), "Too Many DB Files");
        r("101 natamardbs", Numbered("natamardb=n%1", 101), "Natamar=n101>" + Numbered("n%1", 100, u'|'),
          "Too Many Natamar Files");
        r("two commas", "galafile=a,b,c\ngalafile=G,c:g", "Gala=G,c:g", "Invalid Galafile Parameter");
        r("102 galafiles: each extra one replaces entry 100", Numbered("galafile=g%1,p%1", 102),
          "Gala=" + Numbered("g%1,p%1", 99, u'|') + "|g102,p102", "Too many gala files");
        r("bagtime rows", "bagpoints=10 20\nbagmax=2\nbagtime=G 9 10 BR 61.5 55\nbagtime=B 11 12 FS 40",
          "Bag=G:19:BR:2:61.5:55|B:23:FS:2:40:0");
        r("no bagmax", "bagpoints=10\nbagtime=G 9 10 BR 61", "Bag=", "BAG points array not defined");
        // A row beyond bagmax is refused; bagmax empties the table.
        r("bag full", "bagpoints=10\nbagmax=1\nbagtime=A 1 2 X 3\nbagtime=B 1 2 X 3\nbagmax=1\nbagtime=C 1 2 X 4",
          "Bag=C:3:X:1:4:4", "BAG Table full");
        r("asadist", "asadist=50 1\nasadist=100", "Counts=1 0", "Invalid Asa Distance Parameter");
        r("26 asadists", Numbered("asadist=%1 x", 26), "Counts=25 0", "Too Many Asa Distances");
        r("21 squads", Numbered("squad=s%1 v", 21), "Counts=0 20", "Too Many Squad Parameters");
        r("asagrade", "asagrade=F 10 50 FS 45.5 1:05.30 1.05.30 NT\nasagrade=F 10 50 FS 1 2 3", "Grade=4:45.5:0",
          "Incorrect ASA Grade Parameter");
        r("asagrade 541 held", Numbered("asagrade=F %1 50 FS 1 2 3 4", 137), "Grade=544:1:4",
          "Too many Asa Grade Times");
        r("asa", "asa=G 1 1:00 2:00.5 3\nasa=G 1 2 3", "Badge=3:60:3", "Incorrect ASA Badge Time Parameter");
        r("asa 10 held", Numbered("asa=G %1 1 2 3", 5), "Badge=12:1:3", "Too many ASA times");
        r("50conv joins the current row", "50conv=1:00 9\n50dist=100 BR\n50conv=1:05.5 3\n50conv=30 4\n50dist=200 FS\n"
          "50conv=2:00 5", "Dist50=100:2:65.5:30:3 4|200:1:120:120:5");
        // The stroke codes come after the lists: the labels are built once reading is over.
        r("pb labels", "pballstrokes=50 100\npbfreestyle=400\npbmedley=200 400\nrecages=9 10 Op\nfreestyle=FR\n"
          "breaststroke=BS\nbackstroke=BA\nbutterfly=FL\nmedley=IM",
          "Pb=50/FR 50/BS 50/BA 50/FL 100/FR 100/BS 100/BA 100/FL 400/FR 200/IM 400/IM");
        // clang-format on

        // Only the head of a huge file is read: the setting at its end is never reached.
        const QByteArray line("# ................................................ comment\n");
        const QByteArray huge = line.repeated(50 * 1024 * 1024 / line.size());
        QTest::newRow("50 MB") << "clubname=Early\n" + huge + "clubname=Late" << u"ClubName=Early"_s
                               << QString();
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

    void warnings()
    {
        // Badge lines, grade lines, whether a closing line follows, and the warnings. Without
        // the closing line the table-completing line is the last one, which is never used.
        const std::tuple<int, int, bool, QStringList> cases[] = {{4, 136, true, {}},
                                                                 {3, 136, true, {BadgeWarning}},
                                                                 {4, 135, true, {GradeWarning}},
                                                                 {4, 136, false, {GradeWarning}}};
        for (const auto &[badgeLines, gradeLines, closingLine, warnings] : cases) {
            const QString lines = Numbered(u"asa=G %1 1 2 3"_s, badgeLines) + u'\n' +
                                  Numbered(u"asagrade=F %1 50 FS 1 2 3 4"_s, gradeLines);
            ScriptedPrompts prompts;
            Read(lines.toUtf8() + (closingLine ? "\nEnd=End\n" : ""), prompts);
            QCOMPARE(prompts.Messages, warnings);
        }
    }
};

QTEST_GUILESS_MAIN(TestSysParams)
#include "tst_sysparams.moc"
