#include "lenex/lenexfile.h"

#include <cmath>
#include <functional>

#include <QBuffer>
#include <QFile>
#include <QFileInfo>
#include <QIODevice>
#include <QLocale>
#include <QSaveFile>
#include <QXmlStreamReader>
#include <QXmlStreamWriter>

#include <quazip.h>
#include <quazipfile.h>
#include <quazipfileinfo.h>
#include <quazipnewinfo.h>

#include "core/filesync.h"
#include "core/timeutil.h"

namespace Lenex {

namespace {

// Lenex itself nests 13 deep at most (a relay swimmer's pool under MEETINFO); deeper XML is
// made to exhaust a reader.
constexpr int MaxDepth = 32;
// A big meet's results hold a few hundred thousand items; the cap keeps a crafted file of tiny
// elements from growing the document past what the machine can hold.
constexpr int MaxItems = 1'000'000;
// Bytes taken from a file or a zip member at a time, each counted against MaxLenexBytes.
constexpr qint64 ChunkBytes = 64 * 1024;
// A zip holds the .lef and perhaps a few files beside it; thousands of members are not a Lenex
// file, and each would be listed.
constexpr int MaxZipMembers = 1000;

const QString NoTime = QStringLiteral("NT");

bool IsDigit(QChar c)
{
    return c >= u'0' && c <= u'9';
}

bool IsSwimTime(QStringView text)
{
    return text == NoTime || SwimTimeHundredths(text).has_value();
}

// ---------------------------------------------------------------------------------------------
// Reading the bytes

enum class Capped { Whole, TooBig, Failed };

// Reads `device` whole in chunks, stopping as soon as more than MaxLenexBytes have come: a zip
// member's header may claim any size, so only the bytes actually delivered are counted. `bytes`
// is left empty unless the read is whole.
Capped ReadCapped(QIODevice &device, QByteArray &bytes)
{
    bytes.clear();
    if (!device.isSequential())
        bytes.reserve(qsizetype(qMin(device.size(), MaxLenexBytes) + 1));
    for (;;) {
        const qint64 room = MaxLenexBytes - bytes.size() + 1;
        const qsizetype before = bytes.size();
        bytes.resize(before + qsizetype(qMin(ChunkBytes, room)));
        const qint64 got = device.read(bytes.data() + before, bytes.size() - before);
        bytes.resize(before + qsizetype(qMax<qint64>(got, 0)));
        if (got < 0 || bytes.size() > MaxLenexBytes) {
            bytes.clear();
            return got < 0 ? Capped::Failed : Capped::TooBig;
        }
        if (got == 0)
            return Capped::Whole;
    }
}

QString TooBig(const QString &what)
{
    return QStringLiteral("%1 holds more than %2 MB of Lenex XML, which no meet needs; it is not "
                          "read")
        .arg(what)
        .arg(MaxLenexBytes / (1024 * 1024));
}

// A member name that would leave the folder it is unpacked into.
bool LeavesArchive(const QString &name)
{
    if (name.startsWith(u'/') || name.startsWith(u'\\') ||
        (name.size() >= 2 && name[1] == u':' && name[0].isLetter()))
        return true;
    const QStringList parts = QString(name).replace(u'\\', u'/').split(u'/');
    return parts.contains(QStringLiteral(".."));
}

// The one ".lef" member of the zip `device`, read with the byte cap.
bool ReadZipMember(QIODevice &device, const QString &path, QByteArray &xml, QString &error)
{
    QuaZip zip(&device);
    if (!zip.open(QuaZip::mdUnzip)) {
        error = QStringLiteral("%1 is a damaged or incomplete zip archive and cannot be read")
                    .arg(path);
        return false;
    }
    int lenexMember = 0;
    QString lenexName;
    int lenexCount = 0;
    int members = 0;
    for (bool more = zip.goToFirstFile(); more; more = zip.goToNextFile()) {
        if (++members > MaxZipMembers) {
            error = QStringLiteral("%1 holds more than %2 files; a Lenex archive holds one .lef")
                        .arg(path)
                        .arg(MaxZipMembers);
            return false;
        }
        const QString name = zip.getCurrentFileName();
        if (LeavesArchive(name)) {
            error = QStringLiteral("%1 holds the file \"%2\", whose path leaves the archive; the "
                                   "archive is not read")
                        .arg(path, name);
            return false;
        }
        if (name.endsWith(u'/') || !name.endsWith(QStringLiteral(".lef"), Qt::CaseInsensitive))
            continue;
        ++lenexCount;
        lenexName = name;
        lenexMember = members;
    }
    if (zip.getZipError() != UNZ_OK) {
        error = QStringLiteral("%1 is a damaged zip archive: its list of files cannot be read")
                    .arg(path);
        return false;
    }
    if (lenexCount != 1) {
        error = lenexCount == 0 ? QStringLiteral("%1 holds no Lenex file (.lef)").arg(path)
                                : QStringLiteral("%1 holds %2 Lenex files (.lef); one is expected")
                                      .arg(path)
                                      .arg(lenexCount);
        return false;
    }
    zip.goToFirstFile();
    for (int at = 1; at < lenexMember; ++at)
        zip.goToNextFile();
    const QString what = QStringLiteral("%1 (%2)").arg(path, lenexName);
    const QString damaged = QStringLiteral("%1 is damaged and cannot be unpacked").arg(what);
    QuaZipFileInfo64 info;
    if (!zip.getCurrentFileInfo(&info)) {
        error = damaged;
        return false;
    }
    if (info.isEncrypted()) {
        error = QStringLiteral("%1 is protected by a password and cannot be unpacked").arg(what);
        return false;
    }
    // Only stored and deflated members are read, as Lenex programs write them.
    if (info.method != 0 && info.method != Z_DEFLATED) {
        error = QStringLiteral("%1 is packed in a way this program does not read (method %2)")
                    .arg(what)
                    .arg(info.method);
        return false;
    }
    QuaZipFile member(&zip);
    if (!member.open(QIODevice::ReadOnly)) {
        error = damaged;
        return false;
    }
    const Capped read = ReadCapped(member, xml);
    if (read != Capped::Whole) {
        error = read == Capped::TooBig ? TooBig(what) : damaged;
        return false;
    }
    member.close();
    if (member.getZipError() != UNZ_OK) {
        xml.clear();
        error = QStringLiteral("%1 is damaged: its contents do not match the archive's check sum")
                    .arg(what);
        return false;
    }
    return true;
}

// ---------------------------------------------------------------------------------------------
// Parsing

// Reads a Lenex document from XML with QXmlStreamReader, one element at a time. Every token
// passes through Next(), which refuses what a Lenex file never holds (a DTD, an entity reference,
// nesting past MaxDepth), so that skipped elements are checked as strictly as read ones.
class Parser
{
public:
    Parser(const QByteArray &xml, const QString &name)
        : m_xml(xml)
        , m_name(name)
    {}

