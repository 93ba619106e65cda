#include "entries/entryform.h"

#include <algorithm>

#include "core/galastate.h"
#include "core/prompts.h"
#include "core/textutil.h"
#include "core/timeutil.h"
#include "entries/agegroups.h"
#include "entries/entrycheck.h"
#include "meetdb/session.h"

// The entry form's "Record": the checks every entrant passes, and the writing of the entrant
// and the swims, for open and masters meets and for member galas.

namespace Entries {

namespace {

bool IsSex(const QString &sex)
{
    return sex == u"F" || sex == u"M" || sex == u"X";
}

} // namespace

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

} // namespace Entries
