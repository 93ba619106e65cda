#pragma once

#include <array>
#include <functional>
#include <optional>

#include <QColor>
#include <QList>
#include <QString>

#include "meetday/eventstatistic.h"
#include "meetday/roster.h"
#include "meetday/seeding.h"

namespace Core {
class Prompts;
}
namespace MeetDb {
class GalaSelectEventsForm;
struct Session;
} // namespace MeetDb

/*
 * The meet-day window "Entry Card Processing" (`MastersConfirm`) without its widgets.
 *
 * The form holds the roster and what each box of the window shows. The window copies a box into
 * the form's field, calls one command (OnEntrantNumberLeft, ConfirmAll ...), copies the fields
 * back and moves the focus to TakeFocus(). Questions and messages go through Core::Prompts.
 *
 * Two modes, chosen by the program mode: "Entries" amends entries (one entrant shown, edited
 * and saved); any other mode is the meet day, which adds the confirmation tick boxes and the
 * meet-day commands. Edits change only the roster; the meet database or the entry file is
 * written by SaveAll, by a Yes to "Save Current Values?" on closing, and (meet database only)
 * for the entrant on display when another entrant is called up.
 */
namespace MeetDay {

inline constexpr int SwimRows = 20;

inline const QString InvalidEntrantMessage = QStringLiteral("Invalid Entrant Number");
inline const QString WhatIfMessage = QStringLiteral("Not updating .. what if mode");
inline const QString SaveQuestion = QStringLiteral("Save Current Values?");
inline const QString ConfirmAllQuestion =
    QStringLiteral("Are you sure you want to confirm ALL swimmers?");
inline const QString UnconfirmAllQuestion =
    QStringLiteral("Are you sure you want to unconfirm all swimmers?");
inline const QString RemoveEventMessage =
    QStringLiteral("Cannot remove events this way .. just don't confirm");
inline const QString ChangeEventQuestion = QStringLiteral("Confirm change of event number");
inline const QString ClubQuestion = QStringLiteral("Club not recognised - still make change?");
inline const QString InvalidSexMessage = QStringLiteral("Invalid Sex");
inline const QString InvalidTimeMessage = QStringLiteral("Invalid Time");
inline const QString NoEntriesMessage = QStringLiteral("No Entries");
inline const QString SearchTitle = QStringLiteral("Search by Name");
inline const QString SearchQuestion = QStringLiteral("Enter (part of) name");
inline const QString DropWhatIfQuestion =
    QStringLiteral("Leave What If Mode? The changes made in it will be dropped.");

// One swim row of the window.
struct SwimRow
{
    bool Visible = false;
    QString EvNo;
    QString Description; // "100m Freestyle"
    QString Time;
    bool Confirmed = false;
    QString MeetSpecific;
    QString ButtonCaption; // "Del" on a swim, "Add" on the first free row
};

enum class ConfirmBox {
    None,
    EntrantNumber,
    ConfirmAll,
    Club,
    Sex,
    EventNumber,
    EntryTime,
    SwimButton, // the "Del" / "Add" button of a row
    NoConfList, // the unconfirmed list, shown
};

struct ConfirmFocus
{
    ConfirmBox Box = ConfirmBox::None;
    int Row = 0;
    bool SelectAll = false;
};

class MastersConfirmForm
{
public:
    // The session and the prompts must outlive the form.
    MastersConfirmForm(MeetDb::Session &session, Core::Prompts &prompts);

    // Opening the window: caption, roster load, and the first entrant of the roster shown.
    void Open();

    // ---- Commands ----------------------------------------------------------------------------

