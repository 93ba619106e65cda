#include <signal.h>
#include <sys/types.h>

#include <QCryptographicHash>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QMap>
#include <QProcess>
#include <QRandomGenerator>
#include <QSqlDatabase>
#include <QSqlDriver>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QTest>

#include "core/captureprompts.h"
#include "core/galastate.h"
#include "entries/entryfiles.h"
#include "meetday/roster.h"
#include "meetdb/session.h"
#include "support/testfiles.h"

/*
 * Stops the programs that write a meet's files with SIGKILL at random moments, as a crash or a
 * power cut would, and checks what each stop leaves: the meet database passes SQLite's integrity
 * check and holds the state before the command or the state after it, never one between; no
 * entry file or PDF is half-written under its own name; and an entry file's entries come back
 * whole at the next load.
 *
 * The moments are spread over the time a whole run of the writer takes on this machine, measured
 * first, so a slow or busy machine stops its writers as often in mid-write as a fast one.
 * OPENMEET_KILLS sets the stops per writer (3 when unset); OPENMEET_KILL_SEED replays the moments
 * of an earlier run, whose seed is printed at the start.
 */
namespace {

const QString Tool = OPENMEET_RUNTIME_DIR "/openmeet-db";
const QString RosterWriter = OPENMEET_RUNTIME_DIR "/killtest-roster";
const QString MeetCode = "KILL", EntryFile = Entries::EntryFileName, Pdf = "out.pdf";
const int Minute = 60000;

// Four letters for `n`, so that every swimmer has a name of its own.
QString Letters(int n)
{
    QString text;
    for (int i = 0; i < 4; ++i, n /= 26)
        text.prepend(QChar(u'a' + n % 26));
    text[0] = text[0].toUpper();
    return text;
}

// `count` swimmers of the demo open meet in the CSV form of "add-entries", two events each,
// spread over the meet's sexes and groups. The same every run.
QByteArray EntriesCsv(int count)
{
    // Per group: the first birth year on the meet's qualifying date, the years it spans, the
    // first girls' event and how many follow (the boys' five later). Events 31 and 36 take only
    // swimmers under a limit time and are left out.
    struct Group
    {
        int FirstYear, Years, FirstEvent, Events;
    };
    const Group groups[] = {{2017, 2, 1, 5}, {2015, 2, 11, 5}, {2013, 2, 21, 5}, {2000, 13, 32, 4}};
    const char *const clubs[] = {"ASHB", "BRKF", "CALD", "DUNW", "ELMH", "FENW", "GLNB",
                                 "HARL", "IVYB", "KESW", "LANG", "MARS", "NORV", "OAKL",
                                 "PENR", "QUAR", "REDM", "STOW", "THRN", "VMSC"};
    QRandomGenerator rng(27);
    QByteArray csv = "Kind,Name,Club,Sex,Age,Regno,Events\n";
    for (int n = 0; n < count; ++n) {
        const Group &group = groups[rng.bounded(4)];
        const bool boy = rng.bounded(2) == 1;
        const int first = rng.bounded(group.Events);
        const int second = (first + 1 + rng.bounded(group.Events - 1)) % group.Events;
        QString line =
            QStringLiteral("I,Kim %1,%2,%3,%4/%5/%6,%7")
                .arg(Letters(n), clubs[rng.bounded(20)], boy ? "M" : "F")
                .arg(1 + rng.bounded(28), 2, 10, QChar(u'0'))
                .arg(1 + rng.bounded(12), 2, 10, QChar(u'0'))
                .arg((group.FirstYear + rng.bounded(group.Years)) % 100, 2, 10, QChar(u'0'))
                .arg(100000 + n);
        for (const int e : {first, second})
            line += QStringLiteral("%1%2=%3.%4")
                        .arg(e == first ? "," : " ")
                        .arg(group.FirstEvent + (boy ? 5 : 0) + e)
                        .arg(30 + rng.bounded(30))
                        .arg(rng.bounded(100), 2, 10, QChar(u'0'));
        csv += line.toUtf8() + '\n';
    }
    return csv;
}

// The day's intent.vb of an open meet kept in entry files: `count` entrants, two swims each,
// none confirmed.
QByteArray GalaEntryFile(int count)
{
    QByteArray file;
    const QList<Entries::EntrySwim> swims{{"1", "35.10", false, 0}, {"12", "1:05.00", false, 0}};
    for (int n = 1; n <= count; ++n) {
        const Entries::EntrantBlock block{n, "Kim " + Letters(n), "VMSC", "01/02/10", "F", swims};
        QByteArray bytes;
        Entries::EncodeEntrantBlock(block, Entries::BlockShape::MeetDay, false, EntryFile, bytes,
                                    nullptr);
        file += bytes;
    }
    return file;
}

// Loads the roster of the open meet kept in the entry files of `dir`, as the meet-day window
// does; `messages` receives what the load said.
MeetDay::LoadResult LoadGala(const QString &dir, MeetDay::Roster &roster, QStringList &messages)
{
    MeetDb::Session session;
    session.ProgramDir = dir;
    session.Gala.GalaType = Core::GalaOpen;
    session.Gala.GalaDir = dir;
    session.Gala.UseMeetDb = false;
    Core::CapturePrompts prompts;
    const MeetDay::LoadResult result = MeetDay::LoadRoster(session, prompts, roster);
    messages = prompts.Messages;
    return result;
}

// Runs SQLite's integrity check on a meet file (which first rolls back what a stopped command
// left in its journal) and digests every row of its entrant and swim tables into `digest`.
// Returns the check's answer, "ok" for a sound file.
QString CheckMeet(const QString &path, QByteArray &digest)
{
    const QString connection = "kill check";
    QString answer;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase("QSQLITE", connection);
        db.setDatabaseName(path);
        QSqlQuery query(db);
        query.setForwardOnly(true);
        if (!db.open() || !query.exec("PRAGMA integrity_check"))
            answer = db.lastError().text() + query.lastError().text();
        while (query.next())
            answer += query.value(0).toString();
        // Each row as one text of its quoted values, so that SQLite does the formatting.
        QCryptographicHash hash(QCryptographicHash::Sha1);
        for (const char *table : {"Entrant Table", "Swim Table"}) {
            const QSqlRecord fields = db.record(QString(table));
            QStringList values;
            for (int i = 0; i < fields.count(); ++i)
                values << QStringLiteral("quote(%1)")
                              .arg(db.driver()->escapeIdentifier(fields.fieldName(i),
                                                                 QSqlDriver::FieldName));
            const QString sql =
                QStringLiteral("SELECT %1 FROM %2 ORDER BY rowid")
                    .arg(values.join(" || ',' || "),
                         db.driver()->escapeIdentifier(QString(table), QSqlDriver::TableName));
            if (values.isEmpty() || !query.exec(sql))
                answer += " no table " + QString(table);
            while (query.next())
                hash.addData(query.value(0).toString().toUtf8() + '\n');
        }
        digest = hash.result();
    }
    QSqlDatabase::removeDatabase(connection);
    return answer;
}

