#pragma once

#include <QStringList>

// The openmeet-db commands that take a meet from a Lenex file and give its start list out as
// one. Each returns the tool's exit code: 0 done, 1 failed, 2 a wrong command line.
namespace Tools {

extern const char *const ImportLenexHelp;
extern const char *const ExportLenexHelp;

int ImportLenex(const QStringList &args);
int ExportLenex(const QStringList &args);

} // namespace Tools
