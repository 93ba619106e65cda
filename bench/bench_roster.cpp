#include <chrono>

#include <benchmark/benchmark.h>
#include <sqlite3.h>

#include <QDir>
#include <QHash>
#include <QSqlQuery>
#include <QString>
#include <QTemporaryDir>

#include "core/captureprompts.h"
#include "meetday/roster.h"
#include "meetdb/database.h"
#include "meetdb/schema.h"
#include "meetdb/session.h"

/*
 * The meet-day roster of a large meet, 3,000 entrants with 9,000 swims, loaded and saved by the
 * program and, in the same run, the same rows read and written by plain SQLite (one transaction,
 * statements prepared once, no QtSql). Each benchmark reports both times and their ratio; the
 * program's target is at most 3 times plain SQLite.
 */
namespace {

constexpr int Entrants = 3000;
const char *const Events[] = {"1", "2", "3"};
const QString Code = QStringLiteral("BENCH");

using Clock = std::chrono::steady_clock;

double Seconds(Clock::time_point from)
{
    return std::chrono::duration<double>(Clock::now() - from).count();
}

sqlite3_stmt *Prepare(sqlite3 *db, const char *sql)
{
    sqlite3_stmt *statement = nullptr;
    if (sqlite3_prepare_v2(db, sql, -1, &statement, nullptr) != SQLITE_OK)
        return nullptr;
    return statement;
}

void BindText(sqlite3_stmt *statement, int index, const QString &text)
{
    const QByteArray bytes = text.toUtf8();
    sqlite3_bind_text(statement, index, bytes.constData(), int(bytes.size()), SQLITE_TRANSIENT);
}

QString Text(sqlite3_stmt *statement, int column)
{
    return QString::fromUtf8(reinterpret_cast<const char *>(sqlite3_column_text(statement, column)),
                             sqlite3_column_bytes(statement, column));
}

// A meet database in a temporary folder holding the large meet, and a session over it.
struct LargeMeet
{
    QTemporaryDir dir;
    QString path = QDir(dir.path()).filePath(QStringLiteral("natamar.mdb"));
    MeetDb::Session session;
    Core::CapturePrompts prompts;
    sqlite3 *plain = nullptr;

    LargeMeet()
    {
        MeetDb::CreateMeetDatabase(path);
        session.MeetDb.Open(path);
        Core::GalaState &gala = session.Gala;
        gala.MeetCode = Code;
        gala.MeetDbOpen = true;
        gala.DbVersion = 1.0f;
        for (const char *event : Events) {
            Core::GalaEvent e;
            e.EvNumber = QString::fromLatin1(event);
            gala.Events << e;
        }
        MeetDb::Database &db = session.MeetDb;
        MeetDb::Transaction transaction(db);
        db.Exec(QStringLiteral("INSERT INTO \"Meet Table\" (\"Meet code\", \"Meet Name\") "
                               "VALUES (:code, 'Bench')"),
                {{QStringLiteral("code"), Code}});
        QSqlQuery entrant(db.Connection());
        entrant.prepare(QStringLiteral(
            "INSERT INTO \"Entrant Table\" (\"Meet code\", \"Entrant Number\", \"Swimmer Name\", "
            "\"club\", \"age\", \"Sex\", \"Regno\") VALUES (?, ?, ?, 'ASHB', '01/02/10', 'F', ?)"));
        QSqlQuery swim(db.Connection());
        swim.prepare(QStringLiteral(
            "INSERT INTO \"Swim Table\" (\"Meet code\", \"Entrant Number\", \"Event number\", "
            "\"Entry Time\", \"Confirmed\", \"Combined With\", \"Meet Specific\") "
            "VALUES (?, ?, ?, '1:00.00', 0, ?, '')"));
        for (int n = 1; n <= Entrants; ++n) {
            entrant.addBindValue(Code);
            entrant.addBindValue(n);
            entrant.addBindValue(QStringLiteral("Swimmer %1").arg(n));
            entrant.addBindValue(QString::number(100000 + n));
            entrant.exec();
            for (const char *event : Events) {
                swim.addBindValue(Code);
                swim.addBindValue(n);
                swim.addBindValue(QString::fromLatin1(event));
                swim.addBindValue(QString::fromLatin1(event));
                swim.exec();
            }
        }
        transaction.Commit();
        sqlite3_open_v2(path.toUtf8().constData(), &plain, SQLITE_OPEN_READWRITE, nullptr);
    }

