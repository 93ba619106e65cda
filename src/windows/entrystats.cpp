#include "windows/entrystats.h"

#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPalette>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>

namespace Windows {

EntryStats::EntryStats(const QList<Reports::EventStatistic> &events, QWidget *parent)
    : QDialog(parent)
    , m_pager(events)
    , m_more(new QPushButton(tr("&More"), this))
    , m_close(new QPushButton(tr("&Close"), this))
{
    setObjectName(QStringLiteral("EntryStats"));
    setWindowTitle(tr("Entry Statistics"));

    auto *grid = new QGridLayout;
    grid->setVerticalSpacing(2);
    const QStringList headings{tr("Event"), tr("Entries"), tr("Confirmed"), tr("Not yet here")};
    for (int column = 0; column < headings.size(); ++column) {
        auto *heading = new QLabel(headings.at(column), this);
        QFont bold = heading->font();
        bold.setBold(true);
        heading->setFont(bold);
        grid->addWidget(heading, 0, column);
    }
    for (int row = 0; row < Reports::StatisticsRows; ++row) {
        RowControls &controls = m_rows[row];
        const QString suffix = QString::number(row + 1);
        controls.Event = new QLabel(this);
        controls.Event->setObjectName(QStringLiteral("EventLabel") + suffix);
        controls.Count = new QLabel(this);
        controls.Count->setObjectName(QStringLiteral("CountLabel") + suffix);
        controls.Count->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        controls.Gauge = new QProgressBar(this);
        controls.Gauge->setObjectName(QStringLiteral("Gauge") + suffix);
        controls.Gauge->setRange(0, 100);
        controls.Gauge->setMinimumWidth(220);
        controls.List = new QComboBox(this);
        controls.List->setObjectName(QStringLiteral("UnconfirmedList") + suffix);
        controls.List->setMinimumWidth(220);
        // The caption is the list's message, not a hint, so it is drawn as ordinary text.
        QPalette palette = controls.List->palette();
        palette.setColor(QPalette::PlaceholderText, palette.color(QPalette::ButtonText));
        controls.List->setPalette(palette);
        grid->addWidget(controls.Event, row + 1, 0);
        grid->addWidget(controls.Count, row + 1, 1);
        grid->addWidget(controls.Gauge, row + 1, 2);
        grid->addWidget(controls.List, row + 1, 3);
    }
    grid->setColumnMinimumWidth(0, 70);
    grid->setColumnMinimumWidth(1, 60);
    grid->setColumnStretch(2, 1);
    grid->setColumnStretch(3, 1);

    m_more->setObjectName(QStringLiteral("MoreButton"));
    m_more->setAutoDefault(false);
    m_close->setObjectName(QStringLiteral("Command1"));
    m_close->setAutoDefault(false);
    auto *buttons = new QHBoxLayout;
    buttons->addWidget(m_more);
    buttons->addStretch();
    buttons->addWidget(m_close);

    auto *layout = new QVBoxLayout(this);
    layout->addLayout(grid);
    layout->addStretch();
    layout->addLayout(buttons);

    connect(m_more, &QPushButton::clicked, this, [this] { ShowPage(m_pager.More()); });
    connect(m_close, &QPushButton::clicked, this, &QDialog::accept);

    ShowPage(m_pager.FirstPage());
}

void EntryStats::ShowPage(const Reports::StatisticsPage &page)
{
    for (int row = 0; row < Reports::StatisticsRows; ++row) {
        const RowControls &controls = m_rows[row];
        const bool shown = row < page.Rows.size();
        controls.Event->setVisible(shown);
        controls.Count->setVisible(shown);
        controls.Gauge->setVisible(shown);
        controls.List->setVisible(shown);
        if (!shown)
            continue;
        const Reports::StatisticsRow &values = page.Rows.at(row);
        controls.Event->setText(values.EventLabel);
        controls.Count->setText(values.CountText);
        controls.Gauge->setValue(values.Gauge);
        // The caption stands in the closed list; dropping it down shows the names.
        controls.List->clear();
        controls.List->setPlaceholderText(values.ListText);
        controls.List->addItems(values.Unconfirmed);
        controls.List->setCurrentIndex(-1);
    }
    m_more->setVisible(page.MoreVisible);
    // Keep the keyboard on a command that is still there.
    if (page.MoreVisible)
        m_more->setFocus();
    else
        m_close->setFocus();
}

} // namespace Windows
