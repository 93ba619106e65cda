#include <stdexcept>

#include <QBuffer>
#include <QDir>
#include <QPdfWriter>
#include <QTest>

#include "core/startup.h"
#include "reports/printer.h"
#include "reports/reportoutput.h"
#include "support/pdftext.h"
#include "support/testfiles.h"

// The printer layer checked through the PDF it writes, read back as a reader would see it.
namespace {

// The PDF pages have a quarter-inch border; x = ScaleLeft is its inner edge.
constexpr double Border = 0.25;
// pdftotext reports positions in points rounded to thousandths; glyph boxes differ from the
// font's line box by a few hundredths of an inch.
constexpr double Tolerance = 0.005;

} // namespace

class TestPrinter : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() { Core::InstallFontSubstitutions(); }

    void text_data()
    {
        QTest::addColumn<QString>("family");
        QTest::addColumn<double>("size");
        QTest::addColumn<QPointF>("scale"); // ScaleLeft, ScaleTop
        QTest::addColumn<QPointF>("pen");   // CurrentX, CurrentY
        // Expected top-left corner of the first line, in inches from the paper's edges.
        QTest::addColumn<QPointF>("corner");
        QTest::addColumn<double>("width"); // of "Velmora Marlets" at 10 pt, in inches

        // Widths of the families the Liberation fonts stand in for, which share their metrics.
        // Measured on the screen instead of the device they come out about 3% narrower. Text is
        // not kerned, so Times ("Ve") is a little wider than a kerning layout makes it.
        const QPointF origin;
        const QPointF corner(Border, Border);
        // clang-format off
        QTest::newRow("origin at the printable corner") << "Courier New" << 12.0 << origin << origin << corner << 1.2525;
        QTest::newRow("columns of the entrants list") << "Tahoma" << 10.0 << QPointF(-0.5, 0) << QPointF(4, 1) << corner + QPointF(4.5, 1) << 1.1300;
        QTest::newRow("second block lower on a sheet") << "Arial" << 8.0 << QPointF(-0.5, -4.3) << QPointF(0.5, 0.25) << corner + QPointF(1, 4.55) << 1.0054;
        QTest::newRow("Times New Roman") << "Times New Roman" << 10.0 << origin << origin << corner << 0.9448;
        QTest::newRow("Arial Narrow")    << "Arial Narrow"    << 10.0 << origin << origin << corner << 0.8245;
        // clang-format on
    }

    void text()
    {
        QFETCH(QString, family);
        QFETCH(double, size);
        QFETCH(QPointF, scale);
        QFETCH(QPointF, pen);
        QFETCH(QPointF, corner);
        QFETCH(double, width);
        const QString text = QStringLiteral("Velmora Marlets");
        double measured = 0;
        double advance = 0;
        const PdfContents pdf = PdfWords(Reports::PdfReport("t", {}, [&](Reports::Printer &p) {
            p.SetFontName(family);
            p.SetFontSize(size);
            p.SetScaleLeft(scale.x());
            p.SetScaleTop(scale.y());
            p.SetCurrentX(pen.x());
            p.SetCurrentY(pen.y());
            measured = p.TextWidth(text);
            QCOMPARE(p.TextWidth(QString()), 0.0);
            p.Print(text);
            // The pen moves on by exactly the measured width.
            QVERIFY(qAbs(p.CurrentX() - pen.x() - measured) < 1e-9);
            p.PrintLine(QStringLiteral("X"));
            p.PrintLine(); // an empty line moves down as well
            p.SetCurrentX(pen.x());
            p.PrintLine(QStringLiteral("Third"));
            advance = p.TextHeight();
            QCOMPARE(p.CurrentX(), 0.0);
            QVERIFY(qAbs(p.CurrentY() - (pen.y() + 3 * advance)) < 1e-9);
        }));
        QVERIFY2(qAbs(measured - width * size / 10) < 0.01, qPrintable(QString::number(measured)));
        // A line is the font's ascent and descent, 1.10 to 1.17 of the size for these families,
        // with no extra leading.
        QVERIFY2(advance > 1.09 * size / 72 && advance < 1.18 * size / 72,
                 qPrintable(QString::number(advance)));
        const QList<PdfWord> first = FindWords(pdf, QStringLiteral("Velmora"));
        const QList<PdfWord> third = FindWords(pdf, QStringLiteral("Third"));
        // The next item starts where the measured text ends.
        QVERIFY(first.size() == 1 && third.size() == 1 && FindWords(pdf, "MarletsX").size() == 1);
        QVERIFY2(qAbs(first[0].Left - corner.x()) < Tolerance,
                 qPrintable(QString::number(first[0].Left)));
        // pdftotext's box starts at the font's ascender, within a few hundredths of the line's top.
        QVERIFY2(qAbs(first[0].Top - corner.y()) < 0.03, qPrintable(QString::number(first[0].Top)));
        QVERIFY2(qAbs(third[0].Top - first[0].Top - 2 * advance) < Tolerance,
                 qPrintable(QString::number(third[0].Top - first[0].Top)));
    }

    // style letter, bold, italic -> family, B bold, I italic ("N" keeps the family set before).
    void setFont_data()
    {
        QTest::addColumn<QString>("row");
        for (const char *row : {"H|B||Head|B", "R||I|Body|I", "C|N|N|Fixed|", "N|B|I|Times|BI",
                                "X|b|i|Arial Narrow|", "h|||Arial Narrow|"})
            QTest::newRow(row) << QString(row);
    }
    void setFont()
    {
        QFETCH(QString, row);
        const QStringList f = row.split(u'|');
        Reports::ReportFonts fonts;
        fonts.Heading = "Head";
        fonts.Regular = "Body";
        fonts.Fixed = "Fixed";
        Reports::PdfReport("t", fonts, [&](Reports::Printer &p) {
            p.SetFontName("Times");
            p.SetFont(f[0], 11.5, f[1], f[2]);
            QCOMPARE(p.FontName() + '|' + (p.FontBold() ? "B" : "") + (p.FontItalic() ? "I" : ""),
                     f[3] + '|' + f[4]);
            QCOMPARE(p.FontSize(), 11.5);
        });
    }

    void fitText_data()
    {
        // The width given is the text's width in 12 pt Times times `factor`, less `points`.
        QTest::addColumn<double>("factor");
        QTest::addColumn<double>("points");
        QTest::addColumn<bool>("fits");
        QTest::addColumn<QString>("family");
        QTest::addColumn<double>("size");
        // clang-format off
        QTest::newRow("narrower than the width") << 1.05 << 0.0 << true << "Times New Roman" << 12.0;
        QTest::newRow("exactly as wide")         << 1.0  << 0.0 << true << "Times New Roman" << 12.0;
        // One point too wide: the narrow family alone makes it fit.
        QTest::newRow("one point too wide")      << 1.0  << 1.0 << true << "Arial Narrow"    << 12.0;
        QTest::newRow("fits at the smallest size") << 0.6 << 0.0 << true << "Arial Narrow"    << Reports::MinFitSize;
        QTest::newRow("needs a size smaller still") << 0.5 << 0.0 << false << "Arial Narrow"   << Reports::MinFitSize;
        QTest::newRow("cannot fit: stops at the smallest size") << 0.001 << 0.0 << false << "Arial Narrow" << Reports::MinFitSize;
        // clang-format on
    }

    void fitText()
    {
        QFETCH(double, factor);
        QFETCH(double, points);
        QFETCH(bool, fits);
        QFETCH(double, size);
        const QString text = QStringLiteral("Penhale-Greet, Otis");
        Reports::PdfReport("t", {}, [&](Reports::Printer &p) {
            p.SetFontName(QStringLiteral("Times New Roman"));
            p.SetFontSize(12);
            const double width = p.TextWidth(text) * factor - points / 72;
            QCOMPARE(p.FitText(text, width), fits);
            QTEST(p.FontName(), "family");
            QCOMPARE(p.FontSize(), size);
            QCOMPARE(p.TextWidth(text) <= width, fits);
            // The largest size that fits: a point more would not.
            p.SetFontSize(size + 1);
            QVERIFY(!fits || size == 12 || p.TextWidth(text) > width);
        });
    }

    // Control characters and the characters that turn text round are neither measured nor
    // drawn; the characters either side of each range are kept.
    void printableText_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("printed");
        const auto row = [](const char *tag, char16_t c, bool kept) {
            QTest::newRow(tag) << u"Ann"_qs + QChar(c) + u"Lee"_qs
                               << (kept ? u"Ann"_qs + QChar(c) + u"Lee"_qs : u"AnnLee"_qs);
        };
        // clang-format off
        row("NUL", 0x0000, false);           row("unit separator", 0x001F, false);
        row("tab", 0x0009, false);           row("blank", 0x0020, true);
        row("DEL", 0x007F, false);           row("C1 next line", 0x0085, false);
        row("C1 last", 0x009F, false);       row("no-break space", 0x00A0, true);
        row("Arabic semicolon", 0x061B, true); row("Arabic letter mark", 0x061C, false);
        row("Arabic sign", 0x061D, true);    row("zero width joiner", 0x200D, true);
        row("left-to-right mark", 0x200E, false); row("right-to-left mark", 0x200F, false);
        row("hyphen", 0x2010, true);         row("paragraph separator", 0x2029, true);
        row("LR embedding", 0x202A, false);  row("RL override", 0x202E, false);
        row("narrow no-break space", 0x202F, true); row("before the isolates", 0x2065, true);
        row("LR isolate", 0x2066, false);    row("pop isolate", 0x2069, false);
        row("after the isolates", 0x206A, true);
        QTest::newRow("override of a whole name") << u"\u202Eeel nnA\u202C"_qs << u"eel nnA"_qs;
        QTest::newRow("letters outside the BMP") << u"\U0001D49C\U0001D49D"_qs << u"\U0001D49C\U0001D49D"_qs;
        // clang-format on
    }

    void printableText()
    {
        QFETCH(QString, text);
        QFETCH(QString, printed);
        QCOMPARE(Reports::PrintableText(text), printed);
        // Measured as drawn.
        Reports::PdfReport("t", {}, [&](Reports::Printer &p) {
            QCOMPARE(p.TextWidth(text), p.TextWidth(printed));
        });
    }

    // A right-to-left override reaches the PDF as nothing: the name reads as written.
    void overrideNotDrawn()
    {
        const PdfContents pdf = PdfWords(Reports::PdfReport(
            "t", {}, [](Reports::Printer &p) { p.PrintLine(u"\u202EAnn Lee\u202C 31.20"_qs); }));
        QCOMPARE(pdf.Words.size(), 3);
        QCOMPARE(pdf.Words.at(0).Text + u' ' + pdf.Words.at(1).Text, u"Ann Lee"_qs);
    }

    // Rows: the text, the width as the width of `room` in 10 pt Arial Narrow plus `points`, and
    // what is printed.
    void cutToWidth_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("room");
        QTest::addColumn<double>("points");
        QTest::addColumn<QString>("printed");
        // clang-format off
        QTest::newRow("exactly as wide")       << "Ann Lee" << "Ann Lee" << 0.0   << "Ann Lee";
        QTest::newRow("a hair too wide")       << "Ann Lee" << "Ann Lee" << -0.01 << "Ann L>";
        QTest::newRow("cut with the mark")     << "Ann Lee" << "Ann L>"  << 0.0   << "Ann L>";
        QTest::newRow("no blank before >")     << "Ann Lee" << "Ann L>"  << -0.01 << "Ann>";
        QTest::newRow("only the mark fits")    << "Ann Lee" << ">"       << 0.0   << ">";
        QTest::newRow("not even the mark")     << "Ann Lee" << ""        << 0.0   << ">";
        QTest::newRow("override left out")     << u"\u202EAnn Lee"_qs << "Ann L>" << 0.0 << "Ann L>";
        // An accent typed as a mark of its own stays with its letter.
        QTest::newRow("accent kept with its letter") << u"Zoe\u0308 Lee"_qs << "Zoe>" << 0.0 << u"Zoe\u0308>"_qs;
        QTest::newRow("pair of a letter outside the BMP") << u"A\U0001D49C\U0001D49C"_qs << u"A\U0001D49C>"_qs << -0.01 << "A>";
        // clang-format on
    }

    void cutToWidth()
    {
        QFETCH(QString, text);
        QFETCH(QString, room);
        QFETCH(double, points);
        Reports::PdfReport("t", {}, [&](Reports::Printer &p) {
            p.SetFontName(Reports::FontArialNarrow);
            p.SetFontSize(10);
            const double width = p.TextWidth(room) + points / 72;
            const QString cut = p.CutToWidth(text, width);
            QTEST(cut, "printed");
            QVERIFY(cut.isValidUtf16());
            QVERIFY(cut == u">"_qs || p.TextWidth(cut) <= width);
        });
    }

    void pages_data()
    {
        QTest::addColumn<QString>("script"); // T text line, N new page, E empty line
        QTest::addColumn<int>("pages");
        QTest::newRow("nothing printed: one empty page") << "" << 1;
        QTest::newRow("new page at the end gives no blank sheet") << "TN" << 1;
        QTest::newRow("new page between") << "TNT" << 2;
        QTest::newRow("empty lines after a new page draw nothing") << "TNEE" << 1;
        QTest::newRow("two new pages leave a blank sheet") << "TNNT" << 3;
    }

    void pages()
    {
        QFETCH(QString, script);
        QList<double> topsAfterBreak;
        const PdfContents pdf = PdfWords(Reports::PdfReport("t", {}, [&](Reports::Printer &p) {
            for (QChar c : std::as_const(script)) {
                if (c == u'N') {
                    p.SetCurrentX(1.0);
                    p.SetCurrentY(3.0);
                    p.NewPage();
                    topsAfterBreak << p.CurrentX() << p.CurrentY();
                } else {
                    p.PrintLine(c == u'T' ? QStringLiteral("Line") : QString());
                }
            }
        }));
        QTEST(pdf.Pages, "pages");
        // Each sheet after a break starts at its top-left corner.
        QCOMPARE(topsAfterBreak, QList<double>(topsAfterBreak.size(), 0.0));
    }

    // A report that stops half-way: the device still gets a whole document, the caller gets
    // the message, and no file appears under the chosen name.
    void failedReport()
    {
        TestDir dir;
        const QString path = dir.FilePath(QStringLiteral("list.pdf"));
        const auto files = [&dir] {
            return QDir(dir.Path()).entryList(QDir::Files | QDir::Hidden);
        };
        QString error;
        const Reports::ReportBody failing = [](Reports::Printer &p) {
            p.PrintLine(QStringLiteral("Half"));
            p.NewPage();
            throw std::runtime_error("The database went away");
        };
        QVERIFY(!Reports::WritePdfReport(path, QStringLiteral("t"), {}, failing, &error));
        QVERIFY2(error.contains(QLatin1String("The database went away")), qPrintable(error));
        QCOMPARE(files(), QStringList());

        // An earlier file of that name is kept as it was.
        dir.Write(QStringLiteral("list.pdf"), "earlier");
        QVERIFY(!Reports::WritePdfReport(path, QStringLiteral("t"), {}, failing, &error));
        QCOMPARE(TestDir::Read(path), QByteArray("earlier"));

        // The same device, drawn directly, holds a finished document.
        QByteArray bytes;
        {
            QBuffer buffer(&bytes);
            buffer.open(QIODevice::WriteOnly);
            QPdfWriter writer(&buffer);
            QVERIFY(!Reports::DrawReport(writer, {}, failing, &error));
        }
        QVERIFY(bytes.trimmed().endsWith("%%EOF"));
        const PdfContents pdf = PdfWords(bytes);
        QVERIFY(pdf.Pages == 1 && FindWords(pdf, QStringLiteral("Half")).size() == 1);

        // A good report replaces the earlier file.
        QVERIFY(Reports::WritePdfReport(
            path, QStringLiteral("t"), {}, [](Reports::Printer &p) { p.PrintLine("Whole"); },
            &error));
        QCOMPARE(FindWords(PdfWords(TestDir::Read(path)), QStringLiteral("Whole")).size(), 1);
        QCOMPARE(files(), QStringList{QStringLiteral("list.pdf")});
    }
};

QTEST_MAIN(TestPrinter)
#include "tst_printer.moc"
