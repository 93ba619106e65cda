#include <QBuffer>
#include <QRandomGenerator>
#include <QTest>

#include "core/galastate.h"
#include "core/textutil.h"
#include "support/scriptedprompts.h"
#include "support/testfiles.h"

using namespace Core;

class TstTextUtil : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void NameParts_data();
    void NameParts();
    void PadToWidthFitsColumn_data();
    void PadToWidthFitsColumn();
    void SplitWordsDropsEmptyWords_data();
    void SplitWordsDropsEmptyWords();
    void SplitWordsStopsAtCapacity();
    void FileExistsNeedsReadableFile();
    void EventExistsComparesExactly();
    void ReadParamLineSequence_data();
    void ReadParamLineSequence();
    void ReadParamLineCutsLongLine();
    void ReadParamLineSurvivesBinaryJunk();
};

void TstTextUtil::NameParts_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("first");
    QTest::addColumn<QString>("after");
    QTest::addColumn<QString>("key");
    QTest::newRow("two words") << "Jane Brown"
                               << "Jane"
                               << "Brown"
                               << "Brown Jane";
    QTest::newRow("three words") << "Mary Ann Jones"
                                 << "Mary"
                                 << "Ann Jones"
                                 << "Ann Jones Mary";
    QTest::newRow("trailing blanks") << "Jane Brown   "
                                     << "Jane"
                                     << "Brown"
                                     << "Brown Jane";
    QTest::newRow("one word") << "Cher  "
                              << "Cher"
                              << "Cher"
                              << "Cher";
    QTest::newRow("empty") << ""
                           << ""
                           << ""
                           << "";
}

void TstTextUtil::NameParts()
{
    QFETCH(QString, name);
    QFETCH(QString, first);
    QFETCH(QString, after);
    QFETCH(QString, key);
    QCOMPARE(FirstWord(name), first);
    QCOMPARE(AfterFirstWord(name), after);
    QCOMPARE(SurnameFirst(name), key);
    if (name.count(u' ') == 1)
        QCOMPARE(ForenameFirst(key), name.trimmed());
}

void TstTextUtil::PadToWidthFitsColumn_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("width");
    QTest::addColumn<QString>("padded");
    QTest::newRow("too long") << "Alexandrinas" << 10 << "Alexandri>";
    QTest::newRow("short") << "Anna" << 10 << "Anna      ";
    QTest::newRow("width one") << "Anna" << 1 << ">";
    QTest::newRow("width zero") << "Anna" << 0 << "";
}

void TstTextUtil::PadToWidthFitsColumn()
{
    QFETCH(QString, text);
    QFETCH(int, width);
    QFETCH(QString, padded);
    QCOMPARE(PadToWidth(text, width), padded);
}

void TstTextUtil::SplitWordsDropsEmptyWords_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QStringList>("words");
    QTest::addColumn<QString>("separator");
    QTest::newRow("two blanks") << "101  M" << QStringList{"101", "M"} << "";
    QTest::newRow("comma") << "1,,2,3," << QStringList{"1", "2", "3"} << ",";
    QTest::newRow("comma keeps blanks") << "a b,c" << QStringList{"a b", "c"} << ",";
    QTest::newRow("long separator") << "1<>2<><>3" << QStringList{"1", "2", "3"} << "<>";
    QTest::newRow("empty") << "" << QStringList{} << "";
    QTest::newRow("only separators") << "   " << QStringList{} << "";
}

void TstTextUtil::SplitWordsDropsEmptyWords()
{
    QFETCH(QString, text);
    QFETCH(QStringList, words);
    QFETCH(QString, separator);
    QCOMPARE(SplitWords(text, separator), words);
}

void TstTextUtil::SplitWordsStopsAtCapacity()
{
    const QStringList words = SplitWords(QString("x ").repeated(MaxWords + 5));
    QCOMPARE(words.size(), MaxWords);
}

void TstTextUtil::FileExistsNeedsReadableFile()
{
    TestDir dir;
    QVERIFY(FileExists(dir.Write("a.ini", "x=1\n")));
    QVERIFY(!FileExists(dir.FilePath("missing.ini")));
    QVERIFY(!FileExists(dir.Path()));
    QVERIFY(!FileExists(QString()));
}

