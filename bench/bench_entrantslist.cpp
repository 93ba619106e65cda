#include <benchmark/benchmark.h>

#include <QDir>
#include <QGuiApplication>
#include <QSqlQuery>
#include <QString>
#include <QTemporaryDir>

#include "benchsupport.h"
#include "core/captureprompts.h"
#include "core/startup.h"
#include "meetdb/database.h"
#include "meetdb/schema.h"
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
const QString Code = QStringLiteral("BENCH");

QString ClubCode(int club)
{
    return QStringLiteral("C%1").arg(club, 3, 10, QLatin1Char('0'));
}

struct LargeMeet
{
    QTemporaryDir dir;
    QString path = QDir(dir.path()).filePath(QStringLiteral("natamar.mdb"));
    MeetDb::Session session;

    LargeMeet()
    {
        MeetDb::CreateMeetDatabase(path);
        session.MeetDb.Open(path);
        Core::GalaState &gala = session.Gala;
        gala.GalaName = QStringLiteral("Bench Open");
        gala.GalaType = Core::GalaOpen;
        gala.MeetCode = Code;
        gala.MeetDbOpen = true;
        const char *const strokes[] = {"FS", "BK", "BR", "FLY", "MED"};
        for (int e = 1; e <= Events; ++e) {
            Core::GalaEvent event;
            event.EvNumber = QString::number(e);
            event.EvDistance = e % 5 == 0 ? QStringLiteral("200") : QStringLiteral("50");
            event.EvStroke = QString::fromLatin1(strokes[e % 5]);
            gala.Events << event;
        }
        for (int c = 1; c <= Clubs; ++c)
            gala.Clubs << Core::GalaClub{ClubCode(c), QStringLiteral("Club %1").arg(c)};

        MeetDb::Database &db = session.MeetDb;
        MeetDb::Transaction transaction(db);
        QSqlQuery entrant(db.Connection());
        entrant.prepare(QStringLiteral(
            "INSERT INTO \"Entrant Table\" (\"Meet code\", \"Entrant Number\", \"Swimmer Name\", "
            "\"club\", \"age\", \"Sex\") VALUES (?, ?, ?, ?, '01/02/10', 'F')"));
        QSqlQuery swim(db.Connection());
        swim.prepare(QStringLiteral(
            "INSERT INTO \"Swim Table\" (\"Meet code\", \"Entrant Number\", \"Event number\", "
            "\"Entry Time\") VALUES (?, ?, ?, '1:02.34')"));
        for (int n = 1; n <= Entrants; ++n) {
            entrant.addBindValue(Code);
            entrant.addBindValue(n);
            entrant.addBindValue(QStringLiteral("Swimmer Number %1").arg(n));
            entrant.addBindValue(ClubCode(1 + n % Clubs));
            entrant.exec();
            for (int s = 0; s < SwimsEach; ++s) {
                swim.addBindValue(Code);
                swim.addBindValue(n);
                swim.addBindValue(QString::number(1 + (n + s * 7) % Events));
                swim.exec();
            }
        }
        transaction.Commit();
    }
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
