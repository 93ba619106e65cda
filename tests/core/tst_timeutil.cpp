#include <limits>

#include <QTest>

#include "core/timeutil.h"
#include "support/scriptedprompts.h"

using namespace Core;

class TstTimeUtil : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void TimeToSecondsReadsAllSpellings_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<float>("seconds");
        QTest::newRow("colon") << "1:05.30" << 65.3f;
        QTest::newRow("two points") << "1.05.30" << 65.3f;
        QTest::newRow("semicolon") << "1;05.30" << 65.3f;
        QTest::newRow("dash") << "1-5" << 65.0f;
        QTest::newRow("single point is decimal") << "59.99" << 59.99f;
        QTest::newRow("no time") << "NT" << 0.0f;
        QTest::newRow("leading blanks") << "  45.2" << 45.2f;
        QTest::newRow("colon before points") << "1:05.30.7" << 65.3f;
        QTest::newRow("first of many points") << "1.2.3.4" << 62.3f;
        QTest::newRow("junk minutes") << "abc:30" << 30.0f;
    }
    void TimeToSecondsReadsAllSpellings()
    {
        QFETCH(QString, text);
        QFETCH(float, seconds);
        QCOMPARE(TimeToSeconds(text), seconds);
    }

    // Typed times: a slip is refused instead of being read as some other time. 0 = refused.
    void TypedTimeToSecondsIsStrict_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<float>("seconds");
        const auto row = [](const char *text, float seconds) {
            QTest::newRow(text) << QString(text) << seconds;
        };
        row("35.2", 35.2f);
        row(" 1:05.3 ", 65.3f);
        row("1:5", 65.0f);
        row("60:00.00", 3600.0f);
        row("3600", 3600.0f);
        for (const char *slip :
             {"1:75.00", "abc",   "35.50abc", "1.2.3", "1.05.30", " ",        "",      "NT",
              "0",       "00.00", "-1",       "1e9",   "3600.01", "60:00.01", "61:00", "35.123",
              "35.",     ".5",    "1:05:30",  "12345", "1;05.3",  "１２"})
            row(slip, 0.0f);
    }
    void TypedTimeToSecondsIsStrict()
    {
        QFETCH(QString, text);
        QFETCH(float, seconds);
        QCOMPARE(TypedTimeToSeconds(text).value_or(0.0f), seconds);
    }

    void SecondsToTimeFormats_data()
    {
        QTest::addColumn<float>("seconds");
        QTest::addColumn<QString>("text"); // "" with the message "Invalid Time" unless zero
        QTest::newRow("over a minute") << 65.3f << "1:05.30";
        QTest::newRow("hour") << 3600.0f << "60:00.00";
        QTest::newRow("rounds to hundredths into the minute") << 119.999f << "2:00.00";
        QTest::newRow("leading zero seconds") << 9.99f << "09.99";
        QTest::newRow("zero is no time") << 0.0f << "";
        QTest::newRow("over an hour") << 3600.01f << "";
        QTest::newRow("negative") << -1.0f << "";
        QTest::newRow("nan") << std::numeric_limits<float>::quiet_NaN() << "";
    }
    void SecondsToTimeFormats()
    {
        QFETCH(float, seconds);
        QFETCH(QString, text);
        ScriptedPrompts prompts;
        QCOMPARE(SecondsToTime(seconds, prompts), text);
        QCOMPARE(prompts.Messages,
                 text.isEmpty() && seconds != 0 ? QStringList{"Invalid Time"} : QStringList{});
        QCOMPARE(SecondsToTimeQuiet(seconds), text);
    }

    void ParseDateReadsDayFirst_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("currentYear");
        QTest::addColumn<QDate>("date");
        const auto row = [](const char *text, const QDate &date) {
            QTest::newRow(text) << QString(text) << 2026 << date;
        };
        const QDate mar5(2010, 3, 5);
        row("5/3/10", mar5);
        row("5.3.2010", mar5);
        row("5 MARCH 2010", mar5);
        row("5-mar-10", mar5);
        row("05Mar10", mar5);
        row("2010-03-05", mar5);
        row("1 Jan '09", QDate(2009, 1, 1)); // a junior
        row("01/01/52", QDate(1952, 1, 1));  // a master
        row("01/01/36", QDate(2036, 1, 1));  // the window's end
        row("01/01/37", QDate(1937, 1, 1));  // and its start
        QTest::newRow("window moves") << "01/01/52" << 2050 << QDate(2052, 1, 1);
        row("31/02/10", QDate());
        row("1/13/10", QDate());
        row("5 Foo 2010", QDate());
        row("Mar 5 2010", QDate()); // month first
        row("5/3/10/1", QDate());
    }
    void ParseDateReadsDayFirst()
    {
        QFETCH(QString, text);
        QFETCH(int, currentYear);
        QFETCH(QDate, date);
        QCOMPARE(ParseDate(text, currentYear), date);
    }

    void NormaliseDateGivesDdMmYy()
    {
        const QList<std::pair<QString, QString>> cases{
            {"5/3/10", "05/03/10"}, {"05mar10", "05/03/10"}, {"5 Mar 2010", "05/03/10"},
            {"5-03-10", ""}, // seven characters are read as compact
            {"32Jan10", ""},        {"rubbish!", ""}};
        for (const auto &[text, normal] : cases) {
            ScriptedPrompts prompts;
            QCOMPARE(NormaliseDate(text, prompts), normal);
            QCOMPARE(prompts.Messages,
                     normal.isEmpty() ? QStringList{"Invalid Date"} : QStringList{});
        }
    }

    void DateToDdMmmYyFormats()
    {
        const QString blanks(7, u' ');
        QCOMPARE(DateToDdMmmYy("5/12/2010"), "05Dec10");
        QCOMPARE(DateToDdMmmYy("31/02/10"), blanks);
        QCOMPARE(DateToDdMmmYy("050300"), "05Mar00");
        QCOMPARE(DateToDdMmmYy("051310"), blanks);
        QCOMPARE(DateToDdMmmYy("320310"), blanks);
        QCOMPARE(DateToDdMmmYy("05ab10"), blanks);
    }

    void AgeOnDateCountsCompletedYears_data()
    {
        QTest::addColumn<QString>("reference");
        QTest::addColumn<QString>("birth");
        QTest::addColumn<QString>("answer"); // to "Confirm age: 90"; "" when not asked
        QTest::addColumn<int>("age");
        const auto row = [](const char *name, const char *reference, const char *birth,
                            const char *answer, int age) {
            QTest::newRow(name) << QString(reference) << QString(birth) << QString(answer) << age;
        };
        row("day before birthday", "30/12/2010", "31/12/2000", "", 9);
        row("on birthday", "31/12/2010", "31/12/2000", "", 10);
        row("compact dates", "31Dec10", "01Jan01", "", 9);
        row("no birth date", "31/12/2010", "", "", 100);
        row("negative, confirmed", "01/01/2020", "01/06/2030", "yes", 90);
        row("negative, refused", "01/01/2020", "01/06/2030", "no", -1);
    }
    void AgeOnDateCountsCompletedYears()
    {
        QFETCH(QString, reference);
        QFETCH(QString, birth);
        QFETCH(QString, answer);
        QFETCH(int, age);
        ScriptedPrompts prompts;
        if (!answer.isEmpty())
            answer == "yes" ? prompts.Yes() : prompts.No();
        QCOMPARE(AgeOnDate(reference, birth, prompts), age);
        QCOMPARE(prompts.Questions,
                 answer.isEmpty() ? QStringList{} : QStringList{"Confirm age: 90"});
    }
};

QTEST_GUILESS_MAIN(TstTimeUtil)
#include "tst_timeutil.moc"
