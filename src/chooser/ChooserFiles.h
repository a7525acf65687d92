#pragma once

#include "platform/Drives.h"

#include <QString>
#include <QStringList>

// What the file chooser lists and the paths it hands back.

// Wildcard masks separated by ";", matched ignoring case. The fourth picture mask has no dot
// on purpose: it takes every name that ends in "jpe", with or without an extension.
inline const QString PicturePattern = QStringLiteral("*.bmp;*.jpg;*.jpeg;*jpe;*.gif;*.ico");
// What this system calls a program file (platform/Drives.h).
inline const QString ProgramPattern = ProgramFilePattern();
inline const QString AnyFilePattern = QStringLiteral("*");

struct FileFilter {
    QString pattern = AnyFilePattern;
    // Also list the files the system would run as programs, whatever their names.
    bool withExecutables = false;
};

// The names of the files in `dirPath` that pass `filter`, leaving out hidden and system
// files, sorted ignoring case.
QStringList ListChooserFiles(const QString& dirPath, const FileFilter& filter);

// The names of the visible subdirectories of `dirPath`, sorted ignoring case.
QStringList ListSubdirectories(const QString& dirPath);

// The directory in the system's own notation, the separator and the name. The separator is
// inserted even after a root that already ends in one, which gives "C:\\GAME.EXE" and
// "//game": the paths the launcher has always stored.
QString JoinChooserPath(const QString& dirPath, const QString& name);
