#include "core/sysparams.h"

#include <algorithm>
#include <cfloat>
#include <cmath>
#include <utility>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QIODevice>
#include <QLatin1String>
#include <QStringList>

#include "core/prompts.h"
#include "core/textutil.h"
#include "core/timeutil.h"

namespace Core {
namespace {

const QString FullMode = QStringLiteral("Full");
const QString SimpleMode = QStringLiteral("Simple");

// Keywords whose value is simply kept as text.
struct TextKeyword
{
    QLatin1String Name;
    QString SystemSettings::*Field;
};

const TextKeyword TextKeywords[] = {
    {QLatin1String("pbfile"), &SystemSettings::PbFile},
    {QLatin1String("records"), &SystemSettings::RecordsFile},
    {QLatin1String("relayrecs"), &SystemSettings::RelayRecs},
    {QLatin1String("relayyear"), &SystemSettings::RelayYear},
    {QLatin1String("relaypbs"), &SystemSettings::RelayPbs},
    {QLatin1String("logdir"), &SystemSettings::LogDir},
    {QLatin1String("pfdir"), &SystemSettings::PfDir},
    {QLatin1String("recauditdir"), &SystemSettings::RecAuditDir},
    {QLatin1String("ybauditdir"), &SystemSettings::YbAuditDir},
    {QLatin1String("regent"), &SystemSettings::RegentDrive},
    {QLatin1String("printer"), &SystemSettings::PrinterName},
    {QLatin1String("pbprintoption"), &SystemSettings::PbPrintOption},
    {QLatin1String("breaststroke"), &SystemSettings::StrokeBR},
    {QLatin1String("backstroke"), &SystemSettings::StrokeBK},
    {QLatin1String("butterfly"), &SystemSettings::StrokeFLY},
    {QLatin1String("freestyle"), &SystemSettings::StrokeFS},
    {QLatin1String("medley"), &SystemSettings::StrokeMED},
    {QLatin1String("clubname"), &SystemSettings::ClubName},
    {QLatin1String("pool"), &SystemSettings::PoolLength},
    {QLatin1String("gbgl"), &SystemSettings::Gbgl},
    {QLatin1String("gbgs"), &SystemSettings::Gbgs},
    {QLatin1String("gbbl"), &SystemSettings::Gbbl},
    {QLatin1String("gbbs"), &SystemSettings::Gbbs},
    {QLatin1String("baggl"), &SystemSettings::Baggl},
    {QLatin1String("baggs"), &SystemSettings::Baggs},
    {QLatin1String("bagbl"), &SystemSettings::Bagbl},
    {QLatin1String("bagbs"), &SystemSettings::Bagbs},
    {QLatin1String("announcerdb"), &SystemSettings::AnnouncerDb},
    {QLatin1String("aresdb"), &SystemSettings::AresDb},
    {QLatin1String("galarecdb"), &SystemSettings::GalaRecDb},
};

struct IntKeyword
{
    QLatin1String Name;
    int SystemSettings::*Field;
};

const IntKeyword IntKeywords[] = {
    {QLatin1String("pfstart"), &SystemSettings::PfStart},
    {QLatin1String("pfend"), &SystemSettings::PfEnd},
    {QLatin1String("baglowage"), &SystemSettings::BagLowAge},
    {QLatin1String("baghighage"), &SystemSettings::BagHighAge},
};

// Keywords whose words are appended to a list; words beyond the limit are dropped silently.
struct ListKeyword
{
    QLatin1String Name;
    QStringList SystemSettings::*Field;
    int Limit;
};

const ListKeyword ListKeywords[] = {
    {QLatin1String("pballstrokes"), &SystemSettings::PbAllStrokeDist, MaxPbAllStrokeDist},
    {QLatin1String("pbfreestyle"), &SystemSettings::PbFreestyleDist, MaxPbFreestyleDist},
    {QLatin1String("pbmedley"), &SystemSettings::PbMedleyDist, MaxPbMedleyDist},
    {QLatin1String("recallstrokes"), &SystemSettings::RecAllStrokeDist, MaxPbAllStrokeDist},
    {QLatin1String("recfreestyle"), &SystemSettings::RecFreestyleDist, MaxPbFreestyleDist},
    {QLatin1String("recmedley"), &SystemSettings::RecMedleyDist, MaxPbMedleyDist},
    {QLatin1String("recages"), &SystemSettings::RecAges, MaxRecAges},
};

// Counts in these files are 16-bit: a number is its leading number, cut to its whole part and
// held within that range so that a damaged value cannot overflow.
int ParamInt(QStringView text)
{
    const double value = LeadingNumber(text);
    if (std::isnan(value))
        return 0;
    return int(std::trunc(std::fmin(std::fmax(value, -32768.0), 32767.0)));
}

float ParamNumber(QStringView text)
{
    const double value = LeadingNumber(text);
    if (std::isnan(value))
        return 0.0f;
    return float(std::fmin(std::fmax(value, -double(FLT_MAX)), double(FLT_MAX)));
}

class SystemParamApplier
{
public:
    SystemParamApplier(SystemSettings &settings, Prompts &prompts)
        : m_settings(settings)
        , m_prompts(prompts)
    {}

