#pragma once

#include <array>
#include <cstdint>

#include <QList>
#include <QString>
#include <QStringList>

/*
 * The state of the competition that is currently selected, and the codes every subsystem shares.
 *
 * Only the competition load resets and fills a GalaState; everything else reads it (the meet-day
 * commands also move NextCompetitorNumber and the club table on). Tables keep the capacities the
 * meet files are written for: appending past a capacity is refused by the code that appends, with
 * the message the load gives for it, so a table never grows beyond its limit.
 *
 * Flags are plain bools in memory; the -1/0 and #TRUE#/#FALSE# spellings belong to the file
 * writers.
 */
namespace Core {

// Capacities of the gala tables.
inline constexpr int MaxEvents = 1000;
inline constexpr int MaxGroups = 20;
inline constexpr int DefaultClubCount = 500;
inline constexpr int MaxCombinations = 200;
inline constexpr int MaxCombineEvents = 20;
inline constexpr int MaxMandEvents = 1000;
inline constexpr int MaxSwimHeats = 1000;
inline constexpr int MaxSeedGroups = 10;
// Pool widths the heats are made for.
inline constexpr int MinLanes = 4;
inline constexpr int MaxLanes = 10;

// Gala kinds.
inline const QString GalaInternal = QStringLiteral("Internal");
inline const QString GalaChamps = QStringLiteral("Champs");
inline const QString GalaGraded = QStringLiteral("Graded");
inline const QString GalaMasters = QStringLiteral("Masters");
inline const QString GalaOpen = QStringLiteral("Open");
inline const QString GalaSelect = QStringLiteral("Select");

// Member galas take their swimmers from the member database; open galas ("Open", "Masters")
// take swimmers of any club typed in by hand.
bool IsMemberGala(const QString &galaType);
bool IsOpenGala(const QString &galaType);

// Stroke codes, in the order of the stroke switches.
inline constexpr int StrokeCodeCount = 11;
extern const std::array<QString, StrokeCodeCount> StrokeCodes; // FS FSS BR BK FLY MED FSR ...
// Index into StrokeCodes, or -1 for an unknown code.
int StrokeCodeIndex(const QString &code);
// The printed name of a stroke code ("Freestyle", "Breast Relay" ...); "" for an unknown code.
QString StrokeName(const QString &code);
// The printed heading word of an event sex: "Boys" for "M", "Girls" for "F", else the text.
QString SexHeading(const QString &sex);

struct GalaEvent
{
    QString EvNumber;
    int EvSequence = 0;
    QString EvPrintNumber;
    QString EvSex;
    QString EvGroup;
    QString EvDistance;
    QString EvStroke;
    QString EvDate;
    float EvLimitTime = 0; // seconds, 0 = no limit
    QString EvFinalEvent;
    int EvSession = 0;
    QString EvNote;
    QString EvSponsor;
    QString EvMeetSpecific;
    QString EvBcpAge;
    int EvMaxEntries = 0; // 0 = no limit
    QString EvPrintGroup;
    QString EvType;
    bool EvSelected = false;
};

struct GalaGroup
{
    QString GroupName;
    QString GroupDescription;
    QString GroupPrint;        // printed heading; the description unless given
    QString GroupCombinePrint; // heading when groups are combined; the description unless given
};

// How the swimmers of an event are put into heats and lanes: the club's own long-standing rule,
// timed-final seeding (fastest heat last), or circle seeding of preliminaries.
enum class SeedingMethod { Club, Standard, Circle };

// "club", "standard" or "circle": the keyword's value and what the windows show.
QString SeedingName(SeedingMethod method);
// The method named by `text` (any case, blanks around it ignored); false when it names none.
bool SeedingFromName(const QString &text, SeedingMethod &method);

struct GalaClub
{
    QString Code;
    QString Name;
};

struct GalaState
{
    // Meet details.
    QString GalaName;
    QString GalaType;
    QString GalaTitle;
    QString Promoter;
    QString GalaDate;
    QString GalaDateText;
    QString QualDate;
    int Lanes = 5;
    int FinalLanes = 0;
    // The number on the first lane: 1, or 0 in pools numbered from 0. Heats and the files keep
    // lanes as positions 1..Lanes; what is printed, shown or exported is PrintedLane.
    int FirstLane = 1;
    SeedingMethod Seeding = SeedingMethod::Club;
    bool AgeGroups = false;
    bool Hdw = false;
    bool ProgNotes = true;
    bool Aoe = false;
    QString AoeOnline;
    bool AnnouncerOn = false;
    QString AnnouncerDb;
    bool Junior = false;
    QString ClubScores;
    QString WwwDir;
    bool OneCard = false;
    bool AllHeats = false;
    bool MeetSpecific = false;
    bool PrintTimes = false;
    bool SplitLastHeats = false;
    int NextCompetitorNumber = 1;
    bool MultiSession = false;
    int SessionNumber = 0;
    QString SessionTitle;
    QString WebStyle;
    QString WebClass;
    QString WebHeader;
    QString WebFooter;
    QString GalaDir;
    QString WorkDir;
    QString ExportDir;
    QString LastEntries;
    QString LastYear;
    bool Mailing = false;
    int HeatReserves = 0;
    int FinalReserves = 2;
    bool Graded = false;
    bool GbMeet = false;
    bool PrintSplits = false;
    bool Print1Column = false;
    bool PrintBagPoints = false;
    bool QualPeriod = false;
    QString QualStart;
    QString QualEnd;
    bool EntryDateCheck = false;
    bool Renumber = false;
    QString ResultSeq;
    int SplitInterval = 50;
    QString CardDate;
    bool TwoTimes = false;
    QString AddressDb;
    bool AltClubCode = false;
    std::array<int, StrokeCodeCount> StrokeFlag{1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1};

