#include "reports/programmepages.h"

#include <algorithm>
#include <cmath>

#include <QFile>

#include "core/galastate.h"
#include "core/textutil.h"
#include "core/timeutil.h"
#include "meetday/seeding.h"
#include "reports/printer.h"

namespace Reports {

namespace {

constexpr double SheetWidth = 7.0;
constexpr double TitleBand = 0.5;
constexpr double Margin = 0.3;
constexpr double SheetDepth = 10.5;
constexpr double BlockGap = 1.0;
constexpr double RowPitch = 16;
constexpr int MinBlockRows = 7;
constexpr int HolderRows = 14;
constexpr int HolderColumnRows = 7;

const QString ContinuedNote = QStringLiteral("Continued");
const QString FinalType = QStringLiteral("FINAL");

const Core::GalaEvent &EventOf(const Core::GalaState &gala, const QString &event)
{
    static const Core::GalaEvent none;
    const int index = gala.FindEvent(event);
    return index >= 0 ? gala.Events.at(index) : none;
}

QString DistanceText(const QString &distance)
{
    return distance + QStringLiteral("m ");
}

// The sex words of the title: the meet's own when the events swum together share one sex.
QString SexWords(const Core::GalaState &gala, const QString &event)
{
    const bool masters = gala.GalaType == Core::GalaMasters;
    const QStringList members = MeetDay::PoolEventMembers(gala, event);
    const QString sex = EventOf(gala, event).EvSex;
    for (const QString &member : members) {
        if (EventOf(gala, member).EvSex != sex)
            return gala.GbMeet ? QStringLiteral("Girls/Boys ")
                   : masters   ? QStringLiteral("Ladies/Men ")
                               : QStringLiteral("Female/Male ");
    }
    if (sex == QLatin1String("M"))
        return gala.GbMeet ? QStringLiteral("Boys ")
               : masters   ? QStringLiteral("Mens ")
                           : QStringLiteral("Male ");
    if (sex == QLatin1String("F"))
        return gala.GbMeet ? QStringLiteral("Girls ")
               : masters   ? QStringLiteral("Ladies ")
                           : QStringLiteral("Female ");
    if (sex == QLatin1String("X"))
        return QStringLiteral("Mixed ");
    return {};
}

struct GroupTexts
{
    QString Print;
    QString CombinePrint;
};

GroupTexts GroupTextsOf(const Core::GalaState &gala, const Core::GalaEvent &event)
{
    GroupTexts texts;
    for (const Core::GalaGroup &group : gala.Groups) {
        if (group.GroupName == event.EvGroup) {
            texts = {group.GroupPrint, group.GroupCombinePrint};
            break;
        }
    }
    if (!event.EvPrintGroup.isEmpty())
        texts = {event.EvPrintGroup, event.EvPrintGroup};
    return texts;
}

QString TitleOf(const Core::GalaState &gala, const QString &event, const QString &groupText,
                const QString &strokeName)
{
    QString title = SexWords(gala, event);
    if (gala.GalaType == Core::GalaOpen)
        title += groupText + u' ';
    return title + DistanceText(EventOf(gala, event).EvDistance) + strokeName;
}

// The entry time as printed; "" for none.
QString PrintedTime(const QString &time)
{
    if (time.startsWith(QLatin1String("9:99.9")))
        return {};
    const float seconds = Core::TimeToSeconds(time);
    return seconds > 0 ? Core::SecondsToTimeQuiet(seconds) : QString();
}

void TextAt(Printer &printer, double x, double y, const QString &text)
{
    printer.SetCurrentX(x);
    printer.SetCurrentY(y);
    printer.Print(text);
}

void FittedAt(Printer &printer, double x, double y, const QString &text, double width)
{
    printer.SetCurrentX(x);
    printer.SetCurrentY(y);
    printer.PrintFitted(text, width);
}

} // namespace

QString ProgrammeStrokeName(const QString &stroke)
{
    static const QList<QPair<QString, QString>> names = {
        {QStringLiteral("MED"), QStringLiteral("Ind Medley")},
        {QStringLiteral("FS"), QStringLiteral("Freestyle")},
        {QStringLiteral("FSS"), QStringLiteral("Freestyle")},
        {QStringLiteral("BR"), QStringLiteral("Breaststroke")},
        {QStringLiteral("BK"), QStringLiteral("Backstroke")},
        {QStringLiteral("FLY"), QStringLiteral("Butterfly")},
        {QStringLiteral("FSR"), QStringLiteral("Freestyle Relay")},
        {QStringLiteral("MEDR"), QStringLiteral("Medley Relay")},
        {QStringLiteral("BRR"), QStringLiteral("Breast Relay")},
        {QStringLiteral("FLYR"), QStringLiteral("Butterfly Relay")},
        {QStringLiteral("BKR"), QStringLiteral("Backstroke Relay")},
    };
    for (const auto &[code, name] : names)
        if (code == stroke)
            return name;
    return {};
}

bool IsRelayStroke(const QString &stroke)
{
    return stroke == QLatin1String("FSR") || stroke == QLatin1String("MEDR") ||
           stroke == QLatin1String("BRR") || stroke == QLatin1String("FLYR") ||
           stroke == QLatin1String("BKR");
}

int ReserveExcess(const Core::GalaState &gala, const QString &event, qsizetype rows)
{
    const int max = EventOf(gala, event).EvMaxEntries;
    if (max <= 0)
        return 0;
    return std::max(0, int(rows) - max);
}

void MarkReserves(PoolEventList &rows, int excess)
{
    for (int k = 0; k < std::min(int(rows.size()), excess); ++k)
        if (rows.at(k).MeetSpecific.isEmpty())
            rows[k].MeetSpecific = QStringLiteral("(Res)");
}

QString RowLabel(const PoolEventRow &row, int index, int excess)
{
    QString label = row.Label;
    if (index < excess || row.MeetSpecific.startsWith(QLatin1String("Res")))
        label += u'R';
    if (row.MeetSpecific.startsWith(QLatin1String("TT")))
        label += u'T';
    return label;
}

QString ProgrammeEventTitle(const Core::GalaState &gala, const QString &event)
{
    const Core::GalaEvent &ev = EventOf(gala, event);
    return TitleOf(gala, event, GroupTextsOf(gala, ev).Print, ProgrammeStrokeName(ev.EvStroke));
}

QString ProgrammeBlockTitle(const Core::GalaState &gala, const QString &event)
{
    const Core::GalaEvent &ev = EventOf(gala, event);
    const GroupTexts texts = GroupTextsOf(gala, ev);
    const bool combined = MeetDay::PoolEventMembers(gala, event).size() > 1;
    return TitleOf(gala, event, combined ? texts.CombinePrint : texts.Print,
                   ProgrammeStrokeName(ev.EvStroke));
}

QList<QStringList> ReadHoldersFile(const QString &path, int maxRows)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    // A holders file is a few lines; more than that is not one.
    const QStringList lines = Core::DecodeTextFile(file.read(64 * 1024)).split(u'\n');
    QList<QStringList> rows;
    for (QString line : lines) {
        if (rows.size() >= maxRows)
            break;
        if (line.endsWith(u'\r'))
            line.chop(1);
        if (line.isEmpty())
            continue;
        QString error;
        QStringList fields = Core::SplitCsvLine(line, &error).value_or(QStringList{line});
        fields.resize(5);
        rows.append(fields);
    }
    return rows;
}

