#include "sound/CuePlayer.h"

#include "storage/DataFolder.h"

CuePlayer::CuePlayer(SoundDevice& device, QString dataDir, std::function<bool()> soundOn)
    : device_(device), dataDir_(std::move(dataDir)), soundOn_(std::move(soundOn)) {}

QString CuePlayer::cuePath(SoundCue cue) const {
    return DataFilePath(dataDir_, CueFileNames[size_t(cue)]);
}

void CuePlayer::openDevice() {
    device_.open();
    // Even with sound effects off: the device only notes the files then, and has them at hand
    // once the first cue makes it reach the audio.
    for (SoundCue cue : {SoundCue::Startup, SoundCue::Launch, SoundCue::Button, SoundCue::Version})
        device_.prepare(cuePath(cue));
}

void CuePlayer::play(SoundCue cue) {
    // The check mark is read now, not remembered: a toggle's own cue follows the new state.
    if (!soundOn_ || !soundOn_())
        return;
    device_.play(cuePath(cue));
}

void CuePlayer::closeDevice() {
    device_.close();
}
