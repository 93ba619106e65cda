#include "lenex/lenexresults.h"

#include <algorithm>
#include <limits>
#include <memory>
#include <optional>
#include <vector>

#include <QDir>
#include <QMultiHash>
#include <QSet>
#include <QSqlQuery>

#include "core/galastate.h"
#include "core/prompts.h"
#include "core/timeutil.h"
#include "lenex/lenexfile.h"
#include "meetday/mastersconfirmform.h"
#include "meetdb/database.h"
#include "meetdb/keywords.h"
#include "meetdb/schema.h"
#include "meetdb/session.h"

namespace Lenex {

namespace {

using SwimKey = QPair<int, QString>; // entrant number, event number

// The longest swim the meet's time texts hold: an hour.
constexpr qint64 MaxHundredths = 3600 * 100;

QString Folded(const QString &text)
{
    return text.simplified().toCaseFolded();
}

bool SameText(const QString &a, const QString &b)
{
    return Folded(a) == Folded(b);
}

// The athlete as a refusal names it. The names come from the file: shown printable and cut.
QString AthleteText(const Athlete &athlete, const Club &club)
{
    const QString name =
        MeetDb::PrintableText((athlete.FirstName + u' ' + athlete.LastName).simplified());
    const QString clubText = MeetDb::PrintableText(
        club.Code.trimmed().isEmpty() ? club.Name.simplified() : club.Code, 40);
    return athlete.BirthDate.isValid()
               ? QStringLiteral("%1 (%2, born %3)")
                     .arg(name, clubText, athlete.BirthDate.toString(QStringLiteral("dd/MM/yyyy")))
               : QStringLiteral("%1 (%2)").arg(name, clubText);
}

bool SameClub(const ResultsMeet &meet, const ResultsMeet::Entrant &entrant, const Club &club)
{
    if (!club.Code.trimmed().isEmpty() && SameText(club.Code, entrant.Club))
        return true;
    const QString name = meet.ClubNames.value(entrant.Club.trimmed().toUpper());
    return !name.isEmpty() && !club.Name.trimmed().isEmpty() && SameText(club.Name, name);
}

// Whether the entrant, found by the athlete's name, is the athlete.
bool SamePerson(const ResultsMeet &meet, const ResultsMeet::Entrant &entrant,
                const Athlete &athlete, const Club &club)
{
    if (!SameClub(meet, entrant, club))
        return false;
    // A masters meet may keep an age group in place of the date of birth: then only the name,
    // the club and the licence tell.
    const QDate born = Core::ParseDate(entrant.Age);
    if (born.isValid() && born != athlete.BirthDate)
        return false;
    return entrant.RegNo.trimmed().isEmpty() || athlete.License.trimmed().isEmpty() ||
           entrant.RegNo.trimmed() == athlete.License.trimmed();
}

// The result's swim without its place: time, flags, and whether it takes part in the ranking.
struct Placed
{
    SwimResult Swim;
    std::optional<qint64> Hundredths; // set for a valid swim, which is ranked
};

// Reads one result's status and time. Returns "" or the reason it cannot be taken.
QString ReadOutcome(const Result &result, Placed &placed)
{
    const QString status = result.Status.trimmed().toUpper();
    const QString time = result.SwimTime.trimmed();
    const std::optional<qint64> hundredths = SwimTimeHundredths(time);
    const bool noTime =
        time.isEmpty() || time.compare(QLatin1String("NT"), Qt::CaseInsensitive) == 0;
    if (!hundredths && !noTime)
        return QStringLiteral("swim time \"%1\" is not a time")
            .arg(MeetDb::PrintableText(time, 40));
    if (hundredths && (*hundredths <= 0 || *hundredths > MaxHundredths))
        return QStringLiteral("swim time \"%1\" is not a time between 0 and an hour").arg(time);
    const QString text =
        hundredths ? Core::SecondsToTimeQuiet(float(*hundredths) / 100.0f) : QString();
    if (status.isEmpty()) {
        if (!hundredths)
            return QStringLiteral("a valid result without a swim time");
        placed.Swim.Time = text;
        placed.Hundredths = hundredths;
    } else if (status == u"EXH") {
        placed.Swim.Time = text;
    } else if (status == u"DSQ" || status == u"DNF") {
        // A swimmer who did not finish started: disqualified, with the reason kept.
        placed.Swim.Dq = true;
        placed.Swim.Time = status == u"DSQ" ? text : QString();
        placed.Swim.DqReason = status == u"DNF" ? QStringLiteral("DNF") : QString();
    } else if (status == u"DNS" || status == u"SICK" || status == u"WDR") {
        placed.Swim.Dns = true;
    } else {
        return QStringLiteral("status \"%1\" is not a result status")
            .arg(MeetDb::PrintableText(status, 20));
    }
    return {};
}

// Ranks the valid swims of one event: one more than the number of faster swims. Sorted, not
// compared pair by pair, so that a crafted file of many results cannot hang the desk.
void Rank(QList<Placed> &swims)
{
    std::vector<qint64> times;
    for (const Placed &swim : std::as_const(swims))
        if (swim.Hundredths)
            times.push_back(*swim.Hundredths);
    std::sort(times.begin(), times.end());
    for (Placed &swim : swims) {
        if (swim.Hundredths)
            swim.Swim.Position =
                int(std::lower_bound(times.begin(), times.end(), *swim.Hundredths) -
                    times.begin()) +
                1;
    }
    std::stable_sort(swims.begin(), swims.end(), [](const Placed &a, const Placed &b) {
        // Ranked swims first by rank; the others keep the file's order after them.
        const int ra = a.Swim.Position > 0 ? a.Swim.Position : std::numeric_limits<int>::max();
        const int rb = b.Swim.Position > 0 ? b.Swim.Position : std::numeric_limits<int>::max();
        return ra < rb;
    });
}

// The most refusals listed; a file of another meet would otherwise list every swimmer.
constexpr int MaxRefusals = 100;

} // namespace

ResultsCheck CheckResults(const Document &document, const ResultsMeet &meet)
{
    ResultsCheck check;
    if (document.Meets.isEmpty()) {
        check.Refusals << QStringLiteral("The file holds no meet");
        return check;
    }
    const Meet &lenexMeet = document.Meets.first();
    QHash<int, const Event *> eventById;
    for (const Session &session : lenexMeet.Sessions)
        for (const Event &event : session.Events)
            eventById.insert(event.Id, &event);

    // The meet's events by number, and its entrants by name, so that each result is looked up
    // rather than compared with all.
    QHash<int, QString> eventOfNumber;
    for (const QString &event : meet.Events) {
        bool numeric = false;
        const int number = event.trimmed().toInt(&numeric);
        if (numeric && !eventOfNumber.contains(number))
            eventOfNumber.insert(number, event);
    }
    QMultiHash<QString, qsizetype> byName;
    for (qsizetype row = 0; row < meet.Entrants.size(); ++row)
        byName.insert(Folded(meet.Entrants.at(row).Name), row);

    QHash<QString, QList<Placed>> byEvent;
    QSet<SwimKey> seen; // the swims given a result
    int refused = 0;
    // Only the first MaxRefusals are kept; the rest are counted.
    const auto refuse = [&](const QString &reason) {
        if (++refused <= MaxRefusals)
            check.Refusals << reason;
    };
    int results = 0;
    int relayResults = 0;
    for (const Club &club : lenexMeet.Clubs) {
        for (const Relay &relay : club.Relays)
            relayResults += int(relay.Results.size());
        for (const Athlete &athlete : club.Athletes) {
            if (athlete.Results.isEmpty())
                continue;
            const QString who = AthleteText(athlete, club);
            QList<int> matches;
            // Meets keep names first name first, or surname first as the member lists do.
            for (const QString &name :
                 {Folded(athlete.FirstName + u' ' + athlete.LastName),
                  Folded(athlete.LastName + u' ' + athlete.FirstName),
                  Folded(athlete.LastName + QStringLiteral(", ") + athlete.FirstName)}) {
                for (qsizetype row : byName.values(name)) {
                    const ResultsMeet::Entrant &entrant = meet.Entrants.at(row);
                    if (!matches.contains(entrant.Number) &&
                        SamePerson(meet, entrant, athlete, club))
                        matches << entrant.Number;
                }
            }
            std::sort(matches.begin(), matches.end());
            if (matches.size() != 1) {
                QStringList numbers;
                for (int number : std::as_const(matches))
                    numbers << QString::number(number);
                refuse(matches.isEmpty() ? QStringLiteral("%1: not an entrant of the meet").arg(who)
                                         : QStringLiteral("%1: matches entrants %2 alike")
                                               .arg(who, numbers.join(QStringLiteral(", "))));
                continue;
            }
            for (const Result &result : athlete.Results) {
                ++results;
                const Event *event = eventById.value(result.EventId);
                if (!event) {
                    refuse(QStringLiteral("%1: a result for event id %2, which the file does not "
                                          "define")
                               .arg(who)
                               .arg(result.EventId));
                    continue;
                }
                const QString meetEvent = eventOfNumber.value(event->Number);
                if (meetEvent.isEmpty()) {
                    refuse(QStringLiteral("%1: event %2 is not an event of the meet")
                               .arg(who)
                               .arg(event->Number));
                    continue;
                }
                const SwimKey key{matches.first(), meetEvent};
                if (!meet.Swims.contains(key)) {
                    refuse(QStringLiteral("%1: not entered in event %2 (entrant %3)")
                               .arg(who, meetEvent)
                               .arg(key.first));
                    continue;
                }
                if (seen.contains(key)) {
                    refuse(QStringLiteral("%1: two results for event %2").arg(who, meetEvent));
                    continue;
                }
                seen.insert(key);
                Placed placed;
                placed.Swim.EntrantNumber = key.first;
                placed.Swim.Event = meetEvent;
                const QString reason = ReadOutcome(result, placed);
                if (!reason.isEmpty()) {
                    refuse(QStringLiteral("%1, event %2: %3").arg(who, meetEvent, reason));
                    continue;
                }
                byEvent[meetEvent].append(placed);
            }
        }
    }
    if (relayResults > 0)
        check.Notes << QStringLiteral("%1 relay results left out: relay teams are not matched "
                                      "to entrants")
                           .arg(relayResults);
    if (results == 0 && refused == 0)
        refuse(QStringLiteral("The file holds no results of swimmers"));
    if (refused > MaxRefusals)
        check.Refusals
            << QStringLiteral("... and %1 more results refused").arg(refused - MaxRefusals);
    if (!check.Refusals.isEmpty())
        return check;
    for (const QString &event : meet.Events) {
        auto found = byEvent.find(event);
        if (found == byEvent.end())
            continue;
        Rank(*found);
        check.Events << event;
        for (const Placed &placed : std::as_const(*found))
            check.Results << placed.Swim;
    }
    return check;
}

ResultsMeet ReadResultsMeet(MeetDb::Session &session)
{
    const Core::GalaState &gala = session.Gala;
    ResultsMeet meet;
    for (const Core::GalaEvent &event : gala.Events)
        meet.Events << event.EvNumber;
    for (const Core::GalaClub &club : gala.Clubs)
        meet.ClubNames.insert(club.Code.trimmed().toUpper(), club.Name);
    auto open = [&](const QString &name) {
        MeetDb::Database::SavedQuery query = session.MeetDb.OpenQuery(name);
        query.SetParameter(MeetDb::ParamMeetCode, gala.MeetCode);
        return query.Open();
    };
    std::unique_ptr<MeetDb::RecordSet> rows = open(QStringLiteral("Entrants for 1 Meet"));
    const bool regno = rows->FieldNames().contains(QStringLiteral("Regno"), Qt::CaseInsensitive);
    for (rows->MoveFirst(); !rows->Eof(); rows->MoveNext()) {
        meet.Entrants.append({rows->Int(QStringLiteral("Entrant Number")),
                              rows->Text(QStringLiteral("Swimmer Name")),
                              rows->Text(QStringLiteral("club")), rows->Text(QStringLiteral("age")),
                              regno ? rows->Text(QStringLiteral("Regno")) : QString()});
    }
    rows = open(QStringLiteral("Swims for 1 Meet"));
    for (rows->MoveFirst(); !rows->Eof(); rows->MoveNext())
        meet.Swims.insert({rows->Int(QStringLiteral("Entrant Number")),
                           rows->Text(QStringLiteral("Event number"))});
    return meet;
}

void WriteResults(MeetDb::Database &db, const QString &meetCode, const ResultsCheck &check)
{
    const QString failure = QStringLiteral("Cannot write the results to");
    MeetDb::Transaction transaction(db);
    QSqlQuery clear(db.Connection());
    QSqlQuery write(db.Connection());
    MeetDb::PrepareBulk(db, clear,
                        QStringLiteral("UPDATE \"Swim Table\" SET \"Position\" = 0 WHERE "
                                       "\"Meet code\" = ? AND \"Event number\" = ?"),
                        failure);
    MeetDb::PrepareBulk(db, write,
                        QStringLiteral("UPDATE \"Swim Table\" SET \"Time\" = ?, \"DQ\" = ?, "
                                       "\"DQ Reason\" = ?, \"DNS\" = ?, \"Position\" = ? WHERE "
                                       "\"Meet code\" = ? AND \"Entrant Number\" = ? AND "
                                       "\"Event number\" = ?"),
                        failure);
    for (const QString &event : check.Events)
        MeetDb::RunBulk(db, clear, {meetCode, event}, failure);
    // Bound as texts never Null: a Null time would read as a missing field elsewhere.
    const auto text = [](const QString &value) {
        return value.isNull() ? QVariant(QStringLiteral("")) : QVariant(value);
    };
    for (const SwimResult &swim : check.Results) {
        MeetDb::RunBulk(db, write,
                        {text(swim.Time), swim.Dq ? 1 : 0, text(swim.DqReason), swim.Dns ? 1 : 0,
                         swim.Position, meetCode, swim.EntrantNumber, swim.Event},
                        failure);
    }
    transaction.Commit();
}

QString ResultsSummary(const ResultsCheck &check)
{
    int dq = 0;
    int dns = 0;
    for (const SwimResult &swim : check.Results) {
        dq += swim.Dq ? 1 : 0;
        dns += swim.Dns ? 1 : 0;
    }
    QString summary = QStringLiteral("Imported %1 results in %2 events")
                          .arg(check.Results.size())
                          .arg(check.Events.size());
    QStringList parts;
    if (dq > 0)
        parts << QStringLiteral("%1 disqualified").arg(dq);
    if (dns > 0)
        parts << QStringLiteral("%1 did not start").arg(dns);
    return parts.isEmpty() ? summary
                           : summary + QStringLiteral(": ") + parts.join(QStringLiteral(", "));
}

bool ImportResults(MeetDb::Session &session, const Document &document, QStringList &report,
                   ResultsCheck *checked)
{
    report.clear();
    const Core::GalaState &gala = session.Gala;
    if (!gala.UseMeetDb || !gala.MeetDbOpen) {
        report << NotAvailableMessage;
        return false;
    }
    ResultsCheck check;
    try {
        check = CheckResults(document, ReadResultsMeet(session));
        if (check.Refusals.isEmpty())
            WriteResults(session.MeetDb, gala.MeetCode, check);
    } catch (const MeetDb::DbError &error) {
        check.Refusals << error.Message();
    }
    if (checked)
        *checked = check;
    if (!check.Refusals.isEmpty()) {
        report = check.Refusals;
        return false;
    }
    report = check.Notes;
    report << ResultsSummary(check);
    return true;
}

QString ImportResultsCommand(MeetDb::Session &session, MeetDay::Roster &roster, bool whatIfMode,
                             Core::Prompts &prompts)
{
    if (whatIfMode) {
        prompts.Message(MeetDay::WhatIfMessage);
        return {};
    }
    const Core::GalaState &gala = session.Gala;
    if (!gala.UseMeetDb || !gala.MeetDbOpen) {
        prompts.Message(NotAvailableMessage);
        return {};
    }
    const QString path = prompts.BrowseExistingFileOfType(
        ImportResultsTitle, gala.WorkDir.isEmpty() ? session.ProgramDir : gala.WorkDir,
        LenexFileFilter);
    if (path.isEmpty())
        return {};
    Document document;
    QString error;
    if (!ReadLenexFile(path, document, &error)) {
        prompts.Message(error);
        return {};
    }
    QStringList report;
    if (!ImportResults(session, document, report)) {
        // A file of another meet refuses every swimmer: the first lines tell enough.
        constexpr qsizetype shown = 20;
        QStringList lines = report.mid(0, shown);
        if (report.size() > shown)
            lines << QStringLiteral("... and %1 more").arg(report.size() - shown);
        lines << QStringLiteral("No results were imported from %1")
                     .arg(QDir::toNativeSeparators(path));
        prompts.Message(lines.join(u'\n'));
        return {};
    }
    const QString summary = report.takeLast();
    if (!report.isEmpty())
        prompts.Message(report.join(u'\n'));
    try {
        MeetDay::ReadFinalRanks(session, roster);
    } catch (const MeetDb::DbError &error) {
        prompts.Message(error.Message());
    }
    return summary;
}

} // namespace Lenex
