#pragma once

#include <optional>

#include <QByteArray>
#include <QDate>
#include <QList>
#include <QString>

#include "entries/entrywriter.h"
#include "lenex/lenexmodel.h"

namespace MeetDb {
struct Session;
}

/*
 * A club's Lenex entries taken into the loaded meet of the meet database.
 *
 * The import is two steps. CheckLenexEntries writes nothing: it puts every athlete through the
 * checks of the entry window's "Record" (entries/entrycheck.h, as the CSV import runs them) and
 * sorts each entry into one of three piles: swims of new entrants, swims for entrants already in
 * the meet (the same name, date of birth and club), and entries refused with a reason in an
 * official's words. Its Summary() is what the official reads before deciding. WriteLenexEntries
 * then writes the accepted swims in one transaction, numbering new entrants as "Record" does.
 *
 * Events: an entry names its event by the file's eventid; the file's EVENT with that id gives
 * the event NUMBER, and the meet's event with that number is the one entered. The file's event
 * must also agree with the meet's in distance and stroke where it gives them, so that a file
 * made from another meet's (or last year's) programme cannot put swimmers into the wrong races.
 * An eventid the file does not describe is refused, never taken as a number.
 *
 * Athletes are taken in Open and Masters meets only. A Masters swimmer is entered under the
 * masters letter the date of birth gives. Relay teams are listed as refused: they are entered
 * by hand.
 */
namespace Lenex {

// An entry refused, with the swimmer and the event as the official knows them.
struct RefusedEntry
{
    QString Swimmer; // "Ann Lee (VMSC, born 05/03/2014)"
    QString Event;   // the event number, or "id 7" when the file gives none
    QString Reason;  // "event 17 is for women"
};

// A swimmer of the file with at least one swim accepted.
struct AcceptedSwimmer
{
    QString Swimmer;     // as in RefusedEntry
    int Existing = 0;    // the entrant number in the meet the swims join; 0 for a new entrant
    int SameSwimmer = 0; // a new entrant: an entrant of this name and birth date in another club
    QString SameSwimmerClub;
    Entries::EntrantRecord Record; // a new entrant as "Record" writes it; Swims in event order
};

struct EntriesCheck
{
    QString Source;                  // the file's name, for the summary
    QString MeetName;                // the meet's name
    QList<AcceptedSwimmer> Accepted; // in the order of the file
    QList<RefusedEntry> Refused;     // in the order of the file
    QByteArray MeetState; // a digest of the meet's entrants and swims as the check read them

    int NewEntrants() const;
    int NewEntrantSwims() const;
    int AddedSwims() const; // swims for entrants already in the meet
    bool HasWork() const { return !Accepted.isEmpty(); }
    // The report the official reads before importing, as plain text lines.
    QString Summary() const;
};

// Why the session's meet takes no Lenex entries (none loaded from a meet database, or one that is
// not Open or Masters); "" when it takes them.
QString MeetTakesNoLenexEntries(const MeetDb::Session &session);

// Checks `document` against the loaded meet and reads the meet's entrants; writes nothing.
// Returns false with `error` set when there is nothing to check: no meet loaded from a meet
// database, a meet that is not Open or Masters, a document that does not hold one meet, or a
// meet database that cannot be read.
bool CheckLenexEntries(MeetDb::Session &session, const Document &document, const QString &source,
                       EntriesCheck &check, QString *error);

// Writes what `shown` accepted, all or nothing. The meet's entrants and swims are read again
// inside the transaction: when another desk has changed them since `shown` was made (so the
// summary could read differently), nothing is written and `error` says so. `numbers` receives
// the new entrants' numbers.
bool WriteLenexEntries(MeetDb::Session &session, const EntriesCheck &shown, QList<int> *numbers,
                       QString *error);

// "Imported 3 new entrants (numbers 5 to 7) with 8 swims, and 2 swims for entrants already in
// the meet."
QString ImportedMessage(const EntriesCheck &check, const QList<int> &numbers);

// Writes `text` to `path` as UTF-8, whole or not at all (an earlier file stays as it was).
bool SaveEntriesReport(const QString &path, const QString &text, QString *error);

// A Lenex swim time ("00:01:05.32") as an official types it ("1:05.32"): "" for no time ("NT",
// "" or an all-zero time), std::nullopt for a text that is not a Lenex swim time.
std::optional<QString> TypedTimeFromSwimTime(const QString &swimTime);

} // namespace Lenex
