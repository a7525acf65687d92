#pragma once

// Things a user's disk may hold where the launcher expects its data files or a picture.

#include <QByteArray>
#include <QString>
#include <QTest>

// What stands at a path.
enum class Hostile {
    RandomBytes,  // 2500 bytes of noise
    Sparse4GiB,   // a 4 GiB file of nothing, sparse
    OneHugeLine,  // 50 MB of '1' without a line end
    Directory,    // a directory
    Fifo,         // a named pipe with no writer: opening it to read blocks
    LinkToZero,   // a symbolic link to a zero device (like /dev/zero), endless
    LinkToNull,   // a symbolic link to a null device (like /dev/null), always empty
    DanglingLink, // a symbolic link to nothing
};

// Puts the hostile thing at `path`; false when the system refused. The devices are nodes of
// the test's own, which only root may make.
bool PlaceHostile(Hostile kind, const QString& path);
bool NeedsRoot(Hostile kind);

// Puts it there, or skips the test when only root could.
#define PLACE_HOSTILE(kind, path)                                                                  \
    do {                                                                                           \
        if (!PlaceHostile(kind, path)) {                                                           \
            if (NeedsRoot(kind))                                                                   \
                QSKIP("making a device node needs root");                                          \
            QFAIL("could not put the hostile file in place");                                      \
        }                                                                                          \
    } while (false)

// Whether `path` still is the hostile thing that was placed there.
bool StillHostile(Hostile kind, const QString& path);

// Picture files with a header that lies or data that breaks off.
QByteArray PngDeclaring(quint32 width, quint32 height); // a valid header, a few pixels of data
QByteArray BmpDeclaring(qint32 width, qint32 height);   // header only, no pixels
// An 8-bit BMP whose pixels are compressed in runs, so that a small file holds a huge picture.
QByteArray RunLengthBmp(qint32 width, qint32 height);
QByteArray GifDeclaring(quint16 width, quint16 height);  // a screen and an image that large
QByteArray JpegDeclaring(quint16 width, quint16 height); // a real small JPEG, resized in its header
QByteArray DamagedPng();                                 // a real PNG with flipped bytes

// Opens a FIFO for writing and closes it again if nobody has called done() within `seconds`,
// which lets a reader that blocked on opening it go on. A test that hangs on a FIFO then
// fails on its time bound instead of hanging for good.
class FifoWatchdog {
public:
    FifoWatchdog(const QString& fifo, int seconds);
    ~FifoWatchdog();
    void done();
    bool fired() const;

private:
    struct State;
    State* state_;
};
