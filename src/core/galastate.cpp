#include "core/galastate.h"

#include "core/prompts.h"

namespace Core {

QString SeedingName(SeedingMethod method)
{
    switch (method) {
    case SeedingMethod::Standard:
        return QStringLiteral("standard");
    case SeedingMethod::Circle:
        return QStringLiteral("circle");
    case SeedingMethod::Club:
        break;
    }
    return QStringLiteral("club");
}

bool SeedingFromName(const QString &text, SeedingMethod &method)
{
    for (const SeedingMethod m :
         {SeedingMethod::Club, SeedingMethod::Standard, SeedingMethod::Circle}) {
        if (text.trimmed().compare(SeedingName(m), Qt::CaseInsensitive) == 0) {
            method = m;
            return true;
        }
    }
    return false;
}

const std::array<QString, StrokeCodeCount> StrokeCodes = {
    QStringLiteral("FS"),  QStringLiteral("FSS"),  QStringLiteral("BR"),   QStringLiteral("BK"),
    QStringLiteral("FLY"), QStringLiteral("MED"),  QStringLiteral("FSR"),  QStringLiteral("BRR"),
    QStringLiteral("BKR"), QStringLiteral("FLYR"), QStringLiteral("MEDR"),
};

bool IsMemberGala(const QString &galaType)
{
    return galaType == GalaInternal || galaType == GalaChamps || galaType == GalaGraded ||
           galaType == GalaSelect;
}

bool IsOpenGala(const QString &galaType)
{
    return galaType == GalaOpen || galaType == GalaMasters;
}

int StrokeCodeIndex(const QString &code)
{
    for (int i = 0; i < StrokeCodeCount; ++i) {
        if (StrokeCodes[i] == code)
            return i;
    }
    return -1;
}

QString StrokeName(const QString &code)
{
    static const std::array<QString, StrokeCodeCount> names = {
        QStringLiteral("Freestyle"),        QStringLiteral("Freestyle"),
        QStringLiteral("Breaststroke"),     QStringLiteral("Backstroke"),
        QStringLiteral("Butterfly"),        QStringLiteral("Ind Medley"),
        QStringLiteral("Freestyle Relay"),  QStringLiteral("Breast Relay"),
        QStringLiteral("Backstroke Relay"), QStringLiteral("Butterfly Relay"),
        QStringLiteral("Medley Relay"),
    };
    const int i = StrokeCodeIndex(code);
    return i < 0 ? QString() : names[i];
}

QString SexHeading(const QString &sex)
{
    if (sex == QLatin1String("M"))
        return QStringLiteral("Boys");
    if (sex == QLatin1String("F"))
        return QStringLiteral("Girls");
    return sex;
}

int GalaState::FindEvent(const QString &evNumber) const
{
    for (int i = 0; i < Events.size(); ++i) {
        if (Events[i].EvNumber == evNumber)
            return i;
    }
    return -1;
}

int GalaState::FindClub(const QString &code) const
{
    const QString wanted = code.trimmed();
    for (int i = 0; i < Clubs.size(); ++i) {
        if (Clubs[i].Code.compare(wanted, Qt::CaseInsensitive) == 0)
            return i;
    }
    return -1;
}

QString ClubCode(const QString &typed)
{
    return typed.trimmed().toUpper();
}

void ResetGalaState(GalaState &gala)
{
    GalaState fresh;
    fresh.GalaName = QStringLiteral("Internal Gala");
    fresh.Promoter = QStringLiteral("Velmora Marlets Swimming Club");
    fresh.SessionTitle = QStringLiteral("HEATS & FINALS");
    fresh.ResultSeq = QStringLiteral("LANE");
    fresh.CardDate = QStringLiteral("DOB");

    fresh.GalaDate = gala.GalaDate;
    fresh.QualDate = gala.QualDate;
    fresh.PrintTimes = gala.PrintTimes;

    fresh.MeetDbOpen = gala.MeetDbOpen;
    fresh.MeetDbPath = gala.MeetDbPath;
    fresh.UseMeetDb = gala.UseMeetDb;
    fresh.GalaParamFile = gala.GalaParamFile;
    fresh.ProgramMode = gala.ProgramMode;
    gala = std::move(fresh);
}

void FinishGalaLoad(GalaState &gala, Prompts &prompts)
{
    if (gala.WorkDir.isEmpty())
        gala.WorkDir = gala.GalaDir;

    if (gala.GalaType == GalaInternal || gala.GalaType == GalaMasters ||
        gala.GalaType == GalaOpen || gala.GalaType == GalaSelect) {
        gala.Hdw = true;
    } else if (gala.GalaType != GalaChamps && gala.GalaType != GalaGraded) {
        prompts.Message(QStringLiteral("Internal Gala Assumed"));
        gala.GalaType = GalaInternal;
    }

    if (gala.GalaDate.isEmpty())
        prompts.Message(QStringLiteral("Gala date not set"));

    if (gala.FinalLanes == 0)
        gala.FinalLanes = gala.Lanes;
    gala.EntryDateCheck = gala.QualStart == QLatin1String("ENTRYDATE") && gala.QualPeriod;
}

} // namespace Core
