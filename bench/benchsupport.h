#pragma once

#include <chrono>
#include <functional>
#include <memory>
#include <vector>

#include <benchmark/benchmark.h>
#include <sqlite3.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QSqlQuery>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

#include "core/captureprompts.h"
#include "core/galastate.h"
#include "core/startup.h"
#include "meetdb/competitionload.h"
#include "meetdb/database.h"
#include "meetdb/schema.h"
#include "meetdb/session.h"

// Reports need fonts, and fonts need a GUI application; without a display it runs on the
// offscreen platform. Returns false when another kind of application was made first.
inline bool EnsureGuiApplication()
{
    static int argc = 1;
    static char name[] = "openmeet_bench";
    static char *argv[] = {name, nullptr};
    static std::unique_ptr<QGuiApplication> app;
    if (!QCoreApplication::instance()) {
        if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
            qputenv("QT_QPA_PLATFORM", "offscreen");
        app = std::make_unique<QGuiApplication>(argc, argv);
        Core::InstallFontSubstitutions();
    }
    return qobject_cast<QGuiApplication *>(QCoreApplication::instance()) != nullptr;
}

// A large open meet in a temporary meet database, loaded into `session`: `events` events of one
// open group (girls and boys by turn, 50 m and every fifth 200 m, strokes in turn), `clubs`
// clubs, and `entrants` swimmers with `swimsEach` swims each, swim s of entrant n in event
// 1 + (n + s * eventStep) % events, with entry times from 28.00 to 57.99.
struct BenchMeet
{
    QTemporaryDir dir;
    QString path = QDir(dir.path()).filePath(QStringLiteral("natamar.mdb"));
    MeetDb::Session session;

    BenchMeet(int events, int entrants, int swimsEach, int clubs, int eventStep)
    {
        static const QString code = QStringLiteral("BENCH");
        session.ProgramDir = dir.path();
        MeetDb::CreateMeetDatabase(path);
        session.MeetDb.Open(path);
        Core::GalaState &gala = session.Gala;
        gala.GalaName = QStringLiteral("Bench Open");
        gala.GalaType = Core::GalaOpen;
        gala.MeetCode = code;
        gala.MeetDbOpen = true;
        gala.UseMeetDb = true;
        gala.Groups << Core::GalaGroup{QStringLiteral("OPEN"), QStringLiteral("Open"),
                                       QStringLiteral("Open-Age"), QStringLiteral("Open")};
        const char *const strokes[] = {"FS", "BK", "BR", "FLY", "MED"};
        for (int e = 1; e <= events; ++e) {
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
        for (int c = 1; c <= clubs; ++c)
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
        for (int n = 1; n <= entrants; ++n) {
            entrant.addBindValue(code);
            entrant.addBindValue(n);
            entrant.addBindValue(QStringLiteral("Swimmer Number %1").arg(n));
            entrant.addBindValue(gala.Clubs.at(n % clubs).Code);
            entrant.exec();
            for (int s = 0; s < swimsEach; ++s) {
                const int event = 1 + (n + s * eventStep) % events;
                swim.addBindValue(code);
                swim.addBindValue(n);
                swim.addBindValue(QString::number(event));
                swim.addBindValue(event);
                swim.addBindValue(
                    QStringLiteral("%1.%2").arg(28 + n % 30).arg(n % 100, 2, 10, QLatin1Char('0')));
                swim.exec();
            }
        }
        transaction.Commit();
    }
};

// Seconds since `since`.
inline double BenchSeconds(std::chrono::steady_clock::time_point since)
{
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - since).count();
}

