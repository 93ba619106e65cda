#include "entries/entryfilesstore.h"

#include "core/galastate.h"
#include "core/prompts.h"
#include "entries/entrycheck.h"
#include "meetdb/database.h"
#include "meetdb/session.h"
#include "members/memberdb.h"

namespace Entries {

namespace {

QList<EntrySwim> BlockSwims(const EntrantRecord &record)
{
    QList<EntrySwim> swims;
    for (const EntrySwimRecord &swim : record.Swims) {
        QString time = swim.EntryTime;
        // Relay cards have no place for "NT"; an individual's "NT" is kept for the meet day.
        if (time.isEmpty() || (record.Kind == EntrantKind::Relay && time == NtText))
            time = NoEntryTime;
        swims.append({swim.EventNumber, time});
    }
    return swims;
}

} // namespace

EntryFilesStore::EntryFilesStore(MeetDb::Session &session)
    : m_session(session)
{}

bool EntryFilesStore::Open(Core::Prompts &prompts)
{
    const Core::GalaState &gala = m_session.Gala;
    if (!m_files.Open(gala, EntryDirPath(gala, m_session.ProgramDir), prompts))
        return false;
    m_session.Gala.NextCompetitorNumber = m_files.NextNumber();
    if (m_files.OfferClearEnvelopeFlags() && m_memberDb && m_memberDb->IsOpen()) {
        try {
            Members::ClearEnvelopeFlags(*m_memberDb, prompts);
        } catch (const MeetDb::DbError &error) {
            prompts.Message(error.Message());
        }
    }
    return true;
}

bool EntryFilesStore::Append(const EntrantRecord &record, QString *error)
{
    if (record.Kind == EntrantKind::Member) {
        MemberEntry member;
        member.FullName = record.FullName;
        member.MemberKey = record.Name;
        member.Date = EntryFileDate(record.Age);
        member.Sex = record.Sex;
        member.Club = record.Club;
        for (const EntrySwimRecord &swim : record.Swims)
            member.Swims.append({swim.EventNumber, swim.EntryTime});
        return m_files.AppendMember(member, error);
    }
    EntrantBlock block;
    block.Name = record.Name;
    block.Club = record.Club;
    block.Age = record.Kind == EntrantKind::Relay ? record.Age : EntryFileDate(record.Age);
    block.Sex = record.Sex;
    block.Swims = BlockSwims(record);
    return record.Kind == EntrantKind::Relay ? m_files.AppendRelay(block, error)
                                             : m_files.AppendEntrant(block, error);
}

bool EntryFilesStore::WriteEntrant(const EntrantRecord &record, int *numberUsed, QString *error)
{
    const int before = m_files.NextNumber();
    if (!Append(record, error))
        return false;
    // Only an entrant block takes a number; swim lines carry none.
    const int number = m_files.NextNumber() != before ? before : 0;
    if (numberUsed)
        *numberUsed = number;
    m_session.Gala.NextCompetitorNumber = m_files.NextNumber();
    QString flushError;
    if (!m_files.Flush(&flushError) && error)
        *error = QStringLiteral("The entry was written, but the entry files could not be "
                                "closed and reopened: ") +
                 flushError;
    return true;
}

int EntryFilesStore::FindEntrant(const QString &swimmerName, const std::optional<QString> &age)
{
    // Members' swim lines carry no entrant number to name.
    if (!m_files.IsOpen() || m_files.Layout() != EntryLayout::Entrant)
        return 0;
    QList<EntrantBlock> blocks;
    // The look-up only warns; a file that cannot be read leaves nothing to warn about.
    LoadEntrantBlocks(m_files.EntryFilePath(), false, blocks, nullptr);
    for (const EntrantBlock &block : std::as_const(blocks)) {
        if (block.Name == swimmerName && (!age || SameAgeField(block.Age, *age)))
            return block.Number;
    }
    return 0;
}

bool EntryFilesStore::Close(QString *error)
{
    const bool wasOpen = m_files.IsOpen();
    if (!m_files.Close(error))
        return false;
    const Core::GalaState &gala = m_session.Gala;
    if (!wasOpen || gala.GalaType != Core::GalaSelect)
        return true;
    // Events typed in as stroke and distance pairs are only in memory until now.
    if (gala.GalaParamFile.isEmpty()) {
        if (error)
            *error = QStringLiteral("The events of this gala cannot be written back: it has no "
                                    "gala parameter file");
        return false;
    }
    return RewriteEventLines(gala, m_files.Dir(), error);
}

} // namespace Entries
