#include "LauncherData.h"

#include <QDir>
#include <QFile>

void WriteLauncherData(const TempAppDir& dir, const QStringList& programs,
                       const QByteArray& options) {
    QByteArray records;
    for (int i = 1; i <= 5; ++i) {
        const QString picture = dir.dataPath(QStringLiteral("pic%1.png").arg(i));
        WritePicture(picture, "png");
        const QByteArray program = i <= programs.size() ? programs[i - 1].toUtf8() : QByteArray();
        records += RecordBytes("slot" + QByteArray::number(i), program, picture.toUtf8());
    }
    dir.writeData(QStringLiteral("SetUp.FIL"), records);
    dir.writeData(QStringLiteral("DataBase.FIL"), options);
}

void BlockOptionsFile(const TempAppDir& dir) {
    const QString path = dir.dataPath(QStringLiteral("DataBase.FIL"));
    QFile::remove(path);
    if (!QDir().mkpath(path))
        qFatal("cannot block %s", qPrintable(path));
}
