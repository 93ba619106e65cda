#include <QTest>

#include "core/galastate.h"
#include "meetday/mastersconfirmform.h"
#include "meetday/swimedits.h"
#include "support/dbrows.h"
#include "support/entryfixture.h"

using namespace MeetDay;

namespace {

// An open meet in the meet database, girls' events 1, 2, 3, 4, 7 and 12, with 2 and 4 swum
// together (lead 2), boys' event 8 and mixed event 9. Ann (1) swims 1 (confirmed, "TT") and 3,
// Bea (2) only 1. The form shows Ann.
struct SwimMeet : EntryGala
{
    std::unique_ptr<MastersConfirmForm> form;

    explicit SwimMeet(const QString &mode = ModeMeetDay)
        : EntryGala("Open",
                    {"1|F|OPEN|50|FS", "2|F|OPEN|50|BK", "3|F|OPEN|50|BR", "4|F|OPEN|50|FLY",
                     "7|F|OPEN|50|BK", "12|F|OPEN|100|FS", "8|M|OPEN|50|FS", "9|X|OPEN|50|FS"})
    {
        session.Gala.ProgramMode = mode;
        session.Gala.Combinations << QStringList{"2", "4"};
        UseMeetDb();
        InsertRows(session.MeetDb, "Entrant Table", "Meet code|Entrant Number|Swimmer Name|Sex",
                   {"M1|1|Ann Lee|F", "M1|2|Bea Ray|F"});
        InsertRows(session.MeetDb, "Swim Table",
                   "Meet code|Entrant Number|Event number|Entry Time|Confirmed|Combined With|"
                   "Meet Specific",
                   {"M1|1|1|35.10|1|1|TT", "M1|1|3|40.00|0|3|", "M1|2|1|1:05.00|0|1|"});
        form = std::make_unique<MastersConfirmForm>(session, prompts);
        form->Open();
        form->TakeFocus();
    }

    // The swims of the meet database as "entrant event time confirmed pool".
    QStringList Stored()
    {
        return TableRows(
            session.MeetDb, "Swim Table",
            {"Entrant Number", "Event number", "Entry Time", "Confirmed", "Combined With"});
    }
    // The rows shown, "event/button".
    QStringList Shown() const
    {
        QStringList rows;
        for (const SwimRow &row : form->Rows)
            if (row.Visible)
                rows << row.EvNo + "/" + row.ButtonCaption;
        return rows;
    }
};

} // namespace

