#include "platform/DataLocation.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTemporaryFile>

#ifndef Q_OS_WIN
#include <unistd.h>
#endif

namespace {

bool canWriteIn(const QString& dir) {
#ifdef Q_OS_WIN
    // Windows calls folders such as Program Files writable whatever their access rules say;
    // only a try tells. The probe file goes again at once.
    QTemporaryFile probe(dir + QStringLiteral("/write-check-XXXXXX"));
    return probe.open();
#else
    return access(QFile::encodeName(dir).constData(), W_OK) == 0;
#endif
}

// Copies every file below `from` into a fresh folder beside `to` and then renames that folder
// to `to`, so that `to` holds the whole copy or does not exist. The copies belong to the user
// and may be written, whatever the originals allowed.
bool copyFolder(const QString& from, const QString& to) {
    const QString parent = QFileInfo(to).absolutePath();
    if (!QDir().mkpath(parent))
        return false;
    QTemporaryDir staging(parent + QStringLiteral("/Data-XXXXXX")); // made for the user alone
    if (!staging.isValid())
        return false;
    const QDir source(from);
    for (QDirIterator it(from, QDir::Files, QDirIterator::Subdirectories); it.hasNext();) {
        const QString file = it.next();
        const QString copy = staging.filePath(source.relativeFilePath(file));
        if (!QDir().mkpath(QFileInfo(copy).absolutePath()) || !QFile::copy(file, copy) ||
            !QFile::setPermissions(copy, QFile::ReadOwner | QFile::WriteOwner))
            return false;
    }
    if (QDir().rename(staging.path(), to)) {
        staging.setAutoRemove(false);
        return true;
    }
    // Another launcher started at the same moment may have made it first.
    return QFileInfo(to).isDir();
}

} // namespace

QString LocateDataDir(const QString& programData, const QString& userData) {
    // The usual case, a Data folder this user can write, is decided first: on Linux in one
    // system call. Something that is no folder is left for start-up to report.
    if (canWriteIn(programData) || !QFileInfo(programData).isDir() || userData.isEmpty())
        return programData;
    if (QFileInfo(userData).isDir() || copyFolder(programData, userData))
        return userData;
    return programData;
}

QString UserDataDir() {
    const QString base = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
    return base.isEmpty() ? QString() : base + QStringLiteral("/TESSELO/Data");
}
