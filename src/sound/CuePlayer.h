#pragma once

#include "sound/SoundDevice.h"

#include <QString>
#include <functional>

// In the order of the cue files in the Data folder (storage/DataFolder.h).
enum class SoundCue { Startup, Launch, Button, Version };

// The launcher's sound cues, played through one device that is opened at start-up and closed
// at the end. Whether a cue sounds is decided at the moment of the call by `soundOn`, the live
// check mark of the sound-effects menu item.
class CuePlayer {
public:
    CuePlayer(SoundDevice& device, QString dataDir, std::function<bool()> soundOn);

    void openDevice();
    void play(SoundCue cue);
    void closeDevice();

private:
    QString cuePath(SoundCue cue) const;

    SoundDevice& device_;
    QString dataDir_;
    std::function<bool()> soundOn_;
};
