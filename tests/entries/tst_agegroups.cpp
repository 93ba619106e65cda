#include <QDate>
#include <QTest>

#include "core/galastate.h"
#include "entries/agegroups.h"
#include "support/scriptedprompts.h"

using namespace Entries;

namespace {

// A date of birth that makes a swimmer exactly `age` on 31/12/2025 (four-digit year).
QString BornForAge(int age)
{
    return QStringLiteral("31/12/%1").arg(2025 - age);
}

void Row(const QString &name, const QStringList &fields)
{
    QTest::newRow(qPrintable(name)) << fields.join(u'|');
}

} // namespace

class TstAgeGroups : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void AgeCountsCompletedYears_data()
    {
        QTest::addColumn<QString>("row"); // birth|qualifying date|age|exact age
        // clang-format off
        QTest::newRow("day before birthday")   << "20/03/2010|19/03/2022|11|11.9999";
        QTest::newRow("birthday on qual date") << "20/03/2010|20/03/2022|12|12.0";
        QTest::newRow("compact form")          << "20Mar10|31/12/2022|12|12.0911";
        QTest::newRow("born after qual date")  << "01/01/2030|31/12/2025|-4|-4.887";
        // clang-format on
    }
    void AgeCountsCompletedYears()
    {
        QFETCH(QString, row);
        const QStringList f = row.split(u'|');
        QCOMPARE(AgeOnQualDate(f[0], f[1]), f[2].toInt());
        QCOMPARE(ExactAgeOnQualDate(f[0], f[1]), f[3].toDouble());
    }

    // The masters letter at each end of every band, with the refusals below 25 and the Info line;
    // a negative age (a birth year read into the wrong century) is moved back 100 years.
    // Rows: birth|qualifying date|junior|letter|message|Info line.
    void MastersAge_data()
    {
        QTest::addColumn<QString>("row");
        const auto add = [](int age, bool junior, const QString &letter, const QString &message) {
            Row(QStringLiteral("%1%2").arg(age).arg(junior ? " junior" : ""),
                {BornForAge(age), "31/12/2025", junior ? "1" : "", letter, message,
                 QStringLiteral("Age on 31Dec25 =  %1 Years").arg(age)});
        };
        for (const bool junior : {false, true}) {
            add(18, junior, "", "Too Young for Event");
            for (const int age : {19, 24})
                add(age, junior, junior ? "0" : "", junior ? "" : "Too Young for Masters");
        }
        add(25, true, "A", "");
        // Both ends of every five-year band from 25 on; 95 and over is "P".
        const QString letters = QStringLiteral("ABCDEFGHJKLMNO");
        for (int age = 25; age < 105; age += age % 5 == 0 ? 4 : 1)
            add(age, false, age < 95 ? QString(letters[(age - 25) / 5]) : "P", "");
        QTest::newRow("four-digit future year")
            << "15/06/2095|31/12/2025||B|Check age!|Age on 31Dec25 =  30 Years";
        QTest::newRow("birthday after qual day")
            << "15/06/2095|01/06/2025||A|Check age!|Age on 01Jun25 =  29 Years";
        // A two-digit year a few years ahead is read into the next century, and the age moved back.
        const int year = QDate::currentDate().year();
        const auto yy = [](int y) { return QString::number(y % 100).rightJustified(2, u'0'); };
        Row("two-digit year read ahead",
            {"15/06/" + yy(year + 5), "31/12/" + QString::number(year), "", "P", "Check age!",
             "Age on 31Dec" + yy(year) + " =  95 Years"});
    }
    void MastersAge()
    {
        QFETCH(QString, row);
        const QStringList f = row.split(u'|');
        Core::GalaState gala;
        gala.GalaType = Core::GalaMasters;
        gala.QualDate = f[1];
        gala.Junior = f[2] == u"1";
        ScriptedPrompts prompts;
        const AgeResult result = Entries::MastersAge(gala, f[0], prompts);
        QCOMPARE(result.MastersGroup, f[3]);
        QCOMPARE(result.ClearDob, f[4].startsWith(u"Too Young"));
        QCOMPARE(prompts.Messages.join(u'/'), f[4]);
        QCOMPARE(result.Info, f[5]);
    }

    // The U/ walk: the first group whose "U/" limit is above the age, or the first without one.
    // A bad date is refused whatever the meet; an empty one is no error. Member galas take the
    // group straight from the member file's date. Rows: kind (the age groups off when it ends in
    // "-")|groups|date of birth|group index|message.
    void DobLeftGroups_data()
    {
        QTest::addColumn<QString>("row");
        const QString mixed = "U/10,U/12,Open", out = "Out of age groups for this event";
        // clang-format off
        Row("9 under 10",            {"Open", mixed, BornForAge(9), "0", ""});
        Row("10 goes to U/12",       {"Open", mixed, BornForAge(10), "1", ""});
        Row("12 goes to Open",       {"Open", mixed, BornForAge(12), "2", ""});
        Row("14 at last limit",      {"Open", "U/10,U/12,U/14", BornForAge(14), "-1", out});
        Row("order is not sorted",   {"Open", "U/12,U/10", BornForAge(9), "0", ""});
        Row("lower case is not U/",  {"Open", "u/10,U/12", BornForAge(11), "0", ""});
        Row("limit with text after", {"Open", "U/12 yrs,Open", BornForAge(11), "0", ""});
        Row("no groups",             {"Open", "", BornForAge(10), "-1", out});
        Row("empty date",            {"Open", mixed, "", "-1", ""});
        Row("31 Feb",                {"Open", mixed, "31/02/10", "-1", "Date is invalid"});
        Row("Masters 31 Feb",        {"Masters", mixed, "31/02/10", "-1", "Date is invalid"});
        Row("Graded: no group",      {"Graded", mixed, "01/01/2010", "-1", ""});
        Row("no age groups",         {"Open-", mixed, "01/01/2010", "-1", ""});
        Row("member 9",              {"Internal", mixed, "01/01/2014", "1", ""});
        Row("member 12",             {"Internal", mixed, "31/12/2013", "2", ""});
        Row("member no date",        {"Internal", mixed, "       ", "-1", ""});
        Row("member bad date",       {"Internal", mixed, "99/99/99", "-1", ""});
        Row("member no age groups",  {"Internal-", mixed, "01/01/2014", "-1", ""});
        // clang-format on
    }
    void DobLeftGroups()
    {
        QFETCH(QString, row);
        const QStringList f = row.split(u'|');
        Core::GalaState gala;
        gala.GalaType = QString(f[0]).remove(u'-');
        gala.QualDate = QStringLiteral("31/12/2025");
        gala.AgeGroups = !f[0].endsWith(u'-');
        for (const QString &description : f[1].split(u',', Qt::SkipEmptyParts))
            gala.Groups.append({description, description, description, description});
        if (gala.GalaType == Core::GalaInternal) {
            QCOMPARE(MemberAgeGroup(gala, f[2]), f[3].toInt());
            return;
        }
        ScriptedPrompts prompts;
        const AgeResult result = DobLeft(gala, f[2], prompts);
        QCOMPARE(result.Valid, f[4] != u"Date is invalid");
        QCOMPARE(result.GroupIndex, f[3].toInt());
        QCOMPARE(prompts.Messages.join(u'/'), f[4]);
        QVERIFY(result.MastersGroup.isEmpty() && result.Info.isEmpty() && !result.ClearDob);
    }
};

QTEST_GUILESS_MAIN(TstAgeGroups)
#include "tst_agegroups.moc"
