#pragma once

#include "sound/SoundDevice.h"

// The sound device over the system's own wave playback (PlaySound). The system plays a cue on
// a thread of its own, so a cue sounds on while the window is busy; a new cue cuts off the one
// still sounding, and a file it cannot play stays silent instead of ringing the default sound.
class WinSoundDevice final : public SoundDevice {
public:
    void open() override;
    void play(const QString& waveFile) override;
    void close() override;

private:
    bool open_ = false;
};