ProgrammePages::ProgrammePages(Printer &printer, const Core::GalaState &gala,
                               ProgrammeHeading heading)
    : m_printer(printer)
    , m_gala(gala)
    , m_heading(std::move(heading))
{}

void ProgrammePages::NewPage()
{
    m_printer.NewPage();
    SheetOffset = 0;
}

void ProgrammePages::PrintHeading()
{
    Printer &p = m_printer;
    p.SetScaleTop(-Margin);
    p.SetScaleLeft(-0.5);
    p.SetFont(QStringLiteral("H"), 10, {}, {});
    p.SetCurrentY(0);
    p.PrintLine();
    auto centred = [&](const QString &text) {
        p.SetCurrentX((SheetWidth - p.TextWidth(text)) / 2);
        p.PrintLine(text);
    };
    p.SetFont(QStringLiteral("H"), 12, QStringLiteral("B"), {});
    centred(m_gala.GalaTitle.isEmpty() ? m_gala.GalaName : m_gala.GalaTitle);
    p.SetFont(QStringLiteral("H"), 10, {}, {});
    centred(QStringLiteral("Under ASA Laws and Technical Rules"));
    centred(m_heading.SessionLine);
    if (!m_heading.HighlightClubName.isEmpty())
        centred(QStringLiteral("Printed for ") + m_heading.HighlightClubName);
    SheetOffset = p.CurrentY() + Margin;
}

