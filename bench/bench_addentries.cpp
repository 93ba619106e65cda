#include <chrono>
#include <vector>

#include <benchmark/benchmark.h>
#include <sqlite3.h>

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

#include "benchsupport.h"
#include "core/captureprompts.h"
#include "entries/entryimport.h"
#include "meetdb/competitionload.h"
#include "meetdb/database.h"
#include "meetdb/schema.h"
#include "meetdb/session.h"

namespace {

constexpr int EntrantCount = 3000;
constexpr int SwimsPerEntrant = 3;
constexpr int EventCount = 40; // odd numbers for girls, even for boys
const QString MeetCode = QStringLiteral("BENCH");

struct BenchSwim
{
    QString Event;
    QString Typed;  // as the CSV gives it
    QString Stored; // as "Swim Table" keeps it
};

struct BenchEntrant
{
    int Number = 0;
    QString Name, Club, Sex, Age, Regno;
    std::vector<BenchSwim> Swims;
};

std::vector<BenchEntrant> MakeEntrants()
{
    std::vector<BenchEntrant> entrants;
    for (int i = 0; i < EntrantCount; ++i) {
        BenchEntrant e;
        e.Number = i + 1;
        e.Name = QStringLiteral("Swimmer%1 Surname%2").arg(i).arg(i % 97);
        e.Club = QStringLiteral("CL%1").arg(i % 10);
        e.Sex = i % 2 ? QStringLiteral("M") : QStringLiteral("F");
        e.Age =
            QStringLiteral("%1/03/%2").arg(i % 28 + 1, 2, 10, QLatin1Char('0')).arg(2000 + i % 12);
        e.Regno = QString::number(100000 + i);
        for (int s = 0; s < SwimsPerEntrant; ++s) {
            const int event = ((i / 2 + s * 7) % (EventCount / 2)) * 2 + (i % 2 ? 2 : 1);
            BenchSwim swim;
            swim.Event = QString::number(event);
            if (s == 2) {
                swim.Typed = QStringLiteral("NT");
                swim.Stored = QStringLiteral("9:99.99");
            } else {
                swim.Typed = swim.Stored = QStringLiteral("1:%1.%2")
                                               .arg(10 + i % 50, 2, 10, QLatin1Char('0'))
                                               .arg(i % 100, 2, 10, QLatin1Char('0'));
            }
            e.Swims.push_back(swim);
        }
        entrants.push_back(e);
    }
    return entrants;
}

QByteArray EntriesCsv(const std::vector<BenchEntrant> &entrants)
{
    QByteArray csv = "Kind,Name,Club,Sex,Age,Regno,Events\n";
    for (const BenchEntrant &e : entrants) {
        QStringList pairs;
        for (const BenchSwim &swim : e.Swims)
            pairs << swim.Event + u'=' + swim.Typed;
        csv += QStringLiteral("I,%1,%2,%3,%4,%5,%6\n")
                   .arg(e.Name, e.Club, e.Sex, e.Age, e.Regno, pairs.join(u' '))
                   .toUtf8();
    }
    return csv;
}

// The same rows as the import writes, by plain SQLite: one transaction, each statement prepared
// once. Returns false when a statement failed.
bool WritePlain(const QString &path, const std::vector<BenchEntrant> &entrants)
{
    sqlite3 *db = nullptr;
    if (sqlite3_open_v2(QFile::encodeName(path).constData(), &db, SQLITE_OPEN_READWRITE, nullptr) !=
        SQLITE_OK) {
        sqlite3_close(db);
        return false;
    }
    bool ok = sqlite3_exec(db, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr) == SQLITE_OK;
    {
        SqliteStatement entrant(db,
                                R"(INSERT INTO "Entrant Table" ("Meet code", "Entrant Number", )"
                                R"("Swimmer Name", "club", "age", "Sex", "Card Printed", "Regno") )"
                                R"(VALUES (?, ?, ?, ?, ?, ?, 0, ?))");
        SqliteStatement swim(db,
                             R"(INSERT INTO "Swim Table" ("Meet code", "Entrant Number", )"
                             R"("Event number", "Event Sequence", "Combined With", "Entry Time", )"
                             R"("Time", "Confirmed", "Position", "DQ", "DQ Reason", )"
                             R"("Meet Specific", "Seed Order", "DNS", "Notes", "Points") )"
                             R"(VALUES (?, ?, ?, ?, ?, ?, ?, 0, 0, 0, '', '', 0, 0, '', 0))");
        SqliteStatement next(db, R"(UPDATE "Meet Table" SET "Next Competitor Number" = ? )"
                                 R"(WHERE "Meet code" = ?)");
        ok = ok && entrant.Valid() && swim.Valid() && next.Valid();
        for (const BenchEntrant &e : entrants) {
            if (!ok)
                break;
            entrant.Text(1, MeetCode);
            entrant.Int(2, e.Number);
            entrant.Text(3, e.Name);
            entrant.Text(4, e.Club);
            entrant.Text(5, e.Age);
            entrant.Text(6, e.Sex);
            entrant.Text(7, e.Regno);
            ok = entrant.Step();
            for (const BenchSwim &s : e.Swims) {
                swim.Text(1, MeetCode);
                swim.Int(2, e.Number);
                swim.Text(3, s.Event);
                swim.Int(4, s.Event.toInt());
                swim.Text(5, s.Event);
                swim.Text(6, s.Stored);
                swim.Text(7, s.Stored);
                ok = ok && swim.Step();
            }
        }
        next.Int(1, int(entrants.size()) + 1);
        next.Text(2, MeetCode);
        ok = ok && next.Step();
    }
    ok = ok && sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr) == SQLITE_OK;
    sqlite3_close(db);
    return ok;
}

