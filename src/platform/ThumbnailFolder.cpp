#include "platform/ThumbnailFolder.h"

#include <QStandardPaths>

QString ThumbnailCacheFolder() {
#ifdef Q_OS_WIN
    return {};
#else
    const QString cache = QStandardPaths::writableLocation(QStandardPaths::GenericCacheLocation);
    return cache.isEmpty() ? QString() : cache + QStringLiteral("/thumbnails");
#endif
}
