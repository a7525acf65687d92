#include "common/AppPath.h"
#include "sound/QtSoundDevice.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QSoundEffect>
#include <QTemporaryDir>
#include <QTest>

using namespace Qt::StringLiterals;

namespace {

QList<QSoundEffect*> voices() {
    return qApp->findChildren<QSoundEffect*>();
}

// The file names of the voices the backend has made, sorted.
QString voiceFiles() {
    QStringList names;
    for (const QSoundEffect* voice : voices())
        names << voice->source().fileName();
    names.sort();
    return names.join(u' ');
}

// Ready also without an audio output: the file itself was understood.
bool allReady() {
    const QList<QSoundEffect*> all = voices();
    return std::all_of(all.begin(), all.end(),
                       [](QSoundEffect* v) { return v->status() == QSoundEffect::Ready; });
}

// Runs steps such as "open", "play RUN_Kidou.wav" (a generated cue, or any path), "close",
// "ready" (until every voice has loaded), "no-module" (the backend module cannot be found),
// then one turn of the event loop, which serves the cues asked for.
void run(QtSoundDevice& device, const QString& steps) {
    for (const QString& step : steps.split(u',', Qt::SkipEmptyParts)) {
        const QList<QSoundEffect*> before = voices();
        QElapsedTimer timer;
        timer.start();
        if (step == u"open")
            device.open();
        else if (step == u"close")
            device.close();
        else if (step == u"ready")
            QVERIFY(QTest::qWaitFor([] { return !voices().isEmpty() && allReady(); }));
        else if (step == u"no-module")
            SetAppPathForTesting(u"/nonexistent"_s);
        else
            device.play(QDir(QStringLiteral(TESSELO_CUE_DIR)).filePath(step.mid(5)));
        // The launcher calls the device from its handlers: every call comes back at once, and
        // a cue is not even loaded inside the call.
        QVERIFY2(step == u"ready" || timer.elapsed() < 50, qPrintable(step));
        QVERIFY2(step == u"close" || step == u"ready" || voices() == before, qPrintable(step));
    }
    QCoreApplication::processEvents();
}

} // namespace

class QtSoundDeviceTest : public QObject {
    Q_OBJECT
private slots:
    // The backend module is found beside the program.
    void init() {
        SetAppPathForTesting(QStringLiteral(TESSELO_PROGRAM_DIR));
        QVERIFY(voices().isEmpty());
    }
    void cleanupTestCase() { SetAppPathForTesting({}); }

    // Includes the calls out of the usual open-play-close order that the close-after-launch
    // wait allows.
    void playsThroughOneVoicePerFile_data() {
        QTest::addColumn<QString>("steps");
        QTest::addColumn<QString>("voicesLeft");
        for (const char* cue :
             {"RUN_Kidou.wav", "EXE_KIDOU.wav", "Button_Kouka.wav", "Vasion_Hyouji.wav"})
            QTest::newRow(cue) << u"open,play "_s + QLatin1String(cue) << QString::fromLatin1(cue);
        const auto row = [](const char* name, const char* steps, const char* left) {
            QTest::newRow(name) << QString::fromLatin1(steps) << QString::fromLatin1(left);
        };
        row("play after close", "open,close,play EXE_KIDOU.wav", "");
        row("play before open", "play EXE_KIDOU.wav", "");
        row("close twice, before the cue started", "open,play EXE_KIDOU.wav,close,close", "");
        row("close unopened", "close", "");
        row("opened again", "open,close,open,play EXE_KIDOU.wav", "EXE_KIDOU.wav");
        row("opened twice", "open,open,play EXE_KIDOU.wav,play EXE_KIDOU.wav", "EXE_KIDOU.wav");
        row("a repeated cue reuses its voice", "open,play EXE_KIDOU.wav,ready,play EXE_KIDOU.wav",
            "EXE_KIDOU.wav");
        row("cues in one turn collapse into the last",
            "open,play RUN_Kidou.wav,play Vasion_Hyouji.wav", "Vasion_Hyouji.wav");
        row("no backend module", "no-module,open,play RUN_Kidou.wav", "");
    }
    void playsThroughOneVoicePerFile() {
        QFETCH(QString, steps);
        QFETCH(QString, voicesLeft);
        QtSoundDevice device;
        run(device, steps);
        QCOMPARE(voiceFiles(), voicesLeft);
        QTRY_VERIFY(allReady());
        device.close();
        QVERIFY(voices().isEmpty());
    }

    // Files that QSoundEffect would choke on: an empty or cut-off file keeps its loader waiting
    // for ever, and every QSoundEffect destroyed from then on blocks the program.
    void unplayableFilesAreQuietlyIgnored_data() {
        QTest::addColumn<QByteArray>("content"); // null: no file at all
        QFile cue(QStringLiteral(TESSELO_CUE_DIR "/RUN_Kidou.wav"));
        QVERIFY(cue.open(QIODevice::ReadOnly));
        const QByteArray wave = cue.readAll();
        QTest::newRow("missing") << QByteArray();
        QTest::newRow("empty") << QByteArray("");
        QTest::newRow("cut in the header") << wave.left(30);
        QTest::newRow("data cut short") << wave.left(wave.size() / 2);
    }
    void unplayableFilesAreQuietlyIgnored() {
        QFETCH(QByteArray, content);
        QTemporaryDir dir;
        QFile file(dir.filePath(u"Broken.wav"_s));
        QVERIFY(content.isNull() || (file.open(QIODevice::WriteOnly) && file.write(content) >= 0));
        file.close();
        QtSoundDevice device;
        run(device, u"open,play "_s + file.fileName());
        QCOMPARE(voiceFiles(), QString());
        // A broken cue spoils neither the next one nor the closing.
        run(device, u"play Button_Kouka.wav,ready,close"_s);
    }
};

QTEST_MAIN(QtSoundDeviceTest)
#include "tst_QtSoundDevice.moc"
