#pragma once

#include <array>

#include <QList>
#include <QString>
#include <QStringList>

#include "meetday/roster.h"

namespace Core {
struct GalaState;
}

/*
 * Seeding of one pool event: from the roster and the gala state to the seeded list of swimmers,
 * the heats and the lane of every swimmer. Everything here is a pure function: no database, no
 * window and no prompts. Messages the officials must see are collected in order and returned;
 * the caller shows them and writes the result (heats.h).
 *
 * Seeding rules are the club's long-standing ones and are kept exactly, including the exchange
 * sort that leaves equal swimmers in an order that depends on where they started: officials and
 * other programs compare their heat sheets against this order.
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
inline constexpr int MinPoolLanes = 4;
inline constexpr int MaxPoolLanes = 8;

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
void SeedEventList(EventList &list, const Core::GalaState &gala);

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

// The swimmer in each lane of one heat: element k-1 is the 1-based position within the heat
// (heat-list order, slowest first) of the swimmer in lane k, 0 for an empty lane. A fast heat
// (heat + splitHeatCount > heatCount) is placed as a spearhead, fastest in the middle; in an
// event of type "FINAL" the order is reversed first. Lanes 4 to 8 only.
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
};

struct SeedOptions
{
    bool OnlyConfirmed = false;
    bool ProgramCreation = false;
};

// Seeds the pool event `event` (a lead or an event not combined) from the roster. An event with
// no swims to list gives an empty List and no heats.
SeededEvent SeedPoolEvent(const Roster &roster, const Core::GalaState &gala, const QString &event,
                          const SeedOptions &options);

// Splits the seeded list of `seeded` (its PoolEvent, Events and List set) into heats and lanes
// as SeedPoolEvent does after seeding: the heat list, a masters meet's or a split open meet's
// fast heats, heat sizes and lanes. Heats, HeatCount and SplitHeatCount are replaced; messages
// are added to Messages.
void AllocateHeats(SeededEvent &seeded, const Core::GalaState &gala);

// One printed line of an allocation per swimmer with a lane, by event, heat and lane:
// event, heat, lane, entrant number, name, club and entry time.
struct HeatLine
{
    QString Event;
    int Heat = 0;
    int Lane = 0;
    int EntrantNumber = 0;
    QString Name;
    QString Club;
    QString EntryTime;
};
QList<HeatLine> HeatLines(const QList<SeededEvent> &events);

} // namespace MeetDay
