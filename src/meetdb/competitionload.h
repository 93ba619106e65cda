#pragma once

#include <QList>
#include <QString>

namespace Core {
class Prompts;
}

/*
 * "Select Competition": the user chooses the source (the meet database or a gala parameter
 * file) and, from a database, one meet; the gala state is reset and filled from it.
 *
 * Every failure is reported through the prompts and ends the load or lets it go on, as the
 * message says. A load that ends early leaves the meet database closed, so the main window offers
 * the entry commands only after a meet has really been loaded.
 */
namespace MeetDb {

struct Session;
class SelectionWindows;

struct MeetListEntry
{
    QString Code;
    QString Name;
    QString Date; // as stored: yyyy-mm-dd
};

// The meets newest first, by the exchange sort of the meet list: equal dates keep their order
// relative to each other only as far as the exchange sort leaves them.
void SortMeetsNewestFirst(QList<MeetListEntry> &meets);

// The line of the meet list: "03Jun2026: Spring Open".
QString MeetListLine(const MeetListEntry &meet);

// A date field of the meet database (stored as yyyy-mm-dd) as the program's date text
// "dd/mm/yyyy"; any other text is returned as it stands.
QString DbDateText(const QString &stored);

enum class LoadOutcome {
    Loaded,    // a competition was loaded, from either source
    Ended,     // the load ended early after its message: no competition is loaded
    Cancelled, // the meet list was cancelled: the competition loaded before is kept as it was
};

// Runs the whole load. After Loaded the main window takes GalaName as its caption. Cancelling
// the meet list puts back the gala state and reopens the meet database that were there before
// (Ended, with the reason, when that database can no longer be opened).
LoadOutcome LoadCompetition(Session &session, Core::Prompts &prompts, SelectionWindows &windows);

// Loads the meet `meetCode` of the meet database at `path` as "Select Competition" would, but
// without asking anything: for the tools. Messages go through `prompts`; returns false when the
// load ended early (the database is then closed).
bool LoadMeetByCode(Session &session, const QString &path, const QString &meetCode,
                    Core::Prompts &prompts);

} // namespace MeetDb
