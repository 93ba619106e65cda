#include "meetdb/keywords.h"

#include <algorithm>
#include <cmath>
#include <optional>

#include <QFile>
#include <QLatin1String>
#include <QStringDecoder>

#include "core/galastate.h"
#include "core/prompts.h"
#include "core/textutil.h"
#include "core/timeutil.h"

namespace MeetDb {

using Core::GalaState;

namespace {

// Keywords that copy their value unchanged into a text field, and the longest value each takes.
struct TextKeyword
{
    QLatin1String Keyword;
    QString GalaState::*Field;
    int MaxLength;
};

constexpr TextKeyword TextKeywords[] = {
    {QLatin1String("address"), &GalaState::AddressDb, MaxMeetPathLength},
    {QLatin1String("aoeonline"), &GalaState::AoeOnline, MaxMeetTextLength},
    {QLatin1String("clubscores"), &GalaState::ClubScores, MaxMeetTextLength},
    {QLatin1String("exportdir"), &GalaState::ExportDir, MaxMeetPathLength},
    {QLatin1String("galadir"), &GalaState::GalaDir, MaxMeetPathLength},
    {QLatin1String("galaname"), &GalaState::GalaName, MaxMeetNameLength},
    {QLatin1String("galatype"), &GalaState::GalaType, MaxMeetTextLength},
    {QLatin1String("galatitle"), &GalaState::GalaTitle, MaxMeetTextLength},
    {QLatin1String("lastentries"), &GalaState::LastEntries, MaxMeetTextLength},
    {QLatin1String("lastyear"), &GalaState::LastYear, MaxMeetTextLength},
    {QLatin1String("promoter"), &GalaState::Promoter, MaxMeetTextLength},
    {QLatin1String("qualdate"), &GalaState::QualDate, MaxMeetTextLength},
    {QLatin1String("qualstart"), &GalaState::QualStart, MaxMeetTextLength},
    {QLatin1String("qualend"), &GalaState::QualEnd, MaxMeetTextLength},
    {QLatin1String("resultseq"), &GalaState::ResultSeq, MaxMeetTextLength},
    {QLatin1String("session"), &GalaState::SessionTitle, MaxMeetTextLength},
    {QLatin1String("workdir"), &GalaState::WorkDir, MaxMeetPathLength},
    {QLatin1String("webstyle"), &GalaState::WebStyle, MaxMeetTextLength},
    {QLatin1String("webclass"), &GalaState::WebClass, MaxMeetTextLength},
};

// The keywords handled one by one below, with the longest value each takes: a list keyword may
// hold up to MaxWords words.
struct SpecialKeyword
{
    QLatin1String Keyword;
    int MaxLength;
};

constexpr int MaxListLength = 10000;

constexpr SpecialKeyword SpecialKeywords[] = {
    {QLatin1String("announcer"), MaxMeetPathLength},
    {QLatin1String("aoe"), MaxMeetTextLength},
    {QLatin1String("carddate"), MaxMeetTextLength},
    {QLatin1String("club"), MaxListLength},
    {QLatin1String("combine"), MaxListLength},
    {QLatin1String("defaultstroke"), MaxMeetTextLength},
    {QLatin1String("event"), MaxListLength},
    {QLatin1String("eventprintno"), MaxMeetTextLength},
    {QLatin1String("finallanes"), MaxMeetTextLength},
    {QLatin1String("firstlane"), MaxMeetTextLength},
    {QLatin1String("galadate"), MaxMeetTextLength},
    {QLatin1String("group"), MaxListLength},
    {QLatin1String("inhibitstroke"), MaxMeetTextLength},
    {QLatin1String("lanes"), MaxMeetTextLength},
    {QLatin1String("mandevents"), MaxListLength},
    {QLatin1String("seedgroup"), MaxMeetTextLength},
    {QLatin1String("seeding"), MaxMeetTextLength},
    {QLatin1String("splitlastheats"), MaxMeetTextLength},
    {QLatin1String("swimheats"), MaxListLength},
    {QLatin1String("warn"), MaxWarnLength},
    {QLatin1String("wwwdir"), MaxMeetPathLength},
};

// Flags that a "TRUE" line switches on and any other value leaves alone, so that a database
// field that already set them stays set.
struct FlagKeyword
{
    QLatin1String Keyword;
    bool GalaState::*Field;
};

constexpr FlagKeyword OnFlagKeywords[] = {
    {QLatin1String("2times"), &GalaState::TwoTimes},
    {QLatin1String("agegroups"), &GalaState::AgeGroups},
    {QLatin1String("allheats"), &GalaState::AllHeats},
};

// Flags that every line sets: true for "TRUE", false for anything else.
constexpr FlagKeyword SetFlagKeywords[] = {
    {QLatin1String("altclubcode"), &GalaState::AltClubCode},
    {QLatin1String("gb"), &GalaState::GbMeet},
    {QLatin1String("graded"), &GalaState::Graded},
    {QLatin1String("hdw"), &GalaState::Hdw},
    {QLatin1String("junior"), &GalaState::Junior},
    {QLatin1String("mailing"), &GalaState::Mailing},
    {QLatin1String("onecard"), &GalaState::OneCard},
    {QLatin1String("print1column"), &GalaState::Print1Column},
    {QLatin1String("printbagpoints"), &GalaState::PrintBagPoints},
    {QLatin1String("printsplits"), &GalaState::PrintSplits},
    {QLatin1String("printtimes"), &GalaState::PrintTimes},
    {QLatin1String("prognotes"), &GalaState::ProgNotes},
    {QLatin1String("qualperiod"), &GalaState::QualPeriod},
    {QLatin1String("renumber"), &GalaState::Renumber},
};

// Whole-number keywords and the values they take. A value outside the range is refused with a
// message: a negative reserve or a split interval of 0 would break the meet day far from here.
struct IntKeyword
{
    QLatin1String Keyword;
    int GalaState::*Field;
    int Min;
    int Max;
};

constexpr int MaxReserves = 99;
constexpr int MaxEntries = 32767; // the entry limit of one event

constexpr IntKeyword IntKeywords[] = {
    {QLatin1String("clubcount"), &GalaState::ClubCount, 0, 10000},
    {QLatin1String("heatreserves"), &GalaState::HeatReserves, 0, MaxReserves},
    {QLatin1String("finalreserves"), &GalaState::FinalReserves, 0, MaxReserves},
    {QLatin1String("splitinterval"), &GalaState::SplitInterval, 1, MaxDistance},
};

// The value as a whole number from `min` to `max` (blanks around it allowed), else nullopt.
std::optional<int> WholeValue(QStringView text, int min, int max)
{
    text = text.trimmed();
    const bool negative = text.startsWith(u'-');
    const QStringView digits = negative ? text.sliced(1) : text;
    if (digits.isEmpty() || digits.size() > 9 ||
        std::any_of(digits.cbegin(), digits.cend(), [](QChar c) { return c < u'0' || c > u'9'; }))
        return std::nullopt;
    const int number = negative ? -digits.toInt() : digits.toInt();
    if (number < min || number > max)
        return std::nullopt;
    return number;
}

bool IsTrue(const QString &value)
{
    return value == QLatin1String("TRUE");
}

// The leading number of the text, rounded and kept within the signed 16-bit range the meet
// files use for counts; 0 when the text holds no number.
int IntValue(QStringView text)
{
    const double number = Core::LeadingNumber(text);
    if (!std::isfinite(number))
        return 0;
    return int(std::clamp(std::round(number), -32768.0, 32767.0));
}

// Event lines come in two forms: words separated by blanks, or fields separated by commas. The
// comma form is positional, so an empty field keeps its place (",," is an empty date, which
// means the gala date) and blanks around a field are dropped.
QStringList EventWords(const QString &value)
{
    if (!value.contains(u','))
        return Core::SplitWords(value);
    QStringList words = value.split(u',');
    if (words.size() > Core::MaxWords)
        words.resize(Core::MaxWords);
    for (QString &word : words)
        word = word.trimmed();
    return words;
}

bool IsSex(const QString &sex)
{
    return sex == QLatin1String("M") || sex == QLatin1String("F") || sex == QLatin1String("X");
}

bool IsGroupOf(const GalaState &gala, const QString &name)
{
    return std::any_of(gala.Groups.cbegin(), gala.Groups.cend(),
                       [&name](const Core::GalaGroup &group) { return group.GroupName == name; });
}

// Why the words of an event line cannot make an event, "" when they can. An event that no
// swimmer can be entered in (an unknown group or sex) or that cannot be printed is refused here
// rather than found on the day.
QString EventFault(const GalaState &gala, const QStringList &words)
{
    const bool complete =
        words.size() >= 5 && std::none_of(words.cbegin(), words.cbegin() + 5,
                                          [](const QString &w) { return w.isEmpty(); });
    if (!complete)
        return QStringLiteral("needs number, sex, group, distance and stroke");
    for (const QString &word : words) {
        const QString fault = Core::TextFault(word, MaxMeetTextLength);
        if (!fault.isEmpty())
            return QStringLiteral("a field ") + fault;
    }
    // The blank form of the line, which a "Select" gala's events are written back in, splits at
    // blanks: a number with one inside would come back as another event.
    if (words[0].contains(u' '))
        return QStringLiteral("number \"%1\" holds a blank").arg(PrintableText(words[0]));
    if (!IsSex(words[1]))
        return QStringLiteral("sex \"%1\" is not M, F or X").arg(PrintableText(words[1]));
    if (!IsGroupOf(gala, words[2]))
        return QStringLiteral("group \"%1\" has no group line before it")
            .arg(PrintableText(words[2]));
    if (DistanceMetres(words[3]) == 0)
        return QStringLiteral("distance \"%1\" is not a whole number of metres from 1 to %2")
            .arg(PrintableText(words[3]))
            .arg(MaxDistance);
    if (Core::StrokeCodeIndex(words[4]) < 0)
        return QStringLiteral("stroke \"%1\" is not a stroke code").arg(PrintableText(words[4]));
    for (qsizetype i = 6; i < words.size(); ++i) {
        if (words[i].startsWith(u'M') &&
            !WholeValue(QStringView(words[i]).sliced(1), 0, MaxEntries))
            return QStringLiteral("entry limit \"%1\" is not M and a whole number from 0 to %2")
                .arg(PrintableText(words[i]))
                .arg(MaxEntries);
    }
    return {};
}

void ApplyEventLine(GalaState &gala, const QString &value, Core::Prompts &prompts,
                    const QString &where)
{
    const QStringList words = EventWords(value);
    if (const QString fault = EventFault(gala, words); !fault.isEmpty()) {
        prompts.Message(
            where +
            QStringLiteral("Event line ignored (%1): event=%2").arg(fault, PrintableText(value)));
        return;
    }

    Core::GalaEvent event;
    event.EvNumber = words[0];
    event.EvPrintNumber = words[0];
    event.EvSequence = gala.EventCount() + 1;
    event.EvSex = words[1];
    event.EvGroup = words[2];
    event.EvDistance = words[3];
    event.EvStroke = words[4];
    // The gala date as it stands at this line: a later galadate line does not move it.
    event.EvDate = words.value(5);
    if (event.EvDate.isEmpty())
        event.EvDate = gala.GalaDate;

    for (qsizetype i = 6; i < words.size(); ++i) {
        const QString &option = words[i];
        if (option.isEmpty())
            continue;
        const QString optionValue = option.mid(1);
        switch (option.at(0).unicode()) {
        case u'T':
            event.EvLimitTime = Core::TimeToSeconds(optionValue);
            break;
        case u'F':
            event.EvFinalEvent = optionValue;
            break;
        case u'N':
            event.EvNote = optionValue;
            break;
        case u'B':
            event.EvBcpAge = optionValue;
            break;
        case u'M':
            event.EvMaxEntries = WholeValue(optionValue, 0, MaxEntries).value_or(0);
            break;
        case u'S':
            event.EvSponsor = optionValue;
            break;
        default:
            break;
        }
    }
    AppendEvent(gala, event, prompts);
}

void ApplyGroupLine(GalaState &gala, const QString &value, Core::Prompts &prompts,
                    const QString &where)
{
    const QStringList words = Core::SplitWords(value);
    QString fault;
    if (words.size() < 2)
        fault = QStringLiteral("needs name and description");
    for (qsizetype i = 0; i < words.size() && fault.isEmpty(); ++i) {
        if (const QString wordFault = Core::TextFault(words[i], MaxMeetTextLength);
            !wordFault.isEmpty())
            fault = QStringLiteral("a word ") + wordFault;
    }
    if (!fault.isEmpty()) {
        prompts.Message(
            where +
            QStringLiteral("Group line ignored (%1): group=%2").arg(fault, PrintableText(value)));
        return;
    }
    Core::GalaGroup group;
    group.GroupName = words[0];
    group.GroupDescription = words[1];
    group.GroupPrint = words.size() >= 3 ? words[2] : words[1];
    group.GroupCombinePrint = words.size() >= 4 ? words.mid(3).join(u' ') : words[1];
    AppendGroup(gala, group, prompts);
}

void AppendWords(QStringList &list, const QStringList &words, int capacity)
{
    for (const QString &word : words) {
        if (list.size() >= capacity)
            return;
        list.append(word);
    }
}

// Keywords whose effect is more than copying the value into one field. Returns false for a
// keyword it does not know.
bool ApplySpecialKeyword(GalaState &gala, const QString &keyword, const QString &value,
                         Core::Prompts &prompts, const QString &where)
{
    if (keyword == QLatin1String("event")) {
        ApplyEventLine(gala, value, prompts, where);
    } else if (keyword == QLatin1String("group")) {
        ApplyGroupLine(gala, value, prompts, where);
    } else if (keyword == QLatin1String("club")) {
        if (gala.ClubCount == 0) {
            prompts.Message(QStringLiteral("Must include clubcount"));
            return true;
        }
        const qsizetype blank = value.indexOf(u' ');
        if (blank < 0)
            return true;
        const Core::GalaClub club{Core::ClubCode(value.left(blank)), value.mid(blank + 1)};
        if (const QString fault = ClubFault(club.Code, club.Name); !fault.isEmpty())
            prompts.Message(
                where +
                QStringLiteral("Club line ignored (%1): club=%2").arg(fault, PrintableText(value)));
        else
            AppendClub(gala, club);
    } else if (keyword == QLatin1String("combine")) {
        AddCombination(gala, Core::SplitWords(value), prompts);
    } else if (keyword == QLatin1String("lanes") || keyword == QLatin1String("finallanes")) {
        const int lanes = IntValue(value);
        if (lanes < Core::MinLanes || lanes > Core::MaxLanes) {
            prompts.Message(QStringLiteral("Lanes paramater invalid"));
            return true;
        }
        (keyword == QLatin1String("lanes") ? gala.Lanes : gala.FinalLanes) = lanes;
    } else if (keyword == QLatin1String("firstlane")) {
        const QString lane = value.trimmed();
        if (lane != QLatin1String("0") && lane != QLatin1String("1"))
            prompts.Message(QStringLiteral("First lane paramater invalid: %1 (0 or 1)")
                                .arg(PrintableText(value)));
        else
            gala.FirstLane = lane.toInt();
    } else if (keyword == QLatin1String("seeding")) {
        if (!Core::SeedingFromName(value, gala.Seeding))
            prompts.Message(
                QStringLiteral("Seeding paramater invalid: %1 (club, standard or circle)")
                    .arg(PrintableText(value)));
    } else if (keyword == QLatin1String("galadate")) {
        gala.GalaDate = value;
        gala.GalaDateText = value;
    } else if (keyword == QLatin1String("carddate")) {
        if (value == QLatin1String("DOB") || value == QLatin1String("dob"))
            gala.CardDate = QStringLiteral("DOB");
        else if (value == QLatin1String("YOB") || value == QLatin1String("yob") ||
                 value == QLatin1String("AGE") || value == QLatin1String("age"))
            gala.CardDate = value;
        else
            prompts.Message(QStringLiteral("Invalid entry card date of birth option"));
    } else if (keyword == QLatin1String("announcer")) {
        if (!value.isEmpty()) {
            gala.AnnouncerOn = true;
            gala.AnnouncerDb = value;
        }
    } else if (keyword == QLatin1String("aoe")) {
        if (BooleanText(value))
            gala.Aoe = true;
    } else if (keyword == QLatin1String("splitlastheats")) {
        if (BooleanText(value))
            gala.SplitLastHeats = true;
    } else if (keyword == QLatin1String("defaultstroke") ||
               keyword == QLatin1String("inhibitstroke")) {
        const int stroke = Core::StrokeCodeIndex(value);
        if (stroke >= 0)
            gala.StrokeFlag[stroke] = keyword == QLatin1String("defaultstroke") ? 2 : 0;
    } else if (keyword == QLatin1String("eventprintno")) {
        if (gala.Events.isEmpty()) {
            prompts.Message(QStringLiteral("Must enter event first"));
            return true;
        }
        // Both words are needed: a blank print number would leave the event unprintable.
        const QStringList words = Core::SplitWords(value);
        if (words.size() < 2)
            return true;
        for (Core::GalaEvent &event : gala.Events) {
            if (event.EvNumber == words[0])
                event.EvPrintNumber = words[1];
        }
    } else if (keyword == QLatin1String("mandevents")) {
        AppendWords(gala.MandEvents, Core::SplitWords(value), Core::MaxMandEvents);
    } else if (keyword == QLatin1String("swimheats")) {
        const QStringList words = Core::SplitWords(value);
        if (words.isEmpty())
            prompts.Message(QStringLiteral("No heats on swimheats parameter"));
        else
            AppendWords(gala.SwimHeats, words, Core::MaxSwimHeats);
    } else if (keyword == QLatin1String("seedgroup")) {
        if (gala.SeedGroups.size() >= Core::MaxSeedGroups)
            prompts.Message(QStringLiteral("Too many groups to seed"));
        else
            gala.SeedGroups.append(value);
    } else if (keyword == QLatin1String("warn")) {
        prompts.Message(value);
    } else if (keyword == QLatin1String("wwwdir")) {
        gala.WwwDir = QLatin1Char('\\') + value;
    } else {
        return false;
    }
    return true;
}

void ApplyLine(GalaState &gala, const QString &keyword, const QString &value,
               Core::Prompts &prompts, const QString &where)
{
    for (const TextKeyword &k : TextKeywords) {
        if (keyword == k.Keyword) {
            gala.*k.Field = value;
            return;
        }
    }
    for (const FlagKeyword &k : OnFlagKeywords) {
        if (keyword == k.Keyword) {
            if (IsTrue(value))
                gala.*k.Field = true;
            return;
        }
    }
    for (const FlagKeyword &k : SetFlagKeywords) {
        if (keyword == k.Keyword) {
            gala.*k.Field = IsTrue(value);
            return;
        }
    }
    for (const IntKeyword &k : IntKeywords) {
        if (keyword == k.Keyword) {
            if (const std::optional<int> number = WholeValue(value, k.Min, k.Max)) {
                gala.*k.Field = *number;
                // A new club count sizes the table afresh, as if no club had been read.
                if (k.Field == &GalaState::ClubCount)
                    gala.Clubs.clear();
            } else {
                prompts.Message(where + QStringLiteral("%1 value \"%2\" is not a whole number "
                                                       "from %3 to %4: line ignored")
                                            .arg(keyword, PrintableText(value))
                                            .arg(k.Min)
                                            .arg(k.Max));
            }
            return;
        }
    }
    ApplySpecialKeyword(gala, keyword, value, prompts, where); // unknown keywords: unheard
}

// The longest value `keyword` takes, or -1 when it is not a keyword of the table.
int ValueLimit(QStringView keyword)
{
    for (const TextKeyword &k : TextKeywords) {
        if (keyword == k.Keyword)
            return k.MaxLength;
    }
    for (const SpecialKeyword &k : SpecialKeywords) {
        if (keyword == k.Keyword)
            return k.MaxLength;
    }
    for (const FlagKeyword &k : OnFlagKeywords) {
        if (keyword == k.Keyword)
            return MaxMeetTextLength;
    }
    for (const FlagKeyword &k : SetFlagKeywords) {
        if (keyword == k.Keyword)
            return MaxMeetTextLength;
    }
    for (const IntKeyword &k : IntKeywords) {
        if (keyword == k.Keyword)
            return MaxMeetTextLength;
    }
    return -1;
}

QString Where(const ParamSource &source, qsizetype index)
{
    if (source.Name.isEmpty())
        return {};
    if (source.LineNumbers.isEmpty())
        return QStringLiteral("%1 %2: ").arg(source.Name).arg(index + 1);
    return QStringLiteral("%1:%2: ").arg(source.Name).arg(source.LineNumbers.value(index));
}

} // namespace

QString PrintableText(QStringView text, int maxLength)
{
    const bool cut = text.size() > maxLength;
    QString out;
    out.reserve(std::min<qsizetype>(text.size(), maxLength) + 8);
    for (const QChar c : text.first(std::min<qsizetype>(text.size(), maxLength))) {
        if (c.category() == QChar::Other_Control)
            out += QStringLiteral("\\x%1").arg(c.unicode(), 2, 16, QLatin1Char('0'));
        else
            out += c;
    }
    if (cut)
        out += QStringLiteral("...");
    return out;
}

QString ClubCodeFault(QStringView code)
{
    if (code.isEmpty())
        return QStringLiteral("the code is empty");
    if (code.contains(u' '))
        return QStringLiteral("the code holds a blank");
    return Core::TextLimitFault(code, MaxClubCodeLength, QStringLiteral("the code"));
}

QString ClubNameFault(QStringView name)
{
    if (name.trimmed().isEmpty())
        return QStringLiteral("the name is empty");
    return Core::TextLimitFault(name, MaxMeetTextLength, QStringLiteral("the name"));
}

QString ClubFault(QStringView code, QStringView name)
{
    const QString fault = ClubCodeFault(code);
    return fault.isEmpty() ? ClubNameFault(name) : fault;
}

int DistanceMetres(QStringView text)
{
    // Digits alone: no blanks, no sign.
    if (text.isEmpty() || !text.front().isDigit() || !text.back().isDigit())
        return 0;
    return WholeValue(text, 1, MaxDistance).value_or(0);
}

bool IsKeyword(QStringView keyword)
{
    return keyword == QLatin1String("End") || ValueLimit(keyword) >= 0;
}

bool HasKeywordLine(const QStringList &lines)
{
    return std::any_of(lines.cbegin(), lines.cend(), [](const QString &line) {
        const qsizetype equals = line.indexOf(u'=');
        return equals > 0 && IsKeyword(QStringView(line).first(equals));
    });
}

bool ReadGalaParamFile(const QString &path, QStringList &lines, QList<int> *lineNumbers,
                       QString *fault)
{
    lines.clear();
    if (lineNumbers)
        lineNumbers->clear();
    if (fault)
        fault->clear();
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    auto refuse = [fault](const QString &reason) {
        if (fault)
            *fault = reason;
        return false;
    };
    if (file.size() > MaxGalaFileSize)
        return refuse(QStringLiteral("the file is larger than %1 MB: it is not a gala parameter "
                                     "file")
                          .arg(MaxGalaFileSize / (1024 * 1024)));
    const QByteArray bytes = file.read(MaxGalaFileSize + 1);
    if (bytes.size() > MaxGalaFileSize)
        return refuse(QStringLiteral("the file is larger than %1 MB: it is not a gala parameter "
                                     "file")
                          .arg(MaxGalaFileSize / (1024 * 1024)));

    // UTF-16 text read as bytes would turn every other character into a NUL; say what it is
    // instead of guessing. A NUL anywhere else means the file is not text at all.
    if (bytes.startsWith("\xFF\xFE") || bytes.startsWith("\xFE\xFF"))
        return refuse(QStringLiteral("the file is UTF-16 text: save it as UTF-8 (or ANSI) text"));
    if (const qsizetype nul = bytes.indexOf('\0'); nul >= 0) {
        const int line = int(bytes.left(nul).count('\n')) + 1;
        return refuse(QStringLiteral("line %1 holds a NUL byte: the file is UTF-16 or not text "
                                     "at all")
                          .arg(line));
    }

    // Files typed on older systems are often Latin-1; a valid UTF-8 file is read as such.
    QStringDecoder utf8(QStringDecoder::Utf8);
    QString text = utf8.decode(bytes);
    if (utf8.hasError())
        text = QString::fromLatin1(bytes);
    if (text.startsWith(QChar(0xFEFF)))
        text.remove(0, 1);

    QStringList raw = text.split(u'\n');
    if (!raw.isEmpty() && raw.last().isEmpty())
        raw.removeLast(); // the piece after the final line ending
    for (qsizetype i = 0; i < raw.size(); ++i) {
        QString &line = raw[i];
        if (line.endsWith(u'\r'))
            line.chop(1);
        if (line.startsWith(u'#'))
            continue;
        lines.append(line);
        if (lineNumbers)
            lineNumbers->append(int(i + 1));
    }
    return true;
}

void ApplyParamLines(GalaState &gala, const QStringList &lines, Core::Prompts &prompts,
                     const ParamSource &source)
{
    for (qsizetype i = 0; i < lines.size(); ++i) {
        const QString &line = lines[i];
        const qsizetype equals = line.indexOf(u'=');
        if (equals < 0)
            continue;
        const QString keyword = line.left(equals);
        if (keyword == QLatin1String("End"))
            return;
        const int limit = ValueLimit(keyword);
        if (limit < 0)
            continue; // unknown keywords are skipped silently
        const QString value = line.mid(equals + 1);
        const QString where = Where(source, i);
        if (const QString fault = Core::TextFault(value, limit); !fault.isEmpty()) {
            prompts.Message(where +
                            QStringLiteral("%1 value %2: line ignored").arg(keyword, fault));
            continue;
        }
        ApplyLine(gala, keyword, value, prompts, where);
    }
}

void AddCombination(GalaState &gala, const QStringList &events, Core::Prompts &prompts)
{
    if (gala.CombineCount() >= Core::MaxCombinations) {
        prompts.Message(QStringLiteral("Too Many 'combine' Parameters"));
        return;
    }
    if (events.size() > Core::MaxCombineEvents) {
        prompts.Message(QStringLiteral("Too Many 'combined' events"));
        return;
    }
    if (events.size() < 2) {
        prompts.Message(QStringLiteral("Need 2 events for 'combine'"));
        return;
    }
    gala.Combinations.append(events);
}

bool AppendEvent(GalaState &gala, const Core::GalaEvent &event, Core::Prompts &prompts)
{
    if (gala.EventCount() >= Core::MaxEvents) {
        prompts.Message(QStringLiteral("Too many events, event %1 ignored").arg(event.EvNumber));
        return false;
    }
    gala.Events.append(event);
    return true;
}

bool AppendGroup(GalaState &gala, const Core::GalaGroup &group, Core::Prompts &prompts)
{
    if (gala.GroupCount() >= Core::MaxGroups) {
        prompts.Message(QStringLiteral("Too many groups, group %1 ignored").arg(group.GroupName));
        return false;
    }
    gala.Groups.append(group);
    return true;
}

bool AppendClub(GalaState &gala, const Core::GalaClub &club)
{
    if (gala.ClubTotal() >= gala.ClubCount)
        return false;
    gala.Clubs.append(club);
    return true;
}

bool BooleanText(const QString &text)
{
    const QString word = text.trimmed();
    if (word.compare(QLatin1String("true"), Qt::CaseInsensitive) == 0)
        return true;
    if (word.compare(QLatin1String("false"), Qt::CaseInsensitive) == 0)
        return false;
    bool isNumber = false;
    const double number = word.toDouble(&isNumber);
    return isNumber && std::isfinite(number) && number != 0;
}

} // namespace MeetDb
