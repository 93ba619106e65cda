#include <benchmark/benchmark.h>

#include <QString>

#include "benchsupport.h"
#include "core/captureprompts.h"
#include "meetday/roster.h"
#include "meetdb/session.h"
#include "reports/printer.h"
#include "reports/programmerun.h"
#include "reports/reportoutput.h"

/*
 * The programme of a large open meet: 200 events, 1,250 entrants with four swims each (5,000
 * swims). One run seeds every event, writes the seeds and programme references, reads each
 * event back in print order and draws the pages into a PDF. The target is under 3 s for the
 * whole command, under 50 ms per event.
 */
namespace {

constexpr int Events = 200;
constexpr int Entrants = 1250;
constexpr int SwimsEach = 4;
constexpr int Clubs = 40;

struct LargeMeet : BenchMeet
{
    MeetDay::Roster roster;

    LargeMeet()
        : BenchMeet(Events, Entrants, SwimsEach, Clubs, 53)
    {
        Core::GalaState &gala = session.Gala;
        gala.PrintTimes = true;
        gala.Lanes = 6;
        gala.ProgramMode = MeetDay::ModeMeetDay;
        Core::CapturePrompts prompts;
        MeetDay::LoadRoster(session, prompts, roster);
    }
};

void BM_ProgrammeToPdf(benchmark::State &state)
{
    if (!EnsureGuiApplication()) {
        state.SkipWithError("needs a GUI application: run this benchmark on its own");
        return;
    }
    LargeMeet meet;
    Core::CapturePrompts prompts;
    qsizetype events = 0;
    int pages = 0;
    for (auto _ : state) {
        const std::optional<Reports::Programme> programme =
            Reports::PrepareProgramme(meet.session, meet.roster, prompts);
        if (!programme) {
            state.SkipWithError("the programme was refused");
            return;
        }
        events = programme->Events.size();
        const QByteArray pdf =
            Reports::PdfReport(QStringLiteral("bench"), {}, [&](Reports::Printer &printer) {
                Reports::PrintProgramme(printer, meet.session.Gala, *programme);
                pages = printer.PageCount();
            });
        benchmark::DoNotOptimize(pdf.size());
    }
    state.counters["events"] = double(events);
    state.counters["pages"] = pages;
    // Seconds per event, as the benchmark library prints an inverted rate.
    state.counters["per_event"] =
        benchmark::Counter(double(events), benchmark::Counter::kIsIterationInvariantRate |
                                               benchmark::Counter::kInvert);
}
BENCHMARK(BM_ProgrammeToPdf)->Unit(benchmark::kMillisecond)->MinTime(2.0);

} // namespace
