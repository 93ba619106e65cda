#include <optional>

#include <benchmark/benchmark.h>

#include <QByteArray>
#include <QFile>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

#include "core/captureprompts.h"
#include "core/settings.h"
#include "core/sysparams.h"

namespace {

using CountingPrompts = Core::CapturePrompts;

// A 10,000-line pbsystem.ini: every table filled to its limit (the grade table, 100 gala files
// and meet databases, 20 conversion rows of 150 entries, a badge table), the rest comments and
// plain settings. Start-up reads this once, so it must take well under 20 ms.
QByteArray LargeSystemFile()
{
    constexpr int lineCount = 10000;
    QStringList lines;
    lines.reserve(lineCount + 1);
    lines << QStringLiteral("# club settings") << QStringLiteral("pbfile=c:\\pb\\pbsys.mdb")
          << QStringLiteral("pballstrokes=25 50 100 200")
          << QStringLiteral("pbfreestyle=400 800 1500") << QStringLiteral("pbmedley=100 200 400")
          << QStringLiteral("recallstrokes=25 50 100 200")
          << QStringLiteral("recages=8 9 10 11 12 13 14 15 16 17 Op")
          << QStringLiteral("bagpoints=1 2 3 4 5 6 7 8") << QStringLiteral("bagmax=200");
    for (int i = 0; i < 200; ++i)
        lines << QStringLiteral("bagtime=Girls %1 %2 FS 40 42 45 48 51 55 60 66").arg(i).arg(i + 1);
    for (int i = 0; i < 136; ++i)
        lines << QStringLiteral("asagrade=F %1 50 FS 45.50 1:05.30 1:30.00 2:01.99").arg(i);
    for (int i = 0; i < 4; ++i)
        lines << QStringLiteral("asa=Badge %1 1:00.00 1:30.00 2:00.00").arg(i);
    for (int i = 0; i < 25; ++i)
        lines << QStringLiteral("asadist=%1 %2").arg(i * 50).arg(i);
    for (int i = 0; i < 20; ++i)
        lines << QStringLiteral("squad=Squad%1 %1").arg(i);
    for (int i = 0; i < 100; ++i) {
        lines << QStringLiteral("galafile=Gala %1,c:\\galas\\gala%1.ini").arg(i)
              << QStringLiteral("natamardb=c:\\meets\\meet%1.mdb").arg(i);
    }
    for (int row = 0; row < 20; ++row) {
        lines << QStringLiteral("50dist=%1 FS").arg(row);
        for (int i = 0; i < 150; ++i)
            lines << QStringLiteral("50conv=%1.%2 %3").arg(30 + i).arg(row).arg(i);
    }
    for (int i = 0; lines.size() < lineCount; ++i) {
        lines << (i % 2 ? QStringLiteral("# note %1 about the club's set-up").arg(i)
                        : QStringLiteral("clubname=Velmora Marlets %1").arg(i));
    }
    lines << QStringLiteral("End=End");
    return (lines.join(QStringLiteral("\r\n")) + QStringLiteral("\r\n")).toUtf8();
}

void BM_ReadSystemParams10000Lines(benchmark::State &state)
{
    QTemporaryDir dir;
    QFile file(dir.filePath(Core::SystemParamFileName));
    if (!dir.isValid() || !file.open(QIODevice::WriteOnly) || file.write(LargeSystemFile()) < 0) {
        state.SkipWithError("cannot write the parameter file");
        return;
    }
    file.close();

    CountingPrompts prompts;
    Core::SystemSettings settings;
    for (auto _ : state) {
        Core::ReadSystemParams(dir.path(), settings, prompts);
        benchmark::DoNotOptimize(settings.PbEventLabel.size());
    }
    state.counters["messages"] = double(prompts.Messages.size()) / double(state.iterations());
    state.counters["pbEvents"] = settings.PbEventCount();
    state.SetItemsProcessed(state.iterations() * 10000);
}
BENCHMARK(BM_ReadSystemParams10000Lines)->Unit(benchmark::kMillisecond);

} // namespace
