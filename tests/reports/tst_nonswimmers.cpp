#include <QTest>

#include "core/galastate.h"
#include "core/startup.h"
#include "meetday/roster.h"
#include "reports/nonswimmers.h"
#include "reports/printer.h"
#include "reports/reportoutput.h"
#include "support/dbrows.h"
#include "support/entryfixture.h"
#include "support/pdftext.h"

namespace {

// An open meet in the meet database: events 1, 2 and 3 (2 and 3 swum together), 12, and 13 to
// 30. Ann (1) swims 1 and 2, Bartholomew (2, a name of 30 characters) 3 and 12 (confirmed), Cy
// (3) only 99, of another session, and Di (4) 1, 2 and 13 to 30. The programme numbered event
// 1 Di before Ann, and event 2 Bartholomew before Ann, with Di's swim in 2 not yet numbered.
struct NonSwimmersMeet : EntryGala
{
    MeetDay::Roster roster;

    NonSwimmersMeet()
        : EntryGala("Open",
                    {"1|F|OPEN|50|FS", "2|F|OPEN|50|BK", "3|F|OPEN|50|BR", "12|F|OPEN|100|FS"})
    {
        for (int e = 13; e <= 30; ++e) {
            Core::GalaEvent event;
            event.EvNumber = QString::number(e);
            session.Gala.Events << event;
        }
        session.Gala.Combinations << QStringList{"2", "3"};
        UseMeetDb();
        InsertRows(session.MeetDb, "Entrant Table",
                   "Meet code|Entrant Number|Swimmer Name|club|Sex",
                   {"M1|1|Ann Lee|ASHB|F", "M1|2|Bartholomew Fotheringhame-Smyt|VMSC|M",
                    "M1|3|Cy Orr|ZZZ|M", "M1|4|Di Fern|VMSC|F"});
        QStringList swims{"M1|1|1|0|1|3",   "M1|1|2|0|2|2", "M1|2|3|0|2|1", "M1|2|12|1|12|1",
                          "M1|3|99|0|99|0", "M1|4|1|0|1|1", "M1|4|2|0|2|"};
        for (int e = 13; e <= 30; ++e)
            swims << QStringLiteral("M1|4|%1|0|%1|").arg(e);
        InsertRows(session.MeetDb, "Swim Table",
                   "Meet code|Entrant Number|Event number|Confirmed|Combined With|Progref", swims);
        Core::InstallFontSubstitutions();
        MeetDay::LoadRoster(session, prompts, roster);
    }

    QString Printed(const QStringList &events)
    {
        for (Core::GalaEvent &event : session.Gala.Events)
            event.EvSelected = events.contains(event.EvNumber);
        const std::optional<Reports::NonSwimmers> list =
            Reports::PrepareNonSwimmers(session, roster, prompts);
        if (!list)
            return {};
        return PdfLayoutText(Reports::PdfReport(
            "list", {}, [&](Reports::Printer &p) { Reports::PrintNonSwimmers(p, *list); }));
    }
};

} // namespace

class TestNonSwimmers : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    // The whole list as a reader of the paper sees it: the missing swimmers (Di's events going
    // on under themselves), then each chosen pool event in programme order, an event whose
    // swimmers are all confirmed saying so.
    void golden()
    {
        NonSwimmersMeet meet;
        const QString text = meet.Printed({"1", "2", "3", "12"});
        QCOMPARE(
            text.split(u'\n'),
            QString::fromUtf8(TestDir::Read(TestDataPath("nonswimmers/golden.txt"))).split(u'\n'));
        QCOMPARE(meet.prompts.Messages, QStringList{});

        // The columns stand where the fixed-pitch face puts them, the heading underlined.
        const PdfContents words = PdfWords(Reports::PdfReport("list", {}, [&](Reports::Printer &p) {
            Reports::PrintNonSwimmers(
                p, *Reports::PrepareNonSwimmers(meet.session, meet.roster, meet.prompts));
        }));
        const QList<PdfWord> ann = FindWords(words, "Ann");
        const QList<PdfWord> ashbury = FindWords(words, "Ashbury");
        QVERIFY(!ann.isEmpty() && !ashbury.isEmpty());
        QVERIFY(qAbs(ann[0].Left - 0.75 - 0.5) < 0.02);
        QVERIFY(qAbs(ashbury[0].Left - 0.75 - 2.9) < 0.03);
    }

    // Without the meet database there are no programme references: roster order.
    void withoutDatabase()
    {
        NonSwimmersMeet meet;
        meet.session.Gala.MeetDbOpen = false;
        const QString text = meet.Printed({"1"});
        QVERIFY2(text.indexOf("Ann Lee") < text.lastIndexOf("Di Fern"), qPrintable(text));
        meet.session.Gala.MeetDbOpen = true;
        meet.session.MeetDb.Exec("DELETE FROM \"Saved Queries\" WHERE \"Name\" = 'Events for 1 "
                                 "Entrant'");
        QVERIFY(meet.Printed({"1"}).isEmpty());
        QCOMPARE(meet.prompts.Messages.size(), 1);
    }
};

QTEST_MAIN(TestNonSwimmers)
#include "tst_nonswimmers.moc"