// A PDF under its own name is whole: it starts as a PDF and ends with its trailer.
bool WholePdf(const QByteArray &bytes)
{
    return bytes.startsWith("%PDF-") && bytes.right(64).trimmed().endsWith("%%EOF");
}

// One run of a writer on a fresh copy of a base file. In its arguments "@name" is a file of the
// copy's folder ("@" the folder itself) and "$name" a file of the bases.
struct Scene
{
    Scene(const TestDir &bases, const QString &base)
        : Base(base)
        , Copied(QFile::copy(bases.FilePath(base), dir.FilePath(base)))
    {}

    // Starts `command`, and kills it `killAfterMs` later unless it has ended (never when -1).
    // Returns false when there was no copy, or the command did not start or end.
    bool Run(const TestDir &bases, QStringList command, int killAfterMs)
    {
        if (!Copied)
            return false;
        for (QString &arg : command) {
            if (arg.startsWith(u'@'))
                arg = dir.FilePath(arg.mid(1));
            else if (arg.startsWith(u'$'))
                arg = bases.FilePath(arg.mid(1));
        }
        Process.setStandardOutputFile(QProcess::nullDevice());
        Process.setStandardErrorFile(dir.FilePath("stderr.txt"));
        Process.start(command.takeFirst(), command);
        if (!Process.waitForStarted(Minute))
            return false;
        if (killAfterMs >= 0 && !Process.waitForFinished(killAfterMs))
            ::kill(pid_t(Process.processId()), SIGKILL);
        if (Process.state() != QProcess::NotRunning)
            Process.waitForFinished(10 * Minute);
        return Process.state() == QProcess::NotRunning;
    }

