#include "entrydeletion.h"

#include <algorithm>

#include <QDir>
#include <QFile>
#include <QSaveFile>

#include "core/galastate.h"
#include "core/prompts.h"
#include "core/textutil.h"
#include "entries/entryfiles.h"
#include "meetdb/database.h"
#include "meetdb/schema.h"

namespace Entries {

namespace {

// The bytes of a record as they stand in the file, ending in a line end even when the file's
// last line had none, so that what follows starts on a line of its own.
void CopyRecord(QByteArray &out, const QByteArray &data, qsizetype begin, qsizetype end)
{
    out.append(data.constData() + begin, end - begin);
    if (!out.endsWith('\n') && !out.endsWith('\r'))
        out.append("\r\n");
}

bool WriteWhole(const QString &path, const QByteArray &bytes, QString *error)
{
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.commit()) {
        if (error)
            *error = QStringLiteral("Cannot write %1: %2").arg(path, file.errorString());
        return false;
    }
    return true;
}

// Replaces intent.vb by `bytes`: an older intent.tmp is deleted, intent.vb renamed to
// intent.tmp, and the new intent.vb written. When the new file cannot be written the old one
// is renamed back.
bool ReplaceThroughScratch(const QString &dir, const QByteArray &bytes, QString *error)
{
    const QString entries = QDir(dir).filePath(EntryFileName);
    const QString scratch = QDir(dir).filePath(ScratchFileName);
    if (QFile::exists(scratch) && !QFile::remove(scratch)) {
        if (error)
            *error = QStringLiteral("Cannot delete %1").arg(scratch);
        return false;
    }
    if (!QFile::rename(entries, scratch)) {
        if (error)
            *error = QStringLiteral("Cannot rename %1 to %2").arg(entries, scratch);
        return false;
    }
    if (!WriteWhole(entries, bytes, error)) {
        QFile::rename(scratch, entries);
        return false;
    }
    return true;
}

// Says "Entrant Not Found" when there is no entrant, lets the operator pick one of several, and
// asks for the deletion, "No" being the default. Deleted means: go on with `target`.
DeleteResult ChooseTarget(const QList<DeletionTarget> &found, const QString &fullName,
                          Core::Prompts &prompts, DeletionTarget &target)
{
    if (found.isEmpty()) {
        prompts.Message(QStringLiteral("Entrant Not Found"));
        return DeleteResult::NotFound;
    }
    // The name as typed: a member gala's records hold it surname first.
    const auto describe = [&fullName](const DeletionTarget &t) {
        if (t.Number > 0)
            return QStringLiteral("entrant %1 %2").arg(t.Number).arg(fullName);
        return QStringLiteral("%1 (%2 swims)").arg(fullName).arg(t.Swims);
    };
    target = found.first();
    if (found.size() > 1) {
        QStringList lines;
        for (const DeletionTarget &t : found) {
            QStringList parts{QString::number(t.Number), t.Name};
            for (const QString &detail : {t.Club, t.Age})
                if (!detail.isEmpty())
                    parts << detail;
            lines << parts.join(QStringLiteral("  "));
        }
        const int pick =
            prompts.PickFromList(QStringLiteral("%1 entrants are named %2: which is to be deleted?")
                                     .arg(found.size())
                                     .arg(fullName),
                                 lines);
        if (pick < 1 || pick > found.size())
            return DeleteResult::Cancelled;
        target = found.at(pick - 1);
    }
    if (!prompts.AskYesNo(QStringLiteral("Confirm delete entries for ") + describe(target), true))
        return DeleteResult::Cancelled;
    return DeleteResult::Deleted;
}

// The file steps of the command, on the closed files of the store.
DeleteResult DeleteFromFiles(EntryLayout layout, const QString &dir, const QString &fullName,
                             Core::Prompts &prompts)
{
    const QString path = QDir(dir).filePath(EntryFileName);
    QByteArray data;
    QString error;
    QList<DeletionTarget> found;
    bool read = ReadWhole(path, data, &error);
    if (read && layout == EntryLayout::Swim) {
        QList<SwimLine> lines;
        read = ParseSwimLines(data, path, lines, &error);
        const QString key = Core::SurnameFirst(fullName);
        const qsizetype swims = std::count_if(
            lines.cbegin(), lines.cend(), [&key](const SwimLine &l) { return l.MemberKey == key; });
        if (swims > 0)
            found << DeletionTarget{0, fullName, QString(), QString(), int(swims)};
    } else if (read) {
        QList<EntrantBlock> blocks;
        read = ParseEntrantBlocks(data, path, false, blocks, &error);
        for (const EntrantBlock &block : blocks)
            if (block.Name == fullName)
                found << DeletionTarget{block.Number, block.Name, block.Club, block.Age,
                                        int(block.Swims.size())};
    }
    if (!read) {
        prompts.Message(error);
        return DeleteResult::Failed;
    }

    DeletionTarget target;
    const DeleteResult chosen = ChooseTarget(found, fullName, prompts, target);
    if (chosen != DeleteResult::Deleted)
        return chosen;
    const int removed = layout == EntryLayout::Swim
                            ? DeleteSwimLines(dir, Core::SurnameFirst(fullName), prompts, &error)
                            : DeleteEntrantBlocks(dir, fullName, target.Number, prompts, &error);
    if (removed < 0) {
        prompts.Message(error);
        return DeleteResult::Failed;
    }
    return DeleteResult::Deleted;
}

} // namespace

