#include <optional>

#include <benchmark/benchmark.h>

#include <QString>
#include <QStringList>
#include <QTemporaryDir>

#include "core/captureprompts.h"
#include "core/galastate.h"
#include "entries/entryform.h"
#include "meetdb/database.h"
#include "meetdb/schema.h"
#include "meetdb/session.h"

namespace {

using SilentPrompts = Core::CapturePrompts;

class NoDialogs : public Entries::EntryDialogs
{
public:
    bool AskAddress(const QString &, int, int, Entries::AddressRecord &) override { return false; }
    Entries::MemberDetailsAction ShowMemberDetails(Entries::MemberDetailsRequest &) override
    {
        return Entries::MemberDetailsAction::None;
    }
};

// One "Record" through the entry form of an open meet held in a database file on disk: an
// entrant with 10 swims, each with a time, written in one transaction with the number read and
// moved on. The operator presses Record several times a minute, so it must take well under
// 10 ms even with hundreds of entrants already in the meet.
void BM_RecordTenSwims(benchmark::State &state)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("natamar.mdb"));
    MeetDb::CreateMeetDatabase(path);

    MeetDb::Session session;
    Core::GalaState &gala = session.Gala;
    gala.GalaType = Core::GalaOpen;
    gala.MeetCode = QStringLiteral("M1");
    gala.DbVersion = 1.0f;
    gala.Groups << Core::GalaGroup{QStringLiteral("OPEN"), QStringLiteral("Open"), {}, {}};
    const QStringList strokes{"FS", "BK", "BR", "FLY", "MED"};
    for (int i = 0; i < 40; ++i) {
        Core::GalaEvent event;
        event.EvNumber = QString::number(i + 1);
        event.EvSex = i % 2 ? QStringLiteral("M") : QStringLiteral("F");
        event.EvGroup = QStringLiteral("OPEN");
        event.EvDistance = i < 20 ? QStringLiteral("50") : QStringLiteral("100");
        event.EvStroke = strokes.at((i / 2) % strokes.size());
        gala.Events << event;
    }
    gala.Combinations << QStringList{QStringLiteral("1"), QStringLiteral("3")};
    session.MeetDb.Open(path);
    session.MeetDb.Exec(QStringLiteral(R"(INSERT INTO "Meet Table" ("Meet code", "Meet Name") )"
                                       R"(VALUES ('M1', 'Bench Open'))"));
    gala.MeetDbOpen = gala.UseMeetDb = true;

    SilentPrompts prompts;
    prompts.YesAnswer = true;
    NoDialogs dialogs;
    Entries::EntryForm form(session, prompts, dialogs, Entries::MakeEntryStore(session));
    if (!form.Open()) {
        state.SkipWithError("the form did not open");
        return;
    }
    form.OnGroupClicked(0);

    int entrant = 0;
    for (auto _ : state) {
        form.FullName = QStringLiteral("Swimmer %1").arg(++entrant);
        form.ClubName = QStringLiteral("VMSC");
        form.IntDob = QStringLiteral("05/03/10");
        form.IntSex = QStringLiteral("F");
        form.OnSexLeft();
        for (int slot = 0; slot < 10; ++slot) {
            form.Slots[slot].Time = QStringLiteral("1:0%1.25").arg(slot);
            form.OnTimeLeft(slot);
        }
        form.Record();
    }
    if (!prompts.Messages.isEmpty() || form.Info.size() != 11)
        state.SkipWithError("a record was refused");
    state.counters["entrants"] = entrant;
}
BENCHMARK(BM_RecordTenSwims)->Unit(benchmark::kMillisecond)->MinTime(2.0);

} // namespace