    bool Read(Document &document);
    QString Error() const { return m_error; }

private:
    bool Fail(const QString &what);
    bool Next();
    bool Skip();
    // Walks the children of the element just started: `read` is called at each child's start
    // tag and must consume the child through its end tag.
    bool Children(const std::function<bool(QStringView)> &read);
    // The children named `item` each counted against MaxItems and given to `read`; others
    // skipped.
    bool Items(QStringView item, const std::function<bool()> &read);
    bool Counted();

    QString Text(const char *attribute) const;
    bool Number(const char *attribute, int &value);
    bool Date(const char *attribute, QDate &value);
    bool SwimTime(const char *attribute, QString &value);
    QString NotA(const char *attribute, const QString &expected);
    bool Typed(const char *attribute, const QString &expected,
               const std::function<bool(QStringView)> &parse);

    bool ReadMeet(Meet &meet);
    bool ReadPool(Meet &meet);
    bool ReadSession(Session &session, Meet &meet, bool &poolGiven);
    bool ReadEvent(Event &event);
    bool ReadAgeGroup(AgeGroup &group);
    bool ReadHeat(Heat &heat);
    bool ReadClub(Club &club);
    bool ReadAthlete(Athlete &athlete);
    bool ReadRelay(Relay &relay);
    bool ReadEntry(Entry &entry);
    bool ReadResult(Result &result);
    bool ReadSwims(QList<Entry> &entries, QList<Result> &results);

