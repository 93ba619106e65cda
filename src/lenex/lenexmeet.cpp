#include "lenex/lenexmeet.h"

#include <algorithm>
#include <limits>
#include <map>
#include <numeric>
#include <tuple>
#include <utility>

#include <QDate>
#include <QDir>
#include <QFileInfo>
#include <QHash>
#include <QSet>
#include <QSqlError>
#include <QSqlQuery>
#include <QVariant>

#include "core/galastate.h"
#include "core/prompts.h"
#include "core/textutil.h"
#include "core/timeutil.h"
#include "entries/entrycheck.h"
#include "lenex/lenexfile.h"
#include "meetdb/competitionload.h"
#include "meetdb/database.h"
#include "meetdb/keywords.h"
#include "meetdb/schema.h"
#include "meetdb/session.h"

namespace Lenex {

namespace {

// Lenex strokes and the meet's codes, individual and relay.
struct StrokeCodes
{
    const char *Lenex;
    const char *Individual;
    const char *Relay;
};
constexpr StrokeCodes Strokes[] = {
    {"FREE", "FS", "FSR"},  {"BACK", "BK", "BKR"},     {"BREAST", "BR", "BRR"},
    {"FLY", "FLY", "FLYR"}, {"MEDLEY", "MED", "MEDR"},
};
// The meet's second freestyle code is freestyle to everyone else.
const QString SecondFreestyle = QStringLiteral("FSS");

// A relay's swimmers; the meet keeps no count, and four is what every relay here swims.
constexpr int RelaySwimmers = 4;

const QString MixedSex = QStringLiteral("X");
const QString OpenGender = QStringLiteral("A");

const QString FinalType = QStringLiteral("FINAL");
const QString TimedFinal = QStringLiteral("TIM");
const QString FinalRound = QStringLiteral("FIN");
// The rounds kept as they are in "Event Type"; a timed final keeps none, a final "FINAL".
const QStringList KeptRounds{QStringLiteral("FHT"), QStringLiteral("SEM"),
                             QStringLiteral("QUA"), QStringLiteral("PRE"),
                             QStringLiteral("SOP"), QStringLiteral("SOS"),
                             QStringLiteral("SOQ"), QStringLiteral("TIMETRIAL")};

// Parameter rows that keep what the meet's own fields have no place for.
const QString FirstLaneKeyword = QStringLiteral("firstlane");
const QString CityKeyword = QStringLiteral("lenexcity");
const QString NationKeyword = QStringLiteral("lenexnation");
const QString CourseKeyword = QStringLiteral("lenexcourse");

const QString OpenGroup = QStringLiteral("Open");

// The oldest age a group may name; beyond it the file is damaged.
constexpr int MaxAge = 150;

QString DateText(const QDate &date)
{
    return date.isValid() ? date.toString(QStringLiteral("dd/MM/yyyy")) : QString();
}

// The group text of an age range, which RangeOfGroup reads back.
QString GroupOfRange(int ageMin, int ageMax)
{
    if (ageMin < 0 && ageMax < 0)
        return OpenGroup;
    if (ageMin < 0)
        return QStringLiteral("U/%1").arg(ageMax + 1);
    if (ageMax < 0)
        return QStringLiteral("%1 & over").arg(ageMin);
    if (ageMin == ageMax)
        return QString::number(ageMin);
    return QStringLiteral("%1-%2").arg(ageMin).arg(ageMax);
}

// The age range of a group description; a description of another form is open to all ages.
std::pair<int, int> RangeOfGroup(const QString &description)
{
    bool ok = false;
    if (description.startsWith(QLatin1String("U/"))) {
        const int under = description.mid(2).toInt(&ok);
        return ok && under > 0 ? std::pair(-1, under - 1) : std::pair(-1, -1);
    }
    if (description.endsWith(QLatin1String(" & over"))) {
        const int from = description.chopped(7).toInt(&ok);
        return ok ? std::pair(from, -1) : std::pair(-1, -1);
    }
    const qsizetype dash = description.indexOf(u'-');
    if (dash > 0) {
        bool ok2 = false;
        const int from = description.left(dash).toInt(&ok);
        const int to = description.mid(dash + 1).toInt(&ok2);
        return ok && ok2 ? std::pair(from, to) : std::pair(-1, -1);
    }
    const int age = description.toInt(&ok);
    return ok ? std::pair(age, age) : std::pair(-1, -1);
}

// A refusal names an element and quotes a value or two; longer is a crafted file.
constexpr int MaxRefusalLength = 400;

// Collects the refusals of one file, each naming where in the document it is.
class Refusals
{
public:
    Refusals(const QString &name, QStringList &errors)
        : m_name(name)
        , m_errors(errors)
        , m_before(errors.size())
    {}

    void Add(const QString &where, const QString &reason)
    {
        if (m_errors.size() - m_before >= MaxReportedRefusals) {
            ++m_unreported;
            return;
        }
        const QString text = where.isEmpty() ? reason : where + QStringLiteral(": ") + reason;
        // Names come from the file: a crafted one must not reach a terminal as it stands.
        m_errors << MeetDb::PrintableText(m_name + QStringLiteral(": ") + text, MaxRefusalLength);
    }

