#include "meetdb/competitionload.h"

#include <cmath>
#include <optional>

#include <QDate>
#include <QDir>
#include <QFileInfo>
#include <QLocale>

#include "core/galastate.h"
#include "core/prompts.h"
#include "core/textutil.h"
#include "core/timeutil.h"
#include "meetdb/database.h"
#include "meetdb/keywords.h"
#include "meetdb/schema.h"
#include "meetdb/selection.h"
#include "meetdb/session.h"

namespace MeetDb {

namespace {

constexpr int MaxMeetList = 1000;
// Counts the meet files keep: sequences, sessions, entry limits.
constexpr int MaxCount = 32767;
constexpr int MaxCompetitorNumber = 999999;

// The text fields of an event record; each is at most a meet text.
const QStringList EventTexts = {
    QStringLiteral("Event number"),  QStringLiteral("Event Print Number"),
    QStringLiteral("Sex"),           QStringLiteral("Group"),
    QStringLiteral("Stroke"),        QStringLiteral("Event Date"),
    QStringLiteral("Limit Time"),    QStringLiteral("Record Time"),
    QStringLiteral("BCP Age"),       QStringLiteral("Final Event"),
    QStringLiteral("NOTE"),          QStringLiteral("Sponsor"),
    QStringLiteral("Meet Specific"), QStringLiteral("Event Print Group"),
    QStringLiteral("Event Type"),    QStringLiteral("Combine With")};

const QString MeetCodeParam = QStringLiteral("Enter Meet Code");

// Null and "" both mean "not given" for the optional text fields of the meet database.
bool HasText(const RecordSet &rs, const QString &field)
{
    return !rs.IsNull(field) && !rs.Text(field).isEmpty();
}

// The field as a whole number from `min` to `max`, or nullopt for Null and for anything else: a
// crafted file may hold text, 1e300 or infinity where a count belongs, and such a value must
// never be converted to an int.
std::optional<int> WholeNumber(const RecordSet &rs, const QString &field, int min, int max)
{
    const QVariant value = rs.Field(field);
    if (value.isNull())
        return std::nullopt;
    bool ok = false;
    const double number = value.toDouble(&ok);
    if (!ok || !std::isfinite(number) || number != std::floor(number) || number < min ||
        number > max)
        return std::nullopt;
    return int(number);
}

// Steps that read the meet database. Each returns false when the load must end.
class DbLoader
{
public:
    DbLoader(Session &session, Core::Prompts &prompts, SelectionWindows *windows)
        : m_gala(session.Gala)
        , m_db(session.MeetDb)
        , m_prompts(prompts)
        , m_windows(windows)
    {}

    // Reads the version, lets the user choose the meet, and loads it.
    bool Run()
    {
        ReadVersion();
        return ChooseMeet() && LoadChosenMeet();
    }

    // No meet was chosen from the list.
    bool Cancelled() const { return m_cancelled; }

    // Loads the meet whose code is already in the gala state.
    bool RunForCode()
    {
        ReadVersion();
        return LoadChosenMeet();
    }

private:
    bool LoadChosenMeet()
    {
        m_place = QStringLiteral("%1, meet %2")
                      .arg(PrintableText(QFileInfo(m_db.Path()).fileName(), MaxMeetPathLength),
                           PrintableText(m_gala.MeetCode, MaxMeetTextLength));
        if (!ReadDetails())
            return false;
        ReadGroups();
        ReadEvents();
        ReadClubs();
        ApplyParamLines(m_gala, ReadParameterLines(), m_prompts,
                        ParamSource{m_place + QStringLiteral(", parameter"), {}});
        return true;
    }

    // Shows that `field` of the record `what` was refused and why.
    void Refuse(const QString &what, const QString &field, const QString &fault,
                const QString &effect)
    {
        m_prompts.Message(
            QStringLiteral("%1: \"%2\" %3; %4").arg(what, field, PrintableText(fault), effect));
    }

    // A text field of the meet record. Returns true when `target` was set. Null leaves it; a
    // text past `maxLength` characters or with a control character is refused with a message
    // and leaves it too.
    bool ReadText(const RecordSet &rs, const QString &field, QString &target,
                  int maxLength = MaxMeetTextLength)
    {
        if (rs.IsNull(field))
            return false;
        const QString text = rs.Text(field);
        if (const QString fault = Core::TextFault(text, maxLength); !fault.isEmpty()) {
            Refuse(m_place, field, fault, QStringLiteral("ignored"));
            return false;
        }
        target = text;
        return true;
    }

