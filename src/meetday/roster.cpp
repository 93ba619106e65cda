#include "meetday/roster.h"

#include <algorithm>
#include <memory>
#include <optional>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QSaveFile>
#include <QSet>
#include <QSqlError>
#include <QSqlQuery>

#include "core/filesync.h"
#include "core/galastate.h"
#include "core/prompts.h"
#include "core/timeutil.h"
#include "entries/entryfiles.h"
#include "entries/entrywriter.h"
#include "meetday/swimlineroster.h"
#include "meetdb/database.h"
#include "meetdb/keywords.h"
#include "meetdb/schema.h"
#include "meetdb/session.h"

namespace MeetDay {

namespace {

const QString SwimRecordQuery = QStringLiteral("Meet Swim Record");
const QByteArray LineEnd = QByteArrayLiteral("\r\n");
const QString WriteFailure = QStringLiteral("Cannot write the entries to");

// "Regno" is a field of every meet database from version 1.0 on. It is read and written alike,
// so that a save never blanks a registration number that the load did not read.
bool HasRegno(const Core::GalaState &gala)
{
    return gala.DbVersion >= 1.0f;
}

QVariant TextOrEmpty(const QString &text)
{
    return text.isEmpty() ? QVariant(QStringLiteral("")) : QVariant(text);
}

// The roster row of entrant `number`. A number not seen before (`rowOf` maps numbers to rows)
// gets a new row holding only the number, and `added` is set, so that rows of one entrant that
// the source does not give together still come under one entrant.
RosterEntrant &EntrantRow(Roster &roster, QHash<int, int> &rowOf, int number, bool &added)
{
    auto found = rowOf.constFind(number);
    added = found == rowOf.cend();
    if (added) {
        found = rowOf.insert(number, int(roster.size()));
        roster.append(RosterEntrant{});
        roster.last().EntrantNumber = number;
    }
    return roster[*found];
}

// ---- Meet database -----------------------------------------------------------------------------

// The entrant number of the current row. It is read whole, as 64 bits, and anything outside the
// numbers the program gives is refused: cut to fit, entrant 4294967298 would be taken for entrant
// 2, and saving would write one entrant's details over the other's.
int EntrantNumber(const MeetDb::RecordSet &rows, const MeetDb::Session &session)
{
    const QString field = QStringLiteral("Entrant Number");
    const std::optional<qint64> number = rows.WholeNumber(field);
    if (number && *number >= 1 && *number <= Entries::MaxEntrantNumber)
        return int(*number);
    throw MeetDb::DbError(QStringLiteral("Meet %1 in %2 has the entrant number \"%3\", which is "
                                         "not a number from 1 to %4; no entrant of the meet is "
                                         "read until it is corrected")
                              .arg(session.Gala.MeetCode,
                                   QDir::toNativeSeparators(session.MeetDb.Path()),
                                   MeetDb::PrintableText(rows.Text(field), 40))
                              .arg(Entries::MaxEntrantNumber));
}

LoadResult LoadFromDatabase(MeetDb::Session &session, Roster &roster)
{
    const Core::GalaState &gala = session.Gala;
    MeetDb::Database::SavedQuery query = session.MeetDb.OpenQuery(SwimRecordQuery);
    query.SetParameter(MeetDb::ParamMeetCode, gala.MeetCode);
    std::unique_ptr<MeetDb::RecordSet> rows = query.Open();
    if (rows->RecordCount() == 0)
        return LoadResult::Empty;

    const bool regno = HasRegno(gala);
    QHash<int, int> rowOf;
    rowOf.reserve(rows->RecordCount());
    for (rows->MoveFirst(); !rows->Eof(); rows->MoveNext()) {
        bool added = false;
        RosterEntrant &entrant = EntrantRow(roster, rowOf, EntrantNumber(*rows, session), added);
        if (added) {
            entrant.Name = rows->Text(QStringLiteral("Swimmer Name"));
            entrant.Club = rows->Text(QStringLiteral("club"));
            if (regno)
                entrant.RegNo = rows->Text(QStringLiteral("Regno"));
            entrant.Age = rows->Text(QStringLiteral("age"));
            entrant.Sex = rows->Text(QStringLiteral("Sex"));
        }
        RosterSwim swim;
        swim.EventNumber = rows->Text(QStringLiteral("Event number"));
        swim.EntryTime = rows->Text(QStringLiteral("Entry Time"));
        swim.Confirmed = rows->Flag(QStringLiteral("Confirmed"));
        swim.CombinedWith = rows->Text(QStringLiteral("Combined With"));
        swim.MeetSpecific = rows->Text(QStringLiteral("Meet Specific"));
        entrant.Swims.append(std::move(swim));
    }
    ReadFinalRanks(session, roster);
    return LoadResult::Loaded;
}

} // namespace

void ReadFinalRanks(MeetDb::Session &session, Roster &roster)
{
    const Core::GalaState &gala = session.Gala;
    if (gala.GalaType != Core::GalaChamps || gala.SessionTitle != QLatin1String("FINALS") ||
        !gala.MeetDbOpen)
        return;
    QHash<QPair<int, QString>, int> rankOf;
    QSqlQuery ranks(session.MeetDb.Connection());
    ranks.setForwardOnly(true);
    MeetDb::PrepareBulk(session.MeetDb, ranks,
                        QStringLiteral("SELECT \"Entrant Number\", \"Event number\", "
                                       "\"Position\" FROM \"Swim Table\" WHERE \"Meet code\" = ?"),
                        QStringLiteral("Cannot read the heat results of"));
    MeetDb::RunBulk(session.MeetDb, ranks, {gala.MeetCode},
                    QStringLiteral("Cannot read the heat results of"));
    while (ranks.next()) {
        // A rank from a damaged or crafted file that is no place in an event counts as none.
        const qint64 rank = ranks.value(2).toLongLong();
        if (rank >= 1 && rank <= Entries::MaxEntrantNumber)
            rankOf.insert({ranks.value(0).toInt(), ranks.value(1).toString()}, int(rank));
    }
    for (RosterEntrant &entrant : roster)
        for (RosterSwim &swim : entrant.Swims)
            swim.FinalRank = rankOf.value({entrant.EntrantNumber, swim.EventNumber}, 0);
}

namespace {

/*
 * Writes roster entrants to the meet database. The statements are prepared once and bound per
 * row; records are addressed by row id, read once for the whole meet (or the one entrant), so
 * no statement searches the tables per entrant. Every failure throws MeetDb::DbError; the
 * caller's transaction then undoes everything.
 */
class DbRosterWriter
{
public:
    DbRosterWriter(MeetDb::Session &session)
        : m_db(session.MeetDb)
        , m_gala(session.Gala)
    {
        QSqlDatabase &connection = m_db.Connection();
        const QString regno = HasRegno(m_gala) ? QStringLiteral(", \"Regno\" = ?") : QString();
        Prepare(m_updateEntrant, connection,
                QStringLiteral("UPDATE \"Entrant Table\" SET \"Swimmer Name\" = ?, \"club\" = ?, "
                               "\"age\" = ?, \"Sex\" = ?") +
                    regno + QStringLiteral(" WHERE rowid = ?"));
        Prepare(m_deleteEntrant, connection,
                QStringLiteral("DELETE FROM \"Entrant Table\" WHERE rowid = ?"));
        Prepare(m_updateSwim, connection,
                QStringLiteral("UPDATE \"Swim Table\" SET \"Entry Time\" = ?, \"Confirmed\" = ?, "
                               "\"Meet Specific\" = ? WHERE rowid = ?"));
        Prepare(m_deleteSwim, connection,
                QStringLiteral("DELETE FROM \"Swim Table\" WHERE rowid = ?"));
        Prepare(m_insertSwim, connection,
                QStringLiteral(
                    "INSERT INTO \"Swim Table\" (\"Meet code\", \"Entrant Number\", "
                    "\"Event number\", \"Event Sequence\", \"Combined With\", \"Entry Time\", "
                    "\"Time\", \"Confirmed\", \"Position\", \"DQ\", \"DQ Reason\", "
                    "\"Meet Specific\", \"Seed Order\", \"DNS\", \"Notes\", \"Points\") "
                    "VALUES (?, ?, ?, ?, ?, ?, ?, ?, 0, 0, '', ?, 0, 0, '', 0)"));
    }

