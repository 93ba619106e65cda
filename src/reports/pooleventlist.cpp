#include "reports/pooleventlist.h"

#include <QDir>
#include <QFileInfo>

#include "core/galastate.h"
#include "core/prompts.h"
#include "core/textutil.h"
#include "meetdb/database.h"
#include "meetdb/schema.h"

namespace Reports {

namespace {

const QString PoolEventQuery = QStringLiteral("Entrants for 1 Pool Event");

} // namespace

PoolEventList LoadPoolEventList(MeetDb::Database &db, const QString &meetCode, const QString &event,
                                bool altClubCode)
{
    MeetDb::Database::SavedQuery query = db.OpenQuery(PoolEventQuery);
    query.SetParameter(MeetDb::ParamMeetCode, meetCode);
    query.SetParameter(MeetDb::ParamEventNumber, event);
    std::unique_ptr<MeetDb::RecordSet> rows = query.Open();
    PoolEventList list;
    list.reserve(rows->RecordCount());
    for (rows->MoveFirst(); !rows->Eof(); rows->MoveNext()) {
        PoolEventRow row;
        row.Event = rows->Text(QStringLiteral("Event number"));
        row.EntrantNumber = rows->Text(QStringLiteral("Entrant Number"));
        row.Label = row.EntrantNumber;
        row.Name = rows->Text(QStringLiteral("Swimmer Name"));
        row.Age = rows->Text(QStringLiteral("age"));
        row.Time = rows->Text(QStringLiteral("Time"));
        row.Confirmed = rows->Flag(QStringLiteral("Confirmed"));
        row.Points = rows->Int(QStringLiteral("Points"));
        if (altClubCode && !rows->IsNull(QStringLiteral("Alt Club")))
            row.Club = rows->Text(QStringLiteral("Alt Club"));
        else
            row.Club = rows->Text(QStringLiteral("club"));
        row.Notes = rows->Text(QStringLiteral("Notes"));
        row.MeetSpecific = rows->Text(QStringLiteral("Meet Specific"));
        row.Progref = rows->Int(QStringLiteral("Progref"));
        list.append(row);
    }
    return list;
}

bool ReadHeatsFile(const QString &path, const QString &galaType, PoolEventList &list,
                   QString *error)
{
    list.clear();
    const QString name = QDir::toNativeSeparators(path);
    const auto fail = [&](int line, const QString &what) {
        *error = QStringLiteral("%1, line %2: %3").arg(name).arg(line).arg(what);
        list.clear();
        return false;
    };
    QByteArray bytes;
    if (!Core::ReadCappedFile(path, Core::MaxDayFileBytes, QStringLiteral("a heats file"), bytes,
                              error))
        return false;
    QStringList lines = Core::DecodeTextFile(bytes).split(u'\n');
    for (QString &line : lines)
        if (line.endsWith(u'\r'))
            line.chop(1);
    while (!lines.isEmpty() && lines.constLast().isEmpty())
        lines.removeLast();

    bool ok = false;
    const int count = lines.value(0).trimmed().toInt(&ok);
    if (!ok || count < 0)
        return fail(1, QStringLiteral("the first line must be the number of swimmers"));

    // Each swimmer is one line of label, event, name, age, time and flag (and the points of a
    // Graded gala); the club follows on a line of its own in the galas that write one.
    const bool graded = galaType == Core::GalaGraded;
    const int fields = graded ? 7 : 6;
    int at = 1;
    for (int k = 0; k < count; ++k) {
        if (at >= lines.size())
            return fail(
                at + 1,
                QStringLiteral("the file ends after %1 of its %2 swimmers").arg(k).arg(count));
        QString fault;
        const std::optional<QStringList> record = Core::SplitCsvLine(lines.at(at), &fault);
        if (!record)
            return fail(at + 1, fault);
        if (record->size() != fields)
            return fail(at + 1, QStringLiteral("a swimmer needs %1 fields, this line has %2")
                                    .arg(fields)
                                    .arg(record->size()));
        PoolEventRow row;
        row.Label = record->at(0);
        row.EntrantNumber = row.Label;
        row.Event = record->at(1);
        row.Name = record->at(2);
        row.Age = record->at(3);
        row.Time = record->at(4);
        row.Confirmed = record->at(5).trimmed() != QLatin1String("0");
        if (graded)
            row.Points = record->at(6).trimmed().toInt();
        ++at;
        if (at < lines.size()) {
            const std::optional<QStringList> club = Core::SplitCsvLine(lines.at(at), &fault);
            if (club && club->size() == 1) {
                row.Club = club->at(0);
                ++at;
            }
        }
        list.append(row);
    }
    // Records past the count mean a damaged first line. The fastest come last, so reading only
    // the counted ones would quietly leave out the best swimmers.
    if (at < lines.size())
        return fail(at + 1, QStringLiteral("the file holds more than the %1 swimmers its first "
                                           "line gives")
                                .arg(count));
    return true;
}

PoolEventList LoadHeatsFileList(const QString &path, const QString &galaType,
                                Core::Prompts &prompts)
{
    if (!QFileInfo::exists(path)) {
        prompts.Message(NoInputFileMessage);
        return {};
    }
    PoolEventList list;
    QString error;
    if (!ReadHeatsFile(path, galaType, list, &error))
        prompts.Message(error);
    return list;
}

} // namespace Reports
