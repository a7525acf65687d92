#include "sound/PlayableWave.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <QtEndian>

#ifdef Q_OS_UNIX
#include <sys/stat.h>
#endif

namespace {

QByteArray le16(quint16 v) {
    QByteArray b(2, '\0');
    qToLittleEndian(v, b.data());
    return b;
}
QByteArray le32(quint32 v) {
    QByteArray b(4, '\0');
    qToLittleEndian(v, b.data());
    return b;
}
QByteArray chunk(const char* id, const QByteArray& body) {
    return QByteArray(id) + le32(quint32(body.size())) + body;
}
QByteArray fmt(quint16 tag, quint16 channels, quint32 rate, quint16 bits, quint16 frameBytes = 0) {
    if (frameBytes == 0)
        frameBytes = quint16(channels * bits / 8);
    return chunk("fmt ", le16(tag) + le16(channels) + le32(rate) + le32(rate * frameBytes) +
                             le16(frameBytes) + le16(bits));
}
QByteArray wave(const QByteArray& chunks) {
    return "RIFF" + le32(quint32(chunks.size() + 4)) + "WAVE" + chunks;
}
const QByteArray Pcm(4400, '\x10');
const QByteArray Mono16 = fmt(1, 1, 44100, 16);

} // namespace

class PlayableWaveTest : public QObject {
    Q_OBJECT
private slots:
    void accepts_data() {
        QTest::addColumn<QByteArray>("bytes");
        QTest::newRow("16-bit mono") << wave(Mono16 + chunk("data", Pcm));
        QTest::newRow("8-bit mono") << wave(fmt(1, 1, 22050, 8) + chunk("data", Pcm));
        QTest::newRow("16-bit stereo") << wave(fmt(1, 2, 44100, 16) + chunk("data", Pcm));
        QTest::newRow("list before fmt")
            << wave(chunk("LIST", QByteArray(26, 'a')) + Mono16 + chunk("data", Pcm));
        QTest::newRow("list between") << wave(Mono16 + chunk("LIST", "ab") + chunk("data", Pcm));
        QTest::newRow("extended fmt")
            << wave(chunk("fmt ", Mono16.mid(8) + le16(0)) + chunk("data", Pcm));
        QTest::newRow("chunk after data")
            << wave(Mono16 + chunk("data", Pcm) + chunk("LIST", "abcd"));
    }
    void accepts() {
        QFETCH(QByteArray, bytes);
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("cue.wav"));
        writeFile(path, bytes);
        QVERIFY(IsPlayableWave(path));
    }

    // Each of these either fails to load or would leave the loader waiting for ever.
    void rejects_data() {
        QTest::addColumn<QByteArray>("bytes");
        const QByteArray good = wave(Mono16 + chunk("data", Pcm));
        QTest::newRow("empty") << QByteArray("");
        QTest::newRow("riff only") << QByteArray("RIFF");
        QTest::newRow("not riff") << "RIFX" + good.mid(4);
        QTest::newRow("not wave") << good.left(8) + "AVI " + good.mid(12);
        QTest::newRow("header only") << wave(Mono16);
        QTest::newRow("cut in the header") << good.left(30);
        QTest::newRow("data cut short") << good.left(good.size() - 2);
        QTest::newRow("empty data") << wave(Mono16 + chunk("data", {}));
        QTest::newRow("odd data") << wave(Mono16 + chunk("data", Pcm.left(4399)));
        QTest::newRow("odd chunk before fmt")
            << wave(chunk("LIST", QByteArray(25, 'a')) + '\0' + Mono16 + chunk("data", Pcm));
        QTest::newRow("data before fmt") << wave(chunk("data", Pcm) + Mono16);
        QTest::newRow("short fmt") << wave(chunk("fmt ", Mono16.mid(8, 14)) + chunk("data", Pcm));
        QTest::newRow("float") << wave(fmt(3, 1, 44100, 32) + chunk("data", Pcm));
        QTest::newRow("24-bit") << wave(fmt(1, 1, 44100, 24) + chunk("data", Pcm.left(4404)));
        QTest::newRow("no channels") << wave(fmt(1, 0, 44100, 16, 2) + chunk("data", Pcm));
        QTest::newRow("no rate") << wave(fmt(1, 1, 0, 16) + chunk("data", Pcm));
        QTest::newRow("frame size off") << wave(fmt(1, 1, 44100, 16, 4) + chunk("data", Pcm));
        QTest::newRow("data not whole frames")
            << wave(fmt(1, 2, 44100, 16) + chunk("data", Pcm.left(4398)));
        QTest::newRow("garbage") << QByteArray(3000, '\x5a');
    }
    void rejects() {
        QFETCH(QByteArray, bytes);
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("cue.wav"));
        writeFile(path, bytes);
        QVERIFY(!IsPlayableWave(path));
    }

    void rejectsWhatIsNoPlainFile() {
        QTemporaryDir dir;
        QVERIFY(!IsPlayableWave(dir.filePath(QStringLiteral("missing.wav"))));
        QVERIFY(QDir(dir.path()).mkdir(QStringLiteral("folder.wav")));
        QVERIFY(!IsPlayableWave(dir.filePath(QStringLiteral("folder.wav"))));
#ifdef Q_OS_UNIX
        // Opening a pipe with no writer would block the program.
        const QString pipe = dir.filePath(QStringLiteral("pipe.wav"));
        QCOMPARE(mkfifo(QFile::encodeName(pipe).constData(), 0600), 0);
        QVERIFY(!IsPlayableWave(pipe));
#endif
    }

private:
    static void writeFile(const QString& path, const QByteArray& bytes) {
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        QCOMPARE(file.write(bytes), bytes.size());
    }
};

QTEST_GUILESS_MAIN(PlayableWaveTest)
#include "tst_PlayableWave.moc"
