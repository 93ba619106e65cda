#include "reports/startlist.h"

#include <algorithm>
#include <utility>

#include <QDate>
#include <QHash>
#include <QSet>

#include "core/galastate.h"
#include "core/prompts.h"
#include "core/timeutil.h"
#include "meetday/heats.h"
#include "meetdb/database.h"
#include "meetdb/session.h"
#include "reports/printer.h"
#include "reports/programmepages.h"

namespace Reports {

namespace {

// The pool events of the chosen events, in event-list order: an event swum with another stands
// for the event that leads it.
QStringList ChosenPoolEvents(const Core::GalaState &gala)
{
    QSet<QString> chosen;
    for (const Core::GalaEvent &event : gala.Events) {
        if (!event.EvSelected)
            continue;
        const QString lead = MeetDay::CombinedLeadOf(gala, event.EvNumber);
        chosen.insert(lead.isEmpty() ? event.EvNumber : lead);
    }
    QStringList pools;
    for (const Core::GalaEvent &event : gala.Events) {
        if (chosen.remove(event.EvNumber))
            pools << event.EvNumber;
    }
    return pools;
}

QString PrintedNumber(const Core::GalaState &gala, const QString &event)
{
    const int index = gala.FindEvent(event);
    if (index < 0 || gala.Events.at(index).EvPrintNumber.isEmpty())
        return event;
    return gala.Events.at(index).EvPrintNumber;
}

QString ClubName(const Core::GalaState &gala, const QString &code)
{
    const int index = gala.FindClub(code);
    if (index < 0 || gala.Clubs.at(index).Name.isEmpty())
        return code;
    return gala.Clubs.at(index).Name;
}

// A Masters meet shows the age group as entered ("0" as "S", as its programme prints it);
// elsewhere a date of birth shows its year, which reads the same whatever day the meet's ages are
// taken on. Anything else is shown as entered.
QString AgeText(const Core::GalaState &gala, const QString &age)
{
    if (gala.GalaType == Core::GalaMasters)
        return age == QLatin1String("0") ? QStringLiteral("S") : age;
    const QDate born = Core::ParseDate(age);
    return born.isValid() ? QString::number(born.year()) : age;
}

QString EntryTimeText(const QString &time)
{
    if (MeetDay::IsNoTime(time))
        return QStringLiteral("NT");
    const QString shown = Core::SecondsToTimeQuiet(Core::TimeToSeconds(time));
    return shown.isEmpty() ? time : shown;
}

// The heats of one pool event, or nothing when a line does not fit the pool.
std::optional<QList<StartListHeat>> HeatsOf(const Core::GalaState &gala,
                                            const QList<const MeetDay::HeatLine *> &lines,
                                            bool swumTogether)
{
    const int lanes = gala.Lanes;
    if (lanes < 1 || lanes > Core::MaxLanes)
        return std::nullopt;
    int heatCount = 0;
    QSet<std::pair<int, int>> taken;
    for (const MeetDay::HeatLine *line : lines) {
        if (line->Heat < 1 || line->Heat > MeetDay::MaxHeats || line->Lane < 1 ||
            line->Lane > lanes || taken.contains({line->Heat, line->Lane}))
            return std::nullopt;
        taken.insert({line->Heat, line->Lane});
        heatCount = std::max(heatCount, line->Heat);
    }
    QList<StartListHeat> heats(heatCount);
    for (int h = 0; h < heatCount; ++h) {
        heats[h].Heat = h + 1;
        heats[h].HeatCount = heatCount;
        for (int position = 1; position <= lanes; ++position)
            heats[h].Lanes.append({Core::PrintedLane(gala, position), {}, {}, {}, {}, {}});
    }
    for (const MeetDay::HeatLine *line : lines) {
        StartListLane &lane = heats[line->Heat - 1].Lanes[line->Lane - 1];
        lane.Name = line->Name;
        lane.Club = ClubName(gala, line->Club);
        lane.Age = AgeText(gala, line->Age);
        lane.EntryTime = EntryTimeText(line->EntryTime);
        if (swumTogether)
            lane.Event = PrintedNumber(gala, line->Event);
        // A swim whose entrant has no name left still holds its lane.
        if (lane.Name.isEmpty())
            lane.Name = QStringLiteral("Entrant %1").arg(line->EntrantNumber);
    }
    return heats;
}

QString Listed(const QStringList &events)
{
    return (events.size() == 1 ? QStringLiteral("event ") : QStringLiteral("events ")) +
           events.join(QStringLiteral(", "));
}

} // namespace

StartList BuildStartList(const Core::GalaState &gala, const QList<MeetDay::HeatLine> &lines)
{
    StartList list;
    list.Title = gala.GalaTitle.isEmpty() ? gala.GalaName : gala.GalaTitle;
    list.Footer = gala.GalaName;
    if (!gala.GalaDate.isEmpty())
        list.Footer += QStringLiteral(", ") + gala.GalaDate;
    list.AgeHeading =
        gala.GalaType == Core::GalaMasters ? QStringLiteral("Age") : QStringLiteral("YoB");

    QHash<QString, QList<const MeetDay::HeatLine *>> byPool;
    for (const MeetDay::HeatLine &line : lines)
        byPool[line.PoolEvent.isEmpty() ? line.Event : line.PoolEvent].append(&line);

    for (const QString &pool : ChosenPoolEvents(gala)) {
        const QList<const MeetDay::HeatLine *> poolLines = byPool.value(pool);
        if (poolLines.isEmpty()) {
            list.WithoutHeats << pool;
            continue;
        }
        QStringList numbers;
        for (const QString &member : MeetDay::PoolEventMembers(gala, pool))
            numbers << PrintedNumber(gala, member);
        std::optional<QList<StartListHeat>> heats = HeatsOf(gala, poolLines, numbers.size() > 1);
        if (!heats) {
            list.Unfit << pool;
            continue;
        }
        StartListEvent event;
        event.Event = pool;
        event.SwumTogether = numbers.size() > 1;
        event.Number =
            (numbers.size() == 1 ? QStringLiteral("Event ") : QStringLiteral("Events ")) +
            numbers.join(QStringLiteral(", "));
        event.Title = ProgrammeBlockTitle(gala, pool);
        event.Heats = std::move(*heats);
        list.Events.append(std::move(event));
    }
    return list;
}

QString WithoutHeatsMessage(const QStringList &events)
{
    return QStringLiteral("No heats made for %1: %2 left out of the start list")
        .arg(Listed(events),
             events.size() == 1 ? QStringLiteral("it is") : QStringLiteral("they are"));
}

QString UnfitHeatsMessage(const QStringList &events, int lanes)
{
    return QStringLiteral("The heats stored for %1 do not fit this pool of %2 lanes (a lane or "
                          "heat out of range, or two swimmers in one lane): make %3 heats again. "
                          "%4 left out of the start list.")
        .arg(Listed(events))
        .arg(lanes)
        .arg(events.size() == 1 ? QStringLiteral("its") : QStringLiteral("their"),
             events.size() == 1 ? QStringLiteral("It is") : QStringLiteral("They are"));
}

std::optional<StartList> PrepareStartList(MeetDb::Session &session, const MeetDay::Roster &roster,
                                          Core::Prompts &prompts)
{
    const Core::GalaState &gala = session.Gala;
    if (ChosenPoolEvents(gala).isEmpty())
        return std::nullopt;
    QList<MeetDay::HeatLine> lines;
    try {
        lines = MeetDay::MeetHeatLines(session, roster);
    } catch (const MeetDb::DbError &error) {
        prompts.Message(error.Message());
        return std::nullopt;
    }
    StartList list = BuildStartList(gala, lines);
    if (list.Events.isEmpty() && list.Unfit.isEmpty()) {
        prompts.Message(NoStartListMessage);
        return std::nullopt;
    }
    if (!list.WithoutHeats.isEmpty())
        prompts.Message(WithoutHeatsMessage(list.WithoutHeats));
    if (!list.Unfit.isEmpty())
        prompts.Message(UnfitHeatsMessage(list.Unfit, gala.Lanes));
    if (list.Events.isEmpty())
        return std::nullopt;
    return list;
}

namespace {

// Positions in inches from the left margin, across a sheet of 7 inches.
constexpr double SheetWidth = 7.0;
constexpr double LaneRight = 0.35;
constexpr double NameColumn = 0.55;
constexpr double ClubColumn = 3.45;
constexpr double AgeColumn = 5.35;
constexpr double EventColumn = 5.9; // each swim's event, for events swum together
constexpr double TimeRight = SheetWidth;
constexpr double HeatGap = 0.08;
constexpr double EventGap = 0.22;
constexpr double FooterDepth = 0.45; // from the foot of the printable area to the last line

/*
 * Lays the list out sheet by sheet. It runs twice over the same list: first without drawing, to
 * count the sheets for "Page 1 of 3", then drawing. Every decision depends only on the font
 * metrics of the printer, so both runs break the sheets in the same places.
 */
class StartListPages
{
public:
    StartListPages(Printer &printer, const StartList &list, bool draw, int pageCount)
        : m_p(printer)
        , m_list(list)
        , m_draw(draw)
        , m_pageCount(pageCount)
    {}

