#pragma once

#include <QString>

// A wave-audio output that plays one named wave file at a time on request. Every call returns
// at once and never fails: with no audio output, a missing or broken file, or after close(),
// nothing is heard and nothing else happens. Closing lets a cue that is sounding play to its
// end, as a program that ends right after its last cue still wants it heard; it only refuses
// new cues.
class SoundDevice {
public:
    virtual ~SoundDevice() = default;
    virtual void open() = 0;
    // A hint, given after open() even with sound effects off: this file will be played. It
    // loads nothing of the audio system; the first play() does.
    virtual void prepare(const QString& /*waveFile*/) {}
    virtual void play(const QString& waveFile) = 0;
    virtual void close() = 0;
};
