#include <cmath>

#include <QRandomGenerator>
#include <QTest>

#include "core/textutil.h"
#include "core/timeutil.h"
#include "support/scriptedprompts.h"

using namespace Core;

// Random and mutated texts thrown at the parsers of typed and read times, dates and words; each
// must hold its properties for every text. The seed is fixed so that a failure repeats.
class TstUtilFuzz : public QObject
{
    Q_OBJECT

    QRandomGenerator m_random{20261205};

    // Random characters of times and dates and a few others (a lone surrogate, a NUL), now and
    // then a long run; or a seed with a few edits.
    QString RandomText()
    {
        static const QStringList seeds = {
            "9:99.99",   "1:05.30",    "1.05.30", "59.99", "NT", "60:00.00",   "5/3/10", "05Mar10",
            "1 Jan '09", "2010-03-05", "050310",  "+1;2",  "-5", "31/12/2000", " 45.2 "};
        static const QString alphabet =
            QStringLiteral("0123456789:;-./' +abcJanFebMarDecNT,\t=#\r\n\x7f") + QChar(0xd800) +
            QChar(0x00eb) + QChar(0);
        const auto randomChar = [this] { return alphabet[m_random.bounded(int(alphabet.size()))]; };
        QString text;
        if (m_random.bounded(2) == 0) {
            for (int i = m_random.bounded(m_random.bounded(8) == 0 ? 400 : 16); i > 0; --i)
                text.append(randomChar());
            return text;
        }
        text = seeds[m_random.bounded(int(seeds.size()))];
        for (int edits = m_random.bounded(1, 4); edits > 0; --edits) {
            // Inserts, removes or replaces a character, or repeats the prefix.
            const int at = m_random.bounded(int(text.size()) + 1), edit = m_random.bounded(4);
            const QString put =
                edit == 3 ? text.left(at) : QString(edit == 1 ? 0 : 1, randomChar());
            text.replace(at, edit == 1 || edit == 2 ? 1 : 0, put);
        }
        return text;
    }

private Q_SLOTS:
    void parsersHoldTheirProperties()
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
            if (seconds >= 0.01f && seconds <= 3600)
                QVERIFY2(std::abs(TimeToSeconds(formatted) - seconds) <= 0.0051f &&
                             SecondsToTimeQuiet(TimeToSeconds(formatted)) == formatted,
                         qPrintable(text));
            else if (seconds <= 0 || seconds > 3600)
                QVERIFY2(formatted.isEmpty(), qPrintable(text));

            // A normalised date normalises to itself; a refused one says "Invalid Date".
            prompts.Messages.clear();
            const QString normal = NormaliseDate(text, prompts);
            QCOMPARE(prompts.Messages,
                     normal.isEmpty() ? QStringList{"Invalid Date"} : QStringList{});
            if (!normal.isEmpty()) {
                QCOMPARE(NormaliseDate(normal, prompts), normal);
                QVERIFY(DateToDdMmmYy(normal).trimmed().size() == 7 && DateNumber(normal) > 0);
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
};

QTEST_GUILESS_MAIN(TstUtilFuzz)
#include "tst_utilfuzz.moc"