// An open meet `code` in a new meet database at `path`: `events` events of 100 m (odd numbers
// for girls, even for boys, strokes in turn) in one open group, ten clubs CL0 to CL9, and no
// entrants yet. For the benchmarks that load the meet as the program does.
inline void MakeBenchOpenMeet(const QString &path, const QString &code, int events)
{
    MeetDb::CreateMeetDatabase(path);
    MeetDb::Database db;
    db.Open(path);
    MeetDb::Transaction transaction(db);
    db.Exec(QStringLiteral(R"(INSERT INTO "Meet Table" ("Meet code", "Meet Name", "Meet Date", )"
                           R"("Qual Date", "Meet Type", "Lanes") VALUES (:code, 'Bench Open', )"
                           R"('2027-03-14', '2027-03-14', 'Open', 6))"),
            {{QStringLiteral("code"), code}});
    db.Exec(
        QStringLiteral(R"(INSERT INTO "Group Table" ("Meet code", "Group Order", )"
                       R"("Group Name", "Group Description") VALUES (:code, 1, 'OPEN', 'Open'))"),
        {{QStringLiteral("code"), code}});
    const QStringList strokes{"FS", "BK", "BR", "FLY", "MED"};
    for (int i = 1; i <= events; ++i)
        db.Exec(QStringLiteral(R"(INSERT INTO "Event Table" ("Meet code", "Event number", )"
                               R"("Event Sequence", "Sex", "Group", "Distance", "Stroke") )"
                               R"(VALUES (:code, :num, :seq, :sex, 'OPEN', 100, :stroke))"),
                {{QStringLiteral("code"), code},
                 {QStringLiteral("num"), QString::number(i)},
                 {QStringLiteral("seq"), i},
                 {QStringLiteral("sex"), i % 2 ? QStringLiteral("F") : QStringLiteral("M")},
                 {QStringLiteral("stroke"), strokes.at((i / 2) % strokes.size())}});
    for (int c = 0; c < 10; ++c)
        db.Exec(QStringLiteral(R"(INSERT INTO "Club Name Table" ("Meet code", "Club Code", )"
                               R"("Club Name") VALUES (:code, :club, :name))"),
                {{QStringLiteral("code"), code},
                 {QStringLiteral("club"), QStringLiteral("CL%1").arg(c)},
                 {QStringLiteral("name"), QStringLiteral("Club %1").arg(c)}});
    transaction.Commit();
}

// One statement of plain SQLite, the yardstick of bulk writes: prepared once, bound by
// position, run and reset.
class SqliteStatement
{
public:
    SqliteStatement(sqlite3 *db, const char *sql)
    {
        sqlite3_prepare_v2(db, sql, -1, &m_stmt, nullptr);
    }
    ~SqliteStatement() { sqlite3_finalize(m_stmt); }
    SqliteStatement(const SqliteStatement &) = delete;
    SqliteStatement &operator=(const SqliteStatement &) = delete;
    void Text(int index, const QString &text)
    {
        const QByteArray utf8 = text.toUtf8();
        sqlite3_bind_text(m_stmt, index, utf8.constData(), int(utf8.size()), SQLITE_TRANSIENT);
    }
    void Int(int index, int value) { sqlite3_bind_int(m_stmt, index, value); }
    bool Step()
    {
        const bool done = sqlite3_step(m_stmt) == SQLITE_DONE;
        sqlite3_reset(m_stmt);
        return done;
    }
    bool Valid() const { return m_stmt != nullptr; }

private:
    sqlite3_stmt *m_stmt = nullptr;
};

// A swimmer as the entry benchmarks import it, and the rows plain SQLite writes for it.
struct BenchSwim
{
    QString Event;
    QString Typed;  // as the file gives it
    QString Stored; // as "Swim Table" keeps it
};

struct BenchEntrant
{
    int Number = 0;
    QString Name, Club, Sex, Age, Regno;
    std::vector<BenchSwim> Swims;
};

// `count` swimmers of the bench meet's ten clubs (MakeBenchOpenMeet with `events` events), girls
// and boys by turn, each with `swimsEach` swims of their sex, the third without a time; the
// date of birth is written dd/03/yyyy.
inline std::vector<BenchEntrant> MakeBenchEntrants(int count, int swimsEach, int events)
{
    std::vector<BenchEntrant> entrants;
    for (int i = 0; i < count; ++i) {
        BenchEntrant e;
        e.Number = i + 1;
        e.Name = QStringLiteral("Swimmer%1 Surname%2").arg(i).arg(i % 97);
        e.Club = QStringLiteral("CL%1").arg(i % 10);
        e.Sex = i % 2 ? QStringLiteral("M") : QStringLiteral("F");
        e.Age =
            QStringLiteral("%1/03/%2").arg(i % 28 + 1, 2, 10, QLatin1Char('0')).arg(2000 + i % 12);
        e.Regno = QString::number(100000 + i);
        for (int s = 0; s < swimsEach; ++s) {
            const int event = ((i / 2 + s * 7) % (events / 2)) * 2 + (i % 2 ? 2 : 1);
            BenchSwim swim;
            swim.Event = QString::number(event);
            if (s == 2) {
                swim.Typed = QStringLiteral("NT");
                swim.Stored = QStringLiteral("9:99.99");
            } else {
                swim.Typed = swim.Stored = QStringLiteral("1:%1.%2")
                                               .arg(10 + i % 50, 2, 10, QLatin1Char('0'))
                                               .arg(i % 100, 2, 10, QLatin1Char('0'));
            }
            e.Swims.push_back(swim);
        }
        entrants.push_back(e);
    }
    return entrants;
}

