#include "FaultRig.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>

#include <cerrno>
#include <cstring>
#include <sched.h>
#include <sys/mount.h>
#include <sys/resource.h>

namespace {
QString& unavailable() {
    static QString why = QStringLiteral("private mounts were not set up");
    return why;
}

QString systemError(const char* what) {
    return QStringLiteral("%1: %2").arg(QLatin1String(what),
                                        QString::fromLocal8Bit(strerror(errno)));
}
} // namespace

QString EnterPrivateMounts() {
    if (unshare(CLONE_NEWNS) != 0)
        unavailable() = QStringLiteral("needs its own mount namespace (run as root): ") +
                        systemError("unshare");
    else if (mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0)
        unavailable() = systemError("making the mounts private");
    else
        unavailable().clear();
    return unavailable();
}

QString MountsUnavailable() {
    return unavailable();
}

Mounts::~Mounts() {
    for (auto it = mounted_.crbegin(); it != mounted_.crend(); ++it)
        umount2(QFile::encodeName(*it).constData(), MNT_DETACH);
}

bool Mounts::tmpfs(const QString& dir, const QByteArray& size) {
    const QByteArray target = QFile::encodeName(dir);
    const QByteArray options = "size=" + size;
    if (mount("tmpfs", target.constData(), "tmpfs", 0, options.constData()) != 0) {
        qWarning("%s", qPrintable(systemError("mounting a tmpfs")));
        return false;
    }
    mounted_ << dir;
    return true;
}

bool Mounts::readOnly(const QString& path) {
    const QByteArray target = QFile::encodeName(path);
    if (mount(target.constData(), target.constData(), nullptr, MS_BIND, nullptr) != 0) {
        qWarning("%s", qPrintable(systemError("binding a path onto itself")));
        return false;
    }
    mounted_ << path;
    if (mount(nullptr, target.constData(), nullptr, MS_REMOUNT | MS_BIND | MS_RDONLY, nullptr) !=
        0) {
        qWarning("%s", qPrintable(systemError("making a bind mount read-only")));
        return false;
    }
    return true;
}

bool FillDisk(const QString& dir) {
    QFile filler(dir + QStringLiteral("/Filler"));
    if (!filler.open(QIODevice::WriteOnly | QIODevice::Unbuffered))
        return false;
    const QByteArray page(4096, 'f');
    while (filler.write(page) == page.size()) {
    }
    // The last page may have gone in part; a single byte shows whether anything is left.
    while (filler.write("f", 1) == 1) {
    }
    return true;
}

QMap<QString, QByteArray> SnapshotFiles(const QString& dir) {
    QMap<QString, QByteArray> files;
    QDirIterator it(dir, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        QFile file(path);
        files.insert(QDir(dir).relativeFilePath(path),
                     file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<unreadable>"));
    }
    return files;
}

qint64 PeakResidentMiB() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss / 1024; // reported in KiB on Linux
}
