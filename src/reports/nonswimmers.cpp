#include "reports/nonswimmers.h"

#include <algorithm>

#include <QHash>

#include "core/galastate.h"
#include "core/prompts.h"
#include "meetday/daylists.h"
#include "meetday/heats.h"
#include "meetdb/database.h"
#include "meetdb/schema.h"
#include "meetdb/session.h"
#include "reports/printer.h"

namespace Reports {

namespace {

// The programme reference of the entrant's swim in pool event `event`, 0 when it has none.
// `cache` keeps each entrant's references by pool event, read once.
int ProgrammeReference(MeetDb::Database::SavedQuery &query, int entrant, const QString &event,
                       QHash<int, QHash<QString, int>> &cache)
{
    auto found = cache.constFind(entrant);
    if (found == cache.cend()) {
        QHash<QString, int> references;
        query.SetParameter(MeetDb::ParamEntrantNumber, entrant);
        const std::unique_ptr<MeetDb::RecordSet> rows = query.Open();
        for (rows->MoveFirst(); !rows->Eof(); rows->MoveNext()) {
            const QString pool = rows->Text(QStringLiteral("Combined With"));
            if (!references.contains(pool))
                references.insert(pool, rows->Int(QStringLiteral("Progref")));
        }
        found = cache.insert(entrant, references);
    }
    return found->value(event);
}

} // namespace

std::optional<NonSwimmers> PrepareNonSwimmers(MeetDb::Session &session,
                                              const MeetDay::Roster &roster, Core::Prompts &prompts)
{
    const Core::GalaState &gala = session.Gala;
    NonSwimmers list;
    list.Title = gala.GalaTitle.isEmpty() ? gala.GalaName : gala.GalaTitle;
    for (int row : MeetDay::MissingEntrants(roster, gala)) {
        const MeetDay::RosterEntrant &entrant = roster.at(row);
        list.Missing.append(
            {MeetDay::EntrantColumns(entrant, gala), MeetDay::SessionSwimEvents(entrant, gala)});
    }

    const bool useDb = gala.MeetDbOpen && session.MeetDb.IsOpen();
    try {
        std::optional<MeetDb::Database::SavedQuery> query;
        if (useDb) {
            query.emplace(session.MeetDb.OpenQuery(QStringLiteral("Events for 1 Entrant")));
            query->SetParameter(MeetDb::ParamMeetCode, gala.MeetCode);
        }
        QHash<int, QHash<QString, int>> cache;
        for (const QString &event : MeetDay::SelectedPoolEvents(gala)) {
            struct Listed
            {
                int Reference = 0;
                QString Line;
            };
            QList<Listed> listed;
            for (const MeetDay::SwimAt &at : MeetDay::UnconfirmedSwims(roster, gala, event)) {
                const MeetDay::RosterEntrant &entrant = roster.at(at.Entrant);
                const int reference =
                    query ? ProgrammeReference(*query, entrant.EntrantNumber, event, cache) : 0;
                listed.append({reference, MeetDay::EntrantColumns(entrant, gala).trimmed()});
            }
            std::stable_sort(listed.begin(), listed.end(), [](const Listed &a, const Listed &b) {
                return a.Reference < b.Reference;
            });
            NonSwimmersEvent one{event, {}};
            for (const Listed &swimmer : std::as_const(listed))
                one.Lines << swimmer.Line;
            list.Events.append(one);
        }
    } catch (const MeetDb::DbError &error) {
        prompts.Message(error.Message());
        return std::nullopt;
    }
    return list;
}

void PrintNonSwimmers(Printer &printer, const NonSwimmers &list)
{
    printer.SetOrientation(QPageLayout::Portrait);
    printer.SetScaleLeft(-0.5);
    printer.SetFontName(FontOcrb);
    printer.SetFontSize(10);
    printer.SetFontBold(false);
    printer.SetFontItalic(false);
    const double right = printer.PageWidth() + printer.ScaleLeft() - 0.25;

    auto heading = [&](const QString &text) {
        printer.SetFontUnderline(true);
        printer.PrintLine(text);
        printer.SetFontUnderline(false);
        printer.PrintLine();
        printer.PrintLine();
    };

    heading(NonSwimmersHeading);
    const double eventsColumn = printer.TextWidth(
        QString(MeetDay::NumberWidth + MeetDay::NameWidth + MeetDay::ClubWidth, QLatin1Char(' ')));
    for (const MissingEntrant &entrant : list.Missing) {
        // The columns, then the event numbers as far as the line has room; the rest go on
        // under them.
        printer.SetCurrentX(0);
        printer.Print(entrant.Columns);
        for (const QString &event : entrant.Events) {
            const QString item = event + QLatin1Char(' ');
            if (printer.CurrentX() > eventsColumn &&
                printer.CurrentX() + printer.TextWidth(item) > right) {
                printer.PrintLine();
                printer.SetCurrentX(eventsColumn);
            }
            printer.Print(item);
        }
        printer.PrintLine();
    }
    for (const NonSwimmersEvent &event : list.Events) {
        printer.PrintLine();
        heading(NonSwimmersEventHeading + event.Event);
        if (event.Lines.isEmpty())
            printer.PrintLine(MeetDay::AllCompetingMessage);
        for (const QString &line : event.Lines)
            printer.PrintLine(line);
    }
    printer.EndDoc();
}

} // namespace Reports
