#include <benchmark/benchmark.h>

#include <QDir>
#include <QString>
#include <QTemporaryDir>

#include "lenex/lenexfile.h"

namespace {

// An open meet's entries as clubs send them: 30 events in two sessions, 20 clubs of 50
// athletes, each athlete entered in 3 events with a time; 1,000 athletes and 3,000 entries.
Lenex::Document BigDocument()
{
    Lenex::Document document;
    Lenex::Meet &meet = document.Meets.emplace_back();
    meet.Name = QStringLiteral("Velmora Winter Open");
    meet.City = QStringLiteral("Velmora");
    meet.Nation = QStringLiteral("GBR");
    meet.Course = QStringLiteral("SCM");
    const QStringList strokes = {QStringLiteral("FREE"), QStringLiteral("BACK"),
                                 QStringLiteral("BREAST"), QStringLiteral("FLY"),
                                 QStringLiteral("MEDLEY")};
    for (int s = 1; s <= 2; ++s) {
        Lenex::Session &session = meet.Sessions.emplace_back();
        session.Number = s;
        session.Date = QDate(2026, 11, 20 + s);
        for (int e = 1; e <= 15; ++e) {
            Lenex::Event &event = session.Events.emplace_back();
            event.Number = event.Id = (s - 1) * 15 + e;
            event.Gender = e % 2 ? QStringLiteral("F") : QStringLiteral("M");
            event.Distance = e % 3 ? 100 : 200;
            event.Stroke = strokes.at(e % strokes.size());
            event.AgeGroups.append({1, 9, 10, {}, QStringLiteral("9/10 Yrs")});
            event.AgeGroups.append({2, 11, -1, {}, QStringLiteral("11 & Over")});
        }
    }
    int athleteId = 0;
    for (int c = 1; c <= 20; ++c) {
        Lenex::Club &club = meet.Clubs.emplace_back();
        club.Code = QStringLiteral("CL%1").arg(c, 2, 10, QLatin1Char('0'));
        club.Name = QStringLiteral("Club number %1 Swimming Club").arg(c);
        club.Nation = QStringLiteral("GBR");
        for (int a = 1; a <= 50; ++a) {
            Lenex::Athlete &athlete = club.Athletes.emplace_back();
            athlete.Id = ++athleteId;
            athlete.FirstName = QStringLiteral("First%1").arg(athleteId);
            athlete.LastName = QStringLiteral("Surname%1").arg(athleteId);
            athlete.Gender = athleteId % 2 ? QStringLiteral("F") : QStringLiteral("M");
            athlete.BirthDate = QDate(2010 + athleteId % 8, 1 + athleteId % 12, 1 + athleteId % 28);
            athlete.License = QString::number(100000 + athleteId);
            for (int k = 0; k < 3; ++k) {
                const int seconds = 60 + (athleteId * 7 + k * 13) % 90;
                athlete.Entries.append({1 + (athleteId + k * 10) % 30,
                                        Lenex::SwimTimeFromEntryTime(QString::number(seconds)),
                                        Lenex::NoId, Lenex::NoLane});
            }
        }
    }
    return document;
}

void BM_LenexWriteXml(benchmark::State &state)
{
    const Lenex::Document document = BigDocument();
    for (auto _ : state) {
        QByteArray xml = Lenex::LenexXml(document);
        benchmark::DoNotOptimize(xml);
    }
}
BENCHMARK(BM_LenexWriteXml)->Unit(benchmark::kMillisecond);

void BM_LenexReadXml(benchmark::State &state)
{
    const QByteArray xml = Lenex::LenexXml(BigDocument());
    for (auto _ : state) {
        Lenex::Document document;
        if (!Lenex::ReadLenexXml(xml, QStringLiteral("bench.lef"), document, nullptr))
            state.SkipWithError("the document does not read back");
        benchmark::DoNotOptimize(document);
    }
    state.SetBytesProcessed(state.iterations() * xml.size());
}
BENCHMARK(BM_LenexReadXml)->Unit(benchmark::kMillisecond);

// The same document as a zipped file on disk: written through a scratch file with a disk sync,
// and read back with the size cap while it is unpacked.
void BM_LenexWriteLxf(benchmark::State &state)
{
    const Lenex::Document document = BigDocument();
    QTemporaryDir dir;
    const QString path = QDir(dir.path()).filePath(QStringLiteral("bench.lxf"));
    for (auto _ : state) {
        if (!Lenex::WriteLenexFile(path, document, nullptr))
            state.SkipWithError("the file cannot be written");
    }
}
BENCHMARK(BM_LenexWriteLxf)->Unit(benchmark::kMillisecond);

void BM_LenexReadLxf(benchmark::State &state)
{
    QTemporaryDir dir;
    const QString path = QDir(dir.path()).filePath(QStringLiteral("bench.lxf"));
    if (!Lenex::WriteLenexFile(path, BigDocument(), nullptr))
        state.SkipWithError("the file cannot be written");
    for (auto _ : state) {
        Lenex::Document document;
        if (!Lenex::ReadLenexFile(path, document, nullptr))
            state.SkipWithError("the file does not read back");
        benchmark::DoNotOptimize(document);
    }
}
BENCHMARK(BM_LenexReadLxf)->Unit(benchmark::kMillisecond);

} // namespace
