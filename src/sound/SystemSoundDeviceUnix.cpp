#include "sound/SystemSoundDevice.h"

#include "sound/ServerSoundDevice.h"

// The sound server plays the cues from its sample cache.
std::unique_ptr<SoundDevice> CreateSystemSoundDevice() {
    return std::make_unique<ServerSoundDevice>();
}
