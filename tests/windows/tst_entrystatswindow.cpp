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
    void pagesThroughTheEvents()
    {
        QList<Reports::EventStatistic> events;
        for (int i = 1; i <= 23; ++i)
            events.append({QString::number(100 + i), 2, i == 1 ? 2 : 0,
                           i == 1 ? QStringList() : QStringList{"Ann Lee", "Sam Grey"}});
        EntryStats window(events);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));

        QCOMPARE(window.windowTitle(), QStringLiteral("Entry Statistics"));
        QVERIFY(window.MoreButton()->isVisible());
        QCOMPARE(window.EventLabel(0)->text(), QStringLiteral("101"));
        QCOMPARE(window.CountLabel(0)->text(), QStringLiteral("2"));
        QCOMPARE(window.Gauge(0)->value(), 100);
        QCOMPARE(window.UnconfirmedList(0)->count(), 0);
        QCOMPARE(window.UnconfirmedList(0)->currentText(), QString());
        QCOMPARE(window.UnconfirmedList(0)->placeholderText(), QStringLiteral("All here"));
        QVERIFY(window.EventLabel(21)->isVisible());
        QCOMPARE(window.EventLabel(21)->text(), QStringLiteral("122"));

        QTest::mouseClick(window.MoreButton(), Qt::LeftButton);
        QCOMPARE(window.EventLabel(0)->text(), QStringLiteral("123"));
        QCOMPARE(window.Gauge(0)->value(), 0);
        QCOMPARE(window.UnconfirmedList(0)->placeholderText(), QStringLiteral("Unconfirmed ..."));
        QCOMPARE(window.UnconfirmedList(0)->count(), 2);
        QCOMPARE(window.UnconfirmedList(0)->itemText(1), QStringLiteral("Sam Grey"));
        for (int row = 1; row < Reports::StatisticsRows; ++row) {
            QVERIFY(!window.EventLabel(row)->isVisible());
            QVERIFY(!window.Gauge(row)->isVisible());
            QVERIFY(!window.UnconfirmedList(row)->isVisible());
        }

        QTest::mouseClick(window.MoreButton(), Qt::LeftButton);
        QCOMPARE(window.EventLabel(0)->text(), QStringLiteral("101"));
        QVERIFY(window.EventLabel(21)->isVisible());

        QTest::mouseClick(window.CloseButton(), Qt::LeftButton);
        QVERIFY(!window.isVisible());
    }

    void oneEventHasNoMore()
    {
        EntryStats window({{"1", 0, 0, {}}});
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        QVERIFY(!window.MoreButton()->isVisible());
        QCOMPARE(window.CountLabel(0)->text(), QString());
        QVERIFY(!window.EventLabel(1)->isVisible());
    }
};

QTEST_MAIN(TestEntryStatsWindow)
#include "tst_entrystatswindow.moc"
