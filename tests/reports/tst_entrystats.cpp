#include <QTest>

#include "reports/entrystats.h"

using namespace Reports;

class TestEntryStats : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void paging_data()
    {
        QTest::addColumn<int>("events");   // labelled "1", "2" ... with one entry each
        QTest::addColumn<int>("mores");    // "More" pressed this often after opening
        QTest::addColumn<QString>("page"); // first-last, More shown (+), the next page's start
        // clang-format off
        QTest::newRow("no events")           << 0  << 0 << "1-0 1";
        QTest::newRow("22 events: one page") << 22 << 0 << "1-22 1";
        QTest::newRow("23 events: first")    << 23 << 0 << "1-22+ 23";
        QTest::newRow("23 events: event 23") << 23 << 1 << "23-23+ 1";
        QTest::newRow("44 events: second")   << 44 << 1 << "23-44+ 1";
        QTest::newRow("45 events: second")   << 45 << 1 << "23-44+ 45";
        QTest::newRow("45 events: third")    << 45 << 2 << "45-45+ 1";
        QTest::newRow("45 events: round")    << 45 << 3 << "1-22+ 23";
        // clang-format on
    }

    void paging()
    {
        QFETCH(int, events);
        QFETCH(int, mores);
        QList<EventStatistic> statistics;
        for (int i = 1; i <= events; ++i)
            statistics.append({QString::number(i), 1, 0, {QStringLiteral("Swimmer %1").arg(i)}});
        EntryStatsPager pager(statistics);
        StatisticsPage page = pager.FirstPage();
        for (int i = 0; i < mores; ++i)
            page = pager.More();
        QTEST(QString::asprintf("%d-%d%s %d", page.First, page.Last, page.MoreVisible ? "+" : "",
                                pager.NextStart()),
              "page");
        QCOMPARE(page.Rows.size(), page.Last - page.First + 1);
        for (int i = 0; i < page.Rows.size(); ++i)
            QCOMPARE(page.Rows[i].EventLabel, QString::number(page.First + i));
    }

    void row_data()
    {
        QTest::addColumn<int>("entries");
        QTest::addColumn<int>("confirmed");
        QTest::addColumn<QStringList>("unconfirmed");
        QTest::addColumn<QString>("row"); // count|gauge|list
        const QStringList two{"Ann Lee", "Sam Grey"};
        // clang-format off
        QTest::newRow("nothing entered")     << 0 << 0 << QStringList() << "|0|All here";
        QTest::newRow("all confirmed")       << 5 << 5 << QStringList() << "5|100|All here";
        QTest::newRow("a third")             << 3 << 1 << two           << "3|33|Unconfirmed ...";
        QTest::newRow("two thirds down")     << 3 << 2 << two.mid(1)    << "3|66|Unconfirmed ...";
        QTest::newRow("more confirmed than entered") << 4 << 9 << QStringList() << "4|100|All here";
        QTest::newRow("large counts")        << 2000000000 << 1999999999 << two.mid(1) << "2000000000|99|Unconfirmed ...";
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
        QCOMPARE(row.Unconfirmed, unconfirmed);
        QTEST(row.CountText + u'|' + QString::number(row.Gauge) + u'|' + row.ListText, "row");
    }
};

QTEST_GUILESS_MAIN(TestEntryStats)
#include "tst_entrystats.moc"
