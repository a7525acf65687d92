#include "sound/QtSoundDevice.h"

#include "sound/PlayableWave.h"

#include <QAudioDevice>
#include <QCoreApplication>
#include <QHash>
#include <QMediaDevices>
#include <QPointer>
#include <QSoundEffect>
#include <QUrl>
#include <utility>

namespace {

// The voices of an open device: one QSoundEffect per wave file, made on the first cue that
// needs it and kept, so a repeated cue plays from memory instead of loading again.
//
// Nothing here runs inside the caller's handler. Reaching the audio system (the first device
// query connects to the sound server) and loading a file take milliseconds, and the start-up
// cue is requested before the launcher window is first shown; so a request is only noted and
// served from the event loop.
//
// Only files that are sure to load are handed to QSoundEffect (see IsPlayableWave).
//
// A new cue cuts off the one still sounding, like the single wave-audio device the cues were
// made for: quick clicks give one clear cue each instead of a pile-up. Requests that arrive
// in the same turn of the event loop collapse into the last one for the same reason.
class CueVoices final : public QObject {
public:
    explicit CueVoices(QObject* parent) : QObject(parent) {
        setObjectName(QStringLiteral("CueVoices"));
    }

    void request(const QString& waveFile) {
        const bool alreadyQueued = !pending_.isEmpty();
        pending_ = waveFile;
        if (!alreadyQueued)
            QMetaObject::invokeMethod(this, &CueVoices::playPending, Qt::QueuedConnection);
    }

private:
    void playPending() {
        const QString waveFile = std::exchange(pending_, QString());
        QSoundEffect* voice = voiceFor(waveFile);
        for (QSoundEffect* other : std::as_const(voices_))
            if (other != voice)
                other->stop();
        if (!voice)
            return;
        // A cue plays from its beginning even when it is still sounding.
        voice->stop();
        voice->play();
    }

    // The voice of a wave file, or null when the file cannot be played. A file that could
    // not be played is looked at afresh on its next cue, in case it has been put right.
    QSoundEffect* voiceFor(const QString& waveFile) {
        QSoundEffect* voice = voices_.value(waveFile);
        if (!voice && !IsPlayableWave(waveFile))
            return nullptr;
        // Follow the user's current output; with none, QSoundEffect stays silent by itself.
        const QAudioDevice output = QMediaDevices::defaultAudioOutput();
        if (!voice) {
            voice = new QSoundEffect(output, this);
            voice->setObjectName(waveFile);
            voice->setSource(QUrl::fromLocalFile(waveFile));
            voices_.insert(waveFile, voice);
        } else if (voice->audioDevice() != output) {
            voice->setAudioDevice(output);
        }
        return voice;
    }

    QString pending_;
    QHash<QString, QSoundEffect*> voices_;
};

} // namespace

// The voices hang below the application object, so that they are torn down with it while
// Qt Multimedia still works, even when this device outlives the application (as it can in
// tests). The guarded pointer then tells the device that they are gone.
struct QtSoundDevice::Private {
    QPointer<CueVoices> voices;
};

QtSoundDevice::QtSoundDevice() : d(std::make_unique<Private>()) {}

QtSoundDevice::~QtSoundDevice() {
    close();
}

void QtSoundDevice::open() {
    // Cheap on purpose: the audio system is reached on the first cue, not at start-up.
    if (!d->voices)
        d->voices = new CueVoices(QCoreApplication::instance());
}

void QtSoundDevice::play(const QString& waveFile) {
    if (d->voices && !waveFile.isEmpty())
        d->voices->request(waveFile);
}

void QtSoundDevice::close() {
    // Deleting the voices stops what is sounding and drops a cue that has not started yet.
    delete d->voices.data();
}
