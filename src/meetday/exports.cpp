#include "meetday/exports.h"

#include "core/galastate.h"
#include "core/prompts.h"
#include "meetday/programmenumbers.h"
#include "meetdb/database.h"
#include "meetdb/session.h"

namespace MeetDay {

bool AskAssignNumbers(MeetDb::Session &session, Core::Prompts &prompts)
{
    const Core::GalaState &gala = session.Gala;
    if (!gala.MeetDbOpen || !gala.Renumber || !ProgrammeNumbersExist(session.MeetDb, gala.MeetCode))
        return true;
    return prompts.AskYesNo(RenumberQuestion);
}

std::optional<QList<int>> ExportPoolEvents(MeetDb::Session &session, const Roster &roster,
                                           const QStringList &events, const SeedOptions &options,
                                           bool assignNumbers, Core::Prompts &prompts)
{
    const bool useDb = session.Gala.UseMeetDb && session.Gala.MeetDbOpen;
    QList<int> counts;
    QStringList messages;
    try {
        std::optional<MeetDb::Transaction> transaction;
        if (useDb)
            transaction.emplace(session.MeetDb);
        for (const QString &event : events) {
            SeededEvent seeded;
            counts << MakeProgrammeEvent(session, roster, event, options.OnlyConfirmed,
                                         assignNumbers, prompts, &seeded, options.ProgramCreation);
            if (seeded.Refused)
                messages << seeded.Messages;
        }
        if (transaction)
            transaction->Commit();
    } catch (const MeetDb::DbError &error) {
        prompts.Message(error.Message() + QStringLiteral("\nNothing was exported."));
        return std::nullopt;
    }
    for (const QString &message : std::as_const(messages))
        prompts.Message(message);
    return counts;
}

} // namespace MeetDay
