#include "platform/WritableFolder.h"

#include <QFile>

#include <unistd.h>

bool CanWriteIn(const QString& dir) {
    return access(QFile::encodeName(dir).constData(), W_OK) == 0;
}
