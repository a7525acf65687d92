// A slot's "Program RUN" button: the collapse of its picture, the start of its program, the
// start error, and the way out after a launch with close-after-launch on.

#include "LauncherData.h"
#include "common/Module1.h"

#include <QTest>

namespace {
const QStringList Programs = {"/opt/one", "", "/opt/three", "/opt/four", "/opt/five"};

// Twips geometry of a picture: left, top, width, height.
using Geometry = QList<int>;
Geometry geometryOf(const PictureBox& p) {
    return {p.twipsLeft(), p.twipsTop(), p.twipsWidth(), p.twipsHeight()};
}

// Records the picture's geometry each time it is painted.
struct PaintRecorder : QObject {
    explicit PaintRecorder(PictureBox* p) : picture(p) { p->installEventFilter(this); }
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::Paint)
            painted << geometryOf(*picture);
        return false;
    }
    PictureBox* picture;
    QList<Geometry> painted;
};
} // namespace

class TestMainLaunch : public QObject {
    Q_OBJECT

private slots:
    void init() { Module1::Reset(); }
    void cleanup() { QVERIFY(QApplication::topLevelWidgets().isEmpty()); }

    void collapse() {
        Launcher l(Programs, "0,-1\r\n");
        l.main.show();
        QVERIFY(QTest::qWaitForWindowExposed(&l.main));
        PaintRecorder recorder(l.main.Load_Image[3]);

        l.main.Run_B_Click(3);

        // Every step of both loops is painted before the click returns.
        QCOMPARE(recorder.painted.size(), 202);
        // Slot 3's picture starts at 3480, 3360, 960 x 960.
        QCOMPARE(recorder.painted[0], (Geometry{3480, 3364, 960, 951}));
        QCOMPARE(recorder.painted[100], (Geometry{3480, 3764, 960, 51}));
        QCOMPARE(recorder.painted[201], (Geometry{3985, 3764, 51, 51}));
        const Geometry hidden{5000, 3764, 51, 51};
        QCOMPARE(geometryOf(*recorder.picture), hidden);
        QVERIFY(!recorder.picture->geometry().intersects(l.main.rect()));
        QCOMPARE(l.rig.sound.plays(), (QStringList{"RUN_Kidou.wav", "EXE_KIDOU.wav"}));

        // A second launch finds the picture 51 high and starts at once.
        recorder.painted.clear();
        QTest::mouseClick(l.main.Run_B[3], Qt::LeftButton);
        QCOMPARE(recorder.painted.size(), 0);
        QCOMPARE(geometryOf(*recorder.picture), hidden);
        QCOMPARE(l.rig.processes.started, QStringList(2, Programs[2]));
    }

    void launcherStaysOpen_data() {
        QTest::addColumn<int>("slot");  // 2 is empty, 4 fails to start
        QTest::addColumn<bool>("mark"); // the close-after-launch check mark at the click
        QTest::newRow("empty slot does nothing") << 2 << true;
        // The launch takes the check mark, not the value loaded.
        QTest::newRow("mark cleared in this run") << 1 << false;
        QTest::newRow("start fails, close-after-launch off") << 4 << false;
        QTest::newRow("start fails, close-after-launch on") << 4 << true;
    }

    void launcherStaysOpen() {
        QFETCH(int, slot);
        QFETCH(bool, mark);
        Launcher l(Programs, "-1,-1\r\n");
        l.rig.processes.failing << QStringLiteral("/opt/four");
        l.main.Soft_Close_On_Off->setChecked(mark);

        l.main.Run_B_Click(slot);

        const bool empty = slot == 2, fails = slot == 4;
        QCOMPARE(BoxesOf(l.rig.messages),
                 fails ? QStringList{QStringLiteral("E TESSELO 起動エラー")} : QStringList());
        QCOMPARE(l.rig.processes.started, empty ? QStringList() : QStringList{Programs[slot - 1]});
        QCOMPARE(l.rig.sound.calls.mid(2),
                 empty ? QStringList() : QStringList{"play EXE_KIDOU.wav"});
        QCOMPARE(l.main.Load_Image[slot]->twipsLeft(), empty ? 3480 : 5000);
        QCOMPARE(Module1::SoftClose, empty || fails ? Module1::True : Module1::False);
        QCOMPARE(l.rig.endCalls + l.rig.clock.waits, 0);
        QVERIFY(l.main.slotFile().isOpen());
        QCOMPARE(l.options(), QByteArray("-1,-1\r\n"));
    }

