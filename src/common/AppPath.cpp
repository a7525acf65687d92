#include "common/AppPath.h"

#include <QCoreApplication>

namespace {
QString& appPathOverride() {
    static QString path;
    return path;
}
} // namespace

QString AppPath() {
    if (!appPathOverride().isEmpty())
        return appPathOverride();
    return QCoreApplication::applicationDirPath();
}

void SetAppPathForTesting(const QString& path) {
    appPathOverride() = path;
}
