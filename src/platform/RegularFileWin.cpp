#include "platform/RegularFile.h"

#include <QFileInfo>

bool OpenRegularFile(const QString& path, qint64 maxSize, QFile& file) {
    // Windows has no FIFOs in the file system; devices do not pass as files.
    const QFileInfo info(path);
    if (!info.isFile() || info.size() > maxSize)
        return false;
    file.setFileName(path);
    return file.open(QIODevice::ReadOnly) && file.size() <= maxSize;
}