    bool Finish()
    {
        if (m_unreported > 0)
            m_errors << QStringLiteral("%1: %2 more refusals").arg(m_name).arg(m_unreported);
        return m_errors.size() == m_before;
    }

private:
    QString m_name;
    QStringList &m_errors;
    qsizetype m_before;
    int m_unreported = 0;
};

// What the plan knows of one Lenex event while the entries are read.
struct PlannedEvent
{
    int Index = 0; // into the gala's events
    bool Relay = false;
    QHash<int, int> HeatNumbers; // heat id to heat number
};

class Planner
{
    // Numbering keys of entrants without an athlete id: after every athlete that has one.
    static constexpr int LastAthlete = std::numeric_limits<int>::max() - 1;
    static constexpr int RelayTeam = std::numeric_limits<int>::max();

public:
    Planner(const QString &name, LenexMeetPlan &plan, QStringList &errors)
        : m_refusals(name, errors)
        , m_plan(plan)
        , m_gala(plan.Meet.Gala)
    {}

    bool Run(const Document &document)
    {
        m_plan = {};
        Core::ResetGalaState(m_gala);
        if (document.Meets.isEmpty()) {
            m_refusals.Add({}, QStringLiteral("the file holds no meet"));
            return m_refusals.Finish();
        }
        const Meet &meet = document.Meets.constFirst();
        PlanMeet(meet);
        for (const Session &session : meet.Sessions)
            for (const Event &event : session.Events)
                PlanEvent(session, event);
        LinkRounds(meet);
        for (const Club &club : meet.Clubs)
            PlanClub(club);
        NumberOrder();
        return m_refusals.Finish();
    }

private:
    void Given(const char *keyword) { m_plan.Meet.GivenKeywords.insert(QLatin1String(keyword)); }

    void PlanMeet(const Meet &meet)
    {
        const QString where = QStringLiteral("meet");
        if (const QString fault = Core::TextLimitFault(meet.Name, Core::MaxMeetNameLength,
                                                       QStringLiteral("The meet's name"));
            !fault.isEmpty())
            m_refusals.Add(where, fault);
        m_gala.GalaName = meet.Name;
        m_gala.GalaTitle = meet.Name;
        m_gala.GalaType = Core::GalaOpen;
        Given("galaname");
        Given("galatitle");
        Given("galatype");

        if (meet.LaneMin != 0 && meet.LaneMin != 1) {
            m_refusals.Add(where, QStringLiteral("the pool's lanes are numbered from %1; the meet "
                                                 "takes pools numbered from 0 or 1")
                                      .arg(meet.LaneMin));
        }
        const int lanes = meet.LaneMax - meet.LaneMin + 1;
        if (lanes < Core::MinLanes || lanes > Core::MaxLanes) {
            m_refusals.Add(where, QStringLiteral("lanes %1 to %2 make %3 lanes; the meet takes %4 "
                                                 "to %5")
                                      .arg(meet.LaneMin)
                                      .arg(meet.LaneMax)
                                      .arg(lanes)
                                      .arg(Core::MinLanes)
                                      .arg(Core::MaxLanes));
        }
        m_gala.Lanes = lanes;
        m_gala.FirstLane = meet.LaneMin;
        Given("lanes");
        m_plan.Meet.Parameters.append({FirstLaneKeyword, QString::number(meet.LaneMin)});

        for (const auto &[keyword, value] :
             {std::pair(CityKeyword, meet.City), std::pair(NationKeyword, meet.Nation),
              std::pair(CourseKeyword, meet.Course)}) {
            if (value.isEmpty())
                continue;
            if (const QString fault = Core::TextFault(value, MeetDb::MaxMeetTextLength);
                !fault.isEmpty())
                m_refusals.Add(where, QStringLiteral("%1 %2").arg(keyword, fault));
            m_plan.Meet.Parameters.append({keyword, value});
        }

        // The meet's day is its first session's; Lenex reckons ages by the year of birth unless
        // it says otherwise, which is the age on the last day of the meet's year.
        if (!meet.Sessions.isEmpty() && meet.Sessions.constFirst().Date.isValid()) {
            const QDate date = meet.Sessions.constFirst().Date;
            m_gala.GalaDate = DateText(date);
            m_gala.QualDate = DateText(QDate(date.year(), 12, 31));
            Given("galadate");
            Given("qualdate");
        }
    }

    // The group for an event's age groups: their whole range when there are several, since the
    // meet keeps one group per event; "Open" when there are none.
    QString GroupFor(const Event &event, const QString &where)
    {
        int ageMin = -1;
        int ageMax = -1;
        QString name;
        for (qsizetype i = 0; i < event.AgeGroups.size(); ++i) {
            const AgeGroup &group = event.AgeGroups.at(i);
            const bool badMin = group.AgeMin < -1 || group.AgeMin > MaxAge;
            const bool badMax = group.AgeMax < -1 || group.AgeMax > MaxAge;
            if (badMin || badMax || (group.AgeMax >= 0 && group.AgeMin > group.AgeMax)) {
                m_refusals.Add(where, QStringLiteral("age group %1 to %2 is not an age range")
                                          .arg(group.AgeMin)
                                          .arg(group.AgeMax));
                return {};
            }
            if (i == 0) {
                ageMin = group.AgeMin;
                ageMax = group.AgeMax;
                name = group.Name;
            } else {
                ageMin = ageMin < 0 || group.AgeMin < 0 ? -1 : std::min(ageMin, group.AgeMin);
                ageMax = ageMax < 0 || group.AgeMax < 0 ? -1 : std::max(ageMax, group.AgeMax);
                name.clear();
            }
        }
        const QString description = GroupOfRange(ageMin, ageMax);
        for (const Core::GalaGroup &group : std::as_const(m_gala.Groups))
            if (group.GroupName == description)
                return description;
        if (const QString fault = Core::TextLimitFault(name, MeetDb::MaxMeetTextLength,
                                                       QStringLiteral("The age group's name"));
            !fault.isEmpty()) {
            m_refusals.Add(where, fault);
            return {};
        }
        if (m_gala.GroupCount() >= Core::MaxGroups) {
            m_refusals.Add(where, QStringLiteral("more than %1 age groups").arg(Core::MaxGroups));
            return {};
        }
        const QString print = name.isEmpty() ? description : name;
        m_gala.Groups.append({description, description, print, print});
        if (ageMin >= 0 || ageMax >= 0) {
            m_gala.AgeGroups = true;
            Given("agegroups");
        }
        return description;
    }

