// Start-up, right click and shutdown of the launcher window, seen through its controls, the
// recorded sound device and message boxes, and the bytes of the data files.

#include "TestSeams.h"
#include "common/Module1.h"
#include "launcher/Main.h"

#include <QFile>
#include <QMenu>
#include <QSignalSpy>
#include <QTest>

namespace {
const QString StartupFailure = QStringLiteral("画像読込に失敗");

// Which slots hold what in the start-up scenarios.
enum SlotSetup { NoSlotFile, FiveSlots, PictureMissingInSlot3, EmptySlotFile };
enum OptionsSetup { OptionsOnOff, OptionsOffOn, OptionsMissing, OptionsDamaged, OptionsFive };
} // namespace

class TestMainStartup : public QObject {
    Q_OBJECT

private slots:
    void init() { Module1::Reset(); }
    void cleanup() { QVERIFY(QApplication::topLevelWidgets().isEmpty()); }

    void startup_data();
    void startup();
    void startupWithoutDataDirectory();
    void rightClick_data();
    void rightClick();
    void shutdownSaves_data();
    void shutdownSaves();

private:
    static void prepare(TempAppDir& dir, SlotSetup slotSetup, OptionsSetup options);
};

void TestMainStartup::prepare(TempAppDir& dir, SlotSetup slotSetup, OptionsSetup options) {
    if (slotSetup != NoSlotFile) {
        QByteArray file;
        if (slotSetup != EmptySlotFile) {
            for (int i = 1; i <= 5; ++i) {
                const QString picture = dir.dataPath(QStringLiteral("pic%1.png").arg(i));
                if (!(slotSetup == PictureMissingInSlot3 && i == 3))
                    WritePicture(picture, "png");
                // "スロット" in code page 932, then the slot number.
                file += RecordBytes(QByteArray::fromHex("8358838d83628367") + QByteArray::number(i),
                                    "/usr/bin/prog" + QByteArray::number(i), picture.toUtf8());
            }
        }
        dir.writeData(QStringLiteral("SetUp.FIL"), file);
    }
    switch (options) {
    case OptionsOnOff:
        dir.writeData(QStringLiteral("DataBase.FIL"), "-1,0\r\n");
        break;
    case OptionsOffOn:
        dir.writeData(QStringLiteral("DataBase.FIL"), "0,-1\r\n");
        break;
    case OptionsMissing:
        break;
    case OptionsDamaged:
        dir.writeData(QStringLiteral("DataBase.FIL"), "True,False\r\n");
        break;
    case OptionsFive:
        dir.writeData(QStringLiteral("DataBase.FIL"), "0,5\r\n");
        break;
    }
}

void TestMainStartup::startup_data() {
    QTest::addColumn<int>("slotSetup");
    QTest::addColumn<int>("options");
    QTest::addColumn<int>("slotsShown");     // slots with name, picture and program
    QTest::addColumn<bool>("slot3NameOnly"); // slot 3 shows its name but nothing else
    QTest::addColumn<bool>("failureShown");
    QTest::addColumn<bool>("softCloseMark");
    QTest::addColumn<bool>("soundMark");
    QTest::addColumn<QStringList>("soundCalls");

    const QStringList startupCue = {QStringLiteral("open"), QStringLiteral("play RUN_Kidou.wav")};
    const QStringList openOnly = {QStringLiteral("open")};

    QTest::newRow("first run: no slot file") << int(NoSlotFile) << int(OptionsOffOn) << 0 << false
                                             << false << false << true << startupCue;
    QTest::newRow("five slots, sound on") << int(FiveSlots) << int(OptionsOffOn) << 5 << false
                                          << false << false << true << startupCue;
    QTest::newRow("five slots, sound off")
        << int(FiveSlots) << int(OptionsOnOff) << 5 << false << false << true << false << openOnly;
    QTest::newRow("picture of slot 3 missing") << int(PictureMissingInSlot3) << int(OptionsOnOff)
                                               << 2 << true << true << true << true << openOnly;
    QTest::newRow("options file missing")
        << int(FiveSlots) << int(OptionsMissing) << 5 << false << true << true << true << openOnly;
    QTest::newRow("options file damaged")
        << int(FiveSlots) << int(OptionsDamaged) << 5 << false << true << true << true << openOnly;
    QTest::newRow("sound value 5 keeps the designed mark")
        << int(FiveSlots) << int(OptionsFive) << 5 << false << false << false << true << startupCue;
}

void TestMainStartup::startup() {
    QFETCH(int, slotSetup);
    QFETCH(int, options);
    QFETCH(int, slotsShown);
    QFETCH(bool, slot3NameOnly);
    QFETCH(bool, failureShown);
    QFETCH(bool, softCloseMark);
    QFETCH(bool, soundMark);
    QFETCH(QStringList, soundCalls);

    TempAppDir dir;
    prepare(dir, SlotSetup(slotSetup), OptionsSetup(options));

    TestRig rig;
    Main main(rig.seams());

    QCOMPARE(rig.messages.texts(), failureShown ? QStringList{StartupFailure} : QStringList{});
    if (failureShown) {
        QCOMPARE(rig.messages.shown.first().icon, MessageIcon::Error);
        QCOMPARE(rig.messages.shown.first().title, QStringLiteral("TESSELO"));
    }
    for (int i = 1; i <= 5; ++i) {
        const bool shown = i <= slotsShown;
        const bool nameOnly = slot3NameOnly && i == 3;
        const QString name = QStringLiteral("スロット%1").arg(i);
        QCOMPARE(main.P_Name_L[i]->text(), shown || nameOnly ? name : QString());
        QCOMPARE(main.Load_Image[i]->hasPicture(), shown);
        QCOMPARE(Module1::ProgramPaths[i],
                 shown ? QStringLiteral("/usr/bin/prog%1").arg(i) : QString());
    }
    QCOMPARE(main.Soft_Close_On_Off->isChecked(), softCloseMark);
    QCOMPARE(main.Koukaon_On_Off->isChecked(), soundMark);
    QCOMPARE(rig.sound.calls, soundCalls);
    if (slotSetup == NoSlotFile) {
        QVERIFY(dir.dataExists(QStringLiteral("SetUp.FIL")));
        QCOMPARE(dir.readData(QStringLiteral("SetUp.FIL")).size(), 0);
    }
}

