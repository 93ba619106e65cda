#include <optional>
#include <random>

#include <benchmark/benchmark.h>

#include <QByteArray>
#include <QFile>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

#include "core/captureprompts.h"
#include "meetdb/database.h"
#include "members/memberdb.h"

namespace {

using QuietPrompts = Core::CapturePrompts;

constexpr int MemberCount = 5000;

// A member database of MemberCount active members, in no name order (as a club's file grows),
// each with 22 PB times, built once for all benchmarks.
class MemberFile
{
public:
    MemberFile()
    {
        const QString path = m_dir.filePath(QStringLiteral("pbsys.mdb"));
        Members::CreateMemberDatabase(path);
        QByteArray csv = "Surname,Forename,Record Type,Date of Birth,Sex,Town";
        for (int column = 1; column <= 22; ++column)
            csv += ",PB Time " + QByteArray::number(column);
        csv += '\n';
        std::mt19937 random(42);
        for (int i = 0; i < MemberCount; ++i) {
            // 500 surnames of ten members each, so completion walks families.
            const int family = int(random() % 500);
            csv += "Surname" + QByteArray::number(family) + ",Forename" + QByteArray::number(i) +
                   ",A,05/03/2012,F,Velmora";
            for (int column = 1; column <= 22; ++column)
                csv += ",1:" + QByteArray::number(10 + column) + ".25";
            csv += '\n';
        }
        const QString csvPath = m_dir.filePath(QStringLiteral("members.csv"));
        QFile file(csvPath);
        if (file.open(QIODevice::WriteOnly))
            file.write(csv);
        file.close();
        Db.Open(path);
        Members::ImportMembersCsv(Db, csvPath);
    }

    MeetDb::Database Db;

private:
    QTemporaryDir m_dir;
};

MemberFile &File()
{
    static MemberFile file;
    return file;
}

// Opening the entry window builds the index from the whole member file; it should not be felt.
// Target: under 200 ms for 5,000 members.
void BM_BuildMemberIndex(benchmark::State &state)
{
    MemberFile &file = File();
    QuietPrompts prompts;
    Members::MemberIndex index;
    for (auto _ : state) {
        if (!Members::BuildMemberIndex(file.Db, index, prompts))
            state.SkipWithError("index build failed");
        benchmark::DoNotOptimize(index.Count());
    }
    state.counters["members"] = index.Count();
}
BENCHMARK(BM_BuildMemberIndex)->Unit(benchmark::kMillisecond);

// Every keystroke in the short-name box completes the name. Target: under 1 ms per keystroke.
// One iteration types a whole name, one completion per character.
void BM_CompleteMemberName(benchmark::State &state)
{
    QuietPrompts prompts;
    Members::MemberIndex index;
    Members::BuildMemberIndex(File().Db, index, prompts);
    const QString name = index.Key(index.Count() / 2);
    QStringList typed;
    for (int length = 1; length <= name.size(); ++length)
        typed << name.left(length);
    for (auto _ : state) {
        for (const QString &text : std::as_const(typed))
            benchmark::DoNotOptimize(index.CompleteMemberName(text));
    }
    state.SetItemsProcessed(state.iterations() * typed.size());
}
BENCHMARK(BM_CompleteMemberName)->Unit(benchmark::kMicrosecond);

// Reading one member with all PB columns, as each short-name look-up does.
void BM_ReadMember(benchmark::State &state)
{
    QuietPrompts prompts;
    Members::Member member;
    int id = 0;
    for (auto _ : state) {
        id = id % MemberCount + 1;
        Members::ReadMember(File().Db, id, member, prompts);
    }
}
BENCHMARK(BM_ReadMember)->Unit(benchmark::kMicrosecond);

} // namespace
