#pragma once

#include <QByteArray>
#include <QString>
#include <optional>

// How the samples of a wave are stored.
enum class WaveEncoding { Unsigned8, Signed16, Signed24, Signed32, Float32, MuLaw, ALaw };

// The sound of a wave file: its format and its sample frames, little-endian as stored.
struct Wave {
    WaveEncoding encoding = WaveEncoding::Signed16;
    quint16 channels = 0;
    quint32 rate = 0;
    quint32 channelMask = 0; // the speakers of an extensible wave, 0 when it names none
    quint16 frameBytes = 0;
    QByteArray frames;
};

// The sound in `path` if it is a regular file holding a complete wave in a format that the
// sound servers play (integer PCM of 8 to 32 bits, 32-bit float, mu-law, A-law, plain or
// extensible; fmt before data, the data wholly present); nothing otherwise. A cut-off or
// foreign file stays silent rather than sounding as noise or half a cue.
std::optional<Wave> ReadPlayableWave(const QString& path);

inline bool IsPlayableWave(const QString& path) {
    return ReadPlayableWave(path).has_value();
}
