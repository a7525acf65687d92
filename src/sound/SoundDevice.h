#pragma once

#include <QString>

// A wave-audio output that plays one named wave file at a time on request. Every call returns
// at once and never fails: with no audio output, a missing or broken file, or after close(),
// nothing is heard and nothing else happens.
class SoundDevice {
public:
    virtual ~SoundDevice() = default;
    virtual void open() = 0;
    virtual void play(const QString& waveFile) = 0;
    virtual void close() = 0;
};
