#include "meetday/daylists.h"

#include <cmath>
#include <optional>

#include <QDir>
#include <QFileInfo>
#include <QSaveFile>
#include <QSet>

#include "core/galastate.h"
#include "core/prompts.h"
#include "core/textutil.h"
#include "core/timeutil.h"
#include "entries/entryfiles.h"
#include "meetday/seeding.h"

namespace MeetDay {

namespace {

const QString LineEnd = QStringLiteral("\r\n");

QSet<QString> SessionEvents(const Core::GalaState &gala)
{
    QSet<QString> events;
    for (const Core::GalaEvent &event : gala.Events)
        events.insert(event.EvNumber);
    return events;
}

// A number after a blank that stands for its sign, as the comparison's messages write them.
QString Signed(int n)
{
    return n < 0 ? QString::number(n) : QLatin1Char(' ') + QString::number(n);
}

} // namespace

QString ClubNameOf(const Core::GalaState &gala, const QString &club)
{
    for (const Core::GalaClub &known : gala.Clubs) {
        if (known.Code == club)
            return known.Name;
    }
    return club;
}

QString EntrantColumns(const RosterEntrant &entrant, const Core::GalaState &gala)
{
    return Core::PadToWidth(QString::number(entrant.EntrantNumber), NumberWidth) +
           Core::PadToWidth(entrant.Name, NameWidth) +
           Core::PadToWidth(ClubNameOf(gala, entrant.Club), ClubWidth);
}

QStringList SessionSwimEvents(const RosterEntrant &entrant, const Core::GalaState &gala)
{
    const QSet<QString> events = SessionEvents(gala);
    QStringList session;
    for (const RosterSwim &swim : entrant.Swims) {
        if (events.contains(swim.EventNumber))
            session.append(swim.EventNumber);
    }
    return session;
}

QList<int> MissingEntrants(const Roster &roster, const Core::GalaState &gala)
{
    const QSet<QString> events = SessionEvents(gala);
    QList<int> rows;
    for (int r = 0; r < roster.size(); ++r) {
        bool session = false;
        bool confirmed = false;
        for (const RosterSwim &swim : roster.at(r).Swims) {
            if (!events.contains(swim.EventNumber))
                continue;
            session = true;
            confirmed = confirmed || swim.Confirmed;
        }
        if (session && !confirmed)
            rows.append(r);
    }
    return rows;
}

QString MissingLine(const RosterEntrant &entrant, const Core::GalaState &gala)
{
    QString line = EntrantColumns(entrant, gala);
    for (const QString &event : SessionSwimEvents(entrant, gala))
        line += event + QLatin1Char(' ');
    return line;
}

QString MissingList(const Roster &roster, const Core::GalaState &gala)
{
    QString text;
    for (int row : MissingEntrants(roster, gala))
        text += MissingLine(roster.at(row), gala) + LineEnd;
    return text;
}

QString AnnouncerMessage(const Roster &roster, const Core::GalaState &gala)
{
    QString text = AnnouncerHeading + LineEnd;
    for (int row : MissingEntrants(roster, gala))
        text += EntrantColumns(roster.at(row), gala) + LineEnd;
    return text;
}

QList<SwimAt> UnconfirmedSwims(const Roster &roster, const Core::GalaState &gala,
                               const QString &event)
{
    QList<SwimAt> swims;
    for (const QString &member : PoolEventMembers(gala, event)) {
        for (int e = 0; e < roster.size(); ++e) {
            const QList<RosterSwim> &entered = roster.at(e).Swims;
            for (int s = 0; s < entered.size(); ++s) {
                if (entered.at(s).EventNumber == member && !entered.at(s).Confirmed)
                    swims.append({e, s});
            }
        }
    }
    return swims;
}

QString EventUnconfirmedList(const Roster &roster, const Core::GalaState &gala,
                             const QString &event)
{
    QString text;
    for (const SwimAt &at : UnconfirmedSwims(roster, gala, event)) {
        const RosterEntrant &entrant = roster.at(at.Entrant);
        text += Core::PadToWidth(QString::number(entrant.EntrantNumber), NumberWidth) +
                QLatin1Char(' ') + Core::PadToWidth(entrant.Name, NameWidth) + QLatin1Char(' ') +
                ClubNameOf(gala, entrant.Club) + LineEnd;
    }
    return text;
}

QString AskPoolEvent(const Core::GalaState &gala, const QString &title, Core::Prompts &prompts)
{
    const std::optional<QString> typed = prompts.Input(title, EnterEventQuestion, {});
    if (!typed)
        return {};
    const double value = Core::LeadingNumber(*typed);
    // A value no event number can have is simply not in the list.
    const QString event = std::abs(value) < 1e15 && value == std::floor(value)
                              ? QString::number(qint64(value))
                              : QString::number(value);
    if (gala.FindEvent(event) < 0) {
        prompts.Message(InvalidEventMessage);
        return {};
    }
    const QString lead = CombinedLeadOf(gala, event);
    if (!lead.isEmpty()) {
        prompts.Message(CombinedWithMessage + lead);
        return {};
    }
    return event;
}

QByteArray CsvField(const QString &text)
{
    QString clean = text;
    clean.replace(QLatin1String("\r\n"), QLatin1String(" "));
    clean.replace(u'\r', u' ');
    clean.replace(u'\n', u' ');
    clean.replace(QLatin1String("\""), QLatin1String("\"\""));
    return '"' + clean.toUtf8() + '"';
}

QByteArray ClubListBytes(const Core::GalaState &gala)
{
    QByteArray out;
    for (const Core::GalaClub &club : gala.Clubs)
        out += CsvField(club.Code) + ',' + CsvField(club.Name) + "\r\n";
    return out;
}

QByteArray NameListBytes(const Roster &roster)
{
    QByteArray out;
    for (const RosterEntrant &entrant : roster) {
        out += QByteArray::number(entrant.EntrantNumber) + ',' + CsvField(entrant.Name) + ',' +
               CsvField(entrant.Age) + ',' + CsvField(entrant.Club) + ',' + CsvField(entrant.Sex) +
               "\r\n";
    }
    return out;
}

QString WriteListFile(const QString &dir, const QString &name, const QByteArray &bytes,
                      Core::Prompts &prompts)
{
    const QString path = QDir(dir).filePath(name);
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.commit()) {
        prompts.Message(QStringLiteral("Cannot write %1: %2")
                            .arg(QDir::toNativeSeparators(path), file.errorString()));
        return {};
    }
    return path;
}