    // The entrant-number box was left (or Enter pressed in it): the entrant on display is
    // written to the meet database, then the typed number is shown.
    void OnEntrantNumberLeft();
    // Takes what was typed into `box` (`row` for the boxes of a swim row) and not yet taken by
    // leaving it, before another command runs: a new entrant number shows that entrant, a typed
    // time, club, sex or event number goes through its check. Returns false when the check
    // refused it (no entrant with that number, or the box gets the focus back): the command
    // must then not run, so that the official sees what was refused before anything else
    // happens.
    bool TakeTypedBox(ConfirmBox box, int row = 0);
    // Ticks or clears "What If Mode". Ticking keeps a copy of the roster. Clearing puts that copy
    // back, so that nothing tried out reaches a later save; when something was changed it asks
    // first, and a No leaves the mode on.
    void SetWhatIfMode(bool on);
    void OnTickChanged(int row, bool ticked);
    void ConfirmAll();
    void ConfirmAllSwimmers();
    void ClearConfirms();
    void ClearReserves();
    void OnEventNumberLeft(int row);
    void OnEntryTimeLeft(int row);
    void OnMeetSpecificChanged(int row);
    void OnNameChanged();
    void OnAgeChanged();
    void OnRegistrationNumberChanged();
    void OnClubLeft();
    void OnSexLeft();
    void NextSwimmer();
    void SearchByName();
    void EntrySummary();
    // The per-event counts for the statistics window.
    QList<Reports::EventStatistic> EntryStatistics() const;
    void Utilities();
    void CheckinLog();
    // "Make Heats": puts the method about to run in the status line ("Make Heats - standard
    // seeding", shown at once through ShowStatusLine), asks "Program creation?" and "Only
    // confirmed entries?", lets the user choose the events ("Select Events", through
    // ShowSelectEvents) and makes their heats from the roster as it stands. The allocation is
    // kept for the "Heats" view.
    void MakeHeats();
    // "Programme": checks that the command may run and lets the user choose its events
    // ("Select Events"). Returns false when it may not run; the caller then prepares and prints
    // the programme of the chosen events from the roster (reports/programmerun.h).
    bool StartProgramme();
    // "Update PBs": slower entry times take the swimmers' personal bests from the member
    // database, then the roster is saved.
    void UpdatePbs();

    // ---- Swims scratched and added, lists and exports (mastersconfirmcommands.cpp) ----------

    // The button of swim row `row`: "Del" removes the row's swim after a question (No is the
    // default), "Add" on the first free row asks for event numbers and appends a swim for each
    // (swimedits.h). In both modes.
    void DelEvent(int row);
    // "Export": one event, asked for, with its confirmed swims. "Export All": the chosen events,
    // after "Program creation?" and "Only confirmed entries?" (exports.h).
    void ExportEvent();
    void ExportAll();
    // "Clubs List" and "Name List": clublist.csv and namelist.csv in the gala's folder.
    void ClubsList();
    void NameList();
    // "Compare": the roster against the entry file on disk, a message per difference.
    void Compare();
    // "List Unconf": the missing entrants, or the unconfirmed swimmers of one event, into
    // NoConfList, which is then shown with the focus.
    void ListUnconfirmed();
    // "Print Unconfirmed": lets the user choose the events ("Select Events"). Returns false when
    // it may not run; the caller then prints the list (reports/nonswimmers.h).
    bool StartPrintUnconfirmed();
    // "Start List": lets the user choose the events ("Select Events"). Returns false when it may
    // not run; the caller then prints the start list of their heats (reports/startlist.h).
    bool StartStartList();
    // "Unconfirm to announcer": the call-up of the missing entrants, through ShowAnnouncer.
    void UnconfirmToAnnouncer();

    // The text of the unconfirmed list box (`NoConfList`); lines end CR LF.
    QString NoConfList;
    // Shows the announcer's message window (`PA_Message` receives the text, `PA_Priority` the
    // priority) modally. Set by the window; without it the message is shown as a message.
    std::function<void(const QString &message, int priority)> ShowAnnouncer;

    // Save all. Returns true when the roster was written.
    bool SaveAll();
    // Close: asks "Save Current Values?"; the window closes either way (CloseRequested).
    void Close();

    // Shows the entrant with this number (ShowEntrant); false with "Invalid Entrant Number"
    // and the boxes emptied when there is none.
    bool ShowEntrant(int entrantNumber);

    ConfirmFocus TakeFocus();

    // ---- The boxes ---------------------------------------------------------------------------