class TestSwimEdits : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    // "Del" and "Add" in both modes. Rows: entrant shown|the row pressed|answer (y, n, or the
    // event numbers typed)|the rows shown afterwards|the message ("" for none)|the box focused.
    void delAndAdd_data()
    {
        QTest::addColumn<QString>("mode");
        QTest::addColumn<QStringList>("cells");
        // clang-format off
        for (const QString &mode : {ModeMeetDay, ModeEntries}) {
            const auto row = [&](const char *tag, const char *cells) {
                QTest::newRow(qPrintable(mode + ": " + tag)) << mode << QString(cells).split(u'|');
            };
            row("remove the first", "1|0|y|3/Del /Add||button 0");
            row("remove the last", "1|1|y|1/Del /Add||button 1");
            row("removal declined", "1|0|n|1/Del 3/Del /Add||button 0");
            row("remove the only swim", "2|0|y|/Add||button 0");
            row("three on the Add row", "2|1|3 7 12|1/Del 3/Del 7/Del 12/Del /Add||time 1");
            row("added in event order", "1|2|4  2|1/Del 2/Del 3/Del 4/Del /Add||time 3");
            row("twice, and one entered", "1|2|2 2 1|1/Del 2/Del 3/Del /Add|"
                "Ann Lee is already entered in event 2\nAnn Lee is already entered in event 1|time 1");
            row("boys' event refused, mixed taken", "1|2|8 9|1/Del 3/Del 9/Del /Add|"
                "Event 8 is for sex M: Ann Lee is F|time 2");
            row("nothing to add", "1|2|99|1/Del 3/Del /Add|Event 99 is not an event of this meet|button 2");
            row("a row past the Add row", "1|3||1/Del 3/Del /Add||none");
        }
        // clang-format on
    }

    void delAndAdd()
    {
        QFETCH(QString, mode);
        QFETCH(QStringList, cells);
        SwimMeet meet(mode);
        meet.form->ShowEntrant(cells[0].toInt());
        const int row = cells[1].toInt();
        const QString answer = cells[2];
        if (answer == "y" || answer == "n")
            answer == "y" ? meet.prompts.Yes() : meet.prompts.No();
        else if (!answer.isEmpty())
            meet.prompts.Type(answer);
        meet.form->DelEvent(row);
        QCOMPARE(meet.Shown().join(u' '), cells[3]);
        QCOMPARE(meet.prompts.Messages.join(u'/'), cells[4]);
        if (answer == "y" || answer == "n")
            QCOMPARE(meet.prompts.DefaultNoQuestions.size(), 1);
        const ConfirmFocus focus = meet.form->TakeFocus();
        const QHash<ConfirmBox, QString> boxes{{ConfirmBox::None, "none"},
                                               {ConfirmBox::SwimButton, "button"},
                                               {ConfirmBox::EntryTime, "time"}};
        QCOMPARE(boxes.value(focus.Box) +
                     (focus.Box == ConfirmBox::None ? "" : " " + QString::number(focus.Row)),
                 cells[5]);
    }

    // An added swim is saved unconfirmed, without a time, in the pool event of its event; a
    // swimmer left with no swims is removed from the meet.
    void addAndRemoveSaved()
    {
        SwimMeet meet;
        meet.prompts.Type("4").Yes().Yes();
        meet.form->DelEvent(2);
        meet.form->DelEvent(0);
        meet.form->ShowEntrant(2);
        meet.form->DelEvent(0);
        QVERIFY(meet.form->SaveAll());
        QCOMPARE(meet.Stored(), (QStringList{"1|3|40.00|0|3", "1|4|9:99.99|0|2"}));
        QCOMPARE(TableRows(meet.session.MeetDb, "Entrant Table", {"Entrant Number"}),
                 QStringList{"1"});
    }

    // A swim moved to another event is swum, seeded and printed with that event: it takes the
    // new event's pool event. Moving it to an event the entrant has already, or to one the meet
    // does not hold, is refused at once and nothing is asked. Rows: the row|the event typed|the
    // answer|the swims saved|the message.
    void moveEvent_data()
    {
        // clang-format off
        AddRows({"0|4|y|1|3|40.00|0|3 1|4|35.10|1|2|",
                 "1|2|y|1|1|35.10|1|1 1|2|40.00|0|2|",
                 "1|12|y|1|1|35.10|1|1 1|12|40.00|0|12|",
                 "1|12|n|1|1|35.10|1|1 1|3|40.00|0|3|",
                 "0|3||1|1|35.10|1|1 1|3|40.00|0|3|Ann Lee is already entered in event 3",
                 "1|13||1|1|35.10|1|1 1|3|40.00|0|3|Event 13 is not an event of this meet",
                 "1|8||1|1|35.10|1|1 1|3|40.00|0|3|Event 8 is for sex M: Ann Lee is F",
                 "1|9|y|1|1|35.10|1|1 1|9|40.00|0|9|"});
        // clang-format on
    }

    void moveEvent()
    {
        const QStringList f = RowCells();
        SwimMeet meet;
        const int row = f[0].toInt();
        if (!f[2].isEmpty())
            f[2] == "y" ? meet.prompts.Yes() : meet.prompts.No();
        meet.form->Rows[row].EvNo = f[1];
        meet.form->OnEventNumberLeft(row);
        const ConfirmFocus focus = meet.form->TakeFocus();
        QVERIFY(meet.form->SaveAll());
        const QString saved = meet.Stored().filter(QRegularExpression("^1\\|")).join(u' ');
        QCOMPARE(saved, f.mid(3, f.size() - 4).join(u'|'));
        QCOMPARE(meet.prompts.Messages.join(u'/'), f.last());
        if (!f.last().isEmpty()) {
            QVERIFY(focus.Box == ConfirmBox::EventNumber && focus.Row == row && focus.SelectAll);
            QCOMPARE(meet.form->Rows[row].EvNo, meet.form->Entrants()[0].Swims[row].EventNumber);
        }
    }

    // "Export All" names the events with nothing to export in one message. Rows: the events
    // chosen|the message ("" for none)|the status.
    void exportAllEmptyEvents_data()
    {
        AddRows({"1||1 events exported", "1 3|No (confirmed) entries for event 3|1 events exported",
                 "1 3 7 12|No (confirmed) entries for events 3, 7, 12|1 events exported"});
    }
    void exportAllEmptyEvents()
    {
        const QStringList f = RowCells();
        SwimMeet meet;
        for (Core::GalaEvent &event : meet.session.Gala.Events)
            event.EvSelected = f[0].split(u' ').contains(event.EvNumber);
        meet.prompts.Yes().Yes(); // programme creation, confirmed swims only
        meet.form->ExportAll();
        QCOMPARE(meet.prompts.Messages.join(u'/'), f[1]);
        QCOMPARE(meet.form->Status, f[2]);
    }
};

QTEST_GUILESS_MAIN(TestSwimEdits)
#include "tst_swimedits.moc"
