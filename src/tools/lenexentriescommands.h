#pragma once

#include <QStringList>

// openmeet-db import-entries: a club's Lenex entries read into a meet.
namespace Tools {

extern const char *const ImportEntriesHelp;
// Returns the exit code: 0 done, 1 failed, 2 a wrong command line.
int ImportEntries(const QStringList &args);

} // namespace Tools
