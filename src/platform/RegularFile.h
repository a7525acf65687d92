#pragma once

#include <QFile>
#include <QString>

// Opens `path` for reading only when it is a regular file (or a link to one) of at most
// `maxSize` bytes. A FIFO is never waited on and a device is never read: the file is opened
// without blocking and checked after opening, so what is checked is what is read.
bool OpenRegularFile(const QString& path, qint64 maxSize, QFile& file);
