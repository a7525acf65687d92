// The cue files the build writes, and the Qt sound device: cues started at once through one
// voice per file, the last one played out after closing, a broken file never reaching the
// loader, a device that outlives the application. Which cue plays when: the windows' tests.

#include "common/AppPath.h"
#include "sound/PlayableWave.h"
#include "sound/QtSoundDevice.h"

#include <QAudioDevice>
#include <QElapsedTimer>
#include <QGuiApplication>
#include <QMediaDevices>
#include <QSoundEffect>
#include <QTemporaryDir>
#include <QTest>

using namespace Qt::StringLiterals;

namespace {
const QString CueDir = QStringLiteral(TESSELO_CUE_DIR "/");
const QStringList Cues{u"RUN_Kidou.wav"_s, u"EXE_KIDOU.wav"_s, u"Button_Kouka.wav"_s,
                       u"Vasion_Hyouji.wav"_s}; // in the order of SoundCue
QtSoundDevice device; // outlives the application, like a static torn down late

QByteArray readCue(const QString& name) {
    QFile file(CueDir + name);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// The files of the voices made so far (only those loaded, when asked), sorted.
QString voiceFiles(bool loaded = false) {
    QStringList names;
    for (const QSoundEffect* voice : QCoreApplication::instance()->findChildren<QSoundEffect*>())
        if (!loaded || voice->status() == QSoundEffect::Ready)
            names << voice->source().fileName();
    names.sort();
    return names.join(u' ');
}

QSoundEffect* voice(const QString& name) {
    for (QSoundEffect* voice : QCoreApplication::instance()->findChildren<QSoundEffect*>())
        if (voice->source().fileName() == name)
            return voice;
    return nullptr;
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
