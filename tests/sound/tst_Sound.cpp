// The sound device: nothing of the audio system loaded before the first cue, and without a
// sound server no call that waits.
// How cues sound on a server: the end-to-end scenario. Which cue plays when: the windows' tests.

#include "common/AppPath.h"
#include "sound/ServerSoundDevice.h"

#include <QElapsedTimer>
#include <QGuiApplication>
#include <QTemporaryDir>
#include <QTest>

using namespace Qt::StringLiterals;

namespace {
const QString CueDir = QStringLiteral(TESSELO_CUE_DIR "/");
const QStringList Cues{u"RUN_Kidou.wav"_s, u"EXE_KIDOU.wav"_s, u"Button_Kouka.wav"_s,
                       u"Vasion_Hyouji.wav"_s}; // in the order of SoundCue
ServerSoundDevice device; // outlives the application, like a static torn down late

bool mapped(const char* library) {
    QFile maps(QStringLiteral("/proc/self/maps"));
    return maps.open(QIODevice::ReadOnly) && maps.readAll().contains(library);
}

} // namespace

class SoundTest : public QObject {
    Q_OBJECT
private slots:
    // With sound effects off the launcher opens the device and names its cues, and must not
    // carry the audio system for that. The first cue loads it, in the event loop, at once.
    void deviceLoadsTheAudioOnTheFirstCueWithoutWaitingForAServer() {
        QTemporaryDir runtime; // a user's runtime folder where no server runs
        qputenv("XDG_RUNTIME_DIR", QFile::encodeName(runtime.path()));
        qunsetenv("PULSE_SERVER");
        SetAppPathForTesting(QStringLiteral(TESSELO_PROGRAM_DIR));
        device.open();
        for (const QString& name : Cues)
            device.prepare(CueDir + name);
        QCoreApplication::processEvents();
        QVERIFY(!mapped("tesselo_sound") && !mapped("libpulse"));
        QElapsedTimer loading;
        loading.start();
        device.play(CueDir + Cues[0]);
        QCoreApplication::processEvents();
        device.play(CueDir + Cues[1]);
        QVERIFY2(loading.elapsed() < 100, qPrintable(QString::number(loading.elapsed())));
        QVERIFY(mapped("libpulse"));
    }
};

int main(int argc, char** argv) {
    int failed = 0;
    {
        QGuiApplication app(argc, argv);
        SoundTest test;
        failed = QTest::qExec(&test, argc, argv);
    }
    device.play(CueDir + Cues[0]);
    device.close();
    return failed;
}

#include "tst_Sound.moc"
