#include "meetday/programmenumbers.h"

#include <memory>

#include <QDir>
#include <QHash>
#include <QSaveFile>
#include <QSqlError>
#include <QSqlQuery>

#include "core/galastate.h"
#include "core/prompts.h"
#include "meetday/heats.h"
#include "meetdb/database.h"
#include "meetdb/schema.h"
#include "meetdb/session.h"

namespace MeetDay {

namespace {

using SwimKey = QPair<int, QString>; // entrant number, event number

[[noreturn]] void Fail(MeetDb::Database &db, const QSqlQuery &query)
{
    const QSqlError error = query.lastError();
    throw MeetDb::DbError(
        QStringLiteral("Cannot write the programme to %1: %2")
            .arg(QDir::toNativeSeparators(db.Path()),
                 error.databaseText().isEmpty() ? error.text() : error.databaseText()));
}

} // namespace

bool ProgrammeNumbersExist(MeetDb::Database &db, const QString &meetCode)
{
    MeetDb::Database::SavedQuery query = db.OpenQuery(QStringLiteral("Swims for 1 Meet"));
    query.SetParameter(MeetDb::ParamMeetCode, meetCode);
    std::unique_ptr<MeetDb::RecordSet> rows = query.Open();
    for (rows->MoveFirst(); !rows->Eof(); rows->MoveNext())
        if (rows->Int(QStringLiteral("Progref")) > 0)
            return true;
    return false;
}

void WriteProgrammeEvent(MeetDb::Database &db, const QString &meetCode, const SeededEvent &seeded,
                         bool assignNumbers)
{
    const int count = int(seeded.List.size());
    QHash<SwimKey, int> placeOf;
    for (int k = count - 1; k >= 0; --k)
        placeOf.insert({seeded.List.at(k).EntrantNumber, seeded.List.at(k).Event}, k + 1);

    QSqlQuery listed(db.Connection());
    QSqlQuery left(db.Connection());
    const QString number = assignNumbers ? QStringLiteral(", \"Progref\" = :ref") : QString();
    if (!listed.prepare(QStringLiteral("UPDATE \"Swim Table\" SET \"Seed Order\" = :seed, "
                                       "\"Combined With\" = :pool, \"Time\" = :time, "
                                       "\"DNS\" = 0, \"Notes\" = '', \"Points\" = 0") +
                        number + QStringLiteral(" WHERE rowid = :row")))
        Fail(db, listed);
    if (!left.prepare(QStringLiteral("UPDATE \"Swim Table\" SET \"Seed Order\" = 0, "
                                     "\"Combined With\" = :pool, \"Time\" = :time, "
                                     "\"DNS\" = 0, \"Notes\" = '', \"Points\" = 0, "
                                     "\"Heat No\" = 0, \"Lane No\" = 0") +
                      number + QStringLiteral(" WHERE rowid = :row")))
        Fail(db, left);

    MeetDb::Database::SavedQuery entrants = db.OpenQuery(QStringLiteral("Entrants for 1 Event"));
    entrants.SetParameter(MeetDb::ParamMeetCode, meetCode);
    for (const QString &event : seeded.Events) {
        entrants.SetParameter(MeetDb::ParamEventNumber, event);
        std::unique_ptr<MeetDb::RecordSet> rows = entrants.Open();
        for (rows->MoveFirst(); !rows->Eof(); rows->MoveNext()) {
            const int place = placeOf.value({rows->Int(QStringLiteral("Entrant Number")), event});
            QSqlQuery &query = place > 0 ? listed : left;
            if (place > 0)
                query.bindValue(QStringLiteral(":seed"), place);
            query.bindValue(QStringLiteral(":pool"), seeded.PoolEvent);
            query.bindValue(QStringLiteral(":time"), rows->Text(QStringLiteral("Entry Time")));
            if (assignNumbers)
                query.bindValue(QStringLiteral(":ref"), place > 0 ? place : count + 1);
            query.bindValue(QStringLiteral(":row"), rows->RowId());
            if (!query.exec())
                Fail(db, query);
        }
    }
}

int MakeProgrammeEvent(MeetDb::Session &session, const Roster &roster, const QString &event,
                       bool onlyConfirmed, bool assignNumbers, Core::Prompts &prompts,
                       SeededEvent *seeded, bool programCreation)
{
    const Core::GalaState &gala = session.Gala;
    SeededEvent one =
        SeedPoolEvent(roster, gala, event, SeedOptions{onlyConfirmed, programCreation});
    const int count = int(one.List.size());
    if (seeded)
        *seeded = one;
    if (one.NoHeatResults)
        prompts.Message(NoHeatResultsMessage({one.PoolEvent}));
    if (one.Refused) {
        for (const QString &message : std::as_const(one.Messages))
            prompts.Message(message);
        return 0;
    }
    if (count == 0)
        return 0;
    const QString dir = gala.WorkDir.isEmpty() ? session.ProgramDir : gala.WorkDir;
    if (!one.WritesSeeds) {
        const QString path = QDir(dir).filePath(FinalsFileName(one.PoolEvent));
        QSaveFile file(path);
        if (!SafeEventFileName(one.PoolEvent) || !file.open(QIODevice::WriteOnly) ||
            file.write(FinalsFileBytes(one, gala.Lanes, programCreation)) < 0 || !file.commit()) {
            prompts.Message(QStringLiteral("Cannot write the finals file %1: %2")
                                .arg(QDir::toNativeSeparators(path), file.errorString()));
            return 0;
        }
        return count;
    }
    if (!gala.UseMeetDb || !gala.MeetDbOpen) {
        if (IsFloppyDrive(gala.WorkDir) &&
            !prompts.AskYesNo(QStringLiteral("Load disk for event ") + event +
                              QStringLiteral(" into drive ") + gala.WorkDir))
            return 0;
        QString error;
        if (!WriteHeatWorkFiles(one, gala, dir, &error)) {
            prompts.Message(error);
            return 0;
        }
        return count;
    }
    WriteProgrammeEvent(session.MeetDb, gala.MeetCode, one, assignNumbers);
    return count;
}

bool IsFloppyDrive(const QString &dir)
{
    return dir == QLatin1String("a:") || dir == QLatin1String("A:") || dir == QLatin1String("b:") ||
           dir == QLatin1String("B:");
}

} // namespace MeetDay
