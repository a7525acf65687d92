#include "sound/SystemSoundDevice.h"

#include "sound/ServerSoundDevice.h"

// The one place that picks the real device. Where no sound module is built beside the
// executable (so far Windows), the server device finds none and stays silent.
std::unique_ptr<SoundDevice> CreateSystemSoundDevice() {
    return std::make_unique<ServerSoundDevice>();
}
