#include <QBuffer>
#include <QTest>

#include <quazip.h>
#include <quazipfile.h>
#include <quazipnewinfo.h>

#include "lenex/lenexfile.h"
#include "support/testfiles.h"

using namespace Lenex;
using namespace Qt::StringLiterals;

namespace {

// One line per item of the document, its fields joined by '|', indented by its depth.
QStringList Dump(const Document &document)
{
    QStringList lines{u"lenex|%1|%2"_s.arg(document.Version, document.GeneratorName)};
    const auto date = [](const QDate &d) { return d.toString(u"yyyy-MM-dd"_s); };
    const auto swims = [&lines](const QList<Entry> &entries, const QList<Result> &results) {
        for (const Entry &e : entries)
            lines.append(u"      entry|%1|%2|%3|%4"_s.arg(e.EventId)
                             .arg(e.EntryTime)
                             .arg(e.HeatId)
                             .arg(e.Lane));
        for (const Result &r : results)
            lines.append(u"      result|%1|%2|%3|%4|%5|%6"_s.arg(r.Id)
                             .arg(r.EventId)
                             .arg(r.SwimTime, r.Status)
                             .arg(r.HeatId)
                             .arg(r.Lane));
    };
    for (const Meet &m : document.Meets) {
        lines.append(u"meet|%1|%2|%3|%4|%5|%6"_s.arg(m.Name, m.City, m.Nation, m.Course)
                         .arg(m.LaneMin)
                         .arg(m.LaneMax));
        for (const Session &s : m.Sessions) {
            lines.append(u"  session|%1|%2|%3"_s.arg(s.Number).arg(date(s.Date), s.Name));
            for (const Event &e : s.Events) {
                lines.append(u"    event|%1|%2|%3|%4|%5|%6|%7|%8"_s.arg(e.Id)
                                 .arg(e.Number)
                                 .arg(e.Gender, e.Round)
                                 .arg(e.PreviousEventId)
                                 .arg(e.Distance)
                                 .arg(e.Stroke)
                                 .arg(e.RelayCount));
                for (const AgeGroup &g : e.AgeGroups)
                    lines.append(u"      agegroup|%1|%2|%3|%4|%5"_s.arg(g.Id)
                                     .arg(g.AgeMin)
                                     .arg(g.AgeMax)
                                     .arg(g.Gender, g.Name));
                for (const Heat &h : e.Heats)
                    lines.append(u"      heat|%1|%2"_s.arg(h.Id).arg(h.Number));
            }
        }
        for (const Club &c : m.Clubs) {
            lines.append(u"  club|%1|%2|%3"_s.arg(c.Code, c.Name, c.Nation));
            for (const Athlete &a : c.Athletes) {
                lines.append(u"    athlete|%1|%2|%3|%4|%5|%6"_s.arg(a.Id).arg(
                    a.FirstName, a.LastName, a.Gender, date(a.BirthDate), a.License));
                swims(a.Entries, a.Results);
            }
            for (const Relay &r : c.Relays) {
                lines.append(
                    u"    relay|%1|%2|%3|%4"_s.arg(r.Number).arg(r.Gender).arg(r.AgeMin).arg(
                        r.AgeMax));
                swims(r.Entries, r.Results);
            }
        }
    }
    return lines;
}

struct Member
{
    QString Name;
    QByteArray Bytes;
};

// A zip archive of `members`, deflated, or stored as they are when `stored`.
QByteArray Zip(const QList<Member> &members, bool stored = false)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    QuaZip zip(&buffer);
    zip.open(QuaZip::mdCreate);
    for (const Member &m : members) {
        QuaZipFile file(&zip);
        file.open(QIODevice::WriteOnly, QuaZipNewInfo(m.Name), nullptr, 0, stored ? 0 : Z_DEFLATED);
        file.write(m.Bytes);
        file.close();
    }
    zip.close();
    return bytes;
}

// A zip of one member "meet.lef" holding `xml`, encrypted with a password.
QByteArray EncryptedZip(const QByteArray &xml)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    QuaZip zip(&buffer);
    zip.open(QuaZip::mdCreate);
    QuaZipFile file(&zip);
    file.open(QIODevice::WriteOnly, QuaZipNewInfo(u"meet.lef"_s), "secret");
    file.write(xml);
    file.close();
    zip.close();
    return bytes;
}

