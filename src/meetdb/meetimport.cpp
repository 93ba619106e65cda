#include "meetdb/meetimport.h"

#include <optional>
#include <utility>

#include <QDate>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QPair>
#include <QSqlError>
#include <QSqlQuery>
#include <QVariant>

#include "core/captureprompts.h"
#include "core/prompts.h"
#include "core/timeutil.h"
#include "meetdb/competitionload.h"
#include "meetdb/database.h"
#include "meetdb/keywords.h"
#include "meetdb/schema.h"

namespace MeetDb {

namespace {

QSet<QString> WordSet(const char *words)
{
    const QStringList list = QString::fromLatin1(words).split(u' ', Qt::SkipEmptyParts);
    return QSet<QString>(list.cbegin(), list.cend());
}

// Keywords whose values become "Meet Table" fields; they are not kept as parameter rows.
const QSet<QString> MeetFieldKeywords =
    WordSet("galaname galatitle galadate qualdate agegroups galatype promoter lanes finallanes "
            "hdw prognotes aoe aoeonline announcer junior clubscores wwwdir onecard allheats "
            "printtimes splitlastheats webstyle webclass galadir workdir");

const QString EndKeyword = QStringLiteral("End");

// Keeps the messages the keyword logic shows, so that each becomes an error of its line. The
// keyword logic only ever shows messages; it asks nothing.
using Core::CapturePrompts;

bool IsGalaType(const QString &type)
{
    for (const QString *known : {&Core::GalaInternal, &Core::GalaChamps, &Core::GalaGraded,
                                 &Core::GalaMasters, &Core::GalaOpen, &Core::GalaSelect}) {
        if (type == *known)
            return true;
    }
    return false;
}

QVariant NullIfEmpty(const QString &text)
{
    return text.isEmpty() ? QVariant() : QVariant(text);
}

// A date of the file as the database stores it (yyyy-mm-dd); Null when the text is empty. The
// parser has already refused texts that are not dates.
QVariant IsoDate(const QString &text)
{
    const QDate date = Core::ParseDate(text);
    return date.isValid() ? QVariant(date.toString(Qt::ISODate)) : QVariant();
}

class MeetParser
{
public:
    MeetParser(const QString &fileName, MeetDefinition &meet, ImportMessages &messages)
        : m_fileName(fileName)
        , m_meet(meet)
        , m_gala(meet.Gala)
        , m_messages(messages)
    {}

    void Run(const QList<NumberedLine> &lines)
    {
        Core::ResetGalaState(m_gala);
        m_meet.GivenKeywords.clear();
        m_meet.Parameters.clear();
        m_meet.ClubsAsParameters = HasClubCount(lines);

        QStringList texts;
        for (const NumberedLine &line : lines)
            texts.append(line.Text);
        if (!HasKeywordLine(texts)) {
            Error(0, QStringLiteral("no keyword lines (keyword=value): it is not a gala parameter "
                                    "file"));
            return;
        }

        for (const NumberedLine &line : lines) {
            const qsizetype equals = line.Text.indexOf(u'=');
            if (equals < 0) {
                if (!line.Text.trimmed().isEmpty())
                    Warn(line.Number, QStringLiteral("line without \"=\" ignored"));
                continue;
            }
            const QString keyword = line.Text.left(equals);
            if (keyword == EndKeyword)
                break;
            Apply(line, keyword, line.Text.mid(equals + 1));
        }

        if (!m_meet.GivenKeywords.contains(QStringLiteral("galadate")))
            Warn(0, QStringLiteral("no galadate line: the meet has no date"));
        if (!m_meet.GivenKeywords.contains(QStringLiteral("galatype")))
            Warn(0, QStringLiteral("no galatype line: the meet will be loaded as \"Internal\""));
    }

private:
    static bool HasClubCount(const QList<NumberedLine> &lines)
    {
        for (const NumberedLine &line : lines) {
            const qsizetype equals = line.Text.indexOf(u'=');
            if (equals < 0)
                continue;
            const QStringView keyword = QStringView(line.Text).left(equals);
            if (keyword == EndKeyword)
                return false;
            if (keyword == QLatin1String("clubcount"))
                return true;
        }
        return false;
    }

