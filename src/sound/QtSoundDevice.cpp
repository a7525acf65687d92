#include "sound/QtSoundDevice.h"

#include "common/AppPath.h"
#include "sound/CueBackend.h"
#include "sound/PlayableWave.h"

#include <QCoreApplication>
#include <QEvent>
#include <QGuiApplication>
#include <QLibrary>
#include <QPointer>
#include <QTimer>
#include <QWindow>
#include <utility>

namespace {

// The longest the first cue waits for a window that is being shown to appear.
constexpr int MaxWaitForWindowMs = 1000;

// The cue requests of an open device, served from the event loop.
//
// Nothing here runs inside the caller's handler. The start-up cue is requested before the
// launcher window is shown, and reaching the audio system the first time (loading Qt
// Multimedia, connecting to the sound server) takes longer than drawing that window. So a
// request is only noted; the event loop serves it, and the very first one waits until a
// window that is being shown has been drawn.
//
// Requests that arrive in the same turn of the event loop collapse into the last one: the
// backend cuts off a cue still sounding anyway. Only files that are sure to load reach the
// backend (see IsPlayableWave).
class CueRequests final : public QObject {
public:
    explicit CueRequests(QObject* parent) : QObject(parent) {}

    void request(const QString& waveFile) {
        const bool alreadyQueued = !pending_.isEmpty();
        pending_ = waveFile;
        if (!alreadyQueued)
            QMetaObject::invokeMethod(this, &CueRequests::serve, Qt::QueuedConnection);
    }

protected:
    bool eventFilter(QObject*, QEvent* event) override {
        // Watching only the awaited window. Serving is queued, so the window is drawn first.
        if (event->type() == QEvent::Expose)
            stopWaiting();
        return false;
    }

private:
    void serve() {
        if (pending_.isEmpty() || waitingForWindow())
            return;
        const QString waveFile = std::exchange(pending_, QString());
        if (!IsPlayableWave(waveFile))
            return;
        if (CueBackend* backend = loadedBackend())
            backend->play(waveFile);
    }

    // Only the first cue waits, and only for a window that is visible but not yet drawn.
    bool waitingForWindow() {
        if (waiting_ || std::exchange(waitedOnce_, true))
            return waiting_;
        for (QWindow* window : QGuiApplication::topLevelWindows()) {
            if (window->isVisible() && !window->isExposed()) {
                waiting_ = true;
                awaitedWindow_ = window;
                window->installEventFilter(this);
                // A window shown minimised is not drawn until it is restored.
                QTimer::singleShot(MaxWaitForWindowMs, this, &CueRequests::stopWaiting);
                break;
            }
        }
        return waiting_;
    }

    void stopWaiting() {
        if (!std::exchange(waiting_, false))
            return;
        if (awaitedWindow_)
            awaitedWindow_->removeEventFilter(this);
        QMetaObject::invokeMethod(this, &CueRequests::serve, Qt::QueuedConnection);
    }

    // The backend module beside the executable, loaded once. Without it the cues are silent.
    CueBackend* loadedBackend() {
        if (!std::exchange(backendTried_, true)) {
            QLibrary module(AppPath() + QLatin1Char('/') + QLatin1String(CueBackendModule));
            const auto create =
                reinterpret_cast<CreateCueBackend>(module.resolve(CreateCueBackendSymbol));
            if (create)
                backend_ = create(this);
        }
        return backend_;
    }

    QString pending_;
    bool waitedOnce_ = false;
    bool waiting_ = false;
    QPointer<QWindow> awaitedWindow_;
    bool backendTried_ = false;
    CueBackend* backend_ = nullptr; // a child of this object
};

} // namespace

// The requests hang below the application object, so that they and the backend are torn down
// with it while Qt Multimedia still works, even when this device outlives the application (as
// it can in tests). The guarded pointer then tells the device that they are gone.
struct QtSoundDevice::Private {
    QPointer<CueRequests> requests;
};

QtSoundDevice::QtSoundDevice() : d(std::make_unique<Private>()) {}

QtSoundDevice::~QtSoundDevice() {
    close();
}

void QtSoundDevice::open() {
    // Cheap on purpose: the audio system is reached on the first cue, not at start-up.
    if (!d->requests)
        d->requests = new CueRequests(QCoreApplication::instance());
}

void QtSoundDevice::play(const QString& waveFile) {
    if (d->requests && !waveFile.isEmpty())
        d->requests->request(waveFile);
}

void QtSoundDevice::close() {
    // Deleting the requests stops what is sounding and drops a cue not yet served.
    delete d->requests.data();
}
