// The launcher's sound device can outlive the application object (a test fixture or a static
// that is torn down late). Its voices must go with the application, and what is left of the
// device must still take calls.

#include "common/AppPath.h"
#include "sound/QtSoundDevice.h"

#include <QApplication>
#include <QSoundEffect>
#include <QTest>
#include <cstdio>

int main(int argc, char** argv) {
    const QString cue = QStringLiteral(TESSELO_CUE_DIR "/RUN_Kidou.wav");
    QtSoundDevice device;
    {
        QApplication app(argc, argv);
        SetAppPathForTesting(QStringLiteral(TESSELO_PROGRAM_DIR));
        device.open();
        device.play(cue);
        if (!QTest::qWaitFor([] {
                const auto voices = qApp->findChildren<QSoundEffect*>();
                return voices.size() == 1 && voices.front()->status() == QSoundEffect::Ready;
            })) {
            std::fprintf(stderr, "FAIL: the cue never loaded\n");
            return 1;
        }
        device.play(cue); // one cue sounds and another is queued as the application goes away
    }
    device.play(cue);
    device.close();
    device.close();
    std::printf("PASS: the device outlived the application\n");
}
