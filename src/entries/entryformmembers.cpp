#include "entries/entryform.h"

#include <algorithm>

#include "core/galastate.h"
#include "core/prompts.h"
#include "core/textutil.h"
#include "core/timeutil.h"
#include "entries/agegroups.h"
#include "entries/entrycheck.h"
#include "meetdb/session.h"

// The entry form's member commands: quick add, the member details, the name index that finds
// them, and "Delete".

namespace Entries {

namespace {

QString IdList(const QList<int> &ids)
{
    QStringList texts;
    for (const int id : ids)
        texts << QString::number(id);
    return texts.join(QStringLiteral(", "));
}

} // namespace

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

} // namespace Entries
