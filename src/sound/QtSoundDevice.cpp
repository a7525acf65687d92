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

// The longest the audio system waits for a window that is being shown to appear.
constexpr int MaxWaitForWindowMs = 1000;

// The cue requests of an open device.
//
// Reaching the audio system the first time (loading Qt Multimedia, connecting to the sound
// server, loading the cue files) takes longer than drawing the launcher's window, so it is
// done from the event loop once the window that is being shown has been drawn. From then on a
// cue starts inside the caller's handler, before whatever the handler does next (the launch
// cue sounds while the picture collapses). A cue asked for before then waits for it; of
// several, the last one counts, as a new cue cuts off the one before anyway. Only files that
// are sure to load reach the backend (see IsPlayableWave).
class CueRequests final : public QObject {
public:
    explicit CueRequests(QObject* parent) : QObject(parent) {
        QMetaObject::invokeMethod(this, &CueRequests::reachAudio, Qt::QueuedConnection);
    }

    void prepare(const QString& waveFile) {
        if (reached_)
            prepareNow(waveFile);
        else
            toPrepare_ << waveFile;
    }

    void request(const QString& waveFile) {
        if (reached_)
            playNow(waveFile);
        else
            pending_ = waveFile;
    }

protected:
    bool eventFilter(QObject*, QEvent* event) override {
        // Watching only the awaited window. Reaching the audio is queued, so it is drawn first.
        if (event->type() == QEvent::Expose)
            stopWaiting();
        return false;
    }

private:
    void reachAudio() {
        if (reached_ || waitingForWindow())
            return;
        reached_ = true;
        QLibrary module(AppPath() + QLatin1Char('/') + QLatin1String(CueBackendModule));
        const auto create =
            reinterpret_cast<CreateCueBackend>(module.resolve(CreateCueBackendSymbol));
        if (create)
            backend_ = create(this);
        for (const QString& waveFile : std::exchange(toPrepare_, {}))
            prepareNow(waveFile);
        if (!pending_.isEmpty())
            playNow(std::exchange(pending_, QString()));
    }

    void prepareNow(const QString& waveFile) {
        if (backend_ && IsPlayableWave(waveFile))
            backend_->prepare(waveFile);
    }

    void playNow(const QString& waveFile) {
        if (backend_ && IsPlayableWave(waveFile))
            backend_->play(waveFile);
    }

    // Waits only for a window that is visible but not yet drawn.
    bool waitingForWindow() {
        if (waiting_)
            return true;
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
        QMetaObject::invokeMethod(this, &CueRequests::reachAudio, Qt::QueuedConnection);
    }

    bool reached_ = false;
    QStringList toPrepare_;
    QString pending_;
    bool waiting_ = false;
    QPointer<QWindow> awaitedWindow_;
    CueBackend* backend_ = nullptr; // a child of this object; none without the module
};

} // namespace

// The requests hang below the application object, so that they and the backend are torn down
// with it while Qt Multimedia still works, even when this device outlives the application (as
// it can in tests). The guarded pointer then tells the device that they are gone.
struct QtSoundDevice::Private {
    QPointer<CueRequests> requests;
    bool closed = false;
};

QtSoundDevice::QtSoundDevice() : d(std::make_unique<Private>()) {}

QtSoundDevice::~QtSoundDevice() {
    // Only now does a cue still sounding stop.
    delete d->requests.data();
}

void QtSoundDevice::open() {
    // Cheap on purpose: the audio system is reached once the window is drawn.
    if (!d->requests && !d->closed)
        d->requests = new CueRequests(QCoreApplication::instance());
}

void QtSoundDevice::prepare(const QString& waveFile) {
    if (d->requests && !d->closed && !waveFile.isEmpty())
        d->requests->prepare(waveFile);
}

void QtSoundDevice::play(const QString& waveFile) {
    if (d->requests && !d->closed && !waveFile.isEmpty())
        d->requests->request(waveFile);
}

void QtSoundDevice::close() {
    // The last cue plays on: the launcher closes the device right after the launch cue and
    // ends a second or two later.
    d->closed = true;
}
