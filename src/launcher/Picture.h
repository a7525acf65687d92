#pragma once

#include "common/Outcome.h"

#include <QLabel>
#include <QPixmap>

// Loads a picture file (bitmap, JPEG, GIF, icon, or anything else Qt reads) decoded straight
// to `size` logical pixels, the size of the control that stretches it. An empty path gives
// a null pixmap; a path that names no loadable picture is a failure.
Outcome LoadPictureFile(const QString& path, QSize size, qreal devicePixelRatio, QPixmap& out);

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
    // keeps what it showed.
    Outcome LoadPicture(const QString& path);
    void setPicture(const QPixmap& picture);
    QPixmap picture() const { return picture_; }
    bool hasPicture() const { return !picture_.isNull(); }

signals:
    void doubleClicked();

protected:
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;

private:
    void applyGeometry();

    int left_ = 0;
    int top_ = 0;
    int width_ = 960;
    int height_ = 960;
    QPixmap picture_;
};
