#pragma once

#include "sound/SoundDevice.h"

#include <memory>

// The sound device over Qt Multimedia.
class QtSoundDevice final : public SoundDevice {
public:
    QtSoundDevice();
    ~QtSoundDevice() override;

    void open() override;
    void prepare(const QString& waveFile) override;
    void play(const QString& waveFile) override;
    void close() override;

private:
    struct Private;
    std::unique_ptr<Private> d;
};