// A zip whose one member "big.lef" unpacks to `size` zero bytes, written a block at a time.
QByteArray ZerosZip(qint64 size)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    QuaZip zip(&buffer);
    zip.open(QuaZip::mdCreate);
    QuaZipFile file(&zip);
    file.open(QIODevice::WriteOnly, QuaZipNewInfo(u"big.lef"_s), nullptr, 0, Z_DEFLATED, 1);
    const QByteArray block(1 << 20, '\0');
    for (qint64 left = size; left > 0; left -= block.size())
        file.write(block.constData(), qMin<qint64>(left, block.size()));
    file.close();
    zip.close();
    return bytes;
}

const QByteArray Small = R"(<?xml version="1.0"?>
<LENEX version="3.0"><MEETS><MEET name="M" city="C" nation="GBR"><CLUBS><CLUB name="K"><ATHLETES>
<ATHLETE athleteid="1" firstname="A" lastname="B" gender="F" %1><ENTRIES><ENTRY eventid="1" %2/>
</ENTRIES></ATHLETE></ATHLETES></CLUB></CLUBS></MEET></MEETS></LENEX>
)";

// The small document with `athlete` and `entry` as extra attributes of its one athlete and entry.
QByteArray SmallWith(const char *athlete, const char *entry = "")
{
    return QByteArray(Small).replace("%1", athlete).replace("%2", entry);
}

// `depth` elements nested inside one another: LENEX, MEETS, MEET and unknown ones within.
QByteArray Nested(int depth)
{
    return "<LENEX version=\"3.0\"><MEETS><MEET name=\"M\">" +
           QByteArray("<X>").repeated(depth - 3) + QByteArray("</X>").repeated(depth - 3) +
           "</MEET></MEETS></LENEX>";
}

// A meet of one club with `count` entries of one athlete: each counts as an item, as do the
// meet, the club and the athlete.
QByteArray Items(int count)
{
    return SmallWith("").replace("<ENTRY eventid=\"1\" />",
                                 QByteArray("<ENTRY/>").repeated(count - 3));
}

} // namespace

class TstLenexFile : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void ReadsFile_data();
    void ReadsFile();
    void EntryTimeFromSwimTime_data();
    void EntryTimeFromSwimTime();
    void SwimTimeFromEntryTime_data();
    void SwimTimeFromEntryTime();
    void RoundTrip_data();
    void RoundTrip();
    void WritesAwkwardTexts();
    void WriteFailure();
    void Input_data();
    void Input();
    void SizeLimit_data();
    void SizeLimit();
};

void TstLenexFile::ReadsFile_data()
{
    AddRows({"open", "masters"});
}

void TstLenexFile::ReadsFile()
{
    const QString name = RowCells().at(0);
    Document document;
    QString error;
    QVERIFY2(ReadLenexFile(TestDataPath(u"lenex/%1.lef"_s.arg(name)), document, &error),
             qPrintable(error));
    const QStringList expected =
        QString::fromUtf8(TestDir::Read(TestDataPath(u"lenex/%1.dump"_s.arg(name))))
            .split(u'\n', Qt::SkipEmptyParts);
    QCOMPARE(Dump(document), expected);
}

void TstLenexFile::EntryTimeFromSwimTime_data()
{
    AddRows({"00:01:05.32|1:05.32", "00:00:32.10|32.10", "00:00:00.01|00.01", "00:00:05.00|05.00",
             "00:00:00.00|", "00:59:59.99|59:59.99", "01:00:00.00|60:00.00", "01:00:00.01|",
             "00:60:00.00|", "00:00:60.00|", "00:00:59.99|59.99", "0:01:05.32|", "00:01:05.3|",
             "00:01:05.32 |", "00:01:05,32|", "NT|", "|", "1:05.32|"});
}

void TstLenexFile::EntryTimeFromSwimTime()
{
    const QStringList cells = RowCells();
    QCOMPARE(Lenex::EntryTimeFromSwimTime(cells.at(0)), cells.at(1));
}

void TstLenexFile::SwimTimeFromEntryTime_data()
{
    AddRows({"1:05.32|00:01:05.32", "32.1|00:00:32.10", "0.01|00:00:00.01", "0.004|NT",
             "119.999|00:02:00.00", "59:59.99|00:59:59.99", "60:00.00|01:00:00.00",
             "5999:59|99:59:59.00", "6000:00.00|NT", "9:99.99|NT", " 9:99.99 |NT", "|NT", "NT|NT",
             "0|NT", "abc|NT"});
}

void TstLenexFile::SwimTimeFromEntryTime()
{
    const QStringList cells = RowCells();
    QCOMPARE(Lenex::SwimTimeFromEntryTime(cells.at(0)), cells.at(1));
}

