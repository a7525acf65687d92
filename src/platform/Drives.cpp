#include "platform/Drives.h"

#include <QDir>
#include <QSet>
#include <algorithm>

namespace {

// Kernel interfaces, memory-backed scratch space, container layers and packed images: none
// of them holds files a person keeps. Every one of them is still reachable from "/".
const QSet<QByteArray> PseudoFileSystems{
    "autofs",      "binfmt_misc",     "bpf",           "cgroup",     "cgroup2",
    "configfs",    "debugfs",         "devpts",        "devtmpfs",   "efivarfs",
    "fusectl",     "hugetlbfs",       "mqueue",        "nsfs",       "overlay",
    "proc",        "pstore",          "ramfs",         "rpc_pipefs", "securityfs",
    "selinuxfs",   "squashfs",        "sysfs",         "tmpfs",      "tracefs",
    "fuse.portal", "fuse.gvfsd-fuse", "fuse.snapfuse", "nfsd"};

const QStringList SystemTrees{QStringLiteral("/proc"), QStringLiteral("/sys"),
                              QStringLiteral("/dev"),  QStringLiteral("/run"),
                              QStringLiteral("/snap"), QStringLiteral("/boot")};

bool isUnder(const QString& path, const QString& tree) {
    return path == tree || path.startsWith(tree + QLatin1Char('/'));
}

} // namespace

bool IsBrowsedVolume(const QString& rootPath, const QByteArray& fileSystemType) {
    if (PseudoFileSystems.contains(fileSystemType))
        return false;
    if (isUnder(rootPath, QStringLiteral("/run/media")))
        return true;
    return std::none_of(SystemTrees.begin(), SystemTrees.end(),
                        [&](const QString& tree) { return isUnder(rootPath, tree); });
}

QString DriveOfPath(const QString& path, const QStringList& drives) {
    const QString clean = QDir::cleanPath(QDir::fromNativeSeparators(path));
    QString best;
    for (const QString& drive : drives) {
        const QString root = QDir::cleanPath(drive);
        const QString prefix = root.endsWith(QLatin1Char('/')) ? root : root + QLatin1Char('/');
        const bool holds = clean.compare(root, PathCaseSensitivity()) == 0 ||
                           clean.startsWith(prefix, PathCaseSensitivity());
        if (holds && root.size() > QDir::cleanPath(best).size())
            best = drive;
    }
    return best.isEmpty() ? drives.value(0) : best;
}
