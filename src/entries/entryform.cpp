#include "entries/entryform.h"

#include <algorithm>

#include <QFile>
#include <QTextStream>

#include "core/galastate.h"
#include "core/prompts.h"
#include "core/textutil.h"
#include "core/timeutil.h"
#include "entries/agegroups.h"
#include "entries/entrycheck.h"
#include "meetdb/session.h"

namespace Entries {

namespace {

const QString WindowTitle = QStringLiteral("Competition Entries");

QString EventCaption(const Core::GalaEvent &event)
{
    return event.EvNumber + u':' + event.EvDistance + u' ' + event.EvStroke;
}

// True when the name has no capital letter or no small one: typed with Caps Lock on or in a
// hurry, rather than capitalised with care ("McDonald-DeVries").
bool IsSingleCase(const QString &name)
{
    bool upper = false;
    bool lower = false;
    for (const QChar c : name) {
        upper = upper || c.isUpper();
        lower = lower || c.isLower();
    }
    return !(upper && lower);
}

} // namespace

EntryForm::EntryForm(MeetDb::Session &session, Core::Prompts &prompts, EntryDialogs &dialogs,
                     std::unique_ptr<EntryStore> store)
    : m_session(session)
    , m_prompts(prompts)
    , m_dialogs(dialogs)
    , m_store(std::move(store))
{}

EntryForm::~EntryForm() = default;

QString EntryForm::ProperCase(const QString &name)
{
    QString result = name;
    bool wordStart = true;
    for (QChar &c : result) {
        if (c.isLetter()) {
            c = wordStart ? c.toUpper() : c.toLower();
            wordStart = false;
        } else {
            wordStart = c.isSpace() || c == u'-' || c == u'\'' || c == QChar(0x2019);
        }
    }
    return result;
}

// ---- Set-up -------------------------------------------------------------------------------------

bool EntryForm::Open()
{
    const Core::GalaState &gala = m_session.Gala;
    m_memberGala = Core::IsMemberGala(gala.GalaType);

    Background = Qt::white;
    for (EventSlot &slot : Slots)
        slot = EventSlot{};
    for (StrokePair &pair : Pairs)
        pair = StrokePair{};
    SetUpKind();
    EntryDateVisible = gala.EntryDateCheck;
    RefreshClubList();
    GroupCaptions.clear();
    for (int i = 0; i < gala.GroupCount() && i < Core::MaxGroups; ++i)
        GroupCaptions << gala.Groups.at(i).GroupDescription;
    CheckedGroup = -1;

    if (!m_store) {
        m_prompts.Message(QStringLiteral("Natamar Database is Not Available"));
        CloseRequested = true;
        return false;
    }
    // The member database opens first: a new entries file may offer to clear its envelope flags.
    if (m_memberGala)
        OpenMemberDatabase();
    m_store->SetMemberDatabase(&m_memberDb);
    if (!m_store->Open(m_prompts)) {
        m_index.Clear();
        m_memberDb.Close();
        CloseRequested = true;
        return false;
    }
    m_storeOpen = true;

    OpenAddressDatabase();
    BuildOfferedEvents();
    m_blankEntrant = TypedEntrant();
    RequestFocus(m_memberGala ? FocusBox::ShortName : FocusBox::FullName);
    return true;
}

void EntryForm::SetUpKind()
{
    const QString &type = m_session.Gala.GalaType;
    const bool internalOrChamps = type == Core::GalaInternal || type == Core::GalaChamps;
    AutoCorrectCaption = internalOrChamps ? AutoCorrectOffCaption : AutoCorrectOnCaption;

    ShortNameVisible = m_memberGala;
    QuickAddVisible = m_memberGala;
    MemberMenuVisible = m_memberGala;
    ClubVisible = !m_memberGala;
    PairsVisible = type == Core::GalaSelect;
    AgeGroupVisible = type == Core::GalaMasters;
    if (AgeGroupVisible)
        AgeGroup.clear();
}

void EntryForm::RefreshClubList()
{
    ClubList.clear();
    for (const Core::GalaClub &club : m_session.Gala.Clubs)
        ClubList << club.Name;
}

void EntryForm::OpenMemberDatabase()
{
    const QString path = m_session.Settings.DbFile;
    if (path.isEmpty() || path == u"NONE" || !Core::FileExists(path)) {
        m_prompts.Message(
            QStringLiteral("The member database %1 cannot be found; members cannot "
                           "be looked up")
                .arg(path.isEmpty() || path == u"NONE" ? QStringLiteral("(none set)") : path));
        return;
    }
    try {
        m_memberDb.Open(path);
        if (!BuildIndex())
            m_memberDb.Close();
    } catch (const MeetDb::DbError &error) {
        m_index.Clear();
        m_memberDb.Close();
        m_prompts.Message(QStringLiteral("The member database cannot be opened; members cannot be "
                                         "looked up: ") +
                          error.Message());
    }
}

void EntryForm::OpenAddressDatabase()
{
    const QString path = m_session.Gala.AddressDb;
    if (path.isEmpty())
        return;
    try {
        m_addressDb.Open(path);
        m_addressDb.OpenTable(QStringLiteral("Entrant Table"));
    } catch (const MeetDb::DbError &error) {
        m_addressDb.Close();
        m_prompts.Message(QStringLiteral("The address database cannot be opened; addresses will "
                                         "not be recorded: ") +
                          error.Message());
    }
}

// ---- Boxes --------------------------------------------------------------------------------------

void EntryForm::OnShortNameChanged()
{
    QString key;
    if (!ShortName.trimmed().isEmpty() && m_index.Count() > 0) {
        key = m_index.CompleteMemberName(ShortName);
        // Officials type fast and often in small letters; member names are stored capitalised,
        // so a short name that matches nothing as typed is tried again in proper case ("bro j").
        if (key.isEmpty())
            key = m_index.CompleteMemberName(ProperCase(ShortName));
    }
    const QString name = key.isEmpty() ? QString() : Core::ForenameFirst(key);
    if (name == m_completedName)
        return;
    // Another member, or none: nothing of the member completed before may stay to be recorded
    // under the new name.
    ForgetMember();
    if (!m_completedName.isEmpty() && FullName == m_completedName)
        FullName.clear();
    m_completedName = name;
    if (!name.isEmpty())
        FullName = name;
}

void EntryForm::ForgetMember()
{
    if (m_currentMember.RecordId != 0 && IntDob == m_currentMember.DateOfBirth &&
        IntSex == m_currentMember.Sex) {
        IntDob.clear();
        IntSex.clear();
        ApplySex();
        Info.clear();
    }
    m_currentMember = Members::Member{};
}

void EntryForm::OnShortNameLeft()
{
    if (FullName.trimmed().isEmpty())
        return;
    const QString key = Core::SurnameFirst(FullName);

    if (m_store && key != m_duplicateConfirmed) {
        const int existing = m_store->FindEntrant(key, std::nullopt);
        if (existing > 0) {
            if (!m_prompts.AskYesNo(DuplicateQuestion(FullName.trimmed(), existing), true)) {
                // Not to be entered again: the boxes are emptied for the next member, and the
                // completion with them, so that typing the same short name again completes anew.
                ShortName.clear();
                OnShortNameChanged();
                FullName.clear();
                RequestFocus(FocusBox::ShortName);
                return;
            }
            m_duplicateConfirmed = key;
        }
    }

    if (RefuseCollidingName(key))
        return;
    const int position = m_index.FindIndexEntry(key, 0);
    if (position == 0 || !m_memberDb.IsOpen())
        return;
    Members::Member member;
    try {
        if (!Members::ReadMember(m_memberDb, m_index.RecordId(position), member, m_prompts))
            return;
    } catch (const MeetDb::DbError &error) {
        m_prompts.Message(error.Message());
        return;
    }
    m_currentMember = member;

    Info.clear();
    Info << member.Address1 + QStringLiteral(", ") + member.Address2 + QStringLiteral(", ");
    Info << member.Town + QStringLiteral(", ") + member.County + QStringLiteral(", ") +
                member.PostCode;
    Info << member.Telephone + u' ' + member.Squad;
    Info << (member.Email.isEmpty() ? QStringLiteral("No e-mail address") : member.Email);

    if (m_currentMember.DateOfBirth.trimmed().isEmpty()) {
        const std::optional<QString> answer = m_prompts.Input(
            WindowTitle, QStringLiteral("Enter date of birth .. format dd/mm/yy"), QString());
        if (!answer || !Core::IsDate(*answer)) {
            m_prompts.Message(QStringLiteral("Date entered is invalid"));
            return;
        }
        m_currentMember.DateOfBirth = Core::ParseDate(*answer).toString(QStringLiteral("dd/MM/yy"));
    }

    IntSex = m_currentMember.Sex;
    ApplySex();
    IntDob = m_currentMember.DateOfBirth;
    const int group = MemberAgeGroup(m_session.Gala, m_currentMember.DateOfBirth);
    if (group >= 0)
        CheckGroup(group);
}

void EntryForm::OnFullNameLeft()
{
    // Only a name typed all in small or all in capital letters is put right; one with capitals
    // where the operator put them ("McDonald-DeVries"), or a member's name as the file holds
    // it, is kept, or Record would no longer find the member.
    if (AutoCorrectCaption == AutoCorrectOnCaption && FullName != m_completedName &&
        IsSingleCase(FullName))
        FullName = ProperCase(FullName);
    if (!m_session.Gala.LastEntries.isEmpty() && !FullName.isEmpty())
        ReadLastEntries();
    if (m_session.Gala.AgeGroups)
        AdvanceFocus(FocusBox::RegistrationNumber);
}

void EntryForm::ReadLastEntries()
{
    const QString path = m_session.Gala.LastEntries;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text)) {
        // Said once per opening of the window, not at every name.
        if (!m_lastEntriesWarned)
            m_prompts.Message(QStringLiteral("Cannot read the last entries file ") + path);
        m_lastEntriesWarned = true;
        return;
    }
    QTextStream in(&file);
    QString line;
    while (in.readLineInto(&line)) {
        const QStringList fields = Core::SplitWords(line, u",");
        if (fields.size() >= 2 && fields.at(1) == FullName) {
            IntDob = fields.value(2);
            IntSex = fields.value(4);
            ApplySex();
            AdvanceFocus(FocusBox::IntDob, 0, true);
            return;
        }
    }
}