    // The meet's number for an event: the Lenex number, with a letter for a later round that
    // shares it, and a count after that should two such rounds share it too.
    QString EventNumberFor(const Event &event)
    {
        const QString base = QString::number(event.Number);
        if (m_gala.FindEvent(base) < 0)
            return base;
        QString letter = QStringLiteral("R");
        if (event.Round == FinalRound)
            letter = QStringLiteral("F");
        else if (!event.Round.isEmpty() && event.Round != TimedFinal)
            letter = event.Round.left(1);
        QString number = base + letter;
        for (int i = 2; m_gala.FindEvent(number) >= 0; ++i)
            number = base + letter + QString::number(i);
        return number;
    }

    void PlanEvent(const Session &session, const Event &event)
    {
        const QString where = QStringLiteral("event %1 (id %2)").arg(event.Number).arg(event.Id);
        if (event.Id == NoId || m_events.contains(event.Id)) {
            m_refusals.Add(where, event.Id == NoId ? QStringLiteral("the event has no id")
                                                   : QStringLiteral("its id is given twice"));
            return;
        }
        if (event.Number < 1) {
            m_refusals.Add(where, QStringLiteral("the event has no number"));
            return;
        }
        if (m_gala.EventCount() >= Core::MaxEvents) {
            m_refusals.Add(where, QStringLiteral("more than %1 events").arg(Core::MaxEvents));
            return;
        }
        const bool relay = event.RelayCount > 1;
        QString stroke;
        for (const StrokeCodes &codes : Strokes)
            if (event.Stroke == QLatin1String(codes.Lenex))
                stroke = QLatin1String(relay ? codes.Relay : codes.Individual);
        if (stroke.isEmpty()) {
            m_refusals.Add(where, QStringLiteral("stroke \"%1\" is none the meet swims "
                                                 "(FREE, BACK, BREAST, FLY, MEDLEY)")
                                      .arg(event.Stroke));
            return;
        }
        if (event.Distance < 1 || event.Distance > MeetDb::MaxDistance) {
            m_refusals.Add(where, QStringLiteral("distance %1 is not 1 to %2 metres")
                                      .arg(event.Distance)
                                      .arg(MeetDb::MaxDistance));
            return;
        }
        // Lenex gives open events as "A" (or not at all) and mixed relays as "X"; the meet's
        // mixed events, individual or relay, are "X", and take swimmers of either sex.
        const bool mixed = event.Gender.isEmpty() || event.Gender == u"A" || event.Gender == u"X";
        if (!mixed && event.Gender != u"M" && event.Gender != u"F") {
            m_refusals.Add(where,
                           QStringLiteral("gender \"%1\" is not M, F, X or A").arg(event.Gender));
            return;
        }
        const QString round = event.Round.isEmpty() ? TimedFinal : event.Round;
        if (round != TimedFinal && round != FinalRound && !KeptRounds.contains(round)) {
            m_refusals.Add(where, QStringLiteral("round \"%1\" is not a Lenex round").arg(round));
            return;
        }
        const QString group = GroupFor(event, where);
        if (group.isEmpty())
            return;

        Core::GalaEvent ev;
        ev.EvNumber = EventNumberFor(event);
        ev.EvSequence = m_gala.EventCount() + 1;
        ev.EvPrintNumber = ev.EvNumber;
        ev.EvSex = mixed ? MixedSex : event.Gender;
        ev.EvGroup = group;
        ev.EvDistance = QString::number(event.Distance);
        ev.EvStroke = stroke;
        ev.EvSession = std::max(session.Number, 1);
        ev.EvDate = session.Date.isValid() ? DateText(session.Date) : m_gala.GalaDate;
        ev.EvType = round == TimedFinal ? QString() : round == FinalRound ? FinalType : round;

        PlannedEvent planned;
        planned.Index = m_gala.EventCount();
        planned.Relay = relay;
        for (const Heat &heat : event.Heats) {
            if (heat.Id == NoId || heat.Number < 1 || planned.HeatNumbers.contains(heat.Id)) {
                m_refusals.Add(where, QStringLiteral("heat %1 (id %2) has no number or an id "
                                                     "given twice")
                                          .arg(heat.Number)
                                          .arg(heat.Id));
                continue;
            }
            planned.HeatNumbers.insert(heat.Id, heat.Number);
        }
        m_gala.Events.append(ev);
        m_events.insert(event.Id, planned);
    }

