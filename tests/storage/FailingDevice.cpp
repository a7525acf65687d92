#include "FailingDevice.h"

#include <cstring>

FailingDevice::FailingDevice(qint64 writableBytes, bool readsFail)
    : writableBytes_(writableBytes), readsFail_(readsFail) {}

qint64 FailingDevice::readData(char* data, qint64 maxSize) {
    if (readsFail_) {
        setErrorString(QString::fromLatin1(ReadError));
        return -1;
    }
    const qint64 n = qBound<qint64>(0, contents.size() - pos(), maxSize);
    std::memcpy(data, contents.constData() + pos(), size_t(n));
    return n;
}

qint64 FailingDevice::writeData(const char* data, qint64 size) {
    if (writableBytes_ == 0) {
        setErrorString(QString::fromLatin1(WriteError));
        return -1;
    }
    const qint64 n = writableBytes_ == Unlimited ? size : qMin(size, writableBytes_);
    if (writableBytes_ != Unlimited)
        writableBytes_ -= n;
    if (contents.size() < pos() + n)
        contents.resize(pos() + n, '\0');
    std::memcpy(contents.data() + pos(), data, size_t(n));
    if (n < size)
        setErrorString(QString::fromLatin1(WriteError));
    return n;
}
