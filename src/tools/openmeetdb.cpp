// openmeet-db: sets up meet databases from the command line, so that a club official needs no
// other database software. The work is done by the meet database layer; this file only reads the
// command line and prints the outcome.

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <memory>

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QSaveFile>
#include <QString>
#include <QStringList>

#include "core/captureprompts.h"
#include "core/startup.h"
#include "core/sysparams.h"
#include "entries/entryimport.h"
#include "meetday/daylists.h"
#include "meetday/heats.h"
#include "meetday/mastersconfirmform.h"
#include "meetday/programme.h"
#include "meetday/roster.h"
#include "meetday/swimedits.h"
#include "meetday/updatepbs.h"
#include "meetdb/competitionload.h"
#include "meetdb/database.h"
#include "meetdb/meetimport.h"
#include "meetdb/schema.h"
#include "meetdb/session.h"
#include "members/memberdb.h"
#include "reports/entrantslist.h"
#include "reports/nonswimmers.h"
#include "reports/printer.h"
#include "reports/programme.h"
#include "reports/reportoutput.h"
#include "tools/lenexentriescommands.h"

namespace {

const char *const Usage = R"(Usage: openmeet-db COMMAND ARGUMENTS...

Sets up meet databases for the Open Meet Entries Module.

Commands:
  create FILE                            make a new, empty meet database
  add-meet FILE GALAFILE [--code CODE]   add a meet from a file of keyword lines
  list FILE                              list the meets of a meet database
  add-entries FILE CODE CSVFILE          add the entries of a CSV file to a meet
  import-entries FILE CODE LENEXFILE [--dry-run]
                                         add a club's Lenex entries to a meet
  create-members FILE CSVFILE            make a new member database from a CSV file
  confirm FILE CODE (--all | --entrants LIST)
                                         confirm swims as on the meet day
  entrants-list FILE CODE OUT.pdf        print the entrants list of a meet to a PDF file
  programme FILE CODE OUT.pdf            seed an Open or Masters meet for its programme and
                                         print the programme to a PDF file
  programme-csv FILE CODE OUT.csv        write the programme CSV of a Champs meet
  make-heats FILE CODE [--events LIST] [--confirmed-only] [--programme-creation]
                                         seed events into heats and lanes
  update-pbs FILE CODE [--members MEMBERFILE]
                                         entry times from the members' personal bests
  swims FILE CODE ENTRANT [--add LIST] [--remove EVENT] [--move FROM=TO]
                                         add, remove or move an entrant's swims on the day
  lists FILE CODE DIR                    write clublist.csv and namelist.csv into DIR
  non-swimmers FILE CODE OUT.pdf [--events LIST]
                                         print the swimmers not yet confirmed to a PDF file

"openmeet-db COMMAND --help" describes a command. The exit code is 0 on success, 1 when the
command fails and 2 for a wrong command line; messages go to the standard error.
)";

const char *const CreateHelp = R"(Usage: openmeet-db create FILE

Makes FILE a new meet database with every table and saved query the program needs, and no
meets. An existing FILE is never touched.
)";

const char *const AddMeetHelp = R"(Usage: openmeet-db add-meet FILE GALAFILE [--code CODE]

Adds one meet to the meet database FILE from GALAFILE, a file of keyword lines in the form of a
gala parameter file (keyword=value; lines starting "#" are comments; "End" ends the reading).

  galaname, galatitle, galadate, qualdate, galatype, lanes, ... become the meet's details;
  group lines become its groups, event lines (with eventprintno) its events, club lines its
  clubs (unless the file has a clubcount line: then the clubs stay keyword lines, in order);
  every other keyword line is kept with the meet and applied when the meet is loaded.

The meet's code is CODE, or the file's name upper-cased, letters and digits only, at most 10
characters (open27.ini gives OPEN27). A code already in the database is refused.

Every line is checked as the program checks it when it loads the meet. Any error is reported
as "file:line: message" and nothing is added.
)";

const char *const ListHelp = R"(Usage: openmeet-db list FILE

Lists the meets of the meet database FILE, newest first, one per line: code, date (dd/mm/yyyy),
name and number of entrants, separated by tabs. FILE is only read, never changed; it may be on
read-only media.
)";

const char *const AddEntriesHelp = R"(Usage: openmeet-db add-entries FILE CODE CSVFILE

Adds the entrants and swims of CSVFILE to the meet CODE of the meet database FILE, numbered and
written exactly as the entry window's "Record" writes them. The first line of CSVFILE is a
header; lines starting "#" are comments; every other line is one entrant:

  Kind,Name,Club,Sex,Age,Regno,Events
  I,Zoe Ashby,ASHB,F,05/03/16,123456,11=35.50 12=1:02.30 13=NT

Kind is I (a swimmer of an open or masters meet; Age is the date of birth, or the masters
age-group letter), R (a masters relay team; Age is the relay's group name) or M (a club member
of a member gala; Name forename first, Age the date of birth). Events are blank-separated
event=time pairs, each event once; the time may be empty or NT. A field holding a comma is quoted ("Smith, Jo").

Every entrant is checked as the entry window's "Record" checks it: real dates of birth, events
of the meet for the entrant's sex and group, an age that fits the group, strict entry times.
What the window would ask about is refused: a club that is not one of the meet's, and a swimmer
already entered (same name and date of birth, or masters letter). Every refused line is
reported as "file:line: reason" and nothing is added.
)";

const char *const CreateMembersHelp = R"(Usage: openmeet-db create-members FILE CSVFILE

