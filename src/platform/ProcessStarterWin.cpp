#include "platform/ProcessStarter.h"

#include <QDir>
#include <QFileInfo>
#include <qt_windows.h>
#include <shellapi.h>

#include <vector>

namespace {
// What the system starts by itself; every other file, and every folder, is opened through its
// association, as Explorer opens it.
bool IsDocumentOrFolder(const QFileInfo& wholeLine) {
    static const QStringList programs{QStringLiteral("exe"), QStringLiteral("com"),
                                      QStringLiteral("bat"), QStringLiteral("cmd")};
    return wholeLine.isDir() ||
           (wholeLine.isFile() && !programs.contains(wholeLine.suffix(), Qt::CaseInsensitive));
}

Outcome OpenWithAssociation(const QString& path) {
    const QString native = QDir::toNativeSeparators(path);
    const auto result = reinterpret_cast<INT_PTR>(
        ShellExecuteW(nullptr, nullptr, reinterpret_cast<LPCWSTR>(native.utf16()), nullptr, nullptr,
                      SW_SHOWNORMAL));
    // Values up to 32 are errors.
    if (result <= 32)
        return Outcome::failure(QStringLiteral("%1: no program opens it").arg(native));
    return Outcome::success();
}
} // namespace

Outcome SystemProcessStarter::start(const QString& commandLine) {
    const QFileInfo wholeLine(commandLine);
    if (IsDocumentOrFolder(wholeLine))
        return OpenWithAssociation(wholeLine.absoluteFilePath());

    // The system splits and quotes the command line itself; it is handed over as it stands.
    // CreateProcessW may write into the buffer, so it gets a copy of its own.
    std::vector<wchar_t> buffer(size_t(commandLine.size()) + 1, L'\0');
    commandLine.toWCharArray(buffer.data());

    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    startup.dwFlags = STARTF_USESHOWWINDOW;
    startup.wShowWindow = SW_SHOWNORMAL;
    PROCESS_INFORMATION process{};
    if (!CreateProcessW(nullptr, buffer.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                        &startup, &process))
        return Outcome::failure(
            QStringLiteral("%1: %2").arg(commandLine, qt_error_string(int(GetLastError()))));
    // The launcher never waits for its programs nor keeps a hold on them.
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return Outcome::success();
}