void EntryForm::OnDobLeft()
{
    if (IntDob.trimmed().isEmpty())
        return;
    const AgeResult result = DobLeft(m_session.Gala, IntDob, m_prompts);
    if (!result.Valid) {
        RequestFocus(FocusBox::IntDob);
        return;
    }
    if (m_session.Gala.GalaType == Core::GalaMasters) {
        if (!result.Info.isEmpty())
            Info << result.Info;
        AgeGroup = result.MastersGroup;
        if (result.ClearDob) {
            IntDob.clear();
            AgeGroup.clear();
        }
    } else if (result.GroupIndex >= 0) {
        CheckGroup(result.GroupIndex);
    }
    AdvanceFocus(FocusBox::IntSex);
}

void EntryForm::ApplySex()
{
    IntSex = IntSex.toUpper();
    if (IntSex == u"F")
        Background = QColor(0xFF, 0x80, 0x80);
    else if (IntSex == u"M")
        Background = QColor(0x00, 0xC0, 0xC0);
    else
        Background = Qt::white;
    BuildOfferedEvents();
}

void EntryForm::OnSexChanged()
{
    ApplySex();
}

void EntryForm::OnSexLeft()
{
    ApplySex();
    if (Slots[0].TimeVisible)
        AdvanceFocus(FocusBox::StrokeTime, 0);
}

