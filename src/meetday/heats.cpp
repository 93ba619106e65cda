#include "meetday/heats.h"

#include <algorithm>
#include <memory>
#include <tuple>

#include <QDir>
#include <QFile>
#include <QHash>
#include <QSaveFile>
#include <QSqlQuery>

#include "core/galastate.h"
#include "core/prompts.h"
#include "meetday/heatworkfiles.h"
#include "meetdb/database.h"
#include "meetdb/schema.h"
#include "meetdb/session.h"

namespace MeetDay {

namespace {

const QString SwimsForMeetQuery = QStringLiteral("Swims for 1 Meet");

using SwimKey = QPair<int, QString>; // entrant number, event number

/*
 * The statements of the write-back, prepared once per run and bound per swim. The swims to write
 * are read once per run through the saved query "Swims for 1 Meet" and taken event by event, in
 * the order of "Entrant Number" within each event, as "Entrants for 1 Event" gives them; each is
 * written by row id, seed, heat and lane together. Asking "Entrants for 1 Event" once per event
 * instead costs a walk through every swim of the meet each time (its order by entrant number
 * leads SQLite to the meet's whole primary key rather than the event's index): a meet of 200
 * events and 5,000 swims took five times as long as the writing itself.
 */
class HeatWriter
{
public:
    HeatWriter(MeetDb::Database &db, const QString &meetCode)
        : m_db(db)
    {
        MeetDb::Database::SavedQuery swims = db.OpenQuery(SwimsForMeetQuery);
        swims.SetParameter(MeetDb::ParamMeetCode, meetCode);
        std::unique_ptr<MeetDb::RecordSet> rows = swims.Open();
        for (rows->MoveFirst(); !rows->Eof(); rows->MoveNext())
            m_swimsOf[rows->Text(QStringLiteral("Event number"))].append(
                {rows->RowId(), rows->Int(QStringLiteral("Entrant Number")),
                 Text(rows->Text(QStringLiteral("Entry Time")))});
        for (QList<StoredSwim> &event : m_swimsOf)
            std::stable_sort(event.begin(), event.end(),
                             [](const StoredSwim &a, const StoredSwim &b) {
                                 return a.EntrantNumber < b.EntrantNumber;
                             });
        Prepare(m_clear, QStringLiteral("UPDATE \"Swim Table\" SET \"Heat No\" = '', "
                                        "\"Lane No\" = 0, \"Seed Order\" = 0 WHERE rowid = ?"));
        Prepare(m_seed, QStringLiteral("UPDATE \"Swim Table\" SET \"Seed Order\" = ?, "
                                       "\"Combined With\" = ?, \"Time\" = ?, \"DNS\" = 0, "
                                       "\"Notes\" = '', \"Points\" = 0, \"Heat No\" = ?, "
                                       "\"Lane No\" = ? WHERE rowid = ?"));
        // A final keeps the heat results it was seeded from: only its places are written.
        Prepare(m_final, QStringLiteral("UPDATE \"Swim Table\" SET \"Seed Order\" = ?, "
                                        "\"Heat No\" = ?, \"Lane No\" = ? WHERE rowid = ?"));
    }

