#pragma once

#include <QList>
#include <QString>
#include <QStringList>

/*
 * The club-wide settings read once at start-up from pbsystem.ini, beside the program. Only the
 * system parameter reader fills them (ReadSystemParams); the competition source choice also
 * appends to the list of meet databases.
 */
namespace Core {

inline constexpr int MaxDbFiles = 10;
inline constexpr int MaxGalaFiles = 100;
inline constexpr int MaxNatamarDbFiles = 100;
inline constexpr int MaxPbAllStrokeDist = 10;
inline constexpr int MaxPbFreestyleDist = 5;
inline constexpr int MaxPbMedleyDist = 5;
inline constexpr int MaxRecAges = 20;
inline constexpr int MaxAsaDist = 25;
inline constexpr int MaxAsaGradeTimes = 544;
inline constexpr int MaxAsaBadgeTimes = 12;
inline constexpr int MaxSquads = 20;
inline constexpr int MaxDist50Rows = 20;
inline constexpr int MaxDist50Conv = 150;

struct NameValue
{
    QString Name;
    QString Value;
};

// One row of the badge table: a text, two integers, a text, then one time per badge point.
struct BagRow
{
    QString Text1;
    int Int1 = 0;
    int Int2 = 0;
    QString Text2;
    QList<float> Times;
};

// One row of the 50 m conversion table: its two words, then (time, number) pairs.
struct Dist50Row
{
    QString Word1;
    QString Word2;
    QList<float> Times;
    QList<QString> Numbers;
};

// One personal-best event, "distance/stroke".
struct PbEvent
{
    QString Label;
    QString Distance;
    QString Stroke;
};

struct SystemSettings
{
    QString PbSystemMode; // "Full" or "Simple"
    QString PbFile = QStringLiteral("NONE");
    QString DbFile = QStringLiteral("NONE");
    QStringList DbFiles; // at most MaxDbFiles
    QStringList GalaFileNames; // GalaFileCount = size, at most MaxGalaFiles
    QStringList GalaFilePaths;
    QString RecordsFile = QStringLiteral("RECORDS");
    QString RelayRecs = QStringLiteral("FIRST");
    QString RelayYear = QStringLiteral("ALL");
    QString RelayPbs = QStringLiteral("ALL");
    QString LogDir = QStringLiteral("c:\\log");
    QString PfDir = QStringLiteral("c:\\");
    QString RecAuditDir = QStringLiteral("c:\\tmp");
    QString YbAuditDir = QStringLiteral("c:\\tmp");
    QString RegentDrive = QStringLiteral("C:");
    QString PrinterName = QStringLiteral("NONE");
    QString PbPrintOption = QStringLiteral("gala");
    QString StrokeBR = QStringLiteral("BR");
    QString StrokeBK = QStringLiteral("BK");
    QString StrokeFLY = QStringLiteral("FLY");
    QString StrokeFS = QStringLiteral("FS");
    QString StrokeMED = QStringLiteral("MED");
    QString ClubName = QStringLiteral("Velmora");
    QString PoolLength = QStringLiteral("25m");
    int PfStart = 89;
    int PfEnd = 92;
    // The eight badge file texts gbgl, gbgs, gbbl, gbbs, baggl, baggs, bagbl, bagbs.
    QString Gbgl, Gbgs, Gbbl, Gbbs, Baggl, Baggs, Bagbl, Bagbs;
    QList<int> BagPoints;
    int BagMax = 0;
    QList<BagRow> BagTable; // at most BagMax rows
    int BagLowAge = 0;
    int BagHighAge = 0;
    QStringList PbAllStrokeDist;
    QStringList PbFreestyleDist;
    QStringList PbMedleyDist;
    QStringList RecAllStrokeDist;
    QStringList RecFreestyleDist;
    QStringList RecMedleyDist;
    QStringList RecAges;
    QList<NameValue> AsaDist;
    QList<float> AsaGradeTimes;
    QList<float> AsaBadgeTimes;
    QList<NameValue> Squads;
    QString AnnouncerDb;
    QString AresDb;
    QString GalaRecDb;
    QString NatamarDb;
    QStringList NatamarDbFiles; // NatamarDbCount = size, at most MaxNatamarDbFiles
    QList<Dist50Row> Dist50;

    // Built after reading: the personal-best events and the size of the records table.
    QList<PbEvent> PbEventLabel; // PbEventCount = size
    int RecordsTableSize = 0;

    // Print font families, set at start-up.
    QString FontSans;
    QString FontSerif;
    QString FontFixed;
    QString FontScript;

    int GalaFileCount() const { return int(GalaFileNames.size()); }
    int NatamarDbCount() const { return int(NatamarDbFiles.size()); }
    int PbEventCount() const { return int(PbEventLabel.size()); }
};

} // namespace Core
