#include "HostileFiles.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QRandomGenerator>
#include <QtEndian>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <fcntl.h>
#include <mutex>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <thread>
#include <unistd.h>

namespace {

bool writeFile(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) &&
           file.write(bytes) == bytes.size();
}

bool linkTo(const char* target, const QString& path) {
    return symlink(target, QFile::encodeName(path).constData()) == 0;
}

// A device node of the test's own beside `path`, and a link to it at `path`. Never a link to
// the system's /dev/zero or /dev/null: a launcher that wrongly saved over the link would
// replace the system's device with a regular file.
bool linkToDevice(unsigned minor, const QString& path) {
    const QByteArray node = QFile::encodeName(path + QStringLiteral(".device"));
    return mknod(node.constData(), S_IFCHR | 0666, makedev(1, minor)) == 0 &&
           symlink(node.constData(), QFile::encodeName(path).constData()) == 0;
}

bool isLinkToDevice(unsigned minor, const QString& path) {
    struct stat status {};
    const QFileInfo info(path);
    return info.isSymLink() && info.symLinkTarget() == path + QStringLiteral(".device") &&
           stat(QFile::encodeName(path).constData(), &status) == 0 && S_ISCHR(status.st_mode) &&
           status.st_rdev == makedev(1, minor);
}

// The memory devices' numbers on Linux.
constexpr unsigned NullMinor = 3;
constexpr unsigned ZeroMinor = 5;

quint32 crc32(QByteArrayView bytes) {
    quint32 crc = 0xFFFFFFFFu;
    for (char c : bytes) {
        crc ^= uchar(c);
        for (int bit = 0; bit < 8; ++bit)
            crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
    }
    return ~crc;
}

QByteArray pngChunk(const char* type, const QByteArray& data) {
    QByteArray chunk(4, '\0');
    qToBigEndian<quint32>(quint32(data.size()), chunk.data());
    const QByteArray body = QByteArray(type, 4) + data;
    chunk += body;
    QByteArray crc(4, '\0');
    qToBigEndian<quint32>(crc32(body), crc.data());
    return chunk + crc;
}

QByteArray encoded(const char* format) {
    QImage image(16, 16, QImage::Format_RGB32);
    image.fill(Qt::blue);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, format);
    return bytes;
}

} // namespace

bool PlaceHostile(Hostile kind, const QString& path) {
    const QByteArray name = QFile::encodeName(path);
    switch (kind) {
    case Hostile::RandomBytes: {
        QByteArray noise(2500, '\0');
        QRandomGenerator generator(2500);
        for (char& c : noise)
            c = char(generator.bounded(256));
        return writeFile(path, noise);
    }
    case Hostile::Sparse4GiB: {
        QFile file(path);
        return file.open(QIODevice::WriteOnly) && file.resize(qint64(4) << 30);
    }
    case Hostile::OneHugeLine: {
        // Written a megabyte at a time, so that making it does not raise the peak memory the
        // tests measure.
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
            return false;
        const QByteArray ones(1'000'000, '1');
        for (int i = 0; i < 50; ++i)
            if (file.write(ones) != ones.size())
                return false;
        return true;
    }
    case Hostile::Directory:
        return QDir().mkpath(path);
    case Hostile::Fifo:
        return mkfifo(name.constData(), 0600) == 0;
    case Hostile::LinkToZero:
        return linkToDevice(ZeroMinor, path);
    case Hostile::LinkToNull:
        return linkToDevice(NullMinor, path);
    case Hostile::DanglingLink:
        return linkTo("nothing-here", path);
    }
    return false;
}

bool NeedsRoot(Hostile kind) {
    return kind == Hostile::LinkToZero || kind == Hostile::LinkToNull;
}

bool StillHostile(Hostile kind, const QString& path) {
    const QFileInfo info(path);
    struct stat status {};
    const bool exists = lstat(QFile::encodeName(path).constData(), &status) == 0;
    switch (kind) {
    case Hostile::RandomBytes:
        return info.isFile() && info.size() == 2500;
    case Hostile::Sparse4GiB:
        return info.isFile() && info.size() == qint64(4) << 30;
    case Hostile::OneHugeLine:
        return info.isFile() && info.size() == 50'000'000;
    case Hostile::Directory:
        return info.isDir() && !info.isSymLink();
    case Hostile::Fifo:
        return exists && S_ISFIFO(status.st_mode);
    case Hostile::LinkToZero:
        return isLinkToDevice(ZeroMinor, path);
    case Hostile::LinkToNull:
        return isLinkToDevice(NullMinor, path);
    case Hostile::DanglingLink:
        return exists && S_ISLNK(status.st_mode) && !info.exists();
    }
    return false;
}

QByteArray PngDeclaring(quint32 width, quint32 height) {
    QByteArray header(13, '\0');
    qToBigEndian<quint32>(width, header.data());
    qToBigEndian<quint32>(height, header.data() + 4);
    header[8] = 8; // bit depth
    header[9] = 2; // truecolour
    // The first row's worth of deflated data, then the file simply ends.
    const QByteArray pixels = qCompress(QByteArray(64, '\x7f')).mid(4);
    return QByteArray("\x89PNG\r\n\x1a\n", 8) + pngChunk("IHDR", header) + pngChunk("IDAT", pixels);
}

