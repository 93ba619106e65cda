#include "fuzzinput.h"

#include <cstdio>
#include <cstdlib>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include "core/galastate.h"
#include "core/textutil.h"
#include "meetdb/keywords.h"

namespace Fuzz {

QByteArray Bytes(const uint8_t *data, size_t size)
{
    return QByteArray(reinterpret_cast<const char *>(data), qsizetype(size));
}

namespace {

// Each input is written to disk and read back thousands of times a second: in memory when the
// machine has a memory file system, since on a disk every truncation may wait for the device.
QString TemporaryTemplate()
{
    const QFileInfo shm(QStringLiteral("/dev/shm"));
    const QString base = shm.isDir() && shm.isWritable() ? shm.filePath() : QDir::tempPath();
    return base + QStringLiteral("/openmeet-fuzz-XXXXXX");
}

} // namespace

QString Folder()
{
    static const QTemporaryDir dir(TemporaryTemplate());
    Check(dir.isValid(), "no temporary folder for the input files");
    return dir.path();
}

QString InputFile(const uint8_t *data, size_t size, const QString &name)
{
    const QString path = QDir(Folder()).filePath(name);
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    const bool written =
        file.open(QIODevice::WriteOnly | QIODevice::Truncate) &&
        file.write(reinterpret_cast<const char *>(data), qint64(size)) == qint64(size);
    Check(written, "cannot write the input file");
    return path;
}

QString SourceFile(const QString &relative)
{
    return QDir(QStringLiteral(OPENMEET_SOURCE_DIR)).filePath(relative);
}

void Check(bool ok, const char *what)
{
    if (ok)
        return;
    std::fprintf(stderr, "fuzz check failed: %s\n", what);
    std::abort();
}

void CheckGala(const Core::GalaState &gala)
{
    Check(gala.EventCount() <= Core::MaxEvents && gala.GroupCount() <= Core::MaxGroups &&
              gala.ClubTotal() <= gala.ClubCount && gala.CombineCount() <= Core::MaxCombinations &&
              gala.MandEvents.size() <= Core::MaxMandEvents &&
              gala.SwimHeats.size() <= Core::MaxSwimHeats &&
              gala.SeedGroups.size() <= Core::MaxSeedGroups,
          "a gala table past its capacity");
    for (const QStringList &combination : gala.Combinations)
        Check(combination.size() >= 2 && combination.size() <= Core::MaxCombineEvents,
              "a combination of fewer than 2 or too many events");
    const auto fits = [](const QString &text, int limit) {
        return Core::TextFault(text, limit).isEmpty();
    };
    Check(fits(gala.GalaName, MeetDb::MaxMeetNameLength) &&
              fits(gala.GalaTitle, MeetDb::MaxMeetTextLength) &&
              fits(gala.Promoter, MeetDb::MaxMeetTextLength) &&
              fits(gala.GalaDate, MeetDb::MaxMeetTextLength) &&
              fits(gala.SessionTitle, MeetDb::MaxMeetTextLength) &&
              fits(gala.GalaDir, MeetDb::MaxMeetPathLength) &&
              fits(gala.WorkDir, MeetDb::MaxMeetPathLength),
          "a meet text past its limit or with a control character");
    for (const Core::GalaGroup &group : gala.Groups)
        Check(!group.GroupName.isEmpty() && fits(group.GroupName, MeetDb::MaxMeetTextLength) &&
                  fits(group.GroupDescription, MeetDb::MaxMeetTextLength),
              "a group without a name, or a group text past its limit");
    for (const Core::GalaEvent &event : gala.Events) {
        Check(fits(event.EvNumber, MeetDb::MaxMeetTextLength) && !event.EvNumber.isEmpty() &&
                  fits(event.EvNote, MeetDb::MaxMeetTextLength) &&
                  fits(event.EvSponsor, MeetDb::MaxMeetTextLength),
              "an event text past its limit");
        Check(event.EvSex == u"M" || event.EvSex == u"F" || event.EvSex == u"X",
              "an event of no sex");
        Check(MeetDb::DistanceMetres(event.EvDistance) > 0, "an event of no distance");
        Check(Core::StrokeCodeIndex(event.EvStroke) >= 0, "an event of no stroke");
        bool grouped = false;
        for (const Core::GalaGroup &group : gala.Groups)
            grouped = grouped || group.GroupName == event.EvGroup;
        Check(grouped, "an event of a group the meet does not have");
    }
    for (const Core::GalaClub &club : gala.Clubs)
        Check(!club.Code.isEmpty() && !club.Name.trimmed().isEmpty() &&
                  fits(club.Code, Core::MaxClubCodeLength) &&
                  fits(club.Name, MeetDb::MaxMeetTextLength),
              "a club without a code or a name, or a club text past its limit");
}

} // namespace Fuzz
