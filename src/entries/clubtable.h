#pragma once

#include <optional>

#include <QList>
#include <QString>
#include <QStringList>

#include "core/galastate.h"

namespace Core {
class Prompts;
}
namespace MeetDb {
class Database;
struct Session;
} // namespace MeetDb

/*
 * The meet's club table: adding clubs by hand or from the governing body's club code file, and
 * renaming them.
 *
 * The table (GalaState::Clubs, capacity ClubCount) is kept in ascending order of code, compared
 * character code by character code, because the entry window, the reports and the meet day look
 * codes up in it in that order.
 *
 * Where additions are kept: with the meet database open each addition is written at once as a
 * "Club Name Table" record of the meet, and nothing is written on leaving; a rename then lasts
 * only until the meet is loaded again. Without the meet database nothing is written until the
 * window is left, when the "club=" lines of the gala parameter file are replaced by the table.
 */
namespace Entries {

inline const QString ClubCodeFileName = QStringLiteral("asaclubcodes.csv");

// One line of the club code file: field 1 the club's name, field 2 its code. Fields 3 to 5 are
// kept but nothing reads them.
struct ClubCodeRow
{
    QString Name;
    QString Code;
    QString Field3;
    QString Field4;
    QString Field5;
};

/*
 * The club code file, read on first use and then held for the rest of the program run. The owner
 * of the session keeps one of these for the whole run and hands it to every club table form, so
 * the file is read once however often the window is opened.
 */
class ClubCodeFile
{
public:
    bool IsLoaded() const { return m_loaded; }
    QString Path() const { return m_path; }
    const QList<ClubCodeRow> &Rows() const { return m_rows; }

    // Reads the file. Lines are split at commas with empty fields dropped (SplitWords), so a
    // name never holds a comma. Blank lines are skipped; a line with a name but no code cannot
    // give a club and is left out, and `skippedLines` gets its 1-based line number. Returns false
    // with `error` naming the file when it cannot be read; the rows held before are then kept.
    bool Load(const QString &path, QString *error, QList<int> *skippedLines = nullptr);

    // Loads the file on first use: asaclubcodes.csv in `programDir`, or, when it is not there,
    // the file the user browses to ("Locate ASA club code file"). Returns false after "No Input
    // File Specified" (nothing chosen) or a message naming a file that cannot be read; the next
    // call then asks again. Lines left out are reported in one message naming the file.
    bool EnsureLoaded(const QString &programDir, Core::Prompts &prompts);

    // The 0-based rows whose name contains `text`, ignoring letter case: an official typing
    // "upton" expects to find "Upton Lea Swimming Club".
    QList<int> Find(const QString &text) const;

private:
    bool m_loaded = false;
    QString m_path;
    QList<ClubCodeRow> m_rows;
};

// A list line: code, ":", name ("VMSC:Velmora Marlets").
QString ClubListLine(const Core::GalaClub &club);

// The name a club code file row is offered under: blanks trimmed, and a final " SC" removed.
QString OfferedClubName(const QString &rowName);

// Sorts by code in ascending character-code order with an exchange sort: each position in turn is
// compared with every later one and swapped when its code is greater. A small table (at most
// ClubCount) is sorted after every addition, so the simple sort is quick enough.
void SortClubsByCode(QList<Core::GalaClub> &clubs);

enum class AddClubResult {
    Added,
    BadText,   // "Club not added: " and why the club cannot be kept (MeetDb::ClubFault)
    CodeUsed,  // "This ID has already been used"
    NameUsed,  // "This club already exists .. code is : " + the code
    TableFull, // "Sorry .. Table of club names is full!"
    Failed,    // the meet database refused the record; its message was shown
};

// The add rule, on the table alone: refuses a code or name that cannot be kept (MeetDb::ClubFault),
// a code already used (in any case), then a name already used, then a full table, each with its
// message; otherwise appends the club and sorts the table. A refusal leaves the table unchanged.
AddClubResult CheckNewClub(const Core::GalaState &gala, const QString &code, const QString &name,
                           Core::Prompts &prompts);
void InsertClub(Core::GalaState &gala, const QString &code, const QString &name);

// Writes one "Club Name Table" record of the meet (MeetCode) in its own transaction. Throws
// MeetDb::DbError; nothing is then written.
void AddClubRecord(MeetDb::Database &db, const QString &meetCode, const QString &code,
                   const QString &name);

/*
 * The commands of the club name table window. The window shows ClubNameList() after every
 * command and calls Exit() when it closes, however it is closed.
 *
 * Answers to the prompts: cancelling any prompt ends the command quietly, and so does an answer
 * that is empty or only blanks, since a club without a code or a name cannot be entered or
 * printed. Codes and names are stored without surrounding blanks.
 */
class ClubTableForm
{
public:
    // The session, the club code file and the prompts must outlive the form.
    ClubTableForm(MeetDb::Session &session, ClubCodeFile &codeFile, Core::Prompts &prompts);

    // One line per club, in table order.
    QStringList ClubNameList() const;
    // The 0-based line of the club added last, -1 before any addition; the window selects it.
    int LastAddedLine() const { return m_lastAdded; }

    // The add rule with its messages, the code in capitals; with the meet database open the
    // record is written first, so a refused write leaves the table as it was.
    AddClubResult AddClub(const QString &typedCode, const QString &name);

    // "Add Club": "Enter new club abbreviation", "Enter new club name", then the add rule.
    void AddClubByHand();

    // "Add from ASA List": "Enter name of club"; the rows whose name contains it; one is taken,
    // several are offered in a list ("Select club"); "Confirm/edit club name" offering the row's
    // name (OfferedClubName); the row's code; then the add rule.
    void AddFromClubCodeFile();

    // Double-click on a 0-based line: "Enter revised name for code " + code, offering the current
    // name; the answer becomes the name in memory, unless MeetDb::ClubNameFault refuses it ("Name
    // not changed: " and why). A line outside the list is ignored.
    void RenameClub(int line);

    // Leaving the window. Without the meet database the gala parameter file's "club=" lines are
    // replaced by the table (through tmp.ini in the gala directory); a failure is shown and
    // false returned. With the meet database, or without a gala parameter file, nothing is
    // written. Only the first call does anything.
    bool Exit();

private:
    std::optional<QString> Ask(const QString &question, const QString &offered = QString());

    MeetDb::Session &m_session;
    ClubCodeFile &m_codeFile;
    Core::Prompts &m_prompts;
    int m_lastAdded = -1;
    bool m_exited = false;
};

// The title of the club table's prompts.
inline const QString ClubTableTitle = QStringLiteral("Club Names");

} // namespace Entries
