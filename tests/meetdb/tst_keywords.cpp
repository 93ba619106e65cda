#include <QHash>
#include <QObject>
#include <QTest>

#include "core/galastate.h"
#include "meetdb/keywords.h"
#include "support/scriptedprompts.h"
#include "support/testfiles.h"

using Core::GalaState;

namespace {

// The part of the gala state a table row checks, as one text.
QString Probe(const GalaState &g, const QString &what)
{
    QStringList parts;
    if (what == u"Events") {
        // number|print|sequence|sex|group|distance|stroke|date|limit|final|note|bcp|max|sponsor
        for (const Core::GalaEvent &e : g.Events) {
            QStringList f;
            f << e.EvNumber << e.EvPrintNumber << QString::number(e.EvSequence) << e.EvSex
              << e.EvGroup << e.EvDistance << e.EvStroke << e.EvDate
              << QString::number(e.EvLimitTime) << e.EvFinalEvent << e.EvNote << e.EvBcpAge
              << QString::number(e.EvMaxEntries) << e.EvSponsor;
            parts << f.join(u'|');
        }
    } else if (what == u"Dates" || what == u"PrintNumbers") {
        for (const Core::GalaEvent &e : g.Events)
            parts << (what == u"Dates" ? e.EvDate : e.EvPrintNumber);
    } else if (what == u"Groups") {
        for (const Core::GalaGroup &gr : g.Groups)
            parts << QStringList{gr.GroupName, gr.GroupDescription, gr.GroupPrint,
                                 gr.GroupCombinePrint}
                         .join(u'|');
    } else if (what == u"Clubs") {
        for (const Core::GalaClub &c : g.Clubs)
            parts << c.Code + u'=' + c.Name;
    } else if (what == u"Combinations") {
        for (const QStringList &c : g.Combinations)
            parts << c.join(u' ');
    } else if (what == u"StrokeFlag") {
        for (int f : g.StrokeFlag)
            parts << QString::number(f);
    } else {
        QStringList counts; // the tables that hold anything
        for (const auto &[count, name] : {std::pair{g.EventCount(), "events"},
                                          {g.GroupCount(), "groups"},
                                          {g.ClubTotal(), "clubs"},
                                          {int(g.SeedGroups.size()), "seed groups"},
                                          {g.CombineCount(), "combinations"},
                                          {int(g.MandEvents.size()), "mandatory"}})
            if (count > 0)
                counts << QString::number(count) + u' ' + QLatin1String(name);
        const auto n = [](auto value) { return QString::number(value); };
        const QHash<QString, QString> fields{
            {u"AgeGroups"_qs, n(g.AgeGroups)},
            {u"TwoTimes"_qs, n(g.TwoTimes)},
            {u"Junior"_qs, n(g.Junior)},
            {u"Hdw"_qs, n(g.Hdw)},
            {u"Aoe"_qs, n(g.Aoe)},
            {u"SplitLastHeats"_qs, n(g.SplitLastHeats)},
            {u"Lanes"_qs, n(g.Lanes) + u'/' + n(g.FinalLanes)},
            {u"CardDate"_qs, g.CardDate},
            {u"Counts and reserves"_qs,
             QStringList{n(g.HeatReserves), n(g.FinalReserves), n(g.SplitInterval), n(g.ClubCount)}
                 .join(u'/')},
            {u"GalaName"_qs, g.GalaName},
            {u"GalaTitle"_qs, g.GalaTitle},
            {u"GalaDate"_qs, g.GalaDate + u'/' + g.GalaDateText},
            {u"WwwDir"_qs, g.WwwDir},
            {u"Announcer"_qs, n(g.AnnouncerOn) + u' ' + g.AnnouncerDb},
            {u"SwimHeats"_qs, g.SwimHeats.join(u' ')},
            {u"Counts"_qs, counts.join(u", ")},
        };
        return fields.value(what, u"unknown probe"_qs);
    }
    return parts.join(u';');
}

QStringList Numbered(const QString &pattern, int count)
{
    QStringList lines;
    for (int i = 1; i <= count; ++i)
        lines << pattern.arg(i);
    return lines;
}

const QString EventIgnored =
    u"Event line ignored (needs number, sex, group, distance and stroke): event="_qs;

} // namespace

