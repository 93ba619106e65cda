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
    for (const QString &description : descriptions) {
        Core::GalaGroup group;
        group.GroupName = description;
        group.GroupDescription = description;
        gala.Groups.append(group);
    }
    return gala;
}

// A date of birth that makes a swimmer exactly `age` on 31/12/2025 (four-digit year).
QString BornForAge(int age)
{
    return QStringLiteral("31/12/%1").arg(2025 - age);
}

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

    void MastersLetters_data()
    {
        QTest::addColumn<int>("age");
        QTest::addColumn<bool>("junior");
        QTest::addColumn<QString>("letter");
        QTest::addColumn<QString>("refusal");
        const QString tooYoung = QStringLiteral("Too Young for Event");
        const QString notMasters = QStringLiteral("Too Young for Masters");
        for (bool junior : {false, true}) {
            const char *tag = junior ? "junior" : "senior";
            QTest::addRow("18 %s", tag) << 18 << junior << "" << tooYoung;
            QTest::addRow("19 %s", tag)
                << 19 << junior << (junior ? "0" : "") << (junior ? "" : notMasters);
            QTest::addRow("25 %s", tag) << 25 << junior << "A" << QString();
        }
        // Both ends of every five-year band from 25 to 94, then 95 and a very old swimmer.
        const QString letters = QStringLiteral("ABCDEFGHJKLMNO");
        for (int band = 0; band < letters.size(); ++band) {
            const int low = 25 + band * 5;
            QTest::addRow("%d", low) << low << false << QString(letters[band]) << "";
            QTest::addRow("%d", low + 4) << low + 4 << false << QString(letters[band]) << "";
        }
        QTest::newRow("95") << 95 << false << "P" << QString();
        QTest::newRow("104") << 104 << false << "P" << QString();
    }

    void MastersLetters()
    {
        QFETCH(int, age);
        QFETCH(bool, junior);
        QFETCH(QString, letter);
        QFETCH(QString, refusal);
        QCOMPARE(MastersLetter(age, junior), letter);

        // The same through the date-of-birth box, which also writes the Info line.
        Core::GalaState gala = Gala(Core::GalaMasters, {QStringLiteral("Individual")});
        gala.Junior = junior;
        ScriptedPrompts prompts;
        const AgeResult result = MastersAge(gala, BornForAge(age), prompts);
        QVERIFY(result.Valid);
        QCOMPARE(result.MastersGroup, letter);
        QCOMPARE(result.ClearDob, !refusal.isEmpty());
        QCOMPARE(prompts.Messages, refusal.isEmpty() ? QStringList() : QStringList{refusal});
        QCOMPARE(result.Info, QStringLiteral("Age on 31Dec25 =  %1 Years").arg(age));
    }

    void MastersNegativeAgeMovesBack100Years_data()
    {
        QTest::addColumn<QString>("birth");
        QTest::addColumn<QString>("qual");
        QTest::addColumn<QString>("info");
        QTest::addColumn<QString>("letter");
        // clang-format off
        QTest::newRow("four-digit future year")  << "15/06/2095" << "31/12/2025" << "Age on 31Dec25 =  30 Years" << "B";
        QTest::newRow("birthday after qual day") << "15/06/2095" << "01/06/2025" << "Age on 01Jun25 =  29 Years" << "A";
        // clang-format on
        // A two-digit year a few years ahead is always read into the next century; the qualifying
        // date moves with the clock so the case never goes stale.
        const int year = QDate::currentDate().year();
        QTest::newRow("two-digit year read ahead")
            << QStringLiteral("15/06/%1").arg((year + 5) % 100, 2, 10, QLatin1Char('0'))
            << QStringLiteral("31/12/%1").arg(year)
            << QStringLiteral("Age on 31Dec%1 =  95 Years").arg(year % 100, 2, 10, QLatin1Char('0'))
            << "P";
    }

    void MastersNegativeAgeMovesBack100Years()
    {
        QFETCH(QString, birth);
        QFETCH(QString, qual);
        QFETCH(QString, info);
        QFETCH(QString, letter);
        const Core::GalaState gala = Gala(Core::GalaMasters, {}, qual);
        ScriptedPrompts prompts;
        const AgeResult result = MastersAge(gala, birth, prompts);
        QCOMPARE(prompts.Messages, QStringList{QStringLiteral("Check age!")});
        QCOMPARE(result.Info, info);
        QCOMPARE(result.MastersGroup, letter);
        QVERIFY(!result.ClearDob);
    }

    void OpenGroupWalk_data()
    {
        QTest::addColumn<QStringList>("groups");
        QTest::addColumn<int>("age");
        QTest::addColumn<int>("index");
        const QStringList mixed{"U/10", "U/12", "Open"};
        QTest::newRow("9 under 10") << mixed << 9 << 0;
        QTest::newRow("10 goes to U/12") << mixed << 10 << 1;
        QTest::newRow("12 goes to Open") << mixed << 12 << 2;
        const QStringList allUnder{"U/10", "U/12", "U/14"};
        QTest::newRow("14 at last limit") << allUnder << 14 << -1;
        QTest::newRow("Open first takes all") << QStringList{"Open", "U/10"} << 8 << 0;
        QTest::newRow("order is not sorted") << QStringList{"U/12", "U/10"} << 9 << 0;
        QTest::newRow("lower case is not U/") << QStringList{"u/10", "U/12"} << 11 << 0;
        QTest::newRow("limit with text after") << QStringList{"U/12 yrs", "Open"} << 11 << 0;
        QTest::newRow("no groups") << QStringList{} << 10 << -1;
    }

    void OpenGroupWalk()
    {
        QFETCH(QStringList, groups);
        QFETCH(int, age);
        QFETCH(int, index);
        const Core::GalaState gala = Gala(Core::GalaOpen, groups);
        QCOMPARE(OpenAgeGroup(gala, age), index);

        ScriptedPrompts prompts;
        const AgeResult result = DobLeft(gala, BornForAge(age), prompts);
        QVERIFY(result.Valid);
        QCOMPARE(result.GroupIndex, index);
        QCOMPARE(prompts.Messages,
                 index < 0 ? QStringList{"Out of age groups for this event"} : QStringList());
        QVERIFY(result.MastersGroup.isEmpty() && result.Info.isEmpty());
    }

    // Member galas take the group straight from the member file's date; no date, no group.
    void MemberWalk()
    {
        Core::GalaState gala = Gala(Core::GalaInternal, {"U/10", "U/12", "Open"});
        const QList<std::pair<QString, int>> cases{{"01/01/2014", 1},
                                                   {"31/12/2013", 2},
                                                   {"01Jan14", 1},
                                                   {"       ", -1},
                                                   {"99/99/99", -1}};
        for (const auto &[dob, index] : cases)
            QCOMPARE(MemberAgeGroup(gala, dob), index);
        gala.AgeGroups = false;
        QCOMPARE(MemberAgeGroup(gala, "01/01/2014"), -1);
    }

    // A bad date says "Date is invalid" whatever the meet; an empty one is no error. Neither,
    // nor a meet without age groups, selects a group.
    void InvalidAndEmptyDates_data()
    {
        QTest::addColumn<QString>("type");
        QTest::addColumn<bool>("ageGroups");
        QTest::addColumn<QString>("dob");
        QTest::addColumn<bool>("valid");
        for (const QString &type : {Core::GalaOpen, Core::GalaMasters, Core::GalaGraded}) {
            QTest::addRow("%s empty", qPrintable(type)) << type << true << "" << true;
            QTest::addRow("%s 31 Feb", qPrintable(type)) << type << true << "31/02/10" << false;
        }
        QTest::newRow("Open no groups valid") << Core::GalaOpen << false << "01/01/2010" << true;
        QTest::newRow("Open no groups invalid") << Core::GalaOpen << false << "32/01/2010" << false;
        QTest::newRow("Graded valid") << Core::GalaGraded << true << "01/01/2010" << true;
    }

    void InvalidAndEmptyDates()
    {
        QFETCH(QString, type);
        QFETCH(bool, ageGroups);
        QFETCH(QString, dob);
        QFETCH(bool, valid);
        Core::GalaState gala = Gala(type, {"U/10", "Open"});
        gala.AgeGroups = ageGroups;
        ScriptedPrompts prompts;
        const AgeResult result = DobLeft(gala, dob, prompts);
        QCOMPARE(result.Valid, valid);
        QCOMPARE(prompts.Messages, valid ? QStringList() : QStringList{"Date is invalid"});
        QCOMPARE(result.GroupIndex, -1);
        QVERIFY(result.MastersGroup.isEmpty() && result.Info.isEmpty() && !result.ClearDob);
    }
};

QTEST_GUILESS_MAIN(TstAgeGroups)
#include "tst_agegroups.moc"
