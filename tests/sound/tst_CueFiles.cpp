#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <QtEndian>
#include <algorithm>
#include <cmath>
#include <optional>

using namespace Qt::StringLiterals;

namespace {

const QString CueDir = QStringLiteral(TESSELO_CUE_DIR);
const QString CueMaker = QStringLiteral(TESSELO_CUE_MAKER);
const QStringList CueNames{u"RUN_Kidou.wav"_s, u"EXE_KIDOU.wav"_s, u"Button_Kouka.wav"_s,
                           u"Vasion_Hyouji.wav"_s};

struct Wave {
    quint16 format = 0;
    quint16 channels = 0;
    quint32 rate = 0;
    quint16 bits = 0;
    QList<qint16> samples;
};

// Walks the RIFF chunks as a player would, so a wrong size field anywhere shows up.
std::optional<Wave> parseWave(const QByteArray& bytes) {
    const auto u16 = [&](qsizetype at) { return qFromLittleEndian<quint16>(bytes.data() + at); };
    const auto u32 = [&](qsizetype at) { return qFromLittleEndian<quint32>(bytes.data() + at); };
    if (bytes.size() < 12 || !bytes.startsWith("RIFF") || bytes.mid(8, 4) != "WAVE" ||
        u32(4) != bytes.size() - 8)
        return std::nullopt;
    Wave wave;
    bool haveFormat = false;
    bool haveData = false;
    for (qsizetype at = 12; at + 8 <= bytes.size();) {
        const QByteArray id = bytes.mid(at, 4);
        const qsizetype size = u32(at + 4);
        const qsizetype body = at + 8;
        if (body + size > bytes.size())
            return std::nullopt;
        if (id == "fmt " && size >= 16) {
            wave.format = u16(body);
            wave.channels = u16(body + 2);
            wave.rate = u32(body + 4);
            wave.bits = u16(body + 14);
            haveFormat = u32(body + 8) == wave.rate * wave.channels * wave.bits / 8 &&
                         u16(body + 12) == wave.channels * wave.bits / 8;
        } else if (id == "data" && haveFormat && size % 2 == 0) {
            for (qsizetype i = 0; i < size; i += 2)
                wave.samples << qint16(u16(body + i));
            haveData = true;
        }
        at = body + size + size % 2;
    }
    if (!haveFormat || !haveData)
        return std::nullopt;
    return wave;
}

QByteArray readAll(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

int runCueMaker(const QStringList& arguments) {
    QProcess maker;
    maker.start(CueMaker, arguments);
    if (!maker.waitForFinished(30000) || maker.exitStatus() != QProcess::NormalExit)
        return -1;
    return maker.exitCode();
}

} // namespace

class CueFilesTest : public QObject {
    Q_OBJECT
private slots:
    void eachCueIsAShortCleanPcmWave_data() {
        QTest::addColumn<QString>("name");
        for (const QString& name : CueNames)
            QTest::newRow(qPrintable(name)) << name;
    }
    void eachCueIsAShortCleanPcmWave() {
        QFETCH(QString, name);
        const QByteArray bytes = readAll(CueDir + u'/' + name);
        QVERIFY2(!bytes.isEmpty(), "the build did not write the cue");
        const std::optional<Wave> wave = parseWave(bytes);
        QVERIFY(wave);
        QCOMPARE(wave->format, 1); // PCM
        QCOMPARE(wave->channels, 1);
        QCOMPARE(wave->bits, 16);
        QVERIFY(wave->rate == 44100 || wave->rate == 22050);

        const double seconds = double(wave->samples.size()) / wave->rate;
        QVERIFY2(seconds >= 0.08 && seconds <= 0.7, qPrintable(QString::number(seconds)));

        int peak = 0;
        for (qint16 s : wave->samples)
            peak = std::max(peak, std::abs(int(s)));
        const double peakDb = 20.0 * std::log10(peak / 32768.0);
        QVERIFY2(peakDb <= -3.0, qPrintable(QString::number(peakDb)));
        QVERIFY2(peakDb >= -20.0, "too quiet to hear");

        // Starting and ending at silence keeps the cue from clicking.
        QVERIFY(std::abs(wave->samples.front()) < 100);
        QVERIFY(std::abs(wave->samples.back()) < 100);
    }

    void cuesSoundDifferent() {
        QList<QByteArray> seen;
        for (const QString& name : CueNames) {
            const QByteArray bytes = readAll(CueDir + u'/' + name);
            QVERIFY2(!seen.contains(bytes), qPrintable(name));
            seen << bytes;
        }
    }

    void makerWritesTheSameCuesEveryTime() {
        QTemporaryDir dir;
        const QString out = dir.filePath(u"Data/Sound"_s);
        QCOMPARE(runCueMaker({out}), 0);
        QCOMPARE(QDir(out).entryList(QDir::Files, QDir::Name),
                 (QStringList{u"Button_Kouka.wav"_s, u"EXE_KIDOU.wav"_s, u"RUN_Kidou.wav"_s,
                              u"Vasion_Hyouji.wav"_s}));
        for (const QString& name : CueNames)
            QVERIFY2(readAll(out + u'/' + name) == readAll(CueDir + u'/' + name), qPrintable(name));
    }

    void makerFailsLoudly_data() {
        QTest::addColumn<QStringList>("arguments");
        QTest::newRow("no folder") << QStringList{};
        QTest::newRow("two folders") << QStringList{u"a"_s, u"b"_s};
        QTest::newRow("folder inside a file") << QStringList{u"{file}/Sound"_s};
    }
    void makerFailsLoudly() {
        QFETCH(QStringList, arguments);
        QTemporaryDir dir;
        const QString file = dir.filePath(u"plain"_s);
        QFile plain(file);
        QVERIFY(plain.open(QIODevice::WriteOnly));
        plain.close();
        arguments.replaceInStrings(u"{file}"_s, file);
        const int exitCode = runCueMaker(arguments);
        QVERIFY2(exitCode > 0, qPrintable(QString::number(exitCode)));
    }
};

QTEST_GUILESS_MAIN(CueFilesTest)
#include "tst_CueFiles.moc"
