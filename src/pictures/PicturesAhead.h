#pragma once

#include "common/Outcome.h"

#include <QImage>
#include <QPixmap>
#include <QString>
#include <future>
#include <vector>

// Pictures decoded on threads of their own while the user-interface thread goes on, each
// taken when it is needed, in any order. Only large picture files get a thread; a small one is
// decoded when it is taken, as is a picture that was never started, or was started for another
// size, so what the caller gets is always what decoding it then would give. Going out of scope
// waits for the decodes still running.
class PicturesAhead {
public:
    PicturesAhead() = default;
    PicturesAhead(const PicturesAhead&) = delete;
    PicturesAhead& operator=(const PicturesAhead&) = delete;
    ~PicturesAhead();

    // Starts decoding `path` for a control of `size` logical pixels when its file is large; an
    // empty path is ignored.
    void decode(const QString& path, QSize size, qreal devicePixelRatio);
    // The picture of `path` for a control of `size`, as LoadPictureFile gives it.
    Outcome take(const QString& path, QSize size, qreal devicePixelRatio, QPixmap& out);

private:
    struct Decoded {
        Outcome outcome;
        QImage image;
    };
    struct Decoding {
        QString path;
        QSize size;
        qreal devicePixelRatio;
        std::future<Decoded> result;
    };
    std::vector<Decoding> decodings_;
};
