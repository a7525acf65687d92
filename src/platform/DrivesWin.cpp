#include "platform/Drives.h"

#include <QDir>
#include <qt_windows.h>

#include <cwchar>
#include <vector>

Qt::CaseSensitivity PathCaseSensitivity() {
    return Qt::CaseInsensitive;
}

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

QString ProgramFilePattern() {
    return QStringLiteral("*.exe");
}
