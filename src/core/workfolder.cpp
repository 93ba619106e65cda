#include "core/workfolder.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include "core/startup.h"
#include "core/sysparams.h"

namespace Core {

namespace {

bool HoldsProgramFiles(const QString &dir)
{
    const QDir d(dir);
    return QFileInfo(d.filePath(SystemParamFileName)).isFile() ||
           QFileInfo(d.filePath(DefaultNatamarDbName)).isFile();
}

// Copies the files and folders of `from` into the existing folder `to`. Links are not followed:
// the kit is plain files. The copies are left writable by their owner, so that a kit installed
// read-only still gives a meet database the official can add entries to.
bool CopyFolder(const QString &from, const QString &to, QString *error)
{
    const QFileInfoList entries =
        QDir(from).entryInfoList(QDir::Files | QDir::Dirs | QDir::NoDotAndDotDot | QDir::Hidden);
    for (const QFileInfo &entry : entries) {
        if (entry.isSymLink())
            continue;
        const QString target = QDir(to).filePath(entry.fileName());
        if (entry.isDir()) {
            if (!QDir().mkdir(target) || !CopyFolder(entry.filePath(), target, error)) {
                if (error->isEmpty())
                    *error = QStringLiteral("cannot make %1").arg(target);
                return false;
            }
            continue;
        }
        QFile source(entry.filePath());
        if (!source.copy(target)) {
            *error =
                QStringLiteral("cannot copy %1: %2").arg(entry.filePath(), source.errorString());
            return false;
        }
        QFile::setPermissions(target, QFile::permissions(target) | QFileDevice::WriteOwner);
    }
    return true;
}

QString CannotWrite(const QString &folder, const QString &why)
{
    return QStringLiteral("The folder for openmeet's files, %1, cannot be written (%2). Start "
                          "openmeet with --dir and a folder you can write to.")
        .arg(QDir::toNativeSeparators(folder), why);
}

// Makes `folder` with a copy of the first demo kit found. The kit is copied into a temporary
// folder beside it and renamed at the end, so that a run stopped half-way leaves no half-filled
// folder that the next run would take as already filled.
void FillUserFolder(const QString &folder, const QStringList &demoDirs, WorkFolderChoice &choice)
{
    const QString parent = QFileInfo(folder).absolutePath();
    if (!QDir().mkpath(parent)) {
        choice.Error = CannotWrite(folder, QStringLiteral("%1 cannot be made").arg(parent));
        return;
    }
    QTemporaryDir staging(QDir(parent).filePath(WorkFolderName + QStringLiteral("-XXXXXX")));
    if (!staging.isValid()) {
        choice.Error = CannotWrite(folder, staging.errorString());
        return;
    }
    QString kit;
    for (const QString &dir : demoDirs) {
        if (QFileInfo(QDir(dir).filePath(DefaultNatamarDbName)).isFile()) {
            kit = dir;
            break;
        }
    }
    QString error;
    if (!kit.isEmpty() && !CopyFolder(kit, staging.path(), &error)) {
        choice.Error = CannotWrite(folder, error);
        return;
    }
    if (!QDir().rename(staging.path(), folder)) {
        // Another copy of the program, started at the same moment, may have made it first.
        if (!QFileInfo(folder).isDir())
            choice.Error = CannotWrite(folder, QStringLiteral("it cannot be made"));
        return;
    }
    // The folder keeps QTemporaryDir's permissions, for its owner alone: the club's entries
    // are nobody else's business.
    staging.setAutoRemove(false);
    choice.Status =
        kit.isEmpty()
            ? QStringLiteral("First run: made %1 for openmeet's files (no demo kit was found to "
                             "copy into it).")
                  .arg(QDir::toNativeSeparators(folder))
            : QStringLiteral("First run: copied the demo kit into %1.")
                  .arg(QDir::toNativeSeparators(folder));
}

} // namespace

QString UserWorkFolder()
{
    QString dataHome = qEnvironmentVariable("XDG_DATA_HOME");
    if (dataHome.isEmpty() || QDir::isRelativePath(dataHome))
        dataHome = QDir(QDir::homePath()).filePath(QStringLiteral(".local/share"));
    return QDir::cleanPath(QDir(dataHome).filePath(WorkFolderName));
}

QStringList DemoKitFolders(const QString &programDir)
{
    return {QDir::cleanPath(QDir(programDir).filePath(QStringLiteral("../" OPENMEET_DEMO_DIR)))};
}

WorkFolderChoice FindWorkFolder(const QString &dirOption, const QString &programDir,
                                const QStringList &demoDirs)
{
    WorkFolderChoice choice;
    if (!dirOption.isEmpty()) {
        const QFileInfo dir(dirOption);
        if (!dir.isDir()) {
            choice.Error = QStringLiteral("The folder given with --dir, %1, does not exist.")
                               .arg(QDir::toNativeSeparators(dirOption));
            return choice;
        }
        choice.Path = dir.absoluteFilePath();
        return choice;
    }
    if (HoldsProgramFiles(programDir)) {
        choice.Path = QFileInfo(programDir).absoluteFilePath();
        return choice;
    }

    choice.Path = UserWorkFolder();
    const QFileInfo folder(choice.Path);
    if (!folder.exists())
        FillUserFolder(choice.Path, demoDirs, choice);
    else if (!folder.isDir())
        choice.Error = CannotWrite(choice.Path, QStringLiteral("it is a file, not a folder"));
    else if (!folder.isWritable())
        choice.Error = CannotWrite(choice.Path, QStringLiteral("its meets open read-only"));
    return choice;
}

} // namespace Core