    int Run()
    {
        BeginPage();
        for (const StartListEvent &event : m_list.Events) {
            bool titled = false;
            for (const StartListHeat &heat : event.Heats) {
                // The event's title stays with its first heat; a heat never splits.
                const double need = (titled ? 0 : TitleHeight()) + HeatHeight(heat);
                if (m_onPage && m_y + need > Bottom()) {
                    NewPage();
                    titled = false;
                }
                if (!titled) {
                    Title(event, heat.Heat > 1);
                    titled = true;
                }
                Heat(heat);
            }
            m_y += EventGap;
        }
        EndPage();
        return m_page;
    }

private:
    double Bottom() const { return m_p.PageBottom() - FooterDepth; }

    double Height(double size, bool bold)
    {
        m_p.SetFont(QStringLiteral("H"), size, bold ? QStringLiteral("B") : QString(), {});
        return m_p.TextHeight();
    }

    double TitleHeight() { return Height(12, true) + Height(9, false) * 1.3; }
    double HeatHeight(const StartListHeat &heat)
    {
        return HeatGap + Height(10, true) + Height(10, false) * double(heat.Lanes.size());
    }

    void At(double x, const QString &text)
    {
        if (!m_draw)
            return;
        m_p.SetCurrentX(x);
        m_p.SetCurrentY(m_y);
        m_p.Print(text);
    }
    void RightAt(double right, const QString &text) { At(right - m_p.TextWidth(text), text); }
    void FittedAt(double x, double width, const QString &text)
    {
        if (!m_draw || text.isEmpty())
            return;
        m_p.SetCurrentX(x);
        m_p.SetCurrentY(m_y);
        m_p.PrintFitted(text, width);
    }
    void Rule()
    {
        if (m_draw)
            m_p.Line(0, m_y, SheetWidth, m_y);
    }

