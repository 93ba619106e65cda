#pragma once

#include <QString>

#include "core/settings.h"

/*
 * The system parameter file, pbsystem.ini, beside the program.
 *
 * The file is keyword lines ("keyword=value", "#" comments, last line never used) read with
 * ParamLineReader. Keywords are matched exactly; an unknown keyword is ignored. Every problem is
 * reported through Prompts with its fixed text and the reading goes on, except a line without
 * "=", which shows "Invalid Parameter" and ends the reading there (what was read stays).
 *
 * Without the file the system runs in "Simple" mode: the personal-best database is looked for
 * beside the program and the distance lists take their built-in values.
 *
 * Damaged files: only the first MaxSystemParamBytes bytes are read. A real file is a few hundred
 * lines (well under 100 KB), so the cap never bites in use, while a 50 MB or binary file is read
 * in bounded time and memory. The cut-off text ends in a partial line, which, being the last
 * line, is never used, so a cut file reads exactly like a file that ends there.
 */
namespace Core {

class Prompts;

inline const QString SystemParamFileName = QStringLiteral("pbsystem.ini");
inline constexpr qint64 MaxSystemParamBytes = 2 * 1024 * 1024;

// Reads pbsystem.ini from `programDir` into `settings`. `settings` is reset to a fresh
// SystemSettings first (so the print font names must be set after this call). Afterwards
// PbSystemMode is "Full" or "Simple", PbEventLabel and RecordsTableSize are built, and in Full
// mode the two time-table warnings have been shown when the tables are incomplete. Never fails:
// every problem is a message.
void ReadSystemParams(const QString &programDir, SystemSettings &settings, Prompts &prompts);

// The same for a parameter file at any path; Simple mode looks for the personal-best database
// in the folder of `path`.
void ReadSystemParamsFile(const QString &path, SystemSettings &settings, Prompts &prompts);

} // namespace Core
