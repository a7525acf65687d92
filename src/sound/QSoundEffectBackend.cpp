// The sound cue backend over QSoundEffect, built as the module the sound device loads.

#include "sound/CueBackend.h"

#include <QAudioDevice>
#include <QHash>
#include <QMediaDevices>
#include <QSoundEffect>
#include <QUrl>

namespace {

// One QSoundEffect per wave file, made when the file is prepared or first played and kept, so
// a cue plays from memory instead of loading first.
//
// A new cue cuts off the one still sounding, like the single wave-audio device the cues were
// made for: quick clicks give one clear cue each instead of a pile-up.
class QSoundEffectBackend final : public CueBackend {
public:
    using CueBackend::CueBackend;

    void prepare(const QString& waveFile) override { voiceFor(waveFile); }

    void play(const QString& waveFile) override {
        QSoundEffect* voice = voiceFor(waveFile);
        for (QSoundEffect* other : std::as_const(voices_))
            if (other != voice)
                other->stop();
        // A cue plays from its beginning even when it is still sounding.
        voice->stop();
        voice->play();
    }

private:
    QSoundEffect* voiceFor(const QString& waveFile) {
        // Follow the user's current output; with none, QSoundEffect stays silent by itself.
        const QAudioDevice output = QMediaDevices::defaultAudioOutput();
        QSoundEffect*& voice = voices_[waveFile];
        if (!voice) {
            voice = new QSoundEffect(output, this);
            voice->setObjectName(waveFile);
            voice->setSource(QUrl::fromLocalFile(waveFile));
        } else if (voice->audioDevice() != output) {
            voice->setAudioDevice(output);
        }
        return voice;
    }

    QHash<QString, QSoundEffect*> voices_;
};

} // namespace

extern "C" Q_DECL_EXPORT CueBackend* tesselo_create_cue_backend(QObject* parent) {
    return new QSoundEffectBackend(parent);
}