QString DeletionName(const Core::GalaState &gala, const QString &fullName)
{
    if (Core::IsOpenGala(gala.GalaType))
        return fullName;
    return Core::SurnameFirst(fullName);
}

QList<DeletionTarget> FindInMeetDb(MeetDb::Database &db, const Core::GalaState &gala,
                                   const QString &fullName)
{
    MeetDb::Database::SavedQuery byName = db.OpenQuery(QStringLiteral("Single Entrant by Name"));
    byName.SetParameter(MeetDb::ParamMeetCode, gala.MeetCode);
    byName.SetParameter(MeetDb::ParamSwimmerName, DeletionName(gala, fullName));
    std::unique_ptr<MeetDb::RecordSet> entrants = byName.Open();
    QList<DeletionTarget> found;
    for (entrants->MoveFirst(); !entrants->Eof(); entrants->MoveNext())
        found << DeletionTarget{entrants->Int(QStringLiteral("Entrant Number")),
                                entrants->Text(QStringLiteral("Swimmer Name")),
                                entrants->Text(QStringLiteral("club")),
                                entrants->Text(QStringLiteral("age")), 0};
    return found;
}

int DeleteFromMeetDb(MeetDb::Database &db, const Core::GalaState &gala, int number,
                     Core::Prompts &prompts)
{
    MeetDb::Transaction transaction(db);

    MeetDb::Database::SavedQuery entrant = db.OpenQuery(QStringLiteral("Single Entrant Details"));
    entrant.SetParameter(MeetDb::ParamMeetCode, gala.MeetCode);
    entrant.SetParameter(MeetDb::ParamEntrantNumber, number);
    std::unique_ptr<MeetDb::RecordSet> entrants = entrant.Open();
    for (entrants->MoveFirst(); !entrants->Eof(); entrants->MoveNext())
        entrants->Delete();

    MeetDb::Database::SavedQuery events = db.OpenQuery(QStringLiteral("Events for 1 Entrant"));
    events.SetParameter(MeetDb::ParamMeetCode, gala.MeetCode);
    events.SetParameter(MeetDb::ParamEntrantNumber, number);
    std::unique_ptr<MeetDb::RecordSet> swims = events.Open();
    const int count = swims->RecordCount();
    if (count > 0) {
        prompts.Message(QStringLiteral("Deleting entries for  %1 swims").arg(count));
        for (swims->MoveFirst(); !swims->Eof(); swims->MoveNext())
            swims->Delete();
    }
    transaction.Commit();
    return count;
}

