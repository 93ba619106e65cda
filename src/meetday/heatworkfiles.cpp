#include "meetday/heatworkfiles.h"

#include <optional>

#include <QDir>
#include <QSaveFile>

#include "core/galastate.h"
#include "core/textutil.h"

namespace MeetDay {

namespace {

QByteArray SwimRecord(const EventListRow &row, int number, bool withClub)
{
    QByteArray out = QuotedField(QString::number(number)) + ',' + QuotedField(row.Event) + ',' +
                     QuotedField(row.Name) + ',' + QuotedField(row.Age) + ',' +
                     QuotedField(row.EntryTime) + ",-1\r\n";
    if (withClub)
        out += QuotedField(row.Club) + "\r\n";
    return out;
}

} // namespace

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