    void Apply(const NumberedLine &line, const QString &keyword, const QString &value)
    {
        m_meet.GivenKeywords.insert(keyword);
        if (!IsKeyword(keyword)) {
            // Kept as a parameter row, so it must be as safe to show as any other meet text.
            if (const QString fault = Core::TextFault(line.Text, MaxWarnLength); !fault.isEmpty()) {
                Error(line.Number, QStringLiteral("the line %1").arg(fault));
                return;
            }
            Warn(line.Number,
                 QStringLiteral("unknown keyword \"%1\" kept as a parameter").arg(keyword));
        }

        const int eventsBefore = m_gala.EventCount();
        const int clubsBefore = m_gala.ClubTotal();
        // A warn line shows its text every time the meet is loaded; here it is only kept.
        if (keyword == QLatin1String("warn")) {
            if (const QString fault = Core::TextFault(value, MaxWarnLength); !fault.isEmpty())
                Error(line.Number, QStringLiteral("warn value %1").arg(fault));
        } else {
            CapturePrompts capture;
            ApplyParamLines(m_gala, {line.Text}, capture);
            for (const QString &message : std::as_const(capture.Messages))
                Error(line.Number, message);
        }

        if (keyword == QLatin1String("galadate") || keyword == QLatin1String("qualdate")) {
            CheckDate(line.Number, keyword, value);
        } else if (keyword == QLatin1String("galatype")) {
            if (!IsGalaType(value)) {
                Error(line.Number, QStringLiteral("unknown galatype \"%1\" (Internal, Champs, "
                                                  "Graded, Masters, Open or Select)")
                                       .arg(value));
            }
        } else if (keyword == QLatin1String("event")) {
            if (m_gala.EventCount() > eventsBefore)
                CheckEvent(line.Number);
        } else if (keyword == QLatin1String("eventprintno")) {
            const QString number = value.section(u' ', 0, 0, QString::SectionSkipEmpty);
            if (!m_gala.Events.isEmpty() && !m_eventLines.contains(number))
                Warn(line.Number, QStringLiteral("eventprintno names no event \"%1\"").arg(number));
        } else if (keyword == QLatin1String("club") && !m_meet.ClubsAsParameters) {
            CheckClub(line.Number, value, clubsBefore);
            return;
        }

        const bool tableLine = keyword == QLatin1String("event") ||
                               keyword == QLatin1String("group") ||
                               keyword == QLatin1String("eventprintno");
        if (!tableLine && !MeetFieldKeywords.contains(keyword))
            m_meet.Parameters.append({keyword, value});
    }

    void CheckDate(int lineNumber, const QString &keyword, const QString &value)
    {
        if (!value.isEmpty() && !Core::IsDate(value)) {
            Error(lineNumber,
                  QStringLiteral("%1: \"%2\" is not a date (dd/mm/yyyy)").arg(keyword, value));
        }
    }

    void CheckEvent(int lineNumber)
    {
        const Core::GalaEvent &event = m_gala.Events.constLast();
        if (const auto first = m_eventLines.constFind(event.EvNumber);
            first != m_eventLines.constEnd()) {
            Error(lineNumber, QStringLiteral("event %1 is given twice (first on line %2)")
                                  .arg(event.EvNumber)
                                  .arg(*first));
        } else {
            m_eventLines.insert(event.EvNumber, lineNumber);
        }
        // An event date equal to the gala date was either typed or taken from the galadate line,
        // which is checked on its own line.
        if (!event.EvDate.isEmpty() && event.EvDate != m_gala.GalaDate &&
            !Core::IsDate(event.EvDate)) {
            Error(lineNumber, QStringLiteral("event %1: \"%2\" is not a date (dd/mm/yyyy)")
                                  .arg(event.EvNumber, event.EvDate));
        }
        if (event.EvLimitTime != 0 && Core::SecondsToTimeQuiet(event.EvLimitTime).isEmpty()) {
            Error(
                lineNumber,
                QStringLiteral("event %1: the limit time is not a valid time").arg(event.EvNumber));
        }
    }

