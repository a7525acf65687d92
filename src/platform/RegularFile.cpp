#include "platform/RegularFile.h"

#include <QFileInfo>

#ifndef Q_OS_WIN
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

bool OpenRegularFile(const QString& path, qint64 maxSize, QFile& file) {
#ifdef Q_OS_WIN
    // Windows has no FIFOs in the file system; devices do not pass as files.
    const QFileInfo info(path);
    if (!info.isFile() || info.size() > maxSize)
        return false;
    file.setFileName(path);
    return file.open(QIODevice::ReadOnly) && file.size() <= maxSize;
#else
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return false;
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode) || st.st_size > maxSize ||
        !file.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
        ::close(fd);
        return false;
    }
    return true;
#endif
}
