// The pop-up menu's two option toggles and its erase-all command, seen through the check
// marks, the shared options, the cues played and the bytes of the data files.

#include "LauncherData.h"
#include "common/Module1.h"
#include "launcher/Main.h"

#include <QBuffer>
#include <QTest>

namespace {
const QString EraseQuestion = QStringLiteral("すべて消去しますか?");
const QString EraseDone = QStringLiteral("消去完了。");
const QString SaveFailed = QStringLiteral("設定を保存できませんでした。\n");
const QStringList Programs = {"/opt/one", "/opt/two", "/opt/three", "/opt/four", "/opt/five"};

enum Toggle { SoftClose, Sound };

QAction* itemOf(Main& main, int toggle) {
    return toggle == SoftClose ? main.Soft_Close_On_Off : main.Koukaon_On_Off;
}

qint16 valueOf(int toggle) {
    return toggle == SoftClose ? Module1::SoftClose : Module1::SoundEffects;
}

// A slot file in memory whose writes fail from a given offset on.
class FailingBuffer : public QBuffer {
public:
    FailingBuffer(const QByteArray& bytes, qint64 failFrom) : failFrom_(failFrom) {
        setData(bytes);
    }

protected:
    qint64 writeData(const char* data, qint64 length) override {
        if (pos() >= failFrom_) {
            setErrorString(QStringLiteral("disk full"));
            return -1;
        }
        return QBuffer::writeData(data, length);
    }

private:
    qint64 failFrom_;
};

QByteArray erasedRecord() {
    return RecordBytes("Name", "", "");
}
} // namespace

class TestMainMenu : public QObject {
    Q_OBJECT

private slots:
    void init() { Module1::Reset(); }
    void cleanup() { QVERIFY(QApplication::topLevelWidgets().isEmpty()); }

    void toggles_data();
    void toggles();
    void failedToggleIsUndone_data();
    void failedToggleIsUndone();
    void eraseAll();
    void eraseAllTwice();
    void eraseAllAnsweredNo();
    void eraseStopsAtAFailedWrite();
};

void TestMainMenu::toggles_data() {
    QTest::addColumn<QByteArray>("before");
    QTest::addColumn<QList<int>>("clicks");
    QTest::addColumn<QByteArray>("after");
    QTest::addColumn<QStringList>("cues");

    const QStringList button = {QStringLiteral("Button_Kouka.wav")};
    QTest::newRow("close-after-launch on, with sound")
        << QByteArray("0,-1\r\n") << QList<int>{SoftClose} << QByteArray("-1,-1\r\n") << button;
    QTest::newRow("close-after-launch off, silent")
        << QByteArray("-1,0\r\n") << QList<int>{SoftClose} << QByteArray("0,0\r\n")
        << QStringList();
    QTest::newRow("close-after-launch twice")
        << QByteArray("0,-1\r\n") << QList<int>{SoftClose, SoftClose} << QByteArray("0,-1\r\n")
        << button + button;
    QTest::newRow("sound switched on is heard")
        << QByteArray("0,0\r\n") << QList<int>{Sound} << QByteArray("0,-1\r\n") << button;
    QTest::newRow("sound switched off is silent")
        << QByteArray("-1,-1\r\n") << QList<int>{Sound} << QByteArray("-1,0\r\n") << QStringList();
    QTest::newRow("sound off, then close-after-launch is silent")
        << QByteArray("0,-1\r\n") << QList<int>{Sound, SoftClose} << QByteArray("-1,0\r\n")
        << QStringList();
}

void TestMainMenu::toggles() {
    QFETCH(QByteArray, before);
    QFETCH(QList<int>, clicks);
    QFETCH(QByteArray, after);
    QFETCH(QStringList, cues);

    TempAppDir dir;
    WriteLauncherData(dir, Programs, before);
    TestRig rig;
    Main main(rig.seams());
    rig.sound.calls.clear();

    for (int toggle : clicks)
        itemOf(main, toggle)->trigger();

    QCOMPARE(dir.readData(QStringLiteral("DataBase.FIL")), after);
    QCOMPARE(rig.sound.plays(), cues);
    for (int toggle : {SoftClose, Sound}) {
        // Check mark, shared value and file all agree.
        const bool checked = itemOf(main, toggle)->isChecked();
        QCOMPARE(valueOf(toggle), checked ? Module1::True : Module1::False);
        QCOMPARE(after.split(',').at(toggle).trimmed() == "-1", checked);
    }
    QCOMPARE(rig.messages.texts(), QStringList());
}

void TestMainMenu::failedToggleIsUndone_data() {
    QTest::addColumn<int>("toggle");
    QTest::addColumn<QStringList>("cues");

    // Close-after-launch sounds its cue before it saves; sound effects only after a save.
    QTest::newRow("close-after-launch")
        << int(SoftClose) << QStringList{QStringLiteral("Button_Kouka.wav")};
    QTest::newRow("sound effects") << int(Sound) << QStringList();
}