class TestKeywords : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void keywords_data()
    {
        QTest::addColumn<QStringList>("lines");
        QTest::addColumn<QString>("probe");
        QTest::addColumn<QString>("expected");
        QTest::addColumn<QStringList>("messages");
        auto row = [](const char *tag, const QStringList &lines, const QString &probe,
                      const QString &expected, const QStringList &messages = {}) {
            QTest::newRow(tag) << lines << probe << expected << messages;
        };
        const QString date = u"galadate=01/06/24"_qs;
        const QString lanesInvalid = u"Lanes paramater invalid"_qs;

        // Flags: "on" keywords only switch on, "set" keywords follow every line, only "TRUE" is
        // true; aoe/splitlastheats read true/false in any case or a number.
        row("on: stays on", {"agegroups=TRUE", "agegroups=FALSE"}, "AgeGroups", "1");
        row("on: lower case", {"2times=true"}, "TwoTimes", "0");
        row("set: clears", {"junior=TRUE", "junior=yes"}, "Junior", "0");
        row("set: not trimmed", {"hdw=TRUE "}, "Hdw", "0");
        row("aoe: mixed case", {"aoe=True"}, "Aoe", "1");
        row("aoe: stays on", {"aoe=1", "aoe=false", "aoe=0"}, "Aoe", "1");
        row("splitlastheats: blanks", {"splitlastheats= 2 "}, "SplitLastHeats", "1");

        // Plain values and messages.
        row("lanes 3 keeps previous, finallanes 9", {"lanes=7", "lanes=3", "finallanes=9"}, "Lanes",
            "7/0", {lanesInvalid, lanesInvalid});
        row("carddate Age", {"carddate=Age"}, "CardDate", "DOB",
            {"Invalid entry card date of birth option"});
        row("wwwdir", {"wwwdir=meets\\spring"}, "WwwDir", "\\meets\\spring");
        row("announcer", {"announcer=ann.mdb"}, "Announcer", "1 ann.mdb");
        row("warn", {"warn=Check lanes "}, "GalaName", "Internal Gala", {"Check lanes "});
        row("split at first =, not trimmed", {"galatitle= a=b "}, "GalaTitle", " a=b ");
        row("skipped silently", {"lanes 7", "Lanes=7", "lanes =7", "webheader=x", ""}, "Lanes",
            "5/0");
        row("End stops everything", {date, "End=End", "galadate=02/06/24", "warn=late"}, "GalaDate",
            "01/06/24/01/06/24");
        row("stroke switches",
            {"defaultstroke=BR", "inhibitstroke=FLYR", "inhibitstroke=XX", "defaultstroke=fs"},
            "StrokeFlag", "1;1;2;1;1;1;1;1;1;0;1");
        row("swimheats", {"swimheats=1  2", "swimheats=3"}, "SwimHeats", "1 2 3");
        row("swimheats empty", {"swimheats=  "}, "SwimHeats", "",
            {"No heats on swimheats parameter"});

        // Whole-number keywords: a value out of its range is refused, the earlier one kept.
        auto notWhole = [](const char *keyword, const char *value, int min, int max) {
            return u"%1 value \"%2\" is not a whole number from %3 to %4: line ignored"_qs
                .arg(QLatin1String(keyword), QLatin1String(value))
                .arg(min)
                .arg(max);
        };
        row("counts in range",
            {"heatreserves= 3", "finalreserves=0", "splitinterval=25", "clubcount=40"},
            "Counts and reserves", "3/0/25/40");
        row("counts out of range",
            {"heatreserves=-1", "finalreserves=abc", "splitinterval=0", "splitinterval=1e300",
             "clubcount=99999", "heatreserves=2147483648"},
            "Counts and reserves", "0/2/50/500",
            {notWhole("heatreserves", "-1", 0, 99), notWhole("finalreserves", "abc", 0, 99),
             notWhole("splitinterval", "0", 1, 10000), notWhole("splitinterval", "1e300", 1, 10000),
             notWhole("clubcount", "99999", 0, 10000),
             notWhole("heatreserves", "2147483648", 0, 99)});

        // Clubs: code before the first blank, name after it.
        row("clubs", {"club=VMS Velmora SC", "club=NOBLANK", "club=ABC  X"}, "Clubs",
            "VMS=Velmora SC;ABC= X");
        row("clubcount empties", {"club=A a", "clubcount=3", "club=B b"}, "Clubs", "B=b");
        row("clubcount 0", {"clubcount=0", "club=VMS Velmora"}, "Clubs", "",
            {"Must include clubcount"});

        row("event, five words", {date, "group=10U Ten", "event=101 M 10U 50 FS"}, "Events",
            "101|101|1|M|10U|50|FS|01/06/24|0||||0|");
        row("event, commas, date, T and M",
            {date, "group=12-14 Teens", "event=7,F,12-14,100,BR,15/06/24,T1:05.5,M24"}, "Events",
            "7|7|1|F|12-14|100|BR|15/06/24|65.5||||24|");
        row("event, commas, empty date, blanks",
            {date, "group=10U Ten", "event=4, M ,10U,50,FS,,T40,"}, "Events",
            "4|4|1|M|10U|50|FS|01/06/24|40||||0|");
        row("event, every option",
            {"group=9U Nine", "event=3 M 9U 25 FLY 01/07/24 Fev9 NNovice Bage SAcme t5 Qz M8"},
            "Events", "3|3|1|M|9U|25|FLY|01/07/24|0|ev9|Novice|age|8|Acme");
        row("event, date of that moment",
            {"group=A Open", "event=1 M A 50 FS", date, "event=2 F A 50 FS"}, "Dates", ";01/06/24");
        row("event, incomplete", {"event=6 M 10U 50", "event=6,M,10U,50,,01/06/24"}, "Events", "",
            {EventIgnored + u"6 M 10U 50"_qs, EventIgnored + u"6,M,10U,50,,01/06/24"_qs});
        row("eventprintno first", {"eventprintno=1 1a", "group=A Open", "event=1 M A 50 FS"},
            "PrintNumbers", "1", {"Must enter event first"});
        row("eventprintno every match",
            {"group=A Open", "event=1 M A 50 FS", "event=2 F A 50 FS", "event=1 F A 50 FS",
             "eventprintno=1 1a", "eventprintno=2"},
            "PrintNumbers", "1a;2;1a");

        // Refused event lines: nobody could be entered in them, or the distance is nonsense.
        auto ignored = [](const char *reason, const QString &value) {
            return u"Event line ignored (%1): event=%2"_qs.arg(QLatin1String(reason), value);
        };
        QStringList badEvents{"group=A Open", "event=1 Q A 50 FS", "event=2 M B 50 FS",
                              "event=3 M A 50 XX", "event=9 M A 50 fs"};
        QStringList refusals{ignored("sex \"Q\" is not M, F or X", "1 Q A 50 FS"),
                             ignored("group \"B\" has no group line before it", "2 M B 50 FS"),
                             ignored("stroke \"XX\" is not a stroke code", "3 M A 50 XX"),
                             ignored("stroke \"fs\" is not a stroke code", "9 M A 50 fs")};
        for (const char *distance : {"0", "50.5", "inf", "1e300", "10001"}) {
            badEvents << u"event=4 M A %1 FS"_qs.arg(QLatin1String(distance));
            refusals << u"Event line ignored (distance \"%1\" is not a whole number of metres "
                        "from 1 to 10000): event=4 M A %1 FS"_qs.arg(QLatin1String(distance));
        }
        row("event, bad fields",
            badEvents + QStringList{"event=10 X A 10000 FSR", "event=12 M A 50 FS 01/06/24 M1e300"},
            "PrintNumbers", "10",
            refusals + QStringList{ignored("entry limit \"M1e300\" is not M and a whole number "
                                           "from 0 to 32767",
                                           "12 M A 50 FS 01/06/24 M1e300")});

        // Meet texts: at most 100 characters (paths 260), never a control character.
        const QString longName(MeetDb::MaxMeetNameLength + 1, u'N');
        row("galaname of 100", {"galaname=" + longName.left(100)}, "GalaName", longName.left(100));
        row("galaname refused",
            {"galaname=" + longName, u"galaname=Spring\x1b[2J"_qs, u"galatitle=A\0B"_qs,
             u"promoter=A\tB"_qs, "galadir=" + QString(261, u'd')},
            "GalaName", "Internal Gala",
            {"galaname value is longer than 100 characters: line ignored",
             "galaname value holds a control character: line ignored",
             "galatitle value holds a control character: line ignored",
             "promoter value holds a control character: line ignored",
             "galadir value is longer than 260 characters: line ignored"});
        row("group, club and event texts",
            {"group=A " + longName, "clubcount=5", "club=ABCDEFGHIJK Eleven",
             "club=VMSC " + longName, "group=A Open", "event=1 F A 50 FS 01/06/24 N" + longName},
            "Counts", "1 groups",
            {"Group line ignored (a word is longer than 100 characters): group=A " +
                 longName.left(58) + "...",
             "Club line ignored (the code is longer than 10 characters): club=ABCDEFGHIJK Eleven",
             "Club line ignored (the name is longer than 100 characters): club=VMSC " +
                 longName.left(55) + "...",
             ignored("a field is longer than 100 characters",
                     ("1 F A 50 FS 01/06/24 N" + longName).left(60) + "...")});

        // Groups: 2, 3 and 4+ words.
        row("groups of 1, 2, 3 and 4+ words",
            {"group=10U", "group=A Ten", "group=B Ten TEN", "group=C Ten TEN Ten  and under"},
            "Groups", "A|Ten|Ten|Ten;B|Ten|TEN|Ten;C|Ten|TEN|Ten and under",
            {"Group line ignored (needs name and description): group=10U"});

        // Capacities: what is held, and the message for the first line over.
        row("1001 events", QStringList{"group=A Open"} + Numbered(u"event=%1 M A 50 FS"_qs, 1001),
            "Counts", "1000 events, 1 groups", {"Too many events, event 1001 ignored"});
        row("21 groups", Numbered(u"group=G%1 Group"_qs, 21), "Counts", "20 groups",
            {"Too many groups, group G21 ignored"});
        row("club past clubcount", QStringList{"clubcount=2"} + Numbered(u"club=C%1 Club"_qs, 3),
            "Counts", "2 clubs");
        row("11 seed groups", Numbered(u"seedgroup=G%1"_qs, 11), "Counts", "10 seed groups",
            {"Too many groups to seed"});
        row("201 combinations", Numbered(u"combine=%1 2"_qs, 201), "Counts", "200 combinations",
            {"Too Many 'combine' Parameters"});
        row("1001 mandatory events", Numbered(u"mandevents=%1"_qs, 1001), "Counts",
            "1000 mandatory");

        // Combinations: 2 to 20 numbers in the order given.
        row("combine", {"combine=5 3 9", "combine=1  2"}, "Combinations", "5 3 9;1 2");
        const QString twenty = Numbered(u"%1"_qs, 20).join(u' ');
        row("combine of 1, 0, 20 and 21",
            {"combine=1", "combine=", "combine=" + twenty, "combine=" + twenty + " 21"},
            "Combinations", twenty,
            {"Need 2 events for 'combine'", "Need 2 events for 'combine'",
             "Too Many 'combined' events"});
    }

    void keywords()
    {
        QFETCH(QStringList, lines);
        QFETCH(QString, probe);
        QFETCH(QString, expected);
        QFETCH(QStringList, messages);

        GalaState gala;
        Core::ResetGalaState(gala);
        ScriptedPrompts prompts;
        MeetDb::ApplyParamLines(gala, lines, prompts);
        QCOMPARE(Probe(gala, probe), expected);
        QCOMPARE(prompts.Messages, messages);
    }

    void readFile()
    {
        TestDir dir;
        // A byte-order mark, comments, CRLF endings and no final line ending; the last line is
        // kept.
        const QString path = dir.Write(u"gala.ini"_qs, "\xEF\xBB\xBFgalaname=Spring\r\n# note\r\n"
                                                       "\r\nwarn=Bring caps \r\nEnd=End");
        QStringList lines{"stale"};
        QVERIFY(MeetDb::ReadGalaParamFile(path, lines));
        QCOMPARE(lines, (QStringList{"galaname=Spring", "", "warn=Bring caps ", "End=End"}));

        const QString latin1 = dir.Write(u"latin1.ini"_qs, "promoter=Caf\xE9 SC\n");
        QVERIFY(MeetDb::ReadGalaParamFile(latin1, lines));
        QCOMPARE(lines, QStringList{u"promoter=Caf\u00E9 SC"_qs});

        QString fault{"stale"};
        QVERIFY(
            !MeetDb::ReadGalaParamFile(dir.FilePath(u"missing.ini"_qs), lines, nullptr, &fault));
        QVERIFY(lines.isEmpty() && fault.isEmpty());
    }

    // Files that are not gala parameter text are refused whole, never decoded into garbage.
    void refusedFile_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("fault");
        const QString utf16 = u"the file is UTF-16 text: save it as UTF-8 (or ANSI) text"_qs;
        const QByteArray text = "galaname=Spring\n";
        const auto wide = [&text](bool bigEndian) {
            QByteArray out;
            for (const char c : text)
                out += bigEndian ? QByteArray(1, '\0') + c : QByteArray(1, c) + '\0';
            return out;
        };
        QTest::newRow("UTF-16 LE") << QByteArray("\xFF\xFE") + wide(false) << utf16;
        QTest::newRow("UTF-16 BE") << QByteArray("\xFE\xFF") + wide(true) << utf16;
        QTest::newRow("UTF-16 without a mark")
            << wide(false) << u"line 1 holds a NUL byte: the file is UTF-16 or not text at all"_qs;
        QTest::newRow("NUL on line 2")
            << text + QByteArray("lanes=6\0\n", 9)
            << u"line 2 holds a NUL byte: the file is UTF-16 or not text at all"_qs;
    }

    void refusedFile()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, fault);
        TestDir dir;
        QStringList lines;
        QString reason;
        QVERIFY(
            !MeetDb::ReadGalaParamFile(dir.Write(u"gala.ini"_qs, bytes), lines, nullptr, &reason));
        QCOMPARE(reason, fault);
        QVERIFY(lines.isEmpty());
    }

    void keywordLineAndPrintable()
    {
        QVERIFY(!MeetDb::HasKeywordLine({"Name,Club", "lanes 6", "=6", "Galaname=x", ""}));
        QVERIFY(MeetDb::HasKeywordLine({"Name,Club", "End=End"}));
        QCOMPARE(MeetDb::PrintableText(u"a\x1b[2J\u009b\tb"_qs), u"a\\x1b[2J\\x9b\\x09b"_qs);
        QCOMPARE(MeetDb::PrintableText(u"abcdef"_qs, 3), u"abc..."_qs);
    }
};

QTEST_GUILESS_MAIN(TestKeywords)
#include "tst_keywords.moc"
