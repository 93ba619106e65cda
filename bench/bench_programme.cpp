#include <benchmark/benchmark.h>

#include <QDir>
#include <QSqlQuery>
#include <QString>
#include <QTemporaryDir>

#include "benchsupport.h"
#include "core/captureprompts.h"
#include "meetday/roster.h"
#include "meetdb/database.h"
#include "meetdb/schema.h"
#include "meetdb/session.h"
#include "reports/printer.h"
#include "reports/programme.h"
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
const QString Code = QStringLiteral("BENCH");

struct LargeMeet
{
    QTemporaryDir dir;
    QString path = QDir(dir.path()).filePath(QStringLiteral("natamar.mdb"));
    MeetDb::Session session;
    MeetDay::Roster roster;

    LargeMeet()
    {
        session.ProgramDir = dir.path();
        MeetDb::CreateMeetDatabase(path);
        session.MeetDb.Open(path);
        Core::GalaState &gala = session.Gala;
        gala.GalaName = QStringLiteral("Bench Open");
        gala.GalaType = Core::GalaOpen;
        gala.MeetCode = Code;
        gala.MeetDbOpen = true;
        gala.UseMeetDb = true;
        gala.PrintTimes = true;
        gala.Lanes = 6;
        gala.ProgramMode = MeetDay::ModeMeetDay;
        gala.Groups << Core::GalaGroup{QStringLiteral("OPEN"), QStringLiteral("Open"),
                                       QStringLiteral("Open-Age"), QStringLiteral("Open")};
        const char *const strokes[] = {"FS", "BK", "BR", "FLY", "MED"};
        for (int e = 1; e <= Events; ++e) {
            Core::GalaEvent event;
            event.EvNumber = QString::number(e);
            event.EvSequence = e;
            event.EvSex = e % 2 ? QStringLiteral("F") : QStringLiteral("M");
            event.EvGroup = QStringLiteral("OPEN");
            event.EvDistance = e % 5 == 0 ? QStringLiteral("200") : QStringLiteral("50");
            event.EvStroke = QString::fromLatin1(strokes[e % 5]);
            event.EvSelected = true;
            gala.Events << event;
        }
        for (int c = 1; c <= Clubs; ++c)
            gala.Clubs << Core::GalaClub{QStringLiteral("C%1").arg(c, 3, 10, QLatin1Char('0')),
                                         QStringLiteral("Club %1").arg(c)};

        MeetDb::Database &db = session.MeetDb;
        MeetDb::Transaction transaction(db);
        QSqlQuery entrant(db.Connection());
        entrant.prepare(QStringLiteral(
            "INSERT INTO \"Entrant Table\" (\"Meet code\", \"Entrant Number\", \"Swimmer Name\", "
            "\"club\", \"age\", \"Sex\") VALUES (?, ?, ?, ?, '01/02/10', 'F')"));
        QSqlQuery swim(db.Connection());
        swim.prepare(QStringLiteral(
            "INSERT INTO \"Swim Table\" (\"Meet code\", \"Entrant Number\", \"Event number\", "
            "\"Event Sequence\", \"Entry Time\", \"Confirmed\") VALUES (?, ?, ?, ?, ?, 0)"));
        for (int n = 1; n <= Entrants; ++n) {
            entrant.addBindValue(Code);
            entrant.addBindValue(n);
            entrant.addBindValue(QStringLiteral("Swimmer Number %1").arg(n));
            entrant.addBindValue(gala.Clubs.at(n % Clubs).Code);
            entrant.exec();
            for (int s = 0; s < SwimsEach; ++s) {
                const int event = 1 + (n + s * 53) % Events;
                swim.addBindValue(Code);
                swim.addBindValue(n);
                swim.addBindValue(QString::number(event));
                swim.addBindValue(event);
                swim.addBindValue(
                    QStringLiteral("%1.%2").arg(28 + n % 30).arg(n % 100, 2, 10, QLatin1Char('0')));
                swim.exec();
            }
        }
        transaction.Commit();
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
