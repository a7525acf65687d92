#include "sound/PlayableWave.h"

#include "platform/RegularFile.h"
#include "storage/DataFolder.h"

#include <QFile>
#include <QtEndian>

namespace {

struct ChunkHeader {
    QByteArray id;
    qint64 size = 0;
};

quint16 u16(const QByteArray& bytes, int at) {
    return qFromLittleEndian<quint16>(bytes.constData() + at);
}
quint32 u32(const QByteArray& bytes, int at) {
    return qFromLittleEndian<quint32>(bytes.constData() + at);
}

// The frame size of a plain PCM format, or 0 for any other format.
int pcmFrameBytes(const QByteArray& format) {
    const quint16 tag = u16(format, 0);
    const quint16 channels = u16(format, 2);
    const quint32 rate = u32(format, 4);
    const quint16 frameBytes = u16(format, 12);
    const quint16 bits = u16(format, 14);
    const bool plainPcm = tag == 1 && channels > 0 && rate > 0 && (bits == 8 || bits == 16);
    return plainPcm && frameBytes == channels * bits / 8 ? frameBytes : 0;
}

} // namespace

std::optional<Wave> ReadPlayableWave(const QString& path) {
    // A pipe or a device node could block the open or the reads, and the whole sound is read
    // into memory: only plain files of a cue's size qualify.
    QFile file;
    if (!OpenRegularFile(path, CueFileReadLimit, file))
        return {};
    const QByteArray riff = file.read(12);
    if (riff.size() != 12 || !riff.startsWith("RIFF") || !riff.endsWith("WAVE"))
        return {};

    const qint64 fileSize = file.size();
    int frameBytes = 0;
    Wave wave;
    for (qint64 at = 12; file.seek(at);) {
        const QByteArray header = file.read(8);
        if (header.size() != 8)
            return {};
        const QByteArray id = header.left(4);
        const qint64 size = u32(header, 4);
        // Writers disagree on the padding after an odd-sized chunk; such a file is refused.
        if (size % 2 != 0 || at + 8 + size > fileSize)
            return {};
        if (id == "fmt ") {
            const QByteArray format = file.read(16);
            if (format.size() != 16)
                return {};
            frameBytes = pcmFrameBytes(format);
            if (frameBytes == 0)
                return {};
            wave = {u16(format, 2), u32(format, 4), u16(format, 14), {}};
        } else if (id == "data") {
            if (!(frameBytes > 0 && size > 0 && size % frameBytes == 0))
                return {};
            wave.frames = file.read(size);
            if (wave.frames.size() != size)
                return {};
            return wave;
        }
        at += 8 + size;
    }
    return {};
}
