#include "core/filesync.h"

#include <QFile>
#include <QFileDevice>

#if defined(Q_OS_UNIX)
#include <fcntl.h>
#include <unistd.h>
#endif

namespace Core {

bool SyncToDisk(QFileDevice &file)
{
    if (!file.flush())
        return false;
#if defined(Q_OS_UNIX)
    return ::fsync(file.handle()) == 0;
#else
    return true;
#endif
}

void SyncFolder(const QString &dir)
{
#if defined(Q_OS_UNIX)
    const int fd = ::open(QFile::encodeName(dir).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return;
    ::fsync(fd);
    ::close(fd);
#else
    Q_UNUSED(dir);
#endif
}

} // namespace Core
