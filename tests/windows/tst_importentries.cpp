#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QTest>

#include "core/captureprompts.h"
#include "lenex/importentriesform.h"
#include "meetdb/competitionload.h"
#include "meetdb/meetimport.h"
#include "meetdb/schema.h"
#include "meetdb/session.h"
#include "support/entryfixture.h"
#include "support/scriptedprompts.h"
#include "support/testfiles.h"
#include "windows/importentries.h"

namespace {

// The demo open meet with nobody entered, and a club's file entering Zoe Ash in events 1 and 2.
struct Fixture
{
    TestDir dir;
    MeetDb::Session session;
    Lenex::Document document;

    Fixture()
    {
        const QString path = dir.FilePath("natamar.mdb");
        MeetDb::CreateMeetDatabase(path);
        MeetDb::ImportMessages messages;
        MeetDb::AddMeetFromFile(path, TestDataPath("../../demo/open.ini"), "SP", messages);
        Core::CapturePrompts prompts;
        MeetDb::LoadMeetByCode(session, path, "SP", prompts);
        Lenex::Session programme;
        Lenex::Athlete zoe;
        zoe.FirstName = "Zoe";
        zoe.LastName = "Ash";
        zoe.Gender = "F";
        zoe.BirthDate = QDate(2017, 1, 1);
        for (int number : {1, 2}) {
            Lenex::Event event;
            event.Id = event.Number = number;
            programme.Events << event;
            Lenex::Entry entry;
            entry.EventId = number;
            entry.EntryTime = "00:00:40.00";
            zoe.Entries << entry;
        }
        Lenex::Club club;
        club.Code = "VMSC";
        club.Athletes << zoe;
        Lenex::Meet meet;
        meet.Sessions << programme;
        meet.Clubs << club;
        document.Meets << meet;
    }

    int Entrants() { return int(TableRows(session.MeetDb, "Entrant Table", {"age"}).size()); }
};

} // namespace

class TestImportEntries : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    // Return alone imports nothing; Alt+I imports and closes the window; Esc closes it and
    // writes nothing.
    void keys()
    {
        for (const bool import : {true, false}) {
            Fixture fixture;
            ScriptedPrompts prompts;
            Lenex::ImportEntriesForm form(fixture.session, prompts);
            QVERIFY(form.Load(fixture.document, "vmsc.lef"));
            Windows::ImportEntries window(form);
            window.show();
            window.activateWindow();
            QVERIFY(QTest::qWaitForWindowActive(&window));
            QCOMPARE(window.SummaryBox()->toPlainText(), form.SummaryText());
            QVERIFY(window.SummaryBox()->hasFocus());
            QVERIFY(window.ImportButton()->isEnabled());
            QTest::keyClick(window.SummaryBox(), Qt::Key_Return);
            QVERIFY(window.isVisible());
            QCOMPARE(fixture.Entrants(), 0);
            if (import) {
                QTest::keyClick(&window, Qt::Key_I, Qt::AltModifier);
                QTRY_VERIFY(!window.isVisible());
                QCOMPARE(window.result(), int(QDialog::Accepted));
                QCOMPARE(fixture.Entrants(), 1);
                QCOMPARE(prompts.Messages.size(), 1);
            } else {
                QTest::keyClick(window.SummaryBox(), Qt::Key_Escape);
                QTRY_VERIFY(!window.isVisible());
                QCOMPARE(window.result(), int(QDialog::Rejected));
                QCOMPARE(fixture.Entrants(), 0);
                QVERIFY(prompts.Messages.isEmpty());
            }
        }
    }

    // The club's file is chosen among Lenex files, and the longest refusal (an unknown club,
    // with its advice) is read whole in the window as it opens: nothing hides past its edge.
    void longRefusalsShownWhole()
    {
        Fixture fixture;
        ScriptedPrompts prompts;
        prompts.Browse(TestDataPath("lenex/spring27-entries.lef"));
        Lenex::ImportEntriesForm form(fixture.session, prompts);
        QVERIFY(form.Open());
        QCOMPARE(prompts.Filters, QStringList{"Lenex (*.lxf *.lef)"});
        QVERIFY(form.SummaryText().contains("is not a club of this meet; add it with"));
        Windows::ImportEntries window(form);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        QCOMPARE(window.SummaryBox()->horizontalScrollBar()->maximum(), 0);
    }
};

QTEST_MAIN(TestImportEntries)
#include "tst_importentries.moc"
