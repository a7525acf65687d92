#pragma once

#include <QFileInfo>
#include <QStringList>

// What this system calls drives: the drive letters on Windows ("C:/"); on Linux the root
// directory first, then the mounted volumes a person browses, without pseudo file systems.
QStringList ListDrives();

// Files the file chooser leaves out: hidden files, and system files on Windows.
bool IsHiddenOrSystemFile(const QFileInfo& file);

// Whether a file counts as a program for the chooser's "File" mode besides "*.exe" names:
// on Linux, a regular file the user may execute; on Windows, never.
bool IsExecutableProgram(const QFileInfo& file);
