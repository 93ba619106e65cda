#include <QDir>
#include <QTest>

#include "core/galastate.h"
#include "core/sysparams.h"
#include "entries/entryfiles.h"
#include "entries/entryform.h"
#include "meetdb/database.h"
#include "meetdb/schema.h"
#include "meetdb/session.h"
#include "members/memberdb.h"
#include "support/dbrows.h"
#include "support/scriptedprompts.h"
#include "support/testfiles.h"

using namespace Entries;

namespace {

class NoDialogs : public EntryDialogs
{
public:
    bool AskAddress(const QString &, int, int, AddressRecord &) override { return false; }
    MemberDetailsAction ShowMemberDetails(MemberDetailsRequest &) override
    {
        return MemberDetailsAction::None;
    }
};

// A gala of the given kind recorded into the entry files of a temporary gala directory (the
// meet database not chosen). Groups IND, R72, OPEN; events "number|sex|group|distance|stroke".
struct FilesGala
{
    TestDir dir;
    MeetDb::Session session;
    ScriptedPrompts prompts;
    NoDialogs dialogs;
    std::unique_ptr<EntryForm> form;

    FilesGala(const QString &type, const QStringList &events)
    {
        session.ProgramDir = dir.Path();
        Core::GalaState &gala = session.Gala;
        gala.GalaType = type;
        gala.GalaDir = dir.Path();
        gala.QualDate = QStringLiteral("31/12/2026");
        gala.UseMeetDb = false;
        for (const char *group : {"IND", "R72", "OPEN"})
            gala.Groups << Core::GalaGroup{group, group, group, group};
        for (const QString &row : events) {
            const QStringList f = row.split(u'|');
            Core::GalaEvent event;
            event.EvNumber = f.at(0);
            event.EvSex = f.at(1);
            event.EvGroup = f.at(2);
            event.EvDistance = f.at(3);
            event.EvStroke = f.at(4);
            gala.Events << event;
        }
    }

    // A member in pbsys.mdb beside the program, with a personal best for 50 FS.
    void AddMember(const QString &surname, const QString &forename, const QString &dob,
                   const QString &pb50Fs)
    {
        const QString path = dir.FilePath("pbsys.mdb");
        if (!QFile::exists(path))
            Members::CreateMemberDatabase(path);
        MeetDb::Database db;
        db.Open(path);
        Members::Member member;
        member.Surname = surname;
        member.Forename = forename;
        member.RecordType = QStringLiteral("A");
        member.Sex = QStringLiteral("F");
        member.DateOfBirth = dob;
        member.PbTimes = QStringList(Members::MaxPbColumns, QString());
        member.PbTimes[4] = pb50Fs;
        Members::WriteMember(db, member);
        Core::ReadSystemParams(dir.Path(), session.Settings, prompts);
    }

    bool Open()
    {
        form = std::make_unique<EntryForm>(session, prompts, dialogs, MakeEntryStore(session));
        return form->Open();
    }

    QByteArray File(const QString &name) const { return TestDir::Read(dir.FilePath(name)); }

