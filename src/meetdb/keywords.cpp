#include "meetdb/keywords.h"

#include <algorithm>
#include <cmath>

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

// Keywords that copy their value unchanged into a text field.
struct TextKeyword
{
    QLatin1String Keyword;
    QString GalaState::*Field;
};

constexpr TextKeyword TextKeywords[] = {
    {QLatin1String("address"), &GalaState::AddressDb},
    {QLatin1String("aoeonline"), &GalaState::AoeOnline},
    {QLatin1String("clubscores"), &GalaState::ClubScores},
    {QLatin1String("exportdir"), &GalaState::ExportDir},
    {QLatin1String("galadir"), &GalaState::GalaDir},
    {QLatin1String("galaname"), &GalaState::GalaName},
    {QLatin1String("galatype"), &GalaState::GalaType},
    {QLatin1String("galatitle"), &GalaState::GalaTitle},
    {QLatin1String("lastentries"), &GalaState::LastEntries},
    {QLatin1String("lastyear"), &GalaState::LastYear},
    {QLatin1String("promoter"), &GalaState::Promoter},
    {QLatin1String("qualdate"), &GalaState::QualDate},
    {QLatin1String("qualstart"), &GalaState::QualStart},
    {QLatin1String("qualend"), &GalaState::QualEnd},
    {QLatin1String("resultseq"), &GalaState::ResultSeq},
    {QLatin1String("session"), &GalaState::SessionTitle},
    {QLatin1String("workdir"), &GalaState::WorkDir},
    {QLatin1String("webstyle"), &GalaState::WebStyle},
    {QLatin1String("webclass"), &GalaState::WebClass},
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

struct IntKeyword
{
    QLatin1String Keyword;
    int GalaState::*Field;
};

constexpr IntKeyword IntKeywords[] = {
    {QLatin1String("heatreserves"), &GalaState::HeatReserves},
    {QLatin1String("finalreserves"), &GalaState::FinalReserves},
    {QLatin1String("splitinterval"), &GalaState::SplitInterval},
};

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

void ApplyEventLine(GalaState &gala, const QString &value, Core::Prompts &prompts)
{
    const QStringList words = EventWords(value);
    const bool complete =
        words.size() >= 5 && std::none_of(words.cbegin(), words.cbegin() + 5,
                                          [](const QString &w) { return w.isEmpty(); });
    if (!complete) {
        prompts.Message(
            QStringLiteral("Event line ignored (needs number, sex, group, distance and stroke): "
                           "event=%1")
                .arg(value));
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
            event.EvMaxEntries = std::max(0, IntValue(optionValue));
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

void ApplyGroupLine(GalaState &gala, const QString &value, Core::Prompts &prompts)
{
    const QStringList words = Core::SplitWords(value);
    if (words.size() < 2) {
        prompts.Message(
            QStringLiteral("Group line ignored (needs name and description): group=%1").arg(value));
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
                         Core::Prompts &prompts)
{
    if (keyword == QLatin1String("event")) {
        ApplyEventLine(gala, value, prompts);
    } else if (keyword == QLatin1String("group")) {
        ApplyGroupLine(gala, value, prompts);
    } else if (keyword == QLatin1String("club")) {
        if (gala.ClubCount == 0) {
            prompts.Message(QStringLiteral("Must include clubcount"));
            return true;
        }
        const qsizetype blank = value.indexOf(u' ');
        if (blank >= 0)
            AppendClub(gala, Core::GalaClub{value.left(blank), value.mid(blank + 1)});
    } else if (keyword == QLatin1String("clubcount")) {
        gala.ClubCount = std::max(0, IntValue(value));
        gala.Clubs.clear();
    } else if (keyword == QLatin1String("combine")) {
        AddCombination(gala, Core::SplitWords(value), prompts);
    } else if (keyword == QLatin1String("lanes") || keyword == QLatin1String("finallanes")) {
        const int lanes = IntValue(value);
        if (lanes < 4 || lanes > 8) {
            prompts.Message(QStringLiteral("Lanes paramater invalid"));
            return true;
        }
        (keyword == QLatin1String("lanes") ? gala.Lanes : gala.FinalLanes) = lanes;
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
               Core::Prompts &prompts)
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
            gala.*k.Field = IntValue(value);
            return;
        }
    }
    ApplySpecialKeyword(gala, keyword, value, prompts); // unknown keywords fall through unheard
}

} // namespace

bool ReadGalaParamFile(const QString &path, QStringList &lines, QList<int> *lineNumbers)
{
    lines.clear();
    if (lineNumbers)
        lineNumbers->clear();
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    const QByteArray bytes = file.readAll();

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

void ApplyParamLines(GalaState &gala, const QStringList &lines, Core::Prompts &prompts)
{
    for (const QString &line : lines) {
        const qsizetype equals = line.indexOf(u'=');
        if (equals < 0)
            continue;
        const QString keyword = line.left(equals);
        if (keyword == QLatin1String("End"))
            return;
        ApplyLine(gala, keyword, line.mid(equals + 1), prompts);
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