    // Tables. Their size is the count (EventCount, GroupCount, ClubTotal ...).
    QList<GalaEvent> Events;          // at most MaxEvents
    QList<GalaGroup> Groups;          // at most MaxGroups
    int ClubCount = DefaultClubCount; // capacity of the club table
    QList<GalaClub> Clubs;            // at most ClubCount (ClubTotal = Clubs.size())
    // Each 2 to MaxCombineEvents event numbers, at most MaxCombinations.
    QList<QStringList> Combinations;
    QStringList MandEvents; // at most MaxMandEvents
    QStringList SwimHeats;  // at most MaxSwimHeats
    QStringList SeedGroups; // at most MaxSeedGroups

    // Meet database selection. The open handle itself belongs to the meet database layer.
    bool MeetDbOpen = false;
    QString MeetDbPath;
    bool UseMeetDb = false;
    QString MeetCode;
    float DbVersion = 0;
    QString GalaParamFile;
    QString ProgramMode;

    int EventCount() const { return int(Events.size()); }
    int GroupCount() const { return int(Groups.size()); }
    int ClubTotal() const { return int(Clubs.size()); }
    int CombineCount() const { return int(Combinations.size()); }

    // The 0-based index of the event with this number, or -1.
    int FindEvent(const QString &evNumber) const;
    // The 0-based index of the club with this code in any case ("dunw" finds DUNW), or -1.
    int FindClub(const QString &code) const;
};

// A club code as it is stored everywhere: without surrounding blanks and in capitals, so that
// "dunw" typed in any window or read from any file is the club DUNW.
QString ClubCode(const QString &typed);

// The reset at the start of every competition load: every field back to its default, except
// GalaDate, QualDate and PrintTimes, which keep the previous load's values until the new source
// sets them, and the meet database selection (MeetDbOpen, MeetDbPath, UseMeetDb, GalaParamFile,
// ProgramMode), which the load manages itself.
void ResetGalaState(GalaState &gala);

class Prompts;

// The end of a load: WorkDir from GalaDir, the GalaType switches (an unknown kind gives
// "Internal Gala Assumed" and becomes "Internal"), the "Gala date not set" warning, FinalLanes
// from Lanes and EntryDateCheck.
void FinishGalaLoad(GalaState &gala, Prompts &prompts);

// The lane number the officials see for the lane at `position` (1 = the first lane).
inline int PrintedLane(const GalaState &gala, int position)
{
    return position - 1 + gala.FirstLane;
}

} // namespace Core
