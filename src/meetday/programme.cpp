#include "meetday/programme.h"

#include <memory>

#include <optional>

#include <QDir>
#include <QFile>
#include <QHash>
#include <QSaveFile>
#include <QSqlError>
#include <QSqlQuery>

#include "core/galastate.h"
#include "core/prompts.h"
#include "core/textutil.h"
#include "meetday/heats.h"
#include "meetdb/database.h"
#include "meetdb/schema.h"
#include "meetdb/session.h"

namespace MeetDay {

namespace {

using SwimKey = QPair<int, QString>; // entrant number, event number

// A heat work file is small: a generous limit keeps a stray file of another kind from being
// read whole.

QByteArray SwimRecord(const EventListRow &row, int number, bool withClub)
{
    QByteArray out = QuotedField(QString::number(number)) + ',' + QuotedField(row.Event) + ',' +
                     QuotedField(row.Name) + ',' + QuotedField(row.Age) + ',' +
                     QuotedField(row.EntryTime) + ",-1\r\n";
    if (withClub)
        out += QuotedField(row.Club) + "\r\n";
    return out;
}

[[noreturn]] void Fail(MeetDb::Database &db, const QSqlQuery &query)
{
    const QSqlError error = query.lastError();
    throw MeetDb::DbError(
        QStringLiteral("Cannot write the programme to %1: %2")
            .arg(QDir::toNativeSeparators(db.Path()),
                 error.databaseText().isEmpty() ? error.text() : error.databaseText()));
}

} // namespace

bool ProgrammeNumbersExist(MeetDb::Database &db, const QString &meetCode)
{
    MeetDb::Database::SavedQuery query = db.OpenQuery(QStringLiteral("Swims for 1 Meet"));
    query.SetParameter(MeetDb::ParamMeetCode, meetCode);
    std::unique_ptr<MeetDb::RecordSet> rows = query.Open();
    for (rows->MoveFirst(); !rows->Eof(); rows->MoveNext())
        if (rows->Int(QStringLiteral("Progref")) > 0)
            return true;
    return false;
}

void WriteProgrammeEvent(MeetDb::Database &db, const QString &meetCode, const SeededEvent &seeded,
                         bool assignNumbers)
{
    const int count = int(seeded.List.size());
    QHash<SwimKey, int> placeOf;
    for (int k = count - 1; k >= 0; --k)
        placeOf.insert({seeded.List.at(k).EntrantNumber, seeded.List.at(k).Event}, k + 1);

    QSqlQuery listed(db.Connection());
    QSqlQuery left(db.Connection());
    const QString number = assignNumbers ? QStringLiteral(", \"Progref\" = :ref") : QString();
    if (!listed.prepare(QStringLiteral("UPDATE \"Swim Table\" SET \"Seed Order\" = :seed, "
                                       "\"Combined With\" = :pool, \"Time\" = :time, "
                                       "\"DNS\" = 0, \"Notes\" = '', \"Points\" = 0") +
                        number + QStringLiteral(" WHERE rowid = :row")))
        Fail(db, listed);
    if (!left.prepare(QStringLiteral("UPDATE \"Swim Table\" SET \"Seed Order\" = 0, "
                                     "\"Combined With\" = :pool, \"Time\" = :time, "
                                     "\"DNS\" = 0, \"Notes\" = '', \"Points\" = 0, "
                                     "\"Heat No\" = 0, \"Lane No\" = 0") +
                      number + QStringLiteral(" WHERE rowid = :row")))
        Fail(db, left);

    MeetDb::Database::SavedQuery entrants = db.OpenQuery(QStringLiteral("Entrants for 1 Event"));
    entrants.SetParameter(MeetDb::ParamMeetCode, meetCode);
    for (const QString &event : seeded.Events) {
        entrants.SetParameter(MeetDb::ParamEventNumber, event);
        std::unique_ptr<MeetDb::RecordSet> rows = entrants.Open();
        for (rows->MoveFirst(); !rows->Eof(); rows->MoveNext()) {
            const int place = placeOf.value({rows->Int(QStringLiteral("Entrant Number")), event});
            QSqlQuery &query = place > 0 ? listed : left;
            if (place > 0)
                query.bindValue(QStringLiteral(":seed"), place);
            query.bindValue(QStringLiteral(":pool"), seeded.PoolEvent);
            query.bindValue(QStringLiteral(":time"), rows->Text(QStringLiteral("Entry Time")));
            if (assignNumbers)
                query.bindValue(QStringLiteral(":ref"), place > 0 ? place : count + 1);
            query.bindValue(QStringLiteral(":row"), rows->RowId());
            if (!query.exec())
                Fail(db, query);
        }
    }
}

int MakeProgrammeEvent(MeetDb::Session &session, const Roster &roster, const QString &event,
                       bool onlyConfirmed, bool assignNumbers, Core::Prompts &prompts,
                       SeededEvent *seeded, bool programCreation)
{
    const Core::GalaState &gala = session.Gala;
    SeededEvent one =
        SeedPoolEvent(roster, gala, event, SeedOptions{onlyConfirmed, programCreation});
    const int count = int(one.List.size());
    if (seeded)
        *seeded = one;
    if (one.NoHeatResults)
        prompts.Message(NoHeatResultsMessage({one.PoolEvent}));
    if (one.Refused) {
        for (const QString &message : std::as_const(one.Messages))
            prompts.Message(message);
        return 0;
    }
    if (count == 0)
        return 0;
    const QString dir = gala.WorkDir.isEmpty() ? session.ProgramDir : gala.WorkDir;
    if (!one.WritesSeeds) {
        const QString path = QDir(dir).filePath(FinalsFileName(one.PoolEvent));
        QSaveFile file(path);
        if (!SafeEventFileName(one.PoolEvent) || !file.open(QIODevice::WriteOnly) ||
            file.write(FinalsFileBytes(one, gala.Lanes, programCreation)) < 0 || !file.commit()) {
            prompts.Message(QStringLiteral("Cannot write the finals file %1: %2")
                                .arg(QDir::toNativeSeparators(path), file.errorString()));
            return 0;
        }
        return count;
    }
    if (!gala.UseMeetDb || !gala.MeetDbOpen) {
        if (IsFloppyDrive(gala.WorkDir) &&
            !prompts.AskYesNo(QStringLiteral("Load disk for event ") + event +
                              QStringLiteral(" into drive ") + gala.WorkDir))
            return 0;
        QString error;
        if (!WriteHeatWorkFiles(one, gala, dir, &error)) {
            prompts.Message(error);
            return 0;
        }
        return count;
    }
    WriteProgrammeEvent(session.MeetDb, gala.MeetCode, one, assignNumbers);
    return count;
}

bool IsFloppyDrive(const QString &dir)
{
    return dir == QLatin1String("a:") || dir == QLatin1String("A:") || dir == QLatin1String("b:") ||
           dir == QLatin1String("B:");
}

QString HeatWorkFileName(const QString &event, bool combinedLead)
{
    return (combinedLead ? QStringLiteral("wkc") : QStringLiteral("wk")) + event +
           QStringLiteral(".vb");
}

QByteArray HeatWorkFileBytes(const SeededEvent &seeded, const Core::GalaState &gala)
{
    const bool withClub = gala.GalaType != Core::GalaChamps;
    QByteArray out = QByteArray::number(seeded.List.size()) + "\r\n";
    for (qsizetype k = 0; k < seeded.List.size(); ++k) {
        const EventListRow &row = seeded.List.at(k);
        out += SwimRecord(row, gala.Renumber ? int(k + 1) : row.EntrantNumber, withClub);
    }
    return out;
}

QByteArray MemberWorkFileBytes(const SeededEvent &seeded, const QString &memberEvent,
                               const Core::GalaState &gala)
{
    const bool withClub = gala.GalaType != Core::GalaChamps;
    QByteArray records;
    int count = 0;
    for (const EventListRow &row : seeded.List) {
        if (row.Event != memberEvent)
            continue;
        records += SwimRecord(row, row.EntrantNumber, withClub);
        ++count;
    }
    return QByteArray::number(count) + "\r\n" + records;
}

bool ReadHeatWorkFile(const QString &path, bool graded, QList<WorkFileSwim> &swims, QString *error)
{
    swims.clear();
    const QString name = QDir::toNativeSeparators(path);
    auto fail = [&](int line, const QString &what) {
        *error = QStringLiteral("%1, line %2: %3").arg(name).arg(line).arg(what);
        swims.clear();
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

    // Each swimmer is one line of number, event, name, age, time and flag; the club follows on a
    // line of its own in the galas that write one. The programme run writes no points, but a
    // Graded gala's file from elsewhere may carry them as a seventh field.
    int at = 1;
    for (int k = 0; k < count; ++k) {
        if (at >= lines.size())
            return fail(
                at + 1,
                QStringLiteral("the file ends after %1 of its %2 swimmers").arg(k).arg(count));
        QString lineError;
        const std::optional<QStringList> record = Core::SplitCsvLine(lines.at(at), &lineError);
        if (!record)
            return fail(at + 1, lineError);
        if (record->size() != 6 && !(graded && record->size() == 7))
            return fail(at + 1, QStringLiteral("a swimmer needs %1 fields, this line has %2")
                                    .arg(graded ? QStringLiteral("6 or 7") : QStringLiteral("6"))
                                    .arg(record->size()));
        WorkFileSwim swim;
        swim.Number = record->at(0);
        swim.Event = record->at(1);
        swim.Name = record->at(2);
        swim.Age = record->at(3);
        swim.Time = record->at(4);
        swim.ToSwim = record->at(5).trimmed() != QLatin1String("0");
        if (record->size() == 7)
            swim.Points = record->at(6).trimmed().toInt();
        ++at;
        if (at < lines.size()) {
            const std::optional<QStringList> club = Core::SplitCsvLine(lines.at(at), &lineError);
            if (club && club->size() == 1) {
                swim.Club = club->at(0);
                ++at;
            }
        }
        swims.append(swim);
    }
    // Records past the count mean a damaged first line. The fastest come last, so reading only
    // the counted ones would quietly leave out the best swimmers.
    if (at < lines.size())
        return fail(at + 1, QStringLiteral("the file holds more than the %1 swimmers its first "
                                           "line gives")
                                .arg(count));
    return true;
}

QByteArray QuotedField(const QString &text)
{
    QString clean = text;
    clean.replace(u'"', u'\'');
    clean.remove(u'\r');
    clean.remove(u'\n');
    return '"' + clean.toLocal8Bit() + '"';
}

bool SafeEventFileName(const QString &event)
{
    if (event.isEmpty())
        return false;
    for (QChar c : event)
        if (!c.isLetterOrNumber())
            return false;
    return true;
}

bool WriteHeatWorkFiles(const SeededEvent &seeded, const Core::GalaState &gala, const QString &dir,
                        QString *error)
{
    const bool combinedLead = seeded.Events.size() > 1;
    QList<QPair<QString, QByteArray>> files{
        {HeatWorkFileName(seeded.PoolEvent, combinedLead), HeatWorkFileBytes(seeded, gala)}};
    if (combinedLead)
        for (const QString &member : seeded.Events)
            files.append(
                {HeatWorkFileName(member, false), MemberWorkFileBytes(seeded, member, gala)});
    for (const QString &event : seeded.Events) {
        if (!SafeEventFileName(event)) {
            *error = QStringLiteral("No heat work file for event %1: the event number cannot be "
                                    "part of a file name")
                         .arg(event);
            return false;
        }
    }
    for (const auto &[name, bytes] : files) {
        const QString path = QDir(dir).filePath(name);
        QSaveFile file(path);
        if (!file.open(QIODevice::WriteOnly) || file.write(bytes) < 0 || !file.commit()) {
            *error = QStringLiteral("Cannot write the heat work file %1: %2")
                         .arg(QDir::toNativeSeparators(path), file.errorString());
            return false;
        }
    }
    return true;
}

} // namespace MeetDay
