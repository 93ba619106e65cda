#include "lenex/lenexentries.h"

#include <algorithm>

#include <QCryptographicHash>
#include <QHash>
#include <QSaveFile>
#include <QSet>
#include <QSqlError>
#include <QSqlQuery>

#include "core/galastate.h"
#include "core/textutil.h"
#include "core/timeutil.h"
#include "entries/agegroups.h"
#include "entries/entrycheck.h"
#include "lenex/lenexfile.h"
#include "meetdb/database.h"
#include "meetdb/session.h"

namespace Lenex {

namespace {

using Entries::EntrantRecord;
using Entries::EntrySwimRecord;

// An entrant of the meet as the import matches swimmers against it.
struct MeetEntrant
{
    int Number = 0;
    QString Club;
    QSet<QString> Events; // the event numbers of its swims
};

// The meet's entrants: by swimmer key (name, age field and club), and by name and age field
// alone, to point out a swimmer entered for another club.
struct MeetEntrants
{
    QList<MeetEntrant> List;
    QHash<QString, int> ByKey;
    QHash<QString, int> ByNameAndAge;
    QByteArray State; // a digest of every value read, to tell later whether the meet changed
};

QString NameAndAgeKey(const QString &name, const QString &age)
{
    return name.simplified().toCaseFolded() + u'\n' + Entries::AgeFieldKey(age);
}

QString SwimmerKey(const QString &name, const QString &age, const QString &club)
{
    return NameAndAgeKey(name, age) + u'\n' + Core::ClubCode(club);
}

void ThrowOnFailure(QSqlQuery &query)
{
    if (!query.exec())
        throw MeetDb::DbError(query.lastError().text());
}

// Adds the row's values to the digest, each ended so that no two rows read alike.
void AddRow(QCryptographicHash &digest, const QSqlQuery &query, int columns)
{
    for (int i = 0; i < columns; ++i) {
        digest.addData(query.value(i).toString().toUtf8());
        digest.addData(QByteArrayView("\x1f", 1));
    }
    digest.addData(QByteArrayView("\x1e", 1));
}

MeetEntrants ReadMeetEntrants(MeetDb::Session &session)
{
    MeetEntrants entrants;
    QCryptographicHash digest(QCryptographicHash::Sha256);
    QHash<int, int> byNumber;
    QSqlQuery query(session.MeetDb.Connection());
    query.setForwardOnly(true);
    query.prepare(QStringLiteral(R"(SELECT "Entrant Number", "Swimmer Name", "club", "age" FROM )"
                                 R"("Entrant Table" WHERE "Meet code" = :code )"
                                 R"(ORDER BY "Entrant Number")"));
    query.bindValue(QStringLiteral(":code"), session.Gala.MeetCode);
    ThrowOnFailure(query);
    while (query.next()) {
        AddRow(digest, query, 4);
        const int number = query.value(0).toInt();
        if (number < 1 || number > Entries::MaxEntrantNumber || byNumber.contains(number))
            continue;
        const QString name = query.value(1).toString();
        const QString club = query.value(2).toString();
        const QString age = query.value(3).toString();
        // The lowest number of two under one key is the one matched, as the entry window finds
        // the first of a name.
        const int at = int(entrants.List.size());
        byNumber.insert(number, at);
        entrants.ByKey.insert(SwimmerKey(name, age, club),
                              entrants.ByKey.value(SwimmerKey(name, age, club), at));
        entrants.ByNameAndAge.insert(NameAndAgeKey(name, age),
                                     entrants.ByNameAndAge.value(NameAndAgeKey(name, age), at));
        entrants.List.append(MeetEntrant{number, Core::ClubCode(club), {}});
    }
    query.prepare(QStringLiteral(R"(SELECT "Entrant Number", "Event number" FROM "Swim Table" )"
                                 R"(WHERE "Meet code" = :code ORDER BY rowid)"));
    query.bindValue(QStringLiteral(":code"), session.Gala.MeetCode);
    ThrowOnFailure(query);
    while (query.next()) {
        AddRow(digest, query, 2);
        const int at = byNumber.value(query.value(0).toInt(), -1);
        if (at >= 0)
            entrants.List[at].Events.insert(query.value(1).toString().trimmed());
    }
    entrants.State = digest.result();
    return entrants;
}

QString StrokeCodeOf(const Event &event)
{
    static const QHash<QString, QString> individual{
        {QStringLiteral("FREE"), QStringLiteral("FS")},
        {QStringLiteral("BACK"), QStringLiteral("BK")},
        {QStringLiteral("BREAST"), QStringLiteral("BR")},
        {QStringLiteral("FLY"), QStringLiteral("FLY")},
        {QStringLiteral("MEDLEY"), QStringLiteral("MED")},
    };
    const QString code = individual.value(event.Stroke.toUpper());
    if (code.isEmpty() || event.RelayCount <= 1)
        return code;
    return code + u'R';
}

QString StrokeWords(const QString &distance, const QString &code, const QString &given)
{
    const QString name = Core::StrokeName(code);
    return QStringLiteral("%1 %2").arg(distance, name.isEmpty() ? given : name);
}

// Why the file's event cannot be the meet's event of the same number, or "": a distance or a
// stroke the file gives that differs.
QString EventMismatch(const Event &fileEvent, const Core::GalaEvent &meetEvent)
{
    const QString code = StrokeCodeOf(fileEvent);
    QString meetCode = meetEvent.EvStroke;
    if (meetCode == u"FSS") // the second freestyle code is freestyle all the same
        meetCode = QStringLiteral("FS");
    // A Lenex relay gives each swimmer's distance; the meet keeps the whole relay's.
    const int distance = fileEvent.Distance * std::max(1, fileEvent.RelayCount);
    const bool distanceDiffers = distance > 0 && meetEvent.EvDistance.toDouble() != distance;
    const bool strokeDiffers = !fileEvent.Stroke.isEmpty() && code != meetCode;
    if (!distanceDiffers && !strokeDiffers)
        return {};
    return QStringLiteral("event %1 is %2 here, %3 in the file")
        .arg(meetEvent.EvNumber,
             StrokeWords(meetEvent.EvDistance, meetEvent.EvStroke, meetEvent.EvStroke),
             StrokeWords(distance > 0 ? QString::number(distance) : meetEvent.EvDistance, code,
                         fileEvent.Stroke.toLower()));
}

QString SexWords(const QString &sex)
{
    if (sex == u"F")
        return QStringLiteral("women");
    if (sex == u"M")
        return QStringLiteral("men");
    return QStringLiteral("mixed teams");
}

QString ShortDate(const QDate &date)
{
    return date.toString(QStringLiteral("dd/MM/yyyy"));
}

// The reason a swim refused by CheckEntrant is given, in an official's words.
QString SwimReason(const Core::GalaState &gala, const Entries::EntrantToCheck &entrant,
                   const Entries::EntryFault &fault, const QString &typedTime,
                   const QString &fileTime)
{
    const EntrySwimRecord &swim = entrant.Record.Swims.first();
    const Core::GalaEvent *event = swim.EventIndex >= 0 && swim.EventIndex < gala.EventCount()
                                       ? &gala.Events.at(swim.EventIndex)
                                       : nullptr;
    switch (fault.Refusal) {
    case Entries::SwimRefusal::NoEvent:
        return QStringLiteral("no such event %1").arg(swim.EventNumber);
    case Entries::SwimRefusal::Final:
        return QStringLiteral("event %1 is a final, which takes no entries").arg(swim.EventNumber);
    case Entries::SwimRefusal::WrongSex:
        return QStringLiteral("event %1 is for %2").arg(swim.EventNumber, SexWords(event->EvSex));
    case Entries::SwimRefusal::WrongGroup:
        if (gala.GalaType == Core::GalaMasters)
            return QStringLiteral("event %1 is a relay").arg(swim.EventNumber);
        return QStringLiteral("event %1 is for %2").arg(swim.EventNumber, event->EvGroup);
    case Entries::SwimRefusal::TooOld:
        return QStringLiteral("age %1 on %2: too old for event %3 (%4)")
            .arg(Entries::AgeOnQualDate(entrant.Dob, gala.QualDate))
            .arg(ShortDate(Core::ParseDate(gala.QualDate)), swim.EventNumber, event->EvGroup);
    case Entries::SwimRefusal::InvalidTime:
        return QStringLiteral("entry time %1 is not a time this meet takes (%2)")
            .arg(fileTime, typedTime);
    case Entries::SwimRefusal::None:
        break;
    }
    return fault.Text;
}

// One athlete's fault that refuses all its entries, or "". Fills the entrant to be checked.
QString AthleteFault(const Core::GalaState &gala, const Athlete &athlete, const QString &club,
                     Entries::EntrantToCheck &entrant)
{
    EntrantRecord &record = entrant.Record;
    record.Kind = Entries::EntrantKind::Individual;
    record.Name = record.FullName = (athlete.FirstName + u' ' + athlete.LastName).simplified();
    record.Club = club;
    record.Sex = athlete.Gender.trimmed().toUpper();
    record.Regno = athlete.License.trimmed();
    if (club.isEmpty())
        return QStringLiteral("the file names no club");
    if (gala.FindClub(club) < 0)
        return QStringLiteral("club %1 is not a club of this meet; add it with \"Add Club Name\" "
                              "first")
            .arg(club);
    if (record.Name.isEmpty())
        return QStringLiteral("no name");
    if (record.Sex != u"M" && record.Sex != u"F")
        return QStringLiteral("sex \"%1\" is not M or F").arg(athlete.Gender);
    if (!athlete.BirthDate.isValid())
        return QStringLiteral("no date of birth");
    // A Lenex date has four-digit years, so a date after today is a mistake, never a century
    // to correct.
    if (athlete.BirthDate > QDate::currentDate())
        return QStringLiteral("born %1: a date of birth in the future")
            .arg(ShortDate(athlete.BirthDate));
    if (const QString fault = Core::TextLimitFault(record.Regno, Core::MaxSwimmerNameLength,
                                                   QStringLiteral("the registration number"));
        !fault.isEmpty())
        return fault;
    entrant.Dob = athlete.BirthDate.toString(Qt::ISODate);
    record.Age = entrant.Dob;
    if (gala.GalaType == Core::GalaMasters) {
        // Masters swimmers are entered in the individuals' group under their letter.
        entrant.Group = 0;
        record.Age = Entries::MastersLetter(
            Entries::MastersAgeOnQualDate(gala, entrant.Dob, nullptr), gala.Junior);
        if (record.Age.isEmpty())
            return QStringLiteral("born %1: too young for masters").arg(athlete.BirthDate.year());
    }
    const Entries::EntryFault fault = Entries::CheckEntrant(gala, entrant, {});
    return fault.IsFault() ? fault.Text : QString();
}

// The meet's code of a club of the file: its code, or for a club without one the code of the
// meet's club of that name; "" when neither is given.
QString MeetClubCode(const Core::GalaState &gala, const Club &club)
{
    if (!club.Code.trimmed().isEmpty())
        return Core::ClubCode(club.Code);
    for (const Core::GalaClub &meetClub : gala.Clubs)
        if (meetClub.Name.compare(club.Name.trimmed(), Qt::CaseInsensitive) == 0)
            return meetClub.Code;
    return club.Name.trimmed();
}

QString EntryStatusFault(const QString &status)
{
    if (status == u"WDR")
        return QStringLiteral("withdrawn");
    if (status == u"RJC")
        return QStringLiteral("rejected by the meet");
    if (status == u"SICK")
        return QStringLiteral("sick");
    return {};
}

class Checker
{
public:
    Checker(const Core::GalaState &gala, const Meet &meet, MeetEntrants entrants,
            EntriesCheck &check)
        : m_gala(gala)
        , m_entrants(std::move(entrants))
        , m_check(check)
    {
        m_check.MeetState = m_entrants.State;
        for (const Session &session : meet.Sessions)
            for (const Event &event : session.Events)
                m_events.insert(event.Id, m_events.contains(event.Id) ? nullptr : &event);
    }

