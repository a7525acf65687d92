#include "sound/SystemSoundDevice.h"

#include "sound/ServerSoundDevice.h"

std::unique_ptr<SoundDevice> CreateSystemSoundDevice() {
    // Where no sound module is built, the device finds none and stays silent.
    return std::make_unique<ServerSoundDevice>();
}
