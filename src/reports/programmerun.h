#pragma once

#include <optional>

#include <QList>
#include <QString>

#include "meetday/roster.h"
#include "reports/programmepages.h"

/*
 * "Programme" of the meet-day window for "Open" and "Masters" meets, in two steps like every
 * report. PrepareProgramme asks its questions, seeds every chosen pool event for the programme
 * and writes the result (seeds and programme references in the meet database, or the heat work
 * files), then reads back the swims of each event in print order and the holders; the reserve
 * marks of the printed rows are copied into the roster. PrintProgramme then only draws, on
 * whatever device the caller chose.
 */
namespace Core {
class Prompts;
struct GalaEvent;
} // namespace Core
namespace MeetDb {
struct Session;
}

namespace Reports {

class Printer;

inline const QString HighlightQuestion = QStringLiteral("Highlight one club?");
inline const QString HeadingQuestion = QStringLiteral("Print Page Heading?");
inline const QString SessionQuestion = QStringLiteral("Enter Session Details");
inline const QString ProgrammeNotApplicable = QStringLiteral("Not Applicable to this kind of gala");
inline const QString NoProgrammeEntriesMessage =
    QStringLiteral("No entries in the chosen events: there is no programme to print");
inline const QString LoadDiskMessage = QStringLiteral("Cannot Load Event");
inline const QString NoProgrammeWrittenMessage = QStringLiteral("No programme was written.");

// The most copies of a "Masters" programme printed in one run.
inline constexpr int MaxCopies = 99;

struct Programme
{
    QString Title; // the meet's title, for the document
    ProgrammeHeading Heading;
    int Copies = 1;
    QList<ProgrammeEvent> Events; // the chosen pool events with swims, in event-list order
};

// Prepares the programme of the selected events (EvSelected) of any meet but a "Champs" one.
// Without the meet database the heat work files are written to the work directory and the
// pages are read back from them. Returns nothing when the command ends early: a "Champs" meet,
// a refused question or number of copies, an event too big to seed, or a database fault (its
// message shown; nothing of the run is written to the meet database then).
std::optional<Programme> PrepareProgramme(MeetDb::Session &session, MeetDay::Roster &roster,
                                          Core::Prompts &prompts);

// The number of copies typed at "How many copies?": 1 to MaxCopies. Otherwise nothing, with
// `error` naming the text and the range allowed.
std::optional<int> ReadCopies(const QString &text, QString *error);

// Draws every copy of the programme, each copy from a fresh sheet, and ends the document.
void PrintProgramme(Printer &printer, const Core::GalaState &gala, const Programme &programme);

// Copies the meet-specific text of each printed row to the roster swims of its entrant
// (EntrantNumber, whatever number the row is printed under) in the event or swum with it, so
// that reserve marks reach the roster.
void ApplyMeetSpecific(MeetDay::Roster &roster, const Core::GalaState &gala,
                       const ProgrammeEvent &event);

} // namespace Reports

// ---- The programme CSV of a "Champs" meet ---------------------------------------------------

namespace Reports {

inline const QString ExportedFinalsQuestion =
    QStringLiteral("Confirm that you have exported finals files");
inline const QString ProgrammeCsvTitle = QStringLiteral("Select output programme CSV file");
inline const QString NoFileSpecifiedMessage = QStringLiteral("No File Specified");
inline const QString OverwriteQuestion = QStringLiteral("Overwrite existing file");

// "Girls U/11 50m Backstroke": "Boys " or "Girls ", the description of the event's group, the
// distance and the stroke.
QString ChampsEventDescription(const Core::GalaState &gala, const Core::GalaEvent &event);

// The programme CSV: per event of the meet, in event-list order, the event and its description,
// "BCP", "H", then the lanes of its final from the event's finals file in `finalsDir` (best
// qualifier in lane 3, the next in lane 4, then 2, 5 and 1, and two reserves), or "No finalists"
// when the file is missing or empty. A damaged finals file (ReadHeatsFile) is shown with its
// name and line, and nothing is returned: the CSV is not written.
std::optional<QByteArray> ChampsProgrammeCsv(const Core::GalaState &gala, const QString &finalsDir,
                                             Core::Prompts &prompts);

// "Programme" of a "Champs" meet: asks that the finals files have been exported and for the
// output file (an existing one only with a Yes to "Overwrite existing file"), then writes the
// CSV whole. Returns the path written, or "" when nothing was (a damaged finals file included).
QString CreateChampsProgramme(MeetDb::Session &session, Core::Prompts &prompts);

} // namespace Reports
