#include "sound/CuePlayer.h"

#include "common/AppPath.h"

QString CueRelativePath(SoundCue cue) {
    switch (cue) {
    case SoundCue::StartupCue:
        return QStringLiteral("Sound/RUN_Kidou.wav");
    case SoundCue::LaunchCue:
        return QStringLiteral("Sound/EXE_KIDOU.wav");
    case SoundCue::ButtonCue:
        return QStringLiteral("Sound/Button_Kouka.wav");
    case SoundCue::VersionCue:
        return QStringLiteral("Sound/Vasion_Hyouji.wav");
    }
    return {};
}

namespace {
QString CuePath(SoundCue cue) {
    return DataDirPath() + QLatin1Char('/') + CueRelativePath(cue);
}
} // namespace

CuePlayer::CuePlayer(SoundDevice& device, std::function<bool()> soundOn)
    : device_(device), soundOn_(std::move(soundOn)) {}

void CuePlayer::OpenSoundDevice() {
    device_.open();
    // Even with sound effects off: the device only notes the files then, and has them at hand
    // once the first cue makes it reach the audio.
    for (SoundCue cue :
         {SoundCue::StartupCue, SoundCue::LaunchCue, SoundCue::ButtonCue, SoundCue::VersionCue})
        device_.prepare(CuePath(cue));
}

void CuePlayer::PlaySoundCue(SoundCue cue) {
    // The check mark is read now, not remembered: a toggle's own cue follows the new state.
    if (!soundOn_ || !soundOn_())
        return;
    device_.play(CuePath(cue));
}

void CuePlayer::CloseSoundDevice() {
    device_.close();
}
