#pragma once

#include <optional>

#include <QByteArray>
#include <QString>

#include "lenex/lenexmodel.h"

/*
 * Reading and writing Lenex 3.0 files: ".lef" is the XML itself, ".lxf" a zip archive holding
 * one ".lef". A Lenex file comes from outside and is not trusted: a DTD, an entity, nesting
 * deeper than Lenex has, a zip member over MaxLenexBytes once unpacked, a member path that leaves
 * the archive, or XML that does not read whole is refused with a message naming the file (and the
 * line where there is one), and nothing is returned. So is a number, date or swim time attribute
 * that is not one ("3a", "2023-02-29", "1:05.32"): a value is never guessed at.
 */
namespace Lenex {

// What the file windows offer for Lenex files.
inline const QString LenexFileFilter = QStringLiteral("Lenex (*.lxf *.lef)");

inline constexpr qint64 MaxLenexBytes = qint64(200) * 1024 * 1024;

// Reads `path` (".lxf" or ".lef", by content: a zip is recognised by its signature). On failure
// returns false and sets `error`; `document` is then left empty.
bool ReadLenexFile(const QString &path, Document &document, QString *error);
// Reads Lenex XML already in memory; `name` names it in messages.
bool ReadLenexXml(const QByteArray &xml, const QString &name, Document &document, QString *error);

// The document as Lenex XML (UTF-8, indented), with openmeet as its constructor. Ids and lanes
// the document does not give (NoId, NoLane) and empty optional texts are left out; a result
// without a swim time is written "NT"; characters XML cannot carry (control characters other than
// tab and line ends) are dropped, so the XML always reads back. Entry and swim times must already
// be Lenex swim times (SwimTimeFromEntryTime).
QByteArray LenexXml(const Document &document);
// Writes `document` to `path`: zipped when the name ends ".lxf" (one member, the same name
// ending ".lef"), plain XML otherwise. Written under a scratch name and renamed, so a failure
// leaves any earlier file whole.
bool WriteLenexFile(const QString &path, const Document &document, QString *error);

// A Lenex swim time "HH:MM:SS.hh" in hundredths of a second, exactly (results rank on it, and
// equal texts give equal numbers); std::nullopt for "NT", "" and anything that is not a swim time
// (a field of other than two digits, minutes or seconds over 59, spaces).
std::optional<qint64> SwimTimeHundredths(QStringView swimTime);

// Lenex swim time ("00:01:05.32") to the meet's entry time text ("1:05.32", "32.10"); "" for
// "NT", an empty text, a text that is not a swim time, a zero time and a time over an hour (the
// longest the meet's times hold).
QString EntryTimeFromSwimTime(const QString &swimTime);
// The meet's entry time text, read as Core::TimeToSeconds reads it, to a Lenex swim time; "NT"
// for no time ("9:99.99", "", "NT", a time that rounds to 0.00) and for 100 hours or more.
QString SwimTimeFromEntryTime(const QString &entryTime);

} // namespace Lenex
