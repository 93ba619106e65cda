// The meet-day window's commands for swims scratched and added, the lists and the exports. The
// rules live in swimedits.h, daylists.h and exports.h; these only ask, call and show.

#include <optional>

#include <QDir>

#include "core/galastate.h"
#include "core/prompts.h"
#include "entries/entryfiles.h"
#include "meetday/daylists.h"
#include "meetday/exports.h"
#include "meetday/heats.h"
#include "meetday/mastersconfirmform.h"
#include "meetday/swimedits.h"
#include "meetdb/database.h"
#include "meetdb/eventselection.h"
#include "meetdb/session.h"

namespace MeetDay {

void MastersConfirmForm::SelectEvents()
{
    MeetDb::GalaSelectEventsForm select(m_session.Gala, m_prompts);
    select.Open();
    if (ShowSelectEvents)
        ShowSelectEvents(select);
}

QString MastersConfirmForm::GalaFolder() const
{
    return Entries::EntryDirPath(m_session.Gala, m_session.ProgramDir);
}

void MastersConfirmForm::DelEvent(int row)
{
    if (m_current < 0 || row < 0 || row >= SwimRows)
        return;
    RosterEntrant &entrant = m_roster[m_current];
    if (row < entrant.SwimCount()) {
        if (m_prompts.AskYesNo(RemoveSwimQuestion(entrant, entrant.Swims.at(row).EventNumber),
                               true)) {
            RemoveSwim(entrant, row);
            ShowEntrant(entrant.EntrantNumber);
        }
        RequestFocus(ConfirmBox::SwimButton, std::min(row, entrant.SwimCount()));
        return;
    }
    if (row != entrant.SwimCount())
        return;
    const std::optional<QString> reply = m_prompts.Input(AddSwimTitle, AddSwimQuestion, {});
    if (!reply)
        return;
    const int before = entrant.SwimCount();
    QStringList refused;
    const int added = AddSwims(entrant, m_session.Gala, *reply, refused);
    const QString first = added > 0 ? entrant.Swims.at(before).EventNumber : QString();
    if (!refused.isEmpty())
        m_prompts.Message(refused.join(u'\n'));
    ShowEntrant(entrant.EntrantNumber);
    // The first swim added, for its entry time; the swims are shown in event order.
    const int shownAt = FindSwim(entrant, first);
    if (added > 0 && shownAt < SwimRows)
        RequestFocus(ConfirmBox::EntryTime, shownAt, true);
    else
        RequestFocus(ConfirmBox::SwimButton, std::min(entrant.SwimCount(), SwimRows - 1));
}

void MastersConfirmForm::ExportEvent()
{
    if (!m_meetDay || !WriteAllowed())
        return;
    const QString event = AskPoolEvent(m_session.Gala, QStringLiteral("Export"), m_prompts);
    if (event.isEmpty())
        return;
    const std::optional<QList<int>> counts = ExportPoolEvents(
        m_session, m_roster, {event}, SeedOptions{true, false}, m_assignNumbers, m_prompts);
    if (!counts)
        return;
    if (counts->value(0) == 0)
        m_prompts.Message(NoConfirmedEntriesShort);
    else
        Status = QStringLiteral("Event %1 exported: %2 swims").arg(event).arg(counts->value(0));
}

void MastersConfirmForm::ExportAll()
{
    if (!m_meetDay || !WriteAllowed())
        return;
    SeedOptions options;
    options.ProgramCreation = m_prompts.AskYesNo(ProgramCreationQuestion);
    options.OnlyConfirmed = m_prompts.AskYesNo(OnlyConfirmedQuestion);
    try {
        m_assignNumbers = AskAssignNumbers(m_session, m_prompts);
    } catch (const MeetDb::DbError &error) {
        m_prompts.Message(error.Message());
        return;
    }
    SelectEvents();
    const QStringList events = SelectedPoolEvents(m_session.Gala);
    const std::optional<QList<int>> counts =
        ExportPoolEvents(m_session, m_roster, events, options, m_assignNumbers, m_prompts);
    if (!counts)
        return;
    // The events with nothing to export are named together: one message for each of them would
    // leave the official pressing OK through half the meet.
    QStringList empty;
    for (qsizetype i = 0; i < events.size(); ++i) {
        if (counts->value(i) == 0)
            empty << events.at(i);
    }
    if (!empty.isEmpty())
        m_prompts.Message(NoEntriesForEventsMessage(empty));
    Status = QStringLiteral("%1 events exported").arg(events.size() - empty.size());
}

void MastersConfirmForm::ClubsList()
{
    if (m_session.Gala.Clubs.isEmpty()) {
        m_prompts.Message(NoClubsMessage);
        return;
    }
    const QString path =
        WriteListFile(GalaFolder(), ClubListName, ClubListBytes(m_session.Gala), m_prompts);
    if (!path.isEmpty())
        Status = QStringLiteral("Club list written to %1").arg(QDir::toNativeSeparators(path));
}

void MastersConfirmForm::NameList()
{
    if (m_roster.isEmpty()) {
        m_prompts.Message(NoEntriesMessage);
        return;
    }
    const QString path =
        WriteListFile(GalaFolder(), NameListName, NameListBytes(m_roster), m_prompts);
    if (!path.isEmpty())
        Status = QStringLiteral("Name list written to %1").arg(QDir::toNativeSeparators(path));
}

void MastersConfirmForm::Compare()
{
    if (m_meetDay)
        CompareWithEntryFile(m_roster, m_session.Gala, GalaFolder(), m_prompts);
}

void MastersConfirmForm::ListUnconfirmed()
{
    if (!m_meetDay)
        return;
    QString text;
    if (m_prompts.AskYesNo(CheckCardsQuestion)) {
        text = MissingList(m_roster, m_session.Gala);
    } else {
        if (!m_prompts.AskYesNo(CheckEventQuestion))
            return;
        const QString event =
            AskPoolEvent(m_session.Gala, QStringLiteral("List Unconf"), m_prompts);
        if (event.isEmpty())
            return;
        text = EventUnconfirmedList(m_roster, m_session.Gala, event);
    }
    // An empty box would leave the official wondering whether the list ran at all.
    if (text.isEmpty()) {
        m_prompts.Message(AllCompetingMessage);
        return;
    }
    NoConfList = text;
    RequestFocus(ConfirmBox::NoConfList);
}

bool MastersConfirmForm::StartPrintUnconfirmed()
{
    if (!m_meetDay)
        return false;
    SelectEvents();
    return true;
}

bool MastersConfirmForm::StartStartList()
{
    if (!m_meetDay)
        return false;
    SelectEvents();
    return true;
}

void MastersConfirmForm::UnconfirmToAnnouncer()
{
    if (!m_meetDay)
        return;
    if (MissingEntrants(m_roster, m_session.Gala).isEmpty()) {
        m_prompts.Message(AllCompetingMessage);
        return;
    }
    const QString message = AnnouncerMessage(m_roster, m_session.Gala);
    if (ShowAnnouncer)
        ShowAnnouncer(message, 1);
    else
        m_prompts.Message(message);
}

} // namespace MeetDay