    QXmlStreamReader m_xml;
    QString m_name;
    QString m_error;
    int m_depth = 0;
    int m_items = 0;
};

bool Parser::Fail(const QString &what)
{
    if (m_error.isEmpty())
        m_error = QStringLiteral("%1, line %2: %3").arg(m_name).arg(m_xml.lineNumber()).arg(what);
    return false;
}

bool Parser::Next()
{
    if (!m_error.isEmpty())
        return false;
    switch (m_xml.readNext()) {
    case QXmlStreamReader::Invalid:
        if (m_xml.error() == QXmlStreamReader::PrematureEndOfDocumentError)
            return Fail(QStringLiteral("the file ends before its Lenex document does; it may "
                                       "have been cut short"));
        return Fail(QStringLiteral("the XML is damaged: %1").arg(m_xml.errorString()));
    case QXmlStreamReader::DTD:
        return Fail(QStringLiteral("the file holds a document type definition (DTD), which a "
                                   "Lenex file never has; it is not read"));
    case QXmlStreamReader::EntityReference:
        return Fail(QStringLiteral("the file refers to the entity \"&%1;\", which a Lenex file "
                                   "never does; it is not read")
                        .arg(m_xml.name()));
    case QXmlStreamReader::StartElement:
        if (++m_depth > MaxDepth)
            return Fail(QStringLiteral("elements are nested more than %1 deep, which a Lenex "
                                       "file never is; it is not read")
                            .arg(MaxDepth));
        return true;
    case QXmlStreamReader::EndElement:
        --m_depth;
        return true;
    default:
        return true;
    }
}

bool Parser::Skip()
{
    const int level = m_depth;
    while (m_depth >= level) {
        if (!Next())
            return false;
    }
    return true;
}

bool Parser::Children(const std::function<bool(QStringView)> &read)
{
    const int level = m_depth;
    for (;;) {
        if (!Next())
            return false;
        if (m_depth < level)
            return true;
        if (m_xml.tokenType() == QXmlStreamReader::StartElement && !read(m_xml.name()))
            return false;
    }
}

bool Parser::Items(QStringView item, const std::function<bool()> &read)
{
    return Children([&](QStringView name) { return name == item ? Counted() && read() : Skip(); });
}

bool Parser::Counted()
{
    if (++m_items > MaxItems)
        return Fail(QStringLiteral("the file holds more than %1 events, clubs, athletes, "
                                   "entries and results, far more than any meet; it is not read")
                        .arg(QLocale(QLocale::English).toString(MaxItems)));
    return true;
}

QString Parser::Text(const char *attribute) const
{
    return m_xml.attributes().value(QLatin1StringView(attribute)).toString();
}

// "ELEMENT attribute=\"value\" is not <expected>", the value cut short when it is long.
QString Parser::NotA(const char *attribute, const QString &expected)
{
    QString value = Text(attribute);
    if (value.size() > 40)
        value = value.left(40) + QStringLiteral("...");
    return QStringLiteral("%1 %2=\"%3\" is not %4")
        .arg(m_xml.name(), QLatin1StringView(attribute), value, expected);
}

// Each typed attribute is left as it was when the element does not give it; a value that
// `parse` refuses fails the read with a message naming the element, attribute and line.
bool Parser::Typed(const char *attribute, const QString &expected,
                   const std::function<bool(QStringView)> &parse)
{
    const QXmlStreamAttributes attributes = m_xml.attributes();
    if (!attributes.hasAttribute(QLatin1StringView(attribute)) ||
        parse(attributes.value(QLatin1StringView(attribute))))
        return true;
    return Fail(NotA(attribute, expected));
}

bool Parser::Number(const char *attribute, int &value)
{
    // Lenex numbers are digits with an optional minus: no blanks, no plus sign.
    return Typed(attribute, QStringLiteral("a whole number"), [&value](QStringView text) {
        bool ok = !text.isEmpty();
        for (qsizetype i = 0; ok && i < text.size(); ++i)
            ok = IsDigit(text[i]) || (i == 0 && text[i] == u'-');
        const int number = ok ? text.toInt(&ok) : 0;
        if (ok)
            value = number;
        return ok;
    });
}

bool Parser::Date(const char *attribute, QDate &value)
{
    return Typed(attribute, QStringLiteral("a date (YYYY-MM-DD)"), [&value](QStringView text) {
        bool ok = text.size() == 10;
        for (qsizetype i = 0; ok && i < text.size(); ++i)
            ok = i == 4 || i == 7 ? text[i] == u'-' : IsDigit(text[i]);
        const QDate date =
            ok ? QDate::fromString(text.toString(), QStringLiteral("yyyy-MM-dd")) : QDate();
        if (date.isValid())
            value = date;
        return date.isValid();
    });
}

bool Parser::SwimTime(const char *attribute, QString &value)
{
    return Typed(attribute, QStringLiteral("a swim time (HH:MM:SS.hh or NT)"),
                 [&value](QStringView text) {
                     if (IsSwimTime(text))
                         value = text.toString();
                     return IsSwimTime(text);
                 });
}

bool Parser::Read(Document &document)
{
    while (m_xml.tokenType() != QXmlStreamReader::StartElement) {
        if (!Next()) {
            // An empty file, or text or bytes that are not XML, is simply not Lenex; a DTD or
            // an entity before the root keeps its own message.
            if (m_xml.tokenType() == QXmlStreamReader::Invalid)
                m_error = QStringLiteral("%1 is not a Lenex file").arg(m_name);
            return false;
        }
    }
    if (m_xml.name() != u"LENEX") {
        m_error = QStringLiteral("%1 is not a Lenex file: it holds <%2> where <LENEX> should be")
                      .arg(m_name, m_xml.name());
        return false;
    }
    document.Version = Text("version");
    return Children([&](QStringView name) {
        if (name == u"CONSTRUCTOR") {
            document.GeneratorName = Text("name");
            return Skip();
        }
        if (name == u"MEETS")
            return Items(u"MEET", [&] { return ReadMeet(document.Meets.emplace_back()); });
        return Skip();
    });
}

bool Parser::ReadMeet(Meet &meet)
{
    meet.Name = Text("name");
    meet.City = Text("city");
    meet.Nation = Text("nation");
    meet.Course = Text("course");
    // The pool may be given for the meet or, where it differs, per session; a session's pool
    // stands for the meet only when the meet gives none.
    bool poolGiven = false;
    return Children([&](QStringView name) {
        if (name == u"POOL") {
            poolGiven = true;
            return ReadPool(meet);
        }
        if (name == u"SESSIONS")
            return Items(u"SESSION", [&] {
                return ReadSession(meet.Sessions.emplace_back(), meet, poolGiven);
            });
        if (name == u"CLUBS")
            return Items(u"CLUB", [&] { return ReadClub(meet.Clubs.emplace_back()); });
        return Skip();
    });
}

bool Parser::ReadPool(Meet &meet)
{
    return Number("lanemin", meet.LaneMin) && Number("lanemax", meet.LaneMax) && Skip();
}

bool Parser::ReadSession(Session &session, Meet &meet, bool &poolGiven)
{
    if (!Number("number", session.Number) || !Date("date", session.Date))
        return false;
    session.Name = Text("name");
    return Children([&](QStringView name) {
        if (name == u"POOL" && !poolGiven) {
            poolGiven = true;
            return ReadPool(meet);
        }
        if (name == u"EVENTS")
            return Items(u"EVENT", [&] { return ReadEvent(session.Events.emplace_back()); });
        return Skip();
    });
}

bool Parser::ReadEvent(Event &event)
{
    if (!Number("eventid", event.Id) || !Number("number", event.Number) ||
        !Number("preveventid", event.PreviousEventId))
        return false;
    if (event.PreviousEventId == -1)
        event.PreviousEventId = NoId;
    event.Gender = Text("gender");
    event.Round = Text("round");
    return Children([&](QStringView name) {
        if (name == u"SWIMSTYLE") {
            event.Stroke = Text("stroke");
            return Number("distance", event.Distance) && Number("relaycount", event.RelayCount) &&
                   Skip();
        }
        if (name == u"AGEGROUPS")
            return Items(u"AGEGROUP", [&] { return ReadAgeGroup(event.AgeGroups.emplace_back()); });
        if (name == u"HEATS")
            return Items(u"HEAT", [&] { return ReadHeat(event.Heats.emplace_back()); });
        return Skip();
    });
}

bool Parser::ReadAgeGroup(AgeGroup &group)
{
    group.Gender = Text("gender");
    group.Name = Text("name");
    return Number("agegroupid", group.Id) && Number("agemin", group.AgeMin) &&
           Number("agemax", group.AgeMax) && Skip();
}

bool Parser::ReadHeat(Heat &heat)
{
    return Number("heatid", heat.Id) && Number("number", heat.Number) && Skip();
}

bool Parser::ReadClub(Club &club)
{
    club.Code = Text("code");
    club.Name = Text("name");
    club.Nation = Text("nation");
    return Children([&](QStringView name) {
        if (name == u"ATHLETES")
            return Items(u"ATHLETE", [&] { return ReadAthlete(club.Athletes.emplace_back()); });
        if (name == u"RELAYS")
            return Items(u"RELAY", [&] { return ReadRelay(club.Relays.emplace_back()); });
        return Skip();
    });
}

bool Parser::ReadAthlete(Athlete &athlete)
{
    if (!Number("athleteid", athlete.Id) || !Date("birthdate", athlete.BirthDate))
        return false;
    athlete.FirstName = Text("firstname");
    athlete.LastName = Text("lastname");
    athlete.Gender = Text("gender");
    athlete.License = Text("license");
    return ReadSwims(athlete.Entries, athlete.Results);
}

bool Parser::ReadRelay(Relay &relay)
{
    if (!Number("number", relay.Number) || !Number("agemin", relay.AgeMin) ||
        !Number("agemax", relay.AgeMax))
        return false;
    relay.Gender = Text("gender");
    return ReadSwims(relay.Entries, relay.Results);
}

bool Parser::ReadSwims(QList<Entry> &entries, QList<Result> &results)
{
    return Children([&](QStringView name) {
        if (name == u"ENTRIES")
            return Items(u"ENTRY", [&] { return ReadEntry(entries.emplace_back()); });
        if (name == u"RESULTS")
            return Items(u"RESULT", [&] { return ReadResult(results.emplace_back()); });
        return Skip();
    });
}

bool Parser::ReadEntry(Entry &entry)
{
    entry.Status = Text("status");
    return Number("eventid", entry.EventId) && SwimTime("entrytime", entry.EntryTime) &&
           Number("heatid", entry.HeatId) && Number("lane", entry.Lane) && Skip();
}

bool Parser::ReadResult(Result &result)
{
    result.Status = Text("status");
    return Number("resultid", result.Id) && Number("eventid", result.EventId) &&
           SwimTime("swimtime", result.SwimTime) && Number("heatid", result.HeatId) &&
           Number("lane", result.Lane) && Skip();
}

// ---------------------------------------------------------------------------------------------
// Writing

// Characters XML 1.0 cannot carry at all (control characters other than tab, line feed and
// carriage return, lone surrogates, U+FFFE and U+FFFF) are left out, so that the file always
// reads back.
QString XmlSafe(const QString &text)
{
    QString safe;
    safe.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (c.isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate()) {
            safe += c;
            safe += text[++i];
            continue;
        }
        const char16_t u = c.unicode();
        const bool allowed = (u >= 0x20 || u == u'\t' || u == u'\n' || u == u'\r') &&
                             !c.isSurrogate() && u != 0xFFFE && u != 0xFFFF;
        if (allowed)
            safe += c;
    }
    return safe;
}

class Writer
{
public:
    explicit Writer(QByteArray &out)
        : m_xml(&out)
    {
        m_xml.setAutoFormatting(true);
        m_xml.setAutoFormattingIndent(2);
    }

