#include <QTest>

#include "core/galastate.h"
#include "meetday/daylists.h"
#include "meetday/mastersconfirmform.h"
#include "support/entryfixture.h"

using namespace MeetDay;

namespace {

// Swims as "12" (unconfirmed) or "12*" (confirmed), blank-separated.
QList<RosterSwim> Swims(const QString &text)
{
    QList<RosterSwim> swims;
    for (QString event : text.split(u' ', Qt::SkipEmptyParts)) {
        const bool confirmed = event.endsWith(u'*');
        event.remove(u'*');
        swims.append({event, QStringLiteral("35.10"), confirmed, 0, {}, {}});
    }
    return swims;
}

// An open meet kept in intent.vb: events 1, 2, 3 and 12, with 2 and 3 swum together (lead 2),
// and clubs whose names are 18 (ASHB), 15 (VMSC), 16 (CAL16) and 17 (CAL17) characters long.
// Ann (1) swims 1, 2* and 3, Bob (2) 3 and 2, Cy (4) 2*.
struct Day : EntryGala
{
    std::unique_ptr<MastersConfirmForm> form;

    Day()
        : EntryGala("Open",
                    {"1|F|OPEN|50|FS", "2|F|OPEN|50|BK", "3|F|OPEN|50|BR", "12|F|OPEN|100|FS"})
    {
        Core::GalaState &gala = session.Gala;
        gala.ProgramMode = ModeMeetDay;
        gala.Combinations << QStringList{"2", "3"};
        gala.Clubs << Core::GalaClub{"CAL16", "Caldermoor Otter"}
                   << Core::GalaClub{"CAL17", "Caldermoor Otters"};
    }

    // Saves `roster` as the entry file and opens the window's form on it.
    void Open(const Roster &roster)
    {
        QVERIFY(SaveRoster(session, roster, prompts));
        form = std::make_unique<MastersConfirmForm>(session, prompts);
        form->Open();
        form->TakeFocus();
        prompts.Shown.clear();
        prompts.Messages.clear();
    }

    static Roster Three()
    {
        return {{1, "Ann Lee", "ASHB", {}, "01/02/10", "F", Swims("1 2* 3")},
                {2, "Bob Ray", "VMSC", {}, "03/04/09", "M", Swims("3 2")},
                {4, "Cy Orr", "VMSC", {}, "05/06/08", "M", Swims("2*")}};
    }
};

} // namespace