    void Apply(const ParamLineReader &line);

private:
    void AppendWords(QStringList &list, const QStringList &words, int limit);
    void DbFile(const ParamLineReader &line);
    void GalaFile(const ParamLineReader &line);
    void BagTime(const QStringList &words);
    void AsaDist(const QStringList &words);
    void AsaGrade(const QStringList &words);
    void AsaBadge(const QStringList &words);
    void Squad(const QStringList &words);
    void NatamarDb(const ParamLineReader &line);
    void Dist50(const QStringList &words);
    void Conv50(const QStringList &words);

    SystemSettings &m_settings;
    Prompts &m_prompts;
    // The Dist50 row that 50conv lines extend; -1 before the first 50dist and after a 50dist
    // that found the table full, so that its conversions do not land in another row.
    qsizetype m_dist50Row = -1;
};

void SystemParamApplier::Apply(const ParamLineReader &line)
{
    const QString &keyword = line.ParamKeyword;
    const QStringList &words = line.Words;

    for (const TextKeyword &text : TextKeywords) {
        if (keyword == text.Name) {
            m_settings.*text.Field = line.ParamValue;
            return;
        }
    }
    for (const IntKeyword &number : IntKeywords) {
        if (keyword == number.Name) {
            m_settings.*number.Field = ParamInt(line.ParamValue);
            return;
        }
    }
    for (const ListKeyword &list : ListKeywords) {
        if (keyword == list.Name) {
            AppendWords(m_settings.*list.Field, words, list.Limit);
            return;
        }
    }

    if (keyword == QLatin1String("dbfile")) {
        DbFile(line);
    } else if (keyword == QLatin1String("galafile")) {
        GalaFile(line);
    } else if (keyword == QLatin1String("bagpoints")) {
        m_settings.BagPoints.clear();
        for (const QString &word : words)
            m_settings.BagPoints.append(ParamInt(word));
    } else if (keyword == QLatin1String("bagmax")) {
        m_settings.BagMax = ParamInt(line.ParamValue);
        m_settings.BagTable.clear();
    } else if (keyword == QLatin1String("bagtime")) {
        BagTime(words);
    } else if (keyword == QLatin1String("asadist")) {
        AsaDist(words);
    } else if (keyword == QLatin1String("asagrade")) {
        AsaGrade(words);
    } else if (keyword == QLatin1String("asa")) {
        AsaBadge(words);
    } else if (keyword == QLatin1String("squad")) {
        Squad(words);
    } else if (keyword == QLatin1String("natamardb")) {
        NatamarDb(line);
    } else if (keyword == QLatin1String("50dist")) {
        Dist50(words);
    } else if (keyword == QLatin1String("50conv")) {
        Conv50(words);
    }
}

void SystemParamApplier::AppendWords(QStringList &list, const QStringList &words, int limit)
{
    for (const QString &word : words) {
        if (list.size() >= limit)
            return;
        list.append(word);
    }
}

void SystemParamApplier::DbFile(const ParamLineReader &line)
{
    // The last value given is the personal-best database in use even when the list is full.
    m_settings.DbFile = line.ParamValue;
    if (m_settings.DbFiles.size() >= MaxDbFiles) {
        m_prompts.Message(QStringLiteral("Too Many DB Files"));
        return;
    }
    m_settings.DbFiles.append(line.ParamValue);
}

void SystemParamApplier::GalaFile(const ParamLineReader &line)
{
    // Split like every other word list, so empty fields are dropped: "name,,path" is a pair.
    const QStringList fields = SplitWords(line.ParamValue, u",");
    if (fields.size() != 2) {
        m_prompts.Message(QStringLiteral("Invalid Galafile Parameter"));
        return;
    }
    if (m_settings.GalaFileNames.size() >= MaxGalaFiles) {
        m_prompts.Message(QStringLiteral("Too many gala files"));
        m_settings.GalaFileNames.last() = fields[0];
        m_settings.GalaFilePaths.last() = fields[1];
        return;
    }
    m_settings.GalaFileNames.append(fields[0]);
    m_settings.GalaFilePaths.append(fields[1]);
}

void SystemParamApplier::BagTime(const QStringList &words)
{
    if (m_settings.BagMax <= 0 || m_settings.BagPoints.isEmpty()) {
        m_prompts.Message(QStringLiteral("BAG points array not defined"));
        return;
    }
    if (m_settings.BagTable.size() >= m_settings.BagMax) {
        m_prompts.Message(QStringLiteral("BAG Table full"));
        return;
    }
    // Missing words read as empty texts and zero times, as a short row in the file means.
    BagRow row;
    row.Text1 = words.value(0);
    row.Int1 = ParamInt(words.value(1));
    row.Int2 = ParamInt(words.value(2));
    row.Text2 = words.value(3);
    row.Times.reserve(m_settings.BagPoints.size());
    for (qsizetype i = 0; i < m_settings.BagPoints.size(); ++i)
        row.Times.append(ParamNumber(words.value(4 + i)));
    m_settings.BagTable.append(row);
}

void SystemParamApplier::AsaDist(const QStringList &words)
{
    if (words.size() != 2) {
        m_prompts.Message(QStringLiteral("Invalid Asa Distance Parameter"));
        return;
    }
    if (m_settings.AsaDist.size() >= MaxAsaDist) {
        m_prompts.Message(QStringLiteral("Too Many Asa Distances"));
        return;
    }
    m_settings.AsaDist.append({words[0], words[1]});
}

void SystemParamApplier::AsaGrade(const QStringList &words)
{
    if (words.size() != 8) {
        m_prompts.Message(QStringLiteral("Incorrect ASA Grade Parameter"));
        return;
    }
    // Four times per line: a line is refused once it could take the table past its size.
    if (m_settings.AsaGradeTimes.size() > MaxAsaGradeTimes - 4) {
        m_prompts.Message(QStringLiteral("Too many Asa Grade Times"));
        return;
    }
    for (int i = 4; i < 8; ++i)
        m_settings.AsaGradeTimes.append(TimeToSeconds(words[i]));
}

void SystemParamApplier::AsaBadge(const QStringList &words)
{
    if (words.size() != 5) {
        m_prompts.Message(QStringLiteral("Incorrect ASA Badge Time Parameter"));
        return;
    }
    if (m_settings.AsaBadgeTimes.size() > MaxAsaBadgeTimes - 3) {
        m_prompts.Message(QStringLiteral("Too many ASA times"));
        return;
    }
    for (int i = 2; i < 5; ++i)
        m_settings.AsaBadgeTimes.append(TimeToSeconds(words[i]));
}

void SystemParamApplier::Squad(const QStringList &words)
{
    if (m_settings.Squads.size() >= MaxSquads) {
        m_prompts.Message(QStringLiteral("Too Many Squad Parameters"));
        return;
    }
    m_settings.Squads.append({words.value(0), words.value(1)});
}

void SystemParamApplier::NatamarDb(const ParamLineReader &line)
{
    // As with dbfile, the last value given is the meet database in use even when the list is
    // full; the database choice window treats a 101st database the same way.
    m_settings.NatamarDb = line.ParamValue;
    if (m_settings.NatamarDbFiles.size() >= MaxNatamarDbFiles) {
        m_prompts.Message(QStringLiteral("Too Many Natamar Files"));
        return;
    }
    m_settings.NatamarDbFiles.append(line.ParamValue);
}

void SystemParamApplier::Dist50(const QStringList &words)
{
    if (m_settings.Dist50.size() >= MaxDist50Rows) {
        m_dist50Row = -1;
        return;
    }
    Dist50Row row;
    row.Word1 = words.value(0);
    row.Word2 = words.value(1);
    m_settings.Dist50.append(row);
    m_dist50Row = m_settings.Dist50.size() - 1;
}

void SystemParamApplier::Conv50(const QStringList &words)
{
    if (m_dist50Row < 0)
        return;
    Dist50Row &row = m_settings.Dist50[m_dist50Row];
    if (row.Times.size() >= MaxDist50Conv)
        return;
    row.Times.append(TimeToSeconds(words.value(0)));
    row.Numbers.append(words.value(1));
}

// The first `limit` bytes of a file as a device of their own, so the reader sees a file that ends
// there. Buffered, unlike a QBuffer, so that line reading scans a block at a time.
class FileHead : public QIODevice
{
public:
    FileHead(QFile &file, qint64 limit)
        : m_file(file)
        , m_left(limit)
    {}

