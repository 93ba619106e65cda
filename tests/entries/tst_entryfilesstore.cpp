#include <QDir>
#include <QTest>

#include "core/galastate.h"
#include "entries/entryfiles.h"
#include "meetdb/database.h"
#include "support/entryfixture.h"

using namespace Entries;

namespace {

// A gala recorded into the entry files of its folder, the meet database not chosen.
struct FilesGala : EntryGala
{
    using EntryGala::EntryGala;

    void EnterOpen(const QString &name, const QString &club, const QString &dob, const QString &sex,
                   int group, const QStringList &times)
    {
        Fill(name, club, dob, sex, group, times);
        form->Record();
    }

    // A member picked by name, entered for the first `events` offered events of OPEN.
    void EnterMember(const QString &fullName, int events)
    {
        form->FullName = fullName;
        form->OnShortNameLeft();
        form->OnGroupClicked(2);
        for (int i = 0; i < events; ++i)
            form->Slots[i].Checked = true;
        form->Record();
    }
};

// Every file of tests/data/entrywindow/<folder>, byte for byte.
void CompareWithGolden(const FilesGala &gala, const QString &folder)
{
    const QDir golden(TestDataPath("entrywindow/" + folder));
    QVERIFY(!golden.isEmpty());
    for (const QString &name : golden.entryList(QDir::Files))
        QCOMPARE(gala.File(name), TestDir::Read(golden.filePath(name)));
}

const QStringList OpenEvents{"1|F|OPEN|50|FS", "2|M|OPEN|50|FS", "3|F|OPEN|100|BK",
                             "4|F|OPEN|200|BR"};
const QStringList MemberEvents{"1|F|OPEN|50|FS", "3|F|OPEN|100|BK"};

} // namespace

