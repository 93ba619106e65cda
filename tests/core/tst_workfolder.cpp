#include <unistd.h>

#include <QDir>
#include <QFileInfo>
#include <QTest>

#include "core/settings.h"
#include "core/startup.h"
#include "core/workfolder.h"
#include "support/scriptedprompts.h"
#include "support/testfiles.h"

using namespace Qt::StringLiterals;

namespace {

// Sets an environment variable for one test (unset for a null value) and puts the old value
// back afterwards.
struct EnvVar
{
    EnvVar(const char *name, const QString &value)
        : Name(name)
        , WasSet(qEnvironmentVariableIsSet(name))
        , Old(qgetenv(name))
    {
        value.isNull() ? qunsetenv(name) : qputenv(name, value.toLocal8Bit());
    }
    ~EnvVar() { WasSet ? qputenv(Name, Old) : qunsetenv(Name); }
    const char *Name;
    bool WasSet;
    QByteArray Old;
};

} // namespace

class TstWorkFolder : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void Order_data()
    {
        QTest::addColumn<QString>("dirOption");     // "dir" for the test's folder, "missing", or ""
        QTest::addColumn<QStringList>("inProgram"); // files laid in the program's folder
        QTest::addColumn<QString>("xdg");           // XDG_DATA_HOME: "set", "unset", "", "relative"
        QTest::addColumn<QString>("expected");      // "dir", "program", "xdg", "home" or "none"

        const QStringList none, ini{u"pbsystem.ini"_s}, db{u"natamar.mdb"_s};
        const QStringList other{u"internal.ini"_s, u"asaclubcodes.csv"_s};
        // clang-format off
        QTest::newRow("--dir wins over the program's files")   << "dir"     << ini   << "set"      << "dir";
        QTest::newRow("--dir of no folder")                    << "missing" << ini   << "set"      << "none";
        QTest::newRow("program folder with pbsystem.ini")      << ""        << ini   << "set"      << "program";
        QTest::newRow("program folder with natamar.mdb only")  << ""        << db    << "set"      << "program";
        QTest::newRow("program folder with other files only")  << ""        << other << "set"      << "xdg";
        QTest::newRow("empty program folder")                  << ""        << none  << "set"      << "xdg";
        QTest::newRow("XDG_DATA_HOME unset")                   << ""        << none  << "unset"    << "home";
        QTest::newRow("XDG_DATA_HOME empty")                   << ""        << none  << ""         << "home";
        QTest::newRow("XDG_DATA_HOME relative")                << ""        << none  << "relative" << "home";
        // clang-format on
    }

    void Order()
    {
        QFETCH(QString, dirOption);
        QFETCH(QStringList, inProgram);
        QFETCH(QString, xdg);
        QFETCH(QString, expected);

        TestDir program, dir, home, dataHome, kit;
        kit.Write(u"natamar.mdb"_s, "demo");
        for (const QString &name : inProgram)
            program.Write(name, "x");
        const QString option = dirOption == "dir"_L1       ? dir.Path()
                               : dirOption == "missing"_L1 ? dir.FilePath(u"gone"_s)
                                                           : QString();
        const QString xdgValue = xdg == "set"_L1        ? dataHome.Path()
                                 : xdg == "relative"_L1 ? u"share"_s
                                 : xdg == "unset"_L1    ? QString()
                                                        : u""_s;
        EnvVar homeVar("HOME", home.Path());
        EnvVar xdgVar("XDG_DATA_HOME", xdgValue);

        const Core::WorkFolderChoice choice =
            Core::FindWorkFolder(option, program.Path(), {kit.Path()});

        const QString xdgFolder = dataHome.FilePath(u"openmeet"_s);
        const QString homeFolder = home.FilePath(u".local/share/openmeet"_s);
        const QString want = expected == "dir"_L1       ? dir.Path()
                             : expected == "program"_L1 ? program.Path()
                             : expected == "xdg"_L1     ? xdgFolder
                             : expected == "home"_L1    ? homeFolder
                                                        : QString();
        QCOMPARE(choice.Path, want);
        QCOMPARE(choice.Error.isEmpty(), expected != "none"_L1);
        if (expected == "none"_L1)
            QVERIFY2(choice.Error.contains(u"gone"_s), qPrintable(choice.Error));
        // Only the user's data folder is ever made or filled.
        const bool filled = expected == "xdg"_L1 || expected == "home"_L1;
        QCOMPARE(QFileInfo::exists(QDir(want).filePath(u"natamar.mdb"_s)),
                 filled || (inProgram.contains(u"natamar.mdb"_s) && expected == "program"_L1));
        QCOMPARE(QFileInfo::exists(xdgFolder), expected == "xdg"_L1);
        QCOMPARE(QFileInfo::exists(homeFolder), expected == "home"_L1);
    }

    void FilledOnlyOnce()
    {
        TestDir program, dataHome, kit;
        kit.Write(u"natamar.mdb"_s, "demo");
        kit.Write(u"champs/champs.ini"_s, "champs");
        const QString kitDb = kit.Write(u"pbsys.mdb"_s, "members");
        QFile::setPermissions(kitDb, QFileDevice::ReadOwner | QFileDevice::ReadOther);
        EnvVar xdgVar("XDG_DATA_HOME", dataHome.Path());
        const QStringList kits{kit.FilePath(u"none-here"_s), kit.Path()};

        const Core::WorkFolderChoice first = Core::FindWorkFolder({}, program.Path(), kits);
        const QString folder = dataHome.FilePath(u"openmeet"_s);
        QCOMPARE(first.Path, folder);
        QCOMPARE(first.Error, QString());
        QVERIFY2(first.Status.contains(u"copied the demo kit into "_s + folder),
                 qPrintable(first.Status));
        QCOMPARE(TestDir::Read(folder + u"/champs/champs.ini"_s), "champs");
        QVERIFY(
            QFileInfo(folder + u"/pbsys.mdb"_s).isWritable()); // a read-only kit is copied writable
        // Nothing is left of the folder the kit was copied into first.
        QCOMPARE(QDir(dataHome.Path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot),
                 QStringList{u"openmeet"_s});

        // The club replaces the demo meets with its own: the next run leaves that alone.
        QVERIFY(QFile::remove(folder + u"/natamar.mdb"_s));
        const Core::WorkFolderChoice second = Core::FindWorkFolder({}, program.Path(), kits);
        QCOMPARE(second.Path, folder);
        QCOMPARE(second.Status, QString());
        QCOMPARE(second.Error, QString());
        QVERIFY(!QFileInfo::exists(folder + u"/natamar.mdb"_s));

        // Without any kit the folder is still made, empty, and the status says why.
        TestDir otherHome;
        EnvVar otherXdg("XDG_DATA_HOME", otherHome.Path());
        const Core::WorkFolderChoice bare =
            Core::FindWorkFolder({}, program.Path(), {program.Path()});
        QVERIFY(QFileInfo(bare.Path).isDir());
        QVERIFY2(bare.Status.contains(u"no demo kit"_s), qPrintable(bare.Status));
    }

    void Unwritable_data()
    {
        QTest::addColumn<QString>(
            "xdg"); // relative to the test's folder, which holds a file "file"
        QTest::addColumn<bool>("asRoot"); // whether the row means anything when run as root
        QTest::newRow("data home under a file") << "file/share" << true;
        QTest::newRow("work folder is a file") << "." << true; // "openmeet" laid as a file below
        QTest::newRow("work folder read-only") << "ro" << false;
        QTest::newRow("data home read-only") << "rohome" << false;
    }

    void Unwritable()
    {
        QFETCH(QString, xdg);
        QFETCH(bool, asRoot);
        if (!asRoot && ::geteuid() == 0)
            QSKIP("root writes to read-only folders");

        TestDir base, program, kit;
        kit.Write(u"natamar.mdb"_s, "demo");
        base.Write(u"file"_s, "x");
        if (xdg == "."_L1)
            base.Write(u"openmeet"_s, "x");
        QDir(base.Path()).mkpath(u"ro/openmeet"_s);
        QDir(base.Path()).mkpath(u"rohome"_s);
        const QFileDevice::Permissions readOnly = QFileDevice::ReadOwner | QFileDevice::ExeOwner;
        QFile::setPermissions(base.FilePath(u"ro/openmeet"_s), readOnly);
        QFile::setPermissions(base.FilePath(u"rohome"_s), readOnly);
        EnvVar xdgVar("XDG_DATA_HOME", QDir::cleanPath(base.FilePath(xdg)));

        const Core::WorkFolderChoice choice =
            Core::FindWorkFolder({}, program.Path(), {kit.Path()});
        QFile::setPermissions(base.FilePath(u"ro/openmeet"_s), readOnly | QFileDevice::WriteOwner);
        QFile::setPermissions(base.FilePath(u"rohome"_s), readOnly | QFileDevice::WriteOwner);

        QCOMPARE(choice.Path, QDir::cleanPath(base.FilePath(xdg + u"/openmeet"_s)));
        QVERIFY2(choice.Error.contains(choice.Path + u", cannot be written"_s),
                 qPrintable(choice.Error));
        QVERIFY2(choice.Error.contains(u"--dir"_s), qPrintable(choice.Error));
        QCOMPARE(choice.Status, QString());
    }

    void BuildTreeKit()
    {
        // The program in the build tree finds the kit the build laid out, as the installed one
        // does.
        const QStringList kits = Core::DemoKitFolders(QStringLiteral(OPENMEET_RUNTIME_DIR));
        QVERIFY(!kits.isEmpty());
        QVERIFY2(QFileInfo(kits.constFirst() + u"/natamar.mdb"_s).isFile(),
                 qPrintable(kits.join(u' ')));
    }

    void MeetDbOnCommandLine()
    {
        TestDir dir;
        const QString given = dir.Write(u"spring.mdb"_s, "x");
        Core::SystemSettings settings;
        for (int i = 1; i < Core::MaxNatamarDbFiles; ++i)
            settings.NatamarDbFiles.append(u"/db/n%1.mdb"_s.arg(i));
        settings.NatamarDbFiles.insert(5, given); // named in pbsystem.ini as well
        ScriptedPrompts prompts;

        // Given relative to the current folder, it is kept whole, first, and only once; the list
        // stays within its capacity.
        const QString current = QDir::currentPath();
        QDir::setCurrent(dir.Path());
        const QString status = Core::OfferMeetDb(u"spring.mdb"_s, settings, prompts);
        QVERIFY2(status.contains(given), qPrintable(status));
        QCOMPARE(settings.NatamarDb, given);
        QCOMPARE(settings.NatamarDbFiles.constFirst(), given);
        QCOMPARE(settings.NatamarDbFiles.count(given), 1);
        QCOMPARE(settings.NatamarDbCount(), Core::MaxNatamarDbFiles);
        QCOMPARE(settings.NatamarDbFiles.constLast(), u"/db/n99.mdb"_s);

        // One more pushes the last known one out rather than going past the capacity.
        const QString other = dir.Write(u"autumn.mdb"_s, "x");
        Core::OfferMeetDb(other, settings, prompts);
        QCOMPARE(settings.NatamarDbCount(), Core::MaxNatamarDbFiles);
        QCOMPARE(settings.NatamarDbFiles.mid(0, 2), (QStringList{other, given}));
        QCOMPARE(settings.NatamarDbFiles.constLast(), u"/db/n98.mdb"_s);
        QVERIFY(prompts.Messages.isEmpty());

        // A file that is not there changes nothing.
        const Core::SystemSettings before = settings;
        QCOMPARE(Core::OfferMeetDb(u"gone.mdb"_s, settings, prompts), QString());
        QCOMPARE(prompts.Messages, QStringList{u"The meet database gone.mdb does not exist."_s});
        QCOMPARE(settings.NatamarDbFiles, before.NatamarDbFiles);
        QCOMPARE(settings.NatamarDb, other);
        QDir::setCurrent(current);
    }
};

QTEST_GUILESS_MAIN(TstWorkFolder)
#include "tst_workfolder.moc"
