#include "widgets/PictureBox.h"

#include "common/Twips.h"
#include "pictures/PictureFile.h"
#include "pictures/PicturesAhead.h"

#include <QMouseEvent>

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

QSize PictureBox::decodeSize() {
    // The design size of the frame; the collapse animation only ever shrinks it.
    return twipsRect(0, 0, 960, 960).size();
}

void PictureBox::decodeAhead(const QString& path, PicturesAhead& ahead) const {
    ahead.decode(path, decodeSize(), devicePixelRatioF());
}

Outcome PictureBox::loadPicture(const QString& path, PicturesAhead* ahead) {
    QPixmap loaded;
    const Outcome outcome = ahead ? ahead->take(path, decodeSize(), devicePixelRatioF(), loaded)
                                  : decodePicture(path, loaded);
    if (outcome)
        setPicture(loaded);
    return outcome;
}

Outcome PictureBox::decodePicture(const QString& path, QPixmap& out) const {
    return LoadPictureFile(path, decodeSize(), devicePixelRatioF(), out);
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