    // Reads the row ids of the meet's entrants and swims; `entrantNumber` 0 reads them all.
    void ReadStored(int entrantNumber)
    {
        const QString one =
            entrantNumber > 0 ? QStringLiteral(" AND \"Entrant Number\" = ?") : QString();
        QSqlQuery entrants(m_db.Connection());
        entrants.setForwardOnly(true);
        Prepare(entrants, m_db.Connection(),
                QStringLiteral("SELECT rowid, \"Entrant Number\" FROM \"Entrant Table\" WHERE "
                               "\"Meet code\" = ?") +
                    one);
        Run(entrants, {m_gala.MeetCode, entrantNumber}, entrantNumber > 0 ? 2 : 1);
        while (entrants.next())
            m_entrantRow.insert(entrants.value(1).toLongLong(), entrants.value(0).toLongLong());

        QSqlQuery swims(m_db.Connection());
        swims.setForwardOnly(true);
        Prepare(swims, m_db.Connection(),
                QStringLiteral("SELECT rowid, \"Entrant Number\", \"Event number\" FROM "
                               "\"Swim Table\" WHERE \"Meet code\" = ?") +
                    one + QStringLiteral(" ORDER BY rowid"));
        Run(swims, {m_gala.MeetCode, entrantNumber}, entrantNumber > 0 ? 2 : 1);
        while (swims.next()) {
            m_storedSwims[swims.value(1).toLongLong()].append(
                {swims.value(0).toLongLong(), swims.value(2).toString()});
        }
    }

