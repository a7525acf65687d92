// A slot's "Program RUN" button: the collapse of its picture, the start of its program, the
// start error, and the way out after a launch with close-after-launch on.

#include "LauncherData.h"
#include "common/Module1.h"
#include "launcher/Main.h"

#include <QTest>

namespace {
const QString LaunchFailure = QStringLiteral("起動エラー");
const QStringList Programs = {"/opt/one", "", "/opt/three", "/opt/four", "/opt/five"};

// Twips geometry of a picture: left, top, width, height.
using Geometry = QList<int>;

Geometry geometryOf(const PictureBox& picture) {
    return {picture.twipsLeft(), picture.twipsTop(), picture.twipsWidth(), picture.twipsHeight()};
}

// Records the picture's geometry each time it is painted.
class PaintRecorder : public QObject {
public:
    explicit PaintRecorder(PictureBox* picture) : picture_(picture) {
        picture->installEventFilter(this);
    }
    QList<Geometry> painted;

protected:
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::Paint)
            painted << geometryOf(*picture_);
        return false;
    }

private:
    PictureBox* picture_;
};
} // namespace

class TestMainLaunch : public QObject {
    Q_OBJECT

private slots:
    void init() { Module1::Reset(); }
    void cleanup() { QVERIFY(QApplication::topLevelWidgets().isEmpty()); }

    void collapse_data();
    void collapse();
    void secondLaunchSkipsTheAnimation();
    void emptySlotDoesNothing();
    void startFailure_data();
    void startFailure();
    void staysOpenWithCloseAfterLaunchOff();
    void closeAfterLaunch();
    void waitsForTheSecondAfterNext_data();
    void waitsForTheSecondAfterNext();
    void inputDuringTheWaitIsIgnored();
    void failedSaveOnTheWayOutIsReported();
};

void TestMainLaunch::collapse_data() {
    QTest::addColumn<int>("slot");
    QTest::addColumn<int>("paint"); // index of the paint looked at; -1: after the click
    QTest::addColumn<Geometry>("geometry");

    // Slot 1's picture starts at 3480, 720, 960 x 960; slot 5's 5280 twips further down.
    QTest::newRow("first step") << 1 << 0 << Geometry{3480, 724, 960, 951};
    QTest::newRow("shrunk to 51 high") << 1 << 100 << Geometry{3480, 1124, 960, 51};
    QTest::newRow("first sideways step") << 1 << 101 << Geometry{3485, 1124, 951, 51};
    QTest::newRow("shrunk to 51 wide") << 1 << 201 << Geometry{3985, 1124, 51, 51};
    QTest::newRow("out of sight") << 1 << -1 << Geometry{5000, 1124, 51, 51};
    QTest::newRow("slot 5 shrunk to 51 high") << 5 << 100 << Geometry{3480, 6404, 960, 51};
    QTest::newRow("slot 5 out of sight") << 5 << -1 << Geometry{5000, 6404, 51, 51};
}

void TestMainLaunch::collapse() {
    QFETCH(int, slot);
    QFETCH(int, paint);
    QFETCH(Geometry, geometry);

    TempAppDir dir;
    WriteLauncherData(dir, Programs, "0,-1\r\n");
    TestRig rig;
    Main main(rig.seams());
    main.show();
    QVERIFY(QTest::qWaitForWindowExposed(&main));
    PaintRecorder recorder(main.Load_Image[slot]);

    main.Run_B_Click(slot);

    // Every step of both loops is painted before the click returns.
    QCOMPARE(recorder.painted.size(), 202);
    QCOMPARE(paint < 0 ? geometryOf(*main.Load_Image[slot]) : recorder.painted[paint], geometry);
    QCOMPARE(rig.processes.started, QStringList{Programs[slot - 1]});
    QCOMPARE(rig.sound.plays(), (QStringList{"RUN_Kidou.wav", "EXE_KIDOU.wav"}));
    QVERIFY(!main.Load_Image[slot]->geometry().intersects(main.rect()));
}

void TestMainLaunch::secondLaunchSkipsTheAnimation() {
    TempAppDir dir;
    WriteLauncherData(dir, Programs, "0,0\r\n");
    TestRig rig;
    Main main(rig.seams());
    main.show();
    QVERIFY(QTest::qWaitForWindowExposed(&main));
    main.Run_B_Click(3);
    const Geometry collapsed = geometryOf(*main.Load_Image[3]);
    PaintRecorder recorder(main.Load_Image[3]);

    QTest::mouseClick(main.Run_B[3], Qt::LeftButton);

    QCOMPARE(recorder.painted.size(), 0);
    QCOMPARE(geometryOf(*main.Load_Image[3]), collapsed);
    QCOMPARE(rig.processes.started, (QStringList{"/opt/three", "/opt/three"}));
}

