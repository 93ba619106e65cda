#pragma once

#include <QString>

class QFileDevice;

/*
 * Getting written bytes and renames onto the disk itself. A write or a rename is in the
 * operating system's cache when the call returns; a power cut before the cache reaches the disk
 * can lose it, or reorder it against a later rename. A file that is renamed into place is synced
 * first, so that its new name never stands for contents the disk does not hold yet.
 */
namespace Core {

// Flushes `file` and waits until its contents are on the disk. Returns false when the system
// refuses (a full or failing disk). Outside POSIX systems only the flush is done.
bool SyncToDisk(QFileDevice &file);

// Waits until the renames and removals made in the folder `dir` are on the disk. Where a folder
// cannot be synced (another system, a file system that refuses) nothing happens.
void SyncFolder(const QString &dir);

} // namespace Core