    // An event refused by the seeding has an empty list, so its old heats are cleared as well:
    // heats left from an earlier run would look like the current ones.
    void Write(const SeededEvent &seeded)
    {
        // A final refused for want of heat results leaves the event as it was.
        if (seeded.NoHeatResults)
            return;
        // Seeds and lanes by swim; the first of a swim listed twice counts.
        QHash<SwimKey, int> seedOf;
        QHash<SwimKey, const HeatListRow *> placed;
        const bool isFinal = !seeded.WritesSeeds && !seeded.List.isEmpty();
        if (seeded.WritesSeeds || isFinal) {
            for (qsizetype k = 0; k < seeded.List.size(); ++k)
                seedOf.insert({seeded.List.at(k).EntrantNumber, seeded.List.at(k).Event},
                              int(k + 1));
            for (const HeatListRow &row : seeded.Heats) {
                const SwimKey key{row.Swim.EntrantNumber, row.Swim.Event};
                if (row.HeatOf > 0 && !placed.contains(key))
                    placed.insert(key, &row);
            }
        }
        const bool seeds = (seeded.WritesSeeds || isFinal) && !seeded.List.isEmpty();
        for (const QString &event : seeded.Events) {
            for (const StoredSwim &swim : m_swimsOf.value(event)) {
                if (!seeds) {
                    Run(m_clear, {swim.RowId});
                    continue;
                }
                const SwimKey key{swim.EntrantNumber, event};
                const HeatListRow *lane = placed.value(key);
                if (isFinal) {
                    Run(m_final, {seedOf.value(key, 0),
                                  lane ? QVariant(lane->HeatOf) : QVariant(QStringLiteral("")),
                                  lane ? lane->LaneOf : 0, swim.RowId});
                    continue;
                }
                Run(m_seed, {seedOf.value(key, 0), seeded.PoolEvent, swim.EntryTime,
                             lane ? QVariant(lane->HeatOf) : QVariant(QStringLiteral("")),
                             lane ? lane->LaneOf : 0, swim.RowId});
            }
        }
    }

private:
    struct StoredSwim
    {
        qint64 RowId = 0;
        int EntrantNumber = 0;
        QVariant EntryTime;
    };

    static QVariant Text(const QString &text)
    {
        return text.isNull() ? QVariant(QStringLiteral("")) : QVariant(text);
    }

    void Prepare(QSqlQuery &query, const QString &sql)
    {
        MeetDb::PrepareBulk(m_db, query, sql, QStringLiteral("Cannot write the heats to"));
    }

    void Run(QSqlQuery &query, const QVariantList &values)
    {
        MeetDb::RunBulk(m_db, query, values, QStringLiteral("Cannot write the heats to"));
    }

    MeetDb::Database &m_db;
    QHash<QString, QList<StoredSwim>> m_swimsOf; // by event number
    QSqlQuery m_clear, m_seed, m_final;
};

bool WriteFinalsFile(const Core::GalaState &gala, const QString &programDir,
                     const SeededEvent &seeded, bool programCreation, QString *error)
{
    // The event number comes from the meet database; it must not lead the file elsewhere.
    for (QChar c : seeded.PoolEvent) {
        if (!c.isLetterOrNumber()) {
            *error = QStringLiteral("No finals file for event %1: the event number cannot be "
                                    "part of a file name")
                         .arg(seeded.PoolEvent);
            return false;
        }
    }
    const QString dir = gala.WorkDir.isEmpty() ? programDir : gala.WorkDir;
    const QString path = QDir(dir).filePath(FinalsFileName(seeded.PoolEvent));
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) ||
        file.write(FinalsFileBytes(seeded, gala.Lanes, programCreation)) < 0 || !file.commit()) {
        *error = QStringLiteral("Cannot write the finals file %1: %2")
                     .arg(QDir::toNativeSeparators(path), file.errorString());
        return false;
    }
    return true;
}

} // namespace

QStringList SelectedPoolEvents(const Core::GalaState &gala)
{
    QStringList events;
    for (const Core::GalaEvent &event : gala.Events) {
        if (event.EvSelected && CombinedLeadOf(gala, event.EvNumber).isEmpty())
            events << event.EvNumber;
    }
    return events;
}