QByteArray BmpDeclaring(qint32 width, qint32 height) {
    QByteArray bmp(54, '\0');
    bmp[0] = 'B';
    bmp[1] = 'M';
    qToLittleEndian<quint32>(54, bmp.data() + 2);  // file size, as the header claims it
    qToLittleEndian<quint32>(54, bmp.data() + 10); // pixels start right after the headers
    qToLittleEndian<quint32>(40, bmp.data() + 14);
    qToLittleEndian<qint32>(width, bmp.data() + 18);
    qToLittleEndian<qint32>(height, bmp.data() + 22);
    qToLittleEndian<quint16>(1, bmp.data() + 26);  // planes
    qToLittleEndian<quint16>(24, bmp.data() + 28); // bits per pixel
    return bmp;
}

namespace {
// A BMP file header and info header; `palette` colours follow, then the pixels.
QByteArray bmpHeaders(qint32 width, qint32 height, quint16 bits, quint32 compression,
                      quint32 palette, quint32 pixelBytes) {
    const quint32 offset = 54 + 4 * palette;
    QByteArray bmp(qsizetype(offset), '\0');
    bmp[0] = 'B';
    bmp[1] = 'M';
    qToLittleEndian<quint32>(offset + pixelBytes, bmp.data() + 2);
    qToLittleEndian<quint32>(offset, bmp.data() + 10);
    qToLittleEndian<quint32>(40, bmp.data() + 14);
    qToLittleEndian<qint32>(width, bmp.data() + 18);
    qToLittleEndian<qint32>(height, bmp.data() + 22);
    qToLittleEndian<quint16>(1, bmp.data() + 26);
    qToLittleEndian<quint16>(bits, bmp.data() + 28);
    qToLittleEndian<quint32>(compression, bmp.data() + 30);
    qToLittleEndian<quint32>(pixelBytes, bmp.data() + 34);
    qToLittleEndian<quint32>(palette, bmp.data() + 46);
    for (quint32 i = 0; i < palette; ++i)
        bmp[qsizetype(54 + 4 * i)] = char(i * 255); // black and blue
    return bmp;
}
} // namespace

QByteArray RunLengthBmp(qint32 width, qint32 height) {
    QByteArray row;
    for (qint32 left = width; left > 0; left -= 255)
        row += QByteArray(1, char(qMin(left, 255))) + QByteArray(1, '\1');
    row += QByteArray("\0\0", 2); // end of line
    QByteArray pixels = row.repeated(height);
    pixels += QByteArray("\0\1", 2); // end of picture
    return bmpHeaders(width, height, 8, 1, 2, quint32(pixels.size())) + pixels;
}

QByteArray GifDeclaring(quint16 width, quint16 height) {
    QByteArray gif("GIF89a");
    char size[4];
    qToLittleEndian<quint16>(width, size);
    qToLittleEndian<quint16>(height, size + 2);
    gif += QByteArray(size, 4);
    gif += QByteArray("\x80\x00\x00", 3);                 // a global table of two colours
    gif += QByteArray("\x00\x00\x00\xff\xff\xff", 6);     // black, white
    gif += QByteArray("\x2c\x00\x00\x00\x00", 5);         // an image at 0,0 ...
    gif += QByteArray(size, 4);                           // ... as large as the screen
    gif += QByteArray("\x00\x02\x02\x44\x01\x00\x3b", 7); // a little data, the end
    return gif;
}

QByteArray JpegDeclaring(quint16 width, quint16 height) {
    QByteArray jpeg = encoded("jpg");
    // The frame header: FF C0, length, precision, then height and width.
    const qsizetype frame = jpeg.indexOf(QByteArray("\xff\xc0", 2));
    if (frame < 0)
        return jpeg;
    qToBigEndian<quint16>(height, jpeg.data() + frame + 5);
    qToBigEndian<quint16>(width, jpeg.data() + frame + 7);
    return jpeg;
}

QByteArray DamagedPng() {
    QByteArray png = encoded("png");
    for (qsizetype i = 40; i < png.size() - 12; i += 7)
        png[i] = char(png[i] ^ 0x5a);
    return png;
}

struct FifoWatchdog::State {
    std::mutex mutex;
    std::condition_variable wake;
    bool done = false;
    std::atomic<bool> fired = false;
    std::thread thread;
};

FifoWatchdog::FifoWatchdog(const QString& fifo, int seconds) : state_(new State) {
    const QByteArray path = QFile::encodeName(fifo);
    state_->thread = std::thread([state = state_, path, seconds] {
        std::unique_lock lock(state->mutex);
        if (state->wake.wait_for(lock, std::chrono::seconds(seconds), [&] { return state->done; }))
            return;
        state->fired = true;
        const int fd = ::open(path.constData(), O_WRONLY | O_NONBLOCK);
        if (fd >= 0)
            ::close(fd);
    });
}

FifoWatchdog::~FifoWatchdog() {
    done();
    state_->thread.join();
    delete state_;
}

void FifoWatchdog::done() {
    {
        std::lock_guard lock(state_->mutex);
        state_->done = true;
    }
    state_->wake.notify_all();
}

bool FifoWatchdog::fired() const {
    return state_->fired;
}
