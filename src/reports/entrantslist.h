#pragma once

#include <optional>

#include <QList>
#include <QString>
#include <QStringList>

/*
 * The entrants list: club by club, every entrant of the meet with the events entered, each club
 * on fresh sheets. It is read from the meet database and applies to Champs, Masters and Open
 * meets only.
 *
 * The command runs in two steps so that nothing is asked or opened for a list that cannot be
 * printed: PrepareEntrantsList checks the meet and reads everything the list shows (a database
 * fault ends it there, with the message shown); PrintEntrantsList then only draws, on whatever
 * device the caller chose.
 */
namespace Core {
struct GalaState;
class Prompts;
} // namespace Core
namespace MeetDb {
struct Session;
}

namespace Reports {

class Printer;

inline const QString EntrantsListNotApplicable =
    QStringLiteral("Not Applicable to this kind of gala");
inline const QString EntrantsListNatamarOnly =
    QStringLiteral("Only Applicable to Natamar version of system");
inline const QString EntrantsListNoEntrants = QStringLiteral("No entrants for this meet");

// A club code in the meet's club list that prints every entrant of the meet.
inline const QString AllClubsCode = QStringLiteral("ALL");
// A club list row that is a placeholder, never printed.
inline const QString NoClubCode = QStringLiteral("????");

// Column positions in inches from the left margin.
inline constexpr double EntNoColumn = 0.0;
inline constexpr double NameColumn = 0.5;
inline constexpr double DobColumn = 2.0;
inline constexpr double SexColumn = 3.0;
inline constexpr double EventColumn = 3.5;
inline constexpr double DetailsColumn = 4.0;
inline constexpr double EntryTimeColumn = 6.0;

// The stroke as the details column names it; "" for a code it does not know.
QString EntrantsListStrokeName(const QString &stroke);

// The details column of an event: its distance, "m " and the stroke name, from the meet's event
// table; "" for an event that is not in the table.
QString EntrantsListDetails(const Core::GalaState &gala, const QString &eventNumber);

struct EntrantsListSwim
{
    QString Event;
    QString Details;
    QString EntryTime; // as stored, but "NT" where the database marks no time
};

struct EntrantsListEntrant
{
    QString Number; // as printed: no leading zeros, "" for 0
    QString Name;
    QString Age; // the "age" field: a date of birth (dd/mm/yyyy) or an age, as entered
    QString Sex;
    QString Club;
    QList<EntrantsListSwim> Swims; // in the meet's event order; none prints no line
};

struct EntrantsList
{
    QString MeetName;
    // The clubs in the order their lists are printed: the meet's club list without its
    // placeholder rows, then any club that entrants name but the list lacks (unless the list
    // holds "ALL"), so that no entrant is left off the paper.
    QStringList Clubs;
    QList<EntrantsListEntrant> Entrants; // every entrant of the meet, by entrant number
};

// Checks that the list applies to the session's meet and reads it. Shows "Not Applicable to
// this kind of gala" (the meet is not a Champs, Masters or Open meet), "Only Applicable to
// Natamar version of system" (no meet database is open), "No entrants for this meet" (the meet
// has none) or the database's message, and returns nothing, in those cases.
std::optional<EntrantsList> PrepareEntrantsList(MeetDb::Session &session, Core::Prompts &prompts);

// Draws the whole list and ends the document.
void PrintEntrantsList(Printer &printer, const EntrantsList &list);

// Draws one club's list (every entrant for "ALL") and starts a new page after it.
void PrintClubEntrants(Printer &printer, const EntrantsList &list, const QString &clubCode);

} // namespace Reports
