#include "common/AppPath.h"
#include "sound/CuePlayer.h"

#include <QStringList>
#include <QTest>

namespace {
// Keeps the full path of every play, which the shared recorder shortens to a file name.
class PathRecordingDevice final : public SoundDevice {
public:
    void open() override { calls << QStringLiteral("open"); }
    void play(const QString& waveFile) override { calls << QStringLiteral("play ") + waveFile; }
    void close() override { calls << QStringLiteral("close"); }
    QStringList calls;
};
} // namespace

class CuePlayerTest : public QObject {
    Q_OBJECT
private slots:
    void init() { SetAppPathForTesting(QStringLiteral("/opt/Tesselo")); }
    void cleanup() { SetAppPathForTesting({}); }

    void playsTheCueFileBelowAppPath_data() {
        QTest::addColumn<SoundCue>("cue");
        QTest::addColumn<QString>("path");
        QTest::newRow("start-up") << SoundCue::StartupCue
                                  << QStringLiteral("/opt/Tesselo/Data/Sound/RUN_Kidou.wav");
        QTest::newRow("launch") << SoundCue::LaunchCue
                                << QStringLiteral("/opt/Tesselo/Data/Sound/EXE_KIDOU.wav");
        QTest::newRow("button") << SoundCue::ButtonCue
                                << QStringLiteral("/opt/Tesselo/Data/Sound/Button_Kouka.wav");
        QTest::newRow("version") << SoundCue::VersionCue
                                 << QStringLiteral("/opt/Tesselo/Data/Sound/Vasion_Hyouji.wav");
    }
    void playsTheCueFileBelowAppPath() {
        QFETCH(SoundCue, cue);
        QFETCH(QString, path);
        PathRecordingDevice device;
        CuePlayer player(device, [] { return true; });
        player.PlaySoundCue(cue);
        QCOMPARE(device.calls, QStringList{QStringLiteral("play ") + path});
    }

    void gateIsReadAtEachCue() {
        PathRecordingDevice device;
        bool checked = false;
        CuePlayer player(device, [&] { return checked; });

        player.OpenSoundDevice();
        player.PlaySoundCue(SoundCue::StartupCue);
        checked = true;
        player.PlaySoundCue(SoundCue::ButtonCue);
        checked = false;
        player.PlaySoundCue(SoundCue::LaunchCue);
        player.PlaySoundCue(SoundCue::VersionCue);
        player.CloseSoundDevice();

        // Unchecked cues never reach the device; opening and closing happen regardless.
        QCOMPARE(device.calls,
                 (QStringList{QStringLiteral("open"),
                              QStringLiteral("play /opt/Tesselo/Data/Sound/Button_Kouka.wav"),
                              QStringLiteral("close")}));
    }

    void missingGateMeansSilence() {
        PathRecordingDevice device;
        CuePlayer player(device, {});
        player.PlaySoundCue(SoundCue::StartupCue);
        QVERIFY(device.calls.isEmpty());
    }
};

QTEST_GUILESS_MAIN(CuePlayerTest)
#include "tst_CuePlayer.moc"
