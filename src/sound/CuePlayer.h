#pragma once

#include "sound/SoundDevice.h"

#include <QString>
#include <functional>

enum class SoundCue { StartupCue, LaunchCue, ButtonCue, VersionCue };

// The file of a cue in the Data folder, for example "Sound/RUN_Kidou.wav".
QString CueRelativePath(SoundCue cue);

// The launcher's sound cues, played through one device that is opened at start-up and closed
// at the end. Whether a cue sounds is decided at the moment of the call by `soundOn`, the live
// check mark of the sound-effects menu item.
class CuePlayer {
public:
    CuePlayer(SoundDevice& device, std::function<bool()> soundOn);

    void OpenSoundDevice();
    void PlaySoundCue(SoundCue cue);
    void CloseSoundDevice();

private:
    SoundDevice& device_;
    std::function<bool()> soundOn_;
};
