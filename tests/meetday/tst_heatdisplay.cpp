#include <QTest>

#include "core/galastate.h"
#include "meetday/heatdisplay.h"
#include "support/testfiles.h"

using namespace MeetDay;

// The lines of `openmeet-db make-heats` and the heading of the "Heats" view, for pools of every
// width the meet takes, numbered from 0 or from 1.
class TestHeatDisplay : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    // Rows: lanes, first lane, the swimmer's lane position, name, then the printed line and the
    // view's heading.
    void lines_data()
    {
        AddRows({"4|1|1|Ann Lee|7\t2\t1\t12\tAnn Lee\t35.10|Club seeding, lanes 1 to 4",
                 "8|0|8|Ann Lee|7\t2\t7\t12\tAnn Lee\t35.10|Club seeding, lanes 0 to 7",
                 "10|1|10|Ann Lee|7\t2\t10\t12\tAnn Lee\t35.10|Club seeding, lanes 1 to 10",
                 "10|0|10|Ann Lee|7\t2\t9\t12\tAnn Lee\t35.10|Club seeding, lanes 0 to 9",
                 "10|0|1|Ann Lee|7\t2\t0\t12\tAnn Lee\t35.10|Club seeding, lanes 0 to 9",
                 // A name is printed as typed, never filled in.
                 "6|1|3|Ann %1 Lee|7\t2\t3\t12\tAnn %1 Lee\t35.10|Club seeding, lanes 1 to 6"});
    }

    void lines()
    {
        const QStringList row = RowCells();
        Core::GalaState gala;
        gala.Lanes = row[0].toInt();
        gala.FirstLane = row[1].toInt();
        const HeatLine line{"7", 2, row[2].toInt(), 12, row[3], "VMSC", "35.10", "7", ""};
        QCOMPARE(HeatLineText(gala, line), row[4]);
        QCOMPARE(HeatLineCells(gala, line).at(2), row[4].section(u'\t', 2, 2));
        QCOMPARE(HeatsHeading(gala), row[5]);
    }
};

QTEST_GUILESS_MAIN(TestHeatDisplay)
#include "tst_heatdisplay.moc"
