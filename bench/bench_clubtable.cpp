#include <optional>

#include <benchmark/benchmark.h>

#include <QString>
#include <QStringList>
#include <QTemporaryDir>

#include "core/prompts.h"
#include "entries/clubtable.h"
#include "meetdb/database.h"
#include "meetdb/schema.h"
#include "meetdb/session.h"

namespace {

class SilentPrompts : public Core::Prompts
{
public:
    void Message(const QString &) override { ++Messages; }
    bool AskYesNo(const QString &, bool) override { return true; }
    std::optional<QString> Input(const QString &, const QString &, const QString &) override
    {
        return std::nullopt;
    }
    int PickFromList(const QString &, const QStringList &) override { return 0; }
    QString BrowseExistingFile(const QString &, const QString &) override { return {}; }
    Core::ExistingFileAnswer AskExistingFile() override { return {}; }
    void ShowStatus(const QString &) override {}

    int Messages = 0;
};

// 500 clubs in code order, and room for more: the new club's code sorts into the middle, so the
// sort has work to do, and every name differs, so both duplicate checks walk the whole table.
void FillClubs(Core::GalaState &gala)
{
    gala.ClubCount = 1000;
    gala.Clubs.clear();
    for (int i = 0; i < 500; ++i)
        gala.Clubs.append({QStringLiteral("C%1").arg(i * 2, 4, 10, QLatin1Char('0')),
                           QStringLiteral("Club number %1 Swimming Club").arg(i)});
}

// One addition to a table of 500 clubs, without the meet database (the table in memory only).
void BM_AddClubTo500(benchmark::State &state)
{
    MeetDb::Session session;
    FillClubs(session.Gala);
    Entries::ClubCodeFile codes;
    SilentPrompts prompts;
    Entries::ClubTableForm form(session, codes, prompts);
    for (auto _ : state) {
        const Entries::AddClubResult result =
            form.AddClub(QStringLiteral("C0501"), QStringLiteral("New Club"));
        benchmark::DoNotOptimize(result);
        state.PauseTiming();
        session.Gala.Clubs.removeAt(form.LastAddedLine());
        state.ResumeTiming();
    }
    if (prompts.Messages != 0)
        state.SkipWithError("an addition was refused");
}
BENCHMARK(BM_AddClubTo500)->Unit(benchmark::kMicrosecond);

// The same with the meet database open: the table and one committed "Club Name Table" record.
void BM_AddClubTo500WithMeetDb(benchmark::State &state)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("natamar.mdb"));
    MeetDb::CreateMeetDatabase(path);
    MeetDb::Session session;
    session.MeetDb.Open(path);
    session.Gala.MeetDbOpen = true;
    session.Gala.MeetCode = QStringLiteral("M1");
    FillClubs(session.Gala);
    Entries::ClubCodeFile codes;
    SilentPrompts prompts;
    Entries::ClubTableForm form(session, codes, prompts);
    for (auto _ : state) {
        const Entries::AddClubResult result =
            form.AddClub(QStringLiteral("C0501"), QStringLiteral("New Club"));
        benchmark::DoNotOptimize(result);
        state.PauseTiming();
        session.Gala.Clubs.removeAt(form.LastAddedLine());
        session.MeetDb.Exec(QStringLiteral("DELETE FROM \"Club Name Table\""));
        state.ResumeTiming();
    }
    if (prompts.Messages != 0)
        state.SkipWithError("an addition was refused");
}
BENCHMARK(BM_AddClubTo500WithMeetDb)->Unit(benchmark::kMicrosecond);

} // namespace
