#pragma once

#include <array>
#include <memory>

#include <QColor>
#include <QString>
#include <QStringList>

#include "entries/entrydeletion.h"
#include "entries/entrywriter.h"
#include "meetdb/database.h"
#include "members/memberdb.h"

namespace Core {
class Prompts;
}
namespace MeetDb {
struct Session;
}

/*
 * The entry window "Competition Entries" (`IntEntries`) without its widgets.
 *
 * The form holds the value and the visibility of every box of the window. The window copies the
 * boxes into the form's fields, calls one command (OnFullNameLeft, Record ...), copies the fields
 * back into the boxes and moves the focus to TakeFocus(). The form asks the user only through
 * Core::Prompts, and for the address and member details windows through EntryDialogs; the Info
 * box lines are not messages and are kept in Info.
 *
 * Two families of galas: member galas ("Internal", "Champs", "Graded", "Select") take members
 * of the club's member database, picked by short name; open galas ("Open", "Masters") take
 * swimmers of any club typed in with an entry time per event.
 */
namespace Entries {

struct EntrantToCheck;

inline constexpr int MaxSlots = 28;
inline constexpr int MaxStrokePairs = 4;

inline const QString AutoCorrectOnCaption = QStringLiteral("Auto Correct On");
inline const QString AutoCorrectOffCaption = QStringLiteral("Auto Correct Off");

// One offered event: a check box, an entry-time box and a meet-specific box.
struct EventSlot
{
    bool Visible = false;     // the check box is shown
    bool TimeVisible = false; // the time and meet-specific boxes are shown (open galas)
    QString Caption;          // "12:100 FS"
    int EventIndex = -1;      // 0-based index into the gala's events
    bool Checked = false;
    QString Time;
    QString MeetSpecific;
};

// A typed stroke and distance of a "Select" gala.
struct StrokePair
{
    QString Stroke;
    QString Distance;
};

// The box the focus goes to after a command.
enum class FocusBox {
    None,
    ShortName,
    FullName,
    ClubName,
    RegistrationNumber,
    IntDob,
    IntSex,
    EntryDate,
    StrokeTime, // the time box of FocusRequest::Slot
};

struct FocusRequest
{
    FocusBox Box = FocusBox::None;
    int Slot = 0;
    bool SelectAll = false; // select the box's whole text
    // Only moves the operator on to the next box after one was left. The window follows it only
    // when the box was left with Tab or Enter: a click or an accelerator elsewhere has already
    // said where the operator wants to type. A request without it (a refusal sending the focus
    // back to the box at fault) is always followed.
    bool Advance = false;
};

enum class MemberDetailsMode { Add, Amend, Display };

// What the member details window is given and gives back.
struct MemberDetailsRequest
{
    MemberDetailsMode Mode = MemberDetailsMode::Display;
    QString Caption; // "Add Members to PB/Membership File" ...
    bool AbbNameVisible = false;
    QString AbbName; // the short name, for Amend and Display
    bool AddEnabled = false;
    bool AmendEnabled = false;
    bool MemberFound = false; // Member holds the member named by AbbName
    Members::Member Member;   // in: the member shown; out: the member as edited
};

enum class MemberDetailsAction { None, Add, Amend };

// The windows the form opens: implemented with dialogs by the window and scripted by tests.
class EntryDialogs
{
public:
    virtual ~EntryDialogs() = default;

    // The address window for an open-gala entrant, shown modally. Returns false when the
    // operator cancelled it; `address` is then not used.
    virtual bool AskAddress(const QString &fullName, int entrantNumber, int eventsEntered,
                            AddressRecord &address) = 0;

    // The member details window, shown modally. `request.Member` comes back edited; the answer
    // says which command the operator used.
    virtual MemberDetailsAction ShowMemberDetails(MemberDetailsRequest &request) = 0;
};

class EntryForm
{
public:
    // `store` is where entrants are recorded; nullptr means the meet database is not available.
    // The session, prompts and dialogs must outlive the form.
    EntryForm(MeetDb::Session &session, Core::Prompts &prompts, EntryDialogs &dialogs,
              std::unique_ptr<EntryStore> store);
    ~EntryForm();
    EntryForm(const EntryForm &) = delete;
    EntryForm &operator=(const EntryForm &) = delete;

    // ---- Commands ----------------------------------------------------------------------------

    // Set-up when the window opens. Returns false when the window is to close at once
    // (CloseRequested is then true as well).
    bool Open();

    void OnShortNameChanged();
    void OnShortNameLeft();
    void OnFullNameLeft();
    void OnDobLeft();
    void OnSexChanged();
    void OnSexLeft();
    void OnGroupClicked(int group); // 0-based option
    void OnTimeLeft(int slot);      // 0-based slot
    void OnEntryDateLeft();
    void OnClubLeft();                // the code put into capitals, as it is stored
    void OnClubListClicked(int club); // 0-based line of ClubList
    void AutoCorrectClicked();
    void EnterAll();
    void ClearAll();
    void Record();
    // "Delete": the entries of the swimmer named in FullName, from the meet database or the
    // entry files the window records into.
    DeleteResult Delete();
    void QuickAddMember();
    void ShowMemberDetails(MemberDetailsMode mode);
    // Called by the window after the club name table window closed: refills ClubList.
    void RefreshClubList();
    // "Exit", Escape or closing the window. An entrant typed but not recorded is not dropped
    // without asking: on "No" (the default) nothing closes and false is returned.
    bool Exit();
    // A command whose window is not part of this program yet: "<command> is not available yet".
    void ShowNotAvailable(const QString &command);

