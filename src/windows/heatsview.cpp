#include "windows/heatsview.h"

#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QTableWidget>
#include <QVBoxLayout>

namespace Windows {

HeatsView::HeatsView(const QString &heading, const QList<QStringList> &rows, QWidget *parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("HeatsView"));
    setWindowTitle(tr("Heats"));
    m_heading = new QLabel(heading, this);
    m_heading->setObjectName(QStringLiteral("Heading"));
    QFont bold = m_heading->font();
    bold.setBold(true);
    m_heading->setFont(bold);
    m_heading->setWordWrap(true);
    m_table = new QTableWidget(int(rows.size()), 6, this);
    m_table->setObjectName(QStringLiteral("HeatsTable"));
    m_table->setHorizontalHeaderLabels(
        {tr("Event"), tr("Heat"), tr("Lane"), tr("Name"), tr("Club"), tr("Entry Time")});
    m_table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_table->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_table->verticalHeader()->hide();
    for (int r = 0; r < rows.size(); ++r) {
        const QStringList &cells = rows.at(r);
        for (int c = 0; c < cells.size() && c < m_table->columnCount(); ++c) {
            auto *item = new QTableWidgetItem(cells.at(c));
            if (c < 3 || c == 5)
                item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
            m_table->setItem(r, c, item);
        }
    }
    m_table->verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 6);
    m_table->resizeColumnsToContents();
    m_table->horizontalHeader()->setSectionResizeMode(3, QHeaderView::Stretch);

    auto *close = new QPushButton(tr("&Close"), this);
    close->setObjectName(QStringLiteral("Command1"));
    connect(close, &QPushButton::clicked, this, &QDialog::accept);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(m_heading);
    layout->addWidget(m_table, 1);
    layout->addWidget(close, 0, Qt::AlignRight);
    // Never larger than the screen (a scaled screen is small in window pixels).
    resize(QSize(640, 600).boundedTo(screen()->availableGeometry().size() * 9 / 10));
}

} // namespace Windows
