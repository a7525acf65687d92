#pragma once

#include "sound/SoundDevice.h"

#include <memory>

// The sound device over the desktop's sound server, reached through the sound module beside
// the executable (see CueBackend.h) once the first cue is asked for.
class ServerSoundDevice final : public SoundDevice {
public:
    ServerSoundDevice();
    ~ServerSoundDevice() override;

    void open() override;
    void prepare(const QString& waveFile) override;
    void play(const QString& waveFile) override;
    void close() override;

private:
    struct Private;
    std::unique_ptr<Private> d;
};