    bool ReadDate(const RecordSet &rs, const QString &field, QString &target)
    {
        QString stored;
        if (!ReadText(rs, field, stored))
            return false;
        target = DbDateText(stored);
        return true;
    }

    void ReadFlag(const RecordSet &rs, const QString &field, bool &target)
    {
        if (!rs.IsNull(field))
            target = rs.Flag(field);
    }

    // A whole-number field: Null leaves `target`; a value that is not a whole number from `min`
    // to `max` shows a message and leaves it too.
    void ReadWhole(const RecordSet &rs, const QString &what, const QString &field, int min, int max,
                   int &target)
    {
        if (rs.IsNull(field))
            return;
        if (const std::optional<int> number = WholeNumber(rs, field, min, max))
            target = *number;
        else
            Refuse(what, field,
                   QStringLiteral("%1 is not a whole number from %2 to %3")
                       .arg(PrintableText(rs.Text(field)))
                       .arg(min)
                       .arg(max),
                   QStringLiteral("ignored"));
    }

    void ReadLanes(const RecordSet &rs, const QString &field, int &target, const QString &message)
    {
        if (rs.IsNull(field))
            return;
        if (const std::optional<int> lanes = WholeNumber(rs, field, Core::MinLanes, Core::MaxLanes))
            target = *lanes;
        else
            m_prompts.Message(message);
    }

    // Distances are stored as numbers; the event table keeps them as whole-number texts, "" for
    // Null and 0. Anything but whole metres up to MaxDistance is refused with a message.
    QString DistanceText(const RecordSet &rs, const QString &what)
    {
        const QString field = QStringLiteral("Distance");
        bool ok = false;
        if (rs.IsNull(field) || (rs.Field(field).toDouble(&ok) == 0 && ok))
            return {};
        if (const std::optional<int> metres = WholeNumber(rs, field, 1, MaxDistance))
            return QString::number(*metres);
        Refuse(what, field,
               QStringLiteral("%1 is not a whole number of metres from 1 to %2")
                   .arg(PrintableText(rs.Text(field)))
                   .arg(MaxDistance),
               QStringLiteral("the event has no distance"));
        return {};
    }

    // True when every text field named is a meet text; else shows the first refused one.
    bool TextsFine(const RecordSet &rs, const QString &what, const QStringList &fields,
                   const QString &effect)
    {
        for (const QString &field : fields) {
            const int maxLength =
                field == QLatin1String("Club Code") ? MaxClubCodeLength : MaxMeetTextLength;
            if (const QString fault = Core::TextFault(rs.Text(field), maxLength);
                !fault.isEmpty()) {
                Refuse(what, field, fault, effect);
                return false;
            }
        }
        return true;
    }

    std::unique_ptr<RecordSet> RunQuery(const QString &name)
    {
        Database::SavedQuery query = m_db.OpenQuery(name);
        query.SetParameter(MeetCodeParam, m_gala.MeetCode);
        return query.Open();
    }

    void ReadVersion()
    {
        std::unique_ptr<RecordSet> rs = m_db.OpenTable(QStringLiteral("Version Table"));
        if (rs->RecordCount() > 0) {
            rs->MoveLast();
            bool ok = false;
            const double version = rs->Field(QStringLiteral("Version")).toDouble(&ok);
            // A float holds any sane version; a crafted 1e300 must not be converted.
            if (ok && std::isfinite(version) && std::fabs(version) < 1e6)
                m_gala.DbVersion = float(version);
            else
                Refuse(PrintableText(QFileInfo(m_db.Path()).fileName(), MaxMeetPathLength) +
                           QStringLiteral(", \"Version Table\""),
                       QStringLiteral("Version"),
                       QStringLiteral("%1 is not a version number")
                           .arg(PrintableText(rs->Text(QStringLiteral("Version")))),
                       QStringLiteral("ignored"));
        }
    }

