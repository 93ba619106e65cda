#include <benchmark/benchmark.h>

#include <QGuiApplication>
#include <QString>

#include "benchsupport.h"
#include "core/captureprompts.h"
#include "core/startup.h"
#include "meetdb/session.h"
#include "reports/entrantslist.h"
#include "reports/printer.h"
#include "reports/reportoutput.h"

/*
 * The entrants list of a large open meet, 1,000 entrants with 4,000 swims in 40 clubs, read from
 * the meet database and drawn into a PDF. The target is under one second for the whole command.
 */
namespace {

constexpr int Entrants = 1000;
constexpr int SwimsEach = 4;
constexpr int Clubs = 40;
constexpr int Events = 40;

struct LargeMeet : BenchMeet
{
    LargeMeet()
        : BenchMeet(Events, Entrants, SwimsEach, Clubs, 7)
    {}
};

void BM_EntrantsListToPdf(benchmark::State &state)
{
    if (!EnsureGuiApplication()) {
        state.SkipWithError("needs a GUI application: run this benchmark on its own");
        return;
    }
    LargeMeet meet;
    Core::CapturePrompts prompts;
    qsizetype bytes = 0;
    int pages = 0;
    for (auto _ : state) {
        const std::optional<Reports::EntrantsList> list =
            Reports::PrepareEntrantsList(meet.session, prompts);
        if (!list) {
            state.SkipWithError("the list was refused");
            return;
        }
        const QByteArray pdf =
            Reports::PdfReport(QStringLiteral("bench"), {}, [&](Reports::Printer &printer) {
                Reports::PrintEntrantsList(printer, *list);
                pages = printer.PageCount();
            });
        bytes = pdf.size();
        benchmark::DoNotOptimize(bytes);
    }
    state.counters["pages"] = pages;
    state.counters["pdf_kb"] = double(bytes) / 1024;
}
BENCHMARK(BM_EntrantsListToPdf)->Unit(benchmark::kMillisecond)->MinTime(2.0);

} // namespace