    // The focus the last command asked for; cleared by the call.
    FocusRequest TakeFocus();

    // ---- The boxes ---------------------------------------------------------------------------

    QString ShortName;
    QString FullName;
    QString IntDob;
    QString IntSex;
    QString ClubName;
    QString RegistrationNumber;
    QString EntryDate;
    QString AgeGroup; // the masters age-group label
    QStringList Info; // the lines of the Info box
    QString AutoCorrectCaption;
    QColor Background = Qt::white;

    QStringList ClubList;      // club names of the meet, in stored order
    QStringList GroupCaptions; // one group option per meet group (at most 20)
    int CheckedGroup = -1;     // 0-based, -1 when none
    std::array<EventSlot, MaxSlots> Slots;
    std::array<StrokePair, MaxStrokePairs> Pairs;

    // What the window shows, by kind of gala.
    bool ShortNameVisible = false;
    bool QuickAddVisible = false;
    bool ClubVisible = false; // ClubName and Club_Add
    bool AgeGroupVisible = false;
    bool EntryDateVisible = false;
    bool PairsVisible = false;
    bool MemberMenuVisible = false; // the "Personal Bests" menu

    bool CloseRequested = false;

    // ---- For the window and the tests --------------------------------------------------------

    bool IsMemberGala() const { return m_memberGala; }
    const Members::Member &CurrentMember() const { return m_currentMember; }
    const Members::MemberIndex &MemberIndex() const { return m_index; }
    bool MemberDbOpen() const { return m_memberDb.IsOpen(); }

    // Proper case for names: the first letter of each word capital and the rest small, where a
    // word starts after a blank, a hyphen or an apostrophe, so "o'brien-smith" becomes
    // "O'Brien-Smith" and accented letters keep their accents ("zoë" becomes "Zoë").
    static QString ProperCase(const QString &name);

private:
    void SetUpKind();
    // Drops the member last looked up, with the date of birth and sex it filled in while they
    // are still as it left them.
    void ForgetMember();
    // Rebuilds the member index and names any members sharing a name, with how to mend the file.
    // Returns false when the index could not be built at all (it is then empty).
    bool BuildIndex();
    // Says so and returns true when `key` is a name several active members share.
    bool RefuseCollidingName(const QString &key);
    // True when an active member other than `recordId` already has the name `key`.
    bool KeyTakenByOther(const QString &key, int recordId) const;
    // Lets the operator pick one of the members sharing the name `key`: its record id, or 0.
    int PickCollidingMember(const QString &key);
    void OpenMemberDatabase();
    void OpenAddressDatabase();
    void ApplySex();
    void BuildOfferedEvents();
    void CheckGroup(int group);
    void ReadLastEntries();
    void RecordMember();
    void RecordOpen();
    // The checks shared with the import, their questions asked; false when the entrant is not to
    // be written (said, and the focus set). `swimSlots` gives the slot of each swim.
    bool PassEntryChecks(EntrantToCheck &entrant, const QList<int> &swimSlots);
    bool MemberSwims(const Members::Member &member, QList<EntrySwimRecord> &swims);
    bool SelectSwims(const Members::Member &member, QList<EntrySwimRecord> &swims);
    int FindOrAddSelectEvent(const QString &stroke, const QString &distance, const QString &sex);
    bool WriteEntrant(const EntrantRecord &record, int &number);
    QString SwimInfoLine(const EntrySwimRecord &swim) const;
    void ClearAfterRecord();
    void RequestFocus(FocusBox box, int slot = 0, bool selectAll = false);
    void AdvanceFocus(FocusBox box, int slot = 0, bool selectAll = false);
    int CountCheckedSlots() const;
    // What the operator has typed for the entrant: compared with m_blankEntrant to tell a
    // half-typed entrant from a window left as the last record or the opening left it.
    QStringList TypedEntrant() const;

    MeetDb::Session &m_session;
    Core::Prompts &m_prompts;
    EntryDialogs &m_dialogs;
    std::unique_ptr<EntryStore> m_store;
    bool m_storeOpen = false;
    bool m_memberGala = false;

    MeetDb::Database m_memberDb;
    MeetDb::Database m_addressDb;
    Members::MemberIndex m_index;
    Members::Member m_currentMember;
    QString m_completedName; // the FullName the last short-name completion gave, "" for none
    bool m_lastEntriesWarned = false;
    // The member key whose "already entered" question was answered Yes at the short name.
    QString m_duplicateConfirmed;

    // The sex and group the slots were last built for: leaving a box without changing either
    // keeps the slots, and the times typed into them.
    QString m_builtSex;
    int m_builtGroup = -2;

    FocusRequest m_focus;
    QStringList m_blankEntrant;
};

} // namespace Entries
