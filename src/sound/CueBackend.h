#pragma once

#include <QString>

// The part of the sound device that talks to the sound server. It lives in a module of its
// own that the device loads on the first cue: the server's client library brings some twenty
// more libraries (D-Bus, the sound file codecs) into the process, which a launcher with sound
// effects off should never carry.
class CueBackend {
public:
    virtual ~CueBackend() = default;
    // Reads a wave file and hands it to the server, so that playing it later starts at once. A
    // missing or broken file stays silent.
    virtual void prepare(const QString& waveFile) = 0;
    // Plays a wave file from its start, cutting off the cue still sounding. Returns at once.
    virtual void play(const QString& waveFile) = 0;
};

// The module's one entry point: makes the backend, which the caller then owns.
using CreateCueBackend = CueBackend* (*)();
inline constexpr char CreateCueBackendSymbol[] = "tesselo_create_cue_backend";

// The module's base name beside the executable; the platform's suffix is added when loading.
inline constexpr char CueBackendModule[] = "tesselo_sound";
