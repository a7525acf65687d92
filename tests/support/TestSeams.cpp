#include "TestSeams.h"

#include <QDir>
#include <QDirIterator>
#include <QImage>
#include <QtEndian>

TempAppDir::TempAppDir() {
    QDir(dir_.path()).mkpath(QStringLiteral("Data/Sound"));
    SetAppPathForTesting(dir_.path());
    // Where Data goes when the program folder cannot be written: never the real home.
    qputenv("XDG_DATA_HOME", QFile::encodeName(dir_.filePath(QStringLiteral("user"))));
}

void TempAppDir::writeData(const QString& relative, const QByteArray& bytes) const {
    QFile file(dataPath(relative));
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
        qFatal("cannot write %s", qPrintable(file.fileName()));
}

QByteArray TempAppDir::readData(const QString& relative) const {
    QFile file(dataPath(relative));
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

QByteArray RecordBytes(const QByteArray& name, const QByteArray& program, const QByteArray& image) {
    QByteArray record;
    for (const QByteArray& text : {name, program, image})
        record.append(char(text.size() & 0xff)).append(char(text.size() >> 8)).append(text);
    return record.leftJustified(500, '\0');
}

void WritePicture(const QString& path, const char* format, Qt::GlobalColor color) {
    QImage image(16, 16, QImage::Format_RGB32);
    image.fill(color);
    if (!image.save(path, format))
        qFatal("cannot write picture %s", qPrintable(path));
}

QMap<QString, QByteArray> SnapshotFiles(const QString& dir) {
    QMap<QString, QByteArray> files;
    for (QDirIterator it(dir, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
         it.hasNext();) {
        QFile file(it.next());
        files[QDir(dir).relativeFilePath(file.fileName())] =
            file.open(QIODevice::ReadOnly) ? file.readAll() : "<unreadable>";
    }
    return files;
}
