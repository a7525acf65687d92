#include "sound/ServerSoundDevice.h"

#include "common/AppPath.h"
#include "sound/CueBackend.h"

#include <QCoreApplication>
#include <QEvent>
#include <QGuiApplication>
#include <QLibrary>
#include <QPointer>
#include <QTimer>
#include <QWindow>
#include <memory>
#include <utility>

namespace {

// The longest the audio system waits for a window that is being shown to appear.
constexpr int MaxWaitForWindowMs = 1000;

// The cue requests of an open device.
//
// Nothing of the audio system is loaded before the first cue is asked for: with sound effects
// off, the launcher never carries it. Reaching it (loading the module and the server's client
// library, connecting, uploading the cue files) takes longer than drawing the launcher's
// window, so the start-up cue waits until the window that is being shown has been drawn. From
// then on a cue starts inside the caller's handler, before whatever the handler does next (the
// launch cue sounds while the picture collapses). A cue asked for before then waits for it; of
// several, the last one counts, as a new cue cuts off the one before anyway.
class CueRequests final : public QObject {
public:
    using QObject::QObject;

    void prepare(const QString& waveFile) {
        if (reached_)
            backend_->prepare(waveFile);
        else if (!toPrepare_.contains(waveFile))
            toPrepare_ << waveFile;
    }

    void request(const QString& waveFile) {
        if (reached_) {
            backend_->play(waveFile);
            return;
        }
        if (std::exchange(pending_, waveFile).isEmpty())
            QMetaObject::invokeMethod(this, &CueRequests::reachAudio, Qt::QueuedConnection);
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
        QLibrary module(AppPath() + QLatin1Char('/') + QLatin1String(CueBackendModule));
        const auto create =
            reinterpret_cast<CreateCueBackend>(module.resolve(CreateCueBackendSymbol));
        if (!create) {
            // Without the module the cues stay silent, and nothing more is tried.
            reached_ = true;
            backend_ = std::make_unique<Silent>();
            return;
        }
        backend_.reset(create());
        reached_ = true;
        // The cue that waits goes to the server first.
        const QString waiting = std::exchange(pending_, QString());
        backend_->prepare(waiting);
        for (const QString& waveFile : std::exchange(toPrepare_, {}))
            backend_->prepare(waveFile);
        backend_->play(waiting);
    }

    struct Silent final : CueBackend {
        void prepare(const QString&) override {}
        void play(const QString&) override {}
    };

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
    std::unique_ptr<CueBackend> backend_; // set once reached
};

} // namespace

// The requests hang below the application object, so that they and the backend are torn down
// with it, even when this device outlives the application (as it can in tests). The guarded
// pointer then tells the device that they are gone.
struct ServerSoundDevice::Private {
    QPointer<CueRequests> requests;
    bool closed = false;
};

ServerSoundDevice::ServerSoundDevice() : d(std::make_unique<Private>()) {}

ServerSoundDevice::~ServerSoundDevice() {
    // A cue still sounding plays on in the server.
    delete d->requests.data();
}

void ServerSoundDevice::open() {
    // Cheap on purpose: the audio system is reached on the first cue.
    if (!d->requests && !d->closed)
        d->requests = new CueRequests(QCoreApplication::instance());
}

void ServerSoundDevice::prepare(const QString& waveFile) {
    if (d->requests && !d->closed && !waveFile.isEmpty())
        d->requests->prepare(waveFile);
}

void ServerSoundDevice::play(const QString& waveFile) {
    if (d->requests && !d->closed && !waveFile.isEmpty())
        d->requests->request(waveFile);
}

void ServerSoundDevice::close() {
    // The last cue plays on, even after the program has ended: the launcher closes the device
    // right after the launch cue and ends a second or two later.
    d->closed = true;
}
