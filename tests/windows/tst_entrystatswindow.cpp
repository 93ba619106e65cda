#include <QComboBox>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QTest>

#include "windows/entrystats.h"

using Windows::EntryStats;

class TestEntryStatsWindow : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    // 23 events: the first page fills all 22 rows, "More" shows event 23 alone and goes back.
    // The paging itself is the pager's; this checks the rows follow it.
    void pagesThroughTheEvents()
    {
        QList<Reports::EventStatistic> events;
        for (int i = 1; i <= 23; ++i)
            events.append({QString::number(100 + i), 2, i == 1 ? 2 : 0,
                           i == 1 ? QStringList() : QStringList{"Ann Lee", "Sam Grey"}});
        EntryStats window(events);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        const auto row = [&window](int i) {
            QComboBox *list = window.UnconfirmedList(i);
            return QStringList{window.EventLabel(i)->text(),
                               window.CountLabel(i)->text(),
                               QString::number(window.Gauge(i)->value()),
                               QString::number(list->count()),
                               list->itemText(1),
                               list->placeholderText()}
                .join(u'|');
        };
        QCOMPARE(row(0), QStringLiteral("101|2|100|0||All here"));
        QVERIFY(window.MoreButton()->isVisible() && window.EventLabel(21)->isVisible());
        QCOMPARE(window.EventLabel(21)->text(), QStringLiteral("122"));

        QTest::mouseClick(window.MoreButton(), Qt::LeftButton);
        QCOMPARE(row(0), QStringLiteral("123|2|0|2|Sam Grey|Unconfirmed ..."));
        for (int i = 1; i < Reports::StatisticsRows; ++i)
            QVERIFY(!window.EventLabel(i)->isVisible() && !window.Gauge(i)->isVisible() &&
                    !window.UnconfirmedList(i)->isVisible());

        QTest::mouseClick(window.MoreButton(), Qt::LeftButton);
        QVERIFY(window.EventLabel(0)->text() == "101" && window.EventLabel(21)->isVisible());
        QTest::mouseClick(window.CloseButton(), Qt::LeftButton);
        QVERIFY(!window.isVisible());
    }
};

QTEST_MAIN(TestEntryStatsWindow)
#include "tst_entrystatswindow.moc"