    ~LargeMeet() { sqlite3_close(plain); }

    // The statement of "Meet Swim Record" as stored in the file, its parameter made a "?".
    QByteArray SwimRecordSql()
    {
        sqlite3_stmt *query = Prepare(
            plain, "SELECT \"Sql\" FROM \"Saved Queries\" WHERE \"Name\" = 'Meet Swim Record'");
        QString sql;
        if (query && sqlite3_step(query) == SQLITE_ROW)
            sql = Text(query, 0);
        sqlite3_finalize(query);
        return sql.replace(QStringLiteral("{Enter Meet Code}"), QStringLiteral("?")).toUtf8();
    }

    // The roster read as LoadRoster reads it, through plain SQLite.
    MeetDay::Roster PlainLoad(const QByteArray &sql)
    {
        MeetDay::Roster roster;
        sqlite3_stmt *query = Prepare(plain, sql.constData());
        BindText(query, 1, Code);
        QHash<int, int> rowOf;
        while (sqlite3_step(query) == SQLITE_ROW) {
            const int number = sqlite3_column_int(query, 1);
            auto found = rowOf.constFind(number);
            if (found == rowOf.cend()) {
                MeetDay::RosterEntrant entrant;
                entrant.EntrantNumber = number;
                entrant.Name = Text(query, 2);
                entrant.Club = Text(query, 3);
                entrant.RegNo = Text(query, 4);
                entrant.Age = Text(query, 5);
                entrant.Sex = Text(query, 6);
                found = rowOf.insert(number, int(roster.size()));
                roster.append(std::move(entrant));
            }
            MeetDay::RosterSwim swim;
            swim.EventNumber = Text(query, 7);
            swim.EntryTime = Text(query, 8);
            swim.Confirmed = sqlite3_column_int(query, 9) > 0;
            swim.CombinedWith = Text(query, 10);
            swim.MeetSpecific = Text(query, 11);
            roster[*found].Swims.append(std::move(swim));
        }
        sqlite3_finalize(query);
        return roster;
    }

