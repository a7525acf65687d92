#pragma once

#include "common/Outcome.h"

#include <QLabel>
#include <QPixmap>

class PicturesAhead;

// Decodes a picture file (bitmap, JPEG, GIF, icon, or anything else Qt reads) stretched to
// `frame` device pixels. A large picture is read from the shared thumbnail cache when a
// thumbnail made from this very file is there, and otherwise decoded to a thumbnail's size
// and kept there. An empty path gives a null image; a path that names no loadable picture is a
// failure, whatever the cache holds. Safe on any thread.
Outcome DecodePictureFile(const QString& path, QSize frame, QImage& out);

// Loads a picture file for a control of `size` logical pixels that stretches it, the same
// way. An empty path gives a null pixmap.
Outcome LoadPictureFile(const QString& path, QSize size, qreal devicePixelRatio, QPixmap& out);

// A decoded picture as the controls show it; null for a null image. User-interface thread.
QPixmap ToPicture(QImage image, qreal devicePixelRatio);

// A picture control: stretches its picture to its frame, has a thin single border, and keeps
// its geometry in twips so that moving it in twip steps adds no rounding drift.
class PictureBox : public QLabel {
    Q_OBJECT
public:
    explicit PictureBox(QWidget* parent = nullptr);

    void setTwipsGeometry(int left, int top, int width, int height);
    int twipsLeft() const { return left_; }
    int twipsTop() const { return top_; }
    int twipsWidth() const { return width_; }
    int twipsHeight() const { return height_; }
    void setTwipsLeft(int left);
    void setTwipsTop(int top);
    void setTwipsWidth(int width);
    void setTwipsHeight(int height);

    // Loads a picture file into the control; an empty path clears it. On failure the control
    // keeps what it showed. With `ahead`, the picture that was decoded ahead for the control
    // is taken from there.
    Outcome LoadPicture(const QString& path, PicturesAhead* ahead = nullptr);
    // Starts decoding a picture for this control on a thread of its own.
    void decodeAhead(const QString& path, PicturesAhead& ahead) const;
    void setPicture(const QPixmap& picture);
    QPixmap picture() const { return picture_; }
    bool hasPicture() const { return !picture_.isNull(); }

signals:
    void doubleClicked();

protected:
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;

private:
    static QSize decodeSize();
    void applyGeometry();

    int left_ = 0;
    int top_ = 0;
    int width_ = 960;
    int height_ = 960;
    QPixmap picture_;
};