Makes a new member database FILE (the club's members with their personal bests, pbsys.mdb beside
the program) and fills it from CSVFILE. The first line of CSVFILE names the columns with the
"Members Table" field names ("Surname", "Forename", "Record Type", "Date of Birth", "Sex",
"PB Time 1" ...); every further line is one member. FILE must not exist yet. A bad line is
reported with its line number and no file is left behind.
)";

const char *const ConfirmHelp = R"(Usage: openmeet-db confirm FILE CODE (--all | --entrants LIST)

Confirms swims of the meet CODE in the meet database FILE, as the meet-day window's "Confirm all
swimmers" and "Confirm All" do, and saves them as its save all does.

  --all             confirms every swim of every entrant in the meet's events (swims of events
                    not in the meet's event list are left as they are)
  --entrants LIST   confirms every swim of the entrants numbered in LIST, such as 1,4,7-9

An entrant number that is not in the meet is an error, and nothing is saved.
)";

const char *const EntrantsListHelp = R"(Usage: openmeet-db entrants-list FILE CODE OUT.pdf

Writes the entrants list of the meet CODE of the meet database FILE to the PDF file OUT.pdf,
exactly as "Print Entrants List" prints it: club by club, each club on a new page, every entrant
with the events entered. The list applies to Champs, Masters and Open meets.

OUT.pdf is written under a temporary name and renamed when it is complete, so a list that fails
leaves no half-written file (and an existing OUT.pdf as it was).
)";

const char *const ProgrammeHelp =
    R"(Usage: openmeet-db programme FILE CODE OUT.pdf [--events LIST] [--heading TEXT]
                                        [--highlight CLUB] [--copies N] [--keep-numbers]

Runs "Programme" of the meet-day window on the Open or Masters meet CODE of the meet database
FILE: every event (or the events in LIST, such as 1,4,7-9) is seeded for the programme, each swim
gets its "Seed Order" and programme reference ("Progref"), and the programme pages are written
to the PDF file OUT.pdf. Events swum together print as one event under their first event.

  --heading TEXT     prints the page heading (the meet's title) with TEXT as the session line
  --highlight CLUB   prints the swimmers of the club with this code in bold italic
  --copies N         copies of a Masters programme, each from a new sheet: 1 (unless given)
                     to 99
  --keep-numbers     keeps the programme references of an earlier run (the answer No to the
                     question about overwriting the old competitor numbers)

OUT.pdf is written under a temporary name and renamed when it is complete. The window's
messages go to the standard error. An event of more than 1000 swims cannot be seeded: it is
named, and no programme is written.
)";

const char *const ProgrammeCsvHelp = R"(Usage: openmeet-db programme-csv FILE CODE OUT.csv

Writes the programme CSV of the Champs meet CODE of the meet database FILE to OUT.csv, as
"Programme" of the meet-day window does once the finals files have been exported: per event the
event and its description, "BCP", "H", and the lanes of its final from the event's finals file in
the meet's work directory (the current directory when the meet names none, as for make-heats),
or "No finalists". An existing OUT.csv is replaced. A damaged finals file is reported with its
name and line, and nothing is written.
)";

const char *const MakeHeatsHelp =
    R"(Usage: openmeet-db make-heats FILE CODE [--events LIST] [--confirmed-only]
                                         [--programme-creation]

Runs "Make Heats" of the meet-day window on the meet CODE of the meet database FILE: every
event (or the events in LIST, such as 1,4,7-9) is seeded by entry time into heats, each swimmer
is given a lane, and "Seed Order", "Heat No" and "Lane No" are written to each swim. Events swum
together are seeded as one pool event under their first event.

  --confirmed-only       only confirmed swims take part (the answer Yes to "Only confirmed
                         entries?")
  --programme-creation   the heats are made for the programme: the events' maximum entries do
                         not apply (the answer Yes to "Program creation?")

The allocation is printed one swimmer a line: event, heat, lane, entrant number, name and
entry time, separated by tabs. The window's messages go to the standard error.
)";

const char *const UpdatePbsHelp = R"(Usage: openmeet-db update-pbs FILE CODE [--members MEMBERFILE]

Runs "Update PBs" of the meet-day window on the meet CODE of the meet database FILE: every entry
time slower than the swimmer's personal best in the member database (found by name) becomes the
personal best, and the entries are saved. Each change is printed as the window shows it
("Updated Time for Ann Lee From 36.00 To 35.10").

The member database is MEMBERFILE, or the one the program uses (pbsystem.ini beside it, else
pbsys.mdb there). The personal-best events are those of pbsystem.ini.
)";

const char *const SwimsHelp =
    R"(Usage: openmeet-db swims FILE CODE ENTRANT [--add LIST] [--remove EVENT] [--move FROM=TO]

Changes the swims of the entrant numbered ENTRANT in the meet CODE of the meet database FILE as
the meet-day window's "Add", "Del" and event-number boxes do, and saves the entrant:

  --add LIST       adds a swim in each event of LIST (such as 3,7,12), unconfirmed and without
                   an entry time
  --remove EVENT   removes the entrant's swim in EVENT
  --move FROM=TO   moves the entrant's swim in event FROM to event TO

Options may be given more than once and are done in the order given. A swim added or moved is
swum in the pool event of its new event ("Combined With"). An event that is not the meet's, a
swim the entrant has already, or one it does not have is an error, and nothing is saved. An
entrant left with no swims is removed from the meet.

The entrant's swims are then printed one a line: event, entry time, confirmed (Y or N) and the
pool event, separated by tabs. Without options they are only printed.
)";

