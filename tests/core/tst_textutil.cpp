#include <QBuffer>
#include <QRandomGenerator>
#include <QTest>

#include "core/textutil.h"
#include "support/scriptedprompts.h"
#include "support/testfiles.h"

using namespace Core;

class TstTextUtil : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void NameParts_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("parts"); // first word | after it | surname first
        const auto row = [](const char *name, const char *parts) {
            QTest::newRow(name) << QString(name) << QString(parts);
        };
        row("Mary Ann Jones", "Mary|Ann Jones|Ann Jones Mary");
        row("Jane Brown   ", "Jane|Brown|Brown Jane");
        row("Cher  ", "Cher|Cher|Cher");
        row("", "||");
    }
    void NameParts()
    {
        QFETCH(QString, name);
        QFETCH(QString, parts);
        QCOMPARE(FirstWord(name) + '|' + AfterFirstWord(name) + '|' + SurnameFirst(name), parts);
        if (name.trimmed().count(u' ') == 1)
            QCOMPARE(ForenameFirst(SurnameFirst(name)), name.trimmed());
    }

    void PadToWidthFitsColumn()
    {
        QCOMPARE(PadToWidth("Alexandrinas", 10), "Alexandri>");
        QCOMPARE(PadToWidth("Anna", 10), "Anna      ");
        QCOMPARE(PadToWidth("Anna", 1), ">");
    }

    void SplitWordsDropsEmptyWords_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QStringList>("words");
        QTest::addColumn<QString>("separator");
        QTest::newRow("two blanks") << "101  M" << QStringList{"101", "M"} << "";
        QTest::newRow("comma keeps blanks") << "a b,,c," << QStringList{"a b", "c"} << ",";
        QTest::newRow("long separator") << "1<>2<><>3" << QStringList{"1", "2", "3"} << "<>";
        QTest::newRow("only separators") << "   " << QStringList{} << "";
        QTest::newRow("stops at capacity")
            << QString("x ").repeated(MaxWords + 5) << QStringList(MaxWords, "x") << "";
    }
    void SplitWordsDropsEmptyWords()
    {
        QFETCH(QString, text);
        QFETCH(QStringList, words);
        QFETCH(QString, separator);
        QCOMPARE(SplitWords(text, separator), words);
    }

    // Texts a meet keeps: a limit on length, and no control characters.
    void TextLimitFaultNamesTheFault_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("fault");
        QTest::newRow("at the limit") << QString(10, u'x') << "";
        QTest::newRow("accents count once") << QString::fromUtf8("Zoë Ñuñez") << "";
        QTest::newRow("too long") << QString(11, u'x') << "The code is longer than 10 characters";
        QTest::newRow("nul") << QString("AB") + QChar(0) << "The code holds a control character";
        QTest::newRow("tab") << "A\tB"
                             << "The code holds a control character";
    }
    void TextLimitFaultNamesTheFault()
    {
        QFETCH(QString, text);
        QFETCH(QString, fault);
        QCOMPARE(TextLimitFault(text, 10, "The code"), fault);
    }

    void SplitCsvLineReadsQuotes_data()
    {
        QTest::addColumn<QString>("line");
        QTest::addColumn<QString>("fields"); // joined with "|"; "!" and the error when refused
        QTest::newRow("plain") << "I,Ann Lee,,F"
                               << "I|Ann Lee||F";
        QTest::newRow("comma in quotes") << "I,\"Lee, Ann\",VMSC"
                                         << "I|Lee, Ann|VMSC";
        QTest::newRow("doubled quote") << "\"Ann \"\"Nan\"\" Lee\""
                                       << "Ann \"Nan\" Lee";
        QTest::newRow("unclosed") << "I,\"Lee, Ann"
                                  << "!a quoted field is not closed";
        QTest::newRow("text after quote") << "I,\"Lee\" Ann,F"
                                          << "!text after the closing quote of field 2";
    }
    void SplitCsvLineReadsQuotes()
    {
        QFETCH(QString, line);
        QFETCH(QString, fields);
        QString error;
        const std::optional<QStringList> split = SplitCsvLine(line, &error);
        QCOMPARE(split ? split->join(u'|') : u'!' + error, fields);
    }

    void FileExistsOnlyForFiles()
    {
        TestDir dir;
        QVERIFY(FileExists(dir.Write("a.ini", "x=1\n")));
        QVERIFY(!FileExists(dir.FilePath("missing.ini")) && !FileExists(dir.Path()));
    }

    void ReadParamLineSequence_data()
    {
        QTest::addColumn<QByteArray>("file");
        // "line number: keyword|value word count" per line read, then "! message" per message
        QTest::addColumn<QStringList>("read");
        QTest::newRow("comments skipped") << QByteArray("#c\na=1  M 10U\n#x\nb=2\nEnd=End\n")
                                          << QStringList{"2: a|1  M 10U 3", "4: b|2 1"};
        QTest::newRow("only line") << QByteArray("a=1\n") << QStringList{};
        QTest::newRow("last line never used") << QByteArray("a=1\nb=2") << QStringList{"1: a|1 1"};
        QTest::newRow("blank line") << QByteArray("a=1\n\nb=2\nEnd=End\n")
                                    << QStringList{"1: a|1 1", "! Invalid Parameter"};
        QTest::newRow("crlf") << QByteArray("a=1 2\r\nb= x\r\nEnd=End\r\n")
                              << QStringList{"1: a|1 2 2", "2: b| x 1"};
        QTest::newRow("first equals splits, nothing trimmed")
            << QByteArray(" k =a=b \nEnd=End") << QStringList{"1:  k |a=b  1"};
        QTest::newRow("utf-8") << QByteArray("name=Zo\xc3\xab\nEnd=End\n")
                               << QStringList{"1: name|Zoë 1"};
        // A 1 MB line is cut, and the next line is still read.
        QTest::newRow("1 MB line")
            << "k=" + QByteArray(1 << 20, 'x') + "\nb=2\nEnd=End\n"
            << QStringList{"1: k|" + QString(ParamLineReader::MaxParamLineLength - 2, 'x') + " 1",
                           "2: b|2 1"};
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

    // Binary junk with NULs, stray CRs and broken UTF-8: every call returns, no line is longer
    // than the cut, and the whole file is consumed.
    void ReadParamLineSurvivesBinaryJunk()
    {
        QByteArray file(8 << 20, Qt::Uninitialized);
        QRandomGenerator(4711).fillRange(reinterpret_cast<quint32 *>(file.data()), file.size() / 4);
        file.replace(1 << 20, 3 << 20, QByteArray(3 << 20, '\xff')); // a long line without a LF
        QBuffer buffer(&file);
        QVERIFY(buffer.open(QIODevice::ReadOnly));
        ParamLineReader reader(buffer);
        ScriptedPrompts prompts;
        for (int calls = 0; !buffer.atEnd() && calls < 100000; ++calls) {
            if (reader.ReadParamLine(prompts))
                QVERIFY(reader.ParamValue.size() <= ParamLineReader::MaxParamLineLength);
        }
        QVERIFY(buffer.atEnd());
        QVERIFY(!prompts.Messages.isEmpty());
    }
};

QTEST_GUILESS_MAIN(TstTextUtil)
#include "tst_textutil.moc"
