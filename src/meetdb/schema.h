#pragma once

#include <QString>
#include <QStringList>

#include "meetdb/database.h"

/*
 * The meet database file: its tables and its saved parameter queries.
 *
 * Saved queries are stored inside the database file, in the table "Saved Queries":
 *
 *     "Name"          text, the query's name ("Events for 1 Meet"); the primary key
 *     "Sql"           text, one SQLite SELECT statement with parameter placeholders; any
 *                     other statement is refused (see database.h)
 *     "Update Table"  text, the table that edits, additions and deletions go to; empty or Null
 *                     for a read-only query
 *
 * so a query can be corrected in the file (with any SQLite tool) without rebuilding the program.
 *
 * Placeholders: a parameter is written as its name in braces, {Enter Meet Code}. When the query
 * is opened each {...} outside quoted text becomes a bound value, so a parameter's value is never
 * pasted into the statement. The same name may appear more than once; it takes the same value
 * everywhere. A parameter left unset is bound as Null. Braces are therefore reserved outside
 * quotes. Comments may stand anywhere in the text, at its end too; a brace in one is no
 * placeholder.
 *
 * An updatable query returns the row id of its update table under the column alias "_rowid"
 * (for example `SELECT s.rowid AS "_rowid", ...`). That column is hidden from the record set's
 * fields and identifies the row that Edit/Update and Delete change. The fields a query returns
 * are named by their column aliases; the names of the update table's fields are used for
 * SetField.
 *
 * Stored values: dates ("Meet Date", "Qual Date", "Event Date") are ISO text yyyy-mm-dd, which
 * sorts as a date; flags are integers, true when greater than 0 and written as 1; times are
 * text ("1:05.30", "9:99.99" for no time).
 */
namespace MeetDb {

// The parameters of the saved queries, by the names callers set them with.
inline const QString ParamMeetCode = QStringLiteral("Enter Meet Code");
inline const QString ParamEntrantNumber = QStringLiteral("Enter Entrant Number");
inline const QString ParamEventNumber = QStringLiteral("Enter Event Number");
inline const QString ParamSwimmerName = QStringLiteral("Enter Swimmer Name");

// New meet databases store "Version" MeetDbVersion (database.h); 1.0 and later carry "Regno"
// for entrants.

// The tables the program opens by name, and the saved queries it runs, in that order.
QStringList MeetDbTableNames();
QStringList MeetDbQueryNames();

// Creates a new meet database file with every table, index and saved query, and "Version"
// 1.0. Throws DbError when the file already exists or cannot be written; a half-made file is
// removed.
void CreateMeetDatabase(const QString &path);

// Creates a new address database file holding its "Entrant Table". Throws DbError as above.
void CreateAddressDatabase(const QString &path);

// Stores the program's saved queries in an open database (creating "Saved Queries" when it is
// missing), replacing queries of the same names and leaving any others alone.
void WriteSavedQueries(Database &db);

// Compares each table of the meet database in the open file with the table CreateMeetDatabase
// makes: its columns (names, types, NOT NULL, defaults, key, generated), foreign keys, UNIQUE
// indexes and constraints, and its CREATE statement with spacing, comments, quoting and the
// case of words set aside, which shows what SQLite reports nowhere else (conflict clauses,
// CHECK constraints, collations). A crafted clause could otherwise turn the program's own
// writes into deletions. Indexes that are not UNIQUE, other tables and views may differ.
// Returns false with `error` naming the file and the table that is missing or differs, and how.
// Only reads the schema, and never throws.
bool CheckSchema(Database &db, QString *error);

// Checks that an open database has the tables and saved queries the program needs, that each
// saved query is one read-only SELECT that compiles against the file (none is run), and that
// its tables are the program's (CheckSchema; not for a newer version's file, which is never
// written). Throws DbError naming the file and the first missing, broken or refused one.
void CheckMeetDatabase(Database &db);

} // namespace MeetDb
