#include <limits>

#include <QTest>

#include "core/timeutil.h"
#include "support/scriptedprompts.h"

using namespace Core;

namespace {

// `function` applied to `text`, with every message and question after a " !".
QString Call(const QString &function, const QString &text)
{
    ScriptedPrompts prompts;
    QString out;
    if (function == u"time") {
        out = QString::number(TimeToSeconds(text));
    } else if (function == u"typed") { // 0 = refused
        out = QString::number(TypedTimeToSeconds(text).value_or(0.0f));
    } else if (function == u"lead") {
        out = QString::number(LeadingNumber(text));
    } else if (function == u"format") {
        const float seconds =
            text == u"nan" ? std::numeric_limits<float>::quiet_NaN() : text.toFloat();
        out = SecondsToTime(seconds, prompts);
        if (SecondsToTimeQuiet(seconds) != out)
            return u"quiet form differs"_qs;
    } else if (function.startsWith(u"date")) { // "date" in 2026, "date2050" in 2050
        out = ParseDate(text, function.size() > 4 ? function.mid(4).toInt() : 2026)
                  .toString(Qt::ISODate);
    } else if (function == u"normal") {
        out = NormaliseDate(text, prompts);
    } else if (function == u"ddmmmyy") {
        out = DateToDdMmmYy(text);
        if (out == QString(7, u' '))
            out = u"blanks"_qs;
    } else if (function == u"age") { // "reference|birth|answer to the question"
        const QStringList f = text.split(u'|');
        if (!f.at(2).isEmpty())
            f.at(2) == u"yes" ? prompts.Yes() : prompts.No();
        out = QString::number(AgeOnDate(f.at(0), f.at(1), prompts));
    }
    for (const QString &shown : prompts.Messages + prompts.Questions)
        out += u" !"_qs + shown;
    return out;
}

} // namespace

class TstTimeUtil : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void calls_data()
    {
        QTest::addColumn<QString>("function");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("expected");
        const auto row = [](const char *function, const char *text, const char *expected) {
            QTest::addRow("%s %s", function, text) << function << text << expected;
        };
        // clang-format off
        // Read times: every spelling, the rest of the text ignored.
        for (const char *text : {"1:05.30", "1.05.30", "1;05.30", "1:05.30.7"})
            row("time", text, "65.3");
        row("time", "1-5", "65");
        row("time", "59.99", "59.99");
        row("time", "NT", "0");
        row("time", "  45.2", "45.2");
        row("time", "1.2.3.4", "62.3");
        row("time", "abc:30", "30");
        // Typed times: a slip is refused instead of being read as some other time.
        row("typed", "35.2", "35.2");
        row("typed", " 1:05.3 ", "65.3");
        row("typed", "1:5", "65");
        row("typed", "60:00.00", "3600");
        row("typed", "3600", "3600");
        for (const char *slip : {"1:75.00", "abc", "35.50abc", "1.2.3", "1.05.30", " ", "", "NT", "0", "00.00", "-1",
                                 "1e9", "3600.01", "60:00.01", "61:00", "35.123", "35.", ".5", "1:05:30", "12345",
                                 "1;05.3", "１２"})
            row("typed", slip, "0");
        row("lead", " -5.5 years", "-5.5");
        row("lead", "U/9", "0");
        row("format", "65.3", "1:05.30");
        row("format", "3600", "60:00.00");
        row("format", "119.999", "2:00.00"); // rounds into the minute
        row("format", "9.99", "09.99");
        row("format", "0", "");
        row("format", "0.004", ""); // rounds to no time, never "00.00"
        row("format", "0.006", "00.01");
        for (const char *bad : {"3600.01", "-1", "nan"})
            row("format", bad, " !Invalid Time");
        // Dates day first; two-digit years fall in the 100 years up to ten years ahead.
        for (const char *text : {"5/3/10", "5.3.2010", "5 MARCH 2010", "5-mar-10", "05Mar10", "2010-03-05"})
            row("date", text, "2010-03-05");
        row("date", "1 Jan '09", "2009-01-01");
        row("date", "01/01/52", "1952-01-01");
        row("date", "01/01/36", "2036-01-01");
        row("date", "01/01/37", "1937-01-01");
        row("date2050", "01/01/52", "2052-01-01");
        for (const char *bad : {"31/02/10", "1/13/10", "5 Foo 2010", "5 Ma 2010", "Mar 5 2010", "5/3/10/1", "5/3/201",
                                "123/3/10"})
            row("date", bad, "");
        row("normal", "5 Mar 2010", "05/03/10");
        row("normal", "05mar10", "05/03/10");
        row("normal", "5-03-10", " !Invalid Date"); // seven characters are read as compact
        row("normal", "32Jan10", " !Invalid Date");
        row("normal", "05M4r10", " !Invalid Date");
        row("ddmmmyy", "5/12/2010", "05Dec10");
        row("ddmmmyy", "050300", "05Mar00");
        for (const char *bad : {"31/02/10", "051310", "320310", "05ab10"})
            row("ddmmmyy", bad, "blanks");
        // Ages in completed years; a negative one is confirmed with 100 added.
        row("age", "30/12/2010|31/12/2000|", "9");
        row("age", "31/12/2010|31/12/2000|", "10");
        row("age", "31Dec10|01Jan01|", "9");
        row("age", "31/12/2010||", "100");
        row("age", "01/01/2020|01/06/2030|yes", "90 !Confirm age: 90");
        row("age", "01/01/2020|01/06/2030|no", "-1 !Confirm age: 90");
        // clang-format on
    }
    void calls()
    {
        QFETCH(QString, function);
        QFETCH(QString, text);
        QTEST(Call(function, text), "expected");
    }
};

QTEST_GUILESS_MAIN(TstTimeUtil)
#include "tst_timeutil.moc"