QString CompareFilePath(const Core::GalaState &gala, const QString &dir)
{
    const bool open = gala.GalaType == Core::GalaOpen || gala.GalaType == Core::GalaMasters;
    return QDir(dir).filePath(open ? Entries::EntryFileName : QStringLiteral("finals.cds"));
}

void CompareWithEntryFile(const Roster &roster, const Core::GalaState &gala, const QString &dir,
                          Core::Prompts &prompts)
{
    const QString path = CompareFilePath(gala, dir);
    if (!QFileInfo(path).isFile()) {
        prompts.Message(QStringLiteral("There is no entry file %1 to compare with")
                            .arg(QDir::toNativeSeparators(path)));
        return;
    }
    // Final ranks are in finals.cds only as a championship's finals session saves it; read
    // otherwise, every later field would be taken for the one before it.
    const bool ranks = gala.GalaType == Core::GalaChamps &&
                       gala.SessionTitle == QLatin1String("FINALS") &&
                       !path.endsWith(Entries::EntryFileName);
    QList<Entries::EntrantBlock> records;
    QString damage;
    const bool whole = Entries::LoadEntrantBlocks(path, ranks, records, &damage);
    auto numberMismatch = [&](qsizetype k) {
        prompts.Message(QStringLiteral("Record ") + Signed(int(k + 1)) +
                        QStringLiteral(" entry number mismatch"));
    };

    // The file holds the entrants that have swims, in roster order.
    QList<const RosterEntrant *> written;
    for (const RosterEntrant &entrant : roster) {
        if (!entrant.Swims.isEmpty())
            written.append(&entrant);
    }
    for (qsizetype k = 0; k < records.size(); ++k) {
        if (k >= written.size()) {
            numberMismatch(k);
            return;
        }
        const Entries::EntrantBlock &record = records.at(k);
        const RosterEntrant &entrant = *written.at(k);
        const QString who = QStringLiteral("Entrant ") + Signed(int(k + 1));
        if (record.Number != entrant.EntrantNumber)
            numberMismatch(k);
        const QList<std::pair<bool, const char *>> fields{
            {record.Name != entrant.Name, " name mismatch"},
            {record.Club != entrant.Club, " club mismatch"},
            {record.Age != entrant.Age, " age group mismatch"},
            {record.Sex != entrant.Sex, " sex mismatch"},
            {record.Swims.size() != entrant.Swims.size(), " event count mismatch"},
        };
        for (const auto &[differs, what] : fields) {
            if (differs)
                prompts.Message(who + QString::fromLatin1(what));
        }
        const qsizetype swims = std::min(record.Swims.size(), entrant.Swims.size());
        for (qsizetype s = 0; s < swims; ++s) {
            const Entries::EntrySwim &stored = record.Swims.at(s);
            const RosterSwim &swim = entrant.Swims.at(s);
            const QString which = who + QStringLiteral(" Event ") + Signed(int(s + 1));
            if (stored.EventNumber != swim.EventNumber)
                prompts.Message(which + QStringLiteral(" event number mismatch"));
            if (stored.EntryTime != swim.EntryTime)
                prompts.Message(which + QStringLiteral(" entry time mismatch"));
            if (stored.Confirmed != swim.Confirmed)
                prompts.Message(which + QStringLiteral(" confirmation status mismatch"));
        }
    }
    // Entrants the file lacks at its end are a difference too.
    if (whole && written.size() > records.size())
        numberMismatch(records.size());
    prompts.Message(whole ? ComparisonCompleteMessage : damage);
}

} // namespace MeetDay
