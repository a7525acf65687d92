#include "common/AppPath.h"
#include "sound/QtSoundDevice.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QSoundEffect>
#include <QTemporaryDir>
#include <QTest>
#include <QWidget>
#include <QWindow>
#include <functional>

using namespace Qt::StringLiterals;

namespace {

const QString CueDir = QStringLiteral(TESSELO_CUE_DIR);

QList<QSoundEffect*> voices() {
    return qApp->findChildren<QSoundEffect*>();
}

QSoundEffect* voiceFor(const QString& waveFile) {
    for (QSoundEffect* voice : voices())
        if (voice->source() == QUrl::fromLocalFile(waveFile))
            return voice;
    return nullptr;
}

// The launcher calls the device from its handlers: every call must come back at once.
void returnsPromptly(const char* what, const std::function<void()>& call) {
    QElapsedTimer timer;
    timer.start();
    call();
    const qint64 ms = timer.elapsed();
    QVERIFY2(ms < 50, qPrintable(QStringLiteral("%1 took %2 ms").arg(QLatin1String(what)).arg(ms)));
}

QByteArray readAll(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// Notes how many voices there were when the window was first drawn.
class ExposeWatch : public QObject {
public:
    int voicesAtFirstExpose = -1;

protected:
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::Expose && voicesAtFirstExpose < 0)
            voicesAtFirstExpose = int(voices().size());
        return false;
    }
};

// Runs the queued work of the device: the requests posted so far are served in this turn.
void runOneTurn() {
    QCoreApplication::processEvents();
}

} // namespace

class QtSoundDeviceTest : public QObject {
    Q_OBJECT
private slots:
    // The backend module is found beside the program.
    void initTestCase() { SetAppPathForTesting(QStringLiteral(TESSELO_PROGRAM_DIR)); }
    void cleanupTestCase() { SetAppPathForTesting({}); }
    void init() { QVERIFY(voices().isEmpty()); }

    void playsEachGeneratedCue_data() {
        QTest::addColumn<QString>("file");
        for (const char* name :
             {"RUN_Kidou.wav", "EXE_KIDOU.wav", "Button_Kouka.wav", "Vasion_Hyouji.wav"})
            QTest::newRow(name) << CueDir + QLatin1Char('/') + QLatin1String(name);
    }
    void playsEachGeneratedCue() {
        QFETCH(QString, file);
        QtSoundDevice device;
        returnsPromptly("open", [&] { device.open(); });
        returnsPromptly("play", [&] { device.play(file); });
        // Nothing is loaded inside the call; the event loop does it.
        QVERIFY(voices().isEmpty());
        QTRY_VERIFY(voiceFor(file));
        // Ready also without an audio output: the file itself was understood.
        QTRY_COMPARE(voiceFor(file)->status(), QSoundEffect::Ready);
        returnsPromptly("close", [&] { device.close(); });
        QVERIFY(voices().isEmpty());
    }

    // Files that QSoundEffect would choke on, some of them for good (see IsPlayableWave).
    void unplayableFilesAreQuietlyIgnored_data() {
        QTest::addColumn<QByteArray>("content"); // null: no file at all
        const QByteArray cue = readAll(CueDir + QStringLiteral("/RUN_Kidou.wav"));
        QTest::newRow("missing") << QByteArray();
        QTest::newRow("empty") << QByteArray("");
        QTest::newRow("garbage") << QByteArray(3000, '\x5a');
        QTest::newRow("cut in the header") << cue.left(30);
        QTest::newRow("data cut short") << cue.left(cue.size() / 2);
    }
    void unplayableFilesAreQuietlyIgnored() {
        QFETCH(QByteArray, content);
        QTemporaryDir dir;
        const QString file = dir.filePath(QStringLiteral("Broken.wav"));
        if (!content.isNull()) {
            QFile out(file);
            QVERIFY(out.open(QIODevice::WriteOnly));
            out.write(content);
        }

        QtSoundDevice device;
        device.open();
        returnsPromptly("play", [&] { device.play(file); });
        runOneTurn();
        QVERIFY(!voiceFor(file));
        // A broken cue does not spoil the next one, nor the closing.
        const QString good = CueDir + QStringLiteral("/Button_Kouka.wav");
        returnsPromptly("play after a broken one", [&] { device.play(good); });
        QTRY_VERIFY(voiceFor(good));
        QTRY_COMPARE(voiceFor(good)->status(), QSoundEffect::Ready);
        returnsPromptly("close", [&] { device.close(); });
    }

