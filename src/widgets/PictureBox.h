#pragma once

#include "common/Outcome.h"

#include <QLabel>
#include <QPixmap>

class PicturesAhead;

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
    Outcome loadPicture(const QString& path, PicturesAhead* ahead = nullptr);
    // Decodes a picture file as this control would show it, without showing it.
    Outcome decodePicture(const QString& path, QPixmap& out) const;
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
