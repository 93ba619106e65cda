#include "reports/entrystats.h"

#include <algorithm>
#include <utility>

namespace Reports {

QString CountText(int entries)
{
    return entries == 0 ? QString() : QString::number(entries);
}

int GaugePercent(int confirmed, int entries)
{
    if (entries <= 0 || confirmed <= 0)
        return 0;
    // 64-bit so that no count can overflow the product.
    const qint64 percent = qint64(std::min(confirmed, entries)) * 100 / entries;
    return int(percent);
}

QString ListText(const QStringList &unconfirmed)
{
    return unconfirmed.isEmpty() ? AllHereText : UnconfirmedText;
}

EntryStatsPager::EntryStatsPager(QList<EventStatistic> events)
    : m_events(std::move(events))
{}

StatisticsPage EntryStatsPager::FirstPage()
{
    return Page(1);
}

StatisticsPage EntryStatsPager::More()
{
    return Page(m_nextStart);
}

StatisticsPage EntryStatsPager::Page(int first)
{
    const int count = EventCount();
    StatisticsPage page;
    page.First = first;
    if (count <= first + StatisticsRows - 1) {
        page.Last = count;
        m_nextStart = 1;
        // The last page keeps "More" when there are earlier pages, to go back to the first.
        page.MoreVisible = count > StatisticsRows;
    } else {
        page.Last = first + StatisticsRows - 1;
        m_nextStart = first + StatisticsRows;
        page.MoreVisible = true;
    }
    for (int index = first; index <= page.Last; ++index) {
        const EventStatistic &event = m_events.at(index - 1);
        StatisticsRow row;
        row.EventLabel = event.EvNumber;
        row.CountText = CountText(event.Entries);
        row.Gauge = GaugePercent(event.Confirmed, event.Entries);
        row.Unconfirmed = event.Unconfirmed;
        row.ListText = ListText(event.Unconfirmed);
        page.Rows.append(row);
    }
    return page;
}

} // namespace Reports
