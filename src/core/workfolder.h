#pragma once

#include <QString>
#include <QStringList>

/*
 * The work folder: where the program reads and writes pbsystem.ini, natamar.mdb, internal.ini,
 * the entry files and everything else it keeps. Chosen once at start-up, in this order:
 *
 *   1. the folder given with --dir;
 *   2. the program's own folder, when it holds pbsystem.ini or natamar.mdb (a build tree, or a
 *      club's copy of the program kept in one folder with its files);
 *   3. the user's data folder, $XDG_DATA_HOME/openmeet (~/.local/share/openmeet without it).
 *      The first run makes it and fills it with a copy of the demo kit; once it exists it is
 *      never filled again, so a meet database the club has replaced or removed stays so.
 */
namespace Core {

// The folder name under the user's data folder.
inline const QString WorkFolderName = QStringLiteral("openmeet");

struct WorkFolderChoice
{
    QString Path;   // the chosen folder, absolute; empty only when --dir named no folder
    QString Status; // for the main window's status box, e.g. that the demo kit was copied
    QString Error;  // for a message box; Path may still be set (a folder that cannot be written)
};

// Chooses the work folder as above. `dirOption` is the --dir value ("" when not given),
// `programDir` the folder of the executable and `demoDirs` the folders to copy the demo kit from,
// first one holding natamar.mdb wins. Never throws and never removes anything: a data folder
// that cannot be made or filled is reported in Error and left as it was.
WorkFolderChoice FindWorkFolder(const QString &dirOption, const QString &programDir,
                                const QStringList &demoDirs);

// $XDG_DATA_HOME/openmeet, or $HOME/.local/share/openmeet when XDG_DATA_HOME is unset, empty or
// not an absolute path (the rule of the XDG base directory layout).
QString UserWorkFolder();

// Where an installed demo kit is, seen from the program's folder: ../share/openmeet/demo. The
// build lays the same folder out in the build tree, so both find it the same way.
QStringList DemoKitFolders(const QString &programDir);

} // namespace Core