    // Returns false when the entrant's own record is missing (its swims are written all the same).
    bool Write(const RosterEntrant &entrant)
    {
        const QList<StoredSwim> stored = m_storedSwims.value(qint64(entrant.EntrantNumber));
        const auto entrantRow = m_entrantRow.constFind(qint64(entrant.EntrantNumber));
        if (entrant.Swims.isEmpty()) {
            for (const StoredSwim &swim : stored)
                Run(m_deleteSwim, {swim.RowId});
            if (entrantRow != m_entrantRow.cend())
                Run(m_deleteEntrant, {*entrantRow});
            return true;
        }

        bool found = entrantRow != m_entrantRow.cend();
        if (found) {
            QVariantList values{TextOrEmpty(entrant.Name), TextOrEmpty(entrant.Club),
                                TextOrEmpty(entrant.Age), TextOrEmpty(entrant.Sex)};
            if (HasRegno(m_gala))
                values << TextOrEmpty(entrant.RegNo);
            values << *entrantRow;
            Run(m_updateEntrant, values);
        }

        // Each stored swim takes the first roster swim of its event not yet taken; a stored swim
        // left over was removed on the day.
        QList<bool> matched(entrant.Swims.size(), false);
        for (const StoredSwim &swim : stored) {
            int match = -1;
            for (int s = 0; s < entrant.Swims.size(); ++s) {
                if (!matched.at(s) && entrant.Swims.at(s).EventNumber == swim.EventNumber) {
                    match = s;
                    break;
                }
            }
            if (match < 0) {
                Run(m_deleteSwim, {swim.RowId});
                continue;
            }
            matched[match] = true;
            const RosterSwim &s = entrant.Swims.at(match);
            Run(m_updateSwim, {TextOrEmpty(s.EntryTime), s.Confirmed ? 1 : 0,
                               TextOrEmpty(s.MeetSpecific), swim.RowId});
        }
        for (int s = 0; s < entrant.Swims.size(); ++s) {
            if (matched.at(s))
                continue;
            const RosterSwim &swim = entrant.Swims.at(s);
            const QString combined = swim.CombinedWith.isEmpty()
                                         ? Entries::CombinedWith(m_gala, swim.EventNumber)
                                         : swim.CombinedWith;
            Run(m_insertSwim,
                {m_gala.MeetCode, entrant.EntrantNumber, TextOrEmpty(swim.EventNumber),
                 m_gala.FindEvent(swim.EventNumber) + 1, TextOrEmpty(combined),
                 TextOrEmpty(swim.EntryTime), TextOrEmpty(swim.EntryTime), swim.Confirmed ? 1 : 0,
                 TextOrEmpty(swim.MeetSpecific)});
        }
        return found;
    }

private:
    struct StoredSwim
    {
        qint64 RowId = 0;
        QString EventNumber;
    };

