// The cue files the build writes, and the sound device: nothing of the audio system loaded
// before the first cue, and without a sound server no call that waits.
// How cues sound on a server: the end-to-end scenario. Which cue plays when: the windows' tests.

#include "common/AppPath.h"
#include "sound/PlayableWave.h"
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

QByteArray readCue(const QString& name) {
    QFile file(CueDir + name);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

bool mapped(const char* library) {
    QFile maps(QStringLiteral("/proc/self/maps"));
    return maps.open(QIODevice::ReadOnly) && maps.readAll().contains(library);
}

} // namespace

class SoundTest : public QObject {
    Q_OBJECT
private slots:
    void buildWritesShortCleanCues_data() {
        QTest::addColumn<QString>("name");
        for (const QString& name : Cues)
            QTest::newRow(qPrintable(name)) << name;
    }
    void buildWritesShortCleanCues() {
        QFETCH(QString, name);
        const QByteArray bytes = readCue(name);
        QVERIFY(IsPlayableWave(CueDir + name)); // 16-bit mono PCM, whole
        const auto* samples = reinterpret_cast<const qint16*>(bytes.data() + 44);
        const qsizetype count = (bytes.size() - 44) / 2;
        const int peak = std::abs(*std::max_element(
            samples, samples + count, [](int a, int b) { return std::abs(a) < std::abs(b); }));
        // Heard: 0.08 to 0.6 s, then silence that Qt's sound effects cut off unheard.
        qsizetype heard = count;
        while (heard > 0 && samples[heard - 1] == 0)
            --heard;
        QVERIFY2(heard >= 0.08 * 44100 && heard <= 0.6 * 44100, "not heard 0.08 to 0.6 s");
        QVERIFY2(count - heard >= 0.12 * 44100, "no silence after the sound");
        QVERIFY2(peak >= 3277 && peak <= 23198, "its peak is not between -20 and -3 dB");
        // Starting and ending at silence keeps the cue from clicking.
        QVERIFY(std::abs(samples[0]) < 100 && std::abs(samples[count - 1]) < 100);
        for (const QString& other : Cues)
            QVERIFY2(other == name || readCue(other) != bytes, qPrintable(other));
    }

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