const char *const ListsHelp = R"(Usage: openmeet-db lists FILE CODE DIR

Writes the club list and the name list of the meet CODE of the meet database FILE into the
folder DIR, as "Clubs List" and "Name List" of the meet-day window do: clublist.csv holds each
club of the meet ("code","name"), namelist.csv each entrant (number,"name","age","club","sex").
Existing files of those names are replaced. A meet without clubs or without entrants gets no
file of that kind, and the command then fails.
)";

const char *const NonSwimmersHelp =
    R"(Usage: openmeet-db non-swimmers FILE CODE OUT.pdf [--events LIST]

Writes the list of "Print Unconfirmed" of the meet CODE of the meet database FILE to the PDF
file OUT.pdf: the swimmers who have not posted their cards (no swim of the meet's events
confirmed), then, for every event (or the events in LIST, such as 1,4,7-9), the swimmers entered
in it and not confirmed, in the order of their programme references. Events swum together are
listed under their first event.

OUT.pdf is written under a temporary name and renamed when it is complete.
)";

void Print(FILE *stream, const QString &text)
{
    std::fputs(text.toLocal8Bit().constData(), stream);
}

void PrintLine(FILE *stream, const QString &text)
{
    Print(stream, text + QLatin1Char('\n'));
}

int Fail(const QString &message)
{
    PrintLine(stderr, QStringLiteral("openmeet-db: ") + message);
    return 1;
}

// Prints the messages the work showed, each after the meet's code, and forgets them.
void ReportMessages(Core::CapturePrompts &prompts, const QString &meetCode)
{
    for (const QString &message : std::as_const(prompts.Messages))
        PrintLine(stderr, meetCode + QStringLiteral(": ") + message);
    prompts.Messages.clear();
}

int WrongArguments(const char *help)
{
    std::fputs(help, stderr);
    return 2;
}

int Create(const QStringList &args)
{
    if (args.size() != 1)
        return WrongArguments(CreateHelp);
    try {
        MeetDb::CreateMeetDatabase(args.at(0));
    } catch (const MeetDb::DbError &error) {
        return Fail(error.Message());
    }
    PrintLine(stdout, QStringLiteral("Created meet database %1").arg(args.at(0)));
    return 0;
}

int AddMeet(const QStringList &args)
{
    QStringList positional;
    QString code;
    for (qsizetype i = 0; i < args.size(); ++i) {
        if (args.at(i) == QLatin1String("--code")) {
            if (i + 1 >= args.size())
                return WrongArguments(AddMeetHelp);
            code = args.at(++i);
            if (code.isEmpty())
                return Fail(QStringLiteral("--code needs a meet code"));
        } else {
            positional.append(args.at(i));
        }
    }
    if (positional.size() != 2)
        return WrongArguments(AddMeetHelp);

    MeetDb::ImportMessages messages;
    QString summary;
    const bool ok =
        MeetDb::AddMeetFromFile(positional.at(0), positional.at(1), code, messages, &summary);
    for (const QString &warning : std::as_const(messages.Warnings))
        PrintLine(stderr, warning);
    for (const QString &error : std::as_const(messages.Errors))
        PrintLine(stderr, error);
    if (!ok) {
        return Fail(
            QStringLiteral("no meet added to %1").arg(QFileInfo(positional.at(0)).fileName()));
    }
    PrintLine(stdout, summary);
    return 0;
}

int List(const QStringList &args)
{
    if (args.size() != 1)
        return WrongArguments(ListHelp);
    try {
        // Listing only reads: the file is left byte for byte as it was.
        MeetDb::Database db;
        db.Open(args.at(0), MeetDb::Database::Access::ReadOnly);
        if (!db.ReadOnlyReason().isEmpty())
            PrintLine(stderr, QStringLiteral("openmeet-db: ") + db.ReadOnlyReason());
        MeetDb::CheckMeetDatabase(db);
        for (const MeetDb::MeetListing &meet : MeetDb::ListMeets(db))
            PrintLine(stdout, MeetDb::MeetListingLine(meet));
    } catch (const MeetDb::DbError &error) {
        return Fail(error.Message());
    }
    return 0;
}

int AddEntries(const QStringList &args)
{
    if (args.size() != 3)
        return WrongArguments(AddEntriesHelp);
    MeetDb::Session session;
    Core::CapturePrompts prompts;
    const bool loaded = MeetDb::LoadMeetByCode(session, args.at(0), args.at(1), prompts);
    for (const QString &message : std::as_const(prompts.Messages))
        PrintLine(stderr, args.at(1) + QStringLiteral(": ") + message);
    if (!loaded)
        return Fail(QStringLiteral("no entries added"));

    QStringList errors;
    int written = 0;
    const bool ok = Entries::ImportEntriesCsv(session, args.at(2), errors, &written);
    for (const QString &error : std::as_const(errors))
        PrintLine(stderr, error);
    if (!ok)
        return Fail(QStringLiteral("no entries added"));
    PrintLine(stdout, QStringLiteral("Added %1 entrants to meet %2").arg(written).arg(args.at(1)));
    return 0;
}

int CreateMembers(const QStringList &args)
{
    if (args.size() != 2)
        return WrongArguments(CreateMembersHelp);
    const QString &path = args.at(0);
    try {
        Members::CreateMemberDatabase(path);
    } catch (const MeetDb::DbError &error) {
        return Fail(error.Message());
    }
    try {
        MeetDb::Database db;
        db.Open(path);
        Members::ImportMembersCsv(db, args.at(1));
        PrintLine(stdout, QStringLiteral("Created member database %1 with %2 members")
                              .arg(path)
                              .arg(Members::CountMembers(db)));
    } catch (const MeetDb::DbError &error) {
        // The file was made by this command, so nothing of the user's is lost by removing it.
        QFile::remove(path);
        QFile::remove(path + QStringLiteral("-journal"));
        return Fail(error.Message());
    }
    return 0;
}

