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

QString IdList(const QList<int> &ids)
{
    QStringList texts;
    for (const int id : ids)
        texts << QString::number(id);
    return texts.join(QStringLiteral(", "));
}

bool IsSex(const QString &sex)
{
    return sex == u"F" || sex == u"M" || sex == u"X";
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

// ---- Record
// ---------------------------------------------------------------------------------------

void EntryForm::Record()
{
    Info.clear();
    if (!m_storeOpen)
        return;
    if (m_memberGala)
        RecordMember();
    else
        RecordOpen();
}

int EntryForm::CountCheckedSlots() const
{
    int count = 0;
    for (const EventSlot &slot : Slots)
        if (slot.Visible && slot.Checked)
            ++count;
    return count;
}

bool EntryForm::WriteEntrant(const EntrantRecord &record, int &number)
{
    QString error;
    if (!m_store->WriteEntrant(record, &number, &error)) {
        m_prompts.Message(QStringLiteral("The entry was not recorded: ") + error);
        return false;
    }
    if (!error.isEmpty())
        m_prompts.Message(error);
    return true;
}

QString EntryForm::SwimInfoLine(const EntrySwimRecord &swim) const
{
    const Core::GalaEvent &event = m_session.Gala.Events.at(swim.EventIndex);
    return event.EvNumber + u' ' + event.EvDistance + QStringLiteral("m ") +
           Core::StrokeName(event.EvStroke) + u' ' + swim.EntryTime;
}

void EntryForm::RecordMember()
{
    const Core::GalaState &gala = m_session.Gala;
    if (gala.EntryDateCheck && EntryDate.trimmed().isEmpty()) {
        m_prompts.Message(QStringLiteral("You must specify an entry date for this kind of gala"));
        RequestFocus(FocusBox::EntryDate);
        return;
    }
    if (CheckedGroup < 0 || CheckedGroup >= gala.GroupCount()) {
        m_prompts.Message(QStringLiteral("No Group Checked"));
        return;
    }
    if (FullName.trimmed().isEmpty())
        return;

    const QString key = Core::SurnameFirst(FullName);
    if (RefuseCollidingName(key))
        return;
    Members::Member member;
    const int position = m_index.FindIndexEntry(key, 0);
    bool found = false;
    if (position > 0 && m_memberDb.IsOpen()) {
        try {
            found = Members::ReadMember(m_memberDb, m_index.RecordId(position), member, m_prompts);
        } catch (const MeetDb::DbError &error) {
            m_prompts.Message(error.Message());
            return;
        }
    }
    QString memberName;
    if (found) {
        memberName = member.DisplayName();
        // A date of birth asked for at the short-name look-up is not in the member file.
        if (member.DateOfBirth.trimmed().isEmpty() && m_currentMember.RecordId == member.RecordId)
            member.DateOfBirth = m_currentMember.DateOfBirth;
    } else {
        if (!m_prompts.AskYesNo(
                QStringLiteral("Not on PB file .. check that DOB and Sex are correct")))
            return;
        member = Members::Member{};
        memberName = key;
        member.DateOfBirth = IntDob;
        member.Sex = IntSex;
    }
    m_currentMember = member;

    // The swims are taken from the slots before the sex box is rewritten: a new sex rebuilds the
    // slots.
    QList<EntrySwimRecord> swims;
    const bool complete =
        gala.GalaType == Core::GalaSelect ? SelectSwims(member, swims) : MemberSwims(member, swims);

    EntrantToCheck entrant;
    EntrantRecord &record = entrant.Record;
    record.Kind = EntrantKind::Member;
    record.Name = memberName;
    record.FullName = FullName;
    record.Club = HomeClubCode;
    record.Address1 = member.Address1;
    record.Address2 = member.Address2;
    record.Town = member.Town;
    record.County = member.County;
    record.PostCode = member.PostCode;
    record.Age = gala.EntryDateCheck ? EntryDate : member.DateOfBirth;
    record.Sex = member.Sex.trimmed().toUpper();
    record.Regno = RegistrationNumber;
    record.Swims = swims;
    // A member's date of birth comes from the member file, where "       " means none; one
    // typed for a swimmer not on file must be a real date.
    entrant.Dob = found && !Core::IsDate(member.DateOfBirth) ? QString() : member.DateOfBirth;
    entrant.Group = CheckedGroup;
    entrant.TypedTimes = false;
    entrant.DuplicateConfirmed = key == m_duplicateConfirmed;
    if (!PassEntryChecks(entrant, {}))
        return;

    if (found && gala.Mailing) {
        try {
            member.EnvelopeFlag = true;
            Members::WriteMember(m_memberDb, member);
        } catch (const MeetDb::DbError &error) {
            m_prompts.Message(error.Message());
            return;
        }
    }
    IntDob = Core::DateToDdMmmYy(member.DateOfBirth);
    IntSex = member.Sex;
    ApplySex();

    int number = 0;
    if (!WriteEntrant(record, number))
        return;
    if (number > 0)
        Info << QStringLiteral("Set-Up Entrant No %1 %2 %3")
                    .arg(number)
                    .arg(memberName, member.DateOfBirth);
    for (const EntrySwimRecord &swim : swims)
        Info << SwimInfoLine(swim);
    // A swim without a personal-best column ends the command after the swims before it.
    if (!complete) {
        m_prompts.Message(QStringLiteral("Invalid Stroke/Distance Combination"));
        return;
    }
    m_duplicateConfirmed.clear();
    ClearAfterRecord();
}

bool EntryForm::PassEntryChecks(EntrantToCheck &entrant, const QList<int> &swimSlots)
{
    const auto find = [this](const EntrantRecord &record) {
        return m_store->FindEntrant(record.Name, record.Kind == EntrantKind::Member
                                                     ? std::nullopt
                                                     : std::optional<QString>(record.Age));
    };
    // Each question answered "Yes" is not asked again, so this asks each at most once.
    while (true) {
        const EntryFault fault = CheckEntrant(m_session.Gala, entrant, find);
        if (!fault.IsFault())
            return true;
        bool go = false;
        switch (fault.Question) {
        case EntryQuestion::None:
            m_prompts.Message(fault.Text);
            break;
        case EntryQuestion::UnknownClub:
            go = entrant.ClubConfirmed = m_prompts.AskYesNo(fault.Text);
            break;
        case EntryQuestion::Duplicate:
            go = entrant.DuplicateConfirmed = m_prompts.AskYesNo(fault.Text, true);
            break;
        }
        if (go)
            continue;
        switch (fault.Field) {
        case EntryField::None:
            break;
        case EntryField::FullName:
            RequestFocus(FocusBox::FullName);
            break;
        // A club or date refused is typed again whole: selected, the first key replaces it
        // instead of running on after the refused code ("KESTKESW").
        case EntryField::ClubName:
            RequestFocus(FocusBox::ClubName, 0, true);
            break;
        case EntryField::IntDob:
            RequestFocus(FocusBox::IntDob, 0, true);
            break;
        case EntryField::EntryTime:
            if (fault.Swim >= 0 && fault.Swim < swimSlots.size())
                RequestFocus(FocusBox::StrokeTime, swimSlots.at(fault.Swim), true);
            break;
        }
        return false;
    }
}

bool EntryForm::MemberSwims(const Members::Member &member, QList<EntrySwimRecord> &swims)
{
    const Core::GalaState &gala = m_session.Gala;
    for (const EventSlot &slot : Slots) {
        if (!slot.Visible || !slot.Checked)
            continue;
        const Core::GalaEvent &event = gala.Events.at(slot.EventIndex);
        const int column = Members::PbColumn(m_session.Settings, event.EvDistance, event.EvStroke);
        if (column < 1)
            return false;
        swims << EntrySwimRecord{slot.EventIndex, event.EvNumber, member.PbTimes.value(column - 1),
                                 QString()};
    }
    return true;
}

bool EntryForm::SelectSwims(const Members::Member &member, QList<EntrySwimRecord> &swims)
{
    for (const StrokePair &pair : Pairs) {
        const QString stroke = pair.Stroke.trimmed().toUpper();
        const QString distance = pair.Distance.trimmed();
        if (stroke.isEmpty() || distance.isEmpty())
            continue;
        const int column = Members::PbColumn(m_session.Settings, distance, stroke);
        if (column < 1) {
            m_prompts.Message(QStringLiteral("Invalid Stroke/Distance Combination"));
            continue;
        }
        const int index = FindOrAddSelectEvent(stroke, distance, member.Sex);
        if (index < 0)
            continue;
        // The same event typed twice is entered once.
        const QString &number = m_session.Gala.Events.at(index).EvNumber;
        const bool twice = std::any_of(swims.cbegin(), swims.cend(), [&](const EntrySwimRecord &s) {
            return s.EventIndex == index;
        });
        if (!twice)
            swims << EntrySwimRecord{index, number, member.PbTimes.value(column - 1), QString()};
    }
    return true;
}

int EntryForm::FindOrAddSelectEvent(const QString &stroke, const QString &distance,
                                    const QString &sex)
{
    Core::GalaState &gala = m_session.Gala;
    const QString group = gala.Groups.at(CheckedGroup).GroupName;
    for (int i = 0; i < gala.EventCount(); ++i) {
        const Core::GalaEvent &event = gala.Events.at(i);
        if (event.EvStroke == stroke && event.EvDistance == distance && event.EvGroup == group &&
            event.EvSex == sex)
            return i;
    }
    if (gala.EventCount() >= Core::MaxEvents) {
        m_prompts.Message(QStringLiteral("Too many events, %1 %2 not added").arg(distance, stroke));
        return -1;
    }
    // The first number not taken: the meet's own events need not be numbered 1, 2, 3 ...
    int number = gala.EventCount() + 1;
    while (gala.FindEvent(QString::number(number)) >= 0)
        ++number;
    Core::GalaEvent event;
    event.EvNumber = QString::number(number);
    event.EvPrintNumber = event.EvNumber;
    event.EvSequence = gala.EventCount() + 1;
    event.EvSex = sex;
    event.EvGroup = group;
    event.EvDistance = distance;
    event.EvStroke = stroke;
    event.EvDate = gala.GalaDate;
    gala.Events.append(event);
    return gala.EventCount() - 1;
}

void EntryForm::RecordOpen()
{
    const Core::GalaState &gala = m_session.Gala;
    if (ClubName.trimmed().isEmpty()) {
        Info << QStringLiteral("Specify Club Name");
        RequestFocus(FocusBox::ClubName);
        return;
    }
    IntSex = IntSex.trimmed().toUpper();
    if (!IsSex(IntSex)) {
        Info << QStringLiteral("Invalid/Missing Sex");
        RequestFocus(FocusBox::IntSex);
        return;
    }
    // A time box still holding a slip has its event unticked; recording now would drop that
    // event without a word.
    for (int i = 0; i < MaxSlots; ++i) {
        const EventSlot &slot = Slots[i];
        if (slot.TimeVisible && !slot.Time.isEmpty() && !NormaliseTypedTime(slot.Time)) {
            m_prompts.Message(InvalidTimeText);
            RequestFocus(FocusBox::StrokeTime, i, true);
            return;
        }
    }
    const int checked = CountCheckedSlots();
    if (checked == 0) {
        // Nothing would be entered: the swimmer stays in the window for the events to be ticked.
        Info << QStringLiteral("No Events Checked");
        if (Slots[0].TimeVisible)
            RequestFocus(FocusBox::StrokeTime, 0);
        return;
    }
    const bool relay = gala.GalaType == Core::GalaMasters && CheckedGroup != 0;
    const int relayEvents = relay ? checked : 0;
    const int individualEvents = relay ? 0 : checked;

    if (individualEvents > 0 && IntDob.trimmed().isEmpty()) {
        if (gala.AgeGroups) {
            if (IntSex != u"X") {
                Info << QStringLiteral("Specify Date of Birth");
                RequestFocus(FocusBox::IntDob);
                return;
            }
            if (!m_prompts.AskYesNo(QStringLiteral("Make sure that age group is correct")))
                return;
        } else {
            m_prompts.Message(QStringLiteral("No date of birth specified"));
        }
    }
    if (individualEvents > 0 && FullName.trimmed().isEmpty()) {
        Info << QStringLiteral("Specify Full Name");
        RequestFocus(FocusBox::FullName);
        return;
    }

    EntrantToCheck entrant;
    EntrantRecord &record = entrant.Record;
    record.Name = FullName;
    record.FullName = FullName;
    record.Club = ClubName;
    record.Sex = IntSex;
    record.Regno = RegistrationNumber;
    if (relayEvents > 0) {
        if (CheckedGroup < 1 || CheckedGroup >= gala.GroupCount()) {
            Info << QStringLiteral("Age Group must be checked for Relays");
            return;
        }
        record.Kind = EntrantKind::Relay;
        record.Age = gala.Groups.at(CheckedGroup).GroupName;
    } else {
        record.Kind = EntrantKind::Individual;
        record.Age = gala.GalaType == Core::GalaMasters ? AgeGroup : IntDob;
        entrant.Dob = IntDob;
    }
    QList<int> swimSlots;
    for (int i = 0; i < MaxSlots; ++i) {
        const EventSlot &slot = Slots[i];
        if (!slot.Visible || !slot.Checked)
            continue;
        record.Swims << EntrySwimRecord{slot.EventIndex, gala.Events.at(slot.EventIndex).EvNumber,
                                        slot.Time, slot.MeetSpecific};
        swimSlots << i;
    }
    entrant.Group = CheckedGroup;
    if (!PassEntryChecks(entrant, swimSlots))
        return;
    ClubName = record.Club;

    int number = 0;
    if (!WriteEntrant(record, number))
        return;
    for (const EntrySwimRecord &swim : record.Swims)
        Info << SwimInfoLine(swim);
    Info << QStringLiteral("Set-Up Entrant No %1 %2").arg(number).arg(FullName);

    if (record.Kind == EntrantKind::Individual && m_addressDb.IsOpen()) {
        AddressRecord address;
        address.EventsEntered = individualEvents;
        if (m_dialogs.AskAddress(FullName, number, individualEvents, address)) {
            try {
                WriteAddressRecord(m_addressDb, record, number, address);
            } catch (const MeetDb::DbError &error) {
                m_prompts.Message(QStringLiteral("The address was not recorded: ") +
                                  error.Message());
            }
        }
    }
    ClearAfterRecord();
}

void EntryForm::ClearAfterRecord()
{
    m_completedName.clear();
    if (m_memberGala) {
        IntDob.clear();
        IntSex.clear();
        ShortName.clear();
        RegistrationNumber.clear();
        RequestFocus(FocusBox::ShortName);
    } else {
        FullName.clear();
        IntDob.clear();
        IntSex.clear();
        RegistrationNumber.clear();
        AgeGroup.clear();
        for (EventSlot &slot : Slots) {
            slot.Checked = false;
            slot.Time.clear();
            slot.MeetSpecific.clear();
        }
        RequestFocus(FocusBox::FullName);
    }
    ApplySex();
    const QString &type = m_session.Gala.GalaType;
    if (type != Core::GalaInternal && type != Core::GalaChamps)
        AutoCorrectCaption = AutoCorrectOnCaption;
    m_blankEntrant = TypedEntrant();
}

QStringList EntryForm::TypedEntrant() const
{
    // The club and the group stay from one entrant to the next, so they are not part of it.
    QStringList typed{ShortName, FullName, IntDob, IntSex, RegistrationNumber};
    for (const EventSlot &slot : Slots)
        typed << (slot.Visible && slot.Checked ? QStringLiteral("1") : QString()) << slot.Time
              << slot.MeetSpecific;
    for (const StrokePair &pair : Pairs)
        typed << pair.Stroke << pair.Distance;
    return typed;
}

// ---- Members
// --------------------------------------------------------------------------------------

void EntryForm::QuickAddMember()
{
    if (!m_memberDb.IsOpen()) {
        m_prompts.Message(QStringLiteral("The member database is not open; members cannot be "
                                         "added"));
        return;
    }
    // The index holds every active member; a full one could not take the new member.
    if (m_index.Count() >= m_index.Capacity()) {
        m_prompts.Message(QStringLiteral("File Is Full .. Reload program to extend"));
        return;
    }
    if (FullName.trimmed().isEmpty()) {
        m_prompts.Message(QStringLiteral("No name entered .. invalid"));
        RequestFocus(FocusBox::FullName);
        return;
    }
    const QString key = Core::SurnameFirst(FullName);
    if (m_index.FindIndexEntry(key, 0) > 0 || m_index.Collisions().contains(key)) {
        m_prompts.Message(QStringLiteral("Already on File"));
        RequestFocus(FocusBox::FullName);
        return;
    }
    if (IntDob.trimmed().isEmpty()) {
        m_prompts.Message(QStringLiteral("No Date of Birth .. invalid"));
        RequestFocus(FocusBox::IntDob);
        return;
    }
    // NormaliseDate says "Invalid Date" itself.
    const QString dob = Core::NormaliseDate(IntDob.trimmed(), m_prompts);
    if (dob.isEmpty()) {
        RequestFocus(FocusBox::IntDob);
        return;
    }
    const QString sex = IntSex.trimmed().toUpper();
    if (sex != u"M" && sex != u"F") {
        m_prompts.Message(QStringLiteral("Sex not M or F .. invalid"));
        RequestFocus(FocusBox::IntSex);
        return;
    }

    // The key puts the text after the first blank first, so that text is the surname and the
    // first word the forename ("Mary Ann Jones": surname "Ann Jones", forename "Mary"); the
    // member's key then equals the name key exactly.
    Members::Member member;
    if (key.contains(u' ')) {
        member.Surname = Core::AfterFirstWord(FullName);
        member.Forename = Core::FirstWord(FullName);
    } else {
        member.Surname = key;
    }
    member.RecordType = QStringLiteral("A");
    member.DateOfBirth = dob;
    member.Sex = sex;
    try {
        Members::WriteMember(m_memberDb, member);
        BuildIndex();
    } catch (const MeetDb::DbError &error) {
        m_prompts.Message(error.Message());
        return;
    }
    ShortName = key;
    IntDob = dob;
    IntSex = sex;
    ApplySex();
    RequestFocus(FocusBox::ShortName);
}

void EntryForm::ShowMemberDetails(MemberDetailsMode mode)
{
    MemberDetailsRequest request;
    request.Mode = mode;
    switch (mode) {
    case MemberDetailsMode::Add:
        request.Caption = QStringLiteral("Add Members to PB/Membership File");
        request.AddEnabled = true;
        break;
    case MemberDetailsMode::Amend:
        request.Caption = QStringLiteral("Amend Members Details");
        request.AbbNameVisible = true;
        request.AmendEnabled = true;
        break;
    case MemberDetailsMode::Display:
        request.Caption = QStringLiteral("Display Members Details");
        request.AbbNameVisible = true;
        break;
    }
    if (request.AbbNameVisible)
        request.AbbName = ShortName;
    if (request.AbbNameVisible && m_memberDb.IsOpen()) {
        const QString key = FullName.isEmpty() ? ShortName : Core::SurnameFirst(FullName);
        const int position = m_index.FindIndexEntry(key, 0);
        try {
            const int recordId =
                position > 0 ? m_index.RecordId(position) : PickCollidingMember(key);
            if (recordId > 0)
                request.MemberFound =
                    Members::ReadMember(m_memberDb, recordId, request.Member, m_prompts);
        } catch (const MeetDb::DbError &error) {
            m_prompts.Message(error.Message());
        }
    }
    if (mode == MemberDetailsMode::Add)
        request.Member.RecordType = QStringLiteral("A");

    // A refused change opens the window again with what was typed, so nothing typed is lost.
    for (;;) {
        const MemberDetailsAction action = m_dialogs.ShowMemberDetails(request);
        if (action == MemberDetailsAction::None)
            return;
        if (!m_memberDb.IsOpen()) {
            m_prompts.Message(QStringLiteral("The member database is not open; nothing was saved"));
            return;
        }
        if (action == MemberDetailsAction::Amend && !request.MemberFound) {
            m_prompts.Message(QStringLiteral("%1 is not on the member file; nothing was amended")
                                  .arg(request.AbbName));
            return;
        }
        if (action == MemberDetailsAction::Add)
            request.Member.RecordId = 0; // a new record id
        const Members::Member &member = request.Member;
        if (member.Surname.trimmed().isEmpty()) {
            m_prompts.Message(QStringLiteral("No name entered .. invalid"));
            continue;
        }
        // The name index holds each active member's name once: a second would make every later
        // opening of the index fail.
        if (member.RecordType == u"A" && KeyTakenByOther(member.DisplayName(), member.RecordId)) {
            m_prompts.Message(QStringLiteral("Already on File"));
            continue;
        }
        break;
    }
    try {
        Members::WriteMember(m_memberDb, request.Member);
        BuildIndex();
    } catch (const MeetDb::DbError &error) {
        m_prompts.Message(error.Message());
    }
}

bool EntryForm::KeyTakenByOther(const QString &key, int recordId) const
{
    const int position = m_index.FindIndexEntry(key, 0);
    if (position > 0 && m_index.RecordId(position) != recordId)
        return true;
    const QList<int> sharing = m_index.Collisions().value(key);
    return std::any_of(sharing.cbegin(), sharing.cend(),
                       [recordId](int id) { return id != recordId; });
}

int EntryForm::PickCollidingMember(const QString &key)
{
    const QList<int> ids = m_index.Collisions().value(key);
    if (ids.isEmpty())
        return 0;
    QStringList lines;
    for (const int id : ids) {
        Members::Member member;
        if (!Members::ReadMember(m_memberDb, id, member, m_prompts))
            return 0;
        QStringList parts{QStringLiteral("Record %1").arg(id), member.DisplayName()};
        for (const QString &detail : {member.DateOfBirth, member.Address1, member.Squad})
            if (!detail.isEmpty())
                parts << detail;
        lines << parts.join(QStringLiteral("  "));
    }
    const int pick = m_prompts.PickFromList(
        QStringLiteral("%1 is on the member file %2 times: which record?").arg(key).arg(ids.size()),
        lines);
    return pick >= 1 && pick <= ids.size() ? ids.at(pick - 1) : 0;
}

bool EntryForm::BuildIndex()
{
    if (!Members::BuildMemberIndex(m_memberDb, m_index, m_prompts)) {
        m_index.Clear();
        return false;
    }
    const QMap<QString, QList<int>> &collisions = m_index.Collisions();
    if (collisions.isEmpty())
        return true;
    QStringList names;
    for (auto it = collisions.cbegin(); it != collisions.cend(); ++it)
        names << QStringLiteral("%1 (records %2)").arg(it.key(), IdList(it.value()));
    m_prompts.Message(
        QStringLiteral("The member database %1 has more than one active member named:\n%2\n"
                       "These swimmers cannot be looked up or entered until each has a name of "
                       "its own; every other member can. To mend the file, type the name in "
                       "\"Short Name\", choose \"Personal Bests\", \"Amend Existing Record\", pick "
                       "one of the records and change its forename (add a middle initial, say).")
            .arg(m_memberDb.Path(), names.join(u'\n')));
    return true;
}

bool EntryForm::RefuseCollidingName(const QString &key)
{
    const QList<int> ids = m_index.Collisions().value(key);
    if (ids.isEmpty())
        return false;
    m_prompts.Message(QStringLiteral("%1 is on the member file more than once (records %2), so "
                                     "which member is meant cannot be told. Amend one of the "
                                     "records first (\"Personal Bests\", \"Amend Existing "
                                     "Record\").")
                          .arg(key, IdList(ids)));
    return true;
}

// ---- Delete
// ---------------------------------------------------------------------------------------

DeleteResult EntryForm::Delete()
{
    if (!m_store || !m_storeOpen)
        return DeleteResult::Failed;
    // The entries go from wherever this window records them.
    EntryFiles *files = m_store->Files();
    MeetDb::Database *meetDb = files ? nullptr : &m_session.MeetDb;
    const DeleteResult result = DeleteEntries(m_session.Gala, meetDb, files, FullName, m_prompts);
    // The name typed to delete is not an entrant waiting to be recorded.
    if (result == DeleteResult::Deleted)
        m_blankEntrant = TypedEntrant();
    return result;
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
