#include "sound/PlayableWave.h"

#include "platform/RegularFile.h"
#include "storage/DataFolder.h"

#include <QFile>
#include <QtEndian>
#include <algorithm>

namespace {

quint16 u16(const QByteArray& bytes, int at) {
    return qFromLittleEndian<quint16>(bytes.constData() + at);
}
quint32 u32(const QByteArray& bytes, int at) {
    return qFromLittleEndian<quint32>(bytes.constData() + at);
}

// The tail that every extensible wave's subformat shares after its two-byte format tag.
constexpr char WaveSubformatTail[] = "\x00\x00\x00\x00\x10\x00\x80\x00\x00\xAA\x00\x38\x9B\x71";
constexpr quint16 Pcm = 1, Float = 3, ALaw = 6, MuLaw = 7, Extensible = 0xFFFE;

struct Encoding {
    quint16 tag, bits;
    WaveEncoding encoding;
};
constexpr Encoding Encodings[]{
    {Pcm, 8, WaveEncoding::Unsigned8},  {Pcm, 16, WaveEncoding::Signed16},
    {Pcm, 24, WaveEncoding::Signed24},  {Pcm, 32, WaveEncoding::Signed32},
    {Float, 32, WaveEncoding::Float32}, {MuLaw, 8, WaveEncoding::MuLaw},
    {ALaw, 8, WaveEncoding::ALaw}};

// The format of a fmt chunk's bytes, with no frames yet; nothing for a format no server plays.
// An extensible wave names its format by the subformat and may name its speakers; a 24-bit
// sound in 32-bit containers sits in their high bytes, so it plays as 32-bit.
std::optional<Wave> formatOf(const QByteArray& format) {
    if (format.size() < 16)
        return {};
    quint16 tag = u16(format, 0);
    const quint16 bits = u16(format, 14);
    Wave wave{{}, u16(format, 2), u32(format, 4), 0, u16(format, 12), {}};
    if (tag == Extensible) {
        if (format.size() < 40 || u16(format, 16) < 22 || u16(format, 18) > bits ||
            format.mid(26, 14) != QByteArray(WaveSubformatTail, 14))
            return {};
        tag = u16(format, 24);
        wave.channelMask = u32(format, 20);
    }
    const auto* known = std::find_if(std::begin(Encodings), std::end(Encodings),
                                     [&](auto e) { return e.tag == tag && e.bits == bits; });
    if (known == std::end(Encodings) || wave.channels == 0 || wave.rate == 0 ||
        wave.frameBytes != wave.channels * bits / 8)
        return {};
    wave.encoding = known->encoding;
    return wave;
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
    std::optional<Wave> wave;
    // A chunk of an odd size is followed by a byte of padding.
    for (qint64 at = 12, size = 0; file.seek(at); at += 8 + size + size % 2) {
        const QByteArray header = file.read(8);
        if (header.size() != 8)
            return {};
        const QByteArray id = header.left(4);
        size = u32(header, 4);
        if (at + 8 + size > fileSize)
            return {};
        if (id == "fmt ") {
            wave = formatOf(file.read(qMin(size, qint64(40))));
            if (!wave)
                return {};
        } else if (id == "data") {
            if (!(wave && size > 0 && size % wave->frameBytes == 0))
                return {};
            wave->frames = file.read(size);
            if (wave->frames.size() != size)
                return {};
            return wave;
        }
    }
    return {};
}