    bool ChooseMeet()
    {
        std::unique_ptr<RecordSet> rs = m_db.OpenTable(QStringLiteral("Meet Table"));
        if (rs->RecordCount() == 0) {
            m_prompts.Message(QStringLiteral("No meets on database .. seems serious!"));
            return false;
        }
        QList<MeetListEntry> meets;
        for (rs->MoveFirst(); !rs->Eof(); rs->MoveNext()) {
            if (meets.size() == MaxMeetList) {
                m_prompts.Message(QStringLiteral("Only the first %1 meets of the database can be "
                                                 "listed")
                                      .arg(MaxMeetList));
                break;
            }
            meets.append({rs->Text(QStringLiteral("Meet code")),
                          rs->Text(QStringLiteral("Meet Name")),
                          rs->Text(QStringLiteral("Meet Date"))});
        }
        SortMeetsNewestFirst(meets);

        QStringList lines;
        lines.reserve(meets.size());
        for (const MeetListEntry &meet : std::as_const(meets))
            lines.append(MeetListLine(meet));
        ListSelectForm form(QStringLiteral("Select Competition"), lines);
        m_windows->ShowListSelect(form);
        const int choice = form.ListSelectChoice();
        if (choice < 1 || choice > meets.size()) {
            m_cancelled = true;
            return false;
        }
        m_gala.MeetCode = meets[choice - 1].Code;
        return true;
    }

    bool ReadDetails()
    {
        std::unique_ptr<RecordSet> rs = RunQuery(QStringLiteral("Details of 1 Meet"));
        if (rs->RecordCount() == 0) {
            m_prompts.Message(
                QStringLiteral("Cannot find details of this event .. is the meet code correct?"));
            return false;
        }
        rs->MoveFirst();
        const RecordSet &r = *rs;
        ReadText(r, QStringLiteral("Meet Name"), m_gala.GalaName, MaxMeetNameLength);
        m_prompts.ShowStatus(QStringLiteral("Opened the Natamar Database for ") + m_gala.GalaName);
        ReadText(r, QStringLiteral("Meet Title"), m_gala.GalaTitle);
        if (ReadDate(r, QStringLiteral("Meet Date"), m_gala.GalaDate))
            m_gala.GalaDateText = m_gala.GalaDate;
        ReadDate(r, QStringLiteral("Qual Date"), m_gala.QualDate);
        ReadFlag(r, QStringLiteral("Age Groups"), m_gala.AgeGroups);
        ReadText(r, QStringLiteral("Meet Type"), m_gala.GalaType);
        ReadText(r, QStringLiteral("Promoter"), m_gala.Promoter);
        ReadLanes(r, QStringLiteral("Lanes"), m_gala.Lanes,
                  QStringLiteral("Lanes paramater invalid"));
        ReadLanes(r, QStringLiteral("Final lanes"), m_gala.FinalLanes,
                  QStringLiteral("Finals Lanes paramater invalid"));
        ReadFlag(r, QStringLiteral("HDW"), m_gala.Hdw);
        ReadFlag(r, QStringLiteral("Program Notes"), m_gala.ProgNotes);
        ReadFlag(r, QStringLiteral("AOE"), m_gala.Aoe);
        ReadText(r, QStringLiteral("AOE Online"), m_gala.AoeOnline);
        if (HasText(r, QStringLiteral("Announcer")) &&
            ReadText(r, QStringLiteral("Announcer"), m_gala.AnnouncerDb, MaxMeetPathLength))
            m_gala.AnnouncerOn = true;
        ReadFlag(r, QStringLiteral("Junior"), m_gala.Junior);
        ReadText(r, QStringLiteral("Club Scores"), m_gala.ClubScores);
        if (QString wwwDir; ReadText(r, QStringLiteral("WWW Directory"), wwwDir, MaxMeetPathLength))
            m_gala.WwwDir = QLatin1Char('\\') + wwwDir;
        ReadFlag(r, QStringLiteral("One Card"), m_gala.OneCard);
        ReadFlag(r, QStringLiteral("All Heats"), m_gala.AllHeats);
        ReadFlag(r, QStringLiteral("Meet Specific"), m_gala.MeetSpecific);
        ReadFlag(r, QStringLiteral("Print Times"), m_gala.PrintTimes);
        ReadFlag(r, QStringLiteral("Split Last Heats"), m_gala.SplitLastHeats);
        ReadWhole(r, m_place, QStringLiteral("Next Competitor Number"), 1, MaxCompetitorNumber,
                  m_gala.NextCompetitorNumber);
        ReadFlag(r, QStringLiteral("Multi Session"), m_gala.MultiSession);
        ReadText(r, QStringLiteral("WWW Style"), m_gala.WebStyle);
        ReadText(r, QStringLiteral("WWW Class"), m_gala.WebClass);
        ReadText(r, QStringLiteral("WWW Header"), m_gala.WebHeader, MaxMeetPathLength);
        ReadText(r, QStringLiteral("WWW Footer"), m_gala.WebFooter, MaxMeetPathLength);
        ReadText(r, QStringLiteral("Gala Directory"), m_gala.GalaDir, MaxMeetPathLength);
        ReadText(r, QStringLiteral("Work Directory"), m_gala.WorkDir, MaxMeetPathLength);
        return true;
    }

