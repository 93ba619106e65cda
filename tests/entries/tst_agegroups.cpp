#include <QDate>
#include <QTest>

#include "core/galastate.h"
#include "entries/agegroups.h"
#include "support/scriptedprompts.h"

using namespace Entries;

namespace {

// A meet with the given group descriptions, in stored order.
Core::GalaState Gala(const QString &type, const QStringList &descriptions,
                     const QString &qualDate = QStringLiteral("31/12/2025"))
{
    Core::GalaState gala;
    gala.GalaType = type;
    gala.QualDate = qualDate;
    gala.AgeGroups = true;
    for (const QString &description : descriptions)
        gala.Groups.append({description, description, description, description});
    return gala;
}

// A date of birth that makes a swimmer exactly `age` on 31/12/2025 (four-digit year).
const auto BornForAge = [](int age) { return QStringLiteral("31/12/%1").arg(2025 - age); };

} // namespace

class TstAgeGroups : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void AgeCountsCompletedYears_data()
    {
        QTest::addColumn<QString>("birth");
        QTest::addColumn<QString>("qual");
        QTest::addColumn<int>("age");
        QTest::addColumn<double>("exact");
        // clang-format off
        QTest::newRow("day before birthday")   << "20/03/2010" << "19/03/2022" << 11 << 11.9999;
        QTest::newRow("birthday on qual date") << "20/03/2010" << "20/03/2022" << 12 << 12.0;
        QTest::newRow("compact form")          << "20Mar10"    << "31/12/2022" << 12 << 12.0911;
        QTest::newRow("born after qual date")  << "01/01/2030" << "31/12/2025" << -4 << -4.887;
        // clang-format on
    }

    void AgeCountsCompletedYears()
    {
        QFETCH(QString, birth);
        QFETCH(QString, qual);
        QFETCH(int, age);
        QFETCH(double, exact);
        QCOMPARE(AgeOnQualDate(birth, qual), age);
        QCOMPARE(ExactAgeOnQualDate(birth, qual), exact);
    }

    // The masters letter at each end of every band, with the refusals below 25 and the Info line;
    // a negative age (a birth year read into the wrong century) is moved back 100 years.
    void MastersAge_data()
    {
        QTest::addColumn<QString>("birth");
        QTest::addColumn<QString>("qual");
        QTest::addColumn<bool>("junior");
        QTest::addColumn<QString>("letter");
        QTest::addColumn<QString>("message");
        QTest::addColumn<QString>("info");
        const auto add = [](int age, bool junior, const QString &letter, const QString &message) {
            QTest::addRow("%d%s", age, junior ? " junior" : "")
                << BornForAge(age) << "31/12/2025" << junior << letter << message
                << QStringLiteral("Age on 31Dec25 =  %1 Years").arg(age);
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
        // clang-format off
        QTest::newRow("four-digit future year")  << "15/06/2095" << "31/12/2025" << false << "B" << "Check age!" << "Age on 31Dec25 =  30 Years";
        QTest::newRow("birthday after qual day") << "15/06/2095" << "01/06/2025" << false << "A" << "Check age!" << "Age on 01Jun25 =  29 Years";
        // A two-digit year a few years ahead is read into the next century, and the age moved back.
        const int year = QDate::currentDate().year();
        const auto yy = [](int y) { return QString::number(y % 100).rightJustified(2, u'0'); };
        QTest::newRow("two-digit year read ahead") << "15/06/" + yy(year + 5) << "31/12/" + QString::number(year) << false << "P" << "Check age!" << "Age on 31Dec" + yy(year) + " =  95 Years";
        // clang-format on
    }

    void MastersAge()
    {
        QFETCH(QString, birth);
        QFETCH(QString, qual);
        QFETCH(bool, junior);
        QFETCH(QString, letter);
        QFETCH(QString, message);
        QFETCH(QString, info);
        Core::GalaState gala = Gala(Core::GalaMasters, {}, qual);
        gala.Junior = junior;
        ScriptedPrompts prompts;
        const AgeResult result = Entries::MastersAge(gala, birth, prompts);
        QCOMPARE(result.MastersGroup, letter);
        QCOMPARE(result.ClearDob, message.startsWith(u"Too Young"));
        QCOMPARE(prompts.Messages, message.isEmpty() ? QStringList() : QStringList{message});
        QCOMPARE(result.Info, info);
    }

    // The U/ walk: the first group whose "U/" limit is above the age, or the first without one.
    // A bad date is refused whatever the meet; an empty one is no error. Member galas take the
    // group straight from the member file's date.
    void DobLeftGroups_data()
    {
        QTest::addColumn<QString>("type");
        QTest::addColumn<bool>("ageGroups");
        QTest::addColumn<QStringList>("groups");
        QTest::addColumn<QString>("dob");
        QTest::addColumn<int>("index");
        QTest::addColumn<QString>("message");
        const QStringList mixed{"U/10", "U/12", "Open"};
        // clang-format off
        const QString open = Core::GalaOpen, member = Core::GalaInternal, out = "Out of age groups for this event", bad = "Date is invalid";
        QTest::newRow("9 under 10")            << open << true << mixed << BornForAge(9) << 0 << "";
        QTest::newRow("10 goes to U/12")       << open << true << mixed << BornForAge(10) << 1 << "";
        QTest::newRow("12 goes to Open")       << open << true << mixed << BornForAge(12) << 2 << "";
        QTest::newRow("14 at last limit")      << open << true << QStringList{"U/10", "U/12", "U/14"} << BornForAge(14) << -1 << out;
        QTest::newRow("order is not sorted")   << open << true << QStringList{"U/12", "U/10"} << BornForAge(9) << 0 << "";
        QTest::newRow("lower case is not U/")  << open << true << QStringList{"u/10", "U/12"} << BornForAge(11) << 0 << "";
        QTest::newRow("limit with text after") << open << true << QStringList{"U/12 yrs", "Open"} << BornForAge(11) << 0 << "";
        QTest::newRow("no groups")             << open << true << QStringList{} << BornForAge(10) << -1 << out;
        QTest::newRow("empty date")            << open << true << mixed << "" << -1 << "";
        QTest::newRow("31 Feb")                << open << true << mixed << "31/02/10" << -1 << bad;
        QTest::newRow("Masters 31 Feb")        << Core::GalaMasters << true << mixed << "31/02/10" << -1 << bad;
        QTest::newRow("Graded: no group")      << Core::GalaGraded << true << mixed << "01/01/2010" << -1 << "";
        QTest::newRow("member 9")              << member << true << mixed << "01/01/2014" << 1 << "";
        QTest::newRow("member 12")             << member << true << mixed << "31/12/2013" << 2 << "";
        QTest::newRow("member no date")        << member << true << mixed << "       " << -1 << "";
        QTest::newRow("member bad date")       << member << true << mixed << "99/99/99" << -1 << "";
        QTest::newRow("member no age groups")  << member << false << mixed << "01/01/2014" << -1 << "";
        QTest::newRow("no age groups")         << open << false << mixed << "01/01/2010" << -1 << "";
        // clang-format on
    }

    void DobLeftGroups()
    {
        QFETCH(QString, type);
        QFETCH(bool, ageGroups);
        QFETCH(QStringList, groups);
        QFETCH(QString, dob);
        QFETCH(int, index);
        QFETCH(QString, message);
        Core::GalaState gala = Gala(type, groups);
        gala.AgeGroups = ageGroups;
        if (type == Core::GalaInternal) {
            QCOMPARE(MemberAgeGroup(gala, dob), index);
            return;
        }
        ScriptedPrompts prompts;
        const AgeResult result = DobLeft(gala, dob, prompts);
        QCOMPARE(result.Valid, message != u"Date is invalid");
        QCOMPARE(result.GroupIndex, index);
        QCOMPARE(prompts.Messages, message.isEmpty() ? QStringList() : QStringList{message});
        QVERIFY(result.MastersGroup.isEmpty() && result.Info.isEmpty() && !result.ClearDob);
    }
};

QTEST_GUILESS_MAIN(TstAgeGroups)
#include "tst_agegroups.moc"
