// Which file each cue plays and when, the cue files the build writes, and the Qt sound device:
// cues served from the event loop through one voice per file, a broken file never reaching the
// loader, and a device that outlives the application.

#include "common/AppPath.h"
#include "sound/CuePlayer.h"
#include "sound/PlayableWave.h"
#include "sound/QtSoundDevice.h"

#include <QGuiApplication>
#include <QSoundEffect>
#include <QTemporaryDir>
#include <QTest>
#include <QtEndian>

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

struct RecordingDevice final : SoundDevice {
    void open() override { calls << u"open"_s; }
    void play(const QString& waveFile) override { calls << waveFile; }
    void close() override { calls << u"close"_s; }
    QStringList calls;
};
} // namespace

class SoundTest : public QObject {
    Q_OBJECT
private slots:
    void playsEachCueWhileChecked() {
        SetAppPathForTesting(u"/opt/Tesselo"_s);
        RecordingDevice recorder;
        bool checked = false; // read at each cue, not remembered
        CuePlayer player(recorder, [&] { return checked; });
        QStringList expected{u"open"_s};
        player.OpenSoundDevice();
        for (int cue = 0; cue < 8; ++cue) {
            checked = cue >= 4;
            player.PlaySoundCue(SoundCue(cue % 4));
            if (checked)
                expected << u"/opt/Tesselo/Data/Sound/"_s + Cues[cue % 4];
        }
        player.CloseSoundDevice();
        QCOMPARE(recorder.calls, expected << u"close"_s);
    }

    void buildWritesShortCleanCues_data() {
        QTest::addColumn<QString>("name");
        for (const QString& name : Cues)
            QTest::newRow(qPrintable(name)) << name;
    }
    void buildWritesShortCleanCues() {
        QFETCH(QString, name);
        const QByteArray bytes = readCue(name);
        QVERIFY(IsPlayableWave(CueDir + name));
        // A plain header: 16-bit mono PCM at 44100 Hz, then the samples to the end.
        QCOMPARE(bytes.mid(8, 32).toHex(), "57415645666d74201000000001000100"
                                           "44ac0000885801000200100064617461");
        QCOMPARE(qFromLittleEndian<quint32>(bytes.data() + 4), quint32(bytes.size() - 8));
        QCOMPARE(qFromLittleEndian<quint32>(bytes.data() + 40), quint32(bytes.size() - 44));
        const auto* samples = reinterpret_cast<const qint16*>(bytes.data() + 44);
        const qsizetype count = (bytes.size() - 44) / 2;
        const int peak = std::abs(*std::max_element(
            samples, samples + count, [](int a, int b) { return std::abs(a) < std::abs(b); }));
        QVERIFY2(count >= 0.08 * 44100 && count <= 0.7 * 44100, "not 0.08 to 0.7 s long");
        QVERIFY2(peak >= 3277 && peak <= 23198, "its peak is not between -20 and -3 dB");
        // Starting and ending at silence keeps the cue from clicking.
        QVERIFY(std::abs(samples[0]) < 100 && std::abs(samples[count - 1]) < 100);
        for (const QString& other : Cues)
            QVERIFY2(other == name || readCue(other) != bytes, qPrintable(other));
    }

    // Each call comes back at once, having only noted the cue; the event loop serves it.
    void deviceServesCuesFromTheEventLoop() {
        QTemporaryDir dir;
        QFile broken(dir.filePath(u"Broken.wav"_s)); // the loader would wait for its end for ever
        QVERIFY(broken.open(QIODevice::WriteOnly) && broken.write(readCue(Cues[0]).chopped(2)));
        broken.close();
        SetAppPathForTesting(QStringLiteral(TESSELO_PROGRAM_DIR));
        const auto play = [](const QStringList& files, const QString& voices) {
            for (const QString& file : files)
                device.play(file);
            QCOMPARE(voiceFiles(), voices.section(u'|', 0, 0));
            QCoreApplication::processEvents();
            QCOMPARE(voiceFiles(), voices.section(u'|', -1));
            QTRY_COMPARE(voiceFiles(true), voiceFiles());
        };
        play({CueDir + Cues[0]}, u""_s); // not opened
        device.open();
        play({broken.fileName()}, u""_s);
        play({CueDir + Cues[0], CueDir + Cues[1]}, u"|EXE_KIDOU.wav"_s); // the last of a turn
        play({CueDir + Cues[1]}, u"EXE_KIDOU.wav"_s);                    // through the same voice
        device.close();
        QCOMPARE(voiceFiles(), QString());
        device.open();
        play({CueDir + Cues[2]}, u"|Button_Kouka.wav"_s);
        device.play(CueDir + Cues[3]); // still waiting as the application goes
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
