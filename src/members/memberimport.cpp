// Loading members from a CSV file, so that a club can fill its member database from a
// spreadsheet (and the demo kit from a readable text file).

#include <algorithm>
#include <utility>

#include <QFile>
#include <QHash>
#include <QSet>
#include <QSqlError>
#include <QSqlQuery>
#include <QVariant>
#include <QVariantHash>

#include "core/textutil.h"
#include "core/timeutil.h"
#include "meetdb/database.h"
#include "members/memberdb.h"
#include "members/memberfields.h"

namespace Members {

namespace {

class CsvError
{
public:
    int Line;
    QString Text;
};

// Splits one line into fields (Core::SplitCsvLine); throws CsvError for a badly quoted field.
QStringList SplitCsvLine(const QString &line, int lineNumber)
{
    QString error;
    std::optional<QStringList> fields = Core::SplitCsvLine(line, &error);
    if (!fields)
        throw CsvError{lineNumber, error};
    return *fields;
}

// The field names of the table, by their names in lower case.
QHash<QString, QString> KnownFields()
{
    QStringList names{QStringLiteral("Record Id"), QStringLiteral("Date of Birth"),
                      QStringLiteral("Envelope Flag")};
    names << MemberTextFieldNames();
    for (int column = 1; column <= MaxPbColumns; ++column)
        names << PbTimeField(column) << PbDateField(column);
    QHash<QString, QString> known;
    for (const QString &name : std::as_const(names))
        known.insert(name.toLower(), name);
    return known;
}

bool ReadFlag(const QString &text, int &flag)
{
    const QString word = text.trimmed().toLower();
    if (word.isEmpty() || word == u"0" || word == u"no" || word == u"n" || word == u"false") {
        flag = 0;
        return true;
    }
    if (word == u"1" || word == u"-1" || word == u"yes" || word == u"y" || word == u"true") {
        flag = 1;
        return true;
    }
    return false;
}

// Checks one value and turns it into what is stored. Throws CsvError naming the field.
QVariant StoredValue(const QString &field, const QString &text, int line)
{
    const auto bad = [&](const QString &why) {
        return CsvError{line, QStringLiteral("%1 \"%2\" %3").arg(field, text, why)};
    };
    if (field == u"Envelope Flag") {
        int flag = 0;
        if (!ReadFlag(text, flag))
            throw bad(QStringLiteral("is not 1/0, yes/no or true/false"));
        return flag;
    }
    if (text.isEmpty())
        return QVariant();
    if (field == u"Date of Birth" || field.startsWith(u"PB Date ")) {
        if (!Core::IsDate(text))
            throw bad(QStringLiteral("is not a date (day/month/year)"));
        return StoredDate(text);
    }
    if (field.startsWith(u"PB Time ")) {
        const QString time = Core::SecondsToTimeQuiet(Core::TimeToSeconds(text));
        if (time.isEmpty())
            throw bad(QStringLiteral("is not a time (minutes:seconds.hundredths)"));
        return time;
    }
    if (field == u"Sex" && text != u"M" && text != u"F")
        throw bad(QStringLiteral("is not M or F"));
    return text;
}

} // namespace

MembersCsv ReadMembersCsv(const QByteArray &bytes, const QString &name,
                          const ExistingMembers &existing)
{
    const QStringList lines = Core::DecodeTextFile(bytes).split(u'\n');
    MembersCsv csv;
    try {
        // The header.
        int headerLine = 0;
        while (headerLine < lines.size() && lines.at(headerLine).trimmed().isEmpty())
            ++headerLine;
        if (headerLine == lines.size())
            throw CsvError{1, QStringLiteral("the file is empty; the first line must name the "
                                             "fields")};
        const QHash<QString, QString> known = KnownFields();
        QString headerText = lines.at(headerLine);
        if (headerText.endsWith(u'\r'))
            headerText.chop(1);
        QStringList &fields = csv.Fields;
        for (const QString &field : SplitCsvLine(headerText, headerLine + 1)) {
            const QString tableField = known.value(field.trimmed().toLower());
            if (tableField.isEmpty())
                throw CsvError{
                    headerLine + 1,
                    QStringLiteral("\"%1\" is not a field of \"%2\"").arg(field, MembersTable)};
            if (fields.contains(tableField))
                throw CsvError{headerLine + 1,
                               QStringLiteral("\"%1\" is named twice").arg(tableField)};
            fields << tableField;
        }
        const int idColumn = int(fields.indexOf(QStringLiteral("Record Id")));
        const int surnameColumn = int(fields.indexOf(QStringLiteral("Surname")));
        const int forenameColumn = int(fields.indexOf(QStringLiteral("Forename")));
        const int typeColumn = int(fields.indexOf(QStringLiteral("Record Type")));
        if (surnameColumn < 0)
            throw CsvError{headerLine + 1, QStringLiteral("the header has no \"Surname\" field")};

        // Clashes are reported against the line, or the table for a member already there.
        QSet<int> usedIds = existing.RecordIds;
        QHash<QString, int> activeKeys; // key -> line, 0 for a member already in the table
        for (const QString &key : existing.ActiveKeys)
            activeKeys.insert(key, 0);
        int nextId = existing.NextId;

        for (int n = headerLine + 1; n < lines.size(); ++n) {
            const int lineNumber = n + 1;
            QString line = lines.at(n);
            if (line.endsWith(u'\r'))
                line.chop(1);
            if (line.trimmed().isEmpty())
                continue;
            const QStringList values = SplitCsvLine(line, lineNumber);
            if (values.size() != fields.size())
                throw CsvError{lineNumber, QStringLiteral("%1 fields where the header names %2")
                                               .arg(values.size())
                                               .arg(fields.size())};
            if (values.at(surnameColumn).trimmed().isEmpty())
                throw CsvError{lineNumber, QStringLiteral("the surname is empty")};

            int id = 0;
            if (idColumn >= 0 && !values.at(idColumn).trimmed().isEmpty()) {
                bool ok = false;
                id = values.at(idColumn).trimmed().toInt(&ok);
                if (!ok || id <= 0 || id > MaxMemberRecordId)
                    throw CsvError{lineNumber,
                                   QStringLiteral("Record Id \"%1\" is not a whole number from 1 "
                                                  "to %2")
                                       .arg(values.at(idColumn))
                                       .arg(MaxMemberRecordId)};
                if (usedIds.contains(id))
                    throw CsvError{lineNumber,
                                   QStringLiteral("Record Id %1 is used twice").arg(id)};
            } else {
                while (usedIds.contains(nextId) && nextId <= MaxMemberRecordId)
                    ++nextId;
                if (nextId > MaxMemberRecordId)
                    throw CsvError{lineNumber, QStringLiteral("no Record Id up to %1 is left "
                                                              "for this member")
                                                   .arg(MaxMemberRecordId)};
                id = nextId;
            }
            usedIds.insert(id);
            nextId = std::max(nextId, id + 1);

            if (typeColumn >= 0 && values.at(typeColumn) == u"A") {
                const QString key =
                    MemberKey(values.at(surnameColumn),
                              forenameColumn >= 0 ? values.at(forenameColumn) : QString());
                if (activeKeys.contains(key)) {
                    const int earlier = activeKeys.value(key);
                    throw CsvError{lineNumber,
                                   QStringLiteral("active member \"%1\" is already %2; the name "
                                                  "index holds each name once")
                                       .arg(key, earlier > 0
                                                     ? QStringLiteral("on line %1").arg(earlier)
                                                     : QStringLiteral("in the member database"))};
                }
                activeKeys.insert(key, lineNumber);
            }

            MemberCsvRow row{lineNumber, id, {}};
            for (int i = 0; i < fields.size(); ++i)
                row.Values << (i == idColumn ? QVariant(id)
                                             : StoredValue(fields.at(i), values.at(i), lineNumber));
            csv.Rows << row;
        }
    } catch (const CsvError &error) {
        throw MeetDb::DbError(
            QStringLiteral("%1:%2: %3").arg(name).arg(error.Line).arg(error.Text));
    }
    return csv;
}

void ImportMembersCsv(MeetDb::Database &db, const QString &csvPath)
{
    QFile file(csvPath);
    if (!file.open(QIODevice::ReadOnly))
        throw MeetDb::DbError(
            QStringLiteral("%1: cannot read the file: %2").arg(csvPath, file.errorString()));
    const QByteArray bytes = file.readAll();
    file.close();

    // What the table already holds, so that clashes are reported against the line.
    ExistingMembers existing;
    {
        QSqlQuery query(db.Connection());
        query.setForwardOnly(true);
        if (!query.exec(QStringLiteral("SELECT \"Record Id\", \"Surname\", \"Forename\", "
                                       "\"Record Type\" FROM %1")
                            .arg(db.Quote(MembersTable))))
            throw MeetDb::DbError(QStringLiteral("%1 is not a member database: %2")
                                      .arg(db.Path(), query.lastError().text()));
        while (query.next()) {
            existing.RecordIds.insert(query.value(0).toInt());
            if (query.value(3).toString() == u"A")
                existing.ActiveKeys.insert(
                    MemberKey(query.value(1).toString(), query.value(2).toString()));
        }
    }
    existing.NextId = NextMemberId(db);
    const MembersCsv csv = ReadMembersCsv(bytes, csvPath, existing);

    // A file without a "Record Id" column still gives each member the id it was assigned.
    const bool idColumn = csv.Fields.contains(QStringLiteral("Record Id"));
    QStringList columns;
    QStringList placeholders;
    for (int i = 0; i < csv.Fields.size(); ++i) {
        columns << db.Quote(csv.Fields.at(i));
        placeholders << QStringLiteral(":v%1").arg(i);
    }
    if (!idColumn) {
        columns << db.Quote(QStringLiteral("Record Id"));
        placeholders << QStringLiteral(":id");
    }
    const QString insert =
        QStringLiteral("INSERT INTO %1 (%2) VALUES (%3)")
            .arg(db.Quote(MembersTable), columns.join(u','), placeholders.join(u','));

    MeetDb::Transaction transaction(db);
    for (const MemberCsvRow &row : csv.Rows) {
        QVariantHash binds;
        if (!idColumn)
            binds.insert(QStringLiteral("id"), row.RecordId);
        for (int i = 0; i < row.Values.size(); ++i)
            binds.insert(QStringLiteral("v%1").arg(i), row.Values.at(i));
        try {
            db.Exec(insert, binds);
        } catch (const MeetDb::DbError &error) {
            throw MeetDb::DbError(
                QStringLiteral("%1:%2: %3").arg(csvPath).arg(row.Line).arg(error.Message()));
        }
    }
    transaction.Commit();
}

} // namespace Members