int Confirm(const QStringList &args)
{
    if (args.size() < 3 || args.size() > 4)
        return WrongArguments(ConfirmHelp);
    const bool all = args.at(2) == QLatin1String("--all");
    if (all ? args.size() != 3 : (args.at(2) != QLatin1String("--entrants") || args.size() != 4))
        return WrongArguments(ConfirmHelp);
    QList<int> numbers;
    QString error;
    if (!all && !MeetDay::ParseEntrantList(args.at(3), numbers, &error)) {
        PrintLine(stderr, QStringLiteral("openmeet-db: ") + error);
        return WrongArguments(ConfirmHelp);
    }

    MeetDb::Session session;
    Core::CapturePrompts prompts;
    auto report = [&] { ReportMessages(prompts, args.at(1)); };
    const bool loaded = MeetDb::LoadMeetByCode(session, args.at(0), args.at(1), prompts);
    report();
    if (!loaded)
        return Fail(QStringLiteral("nothing confirmed"));
    session.Gala.ProgramMode = MeetDay::ModeMeetDay;
    MeetDay::Roster roster;
    const MeetDay::LoadResult result = MeetDay::LoadRoster(session, prompts, roster);
    report();
    if (result != MeetDay::LoadResult::Loaded)
        return Fail(QStringLiteral("nothing confirmed"));

    int swims = 0;
    int entrants = 0;
    if (all) {
        swims = MeetDay::SetAllConfirmed(roster, session.Gala, true);
        for (const MeetDay::RosterEntrant &entrant : std::as_const(roster))
            entrants += entrant.Swims.isEmpty() ? 0 : 1;
    } else {
        for (int number : std::as_const(numbers)) {
            const int row = MeetDay::FindEntrant(roster, number);
            if (row < 0) {
                return Fail(QStringLiteral("entrant %1 is not in meet %2; nothing confirmed")
                                .arg(number)
                                .arg(args.at(1)));
            }
            swims += MeetDay::ConfirmEntrant(roster[row]);
            ++entrants;
        }
    }
    const bool saved = MeetDay::SaveRoster(session, roster, prompts);
    report();
    if (!saved)
        return Fail(QStringLiteral("nothing confirmed"));
    PrintLine(stdout, QStringLiteral("Confirmed %1 swims of %2 entrants in meet %3")
                          .arg(swims)
                          .arg(entrants)
                          .arg(args.at(1)));
    return 0;
}

int EntrantsList(const QStringList &args)
{
    if (args.size() != 3)
        return WrongArguments(EntrantsListHelp);
    MeetDb::Session session;
    Core::SetPrintFontNames(session.Settings);
    Core::CapturePrompts prompts;
    auto report = [&] { ReportMessages(prompts, args.at(1)); };
    const bool loaded = MeetDb::LoadMeetByCode(session, args.at(0), args.at(1), prompts);
    report();
    if (!loaded)
        return Fail(QStringLiteral("no list written"));
    const std::optional<Reports::EntrantsList> list =
        Reports::PrepareEntrantsList(session, prompts);
    report();
    if (!list)
        return Fail(QStringLiteral("no list written"));

    int pages = 0;
    QString error;
    const bool written = Reports::WritePdfReport(
        args.at(2), list->MeetName + QStringLiteral(" - Entrants"),
        Reports::ReportFontsFrom(session.Settings),
        [&](Reports::Printer &printer) {
            Reports::PrintEntrantsList(printer, *list);
            pages = printer.PageCount();
        },
        &error);
    if (!written)
        return Fail(error);
    PrintLine(stdout, QStringLiteral("Wrote the entrants list of meet %1 to %2 (%3 pages)")
                          .arg(args.at(1), args.at(2))
                          .arg(pages));
    return 0;
}

bool SelectEvents(Core::GalaState &gala, const QString &list, QString *error);

// The answers of the programme command's options, given to the programme's questions.
class ProgrammeAnswers : public Core::CapturePrompts
{
public:
    bool AskYesNo(const QString &question, bool) override
    {
        if (question == MeetDay::RenumberQuestion)
            return !KeepNumbers;
        if (question == Reports::HighlightQuestion)
            return !Highlight.isEmpty();
        if (question == Reports::HeadingQuestion)
            return Heading.has_value();
        return false;
    }
    std::optional<QString> Input(const QString &, const QString &question, const QString &) override
    {
        if (question == MeetDay::CopiesQuestion)
            return Copies;
        if (question == Reports::SessionQuestion)
            return Heading;
        return std::nullopt;
    }
    int PickFromList(const QString &, const QStringList &lines) override
    {
        for (qsizetype i = 0; i < lines.size(); ++i)
            if (lines.at(i).startsWith(Highlight + QStringLiteral(" - ")))
                return int(i + 1);
        return 0;
    }

    bool KeepNumbers = false;
    QString Highlight;
    std::optional<QString> Heading;
    QString Copies = QStringLiteral("1");
};

