#include "platform/ProcessStarter.h"

#include <QtGlobal>

#ifdef Q_OS_WIN
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

#else
#include "platform/DesktopLaunch.h"

#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>

Outcome SystemProcessStarter::start(const QString& commandLine) {
    QProcess process;
    // A file name may contain spaces, quotes and shell characters: a command line that names
    // an existing file or folder by a path starts exactly that, with no arguments. A desktop
    // entry starts its application; a folder, or a file the user may not execute, opens in the
    // default application for its type. Any other line is split, double quotes grouping, into a
    // program and its arguments. A bare name, without a slash, is a program on the search path,
    // as in a shell, and never a file of whatever folder the launcher was started in.
    const bool isPath = commandLine.contains(u'/');
    const QFileInfo wholeLine(commandLine);
    const QString named = wholeLine.absoluteFilePath();
    if (isPath && wholeLine.isDir())
        return OpenWithDefaultApplication(named);
    if (isPath && wholeLine.isFile()) {
        if (wholeLine.suffix() == QStringLiteral("desktop"))
            return LaunchDesktopEntry(named);
        if (!wholeLine.isExecutable())
            return OpenWithDefaultApplication(named);
        process.setProgram(named);
    } else {
        QStringList parts = QProcess::splitCommand(commandLine);
        if (parts.isEmpty())
            return Outcome::failure(QStringLiteral("%1: no program").arg(commandLine));
        QString program = parts.takeFirst();
        if (!program.contains(u'/'))
            program = QStandardPaths::findExecutable(program);
        if (program.isEmpty())
            return Outcome::failure(QStringLiteral("%1: not on the search path").arg(commandLine));
        process.setProgram(program);
        process.setArguments(parts);
    }
    // The program gets nothing to read from the launcher. startDetached runs it in a session
    // of its own, reparented away from the launcher, so it outlives the launcher, leaves no
    // zombie and has no controlling terminal; a failing exec is reported back to us.
    process.setStandardInputFile(QProcess::nullDevice());
    if (!process.startDetached())
        return Outcome::failure(
            QStringLiteral("%1: %2").arg(process.program(), process.errorString()));
    return Outcome::success();
}
#endif
