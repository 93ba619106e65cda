#pragma once

#include <QDate>
#include <QList>
#include <QString>

/*
 * The part of a Lenex 3.0 document the meet desk uses: one meet with its pool, sessions, events
 * (with their age groups and heats), and the clubs with their athletes and relays, each with
 * entries and results. Element and attribute values are kept as Lenex writes them ("FREE",
 * "TIM", "00:01:05.32", "DSQ"); the conversions to the meet's own texts live beside the import
 * and the export, not here. Everything is plain data: reading and writing are in lenexfile.h.
 */
namespace Lenex {

// An id or number that the document did not give.
inline constexpr int NoId = 0;
inline constexpr int NoLane = -1;

struct AgeGroup
{
    int Id = NoId;
    int AgeMin = -1; // -1: no lower limit
    int AgeMax = -1; // -1: no upper limit
    QString Gender;  // "", "M", "F", "X"
    QString Name;
};

struct Heat
{
    int Id = NoId;
    int Number = 0;
};

struct Event
{
    int Id = NoId;
    int Number = 0;
    QString Gender; // "M", "F", "X" (mixed) or "A" (all); "" when not given
    QString Round;  // "TIM", "PRE", "SEM", "FIN", ...; "" when not given ("TIM")
    int Distance = 0;
    QString Stroke;             // "FREE", "BACK", "BREAST", "FLY", "MEDLEY", ...
    int RelayCount = 1;         // 1 for an individual event
    int PreviousEventId = NoId; // the heats of a final, -1 or absent: none
    QList<AgeGroup> AgeGroups;
    QList<Heat> Heats;
};

struct Session
{
    int Number = 0;
    QDate Date;
    QString Name;
    QList<Event> Events;
};

struct Entry
{
    int EventId = NoId;
    QString EntryTime; // Lenex swim time "HH:MM:SS.hh", or "NT"; "" when not given
    int HeatId = NoId;
    int Lane = NoLane; // the lane number as painted on the pool
    QString Status{};  // "" for a regular entry, else "EXH", "RJC", "SICK" or "WDR"
};

struct Result
{
    int Id = NoId;
    int EventId = NoId;
    QString SwimTime; // Lenex swim time; "" when not given
    QString Status;   // "" for a valid swim, else "DSQ", "DNS", "DNF", "EXH", "SICK", "WDR"
    int HeatId = NoId;
    int Lane = NoLane;
};

struct Athlete
{
    int Id = NoId;
    QString FirstName;
    QString LastName;
    QString Gender; // "M" or "F"
    QDate BirthDate;
    QString License;
    QList<Entry> Entries;
    QList<Result> Results;
};

struct Relay
{
    int Number = 0;
    QString Gender;
    int AgeMin = -1;
    int AgeMax = -1;
    QList<Entry> Entries;
    QList<Result> Results;
};

struct Club
{
    QString Code;
    QString Name;
    QString Nation;
    QList<Athlete> Athletes;
    QList<Relay> Relays;
};

struct Meet
{
    QString Name;
    QString City;
    QString Nation;
    QString Course; // "LCM", "SCM", ...
    int LaneMin = 1;
    int LaneMax = 8;
    QList<Session> Sessions;
    QList<Club> Clubs;
};

struct Document
{
    QString Version = QStringLiteral("3.0");
    QString GeneratorName;
    QList<Meet> Meets;
};

} // namespace Lenex
