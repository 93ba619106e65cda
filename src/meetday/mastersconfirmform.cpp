#include "meetday/mastersconfirmform.h"

#include <optional>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

#include "core/galastate.h"
#include "core/prompts.h"
#include "core/timeutil.h"
#include "entries/entryfiles.h"
#include "meetday/heatdisplay.h"
#include "meetday/heats.h"
#include "meetday/swimedits.h"
#include "meetday/updatepbs.h"
#include "meetdb/database.h"
#include "meetdb/eventselection.h"
#include "meetdb/session.h"

namespace MeetDay {

namespace {

const QString NotReadWholeMessage =
    QStringLiteral("Nothing was saved: the entries could not be read whole when this window "
                   "opened, and saving now would lose the rest of them.");

// "1 swim", "3 swims".
QString Counted(int count, const QString &thing)
{
    return QString::number(count) + u' ' + thing + (count == 1 ? QString() : QStringLiteral("s"));
}

} // namespace

QColor SexBackground(const QString &sex)
{
    if (sex == QLatin1String("F"))
        return QColor(0xFF, 0x80, 0x80);
    if (sex == QLatin1String("M"))
        return QColor(0x00, 0xC0, 0xC0);
    return Qt::white;
}

MastersConfirmForm::MastersConfirmForm(MeetDb::Session &session, Core::Prompts &prompts)
    : m_session(session)
    , m_prompts(prompts)
{}

void MastersConfirmForm::Open()
{
    const Core::GalaState &gala = m_session.Gala;
    Caption = gala.GalaName;
    m_meetDay = gala.ProgramMode != ModeEntries;
    m_utilitiesShown = false;
    WhatIfMode = false;
    m_whatIfStart.reset();
    m_heats.clear();
    m_loaded = LoadRoster(m_session, m_prompts, m_roster);
    m_current = -1;
    RefreshHeats();
    ClearDisplay();
    // The first card is on show at once; its number is selected, so typing another replaces it.
    if (!m_roster.isEmpty()) {
        FEntNo = QString::number(m_roster.first().EntrantNumber);
        ShowEntrant(m_roster.first().EntrantNumber);
    }
    RequestFocus(ConfirmBox::EntrantNumber, 0, true);
}

void MastersConfirmForm::ClearDisplay()
{
    FName.clear();
    FClub.clear();
    FAge.clear();
    FSex.clear();
    RegistrationNumber.clear();
    Background = Qt::white;
    for (SwimRow &row : Rows)
        row = SwimRow{};
}

bool MastersConfirmForm::ShowEntrant(int entrantNumber)
{
    const int index = FindEntrant(m_roster, entrantNumber);
    if (index < 0) {
        m_prompts.Message(InvalidEntrantMessage);
        m_current = -1;
        ClearDisplay();
        return false;
    }
    m_current = index;
    RosterEntrant &entrant = m_roster[index];
    FEntNo = QString::number(entrant.EntrantNumber);
    FName = entrant.Name;
    FClub = entrant.Club;
    FAge = entrant.Age;
    FSex = entrant.Sex;
    RegistrationNumber = entrant.RegNo;
    Background = SexBackground(entrant.Sex);
    SortSwims(entrant);
    FillRows();
    return true;
}

void MastersConfirmForm::FillRows()
{
    for (SwimRow &row : Rows)
        row = SwimRow{};
    if (m_current < 0)
        return;
    const RosterEntrant &entrant = m_roster.at(m_current);
    const int shown = std::min(entrant.SwimCount(), SwimRows);
    for (int k = 0; k < shown; ++k) {
        const RosterSwim &swim = entrant.Swims.at(k);
        SwimRow &row = Rows[k];
        row.Visible = true;
        row.EvNo = swim.EventNumber;
        row.Description = EventDescription(m_session.Gala, swim.EventNumber);
        row.Time = swim.EntryTime;
        row.Confirmed = swim.Confirmed;
        row.MeetSpecific = swim.MeetSpecific;
        row.ButtonCaption = QStringLiteral("Del");
    }
    if (shown < SwimRows) {
        Rows[shown].Visible = true;
        Rows[shown].ButtonCaption = QStringLiteral("Add");
    }
}

RosterSwim *MastersConfirmForm::SwimOfRow(int row)
{
    if (m_current < 0 || row < 0 || row >= SwimRows)
        return nullptr;
    RosterEntrant &entrant = m_roster[m_current];
    return row < entrant.SwimCount() ? &entrant.Swims[row] : nullptr;
}

bool MastersConfirmForm::WriteAllowed()
{
    if (WhatIfMode) {
        m_prompts.Message(WhatIfMessage);
        return false;
    }
    if (m_loaded == LoadResult::Failed) {
        m_prompts.Message(NotReadWholeMessage);
        return false;
    }
    return true;
}

void MastersConfirmForm::SaveDisplayedEntrant()
{
    // Nothing has been shown yet when the box is first left: there is nothing to write, and
    // nothing to warn about. Entry files are written whole by Save All, never card by card, so
    // there is nothing to say either.
    if (m_current < 0 || !m_session.Gala.MeetDbOpen)
        return;
    if (WhatIfMode) {
        m_prompts.Message(WhatIfMessage);
        return;
    }
    const RosterEntrant &entrant = m_roster.at(m_current);
    if (entrant.Swims.isEmpty() || !WriteAllowed())
        return;
    SaveRosterEntrant(m_session, entrant, m_prompts);
}

void MastersConfirmForm::OnEntrantNumberLeft()
{
    SaveDisplayedEntrant();
    const int number = int(Core::LeadingNumber(FEntNo));
    if (ShowEntrant(number) && m_meetDay)
        RequestFocus(ConfirmBox::ConfirmAll);
    else
        RequestFocus(ConfirmBox::EntrantNumber, 0, true);
}

bool MastersConfirmForm::TakeTypedBox(ConfirmBox box, int row)
{
    // A check that refuses the text asks for the focus back on its own box.
    m_focus = ConfirmFocus{};
    switch (box) {
    case ConfirmBox::EntrantNumber:
        OnEntrantNumberLeft();
        return m_current >= 0;
    case ConfirmBox::Club:
        OnClubLeft();
        break;
    case ConfirmBox::Sex:
        OnSexLeft();
        break;
    case ConfirmBox::EventNumber:
        OnEventNumberLeft(row);
        break;
    case ConfirmBox::EntryTime:
        OnEntryTimeLeft(row);
        break;
    case ConfirmBox::None:
    case ConfirmBox::ConfirmAll:
    case ConfirmBox::SwimButton:
    case ConfirmBox::NoConfList:
        return true;
    }
    return m_focus.Box != box;
}

void MastersConfirmForm::SetWhatIfMode(bool on)
{
    if (on == WhatIfMode)
        return;
    if (on) {
        m_whatIfStart = m_roster;
        WhatIfMode = true;
        return;
    }
    if (m_whatIfStart && *m_whatIfStart != m_roster) {
        if (!m_prompts.AskYesNo(DropWhatIfQuestion, true))
            return;
        m_roster = *m_whatIfStart;
        if (m_current >= 0 && m_current < m_roster.size())
            ShowEntrant(m_roster.at(m_current).EntrantNumber);
    }
    m_whatIfStart.reset();
    WhatIfMode = false;
}

void MastersConfirmForm::ShowAndFocus(int row)
{
    FEntNo = QString::number(m_roster.at(row).EntrantNumber);
    ShowEntrant(m_roster.at(row).EntrantNumber);
    RequestFocus(m_meetDay ? ConfirmBox::ConfirmAll : ConfirmBox::EntrantNumber, 0, !m_meetDay);
}

void MastersConfirmForm::OnTickChanged(int row, bool ticked)
{
    if (row < 0 || row >= SwimRows)
        return;
    RosterSwim *swim = SwimOfRow(row);
    if (swim)
        swim->Confirmed = ticked;
    Rows[row].Confirmed = swim ? ticked : false;
}

void MastersConfirmForm::ConfirmAll()
{
    // Every swim of the card, also those past the rows the window has room for: a swimmer who
    // has reported swims all of them.
    if (m_current >= 0 && m_meetDay) {
        ConfirmEntrant(m_roster[m_current]);
        FillRows();
    }
    RequestFocus(ConfirmBox::EntrantNumber, 0, true);
}

void MastersConfirmForm::ConfirmAllSwimmers()
{
    if (!m_prompts.AskYesNo(ConfirmAllQuestion))
        return;
    SetAllConfirmed(m_roster, m_session.Gala, true);
    FillRows();
}

void MastersConfirmForm::ClearConfirms()
{
    if (!m_prompts.AskYesNo(UnconfirmAllQuestion))
        return;
    SetAllConfirmed(m_roster, m_session.Gala, false);
    FillRows();
}

void MastersConfirmForm::ClearReserves()
{
    if (!m_prompts.AskYesNo(UnconfirmAllQuestion))
        return;
    MeetDay::ClearReserves(m_roster);
    FillRows();
}

void MastersConfirmForm::OnEventNumberLeft(int row)
{
    if (row < 0 || row >= SwimRows)
        return;
    RosterSwim *swim = SwimOfRow(row);
    SwimRow &shown = Rows[row];
    if (!swim) {
        shown.EvNo.clear();
        return;
    }
    const QString typed = shown.EvNo.trimmed();
    if (typed.isEmpty()) {
        shown.EvNo = swim->EventNumber;
        m_prompts.Message(RemoveEventMessage);
        return;
    }
    if (typed == swim->EventNumber) {
        shown.EvNo = typed;
        return;
    }
    // A second swim in one event could never be saved, and a number that is no event of the
    // meet would put the swim in no programme: both are refused before anything is asked.
    const QString fault = MoveSwimFault(m_roster.at(m_current), m_session.Gala, row, typed);
    if (!fault.isEmpty()) {
        m_prompts.Message(fault);
        RequestFocus(ConfirmBox::EventNumber, row, true);
    } else if (m_prompts.AskYesNo(ChangeEventQuestion)) {
        QString error;
        MoveSwim(m_roster[m_current], m_session.Gala, row, typed, &error);
        shown.Description = EventDescription(m_session.Gala, typed);
    }
    shown.EvNo = swim->EventNumber;
}

void MastersConfirmForm::OnEntryTimeLeft(int row)
{
    if (row < 0 || row >= SwimRows)
        return;
    RosterSwim *swim = SwimOfRow(row);
    SwimRow &shown = Rows[row];
    if (!swim) {
        shown.Time.clear();
        return;
    }
    const QString typed = shown.Time.trimmed();
    if (typed == swim->EntryTime) {
        shown.Time = swim->EntryTime;
        return;
    }
    if (typed.isEmpty() || typed.compare(QLatin1String("NT"), Qt::CaseInsensitive) == 0) {
        swim->EntryTime = NoTime;
    } else if (typed.startsWith(QLatin1String("9:99"))) {
        swim->EntryTime = typed;
    } else {
        const std::optional<float> seconds = Core::TypedTimeToSeconds(typed);
        if (!seconds) {
            // A text that is no time would be stored as an empty or wrong time: it is refused
            // and the stored time stays.
            m_prompts.Message(InvalidTimeMessage);
            shown.Time = swim->EntryTime;
            RequestFocus(ConfirmBox::EntryTime, row, true);
            return;
        }
        swim->EntryTime = Core::SecondsToTimeQuiet(*seconds);
    }
    shown.Time = swim->EntryTime;
}

void MastersConfirmForm::OnMeetSpecificChanged(int row)
{
    if (row < 0 || row >= SwimRows)
        return;
    if (RosterSwim *swim = SwimOfRow(row))
        swim->MeetSpecific = Rows[row].MeetSpecific;
    else
        Rows[row].MeetSpecific.clear();
}

void MastersConfirmForm::OnNameChanged()
{
    if (m_current >= 0)
        m_roster[m_current].Name = FName;
}

void MastersConfirmForm::OnAgeChanged()
{
    if (m_current >= 0)
        m_roster[m_current].Age = FAge;
}

void MastersConfirmForm::OnRegistrationNumberChanged()
{
    if (m_current >= 0)
        m_roster[m_current].RegNo = RegistrationNumber;
}

void MastersConfirmForm::OnClubLeft()
{
    if (m_current < 0)
        return;
    RosterEntrant &entrant = m_roster[m_current];
    // Codes are kept in capitals; one that differs from the stored code only in case is the same
    // club and is not asked about.
    FClub = Core::ClubCode(FClub);
    if (FClub.compare(entrant.Club, Qt::CaseInsensitive) == 0 ||
        m_session.Gala.FindClub(FClub) >= 0 || m_prompts.AskYesNo(ClubQuestion)) {
        entrant.Club = FClub;
        return;
    }
    FClub = entrant.Club;
    RequestFocus(ConfirmBox::Club, 0, true);
}

void MastersConfirmForm::OnSexLeft()
{
    if (m_current < 0)
        return;
    RosterEntrant &entrant = m_roster[m_current];
    if (FSex == entrant.Sex)
        return;
    if (FSex == QLatin1String("M") || FSex == QLatin1String("F")) {
        entrant.Sex = FSex;
        Background = SexBackground(FSex);
        return;
    }
    m_prompts.Message(InvalidSexMessage);
    FSex = entrant.Sex;
    RequestFocus(ConfirmBox::Sex, 0, true);
}

void MastersConfirmForm::NextSwimmer()
{
    const int row = NextEntrant(m_roster, int(Core::LeadingNumber(FEntNo)));
    if (row >= 0)
        ShowAndFocus(row);
}

void MastersConfirmForm::SearchByName()
{
    const std::optional<QString> part = m_prompts.Input(SearchTitle, SearchQuestion, QString());
    if (!part)
        return;
    const int row = FindEntrantByName(m_roster, *part);
    if (row < 0) {
        m_prompts.Message(QStringLiteral("No entrant's name contains \"%1\"").arg(*part));
        return;
    }
    ShowAndFocus(row);
}

void MastersConfirmForm::EntrySummary()
{
    m_prompts.Message(EntrySummaryText(m_roster, m_session.Gala));
}

QList<Reports::EventStatistic> MastersConfirmForm::EntryStatistics() const
{
    return EventStatistics(m_roster, m_session.Gala);
}

void MastersConfirmForm::Utilities()
{
    m_utilitiesShown = !m_utilitiesShown;
}

void MastersConfirmForm::MakeHeats()
{
    if (!m_meetDay || !WriteAllowed())
        return;
    Status = MakeHeatsTitle(m_session.Gala);
    if (ShowStatusLine)
        ShowStatusLine(Status);
    MakeHeatsOptions options;
    options.ProgramCreation = m_prompts.AskYesNo(ProgramCreationQuestion);
    options.OnlyConfirmed = m_prompts.AskYesNo(OnlyConfirmedQuestion);
    MeetDb::GalaSelectEventsForm select(m_session.Gala, m_prompts);
    select.Open();
    if (ShowSelectEvents)
        ShowSelectEvents(select);
    QList<SeededEvent> made;
    if (!MeetDay::MakeHeats(m_session, m_roster, options, m_prompts, made)) {
        Status = QStringLiteral("No heats were made");
        return;
    }
    m_heats = std::move(made);
    RefreshHeats();
    int withHeats = 0;
    for (const SeededEvent &event : std::as_const(m_heats))
        withHeats += event.HeatCount > 0 ? 1 : 0;
    Status = withHeats == 0 ? QStringLiteral("No heats were made")
                            : QStringLiteral("Heats made for %1 by %2: F7 shows them")
                                  .arg(Counted(withHeats, QStringLiteral("event")),
                                       SeedingCaption(m_session.Gala.Seeding));
}

QString MastersConfirmForm::HeatsViewHeading() const
{
    return HeatsHeading(m_session.Gala, m_heatsOutsidePool);
}

QList<QStringList> MastersConfirmForm::HeatsViewRows() const
{
    QList<QStringList> rows;
    rows.reserve(m_heatLines.size());
    for (const HeatLine &line : m_heatLines)
        rows.append(HeatLineCells(m_session.Gala, line));
    return rows;
}

void MastersConfirmForm::RefreshHeats()
{
    m_heatLines.clear();
    m_heatsOutsidePool = 0;
    if (!m_meetDay)
        return;
    try {
        m_heatLines = MeetHeatLines(m_session, m_roster, &m_heatsOutsidePool);
    } catch (const MeetDb::DbError &) {
        // The view only shows what is stored, for checking. A meet whose heats cannot be read
        // shows none; the commands that need them say what is wrong when they run.
    }
}

bool MastersConfirmForm::StartProgramme()
{
    if (!m_meetDay || !WriteAllowed())
        return false;
    // A championship's programme file holds every event of the meet.
    if (m_session.Gala.GalaType == Core::GalaChamps)
        return true;
    MeetDb::GalaSelectEventsForm select(m_session.Gala, m_prompts);
    select.Open();
    if (ShowSelectEvents)
        ShowSelectEvents(select);
    m_assignNumbers = true;
    return true;
}

void MastersConfirmForm::UpdatePbs()
{
    if (!m_meetDay || !WriteAllowed())
        return;
    int changed = 0;
    if (!UpdatePbsFromFile(m_roster, m_session.Gala, m_session.Settings, m_session.Settings.DbFile,
                           m_prompts, &changed))
        return;
    FillRows();
    const QString updated =
        changed == 0 ? QStringLiteral("No entry times updated")
                     : Counted(changed, QStringLiteral("entry time")) + QStringLiteral(" updated");
    Status = SaveRoster(m_session, m_roster, m_prompts)
                 ? updated
                 : updated + QStringLiteral(", but not saved");
}

void MastersConfirmForm::CheckinLog()
{
    if (m_roster.isEmpty()) {
        m_prompts.Message(NoEntriesMessage);
        return;
    }
    const QString path =
        QDir(Entries::EntryDirPath(m_session.Gala, m_session.ProgramDir)).filePath(CheckinLogName);
    QSaveFile file(path);
    const QByteArray bytes = CheckinLogBytes(m_roster, m_session.Gala);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.commit()) {
        m_prompts.Message(QStringLiteral("Cannot write the check-in log %1: %2")
                              .arg(QDir::toNativeSeparators(path), file.errorString()));
        return;
    }
    Status = QStringLiteral("Check-in log written to %1").arg(QDir::toNativeSeparators(path));
}

