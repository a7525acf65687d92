#pragma once

#include "sound/SoundDevice.h"

#include <memory>

// The real sound device of the system the program runs on.
std::unique_ptr<SoundDevice> CreateSystemSoundDevice();
