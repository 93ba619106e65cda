#pragma once

#include <optional>

#include <QList>
#include <QString>
#include <QStringList>

#include "meetday/roster.h"
#include "meetday/seeding.h"

namespace Core {
class Prompts;
struct GalaState;
} // namespace Core
namespace MeetDb {
struct Session;
}

/*
 * The start list (heat sheet) that marshals and timekeepers work from: per pool event its title,
 * then every heat ("Heat 2 of 4") with one line per lane of the pool in lane order, an empty lane
 * as its number alone. It is printed from the heats "Make Heats" stored (or, for a gala kept in
 * entry files, the heat work files), exactly as the "Heats" view lists them; nothing is seeded
 * or written here.
 *
 * In two steps like every report: PrepareStartList reads the heats and builds the lines
 * (BuildStartList, which a test can run on lines of its own), PrintStartList only draws. A heat
 * is never split across sheets; every sheet carries the meet's name and date and its page
 * number at the foot.
 */
namespace Reports {

class Printer;

struct StartListLane
{
    int Lane = 0; // as printed (Core::PrintedLane)
    QString Name; // "" for an empty lane, which prints its number alone
    QString Club; // the club's name from the meet's club list, else its code
    QString Age;  // the age group (Masters), else the year of birth, else the age text as entered
    QString EntryTime; // "NT" for none
    QString Event;     // the swim's own event, when its pool event carries several
};

struct StartListHeat
{
    int Heat = 0;
    int HeatCount = 0;
    QList<StartListLane> Lanes; // one per lane of the pool, lane order
};

struct StartListEvent
{
    QString Event;              // the pool event
    QString Number;             // "Event 12", or "Events 30, 40" for events swum together
    QString Title;              // "Female Open 50m Freestyle", as the programme titles it
    bool SwumTogether = false;  // the pool event carries several events: each lane names its own
    QList<StartListHeat> Heats; // 1 .. HeatCount; a heat nobody is left in prints empty lanes
};

struct StartList
{
    QString Title;      // the meet's title, for the page heading and the document
    QString Footer;     // the meet's name and date
    QString AgeHeading; // "Age" (Masters) or "YoB"
    QList<StartListEvent> Events;
    QStringList WithoutHeats; // chosen pool events with no heats made
    QStringList Unfit;        // chosen pool events whose stored heats do not fit the pool
};

// The start list of the chosen events (EvSelected; an event swum with another brings the event
// that leads it) from heat lines of the meet. Pure: the lines are taken as they are, and an
// event whose lines name a lane outside the pool, a heat outside 1..MeetDay::MaxHeats or two
// swimmers in one lane is listed in Unfit rather than printed wrong.
StartList BuildStartList(const Core::GalaState &gala, const QList<MeetDay::HeatLine> &lines);

// "No heats made for event 4: it is left out", or for several events in one message.
QString WithoutHeatsMessage(const QStringList &events);
// The message naming the events whose stored heats do not fit the pool.
QString UnfitHeatsMessage(const QStringList &events, int lanes);
inline const QString NoStartListMessage =
    QStringLiteral("There is no start list to print: no heats have been made for the events "
                   "chosen");

// Reads the meet's heats as the "Heats" view does (names and clubs from `roster`) and builds the
// start list of the chosen events. Shows the events left out; returns nothing, silently, when no
// event is chosen, and after NoStartListMessage (or the database's message) when none has heats.
std::optional<StartList> PrepareStartList(MeetDb::Session &session, const MeetDay::Roster &roster,
                                          Core::Prompts &prompts);

// Draws the whole list in portrait and ends the document.
void PrintStartList(Printer &printer, const StartList &list);

} // namespace Reports