    // A round that follows another is the earlier event's "Final Event".
    void LinkRounds(const Meet &meet)
    {
        for (const Session &session : meet.Sessions) {
            for (const Event &event : session.Events) {
                const auto later = m_events.constFind(event.Id);
                const auto earlier = m_events.constFind(event.PreviousEventId);
                if (event.PreviousEventId > 0 && later != m_events.constEnd() &&
                    earlier != m_events.constEnd())
                    m_gala.Events[earlier->Index].EvFinalEvent =
                        m_gala.Events.at(later->Index).EvNumber;
            }
        }
    }

    void PlanClub(const Club &club)
    {
        const QString code = Core::ClubCode(club.Code);
        const QString where = QStringLiteral("club %1").arg(code.isEmpty() ? club.Name : code);
        if (const QString fault = MeetDb::ClubFault(code, club.Name); !fault.isEmpty()) {
            m_refusals.Add(where, fault);
            return;
        }
        if (m_gala.FindClub(code) >= 0) {
            m_refusals.Add(where, QStringLiteral("the club is given twice"));
            return;
        }
        if (m_gala.ClubTotal() >= m_gala.ClubCount) {
            m_refusals.Add(where, QStringLiteral("more than %1 clubs").arg(m_gala.ClubCount));
            return;
        }
        m_gala.Clubs.append({code, club.Name});

        for (const Athlete &athlete : club.Athletes) {
            Entries::EntrantRecord record;
            record.Kind = Entries::EntrantKind::Individual;
            record.FullName = record.Name =
                QStringList{athlete.FirstName.trimmed(), athlete.LastName.trimmed()}
                    .join(u' ')
                    .trimmed();
            record.Club = code;
            record.Sex = athlete.Gender;
            record.Age =
                athlete.BirthDate.isValid() ? athlete.BirthDate.toString(Qt::ISODate) : QString();
            record.Regno = athlete.License;
            const QString who = where + QStringLiteral(", athlete ") + record.Name;
            QString fault = Core::TextLimitFault(record.Name, Core::MaxSwimmerNameLength,
                                                 QStringLiteral("The name"));
            if (fault.isEmpty() && record.Name.isEmpty())
                fault = QStringLiteral("the athlete has no name");
            if (fault.isEmpty())
                fault = Core::TextLimitFault(record.Regno, Core::MaxSwimmerNameLength,
                                             QStringLiteral("The licence"));
            if (fault.isEmpty() && record.Sex != u"M" && record.Sex != u"F")
                fault = QStringLiteral("gender \"%1\" is not M or F").arg(record.Sex);
            if (!fault.isEmpty()) {
                m_refusals.Add(who, fault);
                continue;
            }
            PlanEntrant(record, athlete.Entries, athlete.Id > 0 ? athlete.Id : LastAthlete, who);
        }

        for (qsizetype i = 0; i < club.Relays.size(); ++i) {
            const Relay &relay = club.Relays.at(i);
            Entries::EntrantRecord record;
            record.Kind = Entries::EntrantKind::Relay;
            const int number = relay.Number > 0 ? relay.Number : int(i + 1);
            record.FullName = record.Name = QStringLiteral("%1 %2").arg(code).arg(number);
            record.Club = code;
            record.Sex = relay.Gender;
            const QString who = where + QStringLiteral(", relay ") + QString::number(number);
            if (record.Sex.isEmpty() && !relay.Entries.isEmpty()) {
                // A relay without a gender is of its first event's.
                const auto event = m_events.constFind(relay.Entries.constFirst().EventId);
                if (event != m_events.constEnd())
                    record.Sex = m_gala.Events.at(event->Index).EvSex;
            }
            if (record.Sex != u"M" && record.Sex != u"F" && record.Sex != u"X") {
                m_refusals.Add(who,
                               QStringLiteral("gender \"%1\" is not M, F or X").arg(relay.Gender));
                continue;
            }
            PlanEntrant(record, relay.Entries, RelayTeam, who);
        }
    }

