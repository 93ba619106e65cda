#pragma once

#include <QString>
#include <QStringList>

namespace Core {
class Prompts;
struct GalaState;
} // namespace Core

/*
 * The meet parameter keywords: lines of keyword "=" value from a gala parameter file or from the
 * "Parameters for 1 Meet" records of the meet database, applied in order to the gala state.
 */
namespace MeetDb {

// Reads a gala parameter file: every line whose first character is not "#", in order. Returns
// false (and shows no message) when the file cannot be opened.
bool ReadGalaParamFile(const QString &path, QStringList &lines);

// Applies the lines in order. Lines without "=" and unknown keywords are skipped silently; a line
// with keyword "End" ends the processing. Messages go through `prompts`; the offending line is
// ignored and processing goes on.
void ApplyParamLines(Core::GalaState &gala, const QStringList &lines, Core::Prompts &prompts);

// Adds one combination of event numbers, with the checks and messages of the `combine` keyword.
void AddCombination(Core::GalaState &gala, const QStringList &events, Core::Prompts &prompts);

} // namespace MeetDb
