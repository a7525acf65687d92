#include "sound/SystemSoundDevice.h"

#ifdef Q_OS_WIN
#include "sound/WinSoundDevice.h"
#else
#include "sound/ServerSoundDevice.h"
#endif

// The one place that picks the real device: Windows plays the cues itself, elsewhere the sound
// server plays them from its sample cache.
std::unique_ptr<SoundDevice> CreateSystemSoundDevice() {
#ifdef Q_OS_WIN
    return std::make_unique<WinSoundDevice>();
#else
    return std::make_unique<ServerSoundDevice>();
#endif
}