    bool isSequential() const override { return true; }

protected:
    qint64 readData(char *data, qint64 maxSize) override
    {
        const qint64 read = m_file.read(data, std::min(maxSize, m_left));
        if (read > 0)
            m_left -= read;
        return read;
    }
    qint64 writeData(const char *, qint64) override { return -1; }

private:
    QFile &m_file;
    qint64 m_left;
};

void ReadParamFile(const QString &path, SystemSettings &settings, Prompts &prompts)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Unbuffered))
        return;
    FileHead head(file, MaxSystemParamBytes);
    head.open(QIODevice::ReadOnly);

    ParamLineReader reader(head);
    SystemParamApplier applier(settings, prompts);
    while (reader.ReadParamLine(prompts))
        applier.Apply(reader);
}

void SetSimpleMode(const QString &dir, SystemSettings &settings)
{
    settings.PbSystemMode = SimpleMode;

    const QDir programDir(dir);
    QString pbDatabase = QStringLiteral("NONE");
    for (const char *name : {"pbsys.mdb", "zarnpb.mdb"}) {
        const QString candidate = programDir.filePath(QLatin1String(name));
        if (FileExists(candidate)) {
            pbDatabase = candidate;
            break;
        }
    }
    settings.DbFile = pbDatabase;
    settings.DbFiles = QStringList{pbDatabase};

    const QStringList allStrokes{QStringLiteral("25"), QStringLiteral("50"), QStringLiteral("100"),
                                 QStringLiteral("200")};
    const QStringList freestyle{QStringLiteral("400"), QStringLiteral("800"),
                                QStringLiteral("1500")};
    const QStringList medley{QStringLiteral("100"), QStringLiteral("200"), QStringLiteral("400")};
    settings.PbAllStrokeDist = allStrokes;
    settings.PbFreestyleDist = freestyle;
    settings.PbMedleyDist = medley;
    settings.RecAllStrokeDist = allStrokes;
    settings.RecFreestyleDist = freestyle;
    settings.RecMedleyDist = medley;
    settings.RecAges = QStringList{QStringLiteral("8"),  QStringLiteral("9"),  QStringLiteral("10"),
                                   QStringLiteral("11"), QStringLiteral("12"), QStringLiteral("13"),
                                   QStringLiteral("14"), QStringLiteral("15"), QStringLiteral("16"),
                                   QStringLiteral("17"), QStringLiteral("Op")};
}