    void ReadGroups()
    {
        std::unique_ptr<RecordSet> rs = RunQuery(QStringLiteral("Groups for 1 Meet"));
        if (rs->RecordCount() == 0) {
            m_prompts.Message(QStringLiteral("No Groups Defined"));
            return;
        }
        for (rs->MoveFirst(); !rs->Eof(); rs->MoveNext()) {
            if (!TextsFine(*rs, m_place,
                           {QStringLiteral("Group Name"), QStringLiteral("Group Description"),
                            QStringLiteral("Group Print"), QStringLiteral("Group Combine Print")},
                           QStringLiteral("group ignored")))
                continue;
            Core::GalaGroup group;
            group.GroupName = rs->Text(QStringLiteral("Group Name"));
            group.GroupDescription = rs->Text(QStringLiteral("Group Description"));
            group.GroupPrint = rs->IsNull(QStringLiteral("Group Print"))
                                   ? group.GroupDescription
                                   : rs->Text(QStringLiteral("Group Print"));
            group.GroupCombinePrint = rs->IsNull(QStringLiteral("Group Combine Print"))
                                          ? group.GroupDescription
                                          : rs->Text(QStringLiteral("Group Combine Print"));
            if (!AppendGroup(m_gala, group, m_prompts))
                break;
        }
    }

    void ReadEvents()
    {
        // The entries program always takes every session of the meet.
        m_gala.MultiSession = false;
        m_gala.SessionNumber = 0;

        std::unique_ptr<RecordSet> rs = RunQuery(QStringLiteral("Events for 1 Meet"));
        if (rs->RecordCount() == 0)
            m_prompts.Message(QStringLiteral("No Events Defined"));
        for (rs->MoveFirst(); !rs->Eof(); rs->MoveNext()) {
            int session = 0;
            const QString what = m_place + QStringLiteral(", event ") +
                                 PrintableText(rs->Text(QStringLiteral("Event number")));
            ReadWhole(*rs, what, QStringLiteral("session"), 0, MaxCount, session);
            if (m_gala.MultiSession && session != m_gala.SessionNumber)
                continue;
            if (!TextsFine(*rs, what, EventTexts, QStringLiteral("event ignored")))
                continue;
            Core::GalaEvent ev;
            ev.EvNumber = rs->Text(QStringLiteral("Event number"));
            ReadWhole(*rs, what, QStringLiteral("Event Sequence"), 0, MaxCount, ev.EvSequence);
            ev.EvPrintNumber = HasText(*rs, QStringLiteral("Event Print Number"))
                                   ? rs->Text(QStringLiteral("Event Print Number"))
                                   : ev.EvNumber;
            ev.EvSex = rs->Text(QStringLiteral("Sex"));
            ev.EvGroup = rs->Text(QStringLiteral("Group"));
            ev.EvDistance = DistanceText(*rs, what);
            ev.EvStroke = rs->Text(QStringLiteral("Stroke"));
            ev.EvSession = session;
            ev.EvDate = HasText(*rs, QStringLiteral("Event Date"))
                            ? DbDateText(rs->Text(QStringLiteral("Event Date")))
                            : m_gala.GalaDate;
            if (!rs->IsNull(QStringLiteral("Limit Time")))
                ev.EvLimitTime = Core::TimeToSeconds(rs->Text(QStringLiteral("Limit Time")));
            if (!rs->IsNull(QStringLiteral("Record Time")))
                ev.EvLimitTime = Core::TimeToSeconds(rs->Text(QStringLiteral("Record Time")));
            ev.EvBcpAge = rs->Text(QStringLiteral("BCP Age"));
            ReadWhole(*rs, what, QStringLiteral("Maximum Entries"), 0, MaxCount, ev.EvMaxEntries);
            ev.EvFinalEvent = rs->Text(QStringLiteral("Final Event"));
            ev.EvNote = rs->Text(QStringLiteral("NOTE"));
            ev.EvSponsor = rs->Text(QStringLiteral("Sponsor"));
            ev.EvMeetSpecific = rs->Text(QStringLiteral("Meet Specific"));
            ev.EvPrintGroup = rs->Text(QStringLiteral("Event Print Group"));
            ev.EvType = rs->Text(QStringLiteral("Event Type"));
            ev.EvSelected = false;
            if (!AppendEvent(m_gala, ev, m_prompts))
                break;
            // An empty "Combine With" is treated like Null: it names no partner events.
            if (HasText(*rs, QStringLiteral("Combine With"))) {
                QStringList events{ev.EvNumber};
                events += Core::SplitWords(rs->Text(QStringLiteral("Combine With")), u",");
                AddCombination(m_gala, events, m_prompts);
            }
        }
        if (m_gala.EventCount() == 0)
            m_prompts.Message(QStringLiteral("Warning: No event details loaded"));
    }

