#include "platform/Drives.h"

#include <QStorageInfo>

Qt::CaseSensitivity PathCaseSensitivity() {
    return Qt::CaseSensitive;
}

QStringList ListDrives() {
    QStringList volumes;
    for (const QStorageInfo& volume : QStorageInfo::mountedVolumes()) {
        const QString root = volume.rootPath();
        if (!volume.isValid() || !volume.isReady() || root == QStringLiteral("/"))
            continue;
        if (IsBrowsedVolume(root, volume.fileSystemType()) && !volumes.contains(root))
            volumes << root;
    }
    volumes.sort();
    volumes.prepend(QStringLiteral("/"));
    return volumes;
}

QString DriveCurrentFolder(const QString& drive) {
    return drive;
}

bool IsHiddenOrSystemFile(const QFileInfo& file) {
    return file.isHidden();
}

bool IsExecutableProgram(const QFileInfo& file) {
    return file.isFile() && file.isExecutable();
}

QString ProgramFilePattern() {
    // Most Linux programs are started through their desktop entries.
    return QStringLiteral("*.exe;*.desktop");
}
