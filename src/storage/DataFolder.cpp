#include "storage/DataFolder.h"

#include "common/AppPath.h"
#include "common/StartupMark.h"
#include "storage/DataLocation.h"

#include <optional>

QString DataDirPath() {
    // The answer cannot change while the program runs: one look at the folder per run. Tests
    // that move AppPath get a fresh look.
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

QString DataFilePath(const QString& dataDir, const char* name) {
    return dataDir + u'/' + QLatin1StringView(name);
}
