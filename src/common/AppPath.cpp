#include "common/AppPath.h"

#include "common/StartupMark.h"
#include "platform/DataLocation.h"

#include <QCoreApplication>
#include <optional>

namespace {
QString& appPathOverride() {
    static QString path;
    return path;
}
} // namespace

QString AppPath() {
    if (!appPathOverride().isEmpty())
        return appPathOverride();
    return QCoreApplication::applicationDirPath();
}

void SetAppPathForTesting(const QString& path) {
    appPathOverride() = path;
}

QString DataDirPath() {
    // Every data path asks, and the answer cannot change while the program runs: one look at
    // the folder per run. Tests that move AppPath get a fresh look.
    static std::optional<QString> decidedFor;
    static QString dataDir;
    const QString app = AppPath();
    if (decidedFor != app) {
        dataDir = LocateDataDir(app + QStringLiteral("/Data"), UserDataDir());
        decidedFor = app;
        StartupMark("data-folder-located");
    }
    return dataDir;
}
QString SlotFilePath() {
    return DataDirPath() + QStringLiteral("/SetUp.FIL");
}
QString OptionsFilePath() {
    return DataDirPath() + QStringLiteral("/DataBase.FIL");
}