    // The entrant's swims from its entries; an entrant with a refused entry is not planned.
    // `order` places it among the entrants when they are numbered: its athlete id, or one of the
    // keys below.
    void PlanEntrant(Entries::EntrantRecord &record, const QList<Entry> &entries, int order,
                     const QString &who)
    {
        const bool relay = order == RelayTeam;
        const int entrant = int(m_plan.Entrants.size());
        QList<PlannedPlace> places;
        bool refused = false;
        for (const Entry &entry : entries) {
            const auto found = m_events.constFind(entry.EventId);
            const QString where =
                QStringLiteral("%1, entry for event id %2").arg(who).arg(entry.EventId);
            auto refuse = [&](const QString &reason) {
                m_refusals.Add(where, reason);
                refused = true;
            };
            if (found == m_events.constEnd()) {
                refuse(QStringLiteral("no event of the file has this id"));
                continue;
            }
            const Core::GalaEvent &event = m_gala.Events.at(found->Index);
            if (found->Relay != relay) {
                refuse(relay ? QStringLiteral("event %1 is not a relay").arg(event.EvNumber)
                             : QStringLiteral("event %1 is a relay").arg(event.EvNumber));
                continue;
            }
            if (event.EvSex != u"X" && event.EvSex != record.Sex) {
                refuse(QStringLiteral("event %1 is for sex %2, not %3")
                           .arg(event.EvNumber, event.EvSex, record.Sex));
                continue;
            }
            if (std::any_of(record.Swims.cbegin(), record.Swims.cend(),
                            [&event](const Entries::EntrySwimRecord &swim) {
                                return swim.EventNumber == event.EvNumber;
                            })) {
                refuse(QStringLiteral("event %1 is entered twice").arg(event.EvNumber));
                continue;
            }
            const QString time = EntryTimeFromSwimTime(entry.EntryTime);
            if (time.isEmpty() && !entry.EntryTime.isEmpty() && entry.EntryTime != u"NT") {
                refuse(QStringLiteral("entry time \"%1\" is not a swim time").arg(entry.EntryTime));
                continue;
            }
            PlannedPlace place{entrant, event.EvNumber, 0, 0};
            if (entry.HeatId != NoId) {
                place.Heat = found->HeatNumbers.value(entry.HeatId);
                if (place.Heat == 0) {
                    refuse(QStringLiteral("event %1 has no heat with id %2")
                               .arg(event.EvNumber)
                               .arg(entry.HeatId));
                    continue;
                }
            }
            if (entry.Lane != NoLane) {
                const int lastLane = m_gala.FirstLane + m_gala.Lanes - 1;
                if (entry.Lane < m_gala.FirstLane || entry.Lane > lastLane) {
                    refuse(QStringLiteral("lane %1 is not a lane of the pool (%2 to %3)")
                               .arg(entry.Lane)
                               .arg(m_gala.FirstLane)
                               .arg(lastLane));
                    continue;
                }
                place.Lane = entry.Lane - m_gala.FirstLane + 1;
            }
            if (place.Heat > 0 && place.Lane > 0) {
                const QString key = QStringLiteral("%1\n%2\n%3")
                                        .arg(event.EvNumber)
                                        .arg(place.Heat)
                                        .arg(place.Lane);
                if (const auto taken = m_lanesTaken.constFind(key);
                    taken != m_lanesTaken.constEnd()) {
                    refuse(QStringLiteral("heat %1 lane %2 of event %3 is %4's already")
                               .arg(place.Heat)
                               .arg(entry.Lane)
                               .arg(event.EvNumber, *taken));
                    continue;
                }
                m_lanesTaken.insert(key, record.Name);
            }
            if (record.Kind == Entries::EntrantKind::Relay && record.Swims.isEmpty())
                record.Age = event.EvGroup;
            record.Swims.append({found->Index, event.EvNumber, time, QString()});
            if (place.Heat > 0 || place.Lane > 0)
                places.append(place);
        }
        if (refused)
            return;
        if (record.Kind == Entries::EntrantKind::Relay && record.Age.isEmpty() &&
            !m_gala.Groups.isEmpty())
            record.Age = m_gala.Groups.constFirst().GroupName;
        m_plan.Swims += int(record.Swims.size());
        m_plan.Entrants.append(record);
        m_plan.Places += places;
        m_order.append(order);
    }

    // Entrants are numbered in the order of their athlete ids, then athletes without one, then
    // relay teams: a start list this program exported keeps its entrant numbers when it is
    // imported into a new meet.
    void NumberOrder()
    {
        QList<int> byOrder(m_plan.Entrants.size());
        std::iota(byOrder.begin(), byOrder.end(), 0);
        std::stable_sort(byOrder.begin(), byOrder.end(),
                         [this](int a, int b) { return m_order.at(a) < m_order.at(b); });
        QList<int> position(byOrder.size());
        QList<Entries::EntrantRecord> entrants;
        entrants.reserve(byOrder.size());
        for (qsizetype i = 0; i < byOrder.size(); ++i) {
            position[byOrder.at(i)] = int(i);
            entrants.append(m_plan.Entrants.at(byOrder.at(i)));
        }
        m_plan.Entrants = entrants;
        for (PlannedPlace &place : m_plan.Places)
            place.Entrant = position.at(place.Entrant);
    }