int DeleteSwimLines(const QString &dir, const QString &memberKey, Core::Prompts &prompts,
                    QString *error)
{
    const QString path = QDir(dir).filePath(EntryFileName);
    QByteArray data;
    QList<SwimLine> lines;
    if (!ReadWhole(path, data, error) || !ParseSwimLines(data, path, lines, error))
        return -1;

    QByteArray kept;
    kept.reserve(data.size());
    int removed = 0;
    for (const SwimLine &line : lines) {
        if (line.MemberKey == memberKey) {
            prompts.Message(QStringLiteral("Deleting One Record"));
            ++removed;
        } else {
            CopyRecord(kept, data, line.Begin, line.End);
        }
    }
    return ReplaceThroughScratch(dir, kept, error) ? removed : -1;
}

int DeleteEntrantBlocks(const QString &dir, const QString &name, int number, Core::Prompts &prompts,
                        QString *error)
{
    const QString entriesPath = QDir(dir).filePath(EntryFileName);
    const QString cardsPath = QDir(dir).filePath(CardFileName);
    QByteArray entries;
    QByteArray cards;
    QList<EntrantBlock> entryBlocks;
    QList<EntrantBlock> cardBlocks;
    if (!ReadWhole(entriesPath, entries, error) ||
        !ParseEntrantBlocks(entries, entriesPath, false, entryBlocks, error))
        return -1;
    // intent.cds is only a copy: a missing one is left missing.
    const bool haveCards = QFile::exists(cardsPath);
    if (haveCards && (!ReadWhole(cardsPath, cards, error) ||
                      !ParseEntrantBlocks(cards, cardsPath, false, cardBlocks, error)))
        return -1;

    QByteArray keptEntries;
    keptEntries.reserve(entries.size());
    const auto chosen = [&](const EntrantBlock &block) {
        return block.Name == name && block.Number == number;
    };
    int removed = 0;
    for (const EntrantBlock &block : entryBlocks) {
        if (chosen(block)) {
            prompts.Message(QStringLiteral("Deleting entrant %1").arg(block.Number));
            ++removed;
        } else {
            CopyRecord(keptEntries, entries, block.Begin, block.End);
        }
    }
    QByteArray keptCards;
    keptCards.reserve(cards.size());
    for (const EntrantBlock &block : cardBlocks) {
        if (!chosen(block))
            CopyRecord(keptCards, cards, block.Begin, block.End);
    }
    if (!ReplaceThroughScratch(dir, keptEntries, error))
        return -1;
    if (haveCards && !WriteWhole(cardsPath, keptCards, error)) {
        // Put intent.vb back as it was, so the two files still agree.
        QFile::remove(entriesPath);
        QFile::rename(QDir(dir).filePath(ScratchFileName), entriesPath);
        return -1;
    }
    return removed;
}

DeleteResult DeleteEntries(const Core::GalaState &gala, MeetDb::Database *meetDb, EntryFiles *store,
                           const QString &fullName, Core::Prompts &prompts)
{
    if (meetDb) {
        try {
            DeletionTarget target;
            const DeleteResult chosen =
                ChooseTarget(FindInMeetDb(*meetDb, gala, fullName), fullName, prompts, target);
            if (chosen != DeleteResult::Deleted)
                return chosen;
            DeleteFromMeetDb(*meetDb, gala, target.Number, prompts);
            return DeleteResult::Deleted;
        } catch (const MeetDb::DbError &e) {
            prompts.Message(e.Message());
            return DeleteResult::Failed;
        }
    }

    if (!store || !store->IsOpen()) {
        prompts.Message(QStringLiteral("The entry files are not open"));
        return DeleteResult::Failed;
    }
    if (gala.GalaType == Core::GalaMasters) {
        prompts.Message(QStringLiteral("Can't do this for masters entries .. sorry!"));
        return DeleteResult::Refused;
    }

    store->SuspendFiles();
    const DeleteResult result = DeleteFromFiles(store->Layout(), store->Dir(), fullName, prompts);
    QString resumeError;
    if (!store->ResumeFiles(&resumeError)) {
        prompts.Message(resumeError);
        return DeleteResult::Failed;
    }
    return result;
}

} // namespace Entries
