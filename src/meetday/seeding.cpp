#include "meetday/seeding.h"

#include <algorithm>
#include <utility>
#include <vector>

#include "core/galastate.h"
#include "core/timeutil.h"
#include "meetday/finals.h"

namespace MeetDay {

namespace {

const QString SessionHeats = QStringLiteral("HEATS");
const QString SessionFinals = QStringLiteral("FINALS");
const QString FinalType = QStringLiteral("FINAL");

// Which comparison the exchange sort makes.
enum class SeedRule {
    Standard,     // special rows, time, then age (date of birth, or age group in "Masters")
    ChampsHeats,  // time, then date of birth without the length check
    ChampsFinals, // final rank
    MastersHeats, // time, then age group: the re-sort of a masters heat list
};

// The values the comparisons read, worked out once per row.
struct SeedKey
{
    bool Special = false;
    bool HasTime = false;
    float Seconds = 0;
    bool LongAge = false; // an age text of 6 characters or more: read as a date
    int BirthDate = 0;    // yyyymmdd, 0 when not a date
};

SeedKey KeyOf(const EventListRow &row)
{
    SeedKey key;
    key.Special = row.MeetSpecific.contains(QLatin1String("TT")) ||
                  row.MeetSpecific.contains(QLatin1String("Res"));
    key.HasTime = !IsNoTime(row.EntryTime);
    key.Seconds = key.HasTime ? Core::TimeToSeconds(row.EntryTime) : 0;
    key.LongAge = row.Age.size() >= 6;
    key.BirthDate = Core::DateNumber(row.Age);
    return key;
}

struct SeedItem
{
    const EventListRow *Row;
    SeedKey Key;
    qsizetype Index; // the row's place before sorting
};

// True when b must come before a. A pair that compares equal is never swapped.
bool BFirst(const SeedItem &a, const SeedItem &b, SeedRule rule, bool masters)
{
    const SeedKey &ka = a.Key;
    const SeedKey &kb = b.Key;
    if (rule == SeedRule::ChampsFinals)
        return a.Row->FinalRank > b.Row->FinalRank;

    if (rule == SeedRule::Standard) {
        if (kb.Special != ka.Special)
            return kb.Special;
        if (ka.Special) {
            const int order = QString::compare(a.Row->MeetSpecific, b.Row->MeetSpecific);
            if (order != 0)
                return order > 0;
        }
    }

    if (ka.HasTime || kb.HasTime) {
        if (!kb.HasTime)
            return true;
        return ka.HasTime && ka.Seconds < kb.Seconds;
    }

    const bool byAgeGroup =
        rule == SeedRule::MastersHeats || (rule == SeedRule::Standard && masters);
    if (byAgeGroup)
        return b.Row->Age < a.Row->Age;
    if (rule == SeedRule::Standard && (!ka.LongAge || !kb.LongAge))
        return false;
    // The younger swimmer (the later date of birth) first.
    return ka.BirthDate < kb.BirthDate;
}

// The exchange sort: every row i is compared with every later row j and the two change places
// when row j must come first. Kept as it is for the order it gives equal swimmers.
void ExchangeSort(std::vector<SeedItem> &items, SeedRule rule, bool masters)
{
    const size_t n = items.size();
    for (size_t i = 0; i + 1 < n; ++i) {
        for (size_t j = i + 1; j < n; ++j) {
            if (BFirst(items[i], items[j], rule, masters))
                std::swap(items[i], items[j]);
        }
    }
}

template<typename Row>
void SortRows(QList<Row> &rows, const EventListRow &(*swimOf)(const Row &), SeedRule rule,
              bool masters)
{
    std::vector<SeedItem> items;
    items.reserve(size_t(rows.size()));
    for (qsizetype k = 0; k < rows.size(); ++k) {
        const EventListRow &swim = swimOf(rows.at(k));
        items.push_back({&swim, KeyOf(swim), k});
    }
    ExchangeSort(items, rule, masters);
    QList<Row> sorted;
    sorted.reserve(rows.size());
    for (const SeedItem &item : items)
        sorted.append(rows.at(item.Index));
    rows = std::move(sorted);
}

const EventListRow &SwimOfEventRow(const EventListRow &row)
{
    return row;
}

const EventListRow &SwimOfHeatRow(const HeatListRow &row)
{
    return row.Swim;
}

SeedRule RuleFor(const Core::GalaState &gala)
{
    if (gala.GalaType == Core::GalaChamps && gala.SessionTitle == SessionHeats)
        return SeedRule::ChampsHeats;
    if (gala.GalaType == Core::GalaChamps && gala.SessionTitle == SessionFinals)
        return SeedRule::ChampsFinals;
    return SeedRule::Standard;
}

bool Matches(const HeatListRow &row, FastHeatKey by, const QString &key)
{
    return (by == FastHeatKey::AgeGroup ? row.Swim.Age : row.Swim.Event) == key;
}

// Lane tables, by lanes - MinPoolLanes. The first lane of an ordinary heat of n swimmers (n - 1
// indexes; heats are never larger than the pool), and the spearhead: the lane of the fastest,
// the next fastest, and so on.
constexpr int OrdinaryFirstLane[5][MaxPoolLanes] = {
    {2, 2, 1, 1, 1, 1, 1, 1}, // 4 lanes
    {3, 3, 2, 2, 1, 1, 1, 1}, // 5
    {3, 3, 2, 2, 1, 1, 1, 1}, // 6
    {4, 4, 3, 3, 3, 2, 1, 1}, // 7
    {4, 4, 3, 3, 3, 2, 1, 1}, // 8
};
constexpr int SpearheadLane[5][MaxPoolLanes] = {
    {2, 3, 1, 4, 0, 0, 0, 0}, {3, 4, 2, 5, 1, 0, 0, 0}, {3, 4, 2, 5, 1, 6, 0, 0},
    {4, 5, 3, 6, 2, 7, 1, 0}, {4, 5, 3, 6, 2, 7, 1, 8},
};

const Core::GalaEvent *EventOf(const Core::GalaState &gala, const QString &event)
{
    const int index = gala.FindEvent(event);
    return index >= 0 ? &gala.Events.at(index) : nullptr;
}

} // namespace

QString NoEntriesForEventsMessage(const QStringList &events)
{
    if (events.size() == 1)
        return NoEntriesForEventMessage + events.first();
    return QStringLiteral("No (confirmed) entries for events ") + events.join(QStringLiteral(", "));
}

QString CombinedLeadOf(const Core::GalaState &gala, const QString &event)
{
    for (const QStringList &group : gala.Combinations) {
        if (group.indexOf(event, 1) > 0)
            return group.first();
    }
    return {};
}

int CombineGroupOf(const Core::GalaState &gala, const QString &event)
{
    for (int g = 0; g < gala.CombineCount(); ++g) {
        if (!gala.Combinations.at(g).isEmpty() && gala.Combinations.at(g).first() == event)
            return g + 1;
    }
    return 0;
}

QStringList PoolEventMembers(const Core::GalaState &gala, const QString &event)
{
    const int group = CombineGroupOf(gala, event);
    if (group == 0)
        return {event};
    return gala.Combinations.at(group - 1);
}

void BuildEventList(EventList &list, const Roster &roster, const QString &event, bool onlyConfirmed)
{
    for (const RosterEntrant &entrant : roster) {
        for (const RosterSwim &swim : entrant.Swims) {
            if (swim.EventNumber != event || (onlyConfirmed && !swim.Confirmed))
                continue;
            list.append({swim.EventNumber, entrant.EntrantNumber, entrant.Name, entrant.Club,
                         entrant.Age, swim.EntryTime, swim.FinalRank, swim.MeetSpecific});
        }
    }
}

bool IsNoTime(const QString &entryTime)
{
    const QString text = entryTime.trimmed();
    return text.isEmpty() || text.startsWith(QLatin1String("9:99")) ||
           !(Core::TimeToSeconds(text) > 0);
}

void SeedEventList(EventList &list, const Core::GalaState &gala)
{
    if (list.size() < 2)
        return;
    SortRows<EventListRow>(list, &SwimOfEventRow, RuleFor(gala),
                           gala.GalaType == Core::GalaMasters);
}

int ApplyEntryLimit(EventList &list, int maxEntries, bool programCreation)
{
    if (maxEntries < 1 || programCreation || list.size() <= maxEntries)
        return 0;
    const int removed = int(list.size()) - maxEntries;
    list.remove(0, removed);
    return removed;
}

bool MoveFastHeat(HeatList &heats, FastHeatKey by, const QString &key, int lanes, QString *message)
{
    qsizetype matching = 0;
    for (const HeatListRow &row : std::as_const(heats))
        matching += Matches(row, by, key) ? 1 : 0;
    if (matching < lanes) {
        if (message) {
            *message = QStringLiteral("Less than %1 swimmers in %2 %3")
                           .arg(lanes)
                           .arg(by == FastHeatKey::AgeGroup ? QStringLiteral("age group")
                                                            : QStringLiteral("event"),
                                key);
        }
        return false;
    }
    HeatList rest;
    HeatList fast;
    qsizetype seen = 0;
    for (const HeatListRow &row : std::as_const(heats)) {
        if (Matches(row, by, key) && ++seen > matching - lanes)
            fast.append(row);
        else
            rest.append(row);
    }
    heats = rest + fast;
    return true;
}

QList<int> HeatSizes(int swimmers, int lanes, bool singleHeatSwum)
{
    if (swimmers <= 0 || lanes <= 0)
        return {};
    if (swimmers <= lanes)
        return singleHeatSwum ? QList<int>{swimmers} : QList<int>{};
    if (swimmers > MaxHeats * lanes)
        return {};
    QList<int> sizes{0, 0};
    int remaining = swimmers;
    while (remaining > 2 * lanes) {
        sizes.append(lanes);
        remaining -= lanes;
    }
    sizes[0] = remaining / 2;
    sizes[1] = remaining - sizes[0];
    return sizes;
}

std::array<int, MaxPoolLanes> PlaceLanes(int heat, int heatCount, int splitHeatCount, int swimmers,
                                         int lanes, bool finalEvent)
{
    std::array<int, MaxPoolLanes> slot{};
    if (lanes < MinPoolLanes || lanes > MaxPoolLanes || swimmers < 1 || swimmers > lanes)
        return slot;
    const int table = lanes - MinPoolLanes;
    if (heat + splitHeatCount > heatCount) {
        for (int t = 1; t <= swimmers; ++t) {
            // t = 1 is the fastest, the last of the heat; in a final the order is reversed.
            const int position = finalEvent ? t : swimmers + 1 - t;
            slot[size_t(SpearheadLane[table][t - 1] - 1)] = position;
        }
    } else {
        const int first = OrdinaryFirstLane[table][swimmers - 1];
        for (int s = 1; s <= swimmers; ++s)
            slot[size_t(first + s - 2)] = s;
    }
    return slot;
}

SeededEvent SeedPoolEvent(const Roster &roster, const Core::GalaState &gala, const QString &event,
                          const SeedOptions &options)
{
    SeededEvent result;
    result.PoolEvent = event;
    result.Events = PoolEventMembers(gala, event);
    for (const QString &member : std::as_const(result.Events))
        BuildEventList(result.List, roster, member, options.OnlyConfirmed);
    if (result.List.isEmpty())
        return result;
    if (result.List.size() > MaxEventList) {
        result.Messages << QStringLiteral("Event %1 has %2 swims, more than the %3 that can be "
                                          "seeded: its heats were not made")
                               .arg(event)
                               .arg(result.List.size())
                               .arg(MaxEventList);
        result.List.clear();
        result.Refused = true;
        return result;
    }

    if (RuleFor(gala) == SeedRule::ChampsFinals) {
        result.WritesSeeds = false;
        // A rank of 0 is no rank (disqualified, did not start, or no heat result): it would sort
        // that swimmer to the head of the final, so the swimmer has no place in it. An event
        // without a single rank has no heat results, and seeding it would give entrant order.
        result.List.removeIf([](const EventListRow &row) { return row.FinalRank < 1; });
        if (result.List.isEmpty()) {
            result.NoHeatResults = true;
            result.Refused = true;
            return result;
        }
        SeedEventList(result.List, gala);
        PlaceFinal(result, gala.Lanes);
        return result;
    }
    SeedEventList(result.List, gala);
    const Core::GalaEvent *info = EventOf(gala, event);
    ApplyEntryLimit(result.List, info ? info->EvMaxEntries : 0, options.ProgramCreation);
    AllocateHeats(result, gala);
    return result;
}

void AllocateHeats(SeededEvent &result, const Core::GalaState &gala)
{
    const QString &event = result.PoolEvent;
    const Core::GalaEvent *info = EventOf(gala, event);
    // The heat list.
    HeatList &heats = result.Heats;
    heats.clear();
    result.SplitHeatCount = 0;
    result.HeatCount = 0;
    for (qsizetype k = 0; k < result.List.size(); ++k)
        heats.append({result.List.at(k), int(k + 1), true, 0, 0});
    const int lanes = gala.Lanes;
    QString message;
    if (gala.GalaType == Core::GalaMasters) {
        if (heats.size() >= 2)
            SortRows<HeatListRow>(heats, &SwimOfHeatRow, SeedRule::MastersHeats, true);
        for (qsizetype g = gala.SeedGroups.size() - 1; g >= 0; --g) {
            if (MoveFastHeat(heats, FastHeatKey::AgeGroup, gala.SeedGroups.at(g), lanes, &message))
                ++result.SplitHeatCount;
            else
                result.Messages << message;
        }
    } else if (gala.GalaType == Core::GalaOpen && gala.SplitLastHeats &&
               CombineGroupOf(gala, event) > 0) {
        for (const QString &member : std::as_const(result.Events)) {
            if (MoveFastHeat(heats, FastHeatKey::Event, member, lanes, &message))
                ++result.SplitHeatCount;
            else
                result.Messages << message;
        }
    }
    if (result.SplitHeatCount == 0)
        result.SplitHeatCount = 1;

    // Heat sizes and lanes.
    const QString printNumber = info ? info->EvPrintNumber : event;
    const bool finalEvent = info && info->EvType == FinalType;
    int toSwim = 0;
    for (const HeatListRow &row : std::as_const(heats))
        toSwim += row.ToSwim ? 1 : 0;
    if (toSwim == 0) {
        result.Messages << NoConfirmedEntriesMessage + printNumber;
        return;
    }
    if (toSwim > MaxHeats * lanes) {
        result.Messages << QStringLiteral("Too many swimmers for %1 heats in event %2: no heats "
                                          "were made")
                               .arg(MaxHeats)
                               .arg(printNumber);
        return;
    }
    const bool singleHeat =
        gala.Hdw || gala.AllHeats || finalEvent || gala.SwimHeats.contains(event);
    const QList<int> sizes = HeatSizes(toSwim, lanes, singleHeat);
    result.HeatCount = int(sizes.size());
    qsizetype next = 0;
    for (int h = 1; h <= result.HeatCount; ++h) {
        // The heat's rows, in heat-list order.
        QList<qsizetype> members;
        while (members.size() < sizes.at(h - 1) && next < heats.size()) {
            if (heats.at(next).ToSwim)
                members.append(next);
            ++next;
        }
        const std::array<int, MaxPoolLanes> slot = PlaceLanes(
            h, result.HeatCount, result.SplitHeatCount, int(members.size()), lanes, finalEvent);
        for (int lane = 1; lane <= lanes; ++lane) {
            if (slot[size_t(lane - 1)] == 0)
                continue;
            HeatListRow &row = heats[members.at(slot[size_t(lane - 1)] - 1)];
            row.HeatOf = h;
            row.LaneOf = lane;
        }
    }
}

QList<HeatLine> HeatLines(const QList<SeededEvent> &events)
{
    QList<HeatLine> lines;
    for (const SeededEvent &seeded : events) {
        QList<HeatLine> eventLines;
        for (const HeatListRow &row : seeded.Heats) {
            if (row.HeatOf == 0)
                continue;
            eventLines.append({row.Swim.Event, row.HeatOf, row.LaneOf, row.Swim.EntrantNumber,
                               row.Swim.Name, row.Swim.Club, row.Swim.EntryTime});
        }
        std::stable_sort(eventLines.begin(), eventLines.end(),
                         [](const HeatLine &a, const HeatLine &b) {
                             return std::pair(a.Heat, a.Lane) < std::pair(b.Heat, b.Lane);
                         });
        lines += eventLines;
    }
    return lines;
}

} // namespace MeetDay
