#include "meetdb/competitionload.h"

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

const QString MeetCodeParam = QStringLiteral("Enter Meet Code");

// Null and "" both mean "not given" for the optional text fields of the meet database.
bool HasText(const RecordSet &rs, const QString &field)
{
    return !rs.IsNull(field) && !rs.Text(field).isEmpty();
}

void ReadText(const RecordSet &rs, const QString &field, QString &target)
{
    if (!rs.IsNull(field))
        target = rs.Text(field);
}

void ReadDate(const RecordSet &rs, const QString &field, QString &target)
{
    if (!rs.IsNull(field))
        target = DbDateText(rs.Text(field));
}

void ReadFlag(const RecordSet &rs, const QString &field, bool &target)
{
    if (!rs.IsNull(field))
        target = rs.Flag(field);
}

void ReadLanes(const RecordSet &rs, const QString &field, int &target, const QString &message,
               Core::Prompts &prompts)
{
    if (rs.IsNull(field))
        return;
    const int lanes = rs.Int(field);
    if (lanes >= 4 && lanes <= 8)
        target = lanes;
    else
        prompts.Message(message);
}

// Distances are stored as numbers; the event table keeps them as whole-number texts, "" for 0.
QString DistanceText(const RecordSet &rs)
{
    if (rs.IsNull(QStringLiteral("Distance")))
        return {};
    const qint64 metres = qRound64(rs.Field(QStringLiteral("Distance")).toDouble());
    return metres == 0 ? QString() : QString::number(metres);
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

    // Loads the meet whose code is already in the gala state.
    bool RunForCode()
    {
        ReadVersion();
        return LoadChosenMeet();
    }

private:
    bool LoadChosenMeet()
    {
        if (!ReadDetails())
            return false;
        ReadGroups();
        ReadEvents();
        ReadClubs();
        ApplyParamLines(m_gala, ReadParameterLines(), m_prompts);
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
            m_gala.DbVersion = float(rs->Field(QStringLiteral("Version")).toDouble());
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
        m_gala.MeetCode =
            choice >= 1 && choice <= meets.size() ? meets[choice - 1].Code : QString();
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
        ReadText(r, QStringLiteral("Meet Name"), m_gala.GalaName);
        m_prompts.ShowStatus(QStringLiteral("Opened the Natamar Database for ") + m_gala.GalaName);
        ReadText(r, QStringLiteral("Meet Title"), m_gala.GalaTitle);
        if (!r.IsNull(QStringLiteral("Meet Date"))) {
            ReadDate(r, QStringLiteral("Meet Date"), m_gala.GalaDate);
            m_gala.GalaDateText = m_gala.GalaDate;
        }
        ReadDate(r, QStringLiteral("Qual Date"), m_gala.QualDate);
        ReadFlag(r, QStringLiteral("Age Groups"), m_gala.AgeGroups);
        ReadText(r, QStringLiteral("Meet Type"), m_gala.GalaType);
        ReadText(r, QStringLiteral("Promoter"), m_gala.Promoter);
        ReadLanes(r, QStringLiteral("Lanes"), m_gala.Lanes,
                  QStringLiteral("Lanes paramater invalid"), m_prompts);
        ReadLanes(r, QStringLiteral("Final lanes"), m_gala.FinalLanes,
                  QStringLiteral("Finals Lanes paramater invalid"), m_prompts);
        ReadFlag(r, QStringLiteral("HDW"), m_gala.Hdw);
        ReadFlag(r, QStringLiteral("Program Notes"), m_gala.ProgNotes);
        ReadFlag(r, QStringLiteral("AOE"), m_gala.Aoe);
        ReadText(r, QStringLiteral("AOE Online"), m_gala.AoeOnline);
        if (HasText(r, QStringLiteral("Announcer"))) {
            m_gala.AnnouncerOn = true;
            m_gala.AnnouncerDb = r.Text(QStringLiteral("Announcer"));
        }
        ReadFlag(r, QStringLiteral("Junior"), m_gala.Junior);
        ReadText(r, QStringLiteral("Club Scores"), m_gala.ClubScores);
        if (!r.IsNull(QStringLiteral("WWW Directory")))
            m_gala.WwwDir = QLatin1Char('\\') + r.Text(QStringLiteral("WWW Directory"));
        ReadFlag(r, QStringLiteral("One Card"), m_gala.OneCard);
        ReadFlag(r, QStringLiteral("All Heats"), m_gala.AllHeats);
        ReadFlag(r, QStringLiteral("Meet Specific"), m_gala.MeetSpecific);
        ReadFlag(r, QStringLiteral("Print Times"), m_gala.PrintTimes);
        ReadFlag(r, QStringLiteral("Split Last Heats"), m_gala.SplitLastHeats);
        if (!r.IsNull(QStringLiteral("Next Competitor Number")))
            m_gala.NextCompetitorNumber = r.Int(QStringLiteral("Next Competitor Number"));
        ReadFlag(r, QStringLiteral("Multi Session"), m_gala.MultiSession);
        ReadText(r, QStringLiteral("WWW Style"), m_gala.WebStyle);
        ReadText(r, QStringLiteral("WWW Class"), m_gala.WebClass);
        ReadText(r, QStringLiteral("WWW Header"), m_gala.WebHeader);
        ReadText(r, QStringLiteral("WWW Footer"), m_gala.WebFooter);
        ReadText(r, QStringLiteral("Gala Directory"), m_gala.GalaDir);
        ReadText(r, QStringLiteral("Work Directory"), m_gala.WorkDir);
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
            if (m_gala.MultiSession && rs->Int(QStringLiteral("session")) != m_gala.SessionNumber)
                continue;
            Core::GalaEvent ev;
            ev.EvNumber = rs->Text(QStringLiteral("Event number"));
            ev.EvSequence = rs->Int(QStringLiteral("Event Sequence"));
            ev.EvPrintNumber = HasText(*rs, QStringLiteral("Event Print Number"))
                                   ? rs->Text(QStringLiteral("Event Print Number"))
                                   : ev.EvNumber;
            ev.EvSex = rs->Text(QStringLiteral("Sex"));
            ev.EvGroup = rs->Text(QStringLiteral("Group"));
            ev.EvDistance = DistanceText(*rs);
            ev.EvStroke = rs->Text(QStringLiteral("Stroke"));
            ev.EvSession = rs->Int(QStringLiteral("session"));
            ev.EvDate = HasText(*rs, QStringLiteral("Event Date"))
                            ? DbDateText(rs->Text(QStringLiteral("Event Date")))
                            : m_gala.GalaDate;
            if (!rs->IsNull(QStringLiteral("Limit Time")))
                ev.EvLimitTime = Core::TimeToSeconds(rs->Text(QStringLiteral("Limit Time")));
            if (!rs->IsNull(QStringLiteral("Record Time")))
                ev.EvLimitTime = Core::TimeToSeconds(rs->Text(QStringLiteral("Record Time")));
            ev.EvBcpAge = rs->Text(QStringLiteral("BCP Age"));
            ev.EvMaxEntries = rs->Int(QStringLiteral("Maximum Entries"));
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
    if (session.MeetDb.OnReadOnlyMedia())
        prompts.Message(session.MeetDb.ReadOnlyMediaMessage());
    session.Gala.MeetDbPath = path;
    session.Gala.MeetDbOpen = true;
    return true;
}

// Reads the meet from the open meet database: the one the user chooses from the list when
// `windows` is given, else the one whose code is in the gala state. An early end closes the
// database, so no half-loaded meet is offered for entries.
bool ReadOpenMeetDb(Session &session, Core::Prompts &prompts, SelectionWindows *windows)
{
    try {
        DbLoader loader(session, prompts, windows);
        if (windows ? loader.Run() : loader.RunForCode())
            return true;
    } catch (const DbError &error) {
        prompts.Message(error.Message());
    }
    CloseMeetDb(session);
    return false;
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
    return dateText + QStringLiteral(": ") + meet.Name;
}

QString DbDateText(const QString &stored)
{
    const QDate date = QDate::fromString(stored.left(10), Qt::ISODate);
    if (!date.isValid())
        return stored;
    return date.toString(QStringLiteral("dd/MM/yyyy"));
}

bool LoadCompetition(Session &session, Core::Prompts &prompts, SelectionWindows &windows)
{
    Core::GalaState &gala = session.Gala;
    Core::ResetGalaState(gala);
    if (gala.MeetDbOpen)
        CloseMeetDb(session);
    gala.UseMeetDb = false;

    IntSelectForm source(session, prompts);
    windows.ShowIntSelect(source);

    if (gala.UseMeetDb) {
        if (session.Settings.NatamarDbCount() > 1) {
            NtSelectForm choice(session);
            windows.ShowNtSelect(choice);
        }
        const QString path = FromProgramDir(session, session.Settings.NatamarDb);
        if (!Core::FileExists(path)) {
            prompts.Message(QStringLiteral("Cannot find Natamar Database"));
            return false;
        }
        if (!OpenMeetDb(session, path, prompts))
            return false;
    } else {
        gala.GalaParamFile = FromProgramDir(session, gala.GalaParamFile);
        if (!Core::FileExists(gala.GalaParamFile)) {
            prompts.Message(QStringLiteral("Cannot find Gala Parameter File"));
            return false;
        }
    }

    gala.GalaDateText.clear();

    if (!gala.MeetDbOpen) {
        QStringList lines;
        if (!ReadGalaParamFile(gala.GalaParamFile, lines)) {
            prompts.Message(QStringLiteral("Cannot find Gala Parameter File"));
            return false;
        }
        ApplyParamLines(gala, lines, prompts);
    } else if (!ReadOpenMeetDb(session, prompts, &windows)) {
        return false;
    }

    Core::FinishGalaLoad(gala, prompts);
    return true;
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
