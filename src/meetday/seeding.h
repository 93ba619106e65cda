#pragma once

#include <array>
#include <optional>

#include <QList>
#include <QString>
#include <QStringList>

#include "core/galastate.h"
#include "meetday/roster.h"

/*
 * Seeding of one pool event: from the roster and the gala state to the seeded list of swimmers,
 * the heats and the lane of every swimmer. Everything here is a pure function: no database, no
 * window and no prompts. Messages the officials must see are collected in order and returned;
 * the caller shows them and writes the result (heats.h).
 *
 * Three methods (Core::SeedingMethod, the meet's `seeding` keyword, or SeedOptions::Method for
 * one run):
 *
 * - Club, the default: the club's long-standing rules, kept exactly, including the exchange sort
 *   that leaves equal swimmers in an order that depends on where they started (officials and
 *   other programs compare their heat sheets against this order), the masters fast heats per
 *   age group and the split last heats of combined open events. Pools of 9 and 10 lanes, which
 *   those rules never knew, get the same heat sizes and centre-out lanes in every heat.
 * - Standard, for timed finals: ordered by entry time, the fastest pool-full in the last heat,
 *   the next in the heat before, and so on; heat 1 takes the rest but never fewer than 3 when
 *   there are two heats or more (the slowest of heat 2 move down).
 * - Circle, for preliminaries: one heat as a final; two heats dealt alternately from the
 *   fastest (heat 2 first); three heats dealt in turn to heats 3, 2, 1; with more heats only the
 *   fastest 3 x lanes are dealt to the last three heats and the others are seeded as standard.
 *
 * Standard and circle place every heat centre-out: the fastest in the centre lane, then the
 * lanes beside it alternately, outwards, the higher-numbered side first. Equal entry times (and
 * swimmers without one) are put in order by a draw that is the same every time the heats are
 * made (SeedDrawKey), so a second run gives the same sheets. Rows marked "TT" or "Res" count as
 * the slowest of the event, behind the swimmers without a time.
 *
 * Whatever the method, List is slowest first, SeedPosition is the place in List, and the lanes
 * are positions 1..Lanes; only what is shown or printed adds the meet's first lane number.
 */