// The rows an import writes for `entrants`, by plain SQLite: one transaction, each statement
// prepared once, the stored next number after the last. Returns false when a statement failed.
inline bool WritePlainEntrants(const QString &path, const QString &meetCode,
                               const std::vector<BenchEntrant> &entrants)
{
    sqlite3 *db = nullptr;
    if (sqlite3_open_v2(QFile::encodeName(path).constData(), &db, SQLITE_OPEN_READWRITE, nullptr) !=
        SQLITE_OK) {
        sqlite3_close(db);
        return false;
    }
    bool ok = sqlite3_exec(db, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr) == SQLITE_OK;
    {
        SqliteStatement entrant(db,
                                R"(INSERT INTO "Entrant Table" ("Meet code", "Entrant Number", )"
                                R"("Swimmer Name", "club", "age", "Sex", "Card Printed", "Regno") )"
                                R"(VALUES (?, ?, ?, ?, ?, ?, 0, ?))");
        SqliteStatement swim(db,
                             R"(INSERT INTO "Swim Table" ("Meet code", "Entrant Number", )"
                             R"("Event number", "Event Sequence", "Combined With", "Entry Time", )"
                             R"("Time", "Confirmed", "Position", "DQ", "DQ Reason", )"
                             R"("Meet Specific", "Seed Order", "DNS", "Notes", "Points") )"
                             R"(VALUES (?, ?, ?, ?, ?, ?, ?, 0, 0, 0, '', '', 0, 0, '', 0))");
        SqliteStatement next(db, R"(UPDATE "Meet Table" SET "Next Competitor Number" = ? )"
                                 R"(WHERE "Meet code" = ?)");
        ok = ok && entrant.Valid() && swim.Valid() && next.Valid();
        for (const BenchEntrant &e : entrants) {
            if (!ok)
                break;
            entrant.Text(1, meetCode);
            entrant.Int(2, e.Number);
            entrant.Text(3, e.Name);
            entrant.Text(4, e.Club);
            entrant.Text(5, e.Age);
            entrant.Text(6, e.Sex);
            entrant.Text(7, e.Regno);
            ok = entrant.Step();
            for (const BenchSwim &s : e.Swims) {
                swim.Text(1, meetCode);
                swim.Int(2, e.Number);
                swim.Text(3, s.Event);
                swim.Int(4, s.Event.toInt());
                swim.Text(5, s.Event);
                swim.Text(6, s.Stored);
                swim.Text(7, s.Stored);
                ok = ok && swim.Step();
            }
        }
        next.Int(1, int(entrants.size()) + 1);
        next.Text(2, meetCode);
        ok = ok && next.Step();
    }
    ok = ok && sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr) == SQLITE_OK;
    sqlite3_close(db);
    return ok;
}

// The iterations of a bulk write measured against plain SQLite in the same run: each copies the
// meet database `templ` twice, times `plain` writing one copy, loads meet `meetCode` of the other
// as the program does and times `import` on it. `import` returns "" when it wrote what it should,
// otherwise why not. The iteration time is the import's; the counters plain_ms, openmeet_ms and
// their ratio give both figures.
inline void MeasureAgainstPlain(benchmark::State &state, const QString &templ,
                                const QString &meetCode,
                                const std::function<bool(const QString &path)> &plain,
                                const std::function<QString(MeetDb::Session &session)> &import)
{
    const QDir dir = QFileInfo(templ).dir();
    double plainTotal = 0;
    double importTotal = 0;
    int run = 0;
    for (auto _ : state) {
        ++run;
        const QString plainPath = dir.filePath(QStringLiteral("plain%1.mdb").arg(run));
        const QString importPath = dir.filePath(QStringLiteral("import%1.mdb").arg(run));
        if (!QFile::copy(templ, plainPath) || !QFile::copy(templ, importPath)) {
            state.SkipWithError("cannot copy the meet database");
            return;
        }

        std::chrono::steady_clock::time_point start = std::chrono::steady_clock::now();
        if (!plain(plainPath)) {
            state.SkipWithError("plain SQLite failed");
            return;
        }
        const double plainSeconds = BenchSeconds(start);

        MeetDb::Session session;
        Core::CapturePrompts prompts;
        if (!MeetDb::LoadMeetByCode(session, importPath, meetCode, prompts)) {
            state.SkipWithError("the meet did not load");
            return;
        }
        start = std::chrono::steady_clock::now();
        const QString failure = import(session);
        const double importSeconds = BenchSeconds(start);
        if (!failure.isEmpty()) {
            state.SkipWithError(qPrintable(failure));
            return;
        }
        state.SetIterationTime(importSeconds);
        plainTotal += plainSeconds;
        importTotal += importSeconds;
    }
    if (run > 0) {
        state.counters["plain_ms"] = plainTotal * 1000 / run;
        state.counters["openmeet_ms"] = importTotal * 1000 / run;
        state.counters["ratio"] = importTotal / plainTotal;
    }
}