// "openmeet-db add-entries" of 3,000 entrants with 9,000 swims into an empty open meet (read,
// checked and written in one transaction), against plain SQLite writing the same rows in the
// same run. The iteration time is the import's; the counters give both figures and the ratio,
// which is to stay within 3.
void BM_AddEntries(benchmark::State &state)
{
    QTemporaryDir dir;
    const QString templ = dir.filePath(QStringLiteral("template.mdb"));
    MakeBenchOpenMeet(templ, MeetCode, EventCount);
    const std::vector<BenchEntrant> entrants = MakeEntrants();
    const QString csvPath = dir.filePath(QStringLiteral("entries.csv"));
    {
        QFile csv(csvPath);
        if (!csv.open(QIODevice::WriteOnly) || csv.write(EntriesCsv(entrants)) < 0) {
            state.SkipWithError("cannot write the CSV file");
            return;
        }
    }

    double plainTotal = 0;
    double importTotal = 0;
    int run = 0;
    for (auto _ : state) {
        ++run;
        const QString plainPath = dir.filePath(QStringLiteral("plain%1.mdb").arg(run));
        const QString importPath = dir.filePath(QStringLiteral("import%1.mdb").arg(run));
        if (!QFile::copy(templ, plainPath) || !QFile::copy(templ, importPath)) {
            state.SkipWithError("cannot copy the meet database");
            return;
        }

        auto start = std::chrono::steady_clock::now();
        if (!WritePlain(plainPath, entrants)) {
            state.SkipWithError("plain SQLite failed");
            return;
        }
        const double plain = BenchSeconds(start);

        MeetDb::Session session;
        Core::CapturePrompts prompts;
        if (!MeetDb::LoadMeetByCode(session, importPath, MeetCode, prompts)) {
            state.SkipWithError("the meet did not load");
            return;
        }
        QStringList errors;
        int written = 0;
        start = std::chrono::steady_clock::now();
        const bool ok = Entries::ImportEntriesCsv(session, csvPath, errors, &written);
        const double imported = BenchSeconds(start);
        if (!ok || written != EntrantCount) {
            state.SkipWithError(qPrintable(errors.value(0, QStringLiteral("entrants missing"))));
            return;
        }
        state.SetIterationTime(imported);
        plainTotal += plain;
        importTotal += imported;
    }
    if (run > 0) {
        state.counters["plain_ms"] = plainTotal * 1000 / run;
        state.counters["openmeet_ms"] = importTotal * 1000 / run;
        state.counters["ratio"] = importTotal / plainTotal;
    }
}
BENCHMARK(BM_AddEntries)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(5);

} // namespace
