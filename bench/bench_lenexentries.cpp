#include <chrono>

#include <benchmark/benchmark.h>
#include <sqlite3.h>

#include <QFile>
#include <QString>
#include <QTemporaryDir>

#include "benchsupport.h"
#include "core/captureprompts.h"
#include "lenex/lenexentries.h"
#include "meetdb/competitionload.h"
#include "meetdb/session.h"

namespace {

constexpr int AthleteCount = 1000;
constexpr int EntriesEach = 3;
constexpr int EventCount = 40; // odd numbers for girls, even for boys
const QString MeetCode = QStringLiteral("LENEX");

int EventOf(int athlete, int entry)
{
    return ((athlete / 2 + entry * 7) % (EventCount / 2)) * 2 + (athlete % 2 ? 2 : 1);
}

// Seconds 10 to 59 and hundredths of an athlete's entry times.
int SecondsOf(int athlete)
{
    return 10 + athlete % 50;
}

// Ten clubs' entries for the bench meet in one file: the events with ids 1000 above their
// numbers, 1,000 athletes with three entries each, every one of them accepted.
Lenex::Document ClubsFile()
{
    Lenex::Session session;
    for (int e = 1; e <= EventCount; ++e) {
        Lenex::Event event;
        event.Id = e + 1000;
        event.Number = e;
        event.Distance = 100;
        session.Events << event;
    }
    Lenex::Meet meet;
    meet.Sessions << session;
    for (int c = 0; c < 10; ++c) {
        Lenex::Club club;
        club.Code = QStringLiteral("CL%1").arg(c);
        club.Name = QStringLiteral("Club %1").arg(c);
        meet.Clubs << club;
    }
    for (int i = 0; i < AthleteCount; ++i) {
        Lenex::Athlete athlete;
        athlete.Id = i + 1;
        athlete.FirstName = QStringLiteral("Swimmer%1").arg(i);
        athlete.LastName = QStringLiteral("Surname%1").arg(i % 97);
        athlete.Gender = i % 2 ? QStringLiteral("M") : QStringLiteral("F");
        athlete.BirthDate = QDate(2000 + i % 12, 3, i % 28 + 1);
        athlete.License = QString::number(100000 + i);
        for (int s = 0; s < EntriesEach; ++s) {
            Lenex::Entry entry;
            entry.EventId = EventOf(i, s) + 1000;
            entry.EntryTime = QStringLiteral("00:01:%1.%2")
                                  .arg(SecondsOf(i), 2, 10, QLatin1Char('0'))
                                  .arg(i % 100, 2, 10, QLatin1Char('0'));
            athlete.Entries << entry;
        }
        meet.Clubs[i % 10].Athletes << athlete;
    }
    Lenex::Document document;
    document.Meets << meet;
    return document;
}

// The rows the import writes, by plain SQLite in one transaction with statements prepared once.
bool WritePlain(const QString &path)
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
        SqliteStatement swim(db, R"(INSERT INTO "Swim Table" ("Meet code", "Entrant Number", )"
                                 R"("Event number", "Event Sequence", "Combined With", )"
                                 R"("Entry Time", "Time", "Confirmed", "Position", "DQ", )"
                                 R"("DQ Reason", "Meet Specific", "Seed Order", "DNS", "Notes", )"
                                 R"("Points") VALUES (?, ?, ?, ?, ?, ?, ?, 0, 0, 0, '', '', 0, )"
                                 R"(0, '', 0))");
        SqliteStatement next(db, R"(UPDATE "Meet Table" SET "Next Competitor Number" = ? )"
                                 R"(WHERE "Meet code" = ?)");
        ok = ok && entrant.Valid() && swim.Valid() && next.Valid();
        for (int i = 0; ok && i < AthleteCount; ++i) {
            entrant.Text(1, MeetCode);
            entrant.Int(2, i + 1);
            entrant.Text(3, QStringLiteral("Swimmer%1 Surname%2").arg(i).arg(i % 97));
            entrant.Text(4, QStringLiteral("CL%1").arg(i % 10));
            entrant.Text(5, QDate(2000 + i % 12, 3, i % 28 + 1).toString(Qt::ISODate));
            entrant.Text(6, i % 2 ? QStringLiteral("M") : QStringLiteral("F"));
            entrant.Text(7, QString::number(100000 + i));
            ok = entrant.Step();
            for (int s = 0; s < EntriesEach; ++s) {
                const QString event = QString::number(EventOf(i, s));
                const QString time = QStringLiteral("1:%1.%2")
                                         .arg(SecondsOf(i), 2, 10, QLatin1Char('0'))
                                         .arg(i % 100, 2, 10, QLatin1Char('0'));
                swim.Text(1, MeetCode);
                swim.Int(2, i + 1);
                swim.Text(3, event);
                swim.Int(4, event.toInt());
                swim.Text(5, event);
                swim.Text(6, time);
                swim.Text(7, time);
                ok = ok && swim.Step();
            }
        }
        next.Int(1, AthleteCount + 1);
        next.Text(2, MeetCode);
        ok = ok && next.Step();
    }
    ok = ok && sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr) == SQLITE_OK;
    sqlite3_close(db);
    return ok;
}

// "Import Entries" of a Lenex file of 1,000 athletes with 3,000 entries into an empty open meet:
// checked (as "Record" checks each swim), summarised and written in one transaction, against
// plain SQLite writing the same rows in the same run. The iteration time is the import's, to
// stay under 1 s; the counters give both figures and the ratio, to stay within 3.
void BM_LenexEntries(benchmark::State &state)
{
    QTemporaryDir dir;
    const QString templ = dir.filePath(QStringLiteral("template.mdb"));
    MakeBenchOpenMeet(templ, MeetCode, EventCount);
    const Lenex::Document document = ClubsFile();

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

        std::chrono::steady_clock::time_point start = std::chrono::steady_clock::now();
        if (!WritePlain(plainPath)) {
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
        start = std::chrono::steady_clock::now();
        Lenex::EntriesCheck check;
        QString error;
        QList<int> numbers;
        const bool ok = Lenex::CheckLenexEntries(session, document, QStringLiteral("clubs.lxf"),
                                                 check, &error) &&
                        Lenex::WriteLenexEntries(session, check, &numbers, &error);
        const double imported = BenchSeconds(start);
        if (!ok || numbers.size() != AthleteCount || check.NewEntrantSwims() != 3000) {
            state.SkipWithError(qPrintable(error.isEmpty() ? check.Summary().left(2000) : error));
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
BENCHMARK(BM_LenexEntries)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(5);

} // namespace
