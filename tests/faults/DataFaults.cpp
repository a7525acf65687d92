#include "DataFaults.h"

#include "common/Module1.h"

#include <QDir>

QString StoredSlotName(int slot) {
    return QStringLiteral("スロット%1").arg(slot);
}

const char* FaultName(DataFault fault) {
    switch (fault) {
    case DataFault::DataMissing:
        return "Data missing";
    case DataFault::DataReadOnly:
        return "Data read-only";
    case DataFault::FilesReadOnly:
        return "files read-only";
    case DataFault::OptionsReadOnly:
        return "options file read-only";
    case DataFault::DataReadOnlyWhileRunning:
        return "Data read-only while running";
    case DataFault::DiskFull:
        return "disk full";
    }
    return "?";
}

namespace {
QByteArray goodSlotFile() {
    QByteArray file;
    for (int i = 1; i <= 5; ++i)
        // "スロット" in code page 932, then the slot number.
        file += RecordBytes(QByteArray::fromHex("8358838d83628367") + QByteArray::number(i),
                            "/usr/bin/prog" + QByteArray::number(i), QByteArray());
    return file;
}
} // namespace

FaultyLauncher::FaultyLauncher(DataFault fault) : dir(fault != DataFault::DataMissing) {
    Module1::Reset();
    const QString slotFile = dir.dataPath(QStringLiteral("SetUp.FIL"));
    const QString optionsFile = dir.dataPath(QStringLiteral("DataBase.FIL"));
    if (fault == DataFault::DiskFull && !mounts.tmpfs(dataDir(), "16k"))
        return;
    if (fault != DataFault::DataMissing) {
        dir.writeData(QStringLiteral("SetUp.FIL"),
                      fault == DataFault::DiskFull ? QByteArray() : goodSlotFile());
        dir.writeData(QStringLiteral("DataBase.FIL"), GoodOptions);
    }
    bool broken = true;
    switch (fault) {
    case DataFault::DataReadOnly:
        broken = mounts.readOnly(dataDir());
        break;
    case DataFault::FilesReadOnly:
        broken = mounts.readOnly(slotFile) && mounts.readOnly(optionsFile);
        break;
    case DataFault::OptionsReadOnly:
        broken = mounts.readOnly(optionsFile);
        break;
    case DataFault::DiskFull:
        broken = FillDisk(dataDir());
        break;
    case DataFault::DataMissing:
    case DataFault::DataReadOnlyWhileRunning:
        break;
    }
    if (!broken)
        return;
    main = std::make_unique<Main>(rig.seams());
    if (fault == DataFault::DataReadOnlyWhileRunning && !mounts.readOnly(dataDir()))
        return;
    stored = files();
    ready_ = true;
}

FaultyLauncher::~FaultyLauncher() {
    // The launcher lets go of the slot file before its mounts go.
    main.reset();
}

QString FaultyLauncher::takeErrors() {
    const QStringList errors = ErrorTexts(rig.messages);
    rig.messages.shown.clear();
    return errors.join(QLatin1Char('\n'));
}

QStringList ErrorTexts(const RecordingMessageBoxes& messages) {
    QStringList errors;
    for (const RecordingMessageBoxes::Shown& shown : messages.shown)
        if (shown.icon == MessageIcon::Error)
            errors << shown.text;
    return errors;
}

QStringList NamesShown(const Main& main) {
    QStringList names;
    for (int i = 1; i <= 5; ++i)
        names << main.P_Name_L[i]->text();
    return names;
}
