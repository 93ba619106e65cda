#include "reports/printer.h"

#include <algorithm>

#include <QPagedPaintDevice>
#include <QPen>
#include <QTextBoundaryFinder>

namespace Reports {

namespace {

// The size a printer starts with, as a page printer does.
constexpr double StartFontSize = 10.0;

Qt::PenStyle PenStyle(DrawStyle style)
{
    switch (style) {
    case DrawStyle::Solid:
        return Qt::SolidLine;
    case DrawStyle::Dash:
        return Qt::DashLine;
    case DrawStyle::Dot:
        return Qt::DotLine;
    case DrawStyle::DashDot:
        return Qt::DashDotLine;
    case DrawStyle::DashDotDot:
        return Qt::DashDotDotLine;
    case DrawStyle::Transparent:
        return Qt::NoPen;
    }
    return Qt::SolidLine;
}

bool LeftOut(char32_t c)
{
    return QChar::category(c) == QChar::Other_Control || (c >= 0x202A && c <= 0x202E) ||
           (c >= 0x2066 && c <= 0x2069) || c == 0x200E || c == 0x200F || c == 0x061C;
}

} // namespace

QString PrintableText(const QString &text)
{
    // Every character left out is a single UTF-16 unit, so a pair is never split.
    const auto unwanted = [](QChar c) { return LeftOut(c.unicode()); };
    if (std::none_of(text.cbegin(), text.cend(), unwanted))
        return text;
    QString kept = text;
    kept.removeIf(unwanted);
    return kept;
}

Printer::Printer(QPagedPaintDevice &device, ReportFonts fonts)
    : m_device(device)
    , m_fonts(std::move(fonts))
    , m_fontName(m_fonts.Regular)
    , m_font(m_fontName)
    , m_metrics(m_font, &device)
    , m_dpiX(device.logicalDpiX())
    , m_dpiY(device.logicalDpiY())
{
    m_font.setPointSizeF(StartFontSize);
    // Latin text needs no shaping: without it there are no ligatures, so "fl" stays two letters
    // for anyone searching or copying the PDF, and no kerning, so widths are the plain advances
    // a page printer's driver uses.
    m_font.setStyleStrategy(QFont::PreferNoShaping);
    FontChanged();
}

Printer::~Printer()
{
    EndDoc();
}

void Printer::SetFontName(const QString &family)
{
    m_fontName = family;
    m_font.setFamily(family);
    FontChanged();
}

void Printer::SetFontSize(double points)
{
    m_font.setPointSizeF(points < 1.0 ? 1.0 : points);
    FontChanged();
}

void Printer::SetFontBold(bool on)
{
    m_font.setBold(on);
    FontChanged();
}

void Printer::SetFontItalic(bool on)
{
    m_font.setItalic(on);
    FontChanged();
}

void Printer::SetFontUnderline(bool on)
{
    m_font.setUnderline(on);
    FontChanged();
}

void Printer::FontChanged()
{
    // Measured on the device itself: metrics made for the screen come out a few per cent
    // narrower than the text the device draws.
    m_metrics = QFontMetricsF(m_font, &m_device);
}

double Printer::TextWidth(const QString &text) const
{
    return text.isEmpty() ? 0.0 : m_metrics.horizontalAdvance(PrintableText(text)) / m_dpiX;
}

double Printer::TextHeight() const
{
    return m_metrics.height() / m_dpiY;
}

double Printer::PageWidth() const
{
    return m_device.width() / m_dpiX;
}

double Printer::PageHeight() const
{
    return m_device.height() / m_dpiY;
}

double Printer::ToPixelX(double x) const
{
    return (x - m_scaleLeft) * m_dpiX;
}

double Printer::ToPixelY(double y) const
{
    return (y - m_scaleTop) * m_dpiY;
}

bool Printer::Begin()
{
    if (m_painter.isActive())
        return true;
    if (m_deviceFailed || m_ended)
        return false;
    if (!m_painter.begin(&m_device)) {
        m_deviceFailed = true;
        return false;
    }
    m_pages = 1;
    m_inkOnPage = false;
    return true;
}

bool Printer::ReadyToDraw()
{
    if (!Begin())
        return false;
    for (; m_pendingPages > 0; --m_pendingPages) {
        // A break asked for before anything was drawn on the first sheet is taken at once as
        // well: the report asked for an empty sheet.
        if (!m_device.newPage()) {
            m_deviceFailed = true;
            m_painter.end();
            return false;
        }
        ++m_pages;
        m_inkOnPage = false;
    }
    return true;
}

void Printer::DrawText(const QString &text)
{
    if (text.isEmpty())
        return;
    // A line that would run off the sheet goes to the top of the next one, unless the sheet is
    // still empty: a line taller than a whole sheet is printed where it is rather than giving
    // blank sheets.
    if (m_inkOnPage && m_y + TextHeight() > PageBottom() + 1e-9) {
        // NewPage sends x home; the item keeps its column.
        const double x = m_x;
        NewPage();
        m_x = x;
    }
    if (!ReadyToDraw())
        return;
    m_painter.setFont(m_font);
    m_painter.setPen(Qt::black);
    m_painter.drawText(QPointF(ToPixelX(m_x), ToPixelY(m_y) + m_metrics.ascent()),
                       PrintableText(text));
    m_inkOnPage = true;
}

void Printer::Print(const QString &text)
{
    DrawText(text);
    m_x += TextWidth(text);
}

void Printer::PrintLine(const QString &text)
{
    DrawText(text);
    m_x = 0;
    m_y += TextHeight();
}

void Printer::Line(double x1, double y1, double x2, double y2)
{
    if (!ReadyToDraw())
        return;
    QPen pen(PenStyle(m_drawStyle));
    pen.setColor(Qt::black);
    // Half a point per unit of width.
    pen.setWidthF(m_drawWidth * m_dpiX / 144.0);
    m_painter.setPen(pen);
    m_painter.setBrush(Qt::NoBrush);
    const QPointF a(ToPixelX(x1), ToPixelY(y1));
    const QPointF b(ToPixelX(x2), ToPixelY(y2));
    if (a.x() == b.x() || a.y() == b.y())
        m_painter.drawLine(a, b);
    else
        m_painter.drawRect(QRectF(a, b).normalized());
    m_inkOnPage = true;
}

void Printer::SetOrientation(QPageLayout::Orientation orientation)
{
    m_device.setPageOrientation(orientation);
}

void Printer::NewPage()
{
    if (m_ended)
        return;
    ++m_pendingPages;
    m_x = 0;
    m_y = 0;
}

void Printer::EndDoc()
{
    if (m_ended)
        return;
    // A break still pending is dropped: ending the document after NewPage gives no blank sheet.
    m_pendingPages = 0;
    Begin();
    if (m_painter.isActive())
        m_painter.end();
    m_ended = true;
}

void Printer::SetFont(const QString &style, double size, const QString &bold, const QString &italic)
{
    if (style == QLatin1String("H"))
        SetFontName(m_fonts.Heading);
    else if (style == QLatin1String("R"))
        SetFontName(m_fonts.Regular);
    else if (style == QLatin1String("C"))
        SetFontName(m_fonts.Fixed);
    else if (style != QLatin1String("N"))
        SetFontName(FontArialNarrow);
    m_font.setPointSizeF(size < 1.0 ? 1.0 : size);
    m_font.setBold(bold == QLatin1String("B"));
    m_font.setItalic(italic == QLatin1String("I"));
    FontChanged();
}

bool Printer::FitText(const QString &text, double width)
{
    if (TextWidth(text) <= width)
        return true;
    SetFontName(FontArialNarrow);
    // Each step lowers the size by a point, and the size never goes below MinFitSize, so the
    // loop ends after at most FontSize() - MinFitSize steps.
    while (TextWidth(text) > width) {
        if (FontSize() - 1.0 < MinFitSize)
            return false;
        SetFontSize(FontSize() - 1.0);
    }
    return true;
}

QString Printer::CutToWidth(const QString &text, double width) const
{
    const QString shown = PrintableText(text);
    if (TextWidth(shown) <= width)
        return shown;
    // The longest start, ended between two characters as a reader sees them, that fits with
    // the mark; trailing blanks are dropped so that the mark stays against the text.
    const QString mark = QStringLiteral(">");
    QList<qsizetype> ends;
    QTextBoundaryFinder finder(QTextBoundaryFinder::Grapheme, shown);
    for (qsizetype at = finder.toNextBoundary(); at > 0 && at < shown.size();
         at = finder.toNextBoundary())
        ends.append(at);
    const auto start = [&](qsizetype i) {
        QString part = shown.first(ends.at(i));
        while (part.endsWith(u' '))
            part.chop(1);
        return part + mark;
    };
    // Widths grow with the length, so the longest start that fits is found by halving.
    qsizetype low = 0;
    qsizetype high = ends.size();
    while (low < high) {
        const qsizetype mid = (low + high) / 2;
        if (TextWidth(start(mid)) <= width)
            low = mid + 1;
        else
            high = mid;
    }
    return low == 0 ? mark : start(low - 1);
}

void Printer::PrintCut(const QString &text, double width)
{
    Print(CutToWidth(text, width));
}

void Printer::PrintFitted(const QString &text, double width)
{
    const QString name = m_fontName;
    const double size = FontSize();
    const double ascent = m_metrics.ascent();
    FitText(text, width);
    // Smaller type is lowered to stand on the same baseline as the rest of the line.
    const double y = m_y;
    m_y += (ascent - m_metrics.ascent()) / m_dpiY;
    PrintCut(text, width);
    m_y = y;
    if (m_fontName != name)
        SetFontName(name);
    if (FontSize() != size)
        SetFontSize(size);
}

} // namespace Reports