    void Write(const Document &document);

private:
    // Optional attributes are left out when empty or not given; required ones always written.
    void Text(QStringView name, const QString &value, bool required = false)
    {
        if (required || !value.isEmpty())
            m_xml.writeAttribute(name.toString(), XmlSafe(value));
    }
    void Number(QStringView name, int value)
    {
        m_xml.writeAttribute(name.toString(), QString::number(value));
    }
    void Id(QStringView name, int value)
    {
        if (value != NoId)
            Number(name, value);
    }
    void Date(QStringView name, const QDate &date)
    {
        if (date.isValid())
            Text(name, date.toString(QStringLiteral("yyyy-MM-dd")));
    }
    void Lane(int lane)
    {
        if (lane != NoLane)
            Number(u"lane", lane);
    }

    void WriteMeet(const Meet &meet);
    void WriteEvent(const Event &event);
    void WriteClub(const Club &club);
    void WriteSwims(const QList<Entry> &entries, const QList<Result> &results);

    QXmlStreamWriter m_xml;
};

void Writer::Write(const Document &document)
{
    m_xml.writeStartDocument();
    m_xml.writeStartElement(QStringLiteral("LENEX"));
    Text(u"version", QStringLiteral("3.0"));
    m_xml.writeStartElement(QStringLiteral("CONSTRUCTOR"));
    Text(u"name", QStringLiteral("openmeet"));
    Text(u"registration", QStringLiteral("openmeet"));
    Text(u"version", QStringLiteral(OPENMEET_VERSION));
    m_xml.writeEndElement();
    if (!document.Meets.isEmpty()) {
        m_xml.writeStartElement(QStringLiteral("MEETS"));
        for (const Meet &meet : document.Meets)
            WriteMeet(meet);
        m_xml.writeEndElement();
    }
    m_xml.writeEndElement();
    m_xml.writeEndDocument();
}

void Writer::WriteMeet(const Meet &meet)
{
    m_xml.writeStartElement(QStringLiteral("MEET"));
    Text(u"name", meet.Name, true);
    Text(u"city", meet.City, true);
    Text(u"nation", meet.Nation, true);
    Text(u"course", meet.Course);
    m_xml.writeEmptyElement(QStringLiteral("POOL"));
    Number(u"lanemin", meet.LaneMin);
    Number(u"lanemax", meet.LaneMax);
    m_xml.writeStartElement(QStringLiteral("SESSIONS"));
    for (const Session &session : meet.Sessions) {
        m_xml.writeStartElement(QStringLiteral("SESSION"));
        Number(u"number", session.Number);
        Date(u"date", session.Date);
        Text(u"name", session.Name);
        m_xml.writeStartElement(QStringLiteral("EVENTS"));
        for (const Event &event : session.Events)
            WriteEvent(event);
        m_xml.writeEndElement();
        m_xml.writeEndElement();
    }
    m_xml.writeEndElement();
    if (!meet.Clubs.isEmpty()) {
        m_xml.writeStartElement(QStringLiteral("CLUBS"));
        for (const Club &club : meet.Clubs)
            WriteClub(club);
        m_xml.writeEndElement();
    }
    m_xml.writeEndElement();
}

void Writer::WriteEvent(const Event &event)
{
    m_xml.writeStartElement(QStringLiteral("EVENT"));
    Number(u"eventid", event.Id);
    Number(u"number", event.Number);
    Text(u"gender", event.Gender);
    Text(u"round", event.Round);
    Id(u"preveventid", event.PreviousEventId);
    m_xml.writeEmptyElement(QStringLiteral("SWIMSTYLE"));
    Number(u"distance", event.Distance);
    Number(u"relaycount", event.RelayCount);
    Text(u"stroke", event.Stroke, true);
    if (!event.AgeGroups.isEmpty()) {
        m_xml.writeStartElement(QStringLiteral("AGEGROUPS"));
        for (const AgeGroup &group : event.AgeGroups) {
            m_xml.writeEmptyElement(QStringLiteral("AGEGROUP"));
            Number(u"agegroupid", group.Id);
            Number(u"agemin", group.AgeMin);
            Number(u"agemax", group.AgeMax);
            Text(u"gender", group.Gender);
            Text(u"name", group.Name);
        }
        m_xml.writeEndElement();
    }
    if (!event.Heats.isEmpty()) {
        m_xml.writeStartElement(QStringLiteral("HEATS"));
        for (const Heat &heat : event.Heats) {
            m_xml.writeEmptyElement(QStringLiteral("HEAT"));
            Number(u"heatid", heat.Id);
            Number(u"number", heat.Number);
        }
        m_xml.writeEndElement();
    }
    m_xml.writeEndElement();
}

void Writer::WriteClub(const Club &club)
{
    m_xml.writeStartElement(QStringLiteral("CLUB"));
    Text(u"code", club.Code);
    Text(u"name", club.Name, true);
    Text(u"nation", club.Nation);
    if (!club.Athletes.isEmpty()) {
        m_xml.writeStartElement(QStringLiteral("ATHLETES"));
        for (const Athlete &athlete : club.Athletes) {
            m_xml.writeStartElement(QStringLiteral("ATHLETE"));
            Number(u"athleteid", athlete.Id);
            Text(u"firstname", athlete.FirstName, true);
            Text(u"lastname", athlete.LastName, true);
            Text(u"gender", athlete.Gender, true);
            Date(u"birthdate", athlete.BirthDate);
            Text(u"license", athlete.License);
            WriteSwims(athlete.Entries, athlete.Results);
            m_xml.writeEndElement();
        }
        m_xml.writeEndElement();
    }
    if (!club.Relays.isEmpty()) {
        m_xml.writeStartElement(QStringLiteral("RELAYS"));
        for (const Relay &relay : club.Relays) {
            m_xml.writeStartElement(QStringLiteral("RELAY"));
            if (relay.Number != 0)
                Number(u"number", relay.Number);
            Text(u"gender", relay.Gender, true);
            Number(u"agemin", relay.AgeMin);
            Number(u"agemax", relay.AgeMax);
            WriteSwims(relay.Entries, relay.Results);
            m_xml.writeEndElement();
        }
        m_xml.writeEndElement();
    }
    m_xml.writeEndElement();
}

void Writer::WriteSwims(const QList<Entry> &entries, const QList<Result> &results)
{
    if (!entries.isEmpty()) {
        m_xml.writeStartElement(QStringLiteral("ENTRIES"));
        for (const Entry &entry : entries) {
            m_xml.writeEmptyElement(QStringLiteral("ENTRY"));
            Number(u"eventid", entry.EventId);
            Text(u"entrytime", entry.EntryTime);
            Id(u"heatid", entry.HeatId);
            Lane(entry.Lane);
            Text(u"status", entry.Status);
        }
        m_xml.writeEndElement();
    }
    if (!results.isEmpty()) {
        m_xml.writeStartElement(QStringLiteral("RESULTS"));
        for (const Result &result : results) {
            m_xml.writeEmptyElement(QStringLiteral("RESULT"));
            Number(u"resultid", result.Id);
            Number(u"eventid", result.EventId);
            Text(u"swimtime", result.SwimTime.isEmpty() ? NoTime : result.SwimTime, true);
            Text(u"status", result.Status);
            Id(u"heatid", result.HeatId);
            Lane(result.Lane);
        }
        m_xml.writeEndElement();
    }
}

// The zip archive of an ".lxf": one member, `memberName`, holding `xml`.
bool ZipBytes(const QByteArray &xml, const QString &memberName, QByteArray &zipped)
{
    QBuffer buffer(&zipped);
    QuaZip zip(&buffer);
    zip.setUtf8Enabled(true);
    if (!zip.open(QuaZip::mdCreate))
        return false;
    QuaZipFile member(&zip);
    const bool written = member.open(QIODevice::WriteOnly, QuaZipNewInfo(memberName)) &&
                         member.write(xml) == xml.size();
    member.close();
    const bool memberOk = written && member.getZipError() == ZIP_OK;
    zip.close();
    return memberOk && zip.getZipError() == ZIP_OK;
}

} // namespace