int Programme(const QStringList &args)
{
    QStringList positional;
    QString events;
    bool haveEvents = false;
    ProgrammeAnswers prompts;
    for (qsizetype i = 0; i < args.size(); ++i) {
        const QString &arg = args.at(i);
        const bool valued = arg == QLatin1String("--events") || arg == QLatin1String("--heading") ||
                            arg == QLatin1String("--highlight") || arg == QLatin1String("--copies");
        if (valued && i + 1 >= args.size())
            return WrongArguments(ProgrammeHelp);
        if (arg == QLatin1String("--events")) {
            events = args.at(++i);
            haveEvents = true;
        } else if (arg == QLatin1String("--heading")) {
            prompts.Heading = args.at(++i);
        } else if (arg == QLatin1String("--highlight")) {
            prompts.Highlight = args.at(++i);
        } else if (arg == QLatin1String("--copies")) {
            prompts.Copies = args.at(++i);
        } else if (arg == QLatin1String("--keep-numbers")) {
            prompts.KeepNumbers = true;
        } else if (arg.startsWith(QLatin1String("--"))) {
            return WrongArguments(ProgrammeHelp);
        } else {
            positional.append(arg);
        }
    }
    if (positional.size() != 3)
        return WrongArguments(ProgrammeHelp);
    // Checked here for every kind of meet, though only a Masters programme asks for copies.
    QString copiesError;
    if (!Reports::ReadCopies(prompts.Copies, &copiesError)) {
        PrintLine(stderr, QStringLiteral("openmeet-db: ") + copiesError);
        return WrongArguments(ProgrammeHelp);
    }
    const QString &code = positional.at(1);

    MeetDb::Session session;
    Core::SetPrintFontNames(session.Settings);
    auto report = [&] { ReportMessages(prompts, code); };
    const bool loaded = MeetDb::LoadMeetByCode(session, positional.at(0), code, prompts);
    report();
    if (!loaded)
        return Fail(QStringLiteral("no programme written"));
    session.Gala.ProgramMode = MeetDay::ModeMeetDay;
    if (haveEvents) {
        QString error;
        if (!SelectEvents(session.Gala, events, &error))
            return Fail(error + QStringLiteral("; no programme written"));
    } else {
        for (Core::GalaEvent &event : session.Gala.Events)
            event.EvSelected = true;
    }
    if (!prompts.Highlight.isEmpty() &&
        std::none_of(session.Gala.Clubs.cbegin(), session.Gala.Clubs.cend(),
                     [&](const Core::GalaClub &club) { return club.Code == prompts.Highlight; }))
        return Fail(QStringLiteral("no club \"%1\" in the meet; no programme written")
                        .arg(prompts.Highlight));
    MeetDay::Roster roster;
    const MeetDay::LoadResult result = MeetDay::LoadRoster(session, prompts, roster);
    report();
    if (result == MeetDay::LoadResult::Failed)
        return Fail(QStringLiteral("no programme written"));

    // The seeds, the programme numbers and the reserve marks of the printed programme are one
    // change of the meet: a stop or a failure part-way must not leave swims numbered without
    // their marks. The steps' own transactions nest inside this one.
    std::optional<Reports::Programme> programme;
    try {
        MeetDb::Transaction transaction(session.MeetDb);
        programme = Reports::PrepareProgramme(session, roster, prompts);
        report();
        if (!programme)
            return Fail(QStringLiteral("no programme written"));
        if (!MeetDay::SaveRoster(session, roster, prompts)) {
            report();
            return Fail(QStringLiteral("the reserve marks were not saved; no programme written"));
        }
        transaction.Commit();
    } catch (const MeetDb::DbError &error) {
        return Fail(error.Message() + QStringLiteral("; no programme written"));
    }

    int pages = 0;
    QString error;
    const bool written = Reports::WritePdfReport(
        positional.at(2), programme->Title + QStringLiteral(" - Programme"),
        Reports::ReportFontsFrom(session.Settings),
        [&](Reports::Printer &printer) {
            Reports::PrintProgramme(printer, session.Gala, *programme);
            pages = printer.PageCount();
        },
        &error);
    if (!written)
        return Fail(error);
    PrintLine(stdout, QStringLiteral("Wrote the programme of meet %1 to %2 (%3 events, %4 pages)")
                          .arg(code, positional.at(2))
                          .arg(programme->Events.size())
                          .arg(pages));
    return 0;
}

int ProgrammeCsv(const QStringList &args)
{
    if (args.size() != 3)
        return WrongArguments(ProgrammeCsvHelp);
    MeetDb::Session session;
    Core::CapturePrompts prompts;
    const bool loaded = MeetDb::LoadMeetByCode(session, args.at(0), args.at(1), prompts);
    ReportMessages(prompts, args.at(1));
    if (!loaded)
        return Fail(QStringLiteral("no programme written"));
    if (session.Gala.GalaType != Core::GalaChamps)
        return Fail(
            QStringLiteral("meet %1 is not a Champs meet; no programme written").arg(args.at(1)));
    const Core::GalaState &gala = session.Gala;
    const QString dir = gala.WorkDir.isEmpty() ? QDir::currentPath() : gala.WorkDir;
    const std::optional<QByteArray> bytes = Reports::ChampsProgrammeCsv(gala, dir, prompts);
    ReportMessages(prompts, args.at(1));
    if (!bytes)
        return Fail(QStringLiteral("no programme written"));
    QSaveFile file(args.at(2));
    if (!file.open(QIODevice::WriteOnly) || file.write(*bytes) < 0 || !file.commit())
        return Fail(QStringLiteral("cannot write %1: %2").arg(args.at(2), file.errorString()));
    PrintLine(stdout, QStringLiteral("Wrote the programme of meet %1 to %2 (%3 events)")
                          .arg(args.at(1), args.at(2))
                          .arg(gala.EventCount()));
    return 0;
}

