#pragma once

#include <QString>

/*
 * What the program does before its main window opens: the program mode, the system parameter
 * file beside the program, the default meet database and the names of the print fonts.
 */
namespace Core {

struct GalaState;
struct SystemSettings;
class Prompts;

// The families the reports ask for by name. Setting them in the settings lets every report take
// its fonts from one place.
inline const QString PrintFontSans = QStringLiteral("Arial");
inline const QString PrintFontSerif = QStringLiteral("Times New Roman");
inline const QString PrintFontFixed = QStringLiteral("Courier New");
inline const QString PrintFontScript = QStringLiteral("Don Casual");

// The program modes. Start-up sets the entries mode; the main window's "Meet Day Mode" box (or
// the --meet-day option) switches to the meet-day mode, and the meet-day window offers its
// meet-day commands in any mode but the entries mode.
inline const QString ProgramModeEntries = QStringLiteral("Entries");
inline const QString ProgramModeMeetDay = QStringLiteral("Meet Day");

// The meet database looked for beside the program when pbsystem.ini names none.
inline const QString DefaultNatamarDbName = QStringLiteral("natamar.mdb");

// Prepares a fresh run: ProgramMode "Entries"; the settings read from pbsystem.ini in
// `programDir` (messages about bad lines go through `prompts`); when no natamardb line named a
// meet database and natamar.mdb exists in `programDir`, it becomes the only known one and
// NatamarDb; the print font names. The gala state is otherwise left empty: no competition is
// loaded.
void StartUp(const QString &programDir, SystemSettings &settings, GalaState &gala,
             Prompts &prompts);

// A meet database named on the command line (a double-click on a .mdb file): it becomes the
// current one and the first of the known ones, so "Select Competition", "Known Natamar Database"
// offers it at once. Returns the text for the status box; a file that does not exist is
// reported through `prompts` and changes nothing.
QString OfferMeetDb(const QString &path, SystemSettings &settings, Prompts &prompts);

// Sets FontSans, FontSerif, FontFixed and FontScript.
void SetPrintFontNames(SystemSettings &settings);

// Maps the print families onto installed families with the same metrics (the Liberation
// families), so that text measures and prints alike on every machine instead of depending on
// what fontconfig happens to pick. Needs a QGuiApplication; call it once before anything is
// printed or shown. Calling it again does no harm.
void InstallFontSubstitutions();

} // namespace Core