    // An open-gala swimmer. `times` per offered slot: "" not checked, "-" checked without a
    // time, anything else typed into the time box.
    void EnterOpen(const QString &name, const QString &club, const QString &dob, const QString &sex,
                   int group, const QStringList &times)
    {
        form->FullName = name;
        form->ClubName = club;
        form->IntDob = dob;
        if (!dob.isEmpty())
            form->OnDobLeft();
        form->IntSex = sex;
        form->OnSexLeft();
        form->OnGroupClicked(group);
        for (int i = 0; i < times.size(); ++i) {
            QVERIFY(form->Slots[i].Visible);
            if (times.at(i) == u"-") {
                form->Slots[i].Checked = true;
            } else if (!times.at(i).isEmpty()) {
                form->Slots[i].Time = times.at(i);
                form->OnTimeLeft(i);
            }
        }
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

void CompareWithGolden(const FilesGala &gala, const QString &folder, const QStringList &names)
{
    for (const QString &name : names) {
        const QByteArray golden = TestDir::Read(TestDataPath("entrywindow/" + folder + "/" + name));
        QVERIFY2(!golden.isEmpty(), qPrintable(name));
        QCOMPARE(gala.File(name), golden);
    }
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
        for (const char *name : {"intent.vb", "intent.cds", "intent.ctl"})
            gala.dir.Write(name, TestDir::Read(TestDataPath(
                                     QStringLiteral("entrywindow/open-before/") + name)));
        gala.prompts.Exists(true, Core::ExistingFileOption::Append);
        QVERIFY(gala.Open());
        gala.EnterOpen("Jane Brown", "VMSC", "05/03/10", "F", 2, {"35.5", "nt", "-"});
        QCOMPARE(gala.form->Info.last(), QStringLiteral("Set-Up Entrant No 9 Jane Brown"));
        gala.EnterOpen("Tom Green", "ASHB", "01/01/09", "M", 2, {"1.02.3"});
        gala.form->Exit();
        QCOMPARE(gala.prompts.Messages, QStringList());
        CompareWithGolden(gala, "open", {"intent.vb", "intent.cds", "intent.ctl"});
    }

    // A relay block has its group and sex on a line of their own, and "NT" in it is no time.
    void mastersMeetGolden()
    {
        FilesGala gala(Core::GalaMasters, {"5|F|IND|50|FS", "6|X|R72|200|FSR", "7|F|IND|100|BK"});
        QVERIFY(gala.Open());
        gala.EnterOpen("Velmora A", "VMSC", "", "X", 1, {"nt"});
        gala.EnterOpen("Jane Brown", "VMSC", "05/03/80", "F", 0, {"31.2", "NT"});
        gala.form->Exit();
        CompareWithGolden(gala, "masters", {"intent.vb", "intent.cds", "intent.ctl"});
    }

    // Members: swim lines with the key, the date of birth and the personal best as it stands;
    // a member not on the PB file has no times, and one with no swims writes nothing.
    void internalGalaGolden()
    {
        FilesGala gala(Core::GalaInternal, MemberEvents);
        gala.session.Gala.Mailing = true;
        gala.AddMember("Brown", "Jane", "20/03/10", "35.10");
        gala.prompts.Yes(); // a new file: clear the envelope flags
        QVERIFY(gala.Open());
        QCOMPARE(gala.prompts.Questions, QStringList{"Clear all envelope flags?"});

        gala.EnterMember("Jane Brown", 2);
        QCOMPARE(gala.form->Info.mid(0, 1), QStringList{"1 50m Freestyle 35.10"});
        gala.form->FullName = "Ann Green";
        gala.form->IntDob = "01/02/11";
        gala.form->IntSex = "F";
        gala.form->OnSexChanged();
        gala.form->OnGroupClicked(2);
        gala.form->Slots[0].Checked = true;
        gala.prompts.Yes(); // "Not on PB file .."
        gala.form->Record();
        gala.EnterMember("Jane Brown", 0);
        gala.form->Exit();
        CompareWithGolden(gala, "internal", {"intent.vb"});
        QVERIFY(!QFile::exists(gala.dir.FilePath("intent.ctl")));

        // "mailing" marks the member entered.
        MeetDb::Database db;
        db.Open(gala.dir.FilePath("pbsys.mdb"));
        Members::Member jane;
        QVERIFY(Members::ReadMember(db, 1, jane, gala.prompts));
        QVERIFY(jane.EnvelopeFlag);
    }

    void entryDateReplacesDateOfBirth()
    {
        FilesGala gala(Core::GalaGraded, MemberEvents);
        gala.session.Gala.EntryDateCheck = true;
        gala.AddMember("Brown", "Jane", "20/03/10", "");
        QVERIFY(gala.Open());
        gala.form->EntryDate = "01/05/26";
        gala.EnterMember("Jane Brown", 1);
        QCOMPARE(gala.File("intent.vb"), QByteArray("\"1\",\"Brown Jane\",\"01/05/26\",\"\"\r\n"));
    }

    // After every "Record" the files on disk hold all that was recorded, the window still open.
    void filesOnDiskAfterEachRecord()
    {
        FilesGala gala(Core::GalaOpen, OpenEvents);
        QVERIFY(gala.Open());
        QCOMPARE(gala.File("intent.ctl"), QByteArray("1\r\n"));
        const QStringList names{"Ann Lee", "Bea Kerr", "Cat Moss"};
        for (int i = 0; i < names.size(); ++i) {
            gala.EnterOpen(names.at(i), "VMSC", "05/03/10", "F", 2, {"40"});
            QList<EntrantBlock> blocks;
            QString error;
            QVERIFY2(LoadEntrantBlocks(gala.dir.FilePath("intent.vb"), false, blocks, &error),
                     qPrintable(error));
            QCOMPARE(blocks.size(), i + 1);
            QCOMPARE(blocks.last().Number, i + 1);
            QCOMPARE(blocks.last().Name, names.at(i));
            QCOMPARE(gala.File("intent.cds"), gala.File("intent.vb"));
            QCOMPARE(gala.File("intent.ctl"), QByteArray::number(i + 2) + "\r\n");
        }
        // Nothing checked: no number used, intent.ctl written back as it stands.
        gala.EnterOpen("Dot Page", "VMSC", "05/03/10", "F", 2, {});
        QCOMPARE(gala.File("intent.ctl"), QByteArray("4\r\n"));
    }

    void doubleQuoteIsRefused()
    {
        FilesGala gala(Core::GalaOpen, OpenEvents);
        QVERIFY(gala.Open());
        gala.EnterOpen("Jane \"JJ\" Brown", "VMSC", "05/03/10", "F", 2, {"40"});
        QCOMPARE(gala.prompts.Messages,
                 QStringList{"The entry was not recorded: The name Jane \"JJ\" Brown holds a "
                             "double quote, which cannot be written to intent.vb"});
        QCOMPARE(gala.form->FullName, QStringLiteral("Jane \"JJ\" Brown")); // kept to correct
        QCOMPARE(gala.File("intent.vb"), QByteArray());
        QCOMPARE(gala.File("intent.cds"), QByteArray());
        gala.form->FullName = "Jane Brown";
        gala.form->Record();
        QCOMPARE(gala.form->Info.last(), QStringLiteral("Set-Up Entrant No 1 Jane Brown"));
    }

    // Delete through the form: the store's own files are closed, rewritten and appended to.
    void deleteFromSwimLayoutFile()
    {
        FilesGala gala(Core::GalaInternal, MemberEvents);
        gala.AddMember("Brown", "Jane", "20/03/10", "35.10");
        gala.AddMember("Green", "Ann", "01/02/11", "");
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

    void deleteFromMeetDatabase()
    {
        FilesGala gala(Core::GalaOpen, OpenEvents);
        const QString path = gala.dir.FilePath("natamar.mdb");
        MeetDb::CreateMeetDatabase(path);
        gala.session.MeetDb.Open(path);
        InsertRows(gala.session.MeetDb, "Meet Table", "Meet code|Meet Name", {"M1|Spring"});
        gala.session.Gala.MeetCode = "M1";
        gala.session.Gala.MeetDbOpen = gala.session.Gala.UseMeetDb = true;
        QVERIFY(gala.Open());
        gala.EnterOpen("Jane Brown", "VMSC", "05/03/10", "F", 2, {"40", "41"});
        gala.form->FullName = "Jane Brown";
        gala.prompts.Yes().Yes();
        QCOMPARE(gala.form->Delete(), DeleteResult::Deleted);
        QCOMPARE(gala.form->Delete(), DeleteResult::NotFound);
        QCOMPARE(gala.prompts.Shown, QStringList({"yesno: Confirm delete entries for Jane Brown",
                                                  "message: Deleting entries for  2 swims",
                                                  "yesno: Confirm delete entries for Jane Brown",
                                                  "message: Entrant Not Found"}));
        QVERIFY(!QFile::exists(gala.dir.FilePath("intent.vb")));
    }

    // A "Select" gala's events typed in as pairs are written back to its parameter file at
    // "Exit".
    void selectGalaWritesEventsBack()
    {
        FilesGala gala(Core::GalaSelect, {});
        gala.AddMember("Brown", "Jane", "20/03/10", "35.10");
        gala.session.Gala.GalaParamFile =
            gala.dir.Write("select.ini", "type=Select\r\nevent=9 F OPEN 25 FS\r\nEnd=End\r\n");
        QVERIFY(gala.Open());
        gala.form->FullName = "Jane Brown";
        gala.form->OnShortNameLeft();
        gala.form->OnGroupClicked(2);
        gala.form->Pairs[0] = {"FS", "50"};
        gala.form->Record();
        gala.form->Exit();
        QCOMPARE(gala.File("intent.vb"),
                 QByteArray("\"1\",\"Brown Jane\",\"20/03/10\",\"35.10\"\r\n"));
        QCOMPARE(gala.File("select.ini"),
                 QByteArray("type=Select\r\nevent=1 F OPEN 50 FS \r\nEnd=End\r\n"));
    }
};

QTEST_GUILESS_MAIN(TestEntryFilesStore)
#include "tst_entryfilesstore.moc"
