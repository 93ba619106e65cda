#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

#include "entries/entrycheck.h"

namespace Core {
struct GalaState;
}
namespace MeetDb {
struct Session;
}

/*
 * Entries taken from a CSV file into the loaded meet of the meet database, written exactly as the
 * entry window's "Record" writes them. Used to give a meet entries that arrived by e-mail or
 * on paper lists, and to fill the demo meets.
 *
 * The file's first line is a header naming the fields below; lines starting "#" are comments.
 * Fields are separated by commas; a field holding a comma is quoted ("Smith, Jo"). Lines end in
 * LF or CR LF; a file whose lines end in CR alone is refused.
 *
 *     Kind,Name,Club,Sex,Age,Regno,Events
 *     I,Zoe Ashby,ASHB,F,05/03/16,123456,11=35.50 12=1:02.30 13=NT
 *
 * Kind is I (one swimmer of an open gala: Age the date of birth, or in a masters meet the
 * masters letter or the date of birth), R (a masters relay team: Age is the relay's group name)
 * or M (a club member of a member gala: Name forename first, Age the date of birth, Club
 * ignored). Regno, which may be empty, is at most 60 characters without a control character.
 * Events are blank-separated "event=time" pairs, each event once; the time may be empty or "NT".
 *
 * Every entrant passes the entry window's checks (CheckEntrant). The window's questions are
 * refusals here: a club that is not one of the meet's, and a swimmer already in the meet (or
 * twice in the file).
 */
namespace Entries {

// The first step of the import, which touches no database: reads the file's bytes (`name` names
// it in the messages) and checks every line against the meet, `findEntrant` looking a swimmer up
// among those entered already. Returns true when every line is good, with the entrants in
// `records` in file order; otherwise false with one "name:line: reason" per fault in `errors`
// (at most 100, then a count of the rest).
bool ReadEntriesCsv(const Core::GalaState &gala, const QString &name, const QByteArray &bytes,
                    const FindEntrantFn &findEntrant, QList<EntrantRecord> &records,
                    QStringList &errors);

// Checks every line against the meet and then writes all of them, all or nothing. On failure
// returns false with one "file:line: reason" per fault in `errors`, and nothing is written.
// `written` receives the number of entrants written.
bool ImportEntriesCsv(MeetDb::Session &session, const QString &csvPath, QStringList &errors,
                      int *written = nullptr);

} // namespace Entries
