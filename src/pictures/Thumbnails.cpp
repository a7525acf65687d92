#include "pictures/Thumbnails.h"

#include "pictures/PictureHeader.h"
#include "platform/RegularFile.h"
#include "platform/ThumbnailFolder.h"

#include <QCryptographicHash>
#include <QDateTime>
#include <QDir>
#include <QTemporaryFile>
#include <QUrl>
#include <cstdio>

namespace {
const QString UriKey = QStringLiteral("Thumb::URI");
const QString ModifiedKey = QStringLiteral("Thumb::MTime");
const QString SizeKey = QStringLiteral("Thumb::Size");
const QString FailFolder = QStringLiteral("fail/tesselo");

QString sideFolder(int side) {
    return side == 128 ? QStringLiteral("normal") : QStringLiteral("large");
}

// A thumbnail is a few hundred kilobytes at most.
constexpr qint64 MaxEntryBytes = 1 << 20;
constexpr int MaxEntrySide = 1024;

// An entry, or a null image. Only a regular file of a thumbnail's size, a PNG of a thumbnail's
// size with a few short texts, is read: anything else in the cache (a FIFO, a huge file, a
// picture that declares more) is no entry.
QImage readEntry(const QString& path) {
    QFile file;
    PictureHeader header;
    QImage entry;
    if (OpenRegularFile(path, MaxEntryBytes, file) && ReadPictureHeader(file, true, header) &&
        header.format == "png" && header.size.width() <= MaxEntrySide &&
        header.size.height() <= MaxEntrySide)
        (void)entry.loadFromData(header.png, "PNG");
    return entry;
}

// The cache's folders are the user's alone. Two threads may make the same folder at once.
bool makePrivateFolder(const QString& path) {
    const QFileInfo folder(path);
    if (folder.isDir())
        return true;
    const auto owner = QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner;
    return makePrivateFolder(folder.absolutePath()) &&
           (QDir().mkdir(path, owner) || QFileInfo(path).isDir());
}
} // namespace

Thumbnails::Thumbnails(const QFileInfo& picture)
    : folder_(ThumbnailCacheFolder()),
      uri_(QString::fromLatin1(QUrl::fromLocalFile(picture.absoluteFilePath()).toEncoded())),
      name_(QString::fromLatin1(
                QCryptographicHash::hash(uri_.toLatin1(), QCryptographicHash::Md5).toHex()) +
            QStringLiteral(".png")),
      modified_(picture.lastModified().toSecsSinceEpoch()), size_(picture.size()) {}

QString Thumbnails::entry(const QString& folder) const {
    return folder_ + u'/' + folder + u'/' + name_;
}

bool Thumbnails::madeFromThisFile(const QImage& entry) const {
    // A picture replaced on disk has another modification time; one replaced within the same
    // second mostly has another size, where the entry records it.
    const QString size = entry.text(SizeKey);
    return !entry.isNull() && entry.text(UriKey) == uri_ &&
           entry.text(ModifiedKey).toLongLong() == modified_ &&
           (size.isEmpty() || size.toLongLong() == size_);
}

QImage Thumbnails::read(int side) const {
    if (!isAvailable())
        return {};
    QImage thumbnail = readEntry(entry(sideFolder(side)));
    return madeFromThisFile(thumbnail) ? thumbnail : QImage();
}

bool Thumbnails::failedBefore() const {
    return isAvailable() && madeFromThisFile(readEntry(entry(FailFolder)));
}

void Thumbnails::write(int side, QImage thumbnail) const {
    save(sideFolder(side), std::move(thumbnail));
}

void Thumbnails::writeFailure() const {
    QImage mark(1, 1, QImage::Format_ARGB32);
    mark.fill(Qt::transparent);
    save(FailFolder, std::move(mark));
}

void Thumbnails::save(const QString& folder, QImage image) const {
    if (!isAvailable() || !makePrivateFolder(folder_ + u'/' + folder))
        return;
    image.setText(UriKey, uri_);
    image.setText(ModifiedKey, QString::number(modified_));
    image.setText(SizeKey, QString::number(size_));
    // Written beside the entry, readable by the user alone like the folders, and renamed over
    // it, so that no reader ever sees half a file. Nothing is flushed to the disk: that would
    // make a start wait on every other write of the system, and a thumbnail that a crash cuts
    // short is only made again.
    QTemporaryFile file(folder_ + u'/' + folder + QStringLiteral("/tesselo-XXXXXX.png"));
    if (!file.open() || !image.save(&file, "PNG") || !file.flush())
        return;
    const QByteArray from = QFile::encodeName(file.fileName());
    const QByteArray to = QFile::encodeName(entry(folder));
    if (std::rename(from.constData(), to.constData()) == 0)
        file.setAutoRemove(false);
}
