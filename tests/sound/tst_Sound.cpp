// The sound device and its backend on a PulseAudio of the test's own. How cues sound on a server:
// the end-to-end scenario. Which cue plays when: the windows' tests.

#include "common/AppPath.h"
#include "sound/CueBackend.h"
#include "sound/ServerSoundDevice.h"

#include <QDeadlineTimer>
#include <QGuiApplication>
#include <QLibrary>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <QtEndian>
#include <csignal>

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

QByteArray le(quint32 value, int bytes) {
    return QByteArray(reinterpret_cast<const char*>(&(value = qToLittleEndian(value))), bytes);
}
QByteArray chunk(const char* id, const QByteArray& body) {
    return id + le(body.size(), 4) + body + QByteArray(body.size() % 2, '\0');
}
// A wave of `frames` 8 kHz frames in the format `tag`, extensible when given a channel mask,
// with an odd-sized chunk before its sound.
QByteArray riffWave(quint16 tag, quint16 channels, quint16 bits, int frames, qint64 mask = -1) {
    const int frameBytes = channels * bits / 8;
    const QByteArray format = le(mask < 0 ? tag : 0xFFFE, 2) + le(channels, 2) + le(8000, 4) +
                              le(8000 * frameBytes, 4) + le(frameBytes, 2) + le(bits, 2) +
                              (mask < 0 ? QByteArray()
                                        : le(22, 2) + le(bits, 2) + le(mask, 4) + le(tag, 2) +
                                              QByteArray::fromHex("000000001000800000aa00389b71"));
    return chunk("RIFF", "WAVE" + chunk("fmt ", format) + chunk("LIST", "odd") +
                             chunk("data", QByteArray(frames * frameBytes, '\x70')));
}

QString listed(const QString& what) {
    QProcess pactl;
    pactl.start(u"pactl"_s, {u"list"_s, what, u"short"_s});
    return pactl.waitForFinished() ? QString::fromUtf8(pactl.readAllStandardOutput()) : QString();
}

} // namespace

class SoundTest : public QObject {
    Q_OBJECT
    QTemporaryDir home_;
    QProcess server_;

    QString write(const QString& name, const QByteArray& bytes) {
        QFile file(home_.filePath(name));
        return file.open(QIODevice::WriteOnly) && file.write(bytes) ? file.fileName() : QString();
    }
    static std::unique_ptr<CueBackend> backend() {
        return std::unique_ptr<CueBackend>(reinterpret_cast<CreateCueBackend>(QLibrary::resolve(
            QStringLiteral(TESSELO_PROGRAM_DIR "/tesselo_sound"), CreateCueBackendSymbol))());
    }

private slots:
    void init() {
        qputenv("HOME", QFile::encodeName(home_.path()));
        qputenv("XDG_RUNTIME_DIR", QFile::encodeName(home_.path()));
        qunsetenv("PULSE_SERVER");
        server_.startCommand(
            u"pulseaudio -n --daemonize=no --exit-idle-time=-1 --use-pid-file=no "
            u"\"--load=module-null-sink rate=8000\" --load=module-native-protocol-unix"_s);
        QTRY_VERIFY(listed(u"sinks"_s).contains(u"null"_s));
    }
    void cleanup() {
        server_.kill();
        server_.waitForFinished();
    }

    // With sound effects off the launcher opens the device and names its cues, and must not
    // carry the audio system for that. The first cue loads it, in the event loop, at once.
    void deviceLoadsTheAudioOnTheFirstCueWithoutWaitingForAServer() {
        QTemporaryDir runtime; // a user's runtime folder where no server runs
        qputenv("XDG_RUNTIME_DIR", QFile::encodeName(runtime.path()));
        SetAppPathForTesting(QStringLiteral(TESSELO_PROGRAM_DIR));
        device.open();
        for (const QString& name : Cues)
            device.prepare(CueDir + name);
        QCoreApplication::processEvents();
        QVERIFY(!mapped("tesselo_sound") && !mapped("libpulse"));
        const QDeadlineTimer loading(100);
        device.play(CueDir + Cues[0]);
        QCoreApplication::processEvents();
        device.play(CueDir + Cues[1]);
        QVERIFY2(!loading.hasExpired(), "the first cue waits for the audio system");
        QVERIFY(mapped("libpulse"));
    }

