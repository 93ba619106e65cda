// The meet file's table check. Each input is SQL run on a copy of a new meet database before
// the program opens it, as whoever crafted a file could have done: tables rebuilt with other
// clauses, columns added, indexes made or dropped. The check must never throw, and must pass a
// file whose schema the input left as the program made it.

#include <sqlite3.h>

#include <QFile>
#include <QString>

#include "fuzzinput.h"
#include "meetdb/database.h"
#include "meetdb/schema.h"

namespace {

// Only changes of the schema and the rows: no ATTACH, VACUUM INTO or PRAGMA, which would reach
// files outside the copy or change how the file is opened rather than what it holds.
int Authorize(void *, int action, const char *, const char *, const char *, const char *)
{
    switch (action) {
    case SQLITE_ATTACH:
    case SQLITE_DETACH:
    case SQLITE_PRAGMA:
        return SQLITE_DENY;
    default:
        return SQLITE_OK;
    }
}

// Stops a runaway statement (a recursive query) after a bounded amount of work.
int Progress(void *steps)
{
    return ++*static_cast<int *>(steps) > 2000;
}

// The schema as SQLite keeps it, or "" when it cannot be read.
QByteArray SchemaText(sqlite3 *db)
{
    QByteArray text;
    sqlite3_stmt *stmt = nullptr;
    if (sqlite3_prepare_v2(db,
                           "SELECT type, name, tbl_name, quote(sql) FROM sqlite_schema "
                           "ORDER BY type, name",
                           -1, &stmt, nullptr) != SQLITE_OK)
        return {};
    while (sqlite3_step(stmt) == SQLITE_ROW) {
        for (int c = 0; c < 4; ++c)
            text += reinterpret_cast<const char *>(sqlite3_column_text(stmt, c)) + QByteArray("|");
        text += '\n';
    }
    sqlite3_finalize(stmt);
    return text;
}

const QString &Pristine()
{
    static const QString path = [] {
        const QString file = Fuzz::Folder() + QStringLiteral("/pristine.mdb");
        QFile::remove(file);
        MeetDb::CreateMeetDatabase(file);
        return file;
    }();
    return path;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QString file = Fuzz::Folder() + QStringLiteral("/crafted.mdb");
    QFile::remove(file);
    Fuzz::Check(QFile::copy(Pristine(), file), "the new meet database cannot be copied");

    sqlite3 *raw = nullptr;
    Fuzz::Check(sqlite3_open(file.toUtf8().constData(), &raw) == SQLITE_OK,
                "the copy cannot be opened");
    const QByteArray before = SchemaText(raw);
    sqlite3_set_authorizer(raw, Authorize, nullptr);
    // No text or blob past a megabyte: a zeroblob of a gigabyte would fill the disk, not test
    // the check.
    sqlite3_limit(raw, SQLITE_LIMIT_LENGTH, 1 << 20);
    int steps = 0;
    sqlite3_progress_handler(raw, 100, Progress, &steps);
    const QByteArray sql = Fuzz::Bytes(data, size);
    sqlite3_exec(raw, sql.constData(), nullptr, nullptr, nullptr);
    sqlite3_exec(raw, "COMMIT", nullptr, nullptr, nullptr);
    sqlite3_set_authorizer(raw, nullptr, nullptr);
    const bool unchanged = SchemaText(raw) == before;
    sqlite3_close(raw);

    try {
        MeetDb::Database db;
        db.Open(file, MeetDb::Database::Access::ReadOnly);
        QString error;
        const bool accepted = MeetDb::CheckSchema(db, &error);
        Fuzz::Check(accepted || !unchanged, "the program's own schema refused");
        Fuzz::Check(accepted || !error.isEmpty(), "a schema refused without a reason");
    } catch (const MeetDb::DbError &) {
        // A file the crafting left unreadable is refused on opening; that is not the check's.
    }
    return 0;
}