void EntryForm::CheckGroup(int group)
{
    if (group < 0 || group >= GroupCaptions.size())
        return;
    CheckedGroup = group;
    BuildOfferedEvents();
}

void EntryForm::OnGroupClicked(int group)
{
    CheckGroup(group);
}

void EntryForm::BuildOfferedEvents()
{
    const Core::GalaState &gala = m_session.Gala;
    if (gala.GalaType == Core::GalaSelect)
        return;
    if (IntSex == m_builtSex && CheckedGroup == m_builtGroup)
        return;
    m_builtSex = IntSex;
    m_builtGroup = CheckedGroup;

    for (EventSlot &slot : Slots)
        slot = EventSlot{};
    if (CheckedGroup < 0 || CheckedGroup >= gala.GroupCount())
        return;
    const QString &group = gala.Groups.at(CheckedGroup).GroupName;
    const bool withTimes = Core::IsOpenGala(gala.GalaType);
    int next = 0;
    for (int i = 0; i < gala.EventCount() && next < MaxSlots; ++i) {
        const Core::GalaEvent &event = gala.Events.at(i);
        if (event.EvType == u"Final" || event.EvSex != IntSex || event.EvGroup != group)
            continue;
        EventSlot &slot = Slots[next++];
        slot.Visible = true;
        slot.TimeVisible = withTimes;
        slot.Caption = EventCaption(event);
        slot.EventIndex = i;
    }
}

