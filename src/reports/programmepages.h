#pragma once

#include <QList>
#include <QString>
#include <QStringList>

#include "reports/pooleventlist.h"

/*
 * The programme pages: each pool event becomes one or more framed blocks (title band, the
 * holders' box, then its swimmers in two columns, each with a blank line for the time). Blocks
 * follow one another down the sheet while there is room; a block that does not fit starts a new
 * sheet, and an event too long for the rest of a sheet is continued on the next one under the
 * note "Continued".
 *
 * ProgrammePages only draws: the swims, the holders and the answers to the heading questions are
 * gathered before (programmerun.h), so a preview can draw the same pages again.
 */
namespace Core {
struct GalaState;
}

namespace Reports {

class Printer;

inline const QString ProgrammeBlank = QStringLiteral("________");

// Everything drawn for one pool event.
struct ProgrammeEvent
{
    QString Event;
    PoolEventList Rows;         // in print order; reserve rows carry "(Res)" (MarkReserves)
    QList<QStringList> History; // up to 14 rows of five fields from the holders file
};

// The page heading of a print job, asked for before it is drawn.
struct ProgrammeHeading
{
    bool Print = false;
    QString SessionLine;
    QString HighlightClubCode; // "" when no club is highlighted
    QString HighlightClubName;
};

// The printed name of a stroke code on programme pages ("Ind Medley", "Breast Relay" ...), and
// whether the code is a relay.
QString ProgrammeStrokeName(const QString &stroke);
bool IsRelayStroke(const QString &stroke);

// The number of rows at the top of the list that are reserves: those above the event's maximum
// entries (0 when it has none).
int ReserveExcess(const Core::GalaState &gala, const QString &event, qsizetype rows);
// Marks the reserve rows of the list: every row within the excess whose meet-specific text is
// empty gets "(Res)", as the printed programme shows it.
void MarkReserves(PoolEventList &rows, int excess);
// The label printed for row `index` (0-based) of the list: the competitor number with "R" for a
// reserve and "T" for a time trial.
QString RowLabel(const PoolEventRow &row, int index, int excess);

// The event's title: sex word, group (Open meets), distance and stroke ("Female Open 50m
// Freestyle").
QString ProgrammeEventTitle(const Core::GalaState &gala, const QString &event);
// The title of the pool event's programme block: the same, but a pool event that carries
// combined events takes its group's combine print text ("Female Under 14 and Open 100m ...").
QString ProgrammeBlockTitle(const Core::GalaState &gala, const QString &event);

// The holders file "ev<event>-hst.csv" of the work directory: up to `maxRows` lines of five
// quoted fields. Missing or unreadable gives none; a line that is not five fields is padded or
// cut so that it still prints in its place.
QList<QStringList> ReadHoldersFile(const QString &path, int maxRows);

class ProgrammePages
{
public:
    // The printer and the gala state must outlive the pages.
    ProgrammePages(Printer &printer, const Core::GalaState &gala, ProgrammeHeading heading);

    // Draws one pool event from SheetOffset on. With `allowHeading` and a fresh sheet the page
    // heading comes first.
    void PrintEventPages(const ProgrammeEvent &event, bool allowHeading);

    // Draws rows first..last (1-based) of the event as one framed block at SheetOffset; returns
    // the block's height in hundredths of an inch, without its bottom margin.
    double PrintHeatBlock(const ProgrammeEvent &event, const QString &combinePrint,
                          const QString &groupPrint, const QString &strokeName, int first, int last,
                          double pitch, bool showEventNumbers, bool history, bool relay,
                          int excess);

    // The next block's position down the current sheet in inches; 0 for a fresh sheet.
    double SheetOffset = 0;

private:
    void PrintHeading();
    void NewPage();

    Printer &m_printer;
    const Core::GalaState &m_gala;
    ProgrammeHeading m_heading;
};

} // namespace Reports
