#include "sound/SystemSoundDevice.h"

#include "sound/WinSoundDevice.h"

// Windows plays the cues itself.
std::unique_ptr<SoundDevice> CreateSystemSoundDevice() {
    return std::make_unique<WinSoundDevice>();
}
