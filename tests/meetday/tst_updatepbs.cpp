#include <QTest>

#include "core/galastate.h"
#include "meetday/updatepbs.h"
#include "meetdb/database.h"
#include "members/memberdb.h"
#include "support/entryfixture.h"

using namespace MeetDay;

class TestUpdatePbs : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void updatePbs_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("event");
        QTest::addColumn<QString>("entryTime");
        QTest::addColumn<QString>("pb"); // Ann Lee's 50 FS personal best, "" for none
        QTest::addColumn<QString>("after");
        QTest::addColumn<QString>("message");

        const QString updated = "Updated Time for Ann Lee From %1 To 35.10";
        // clang-format off
        QTest::newRow("slower entry") << "Ann Lee" << "1" << "36.00" << "35.10" << "35.10"
                                      << updated.arg("36.00");
        QTest::newRow("equal, written otherwise") << "Ann Lee" << "1" << "35.1" << "35.10"
                                                  << "35.1" << "";
        QTest::newRow("faster entry") << "Ann Lee" << "1" << "34.00" << "35.10" << "34.00" << "";
        QTest::newRow("no time") << "Ann Lee" << "1" << "9:99.99" << "35.10" << "35.10"
                                 << updated.arg("9:99.99");
        QTest::newRow("no time, long personal best") << "Ann Lee" << "1" << "9:99.99"
                                                     << "10:45.00" << "10:45.00"
            << "Updated Time for Ann Lee From 9:99.99 To 10:45.00";
        QTest::newRow("no personal best") << "Ann Lee" << "1" << "36.00" << "" << "36.00" << "";
        QTest::newRow("not a member") << "Bea Lee" << "1" << "36.00" << "35.10" << "36.00" << "";
        QTest::newRow("other stroke") << "Ann Lee" << "2" << "36.00" << "35.10" << "36.00" << "";
        QTest::newRow("event not in the meet") << "Ann Lee" << "9" << "36.00" << "35.10"
                                               << "36.00" << "";
        // clang-format on
    }

    void updatePbs()
    {
        QFETCH(QString, name);
        QFETCH(QString, event);
        QFETCH(QString, entryTime);
        QFETCH(QString, pb);
        QFETCH(QString, after);
        QFETCH(QString, message);

        EntryGala gala("Open", {"1|F|OPEN|50|FS", "2|F|OPEN|50|BK"});
        gala.AddMember(NewMember("Lee", "Ann", "01/02/10", pb));
        MeetDb::Database members;
        members.Open(gala.dir.FilePath("pbsys.mdb"));
        Members::MemberIndex index;
        QVERIFY(Members::BuildMemberIndex(members, index, gala.prompts));

        Roster roster(1);
        roster[0].EntrantNumber = 1;
        roster[0].Name = name;
        roster[0].Swims.append({event, entryTime, false, 0, {}, {}});
        const int changed = UpdatePbs(roster, gala.session.Gala, gala.session.Settings, members,
                                      index, gala.prompts);
        QCOMPARE(roster[0].Swims[0].EntryTime, after);
        QCOMPARE(gala.prompts.Messages, message.isEmpty() ? QStringList{} : QStringList{message});
        QCOMPARE(changed, message.isEmpty() ? 0 : 1);
    }
};

QTEST_GUILESS_MAIN(TestUpdatePbs)
#include "tst_updatepbs.moc"
