#pragma once

#include <QStringList>

namespace Tools {

// openmeet-db start-list FILE CODE OUT.pdf [--events LIST]: the start list of the meet's heats
// to a PDF file, as the meet-day window's "Start List" prints it. A wrong command line prints
// `help` to the standard error and gives 2; a failure gives 1.
int StartList(const QStringList &args, const char *help);

} // namespace Tools