    // Calls out of the usual open-play-close order, as the close-after-launch wait allows.
    void callsOutOfOrderReturnAndStaySilent_data() {
        QTest::addColumn<QStringList>("calls");
        QTest::addColumn<int>("voicesLeft");
        QTest::newRow("play after close") << QStringList{u"open"_s, u"close"_s, u"play"_s} << 0;
        QTest::newRow("play before open") << QStringList{u"play"_s} << 0;
        QTest::newRow("close twice")
            << QStringList{u"open"_s, u"play"_s, u"close"_s, u"close"_s} << 0;
        QTest::newRow("close unopened") << QStringList{u"close"_s} << 0;
        QTest::newRow("close before the cue started")
            << QStringList{u"open"_s, u"play"_s, u"close"_s} << 0;
        QTest::newRow("opened again")
            << QStringList{u"open"_s, u"close"_s, u"open"_s, u"play"_s} << 1;
        QTest::newRow("opened twice")
            << QStringList{u"open"_s, u"open"_s, u"play"_s, u"play"_s} << 1;
    }
    void callsOutOfOrderReturnAndStaySilent() {
        QFETCH(QStringList, calls);
        QFETCH(int, voicesLeft);
        const QString file = CueDir + QStringLiteral("/EXE_KIDOU.wav");
        QtSoundDevice device;
        for (const QString& call : calls) {
            returnsPromptly(qPrintable(call), [&] {
                if (call == QStringLiteral("open"))
                    device.open();
                else if (call == QStringLiteral("play"))
                    device.play(file);
                else
                    device.close();
            });
        }
        runOneTurn();
        QCOMPARE(voices().size(), voicesLeft);
    }

    void repeatedCueReusesItsVoice() {
        const QString file = CueDir + QStringLiteral("/Button_Kouka.wav");
        QtSoundDevice device;
        device.open();
        device.play(file);
        QTRY_VERIFY(voiceFor(file));
        QSoundEffect* first = voiceFor(file);
        QTRY_COMPARE(first->status(), QSoundEffect::Ready);
        device.play(file);
        runOneTurn();
        QCOMPARE(voices(), QList<QSoundEffect*>{first});
        QCOMPARE(first->status(), QSoundEffect::Ready);
    }

    void cuesInOneTurnCollapseIntoTheLast() {
        QtSoundDevice device;
        device.open();
        device.play(CueDir + QStringLiteral("/RUN_Kidou.wav"));
        device.play(CueDir + QStringLiteral("/Vasion_Hyouji.wav"));
        runOneTurn();
        QCOMPARE(voices().size(), 1);
        QVERIFY(voiceFor(CueDir + QStringLiteral("/Vasion_Hyouji.wav")));
    }

    void missingBackendLeavesCuesSilent() {
        QTemporaryDir elsewhere;
        SetAppPathForTesting(elsewhere.path());
        QtSoundDevice device;
        device.open();
        returnsPromptly("play", [&] { device.play(CueDir + QStringLiteral("/RUN_Kidou.wav")); });
        runOneTurn();
        SetAppPathForTesting(QStringLiteral(TESSELO_PROGRAM_DIR));
        QVERIFY(voices().isEmpty());
        returnsPromptly("close", [&] { device.close(); });
    }

    // Reaching the audio system the first time takes longer than drawing the window.
    void firstCueWaitsForTheWindowBeingShown() {
        QWidget window;
        window.resize(120, 80);
        window.winId(); // makes the native window, to watch it before it is shown
        ExposeWatch watch;
        window.windowHandle()->installEventFilter(&watch);

        QtSoundDevice device;
        device.open();
        device.play(CueDir + QStringLiteral("/RUN_Kidou.wav"));
        window.show();
        QTRY_COMPARE(voices().size(), 1);
        QCOMPARE(watch.voicesAtFirstExpose, 0);
        QTRY_COMPARE(voices().front()->status(), QSoundEffect::Ready);
    }
};

QTEST_MAIN(QtSoundDeviceTest)
#include "tst_QtSoundDevice.moc"
