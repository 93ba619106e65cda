#include <array>

#include <benchmark/benchmark.h>

#include <QString>

#include "core/captureprompts.h"
#include "core/timeutil.h"

namespace {

// Seeding and printing call the time conversions for every swim of a meet, so both directions
// must stay far below a microsecond.
const std::array<QString, 8> TimeTexts = {QStringLiteral("1:05.30"),  QStringLiteral("45.20"),
                                          QStringLiteral("10:00.00"), QStringLiteral("NT"),
                                          QStringLiteral("1.05.30"),  QStringLiteral("2:31.07"),
                                          QStringLiteral("59.99"),    QStringLiteral("19:59.99")};

const std::array<float, 8> TimeSeconds = {65.3f,   45.2f,  600.0f,   28.91f,
                                          151.07f, 59.99f, 1199.99f, 3600.0f};

using SilentPrompts = Core::CapturePrompts;

void BM_TimeToSeconds(benchmark::State &state)
{
    std::size_t i = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(Core::TimeToSeconds(TimeTexts[i++ % TimeTexts.size()]));
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_TimeToSeconds);

void BM_SecondsToTime(benchmark::State &state)
{
    SilentPrompts prompts;
    std::size_t i = 0;
    for (auto _ : state) {
        QString text = Core::SecondsToTime(TimeSeconds[i++ % TimeSeconds.size()], prompts);
        benchmark::DoNotOptimize(text);
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_SecondsToTime);

void BM_NormaliseDate(benchmark::State &state)
{
    SilentPrompts prompts;
    const QString date = QStringLiteral("5/3/10");
    for (auto _ : state) {
        QString text = Core::NormaliseDate(date, prompts);
        benchmark::DoNotOptimize(text);
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_NormaliseDate);

} // namespace