bool ReadLenexFile(const QString &path, Document &document, QString *error)
{
    document = {};
    QString fault;
    QFile file(path);
    QByteArray xml;
    if (!file.open(QIODevice::ReadOnly)) {
        fault = QStringLiteral("%1 cannot be opened: %2").arg(path, file.errorString());
    } else if (file.peek(4) == QByteArray("PK\x05\x06", 4)) {
        // A zip that holds files starts with the first one; this one starts with the end of
        // its (empty) list.
        fault = QStringLiteral("%1 holds no Lenex file (.lef)").arg(path);
    } else if (file.peek(4) == QByteArray("PK\x03\x04", 4)) {
        if (ReadZipMember(file, path, xml, fault))
            return ReadLenexXml(xml, path, document, error);
    } else {
        const Capped read = ReadCapped(file, xml);
        if (read == Capped::Whole)
            return ReadLenexXml(xml, path, document, error);
        fault = read == Capped::TooBig
                    ? TooBig(path)
                    : QStringLiteral("%1 cannot be read: %2").arg(path, file.errorString());
    }
    if (error)
        *error = fault;
    return false;
}

bool ReadLenexXml(const QByteArray &xml, const QString &name, Document &document, QString *error)
{
    document = {};
    if (xml.size() > MaxLenexBytes) {
        if (error)
            *error = TooBig(name);
        return false;
    }
    Parser parser(xml, name);
    if (!parser.Read(document)) {
        document = {};
        if (error)
            *error = parser.Error();
        return false;
    }
    return true;
}

