#include "reports/entrantslist.h"

#include <algorithm>

#include "core/galastate.h"
#include "core/prompts.h"
#include "entries/entrywriter.h"
#include "meetdb/competitionload.h"
#include "meetdb/database.h"
#include "meetdb/session.h"
#include "reports/printer.h"

namespace Reports {

namespace {

// Room left between a column's text and the next column.
constexpr double ColumnGap = 0.05;

bool ListApplies(const QString &galaType)
{
    return galaType == Core::GalaChamps || galaType == Core::GalaMasters ||
           galaType == Core::GalaOpen;
}

// Every club code of the meet's list that is printed, then the codes entrants give that the
// list lacks, in code order. With "ALL" in the list every entrant is printed already.
QStringList ClubsToPrint(const Core::GalaState &gala, const QList<EntrantsListEntrant> &entrants)
{
    QStringList clubs;
    for (const Core::GalaClub &club : gala.Clubs)
        if (club.Code != NoClubCode)
            clubs.append(Core::ClubCode(club.Code));
    if (clubs.contains(AllClubsCode))
        return clubs;
    QStringList others;
    for (const EntrantsListEntrant &entrant : entrants) {
        if (!entrant.Swims.isEmpty() && !clubs.contains(entrant.Club) &&
            !others.contains(entrant.Club))
            others.append(entrant.Club);
    }
    std::sort(others.begin(), others.end());
    return clubs + others;
}

void PrintColumn(Printer &printer, double column, double nextColumn, const QString &text)
{
    printer.SetCurrentX(column);
    printer.PrintFitted(text, nextColumn - column - ColumnGap);
}

// The club's heading, the column headings and the empty lines below them. Also printed again
// at the top of a sheet that continues a club's list.
void PrintHeadings(Printer &printer, const EntrantsList &list, const QString &clubCode)
{
    const double right = printer.PageWidth() + printer.ScaleLeft();
    printer.SetFontName(FontTahoma);
    printer.SetFontSize(14);
    printer.SetFontBold(true);
    printer.SetFontItalic(false);
    printer.SetFontUnderline(false);
    printer.SetCurrentX(0);
    printer.PrintFitted(list.MeetName + QStringLiteral(" - Entries for ") + clubCode, right);
    printer.PrintLine();
    printer.PrintLine();

    printer.SetFontSize(10);
    printer.SetFontBold(false);
    PrintColumn(printer, EntNoColumn, NameColumn, QStringLiteral("Ent no"));
    PrintColumn(printer, NameColumn, DobColumn, QStringLiteral("Name"));
    PrintColumn(printer, DobColumn, SexColumn, QStringLiteral("DoB"));
    PrintColumn(printer, SexColumn, EventColumn, QStringLiteral("Sex"));
    PrintColumn(printer, EventColumn, DetailsColumn, QStringLiteral("Event"));
    PrintColumn(printer, DetailsColumn, EntryTimeColumn, QStringLiteral("Details"));
    PrintColumn(printer, EntryTimeColumn, right, QStringLiteral("Entry Time"));
    printer.PrintLine();
    printer.PrintLine();
}

void PrintEntrant(Printer &printer, const EntrantsListEntrant &entrant)
{
    const double right = printer.PageWidth() + printer.ScaleLeft();
    bool first = true;
    for (const EntrantsListSwim &swim : entrant.Swims) {
        if (first) {
            PrintColumn(printer, EntNoColumn, NameColumn, entrant.Number);
            PrintColumn(printer, NameColumn, DobColumn, entrant.Name);
            PrintColumn(printer, DobColumn, SexColumn, entrant.Age);
            PrintColumn(printer, SexColumn, EventColumn, entrant.Sex);
            first = false;
        }
        PrintColumn(printer, EventColumn, DetailsColumn, swim.Event);
        PrintColumn(printer, DetailsColumn, EntryTimeColumn, swim.Details);
        PrintColumn(printer, EntryTimeColumn, right, swim.EntryTime);
        printer.PrintLine();
    }
}

} // namespace

QString EntrantsListStrokeName(const QString &stroke)
{
    struct Name
    {
        const char *Code;
        const char *Text;
    };
    // "FSS", the second freestyle code, is printed as freestyle wherever strokes are named.
    static const Name names[] = {
        {"MED", "Individual Medley"}, {"FS", "Freestyle"},         {"FSS", "Freestyle"},
        {"BR", "Breaststroke"},       {"BK", "Backstroke"},        {"FLY", "Butterfly"},
        {"FSR", "Freestyle Relay"},   {"MEDR", "Medley Relay"},    {"BRR", "Breaststroke Relay"},
        {"FLYR", "Butterfly Relay"},  {"BKR", "Backstroke Relay"},
    };
    for (const Name &name : names)
        if (stroke == QLatin1String(name.Code))
            return QString::fromLatin1(name.Text);
    return {};
}

QString EntrantsListDetails(const Core::GalaState &gala, const QString &eventNumber)
{
    const int index = gala.FindEvent(eventNumber);
    if (index < 0)
        return {};
    const Core::GalaEvent &event = gala.Events.at(index);
    return event.EvDistance + QStringLiteral("m ") + EntrantsListStrokeName(event.EvStroke);
}

std::optional<EntrantsList> PrepareEntrantsList(MeetDb::Session &session, Core::Prompts &prompts)
{
    const Core::GalaState &gala = session.Gala;
    if (!ListApplies(gala.GalaType)) {
        prompts.Message(EntrantsListNotApplicable);
        return std::nullopt;
    }
    if (!gala.MeetDbOpen || !session.MeetDb.IsOpen()) {
        prompts.Message(EntrantsListNatamarOnly);
        return std::nullopt;
    }

    const QString meetCodeParameter = QStringLiteral("Enter Meet Code");
    try {
        EntrantsList list;
        list.MeetName = gala.GalaName;

        MeetDb::Database::SavedQuery entrantsQuery =
            session.MeetDb.OpenQuery(QStringLiteral("Entrants for 1 Meet"));
        entrantsQuery.SetParameter(meetCodeParameter, gala.MeetCode);
        const std::unique_ptr<MeetDb::RecordSet> entrants = entrantsQuery.Open();
        // Said once for the whole meet, before anything is printed: every club's list would
        // be empty.
        if (entrants->RecordCount() == 0) {
            prompts.Message(EntrantsListNoEntrants);
            return std::nullopt;
        }

        MeetDb::Database::SavedQuery eventsQuery =
            session.MeetDb.OpenQuery(QStringLiteral("Events for 1 Entrant"));
        eventsQuery.SetParameter(meetCodeParameter, gala.MeetCode);
        for (entrants->MoveFirst(); !entrants->Eof(); entrants->MoveNext()) {
            EntrantsListEntrant entrant;
            const int number = entrants->Int(QStringLiteral("Entrant Number"));
            entrant.Number = number == 0 ? QString() : QString::number(number);
            entrant.Name = entrants->Text(QStringLiteral("Swimmer Name"));
            // A date of birth is stored year first; the sheet shows it day first.
            entrant.Age = MeetDb::DbDateText(entrants->Text(QStringLiteral("age")));
            entrant.Sex = entrants->Text(QStringLiteral("Sex"));
            // A code typed in small letters before codes were kept in capitals is still its club.
            entrant.Club = Core::ClubCode(entrants->Text(QStringLiteral("club")));

            eventsQuery.SetParameter(QStringLiteral("Enter Entrant Number"), number);
            const std::unique_ptr<MeetDb::RecordSet> swims = eventsQuery.Open();
            for (swims->MoveFirst(); !swims->Eof(); swims->MoveNext()) {
                EntrantsListSwim swim;
                swim.Event = swims->Text(QStringLiteral("Event number"));
                swim.Details = EntrantsListDetails(gala, swim.Event);
                swim.EntryTime = swims->Text(QStringLiteral("Entry Time"));
                // The database's mark for a swim without a time is printed as such.
                if (swim.EntryTime == Entries::NoTimeText)
                    swim.EntryTime = Entries::NtText;
                entrant.Swims.append(swim);
            }
            list.Entrants.append(entrant);
        }
        list.Clubs = ClubsToPrint(gala, list.Entrants);
        return list;
    } catch (const MeetDb::DbError &error) {
        prompts.Message(error.Message());
        return std::nullopt;
    }
}

void PrintClubEntrants(Printer &printer, const EntrantsList &list, const QString &clubCode)
{
    PrintHeadings(printer, list, clubCode);
    const bool all = clubCode == AllClubsCode;
    bool entrantOnPage = false;
    for (const EntrantsListEntrant &entrant : list.Entrants) {
        if ((!all && entrant.Club != clubCode) || entrant.Swims.isEmpty())
            continue;
        // An entrant's lines stay together: one that does not fit below goes to a new sheet,
        // headed like the first so that every sheet names its club.
        const double height = entrant.Swims.size() * printer.TextHeight();
        if (entrantOnPage && printer.CurrentY() + height > printer.PageBottom()) {
            printer.NewPage();
            PrintHeadings(printer, list, clubCode);
        }
        PrintEntrant(printer, entrant);
        entrantOnPage = true;
    }
    printer.NewPage();
}

void PrintEntrantsList(Printer &printer, const EntrantsList &list)
{
    printer.SetScaleTop(0);
    printer.SetScaleLeft(-0.5);
    for (const QString &club : list.Clubs)
        PrintClubEntrants(printer, list, club);
    printer.EndDoc();
}

} // namespace Reports