void TestMainMenu::failedToggleIsUndone() {
    QFETCH(int, toggle);
    QFETCH(QStringList, cues);

    TempAppDir dir;
    WriteLauncherData(dir, Programs, "0,-1\r\n");
    TestRig rig;
    Main main(rig.seams());
    rig.sound.calls.clear();
    const bool checkedBefore = itemOf(main, toggle)->isChecked();
    const qint16 valueBefore = valueOf(toggle);
    BlockOptionsFile(dir);

    itemOf(main, toggle)->trigger();

    QCOMPARE(itemOf(main, toggle)->isChecked(), checkedBefore);
    QCOMPARE(valueOf(toggle), valueBefore);
    QCOMPARE(rig.messages.shown.size(), 1);
    QCOMPARE(rig.messages.shown.first().icon, MessageIcon::Error);
    const QString text = rig.messages.shown.first().text;
    QVERIFY2(text.startsWith(SaveFailed) && text.size() > SaveFailed.size(), qPrintable(text));
    QCOMPARE(rig.sound.plays(), cues);
}

void TestMainMenu::eraseAll() {
    TempAppDir dir;
    WriteLauncherData(dir, Programs, "0,-1\r\n");
    TestRig rig;
    Main main(rig.seams());
    rig.sound.calls.clear();

    main.Format->trigger();

    QCOMPARE(rig.messages.shown.size(), 2);
    QCOMPARE(rig.messages.shown[0].icon, MessageIcon::Question);
    QCOMPARE(rig.messages.shown[0].title, QStringLiteral("TESSELO"));
    QCOMPARE(rig.messages.shown[0].text, EraseQuestion);
    QCOMPARE(rig.messages.shown[1].icon, MessageIcon::Information);
    QCOMPARE(rig.messages.shown[1].title, QStringLiteral("Tesselo"));
    QCOMPARE(rig.messages.shown[1].text, EraseDone);
    QCOMPARE(dir.readData(QStringLiteral("SetUp.FIL")), erasedRecord().repeated(5));
    for (int i = 1; i <= 5; ++i) {
        QCOMPARE(main.P_Name_L[i]->text(), QStringLiteral("Name"));
        QVERIFY(!main.Load_Image[i]->hasPicture());
        QCOMPARE(Module1::ProgramPaths[i], QString());
    }
    QCOMPARE(rig.sound.calls, QStringList());

    // Nothing left to start.
    for (int i = 1; i <= 5; ++i)
        main.Run_B_Click(i);
    QCOMPARE(rig.processes.started, QStringList());
    QCOMPARE(rig.sound.calls, QStringList());
}

void TestMainMenu::eraseAllTwice() {
    TempAppDir dir;
    WriteLauncherData(dir, Programs, "0,-1\r\n");
    TestRig rig;
    Main main(rig.seams());

    main.Format_Click();
    main.Format_Click();

    QCOMPARE(rig.messages.texts(),
             (QStringList{EraseQuestion, EraseDone, EraseQuestion, EraseDone}));
    QCOMPARE(dir.readData(QStringLiteral("SetUp.FIL")), erasedRecord().repeated(5));
}

void TestMainMenu::eraseAllAnsweredNo() {
    TempAppDir dir;
    WriteLauncherData(dir, Programs, "0,-1\r\n");
    const QByteArray slotFile = dir.readData(QStringLiteral("SetUp.FIL"));
    TestRig rig;
    rig.messages.answer = MessageAnswer::No;
    Main main(rig.seams());

    main.Format_Click();

    QCOMPARE(rig.messages.texts(), QStringList{EraseQuestion});
    QCOMPARE(dir.readData(QStringLiteral("SetUp.FIL")), slotFile);
    for (int i = 1; i <= 5; ++i) {
        QCOMPARE(main.P_Name_L[i]->text(), QStringLiteral("slot%1").arg(i));
        QVERIFY(main.Load_Image[i]->hasPicture());
        QCOMPARE(Module1::ProgramPaths[i], Programs[i - 1]);
    }
}

void TestMainMenu::eraseStopsAtAFailedWrite() {
    TempAppDir dir;
    WriteLauncherData(dir, Programs, "0,-1\r\n");
    const QByteArray slotFile = dir.readData(QStringLiteral("SetUp.FIL"));
    TestRig rig;
    Main main(rig.seams());
    // Records 1 and 2 can be written, record 3 cannot.
    auto device = std::make_unique<FailingBuffer>(slotFile, 2 * SlotRecordLength);
    QBuffer* buffer = device.get();
    QVERIFY(main.slotFile().OpenSlotDevice(std::move(device)).ok());

    main.Format_Click();

    QCOMPARE(rig.messages.shown.size(), 2);
    QCOMPARE(rig.messages.shown[1].icon, MessageIcon::Error);
    QVERIFY2(rig.messages.shown[1].text.startsWith(
                 QStringLiteral("スロット 3 を消去できませんでした。")),
             qPrintable(rig.messages.shown[1].text));
    QCOMPARE(buffer->data().left(1000), erasedRecord().repeated(2));
    QCOMPARE(buffer->data().mid(1000), slotFile.mid(1000));
    for (int i = 1; i <= 5; ++i) {
        const bool erased = i <= 2;
        QCOMPARE(main.P_Name_L[i]->text(),
                 erased ? QStringLiteral("Name") : QStringLiteral("slot%1").arg(i));
        QCOMPARE(main.Load_Image[i]->hasPicture(), !erased);
        QCOMPARE(Module1::ProgramPaths[i], erased ? QString() : Programs[i - 1]);
    }
}

QTEST_MAIN(TestMainMenu)
#include "tst_main_menu.moc"