void TstLenexFile::RoundTrip_data()
{
    AddRows({"open|meet.lef", "open|meet.lxf", "masters|Masters Relays.LXF"});
}

void TstLenexFile::RoundTrip()
{
    const QStringList cells = RowCells();
    Document read;
    QVERIFY(ReadLenexFile(TestDataPath(u"lenex/%1.lef"_s.arg(cells.at(0))), read, nullptr));
    TestDir dir;
    const QString path = dir.FilePath(cells.at(1));
    QString error;
    QVERIFY2(WriteLenexFile(path, read, &error), qPrintable(error));
    Document again;
    QVERIFY2(ReadLenexFile(path, again, &error), qPrintable(error));
    QStringList expected = Dump(read);
    expected[0] = u"lenex|3.0|openmeet"_s;
    QCOMPARE(Dump(again), expected);

    QByteArray bytes = TestDir::Read(path);
    const bool zipped = cells.at(1).endsWith(u"xf"_s, Qt::CaseInsensitive);
    QCOMPARE(bytes.startsWith("PK\x03\x04"), zipped);
    if (zipped) {
        QBuffer buffer(&bytes);
        QuaZip zip(&buffer);
        QVERIFY(zip.open(QuaZip::mdUnzip));
        QCOMPARE(zip.getFileNameList(),
                 QStringList{QFileInfo(path).completeBaseName() + u".lef"_s});
    } else {
        QVERIFY(
            bytes.startsWith("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<LENEX version=\"3.0\">\n"
                             "  <CONSTRUCTOR name=\"openmeet\""));
    }
    QVERIFY(QDir(dir.Path()).entryList(QDir::Files) == QStringList{cells.at(1)});
}

void TstLenexFile::WritesAwkwardTexts()
{
    Document document;
    Meet &meet = document.Meets.emplace_back();
    meet.Name = u"Tom & Jerry's <\"Open\">\tgala"_s;
    meet.City = u"Zoë\n🏊 line\r"_s;
    meet.Nation = u"G\x01"
                  u"BR\uFFFF"_s;
    Document read;
    QString error;
    QVERIFY2(ReadLenexXml(LenexXml(document), u"x"_s, read, &error), qPrintable(error));
    QCOMPARE(read.Meets.size(), 1);
    QCOMPARE(read.Meets[0].Name, meet.Name);
    QCOMPARE(read.Meets[0].City, meet.City);
    QCOMPARE(read.Meets[0].Nation, u"GBR"_s);
}

void TstLenexFile::WriteFailure()
{
    TestDir dir;
    const QString path = dir.FilePath(u"missing/meet.lxf"_s);
    QString error;
    QVERIFY(!WriteLenexFile(path, Document(), &error));
    QVERIFY2(error.startsWith(u"Cannot write "_s + path + u": "_s), qPrintable(error));
}

