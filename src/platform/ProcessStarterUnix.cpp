#include "platform/ProcessStarter.h"

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
