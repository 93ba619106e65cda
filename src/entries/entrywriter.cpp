#include "entries/entrywriter.h"

#include <array>
#include <cmath>

#include <QDir>
#include <QSqlError>
#include <QSqlQuery>
#include <QVariantHash>

#include "core/galastate.h"
#include "core/prompts.h"
#include "core/textutil.h"
#include "entries/entrycheck.h"
#include "entries/entryfilesstore.h"
#include "meetdb/database.h"
#include "meetdb/schema.h"
#include "meetdb/session.h"

namespace Entries {

namespace {

const QString NextNumberField = QStringLiteral("Next Competitor Number");
const QString DetailsQuery = QStringLiteral("Details of 1 Meet");
const QString EntrantNumberField = QStringLiteral("Entrant Number");

QVariant TextOrEmpty(const QString &text)
{
    // Texts are stored as given, "" rather than Null (QtSql binds a null QString as Null), so the
    // meet day reads back the same text that was written.
    return text.isEmpty() ? QVariant(QStringLiteral("")) : QVariant(text);
}

bool EntrantExists(MeetDb::Database &db, const QString &meetCode, int number)
{
    MeetDb::Database::SavedQuery query = db.OpenQuery(QStringLiteral("Single Entrant Details"));
    query.SetParameter(MeetDb::ParamMeetCode, meetCode);
    query.SetParameter(MeetDb::ParamEntrantNumber, number);
    return query.Open()->RecordCount() > 0;
}

// `highest` as a number, when a number above it can still be given. Read as a double: a crafted
// file may hold any number, which must not wrap round.
int RequireRoomAbove(const QString &meetCode, double highest)
{
    if (highest >= MaxEntrantNumber)
        throw MeetDb::DbError(QStringLiteral("Meet %1 already has entrant number %2; no number "
                                             "above it can be given")
                                  .arg(meetCode)
                                  .arg(highest));
    return int(highest);
}

int HighestEntrantNumber(MeetDb::Database &db, const QString &meetCode)
{
    MeetDb::Database::SavedQuery query = db.OpenQuery(QStringLiteral("Entrants for 1 Meet"));
    query.SetParameter(MeetDb::ParamMeetCode, meetCode);
    std::unique_ptr<MeetDb::RecordSet> entrants = query.Open();
    double highest = 0;
    for (entrants->MoveFirst(); !entrants->Eof(); entrants->MoveNext())
        highest = std::max(highest, entrants->Field(EntrantNumberField).toDouble());
    return RequireRoomAbove(meetCode, highest);
}

// The meet's record through "Details of 1 Meet", on its first row. Throws MeetDb::DbError when
// the meet is not in the file.
std::unique_ptr<MeetDb::RecordSet> OpenMeetDetails(MeetDb::Database &db, const QString &meetCode)
{
    MeetDb::Database::SavedQuery query = db.OpenQuery(DetailsQuery);
    query.SetParameter(MeetDb::ParamMeetCode, meetCode);
    std::unique_ptr<MeetDb::RecordSet> meet = query.Open();
    if (meet->RecordCount() < 1)
        throw MeetDb::DbError(QStringLiteral("Meet %1 is not in the meet database").arg(meetCode));
    meet->MoveFirst();
    return meet;
}

void StoreNextNumber(MeetDb::Database &db, const QString &meetCode, int next)
{
    std::unique_ptr<MeetDb::RecordSet> meet = OpenMeetDetails(db, meetCode);
    meet->Edit();
    meet->SetField(NextNumberField, next);
    meet->Update();
}

// The insert of an entrant of this kind: member galas add the address, and databases older than
// version 1.0 have no "Regno". The statement depends only on these two, so a batch prepares it
// once per kind.
QString EntrantInsertSql(const Core::GalaState &gala, EntrantKind kind)
{
    QString fields = QStringLiteral(R"("Meet code", "Entrant Number", "Swimmer Name", "club", )"
                                    R"("age", "Sex", "Card Printed")");
    QString placeholders = QStringLiteral(":code, :num, :name, :club, :age, :sex, 0");
    if (kind == EntrantKind::Member) {
        fields += QStringLiteral(
            R"(, "Address_Line_1", "Address_Line_2", "Town", "County", "Post Code")");
        placeholders += QStringLiteral(", :a1, :a2, :town, :county, :post");
    }
    if (gala.DbVersion >= 1.0f) {
        fields += QStringLiteral(R"(, "Regno")");
        placeholders += QStringLiteral(", :regno");
    }
    return QStringLiteral(R"(INSERT INTO "Entrant Table" (%1) VALUES (%2))")
        .arg(fields, placeholders);
}

QVariantHash EntrantValues(const Core::GalaState &gala, const EntrantRecord &record, int number)
{
    QVariantHash values{
        {QStringLiteral(":code"), gala.MeetCode},
        {QStringLiteral(":num"), number},
        {QStringLiteral(":name"), TextOrEmpty(record.Name)},
        {QStringLiteral(":club"), TextOrEmpty(record.Club)},
        {QStringLiteral(":age"), TextOrEmpty(record.Age)},
        {QStringLiteral(":sex"), TextOrEmpty(record.Sex)},
    };
    if (record.Kind == EntrantKind::Member) {
        values.insert(QStringLiteral(":a1"), TextOrEmpty(record.Address1));
        values.insert(QStringLiteral(":a2"), TextOrEmpty(record.Address2));
        values.insert(QStringLiteral(":town"), TextOrEmpty(record.Town));
        values.insert(QStringLiteral(":county"), TextOrEmpty(record.County));
        values.insert(QStringLiteral(":post"), TextOrEmpty(record.PostCode));
    }
    if (gala.DbVersion >= 1.0f)
        values.insert(QStringLiteral(":regno"), TextOrEmpty(record.Regno));
    return values;
}

// A "Select" gala makes events from the stroke and distance pairs typed in; the swims point at
// them, so they go into the meet's events with the first swim that uses them.
void StoreSelectEvent(MeetDb::Database &db, const Core::GalaState &gala, int eventIndex)
{
    if (eventIndex < 0 || eventIndex >= gala.EventCount())
        return;
    const Core::GalaEvent &event = gala.Events.at(eventIndex);
    QSqlQuery query(db.Connection());
    query.prepare(QStringLiteral(R"(SELECT 1 FROM "Event Table" WHERE "Meet code" = :code AND )"
                                 R"("Event number" = :event)"));
    query.bindValue(QStringLiteral(":code"), gala.MeetCode);
    query.bindValue(QStringLiteral(":event"), event.EvNumber);
    if (!query.exec())
        throw MeetDb::DbError(query.lastError().text());
    if (query.next())
        return;
    db.Exec(QStringLiteral(R"(INSERT INTO "Event Table" ("Meet code", "Event number", )"
                           R"("Event Sequence", "Event Print Number", "Sex", "Group", "Distance", )"
                           R"("Stroke") VALUES (:code, :event, :seq, :print, :sex, :group, )"
                           R"(:distance, :stroke))"),
            {
                {QStringLiteral("code"), gala.MeetCode},
                {QStringLiteral("event"), event.EvNumber},
                {QStringLiteral("seq"), event.EvSequence},
                {QStringLiteral("print"), TextOrEmpty(event.EvPrintNumber)},
                {QStringLiteral("sex"), TextOrEmpty(event.EvSex)},
                {QStringLiteral("group"), TextOrEmpty(event.EvGroup)},
                {QStringLiteral("distance"), event.EvDistance.toDouble()},
                {QStringLiteral("stroke"), TextOrEmpty(event.EvStroke)},
            });
}

const QString SwimInsertSql = QStringLiteral(
    R"(INSERT INTO "Swim Table" ("Meet code", "Entrant Number", "Event number", )"
    R"("Event Sequence", "Combined With", "Entry Time", "Time", "Confirmed", )"
    R"("Position", "DQ", "DQ Reason", "Meet Specific", "Seed Order", "DNS", "Notes", )"
    R"("Points") VALUES (:code, :num, :event, :seq, :combined, :time, :time, 0, 0, 0, )"
    R"('', :specific, 0, 0, '', 0))");

QVariantHash SwimValues(const Core::GalaState &gala, const EntrySwimRecord &swim, int number)
{
    const QString time = StoredEntryTime(swim.EntryTime);
    const int sequence =
        swim.EventIndex >= 0 ? swim.EventIndex + 1 : gala.FindEvent(swim.EventNumber) + 1;
    return {
        {QStringLiteral(":code"), gala.MeetCode},
        {QStringLiteral(":num"), number},
        {QStringLiteral(":event"), swim.EventNumber},
        {QStringLiteral(":seq"), sequence},
        {QStringLiteral(":combined"), CombinedWith(gala, swim.EventNumber)},
        {QStringLiteral(":time"), time},
        {QStringLiteral(":specific"), TextOrEmpty(swim.MeetSpecific)},
    };
}

} // namespace

QString StoredEntryTime(const QString &time)
{
    return time.isEmpty() || time == NtText ? NoTimeText : time;
}

QString CombinedWith(const Core::GalaState &gala, const QString &evNumber)
{
    for (const QStringList &combination : gala.Combinations) {
        const qsizetype at = combination.indexOf(evNumber);
        if (at >= 1)
            return combination.first();
    }
    return evNumber;
}

int ReadNextCompetitorNumber(MeetDb::Database &db, const QString &meetCode)
{
    std::unique_ptr<MeetDb::RecordSet> meet = OpenMeetDetails(db, meetCode);
    if (meet->IsNull(NextNumberField))
        return 1;
    // Read as a double first: a crafted file may hold any number, which must not wrap round.
    const QVariant stored = meet->Field(NextNumberField);
    bool number = false;
    const double next = stored.toDouble(&number);
    if (!number || !(next <= MaxEntrantNumber) || next != std::floor(next))
        throw MeetDb::DbError(QStringLiteral("\"%1\" of meet %2 is %3; it must be a whole number "
                                             "up to %4")
                                  .arg(NextNumberField, meetCode, stored.toString())
                                  .arg(MaxEntrantNumber));
    return next < 1 ? 1 : int(next);
}

void WriteEntrantRecord(MeetDb::Database &db, const Core::GalaState &gala,
                        const EntrantRecord &record, int number)
{
    db.Exec(EntrantInsertSql(gala, record.Kind), EntrantValues(gala, record, number));
    // Member galas move the counter on with the entrant, open galas after the swims; inside one
    // transaction the order only shows if the engine fails part-way, and then nothing stays.
    if (record.Kind == EntrantKind::Member)
        StoreNextNumber(db, gala.MeetCode, number + 1);
    for (const EntrySwimRecord &swim : record.Swims) {
        if (gala.GalaType == Core::GalaSelect)
            StoreSelectEvent(db, gala, swim.EventIndex);
        db.Exec(SwimInsertSql, SwimValues(gala, swim, number));
    }
    if (record.Kind != EntrantKind::Member)
        StoreNextNumber(db, gala.MeetCode, number + 1);
}

void WriteAddressRecord(MeetDb::Database &addressDb, const EntrantRecord &entrant, int number,
                        const AddressRecord &address)
{
    const QString name = entrant.FullName.isEmpty() ? entrant.Name : entrant.FullName;
    // A name without a blank is all first name, with no surname.
    const QString surname = name.trimmed().contains(u' ') ? Core::AfterFirstWord(name) : QString();
    addressDb.Exec(
        QStringLiteral(R"(INSERT INTO "Entrant Table" ("First Name", "SurName", "Sex", "club", )"
                       R"("Address Line 1", "Address Line 2", "Entrant No", "Town", "County", )"
                       R"("Post Code", "Events Entered", "Fee") VALUES (:first, :sur, :sex, )"
                       R"(:club, :a1, :a2, :num, :town, :county, :post, :events, :fee))"),
        {
            {QStringLiteral("first"), TextOrEmpty(Core::FirstWord(name))},
            {QStringLiteral("sur"), TextOrEmpty(surname)},
            {QStringLiteral("sex"), TextOrEmpty(entrant.Sex)},
            {QStringLiteral("club"), TextOrEmpty(entrant.Club)},
            {QStringLiteral("a1"), TextOrEmpty(address.Address1)},
            {QStringLiteral("a2"), TextOrEmpty(address.Address2)},
            {QStringLiteral("num"), number},
            {QStringLiteral("town"), TextOrEmpty(address.Town)},
            {QStringLiteral("county"), TextOrEmpty(address.County)},
            {QStringLiteral("post"), TextOrEmpty(address.PostCode)},
            {QStringLiteral("events"), address.EventsEntered},
            {QStringLiteral("fee"), address.Fee},
        });
}

MeetDbEntryStore::MeetDbEntryStore(MeetDb::Session &session)
    : m_session(session)
{}

MeetDbEntryStore::~MeetDbEntryStore() = default;

bool MeetDbEntryStore::Open(Core::Prompts &prompts)
{
    try {
        MeetDb::Database::SavedQuery query =
            m_session.MeetDb.OpenQuery(QStringLiteral("Entrants for 1 Meet"));
        query.SetParameter(MeetDb::ParamMeetCode, m_session.Gala.MeetCode);
        if (query.Open()->RecordCount() > 0)
            prompts.Message(QStringLiteral("Adding to existing entries for this meet"));
        return true;
    } catch (const MeetDb::DbError &error) {
        prompts.Message(error.Message());
        return false;
    }
}

bool MeetDbEntryStore::WriteEntrant(const EntrantRecord &record, int *numberUsed, QString *error)
{
    MeetDb::Database &db = m_session.MeetDb;
    try {
        MeetDb::Transaction transaction(db);
        int number = ReadNextCompetitorNumber(db, m_session.Gala.MeetCode);
        if (EntrantExists(db, m_session.Gala.MeetCode, number))
            number = HighestEntrantNumber(db, m_session.Gala.MeetCode) + 1;
        WriteEntrantRecord(db, m_session.Gala, record, number);
        transaction.Commit();
        m_session.Gala.NextCompetitorNumber = number + 1;
        if (numberUsed)
            *numberUsed = number;
        return true;
    } catch (const MeetDb::DbError &failure) {
        if (error)
            *error = failure.Message();
        return false;
    }
}

int MeetDbEntryStore::FindEntrant(const QString &swimmerName, const std::optional<QString> &age)
{
    // "Swimmer Name" ignores case in its index; the name is then compared exactly.
    if (!m_findEntrant) {
        m_findEntrant = std::make_unique<QSqlQuery>(m_session.MeetDb.Connection());
        m_findEntrant->setForwardOnly(true);
        m_findEntrant->prepare(
            QStringLiteral(R"(SELECT "Entrant Number", "Swimmer Name", "age" FROM )"
                           R"("Entrant Table" WHERE "Meet code" = :code AND )"
                           R"("Swimmer Name" = :name ORDER BY "Entrant Number")"));
    }
    QSqlQuery &query = *m_findEntrant;
    query.bindValue(QStringLiteral(":code"), m_session.Gala.MeetCode);
    query.bindValue(QStringLiteral(":name"), swimmerName);
    // The look-up only warns; a database that cannot answer leaves nothing to warn about.
    if (!query.exec())
        return 0;
    int found = 0;
    while (found == 0 && query.next()) {
        if (query.value(1).toString() == swimmerName &&
            (!age || SameAgeField(query.value(2).toString(), *age)))
            found = query.value(0).toInt();
    }
    // Done with the rows, so the statement holds no read lock while the window waits.
    query.finish();
    return found;
}

bool MeetDbEntryStore::Close(QString *)
{
    // Every record was committed when it was written; the meet database stays open for the
    // other windows.
    return true;
}

struct EntrantBatchWriter::Statements
{
    explicit Statements(MeetDb::Database &db)
        : Db(db)
    {}

