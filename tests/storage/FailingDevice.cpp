#include "FailingDevice.h"

FailingDevice::FailingDevice(qint64 writableBytes, bool readsFail)
    : writableBytes_(writableBytes), readsFail_(readsFail) {
    setBuffer(&contents);
}

qint64 FailingDevice::readData(char* data, qint64 maxSize) {
    if (!readsFail_)
        return QBuffer::readData(data, maxSize);
    setErrorString(QString::fromLatin1(ReadError));
    return -1;
}

qint64 FailingDevice::writeData(const char* data, qint64 size) {
    const qint64 n = writableBytes_ == Unlimited ? size : qMin(size, writableBytes_);
    if (n < size)
        setErrorString(QString::fromLatin1(WriteError));
    if (n == 0 && size > 0)
        return -1;
    if (writableBytes_ != Unlimited)
        writableBytes_ -= n;
    return QBuffer::writeData(data, n);
}