void TstLenexFile::Input_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("expected"); // the message's end, or "" when the file reads
    const QByteArray open = TestDir::Read(TestDataPath(u"lenex/open.lef"_s));
    const QByteArray small = SmallWith("");

    QTest::newRow("dtd") << QByteArray("<?xml version=\"1.0\"?>\n<!DOCTYPE LENEX [<!ENTITY a "
                                       "\"aaaa\">]>\n<LENEX version=\"3.0\"/>")
                         << u"line 2: the file holds a document type definition (DTD), which a "
                            "Lenex file never has; it is not read"_s;
    QTest::newRow("entity") << QByteArray("<LENEX version=\"3.0\">\n<MEETS>&lol;</MEETS></LENEX>")
                            << u"not declared."_s;
    QTest::newRow("entity in attribute") << SmallWith("license=\"&lol;\"") << u"not declared."_s;
    QTest::newRow("nested 32") << Nested(32) << QString();
    QTest::newRow("nested 33")
        << Nested(33)
        << u"elements are nested more than 32 deep, which a Lenex file never is; it is not read"_s;
    QTest::newRow("truncated xml")
        << open.left(open.size() / 2)
        << u"the file ends before its Lenex document does; it may have been cut short"_s;
    QTest::newRow("not lenex")
        << QByteArray("<html><body/></html>")
        << u"in.lef is not a Lenex file: it holds <html> where <LENEX> should be"_s;
    QTest::newRow("empty") << QByteArray() << u"in.lef is not a Lenex file"_s;
    QTest::newRow("text") << QByteArray("Name,Club\nAda,VELM\n") << u"in.lef is not a Lenex file"_s;
    QTest::newRow("damaged xml")
        << QByteArray("<LENEX version=\"3.0\">\n<MEETS></MEET></LENEX>")
        << u"in.lef, line 2: the XML is damaged: Opening and ending tag mismatch."_s;
    QTest::newRow("lane not a number")
        << SmallWith("", "lane=\"3a\"")
        << u"in.lef, line 3: ENTRY lane=\"3a\" is not a whole number"_s;
    QTest::newRow("lane empty") << SmallWith("", "lane=\"\"")
                                << u"ENTRY lane=\"\" is not a whole number"_s;
    QTest::newRow("lane plus") << SmallWith("", "lane=\"+3\"")
                               << u"ENTRY lane=\"+3\" is not a whole number"_s;
    QTest::newRow("id at int max") << SmallWith("", "heatid=\"2147483647\"") << QString();
    QTest::newRow("id past int max") << SmallWith("", "heatid=\"2147483648\"")
                                     << u"ENTRY heatid=\"2147483648\" is not a whole number"_s;
    QTest::newRow("id at int min") << SmallWith("", "heatid=\"-2147483648\"") << QString();
    QTest::newRow("long value quoted short")
        << SmallWith("", QByteArray("heatid=\"" + QByteArray(100, '7') + "x\"").constData())
        << u"ENTRY heatid=\"7777777777777777777777777777777777777777...\" is not a whole number"_s;
    QTest::newRow("leap day") << SmallWith("birthdate=\"2024-02-29\"") << QString();
    QTest::newRow("no such day")
        << SmallWith("birthdate=\"2023-02-29\"")
        << u"ATHLETE birthdate=\"2023-02-29\" is not a date (YYYY-MM-DD)"_s;
    QTest::newRow("date unpadded")
        << SmallWith("birthdate=\"2014-5-9\"")
        << u"ATHLETE birthdate=\"2014-5-9\" is not a date (YYYY-MM-DD)"_s;
    QTest::newRow("date day first")
        << SmallWith("birthdate=\"09-05-2014\"") << u"is not a date (YYYY-MM-DD)"_s;
    QTest::newRow("swim time at limits") << SmallWith("", "entrytime=\"99:59:59.99\"") << QString();
    QTest::newRow("swim time NT") << SmallWith("", "entrytime=\"NT\"") << QString();
    QTest::newRow("swim time minutes 60")
        << SmallWith("", "entrytime=\"00:60:00.00\"")
        << u"ENTRY entrytime=\"00:60:00.00\" is not a swim time (HH:MM:SS.hh or NT)"_s;
    QTest::newRow("swim time short")
        << SmallWith("", "entrytime=\"1:05.32\"") << u"is not a swim time (HH:MM:SS.hh or NT)"_s;

    QTest::newRow("items at limit") << Items(1'000'000) << QString();
    QTest::newRow("items past limit")
        << Items(1'000'001)
        << u"the file holds more than 1,000,000 events, clubs, athletes, entries and results, far more than any meet; it is not read"_s;

    QTest::newRow("zip") << Zip({{u"meet.lef"_s, small}}) << QString();
    QTest::newRow("zip in folder beside readme")
        << Zip({{u"read me.txt"_s, "x"}, {u"a..b/meet.LEF"_s, small}}) << QString();
    QTest::newRow("zip member ../")
        << Zip({{u"../x.lef"_s, small}})
        << u"in.lef holds the file \"../x.lef\", whose path leaves the archive; the archive is not read"_s;
    QTest::newRow("zip member inner ..")
        << Zip({{u"a/../../x.lef"_s, small}})
        << u"whose path leaves the archive; the archive is not read"_s;
    QTest::newRow("zip member absolute")
        << Zip({{u"/tmp/x.lef"_s, small}})
        << u"whose path leaves the archive; the archive is not read"_s;
    QTest::newRow("zip member drive")
        << Zip({{u"readme.txt"_s, "x"}, {u"C:x.lef"_s, small}})
        << u"whose path leaves the archive; the archive is not read"_s;
    QTest::newRow("zip two lef") << Zip({{u"a.lef"_s, small}, {u"b.lef"_s, small}})
                                 << u"in.lef holds 2 Lenex files (.lef); one is expected"_s;
    QTest::newRow("zip no lef") << Zip({{u"meet.xml"_s, small}})
                                << u"in.lef holds no Lenex file (.lef)"_s;
    QTest::newRow("zip empty") << QByteArray("PK\x05\x06").leftJustified(22, '\0')
                               << u"in.lef holds no Lenex file (.lef)"_s;
    const QByteArray zipped = Zip({{u"meet.lef"_s, open}});
    QTest::newRow("zip truncated")
        << zipped.left(zipped.size() - 30)
        << u"in.lef is a damaged or incomplete zip archive and cannot be read"_s;
    QByteArray altered = Zip({{u"meet.lef"_s, open}}, true);
    altered.replace("Quillfeather", "Quillfeathex");
    QTest::newRow("zip check sum")
        << altered
        << u"in.lef (meet.lef) is damaged: its contents do not match the archive's check sum"_s;
    QByteArray scrambled = zipped;
    scrambled.replace(60, 40, QByteArray(40, '\xff'));
    QTest::newRow("zip data damaged")
        << scrambled << u"in.lef (meet.lef) is damaged and cannot be unpacked"_s;
    QTest::newRow("zip encrypted")
        << EncryptedZip(small)
        << u"in.lef (meet.lef) is protected by a password and cannot be unpacked"_s;
    QByteArray lzma = Zip({{u"meet.lef"_s, small}}, true);
    lzma[8] = lzma[lzma.indexOf("PK\x01\x02") + 10] = 14;
    QTest::newRow("zip method unknown")
        << lzma << u"in.lef (meet.lef) is packed in a way this program does not read (method 14)"_s;
    QTest::newRow("zip xml damaged")
        << Zip({{u"meet.lef"_s, open.left(200)}})
        << u"the file ends before its Lenex document does; it may have been cut short"_s;
    QList<Member> many(999, {u"x.txt"_s, "x"});
    many.append({u"meet.lef"_s, small});
    QTest::newRow("zip 1000 members") << Zip(many) << QString();
    many.append({u"y.txt"_s, "y"});
    QTest::newRow("zip 1001 members")
        << Zip(many) << u"in.lef holds more than 1000 files; a Lenex archive holds one .lef"_s;
    // Zeros are not XML: at the limit they are read and refused as such, one byte more is
    // refused unread.
    QTest::newRow("zip 200 MB") << ZerosZip(MaxLenexBytes) << u"in.lef is not a Lenex file"_s;
    QTest::newRow("zip 200 MB and a byte")
        << ZerosZip(MaxLenexBytes + 1)
        << u"in.lef (big.lef) holds more than 200 MB of Lenex XML, which no meet needs; it is not read"_s;
}