    void BeginPage()
    {
        m_y = 0;
        m_onPage = false;
        const double height = Height(12, true);
        const QString heading = m_list.Title + QStringLiteral(" - Start List");
        FittedAt(std::max(0.0, (SheetWidth - m_p.TextWidth(heading)) / 2), SheetWidth, heading);
        m_y += height + 0.15;
    }

    void EndPage()
    {
        m_y = m_p.PageBottom() - FooterDepth + 0.1;
        Rule();
        m_y += 0.04;
        Height(9, false);
        const QString page = QStringLiteral("Page %1 of %2").arg(m_page).arg(m_pageCount);
        FittedAt(0, SheetWidth - 1.5, m_list.Footer);
        RightAt(SheetWidth, page);
    }

    void NewPage()
    {
        EndPage();
        if (m_draw)
            m_p.NewPage();
        ++m_page;
        BeginPage();
    }

    void Title(const StartListEvent &event, bool continued)
    {
        const double height = Height(12, true);
        // Many events swum together must still leave the title room.
        const double titleX = std::clamp(m_p.TextWidth(event.Number) + 0.2, 1.0, 3.0);
        FittedAt(0, titleX - 0.1, event.Number);
        FittedAt(titleX, SheetWidth - titleX,
                 continued ? event.Title + QStringLiteral(" (continued)") : event.Title);
        m_y += height;
        const double small = Height(9, false);
        m_p.SetFontItalic(true);
        RightAt(LaneRight, QStringLiteral("Lane"));
        At(NameColumn, QStringLiteral("Name"));
        At(ClubColumn, QStringLiteral("Club"));
        At(AgeColumn, m_list.AgeHeading);
        if (event.SwumTogether)
            At(EventColumn, QStringLiteral("Event"));
        RightAt(TimeRight, QStringLiteral("Entry Time"));
        m_y += small * 1.3;
        m_onPage = true;
    }

    void Heat(const StartListHeat &heat)
    {
        m_y += HeatGap;
        const double heading = Height(10, true);
        At(0, QStringLiteral("Heat %1 of %2").arg(heat.Heat).arg(heat.HeatCount));
        m_y += heading;
        const double line = Height(10, false);
        for (const StartListLane &lane : heat.Lanes) {
            RightAt(LaneRight, QString::number(lane.Lane));
            FittedAt(NameColumn, ClubColumn - NameColumn - 0.1, lane.Name);
            FittedAt(ClubColumn, AgeColumn - ClubColumn - 0.1, lane.Club);
            FittedAt(AgeColumn, EventColumn - AgeColumn - 0.05, lane.Age);
            FittedAt(EventColumn, 0.45, lane.Event);
            if (!lane.EntryTime.isEmpty())
                RightAt(TimeRight, lane.EntryTime);
            m_y += line;
        }
    }

    Printer &m_p;
    const StartList &m_list;
    bool m_draw;
    int m_pageCount;
    int m_page = 1;
    double m_y = 0;
    bool m_onPage = false;
};

} // namespace

void PrintStartList(Printer &printer, const StartList &list)
{
    printer.SetOrientation(QPageLayout::Portrait);
    printer.SetScaleLeft(-0.5);
    printer.SetScaleTop(-0.3);
    const int pages = StartListPages(printer, list, false, 0).Run();
    StartListPages(printer, list, true, pages).Run();
    printer.EndDoc();
}

} // namespace Reports
