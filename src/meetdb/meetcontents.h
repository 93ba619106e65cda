#pragma once

#include <QString>
#include <QStringList>

namespace MeetDb {

class Database;

/*
 * What one meet of a meet database holds, as `openmeet-db list FILE CODE` prints it: a line per
 * event, in the meet's event order, and a line per entrant, by number. Each line is
 * tab-separated and starts with its kind, so that a script can pick either out:
 *
 *   event <tab> number, sex, group, distance, stroke, swims entered
 *   entrant <tab> number, name, club, sex, date of birth (dd/mm/yyyy) or age group, swims
 *
 * The texts come from the file and are made printable (a crafted meet cannot drive a terminal).
 * Only reads.
 */
struct MeetContents
{
    QStringList Events;
    QStringList Entrants;
};

// Reads the meet `code` of the open database. Returns false when the database has no such meet;
// throws DbError when a table cannot be read.
bool ReadMeetContents(Database &db, const QString &code, MeetContents &contents);

} // namespace MeetDb