    bool Finished() const
    {
        return Process.exitStatus() == QProcess::NormalExit && Process.exitCode() == 0;
    }
    QString Errors() const
    {
        return QString::fromLocal8Bit(TestDir::Read(dir.FilePath("stderr.txt")));
    }

    TestDir dir;
    QString Base;
    bool Copied = false;
    QProcess Process;
};

// The states a writer's stops are compared with: the base as it was, and after a whole run.
struct States
{
    QByteArray Before, After; // meet digests, or the bytes of intent.vb
};

// What a run left in its folder: "before" or "after" (with ", put back" when the entry file was
// missing and the load restored it, and ", PDF" when a whole PDF was written). Anything else
// names the fault.
QString Outcome(const Scene &scene, const States &states)
{
    const QString pdfPath = scene.dir.FilePath(Pdf);
    const bool pdf = QFileInfo::exists(pdfPath);
    if (pdf && !WholePdf(TestDir::Read(pdfPath)))
        return QStringLiteral("a half-written %1").arg(Pdf);

    QString state;
    if (scene.Base != EntryFile) {
        QByteArray digest;
        const QString check = CheckMeet(scene.dir.FilePath(scene.Base), digest);
        if (check != QLatin1String("ok"))
            return "integrity check: " + check;
        state = digest == states.Before ? "before" : digest == states.After ? "after" : QString();
        if (state.isEmpty())
            return "the meet holds neither the state before nor the one after";
    } else {
        // The new contents are written whole under the scratch name before any rename; the
        // backup is the file as it was.
        const QString path = scene.dir.FilePath(EntryFile);
        const QString fresh = path + Entries::NewFileSuffix;
        const QString backup = scene.dir.FilePath(Entries::EntryBackupName);
        if (QFileInfo::exists(fresh) && TestDir::Read(fresh) != states.After)
            return QStringLiteral("a half-written %1").arg(fresh);
        if (QFileInfo::exists(backup) && TestDir::Read(backup) != states.Before)
            return "a backup that is not the file before";
        const bool missing = !QFileInfo::exists(path);
        MeetDay::Roster roster;
        QStringList messages;
        if (LoadGala(scene.dir.Path(), roster, messages) != MeetDay::LoadResult::Loaded ||
            missing != (messages.size() == 1))
            return "the load gave: " + messages.join(u'\n');
        const QByteArray bytes = TestDir::Read(path);
        state = bytes == states.Before ? "before" : bytes == states.After ? "after" : QString();
        if (state.isEmpty())
            return QStringLiteral("a half-written %1").arg(EntryFile);
        if (missing)
            state += ", put back";
    }
    // The programme is printed after its numbers are in the meet, never before.
    if (pdf && state == QLatin1String("before") && states.Before != states.After)
        return "a PDF of a programme the meet does not hold";
    return pdf ? state + ", PDF" : state;
}

} // namespace