bool MastersConfirmForm::SaveAll()
{
    RequestFocus(ConfirmBox::EntrantNumber, 0, true);
    if (!WriteAllowed() || !SaveRoster(m_session, m_roster, m_prompts))
        return false;
    int entrants = 0;
    int swims = 0;
    for (const RosterEntrant &entrant : std::as_const(m_roster)) {
        entrants += entrant.Swims.isEmpty() ? 0 : 1;
        swims += entrant.SwimCount();
    }
    const Core::GalaState &gala = m_session.Gala;
    const QString file =
        gala.MeetDbOpen
            ? m_session.MeetDb.Path()
            : RosterFilesFor(gala, Entries::EntryDirPath(gala, m_session.ProgramDir)).Save;
    Status = QStringLiteral("%1 and %2 written to %3")
                 .arg(Counted(entrants, QStringLiteral("entrant")),
                      Counted(swims, QStringLiteral("swim")), QFileInfo(file).fileName());
    return true;
}

void MastersConfirmForm::Close()
{
    // A save that fails keeps the window open, so that what was typed is not lost with it.
    // Where nothing may be written (what-if mode, a roster not read whole) the window closes
    // after saying so.
    if (m_prompts.AskYesNo(SaveQuestion) && WriteAllowed() &&
        !SaveRoster(m_session, m_roster, m_prompts))
        return;
    CloseRequested = true;
}

void MastersConfirmForm::RequestFocus(ConfirmBox box, int row, bool selectAll)
{
    m_focus = ConfirmFocus{box, row, selectAll};
}

ConfirmFocus MastersConfirmForm::TakeFocus()
{
    ConfirmFocus focus = m_focus;
    m_focus = ConfirmFocus{};
    return focus;
}

} // namespace MeetDay
