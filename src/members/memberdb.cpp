// The member database file: its table, reading and writing one member, the index build and
// the envelope flags.
//
// Reads go straight to the connection with keyed, bound statements rather than through a table
// record set: a record set snapshots the whole table, and with thousands of members of some
// hundred fields each that would cost far more than the one row or the three fields wanted.

#include <algorithm>

#include <QDate>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QVariant>
#include <QVariantHash>

#include "core/prompts.h"
#include "core/settings.h"
#include "core/timeutil.h"
#include "meetdb/database.h"
#include "members/memberdb.h"
#include "members/memberfields.h"

namespace Members {

namespace {

const QString RecordIdField = QStringLiteral("Record Id");
const QString DateOfBirthField = QStringLiteral("Date of Birth");
const QString EnvelopeFlagField = QStringLiteral("Envelope Flag");

// The member's text fields in table order, with where each lives in Member.
struct TextField
{
    const char *name;
    QString Member::*member;
};
const TextField TextFields[] = {
    {"Surname", &Member::Surname},
    {"Forename", &Member::Forename},
    {"Record Type", &Member::RecordType},
    {"Sex", &Member::Sex},
    {"Address Line 1", &Member::Address1},
    {"Address Line 2", &Member::Address2},
    {"Town", &Member::Town},
    {"County", &Member::County},
    {"Post Code", &Member::PostCode},
    {"Telephone", &Member::Telephone},
    {"Squad", &Member::Squad},
    {"E-mail", &Member::Email},
};

[[noreturn]] void Fail(MeetDb::Database &db, const QString &what, const QSqlError &error)
{
    const QString detail = error.databaseText().isEmpty() ? error.text() : error.databaseText();
    throw MeetDb::DbError(
        QStringLiteral("%1 in %2: %3").arg(what, QDir::toNativeSeparators(db.Path()), detail));
}

// Prepares, binds and runs one statement on the member database; throws DbError on failure.
QSqlQuery Run(MeetDb::Database &db, const QString &sql, const QVariantHash &binds,
              const QString &what)
{
    if (!db.IsOpen())
        throw MeetDb::DbError(QStringLiteral("%1: the member database is not open").arg(what));
    QSqlQuery query(db.Connection());
    query.setForwardOnly(true);
    if (!query.prepare(sql))
        Fail(db, what, query.lastError());
    for (auto it = binds.cbegin(); it != binds.cend(); ++it)
        query.bindValue(u':' + it.key(), it.value());
    if (!query.exec())
        Fail(db, what, query.lastError());
    return query;
}

QString TextAt(const QSqlQuery &query, int column)
{
    return column < 0 || query.isNull(column) ? QString() : query.value(column).toString();
}

} // namespace

// ---------------------------------------------------------------------------------------------
// Fields and dates shared with the importer

QString PbTimeField(int column)
{
    return QStringLiteral("PB Time %1").arg(column);
}

QString PbDateField(int column)
{
    return QStringLiteral("PB Date %1").arg(column);
}

QStringList MemberTextFieldNames()
{
    QStringList names;
    for (const TextField &field : TextFields)
        names << QString::fromLatin1(field.name);
    return names;
}

QString StoredDate(const QString &text, const QVariant &stored)
{
    if (text.isEmpty())
        return QString();
    if (!stored.isNull() && DisplayDate(stored.toString()) == text)
        return stored.toString();
    const QDate date = Core::ParseDate(text);
    return date.isValid() ? date.toString(Qt::ISODate) : text;
}

QString DisplayDate(const QString &stored)
{
    if (stored.isEmpty())
        return stored;
    QDate date = QDate::fromString(stored, Qt::ISODate);
    if (!date.isValid())
        date = Core::ParseDate(stored);
    return date.isValid() ? date.toString(QStringLiteral("dd/MM/yy")) : stored;
}

int NextMemberId(MeetDb::Database &db)
{
    QSqlQuery query = Run(db,
                          QStringLiteral("SELECT max(%1) FROM %2")
                              .arg(db.Quote(RecordIdField), db.Quote(MembersTable)),
                          {}, QStringLiteral("Cannot read the member ids"));
    const qint64 highest = query.next() ? query.value(0).toLongLong() : 0;
    if (highest >= MaxMemberRecordId)
        throw MeetDb::DbError(QStringLiteral("%1 holds a member with Record Id %2; ids above %3 "
                                             "are not used, so no member can be added")
                                  .arg(db.Path())
                                  .arg(highest)
                                  .arg(MaxMemberRecordId));
    return int(std::max<qint64>(highest, 0)) + 1;
}

// ---------------------------------------------------------------------------------------------

QString Member::DisplayName() const
{
    return MemberKey(Surname, Forename);
}

QString Member::PbTime(int column) const
{
    return PbTimes.value(column - 1);
}

QString Member::PbDate(int column) const
{
    return PbDates.value(column - 1);
}

void CreateMemberDatabase(const QString &path)
{
    const QString what =
        QStringLiteral("Cannot create member database %1").arg(QDir::toNativeSeparators(path));
    if (QFileInfo::exists(path))
        throw MeetDb::DbError(what + QStringLiteral(": the file already exists"));

    QString failure;
    {
        MeetDb::Database db;
        try {
            db.OpenOrCreate(path);
            QStringList columns;
            columns << db.Quote(RecordIdField) + QStringLiteral(" INTEGER PRIMARY KEY");
            for (const TextField &field : TextFields) {
                columns << db.Quote(QString::fromLatin1(field.name)) + QStringLiteral(" TEXT");
                if (QLatin1String(field.name) == QLatin1String("Record Type"))
                    columns << db.Quote(DateOfBirthField) + QStringLiteral(" TEXT");
            }
            // A member added without the flag reads as not flagged.
            columns << db.Quote(EnvelopeFlagField) + QStringLiteral(" INTEGER NOT NULL DEFAULT 0");
            for (int column = 1; column <= MaxPbColumns; ++column)
                columns << db.Quote(PbTimeField(column)) + QStringLiteral(" TEXT")
                        << db.Quote(PbDateField(column)) + QStringLiteral(" TEXT");
            MeetDb::Transaction transaction(db);
            db.Exec(QStringLiteral("CREATE TABLE %1 (%2)")
                        .arg(db.Quote(MembersTable), columns.join(QStringLiteral(", "))));
            transaction.Commit();
            db.Close();
            return;
        } catch (const MeetDb::DbError &error) {
            failure = error.Message();
        }
    }
    for (const char *suffix : {"", "-wal", "-shm", "-journal"})
        QFile::remove(path + QLatin1String(suffix));
    throw MeetDb::DbError(what + QStringLiteral(": ") + failure);
}

bool BuildMemberIndex(MeetDb::Database &db, MemberIndex &index, Core::Prompts &prompts)
{
    const QVariantHash active{{QStringLiteral("type"), QStringLiteral("A")}};
    QSqlQuery count = Run(db,
                          QStringLiteral("SELECT count(*) FROM %1 WHERE %2 = :type")
                              .arg(db.Quote(MembersTable), db.Quote(QStringLiteral("Record Type"))),
                          active, QStringLiteral("Cannot count the members"));
    const int activeCount = count.next() ? count.value(0).toInt() : 0;
    count = QSqlQuery();

    index.Clear();
    if (index.Capacity() < activeCount)
        index.SetCapacity(activeCount);
    if (activeCount == 0)
        return true;

    QSqlQuery members = Run(db,
                            QStringLiteral("SELECT %1, %2, %3 FROM %4 WHERE %5 = :type ORDER BY %1")
                                .arg(db.Quote(RecordIdField), db.Quote(QStringLiteral("Surname")),
                                     db.Quote(QStringLiteral("Forename")), db.Quote(MembersTable),
                                     db.Quote(QStringLiteral("Record Type"))),
                            active, QStringLiteral("Cannot read the members"));
    QList<std::pair<QString, int>> read;
    QHash<QString, int> uses;
    while (members.next()) {
        read.append({MemberKey(TextAt(members, 1), TextAt(members, 2)), members.value(0).toInt()});
        ++uses[read.constLast().first];
    }
    if (members.lastError().isValid())
        Fail(db, QStringLiteral("Cannot read the members"), members.lastError());

    QMap<QString, QList<int>> collisions;
    for (const auto &[key, id] : std::as_const(read)) {
        if (uses.value(key) > 1) {
            collisions[key].append(id);
            continue;
        }
        prompts.ShowStatus(key);
        if (!index.InsertIndexEntry(key, id, prompts))
            return false;
    }
    index.SetCollisions(collisions);
    return true;
}

bool ReadMember(MeetDb::Database &db, int recordId, Member &member, Core::Prompts &prompts)
{
    const QString notFound = QStringLiteral("Can't seek record on database");
    if (!db.IsOpen()) {
        prompts.Message(notFound);
        return false;
    }
    QSqlQuery query = Run(db,
                          QStringLiteral("SELECT * FROM %1 WHERE %2 = :id")
                              .arg(db.Quote(MembersTable), db.Quote(RecordIdField)),
                          {{QStringLiteral("id"), recordId}},
                          QStringLiteral("Cannot read member %1").arg(recordId));
    if (!query.next()) {
        prompts.Message(notFound);
        return false;
    }

    // Fields the file lacks read as empty, so an older file with fewer PB columns still reads.
    const QSqlRecord record = query.record();
    QHash<QString, int> columns;
    columns.reserve(record.count());
    for (int i = 0; i < record.count(); ++i)
        columns.insert(record.fieldName(i), i);
    const auto text = [&](const QString &field) { return TextAt(query, columns.value(field, -1)); };

    Member read;
    read.RecordId = query.value(columns.value(RecordIdField)).toInt();
    for (const TextField &field : TextFields)
        read.*field.member = text(QString::fromLatin1(field.name));
    read.DateOfBirth = DisplayDate(text(DateOfBirthField));
    read.EnvelopeFlag = text(EnvelopeFlagField).toInt() > 0;
    read.PbTimes.reserve(MaxPbColumns);
    read.PbDates.reserve(MaxPbColumns);
    for (int column = 1; column <= MaxPbColumns; ++column) {
        read.PbTimes << text(PbTimeField(column));
        read.PbDates << DisplayDate(text(PbDateField(column)));
    }
    member = read;
    return true;
}

int WriteMember(MeetDb::Database &db, const Member &member)
{
    MeetDb::Transaction transaction(db);
    int id = member.RecordId > 0 ? member.RecordId : NextMemberId(db);

    QStringList dateFields{DateOfBirthField};
    for (int column = 1; column <= MaxPbColumns; ++column)
        dateFields << PbDateField(column);
    QStringList quotedDates;
    for (const QString &field : dateFields)
        quotedDates << db.Quote(field);
    QSqlQuery existing =
        Run(db,
            QStringLiteral("SELECT %1 FROM %2 WHERE %3 = :id")
                .arg(quotedDates.join(u','), db.Quote(MembersTable), db.Quote(RecordIdField)),
            {{QStringLiteral("id"), id}}, QStringLiteral("Cannot read member %1").arg(id));
    const bool exists = existing.next();
    QVariantList storedDates;
    for (int i = 0; i < dateFields.size(); ++i)
        storedDates << (exists ? existing.value(i) : QVariant());
    existing = QSqlQuery();

    QStringList fields;
    QVariantList values;
    const auto text = [](const QString &value) { return value.isEmpty() ? QVariant() : value; };
    for (const TextField &field : TextFields) {
        fields << QString::fromLatin1(field.name);
        values << text(member.*field.member);
    }
    fields << DateOfBirthField;
    values << text(StoredDate(member.DateOfBirth, storedDates.at(0)));
    fields << EnvelopeFlagField;
    values << (member.EnvelopeFlag ? 1 : 0);
    for (int column = 1; column <= MaxPbColumns; ++column) {
        fields << PbTimeField(column) << PbDateField(column);
        values << text(member.PbTime(column))
               << text(StoredDate(member.PbDate(column), storedDates.at(column)));
    }

    QVariantHash binds{{QStringLiteral("id"), id}};
    QStringList assignments, columns, placeholders;
    for (int i = 0; i < fields.size(); ++i) {
        const QString placeholder = QStringLiteral("v%1").arg(i);
        binds.insert(placeholder, values.at(i));
        assignments << db.Quote(fields.at(i)) + QStringLiteral(" = :") + placeholder;
        columns << db.Quote(fields.at(i));
        placeholders << u':' + placeholder;
    }
    const QString sql =
        exists ? QStringLiteral("UPDATE %1 SET %2 WHERE %3 = :id")
                     .arg(db.Quote(MembersTable), assignments.join(u','), db.Quote(RecordIdField))
               : QStringLiteral("INSERT INTO %1 (%2, %3) VALUES (:id, %4)")
                     .arg(db.Quote(MembersTable), db.Quote(RecordIdField), columns.join(u','),
                          placeholders.join(u','));
    Run(db, sql, binds, QStringLiteral("Cannot write member %1").arg(id));
    transaction.Commit();
    return id;
}

int CountMembers(MeetDb::Database &db)
{
    QSqlQuery query = Run(db, QStringLiteral("SELECT count(*) FROM %1").arg(db.Quote(MembersTable)),
                          {}, QStringLiteral("Cannot count the members"));
    return query.next() ? query.value(0).toInt() : 0;
}

bool ClearEnvelopeFlags(MeetDb::Database &db, Core::Prompts &prompts)
{
    if (!prompts.AskYesNo(QStringLiteral("Clear all envelope flags?")))
        return false;
    if (CountMembers(db) == 0) {
        prompts.Message(QStringLiteral("Wot no members !!!!!"));
        return false;
    }
    MeetDb::Transaction transaction(db);
    Run(db,
        QStringLiteral("UPDATE %1 SET %2 = 0")
            .arg(db.Quote(MembersTable), db.Quote(EnvelopeFlagField)),
        {}, QStringLiteral("Cannot clear the envelope flags"));
    transaction.Commit();
    return true;
}

int PbColumn(const Core::SystemSettings &settings, const QString &distance, const QString &stroke)
{
    const double wanted = Core::LeadingNumber(distance);
    const auto find = [wanted](const QStringList &distances) {
        for (int i = 0; i < distances.size(); ++i) {
            if (Core::LeadingNumber(distances.at(i)) == wanted)
                return i + 1;
        }
        return 0;
    };
    const int allStrokes = int(settings.PbAllStrokeDist.size());
    const int freestyleOnly = int(settings.PbFreestyleDist.size());

    int strokeNumber = 0;
    if (stroke == settings.StrokeFS)
        strokeNumber = 1;
    else if (stroke == settings.StrokeBR)
        strokeNumber = 2;
    else if (stroke == settings.StrokeBK)
        strokeNumber = 3;
    else if (stroke == settings.StrokeFLY)
        strokeNumber = 4;

    if (strokeNumber > 0) {
        if (const int i = find(settings.PbAllStrokeDist); i > 0)
            return (i - 1) * 4 + strokeNumber;
        if (strokeNumber == 1) {
            if (const int i = find(settings.PbFreestyleDist); i > 0)
                return 4 * allStrokes + i;
        }
        return -1;
    }
    if (stroke == settings.StrokeMED) {
        if (const int i = find(settings.PbMedleyDist); i > 0)
            return 4 * allStrokes + freestyleOnly + i;
    }
    return -1;
}

} // namespace Members