int UpdatePbs(const QStringList &args)
{
    QStringList positional;
    QString members;
    for (qsizetype i = 0; i < args.size(); ++i) {
        if (args.at(i) == QLatin1String("--members")) {
            if (i + 1 >= args.size())
                return WrongArguments(UpdatePbsHelp);
            members = args.at(++i);
        } else if (args.at(i).startsWith(QLatin1String("--"))) {
            return WrongArguments(UpdatePbsHelp);
        } else {
            positional.append(args.at(i));
        }
    }
    if (positional.size() != 2)
        return WrongArguments(UpdatePbsHelp);

    MeetDb::Session session;
    Core::CapturePrompts prompts;
    auto report = [&](FILE *stream) {
        for (const QString &message : std::as_const(prompts.Messages))
            PrintLine(stream, message);
        prompts.Messages.clear();
    };
    Core::ReadSystemParams(QCoreApplication::applicationDirPath(), session.Settings, prompts);
    const bool loaded =
        MeetDb::LoadMeetByCode(session, positional.at(0), positional.at(1), prompts);
    report(stderr);
    if (!loaded)
        return Fail(QStringLiteral("no entry times changed"));
    session.Gala.ProgramMode = MeetDay::ModeMeetDay;
    MeetDay::Roster roster;
    const MeetDay::LoadResult result = MeetDay::LoadRoster(session, prompts, roster);
    report(stderr);
    if (result != MeetDay::LoadResult::Loaded)
        return Fail(QStringLiteral("no entry times changed"));

    int changed = 0;
    const bool updated = MeetDay::UpdatePbsFromFile(
        roster, session.Gala, session.Settings,
        members.isEmpty() ? session.Settings.DbFile : members, prompts, &changed);
    if (!updated) {
        report(stderr);
        return Fail(QStringLiteral("no entry times changed"));
    }
    report(stdout);
    if (changed > 0 && !MeetDay::SaveRoster(session, roster, prompts)) {
        report(stderr);
        return Fail(QStringLiteral("no entry times changed"));
    }
    PrintLine(
        stdout,
        QStringLiteral("Changed %1 entry times in meet %2").arg(changed).arg(positional.at(1)));
    return 0;
}

// Loads the meet CODE of the database FILE (the first two of `positional`) for the meet day and
// reads its roster. Returns false after printing why when either fails.
bool LoadMeetDay(const QStringList &positional, MeetDb::Session &session,
                 Core::CapturePrompts &prompts, MeetDay::Roster &roster)
{
    const bool loaded =
        MeetDb::LoadMeetByCode(session, positional.at(0), positional.at(1), prompts);
    ReportMessages(prompts, positional.at(1));
    if (!loaded)
        return false;
    session.Gala.ProgramMode = MeetDay::ModeMeetDay;
    const MeetDay::LoadResult result = MeetDay::LoadRoster(session, prompts, roster);
    ReportMessages(prompts, positional.at(1));
    return result != MeetDay::LoadResult::Failed;
}

// One change of the swims command, done on the entrant. Returns "" or the reason it cannot be.
QString ChangeSwims(MeetDay::RosterEntrant &entrant, const Core::GalaState &gala,
                    const QString &option, const QString &value)
{
    if (option == QLatin1String("--add")) {
        QStringList refused;
        MeetDay::AddSwims(entrant, gala, QString(value).replace(u',', u' '), refused);
        return refused.join(QStringLiteral("; "));
    }
    if (option == QLatin1String("--remove")) {
        const int swim = MeetDay::FindSwim(entrant, value);
        if (swim < 0)
            return QStringLiteral("%1 has no swim in event %2").arg(entrant.Name, value);
        MeetDay::RemoveSwim(entrant, swim);
        return {};
    }
    const QStringList ends = value.split(u'=');
    const int swim = ends.size() == 2 ? MeetDay::FindSwim(entrant, ends.at(0)) : -1;
    if (ends.size() != 2)
        return QStringLiteral("\"%1\" is not FROM=TO").arg(value);
    if (swim < 0)
        return QStringLiteral("%1 has no swim in event %2").arg(entrant.Name, ends.at(0));
    QString error;
    MeetDay::MoveSwim(entrant, gala, swim, ends.at(1), &error);
    return error;
}

int Swims(const QStringList &args)
{
    QStringList positional;
    QList<std::pair<QString, QString>> changes;
    for (qsizetype i = 0; i < args.size(); ++i) {
        const QString &arg = args.at(i);
        if (arg == QLatin1String("--add") || arg == QLatin1String("--remove") ||
            arg == QLatin1String("--move")) {
            if (i + 1 >= args.size())
                return WrongArguments(SwimsHelp);
            changes.append({arg, args.at(++i)});
        } else if (arg.startsWith(QLatin1String("--"))) {
            return WrongArguments(SwimsHelp);
        } else {
            positional.append(arg);
        }
    }
    bool numbered = false;
    const int number = positional.value(2).toInt(&numbered);
    if (positional.size() != 3 || !numbered)
        return WrongArguments(SwimsHelp);

    MeetDb::Session session;
    Core::CapturePrompts prompts;
    MeetDay::Roster roster;
    if (!LoadMeetDay(positional, session, prompts, roster))
        return Fail(QStringLiteral("no swims changed"));
    const int row = MeetDay::FindEntrant(roster, number);
    if (row < 0)
        return Fail(QStringLiteral("entrant %1 is not in meet %2; no swims changed")
                        .arg(number)
                        .arg(positional.at(1)));
    MeetDay::RosterEntrant &entrant = roster[row];
    for (const auto &[option, value] : std::as_const(changes)) {
        const QString error = ChangeSwims(entrant, session.Gala, option, value);
        if (!error.isEmpty())
            return Fail(error + QStringLiteral("; no swims changed"));
    }
    if (!changes.isEmpty()) {
        const bool saved = MeetDay::SaveRosterEntrant(session, entrant, prompts);
        ReportMessages(prompts, positional.at(1));
        if (!saved)
            return Fail(QStringLiteral("no swims changed"));
    }
    MeetDay::SortSwims(entrant);
    for (const MeetDay::RosterSwim &swim : std::as_const(entrant.Swims)) {
        PrintLine(stdout, QStringLiteral("%1\t%2\t%3\t%4")
                              .arg(swim.EventNumber, swim.EntryTime,
                                   swim.Confirmed ? QStringLiteral("Y") : QStringLiteral("N"),
                                   swim.CombinedWith));
    }
    if (entrant.Swims.isEmpty())
        PrintLine(stdout,
                  QStringLiteral("Entrant %1 has no swims left and was removed from meet %2")
                      .arg(number)
                      .arg(positional.at(1)));
    return 0;
}