    void closeAfterLaunch_data() {
        QTest::addColumn<int>("start");
        QTest::addColumn<int>("step");       // seconds the clock moves on per wait
        QTest::addColumn<int>("stillWaits"); // waits during which the clock stands still first
        QTest::addColumn<int>("end");
        QTest::addColumn<int>("waits");
        QTest::newRow("from 30") << 30 << 1 << 0 << 32 << 2;
        QTest::newRow("from 57") << 57 << 1 << 0 << 59 << 2;
        QTest::newRow("from 58 into the next minute") << 58 << 1 << 0 << 0 << 2;
        QTest::newRow("from 59 into the next minute") << 59 << 1 << 0 << 1 << 2;
        QTest::newRow("clock jumps from 30") << 30 << 3 << 0 << 33 << 1;
        QTest::newRow("clock jumps from 58") << 58 << 2 << 0 << 0 << 1;
        QTest::newRow("clock jumps from 59") << 59 << 3 << 0 << 2 << 1;
        QTest::newRow("clock stands still at 30") << 30 << 1 << 3 << 32 << 5;
        QTest::newRow("clock stands still at 58") << 58 << 1 << 3 << 0 << 5;
    }

    void closeAfterLaunch() {
        QFETCH(int, start);
        QFETCH(int, step);
        QFETCH(int, stillWaits);
        Launcher l(Programs, "-1,-1\r\n");
        l.main.show();
        QVERIFY(QTest::qWaitForWindowExposed(&l.main));
        l.dir.writeData(QStringLiteral("DataBase.FIL"), "stale"); // replaced on the way out
        l.rig.clock.second = start;
        QStringList seenAtFirstWait;
        l.rig.clock.onWait = [&] {
            l.rig.clock.step = l.rig.clock.waits <= stillWaits ? 0 : step;
            if (l.rig.clock.waits > 1)
                return;
            // Device closed, slot file closed and options saved before the wait.
            seenAtFirstWait = l.rig.sound.calls;
            QVERIFY(!l.main.slotFile().isOpen());
            QCOMPARE(l.options(), QByteArray("-1,-1\r\n"));
            QCOMPARE(l.rig.endCalls, 0);
            // Input during the wait is ignored, the window's own shutdown included.
            l.dir.writeData(QStringLiteral("DataBase.FIL"), "saved");
            l.main.Run_B_Click(3);
            QTest::mouseClick(l.main.Run_B[4], Qt::LeftButton);
            for (QAction* item :
                 {l.main.Soft_Close_On_Off, l.main.Koukaon_On_Off, l.main.Format, l.main.Version})
                item->trigger();
            l.main.Form_MouseDown(Qt::RightButton, l.main.mapToGlobal(QPoint(8, 470)));
            l.main.close();
        };

        l.main.Run_B_Click(5);

        QCOMPARE(l.rig.endCalls, 1);
        QTEST(l.rig.clock.second, "end");
        QTEST(l.rig.clock.waits, "waits");
        QCOMPARE(l.rig.processes.started, QStringList{"/opt/five"});
        QCOMPARE(seenAtFirstWait,
                 (QStringList{"open", "play RUN_Kidou.wav", "play EXE_KIDOU.wav", "close"}));
        QCOMPARE(l.rig.sound.calls, seenAtFirstWait);
        QCOMPARE(l.rig.messages.texts() + l.rig.modal.opened, QStringList());
        QVERIFY(!l.main.File->isVisible());
        QVERIFY(l.main.Soft_Close_On_Off->isChecked() && l.main.Koukaon_On_Off->isChecked());
        QCOMPARE(l.main.Load_Image[3]->twipsLeft(), 3480);
        QCOMPARE(l.main.P_Name_L[2]->text(), QStringLiteral("slot2"));
        QCOMPARE(l.options(), QByteArray("saved"));
    }
};

QTEST_MAIN(TestMainLaunch)
#include "tst_main_launch.moc"