QByteArray LenexXml(const Document &document)
{
    QByteArray out;
    Writer(out).Write(document);
    return out;
}

bool WriteLenexFile(const QString &path, const Document &document, QString *error)
{
    const QFileInfo info(path);
    QByteArray bytes = LenexXml(document);
    if (info.suffix().compare(QStringLiteral("lxf"), Qt::CaseInsensitive) == 0) {
        QByteArray zipped;
        if (!ZipBytes(bytes, info.completeBaseName() + QStringLiteral(".lef"), zipped)) {
            if (error)
                *error =
                    QStringLiteral("Cannot write %1: the zip archive cannot be made").arg(path);
            return false;
        }
        bytes = zipped;
    }
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() ||
        !Core::SyncToDisk(file) || !file.commit()) {
        if (error)
            *error = QStringLiteral("Cannot write %1: %2").arg(path, file.errorString());
        return false;
    }
    Core::SyncFolder(info.absolutePath());
    return true;
}

std::optional<qint64> SwimTimeHundredths(QStringView swimTime)
{
    if (swimTime.size() != 11 || swimTime[2] != u':' || swimTime[5] != u':' || swimTime[8] != u'.')
        return std::nullopt;
    qint64 fields[4] = {};
    for (int field = 0; field < 4; ++field) {
        const QStringView digits = swimTime.mid(field * 3, 2);
        if (!IsDigit(digits[0]) || !IsDigit(digits[1]))
            return std::nullopt;
        fields[field] = (digits[0].unicode() - u'0') * 10 + (digits[1].unicode() - u'0');
    }
    if (fields[1] > 59 || fields[2] > 59)
        return std::nullopt;
    return ((fields[0] * 60 + fields[1]) * 60 + fields[2]) * 100 + fields[3];
}