    void ReadClubs()
    {
        std::unique_ptr<RecordSet> rs = RunQuery(QStringLiteral("Clubs for 1 Meet"));
        for (rs->MoveFirst(); !rs->Eof(); rs->MoveNext()) {
            if (m_gala.ClubTotal() >= m_gala.ClubCount)
                break;
            if (!TextsFine(*rs, m_place, {QStringLiteral("Club Code"), QStringLiteral("Club Name")},
                           QStringLiteral("club ignored")))
                continue;
            m_gala.Clubs.append(
                {rs->Text(QStringLiteral("Club Code")), rs->Text(QStringLiteral("Club Name"))});
        }
    }

    QStringList ReadParameterLines()
    {
        std::unique_ptr<RecordSet> rs = RunQuery(QStringLiteral("Parameters for 1 Meet"));
        QStringList lines;
        for (rs->MoveFirst(); !rs->Eof(); rs->MoveNext())
            lines.append(rs->Text(QStringLiteral("Key Word")) + QLatin1Char('=') +
                         rs->Text(QStringLiteral("Parameter")));
        return lines;
    }

    Core::GalaState &m_gala;
    Database &m_db;
    Core::Prompts &m_prompts;
    SelectionWindows *m_windows; // only for choosing the meet from the list
    QString m_place;             // "natamar.mdb, meet M1", for messages
    bool m_cancelled = false;
};

void CloseMeetDb(Session &session)
{
    session.MeetDb.Close();
    session.Gala.MeetDbOpen = false;
}

bool OpenMeetDb(Session &session, const QString &path, Core::Prompts &prompts)
{
    try {
        session.MeetDb.Open(path);
        CheckMeetDatabase(session.MeetDb);
    } catch (const DbError &error) {
        session.MeetDb.Close();
        prompts.Message(error.Message());
        return false;
    }
    if (!session.MeetDb.ReadOnlyReason().isEmpty())
        prompts.Message(session.MeetDb.ReadOnlyReason());
    session.Gala.MeetDbPath = path;
    session.Gala.MeetDbOpen = true;
    return true;
}

// Reads the meet from the open meet database: the one the user chooses from the list when
// `windows` is given, else the one whose code is in the gala state. An early end closes the
// database, so no half-loaded meet is offered for entries; `cancelled` tells whether it was the
// user's cancelling the list.
bool ReadOpenMeetDb(Session &session, Core::Prompts &prompts, SelectionWindows *windows,
                    bool *cancelled = nullptr)
{
    try {
        DbLoader loader(session, prompts, windows);
        const bool loaded = windows ? loader.Run() : loader.RunForCode();
        if (cancelled)
            *cancelled = loader.Cancelled();
        if (loaded)
            return true;
    } catch (const DbError &error) {
        prompts.Message(error.Message());
    }
    CloseMeetDb(session);
    return false;
}

// Puts back the competition that was loaded before a cancelled load: its gala state and, when
// it came from a meet database, that database, opened again as it was. A database that cannot
// be opened any more ends the load with its message and no competition.
LoadOutcome KeepPrevious(Session &session, const Core::GalaState &previous, Core::Prompts &prompts)
{
    CloseMeetDb(session);
    session.Gala = previous;
    if (!previous.MeetDbOpen)
        return LoadOutcome::Cancelled;
    try {
        session.MeetDb.Open(previous.MeetDbPath);
        CheckMeetDatabase(session.MeetDb);
    } catch (const DbError &error) {
        CloseMeetDb(session);
        Core::ResetGalaState(session.Gala);
        prompts.Message(error.Message());
        return LoadOutcome::Ended;
    }
    return LoadOutcome::Cancelled;
}

// Paths in the settings may be relative; they are taken from the program's folder.
QString FromProgramDir(const Session &session, const QString &path)
{
    if (path.isEmpty() || QFileInfo(path).isAbsolute())
        return path;
    return QDir(session.ProgramDir).filePath(path);
}

} // namespace

void SortMeetsNewestFirst(QList<MeetListEntry> &meets)
{
    // yyyy-mm-dd texts compare as dates. The exchange sort swaps only when the earlier position
    // holds the strictly earlier date.
    for (int i = 0; i + 1 < meets.size(); ++i) {
        for (int j = i + 1; j < meets.size(); ++j) {
            if (meets[i].Date < meets[j].Date)
                std::swap(meets[i], meets[j]);
        }
    }
}

QString MeetListLine(const MeetListEntry &meet)
{
    const QDate date = QDate::fromString(meet.Date, Qt::ISODate);
    const QString dateText =
        date.isValid() ? QLocale::c().toString(date, QStringLiteral("ddMMMyyyy")) : meet.Date;
    // Names come from the file; a crafted one is shown cut and without control characters.
    return PrintableText(dateText, MaxMeetTextLength) + QStringLiteral(": ") +
           PrintableText(meet.Name, MaxMeetNameLength);
}

QString DbDateText(const QString &stored)
{
    const QDate date = QDate::fromString(stored.left(10), Qt::ISODate);
    if (!date.isValid())
        return stored;
    return date.toString(QStringLiteral("dd/MM/yyyy"));
}

LoadOutcome LoadCompetition(Session &session, Core::Prompts &prompts, SelectionWindows &windows)
{
    Core::GalaState &gala = session.Gala;
    const Core::GalaState previous = gala;
    Core::ResetGalaState(gala);
    if (gala.MeetDbOpen)
        CloseMeetDb(session);
    gala.UseMeetDb = false;

    IntSelectForm source(session, prompts);
    windows.ShowIntSelect(source);

    if (gala.UseMeetDb) {
        // A database browsed for is the one the user chose; the list would offer the old one.
        if (session.Settings.NatamarDbCount() > 1 && !source.DatabaseBrowsed()) {
            NtSelectForm choice(session);
            windows.ShowNtSelect(choice);
        }
        const QString path = FromProgramDir(session, session.Settings.NatamarDb);
        if (!Core::FileExists(path)) {
            prompts.Message(QStringLiteral("Cannot find Natamar Database"));
            return LoadOutcome::Ended;
        }
        if (!OpenMeetDb(session, path, prompts))
            return LoadOutcome::Ended;
    } else {
        gala.GalaParamFile = FromProgramDir(session, gala.GalaParamFile);
        if (!Core::FileExists(gala.GalaParamFile)) {
            prompts.Message(QStringLiteral("Cannot find Gala Parameter File"));
            return LoadOutcome::Ended;
        }
    }

    gala.GalaDateText.clear();

    if (!gala.MeetDbOpen) {
        QStringList lines;
        ParamSource source{
            PrintableText(QFileInfo(gala.GalaParamFile).fileName(), MaxMeetPathLength), {}};
        QString fault;
        if (!ReadGalaParamFile(gala.GalaParamFile, lines, &source.LineNumbers, &fault)) {
            prompts.Message(fault.isEmpty() ? QStringLiteral("Cannot find Gala Parameter File")
                                            : source.Name + QStringLiteral(": ") + fault);
            return LoadOutcome::Ended;
        }
        if (!HasKeywordLine(lines)) {
            prompts.Message(source.Name + QStringLiteral(": no keyword lines (keyword=value): it "
                                                         "is not a gala parameter file"));
            return LoadOutcome::Ended;
        }
        ApplyParamLines(gala, lines, prompts, source);
    } else {
        bool cancelled = false;
        if (!ReadOpenMeetDb(session, prompts, &windows, &cancelled))
            return cancelled ? KeepPrevious(session, previous, prompts) : LoadOutcome::Ended;
    }

    Core::FinishGalaLoad(gala, prompts);
    return LoadOutcome::Loaded;
}

bool LoadMeetByCode(Session &session, const QString &path, const QString &meetCode,
                    Core::Prompts &prompts)
{
    Core::GalaState &gala = session.Gala;
    Core::ResetGalaState(gala);
    if (gala.MeetDbOpen)
        CloseMeetDb(session);
    gala.UseMeetDb = true;
    if (!OpenMeetDb(session, path, prompts))
        return false;
    gala.GalaDateText.clear();
    gala.MeetCode = meetCode;
    if (!ReadOpenMeetDb(session, prompts, nullptr))
        return false;
    Core::FinishGalaLoad(gala, prompts);
    return true;
}

} // namespace MeetDb
