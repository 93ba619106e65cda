#pragma once

#include <QList>
#include <QString>
#include <QStringList>

#include "core/textutil.h"

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

// Limits on the texts of a meet. A meet's texts reach window captions, lists and printed
// headings, so a crafted file must not put a megabyte or a control character there.
using Core::MaxClubCodeLength;
using Core::MaxMeetNameLength;                // galaname, "Meet Name"
inline constexpr int MaxMeetTextLength = 100; // titles, promoter, group and event texts
inline constexpr int MaxMeetPathLength = 260; // directories and database paths
inline constexpr int MaxWarnLength = 1000;
inline constexpr qint64 MaxGalaFileSize = 16 * 1024 * 1024;
// Event distances are whole metres from 1 to MaxDistance.
inline constexpr int MaxDistance = 10000;

// `text` made safe to show in a message or a terminal: every control character (C0, DEL and C1)
// becomes "\xNN" and a text longer than `maxLength` is cut there and ends in "...".
QString PrintableText(QStringView text, int maxLength = 60);

// Why a club cannot be kept under this code or name, "" when it can: "the code is empty", "the
// code holds a blank", "the name is longer than 100 characters" and the like. The code is 1 to
// MaxClubCodeLength characters without a blank, the name not blank and at most
// MaxMeetTextLength, and neither holds a control character, so that a club reads back as it was
// from a "club=" line (code, a blank, name) and from the meet database.
QString ClubCodeFault(QStringView code);
QString ClubNameFault(QStringView name);
// The code's fault, else the name's.
QString ClubFault(QStringView code, QStringView name);

// The distance of an event line: the metres when `text` is a whole number from 1 to MaxDistance
// written in digits alone, else 0.
int DistanceMetres(QStringView text);

// Reads a gala parameter file: every line whose first character is not "#", in order, without
// its line ending. The text is read as UTF-8, or as Latin-1 when it is not valid UTF-8. Returns
// false when the file cannot be opened or is not a text file this program can read; `lines` is
// then left empty and `fault` (when given) says why: "" when the file cannot be opened (the
// caller has its own message for that), else a reason such as "the file is UTF-16 text".
// `lineNumbers`, when given, receives the 1-based file line of each kept line, for messages.
bool ReadGalaParamFile(const QString &path, QStringList &lines, QList<int> *lineNumbers = nullptr,
                       QString *fault = nullptr);

// True for a keyword of the keyword table (End included).
bool IsKeyword(QStringView keyword);
// True when at least one line is a keyword line: a known keyword followed by "=".
bool HasKeywordLine(const QStringList &lines);

// Where the lines come from, so that a message about a line's content names it: with
// LineNumbers "internal.ini:12: ", without them "<Name> 3: " for the third line. An empty Name
// leaves the place out (the caller adds its own).
struct ParamSource
{
    QString Name;
    QList<int> LineNumbers; // the file line of each line, when the lines come from a file
};

// Applies the lines in order. Lines without "=" and unknown keywords are skipped silently; a line
// with keyword "End" ends the processing. Messages go through `prompts`; the offending line is
// ignored and processing goes on. A line whose value breaks the limits on meet texts, or an
// event line with an unknown sex, stroke or group or a bad distance, is refused with a message
// that starts with the place `source` gives.
void ApplyParamLines(Core::GalaState &gala, const QStringList &lines, Core::Prompts &prompts,
                     const ParamSource &source = {});

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
