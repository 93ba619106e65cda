#include <QTest>

#include "reports/entrystats.h"

using namespace Reports;

namespace {

// Events labelled "1", "2" ... with one entry each.
QList<EventStatistic> NumberedEvents(int count)
{
    QList<EventStatistic> events;
    for (int i = 1; i <= count; ++i)
        events.append({QString::number(i), 1, 0, {QStringLiteral("Swimmer %1").arg(i)}});
    return events;
}

} // namespace

class TestEntryStats : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void paging_data()
    {
        QTest::addColumn<int>("events");
        QTest::addColumn<int>("mores"); // "More" pressed this often after opening
        QTest::addColumn<int>("first");
        QTest::addColumn<int>("last");
        QTest::addColumn<bool>("moreVisible");
        QTest::addColumn<int>("nextStart");
        // clang-format off
        QTest::newRow("no events")            << 0  << 0 << 1  << 0  << false << 1;
        QTest::newRow("22 events: one page")  << 22 << 0 << 1  << 22 << false << 1;
        QTest::newRow("23 events: first")     << 23 << 0 << 1  << 22 << true  << 23;
        QTest::newRow("23 events: event 23")  << 23 << 1 << 23 << 23 << true  << 1;
        QTest::newRow("44 events: second")    << 44 << 1 << 23 << 44 << true  << 1;
        QTest::newRow("45 events: second")    << 45 << 1 << 23 << 44 << true  << 45;
        QTest::newRow("45 events: third")     << 45 << 2 << 45 << 45 << true  << 1;
        QTest::newRow("45 events: round")     << 45 << 3 << 1  << 22 << true  << 23;
        // clang-format on
    }

    void paging()
    {
        QFETCH(int, events);
        QFETCH(int, mores);
        QFETCH(int, first);
        QFETCH(int, last);
        QFETCH(bool, moreVisible);
        QFETCH(int, nextStart);

        EntryStatsPager pager(NumberedEvents(events));
        StatisticsPage page = pager.FirstPage();
        for (int i = 0; i < mores; ++i)
            page = pager.More();
        QCOMPARE(page.First, first);
        QCOMPARE(page.Last, last);
        QCOMPARE(page.MoreVisible, moreVisible);
        QCOMPARE(pager.NextStart(), nextStart);
        QCOMPARE(page.Rows.size(), last - first + 1);
        for (const StatisticsRow &row : std::as_const(page.Rows))
            QCOMPARE(row.EventLabel, QString::number(first++));
    }

    void row_data()
    {
        QTest::addColumn<int>("entries");
        QTest::addColumn<int>("confirmed");
        QTest::addColumn<QStringList>("unconfirmed");
        QTest::addColumn<QString>("countText");
        QTest::addColumn<int>("gauge");
        QTest::addColumn<QString>("listText");
        const QStringList two{"Ann Lee", "Sam Grey"};
        // clang-format off
        QTest::newRow("nothing entered")     << 0   << 0   << QStringList() << ""    << 0   << "All here";
        QTest::newRow("none confirmed")      << 2   << 0   << two           << "2"   << 0   << "Unconfirmed ...";
        QTest::newRow("all confirmed")       << 5   << 5   << QStringList() << "5"   << 100 << "All here";
        QTest::newRow("a third")             << 3   << 1   << two           << "3"   << 33  << "Unconfirmed ...";
        QTest::newRow("two thirds down")     << 3   << 2   << two.mid(1)    << "3"   << 66  << "Unconfirmed ...";
        QTest::newRow("more confirmed than entered") << 4 << 9 << QStringList() << "4" << 100 << "All here";
        QTest::newRow("large counts")        << 2000000000 << 1999999999 << two.mid(1) << "2000000000" << 99 << "Unconfirmed ...";
        // clang-format on
    }

    void row()
    {
        QFETCH(int, entries);
        QFETCH(int, confirmed);
        QFETCH(QStringList, unconfirmed);
        EntryStatsPager pager({{"101", entries, confirmed, unconfirmed}});
        const StatisticsPage page = pager.FirstPage();
        QCOMPARE(page.Rows.size(), 1);
        const StatisticsRow &row = page.Rows.first();
        QCOMPARE(row.EventLabel, QStringLiteral("101"));
        QTEST(row.CountText, "countText");
        QTEST(row.Gauge, "gauge");
        QCOMPARE(row.Unconfirmed, unconfirmed);
        QTEST(row.ListText, "listText");
    }
};

QTEST_GUILESS_MAIN(TestEntryStats)
#include "tst_entrystats.moc"