void ProgrammePages::PrintEventPages(const ProgrammeEvent &event, bool allowHeading)
{
    if (SheetOffset == 0 && allowHeading && m_heading.Print)
        PrintHeading();
    const int count = int(event.Rows.size());
    if (count == 0)
        return;
    const Core::GalaEvent &ev = EventOf(m_gala, event.Event);
    const int excess = ReserveExcess(m_gala, event.Event, count);
    const GroupTexts group = GroupTextsOf(m_gala, ev);
    const QString strokeName = ProgrammeStrokeName(ev.EvStroke);
    const bool relay = IsRelayStroke(ev.EvStroke);
    const bool history = !event.History.isEmpty();
    const bool showEventNumbers = MeetDay::PoolEventMembers(m_gala, event.Event).size() > 1;

    int first = 1;
    while (first <= count) {
        const double spaceLeft = SheetDepth - SheetOffset;
        const double allowance = (!history || first > 1) ? 0.8 : relay ? 1.3 : 1.95;
        const int pairs = int(std::nearbyint((spaceLeft - allowance) * 100 / RowPitch + 1));
        const int rowsFit = 2 * pairs;
        // A fresh sheet always takes a block, so that a long event can never loop on pages.
        if (rowsFit < MinBlockRows && SheetOffset > 0) {
            NewPage();
            continue;
        }
        const int last = std::min(first + std::max(rowsFit, MinBlockRows) - 1, count);
        const double height =
            PrintHeatBlock(event, group.CombinePrint, group.Print, strokeName, first, last,
                           RowPitch, showEventNumbers, history, relay, excess);
        if (last == count) {
            SheetOffset += height / 100 + BlockGap;
            return;
        }
        first = last + 1;
        NewPage();
    }
}

