#pragma once

#include <QList>
#include <QString>

namespace Core {
class Prompts;
struct GalaState;
} // namespace Core

namespace MeetDb {
class Database;
}

/*
 * The entry window's "Delete": removes one swimmer's entries from wherever the window records
 * them.
 *
 * The entrants of the name are looked for first. None: "Entrant Not Found", nothing asked.
 * Several (a meet database or an entrant-layout file may hold two swimmers of one name): the
 * operator picks which from a list. The question then names the entrant's number and name,
 * with "No" as the default answer.
 *
 *   meet database    the chosen "Entrant Table" record and all its swims, in one transaction.
 *   swim layout      every line of intent.vb whose member name is the name key; intent.vb is
 *                    renamed to intent.tmp (any older intent.tmp is deleted first) and the kept
 *                    lines are written to a new intent.vb. intent.tmp stays behind holding the
 *                    file as it was.
 *   "Masters" files  refused: "Can't do this for masters entries .. sorry!".
 *   entrant layout   ("Open", "Champs" with OneCard) the chosen block (its name field equals the
 *                    full name exactly) is removed from intent.vb (through intent.tmp, as above)
 *                    and from intent.cds (replaced whole); "Deleting entrant " and the block's
 *                    number is shown. Numbers are not reused: intent.ctl is untouched.
 *
 * A damaged entry file is not rewritten: its message (file, line, record) is shown and the
 * files stay as they were. Kept records are copied byte for byte.
 */
namespace Entries {

class EntryFiles;

enum class DeleteResult {
    Cancelled, // "No" to the confirmation
    NotFound,  // nothing of that swimmer was found ("Entrant Not Found" in the meet database)
    Deleted,   // something was removed
    Refused,   // masters entry files
    Failed,    // a database or file error, shown as a message; nothing was changed
};

// One entrant of the name, as the pick list and the question show it.
struct DeletionTarget
{
    int Number = 0; // 0 for a member's swim lines, which carry no entrant number
    QString Name;
    QString Club;
    QString Age;
    int Swims = 0; // swim lines, for the swim layout
};

// The whole command: finds the entrants of `fullName`, lets the operator pick one when there
// are several, asks "Confirm delete entries for " + the entrant's number and name, then deletes
// from the meet database when `meetDb` is given (the window records there), otherwise from the
// open entry store `store`, which is left open for appending again afterwards.
DeleteResult DeleteEntries(const Core::GalaState &gala, MeetDb::Database *meetDb, EntryFiles *store,
                           const QString &fullName, Core::Prompts &prompts);

// The name "Single Entrant by Name" is asked for: the name as typed in "Open" and "Masters"
// meets, the name key (SurnameFirst) in every other kind.
QString DeletionName(const Core::GalaState &gala, const QString &fullName);

// The entrants of that name in the meet database, in number order. Throws MeetDb::DbError.
QList<DeletionTarget> FindInMeetDb(MeetDb::Database &db, const Core::GalaState &gala,
                                   const QString &fullName);

// Deletes entrant `number` of the meet and its swims. Returns the number of swims deleted.
// Throws MeetDb::DbError; the transaction is then rolled back.
int DeleteFromMeetDb(MeetDb::Database &db, const Core::GalaState &gala, int number,
                     Core::Prompts &prompts);

// The file steps, on closed files in `dir`. Each returns the number of records removed, or -1
// with `error` set (nothing changed). DeleteEntrantBlocks removes the block numbered `number`
// when its name is `name`.
int DeleteSwimLines(const QString &dir, const QString &memberKey, Core::Prompts &prompts,
                    QString *error);
int DeleteEntrantBlocks(const QString &dir, const QString &name, int number, Core::Prompts &prompts,
                        QString *error);

} // namespace Entries
