#include "reports/pooleventlist.h"

#include <QFileInfo>

#include "core/galastate.h"
#include "core/prompts.h"
#include "meetday/heatworkfiles.h"
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
    QList<MeetDay::WorkFileSwim> swims;
    if (!MeetDay::ReadHeatWorkFile(path, galaType == Core::GalaGraded, swims, error))
        return false;
    list.reserve(swims.size());
    for (const MeetDay::WorkFileSwim &swim : std::as_const(swims)) {
        PoolEventRow row;
        row.Label = swim.Number;
        row.EntrantNumber = swim.Number;
        row.Event = swim.Event;
        row.Name = swim.Name;
        row.Age = swim.Age;
        row.Time = swim.Time;
        row.Confirmed = swim.ToSwim;
        row.Points = swim.Points;
        row.Club = swim.Club;
        list.append(row);
    }
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
