#pragma once

#include <QByteArray>
#include <QFileInfo>
#include <QStringList>

// What this system calls drives: the drive letters on Windows ("C:/"); on Linux the root
// directory first, then the mounted volumes a person browses, without pseudo file systems.
QStringList ListDrives();

// The folder a change to `drive` shows: on Windows the system's current folder of that drive
// (its root until the process has been elsewhere on it), on Linux the volume's root.
QString DriveCurrentFolder(const QString& drive);

// The drive of `drives` that holds `path`: the longest drive root that `path` lies under
// (ignoring case on Windows); the first drive when none does.
QString DriveOfPath(const QString& path, const QStringList& drives);

// How this system compares paths: ignoring case on Windows, exactly on Linux.
Qt::CaseSensitivity PathCaseSensitivity();

// Whether a Linux mount is a volume a person browses: not a kernel or container file system,
// not a snap image, nothing below /proc, /sys, /dev, /run (except /run/media, where removable
// media land on some systems), /snap or /boot.
bool IsBrowsedVolume(const QString& rootPath, const QByteArray& fileSystemType);

// Files the file chooser leaves out: hidden files, and system files on Windows.
bool IsHiddenOrSystemFile(const QFileInfo& file);

// Whether a file counts as a program for the chooser's "File" mode besides "*.exe" names:
// on Linux, a regular file the user may execute; on Windows, never.
bool IsExecutableProgram(const QFileInfo& file);

// The names the file chooser lists as programs: "*.exe" on Windows; on Linux also "*.desktop",
// as most Linux programs are started through their desktop entries.
QString ProgramFilePattern();
