#pragma once

#include <cstdio>

#include <QCommandLineOption>
#include <QCommandLineParser>
#include <QList>
#include <QString>
#include <QStringList>

#include "meetday/roster.h"

namespace Core {
class CapturePrompts;
struct GalaState;
} // namespace Core

namespace MeetDb {
struct Session;
}

/*
 * What the commands of openmeet-db share. Each group of commands (set-up, entries, the meet day,
 * reports, interchange) lives in a file of its own and lists its commands; main() finds the
 * command, reads its line with QCommandLineParser by what the command declares, and runs it. So
 * every command's --help and every wrong option read the same way.
 */
namespace Tool {

// A command's line, read: the positional arguments in order and the options given.
struct Arguments
{
    QStringList Positional;
    const QCommandLineParser &Options;
};

// An option of a command: "--name VALUE", or a flag when ValueName is empty.
struct Option
{
    const char *Name;
    const char *ValueName = "";
};

struct Command
{
    const char *Name;
    const char *Help; // printed for --help and after a wrong command line
    QList<Option> Options;
    int MinPositional;
    int MaxPositional;
    int (*Run)(const Arguments &);
    // Commands that draw a report need the font database, which only a GUI application has.
    bool NeedsFonts = false;
};

QList<Command> SetUpCommands();
QList<Command> EntriesCommands();
QList<Command> MeetDayCommands();
QList<Command> ReportCommands();
QList<Command> InterchangeCommands();

// Reads `args` (the words after the command's name) for `command`. Returns false after printing
// what is wrong and the command's help to the standard error: the caller exits with 2.
bool ParseArguments(const Command &command, const QStringList &args, QCommandLineParser &parser);

void Print(FILE *stream, const QString &text);
void PrintLine(FILE *stream, const QString &text);
// Prints "openmeet-db: message" to the standard error; returns 1, the exit code of a failure.
int Fail(const QString &message);
// Prints the help to the standard error; returns 2, the exit code of a wrong command line.
int WrongArguments(const char *help);
// Prints the messages the work showed, each after the meet's code, and forgets them.
void ReportMessages(Core::CapturePrompts &prompts, const QString &meetCode);

// Selects the events of the --events option (numbers and ranges "7-9", comma-separated), or
// every event without it. Returns false with `error` naming a part that is no event of the meet.
bool SelectEventsOption(Core::GalaState &gala, const QCommandLineParser &options, QString *error);

// Loads the meet CODE of the database FILE (the first two of `positional`), printing the
// messages of the load after the code. Returns whether it loaded.
bool LoadMeet(const QStringList &positional, MeetDb::Session &session,
              Core::CapturePrompts &prompts);
// Loads the meet CODE of the database FILE (the first two of `positional`) for the meet day and
// reads its roster. Returns false after printing why when either fails.
bool LoadMeetDay(const QStringList &positional, MeetDb::Session &session,
                 Core::CapturePrompts &prompts, MeetDay::Roster &roster);

} // namespace Tool
