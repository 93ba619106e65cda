#pragma once

#include <QFont>
#include <QFontMetricsF>
#include <QPageLayout>
#include <QPainter>
#include <QString>

class QPagedPaintDevice;

/*
 * The one drawing surface of every paper report: a printer in inches over any paged device (a
 * QPrinter for the printer and the print preview, a QPdfWriter for PDF files). The reports set a
 * font and a pen position, print text items, draw boxes and rules, start new sheets and end the
 * document; they never learn which device they draw on.
 *
 * Coordinates are inches. x = ScaleLeft lies on the left edge of the device's printable area and
 * y = ScaleTop on its top edge, so ScaleLeft -0.5 puts x = 0 half an inch inside the printable
 * left edge. CurrentX/CurrentY are the top-left corner of the next text item.
 *
 * The painter is kept in device pixels and positions are converted here: scaling the painter to
 * inches would scale the fonts with it. Text is measured with the device's own font metrics, so
 * TextWidth is exactly the width drawn.
 *
 * Pages: NewPage only marks a page break; the device starts the new sheet when something is next
 * drawn, so a report that ends with NewPage (every club of the entrants list does) does not leave
 * a blank sheet. A text line that would run past the bottom of the printable area starts a new
 * sheet first and is printed at its top, as a page printer does on its own.
 *
 * The document is begun on the first drawing and ended by EndDoc, or by the destructor when a
 * report stops early (an exception), so the device always holds a finished document. A report
 * that draws nothing still gives a document of one empty page.
 */
namespace Reports {

// The families the reports name besides the three of the settings.
inline const QString FontArialNarrow = QStringLiteral("Arial Narrow");
inline const QString FontTahoma = QStringLiteral("Tahoma");
inline const QString FontOcrb = QStringLiteral("OCRB");

// FitText never makes a text smaller than this, in points: the smallest type that still reads
// at arm's length. A text too long even then is cut to its column (PrintFitted).
inline constexpr double MinFitSize = 7.0;

// The text as the printer measures and draws it: control characters and the characters that
// change the direction of the text around them (embeddings, overrides, isolates and the
// direction marks U+200E, U+200F and U+061C) are left out. A name from a file or a database can
// then neither print reversed nor run the text after it backwards.
QString PrintableText(const QString &text);

// The heading, regular and fixed-pitch families of SetFont ("H", "R" and "C").
struct ReportFonts
{
    QString Heading = QStringLiteral("Arial");
    QString Regular = QStringLiteral("Times New Roman");
    QString Fixed = QStringLiteral("Courier New");
};

// Pen styles of DrawStyle.
enum class DrawStyle { Solid = 0, Dash = 1, Dot = 2, DashDot = 3, DashDotDot = 4, Transparent = 5 };

class Printer
{
public:
    // The device must outlive the printer. Nothing is drawn until the first item.
    explicit Printer(QPagedPaintDevice &device, ReportFonts fonts = {});
    ~Printer();
    Printer(const Printer &) = delete;
    Printer &operator=(const Printer &) = delete;

    // The origin, in inches from the printable area's left and top edges (negative moves x = 0
    // and y = 0 inwards).
    double ScaleLeft() const { return m_scaleLeft; }
    void SetScaleLeft(double inches) { m_scaleLeft = inches; }
    double ScaleTop() const { return m_scaleTop; }
    void SetScaleTop(double inches) { m_scaleTop = inches; }

    QString FontName() const { return m_fontName; }
    void SetFontName(const QString &family);
    double FontSize() const { return m_font.pointSizeF(); }
    // Sizes below one point are taken as one point.
    void SetFontSize(double points);
    bool FontBold() const { return m_font.bold(); }
    void SetFontBold(bool on);
    bool FontItalic() const { return m_font.italic(); }
    void SetFontItalic(bool on);
    bool FontUnderline() const { return m_font.underline(); }
    void SetFontUnderline(bool on);
    // The font the next item is drawn in.
    const QFont &Font() const { return m_font; }

    double CurrentX() const { return m_x; }
    void SetCurrentX(double inches) { m_x = inches; }
    double CurrentY() const { return m_y; }
    void SetCurrentY(double inches) { m_y = inches; }