int Lists(const QStringList &args)
{
    if (args.size() != 3)
        return WrongArguments(ListsHelp);
    MeetDb::Session session;
    Core::CapturePrompts prompts;
    MeetDay::Roster roster;
    if (!LoadMeetDay(args, session, prompts, roster))
        return Fail(QStringLiteral("no lists written"));
    bool all = true;
    auto write = [&](bool empty, const QString &why, const QString &name, const QByteArray &bytes) {
        if (empty)
            prompts.Message(why);
        const QString path =
            empty ? QString() : MeetDay::WriteListFile(args.at(2), name, bytes, prompts);
        ReportMessages(prompts, args.at(1));
        if (!path.isEmpty())
            PrintLine(stdout, QStringLiteral("Wrote %1").arg(path));
        all = all && !path.isEmpty();
    };
    write(session.Gala.Clubs.isEmpty(), MeetDay::NoClubsMessage, MeetDay::ClubListName,
          MeetDay::ClubListBytes(session.Gala));
    write(roster.isEmpty(), MeetDay::NoEntriesMessage, MeetDay::NameListName,
          MeetDay::NameListBytes(roster));
    return all ? 0 : Fail(QStringLiteral("not every list was written"));
}

int NonSwimmers(const QStringList &args)
{
    QStringList positional;
    std::optional<QString> events;
    for (qsizetype i = 0; i < args.size(); ++i) {
        if (args.at(i) == QLatin1String("--events") && i + 1 < args.size())
            events = args.at(++i);
        else if (args.at(i).startsWith(QLatin1String("--")))
            return WrongArguments(NonSwimmersHelp);
        else
            positional.append(args.at(i));
    }
    if (positional.size() != 3)
        return WrongArguments(NonSwimmersHelp);

    MeetDb::Session session;
    Core::SetPrintFontNames(session.Settings);
    Core::CapturePrompts prompts;
    MeetDay::Roster roster;
    if (!LoadMeetDay(positional, session, prompts, roster))
        return Fail(QStringLiteral("no list written"));
    QString error;
    if (events && !SelectEvents(session.Gala, *events, &error))
        return Fail(error + QStringLiteral("; no list written"));
    for (Core::GalaEvent &event : session.Gala.Events)
        event.EvSelected = event.EvSelected || !events;
    const std::optional<Reports::NonSwimmers> list =
        Reports::PrepareNonSwimmers(session, roster, prompts);
    ReportMessages(prompts, positional.at(1));
    if (!list)
        return Fail(QStringLiteral("no list written"));
    int pages = 0;
    const bool written = Reports::WritePdfReport(
        positional.at(2), list->Title + QStringLiteral(" - Non swimmers"),
        Reports::ReportFontsFrom(session.Settings),
        [&](Reports::Printer &printer) {
            Reports::PrintNonSwimmers(printer, *list);
            pages = printer.PageCount();
        },
        &error);
    if (!written)
        return Fail(error);
    PrintLine(stdout,
              QStringLiteral("Wrote the non-swimmers of meet %1 to %2 (%3 missing, %4 pages)")
                  .arg(positional.at(1), positional.at(2))
                  .arg(list->Missing.size())
                  .arg(pages));
    return 0;
}

// Commands that draw a report need the font database, which only a GUI application has. They
// run on the offscreen platform unless told otherwise, so they need no display.
bool NeedsFonts(int argc, char *argv[])
{
    return argc > 1 &&
           (std::strcmp(argv[1], "entrants-list") == 0 || std::strcmp(argv[1], "programme") == 0 ||
            std::strcmp(argv[1], "non-swimmers") == 0);
}

// Marks the events of LIST (numbers and ranges "7-9", comma-separated) as selected. Returns false
// with `error` naming a part that is no event of the meet.
bool SelectEvents(Core::GalaState &gala, const QString &list, QString *error)
{
    for (const QString &raw : list.split(u',')) {
        const QString part = raw.trimmed();
        const qsizetype dash = part.indexOf(u'-', 1);
        bool found = false;
        if (dash > 0) {
            bool okLow = false;
            bool okHigh = false;
            const int low = part.left(dash).trimmed().toInt(&okLow);
            const int high = part.mid(dash + 1).trimmed().toInt(&okHigh);
            if (!okLow || !okHigh || high < low) {
                *error = QStringLiteral("\"%1\" is not a range of event numbers").arg(part);
                return false;
            }
            for (Core::GalaEvent &event : gala.Events) {
                bool ok = false;
                const int number = event.EvNumber.toInt(&ok);
                if (ok && number >= low && number <= high) {
                    event.EvSelected = true;
                    found = true;
                }
            }
        } else {
            const int index = gala.FindEvent(part);
            if (index >= 0) {
                gala.Events[index].EvSelected = true;
                found = true;
            }
        }
        if (!found) {
            *error = QStringLiteral("no event \"%1\" in the meet").arg(part);
            return false;
        }
    }
    return true;
}