    // What the server accepts plays and cuts off the cue sounding; what it refuses leaves it.
    void serverPlaysTheWavesItAccepts_data() {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<QString>("sounding"); // the format the server lists it in
        QTest::newRow("24-bit") << riffWave(1, 2, 24, 8000) << u"s24le 2ch 8000Hz"_s;
        QTest::newRow("float") << riffWave(3, 1, 32, 8000) << u"float32le 1ch 8000Hz"_s;
        QTest::newRow("mu-law") << riffWave(7, 1, 8, 8000) << u"uLaw 1ch 8000Hz"_s;
        QTest::newRow("A-law, odd") << riffWave(6, 1, 8, 8001) << u"aLaw 1ch 8000Hz"_s;
        QTest::newRow("8 channels") << riffWave(1, 8, 16, 8000) << u"s16le 8ch 8000Hz"_s;
        QTest::newRow("extensible 7.1") << riffWave(3, 8, 32, 8000, 0x63f) << u"float32le 8ch"_s;
        QTest::newRow("64-bit float") << riffWave(3, 1, 64, 800) << u"u8 1ch 8000Hz"_s;
        QTest::newRow("foreign subformat") << riffWave(0x55, 1, 16, 800, 4) << u"u8 1ch 8000Hz"_s;
    }
    void serverPlaysTheWavesItAccepts() {
        QFETCH(QByteArray, file);
        QFETCH(QString, sounding);
        const std::unique_ptr<CueBackend> cues = backend();
        cues->play(write(u"before.wav"_s, riffWave(1, 1, 8, 40000)));
        QTRY_COMPARE(listed(u"sink-inputs"_s).count(u'\n'), 1);
        cues->play(write(u"cue.wav"_s, file));
        QTRY_VERIFY(listed(u"sink-inputs"_s).count(u'\n') == 1 &&
                    listed(u"sink-inputs"_s).contains(sounding));
    }

    // A cue file's own sample: replaced when the file changes, sent again when removed or after a
    // restart. A stopped server, connected to or not (accepting, never answering), holds no cue.
    void samplesFollowTheFilesAndTheServer() {
        QTemporaryDir other;
        QFile::copy(write(u"c.wav"_s, riffWave(1, 1, 8, 4000)), other.filePath(u"c.wav"_s));
        std::unique_ptr<CueBackend> cues = backend();
        cues->play(other.filePath(u"c.wav"_s));
        QTRY_VERIFY(!listed(u"samples"_s).isEmpty());
        cues->play(home_.filePath(u"c.wav"_s));
        QTRY_VERIFY(listed(u"samples"_s).count(u'\n') == 2 && listed(u"sink-inputs"_s).isEmpty());
        const QString mine = listed(u"samples"_s).section(u'\t', -3, -3);
        QCOMPARE(QProcess::execute(u"pactl"_s, {u"remove-sample"_s, mine}), 0);
        cues->play(home_.filePath(u"c.wav"_s));
        QTRY_VERIFY(!listed(u"sink-inputs"_s).isEmpty());
        cues = backend(); // a launcher started after the file was edited
        cues->play(write(u"c.wav"_s, riffWave(1, 2, 16, 4000)));
        QTRY_VERIFY(listed(u"samples"_s).contains(u"2ch"_s) &&
                    listed(u"samples"_s).count(u'\n') == 2);
        const QDeadlineTimer cueing(100);
        ::kill(pid_t(server_.processId()), SIGSTOP);
        cues->play(home_.filePath(u"c.wav"_s));
        backend()->play(home_.filePath(u"c.wav"_s));
        QVERIFY2(!cueing.hasExpired(), "a stopped server holds the cues up");
        cleanup();
        init();
        cues->play(home_.filePath(u"c.wav"_s));
        QTRY_VERIFY(!listed(u"sink-inputs"_s).isEmpty());
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
