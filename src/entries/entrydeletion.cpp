#include "entrydeletion.h"

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

} // namespace

QString DeletionName(const Core::GalaState &gala, const QString &fullName)
{
    if (Core::IsOpenGala(gala.GalaType))
        return fullName;
    return Core::SurnameFirst(fullName);
}

int DeleteFromMeetDb(MeetDb::Database &db, const Core::GalaState &gala, const QString &fullName,
                     Core::Prompts &prompts)
{
    MeetDb::Transaction transaction(db);

    MeetDb::Database::SavedQuery byName = db.OpenQuery(QStringLiteral("Single Entrant by Name"));
    byName.SetParameter(MeetDb::ParamMeetCode, gala.MeetCode);
    byName.SetParameter(MeetDb::ParamSwimmerName, DeletionName(gala, fullName));
    std::unique_ptr<MeetDb::RecordSet> entrants = byName.Open();
    if (entrants->RecordCount() == 0) {
        prompts.Message(QStringLiteral("Entrant Not Found"));
        return -1;
    }
    // Only the first record goes, even when several entrants share the name.
    entrants->MoveFirst();
    const int number = entrants->Int(QStringLiteral("Entrant Number"));
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

int DeleteEntrantBlocks(const QString &dir, const QString &name, Core::Prompts &prompts,
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
    int removed = 0;
    for (const EntrantBlock &block : entryBlocks) {
        if (block.Name == name) {
            prompts.Message(QStringLiteral("Deleting entrant %1").arg(block.Number));
            ++removed;
        } else {
            CopyRecord(keptEntries, entries, block.Begin, block.End);
        }
    }
    QByteArray keptCards;
    keptCards.reserve(cards.size());
    for (const EntrantBlock &block : cardBlocks) {
        if (block.Name != name)
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
    if (!prompts.AskYesNo(QStringLiteral("Confirm delete entries for ") + fullName))
        return DeleteResult::Cancelled;

    if (meetDb) {
        try {
            return DeleteFromMeetDb(*meetDb, gala, fullName, prompts) < 0 ? DeleteResult::NotFound
                                                                          : DeleteResult::Deleted;
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
    QString error;
    const int removed =
        store->Layout() == EntryLayout::Swim
            ? DeleteSwimLines(store->Dir(), Core::SurnameFirst(fullName), prompts, &error)
            : DeleteEntrantBlocks(store->Dir(), fullName, prompts, &error);
    if (removed < 0)
        prompts.Message(error);
    QString resumeError;
    if (!store->ResumeFiles(&resumeError)) {
        prompts.Message(resumeError);
        return DeleteResult::Failed;
    }
    if (removed < 0)
        return DeleteResult::Failed;
    return removed == 0 ? DeleteResult::NotFound : DeleteResult::Deleted;
}

} // namespace Entries
