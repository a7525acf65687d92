#pragma once

#include <QByteArray>
#include <QString>
#include <optional>

// The sound of a plain PCM wave file: its format and its sample frames.
struct Wave {
    quint16 channels = 0;
    quint32 rate = 0;
    quint16 bits = 0; // 8 (unsigned) or 16 (signed, little-endian)
    QByteArray frames;
};

// The sound in `path` if it is a regular file holding a complete, plain PCM wave (8- or 16-bit,
// evenly sized chunks, fmt before data, the data wholly present); nothing otherwise. A cut-off
// or foreign file stays silent rather than sounding as noise or half a cue.
std::optional<Wave> ReadPlayableWave(const QString& path);

inline bool IsPlayableWave(const QString& path) {
    return ReadPlayableWave(path).has_value();
}
