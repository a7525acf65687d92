#include "platform/ProcessStarter.h"

#include <QtGlobal>

#ifdef Q_OS_WIN
#include <qt_windows.h>

#include <vector>

Outcome SystemProcessStarter::start(const QString& commandLine) {
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

Outcome SystemProcessStarter::start(const QString& commandLine) {
    QProcess process;
    // A file name may contain spaces, quotes and shell characters: a command line that names
    // an existing file or folder starts exactly that, with no arguments. A desktop entry
    // starts its application; a folder, or a file the user may not execute, opens in the default
    // application for its type. Only a line that names nothing is split, double quotes
    // grouping, into a program and its arguments.
    const QFileInfo wholeLine(commandLine);
    const QString named = wholeLine.absoluteFilePath();
    if (wholeLine.isDir())
        return OpenWithDefaultApplication(named);
    if (wholeLine.isFile()) {
        if (wholeLine.suffix() == QStringLiteral("desktop"))
            return LaunchDesktopEntry(named);
        if (!wholeLine.isExecutable())
            return OpenWithDefaultApplication(named);
        process.setProgram(named);
    } else {
        QStringList parts = QProcess::splitCommand(commandLine);
        if (parts.isEmpty())
            return Outcome::failure(QStringLiteral("%1: no program").arg(commandLine));
        process.setProgram(parts.takeFirst());
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
