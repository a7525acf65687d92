#include "chooser/ChooserFiles.h"

#include "platform/Drives.h"

#include <QDir>

QStringList ListChooserFiles(const QString& dirPath, const FileFilter& filter) {
    // Hidden files are asked for and then judged by the platform layer, which also knows
    // about the system attribute that QDir does not filter.
    const QFileInfoList entries = QDir(dirPath).entryInfoList(
        QDir::Files | QDir::Hidden | QDir::NoDotAndDotDot, QDir::Name | QDir::IgnoreCase);
    QStringList names;
    for (const QFileInfo& entry : entries) {
        if (!entry.isFile() || IsHiddenOrSystemFile(entry))
            continue;
        if (QDir::match(filter.pattern, entry.fileName()) ||
            (filter.withExecutables && IsExecutableProgram(entry)))
            names << entry.fileName();
    }
    return names;
}

QStringList ListSubdirectories(const QString& dirPath) {
    return QDir(dirPath).entryList(QDir::Dirs | QDir::NoDotAndDotDot,
                                   QDir::Name | QDir::IgnoreCase);
}

QString JoinChooserPath(const QString& dirPath, const QString& name) {
    return QDir::toNativeSeparators(dirPath) + QDir::separator() + name;
}
