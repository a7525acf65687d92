#include "pictures/PictureFile.h"

#include "pictures/PictureHeader.h"
#include "pictures/Thumbnails.h"
#include "platform/RegularFile.h"

#include <QBuffer>
#include <QFileInfo>
#include <QImageReader>

namespace {
// What Qt may allocate for one decoded picture, and the largest file taken for a picture.
constexpr int MaxImageMegabytes = 256;
constexpr qint64 MaxPictureFileBytes = qint64(1) << 30;

// Whether a picture of this size stays sharp when stretched to `frame`, whichever way round
// it is turned.
bool covers(QSize size, QSize frame) {
    return qMin(size.width(), size.height()) >= qMax(frame.width(), frame.height());
}

// A thumbnail is sharp enough when it covers the frame, or when it is the whole picture
// (smaller than its side), which decoding afresh would not make any sharper.
bool sharpEnough(const QImage& thumbnail, int side, QSize frame) {
    return !thumbnail.isNull() &&
           (covers(thumbnail.size(), frame) || qMax(thumbnail.width(), thumbnail.height()) < side);
}

// The side of the smallest thumbnail of a picture of `declared` pixels that covers the frame, or
// 0 when there is none. A picture no larger than a thumbnail decodes about as fast as its
// thumbnail would, and is not kept.
int keptSide(QSize declared, QSize frame) {
    for (const int side : Thumbnails::Sides)
        if (declared.isValid() && qMax(declared.width(), declared.height()) > side &&
            covers(declared.scaled(side, side, Qt::KeepAspectRatio), frame))
            return side;
    return 0;
}

QImage stretched(QImage image, QSize frame) {
    if (image.size() != frame)
        image = image.scaled(frame, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    return image;
}

// A file that could be read but holds no picture is noted in the cache; one that could not be
// opened is not, since it may well open next time with the same modification time.
bool isNoPicture(const QImageReader& reader) {
    return reader.error() == QImageReader::UnsupportedFormatError ||
           reader.error() == QImageReader::InvalidDataError;
}
} // namespace

Outcome DecodePictureFile(const QString& path, QSize frame, QImage& out) {
    out = QImage();
    if (path.isEmpty())
        return Outcome::success();
    // Only a regular file can be a picture: opening a FIFO would block until someone writes to
    // it, and a device such as /dev/zero never ends. A thumbnail never stands in for a file
    // that is gone, nor for one that this program could not decode itself: its own header
    // must name a format read here and a size within what one picture may take.
    QFile file;
    if (!OpenRegularFile(path, MaxPictureFileBytes, file))
        return Outcome::failure(QStringLiteral("%1: not a file").arg(path));
    PictureHeader header;
    if (const Outcome readable = ReadPictureHeader(file, false, header); !readable)
        return readable;
    frame = frame.expandedTo(QSize(1, 1));
    const Thumbnails thumbnails{QFileInfo(path)};
    // The smallest thumbnail that is sharp in the frame, measured in device pixels, so that a
    // screen of two device pixels to the pixel gets a large one where a normal one would blur.
    for (const int side : Thumbnails::Sides) {
        if (QImage thumbnail = thumbnails.read(side); sharpEnough(thumbnail, side, frame)) {
            out = stretched(std::move(thumbnail), frame);
            return Outcome::success();
        }
    }
    if (thumbnails.failedBefore())
        return Outcome::failure(QStringLiteral("%1: no picture").arg(path));

    // A PNG is decoded from its bytes without the text, which no picture here shows.
    QBuffer png(&header.png);
    QImageReader reader;
    if (header.png.isEmpty()) {
        file.seek(0);
        reader.setDevice(&file);
    } else {
        png.open(QIODevice::ReadOnly);
        reader.setDevice(&png);
    }
    reader.setFormat(header.format);
    reader.setAutoTransform(true);
    reader.setAllocationLimit(MaxImageMegabytes);
    const QSize declared = header.size;
    // A picture larger than a thumbnail is decoded once to the thumbnail's size and kept for
    // the next time. Decoders that can scale while decoding (JPEG) then never hold the full
    // picture.
    const int side = thumbnails.isAvailable() ? keptSide(declared, frame) : 0;
    if (reader.supportsOption(QImageIOHandler::ScaledSize))
        reader.setScaledSize(side ? declared.scaled(side, side, Qt::KeepAspectRatio) : frame);
    QImage image = reader.read();
    if (image.isNull()) {
        if (isNoPicture(reader))
            thumbnails.writeFailure();
        return Outcome::failure(QStringLiteral("%1: %2").arg(path, reader.errorString()));
    }
    if (side) {
        if (qMax(image.width(), image.height()) > side)
            image = image.scaled(side, side, Qt::KeepAspectRatio, Qt::SmoothTransformation);
        thumbnails.write(side, image);
    }
    out = stretched(std::move(image), frame);
    return Outcome::success();
}

Outcome LoadPictureFile(const QString& path, QSize size, qreal devicePixelRatio, QPixmap& out) {
    QImage image;
    const Outcome outcome =
        DecodePictureFile(path, (QSizeF(size) * devicePixelRatio).toSize(), image);
    if (outcome)
        out = ToPicture(std::move(image), devicePixelRatio);
    return outcome;
}

QPixmap ToPicture(QImage image, qreal devicePixelRatio) {
    if (image.isNull())
        return {};
    QPixmap picture = QPixmap::fromImage(std::move(image));
    picture.setDevicePixelRatio(devicePixelRatio);
    return picture;
}