void TestMainLaunch::emptySlotDoesNothing() {
    TempAppDir dir;
    WriteLauncherData(dir, Programs, "-1,-1\r\n");
    TestRig rig;
    Main main(rig.seams());
    rig.sound.calls.clear();

    main.Run_B_Click(2);

    QCOMPARE(rig.sound.calls, QStringList());
    QCOMPARE(rig.processes.started, QStringList());
    QCOMPARE(geometryOf(*main.Load_Image[2]), (Geometry{3480, 2040, 960, 960}));
    QCOMPARE(rig.messages.texts(), QStringList());
    QCOMPARE(rig.endCalls, 0);
}

void TestMainLaunch::startFailure_data() {
    QTest::addColumn<QByteArray>("options");
    QTest::newRow("close-after-launch off") << QByteArray("0,-1\r\n");
    QTest::newRow("close-after-launch on") << QByteArray("-1,-1\r\n");
}

void TestMainLaunch::startFailure() {
    QFETCH(QByteArray, options);

    TempAppDir dir;
    WriteLauncherData(dir, Programs, options);
    TestRig rig;
    rig.processes.failing << QStringLiteral("/opt/four");
    Main main(rig.seams());
    const qint16 softCloseBefore = Module1::SoftClose;

    main.Run_B_Click(4);

    QCOMPARE(rig.messages.texts(), QStringList{LaunchFailure});
    QCOMPARE(rig.messages.shown.first().icon, MessageIcon::Error);
    QCOMPARE(main.Load_Image[4]->twipsLeft(), 5000);
    QCOMPARE(rig.endCalls, 0);
    QCOMPARE(rig.clock.waits, 0);
    QVERIFY(main.slotFile().isOpen());
    QVERIFY(!rig.sound.calls.contains(QStringLiteral("close")));
    QCOMPARE(Module1::SoftClose, softCloseBefore);
    QCOMPARE(dir.readData(QStringLiteral("DataBase.FIL")), options);
}

void TestMainLaunch::staysOpenWithCloseAfterLaunchOff() {
    TempAppDir dir;
    WriteLauncherData(dir, Programs, "-1,-1\r\n");
    TestRig rig;
    Main main(rig.seams());
    // Unchecked in this run only: the launch takes the check mark, not the loaded value.
    main.Soft_Close_On_Off->setChecked(false);

    main.Run_B_Click(1);

    QCOMPARE(Module1::SoftClose, Module1::False);
    QCOMPARE(rig.endCalls, 0);
    QCOMPARE(rig.clock.waits, 0);
    QVERIFY(main.slotFile().isOpen());
    QCOMPARE(dir.readData(QStringLiteral("DataBase.FIL")), QByteArray("-1,-1\r\n"));
}

void TestMainLaunch::closeAfterLaunch() {
    TempAppDir dir;
    WriteLauncherData(dir, Programs, "-1,-1\r\n");
    TestRig rig;
    Main main(rig.seams());
    main.show();
    // Whatever the file holds now is replaced on the way out.
    dir.writeData(QStringLiteral("DataBase.FIL"), "stale");
    QStringList seenAtFirstWait;
    rig.clock.onWait = [&] {
        if (rig.clock.waits > 1)
            return;
        seenAtFirstWait = rig.sound.calls;
        QVERIFY(!main.slotFile().isOpen());
        QCOMPARE(dir.readData(QStringLiteral("DataBase.FIL")), QByteArray("-1,-1\r\n"));
        QCOMPARE(rig.endCalls, 0);
    };
    rig.clock.second = 10;

    main.Run_B_Click(5);

    QCOMPARE(rig.processes.started, QStringList{"/opt/five"});
    QCOMPARE(seenAtFirstWait,
             (QStringList{"open", "play RUN_Kidou.wav", "play EXE_KIDOU.wav", "close"}));
    QCOMPARE(rig.endCalls, 1);
    QCOMPARE(rig.messages.texts(), QStringList());

    // The window's own shutdown does not run afterwards.
    dir.writeData(QStringLiteral("DataBase.FIL"), "after");
    main.close();
    QCOMPARE(dir.readData(QStringLiteral("DataBase.FIL")), QByteArray("after"));
    QCOMPARE(rig.sound.calls.count(QStringLiteral("close")), 1);
}