class TestKillTest : public QObject
{
    Q_OBJECT

    // empty.mdb (the demo open meet as KILL, no entries), meet.mdb (the same with 3,000
    // entrants), entries.csv (5,000 entrants) and intent.vb (an entry-file gala of 3,000).
    TestDir m_bases;
    quint32 m_seed = 0;
    int m_kills = 3;

    bool RunTool(const QStringList &args)
    {
        QProcess process;
        process.setStandardOutputFile(QProcess::nullDevice());
        process.start(Tool, args);
        const bool done = process.waitForFinished(10 * Minute) &&
                          process.exitStatus() == QProcess::NormalExit && process.exitCode() == 0;
        if (!done)
            qWarning("%s", process.readAllStandardError().constData());
        return done;
    }

private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY2(QFileInfo(Tool).isExecutable() && QFileInfo(RosterWriter).isExecutable(),
                 "build the openmeet-db and killtest-roster targets first");
        bool set = false;
        const int kills = qEnvironmentVariableIntValue("OPENMEET_KILLS", &set);
        m_kills = set ? kills : 3;
        QVERIFY2(m_kills >= 0, "OPENMEET_KILLS is the number of stops per writer");
        m_seed = qEnvironmentVariableIsSet("OPENMEET_KILL_SEED")
                     ? qEnvironmentVariable("OPENMEET_KILL_SEED").toUInt()
                     : QRandomGenerator::system()->generate();
        qInfo("%d stops per writer, seed %u (OPENMEET_KILL_SEED=%u replays the moments)", m_kills,
              m_seed, m_seed);

