#include <benchmark/benchmark.h>

#include <QByteArray>

#include "benchsupport.h"
#include "lenex/lenexfile.h"
#include "lenex/lenexmeet.h"

// Target: the start list of 1,000 athletes with 3,000 entries, seeded into heats, from the meet
// database to Lenex XML in under 0.5 s.
namespace {

constexpr int Events = 40;
constexpr int Entrants = 1000;
constexpr int SwimsEach = 3;
constexpr int Clubs = 40;
constexpr int Lanes = 8;

struct SeededMeet : BenchMeet
{
    SeededMeet()
        : BenchMeet(Events, Entrants, SwimsEach, Clubs, 13)
    {
        session.Gala.Lanes = Lanes;
        // Every swim in a heat and a lane, as after "Make Heats".
        QSqlQuery seed(session.MeetDb.Connection());
        seed.exec(QStringLiteral("UPDATE \"Swim Table\" SET \"Heat No\" = 1 + \"Entrant Number\" "
                                 "/ 8, \"Lane No\" = 1 + \"Entrant Number\" % 8"));
    }
};

void BM_ExportStartList(benchmark::State &state)
{
    EnsureGuiApplication();
    SeededMeet meet;
    for (auto _ : state) {
        const Lenex::Document document = Lenex::StartListDocument(meet.session);
        const QByteArray xml = Lenex::LenexXml(document);
        benchmark::DoNotOptimize(xml.size());
    }
}
BENCHMARK(BM_ExportStartList)->Unit(benchmark::kMillisecond);

} // namespace
