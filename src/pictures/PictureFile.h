#pragma once

#include "common/Outcome.h"

#include <QImage>
#include <QPixmap>
#include <QSize>
#include <QString>

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
