#include "meetday/heatdisplay.h"

namespace MeetDay {

QString SeedingCaption(Core::SeedingMethod method)
{
    return Core::SeedingName(method) + QStringLiteral(" seeding");
}

QString MakeHeatsTitle(const Core::GalaState &gala)
{
    return QStringLiteral("Make Heats - ") + SeedingCaption(gala.Seeding);
}

QString HeatsHeading(const Core::GalaState &gala, int outsidePool)
{
    QString caption = SeedingCaption(gala.Seeding);
    caption[0] = caption.at(0).toUpper();
    QString heading = QStringLiteral("%1, lanes %2 to %3")
                          .arg(caption)
                          .arg(Core::PrintedLane(gala, 1))
                          .arg(Core::PrintedLane(gala, gala.Lanes));
    if (outsidePool > 0)
        heading += QStringLiteral("\nNot shown: %1 stored outside this pool's %2 lanes. Make the "
                                  "heats again.")
                       .arg(outsidePool == 1 ? QStringLiteral("1 swim")
                                             : QStringLiteral("%1 swims").arg(outsidePool))
                       .arg(gala.Lanes);
    return heading;
}

QStringList HeatLineCells(const Core::GalaState &gala, const HeatLine &line)
{
    return {line.Event,
            QString::number(line.Heat),
            QString::number(Core::PrintedLane(gala, line.Lane)),
            line.Name,
            line.Club,
            line.EntryTime};
}

QString HeatLineText(const Core::GalaState &gala, const HeatLine &line)
{
    // Joined rather than filled in with arg(): a name holding "%1" stays as typed.
    return QStringList{line.Event,
                       QString::number(line.Heat),
                       QString::number(Core::PrintedLane(gala, line.Lane)),
                       QString::number(line.EntrantNumber),
                       line.Name,
                       line.EntryTime}
        .join(u'\t');
}

} // namespace MeetDay