class TestDayLists : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    // Columns of 5, 24 and 16 characters, at their widths and one past: a longer text is cut to
    // one character less and ">". Rows: number|name|club code|swims|the line.
    void missingLine_data()
    {
        AddRows({"7|Bartholomew Fotheringham|CAL16|1 12|"
                 "7    Bartholomew FotheringhamCaldermoor Otter1 12 ",
                 "123456|Bartholomew Fotheringhame|CAL17|12|"
                 "1234>Bartholomew Fotheringha>Caldermoor Otte>12 ",
                 "12345|Bartholomew Fotheringha|ZZZ|1 99 2|"
                 "12345Bartholomew Fotheringha ZZZ             1 2 ",
                 "1|Ann Lee|VMSC|3|1    Ann Lee                 Velmora Marlets 3 "});
    }

    void missingLine()
    {
        const QStringList f = RowCells();
        Day day;
        const RosterEntrant entrant{f[0].toInt(), f[1], f[2], {}, {}, "F", Swims(f[3])};
        QCOMPARE(MissingLine(entrant, day.session.Gala), f[4]);
        QCOMPARE(MissingList({entrant}, day.session.Gala), f[4] + "\r\n");
    }

    // Missing: swims in the session's events and none of them confirmed. Rows: swims|missing.
    void missing_data() { AddRows({"1 12|1", "1 12*|0", "99|0", "|0", "99* 1|1", "99 3*|0"}); }

    void missing()
    {
        const QStringList f = RowCells();
        Day day;
        const Roster roster{{1, "Ann Lee", "ASHB", {}, {}, "F", Swims(f[0])}};
        QCOMPARE(MissingEntrants(roster, day.session.Gala).size(), f[1].toInt());
        QCOMPARE(AnnouncerMessage(roster, day.session.Gala),
                 AnnouncerHeading + "\r\n" +
                     (f[1] == "1" ? "1    Ann Lee                 Ashbury Barracu>\r\n" : ""));
    }

    // "List Unconf": the missing entrants, or one pool event's unconfirmed swimmers, the event
    // first and then the events swum with it. Rows: answers (y, n, or the event typed)|the
    // messages|the box's lines, "/" between them.
    void listUnconfirmed_data()
    {
        // clang-format off
        AddRows({"y||2    Bob Ray                 Velmora Marlets 3 2 ",
                 "n|y|2||2     Bob Ray                  Velmora Marlets/1     Ann Lee                  Ashbury Barracudas/2     Bob Ray                  Velmora Marlets",
                 "n|y|02.0||2     Bob Ray                  Velmora Marlets/1     Ann Lee                  Ashbury Barracudas/2     Bob Ray                  Velmora Marlets",
                 "n|y|1||1     Ann Lee                  Ashbury Barracudas",
                 "n|y|3|This event is combined with event 2|",
                 "n|y|99|Invalid Event Number|",
                 "n|y|x|Invalid Event Number|",
                 "n|y|12|All entrants are competing|",
                 "n|n||"});
        // clang-format on
    }

    void listUnconfirmed()
    {
        QStringList f = RowCells();
        Day day;
        day.Open(Day::Three());
        for (int i = 0; i < f.size() - 2; ++i) {
            if (f[i] == "y" || f[i] == "n")
                f[i] == "y" ? day.prompts.Yes() : day.prompts.No();
            else if (!f[i].isEmpty())
                day.prompts.Type(f[i]);
        }
        day.form->ListUnconfirmed();
        QCOMPARE(day.prompts.Messages.join(u'/'), f[f.size() - 2]);
        const QString lines = f.last();
        QCOMPARE(day.form->NoConfList,
                 lines.isEmpty() ? QString() : QString(lines).replace("/", "\r\n") + "\r\n");
        QCOMPARE(day.form->TakeFocus().Box,
                 lines.isEmpty() ? ConfirmBox::None : ConfirmBox::NoConfList);
    }

    // The name and club lists for other programs, byte for byte: texts quoted, a quote inside
    // doubled, a line break a blank, CR LF after every line. Rows: name|age|club code|club
    // name|namelist.csv|clublist.csv (the meet's first club replaced).
    void csvFiles_data()
    {
        // clang-format off
        AddRows({"Ann Lee|01/02/10|ASHB|Ashbury|1,\"Ann Lee\",\"01/02/10\",\"ASHB\",\"F\"|\"ASHB\",\"Ashbury\"",
                 "Lee, Ann|R72|A,B|Ash, Bury|1,\"Lee, Ann\",\"R72\",\"A,B\",\"F\"|\"A,B\",\"Ash, Bury\"",
                 "Ann \"Speedy\" Lee||\"Q\"|The \"Q\"|1,\"Ann \"\"Speedy\"\" Lee\",\"\",\"\"\"Q\"\"\",\"F\"|\"\"\"Q\"\"\",\"The \"\"Q\"\"\"",
                 "Ann\r\nLee|\n|X|Zoë's|1,\"Ann Lee\",\" \",\"X\",\"F\"|\"X\",\"Zoë's\""});
        // clang-format on
    }

    void csvFiles()
    {
        const QStringList f = RowCells();
        Day day;
        day.session.Gala.Clubs[0] = {f[2], f[3]};
        day.Open(Day::Three());
        // Texts the entry file cannot hold are still listed.
        day.form->Entrants() = {{1, f[0], f[2], {}, f[1], "F", Swims("1")},
                                {12, "Bob Ray", "VMSC", {}, "03/04/09", "M", Swims("2")}};
        // Each says where it wrote in the window's own status line.
        day.form->NameList();
        QVERIFY(day.form->Status.startsWith("Name list written to "));
        day.form->ClubsList();
        QVERIFY(day.form->Status.startsWith("Club list written to "));
        QCOMPARE(day.File(NameListName),
                 f[4].toUtf8() + "\r\n12,\"Bob Ray\",\"03/04/09\",\"VMSC\",\"M\"\r\n");
        QCOMPARE(day.File(ClubListName), f[5].toUtf8() + "\r\n\"VMSC\",\"Velmora Marlets\"\r\n"
                                                         "\"CAL16\",\"Caldermoor Otter\"\r\n"
                                                         "\"CAL17\",\"Caldermoor Otters\"\r\n");
        QCOMPARE(day.prompts.Messages, QStringList{});
    }

    // Nothing to list: no file is written, and that is said.
    void emptyLists()
    {
        Day day;
        day.session.Gala.Clubs.clear();
        day.Open({});
        day.form->NameList();
        day.form->ClubsList();
        QCOMPARE(day.prompts.Messages, (QStringList{NoEntriesMessage, NoClubsMessage}));
        QVERIFY(day.File(NameListName).isNull() && day.File(ClubListName).isNull());
    }

    // "Compare": the roster as changed since the entry file was saved, against the file. Rows:
    // the change|the messages, "/" between them.
    void compare_data()
    {
        // clang-format off
        AddRows({"none|Comparison complete",
                 "name|Entrant  1 name mismatch/Comparison complete",
                 "club|Entrant  2 club mismatch/Comparison complete",
                 "age|Entrant  1 age group mismatch/Comparison complete",
                 "sex|Entrant  3 sex mismatch/Comparison complete",
                 "number|Record  2 entry number mismatch/Comparison complete",
                 "swim added|Entrant  2 event count mismatch/Comparison complete",
                 "event|Entrant  1 Event  3 event number mismatch/Comparison complete",
                 "time|Entrant  2 Event  1 entry time mismatch/Comparison complete",
                 "confirmed|Entrant  1 Event  1 confirmation status mismatch/Comparison complete",
                 "swims removed|Record  2 entry number mismatch/Entrant  2 name mismatch/Entrant  2 age group mismatch/"
                     "Entrant  2 event count mismatch/Entrant  2 Event  1 event number mismatch/"
                     "Entrant  2 Event  1 confirmation status mismatch/Record  3 entry number mismatch",
                 "entrant without swims|Comparison complete",
                 "entrant added|Record  4 entry number mismatch/Comparison complete",
                 "file cut|Entrant  2 name mismatch/intent.vb",
                 "no file|There is no entry file intent.vb"});
        // clang-format on
    }

    void compare()
    {
        const QStringList f = RowCells();
        Day day;
        if (f[0] == "no file")
            day.session.Gala.GalaType = Core::GalaMasters;
        day.Open(Day::Three());
        Roster &roster = day.form->Entrants();
        const QHash<QString, std::function<void()>> changes{
            {"none", [] {}},
            {"name", [&] { roster[0].Name = "Ann Lea"; }},
            {"club", [&] { roster[1].Club = "ASHB"; }},
            {"age", [&] { roster[0].Age = "01/02/11"; }},
            {"sex", [&] { roster[2].Sex = "F"; }},
            {"number", [&] { roster[1].EntrantNumber = 3; }},
            {"swim added", [&] { roster[1].Swims << Swims("1"); }},
            {"event", [&] { roster[0].Swims[2].EventNumber = "12"; }},
            {"time", [&] { roster[1].Swims[0].EntryTime = "35.00"; }},
            {"confirmed", [&] { roster[0].Swims[0].Confirmed = true; }},
            // Bob's record is compared with Cy, and Cy's with nobody.
            {"swims removed", [&] { roster[1].Swims.clear(); }},
            {"entrant without swims",
             [&] {
                 roster.insert(1, {9, "Di", "X", {}, {}, "F", {}});
             }},
            {"entrant added",
             [&] { roster << RosterEntrant{9, "Di", "X", {}, {}, "F", Swims("1")}; }},
            // The file ends inside Cy's swims: what could be read is compared, then the damage
            // is said.
            {"file cut",
             [&] {
                 const QByteArray bytes = day.File("intent.vb");
                 day.dir.Write("intent.vb", bytes.left(bytes.indexOf("4,\"Cy Orr\"") + 40));
                 roster[1].Name = "Bob Rae";
             }},
            // Nothing to compare with: the message names the file.
            {"no file", [&] { QFile::remove(day.dir.FilePath("intent.vb")); }}};
        changes.value(f[0])();
        day.form->Compare();
        QStringList shown = day.prompts.Messages;
        if (f[0] == "file cut")
            shown.last() = shown.last().contains("intent.vb") ? "intent.vb" : shown.last();
        if (f[0] == "no file" && shown.size() == 1 &&
            shown[0].startsWith("There is no entry file") &&
            shown[0].contains(day.dir.FilePath("intent.vb")))
            shown[0] = "There is no entry file intent.vb";
        QCOMPARE(shown.join(u'/'), f[1]);
    }
};

QTEST_GUILESS_MAIN(TestDayLists)
#include "tst_daylists.moc"
