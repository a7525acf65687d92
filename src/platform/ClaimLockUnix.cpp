// Built on Linux only.
#include "platform/ClaimLock.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

namespace {
// The claim's socket lies in the claim folder: the folder has to leave room for its name.
constexpr qsizetype MaxSocketPath = sizeof(sockaddr_un::sun_path) - 1;
constexpr qsizetype NameLength = 8 + 20 + 7; // "tesselo-", the hash, ".socket"

// A folder of this user's that nobody else may enter; a loose mode of the user's own folder is
// tightened. Opened without following a link, so what is checked is what is used.
bool isPrivateFolder(const QByteArray& path, bool exactly0700) {
    const int fd = ::open(path.constData(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0)
        return false;
    struct stat st {};
    bool ok = ::fstat(fd, &st) == 0 && S_ISDIR(st.st_mode) && st.st_uid == ::getuid();
    if (ok && exactly0700)
        ok = (st.st_mode & 07777) == 0700;
    else if (ok && (st.st_mode & 077) != 0)
        ok = ::fchmod(fd, 0700) == 0;
    ::close(fd);
    return ok;
}

bool fits(const QByteArray& folder) {
    return folder.size() + 1 + NameLength <= MaxSocketPath;
}

// Opens the lock file of a private folder. Whatever else stands at its place (a folder, a link, a
// FIFO left by something) holds no lock and is taken away. A FIFO is opened without blocking.
int openLock(const QByteArray& path) {
    for (int attempt = 0; attempt < 2; ++attempt) {
        const int fd =
            ::open(path.constData(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK, 0600);
        struct stat st {};
        if (fd >= 0 && ::fstat(fd, &st) == 0 && S_ISREG(st.st_mode))
            return fd;
        if (fd >= 0)
            ::close(fd);
        if (::unlink(path.constData()) != 0)
            QDir(QFile::decodeName(path)).removeRecursively();
    }
    return -1;
}

class FileLock final : public ClaimLock {
public:
    explicit FileLock(int fd) : fd_(fd) {}
    ~FileLock() override { ::close(fd_); }

private:
    int fd_;
};
} // namespace

QString claimFolder() {
    const QByteArray runtime = qgetenv("XDG_RUNTIME_DIR");
    if (runtime.startsWith('/') && fits(runtime) && isPrivateFolder(runtime, true))
        return QFile::decodeName(runtime);
    // Never loose names in a shared folder: a folder of the user's own, made and checked. A
    // temporary folder whose path is too long for a socket gives way to /tmp.
    const QByteArray uid = QByteArray::number(::getuid());
    for (const QByteArray& base : {QFile::encodeName(QDir::tempPath()), QByteArray("/tmp")}) {
        const QByteArray folder = base + "/tesselo-" + uid;
        if (!fits(folder) || (::mkdir(folder.constData(), 0700) != 0 && errno != EEXIST))
            continue;
        if (isPrivateFolder(folder, false))
            return QFile::decodeName(folder);
    }
    return {};
}

QString claimPrefix() {
    return QStringLiteral("tesselo-");
}

std::unique_ptr<ClaimLock> ClaimLock::take(const QString& path, bool& held) {
    const int fd = openLock(QFile::encodeName(path));
    const bool locked = fd >= 0 && ::flock(fd, LOCK_EX | LOCK_NB) == 0;
    held = !locked && fd >= 0 && errno == EWOULDBLOCK;
    if (locked)
        return std::make_unique<FileLock>(fd);
    if (fd >= 0)
        ::close(fd);
    return nullptr;
}

QByteArray claimedFolderIdentity(const QString& folder) {
    const QFileInfo info(folder);
    const QString canonical = info.canonicalFilePath();
    return (canonical.isEmpty() ? info.absoluteFilePath() : canonical).toUtf8();
}
