// openmeet-db's report commands: the entrants list, the programme (printed, or as CSV for a
// championship) and the non-swimmers list.

#include <algorithm>

#include <QDir>
#include <QSaveFile>

#include "core/captureprompts.h"
#include "core/startup.h"
#include "meetday/mastersconfirmform.h"
#include "meetday/programmenumbers.h"
#include "meetday/roster.h"
#include "meetdb/competitionload.h"
#include "meetdb/database.h"
#include "meetdb/session.h"
#include "reports/entrantslist.h"
#include "reports/nonswimmers.h"
#include "reports/printer.h"
#include "reports/programmerun.h"
#include "reports/reportoutput.h"
#include "reports/startlist.h"
#include "tools/tool.h"

namespace Tool {

namespace {

const char *const StartListHelp =
    R"(Usage: openmeet-db start-list FILE CODE OUT.pdf [--events LIST]

Writes the start list of the meet CODE of the meet database FILE to the PDF file OUT.pdf, as the
meet-day window's "Start List" prints it: for every event (or the events in LIST, such as
1,4,7-9) with heats made, each heat ("Heat 2 of 4") with one line per lane: the lane, the
swimmer's name, club, year of birth (the age group in a Masters meet) and entry time; an empty
lane shows its number alone. Events swum together are listed under their first event. Events
without heats are named on the standard error and left out; run make-heats first.

OUT.pdf is written under a temporary name and renamed when it is complete.
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

const char *const NonSwimmersHelp =
    R"(Usage: openmeet-db non-swimmers FILE CODE OUT.pdf [--events LIST]

Writes the list of "Print Unconfirmed" of the meet CODE of the meet database FILE to the PDF
file OUT.pdf: the swimmers who have not posted their cards (no swim of the meet's events
confirmed), then, for every event (or the events in LIST, such as 1,4,7-9), the swimmers entered
in it and not confirmed, in the order of their programme references. Events swum together are
listed under their first event.

OUT.pdf is written under a temporary name and renamed when it is complete.
)";

int EntrantsList(const Arguments &arguments)
{
    const QStringList &args = arguments.Positional;
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

int Programme(const Arguments &arguments)
{
    const QStringList &positional = arguments.Positional;
    const QCommandLineParser &options = arguments.Options;
    ProgrammeAnswers prompts;
    if (options.isSet(QStringLiteral("heading")))
        prompts.Heading = options.value(QStringLiteral("heading"));
    prompts.Highlight = options.value(QStringLiteral("highlight"));
    if (options.isSet(QStringLiteral("copies")))
        prompts.Copies = options.value(QStringLiteral("copies"));
    prompts.KeepNumbers = options.isSet(QStringLiteral("keep-numbers"));
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
    if (QString error; !SelectEventsOption(session.Gala, options, &error))
        return Fail(error + QStringLiteral("; no programme written"));
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

int ProgrammeCsv(const Arguments &arguments)
{
    const QStringList &args = arguments.Positional;
    MeetDb::Session session;
    Core::CapturePrompts prompts;
    const bool loaded = LoadMeet(args, session, prompts);
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

int NonSwimmers(const Arguments &arguments)
{
    const QStringList &positional = arguments.Positional;
    MeetDb::Session session;
    Core::SetPrintFontNames(session.Settings);
    Core::CapturePrompts prompts;
    MeetDay::Roster roster;
    if (!LoadMeetDay(positional, session, prompts, roster))
        return Fail(QStringLiteral("no list written"));
    QString error;
    if (!SelectEventsOption(session.Gala, arguments.Options, &error))
        return Fail(error + QStringLiteral("; no list written"));
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

int StartList(const Arguments &arguments)
{
    const QStringList &positional = arguments.Positional;
    const QString &code = positional.at(1);
    MeetDb::Session session;
    Core::SetPrintFontNames(session.Settings);
    Core::CapturePrompts prompts;
    MeetDay::Roster roster;
    if (!LoadMeetDay(positional, session, prompts, roster))
        return Fail(QStringLiteral("no start list written"));
    QString error;
    if (!SelectEventsOption(session.Gala, arguments.Options, &error))
        return Fail(error + QStringLiteral("; no start list written"));
    const std::optional<Reports::StartList> list =
        Reports::PrepareStartList(session, roster, prompts);
    ReportMessages(prompts, code);
    if (!list)
        return Fail(QStringLiteral("no start list written"));

    int pages = 0;
    const bool written = Reports::WritePdfReport(
        positional.at(2), list->Title + QStringLiteral(" - Start List"),
        Reports::ReportFontsFrom(session.Settings),
        [&](Reports::Printer &printer) {
            Reports::PrintStartList(printer, *list);
            pages = printer.PageCount();
        },
        &error);
    if (!written)
        return Fail(error);
    PrintLine(stdout, QStringLiteral("Wrote the start list of meet %1 to %2 (%3 events, %4 pages)")
                          .arg(code, positional.at(2))
                          .arg(list->Events.size())
                          .arg(pages));
    return 0;
}

} // namespace

QList<Command> ReportCommands()
{
    return {
        {"entrants-list", EntrantsListHelp, {}, 3, 3, EntrantsList, true},
        {"programme",
         ProgrammeHelp,
         {{"events", "LIST"},
          {"heading", "TEXT"},
          {"highlight", "CLUB"},
          {"copies", "N"},
          {"keep-numbers"}},
         3,
         3,
         Programme,
         true},
        {"programme-csv", ProgrammeCsvHelp, {}, 3, 3, ProgrammeCsv},
        {"non-swimmers", NonSwimmersHelp, {{"events", "LIST"}}, 3, 3, NonSwimmers, true},
        {"start-list", StartListHelp, {{"events", "LIST"}}, 3, 3, StartList, true},
    };
}

} // namespace Tool
