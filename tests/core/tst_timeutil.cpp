#include <limits>

#include <QTest>

#include "core/timeutil.h"
#include "support/scriptedprompts.h"

using namespace Core;

class TstTimeUtil : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void TimeToSecondsReadsAllSpellings_data();
    void TimeToSecondsReadsAllSpellings();
    void SecondsToTimeFormats_data();
    void SecondsToTimeFormats();
    void ParseDateReadsDayFirst_data();
    void ParseDateReadsDayFirst();
    void NormaliseDateGivesDdMmYy_data();
    void NormaliseDateGivesDdMmYy();
    void DateToDdMmmYyFormats_data();
    void DateToDdMmmYyFormats();
    void AgeOnDateCountsCompletedYears_data();
    void AgeOnDateCountsCompletedYears();
};

void TstTimeUtil::TimeToSecondsReadsAllSpellings_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<float>("seconds");
    QTest::newRow("colon") << "1:05.30" << 65.3f;
    QTest::newRow("two points") << "1.05.30" << 65.3f;
    QTest::newRow("semicolon") << "1;05.30" << 65.3f;
    QTest::newRow("dash") << "1-5" << 65.0f;
    QTest::newRow("single point is decimal") << "59.99" << 59.99f;
    QTest::newRow("no time") << "NT" << 0.0f;
    QTest::newRow("empty") << "" << 0.0f;
    QTest::newRow("leading blanks") << "  45.2" << 45.2f;
    QTest::newRow("colon before points") << "1:05.30.7" << 65.3f;
    QTest::newRow("first of many points") << "1.2.3.4" << 62.3f;
    QTest::newRow("junk minutes") << "abc:30" << 30.0f;
    QTest::newRow("point first") << ".5" << 0.5f;
    QTest::newRow("leading dash is a separator") << "-5" << 5.0f;
}

void TstTimeUtil::TimeToSecondsReadsAllSpellings()
{
    QFETCH(QString, text);
    QFETCH(float, seconds);
    QCOMPARE(TimeToSeconds(text), seconds);
}

void TstTimeUtil::SecondsToTimeFormats_data()
{
    QTest::addColumn<float>("seconds");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QStringList>("messages");
    const QStringList none;
    const QStringList invalid{"Invalid Time"};
    QTest::newRow("over a minute") << 65.3f << "1:05.30" << none;
    QTest::newRow("under a minute") << 45.2f << "45.20" << none;
    QTest::newRow("ten minutes") << 600.0f << "10:00.00" << none;
    QTest::newRow("hour") << 3600.0f << "60:00.00" << none;
    QTest::newRow("rounds up into the minute") << 119.999f << "2:00.00" << none;
    QTest::newRow("leading zero seconds") << 9.99f << "09.99" << none;
    QTest::newRow("zero is no time") << 0.0f << "" << none;
    QTest::newRow("over an hour") << 3600.01f << "" << invalid;
    QTest::newRow("negative") << -1.0f << "" << invalid;
    QTest::newRow("nan") << std::numeric_limits<float>::quiet_NaN() << "" << invalid;
}

void TstTimeUtil::SecondsToTimeFormats()
{
    QFETCH(float, seconds);
    QFETCH(QString, text);
    QFETCH(QStringList, messages);
    ScriptedPrompts prompts;
    QCOMPARE(SecondsToTime(seconds, prompts), text);
    QCOMPARE(prompts.Messages, messages);
    QCOMPARE(SecondsToTimeQuiet(seconds), text);
}

void TstTimeUtil::ParseDateReadsDayFirst_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("currentYear");
    QTest::addColumn<QDate>("date");
    const QDate mar5(2010, 3, 5);
    QTest::newRow("d/m/yy") << "5/3/10" << 2026 << mar5;
    QTest::newRow("dd-mm-yyyy") << "05-03-2010" << 2026 << mar5;
    QTest::newRow("points") << "5.3.2010" << 2026 << mar5;
    QTest::newRow("month name") << "5 MARCH 2010" << 2026 << mar5;
    QTest::newRow("month abbreviation, dashes") << "5-mar-10" << 2026 << mar5;
    QTest::newRow("compact") << "05Mar10" << 2026 << mar5;
    QTest::newRow("year first") << "2010-03-05" << 2026 << mar5;
    QTest::newRow("junior born '09") << "1 Jan '09" << 2026 << QDate(2009, 1, 1);
    QTest::newRow("masters born '52") << "01/01/52" << 2026 << QDate(1952, 1, 1);
    QTest::newRow("window end") << "01/01/36" << 2026 << QDate(2036, 1, 1);
    QTest::newRow("window start") << "01/01/37" << 2026 << QDate(1937, 1, 1);
    QTest::newRow("window moves") << "01/01/52" << 2050 << QDate(2052, 1, 1);
    QTest::newRow("31 February") << "31/02/10" << 2026 << QDate();
    QTest::newRow("day zero") << "00/01/10" << 2026 << QDate();
    QTest::newRow("month 13") << "1/13/10" << 2026 << QDate();
    QTest::newRow("unknown month") << "5 Foo 2010" << 2026 << QDate();
    QTest::newRow("month first") << "Mar 5 2010" << 2026 << QDate();
    QTest::newRow("four parts") << "5/3/10/1" << 2026 << QDate();
}