class TestEntryFilesStore : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    // Appending to an existing meet continues the numbering from intent.ctl, not from the file.
    void openMeetGolden()
    {
        FilesGala gala(Core::GalaOpen, OpenEvents);
        const QDir before(TestDataPath("entrywindow/open-before"));
        for (const QString &name : before.entryList(QDir::Files))
            gala.dir.Write(name, TestDir::Read(before.filePath(name)));
        gala.prompts.Exists(true, Core::ExistingFileOption::Append);
        QVERIFY(gala.Open());
        gala.EnterOpen("Jane Brown", "VMSC", "05/03/10", "F", 2, {"35.5", "nt", "-"});
        QCOMPARE(gala.form->Info.last(), QStringLiteral("Set-Up Entrant No 9 Jane Brown"));
        gala.EnterOpen("Tom Green", "ASHB", "01/01/09", "M", 2, {"1:02.3"});
        gala.form->Exit();
        QCOMPARE(gala.prompts.Messages, QStringList());
        CompareWithGolden(gala, "open");
    }

    // A relay block has its group and sex on a line of their own, and "NT" in it is no time.
    void mastersMeetGolden()
    {
        FilesGala gala(Core::GalaMasters, {"5|F|IND|50|FS", "6|X|R72|200|FSR", "7|F|IND|100|BK"});
        QVERIFY(gala.Open());
        gala.EnterOpen("Velmora A", "VMSC", "", "X", 1, {"nt"});
        gala.EnterOpen("Jane Brown", "VMSC", "05/03/80", "F", 0, {"31.2", "NT"});
        gala.form->Exit();
        CompareWithGolden(gala, "masters");
    }

    // Members: swim lines with the key, the date of birth and the personal best as it stands;
    // a member not on the PB file has no times, and one with no swims writes nothing.
    void internalGalaGolden()
    {
        FilesGala gala(Core::GalaInternal, MemberEvents);
        gala.session.Gala.Mailing = true;
        gala.AddMember(NewMember("Brown", "Jane", "20/03/10", "35.10"));
        gala.prompts.Yes(); // a new file: clear the envelope flags
        QVERIFY(gala.Open());
        QCOMPARE(gala.prompts.Questions, QStringList{"Clear all envelope flags?"});

        gala.EnterMember("Jane Brown", 2);
        QCOMPARE(gala.form->Info.mid(0, 1), QStringList{"1 50m Freestyle 35.10"});
        gala.prompts.Yes(); // "Not on PB file .."
        gala.EnterOpen("Ann Green", "", "01/02/11", "F", 2, {"-"});
        gala.EnterMember("Jane Brown", 0);
        gala.form->Exit();
        CompareWithGolden(gala, "internal");
        QVERIFY(!QFile::exists(gala.dir.FilePath("intent.ctl")));

        // "mailing" marks the member entered.
        MeetDb::Database db;
        db.Open(gala.dir.FilePath("pbsys.mdb"));
        Members::Member jane;
        QVERIFY(Members::ReadMember(db, 1, jane, gala.prompts));
        QVERIFY(jane.EnvelopeFlag);
    }

    // A name that would not read back is refused, kept to correct, and takes no number; a
    // swimmer in the files already is found there, and not entered again on "No".
    void refusedAndRepeatedEntrants()
    {
        FilesGala gala(Core::GalaOpen, OpenEvents);
        QVERIFY(gala.Open());
        gala.EnterOpen("Jane \"JJ\" Brown", "VMSC", "05/03/10", "F", 2, {"40"});
        QCOMPARE(gala.prompts.Messages,
                 QStringList{"The entry was not recorded: The name Jane \"JJ\" Brown holds a "
                             "double quote, which cannot be written to intent.vb"});
        QCOMPARE(gala.form->FullName, QStringLiteral("Jane \"JJ\" Brown"));
        gala.EnterOpen("Bea Kerr", "VMSC", "05/03/10", "F", 2, {"40"});
        QCOMPARE(gala.File("intent.ctl"), QByteArray("2\r\n")); // the window still open
        gala.prompts.No();
        gala.EnterOpen("Bea Kerr", "VMSC", "5/3/2010", "F", 2, {"41"});
        QCOMPARE(gala.prompts.Questions, QStringList{"Bea Kerr is already entered as number 1. "
                                                     "Enter again?"});
        QCOMPARE(gala.File("intent.ctl"), QByteArray("2\r\n"));
    }

    // Delete through the form: the store's own files are closed, rewritten and appended to.
    void deleteFromSwimLayoutFile()
    {
        FilesGala gala(Core::GalaInternal, MemberEvents);
        gala.AddMember(NewMember("Brown", "Jane", "20/03/10", "35.10"));
        gala.AddMember(NewMember("Green", "Ann", "01/02/11"));
        QVERIFY(gala.Open());
        gala.EnterMember("Jane Brown", 2);
        gala.EnterMember("Ann Green", 1);
        gala.form->FullName = "Jane Brown";
        gala.prompts.Yes();
        QCOMPARE(gala.form->Delete(), DeleteResult::Deleted);
        QCOMPARE(gala.prompts.Messages,
                 QStringList({"Deleting One Record", "Deleting One Record"}));
        const QByteArray ann("\"1\",\"Green Ann\",\"01/02/11\",\"\"\r\n");
        QCOMPARE(gala.File("intent.vb"), ann);
        gala.EnterMember("Jane Brown", 1);
        QCOMPARE(gala.File("intent.vb"), ann + "\"1\",\"Brown Jane\",\"20/03/10\",\"35.10\"\r\n");
    }

    // A "Select" gala's events typed in as pairs are written back to its parameter file at
    // "Exit"; the entry date, when checked, stands in for the date of birth.
    void selectGalaWritesEventsBack()
    {
        FilesGala gala(Core::GalaSelect, {});
        gala.AddMember(NewMember("Brown", "Jane", "20/03/10", "35.10"));
        gala.session.Gala.GalaParamFile =
            gala.dir.Write("select.ini", "type=Select\r\nevent=9 F OPEN 25 FS\r\nEnd=End\r\n");
        gala.session.Gala.EntryDateCheck = true;
        QVERIFY(gala.Open());
        gala.form->EntryDate = "01/05/26";
        gala.form->Pairs[0] = {"FS", "50"};
        gala.EnterMember("Jane Brown", 0);
        gala.form->Exit();
        QCOMPARE(gala.File("intent.vb"),
                 QByteArray("\"1\",\"Brown Jane\",\"01/05/26\",\"35.10\"\r\n"));
        QCOMPARE(gala.File("select.ini"),
                 QByteArray("type=Select\r\nevent=1 F OPEN 50 FS \r\nEnd=End\r\n"));
    }
};

QTEST_GUILESS_MAIN(TestEntryFilesStore)
#include "tst_entryfilesstore.moc"
