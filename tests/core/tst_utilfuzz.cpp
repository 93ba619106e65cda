#include <cmath>

#include <QRandomGenerator>
#include <QTest>

#include "core/textutil.h"
#include "core/timeutil.h"
#include "support/scriptedprompts.h"

using namespace Core;

/*
 * Random and mutated texts thrown at the parsers that read what users and files type. Besides
 * "does not crash" (the sanitizer build checks memory and undefined behaviour), each loop checks
 * a property that must hold for every input. The seed is fixed so that a failure repeats.
 */
class TstUtilFuzz : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void TimesRoundTrip();
    void DatesNormaliseToAFixedPoint();
    void SplitWordsLosesOnlySeparators();

private:
    QString RandomText();

    QRandomGenerator m_random{20261205};
};

namespace {

constexpr int Rounds = 200000;

const QStringList Seeds = {"1:05.30", "1.05.30", "59.99",      "NT",        "60:00.00",
                           "5/3/10",  "05Mar10", "31/12/2000", "1 Jan '09", "2010-03-05",
                           "050310",  "-5",      "+1;2",       "9:99.99",   " 45.2 "};

// Mostly the characters of times and dates, with some that are not, including a lone surrogate.
const QString Alphabet = QStringLiteral("0123456789:;-./' +abcJanFebMarDecNT,\t=#\r\n\x7f") +
                         QChar(0xd800) + QChar(0x00eb) + QChar(0);

} // namespace

QString TstUtilFuzz::RandomText()
{
    QString text;
    if (m_random.bounded(2) == 0) {
        const qsizetype length = m_random.bounded(m_random.bounded(8) == 0 ? 400 : 16);
        for (qsizetype i = 0; i < length; ++i)
            text.append(Alphabet[m_random.bounded(int(Alphabet.size()))]);
        return text;
    }
    text = Seeds[m_random.bounded(int(Seeds.size()))];
    for (int edits = m_random.bounded(1, 4); edits > 0; --edits) {
        const int at = m_random.bounded(int(text.size()) + 1);
        const QChar c = Alphabet[m_random.bounded(int(Alphabet.size()))];
        switch (m_random.bounded(4)) {
        case 0:
            text.insert(at, c);
            break;
        case 1:
            text.remove(at, 1);
            break;
        case 2:
            if (at < text.size())
                text[at] = c;
            break;
        default:
            text.insert(at, text.left(at)); // repeats a prefix, growing digit runs
            break;
        }
    }
    return text;
}

void TstUtilFuzz::TimesRoundTrip()
{
    for (int i = 0; i < Rounds; ++i) {
        const QString text = RandomText();
        const float seconds = TimeToSeconds(text);
        QVERIFY2(!std::isnan(seconds), qPrintable(text));
        const QString formatted = SecondsToTimeQuiet(seconds);
        if (seconds >= 0.01f && seconds <= 3600) {
            // What is written reads back as the same time to the hundredth.
            QVERIFY2(std::abs(TimeToSeconds(formatted) - seconds) <= 0.0051f, qPrintable(text));
            QCOMPARE(SecondsToTimeQuiet(TimeToSeconds(formatted)), formatted);
        } else if (seconds <= 0 || seconds > 3600) {
            QVERIFY2(formatted.isEmpty(), qPrintable(text));
        }
    }
}

void TstUtilFuzz::DatesNormaliseToAFixedPoint()
{
    ScriptedPrompts prompts;
    int dates = 0;
    for (int i = 0; i < Rounds; ++i) {
        const QString text = RandomText();
        prompts.Messages.clear();
        prompts.Shown.clear();
        const QString normal = NormaliseDate(text, prompts);
        if (normal.isEmpty()) {
            QCOMPARE(prompts.Messages, QStringList{"Invalid Date"});
            continue;
        }
        QVERIFY2(prompts.Messages.isEmpty(), qPrintable(text));
        QCOMPARE(NormaliseDate(normal, prompts), normal);
        QCOMPARE(DateToDdMmmYy(normal).trimmed().size(), 7);
        QVERIFY(DateNumber(normal) > 0);
        ++dates;
    }
    QVERIFY2(dates > Rounds / 50, "the generator hardly ever makes a date");
}

void TstUtilFuzz::SplitWordsLosesOnlySeparators()
{
    const QStringList separators = {"", " ", ",", "<>", ":;"};
    for (int i = 0; i < Rounds; ++i) {
        const QString text = RandomText();
        const QString separator = separators[m_random.bounded(int(separators.size()))];
        const QStringList words = SplitWords(text, separator);
        const QString cut = separator.isEmpty() ? QStringLiteral(" ") : separator;
        for (const QString &word : words)
            QVERIFY(!word.isEmpty() && !word.contains(cut));
        QCOMPARE(words.join(QString()), QString(text).remove(cut));
    }
}

QTEST_GUILESS_MAIN(TstUtilFuzz)
#include "tst_utilfuzz.moc"
