#pragma once

#include <QFileInfo>
#include <QImage>
#include <QString>

// One picture file's entries in the thumbnail cache that file managers share: a PNG named by
// the MD5 of the file's URI, in normal/ (at most 128 pixels a side) or large/ (256), that
// names the URI and the modification time (and size) of the file it was made from; and an
// entry in fail/tesselo/ for a file that is no picture. Without a cache folder (Windows)
// nothing is ever read or written. A cache that cannot be read or written is only slower:
// nothing here fails. Safe to use from several threads at once.
class Thumbnails {
public:
    // The largest side of the thumbnails in normal/ and in large/, smallest first.
    static constexpr int Sides[] = {128, 256};

    // `picture` is a regular file.
    explicit Thumbnails(const QFileInfo& picture);

    bool isAvailable() const { return !folder_.isEmpty(); }
    // The thumbnail of `side` made from this very file, or a null image.
    QImage read(int side) const;
    // Whether an earlier attempt found this very file to be no picture.
    bool failedBefore() const;

    void write(int side, QImage thumbnail) const;
    void writeFailure() const;

private:
    QString entry(const QString& folder) const;
    bool madeFromThisFile(const QImage& entry) const;
    void save(const QString& folder, QImage image) const;

    QString folder_;
    QString uri_;
    QString name_;
    qint64 modified_ = 0;
    qint64 size_ = 0;
};