    void CheckClub(int lineNumber, const QString &value, int clubsBefore)
    {
        if (m_gala.ClubTotal() == clubsBefore) {
            // The program skips these without a word.
            if (!value.contains(u' ')) {
                Warn(lineNumber, QStringLiteral("club line without a name ignored"));
            } else if (m_gala.ClubCount > 0) {
                Warn(lineNumber, QStringLiteral("club table full (%1 clubs), club ignored")
                                     .arg(m_gala.ClubCount));
            }
            return;
        }
        const QString code = m_gala.Clubs.constLast().Code;
        if (const auto first = m_clubLines.constFind(code); first != m_clubLines.constEnd()) {
            Error(
                lineNumber,
                QStringLiteral("club %1 is given twice (first on line %2)").arg(code).arg(*first));
            m_gala.Clubs.removeLast();
        } else {
            m_clubLines.insert(code, lineNumber);
        }
    }

    QString Where(int lineNumber) const
    {
        return lineNumber > 0 ? QStringLiteral("%1:%2: ").arg(m_fileName).arg(lineNumber)
                              : m_fileName + QStringLiteral(": ");
    }
    // Messages echo text from the file, so they are made printable before anyone sees them.
    void Error(int lineNumber, const QString &text)
    {
        m_messages.Errors.append(PrintableText(Where(lineNumber) + text, MaxMessageLength));
    }
    void Warn(int lineNumber, const QString &text)
    {
        m_messages.Warnings.append(PrintableText(
            Where(lineNumber) + QStringLiteral("warning: ") + text, MaxMessageLength));
    }
    static constexpr int MaxMessageLength = 400;

    QString m_fileName;
    MeetDefinition &m_meet;
    Core::GalaState &m_gala;
    ImportMessages &m_messages;
    QHash<QString, int> m_eventLines; // event number -> its line
    QHash<QString, int> m_clubLines;  // club code -> its line
};

[[noreturn]] void Fail(const QString &what, const QSqlError &error)
{
    throw DbError(what + QStringLiteral(": ") + error.text());
}

// One INSERT prepared once and run for each row, inside the caller's transaction. Table and field
// names are the program's own; every value is bound.
class RowInserter
{
public:
    RowInserter(Database &db, const QString &table, const QStringList &fields)
        : m_query(db.Connection())
        , m_table(table)
    {
        QStringList quoted;
        QStringList placeholders;
        for (const QString &field : fields) {
            quoted.append(db.Quote(field));
            placeholders.append(QStringLiteral("?"));
        }
        const QString sql = QStringLiteral("INSERT INTO %1 (%2) VALUES (%3)")
                                .arg(db.Quote(table), quoted.join(u','), placeholders.join(u','));
        if (!m_query.prepare(sql))
            Fail(QStringLiteral("Cannot prepare the insert into \"%1\"").arg(table),
                 m_query.lastError());
    }

