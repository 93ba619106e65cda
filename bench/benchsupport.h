#pragma once

#include <chrono>
#include <memory>

#include <sqlite3.h>

#include <QDir>
#include <QGuiApplication>
#include <QSqlQuery>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

#include "core/galastate.h"
#include "core/startup.h"
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
