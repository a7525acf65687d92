// Built on Windows only.
#include "platform/ClaimLock.h"

#include <QDir>
#include <QLockFile>

namespace {
class FileLock final : public ClaimLock {
public:
    explicit FileLock(const QString& path) : file(path) {}
    QLockFile file;
};
} // namespace

QString claimFolder() {
    return QDir::tempPath();
}

QString claimPrefix() {
    return QStringLiteral("tesselo-%1-").arg(qEnvironmentVariable("USERNAME"));
}

std::unique_ptr<ClaimLock> ClaimLock::take(const QString& path, bool& held) {
    auto lock = std::make_unique<FileLock>(path);
    // Only the lock of a process that has died is stale, however long the launcher has run.
    lock->file.setStaleLockTime(0);
    const bool locked = lock->file.tryLock(0);
    held = !locked && lock->file.error() == QLockFile::LockFailedError;
    if (!locked)
        return nullptr;
    return lock;
}