    // The writes SaveRoster makes for a roster whose entrants and swims are all stored: the
    // row ids read once, then every entrant and every swim updated by row id.
    bool PlainSave(const MeetDay::Roster &roster)
    {
        sqlite3_exec(plain, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr);
        QHash<int, sqlite3_int64> entrantRow;
        QHash<int, QList<QPair<sqlite3_int64, QString>>> swimRows;
        sqlite3_stmt *entrants = Prepare(
            plain,
            "SELECT rowid, \"Entrant Number\" FROM \"Entrant Table\" WHERE \"Meet code\" = ?");
        BindText(entrants, 1, Code);
        while (sqlite3_step(entrants) == SQLITE_ROW)
            entrantRow.insert(sqlite3_column_int(entrants, 1), sqlite3_column_int64(entrants, 0));
        sqlite3_finalize(entrants);
        sqlite3_stmt *swims = Prepare(plain, "SELECT rowid, \"Entrant Number\", \"Event number\" "
                                             "FROM \"Swim Table\" WHERE \"Meet code\" = ? "
                                             "ORDER BY rowid");
        BindText(swims, 1, Code);
        while (sqlite3_step(swims) == SQLITE_ROW)
            swimRows[sqlite3_column_int(swims, 1)].append(
                {sqlite3_column_int64(swims, 0), Text(swims, 2)});
        sqlite3_finalize(swims);

        sqlite3_stmt *updateEntrant =
            Prepare(plain, "UPDATE \"Entrant Table\" SET \"Swimmer Name\" = ?, \"club\" = ?, "
                           "\"age\" = ?, \"Sex\" = ?, \"Regno\" = ? WHERE rowid = ?");
        sqlite3_stmt *updateSwim =
            Prepare(plain, "UPDATE \"Swim Table\" SET \"Entry Time\" = ?, \"Confirmed\" = ?, "
                           "\"Meet Specific\" = ? WHERE rowid = ?");
        bool ok = updateEntrant && updateSwim;
        for (const MeetDay::RosterEntrant &e : roster) {
            BindText(updateEntrant, 1, e.Name);
            BindText(updateEntrant, 2, e.Club);
            BindText(updateEntrant, 3, e.Age);
            BindText(updateEntrant, 4, e.Sex);
            BindText(updateEntrant, 5, e.RegNo);
            sqlite3_bind_int64(updateEntrant, 6, entrantRow.value(e.EntrantNumber));
            ok = ok && sqlite3_step(updateEntrant) == SQLITE_DONE;
            sqlite3_reset(updateEntrant);
            const QList<QPair<sqlite3_int64, QString>> stored = swimRows.value(e.EntrantNumber);
            for (int s = 0; s < e.Swims.size() && s < stored.size(); ++s) {
                const MeetDay::RosterSwim &swim = e.Swims.at(s);
                BindText(updateSwim, 1, swim.EntryTime);
                sqlite3_bind_int(updateSwim, 2, swim.Confirmed ? 1 : 0);
                BindText(updateSwim, 3, swim.MeetSpecific);
                sqlite3_bind_int64(updateSwim, 4, stored.at(s).first);
                ok = ok && sqlite3_step(updateSwim) == SQLITE_DONE;
                sqlite3_reset(updateSwim);
            }
        }
        sqlite3_finalize(updateEntrant);
        sqlite3_finalize(updateSwim);
        return sqlite3_exec(plain, "COMMIT", nullptr, nullptr, nullptr) == SQLITE_OK && ok;
    }
};

void Report(benchmark::State &state, double ours, double plain)
{
    const double iterations = double(state.iterations());
    state.counters["openmeet_ms"] = ours * 1000 / iterations;
    state.counters["sqlite_ms"] = plain * 1000 / iterations;
    state.counters["ratio"] = plain > 0 ? ours / plain : 0;
}

void BM_LoadRoster(benchmark::State &state)
{
    LargeMeet meet;
    const QByteArray sql = meet.SwimRecordSql();
    double ours = 0;
    double plain = 0;
    for (auto _ : state) {
        Clock::time_point start = Clock::now();
        MeetDay::Roster roster;
        MeetDay::LoadRoster(meet.session, meet.prompts, roster);
        const double took = Seconds(start);
        ours += took;
        start = Clock::now();
        const MeetDay::Roster same = meet.PlainLoad(sql);
        plain += Seconds(start);
        state.SetIterationTime(took);
        if (roster.size() != Entrants || same.size() != Entrants || roster.at(7).SwimCount() != 3)
            state.SkipWithError("the roster was not read whole");
    }
    Report(state, ours, plain);
}
BENCHMARK(BM_LoadRoster)->UseManualTime()->Unit(benchmark::kMillisecond);

void BM_SaveRoster(benchmark::State &state)
{
    LargeMeet meet;
    MeetDay::Roster roster;
    MeetDay::LoadRoster(meet.session, meet.prompts, roster);
    double ours = 0;
    double plain = 0;
    bool confirmed = false;
    for (auto _ : state) {
        // Every swim changes, so both sides write every row.
        confirmed = !confirmed;
        MeetDay::SetAllConfirmed(roster, meet.session.Gala, confirmed);
        Clock::time_point start = Clock::now();
        const bool saved = MeetDay::SaveRoster(meet.session, roster, meet.prompts);
        const double took = Seconds(start);
        ours += took;
        start = Clock::now();
        const bool plainSaved = meet.PlainSave(roster);
        plain += Seconds(start);
        state.SetIterationTime(took);
        if (!saved || !plainSaved)
            state.SkipWithError("a save failed");
    }
    Report(state, ours, plain);
}
BENCHMARK(BM_SaveRoster)->UseManualTime()->Unit(benchmark::kMillisecond);

} // namespace
