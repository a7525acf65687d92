#pragma once

#include "common/Outcome.h"

#include <QByteArray>
#include <QSize>

class QFile;

// What a picture file declares about itself, read from its own header before any pixel is
// decoded, and whether decoding it stays within the memory one picture may take.
struct PictureHeader {
    QByteArray format; // as Qt names it: "png", "jpeg", "bmp"...
    QSize size;
    // A PNG's bytes as they are to be decoded: without text chunks, or with the few a thumbnail
    // carries. Empty for other formats, which are decoded from the file.
    QByteArray png;
};

// Reads the header of the open `file`. Fails when the header names no format this program
// reads, no size, or a size whose decoding would take more than about 256 MB: a PNG counts
// its pixels, a JPEG that keeps all its coefficients (progressive, or a scan per colour) counts
// those. A PNG's text is dropped, or with `keepText` kept when there is little of it.
Outcome ReadPictureHeader(QFile& file, bool keepText, PictureHeader& out);
