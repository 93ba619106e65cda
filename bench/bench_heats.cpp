#include <chrono>
#include <ctime>
#include <vector>

#include <benchmark/benchmark.h>
#include <sqlite3.h>

#include <QDir>
#include <QFile>
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
 * its database write-back under 200 ms by each seeding method, and within twice the time plain
 * SQLite takes to write the same rows; the seeding alone under 20 ms.
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
    meet.session.Gala.Seeding = Core::SeedingMethod(state.range(0));
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
BENCHMARK(BM_SeedAllEvents)
    ->Arg(int(Core::SeedingMethod::Club))
    ->Arg(int(Core::SeedingMethod::Standard))
    ->Arg(int(Core::SeedingMethod::Circle))
    ->Unit(benchmark::kMillisecond);

using Clock = std::chrono::steady_clock;

double Seconds(Clock::time_point from)
{
    return std::chrono::duration<double>(Clock::now() - from).count();
}

// The processor time of this process: on a machine shared with other work the wall clock
// measures the others too, so both are reported.
double CpuSeconds()
{
    timespec now{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
    return double(now.tv_sec) + double(now.tv_nsec) / 1e9;
}

// One swim as "Make Heats" leaves it.
struct WrittenSwim
{
    qint64 RowId = 0;
    int Seed = 0;
    QByteArray Pool;
    QByteArray Time;
    QByteArray Heat; // "" when the swim has no heat
    int Lane = 0;
};

// The yardstick: the same rows written by plain SQLite, one prepared UPDATE bound per swim in one
// transaction. Returns the seconds taken, or a negative number when SQLite fails.
double WritePlain(sqlite3 *db, const std::vector<WrittenSwim> &swims)
{
    const Clock::time_point start = Clock::now();
    sqlite3_stmt *update = nullptr;
    bool ok = sqlite3_exec(db, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr) == SQLITE_OK &&
              sqlite3_prepare_v2(db,
                                 "UPDATE \"Swim Table\" SET \"Seed Order\" = ?, \"Combined With\" "
                                 "= ?, \"Time\" = ?, \"DNS\" = 0, \"Notes\" = '', \"Points\" = 0, "
                                 "\"Heat No\" = ?, \"Lane No\" = ? WHERE rowid = ?",
                                 -1, &update, nullptr) == SQLITE_OK;
    for (size_t k = 0; ok && k < swims.size(); ++k) {
        const WrittenSwim &swim = swims[k];
        sqlite3_bind_int(update, 1, swim.Seed);
        sqlite3_bind_text(update, 2, swim.Pool.constData(), int(swim.Pool.size()), SQLITE_STATIC);
        sqlite3_bind_text(update, 3, swim.Time.constData(), int(swim.Time.size()), SQLITE_STATIC);
        if (swim.Heat.isEmpty())
            sqlite3_bind_text(update, 4, "", 0, SQLITE_STATIC);
        else
            sqlite3_bind_int(update, 4, swim.Heat.toInt());
        sqlite3_bind_int(update, 5, swim.Lane);
        sqlite3_bind_int64(update, 6, swim.RowId);
        ok = sqlite3_step(update) == SQLITE_DONE;
        sqlite3_reset(update);
    }
    sqlite3_finalize(update);
    ok = sqlite3_exec(db, ok ? "COMMIT" : "ROLLBACK", nullptr, nullptr, nullptr) == SQLITE_OK && ok;
    return ok ? Seconds(start) : -1;
}

// The swims of the meet as the last "Make Heats" wrote them.
std::vector<WrittenSwim> ReadWritten(sqlite3 *db)
{
    std::vector<WrittenSwim> swims;
    sqlite3_stmt *select = nullptr;
    if (sqlite3_prepare_v2(db,
                           "SELECT rowid, \"Seed Order\", \"Combined With\", \"Time\", "
                           "\"Heat No\", \"Lane No\" FROM \"Swim Table\"",
                           -1, &select, nullptr) != SQLITE_OK)
        return swims;
    const auto text = [select](int column) {
        return QByteArray(reinterpret_cast<const char *>(sqlite3_column_text(select, column)),
                          sqlite3_column_bytes(select, column));
    };
    while (sqlite3_step(select) == SQLITE_ROW)
        swims.push_back({sqlite3_column_int64(select, 0), sqlite3_column_int(select, 1), text(2),
                         text(3), text(4), sqlite3_column_int(select, 5)});
    sqlite3_finalize(select);
    return swims;
}

// "Make Heats" with its write-back by each method (the argument: 0 club, 1 standard, 2 circle),
// against plain SQLite writing the same rows in the same run. The iteration time is the
// command's; the counters give both figures and the ratio, which is to stay within 2.
void BM_MakeHeatsWithWriteBack(benchmark::State &state)
{
    HeatsMeet meet;
    const Core::SeedingMethod method = Core::SeedingMethod(state.range(0));
    meet.session.Gala.Seeding = method;
    sqlite3 *plain = nullptr;
    if (sqlite3_open_v2(QFile::encodeName(meet.path).constData(), &plain, SQLITE_OPEN_READWRITE,
                        nullptr) != SQLITE_OK) {
        sqlite3_close(plain);
        state.SkipWithError("plain SQLite cannot open the meet");
        return;
    }
    QList<MeetDay::SeededEvent> seeded;
    MeetDay::MakeHeats(meet.session, meet.roster, {false, true}, meet.prompts, seeded);
    const std::vector<WrittenSwim> written = ReadWritten(plain);

    double heatsTotal = 0;
    double plainTotal = 0;
    double heatsCpu = 0;
    double plainCpu = 0;
    int run = 0;
    for (auto _ : state) {
        ++run;
        const Clock::time_point start = Clock::now();
        double cpu = CpuSeconds();
        const bool made =
            MeetDay::MakeHeats(meet.session, meet.roster, {false, true}, meet.prompts, seeded);
        const double heats = Seconds(start);
        heatsCpu += CpuSeconds() - cpu;
        cpu = CpuSeconds();
        const double yardstick = WritePlain(plain, written);
        plainCpu += CpuSeconds() - cpu;
        if (!made || yardstick < 0) {
            state.SkipWithError(made ? "plain SQLite failed" : "Make Heats wrote nothing");
            break;
        }
        state.SetIterationTime(heats);
        heatsTotal += heats;
        plainTotal += yardstick;
    }
    sqlite3_close(plain);
    if (run > 0 && plainTotal > 0) {
        const double heatsMs = heatsTotal * 1000 / run;
        const double ratio = heatsTotal / plainTotal;
        state.counters["openmeet_ms"] = heatsMs;
        state.counters["plain_ms"] = plainTotal * 1000 / run;
        state.counters["ratio"] = ratio;
        state.counters["openmeet_cpu_ms"] = heatsCpu * 1000 / run;
        state.counters["plain_cpu_ms"] = plainCpu * 1000 / run;
        state.counters["cpu_ratio"] = plainCpu > 0 ? heatsCpu / plainCpu : 0;
        state.counters["swims"] = double(written.size());
        state.SetLabel(QStringLiteral("%1: %2 200 ms, %3 2x plain SQLite")
                           .arg(Core::SeedingName(method),
                                heatsMs < 200 ? QStringLiteral("under") : QStringLiteral("OVER"),
                                ratio <= 2 ? QStringLiteral("within") : QStringLiteral("OVER"))
                           .toStdString());
    }
}
BENCHMARK(BM_MakeHeatsWithWriteBack)
    ->Arg(int(Core::SeedingMethod::Club))
    ->Arg(int(Core::SeedingMethod::Standard))
    ->Arg(int(Core::SeedingMethod::Circle))
    ->Unit(benchmark::kMillisecond)
    ->UseManualTime();

} // namespace
