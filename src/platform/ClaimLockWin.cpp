// Built on Windows only.
#include "platform/ClaimLock.h"

#include <QDir>
#include <QFileInfo>
#include <QLockFile>
#include <qt_windows.h>

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

QByteArray claimedFolderIdentity(const QString& folder) {
    const QFileInfo info(folder);
    const QString canonical = info.canonicalFilePath();
    const QString path =
        QDir::toNativeSeparators(canonical.isEmpty() ? info.absoluteFilePath() : canonical);
    // A folder opens with FILE_FLAG_BACKUP_SEMANTICS; no access is asked, only its identity.
    const HANDLE handle = CreateFileW(reinterpret_cast<const wchar_t*>(path.utf16()), 0,
                                      FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                      nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    BY_HANDLE_FILE_INFORMATION file{};
    const bool known = handle != INVALID_HANDLE_VALUE && GetFileInformationByHandle(handle, &file);
    if (handle != INVALID_HANDLE_VALUE)
        CloseHandle(handle);
    if (known && (file.nFileIndexHigh || file.nFileIndexLow))
        return QByteArray::number(quint64(file.dwVolumeSerialNumber), 16) + ':' +
               QByteArray::number(quint64(file.nFileIndexHigh) << 32 | file.nFileIndexLow, 16);
    return path.toCaseFolded().toUtf8();
}