    // Width of `text` in the current font, in inches; 0 for "".
    double TextWidth(const QString &text) const;
    // The line advance of the current font, in inches (its ascent and descent).
    double TextHeight() const;

    // A print item that stays on the line: draws `text` at CurrentX/CurrentY and moves CurrentX
    // past it.
    void Print(const QString &text);
    // A print item that ends the line: draws `text` (none for an empty line), then CurrentX
    // returns to 0 and CurrentY moves down one line of the current font.
    void PrintLine(const QString &text = {});

    void SetDrawStyle(DrawStyle style) { m_drawStyle = style; }
    // Line width in half points; 1 is the thinnest rule.
    void SetDrawWidth(int width) { m_drawWidth = width < 1 ? 1 : width; }
    // An outlined rectangle with corners (x1, y1) and (x2, y2) in black; with x1 == x2 or
    // y1 == y2 it is a rule.
    void Line(double x1, double y1, double x2, double y2);

    // Portrait or landscape; before the first item it applies to the whole document, later
    // from the next sheet.
    void SetOrientation(QPageLayout::Orientation orientation);

    // Starts a new sheet; CurrentX and CurrentY return to 0.
    void NewPage();
    // Ends the document and releases it to the device. Does nothing the second time; nothing
    // is drawn afterwards.
    void EndDoc();
    bool Ended() const { return m_ended; }
    // False when the device refused to start the document (an unwritable file, a printer that
    // is gone); nothing is drawn then.
    bool DeviceOk() const { return !m_deviceFailed; }
    // Sheets begun so far (0 before anything is drawn).
    int PageCount() const { return m_pages; }

    // The printable area in inches, and the y of its bottom edge in report coordinates.
    double PageWidth() const;
    double PageHeight() const;
    double PageBottom() const { return PageHeight() + m_scaleTop; }

    // Sets the font by a one-letter style: "H" the heading family, "R" the regular one, "C" the
    // fixed-pitch one, "N" keeps the current family, anything else "Arial Narrow". Then the size
    // in points, bold when `bold` is "B" and italic when `italic` is "I".
    void SetFont(const QString &style, double size, const QString &bold, const QString &italic);

    // Makes `text` fit `width` inches: when it is wider, the family becomes "Arial Narrow" and
    // the size is lowered a point at a time until it fits, but never below MinFitSize. A text
    // that fits leaves the font as it was. Returns whether the text fits now; the caller prints
    // it and restores the font itself.
    bool FitText(const QString &text, double width);

    // Prints `text` at CurrentX as a print item that stays on the line, made to fit `width`
    // inches by FitText, and then puts the font back as it was. A text that does not fit even at
    // MinFitSize is cut as PrintCut cuts it.
    void PrintFitted(const QString &text, double width);
    // Prints `text` at CurrentX as a print item that stays on the line, in the current font, cut
    // by CutToWidth so that it cannot run into the next column.
    void PrintCut(const QString &text, double width);
    // The printable text (PrintableText) when it is at most `width` inches wide in the current
    // font; otherwise its longest start that fits with ">" after it ("Featherstonehaugh-Wil>"),
    // cut between two characters as a reader sees them and without blanks before the ">". Just
    // ">" when not even one character fits.
    QString CutToWidth(const QString &text, double width) const;

private:
    void FontChanged();
    // Begins the document when needed and takes any pending page breaks. False when nothing
    // can be drawn (the document has ended or the device failed).
    bool ReadyToDraw();
    bool Begin();
    void DrawText(const QString &text);
    double ToPixelX(double x) const;
    double ToPixelY(double y) const;

    QPagedPaintDevice &m_device;
    ReportFonts m_fonts;
    QPainter m_painter;
    QString m_fontName;
    QFont m_font;
    QFontMetricsF m_metrics;
    double m_dpiX;
    double m_dpiY;
    double m_scaleLeft = 0;
    double m_scaleTop = 0;
    double m_x = 0;
    double m_y = 0;
    DrawStyle m_drawStyle = DrawStyle::Solid;
    int m_drawWidth = 1;
    int m_pendingPages = 0;
    int m_pages = 0;
    bool m_inkOnPage = false;
    bool m_ended = false;
    bool m_deviceFailed = false;
};

} // namespace Reports
