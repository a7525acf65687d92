// Which file each cue plays, which files are fit to reach the sound effect loader, and the
// four cue files the build writes.

#include "common/AppPath.h"
#include "sound/CuePlayer.h"
#include "sound/PlayableWave.h"

#include <QDataStream>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <QtEndian>
#include <cmath>

#ifdef Q_OS_UNIX
#include <sys/stat.h>
#endif

using namespace Qt::StringLiterals;

namespace {

const QStringList CueNames{u"RUN_Kidou.wav"_s, u"EXE_KIDOU.wav"_s, u"Button_Kouka.wav"_s,
                           u"Vasion_Hyouji.wav"_s};

QByteArray readCue(const QString& name) {
    QFile file(QStringLiteral(TESSELO_CUE_DIR "/") + name);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// Little-endian fields, as RIFF stores them.
template <typename... T> QByteArray le(T... values) {
    QByteArray bytes;
    QDataStream out(&bytes, QIODevice::WriteOnly);
    out.setByteOrder(QDataStream::LittleEndian);
    (out << ... << values);
    return bytes;
}
QByteArray chunk(const char* id, const QByteArray& body) {
    return id + le(quint32(body.size())) + body;
}
// A "fmt " chunk; the frame size follows from the channels and bits unless given.
QByteArray fmt(quint16 tag, quint16 channels, quint32 rate, quint16 bits, int frame = 0) {
    frame = frame ? frame : channels * bits / 8;
    return chunk("fmt ", le(tag, channels, rate, quint32(rate) * frame, quint16(frame), bits));
}
QByteArray wave(const QByteArray& chunks) {
    return "RIFF" + le(quint32(chunks.size() + 4)) + "WAVE" + chunks;
}
const QByteArray Pcm(4400, '\x10');
const QByteArray Mono16 = fmt(1, 1, 44100, 16);

// Keeps the full path of every play.
class PathRecordingDevice final : public SoundDevice {
public:
    void open() override { calls << u"open"_s; }
    void play(const QString& waveFile) override { calls << waveFile; }
    void close() override { calls << u"close"_s; }
    QStringList calls;
};

} // namespace

class CueFilesTest : public QObject {
    Q_OBJECT

    // Writes `bytes` (null: nothing) as a wave file and asks whether it is playable.
    static bool playable(const QByteArray& bytes) {
        QTemporaryDir dir;
        QFile file(dir.filePath(u"cue.wav"_s));
        if (!bytes.isNull() && (!file.open(QIODevice::WriteOnly) || file.write(bytes) < 0))
            return false;
        file.close();
        return IsPlayableWave(file.fileName());
    }

private slots:
    void playsEachCueBelowAppPathWhileChecked() {
        SetAppPathForTesting(u"/opt/Tesselo"_s);
        PathRecordingDevice device;
        bool checked = false;
        CuePlayer player(device, [&] { return checked; });
        player.OpenSoundDevice();
        player.PlaySoundCue(SoundCue::StartupCue);
        checked = true;
        for (SoundCue cue :
             {SoundCue::StartupCue, SoundCue::LaunchCue, SoundCue::ButtonCue, SoundCue::VersionCue})
            player.PlaySoundCue(cue);
        checked = false;
        player.PlaySoundCue(SoundCue::ButtonCue);
        player.CloseSoundDevice();
        SetAppPathForTesting({});
        // The check mark is read at each cue; opening and closing happen regardless.
        QCOMPARE(device.calls,
                 (QStringList{u"open"_s, u"/opt/Tesselo/Data/Sound/RUN_Kidou.wav"_s,
                              u"/opt/Tesselo/Data/Sound/EXE_KIDOU.wav"_s,
                              u"/opt/Tesselo/Data/Sound/Button_Kouka.wav"_s,
                              u"/opt/Tesselo/Data/Sound/Vasion_Hyouji.wav"_s, u"close"_s}));
    }

    void acceptsPlainPcm_data() {
        QTest::addColumn<QByteArray>("bytes");
        QTest::newRow("16-bit mono") << wave(Mono16 + chunk("data", Pcm));
        QTest::newRow("8-bit mono") << wave(fmt(1, 1, 22050, 8) + chunk("data", Pcm));
        QTest::newRow("16-bit stereo") << wave(fmt(1, 2, 44100, 16) + chunk("data", Pcm));
        QTest::newRow("other chunks around")
            << wave(chunk("LIST", QByteArray(26, 'a')) + Mono16 + chunk("LIST", "ab") +
                    chunk("data", Pcm) + chunk("LIST", "abcd"));
        QTest::newRow("extended fmt")
            << wave(chunk("fmt ", Mono16.mid(8) + QByteArray(2, '\0')) + chunk("data", Pcm));
    }
    void acceptsPlainPcm() {
        QFETCH(QByteArray, bytes);
        QVERIFY(playable(bytes));
    }