QString EntryTimeFromSwimTime(const QString &swimTime)
{
    const std::optional<qint64> hundredths = SwimTimeHundredths(swimTime);
    if (!hundredths)
        return {};
    // The meet's own texts hold up to an hour; beyond that (and for zero) there is no time.
    return Core::SecondsToTimeQuiet(float(*hundredths) / 100.0f);
}

QString SwimTimeFromEntryTime(const QString &entryTime)
{
    const QString trimmed = entryTime.trimmed();
    if (trimmed.isEmpty() || trimmed == NoTime || trimmed == QStringLiteral("9:99.99"))
        return NoTime;
    const float seconds = Core::TimeToSeconds(trimmed);
    if (!std::isfinite(seconds) || seconds <= 0)
        return NoTime;
    const qint64 hundredths = std::llround(double(seconds) * 100.0);
    // "HH" has two digits: 100 hours and more cannot be written.
    if (hundredths <= 0 || hundredths >= qint64(100) * 3600 * 100)
        return NoTime;
    const qint64 secondsWhole = hundredths / 100;
    return QStringLiteral("%1:%2:%3.%4")
        .arg(secondsWhole / 3600, 2, 10, QLatin1Char('0'))
        .arg(secondsWhole / 60 % 60, 2, 10, QLatin1Char('0'))
        .arg(secondsWhole % 60, 2, 10, QLatin1Char('0'))
        .arg(hundredths % 100, 2, 10, QLatin1Char('0'));
}

} // namespace Lenex
