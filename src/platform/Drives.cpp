#include "platform/Drives.h"

#include <QDir>
#include <QSet>
#include <QStorageInfo>
#include <algorithm>

#ifdef Q_OS_WIN
#include <qt_windows.h>

#include <cwchar>
#include <vector>
#endif

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

Qt::CaseSensitivity pathCase() {
#ifdef Q_OS_WIN
    return Qt::CaseInsensitive;
#else
    return Qt::CaseSensitive;
#endif
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
        const bool holds =
            clean.compare(root, pathCase()) == 0 || clean.startsWith(prefix, pathCase());
        if (holds && root.size() > QDir::cleanPath(best).size())
            best = drive;
    }
    return best.isEmpty() ? drives.value(0) : best;
}

#ifdef Q_OS_WIN

QStringList ListDrives() {
    // "A:\\", "C:\\", ... one after another, each ended by a NUL, the list by a second one.
    std::vector<wchar_t> buffer(MAX_PATH);
    for (;;) {
        const DWORD length = GetLogicalDriveStringsW(DWORD(buffer.size()), buffer.data());
        if (length == 0)
            return {};
        if (length < buffer.size())
            break;
        buffer.resize(length + 1);
    }
    QStringList drives;
    for (const wchar_t* drive = buffer.data(); *drive; drive += wcslen(drive) + 1)
        drives << QDir::fromNativeSeparators(QString::fromWCharArray(drive));
    return drives;
}

QString DriveCurrentFolder(const QString& drive) {
    // The system keeps a current folder for every drive; a drive's bare name ("D:") stands
    // for it, as in a command prompt.
    const QString name = drive.left(2);
    if (name.size() != 2 || name[1] != QLatin1Char(':'))
        return drive;
    std::vector<wchar_t> buffer(MAX_PATH);
    const auto* wide = reinterpret_cast<const wchar_t*>(name.utf16());
    DWORD length = GetFullPathNameW(wide, DWORD(buffer.size()), buffer.data(), nullptr);
    if (length >= buffer.size()) {
        buffer.resize(length + 1);
        length = GetFullPathNameW(wide, DWORD(buffer.size()), buffer.data(), nullptr);
    }
    if (length == 0 || length >= buffer.size())
        return drive;
    return QDir::fromNativeSeparators(QString::fromWCharArray(buffer.data(), int(length)));
}

bool IsHiddenOrSystemFile(const QFileInfo& file) {
    if (file.isHidden())
        return true;
    const QString native = QDir::toNativeSeparators(file.absoluteFilePath());
    const DWORD attributes = GetFileAttributesW(reinterpret_cast<const wchar_t*>(native.utf16()));
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_SYSTEM) != 0;
}

bool IsExecutableProgram(const QFileInfo&) {
    return false;
}

#else

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

#endif