    QString Caption;
    QString FEntNo;
    QString FName;
    QString FClub;
    QString FAge;
    QString FSex;
    QString RegistrationNumber;
    QColor Background = Qt::white;
    std::array<SwimRow, SwimRows> Rows;
    bool WhatIfMode = false; // changed through SetWhatIfMode
    bool CloseRequested = false;
    // What the last long command did ("12 entrants and 30 swims written to natamar.mdb"), for
    // the window's status line; "" when there is nothing to say.
    QString Status;

    // ---- What the window shows ----------------------------------------------------------------

    bool MeetDayMode() const { return m_meetDay; }
    // The tick boxes, "Confirm All", "Utilities" and "Clear Reserves".
    bool MeetDayCommandsVisible() const { return m_meetDay; }
    // "Clear Confirms", "Confirm all swimmers", "Check-in Log" and "Update PBs", toggled by
    // "Utilities".
    bool UtilityButtonsVisible() const { return m_meetDay && m_utilitiesShown; }
    // "Heats", when the meet has heats: stored before the window opened, or made since (also
    // when all of them lie outside the pool, so that the view can say so).
    bool HeatsViewVisible() const
    {
        return m_meetDay && (!m_heatLines.isEmpty() || m_heatsOutsidePool > 0);
    }
    // "Programme".
    bool ProgrammeVisible() const { return m_meetDay; }

    // Shows "Select Events" over the window and returns when it has closed. Set by the window;
    // without it the events selected before are used.
    std::function<void(MeetDb::GalaSelectEventsForm &)> ShowSelectEvents;
    // The pool events of the last "Make Heats".
    const QList<SeededEvent> &MadeHeats() const { return m_heats; }
    // The lines of the "Heats" view: the heats stored with the swims of the meet database, or
    // those of the heat work files for a gala kept in entry files.
    const QList<HeatLine> &HeatsShown() const { return m_heatLines; }
    // The "Heats" view: its heading (the meet's method and lane numbers) and its rows, each
    // lane as painted on the pool (heatdisplay.h).
    QString HeatsViewHeading() const;
    QList<QStringList> HeatsViewRows() const;
    // Reads the stored heats again, after a command that wrote them.
    void RefreshHeats();
    // Shows Status in the window at once, while a command is still asking its questions. Set by
    // the window; without it Status is shown when the command ends.
    std::function<void(const QString &)> ShowStatusLine;

    // ---- For the window, the tool and the tests -------------------------------------------------

    Roster &Entrants() { return m_roster; }
    const Roster &Entrants() const { return m_roster; }
    // The 0-based roster row on display, -1 when none.
    int CurrentEntrant() const { return m_current; }
    LoadResult Loaded() const { return m_loaded; }

private:
    void ClearDisplay();
    void FillRows();
    void SaveDisplayedEntrant();
    RosterSwim *SwimOfRow(int row);
    void RequestFocus(ConfirmBox box, int row = 0, bool selectAll = false);
    bool WriteAllowed();
    void ShowAndFocus(int row);
    // Opens "Select Events" through ShowSelectEvents.
    void SelectEvents();
    QString GalaFolder() const;

    MeetDb::Session &m_session;
    Core::Prompts &m_prompts;
    Roster m_roster;
    LoadResult m_loaded = LoadResult::Empty;
    bool m_meetDay = false;
    bool m_utilitiesShown = false;
    int m_current = -1;
    ConfirmFocus m_focus;
    QList<SeededEvent> m_heats;
    // Stored swims left out of the "Heats" view for a lane outside the pool.
    int m_heatsOutsidePool = 0;
    // Whether "Export" writes programme references: as the last "Programme" or "Export All"
    // left it, off before either.
    bool m_assignNumbers = false;
    QList<HeatLine> m_heatLines;
    std::optional<Roster> m_whatIfStart; // the roster when "What If Mode" was ticked
};

// The window's background for a sex: light red for "F", turquoise for "M", else white.
QColor SexBackground(const QString &sex);

} // namespace MeetDay
