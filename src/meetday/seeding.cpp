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

// The club's lane tables cover the pools its rules were written for, 4 to ClubTableLanes lanes,
// by lanes - MinPoolLanes: the first lane of an ordinary heat of n swimmers (n - 1 indexes;
// heats are never larger than the pool). Its fast heats are placed centre-out (CentreOutLanes).
constexpr int ClubTableLanes = 8;
constexpr int OrdinaryFirstLane[5][ClubTableLanes] = {
    {2, 2, 1, 1, 1, 1, 1, 1}, // 4 lanes
    {3, 3, 2, 2, 1, 1, 1, 1}, // 5
    {3, 3, 2, 2, 1, 1, 1, 1}, // 6
    {4, 4, 3, 3, 3, 2, 1, 1}, // 7
    {4, 4, 3, 3, 3, 2, 1, 1}, // 8
};

// A heat of `swimmers` (slowest first) placed centre-out: the fastest, or with `fastestFirst`
// the first of the heat, in the centre lane.
std::array<int, MaxPoolLanes> CentreOutSlots(int swimmers, int lanes, bool fastestFirst)
{
    std::array<int, MaxPoolLanes> slot{};
    const QList<int> order = CentreOutLanes(lanes);
    for (int t = 1; t <= swimmers && t <= int(order.size()); ++t)
        slot[size_t(order.at(t - 1) - 1)] = fastestFirst ? t : swimmers + 1 - t;
    return slot;
}

// The draw's order of two rows whose times do not decide: the lower key first, then (for the
// rare equal keys) the event and the entrant number, so the order never depends on the input.
struct DrawItem
{
    EventListRow Row;
    bool Special = false;
    bool HasTime = false;
    float Seconds = 0;
    quint64 Draw = 0;
};

bool DrawnBefore(const DrawItem &a, const DrawItem &b)
{
    if (a.Special != b.Special)
        return a.Special;
    if (a.Special) {
        const int order = QString::compare(a.Row.MeetSpecific, b.Row.MeetSpecific);
        if (order != 0)
            return order < 0;
    }
    if (a.HasTime != b.HasTime)
        return !a.HasTime;
    if (a.HasTime && a.Seconds != b.Seconds)
        return a.Seconds > b.Seconds; // the slowest first
    if (a.Draw != b.Draw)
        return a.Draw < b.Draw;
    if (a.Row.Event != b.Row.Event)
        return a.Row.Event < b.Row.Event;
    return a.Row.EntrantNumber < b.Row.EntrantNumber;
}

// The order of the standard and circle methods: as the club's, every tie settled by the draw.
void DrawSort(EventList &list, const Core::GalaState &gala, bool specialRows)
{
    const QString meet = gala.MeetCode.isEmpty() ? gala.GalaName : gala.MeetCode;
    std::vector<DrawItem> items;
    items.reserve(size_t(list.size()));
    for (const EventListRow &row : std::as_const(list)) {
        const SeedKey key = KeyOf(row);
        items.push_back({row, specialRows && key.Special, key.HasTime, key.Seconds,
                         SeedDrawKey(meet, row.Event, row.EntrantNumber)});
    }
    std::sort(items.begin(), items.end(), DrawnBefore);
    for (size_t k = 0; k < items.size(); ++k)
        list[qsizetype(k)] = std::move(items[k].Row);
}

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

