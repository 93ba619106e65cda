#include "reports/pooleventlist.h"

#include <QDir>
#include <QFile>

#include "core/galastate.h"
#include "core/prompts.h"
#include "core/textutil.h"
#include "meetdb/database.h"
#include "meetdb/schema.h"

namespace Reports {

namespace {

const QString PoolEventQuery = QStringLiteral("Entrants for 1 Pool Event");

// A heat work file is small: a generous limit keeps a stray file of another kind from being
// read whole.
constexpr qint64 MaxHeatsFileBytes = 4 * 1024 * 1024;

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

PoolEventList LoadHeatsFileList(const QString &path, const QString &galaType,
                                Core::Prompts &prompts)
{
    QFile file(path);
    if (!file.exists()) {
        prompts.Message(NoInputFileMessage);
        return {};
    }
    const QString name = QDir::toNativeSeparators(path);
    auto fail = [&](int line, const QString &what) {
        prompts.Message(QStringLiteral("%1, line %2: %3").arg(name).arg(line).arg(what));
        return PoolEventList{};
    };
    if (file.size() > MaxHeatsFileBytes)
        return fail(1, QStringLiteral("the file is too large to be a heats file"));
    if (!file.open(QIODevice::ReadOnly)) {
        prompts.Message(QStringLiteral("Cannot read %1: %2").arg(name, file.errorString()));
        return {};
    }
    QStringList lines = Core::DecodeTextFile(file.readAll()).split(u'\n');
    for (QString &line : lines)
        if (line.endsWith(u'\r'))
            line.chop(1);
    while (!lines.isEmpty() && lines.constLast().isEmpty())
        lines.removeLast();

    bool ok = false;
    const int count = lines.value(0).trimmed().toInt(&ok);
    if (!ok || count < 0)
        return fail(1, QStringLiteral("the first line must be the number of swimmers"));

    // Each swimmer is one line of label, event, name, age, time and flag; the club follows on a
    // line of its own in the galas that write one. The programme run writes no points, but a
    // Graded gala's file from elsewhere may carry them as a seventh field.
    const bool graded = galaType == Core::GalaGraded;
    PoolEventList list;
    int at = 1;
    for (int k = 0; k < count; ++k) {
        if (at >= lines.size())
            return fail(
                at + 1,
                QStringLiteral("the file ends after %1 of its %2 swimmers").arg(k).arg(count));
        QString error;
        const std::optional<QStringList> record = Core::SplitCsvLine(lines.at(at), &error);
        if (!record)
            return fail(at + 1, error);
        if (record->size() != 6 && !(graded && record->size() == 7))
            return fail(at + 1, QStringLiteral("a swimmer needs %1 fields, this line has %2")
                                    .arg(graded ? QStringLiteral("6 or 7") : QStringLiteral("6"))
                                    .arg(record->size()));
        PoolEventRow row;
        row.Label = record->at(0);
        row.EntrantNumber = row.Label;
        row.Event = record->at(1);
        row.Name = record->at(2);
        row.Age = record->at(3);
        row.Time = record->at(4);
        row.Confirmed = record->at(5).trimmed() != QLatin1String("0");
        if (record->size() == 7)
            row.Points = record->at(6).trimmed().toInt();
        ++at;
        if (at < lines.size()) {
            const std::optional<QStringList> club = Core::SplitCsvLine(lines.at(at), &error);
            if (club && club->size() == 1) {
                row.Club = club->at(0);
                ++at;
            }
        }
        list.append(row);
    }
    return list;
}

} // namespace Reports