    void Prepare(QSqlQuery &query, QSqlDatabase &, const QString &sql)
    {
        MeetDb::PrepareBulk(m_db, query, sql, WriteFailure);
    }

    void Run(QSqlQuery &query, const QVariantList &values, qsizetype count = -1)
    {
        MeetDb::RunBulk(m_db, query, values, WriteFailure, count);
    }

    MeetDb::Database &m_db;
    const Core::GalaState &m_gala;
    QSqlQuery m_updateEntrant, m_deleteEntrant, m_updateSwim, m_deleteSwim, m_insertSwim;
    // By entrant number, read whole: a number no int holds never stands for another entrant.
    QHash<qint64, qint64> m_entrantRow;
    QHash<qint64, QList<StoredSwim>> m_storedSwims;
};

// Writes entrants in one transaction. Shows "Serious error .. cannot find entrant" once per
// entrant whose record is missing, after the transaction, and any failure.
bool WriteToDatabase(MeetDb::Session &session, const QList<const RosterEntrant *> &entrants,
                     int onlyEntrant, Core::Prompts &prompts)
{
    int missing = 0;
    try {
        MeetDb::Transaction transaction(session.MeetDb);
        DbRosterWriter writer(session);
        writer.ReadStored(onlyEntrant);
        for (const RosterEntrant *entrant : entrants) {
            if (!writer.Write(*entrant))
                ++missing;
        }
        transaction.Commit();
    } catch (const MeetDb::DbError &error) {
        prompts.Message(error.Message() + QStringLiteral("\nNothing was saved."));
        return false;
    }
    for (int i = 0; i < missing; ++i)
        prompts.Message(NoEntrantMessage);
    return true;
}

// ---- Entry files -------------------------------------------------------------------------------

// intent.BAK beside intent.vb, finals.bak beside finals.cds.
QString BackupOf(const QString &file)
{
    const QFileInfo info(file);
    return info.dir().filePath(info.fileName() == Entries::DayFileName ? Entries::DayBackupName
                                                                       : Entries::EntryBackupName);
}

QString GalaFolder(const MeetDb::Session &session)
{
    return Entries::EntryDirPath(session.Gala, session.ProgramDir);
}

LoadResult LoadFromFile(const MeetDb::Session &session, Core::Prompts &prompts, Roster &roster)
{
    const RosterFiles files = RosterFilesFor(session.Gala, GalaFolder(session));
    QString message;
    switch (Entries::RecoverEntryFile(files.Load, BackupOf(files.Load), files.LoadFinalRank,
                                      &message)) {
    case Entries::Recovery::NotNeeded:
        break;
    case Entries::Recovery::Restored:
        prompts.Message(message);
        break;
    case Entries::Recovery::Failed:
        prompts.Message(message);
        return LoadResult::Failed;
    }
    const bool swimLines = !files.SwimLines.isEmpty() && QFileInfo::exists(files.SwimLines);
    if (!QFileInfo::exists(files.Load) && !swimLines)
        return LoadResult::Empty;
    QList<Entries::EntrantBlock> blocks;
    QString error;
    if (QFileInfo::exists(files.Load) &&
        !Entries::LoadEntrantBlocks(files.Load, files.LoadFinalRank, blocks, &error)) {
        prompts.Message(error);
        return LoadResult::Failed;
    }
    QList<Entries::SwimLine> lines;
    if (swimLines && !Entries::LoadSwimLines(files.SwimLines, lines, &error)) {
        prompts.Message(error);
        return LoadResult::Failed;
    }
    QHash<int, int> rowOf;
    for (const Entries::EntrantBlock &block : std::as_const(blocks)) {
        bool added = false;
        RosterEntrant &entrant = EntrantRow(roster, rowOf, block.Number, added);
        if (added) {
            entrant.Name = block.Name;
            entrant.Club = block.Club;
            entrant.Age = block.Age;
            entrant.Sex = block.Sex;
        }
        for (const Entries::EntrySwim &s : block.Swims) {
            RosterSwim swim;
            swim.EventNumber = s.EventNumber;
            swim.EntryTime = s.EntryTime;
            swim.Confirmed = s.Confirmed;
            swim.FinalRank = s.FinalRank;
            entrant.Swims.append(std::move(swim));
        }
    }
    if (swimLines)
        roster = RosterFromSwimLines(lines, roster, session.Gala);
    return roster.isEmpty() ? LoadResult::Empty : LoadResult::Loaded;
}

// Puts `contents` in place of `path`, whose previous contents become `backup` (an older backup
// is removed first). The new contents go to a scratch file first, so the old file is renamed to
// the backup only once its successor is safely on disk. Returns false after showing why, and
// `outcome`, what the failure leaves.
bool ReplaceWithBackup(const QString &path, const QString &backup, const QByteArray &contents,
                       const QString &outcome, Core::Prompts &prompts)
{
    const QString scratch = path + Entries::NewFileSuffix;
    auto fail = [&](const QString &what) {
        prompts.Message(QStringLiteral("Cannot save the entries to %1: %2\n%3")
                            .arg(QDir::toNativeSeparators(path), what, outcome));
        return false;
    };
    // The new contents are on the disk, whole, under the scratch name before the old file is
    // renamed to the backup; a stop between the two renames is undone by the next load
    // (Entries::RecoverEntryFile).
    {
        QSaveFile out(scratch);
        if (!out.open(QIODevice::WriteOnly) || out.write(contents) != contents.size() ||
            !Core::SyncToDisk(out) || !out.commit())
            return fail(out.errorString());
    }
    if (QFileInfo::exists(backup) && !QFile::remove(backup)) {
        QFile::remove(scratch);
        return fail(QStringLiteral("the old backup %1 cannot be removed")
                        .arg(QDir::toNativeSeparators(backup)));
    }
    if (QFileInfo::exists(path) && !QFile::rename(path, backup)) {
        QFile::remove(scratch);
        return fail(
            QStringLiteral("it cannot be renamed to %1").arg(QDir::toNativeSeparators(backup)));
    }
    if (BetweenRenamesHook)
        BetweenRenamesHook();
    if (!QFile::rename(scratch, path)) {
        QFile::rename(backup, path);
        return fail(QStringLiteral("the new file cannot take its name"));
    }
    Core::SyncFolder(QFileInfo(path).absolutePath());
    return true;
}

bool SaveToFile(const MeetDb::Session &session, const Roster &roster, Core::Prompts &prompts)
{
    const RosterFiles files = RosterFilesFor(session.Gala, GalaFolder(session));
    const QString name = QFileInfo(files.Save).fileName();

    // Everything is encoded first: a text the file cannot hold stops the save before any file
    // is touched.
    QByteArray contents;
    for (const RosterEntrant &entrant : roster) {
        if (entrant.Swims.isEmpty())
            continue;
        Entries::EntrantBlock block;
        block.Number = entrant.EntrantNumber;
        block.Name = entrant.Name;
        block.Club = entrant.Club;
        block.Age = entrant.Age;
        block.Sex = entrant.Sex;
        for (const RosterSwim &s : entrant.Swims)
            block.Swims.append({s.EventNumber, s.EntryTime, s.Confirmed, s.FinalRank});
        QByteArray bytes;
        QString error;
        if (!Entries::EncodeEntrantBlock(block, Entries::BlockShape::MeetDay, files.SaveFinalRank,
                                         name, bytes, &error)) {
            prompts.Message(error + QStringLiteral("\nNothing was saved."));
            return false;
        }
        contents += bytes;
    }
    // The entry window's lines, kept in step with the day's file.
    QByteArray lines;
    if (!files.SwimLines.isEmpty()) {
        const QString linesName = QFileInfo(files.SwimLines).fileName();
        for (const Entries::SwimLine &line : SwimLinesOfRoster(roster)) {
            QByteArray bytes;
            QString error;
            if (!Entries::EncodeSwimLine(line, linesName, bytes, &error)) {
                prompts.Message(error + QStringLiteral("\nNothing was saved."));
                return false;
            }
            lines += bytes;
        }
    }

    // An empty roster over a file that holds entries is what a load that found nothing leads
    // to, never what an official means: the save would leave the file empty and remove the
    // backup, and every entry with them.
    if (contents.isEmpty()) {
        for (const QString &path :
             {files.Save, files.Save + Entries::NewFileSuffix, files.Backup}) {
            if (QFileInfo(path).size() > 0) {
                prompts.Message(
                    QStringLiteral("Cannot save the entries to %1: there are no "
                                   "entries to save, and %2 holds entries\nNothing "
                                   "was saved.")
                        .arg(QDir::toNativeSeparators(files.Save), QDir::toNativeSeparators(path)));
                return false;
            }
        }
    }

    if (!ReplaceWithBackup(files.Save, files.Backup, contents, QStringLiteral("Nothing was saved."),
                           prompts))
        return false;
    // The day's file now holds every entry of the roster, so a failure here loses nothing: the
    // next load still finds each of them.
    return files.SwimLines.isEmpty() ||
           ReplaceWithBackup(files.SwimLines, files.SwimLinesBackup, lines,
                             QStringLiteral("The entries were saved to %1; %2 is as it was.")
                                 .arg(name, QFileInfo(files.SwimLines).fileName()),
                             prompts);
}

double EventValue(const QString &evNumber)
{
    return Core::LeadingNumber(evNumber);
}

} // namespace

RosterFiles RosterFilesFor(const Core::GalaState &gala, const QString &dir)
{
    const QDir folder(dir);
    const bool champs = gala.GalaType == Core::GalaChamps;
    const bool open = gala.GalaType == Core::GalaOpen || gala.GalaType == Core::GalaMasters;
    const bool finalsSession = champs && gala.SessionTitle == QLatin1String("FINALS");

    RosterFiles files;
    const QString intent = folder.filePath(Entries::EntryFileName);
    const QString finals = folder.filePath(Entries::DayFileName);
    files.Load = open || (champs && gala.OneCard) ? intent : finals;
    // The entry window writes "intent.vb"; the day saves under the same name, so that the next
    // load reads what was saved, whatever the case rules of the file system.
    const bool saveIntent =
        open || (champs && gala.SessionTitle == QLatin1String("HEATS") && gala.OneCard);
    files.Save = saveIntent ? intent : finals;
    files.Backup = BackupOf(files.Save);
    // The day's own save, or what is left of it after a stop half-way, is read back first.
    if (files.Load != files.Save &&
        (QFileInfo::exists(files.Save) || QFileInfo::exists(files.Save + Entries::NewFileSuffix) ||
         QFileInfo::exists(files.Backup)))
        files.Load = files.Save;
    // Only the day's finals.cds carries final ranks; intent.vb, as the entry window writes it,
    // never does.
    files.LoadFinalRank = finalsSession && files.Load == finals;
    files.SaveFinalRank = finalsSession && files.Save == finals;
    if (Entries::LayoutFor(gala) == Entries::EntryLayout::Swim && !finalsSession) {
        files.SwimLines = intent;
        files.SwimLinesBackup = folder.filePath(QStringLiteral("intent.BAK"));
    }
    return files;
}

LoadResult LoadRoster(MeetDb::Session &session, Core::Prompts &prompts, Roster &roster)
{
    roster.clear();
    LoadResult result;
    if (session.Gala.MeetDbOpen) {
        try {
            result = LoadFromDatabase(session, roster);
        } catch (const MeetDb::DbError &error) {
            roster.clear();
            prompts.Message(error.Message());
            return LoadResult::Failed;
        }
    } else {
        result = LoadFromFile(session, prompts, roster);
        if (result == LoadResult::Failed)
            roster.clear();
    }
    if (result == LoadResult::Empty)
        prompts.Message(NoSwimsMessage);
    return result;
}

bool SaveRoster(MeetDb::Session &session, const Roster &roster, Core::Prompts &prompts)
{
    if (!session.Gala.MeetDbOpen)
        return SaveToFile(session, roster, prompts);
    QList<const RosterEntrant *> all;
    all.reserve(roster.size());
    for (const RosterEntrant &entrant : roster)
        all.append(&entrant);
    return WriteToDatabase(session, all, 0, prompts);
}

bool SaveRosterEntrant(MeetDb::Session &session, const RosterEntrant &entrant,
                       Core::Prompts &prompts)
{
    return WriteToDatabase(session, {&entrant}, entrant.EntrantNumber, prompts);
}

int FindEntrant(const Roster &roster, int entrantNumber)
{
    for (int i = 0; i < roster.size(); ++i) {
        if (roster.at(i).EntrantNumber == entrantNumber)
            return i;
    }
    return -1;
}

int NextEntrant(const Roster &roster, int entrantNumber)
{
    for (int i = 0; i < roster.size(); ++i) {
        if (roster.at(i).EntrantNumber > entrantNumber)
            return i;
    }
    return -1;
}

int FindEntrantByName(const Roster &roster, const QString &part)
{
    for (int i = 0; i < roster.size(); ++i) {
        if (roster.at(i).Name.contains(part, Qt::CaseSensitive))
            return i;
    }
    return -1;
}

void SortSwims(RosterEntrant &entrant)
{
    std::stable_sort(entrant.Swims.begin(), entrant.Swims.end(),
                     [](const RosterSwim &a, const RosterSwim &b) {
                         return EventValue(a.EventNumber) < EventValue(b.EventNumber);
                     });
}

int SetAllConfirmed(Roster &roster, const Core::GalaState &gala, bool confirmed)
{
    QSet<QString> events;
    for (const Core::GalaEvent &event : gala.Events)
        events.insert(event.EvNumber);
    int count = 0;
    for (RosterEntrant &entrant : roster) {
        for (RosterSwim &swim : entrant.Swims) {
            if (events.contains(swim.EventNumber)) {
                swim.Confirmed = confirmed;
                ++count;
            }
        }
    }
    return count;
}

int ConfirmEntrant(RosterEntrant &entrant)
{
    for (RosterSwim &swim : entrant.Swims)
        swim.Confirmed = true;
    return entrant.SwimCount();
}

bool ParseEntrantList(const QString &text, QList<int> &numbers, QString *error)
{
    numbers.clear();
    // More numbers than any meet has entrants are a typing slip, not a request for millions of
    // confirmations; the cap also bounds the work of a list of many wide ranges.
    constexpr qint64 mostNumbers = 100000;
    qint64 listed = 0;
    QSet<int> seen;
    for (const QString &part : text.split(u',')) {
        const QStringList ends = part.split(u'-');
        bool ok = ends.size() <= 2;
        const int first = ok ? ends.at(0).trimmed().toInt(&ok) : 0;
        int last = first;
        if (ok && ends.size() == 2)
            last = ends.at(1).trimmed().toInt(&ok);
        if (!ok || first < 1 || last < first) {
            *error = QStringLiteral("\"%1\" is not an entrant number or a range such as 7-9")
                         .arg(part.trimmed());
            return false;
        }
        listed += qint64(last) - first + 1;
        if (listed > mostNumbers) {
            *error = QStringLiteral("the list names more than %1 entrant numbers").arg(mostNumbers);
            return false;
        }
        // Counted in 64 bits: a range that ends at the largest number must not wrap round.
        for (qint64 n = first; n <= last; ++n) {
            // An entrant listed twice ("1-3,2") is still one entrant.
            if (!seen.contains(int(n))) {
                seen.insert(int(n));
                numbers.append(int(n));
            }
        }
    }
    return true;
}

int ClearReserves(Roster &roster)
{
    int count = 0;
    for (RosterEntrant &entrant : roster) {
        for (RosterSwim &swim : entrant.Swims) {
            if (swim.MeetSpecific == ReserveMark) {
                swim.MeetSpecific.clear();
                ++count;
            }
        }
    }
    return count;
}

QList<Reports::EventStatistic> EventStatistics(const Roster &roster, const Core::GalaState &gala)
{
    QList<Reports::EventStatistic> stats;
    QHash<QString, int> index;
    for (const Core::GalaEvent &event : gala.Events) {
        // An event listed twice counts once, under its first line.
        if (!index.contains(event.EvNumber))
            index.insert(event.EvNumber, int(stats.size()));
        stats.append({event.EvNumber, 0, 0, {}});
    }
    for (const RosterEntrant &entrant : roster) {
        for (const RosterSwim &swim : entrant.Swims) {
            const auto at = index.constFind(swim.EventNumber);
            if (at == index.cend())
                continue;
            Reports::EventStatistic &stat = stats[*at];
            ++stat.Entries;
            if (swim.Confirmed)
                ++stat.Confirmed;
            else
                stat.Unconfirmed.append(entrant.Name);
        }
    }
    return stats;
}

QString EntrySummaryText(const Roster &roster, const Core::GalaState &gala)
{
    int entries = 0;
    int confirmed = 0;
    for (const Reports::EventStatistic &stat : EventStatistics(roster, gala)) {
        entries += stat.Entries;
        confirmed += stat.Confirmed;
    }
    // Numbers are printed with a position for their sign: a blank before a positive one.
    auto signed_ = [](int n) {
        return n < 0 ? QString::number(n) : QLatin1Char(' ') + QString::number(n);
    };
    return QStringLiteral("Total Entries : ") + signed_(entries) +
           QStringLiteral(" | Confirmed : ") + signed_(confirmed);
}

QByteArray CheckinLogBytes(const Roster &roster, const Core::GalaState &gala)
{
    QSet<QString> events;
    for (const Core::GalaEvent &event : gala.Events)
        events.insert(event.EvNumber);
    QByteArray out;
    for (const RosterEntrant &entrant : roster) {
        QByteArray swims;
        for (const RosterSwim &swim : entrant.Swims) {
            if (!events.contains(swim.EventNumber))
                continue;
            swims += swim.EventNumber.toUtf8();
            if (swim.FinalRank > gala.Lanes)
                swims += "(R)";
            swims += ',';
        }
        if (swims.isEmpty())
            continue;
        out += QByteArray::number(entrant.EntrantNumber) + ',' + entrant.Name.toUtf8() + ',' +
               entrant.Sex.toUtf8() + ',' + swims + LineEnd;
    }
    return out;
}

QString EventDescription(const Core::GalaState &gala, const QString &evNumber)
{
    const int index = gala.FindEvent(evNumber);
    if (index < 0)
        return {};
    const Core::GalaEvent &event = gala.Events.at(index);
    static const QHash<QString, QString> names{
        {QStringLiteral("FS"), QStringLiteral(" Freestyle")},
        {QStringLiteral("FSS"), QStringLiteral(" Freestyle")},
        {QStringLiteral("BR"), QStringLiteral(" Breaststroke")},
        {QStringLiteral("BK"), QStringLiteral(" Backstroke")},
        {QStringLiteral("FLY"), QStringLiteral(" Butterfly")},
        {QStringLiteral("MED"), QStringLiteral(" Individual Medley")},
        {QStringLiteral("FSR"), QStringLiteral(" Freestyle Relay")},
        {QStringLiteral("MEDR"), QStringLiteral(" Medley Relay")},
        {QStringLiteral("BRR"), QStringLiteral(" Breaststroke Relay")},
    };
    return event.EvDistance + QLatin1Char('m') + names.value(event.EvStroke);
}

} // namespace MeetDay