void TstLenexFile::Input()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QString, expected);
    TestDir dir;
    // The name says XML whatever the bytes are: the reader goes by the contents.
    const QString path = dir.Write(u"in.lef"_s, bytes);
    Document document;
    document.GeneratorName = u"stale"_s;
    QString error;
    const bool read = ReadLenexFile(path, document, &error);
    if (expected.isEmpty()) {
        QVERIFY2(read, qPrintable(error));
        QCOMPARE(document.Meets.size(), 1);
        return;
    }
    QVERIFY(!read);
    QVERIFY2(error.endsWith(expected) && error.startsWith(path), qPrintable(error));
    QCOMPARE(Dump(document), Dump(Document()));
}

// A file on disk (sparse, so that it costs no writing) and XML in memory, at the size limit and
// one byte past it. Zeros are not XML: within the limit they are read and refused as such.
void TstLenexFile::SizeLimit_data()
{
    AddRows({"file|0|is not a Lenex file",
             "file|1|holds more than 200 MB of Lenex XML, which no meet needs; it is not read",
             "xml|0|is not a Lenex file",
             "xml|1|holds more than 200 MB of Lenex XML, which no meet needs; it is not read"});
}

void TstLenexFile::SizeLimit()
{
    const QStringList cells = RowCells();
    const qint64 size = MaxLenexBytes + cells.at(1).toInt();
    TestDir dir;
    QString name = u"in.lef"_s;
    Document document;
    QString error;
    if (cells.at(0) == u"file"_s) {
        QFile file(name = dir.FilePath(name));
        QVERIFY(file.open(QIODevice::WriteOnly) && file.resize(size));
        file.close();
        QVERIFY(!ReadLenexFile(name, document, &error));
    } else {
        QVERIFY(!ReadLenexXml(QByteArray(size, '\0'), name, document, &error));
    }
    QCOMPARE(error, name + u' ' + cells.at(2));
}

QTEST_GUILESS_MAIN(TstLenexFile)
#include "tst_lenexfile.moc"
