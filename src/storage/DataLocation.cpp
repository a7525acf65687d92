#include "storage/DataLocation.h"

#include "platform/RegularFile.h"
#include "platform/WritableFolder.h"
#include "storage/DataFolder.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTemporaryFile>
#include <array>
#include <limits>

namespace {

// The files the launcher knows, each read and copied up to its limit. The slot and options
// files are cut to what is read of them; a larger cue is no cue and is left out.
struct KnownFile {
    const char* name;
    qint64 limit;
    bool cutToLimit;
};
const std::array<KnownFile, 6> KnownFiles{{
    {SlotFileName, SlotFileReadLimit, true},
    {OptionsFileName, OptionsFileReadLimit, true},
    {CueFileNames[0], CueFileReadLimit, false},
    {CueFileNames[1], CueFileReadLimit, false},
    {CueFileNames[2], CueFileReadLimit, false},
    {CueFileNames[3], CueFileReadLimit, false},
}};

// Copies one file when it is a regular file (a link to a FIFO or a device is no file) within its
// limit; anything else is left out, as if it were missing. False only when writing fails.
bool copyKnownFile(const QString& from, const QString& to, const KnownFile& known) {
    QFile source;
    if (!OpenRegularFile(from, known.cutToLimit ? std::numeric_limits<qint64>::max() : known.limit,
                         source))
        return true;
    const QByteArray bytes = source.read(known.limit);
    QFile copy(to);
    return QDir().mkpath(QFileInfo(to).absolutePath()) && copy.open(QIODevice::WriteOnly) &&
           copy.setPermissions(QFile::ReadOwner | QFile::WriteOwner) &&
           copy.write(bytes) == bytes.size() && copy.flush();
}

// A copy killed half way leaves its staging folder behind; the next start takes it away. One
// that has just been written to may be another launcher's copy in progress.
void removeLeftStaging(const QString& parent) {
    const QDateTime before = QDateTime::currentDateTimeUtc().addSecs(-60);
    for (const QFileInfo& left : QDir(parent).entryInfoList(
             {QStringLiteral("Data-??????")}, QDir::Dirs | QDir::Hidden | QDir::NoDotAndDotDot))
        if (!left.isSymLink() && left.lastModified().toUTC() < before)
            QDir(left.filePath()).removeRecursively();
}

// Copies the files the launcher knows from `from` into a fresh folder beside `to` and then
// renames that folder to `to`, so that `to` holds the whole copy or does not exist. The copies
// belong to the user and may be written, whatever the originals allowed.
bool copyFolder(const QString& from, const QString& to) {
    const QString parent = QFileInfo(to).absolutePath();
    if (!QDir().mkpath(parent))
        return false;
    removeLeftStaging(parent);
    QTemporaryDir staging(parent + QStringLiteral("/Data-XXXXXX")); // made for the user alone
    if (!staging.isValid())
        return false;
    for (const KnownFile& known : KnownFiles) {
        const QString name = QString::fromLatin1(known.name);
        if (!copyKnownFile(from + u'/' + name, staging.filePath(name), known))
            return false;
    }
    if (QDir().rename(staging.path(), to)) {
        staging.setAutoRemove(false);
        return true;
    }
    // Another launcher started at the same moment may have made it first.
    return QFileInfo(to).isDir();
}

} // namespace

QString LocateDataDir(const QString& programData, const QString& userData) {
    // The usual case, a Data folder this user can write, is decided first: on Linux in one
    // system call. Something that is no folder is left for start-up to report.
    if (CanWriteIn(programData) || !QFileInfo(programData).isDir() || userData.isEmpty())
        return programData;
    if (QFileInfo(userData).isDir() || copyFolder(programData, userData))
        return userData;
    return programData;
}

QString UserDataDir() {
    const QString base = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
    return base.isEmpty() ? QString() : base + QStringLiteral("/TESSELO/Data");
}