double ProgrammePages::PrintHeatBlock(const ProgrammeEvent &event, const QString &combinePrint,
                                      const QString &groupPrint, const QString &strokeName,
                                      int first, int last, double pitch, bool showEventNumbers,
                                      bool history, bool relay, int excess)
{
    Printer &p = m_printer;
    const Core::GalaEvent &ev = EventOf(m_gala, event.Event);
    const bool firstBlock = first == 1;
    const int n = last - first + 1;
    const double body = (n + 2) / 2.0 * pitch + 30;
    const double hh = firstBlock && history ? (relay ? 50 : 120) : 0;
    const double rowsTop = (hh + 50) / 100;
    const double bottom = (body + hh + 50) / 100;

    p.SetScaleTop(-(SheetOffset + Margin));
    p.SetScaleLeft(-0.5);

    // Frames.
    p.SetDrawStyle(DrawStyle::Solid);
    p.SetDrawWidth(1);
    p.Line(0, 0, SheetWidth, bottom);
    p.Line(0, 0, SheetWidth, TitleBand);
    p.Line(0, TitleBand, SheetWidth, rowsTop);
    p.Line(0.7, 0, SheetWidth, TitleBand);
    p.Line(3.5, 0, 3.5, TitleBand);
    p.Line(3.5, rowsTop, SheetWidth, bottom);

    // Title band.
    p.SetFont(QStringLiteral("H"), 10, {}, {});
    TextAt(p, 0.12, 0.05, QStringLiteral("Event"));
    TextAt(p, 0.82, 0.05, QStringLiteral("Details"));
    p.SetFont(QStringLiteral("H"), 12, QStringLiteral("B"), {});
    FittedAt(p, 0.12, 0.2, ev.EvPrintNumber.isEmpty() ? event.Event : ev.EvPrintNumber, 0.5);
    const QString title =
        TitleOf(m_gala, event.Event, showEventNumbers ? combinePrint : groupPrint, strokeName);
    FittedAt(p, 0.82, 0.2, title, 2.62);
    QString note;
    if (!firstBlock)
        note = ContinuedNote;
    else if (ev.EvType == FinalType)
        note = FinalType;
    else if (m_gala.ProgNotes)
        note = ev.EvNote;
    p.SetFont(QStringLiteral("H"), 10, {}, {});
    if (!ev.EvSponsor.isEmpty())
        TextAt(p, 3.62, 0.05, QStringLiteral("Sponsored by"));
    p.SetFont(QStringLiteral("H"), 12, QStringLiteral("B"), {});
    QString sponsorLine = ev.EvSponsor;
    if (!note.isEmpty())
        sponsorLine = sponsorLine.isEmpty() ? note : sponsorLine + QStringLiteral("      ") + note;
    if (!sponsorLine.isEmpty())
        FittedAt(p, 3.62, 0.2, sponsorLine, 3.0);

    // Holders.
    if (hh > 0) {
        p.SetFont(QStringLiteral("H"), 10, QStringLiteral("B"), {});
        TextAt(p, 0.12, 0.55,
               relay ? QStringLiteral("Holders & Meet Record")
                     : QStringLiteral("Holders & Meet Records"));
        p.SetFont(QStringLiteral("R"), 10, {}, {});
        // Each field is cut where the next one starts, the last at the column's edge; the
        // columns are tight, so a short code such as "MR" just fits its own.
        const double columns[] = {0.12, 0.37, 1.67, 2.14, 2.64, 3.5};
        auto holder = [&](const QStringList &fields, double left, double y, bool skipThird) {
            for (int f = 0; f < 5; ++f) {
                if (skipThird && f == 2)
                    continue;
                const int next = skipThird && f == 1 ? 3 : f + 1;
                p.SetFontItalic(f == 4);
                p.SetCurrentX(left + columns[f]);
                p.SetCurrentY(y);
                p.PrintCut(fields.value(f), columns[next] - columns[f]);
            }
            p.SetFontItalic(false);
        };
        if (relay) {
            holder(event.History.constFirst(), 0, 0.70, true);
        } else {
            for (int i = 0; i < std::min(int(event.History.size()), HolderRows); ++i) {
                const int c = i / HolderColumnRows;
                const int r = i % HolderColumnRows + 1;
                holder(event.History.at(i), 3.5 * c, (13.0 * r + 57) / 100, false);
            }
        }
    }

    // Swimmers: the left column takes the odd row over.
    const int leftRows = (n + 1) / 2;
    const bool masters = m_gala.GalaType == Core::GalaMasters;
    for (int i = 0; i < n; ++i) {
        const int index = first - 1 + i;
        const PoolEventRow &row = event.Rows.at(index);
        const double base = i < leftRows ? 0.12 : 3.62;
        const int k = i < leftRows ? i + 1 : i - leftRows + 1;
        const double y = (k * pitch + hh + 40) / 100;
        const bool highlight =
            !m_heading.HighlightClubCode.isEmpty() &&
            (row.Club == m_heading.HighlightClubCode || row.Club == m_heading.HighlightClubName);
        p.SetFont(QStringLiteral("H"), 10, highlight ? QStringLiteral("B") : QString(),
                  highlight ? QStringLiteral("I") : QString());
        FittedAt(p, base - 0.07, y, RowLabel(row, index, excess), 0.28);
        FittedAt(p, base + 0.22, y, row.Name, 1.13);
        if (m_gala.MeetSpecific && !row.MeetSpecific.isEmpty())
            FittedAt(p, base + 1.40, y, row.MeetSpecific, 0.5);
        const QString time = m_gala.PrintTimes ? PrintedTime(row.Time) : QString();
        if (!time.isEmpty())
            TextAt(p, base + 1.95 - p.TextWidth(time), y, time);
        if (showEventNumbers)
            TextAt(p, base + 2.00, y, row.Event);
        if (!relay) {
            if (masters)
                TextAt(p, base + 2.15, y,
                       row.Age == QLatin1String("0") ? QStringLiteral("S") : row.Age);
            FittedAt(p, base + 2.30, y, row.Club, 0.38);
        }
        TextAt(p, base + 2.70, y, ProgrammeBlank);
    }
    return body + hh;
}

} // namespace Reports
