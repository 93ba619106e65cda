#include <vector>

#include <benchmark/benchmark.h>

#include <QDate>
#include <QString>
#include <QTemporaryDir>

#include "benchsupport.h"
#include "lenex/lenexentries.h"
#include "meetdb/session.h"

namespace {

constexpr int AthleteCount = 1000;
constexpr int EntriesEach = 3;
constexpr int EventCount = 40; // odd numbers for girls, even for boys
const QString MeetCode = QStringLiteral("LENEX");

// The swimmers' entries in one Lenex file, the events with ids 1000 above their numbers.
Lenex::Document ClubsFile(const std::vector<BenchEntrant> &athletes)
{
    Lenex::Session session;
    for (int e = 1; e <= EventCount; ++e) {
        Lenex::Event event;
        event.Id = e + 1000;
        event.Number = e;
        event.Distance = 100;
        session.Events << event;
    }
    Lenex::Meet meet;
    meet.Sessions << session;
    for (int c = 0; c < 10; ++c) {
        Lenex::Club club;
        club.Code = QStringLiteral("CL%1").arg(c);
        club.Name = QStringLiteral("Club %1").arg(c);
        meet.Clubs << club;
    }
    for (const BenchEntrant &a : athletes) {
        Lenex::Athlete athlete;
        athlete.Id = a.Number;
        athlete.FirstName = a.Name.section(u' ', 0, 0);
        athlete.LastName = a.Name.section(u' ', 1);
        athlete.Gender = a.Sex;
        athlete.BirthDate = QDate::fromString(a.Age, QStringLiteral("dd/MM/yyyy"));
        athlete.License = a.Regno;
        for (const BenchSwim &swim : a.Swims) {
            Lenex::Entry entry;
            entry.EventId = swim.Event.toInt() + 1000;
            // "1:05.30" as Lenex writes it, "00:01:05.30".
            entry.EntryTime =
                swim.Typed == u"NT" ? swim.Typed : QStringLiteral("00:0") + swim.Typed;
            athlete.Entries << entry;
        }
        meet.Clubs[(a.Number - 1) % 10].Athletes << athlete;
    }
    Lenex::Document document;
    document.Meets << meet;
    return document;
}

// "Import Entries" of a Lenex file of 1,000 athletes with 3,000 entries into an empty open meet:
// checked (as "Record" checks each swim), summarised and written in one transaction, against
// plain SQLite writing the same rows in the same run. The iteration time is the import's, to
// stay under 1 s; the counters give both figures and the ratio, to stay within 3.
void BM_LenexEntries(benchmark::State &state)
{
    QTemporaryDir dir;
    const QString templ = dir.filePath(QStringLiteral("template.mdb"));
    MakeBenchOpenMeet(templ, MeetCode, EventCount);
    const std::vector<BenchEntrant> athletes =
        MakeBenchEntrants(AthleteCount, EntriesEach, EventCount);
    const Lenex::Document document = ClubsFile(athletes);

    MeasureAgainstPlain(
        state, templ, MeetCode,
        [&athletes](const QString &path) { return WritePlainEntrants(path, MeetCode, athletes); },
        [&document](MeetDb::Session &session) {
            Lenex::EntriesCheck check;
            QString error;
            QList<int> numbers;
            if (!Lenex::CheckLenexEntries(session, document, QStringLiteral("clubs.lxf"), check,
                                          &error) ||
                !Lenex::WriteLenexEntries(session, check, &numbers, &error))
                return error;
            if (numbers.size() != AthleteCount || check.NewEntrantSwims() != 3000)
                return check.Summary().left(2000);
            return QString();
        });
}
BENCHMARK(BM_LenexEntries)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(5);

} // namespace
