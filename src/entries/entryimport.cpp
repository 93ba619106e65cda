#include "entries/entryimport.h"

#include <QFile>
#include <QFileInfo>

#include "core/galastate.h"
#include "core/textutil.h"
#include "core/timeutil.h"
#include "entries/entrywriter.h"
#include "meetdb/database.h"
#include "meetdb/session.h"

namespace Entries {

namespace {

constexpr int FieldCount = 7;

// Reads one "event=time" pair into a swim; returns the fault, or "" when it is good.
QString ReadSwim(const Core::GalaState &gala, const QString &pair, EntrySwimRecord &swim)
{
    const qsizetype equals = pair.indexOf(QLatin1Char('='));
    if (equals < 1)
        return QStringLiteral("\"%1\" is not event=time").arg(pair);
    swim.EventNumber = pair.left(equals);
    swim.EventIndex = gala.FindEvent(swim.EventNumber);
    if (swim.EventIndex < 0)
        return QStringLiteral("event %1 is not an event of this meet").arg(swim.EventNumber);
    const QString time = pair.mid(equals + 1);
    if (time.isEmpty() || time == NtText) {
        swim.EntryTime = time;
        return {};
    }
    const float seconds = Core::TimeToSeconds(time);
    const QString normal = Core::SecondsToTimeQuiet(seconds);
    if (seconds <= 0 || normal.isEmpty())
        return QStringLiteral("\"%1\" is not an entry time").arg(time);
    swim.EntryTime = normal;
    return {};
}

// Builds the record of one line; returns the fault, or "" when the line is good.
QString ReadRecord(const Core::GalaState &gala, const QStringList &fields, EntrantRecord &record)
{
    if (fields.size() != FieldCount)
        return QStringLiteral("%1 fields where %2 are expected").arg(fields.size()).arg(FieldCount);
    const QString &kind = fields[0];
    record.Sex = fields[3].trimmed().toUpper();
    record.Age = fields[4].trimmed();
    record.Regno = fields[5].trimmed();
    if (kind == QLatin1String("M")) {
        if (!Core::IsMemberGala(gala.GalaType))
            return QStringLiteral("a member entry, but this is not a member gala");
        record.Kind = EntrantKind::Member;
        record.FullName = fields[1].trimmed();
        record.Name = Core::SurnameFirst(record.FullName);
        record.Club = HomeClubCode;
        if (!Core::IsDate(record.Age))
            return QStringLiteral("\"%1\" is not a date of birth").arg(record.Age);
    } else if (kind == QLatin1String("I") || kind == QLatin1String("R")) {
        if (!Core::IsOpenGala(gala.GalaType))
            return QStringLiteral("an open-gala entry, but this is a member gala");
        record.Kind = kind == QLatin1String("I") ? EntrantKind::Individual : EntrantKind::Relay;
        record.Name = record.FullName = fields[1].trimmed();
        record.Club = fields[2].trimmed();
        if (record.Club.isEmpty())
            return QStringLiteral("no club");
    } else {
        return QStringLiteral("kind \"%1\" is not I, R or M").arg(kind);
    }
    const QString allowed =
        record.Kind == EntrantKind::Relay ? QStringLiteral("MFX") : QStringLiteral("MF");
    if (record.Sex.size() != 1 || !allowed.contains(record.Sex))
        return QStringLiteral("sex \"%1\" is not one of %2").arg(fields[3], allowed);
    if (record.Kind != EntrantKind::Relay && record.Name.isEmpty())
        return QStringLiteral("no name");

    for (const QString &pair : Core::SplitWords(fields[6])) {
        EntrySwimRecord swim;
        const QString fault = ReadSwim(gala, pair, swim);
        if (!fault.isEmpty())
            return fault;
        record.Swims.append(swim);
    }
    if (record.Swims.isEmpty())
        return QStringLiteral("no events");
    return {};
}

} // namespace

bool ImportEntriesCsv(MeetDb::Session &session, const QString &csvPath, QStringList &errors,
                      int *written)
{
    if (written)
        *written = 0;
    const QString name = QFileInfo(csvPath).fileName();
    QFile file(csvPath);
    if (!file.open(QIODevice::ReadOnly)) {
        errors << QStringLiteral("%1: cannot be read (%2)").arg(name, file.errorString());
        return false;
    }
    if (!session.Gala.MeetDbOpen) {
        errors << QStringLiteral("%1: no meet is loaded from a meet database").arg(name);
        return false;
    }

    QList<EntrantRecord> records;
    int lineNumber = 0;
    bool header = true;
    while (!file.atEnd()) {
        const QString line = QString::fromUtf8(file.readLine()).trimmed();
        ++lineNumber;
        if (line.isEmpty() || line.startsWith(QLatin1Char('#')))
            continue;
        if (header) {
            header = false;
            continue;
        }
        EntrantRecord record;
        const QString fault = ReadRecord(session.Gala, line.split(QLatin1Char(',')), record);
        if (!fault.isEmpty())
            errors << QStringLiteral("%1:%2: %3").arg(name).arg(lineNumber).arg(fault);
        else
            records.append(record);
    }
    if (!errors.isEmpty())
        return false;

    // Each entrant is written as "Record" writes it; the one transaction makes the whole file
    // one change, so a fault part-way leaves the meet as it was.
    try {
        MeetDb::Transaction transaction(session.MeetDb);
        int next = 0;
        {
            EntrantBatchWriter writer(session);
            for (const EntrantRecord &record : std::as_const(records))
                writer.Write(record);
            next = writer.Finish();
        }
        transaction.Commit();
        session.Gala.NextCompetitorNumber = next;
    } catch (const MeetDb::DbError &error) {
        errors << QStringLiteral("%1: %2").arg(name, error.Message());
        return false;
    }
    if (written)
        *written = int(records.size());
    return true;
}

} // namespace Entries
