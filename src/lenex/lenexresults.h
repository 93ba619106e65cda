#pragma once

#include <QHash>
#include <QList>
#include <QPair>
#include <QSet>
#include <QString>
#include <QStringList>

#include "lenex/lenexmodel.h"
#include "meetday/roster.h"

namespace Core {
class Prompts;
}
namespace MeetDb {
class Database;
struct Session;
} // namespace MeetDb

/*
 * Heat results from a Lenex results file into the meet database: each swim's "Time", "DQ",
 * "DQ Reason", "DNS" and "Position", the swimmer's rank in the event. The ranks are what the
 * finals of a "Champs" meet are later seeded by.
 *
 * Two steps, as for every file from outside. CheckResults matches the document against the meet
 * and ranks the results, touching no database; it lists every result it cannot place, with the
 * athlete and the reason. WriteResults then writes everything in one transaction. A file with
 * any refusal writes nothing.
 *
 * Matching: an athlete is the meet's entrant with the same name ("First Last", "Last First" or
 * "Last, First"; case and spacing aside), the same club (the Lenex club's code is the entrant's
 * club code, or its name is that club's name in the meet) and, when the meet keeps a date of birth
 * for the entrant, the same date of birth; when both carry a registration number (licence, "Regno")
 * those must be equal too. The result's event is the meet's event of the Lenex event's number.
 *
 * Statuses: a valid swim keeps its time and is ranked; "EXH" keeps its time without a rank;
 * "DSQ" and "DNF" are disqualified ("DQ", and "DNF" as the reason for a swimmer who did not
 * finish), "DNS", "SICK" and "WDR" did not start ("DNS"); none of these is ranked (Position 0).
 * Ranks follow from the times, in hundredths: equal times share a rank, and the next rank
 * leaves the shared places out (1, 2, 2, 4). A file holds the whole results of each event it
 * names: the swims of such an event without a result in the file lose any earlier rank. Events
 * the file does not name are left as they are. Relay results are not imported: they are counted
 * in a note.
 */
namespace Lenex {

inline const QString ImportResultsTitle = QStringLiteral("Import Results");
inline const QString NotAvailableMessage =
    QStringLiteral("This feature not available for this gala");

// One swim's result as it is written to the "Swim Table".
struct SwimResult
{
    int EntrantNumber = 0;
    QString Event;
    QString Time; // the meet's time text ("1:05.32"); "" for none
    bool Dq = false;
    bool Dns = false;
    QString DqReason; // "DNF", or ""
    int Position = 0; // rank in the event, 1 = fastest; 0 for none
};

// The part of a meet that results are matched against.
struct ResultsMeet
{
    struct Entrant
    {
        int Number = 0;
        QString Name;
        QString Club;
        QString Age; // date of birth text, or a masters age group
        QString RegNo;
    };
    QList<Entrant> Entrants;
    QStringList Events;                // the meet's event numbers
    QHash<QString, QString> ClubNames; // club code -> club name
    QSet<QPair<int, QString>> Swims;   // entrant number and event number of each swim
};

struct ResultsCheck
{
    QList<SwimResult> Results; // by event in the meet's order, then by rank
    QStringList Events;        // the meet's events the file has results for, in the meet's order
    QStringList Refusals;      // one per result that cannot be placed; nothing is written
    QStringList Notes;         // what was left out on purpose
};

// Matches the first meet of `document` against `meet` and ranks the results.
ResultsCheck CheckResults(const Document &document, const ResultsMeet &meet);

// The loaded meet of `session`: its events and clubs from the gala state, its entrants and swims
// from the meet database through the saved queries. Throws MeetDb::DbError.
ResultsMeet ReadResultsMeet(MeetDb::Session &session);

// Writes a check without refusals in one transaction: every swim of the events in
// `check.Events` loses its rank, then each result is written. Throws MeetDb::DbError; nothing
// is then written.
void WriteResults(MeetDb::Database &db, const QString &meetCode, const ResultsCheck &check);

// "Imported 24 results in 3 events: 2 disqualified, 1 did not start".
QString ResultsSummary(const ResultsCheck &check);

// Imports `document` into the loaded meet of `session` (its meet database open): check, then
// write. Returns false with the refusals (or the database's failure) in `report`; on success
// `report` holds the notes and then the summary. `check` receives the check either way.
bool ImportResults(MeetDb::Session &session, const Document &document, QStringList &report,
                   ResultsCheck *check = nullptr);

// "Import Results" of the meet-day window: asks for the Lenex file, reads it and imports it.
// Refusals are shown in one message. After an import in the finals session of a "Champs" meet
// the roster takes the new ranks. Returns the text for the window's status line ("" when
// nothing was imported).
QString ImportResultsCommand(MeetDb::Session &session, MeetDay::Roster &roster, bool whatIfMode,
                             Core::Prompts &prompts);

} // namespace Lenex