QList<HeatLine> StoredHeatLines(MeetDb::Session &session, const Roster &roster, int *outsidePool)
{
    if (outsidePool)
        *outsidePool = 0;
    const Core::GalaState &gala = session.Gala;
    QHash<int, const RosterEntrant *> entrants;
    for (const RosterEntrant &entrant : roster)
        entrants.insert(entrant.EntrantNumber, &entrant);

    struct Placed
    {
        int EventIndex; // the pool event's place in the event list; events not in it go last
        QString PoolEvent;
        HeatLine Line;
    };
    QList<Placed> placed;
    MeetDb::Database::SavedQuery query = session.MeetDb.OpenQuery(SwimsForMeetQuery);
    query.SetParameter(MeetDb::ParamMeetCode, gala.MeetCode);
    std::unique_ptr<MeetDb::RecordSet> rows = query.Open();
    for (rows->MoveFirst(); !rows->Eof(); rows->MoveNext()) {
        const int heat = rows->Int(QStringLiteral("Heat No"));
        const int lane = rows->Int(QStringLiteral("Lane No"));
        if (heat <= 0 || lane <= 0)
            continue;
        if (lane > gala.Lanes) {
            if (outsidePool)
                ++*outsidePool;
            continue;
        }
        HeatLine line;
        line.Event = rows->Text(QStringLiteral("Event number"));
        line.Heat = heat;
        line.Lane = lane;
        line.EntrantNumber = rows->Int(QStringLiteral("Entrant Number"));
        if (const RosterEntrant *entrant = entrants.value(line.EntrantNumber)) {
            line.Name = entrant->Name;
            line.Club = entrant->Club;
            line.Age = entrant->Age;
        }
        line.EntryTime = rows->Text(QStringLiteral("Time"));
        if (line.EntryTime.isEmpty())
            line.EntryTime = rows->Text(QStringLiteral("Entry Time"));
        line.PoolEvent = rows->Text(QStringLiteral("Combined With"));
        if (line.PoolEvent.isEmpty())
            line.PoolEvent = line.Event;
        const int index = gala.FindEvent(line.PoolEvent);
        placed.append({index < 0 ? int(gala.Events.size()) : index, line.PoolEvent, line});
    }
    std::stable_sort(placed.begin(), placed.end(), [](const Placed &a, const Placed &b) {
        return std::tie(a.EventIndex, a.PoolEvent, a.Line.Heat, a.Line.Lane) <
               std::tie(b.EventIndex, b.PoolEvent, b.Line.Heat, b.Line.Lane);
    });
    QList<HeatLine> lines;
    lines.reserve(placed.size());
    for (const Placed &one : std::as_const(placed))
        lines.append(one.Line);
    return lines;
}

QList<HeatLine> WorkFileHeatLines(const Core::GalaState &gala, const QString &dir)
{
    // The lanes are placed afresh from each file: only in a pool the placement is made for.
    if (gala.Lanes < MinPoolLanes || gala.Lanes > MaxPoolLanes)
        return {};
    QList<SeededEvent> events;
    for (const Core::GalaEvent &event : gala.Events) {
        if (!CombinedLeadOf(gala, event.EvNumber).isEmpty() || !SafeEventFileName(event.EvNumber))
            continue;
        SeededEvent seeded;
        seeded.PoolEvent = event.EvNumber;
        seeded.Events = PoolEventMembers(gala, event.EvNumber);
        const QString path =
            QDir(dir).filePath(HeatWorkFileName(event.EvNumber, seeded.Events.size() > 1));
        QList<WorkFileSwim> swims;
        QString error;
        // A list longer than any event is seeded with is not a work file of this meet; masters
        // heats sort it again, which would take long.
        if (!QFile::exists(path) ||
            !ReadHeatWorkFile(path, gala.GalaType == Core::GalaGraded, swims, &error) ||
            swims.size() > MaxEventList)
            continue;
        for (const WorkFileSwim &swim : std::as_const(swims)) {
            if (swim.ToSwim)
                seeded.List.append({swim.Event,
                                    swim.Number.toInt(),
                                    swim.Name,
                                    swim.Club,
                                    swim.Age,
                                    swim.Time,
                                    0,
                                    {}});
        }
        AllocateHeats(seeded, gala);
        events.append(std::move(seeded));
    }
    return HeatLines(events);
}

void WriteSeededEvents(MeetDb::Database &db, const QString &meetCode,
                       const QList<SeededEvent> &events)
{
    MeetDb::Transaction transaction(db);
    HeatWriter writer(db, meetCode);
    for (const SeededEvent &seeded : events)
        writer.Write(seeded);
    transaction.Commit();
}