void SeedEventList(EventList &list, const Core::GalaState &gala, Core::SeedingMethod method)
{
    if (list.size() < 2)
        return;
    const SeedRule rule = RuleFor(gala);
    if (method != Core::SeedingMethod::Club && rule != SeedRule::ChampsFinals) {
        DrawSort(list, gala, rule == SeedRule::Standard);
        return;
    }
    SortRows<EventListRow>(list, &SwimOfEventRow, rule, gala.GalaType == Core::GalaMasters);
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

quint64 SeedDrawKey(const QString &meet, const QString &event, int entrantNumber)
{
    quint64 hash = 14695981039346656037ULL; // FNV-1a 64-bit offset basis
    const auto add = [&hash](const QByteArray &bytes) {
        for (const char c : bytes) {
            hash ^= quint64(quint8(c));
            hash *= 1099511628211ULL; // FNV prime
        }
        hash ^= 0x1f;
        hash *= 1099511628211ULL;
    };
    add(meet.toUtf8());
    add(event.toUtf8());
    add(QByteArray::number(entrantNumber));
    // splitmix64's finaliser spreads neighbouring inputs over the whole range.
    hash = (hash ^ (hash >> 30)) * 0xbf58476d1ce4e5b9ULL;
    hash = (hash ^ (hash >> 27)) * 0x94d049bb133111ebULL;
    return hash ^ (hash >> 31);
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

QList<QList<int>> HeatMembers(int swimmers, int lanes, Core::SeedingMethod method,
                              bool singleHeatSwum)
{
    const QList<int> sizes = HeatSizes(swimmers, lanes, singleHeatSwum);
    const int heatCount = int(sizes.size());
    QList<QList<int>> heats(heatCount);
    if (method == Core::SeedingMethod::Club || heatCount <= 1) {
        int next = 0;
        for (int h = 0; h < heatCount; ++h) {
            for (int k = 0; k < sizes.at(h); ++k)
                heats[h].append(next++);
        }
        return heats;
    }
    // By rank, 0 the fastest: the heat (1-based) each swimmer swims in.
    QList<int> heatOfRank(swimmers, 0);
    int dealt = 0; // the fastest `dealt` are dealt to the last heats in turn
    int dealtHeats = 0;
    if (method == Core::SeedingMethod::Circle) {
        dealtHeats = std::min(heatCount, 3);
        dealt = swimmers;
        if (heatCount > 3) {
            dealt = 3 * lanes;
            // With only one heat before the last three, that heat still gets three swimmers.
            if (heatCount == 4 && swimmers - dealt < 3)
                dealt = swimmers - 3;
        }
        for (int r = 0; r < dealt; ++r)
            heatOfRank[r] = heatCount - r % dealtHeats;
    }
    // The rest as timed finals: the fastest pool-full in the last of the heats left, and so on.
    const int standardHeats = heatCount - dealtHeats;
    for (int r = dealt; r < swimmers; ++r)
        heatOfRank[r] = standardHeats - (r - dealt) / lanes;
    if (standardHeats >= 2) {
        const int firstHeat = swimmers - dealt - (standardHeats - 1) * lanes;
        // Heat 1 is made up to three from the slowest of heat 2.
        const int slowestOfHeat2 = dealt + (standardHeats - 1) * lanes - 1;
        for (int k = 0; k < 3 - firstHeat; ++k)
            heatOfRank[slowestOfHeat2 - k] = 1;
    }
    for (int index = 0; index < swimmers; ++index)
        heats[heatOfRank.at(swimmers - 1 - index) - 1].append(index);
    return heats;
}

QList<int> CentreOutLanes(int lanes)
{
    if (lanes < MinPoolLanes || lanes > MaxPoolLanes)
        return {};
    // The centre of an even pool is the lower of its two middle lanes, so the next fastest goes
    // to the higher side.
    const int centre = (lanes + 1) / 2;
    QList<int> order{centre};
    for (int step = 1; order.size() < lanes; ++step) {
        if (centre + step <= lanes)
            order.append(centre + step);
        if (centre - step >= 1)
            order.append(centre - step);
    }
    return order;
}

std::array<int, MaxPoolLanes> PlaceLanes(int heat, int heatCount, int splitHeatCount, int swimmers,
                                         int lanes, bool finalEvent)
{
    std::array<int, MaxPoolLanes> slot{};
    if (lanes < MinPoolLanes || lanes > MaxPoolLanes || swimmers < 1 || swimmers > lanes)
        return slot;
    const bool fastHeat = heat + splitHeatCount > heatCount;
    if (fastHeat || lanes > ClubTableLanes)
        return CentreOutSlots(swimmers, lanes, fastHeat && finalEvent);
    const int first = OrdinaryFirstLane[lanes - MinPoolLanes][swimmers - 1];
    for (int s = 1; s <= swimmers; ++s)
        slot[size_t(first + s - 2)] = s;
    return slot;
}

SeededEvent SeedPoolEvent(const Roster &roster, const Core::GalaState &gala, const QString &event,
                          const SeedOptions &options)
{
    SeededEvent result;
    result.PoolEvent = event;
    result.Method = options.Method.value_or(gala.Seeding);
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
    SeedEventList(result.List, gala, *result.Method);
    const Core::GalaEvent *info = EventOf(gala, event);
    ApplyEntryLimit(result.List, info ? info->EvMaxEntries : 0, options.ProgramCreation);
    AllocateHeats(result, gala);
    return result;
}

void AllocateHeats(SeededEvent &result, const Core::GalaState &gala)
{
    const QString &event = result.PoolEvent;
    const Core::GalaEvent *info = EventOf(gala, event);
    const Core::SeedingMethod method = result.Method.value_or(gala.Seeding);
    const bool club = method == Core::SeedingMethod::Club;
    // The heat list.
    HeatList &heats = result.Heats;
    heats.clear();
    result.SplitHeatCount = 0;
    result.HeatCount = 0;
    for (qsizetype k = 0; k < result.List.size(); ++k)
        heats.append({result.List.at(k), int(k + 1), true, 0, 0});
    const int lanes = gala.Lanes;
    QString message;
    // The fast heats per age group or per event are the club's; the other methods seed the
    // whole pool event by time.
    if (club && gala.GalaType == Core::GalaMasters) {
        if (heats.size() >= 2)
            SortRows<HeatListRow>(heats, &SwimOfHeatRow, SeedRule::MastersHeats, true);
        for (qsizetype g = gala.SeedGroups.size() - 1; g >= 0; --g) {
            if (MoveFastHeat(heats, FastHeatKey::AgeGroup, gala.SeedGroups.at(g), lanes, &message))
                ++result.SplitHeatCount;
            else
                result.Messages << message;
        }
    } else if (club && gala.GalaType == Core::GalaOpen && gala.SplitLastHeats &&
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
    QList<qsizetype> toSwim; // heat-list rows with ToSwim, in order
    for (qsizetype k = 0; k < heats.size(); ++k) {
        if (heats.at(k).ToSwim)
            toSwim.append(k);
    }
    if (toSwim.isEmpty()) {
        result.Messages << NoConfirmedEntriesMessage + printNumber;
        return;
    }
    if (toSwim.size() > MaxHeats * lanes) {
        result.Messages << QStringLiteral("Too many swimmers for %1 heats in event %2: no heats "
                                          "were made")
                               .arg(MaxHeats)
                               .arg(printNumber);
        return;
    }
    const bool singleHeat =
        gala.Hdw || gala.AllHeats || finalEvent || gala.SwimHeats.contains(event);
    // A final swims by time: it is never dealt round as preliminaries are.
    const Core::SeedingMethod heatsBy = finalEvent && method == Core::SeedingMethod::Circle
                                            ? Core::SeedingMethod::Standard
                                            : method;
    const QList<QList<int>> members = HeatMembers(int(toSwim.size()), lanes, heatsBy, singleHeat);
    result.HeatCount = int(members.size());
    for (int h = 1; h <= result.HeatCount; ++h) {
        const QList<int> &heat = members.at(h - 1);
        const int swimmers = int(heat.size());
        const std::array<int, MaxPoolLanes> slot =
            club ? PlaceLanes(h, result.HeatCount, result.SplitHeatCount, swimmers, lanes,
                              finalEvent)
                 : CentreOutSlots(swimmers, lanes, false);
        for (int lane = 1; lane <= lanes; ++lane) {
            if (slot[size_t(lane - 1)] == 0)
                continue;
            HeatListRow &row = heats[toSwim.at(heat.at(slot[size_t(lane - 1)] - 1))];
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
                               row.Swim.Name, row.Swim.Club, row.Swim.EntryTime, seeded.PoolEvent,
                               row.Swim.Age});
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
