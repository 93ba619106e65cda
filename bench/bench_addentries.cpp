#include <vector>

#include <benchmark/benchmark.h>

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

#include "benchsupport.h"
#include "entries/entryimport.h"
#include "meetdb/session.h"

namespace {

constexpr int EntrantCount = 3000;
constexpr int SwimsPerEntrant = 3;
constexpr int EventCount = 40; // odd numbers for girls, even for boys
const QString MeetCode = QStringLiteral("BENCH");

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

// "openmeet-db add-entries" of 3,000 entrants with 9,000 swims into an empty open meet (read,
// checked and written in one transaction), against plain SQLite writing the same rows in the
// same run. The iteration time is the import's; the counters give both figures and the ratio,
// which is to stay within 3.
void BM_AddEntries(benchmark::State &state)
{
    QTemporaryDir dir;
    const QString templ = dir.filePath(QStringLiteral("template.mdb"));
    MakeBenchOpenMeet(templ, MeetCode, EventCount);
    const std::vector<BenchEntrant> entrants =
        MakeBenchEntrants(EntrantCount, SwimsPerEntrant, EventCount);
    const QString csvPath = dir.filePath(QStringLiteral("entries.csv"));
    {
        QFile csv(csvPath);
        if (!csv.open(QIODevice::WriteOnly) || csv.write(EntriesCsv(entrants)) < 0) {
            state.SkipWithError("cannot write the CSV file");
            return;
        }
    }

    MeasureAgainstPlain(
        state, templ, MeetCode,
        [&entrants](const QString &path) { return WritePlainEntrants(path, MeetCode, entrants); },
        [&csvPath](MeetDb::Session &session) {
            QStringList errors;
            int written = 0;
            if (!Entries::ImportEntriesCsv(session, csvPath, errors, &written))
                return errors.value(0);
            return written == EntrantCount ? QString() : QStringLiteral("entrants missing");
        });
}
BENCHMARK(BM_AddEntries)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(5);

} // namespace