bool MakeHeats(MeetDb::Session &session, const Roster &roster, const MakeHeatsOptions &options,
               Core::Prompts &prompts, QList<SeededEvent> &seeded)
{
    seeded.clear();
    const Core::GalaState &gala = session.Gala;
    const QStringList poolEvents = SelectedPoolEvents(gala);
    if (gala.Lanes < MinPoolLanes || gala.Lanes > MaxPoolLanes) {
        prompts.Message(QStringLiteral("Heats need a pool of %1 to %2 lanes; this meet has %3")
                            .arg(MinPoolLanes)
                            .arg(MaxPoolLanes)
                            .arg(gala.Lanes));
        return false;
    }

    seeded.reserve(poolEvents.size());
    const SeedOptions seedOptions{options.OnlyConfirmed, options.ProgramCreation, options.Method};
    for (const QString &event : poolEvents)
        seeded.append(SeedPoolEvent(roster, gala, event, seedOptions));

    // A gala kept in entry files has no database to hold heats and lanes: they are shown, and
    // its programme run writes them to the heat work files.
    try {
        if (gala.UseMeetDb && gala.MeetDbOpen)
            WriteSeededEvents(session.MeetDb, gala.MeetCode, seeded);
    } catch (const MeetDb::DbError &error) {
        prompts.Message(error.Message() + QStringLiteral("\nNo heats were written."));
        seeded.clear();
        return false;
    }

    QStringList noHeatResults;
    for (const SeededEvent &event : std::as_const(seeded))
        if (event.NoHeatResults)
            noHeatResults << event.PoolEvent;
    if (!noHeatResults.isEmpty())
        prompts.Message(NoHeatResultsMessage(noHeatResults));
    // The events with nothing to seed are named together at the end, not one box each.
    QStringList empty;
    for (const SeededEvent &event : std::as_const(seeded)) {
        if (!event.WritesSeeds && !event.Refused) {
            QString error;
            if (!WriteFinalsFile(gala, session.ProgramDir, event, options.ProgramCreation, &error))
                prompts.Message(error);
        }
        for (const QString &message : event.Messages)
            prompts.Message(message);
        if (event.List.isEmpty() && !event.Refused)
            empty << event.PoolEvent;
    }
    if (!empty.isEmpty())
        prompts.Message(NoEntriesForEventsMessage(empty));
    if (!seeded.isEmpty() && std::all_of(seeded.cbegin(), seeded.cend(),
                                         [](const SeededEvent &event) { return event.Refused; })) {
        seeded.clear();
        return false;
    }
    return true;
}

QString NoHeatResultsMessage(const QStringList &events)
{
    return (events.size() == 1 ? QStringLiteral("No heat results for event ") + events.first()
                               : QStringLiteral("No heat results for events ") +
                                     events.join(QStringLiteral(", "))) +
           QStringLiteral(": import the results first");
}

QByteArray FinalsFileBytes(const SeededEvent &seeded, int lanes, bool programCreation)
{
    int n = programCreation ? lanes + 2 : lanes;
    if (seeded.List.size() <= n)
        n = int(seeded.List.size());
    QByteArray out = QByteArray::number(n) + "\r\n";
    for (int k = n; k >= 1; --k) {
        const EventListRow &row = seeded.List.at(k - 1);
        out += QuotedField(QString::number(row.EntrantNumber)) + ',' + QuotedField(row.Event) +
               ',' + QuotedField(row.Name) + ',' + QuotedField(row.Age) + ',' +
               QuotedField(row.EntryTime) + ",-1\r\n";
    }
    return out;
}

QString FinalsFileName(const QString &event)
{
    return QStringLiteral("wk") + event + QStringLiteral("-f.vb");
}

QList<HeatLine> MeetHeatLines(MeetDb::Session &session, const Roster &roster, int *outsidePool)
{
    const Core::GalaState &gala = session.Gala;
    if (!gala.MeetDbOpen)
        return WorkFileHeatLines(gala, gala.WorkDir.isEmpty() ? session.ProgramDir : gala.WorkDir);
    return StoredHeatLines(session, roster, outsidePool);
}

} // namespace MeetDay
