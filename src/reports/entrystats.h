#pragma once

#include <QList>
#include <QString>
#include <QStringList>

#include "meetday/eventstatistic.h"

/*
 * The "Entry Statistics" window's contents: for each event of the meet its entries, the share
 * already confirmed and the swimmers still to report, shown 22 events to a page.
 *
 * The meet-day window counts the events (EventStatistic, one per event of the meet's event
 * list, in list order) and hands them over; EntryStatsPager decides which events each page
 * shows and whether "More" is offered, so the window only copies rows into its controls.
 */
namespace Reports {

// The rows of one page of the window.
inline constexpr int StatisticsRows = 22;

// The list's caption when at least one swimmer has not confirmed, and when all have.
inline const QString UnconfirmedText = QStringLiteral("Unconfirmed ...");
inline const QString AllHereText = QStringLiteral("All here");

// The entries count as the window shows it: the number, with 0 shown as empty text.
QString CountText(int entries);

// The gauge, 0..100: the confirmed share of the entries in whole percent, rounded down so that
// a full gauge always means every swimmer has reported. 0 when nothing is entered or confirmed.
int GaugePercent(int confirmed, int entries);

// "Unconfirmed ..." when any swimmer is listed, else "All here".
QString ListText(const QStringList &unconfirmed);

struct StatisticsRow
{
    QString EventLabel;
    QString CountText;
    int Gauge = 0;
    QStringList Unconfirmed; // the list's items, in the order given
    QString ListText;
};

struct StatisticsPage
{
    int First = 1;             // 1-based index of the page's first event
    int Last = 0;              // of its last; Last < First when there are no events
    QList<StatisticsRow> Rows; // one per event First..Last, at most StatisticsRows
    bool MoreVisible = false;
};

/*
 * Pages through the events. FirstPage (the window being opened) shows events 1..22; More shows
 * the next 22 from NextStart. After the last page NextStart returns to 1, so a further "More"
 * starts again at the first page: "More" stays offered on the last page whenever the events
 * need more than one page, and is never offered when they fit on one.
 */
class EntryStatsPager
{
public:
    explicit EntryStatsPager(QList<EventStatistic> events);

    StatisticsPage FirstPage();
    StatisticsPage More();

    // The first event index the next "More" shows.
    int NextStart() const { return m_nextStart; }
    int EventCount() const { return int(m_events.size()); }

private:
    StatisticsPage Page(int first);

    QList<EventStatistic> m_events;
    int m_nextStart = 1;
};

} // namespace Reports