void TstTextUtil::EventExistsComparesExactly()
{
    GalaState gala;
    QVERIFY(!EventExists(gala, "1"));
    for (const char *number : {"1", "2a"}) {
        GalaEvent event;
        event.EvNumber = number;
        gala.Events.append(event);
    }
    QVERIFY(EventExists(gala, "2a"));
    QVERIFY(!EventExists(gala, "2A"));
    QVERIFY(!EventExists(gala, " 1"));
}

void TstTextUtil::ReadParamLineSequence_data()
{
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<QStringList>("lines"); // "line number: keyword|value word count" per line
    QTest::addColumn<QStringList>("messages");
    const QStringList none;
    QTest::newRow("comments skipped") << QByteArray("#c\na=1  M 10U\n#x\nb=2\nEnd=End\n")
                                      << QStringList{"2: a|1  M 10U 3", "4: b|2 1"} << none;
    QTest::newRow("only line") << QByteArray("a=1\n") << QStringList{} << none;
    QTest::newRow("only line, no line end") << QByteArray("a=1") << QStringList{} << none;
    QTest::newRow("last line never used")
        << QByteArray("a=1\nb=2") << QStringList{"1: a|1 1"} << none;
    QTest::newRow("a comment follows")
        << QByteArray("a=1\n#end\n") << QStringList{"1: a|1 1"} << none;
    QTest::newRow("blank line") << QByteArray("a=1\n\nb=2\nEnd=End\n") << QStringList{"1: a|1 1"}
                                << QStringList{"Invalid Parameter"};
    QTest::newRow("crlf") << QByteArray("a=1 2\r\nb= x\r\nEnd=End\r\n")
                          << QStringList{"1: a|1 2 2", "2: b| x 1"} << none;
    QTest::newRow("first equals splits, nothing trimmed")
        << QByteArray(" k =a=b \nEnd=End") << QStringList{"1:  k |a=b  1"} << none;
    QTest::newRow("utf-8") << QByteArray("name=Zo\xc3\xab\nEnd=End\n")
                           << QStringList{"1: name|Zoë 1"} << none;
}

void TstTextUtil::ReadParamLineSequence()
{
    QFETCH(QByteArray, file);
    QFETCH(QStringList, lines);
    QFETCH(QStringList, messages);
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
    QCOMPARE(read, lines);
    QCOMPARE(prompts.Messages, messages);
}

void TstTextUtil::ReadParamLineCutsLongLine()
{
    QByteArray file = "k=" + QByteArray(1 << 20, 'x') + "\nb=2\nEnd=End\n";
    QBuffer buffer(&file);
    QVERIFY(buffer.open(QIODevice::ReadOnly));
    ParamLineReader reader(buffer);
    ScriptedPrompts prompts;
    QVERIFY(reader.ReadParamLine(prompts));
    QCOMPARE(reader.ParamKeyword, "k");
    QCOMPARE(reader.ParamValue.size(), ParamLineReader::MaxParamLineLength - 2);
    QVERIFY(reader.ReadParamLine(prompts));
    QCOMPARE(reader.ParamKeyword + reader.ParamValue, "b2");
    QCOMPARE(reader.LineNumber, 2);
}

// Binary junk with NULs, stray CRs and broken UTF-8: every call returns, no line is longer than
// the cut, and the whole file is consumed.
void TstTextUtil::ReadParamLineSurvivesBinaryJunk()
{
    QRandomGenerator random(4711);
    QByteArray file(8 << 20, Qt::Uninitialized);
    random.fillRange(reinterpret_cast<quint32 *>(file.data()), file.size() / 4);
    file.replace(1 << 20, 3 << 20, QByteArray(3 << 20, '\xff')); // a long line without a LF
    QBuffer buffer(&file);
    QVERIFY(buffer.open(QIODevice::ReadOnly));
    ParamLineReader reader(buffer);
    ScriptedPrompts prompts;
    int calls = 0;
    while (!buffer.atEnd() && calls < 100000) {
        if (reader.ReadParamLine(prompts))
            QVERIFY(reader.ParamValue.size() <= ParamLineReader::MaxParamLineLength);
        ++calls;
    }
    QVERIFY(buffer.atEnd());
    QVERIFY(!prompts.Messages.isEmpty());
}

QTEST_GUILESS_MAIN(TstTextUtil)
#include "tst_textutil.moc"
