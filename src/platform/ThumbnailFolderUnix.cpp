#include "platform/ThumbnailFolder.h"

#include <QStandardPaths>

QString ThumbnailCacheFolder() {
    const QString cache = QStandardPaths::writableLocation(QStandardPaths::GenericCacheLocation);
    return cache.isEmpty() ? QString() : cache + QStringLiteral("/thumbnails");
}
