// openmeet-db: sets up meet databases and runs the meet day from the command line, so that a club
// official needs no other database software and a meet day can be scripted. The work is done by
// the program's own logic; the commands (in the *commands.cpp files beside this one) only read
// the command line and print the outcome.

#include <cstring>
#include <memory>

#include <QCoreApplication>
#include <QGuiApplication>

#include "core/startup.h"
#include "core/version.h"
#include "tools/tool.h"

namespace {

const char *const Usage = R"(Usage: openmeet-db COMMAND ARGUMENTS...

Sets up meet databases for the Open Meet Entries Module.

Commands:
  create FILE                            make a new, empty meet database
  add-meet FILE GALAFILE [--code CODE]   add a meet from a file of keyword lines
  list FILE [CODE]                       list the meets, or one meet's events and entrants
  add-entries FILE CODE CSVFILE          add the entries of a CSV file to a meet
  create-members FILE CSVFILE            make a new member database from a CSV file
  confirm FILE CODE (--all | --entrants LIST)
                                         confirm swims as on the meet day
  entrants-list FILE CODE OUT.pdf        print the entrants list of a meet to a PDF file
  programme FILE CODE OUT.pdf            seed an Open or Masters meet for its programme and
                                         print the programme to a PDF file
  programme-csv FILE CODE OUT.csv        write the programme CSV of a Champs meet
  make-heats FILE CODE [--events LIST] [--confirmed-only] [--programme-creation]
             [--seeding club|standard|circle]
                                         seed events into heats and lanes
  update-pbs FILE CODE [--members MEMBERFILE]
                                         entry times from the members' personal bests
  swims FILE CODE ENTRANT [--add LIST] [--remove EVENT] [--move FROM=TO]
                                         add, remove or move an entrant's swims on the day
  lists FILE CODE DIR                    write clublist.csv and namelist.csv into DIR
  non-swimmers FILE CODE OUT.pdf [--events LIST]
                                         print the swimmers not yet confirmed to a PDF file
  start-list FILE CODE OUT.pdf [--events LIST]
                                         print the start list of the heats made to a PDF file
  import-lenex FILE MEETFILE [--code CODE]
                                         add a meet with its entries from a Lenex file
  export-lenex FILE CODE OUT.lxf         write a meet's start list as a Lenex file
  import-entries FILE CODE LENEXFILE [--dry-run]
                                         add a club's Lenex entries to a meet
  import-results FILE CODE LENEXFILE     read heat results from a Lenex file into a meet

"openmeet-db COMMAND --help" describes a command and "openmeet-db --version" prints the
version. Paths are taken as given, relative to the current folder. The exit code is 0 on
success, 1 when the command fails and 2 for a wrong command line; messages go to the standard
error.
)";

QList<Tool::Command> AllCommands()
{
    return Tool::SetUpCommands() + Tool::EntriesCommands() + Tool::MeetDayCommands() +
           Tool::ReportCommands() + Tool::InterchangeCommands();
}

} // namespace

int main(int argc, char *argv[])
{
    const QList<Tool::Command> commands = AllCommands();
    const Tool::Command *command = nullptr;
    for (const Tool::Command &c : commands)
        if (argc > 1 && std::strcmp(argv[1], c.Name) == 0)
            command = &c;

    // The SQL driver is a plugin, which Qt loads only with an application object. A command that
    // draws a report runs on the offscreen platform unless told otherwise, so it needs no display.
    std::unique_ptr<QCoreApplication> app;
    if (command && command->NeedsFonts) {
        if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
            qputenv("QT_QPA_PLATFORM", "offscreen");
        app = std::make_unique<QGuiApplication>(argc, argv);
        Core::InstallFontSubstitutions();
    } else {
        app = std::make_unique<QCoreApplication>(argc, argv);
    }
    QStringList args = QCoreApplication::arguments().mid(1);

    if (args.isEmpty())
        return Tool::WrongArguments(Usage);
    const QString name = args.takeFirst();
    if (name == QLatin1String("--help") || name == QLatin1String("-h") ||
        name == QLatin1String("help")) {
        std::fputs(Usage, stdout);
        return 0;
    }
    if (name == QLatin1String("--version") || name == QLatin1String("-v")) {
        std::puts(Core::VersionLine);
        return 0;
    }
    if (!command) {
        Tool::PrintLine(stderr, QStringLiteral("openmeet-db: unknown command \"%1\"").arg(name));
        return Tool::WrongArguments(Usage);
    }
    if (args.contains(QLatin1String("--help")) || args.contains(QLatin1String("-h"))) {
        std::fputs(command->Help, stdout);
        return 0;
    }
    QCommandLineParser parser;
    if (!Tool::ParseArguments(*command, args, parser))
        return 2;
    return command->Run(Tool::Arguments{parser.positionalArguments(), parser});
}
