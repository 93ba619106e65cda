#pragma once

#include <cstddef>
#include <cstdint>

#include <QByteArray>
#include <QString>

namespace Core {
struct GalaState;
}

/*
 * What the fuzz targets share: the input as bytes, a file holding it for the readers that take a
 * path, and a check that stops the run when a reader breaks its own promise.
 */
namespace Fuzz {

// The input, copied: libFuzzer's buffer is only valid during one call.
QByteArray Bytes(const uint8_t *data, size_t size);

// Writes the input to the file `name` in a folder of this process's own and returns its path.
// The folder is the same on every call and is removed when the process ends; `name` may name a
// subfolder ("gala/intent.vb"), which is made when missing.
QString InputFile(const uint8_t *data, size_t size, const QString &name);

// The folder of InputFile.
QString Folder();

// A file of the source tree (OPENMEET_SOURCE_DIR), for targets that need a meet to read against.
QString SourceFile(const QString &relative);

// Stops the run with `what` on stderr when `ok` is false: libFuzzer reports it as a crash and
// keeps the input.
void Check(bool ok, const char *what);

// Checks what every competition load promises of the gala state it fills: no table past its
// capacity, no text past its limit or holding a control character, and only events a swimmer can
// be entered in (a known sex, group, distance and stroke).
void CheckGala(const Core::GalaState &gala);

} // namespace Fuzz