namespace MeetDay {

// Messages.
inline const QString NoEntriesForEventMessage = QStringLiteral("No (confirmed) entries for event ");
inline const QString NoConfirmedEntriesMessage =
    QStringLiteral("No Confirmed Entries for Event(s) ");
// "No (confirmed) entries for event 4", or for several events in one message "No (confirmed)
// entries for events 4, 7, 9".
QString NoEntriesForEventsMessage(const QStringList &events);

inline constexpr int MaxHeats = 40;
// The most swims one pool event is seeded with. The exchange sort takes time with the square of
// the list, so a damaged or crafted database with a huge event is refused rather than left to
// hang the meet desk; a real event is far smaller.
inline constexpr int MaxEventList = 1000;
inline constexpr int MinPoolLanes = Core::MinLanes;
inline constexpr int MaxPoolLanes = Core::MaxLanes;

// One swim of the event being seeded, copied from the roster.
struct EventListRow
{
    QString Event;
    int EntrantNumber = 0;
    QString Name;
    QString Club;
    QString Age; // age-group text (masters) or date of birth text
    QString EntryTime;
    int FinalRank = 0;
    QString MeetSpecific;
};
using EventList = QList<EventListRow>;

// One row of the heat list: a seeded swim with its place in the heats.
struct HeatListRow
{
    EventListRow Swim;
    int SeedPosition = 0; // 1-based position in the seeded event list
    bool ToSwim = true;
    int HeatOf = 0; // 0 when the swim got no heat
    int LaneOf = 0;
};
using HeatList = QList<HeatListRow>;

// The later members of the combined group in which `event` is not the lead: the lead's number,
// or "" when the event is a lead or not combined.
QString CombinedLeadOf(const Core::GalaState &gala, const QString &event);
// The 1-based combination whose lead is `event`, or 0.
int CombineGroupOf(const Core::GalaState &gala, const QString &event);
// The events swum in the pool as `event`: the event, then the later events of its group.
QStringList PoolEventMembers(const Core::GalaState &gala, const QString &event);

// Appends the event's swims in roster order (entrants, then their swims); with `onlyConfirmed`
// unconfirmed swims are left out.
void BuildEventList(EventList &list, const Roster &roster, const QString &event,
                    bool onlyConfirmed);

// Whether an entry time stands for no time: "9:99.99" (or any text starting "9:99"), an empty
// text, or a text that reads as no time at all. A swimmer without a time is never seeded as the
// fastest.
bool IsNoTime(const QString &entryTime);

// Orders the list by the exchange sort of the gala's kind and session: special rows ("TT" or
// "Res" in the meet-specific text) first, then swimmers without a time (youngest first, or by
// age group in "Masters"), then timed swimmers from the slowest to the fastest. "Champs" heats
// sessions leave out the special rows; "Champs" finals sessions order by final rank.
// With the standard or circle method the order is the same except that every tie (equal times,
// no time, the same special text) is settled by the draw, whatever the meet kind; a "Champs"
// finals session still orders by final rank.
void SeedEventList(EventList &list, const Core::GalaState &gala,
                   Core::SeedingMethod method = Core::SeedingMethod::Club);

// The draw between swimmers with the same entry time: a 64-bit FNV-1a hash of the meet code (the
// gala's name when it has none), the event number and the entrant number, each followed by a
// 0x1f separator, passed through the splitmix64 finaliser so that entrant numbers close together
// do not draw close keys. It depends on nothing but those three values, so the same meet gives
// the same draw on any computer and in any entry order; of two tied swimmers the one with the
// lower key is listed first (seeded as the slower).
quint64 SeedDrawKey(const QString &meet, const QString &event, int entrantNumber);

// Keeps only the last `maxEntries` rows (the fastest) when `maxEntries` is at least 1 and the
// programme is not being created. Returns the number of rows removed.
int ApplyEntryLimit(EventList &list, int maxEntries, bool programCreation);

// Moves the fast heat of the rows matching `key` (by age group or by event) to the end of the
// heat list: the last `lanes` matching rows keep their order and become the last rows. Returns
// false, with the message in `message`, when fewer than `lanes` rows match.
enum class FastHeatKey { AgeGroup, Event };
bool MoveFastHeat(HeatList &heats, FastHeatKey by, const QString &key, int lanes, QString *message);

// The heat sizes for `swimmers` in a pool of `lanes`: heat 1 first (the slowest). Empty when no
// heats are swum: no swimmers, or no more than a pool's width and `singleHeatSwum` false, or more
// than MaxHeats heats would be needed.
QList<int> HeatSizes(int swimmers, int lanes, bool singleHeatSwum);

// Which heat each swimmer swims in: for `swimmers` swimmers listed slowest first (index 0 the
// slowest), the members of heat 1, heat 2, ... each slowest first. The club method takes the
// heats of HeatSizes from the list in order; standard and circle as described at the top. Empty
// when HeatSizes gives no heats.
QList<QList<int>> HeatMembers(int swimmers, int lanes, Core::SeedingMethod method,
                              bool singleHeatSwum);

// The lanes of a pool from the centre out: the lane of the fastest, the next fastest, and so on
// (6 lanes: 3, 4, 2, 5, 1, 6). Lanes MinPoolLanes to MaxPoolLanes; empty otherwise.
QList<int> CentreOutLanes(int lanes);

// The swimmer in each lane of one heat: element k-1 is the 1-based position within the heat
// (heat-list order, slowest first) of the swimmer in lane k, 0 for an empty lane. A fast heat
// (heat + splitHeatCount > heatCount) is placed as a spearhead, fastest in the middle; in an
// event of type "FINAL" the order is reversed first. The club's tables cover 4 to 8 lanes; in 9
// and 10 lanes every heat is a spearhead.
std::array<int, MaxPoolLanes> PlaceLanes(int heat, int heatCount, int splitHeatCount, int swimmers,
                                         int lanes, bool finalEvent);

// Everything worked out for one pool event.
struct SeededEvent
{
    QString PoolEvent;
    QStringList Events; // PoolEvent, then the events swum with it
    EventList List;     // seeded and cut to the entry limit
    HeatList Heats;     // the heat list; HeatOf/LaneOf set when heats are swum
    int HeatCount = 0;
    int SplitHeatCount = 0;
    // False in a "Champs" finals session: the finals file is written, and of the database only
    // the final's places (heats.h).
    bool WritesSeeds = true;
    // Nothing is seeded or written for the event: more than MaxEventList swims (its heats are
    // only cleared), or a finals session without any heat rank (NoHeatResults).
    bool Refused = false;
    // A "Champs" finals session none of whose swims carries a heat rank (no heat results were
    // imported): ordering them would put the finalists in entrant order, so no final is made.
    // Swims without a rank where others have one are left out of the final.
    bool NoHeatResults = false;
    QStringList Messages; // to show, in order
    // The method the heats are made by; unset means the meet's own (GalaState::Seeding).
    std::optional<Core::SeedingMethod> Method;
};

struct SeedOptions
{
    bool OnlyConfirmed = false;
    bool ProgramCreation = false;
    // Seeds this run by another method than the meet's `seeding` keyword.
    std::optional<Core::SeedingMethod> Method = std::nullopt;
};

// Seeds the pool event `event` (a lead or an event not combined) from the roster. An event with
// no swims to list gives an empty List and no heats.
SeededEvent SeedPoolEvent(const Roster &roster, const Core::GalaState &gala, const QString &event,
                          const SeedOptions &options);

// Splits the seeded list of `seeded` (its PoolEvent, Events and List set) into heats and lanes
// as SeedPoolEvent does after seeding, by the method of `seeded` (the meet's when unset): the
// heat list, a masters meet's or a split open meet's fast heats (club method only), heat sizes
// and lanes. Heats, HeatCount and SplitHeatCount are replaced; messages are added to Messages.
void AllocateHeats(SeededEvent &seeded, const Core::GalaState &gala);

// One printed line of an allocation per swimmer with a lane, by event, heat and lane:
// event, heat, lane, entrant number, name, club and entry time. PoolEvent is the event the swim
// is swum in (the lead of events swum together); Age the swimmer's age text as entered.
struct HeatLine
{
    QString Event;
    int Heat = 0;
    int Lane = 0;
    int EntrantNumber = 0;
    QString Name;
    QString Club;
    QString EntryTime;
    QString PoolEvent;
    QString Age;
};
QList<HeatLine> HeatLines(const QList<SeededEvent> &events);

} // namespace MeetDay
