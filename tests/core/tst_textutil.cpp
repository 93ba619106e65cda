#include <QBuffer>
#include <QTest>

#include "core/textutil.h"
#include "support/scriptedprompts.h"

using namespace Core;

class TstTextUtil : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void calls_data()
    {
        QTest::addColumn<QString>("function");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("arg"); // the separator, width or limit
        QTest::addColumn<QString>("expected");
        const auto row = [](const char *function, const QString &text, const QString &arg,
                            const QString &expected) {
            QTest::addRow("%s %s", function, qPrintable(text))
                << function << text << arg << expected;
        };
        // clang-format off
        // First word | after it | surname first.
        row("name", "Mary Ann Jones", "", "Mary|Ann Jones|Ann Jones Mary");
        row("name", "Jane Brown   ", "", "Jane|Brown|Brown Jane");
        row("name", "Cher  ", "", "Cher|Cher|Cher");
        row("name", "", "", "||");
        row("pad", "Alexandrinas", "10", "Alexandri>");
        row("pad", "Anna", "10", "Anna      ");
        row("pad", "Anna", "1", ">");
        row("split", "101  M", "", "101|M");
        row("split", "a b,,c,", ",", "a b|c");
        row("split", "1<>2<><>3", "<>", "1|2|3");
        row("split", "   ", "", "");
        row("split", QString("x ").repeated(MaxWords + 5), "", QStringList(MaxWords, "x").join(u'|'));
        // Texts a meet keeps: a limit on length, and no control characters.
        row("limit", QString(10, u'x'), "10", "");
        row("limit", u"Zoë Ñuñez"_qs, "10", "");
        row("limit", QString(11, u'x'), "10", "The code is longer than 10 characters");
        row("limit", QString("AB") + QChar(0), "10", "The code holds a control character");
        row("limit", "A\tB", "10", "The code holds a control character");
        // Fields joined with "|"; "!" and the error when refused.
        row("csv", "I,Ann Lee,,F", "", "I|Ann Lee||F");
        row("csv", "I,\"Lee, Ann\",VMSC", "", "I|Lee, Ann|VMSC");
        row("csv", "\"Ann \"\"Nan\"\" Lee\"", "", "Ann \"Nan\" Lee");
        row("csv", "I,\"Lee, Ann", "", "!a quoted field is not closed");
        row("csv", "I,\"Lee\" Ann,F", "", "!text after the closing quote of field 2");
        // clang-format on
    }
    void calls()
    {
        QFETCH(QString, function);
        QFETCH(QString, text);
        QFETCH(QString, arg);
        QString out, error;
        if (function == u"name") {
            out = FirstWord(text) + '|' + AfterFirstWord(text) + '|' + SurnameFirst(text);
            if (text.trimmed().count(u' ') == 1)
                QCOMPARE(ForenameFirst(SurnameFirst(text)), text.trimmed());
        } else if (function == u"pad") {
            out = PadToWidth(text, arg.toInt());
        } else if (function == u"split") {
            out = SplitWords(text, arg).join(u'|');
        } else if (function == u"limit") {
            out = TextLimitFault(text, arg.toInt(), "The code");
        } else {
            const std::optional<QStringList> split = SplitCsvLine(text, &error);
            out = split ? split->join(u'|') : u'!' + error;
        }
        QTEST(out, "expected");
    }

    void ReadParamLineSequence_data()
    {
        QTest::addColumn<QByteArray>("file");
        // "line number: keyword|value word count" per line read, then "! message" per message
        QTest::addColumn<QStringList>("read");
        // clang-format off
        QTest::newRow("comments skipped") << QByteArray("#c\na=1  M 10U\n#x\nb=2\nEnd=End\n")
                                          << QStringList{"2: a|1  M 10U 3", "4: b|2 1"};
        QTest::newRow("only line") << QByteArray("a=1\n") << QStringList{};
        QTest::newRow("last line never used") << QByteArray("a=1\nb=2") << QStringList{"1: a|1 1"};
        QTest::newRow("blank line") << QByteArray("a=1\n\nb=2\nEnd=End\n") << QStringList{"1: a|1 1", "! Invalid Parameter"};
        QTest::newRow("crlf") << QByteArray("a=1 2\r\nb= x\r\nEnd=End\r\n") << QStringList{"1: a|1 2 2", "2: b| x 1"};
        QTest::newRow("first equals splits, nothing trimmed") << QByteArray(" k =a=b \nEnd=End") << QStringList{"1:  k |a=b  1"};
        QTest::newRow("utf-8") << QByteArray("name=Zo\xc3\xab\nEnd=End\n") << QStringList{"1: name|Zoë 1"};
        // A 1 MB line is cut, and the next line is still read.
        QTest::newRow("1 MB line") << "k=" + QByteArray(1 << 20, 'x') + "\nb=2\nEnd=End\n"
            << QStringList{"1: k|" + QString(ParamLineReader::MaxParamLineLength - 2, 'x') + " 1", "2: b|2 1"};
        // clang-format on
    }
    void ReadParamLineSequence()
    {
        QFETCH(QByteArray, file);
        QBuffer buffer(&file);
        QVERIFY(buffer.open(QIODevice::ReadOnly));
        ParamLineReader reader(buffer);
        ScriptedPrompts prompts;
        QStringList read;
        while (reader.ReadParamLine(prompts)) {
            read.append(QStringLiteral("%1: %2|%3 %4")
                            .arg(reader.LineNumber)
                            .arg(reader.ParamKeyword, reader.ParamValue)
                            .arg(reader.Words.size()));
        }
        for (const QString &message : std::as_const(prompts.Messages))
            read.append("! " + message);
        QTEST(read, "read");
    }
};

QTEST_GUILESS_MAIN(TstTextUtil)
#include "tst_textutil.moc"
