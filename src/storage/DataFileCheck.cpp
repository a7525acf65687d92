#include "storage/DataFileCheck.h"

#include <QDir>
#include <QFileInfo>

Outcome RefuseNonRegularFile(const QString& path, const QString& what) {
    const QFileInfo info(path);
    const bool missing = !info.exists() && !info.isSymbolicLink();
    if (missing || info.isFile())
        return Outcome::success();
    return Outcome::failure(
        QStringLiteral("%1 %2 は通常のファイルではありません。").arg(what, NativePath(path)));
}

QString NativePath(const QString& path) {
    return QDir::toNativeSeparators(path);
}