        // Built once per run; each stop works on a copy.
        m_bases.Write("entries.csv", EntriesCsv(5000));
        const QString csv3000 = m_bases.Write("entries3000.csv", EntriesCsv(3000));
        const QString empty = m_bases.FilePath("empty.mdb");
        const QString meet = m_bases.FilePath("meet.mdb");
        QVERIFY(RunTool({"create", empty}));
        QVERIFY(RunTool({"add-meet", empty, QDir::cleanPath(TestDataPath("../../demo/open.ini")),
                         "--code", MeetCode}));
        QVERIFY(QFile::copy(empty, meet));
        QVERIFY(RunTool({"add-entries", meet, MeetCode, csv3000}));
        m_bases.Write(EntryFile, GalaEntryFile(3000));
    }

    // Rows: the base file copied for each run, and the writer with its arguments.
    void kills_data()
    {
        QTest::addColumn<QString>("base");
        QTest::addColumn<QStringList>("command");
        const QString meet = "meet.mdb", db = "@" + meet;
        QTest::newRow("add-entries of 5,000")
            << "empty.mdb"
            << QStringList{Tool, "add-entries", "@empty.mdb", MeetCode, "$entries.csv"};
        QTest::newRow("confirm --all")
            << meet << QStringList{Tool, "confirm", db, MeetCode, "--all"};
        QTest::newRow("make-heats") << meet << QStringList{Tool, "make-heats", db, MeetCode};
        QTest::newRow("programme")
            << meet << QStringList{Tool, "programme", db, MeetCode, "@" + Pdf};
        QTest::newRow("entrants-list")
            << meet << QStringList{Tool, "entrants-list", db, MeetCode, "@" + Pdf};
        QTest::newRow("roster saved to intent.vb") << EntryFile << QStringList{RosterWriter, "@"};
    }

    void kills()
    {
        QFETCH(QString, base);
        QFETCH(QStringList, command);
        const QString tag = QString::fromUtf8(QTest::currentDataTag());

        // A whole run gives the state after, and how long the writer takes here.
        States states;
        qint64 wholeMs = 0;
        {
            Scene fresh(m_bases, base);
            if (base == EntryFile) {
                states.Before = TestDir::Read(fresh.dir.FilePath(base));
            } else {
                QCOMPARE(CheckMeet(fresh.dir.FilePath(base), states.Before), QString("ok"));
            }
            QElapsedTimer timer;
            timer.start();
            QVERIFY(fresh.Run(m_bases, command, -1));
            wholeMs = timer.elapsed();
            QVERIFY2(fresh.Finished(), qPrintable(fresh.Errors()));
            if (base == EntryFile)
                states.After = TestDir::Read(fresh.dir.FilePath(base));
            else
                QCOMPARE(CheckMeet(fresh.dir.FilePath(base), states.After), QString("ok"));
            const QString outcome = Outcome(fresh, states);
            QVERIFY2(outcome.startsWith("after") || states.Before == states.After,
                     qPrintable(outcome));
            QVERIFY2(!command.contains("@" + Pdf) || outcome.endsWith(", PDF"),
                     qPrintable(outcome));
        }

        // The moments reach a tenth past the whole run, so that some stops come after the end.
        QRandomGenerator rng(m_seed ^ quint32(qHash(tag)));
        QMap<QString, int> tally;
        for (int stop = 1; stop <= m_kills; ++stop) {
            const int delay = int(rng.bounded(wholeMs + wholeMs / 10 + 1));
            Scene scene(m_bases, base);
            QVERIFY(scene.Run(m_bases, command, delay));
            const QString outcome = Outcome(scene, states);
            QVERIFY2(outcome.startsWith("before") || outcome.startsWith("after"),
                     qPrintable(QStringLiteral("stop %1 at %2 ms (OPENMEET_KILL_SEED=%3): %4\n%5")
                                    .arg(stop)
                                    .arg(delay)
                                    .arg(m_seed)
                                    .arg(outcome, scene.Errors())));
            ++tally[outcome];
        }
        QStringList counts;
        for (auto it = tally.cbegin(); it != tally.cend(); ++it)
            counts << QStringLiteral("%1 %2").arg(it.value()).arg(it.key());
        qInfo("%s: whole run %lld ms; %s", qPrintable(tag), wholeMs, qPrintable(counts.join("; ")));
    }

    // The moment a random stop seldom meets: between the two renames of the entry-file save.
    // The file is missing there; the next load puts the new contents back and says so, and the
    // save after that keeps them as the backup.
    void stopBetweenRenames()
    {
        Scene scene(m_bases, EntryFile);
        QVERIFY(scene.Run(m_bases, {RosterWriter, "@", "--stop-between-renames"}, -1));
        QCOMPARE(scene.Process.exitStatus(), QProcess::CrashExit);
        const QString path = scene.dir.FilePath(EntryFile);
        const QByteArray before = TestDir::Read(m_bases.FilePath(EntryFile));
        const QByteArray saved = TestDir::Read(path + Entries::NewFileSuffix);
        QVERIFY(!QFileInfo::exists(path));
        QCOMPARE(TestDir::Read(scene.dir.FilePath(Entries::EntryBackupName)), before);

        MeetDay::Roster roster;
        QStringList messages;
        QCOMPARE(int(LoadGala(scene.dir.Path(), roster, messages)),
                 int(MeetDay::LoadResult::Loaded));
        QCOMPARE(messages.size(), 1);
        QVERIFY2(messages[0].contains("intent.vb was missing. Its entries were taken from "
                                      "intent.vb.new"),
                 qPrintable(messages[0]));
        QCOMPARE(TestDir::Read(path), saved);
        QCOMPARE(roster.size(), 3000);
        QVERIFY(roster.last().Swims.last().Confirmed);

        QVERIFY(scene.Run(m_bases, {RosterWriter, "@"}, -1));
        QVERIFY2(scene.Finished(), qPrintable(scene.Errors()));
        QCOMPARE(TestDir::Read(scene.dir.FilePath(Entries::EntryBackupName)), saved);
    }
};

QTEST_GUILESS_MAIN(TestKillTest)
#include "tst_killtest.moc"