int MakeHeats(const QStringList &args)
{
    QStringList positional;
    QString events;
    bool haveEvents = false;
    MeetDay::MakeHeatsOptions options;
    for (qsizetype i = 0; i < args.size(); ++i) {
        if (args.at(i) == QLatin1String("--events")) {
            if (i + 1 >= args.size())
                return WrongArguments(MakeHeatsHelp);
            events = args.at(++i);
            haveEvents = true;
        } else if (args.at(i) == QLatin1String("--confirmed-only")) {
            options.OnlyConfirmed = true;
        } else if (args.at(i) == QLatin1String("--programme-creation")) {
            options.ProgramCreation = true;
        } else if (args.at(i).startsWith(QLatin1String("--"))) {
            return WrongArguments(MakeHeatsHelp);
        } else {
            positional.append(args.at(i));
        }
    }
    if (positional.size() != 2)
        return WrongArguments(MakeHeatsHelp);

    MeetDb::Session session;
    Core::CapturePrompts prompts;
    auto report = [&] {
        for (const QString &message : std::as_const(prompts.Messages))
            PrintLine(stderr, positional.at(1) + QStringLiteral(": ") + message);
        prompts.Messages.clear();
    };
    const bool loaded =
        MeetDb::LoadMeetByCode(session, positional.at(0), positional.at(1), prompts);
    report();
    if (!loaded)
        return Fail(QStringLiteral("no heats made"));
    session.Gala.ProgramMode = MeetDay::ModeMeetDay;
    if (haveEvents) {
        QString error;
        if (!SelectEvents(session.Gala, events, &error))
            return Fail(error + QStringLiteral("; no heats made"));
    } else {
        for (Core::GalaEvent &event : session.Gala.Events)
            event.EvSelected = true;
    }
    MeetDay::Roster roster;
    const MeetDay::LoadResult result = MeetDay::LoadRoster(session, prompts, roster);
    report();
    if (result == MeetDay::LoadResult::Failed)
        return Fail(QStringLiteral("no heats made"));

    QList<MeetDay::SeededEvent> seeded;
    const bool made = MeetDay::MakeHeats(session, roster, options, prompts, seeded);
    report();
    if (!made)
        return Fail(QStringLiteral("no heats made"));
    for (const MeetDay::HeatLine &line : MeetDay::HeatLines(seeded)) {
        PrintLine(stdout, QStringLiteral("%1\t%2\t%3\t%4\t%5\t%6")
                              .arg(line.Event)
                              .arg(line.Heat)
                              .arg(line.Lane)
                              .arg(line.EntrantNumber)
                              .arg(line.Name, line.EntryTime));
    }
    return 0;
}

} // namespace

int main(int argc, char *argv[])
{
    // The SQL driver is a plugin, which Qt loads only with an application object.
    std::unique_ptr<QCoreApplication> app;
    if (NeedsFonts(argc, argv)) {
        if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
            qputenv("QT_QPA_PLATFORM", "offscreen");
        app = std::make_unique<QGuiApplication>(argc, argv);
        Core::InstallFontSubstitutions();
    } else {
        app = std::make_unique<QCoreApplication>(argc, argv);
    }
    QStringList args = QCoreApplication::arguments().mid(1);

    if (args.isEmpty())
        return WrongArguments(Usage);
    const QString command = args.takeFirst();
    if (command == QLatin1String("--help") || command == QLatin1String("-h") ||
        command == QLatin1String("help")) {
        std::fputs(Usage, stdout);
        return 0;
    }

    struct Command
    {
        const char *Name;
        const char *Help;
        int (*Run)(const QStringList &);
    };
    const Command commands[] = {
        {"create", CreateHelp, Create},
        {"add-meet", AddMeetHelp, AddMeet},
        {"list", ListHelp, List},
        {"add-entries", AddEntriesHelp, AddEntries},
        {"import-entries", Tools::ImportEntriesHelp, Tools::ImportEntries},
        {"create-members", CreateMembersHelp, CreateMembers},
        {"confirm", ConfirmHelp, Confirm},
        {"entrants-list", EntrantsListHelp, EntrantsList},
        {"make-heats", MakeHeatsHelp, MakeHeats},
        {"update-pbs", UpdatePbsHelp, UpdatePbs},
        {"programme", ProgrammeHelp, Programme},
        {"programme-csv", ProgrammeCsvHelp, ProgrammeCsv},
        {"swims", SwimsHelp, Swims},
        {"lists", ListsHelp, Lists},
        {"non-swimmers", NonSwimmersHelp, NonSwimmers},
    };
    for (const Command &c : commands) {
        if (command != QLatin1String(c.Name))
            continue;
        if (args.contains(QLatin1String("--help")) || args.contains(QLatin1String("-h"))) {
            std::fputs(c.Help, stdout);
            return 0;
        }
        return c.Run(args);
    }
    PrintLine(stderr, QStringLiteral("openmeet-db: unknown command \"%1\"").arg(command));
    return WrongArguments(Usage);
}
