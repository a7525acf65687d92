#include "launcher/Picture.h"

#include "common/Twips.h"

#include <QFileInfo>
#include <QImageReader>
#include <QMouseEvent>

namespace {
// Pictures are shown at most 64 x 64 logical pixels, so a picture that declares a size far
// beyond anything a person would pick is refused before any pixel is decoded.
constexpr qint64 MaxDeclaredPixels = qint64(40000) * 40000;
} // namespace

Outcome LoadPictureFile(const QString& path, QSize size, qreal devicePixelRatio, QPixmap& out) {
    if (path.isEmpty()) {
        out = QPixmap();
        return Outcome::success();
    }
    // Only a regular file can be a picture: opening a FIFO would block until someone writes to
    // it, and a device such as /dev/zero never ends.
    if (!QFileInfo(path).isFile())
        return Outcome::failure(QStringLiteral("%1: not a file").arg(path));
    QImageReader reader(path);
    reader.setAutoTransform(true);
    const QSize declared = reader.size();
    if (declared.isValid() && qint64(declared.width()) * declared.height() > MaxDeclaredPixels)
        return Outcome::failure(QStringLiteral("%1: too large").arg(path));
    const QSize target = (QSizeF(size) * devicePixelRatio).toSize().expandedTo(QSize(1, 1));
    // Decoders that can scale while decoding (JPEG) then never hold the full picture.
    if (reader.supportsOption(QImageIOHandler::ScaledSize))
        reader.setScaledSize(target);
    QImage image = reader.read();
    if (image.isNull())
        return Outcome::failure(QStringLiteral("%1: %2").arg(path, reader.errorString()));
    if (image.size() != target)
        image = image.scaled(target, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    out = QPixmap::fromImage(std::move(image));
    out.setDevicePixelRatio(devicePixelRatio);
    return Outcome::success();
}

PictureBox::PictureBox(QWidget* parent) : QLabel(parent) {
    setScaledContents(true);
    setFrameShape(QFrame::Box);
    setFrameShadow(QFrame::Plain);
    setLineWidth(1);
    applyGeometry();
}

void PictureBox::setTwipsGeometry(int left, int top, int width, int height) {
    left_ = left;
    top_ = top;
    width_ = width;
    height_ = height;
    applyGeometry();
}

void PictureBox::setTwipsLeft(int left) {
    left_ = left;
    applyGeometry();
}

void PictureBox::setTwipsTop(int top) {
    top_ = top;
    applyGeometry();
}

void PictureBox::setTwipsWidth(int width) {
    width_ = width;
    applyGeometry();
}

void PictureBox::setTwipsHeight(int height) {
    height_ = height;
    applyGeometry();
}

void PictureBox::applyGeometry() {
    setGeometry(twips(left_), twips(top_), qMax(0, twips(width_)), qMax(0, twips(height_)));
}

Outcome PictureBox::LoadPicture(const QString& path) {
    QPixmap loaded;
    // Decode for the design size of the frame; the collapse animation only ever shrinks it.
    const Outcome outcome =
        LoadPictureFile(path, twipsRect(0, 0, 960, 960).size(), devicePixelRatioF(), loaded);
    if (outcome)
        setPicture(loaded);
    return outcome;
}

void PictureBox::setPicture(const QPixmap& picture) {
    picture_ = picture;
    setPixmap(picture);
}

void PictureBox::mouseDoubleClickEvent(QMouseEvent* event) {
    event->accept();
    emit doubleClicked();
}

void PictureBox::mousePressEvent(QMouseEvent* event) {
    // A picture is a control of its own: a click on it never reaches the window behind.
    event->accept();
}