    void Insert(const QVariantList &values)
    {
        for (qsizetype i = 0; i < values.size(); ++i)
            m_query.bindValue(int(i), values.at(i));
        if (!m_query.exec())
            Fail(QStringLiteral("Cannot add a record to \"%1\"").arg(m_table), m_query.lastError());
    }

private:
    QSqlQuery m_query;
    QString m_table;
};

bool MeetCodeTaken(Database &db, const QString &code)
{
    QSqlQuery query(db.Connection());
    if (!query.prepare(QStringLiteral("SELECT 1 FROM \"Meet Table\" WHERE \"Meet code\" = ? "
                                      "COLLATE NOCASE")))
        Fail(QStringLiteral("Cannot read \"Meet Table\""), query.lastError());
    query.bindValue(0, code);
    if (!query.exec())
        Fail(QStringLiteral("Cannot read \"Meet Table\""), query.lastError());
    return query.next();
}

void WriteMeetRow(Database &db, const QString &code, const MeetDefinition &meet)
{
    const Core::GalaState &g = meet.Gala;
    auto given = [&meet](const char *keyword) {
        return meet.GivenKeywords.contains(QLatin1String(keyword));
    };
    auto text = [&given](const char *keyword, const QString &value) {
        return given(keyword) ? QVariant(value) : QVariant();
    };
    auto number = [&given](const char *keyword, int value) {
        return given(keyword) ? QVariant(value) : QVariant();
    };
    auto flag = [](bool value) { return QVariant(value ? 1 : 0); };

    // WwwDir carries the "\" the load puts in front; the field holds the directory alone.
    const QVariant wwwDir = given("wwwdir") ? QVariant(g.WwwDir.mid(1)) : QVariant();

    const QList<QPair<QString, QVariant>> fields = {
        {QStringLiteral("Meet code"), code},
        {QStringLiteral("Meet Name"), text("galaname", g.GalaName)},
        {QStringLiteral("Meet Title"), text("galatitle", g.GalaTitle)},
        {QStringLiteral("Meet Date"), IsoDate(g.GalaDate)},
        {QStringLiteral("Qual Date"), IsoDate(g.QualDate)},
        {QStringLiteral("Age Groups"), flag(g.AgeGroups)},
        {QStringLiteral("Meet Type"), text("galatype", g.GalaType)},
        {QStringLiteral("Promoter"), text("promoter", g.Promoter)},
        {QStringLiteral("Lanes"), number("lanes", g.Lanes)},
        {QStringLiteral("Final lanes"), number("finallanes", g.FinalLanes)},
        {QStringLiteral("HDW"), flag(g.Hdw)},
        {QStringLiteral("Program Notes"), flag(g.ProgNotes)},
        {QStringLiteral("AOE"), flag(g.Aoe)},
        {QStringLiteral("AOE Online"), text("aoeonline", g.AoeOnline)},
        {QStringLiteral("Announcer"), g.AnnouncerOn ? QVariant(g.AnnouncerDb) : QVariant()},
        {QStringLiteral("Junior"), flag(g.Junior)},
        {QStringLiteral("Club Scores"), text("clubscores", g.ClubScores)},
        {QStringLiteral("WWW Directory"), wwwDir},
        {QStringLiteral("One Card"), flag(g.OneCard)},
        {QStringLiteral("All Heats"), flag(g.AllHeats)},
        {QStringLiteral("Print Times"), flag(g.PrintTimes)},
        {QStringLiteral("Split Last Heats"), flag(g.SplitLastHeats)},
        {QStringLiteral("WWW Style"), text("webstyle", g.WebStyle)},
        {QStringLiteral("WWW Class"), text("webclass", g.WebClass)},
        {QStringLiteral("Gala Directory"), text("galadir", g.GalaDir)},
        {QStringLiteral("Work Directory"), text("workdir", g.WorkDir)},
        {QStringLiteral("Next Competitor Number"), 1},
    };
    QStringList names;
    QVariantList values;
    for (const auto &[name, value] : fields) {
        names.append(name);
        values.append(value);
    }
    RowInserter(db, QStringLiteral("Meet Table"), names).Insert(values);
}

void WriteEvents(Database &db, const QString &code, const Core::GalaState &g)
{
    RowInserter events(db, QStringLiteral("Event Table"),
                       {QStringLiteral("Meet code"), QStringLiteral("Event number"),
                        QStringLiteral("Event Sequence"), QStringLiteral("Event Print Number"),
                        QStringLiteral("Sex"), QStringLiteral("Group"), QStringLiteral("Distance"),
                        QStringLiteral("Stroke"), QStringLiteral("Event Date"),
                        QStringLiteral("Limit Time"), QStringLiteral("Maximum Entries"),
                        QStringLiteral("Final Event"), QStringLiteral("NOTE"),
                        QStringLiteral("Sponsor"), QStringLiteral("BCP Age"),
                        QStringLiteral("session"), QStringLiteral("Event Type")});
    const QDate meetDate = Core::ParseDate(g.GalaDate);
    for (int i = 0; i < g.EventCount(); ++i) {
        const Core::GalaEvent &ev = g.Events.at(i);
        // An event on the meet's own day keeps no date: it then follows the meet if the meet is
        // moved.
        const QDate date = Core::ParseDate(ev.EvDate);
        const QVariant eventDate = !date.isValid() || (meetDate.isValid() && date == meetDate)
                                       ? QVariant()
                                       : QVariant(date.toString(Qt::ISODate));
        const QVariant limit =
            ev.EvLimitTime > 0 ? QVariant(Core::SecondsToTimeQuiet(ev.EvLimitTime)) : QVariant();
        const QVariant maxEntries = ev.EvMaxEntries > 0 ? QVariant(ev.EvMaxEntries) : QVariant();
        events.Insert({code, ev.EvNumber, i + 1, ev.EvPrintNumber, ev.EvSex, ev.EvGroup,
                       ev.EvDistance.toDouble(), ev.EvStroke, eventDate, limit, maxEntries,
                       NullIfEmpty(ev.EvFinalEvent), NullIfEmpty(ev.EvNote),
                       NullIfEmpty(ev.EvSponsor), NullIfEmpty(ev.EvBcpAge),
                       ev.EvSession > 0 ? QVariant(ev.EvSession) : QVariant(),
                       NullIfEmpty(ev.EvType)});
    }
}

} // namespace

bool ReadNumberedLines(const QString &path, QList<NumberedLine> &lines, QString *fault)
{
    // Read as the program reads a gala parameter file.
    lines.clear();
    QStringList texts;
    QList<int> numbers;
    if (!ReadGalaParamFile(path, texts, &numbers, fault))
        return false;
    for (qsizetype i = 0; i < texts.size(); ++i)
        lines.append({numbers[i], texts[i]});
    return true;
}

bool ParseMeetLines(const QString &fileName, const QList<NumberedLine> &lines, MeetDefinition &meet,
                    ImportMessages &messages)
{
    const qsizetype errorsBefore = messages.Errors.size();
    MeetParser(fileName, meet, messages).Run(lines);
    return messages.Errors.size() == errorsBefore;
}

QString DefaultMeetCode(const QString &galaFile)
{
    QString code;
    for (const QChar c : QFileInfo(galaFile).completeBaseName()) {
        if (code.size() == MaxMeetCodeLength)
            break;
        if ((c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z') || (c >= u'0' && c <= u'9'))
            code.append(c.toUpper());
    }
    return code;
}

bool IsValidMeetCode(const QString &code)
{
    if (code.isEmpty() || code.size() > MaxMeetCodeLength)
        return false;
    for (const QChar c : code) {
        if (!((c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z') || (c >= u'0' && c <= u'9')))
            return false;
    }
    return true;
}

void WriteMeet(Database &db, const QString &code, const MeetDefinition &meet)
{
    Transaction transaction(db);
    if (MeetCodeTaken(db, code))
        throw DbError(QStringLiteral("%1: meet code %2 is already in \"Meet Table\"")
                          .arg(QFileInfo(db.Path()).fileName(), code));

    WriteMeetRow(db, code, meet);
    const Core::GalaState &g = meet.Gala;

    RowInserter groups(db, QStringLiteral("Group Table"),
                       {QStringLiteral("Meet code"), QStringLiteral("Group Order"),
                        QStringLiteral("Group Name"), QStringLiteral("Group Description"),
                        QStringLiteral("Group Print"), QStringLiteral("Group Combine Print")});
    for (int i = 0; i < g.GroupCount(); ++i) {
        const Core::GalaGroup &group = g.Groups.at(i);
        groups.Insert({code, i + 1, group.GroupName, group.GroupDescription, group.GroupPrint,
                       group.GroupCombinePrint});
    }

    WriteEvents(db, code, g);

    if (!meet.ClubsAsParameters) {
        RowInserter clubs(db, QStringLiteral("Club Name Table"),
                          {QStringLiteral("Meet code"), QStringLiteral("Club Code"),
                           QStringLiteral("Club Name")});
        for (const Core::GalaClub &club : g.Clubs)
            clubs.Insert({code, club.Code, club.Name});
    }

    RowInserter parameters(db, QStringLiteral("Parameter Table"),
                           {QStringLiteral("Meet code"), QStringLiteral("Parameter Order"),
                            QStringLiteral("Key Word"), QStringLiteral("Parameter")});
    for (qsizetype i = 0; i < meet.Parameters.size(); ++i) {
        const MeetParameter &parameter = meet.Parameters.at(i);
        parameters.Insert({code, int(i + 1), parameter.KeyWord, parameter.Parameter});
    }
    transaction.Commit();
}

bool AddMeetFromFile(const QString &dbPath, const QString &galaFile, const QString &code,
                     ImportMessages &messages, QString *summary)
{
    const QString fileName = QFileInfo(galaFile).fileName();
    QList<NumberedLine> lines;
    QString fault;
    if (!ReadNumberedLines(galaFile, lines, &fault)) {
        messages.Errors.append(PrintableText(fileName, MaxMeetPathLength) + QStringLiteral(": ") +
                               (fault.isEmpty() ? QStringLiteral("cannot read the file") : fault));
        return false;
    }

    QString meetCode = code;
    if (meetCode.isEmpty()) {
        meetCode = DefaultMeetCode(galaFile);
        if (meetCode.isEmpty()) {
            messages.Errors.append(
                fileName + QStringLiteral(": no meet code can be made from the file name; give "
                                          "one with --code"));
            return false;
        }
    } else if (!IsValidMeetCode(meetCode)) {
        messages.Errors.append(QStringLiteral("meet code \"%1\" is not valid: use 1 to %2 letters "
                                              "and digits")
                                   .arg(meetCode)
                                   .arg(MaxMeetCodeLength));
        return false;
    }

    MeetDefinition meet;
    if (!ParseMeetLines(fileName, lines, meet, messages))
        return false;

    try {
        Database db;
        db.Open(dbPath);
        CheckMeetDatabase(db);
        WriteMeet(db, meetCode, meet);
    } catch (const DbError &error) {
        messages.Errors.append(error.Message());
        return false;
    }

    if (summary) {
        const Core::GalaState &g = meet.Gala;
        *summary = QStringLiteral("Added meet %1 (%2): %3 groups, %4 events, %5 clubs, %6 "
                                  "parameters")
                       .arg(meetCode, g.GalaName)
                       .arg(g.GroupCount())
                       .arg(g.EventCount())
                       .arg(meet.ClubsAsParameters ? 0 : g.ClubTotal())
                       .arg(meet.Parameters.size());
    }
    return true;
}

QList<MeetListing> ListMeets(Database &db)
{
    QHash<QString, int> entrants;
    {
        QSqlQuery query(db.Connection());
        if (!query.exec(QStringLiteral("SELECT \"Meet code\", COUNT(*) FROM \"Entrant Table\" "
                                       "GROUP BY \"Meet code\"")))
            Fail(QStringLiteral("Cannot read \"Entrant Table\""), query.lastError());
        while (query.next())
            entrants.insert(query.value(0).toString(), query.value(1).toInt());
    }

    QList<MeetListEntry> meets;
    std::unique_ptr<RecordSet> rs = db.OpenTable(QStringLiteral("Meet Table"));
    for (rs->MoveFirst(); !rs->Eof(); rs->MoveNext()) {
        meets.append({rs->Text(QStringLiteral("Meet code")), rs->Text(QStringLiteral("Meet Name")),
                      rs->Text(QStringLiteral("Meet Date"))});
    }
    SortMeetsNewestFirst(meets);

    QList<MeetListing> listing;
    listing.reserve(meets.size());
    for (const MeetListEntry &meet : std::as_const(meets))
        listing.append({meet.Code, DbDateText(meet.Date), meet.Name, entrants.value(meet.Code)});
    return listing;
}

QString MeetListingLine(const MeetListing &meet)
{
    // The texts come from the file: a crafted one must not reach a terminal as it stands.
    return QStringList{PrintableText(meet.Code, MaxMeetCodeLength),
                       PrintableText(meet.Date, MaxMeetTextLength),
                       PrintableText(meet.Name, MaxMeetNameLength), QString::number(meet.Entrants)}
        .join(u'\t');
}

} // namespace MeetDb
