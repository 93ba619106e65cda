#pragma once

#include <QList>
#include <QSet>
#include <QString>
#include <QStringList>

#include "core/galastate.h"

/*
 * Setting up a meet in the meet database from a file of keyword lines, so that a club official
 * needs no other database software. The openmeet-db tool is a thin shell over these functions.
 *
 * The file is the same kind of file the program loads as a gala parameter file. Each line is
 * applied with the program's own keyword logic, so a file is accepted exactly when the program
 * would load it without a message. The meet's details go to "Meet Table", the groups, events and
 * clubs to their tables, and every other keyword line to the meet's parameter rows, which the
 * program applies after the tables when it loads the meet.
 *
 * Nothing is written unless the whole file is good: the file is checked first and then written
 * in one transaction.
 */
namespace MeetDb {

class Database;

// One line of a gala file and where it stands in the file.
struct NumberedLine
{
    int Number = 0; // 1-based line of the file
    QString Text;   // without its line ending
};

struct MeetParameter
{
    QString KeyWord;
    QString Parameter;
};

// A meet read from a gala file, ready to be written.
struct MeetDefinition
{
    Core::GalaState Gala;        // the lines applied as the program applies them
    QSet<QString> GivenKeywords; // every keyword the file gave; a meet field not given is Null
    QList<MeetParameter> Parameters;
    bool ClubsAsParameters = false; // a clubcount line keeps the clubs as parameter rows
};

// What went wrong and what was doubtful, each line "file:line: text" or "file: text".
struct ImportMessages
{
    QStringList Errors;
    QStringList Warnings;
};

// Reads a gala file with its line numbers: UTF-8, or Latin-1 when it is not valid UTF-8; lines
// starting "#" are left out. Returns false when the file cannot be read, with the reason in
// `fault` as ReadGalaParamFile gives it.
bool ReadNumberedLines(const QString &path, QList<NumberedLine> &lines, QString *fault = nullptr);

// Checks and parses the lines of a gala file; `fileName` is used in the messages. Returns false
// when there is any error; warnings (lines the program would skip without a word) do not fail.
bool ParseMeetLines(const QString &fileName, const QList<NumberedLine> &lines, MeetDefinition &meet,
                    ImportMessages &messages);

// The default meet code for a gala file: its base name upper-cased, letters and digits only, at
// most MaxMeetCodeLength characters ("spring-open27.ini" gives "SPRINGOPEN"). "" when the name
// has no letter or digit.
inline constexpr int MaxMeetCodeLength = 10;
QString DefaultMeetCode(const QString &galaFile);
// A code the tool accepts: 1 to MaxMeetCodeLength letters and digits.
bool IsValidMeetCode(const QString &code);

// Writes the meet under `code` in one transaction. Throws DbError (nothing written) when the
// code is already in "Meet Table" (compared without case) or any statement fails.
void WriteMeet(Database &db, const QString &code, const MeetDefinition &meet);

// The whole add-meet: opens the meet database at `dbPath` (it must exist and be a meet
// database), reads and checks `galaFile`, writes it under `code` ("" for DefaultMeetCode).
// Returns false with the reasons in `messages.Errors`; the database is then unchanged. On
// success `summary` (when given) receives a one-line account of what was added.
bool AddMeetFromFile(const QString &dbPath, const QString &galaFile, const QString &code,
                     ImportMessages &messages, QString *summary = nullptr);

struct MeetListing
{
    QString Code;
    QString Date; // dd/mm/yyyy, or the stored text when it is not a date
    QString Name;
    int Entrants = 0;
};

// The meets of an open meet database, newest first as the program lists them, each with the
// number of its "Entrant Table" records. Throws DbError.
QList<MeetListing> ListMeets(Database &db);
// One line of the listing: the four values separated by tabs.
QString MeetListingLine(const MeetListing &meet);

} // namespace MeetDb
