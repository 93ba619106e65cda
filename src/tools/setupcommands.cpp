// openmeet-db's set-up commands: a new meet database, a meet from a file of keyword lines, the
// list of meets, and a member database.

#include <QFile>
#include <QFileInfo>

#include "meetdb/database.h"
#include "meetdb/keywords.h"
#include "meetdb/meetcontents.h"
#include "meetdb/meetimport.h"
#include "meetdb/schema.h"
#include "members/memberdb.h"
#include "tools/tool.h"

namespace Tool {

namespace {

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

const char *const ListHelp = R"(Usage: openmeet-db list FILE [CODE]

Lists the meets of the meet database FILE, newest first, one per line: code, date (dd/mm/yyyy),
name and number of entrants, separated by tabs.

With CODE it lists what the meet CODE holds instead: a line "event" per event in the meet's
order (number, sex, group, distance, stroke, number of swims), then a line "entrant" per
entrant by number (number, name, club, sex, date of birth as dd/mm/yyyy or the age group,
number of swims), the values separated by tabs.

FILE is only read, never changed; it may be on read-only media.
)";

const char *const CreateMembersHelp = R"(Usage: openmeet-db create-members FILE CSVFILE

Makes a new member database FILE (the club's members with their personal bests, pbsys.mdb beside
the program) and fills it from CSVFILE. The first line of CSVFILE names the columns with the
"Members Table" field names ("Surname", "Forename", "Record Type", "Date of Birth", "Sex",
"PB Time 1" ...); every further line is one member. FILE must not exist yet. A bad line is
reported with its line number and no file is left behind.
)";

int Create(const Arguments &arguments)
{
    const QStringList &args = arguments.Positional;
    try {
        MeetDb::CreateMeetDatabase(args.at(0));
    } catch (const MeetDb::DbError &error) {
        return Fail(error.Message());
    }
    PrintLine(stdout, QStringLiteral("Created meet database %1").arg(args.at(0)));
    return 0;
}

int AddMeet(const Arguments &arguments)
{
    const QStringList &positional = arguments.Positional;
    const QString code = arguments.Options.value(QStringLiteral("code"));
    if (arguments.Options.isSet(QStringLiteral("code")) && code.isEmpty())
        return Fail(QStringLiteral("--code needs a meet code"));

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

int List(const Arguments &arguments)
{
    const QStringList &args = arguments.Positional;
    try {
        // Listing only reads: the file is left byte for byte as it was.
        MeetDb::Database db;
        db.Open(args.at(0), MeetDb::Database::Access::ReadOnly);
        if (!db.ReadOnlyReason().isEmpty())
            PrintLine(stderr, QStringLiteral("openmeet-db: ") + db.ReadOnlyReason());
        MeetDb::CheckMeetDatabase(db);
        if (args.size() == 1) {
            for (const MeetDb::MeetListing &meet : MeetDb::ListMeets(db))
                PrintLine(stdout, MeetDb::MeetListingLine(meet));
            return 0;
        }
        MeetDb::MeetContents contents;
        if (!MeetDb::ReadMeetContents(db, args.at(1), contents))
            return Fail(
                QStringLiteral("no meet \"%1\" in %2")
                    .arg(MeetDb::PrintableText(args.at(1), 20), QFileInfo(args.at(0)).fileName()));
        for (const QString &line : std::as_const(contents.Events) + contents.Entrants)
            PrintLine(stdout, line);
    } catch (const MeetDb::DbError &error) {
        return Fail(error.Message());
    }
    return 0;
}

int CreateMembers(const Arguments &arguments)
{
    const QStringList &args = arguments.Positional;
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

} // namespace

QList<Command> SetUpCommands()
{
    return {
        {"create", CreateHelp, {}, 1, 1, Create},
        {"add-meet", AddMeetHelp, {{"code", "CODE"}}, 2, 2, AddMeet},
        {"list", ListHelp, {}, 1, 2, List},
        {"create-members", CreateMembersHelp, {}, 2, 2, CreateMembers},
    };
}

} // namespace Tool
