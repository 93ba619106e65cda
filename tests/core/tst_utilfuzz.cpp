#include <cmath>

#include <QRandomGenerator>
#include <QTest>

#include "core/textutil.h"
#include "core/timeutil.h"
#include "support/scriptedprompts.h"

using namespace Core;

/*
 * Random and mutated texts thrown at the parsers that read what users and files type. Besides
 * "does not crash" (the sanitizer build checks memory and undefined behaviour), each input is
 * checked against properties that must hold for every text. The seed is fixed so that a failure
 * repeats.
 */
class TstUtilFuzz : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void ParsersHoldTheirProperties();

private:
    QString RandomText();

    QRandomGenerator m_random{20261205};
};

namespace {

const QStringList Seeds = {"1:05.30", "1.05.30", "59.99",      "NT",         "60:00.00",
                           "5/3/10",  "05Mar10", "1 Jan '09",  "2010-03-05", "050310",
                           "+1;2",    "-5",      "31/12/2000", "9:99.99",    " 45.2 "};

// Mostly the characters of times and dates, with some that are not, including a lone surrogate.
const QString Alphabet = QStringLiteral("0123456789:;-./' +abcJanFebMarDecNT,\t=#\r\n\x7f") +
                         QChar(0xd800) + QChar(0x00eb) + QChar(0);

} // namespace

// Either random characters (now and then a long run) or a seed with a few edits.
QString TstUtilFuzz::RandomText()
{
    const auto randomChar = [this] { return Alphabet[m_random.bounded(int(Alphabet.size()))]; };
    QString text;
    if (m_random.bounded(2) == 0) {
        for (int i = m_random.bounded(m_random.bounded(8) == 0 ? 400 : 16); i > 0; --i)
            text.append(randomChar());
        return text;
    }
    text = Seeds[m_random.bounded(int(Seeds.size()))];
    for (int edits = m_random.bounded(1, 4); edits > 0; --edits) {
        const int at = m_random.bounded(int(text.size()) + 1);
        // Inserts, removes or replaces a character, or repeats the prefix.
        const int edit = m_random.bounded(4);
        const QString put = edit == 3 ? text.left(at) : QString(edit == 1 ? 0 : 1, randomChar());
        text.replace(at, edit == 1 || edit == 2 ? 1 : 0, put);
    }
    return text;
}

void TstUtilFuzz::ParsersHoldTheirProperties()
{
    const QStringList separators = {"", " ", ",", "<>", ":;"};
    ScriptedPrompts prompts;
    int dates = 0;
    constexpr int Rounds = 300000;
    for (int i = 0; i < Rounds; ++i) {
        const QString text = RandomText();

        // A time that is written reads back as the same time to the hundredth.
        const float seconds = TimeToSeconds(text);
        QVERIFY2(!std::isnan(seconds), qPrintable(text));
        const QString formatted = SecondsToTimeQuiet(seconds);
        if (seconds >= 0.01f && seconds <= 3600) {
            QVERIFY2(std::abs(TimeToSeconds(formatted) - seconds) <= 0.0051f, qPrintable(text));
            QCOMPARE(SecondsToTimeQuiet(TimeToSeconds(formatted)), formatted);
        } else if (seconds <= 0 || seconds > 3600) {
            QVERIFY2(formatted.isEmpty(), qPrintable(text));
        }

        // A normalised date normalises to itself; a refused one says "Invalid Date".
        prompts.Messages.clear();
        const QString normal = NormaliseDate(text, prompts);
        if (normal.isEmpty()) {
            QCOMPARE(prompts.Messages, QStringList{"Invalid Date"});
        } else {
            QVERIFY2(prompts.Messages.isEmpty(), qPrintable(text));
            QCOMPARE(NormaliseDate(normal, prompts), normal);
            QCOMPARE(DateToDdMmmYy(normal).trimmed().size(), 7);
            QVERIFY(DateNumber(normal) > 0);
            ++dates;
        }

        // Splitting loses only the separators.
        const QString separator = separators[i % separators.size()];
        const QString cut = separator.isEmpty() ? QStringLiteral(" ") : separator;
        const QStringList words = SplitWords(text, separator);
        for (const QString &word : words)
            QVERIFY(!word.isEmpty() && !word.contains(cut));
        QCOMPARE(words.join(QString()), QString(text).remove(cut));
    }
    QVERIFY2(dates > Rounds / 50, "the generator hardly ever makes a date");
}

QTEST_GUILESS_MAIN(TstUtilFuzz)
#include "tst_utilfuzz.moc"