// The personal-best columns: every all-stroke distance in the four strokes, then the
// freestyle-only distances, then the medley distances. Member records and entry checks find an
// event by its position in this list, so the order is part of the data format.
void BuildPbEventLabel(SystemSettings &settings)
{
    QList<PbEvent> &events = settings.PbEventLabel;
    events.clear();
    auto add = [&events](const QString &distance, const QString &stroke) {
        events.append({distance + u'/' + stroke, distance, stroke});
    };
    for (const QString &distance : std::as_const(settings.PbAllStrokeDist)) {
        add(distance, settings.StrokeFS);
        add(distance, settings.StrokeBR);
        add(distance, settings.StrokeBK);
        add(distance, settings.StrokeFLY);
    }
    for (const QString &distance : std::as_const(settings.PbFreestyleDist))
        add(distance, settings.StrokeFS);
    for (const QString &distance : std::as_const(settings.PbMedleyDist))
        add(distance, settings.StrokeMED);
}

} // namespace

void ReadSystemParams(const QString &programDir, SystemSettings &settings, Prompts &prompts)
{
    ReadSystemParamsFile(QDir(programDir).filePath(SystemParamFileName), settings, prompts);
}

void ReadSystemParamsFile(const QString &path, SystemSettings &settings, Prompts &prompts)
{
    settings = SystemSettings();
    settings.PbSystemMode = FullMode;

    if (FileExists(path))
        ReadParamFile(path, settings, prompts);
    else
        SetSimpleMode(QFileInfo(path).absolutePath(), settings);

    BuildPbEventLabel(settings);
    const qsizetype recordEvents = 4 * settings.RecAllStrokeDist.size() +
                                   settings.RecFreestyleDist.size() + settings.RecMedleyDist.size();
    settings.RecordsTableSize = int(2 * recordEvents * settings.RecAges.size());

    // Warnings only: the program starts without the badge and grade tables complete.
    if (settings.PbSystemMode == FullMode) {
        if (settings.AsaBadgeTimes.size() != MaxAsaBadgeTimes)
            prompts.Message(QStringLiteral("ASA Badge Times Incorrect"));
        if (settings.AsaGradeTimes.size() != MaxAsaGradeTimes)
            prompts.Message(QStringLiteral("ASA Grade Times Incorrect"));
    }
}

} // namespace Core
