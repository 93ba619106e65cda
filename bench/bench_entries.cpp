#include <optional>

#include <benchmark/benchmark.h>

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

#include "core/captureprompts.h"
#include "entries/entrydeletion.h"
#include "entries/entryfiles.h"

namespace {

using CountingPrompts = Core::CapturePrompts;

// A swim-layout intent.vb of 20,000 lines: 2,000 members with 10 swims each, the lines of one
// member spread through the file as a club's entries arrive.
QByteArray LargeSwimFile()
{
    QByteArray bytes;
    for (int line = 0; line < 20000; ++line) {
        const int member = (line * 7919) % 2000;
        bytes += QStringLiteral("\"%1\",\"Surname%2 Forename\",\"01/02/10\",\"1:%3.50\"\r\n")
                     .arg(line % 40 + 1)
                     .arg(member)
                     .arg(line % 50 + 10)
                     .toUtf8();
    }
    return bytes;
}

// Deleting one member from the file: read, keep 19,990 lines, rename to intent.tmp and write
// the new intent.vb. The "Delete" command must feel instant: well under 100 ms.
void BM_DeleteMemberFromSwimFile(benchmark::State &state)
{
    QTemporaryDir dir;
    const QByteArray file = LargeSwimFile();
    const QString path = QDir(dir.path()).filePath(Entries::EntryFileName);
    CountingPrompts prompts;
    prompts.YesAnswer = true;
    for (auto _ : state) {
        state.PauseTiming();
        QFile out(path);
        if (!out.open(QIODevice::WriteOnly | QIODevice::Truncate) || out.write(file) != file.size())
            state.SkipWithError("cannot write the test file");
        out.close();
        state.ResumeTiming();

        QString error;
        const int removed = Entries::DeleteSwimLines(
            dir.path(), QStringLiteral("Surname7 Forename"), prompts, &error);
        if (removed != 10)
            state.SkipWithError("wrong number of lines removed");
        benchmark::DoNotOptimize(removed);
    }
}
BENCHMARK(BM_DeleteMemberFromSwimFile)->Unit(benchmark::kMillisecond);

} // namespace