void TstTimeUtil::ParseDateReadsDayFirst()
{
    QFETCH(QString, text);
    QFETCH(int, currentYear);
    QFETCH(QDate, date);
    QCOMPARE(ParseDate(text, currentYear), date);
}

void TstTimeUtil::NormaliseDateGivesDdMmYy_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("normal");
    QTest::newRow("short") << "5/3/10"
                           << "05/03/10";
    QTest::newRow("compact lower case") << "05mar10"
                                        << "05/03/10";
    QTest::newRow("month name") << "5 Mar 2010"
                                << "05/03/10";
    QTest::newRow("seven characters are compact") << "5-03-10"
                                                  << "";
    QTest::newRow("compact bad day") << "32Jan10"
                                     << "";
    QTest::newRow("garbage") << "rubbish!"
                             << "";
}

void TstTimeUtil::NormaliseDateGivesDdMmYy()
{
    QFETCH(QString, text);
    QFETCH(QString, normal);
    ScriptedPrompts prompts;
    QCOMPARE(NormaliseDate(text, prompts), normal);
    QCOMPARE(prompts.Messages, normal.isEmpty() ? QStringList{"Invalid Date"} : QStringList{});
}

void TstTimeUtil::DateToDdMmmYyFormats_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("compact");
    const QString blanks(7, u' ');
    QTest::newRow("date") << "5/12/2010"
                          << "05Dec10";
    QTest::newRow("not a date") << "31/02/10" << blanks;
    QTest::newRow("six digits") << "050310"
                                << "05Mar10";
    QTest::newRow("year 00 is fine") << "050300"
                                     << "05Mar00";
    QTest::newRow("month 13") << "051310" << blanks;
    QTest::newRow("day 32") << "320310" << blanks;
    QTest::newRow("letters") << "05ab10" << blanks;
}

void TstTimeUtil::DateToDdMmmYyFormats()
{
    QFETCH(QString, text);
    QFETCH(QString, compact);
    QCOMPARE(DateToDdMmmYy(text), compact);
}

void TstTimeUtil::AgeOnDateCountsCompletedYears_data()
{
    QTest::addColumn<QString>("reference");
    QTest::addColumn<QString>("birth");
    QTest::addColumn<QString>("answer"); // "yes", "no" or "" for no question
    QTest::addColumn<int>("age");
    QTest::newRow("day before birthday") << "30/12/2010"
                                         << "31/12/2000"
                                         << "" << 9;
    QTest::newRow("on birthday") << "31/12/2010"
                                 << "31/12/2000"
                                 << "" << 10;
    QTest::newRow("compact dates") << "31Dec10"
                                   << "01Jan01"
                                   << "" << 9;
    QTest::newRow("no birth date") << "31/12/2010"
                                   << ""
                                   << "" << 100;
    QTest::newRow("negative, confirmed") << "01/01/2020"
                                         << "01/06/2030"
                                         << "yes" << 90;
    QTest::newRow("negative, refused") << "01/01/2020"
                                       << "01/06/2030"
                                       << "no" << -1;
}

void TstTimeUtil::AgeOnDateCountsCompletedYears()
{
    QFETCH(QString, reference);
    QFETCH(QString, birth);
    QFETCH(QString, answer);
    QFETCH(int, age);
    ScriptedPrompts prompts;
    if (!answer.isEmpty())
        answer == "yes" ? prompts.Yes() : prompts.No();
    QCOMPARE(AgeOnDate(reference, birth, prompts), age);
    QCOMPARE(prompts.Questions, answer.isEmpty() ? QStringList{} : QStringList{"Confirm age: 90"});
}

QTEST_GUILESS_MAIN(TstTimeUtil)
#include "tst_timeutil.moc"
