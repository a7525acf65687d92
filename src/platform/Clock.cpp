#include "platform/Clock.h"

#include <QEventLoop>
#include <QTime>
#include <QTimer>

int SystemClock::secondOfMinute() {
    return QTime::currentTime().second();
}

void SystemClock::letEventsRun() {
    // Sleep in the event loop until just after the next full second, repainting meanwhile.
    const int msToNextSecond = 1000 - QTime::currentTime().msec() + 1;
    QEventLoop loop;
    QTimer::singleShot(msToNextSecond, Qt::PreciseTimer, &loop, &QEventLoop::quit);
    loop.exec(QEventLoop::ExcludeUserInputEvents);
}