void EntryForm::OnTimeLeft(int slot)
{
    if (slot < 0 || slot >= MaxSlots)
        return;
    EventSlot &s = Slots[slot];
    if (s.Time.isEmpty())
        return;
    const std::optional<QString> time = NormaliseTypedTime(s.Time);
    if (!time) {
        // A slip stays in the box to be mended, and enters nothing meanwhile.
        s.Checked = false;
        m_prompts.Message(InvalidTimeText);
        RequestFocus(FocusBox::StrokeTime, slot, true);
        return;
    }
    s.Time = *time;
    s.Checked = true;

    const Core::GalaState &gala = m_session.Gala;
    if (gala.Graded && s.Time != NtText && s.EventIndex >= 0 && s.EventIndex < gala.EventCount()) {
        const float seconds = Core::TypedTimeToSeconds(s.Time).value_or(0);
        if (seconds < gala.Events.at(s.EventIndex).EvLimitTime)
            m_prompts.Message(QStringLiteral("Time inside grade time"));
    }
}

void EntryForm::OnEntryDateLeft()
{
    if (!EntryDateVisible)
        return;
    if (EntryDate.trimmed().isEmpty()) {
        m_prompts.Message(QStringLiteral("Entry date must be specified for this kind of event"));
        RequestFocus(FocusBox::EntryDate);
    } else if (!Core::IsDate(EntryDate)) {
        m_prompts.Message(QStringLiteral("Entry Date is invalid"));
    }
}

void EntryForm::OnClubLeft()
{
    ClubName = Core::ClubCode(ClubName);
}

void EntryForm::OnClubListClicked(int club)
{
    if (club >= 0 && club < m_session.Gala.ClubTotal())
        ClubName = m_session.Gala.Clubs.at(club).Code;
}

void EntryForm::AutoCorrectClicked()
{
    AutoCorrectCaption =
        AutoCorrectCaption == AutoCorrectOnCaption ? AutoCorrectOffCaption : AutoCorrectOnCaption;
}

void EntryForm::EnterAll()
{
    for (EventSlot &slot : Slots)
        if (slot.Visible)
            slot.Checked = true;
}

void EntryForm::ClearAll()
{
    for (EventSlot &slot : Slots)
        if (slot.Visible)
            slot.Checked = false;
}

// ---- Exit and focus
// -------------------------------------------------------------------------------

bool EntryForm::Exit()
{
    if (m_storeOpen && TypedEntrant() != m_blankEntrant) {
        const QString name = FullName.trimmed();
        const QString question =
            name.isEmpty()
                ? QStringLiteral("The entrant being typed has not been recorded. Discard it?")
                : QStringLiteral("%1 has not been recorded. Discard the entry?").arg(name);
        if (!m_prompts.AskYesNo(question, true))
            return false;
    }
    if (m_store && m_storeOpen) {
        QString error;
        if (!m_store->Close(&error))
            m_prompts.Message(error);
        m_storeOpen = false;
    }
    m_addressDb.Close();
    m_memberDb.Close();
    CloseRequested = true;
    return true;
}

void EntryForm::ShowNotAvailable(const QString &command)
{
    QString plain = command;
    plain.remove(u'&');
    m_prompts.Message(QStringLiteral("%1 is not available yet").arg(plain));
}

void EntryForm::RequestFocus(FocusBox box, int slot, bool selectAll)
{
    m_focus = FocusRequest{box, slot, selectAll, false};
}

void EntryForm::AdvanceFocus(FocusBox box, int slot, bool selectAll)
{
    m_focus = FocusRequest{box, slot, selectAll, true};
}

FocusRequest EntryForm::TakeFocus()
{
    const FocusRequest focus = m_focus;
    m_focus = FocusRequest{};
    return focus;
}

} // namespace Entries