void TestMainLaunch::waitsForTheSecondAfterNext_data() {
    QTest::addColumn<int>("start");
    QTest::addColumn<int>("step");       // seconds the clock moves on per wait
    QTest::addColumn<int>("stillWaits"); // waits during which the clock stands still first
    QTest::addColumn<int>("end");
    QTest::addColumn<int>("waits");

    QTest::newRow("from 30") << 30 << 1 << 0 << 32 << 2;
    QTest::newRow("from 0") << 0 << 1 << 0 << 2 << 2;
    QTest::newRow("from 57") << 57 << 1 << 0 << 59 << 2;
    QTest::newRow("from 58 into the next minute") << 58 << 1 << 0 << 0 << 2;
    QTest::newRow("from 59 into the next minute") << 59 << 1 << 0 << 1 << 2;
    QTest::newRow("clock jumps from 30") << 30 << 3 << 0 << 33 << 1;
    QTest::newRow("clock jumps from 58") << 58 << 2 << 0 << 0 << 1;
    QTest::newRow("clock jumps from 59") << 59 << 3 << 0 << 2 << 1;
    QTest::newRow("clock stands still at 30") << 30 << 1 << 3 << 32 << 5;
    QTest::newRow("clock stands still at 58") << 58 << 1 << 3 << 0 << 5;
}

void TestMainLaunch::waitsForTheSecondAfterNext() {
    QFETCH(int, start);
    QFETCH(int, step);
    QFETCH(int, stillWaits);
    QFETCH(int, end);
    QFETCH(int, waits);

    TempAppDir dir;
    WriteLauncherData(dir, Programs, "-1,0\r\n");
    TestRig rig;
    Main main(rig.seams());
    rig.clock.second = start;
    rig.clock.onWait = [&] { rig.clock.step = rig.clock.waits <= stillWaits ? 0 : step; };

    main.Run_B_Click(1);

    QCOMPARE(rig.endCalls, 1);
    QCOMPARE(rig.clock.second, end);
    QCOMPARE(rig.clock.waits, waits);
}

void TestMainLaunch::inputDuringTheWaitIsIgnored() {
    TempAppDir dir;
    WriteLauncherData(dir, Programs, "-1,-1\r\n");
    TestRig rig;
    Main main(rig.seams());
    main.show();
    QVERIFY(QTest::qWaitForWindowExposed(&main));
    QStringList soundBefore;
    rig.clock.onWait = [&] {
        if (rig.clock.waits > 1)
            return;
        soundBefore = rig.sound.calls;
        dir.writeData(QStringLiteral("DataBase.FIL"), "saved");
        main.Run_B_Click(3);
        QTest::mouseClick(main.Run_B[4], Qt::LeftButton);
        main.Soft_Close_On_Off->trigger();
        main.Koukaon_On_Off->trigger();
        main.Format->trigger();
        main.Version->trigger();
        main.Form_MouseDown(Qt::RightButton, main.mapToGlobal(QPoint(8, 470)));
        main.close();
    };

    main.Run_B_Click(1);

    QCOMPARE(rig.processes.started, QStringList{"/opt/one"});
    QCOMPARE(rig.sound.calls, soundBefore);
    QCOMPARE(rig.messages.texts(), QStringList());
    QCOMPARE(rig.modal.opened, QStringList());
    QVERIFY(!main.File->isVisible());
    QVERIFY(main.Soft_Close_On_Off->isChecked());
    QVERIFY(main.Koukaon_On_Off->isChecked());
    QCOMPARE(main.Load_Image[3]->twipsLeft(), 3480);
    QCOMPARE(main.P_Name_L[2]->text(), QStringLiteral("slot2"));
    QCOMPARE(dir.readData(QStringLiteral("DataBase.FIL")), QByteArray("saved"));
    QCOMPARE(rig.endCalls, 1);
}

void TestMainLaunch::failedSaveOnTheWayOutIsReported() {
    TempAppDir dir;
    WriteLauncherData(dir, Programs, "-1,0\r\n");
    TestRig rig;
    Main main(rig.seams());
    BlockOptionsFile(dir);

    main.Run_B_Click(1);

    QCOMPARE(rig.messages.shown.size(), 1);
    QCOMPARE(rig.messages.shown.first().icon, MessageIcon::Error);
    const QString text = rig.messages.shown.first().text;
    QVERIFY2(text.startsWith(QStringLiteral("設定を保存できませんでした。\n")), qPrintable(text));
    QVERIFY2(text.contains(QStringLiteral("DataBase.FIL")), qPrintable(text));
    QCOMPARE(rig.endCalls, 1);
    QCOMPARE(rig.sound.calls.count(QStringLiteral("close")), 1);
}

QTEST_MAIN(TestMainLaunch)
#include "tst_main_launch.moc"
