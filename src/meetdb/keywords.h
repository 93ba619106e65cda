#pragma once

#include <QList>
#include <QString>
#include <QStringList>

namespace Core {
class Prompts;
struct GalaState;
struct GalaEvent;
struct GalaGroup;
struct GalaClub;
} // namespace Core

/*
 * The meet parameter keywords: lines of keyword "=" value from a gala parameter file or from the
 * "Parameters for 1 Meet" records of the meet database, applied in order to the gala state.
 *
 * A line is split at its first "="; neither side is trimmed and keywords are case-sensitive, so
 * "Lanes=6" and "lanes =6" are unknown keywords and are skipped. Flag values are true only for
 * the exact text "TRUE". Some flags only switch on (a database field that set them stays set);
 * the others take the value of every line.
 *
 * The tables of the gala state never grow past their capacities: the Append helpers below are the
 * one place that checks them, shared with the meet database load.
 */
namespace MeetDb {

// Reads a gala parameter file: every line whose first character is not "#", in order, without
// its line ending. The text is read as UTF-8, or as Latin-1 when it is not valid UTF-8. Returns
// false (and shows no message) when the file cannot be opened; `lines` is then left empty.
// `lineNumbers`, when given, receives the 1-based file line of each kept line, for messages.
bool ReadGalaParamFile(const QString &path, QStringList &lines, QList<int> *lineNumbers = nullptr);

// Applies the lines in order. Lines without "=" and unknown keywords are skipped silently; a line
// with keyword "End" ends the processing. Messages go through `prompts`; the offending line is
// ignored and processing goes on.
void ApplyParamLines(Core::GalaState &gala, const QStringList &lines, Core::Prompts &prompts);

// Adds one combination of event numbers, with the checks and messages of the `combine` keyword:
// at most MaxCombinations combinations of 2 to MaxCombineEvents numbers, kept in the order given.
void AddCombination(Core::GalaState &gala, const QStringList &events, Core::Prompts &prompts);

// Appends one event as given (the caller sets EvSequence). When the table already holds
// MaxEvents events it shows "Too many events, event <EvNumber> ignored" and returns false,
// leaving the table unchanged.
bool AppendEvent(Core::GalaState &gala, const Core::GalaEvent &event, Core::Prompts &prompts);

// Appends one group. When the table already holds MaxGroups groups it shows
// "Too many groups, group <GroupName> ignored" and returns false.
bool AppendGroup(Core::GalaState &gala, const Core::GalaGroup &group, Core::Prompts &prompts);

// Appends one club while fewer than ClubCount clubs are held; returns false (silently) when the
// table is full. A full club table is normal: ClubCount is the size the meet asked for.
bool AppendClub(Core::GalaState &gala, const Core::GalaClub &club);

// The truth of a boolean text ("aoe", "splitlastheats"): the word true or false in any case, or
// a number, non-zero meaning true; blanks around it are ignored. Anything else is not true.
bool BooleanText(const QString &text);

} // namespace MeetDb
