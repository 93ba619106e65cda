#include <benchmark/benchmark.h>

#include <QDir>
#include <QSqlQuery>
#include <QString>
#include <QTemporaryDir>

#include "core/captureprompts.h"
#include "meetday/heats.h"
#include "meetday/roster.h"
#include "meetday/seeding.h"
#include "meetdb/database.h"
#include "meetdb/schema.h"
#include "meetdb/session.h"

/*
 * "Make Heats" over a large open meet: 200 events, 5,000 confirmed swims (25 to an event, some
 * without a time), every tenth pair of events swum together. Targets: the whole command with
 * its database write-back under 200 ms, the seeding alone under 20 ms.
 */
namespace {

constexpr int EventCount = 200;
constexpr int SwimsPerEvent = 25;
const QString Code = QStringLiteral("BENCH");

struct HeatsMeet
{
    QTemporaryDir dir;
    QString path = QDir(dir.path()).filePath(QStringLiteral("natamar.mdb"));
    MeetDb::Session session;
    Core::CapturePrompts prompts;
    MeetDay::Roster roster;

    HeatsMeet()
    {
        MeetDb::CreateMeetDatabase(path);
        session.MeetDb.Open(path);
        Core::GalaState &gala = session.Gala;
        gala.GalaType = Core::GalaOpen;
        gala.Lanes = 6;
        gala.MeetCode = Code;
        gala.MeetDbOpen = gala.UseMeetDb = true;
        gala.DbVersion = 1.0f;
        for (int e = 1; e <= EventCount; ++e) {
            Core::GalaEvent event;
            event.EvNumber = event.EvPrintNumber = QString::number(e);
            event.EvSelected = true;
            gala.Events << event;
            if (e % 20 == 0)
                gala.Combinations << QStringList{QString::number(e - 1), QString::number(e)};
        }

        MeetDb::Database &db = session.MeetDb;
        MeetDb::Transaction transaction(db);
        db.Exec(QStringLiteral("INSERT INTO \"Meet Table\" (\"Meet code\", \"Meet Name\") "
                               "VALUES (:code, 'Bench')"),
                {{QStringLiteral("code"), Code}});
        QSqlQuery entrant(db.Connection());
        entrant.prepare(QStringLiteral(
            "INSERT INTO \"Entrant Table\" (\"Meet code\", \"Entrant Number\", \"Swimmer Name\", "
            "\"club\", \"age\", \"Sex\") VALUES (?, ?, ?, 'ASHB', '01/02/10', 'F')"));
        QSqlQuery swim(db.Connection());
        swim.prepare(QStringLiteral(
            "INSERT INTO \"Swim Table\" (\"Meet code\", \"Entrant Number\", \"Event number\", "
            "\"Entry Time\", \"Confirmed\") VALUES (?, ?, ?, ?, 1)"));
        // Entrant n swims SwimsPerEvent events so that each event has SwimsPerEvent swims.
        const int entrants = EventCount * SwimsPerEvent / 5;
        for (int n = 1; n <= entrants; ++n) {
            MeetDay::RosterEntrant e;
            e.EntrantNumber = n;
            e.Name = QStringLiteral("Swimmer %1").arg(n);
            e.Club = QStringLiteral("ASHB");
            e.Age = QStringLiteral("01/02/10");
            entrant.addBindValue(Code);
            entrant.addBindValue(n);
            entrant.addBindValue(e.Name);
            entrant.exec();
            for (int k = 0; k < 5; ++k) {
                const QString event = QString::number((n + k * 40) % EventCount + 1);
                const QString time = n % 7 == 0 ? QStringLiteral("9:99.99")
                                                : QStringLiteral("%1.%2")
                                                      .arg(30 + n % 30)
                                                      .arg(n % 100, 2, 10, QLatin1Char('0'));
                swim.addBindValue(Code);
                swim.addBindValue(n);
                swim.addBindValue(event);
                swim.addBindValue(time);
                swim.exec();
                e.Swims.append({event, time, true, 0, {}, {}});
            }
            roster.append(e);
        }
        transaction.Commit();
    }
};

void BM_SeedAllEvents(benchmark::State &state)
{
    HeatsMeet meet;
    const QStringList events = MeetDay::SelectedPoolEvents(meet.session.Gala);
    for (auto _ : state) {
        int placed = 0;
        for (const QString &event : events)
            placed +=
                int(MeetDay::SeedPoolEvent(meet.roster, meet.session.Gala, event, {true, false})
                        .Heats.size());
        benchmark::DoNotOptimize(placed);
    }
}
BENCHMARK(BM_SeedAllEvents)->Unit(benchmark::kMillisecond);

void BM_MakeHeatsWithWriteBack(benchmark::State &state)
{
    HeatsMeet meet;
    for (auto _ : state) {
        QList<MeetDay::SeededEvent> seeded;
        const bool made =
            MeetDay::MakeHeats(meet.session, meet.roster, {false, true}, meet.prompts, seeded);
        if (!made)
            state.SkipWithError("Make Heats wrote nothing");
        benchmark::DoNotOptimize(seeded);
    }
}
BENCHMARK(BM_MakeHeatsWithWriteBack)->Unit(benchmark::kMillisecond);

} // namespace
