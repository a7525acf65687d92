#pragma once

// A launcher running over a broken Data directory, for the fault tables of the reading, saving
// and shutdown tests.

#include "FaultRig.h"
#include "TestSeams.h"
#include "launcher/Main.h"

#include <memory>

enum class DataFault {
    DataMissing,              // no Data directory at all
    DataReadOnly,             // Data and both files read-only from the start
    FilesReadOnly,            // Data writable, both files read-only
    OptionsReadOnly,          // only the options file read-only
    DataReadOnlyWhileRunning, // Data turns read-only after a good start-up
    DiskFull,                 // Data on a file system with no room left, empty slot file
};

// What every fault table row needs: the fault, and what the launcher did with it.
class FaultyLauncher {
public:
    // Lays out the program folder, puts the fault in place and starts the launcher. Check
    // ready() before using it: mounting may fail.
    explicit FaultyLauncher(DataFault fault);
    ~FaultyLauncher();

    bool ready() const { return ready_; }
    QString dataDir() const { return dir.path() + QStringLiteral("/Data"); }
    // The Data directory's files as they stand now.
    QMap<QString, QByteArray> files() const { return SnapshotFiles(dataDir()); }
    // The error texts shown since the last call, joined by newlines, and forgets them.
    QString takeErrors();

    TempAppDir dir;
    Mounts mounts;
    TestRig rig;
    std::unique_ptr<Main> main;
    // The files as they were once the fault was in place, before the step under test.
    QMap<QString, QByteArray> stored;

private:
    bool ready_ = false;
};

// The error texts among the message boxes shown so far.
QStringList ErrorTexts(const RecordingMessageBoxes& messages);
// The five names the launcher shows.
QStringList NamesShown(const Main& main);

// The slot names a good slot file holds, as the launcher shows them.
QString StoredSlotName(int slot);
// The options file the launcher starts with: close-after-launch on, sound effects on.
inline constexpr char GoodOptions[] = "-1,-1\r\n";

// The fault's name in test row names.
const char* FaultName(DataFault fault);