void TestMainStartup::startupWithoutDataDirectory() {
    TempAppDir dir(false);
    TestRig rig;
    Main main(rig.seams());
    QCOMPARE(rig.messages.texts(), QStringList{StartupFailure});
    QVERIFY(main.Soft_Close_On_Off->isChecked());
    QVERIFY(main.Koukaon_On_Off->isChecked());
    // The sound device was opened first and keeps working after the failure.
    main.cues().PlaySoundCue(SoundCue::ButtonCue);
    QCOMPARE(rig.sound.calls, (QStringList{"open", "play Button_Kouka.wav"}));
    main.close();
    // Nothing was loaded and nothing toggled: the shutdown leaves the disk alone.
    QVERIFY(!dir.dataExists(QStringLiteral("DataBase.FIL")));
}

void TestMainStartup::rightClick_data() {
    QTest::addColumn<Qt::MouseButton>("button");
    QTest::addColumn<QString>("target"); // object name of the child clicked, or empty
    QTest::addColumn<bool>("menuOpens");

    QTest::newRow("right on background") << Qt::RightButton << QString() << true;
    QTest::newRow("left on background") << Qt::LeftButton << QString() << false;
    QTest::newRow("middle on background") << Qt::MiddleButton << QString() << false;
    QTest::newRow("right on a picture")
        << Qt::RightButton << QStringLiteral("Load_Image_2") << false;
    QTest::newRow("right on a name") << Qt::RightButton << QStringLiteral("P_Name_L_4") << false;
    QTest::newRow("right on a button") << Qt::RightButton << QStringLiteral("Run_B_1") << false;
    QTest::newRow("right on the heading") << Qt::RightButton << QStringLiteral("Label1") << false;
    QTest::newRow("right on a line") << Qt::RightButton << QStringLiteral("Line1_3") << true;
}

void TestMainStartup::rightClick() {
    QFETCH(Qt::MouseButton, button);
    QFETCH(QString, target);
    QFETCH(bool, menuOpens);

    TempAppDir dir;
    dir.writeData(QStringLiteral("DataBase.FIL"), "0,-1\r\n");
    TestRig rig;
    Main main(rig.seams());
    main.show();
    QVERIFY(QTest::qWaitForWindowExposed(&main));

    QWidget* receiver = &main;
    QPoint at(8, 470); // bottom left corner: no control there
    if (!target.isEmpty()) {
        receiver = main.findChild<QWidget*>(target);
        QVERIFY(receiver);
        at = receiver->rect().center();
        if (receiver->testAttribute(Qt::WA_TransparentForMouseEvents)) {
            // A line takes no clicks: click the window where the line lies.
            // Its left part lies under the slot's button; click where it shows.
            at = QPoint(receiver->geometry().right() - 4, receiver->geometry().top());
            receiver = &main;
        }
    }
    QTest::mousePress(receiver, button, {}, at);
    QTest::mouseRelease(receiver, button, {}, at);
    QCOMPARE(main.File->isVisible(), menuOpens);
    main.File->close();
    main.close();
}

void TestMainStartup::shutdownSaves_data() {
    QTest::addColumn<QByteArray>("optionsBefore"); // empty: no file
    QTest::addColumn<bool>("withDataDir");
    QTest::addColumn<QByteArray>("optionsAfter"); // empty: no file
    QTest::addColumn<QStringList>("soundCalls");

    const QStringList cueAndClose = {"open", "play RUN_Kidou.wav", "close"};
    const QStringList noCueAndClose = {"open", "close"};
    QTest::newRow("unchanged options are written again")
        << QByteArray("0,-1\r\n") << true << QByteArray("0,-1\r\n") << cueAndClose;
    QTest::newRow("extra values are dropped")
        << QByteArray("-1,-1,3,4,5,6\r\n") << true << QByteArray("-1,-1\r\n") << cueAndClose;
    QTest::newRow("two lines become one")
        << QByteArray("-1\r\n0\r\n") << true << QByteArray("-1,0\r\n") << noCueAndClose;
    QTest::newRow("a missing file is mended with what the menu showed")
        << QByteArray() << true << QByteArray("-1,-1\r\n") << noCueAndClose;
    QTest::newRow("a damaged file is mended with what the menu showed")
        << QByteArray("yes,no\r\n") << true << QByteArray("-1,-1\r\n") << noCueAndClose;
}

void TestMainStartup::shutdownSaves() {
    QFETCH(QByteArray, optionsBefore);
    QFETCH(bool, withDataDir);
    QFETCH(QByteArray, optionsAfter);
    QFETCH(QStringList, soundCalls);

    TempAppDir dir(withDataDir);
    if (!optionsBefore.isEmpty())
        dir.writeData(QStringLiteral("DataBase.FIL"), optionsBefore);
    TestRig rig;
    {
        Main main(rig.seams());
        main.show();
        QVERIFY(main.close());
        QVERIFY(!main.slotFile().isOpen());
    }
    QCOMPARE(dir.readData(QStringLiteral("DataBase.FIL")), optionsAfter);
    QCOMPARE(rig.sound.calls, soundCalls);
}

QTEST_MAIN(TestMainStartup)
#include "tst_main_startup.moc"
