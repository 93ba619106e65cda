#include "entries/entryimport.h"

#include <QFile>
#include <QFileInfo>
#include <QHash>

#include "core/galastate.h"
#include "core/textutil.h"
#include "core/timeutil.h"
#include "entries/agegroups.h"
#include "entries/entrycheck.h"
#include "entries/entrywriter.h"
#include "meetdb/database.h"
#include "meetdb/session.h"

namespace Entries {

namespace {

const QStringList HeaderNames{
    QStringLiteral("Kind"), QStringLiteral("Name"),  QStringLiteral("Club"),  QStringLiteral("Sex"),
    QStringLiteral("Age"),  QStringLiteral("Regno"), QStringLiteral("Events")};
// Far more than any meet's entries; a bigger file is a mistake and is not read into memory.
constexpr qint64 MaxFileSize = 16 * 1024 * 1024;
// Refused lines reported one by one; the rest are counted.
constexpr int MaxReportedLines = 100;

// Entrants of the file that are one swimmer: members by name, others by name and age field.
QString SwimmerKey(const EntrantRecord &record)
{
    const QString kind = QString::number(int(record.Kind));
    if (record.Kind == EntrantKind::Member)
        return kind + u'\n' + record.Name;
    return kind + u'\n' + record.Name + u'\n' + AgeFieldKey(record.Age);
}

// Reads one "event=time" pair into a swim, the time as typed; returns the fault, or "".
QString ReadSwim(const Core::GalaState &gala, const QString &pair, EntrySwimRecord &swim)
{
    const qsizetype equals = pair.indexOf(QLatin1Char('='));
    if (equals < 1)
        return QStringLiteral("\"%1\" is not event=time").arg(pair);
    swim.EventNumber = pair.left(equals);
    swim.EventIndex = gala.FindEvent(swim.EventNumber);
    swim.EntryTime = pair.mid(equals + 1);
    return {};
}

// Reads one line into the entrant to check; returns the fault, or "" when it is to be checked.
QString ReadEntrant(const Core::GalaState &gala, const QStringList &fields, EntrantToCheck &entrant)
{
    EntrantRecord &record = entrant.Record;
    if (fields.size() != HeaderNames.size())
        return QStringLiteral("%1 fields where %2 are expected")
            .arg(fields.size())
            .arg(HeaderNames.size());
    const QString kind = fields[0].trimmed();
    record.Sex = fields[3].trimmed().toUpper();
    record.Age = fields[4].trimmed();
    record.Regno = fields[5].trimmed();
    // The window's box holds what an official types; a file could hold anything, and the number
    // is shown and stored like the name.
    if (const QString fault = Core::TextLimitFault(record.Regno, Core::MaxSwimmerNameLength,
                                                   QStringLiteral("the registration number"));
        !fault.isEmpty())
        return fault;
    if (kind == QLatin1String("M")) {
        if (!Core::IsMemberGala(gala.GalaType))
            return QStringLiteral("a member entry, but this is not a member gala");
        record.Kind = EntrantKind::Member;
        record.FullName = fields[1].trimmed();
        record.Name = Core::SurnameFirst(record.FullName);
        record.Club = HomeClubCode;
        if (record.Age.isEmpty())
            return QStringLiteral("no date of birth");
        entrant.Dob = record.Age;
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

    const bool masters = gala.GalaType == Core::GalaMasters;
    if (record.Kind == EntrantKind::Relay) {
        // A relay team is entered in its relay group, named in the age field: any group of a
        // masters meet but the first, which is the individuals'.
        if (!masters)
            return QStringLiteral("relay teams are entered in masters meets only");
        for (int i = 1; i < gala.GroupCount(); ++i)
            if (gala.Groups.at(i).GroupName == record.Age)
                entrant.Group = i;
        if (entrant.Group < 1)
            return QStringLiteral("\"%1\" is not a relay group of this meet").arg(record.Age);
    } else if (masters) {
        // The window enters a masters swimmer in the first group under the letter its date of
        // birth gives; the file may give the letter itself.
        entrant.Group = 0;
        if (Core::IsDate(record.Age)) {
            entrant.Dob = record.Age;
            const int age = MastersAgeOnQualDate(gala, entrant.Dob, nullptr);
            record.Age = MastersLetter(age, gala.Junior);
            if (record.Age.isEmpty())
                return QStringLiteral("%1 is too young for masters at %2")
                    .arg(record.FullName)
                    .arg(age);
        }
    } else if (record.Kind == EntrantKind::Individual) {
        entrant.Dob = record.Age;
        if (record.Age.isEmpty() && gala.AgeGroups)
            return QStringLiteral("no date of birth, which this meet's age groups need");
    }

    for (const QString &pair : Core::SplitWords(fields[6])) {
        EntrySwimRecord swim;
        const QString fault = ReadSwim(gala, pair, swim);
        if (!fault.isEmpty())
            return fault;
        // An entrant swims an event once; the window's one box per event cannot say it twice.
        for (const EntrySwimRecord &earlier : std::as_const(record.Swims))
            if (earlier.EventNumber == swim.EventNumber)
                return QStringLiteral("event %1 is entered twice").arg(swim.EventNumber);
        record.Swims.append(swim);
    }
    if (record.Swims.isEmpty())
        return QStringLiteral("no events");
    return {};
}

// The entries file's text as lines, or "" in `error` naming what makes it unreadable.
QStringList SplitLines(const QByteArray &bytes, const QString &name, QString &error)
{
    const QString text = Core::DecodeTextFile(bytes);
    // Lines ending in a carriage return alone would read as one long line and enter no one.
    for (qsizetype at = text.indexOf(u'\r'); at >= 0; at = text.indexOf(u'\r', at + 1)) {
        if (at + 1 >= text.size() || text.at(at + 1) != u'\n') {
            error = QStringLiteral("%1:%2: the line ends in a carriage return alone; save the file "
                                   "with CR LF or LF line ends")
                        .arg(name)
                        .arg(text.first(at).count(u'\n') + 1);
            return {};
        }
    }
    QStringList lines = text.split(u'\n');
    for (QString &line : lines)
        if (line.endsWith(u'\r'))
            line.chop(1);
    return lines;
}

} // namespace

bool ReadEntriesCsv(const Core::GalaState &gala, const QString &name, const QByteArray &bytes,
                    const FindEntrantFn &findEntrant, QList<EntrantRecord> &records,
                    QStringList &errors)
{
    records.clear();
    const qsizetype errorsBefore = errors.size();
    QString error;
    const QStringList lines = SplitLines(bytes, name, error);
    if (!error.isEmpty()) {
        errors << error;
        return false;
    }

    QHash<QString, int> lineOfSwimmer; // SwimmerKey to the line that entered the swimmer
    int unreported = 0;
    bool header = true;
    for (int i = 0; i < lines.size(); ++i) {
        const int lineNumber = i + 1;
        const QString &line = lines.at(i);
        if (line.trimmed().isEmpty() || line.startsWith(QLatin1Char('#')))
            continue;
        const auto refuse = [&](const QString &fault) {
            if (errors.size() - errorsBefore < MaxReportedLines)
                errors << QStringLiteral("%1:%2: %3").arg(name).arg(lineNumber).arg(fault);
            else
                ++unreported;
        };
        const std::optional<QStringList> fields = Core::SplitCsvLine(line, &error);
        if (!fields) {
            refuse(error);
            continue;
        }
        if (header) {
            header = false;
            QStringList names;
            for (const QString &field : *fields)
                names << field.trimmed();
            if (names.join(u',').compare(HeaderNames.join(u','), Qt::CaseInsensitive) != 0) {
                refuse(QStringLiteral("the header must name the fields %1")
                           .arg(HeaderNames.join(u',')));
                return false;
            }
            continue;
        }

        EntrantToCheck entrant;
        QString fault = ReadEntrant(gala, *fields, entrant);
        if (fault.isEmpty()) {
            // The window's checks; its questions are refusals here, where no one can answer.
            int entered = 0;
            const EntryFault check =
                CheckEntrant(gala, entrant, [&findEntrant, &entered](const EntrantRecord &record) {
                    return entered = findEntrant(record);
                });
            switch (check.Question) {
            case EntryQuestion::None:
                fault = check.Field == EntryField::EntryTime
                            ? QStringLiteral("%1 \"%2\" for event %3")
                                  .arg(check.Text, entrant.Record.Swims.at(check.Swim).EntryTime,
                                       entrant.Record.Swims.at(check.Swim).EventNumber)
                            : check.Text;
                break;
            case EntryQuestion::UnknownClub:
                fault = QStringLiteral("club \"%1\" is not a club of this meet")
                            .arg(entrant.Record.Club);
                break;
            case EntryQuestion::Duplicate:
                fault = QStringLiteral("%1 is already entered as number %2")
                            .arg(entrant.Record.FullName)
                            .arg(entered);
                break;
            }
        }
        const QString key = SwimmerKey(entrant.Record);
        if (fault.isEmpty() && entrant.Record.Kind != EntrantKind::Relay &&
            lineOfSwimmer.contains(key))
            fault = QStringLiteral("%1 is entered on line %2 already")
                        .arg(entrant.Record.FullName)
                        .arg(lineOfSwimmer.value(key));
        if (!fault.isEmpty()) {
            refuse(fault);
            continue;
        }
        records.append(entrant.Record);
        lineOfSwimmer.insert(key, lineNumber);
    }
    if (unreported > 0)
        errors << QStringLiteral("%1: %2 more lines refused").arg(name).arg(unreported);
    return errors.size() == errorsBefore;
}

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
    if (file.size() > MaxFileSize) {
        errors << QStringLiteral("%1: is larger than %2 MB, too large for an entries file")
                      .arg(name)
                      .arg(MaxFileSize / (1024 * 1024));
        return false;
    }
    const QByteArray bytes = file.read(MaxFileSize);
    file.close();
    if (!session.Gala.MeetDbOpen) {
        errors << QStringLiteral("%1: no meet is loaded from a meet database").arg(name);
        return false;
    }

    MeetDbEntryStore store(session);
    QList<EntrantRecord> records;
    const FindEntrantFn findEntrant = [&store](const EntrantRecord &record) {
        return store.FindEntrant(record.Name, record.Kind == EntrantKind::Member
                                                  ? std::nullopt
                                                  : std::optional<QString>(record.Age));
    };
    if (!ReadEntriesCsv(session.Gala, name, bytes, findEntrant, records, errors))
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
