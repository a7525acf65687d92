#include "pictures/PicturesAhead.h"

#include "pictures/PictureFile.h"

#include <QFileInfo>
#include <system_error>

namespace {
// A picture file this small decodes in well under a millisecond, less than starting a thread
// costs; and every thread that decodes leaves the process a memory pool of its own.
constexpr qint64 SmallPictureBytes = 64 * 1024;
} // namespace

PicturesAhead::~PicturesAhead() = default;

void PicturesAhead::decode(const QString& path, QSize size, qreal devicePixelRatio) {
    if (path.isEmpty())
        return;
    // Small pictures, and whatever is no file at all, are decoded when they are taken.
    const QFileInfo file(path);
    if (!file.isFile() || file.size() <= SmallPictureBytes)
        return;
    const QSize frame = (QSizeF(size) * devicePixelRatio).toSize();
    try {
        decodings_.push_back({path, size, devicePixelRatio, std::async(std::launch::async, [=] {
                                  QImage image;
                                  Outcome outcome = DecodePictureFile(path, frame, image);
                                  return Decoded{std::move(outcome), std::move(image)};
                              })});
    } catch (const std::system_error&) {
        // No thread to spare: the picture is decoded when it is taken.
    }
}

Outcome PicturesAhead::take(const QString& path, QSize size, qreal devicePixelRatio, QPixmap& out) {
    for (Decoding& decoding : decodings_) {
        if (decoding.path != path || decoding.size != size ||
            decoding.devicePixelRatio != devicePixelRatio || !decoding.result.valid())
            continue;
        Decoded decoded = decoding.result.get();
        if (decoded.outcome)
            out = ToPicture(std::move(decoded.image), devicePixelRatio);
        return decoded.outcome;
    }
    return LoadPictureFile(path, size, devicePixelRatio, out);
}
