#include "sound/CuePlayer.h"
// Placeholder.
QString CueRelativePath(SoundCue) { return {}; }
CuePlayer::CuePlayer(SoundDevice& device, std::function<bool()> soundOn) : device_(device), soundOn_(std::move(soundOn)) {}
void CuePlayer::OpenSoundDevice() {}
void CuePlayer::PlaySoundCue(SoundCue) {}
void CuePlayer::CloseSoundDevice() {}