    // Each of these either fails to load or would leave the loader waiting for ever.
    void refusesWhatWouldNotLoad_data() {
        QTest::addColumn<QByteArray>("bytes");
        const QByteArray good = wave(Mono16 + chunk("data", Pcm));
        QTest::newRow("missing") << QByteArray();
        QTest::newRow("empty") << QByteArray("");
        QTest::newRow("not riff") << "RIFX" + good.mid(4);
        QTest::newRow("not wave") << good.left(8) + "AVI " + good.mid(12);
        QTest::newRow("header only") << wave(Mono16);
        QTest::newRow("cut in the header") << good.left(30);
        QTest::newRow("data cut short") << good.left(good.size() - 2);
        QTest::newRow("empty data") << wave(Mono16 + chunk("data", {}));
        QTest::newRow("odd data") << wave(Mono16 + chunk("data", Pcm.left(4399)));
        QTest::newRow("odd chunk before fmt")
            << wave(chunk("LIST", QByteArray(25, 'a')) + Mono16 + chunk("data", Pcm));
        QTest::newRow("data before fmt") << wave(chunk("data", Pcm) + Mono16);
        QTest::newRow("short fmt") << wave(chunk("fmt ", Mono16.mid(8, 14)) + chunk("data", Pcm));
        QTest::newRow("float") << wave(fmt(3, 1, 44100, 32) + chunk("data", Pcm));
        QTest::newRow("24-bit") << wave(fmt(1, 1, 44100, 24) + chunk("data", Pcm));
        QTest::newRow("no channels") << wave(fmt(1, 0, 44100, 16, 2) + chunk("data", Pcm));
        QTest::newRow("no rate") << wave(fmt(1, 1, 0, 16) + chunk("data", Pcm));
        QTest::newRow("frame size off") << wave(fmt(1, 1, 44100, 16, 4) + chunk("data", Pcm));
        QTest::newRow("data not whole frames")
            << wave(fmt(1, 2, 44100, 16) + chunk("data", Pcm.left(4398)));
    }
    void refusesWhatWouldNotLoad() {
        QFETCH(QByteArray, bytes);
        QVERIFY(!playable(bytes));
    }

    // Opening a FIFO with no writer would block the program.
    void refusesWhatIsNoPlainFile() {
        QTemporaryDir dir;
        QVERIFY(QDir(dir.path()).mkdir(u"folder.wav"_s));
        QVERIFY(!IsPlayableWave(dir.filePath(u"folder.wav"_s)));
#ifdef Q_OS_UNIX
        const QString pipe = dir.filePath(u"pipe.wav"_s);
        QCOMPARE(mkfifo(QFile::encodeName(pipe).constData(), 0600), 0);
        QVERIFY(!IsPlayableWave(pipe));
#endif
    }

    void eachCueIsAShortCleanPcmWave_data() {
        QTest::addColumn<QString>("name");
        for (const QString& name : CueNames)
            QTest::newRow(qPrintable(name)) << name;
    }
    void eachCueIsAShortCleanPcmWave() {
        QFETCH(QString, name);
        const QByteArray bytes = readCue(name);
        QVERIFY2(bytes.size() > 44, "the build did not write the cue");
        // A plain header: 16-bit mono PCM at 44100 Hz, then the samples to the end.
        QCOMPARE(bytes.left(44).toHex(' '), ("RIFF" + le(quint32(bytes.size() - 8)) + "WAVE" +
                                             Mono16 + "data" + le(quint32(bytes.size() - 44)))
                                                .toHex(' '));
        QList<int> samples;
        for (qsizetype at = 44; at + 2 <= bytes.size(); at += 2)
            samples << qFromLittleEndian<qint16>(bytes.constData() + at);
        const double seconds = samples.size() / 44100.0;
        QVERIFY2(seconds >= 0.08 && seconds <= 0.7, qPrintable(QString::number(seconds)));
        int peak = 0;
        for (int s : samples)
            peak = std::max(peak, std::abs(s));
        const double peakDb = 20.0 * std::log10(peak / 32768.0);
        QVERIFY2(peakDb <= -3.0 && peakDb >= -20.0, qPrintable(QString::number(peakDb)));
        // Starting and ending at silence keeps the cue from clicking.
        QVERIFY(std::abs(samples.front()) < 100 && std::abs(samples.back()) < 100);
        QVERIFY(IsPlayableWave(QStringLiteral(TESSELO_CUE_DIR "/") + name));
    }

    void cuesSoundDifferent() {
        QList<QByteArray> seen;
        for (const QString& name : CueNames) {
            QVERIFY2(!seen.contains(readCue(name)), qPrintable(name));
            seen << readCue(name);
        }
    }
};

QTEST_GUILESS_MAIN(CueFilesTest)
#include "tst_CueFiles.moc"
