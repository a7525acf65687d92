#include "common/StartupMark.h"

#ifdef TESSELO_STARTUP_MARKS

#include <QEvent>
#include <QObject>
#include <cstdio>
#include <ctime>
#include <unistd.h>

void StartupMark(const char* step) {
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    char line[128];
    const int n = std::snprintf(line, sizeof line, "tesselo-mark %s %lld\n", step,
                                static_cast<long long>(now.tv_sec) * 1000000000LL + now.tv_nsec);
    if (n > 0 && write(STDERR_FILENO, line, size_t(n)) < 0)
        return;
}

namespace {
// Before the program's own code runs: every library has been loaded and initialised.
[[gnu::constructor]] void markLibrariesReady() {
    StartupMark("libraries-initialised");
}

class FirstPaint final : public QObject {
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Paint) {
            StartupMark("first-paint");
            watched->removeEventFilter(this);
            deleteLater();
        }
        return false;
    }
};
} // namespace

void MarkFirstPaint(QObject* window) {
    window->installEventFilter(new FirstPaint(window));
}

#endif