    // The statement in `slot`, prepared from `sql` on first use.
    QSqlQuery &Prepared(std::unique_ptr<QSqlQuery> &slot, const QString &sql)
    {
        if (!slot) {
            slot = std::make_unique<QSqlQuery>(Db.Connection());
            if (!slot->prepare(sql))
                Fail(*slot, QStringLiteral("Cannot prepare a statement"));
        }
        return *slot;
    }

    void Run(QSqlQuery &query, const QVariantHash &values)
    {
        // The keys carry their ':' already, so binding makes no new strings.
        for (auto it = values.cbegin(); it != values.cend(); ++it)
            query.bindValue(it.key(), it.value());
        if (!query.exec())
            Fail(query, QStringLiteral("A statement failed"));
    }

    [[noreturn]] void Fail(const QSqlQuery &query, const QString &what)
    {
        const QSqlError error = query.lastError();
        throw MeetDb::DbError(
            QStringLiteral("%1 in %2: %3")
                .arg(what, QDir::toNativeSeparators(Db.Path()),
                     error.databaseText().isEmpty() ? error.text() : error.databaseText()));
    }

    MeetDb::Database &Db;
    std::array<std::unique_ptr<QSqlQuery>, 3> Entrant; // by EntrantKind: members add the address
    std::unique_ptr<QSqlQuery> Swim;
};

EntrantBatchWriter::EntrantBatchWriter(MeetDb::Session &session)
    : m_session(session)
    , m_statements(std::make_unique<Statements>(session.MeetDb))
{
    MeetDb::Database &db = session.MeetDb;
    const QString &meetCode = session.Gala.MeetCode;
    m_next = ReadNextCompetitorNumber(db, meetCode);
    MeetDb::Database::SavedQuery query = db.OpenQuery(QStringLiteral("Entrants for 1 Meet"));
    query.SetParameter(MeetDb::ParamMeetCode, meetCode);
    std::unique_ptr<MeetDb::RecordSet> entrants = query.Open();
    double highest = 0;
    for (entrants->MoveFirst(); !entrants->Eof(); entrants->MoveNext()) {
        const double number = entrants->Field(EntrantNumberField).toDouble();
        highest = std::max(highest, number);
        if (number >= 1 && number <= MaxEntrantNumber)
            m_used.insert(int(number));
    }
    m_highest = RequireRoomAbove(meetCode, highest);
}

EntrantBatchWriter::~EntrantBatchWriter() = default;

int EntrantBatchWriter::Write(const EntrantRecord &record)
{
    const Core::GalaState &gala = m_session.Gala;
    const int number = m_used.contains(m_next) ? m_highest + 1 : m_next;
    if (number > MaxEntrantNumber)
        RequireRoomAbove(gala.MeetCode, number - 1);
    Statements &s = *m_statements;
    s.Run(s.Prepared(s.Entrant.at(size_t(record.Kind)), EntrantInsertSql(gala, record.Kind)),
          EntrantValues(gala, record, number));
    AddSwims(number, record.Swims);
    m_used.insert(number);
    m_highest = std::max(m_highest, number);
    m_next = number + 1;
    m_written = true;
    return number;
}

void EntrantBatchWriter::AddSwims(int number, const QList<EntrySwimRecord> &swims)
{
    Statements &s = *m_statements;
    for (const EntrySwimRecord &swim : swims)
        s.Run(s.Prepared(s.Swim, SwimInsertSql), SwimValues(m_session.Gala, swim, number));
}

int EntrantBatchWriter::Finish()
{
    if (m_written)
        StoreNextNumber(m_session.MeetDb, m_session.Gala.MeetCode, m_next);
    return m_next;
}

std::unique_ptr<EntryStore> MakeEntryStore(MeetDb::Session &session)
{
    if (!session.Gala.UseMeetDb)
        return std::make_unique<EntryFilesStore>(session);
    if (session.Gala.MeetDbOpen && session.MeetDb.IsOpen())
        return std::make_unique<MeetDbEntryStore>(session);
    return nullptr;
}

} // namespace Entries
