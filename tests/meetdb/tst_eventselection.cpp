#include <QHash>
#include <QTest>

#include "core/galastate.h"
#include "meetdb/eventselection.h"
#include "support/scriptedprompts.h"

using namespace MeetDb;

namespace {

// Events "number|group|distance|stroke|date".
Core::GalaState Gala(const QStringList &events)
{
    Core::GalaState gala;
    for (const QString &row : events) {
        const QStringList f = row.split(u'|');
        Core::GalaEvent &e = gala.Events.emplace_back();
        std::tie(e.EvNumber, e.EvGroup, e.EvDistance, e.EvStroke, e.EvDate) =
            std::tuple(f.at(0), f.at(1), f.at(2), f.at(3), f.at(4));
    }
    return gala;
}

const QStringList Events{"1|U11|50|FS|14/03/2027", "2|U11|50|BK|14/03/2027",
                         "10|OPEN|100|FS|15/03/2027", "12|U11|50|FS|15/03/2027",
                         "3A|OPEN|50|BR|15/03/27"};

QString Selected(const Core::GalaState &gala)
{
    QStringList numbers;
    for (const Core::GalaEvent &event : gala.Events)
        if (event.EvSelected)
            numbers << event.EvNumber;
    return numbers.join(u' ');
}

} // namespace

class TestEventSelection : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    // Each selection starts from a clear list: event 2, ticked before, stays only where it
    // matches, the criterion does not, or the ticks are kept ("+" before the command). "*" swims
    // event 12 with event 1, which leads; "tick12" ticks event 12's box by hand.
    void quickSelections_data()
    {
        QTest::addColumn<QString>("command");
        QTest::addColumn<QString>("criterion");
        QTest::addColumn<QString>("selected"); // after "Confirm" ("Cancel" for cancel)
        QTest::addColumn<QString>("message");
        const QString with12 = SwumWithMessage.arg("12", "1"), ticked1 = LeadTickedMessage.arg("1");
        // clang-format off
        QTest::newRow("date") << "date" << "15/3/27" << "10 12 3A" << "";
        QTest::newRow("not a date") << "date" << "Sunday" << "2" << NoDateMessage;
        QTest::newRow("no event that day") << "date" << "16/3/27" << "2" << NoDateMatchMessage.arg("16/3/27");
        QTest::newRow("group") << "group" << "OPEN" << "10 3A" << "";
        QTest::newRow("group without case") << "group" << " open" << "10 3A" << "";
        QTest::newRow("group kept") << "+group" << "OPEN" << "2 10 3A" << "";
        QTest::newRow("no such group") << "group" << "U13" << "2" << NoGroupMatchMessage.arg("U13");
        QTest::newRow("stroke without case") << "stroke" << "fs" << "1 10 12" << "";
        QTest::newRow("no such stroke") << "stroke" << "fly" << "2" << NoStrokeMatchMessage.arg("fly");
        QTest::newRow("range, higher first") << "range" << "10  3" << "10 3A" << "";
        QTest::newRow("the last number") << "range" << "12" << "12" << "";
        QTest::newRow("one past the last") << "range" << "13" << "2" << NoRangeMatchMessage.arg(13).arg(13);
        QTest::newRow("one below the first") << "range" << "0" << "2" << NoRangeMatchMessage.arg(0).arg(0);
        QTest::newRow("three numbers") << "range" << "1 2 3" << "2" << BadRangeMessage;
        QTest::newRow("not a number") << "range" << "1 x" << "2" << BadRangeMessage;
        QTest::newRow("swum with, lead brought") << "*range" << "12" << "1 12" << with12 + ticked1;
        QTest::newRow("swum with, lead chosen") << "*range" << "1 12" << "1 2 10 12 3A" << "";
        QTest::newRow("ticked by hand, swum with") << "*tick12" << "" << "1 2 12" << with12 + ticked1;
        QTest::newRow("ticked by hand") << "tick12" << "" << "2 12" << "";
        QTest::newRow("all") << "all" << "" << "1 2 10 12 3A" << "";
        QTest::newRow("none") << "none" << "" << "" << "";
        QTest::newRow("cancel") << "cancel" << "" << "" << "";
        // clang-format on
    }
    void quickSelections()
    {
        QFETCH(QString, command);
        QFETCH(QString, selected);
        QFETCH(QString, message);
        const QHash<QString, void (GalaSelectEventsForm::*)()> commands{
            {"date", &GalaSelectEventsForm::SelectByDate},
            {"group", &GalaSelectEventsForm::SelectByGroup},
            {"stroke", &GalaSelectEventsForm::SelectByStroke},
            {"range", &GalaSelectEventsForm::SelectByEventNumberRange},
            {"all", &GalaSelectEventsForm::SelectAll},
            {"none", &GalaSelectEventsForm::DeselectAll},
            {"cancel", &GalaSelectEventsForm::Cancel}};
        Core::GalaState gala = Gala(Events);
        gala.Events[1].EvSelected = true;
        if (command.startsWith(u'*'))
            gala.Combinations = {{"1", "12"}};
        ScriptedPrompts prompts;
        GalaSelectEventsForm form(gala, prompts);
        form.Open();
        QCOMPARE(form.Boxes.at(2).Caption, QString("10:OPEN 100 FS"));
        QFETCH(QString, criterion);
        form.Criterion = criterion;
        form.KeepTicks = command.startsWith(u'+');
        command.remove(u'*').remove(u'+');
        if (command == "tick12")
            form.OnBoxTicked(3, true);
        else
            (form.*commands.value(command))();
        QCOMPARE(prompts.Messages, message.isEmpty() ? QStringList{} : QStringList{message});
        if (command != "cancel") {
            // The quick selections tick the boxes as they select.
            for (qsizetype i = 0; command != "tick12" && i < form.Boxes.size(); ++i)
                QCOMPARE(form.Boxes.at(i).Ticked, gala.Events.at(i).EvSelected);
            form.Confirm();
        }
        QCOMPARE(Selected(gala), selected);
        QVERIFY(form.Closed);
    }

    void moreEventsThanBoxes()
    {
        QStringList events;
        for (int e = 1; e <= 230; ++e)
            events << QStringLiteral("%1|OPEN|50|FS|14/03/2027").arg(e);
        Core::GalaState gala = Gala(events);
        ScriptedPrompts prompts;
        GalaSelectEventsForm form(gala, prompts);
        form.Open();
        QCOMPARE(prompts.Messages, QStringList{TooManyEventsMessage});
        QCOMPARE(form.Boxes.size(), SelectEventBoxes);
        form.SelectAll();
        form.Boxes[0].Ticked = false;
        form.Confirm();
        QCOMPARE(Selected(gala).count(u' '), 228); // all but the first, the last one too
        QVERIFY(gala.Events.last().EvSelected);
    }
};

QTEST_GUILESS_MAIN(TestEventSelection)
#include "tst_eventselection.moc"