    void CheckAthlete(const Club &club, const QString &clubCode, const Athlete &athlete);
    void RefuseRelay(const Club &club, const QString &clubCode, const Relay &relay);

private:
    QString EventLabel(const Entry &entry) const
    {
        const Event *event = m_events.value(entry.EventId);
        return event && event->Number > 0 ? QString::number(event->Number)
                                          : QStringLiteral("id %1").arg(entry.EventId);
    }
    // The swim of one entry, or the reason it is refused.
    // `entered`: the swimmer's events in the meet; `taken`: those taken from the file so far.
    QString CheckEntry(const Entries::EntrantToCheck &athlete, const Entry &entry,
                       const QSet<QString> &entered, const QSet<QString> &taken,
                       EntrySwimRecord &swim);

    const Core::GalaState &m_gala;
    MeetEntrants m_entrants;
    EntriesCheck &m_check;
    QHash<int, const Event *> m_events; // by id; nullptr for an id given twice
    QHash<QString, int> m_accepted;     // swimmer key to its place in Accepted
};

QString Checker::CheckEntry(const Entries::EntrantToCheck &athlete, const Entry &entry,
                            const QSet<QString> &entered, const QSet<QString> &taken,
                            EntrySwimRecord &swim)
{
    if (const QString fault = EntryStatusFault(entry.Status.trimmed().toUpper()); !fault.isEmpty())
        return fault;
    if (!m_events.contains(entry.EventId))
        return QStringLiteral("the file does not describe the event with id %1").arg(entry.EventId);
    const Event *fileEvent = m_events.value(entry.EventId);
    if (!fileEvent)
        return QStringLiteral("the file gives two events the id %1").arg(entry.EventId);
    if (fileEvent->Number <= 0)
        return QStringLiteral("the file's event with id %1 has no number").arg(entry.EventId);
    swim.EventNumber = QString::number(fileEvent->Number);
    swim.EventIndex = m_gala.FindEvent(swim.EventNumber);
    if (swim.EventIndex < 0)
        return QStringLiteral("no such event %1").arg(swim.EventNumber);
    if (const QString fault = EventMismatch(*fileEvent, m_gala.Events.at(swim.EventIndex));
        !fault.isEmpty())
        return fault;
    const std::optional<QString> typed = TypedTimeFromSwimTime(entry.EntryTime.trimmed());
    if (!typed)
        return QStringLiteral("entry time \"%1\" is not a time").arg(entry.EntryTime);
    swim.EntryTime = *typed;
    if (entered.contains(swim.EventNumber))
        return QStringLiteral("already entered in event %1").arg(swim.EventNumber);
    if (taken.contains(swim.EventNumber))
        return QStringLiteral("event %1 is in the file twice").arg(swim.EventNumber);

    // The checks of "Record", on this one swim.
    Entries::EntrantToCheck one = athlete;
    one.Record.Swims = {swim};
    one.DuplicateConfirmed = true; // entrants already in the meet are matched, not refused
    const Entries::EntryFault fault = Entries::CheckEntrant(m_gala, one, {});
    if (fault.IsFault())
        return SwimReason(m_gala, one, fault, *typed, entry.EntryTime);
    swim = one.Record.Swims.first();
    return {};
}

void Checker::CheckAthlete(const Club &club, const QString &clubCode, const Athlete &athlete)
{
    if (athlete.Entries.isEmpty())
        return;
    Entries::EntrantToCheck entrant;
    const QString fault = AthleteFault(m_gala, athlete, clubCode, entrant);
    const QString born = athlete.BirthDate.isValid()
                             ? QStringLiteral(", born ") + ShortDate(athlete.BirthDate)
                             : QString();
    const QString who = QStringLiteral("%1 (%2%3)")
                            .arg((athlete.FirstName + u' ' + athlete.LastName).simplified(),
                                 clubCode.isEmpty() ? club.Name.trimmed() : clubCode, born);
    if (!fault.isEmpty()) {
        for (const Entry &entry : athlete.Entries)
            m_check.Refused.append(RefusedEntry{who, EventLabel(entry), fault});
        return;
    }

    // The same swimmer twice in the file is one entrant; one already in the meet takes the new
    // swims.
    const EntrantRecord &record = entrant.Record;
    const QString key = SwimmerKey(record.Name, record.Age, record.Club);
    int at = int(m_check.Accepted.size());
    QSet<QString> entered;
    QSet<QString> taken;
    if (const int earlierAt = m_accepted.value(key, -1); earlierAt >= 0) {
        at = earlierAt;
        const AcceptedSwimmer &earlier = m_check.Accepted.at(at);
        if (earlier.Existing > 0)
            entered = m_entrants.List.at(m_entrants.ByKey.value(key)).Events;
        for (const EntrySwimRecord &swim : earlier.Record.Swims)
            taken.insert(swim.EventNumber);
    } else {
        AcceptedSwimmer accepted;
        accepted.Swimmer = who;
        accepted.Record = record;
        const int inMeet = m_entrants.ByKey.value(key, -1);
        const int otherClub =
            m_entrants.ByNameAndAge.value(NameAndAgeKey(record.Name, record.Age), -1);
        if (inMeet >= 0) {
            accepted.Existing = m_entrants.List.at(inMeet).Number;
            entered = m_entrants.List.at(inMeet).Events;
        } else if (otherClub >= 0) {
            accepted.SameSwimmer = m_entrants.List.at(otherClub).Number;
            accepted.SameSwimmerClub = m_entrants.List.at(otherClub).Club;
        }
        m_check.Accepted.append(accepted);
    }

    QList<EntrySwimRecord> swims;
    for (const Entry &entry : athlete.Entries) {
        EntrySwimRecord swim;
        const QString reason = CheckEntry(entrant, entry, entered, taken, swim);
        if (!reason.isEmpty()) {
            m_check.Refused.append(RefusedEntry{who, EventLabel(entry), reason});
            continue;
        }
        taken.insert(swim.EventNumber);
        swims.append(swim);
    }
    AcceptedSwimmer &accepted = m_check.Accepted[at];
    accepted.Record.Swims += swims;
    // "Record" writes the swims in the order of the meet's events.
    std::stable_sort(accepted.Record.Swims.begin(), accepted.Record.Swims.end(),
                     [](const EntrySwimRecord &a, const EntrySwimRecord &b) {
                         return a.EventIndex < b.EventIndex;
                     });
    if (accepted.Record.Swims.isEmpty()) {
        m_check.Accepted.removeAt(at);
        return;
    }
    m_accepted.insert(key, at);
}

void Checker::RefuseRelay(const Club &club, const QString &clubCode, const Relay &relay)
{
    const QString who = QStringLiteral("relay team %1 (%2)")
                            .arg(relay.Number)
                            .arg(clubCode.isEmpty() ? club.Name.trimmed() : clubCode);
    for (const Entry &entry : relay.Entries)
        m_check.Refused.append(RefusedEntry{who, EventLabel(entry),
                                            QStringLiteral("relay teams are entered by hand, "
                                                           "in \"Add Entry\"")});
}

// "1 swim", "3 swims".
QString Count(qsizetype count, const QString &thing)
{
    return QStringLiteral("%1 %2%3").arg(count).arg(thing,
                                                    count == 1 ? QString() : QStringLiteral("s"));
}

QString EventList(const QList<EntrySwimRecord> &swims)
{
    QStringList events;
    for (const EntrySwimRecord &swim : swims)
        events << swim.EventNumber;
    return (events.size() == 1 ? QStringLiteral("event ") : QStringLiteral("events ")) +
           events.join(QStringLiteral(", "));
}

} // namespace

std::optional<QString> TypedTimeFromSwimTime(const QString &swimTime)
{
    if (swimTime.isEmpty() || swimTime == u"NT")
        return QString();
    const std::optional<qint64> hundredths = SwimTimeHundredths(swimTime);
    if (!hundredths)
        return std::nullopt;
    if (*hundredths == 0)
        return QString(); // some programs write no time as zero
    // Written as typed: no leading zero, and minutes past the hour kept for "Record" to refuse.
    const qint64 minutes = *hundredths / 6000;
    const QString seconds =
        QStringLiteral("%1.%2")
            .arg(*hundredths / 100 % 60, minutes > 0 ? 2 : 1, 10, QLatin1Char('0'))
            .arg(*hundredths % 100, 2, 10, QLatin1Char('0'));
    return minutes > 0 ? QStringLiteral("%1:%2").arg(minutes).arg(seconds) : seconds;
}

int EntriesCheck::NewEntrants() const
{
    return int(std::count_if(Accepted.cbegin(), Accepted.cend(),
                             [](const AcceptedSwimmer &s) { return s.Existing == 0; }));
}

int EntriesCheck::NewEntrantSwims() const
{
    int swims = 0;
    for (const AcceptedSwimmer &swimmer : Accepted)
        if (swimmer.Existing == 0)
            swims += int(swimmer.Record.Swims.size());
    return swims;
}

int EntriesCheck::AddedSwims() const
{
    int swims = 0;
    for (const AcceptedSwimmer &swimmer : Accepted)
        if (swimmer.Existing > 0)
            swims += int(swimmer.Record.Swims.size());
    return swims;
}

QString EntriesCheck::Summary() const
{
    const int existing = int(Accepted.size()) - NewEntrants();
    QStringList lines;
    lines << QStringLiteral("Entries from %1 for %2").arg(Source, MeetName);
    lines << QStringLiteral("New entrants: %1, with %2")
                 .arg(NewEntrants())
                 .arg(Count(NewEntrantSwims(), QStringLiteral("swim")));
    lines << QStringLiteral("Swims for entrants already in the meet: %1, for %2")
                 .arg(AddedSwims())
                 .arg(Count(existing, QStringLiteral("entrant")));
    lines << QStringLiteral("Entries refused: %1").arg(Refused.size());
    if (!HasWork())
        lines << QStringLiteral("Nothing can be imported.");
    if (NewEntrants() > 0) {
        lines << QString() << QStringLiteral("New entrants:");
        for (const AcceptedSwimmer &swimmer : Accepted) {
            if (swimmer.Existing > 0)
                continue;
            QString line =
                QStringLiteral("  %1: %2").arg(swimmer.Swimmer, EventList(swimmer.Record.Swims));
            if (swimmer.SameSwimmer > 0)
                line += QStringLiteral(" (number %1, of the same name and birth date, is "
                                       "entered for %2)")
                            .arg(swimmer.SameSwimmer)
                            .arg(swimmer.SameSwimmerClub);
            lines << line;
        }
    }
    if (existing > 0) {
        lines << QString() << QStringLiteral("Swims for entrants already in the meet:");
        for (const AcceptedSwimmer &swimmer : Accepted)
            if (swimmer.Existing > 0)
                lines << QStringLiteral("  %1 %2: %3")
                             .arg(swimmer.Existing)
                             .arg(swimmer.Swimmer, EventList(swimmer.Record.Swims));
    }
    if (!Refused.isEmpty()) {
        lines << QString() << QStringLiteral("Entries refused:");
        for (const RefusedEntry &refused : Refused)
            lines << QStringLiteral("  %1, event %2: %3")
                         .arg(refused.Swimmer, refused.Event, refused.Reason);
    }
    return lines.join(u'\n') + u'\n';
}

QString MeetTakesNoLenexEntries(const MeetDb::Session &session)
{
    const Core::GalaState &gala = session.Gala;
    if (!gala.MeetDbOpen || !session.MeetDb.IsOpen())
        return QStringLiteral("No meet is loaded from a meet database");
    if (gala.GalaType != Core::GalaOpen && gala.GalaType != Core::GalaMasters)
        return QStringLiteral("Lenex entries are taken into Open and Masters meets only; "
                              "%1 is a %2 meet")
            .arg(gala.GalaName, gala.GalaType);
    return {};
}

bool CheckLenexEntries(MeetDb::Session &session, const Document &document, const QString &source,
                       EntriesCheck &check, QString *error)
{
    const Core::GalaState &gala = session.Gala;
    check = EntriesCheck{};
    check.Source = source;
    check.MeetName = gala.GalaName;
    const auto fail = [error](const QString &message) {
        if (error)
            *error = message;
        return false;
    };
    if (const QString refusal = MeetTakesNoLenexEntries(session); !refusal.isEmpty())
        return fail(refusal);
    if (document.Meets.size() != 1)
        return fail(QStringLiteral("%1 holds %2 meets; a club's entries file holds one")
                        .arg(source)
                        .arg(document.Meets.size()));
    try {
        const Meet &meet = document.Meets.first();
        Checker checker(gala, meet, ReadMeetEntrants(session), check);
        for (const Club &club : meet.Clubs) {
            const QString code = MeetClubCode(gala, club);
            for (const Athlete &athlete : club.Athletes)
                checker.CheckAthlete(club, code, athlete);
            for (const Relay &relay : club.Relays)
                checker.RefuseRelay(club, code, relay);
        }
    } catch (const MeetDb::DbError &failure) {
        return fail(failure.Message());
    }
    return true;
}

bool WriteLenexEntries(MeetDb::Session &session, const EntriesCheck &shown, QList<int> *numbers,
                       QString *error)
{
    if (numbers)
        numbers->clear();
    QList<int> given;
    try {
        // The write lock is taken first, so what is read below is the meet as it is written.
        MeetDb::Transaction transaction(session.MeetDb);
        if (ReadMeetEntrants(session).State != shown.MeetState) {
            if (error)
                *error = QStringLiteral("The meet's entries have changed since the summary was "
                                        "made, so nothing was imported. Import the file again to "
                                        "see what it adds now.");
            return false;
        }
        int next = 0;
        {
            Entries::EntrantBatchWriter writer(session);
            for (const AcceptedSwimmer &swimmer : shown.Accepted) {
                if (swimmer.Existing > 0)
                    writer.AddSwims(swimmer.Existing, swimmer.Record.Swims);
                else
                    given << writer.Write(swimmer.Record);
            }
            next = writer.Finish();
        }
        transaction.Commit();
        if (!given.isEmpty())
            session.Gala.NextCompetitorNumber = next;
    } catch (const MeetDb::DbError &failure) {
        if (error)
            *error = failure.Message();
        return false;
    }
    if (numbers)
        *numbers = given;
    return true;
}

QString ImportedMessage(const EntriesCheck &check, const QList<int> &numbers)
{
    QString numbered;
    if (numbers.size() == 1)
        numbered = QStringLiteral(" (number %1)").arg(numbers.first());
    else if (!numbers.isEmpty())
        numbered = QStringLiteral(" (numbers %1 to %2)").arg(numbers.first()).arg(numbers.last());
    return QStringLiteral("Imported %1%2 with %3, and %4 for entrants already in the meet.")
        .arg(Count(check.NewEntrants(), QStringLiteral("new entrant")), numbered,
             Count(check.NewEntrantSwims(), QStringLiteral("swim")),
             Count(check.AddedSwims(), QStringLiteral("swim")));
}

bool SaveEntriesReport(const QString &path, const QString &text, QString *error)
{
    QSaveFile file(path);
    const QByteArray bytes = text.toUtf8();
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.commit()) {
        if (error)
            *error = QStringLiteral("The report cannot be written to %1: %2")
                         .arg(path, file.errorString());
        return false;
    }
    return true;
}

} // namespace Lenex
