#include <memory>
#include <optional>

#include <benchmark/benchmark.h>

#include <QByteArray>
#include <QCoreApplication>
#include <QFile>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

#include "core/captureprompts.h"
#include "core/galastate.h"
#include "meetdb/competitionload.h"
#include "meetdb/meetimport.h"
#include "meetdb/schema.h"
#include "meetdb/selection.h"
#include "meetdb/session.h"

namespace {

using QuietPrompts = Core::CapturePrompts;

// "Known Natamar Database", then the first meet of the list.
class FirstMeetWindows : public MeetDb::SelectionWindows
{
public:
    void ShowIntSelect(MeetDb::IntSelectForm &form) override { form.KnownDatabase(); }
    void ShowNtSelect(MeetDb::NtSelectForm &form) override { form.Choose(1); }
    void ShowListSelect(MeetDb::ListSelectForm &form) override { form.Choose(1); }
};

// The SQL driver is a plugin, which Qt loads only with an application object.
void EnsureApplication()
{
    static int argc = 1;
    static char name[] = "openmeet_bench";
    static char *argv[] = {name, nullptr};
    static std::unique_ptr<QCoreApplication> app;
    if (!QCoreApplication::instance())
        app = std::make_unique<QCoreApplication>(argc, argv);
}

// The largest meet the gala state holds: 1000 events, 20 groups, 500 clubs, and 200 parameter
// rows (150 combinations, 20 mandatory-event lines, 10 seeding groups, 20 heats lines).
QByteArray LargestMeetFile()
{
    QStringList lines{"galaname=Bench Open", "galatype=Open", "galadate=14/03/2027",
                      "qualdate=31/12/2026", "lanes=8",       "agegroups=TRUE"};
    for (int g = 1; g <= Core::MaxGroups; ++g)
        lines << QStringLiteral("group=G%1 Group-%1 Printed-%1 Combined %1").arg(g);
    const char *const strokes[] = {"FS", "BK", "BR", "FLY", "MED"};
    for (int e = 1; e <= Core::MaxEvents; ++e) {
        const QString sex = e % 2 ? "F" : "M";
        const QString group = QStringLiteral("G%1").arg(e % Core::MaxGroups + 1);
        if (e % 4 == 0)
            lines << QStringLiteral("event=%1,%2,%3,100,%4,,T1:%5.50,M24,NNote %1")
                         .arg(e)
                         .arg(sex, group, strokes[e % 5])
                         .arg(10 + e % 50);
        else
            lines << QStringLiteral("event=%1 %2 %3 50 %4").arg(e).arg(sex, group, strokes[e % 5]);
    }
    for (int c = 1; c <= Core::DefaultClubCount; ++c)
        lines << QStringLiteral("club=C%1 Bench Club Number %1").arg(c, 3, 10, QLatin1Char('0'));
    for (int i = 0; i < 150; ++i)
        lines << QStringLiteral("combine=%1 %2").arg(2 * i + 1).arg(2 * i + 2);
    for (int i = 0; i < 20; ++i)
        lines << QStringLiteral("mandevents=%1 %2 %3").arg(3 * i + 1).arg(3 * i + 2).arg(3 * i + 3);
    for (int i = 1; i <= Core::MaxSeedGroups; ++i)
        lines << QStringLiteral("seedgroup=G%1").arg(i);
    for (int i = 1; i <= 20; ++i)
        lines << QStringLiteral("swimheats=%1").arg(i);
    lines << "End=End";
    return lines.join(u'\n').toUtf8() + '\n';
}

QString WriteFile(const QTemporaryDir &dir, const QString &name, const QByteArray &bytes)
{
    const QString path = dir.filePath(name);
    QFile file(path);
    if (file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        file.write(bytes);
    return path;
}

void RemoveDatabase(const QString &path)
{
    for (const char *suffix : {"", "-wal", "-shm"})
        QFile::remove(path + QLatin1String(suffix));
}

// add-meet of the largest meet into a new database. Target: under 1 s.
void BM_AddLargestMeet(benchmark::State &state)
{
    EnsureApplication();
    QTemporaryDir dir;
    const QString galaFile = WriteFile(dir, "bench.ini", LargestMeetFile());
    const QString db = dir.filePath("natamar.mdb");
    for (auto _ : state) {
        state.PauseTiming();
        RemoveDatabase(db);
        MeetDb::CreateMeetDatabase(db);
        state.ResumeTiming();
        MeetDb::ImportMessages messages;
        if (!MeetDb::AddMeetFromFile(db, galaFile, "BENCH", messages)) {
            state.SkipWithError(messages.Errors.join('\n').toUtf8().constData());
            return;
        }
    }
}
BENCHMARK(BM_AddLargestMeet)->Unit(benchmark::kMillisecond);

// "Select Competition" of the largest meet from the database. Target: under 100 ms.
void BM_LoadLargestMeet(benchmark::State &state)
{
    EnsureApplication();
    QTemporaryDir dir;
    const QString galaFile = WriteFile(dir, "bench.ini", LargestMeetFile());
    const QString db = dir.filePath("natamar.mdb");
    MeetDb::CreateMeetDatabase(db);
    MeetDb::ImportMessages messages;
    if (!MeetDb::AddMeetFromFile(db, galaFile, "BENCH", messages)) {
        state.SkipWithError(messages.Errors.join('\n').toUtf8().constData());
        return;
    }

    MeetDb::Session session;
    session.Settings.NatamarDb = db;
    session.Settings.NatamarDbFiles = {db};
    FirstMeetWindows windows;
    QuietPrompts prompts;
    for (auto _ : state) {
        if (MeetDb::LoadCompetition(session, prompts, windows) != MeetDb::LoadOutcome::Loaded) {
            state.SkipWithError("the meet did not load");
            return;
        }
    }
    const Core::GalaState &g = session.Gala;
    if (g.EventCount() != Core::MaxEvents || g.GroupCount() != Core::MaxGroups ||
        g.ClubTotal() != Core::DefaultClubCount || g.CombineCount() != 150 ||
        !prompts.Messages.isEmpty())
        state.SkipWithError("the meet loaded incompletely");
    session.MeetDb.Close();
}
BENCHMARK(BM_LoadLargestMeet)->Unit(benchmark::kMillisecond);

} // namespace
