#pragma once

#include <array>

#include <QDialog>
#include <QList>

#include "reports/entrystats.h"

class QComboBox;
class QLabel;
class QProgressBar;
class QPushButton;

namespace Windows {

/*
 * The "Entry Statistics" window: 22 rows of event, entries, a gauge of the confirmed share and
 * a drop-down list of the swimmers still to report. It opens on the first page; "More"
 * (`MoreButton`) shows the next, and `Command1` closes. Which rows a page shows is decided by
 * Reports::EntryStatsPager; the window only copies them into its controls.
 */
class EntryStats : public QDialog
{
public:
    EntryStats(const QList<Reports::EventStatistic> &events, QWidget *parent = nullptr);

    // The controls of row 0..21, for tests.
    QLabel *EventLabel(int row) const { return m_rows.at(row).Event; }
    QLabel *CountLabel(int row) const { return m_rows.at(row).Count; }
    QProgressBar *Gauge(int row) const { return m_rows.at(row).Gauge; }
    QComboBox *UnconfirmedList(int row) const { return m_rows.at(row).List; }
    QPushButton *MoreButton() const { return m_more; }
    QPushButton *CloseButton() const { return m_close; }

private:
    struct RowControls
    {
        QLabel *Event = nullptr;
        QLabel *Count = nullptr;
        QProgressBar *Gauge = nullptr;
        QComboBox *List = nullptr;
    };

    void ShowPage(const Reports::StatisticsPage &page);

    Reports::EntryStatsPager m_pager;
    std::array<RowControls, Reports::StatisticsRows> m_rows;
    QPushButton *m_more;
    QPushButton *m_close;
};

} // namespace Windows
