#pragma once

#include <QStringList>

// The openmeet-db commands of Lenex results.
namespace Tools {

extern const char *const ImportResultsHelp;
// import-results FILE CODE LENEXFILE: 0 when imported, 1 when refused, 2 for a wrong command
// line.
int ImportResults(const QStringList &args);

} // namespace Tools
