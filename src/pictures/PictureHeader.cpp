#include "pictures/PictureHeader.h"

#include <QFile>
#include <QImageReader>
#include <QtEndian>

namespace {
// Decoding one picture may take about 256 MB; the decoder's own tables and the stretched copy
// take some of it.
constexpr qint64 MaxDecodeBytes = qint64(192) << 20;
constexpr qint64 MaxPngBytes = qint64(64) << 20;
// A thumbnail names its file in a few short texts; compressed text can grow a thousandfold.
constexpr int MaxCompressedTexts = 8;
constexpr qint64 MaxCompressedText = 16 << 10;
constexpr qint64 MaxTextBytes = 1 << 20;

const QByteArray PngSignature("\x89PNG\r\n\x1a\n", 8);

quint32 be32(const char* p) {
    return qFromBigEndian<quint32>(p);
}

Outcome refused(const QFile& file, const char* why) {
    return Outcome::failure(QStringLiteral("%1: %2").arg(file.fileName(), QLatin1String(why)));
}

// Walks the chunks, keeping every one but the texts that are not wanted.
Outcome readPng(QFile& file, bool keepText, PictureHeader& out) {
    if (file.size() > MaxPngBytes)
        return refused(file, "too large a file");
    if (file.read(8) != PngSignature)
        return refused(file, "no picture");
    out.png = PngSignature;
    int compressedTexts = 0;
    qint64 textBytes = 0, bytesPerPixel = 4;
    for (;;) {
        const QByteArray head = file.read(8);
        if (head.size() < 8)
            break; // cut short: the decoder says what it makes of that
        const quint32 length = be32(head.constData());
        const QByteArray type = head.mid(4);
        if (length > 0x7fffffffu)
            return refused(file, "damaged chunk");
        const bool text = type == "tEXt" || type == "zTXt" || type == "iTXt";
        if (text && !keepText) {
            file.skip(qint64(length) + 4);
            continue;
        }
        const QByteArray body = file.read(qint64(length) + 4);
        if (type == "IHDR" && body.size() >= 13) {
            out.size = QSize(int(qMin<quint32>(be32(body.constData()), 1u << 30)),
                             int(qMin<quint32>(be32(body.constData() + 4), 1u << 30)));
            if (body[8] == 16)
                bytesPerPixel = 8;
        }
        if (text) {
            // iTXt: keyword, NUL, then the compression flag.
            const qsizetype keyword = body.indexOf('\0');
            const bool compressed =
                type == "zTXt" || (keyword >= 0 && keyword + 1 < body.size() && body[keyword + 1]);
            textBytes += length;
            if (textBytes > MaxTextBytes ||
                (compressed &&
                 (++compressedTexts > MaxCompressedTexts || length > MaxCompressedText)))
                return refused(file, "too much text");
        }
        out.png += head + body;
        if (type == "IEND" || body.size() < qint64(length) + 4)
            break;
    }
    if (!out.size.isValid() ||
        qint64(out.size.width()) * out.size.height() * bytesPerPixel + out.png.size() >
            MaxDecodeBytes)
        return refused(file, "too large");
    return Outcome::success();
}

// Walks the markers up to the first scan. Decoding at a reduced scale holds only a few rows,
// unless the picture comes in several scans: then every coefficient is held at full size.
Outcome readJpeg(QFile& file, PictureHeader& out) {
    int components = 0;
    bool progressive = false;
    for (int markers = 0; markers < 1000; ++markers) {
        char c = 0;
        if (!file.getChar(&c))
            break;
        if (uchar(c) != 0xff)
            continue;
        do
            if (!file.getChar(&c))
                break;
        while (uchar(c) == 0xff);
        const uchar marker = uchar(c);
        if (marker == 0xd8 || marker == 0x01 || (marker >= 0xd0 && marker <= 0xd7))
            continue;
        const QByteArray length = file.read(2);
        if (length.size() < 2 || marker == 0xd9)
            break;
        const int bodyLength = qFromBigEndian<quint16>(length.constData()) - 2;
        const bool frame =
            marker >= 0xc0 && marker <= 0xcf && marker != 0xc4 && marker != 0xc8 && marker != 0xcc;
        if (frame || marker == 0xda) {
            const QByteArray body = file.read(qMax(0, bodyLength));
            if (frame && body.size() >= 6) {
                out.size = QSize(qFromBigEndian<quint16>(body.constData() + 3),
                                 qFromBigEndian<quint16>(body.constData() + 1));
                components = uchar(body[5]);
                progressive = (marker & 0x03) == 0x02; // SOF2, SOF6, SOF10, SOF14
            }
            if (marker == 0xda) {
                if (!body.isEmpty() && uchar(body[0]) < components)
                    progressive = true;
                break;
            }
        } else if (!file.skip(qMax(0, bodyLength))) {
            break;
        }
    }
    if (!out.size.isValid())
        return refused(file, "no size");
    const qint64 pixels = qint64(out.size.width()) * out.size.height();
    // Even at an eighth of its size, the decoded picture must fit.
    if ((progressive && pixels * qMax(components, 1) * 2 > MaxDecodeBytes) ||
        pixels / 16 > MaxDecodeBytes)
        return refused(file, "too large");
    return Outcome::success();
}
} // namespace

Outcome ReadPictureHeader(QFile& file, bool keepText, PictureHeader& out) {
    out = PictureHeader();
    out.format = QImageReader::imageFormat(&file);
    if (out.format.isEmpty() || out.format.startsWith("svg") || !file.seek(0))
        return refused(file, "no picture");
    if (out.format == "png")
        return readPng(file, keepText, out);
    if (out.format == "jpeg")
        return readJpeg(file, out);
    QImageReader reader(&file, out.format);
    out.size = reader.size();
    if (!out.size.isValid())
        return refused(file, "no size");
    if (qint64(out.size.width()) * out.size.height() * 4 > MaxDecodeBytes)
        return refused(file, "too large");
    return Outcome::success();
}