    Refusals m_refusals;
    LenexMeetPlan &m_plan;
    Core::GalaState &m_gala;
    QHash<int, PlannedEvent> m_events;    // by Lenex event id
    QHash<QString, QString> m_lanesTaken; // "event\nheat\nlane" to the entrant's name
    QList<int> m_order;                   // each planned entrant's place in the numbering
};

// The version the meet database gives itself, which decides the fields an entrant is written
// with.
float DatabaseVersion(MeetDb::Database &db)
{
    QSqlQuery query(db.Connection());
    query.setForwardOnly(true);
    if (!query.exec(QStringLiteral("SELECT \"Version\" FROM \"Version Table\"")))
        throw MeetDb::DbError(QStringLiteral("Cannot read \"Version Table\": ") +
                              query.lastError().text());
    float version = 0;
    while (query.next())
        version = query.value(0).toFloat();
    return version;
}

// ---- Export ---------------------------------------------------------------------------------

QString LenexStroke(const QString &code)
{
    const QString stroke = code == SecondFreestyle ? QStringLiteral("FS") : code;
    for (const StrokeCodes &codes : Strokes)
        if (stroke == QLatin1String(codes.Individual) || stroke == QLatin1String(codes.Relay))
            return QLatin1String(codes.Lenex);
    return QStringLiteral("UNKNOWN");
}

bool IsRelayCode(const QString &code)
{
    for (const StrokeCodes &codes : Strokes)
        if (code == QLatin1String(codes.Relay))
            return true;
    return false;
}

QString RoundOfType(const QString &type)
{
    if (type == FinalType)
        return FinalRound;
    return KeptRounds.contains(type) ? type : TimedFinal;
}

// Runs a read of the meet's rows; throws DbError.
QSqlQuery MeetRows(MeetDb::Database &db, const QString &sql, const QString &meetCode)
{
    QSqlQuery query(db.Connection());
    query.setForwardOnly(true);
    if (!query.prepare(sql))
        throw MeetDb::DbError(
            QStringLiteral("Cannot read %1: %2")
                .arg(QDir::toNativeSeparators(db.Path()), query.lastError().text()));
    query.bindValue(QStringLiteral(":code"), meetCode);
    if (!query.exec())
        throw MeetDb::DbError(
            QStringLiteral("Cannot read %1: %2")
                .arg(QDir::toNativeSeparators(db.Path()), query.lastError().text()));
    return query;
}

struct StoredSwim
{
    QString EventNumber;
    QString EntryTime;
    int Heat = 0;
    int Lane = 0;
};

} // namespace

bool PlanLenexMeet(const Document &document, const QString &name, LenexMeetPlan &plan,
                   QStringList &errors)
{
    return Planner(name, plan, errors).Run(document);
}

void WriteLenexMeet(MeetDb::Session &session, const QString &code, const LenexMeetPlan &plan)
{
    MeetDb::Database &db = session.MeetDb;
    MeetDb::Transaction transaction(db);
    MeetDb::WriteMeet(db, code, plan.Meet);

    // The entrants go in as "Record" writes them, into the meet just written.
    session.Gala = plan.Meet.Gala;
    session.Gala.MeetCode = code;
    session.Gala.DbVersion = DatabaseVersion(db);
    QList<int> numbers;
    numbers.reserve(plan.Entrants.size());
    {
        Entries::EntrantBatchWriter writer(session);
        for (const Entries::EntrantRecord &record : plan.Entrants)
            numbers.append(writer.Write(record));
        session.Gala.NextCompetitorNumber = writer.Finish();
    }
    const QString failure = QStringLiteral("Cannot write the heats to");
    QSqlQuery place(db.Connection());
    MeetDb::PrepareBulk(db, place,
                        QStringLiteral("UPDATE \"Swim Table\" SET \"Heat No\" = ?, \"Lane No\" = ? "
                                       "WHERE \"Meet code\" = ? AND \"Entrant Number\" = ? AND "
                                       "\"Event number\" = ?"),
                        failure);
    for (const PlannedPlace &planned : plan.Places) {
        MeetDb::RunBulk(db, place,
                        {planned.Heat > 0 ? QVariant(planned.Heat) : QVariant(),
                         planned.Lane > 0 ? QVariant(planned.Lane) : QVariant(), code,
                         numbers.at(planned.Entrant), planned.EventNumber},
                        failure);
    }
    place = QSqlQuery();
    transaction.Commit();
}

bool ImportLenexMeet(const QString &dbPath, const QString &lenexPath, const QString &code,
                     QStringList &errors, QString *summary)
{
    const QString name = QFileInfo(lenexPath).fileName();
    QString meetCode = code;
    if (meetCode.isEmpty()) {
        meetCode = MeetDb::DefaultMeetCode(lenexPath);
        if (meetCode.isEmpty()) {
            errors << name + QStringLiteral(": no meet code can be made from the file name; give "
                                            "one with --code");
            return false;
        }
    } else if (!MeetDb::IsValidMeetCode(meetCode)) {
        errors << QStringLiteral("meet code \"%1\" is not valid: use 1 to %2 letters and digits")
                      .arg(MeetDb::PrintableText(meetCode))
                      .arg(MeetDb::MaxMeetCodeLength);
        return false;
    }

    Document document;
    QString error;
    if (!ReadLenexFile(lenexPath, document, &error)) {
        errors << error;
        return false;
    }
    LenexMeetPlan plan;
    if (!PlanLenexMeet(document, name, plan, errors))
        return false;

    try {
        MeetDb::Session session;
        session.MeetDb.Open(dbPath);
        MeetDb::CheckMeetDatabase(session.MeetDb);
        WriteLenexMeet(session, meetCode, plan);
    } catch (const MeetDb::DbError &failure) {
        errors << failure.Message();
        return false;
    }
    if (summary) {
        const Core::GalaState &g = plan.Meet.Gala;
        *summary = QStringLiteral("Added meet %1 (%2): %3 groups, %4 events, %5 clubs, %6 "
                                  "entrants, %7 swims")
                       .arg(meetCode, MeetDb::PrintableText(g.GalaName, MeetDb::MaxMeetNameLength))
                       .arg(g.GroupCount())
                       .arg(g.EventCount())
                       .arg(g.ClubTotal())
                       .arg(plan.Entrants.size())
                       .arg(plan.Swims);
    }
    return true;
}

Document StartListDocument(MeetDb::Session &session)
{
    const Core::GalaState &gala = session.Gala;
    MeetDb::Database &db = session.MeetDb;
    Document document;
    document.GeneratorName = QStringLiteral("openmeet");
    Meet meet;
    meet.Name = gala.GalaName;
    meet.LaneMin = gala.FirstLane;
    meet.LaneMax = gala.FirstLane + gala.Lanes - 1;
    {
        QSqlQuery parameters = MeetRows(db,
                                        QStringLiteral("SELECT \"Key Word\", \"Parameter\" FROM "
                                                       "\"Parameter Table\" WHERE \"Meet code\" = "
                                                       ":code ORDER BY \"Parameter Order\""),
                                        gala.MeetCode);
        while (parameters.next()) {
            const QString keyword = parameters.value(0).toString();
            const QString value = parameters.value(1).toString();
            if (keyword == CityKeyword)
                meet.City = value;
            else if (keyword == NationKeyword)
                meet.Nation = value;
            else if (keyword == CourseKeyword)
                meet.Course = value;
        }
    }

    // Events, each session in the order of its first event.
    std::map<int, int> sessionAt;                // session number to its index in meet.Sessions
    QHash<QString, int> eventIds;                // event number to its id
    QHash<QString, std::pair<int, int>> eventAt; // event number to session and event index
    for (int i = 0; i < gala.EventCount(); ++i) {
        const Core::GalaEvent &ev = gala.Events.at(i);
        const int number = std::max(ev.EvSession, 1);
        auto at = sessionAt.find(number);
        if (at == sessionAt.end()) {
            Session lenexSession;
            lenexSession.Number = number;
            lenexSession.Date = Core::ParseDate(ev.EvDate.isEmpty() ? gala.GalaDate : ev.EvDate);
            at = sessionAt.emplace(number, int(meet.Sessions.size())).first;
            meet.Sessions.append(lenexSession);
        }
        Event event;
        event.Id = i + 1;
        const int leading = int(Core::LeadingNumber(ev.EvNumber));
        event.Number = leading > 0 ? leading : i + 1;
        // Lenex keeps "X" for relays; an individual event for everyone is "A".
        event.Gender = ev.EvSex == MixedSex && !IsRelayCode(ev.EvStroke) ? OpenGender : ev.EvSex;
        event.Round = RoundOfType(ev.EvType);
        event.Distance = ev.EvDistance.toInt();
        event.Stroke = LenexStroke(ev.EvStroke);
        event.RelayCount = IsRelayCode(ev.EvStroke) ? RelaySwimmers : 1;
        for (const Core::GalaGroup &group : gala.Groups) {
            if (group.GroupName != ev.EvGroup)
                continue;
            AgeGroup ageGroup;
            ageGroup.Id = 1;
            std::tie(ageGroup.AgeMin, ageGroup.AgeMax) = RangeOfGroup(group.GroupDescription);
            ageGroup.Name = group.GroupPrint;
            event.AgeGroups.append(ageGroup);
            break;
        }
        eventIds.insert(ev.EvNumber, event.Id);
        eventAt.insert(ev.EvNumber, {at->second, int(meet.Sessions[at->second].Events.size())});
        meet.Sessions[at->second].Events.append(event);
    }
    for (const Core::GalaEvent &ev : gala.Events) {
        const auto final = eventAt.constFind(ev.EvFinalEvent);
        if (!ev.EvFinalEvent.isEmpty() && final != eventAt.constEnd())
            meet.Sessions[final->first].Events[final->second].PreviousEventId =
                eventIds.value(ev.EvNumber);
    }

    // The swims of every entrant, then the entrants club by club in number order.
    QHash<int, QList<StoredSwim>> swims;
    {
        QSqlQuery rows = MeetRows(db,
                                  QStringLiteral("SELECT \"Entrant Number\", \"Event number\", "
                                                 "\"Entry Time\", \"Heat No\", \"Lane No\" FROM "
                                                 "\"Swim Table\" WHERE \"Meet code\" = :code "
                                                 "ORDER BY \"Entrant Number\", \"Event Sequence\", "
                                                 "\"Event number\""),
                                  gala.MeetCode);
        while (rows.next()) {
            const QString number = rows.value(1).toString();
            if (!eventAt.contains(number))
                continue;
            swims[rows.value(0).toInt()].append(
                {number, rows.value(2).toString(), rows.value(3).toInt(), rows.value(4).toInt()});
        }
    }
    // Heat ids run through the meet in event order, then heat number, so that they depend on
    // the heats alone and not on how the entrants happen to be numbered.
    QHash<QString, std::map<int, int>> heatIds; // event number to heat number to heat id
    for (const QList<StoredSwim> &entrantSwims : std::as_const(swims))
        for (const StoredSwim &swim : entrantSwims)
            if (swim.Heat > 0)
                heatIds[swim.EventNumber][swim.Heat] = NoId;
    int nextHeatId = 1;
    for (const Core::GalaEvent &ev : gala.Events) {
        const auto heats = heatIds.find(ev.EvNumber);
        if (heats == heatIds.end())
            continue;
        Event &event = meet.Sessions[eventAt.value(ev.EvNumber).first]
                           .Events[eventAt.value(ev.EvNumber).second];
        for (auto &[number, id] : *heats) {
            id = nextHeatId++;
            event.Heats.append({id, number});
        }
    }

    QHash<QString, int> clubAt;
    auto clubOf = [&](const QString &code) -> Club & {
        auto found = clubAt.constFind(code);
        if (found == clubAt.constEnd()) {
            Club club;
            club.Code = code;
            const int index = gala.FindClub(code);
            club.Name = index >= 0 ? gala.Clubs.at(index).Name : code;
            found = clubAt.insert(code, int(meet.Clubs.size()));
            meet.Clubs.append(club);
        }
        return meet.Clubs[*found];
    };
    for (const Core::GalaClub &club : gala.Clubs)
        clubOf(club.Code);

    QSqlQuery entrants =
        MeetRows(db,
                 QStringLiteral("SELECT \"Entrant Number\", \"Swimmer Name\", \"club\", \"age\", "
                                "\"Sex\", \"Regno\" FROM \"Entrant Table\" WHERE \"Meet code\" = "
                                ":code ORDER BY \"Entrant Number\""),
                 gala.MeetCode);
    while (entrants.next()) {
        const int number = entrants.value(0).toInt();
        const QList<StoredSwim> entrantSwims = swims.value(number);
        // A relay team swims relays only; an individual's relay swims have no team to go with,
        // and are left out.
        const bool relay =
            !entrantSwims.isEmpty() &&
            std::all_of(entrantSwims.cbegin(), entrantSwims.cend(), [&](const StoredSwim &swim) {
                return IsRelayCode(gala.Events.at(eventIds.value(swim.EventNumber) - 1).EvStroke);
            });
        QList<Entry> entries;
        for (const StoredSwim &swim : entrantSwims) {
            const int id = eventIds.value(swim.EventNumber);
            if (IsRelayCode(gala.Events.at(id - 1).EvStroke) != relay)
                continue;
            Entry entry;
            entry.EventId = id;
            entry.EntryTime = SwimTimeFromEntryTime(swim.EntryTime);
            if (swim.Heat > 0)
                entry.HeatId = heatIds.constFind(swim.EventNumber)->at(swim.Heat);
            // A lane the pool does not have (a file changed by hand) is given as none.
            if (swim.Lane > 0 && swim.Lane <= gala.Lanes)
                entry.Lane = Core::PrintedLane(gala, swim.Lane);
            entries.append(entry);
        }
        Club &club = clubOf(Core::ClubCode(entrants.value(2).toString()));
        const QString name = entrants.value(1).toString();
        if (relay) {
            Relay team;
            const QString last = name.section(u' ', -1);
            team.Number = last.toInt() > 0 ? last.toInt() : int(club.Relays.size() + 1);
            team.Gender = entrants.value(4).toString();
            team.Entries = entries;
            club.Relays.append(team);
        } else {
            Athlete athlete;
            athlete.Id = number;
            athlete.FirstName = Core::FirstWord(name);
            athlete.LastName = Core::AfterFirstWord(name);
            athlete.Gender = entrants.value(4).toString();
            athlete.BirthDate = Core::ParseDate(entrants.value(3).toString());
            athlete.License = entrants.value(5).toString();
            athlete.Entries = entries;
            club.Athletes.append(athlete);
        }
    }

    document.Meets.append(meet);
    return document;
}

bool ExportStartList(MeetDb::Session &session, const QString &path, QString *error,
                     QString *summary)
{
    Document document;
    try {
        document = StartListDocument(session);
    } catch (const MeetDb::DbError &failure) {
        if (error)
            *error = failure.Message();
        return false;
    }
    if (!WriteLenexFile(path, document, error))
        return false;
    if (summary) {
        int athletes = 0;
        int entries = 0;
        for (const Club &club : document.Meets.constFirst().Clubs) {
            athletes += int(club.Athletes.size() + club.Relays.size());
            for (const Athlete &athlete : club.Athletes)
                entries += int(athlete.Entries.size());
            for (const Relay &relay : club.Relays)
                entries += int(relay.Entries.size());
        }
        *summary = QStringLiteral("Start list of meet %1 written to %2: %3 entrants, %4 entries")
                       .arg(session.Gala.MeetCode, QDir::toNativeSeparators(path))
                       .arg(athletes)
                       .arg(entries);
    }
    return true;
}

QString ExportStartListCommand(MeetDb::Session &session, Core::Prompts &prompts,
                               const std::function<bool()> &saveFirst)
{
    if (!session.Gala.MeetDbOpen || !session.MeetDb.IsOpen()) {
        prompts.Message(QStringLiteral("The start list is exported from a meet database only"));
        return {};
    }
    if (saveFirst && !saveFirst())
        return {};
    const QString start =
        QDir(session.Gala.GalaDir.isEmpty() ? session.ProgramDir : session.Gala.GalaDir)
            .filePath(session.Gala.MeetCode + QStringLiteral(".lxf"));
    QString path =
        prompts.BrowseNewFile(QStringLiteral("Export Start List"), start, LenexFileFilter);
    if (path.isEmpty())
        return {};
    const QString suffix = QFileInfo(path).suffix().toLower();
    if (suffix != u"lxf" && suffix != u"lef") {
        path += QStringLiteral(".lxf");
        // The window asked about the name as typed, not about this one.
        if (QFileInfo::exists(path) &&
            !prompts.AskYesNo(QStringLiteral("%1 already exists. Replace it?")
                                  .arg(QDir::toNativeSeparators(path)),
                              true))
            return {};
    }
    QString error;
    QString summary;
    if (!ExportStartList(session, path, &error, &summary)) {
        prompts.Message(error);
        return {};
    }
    return summary;
}

} // namespace Lenex
