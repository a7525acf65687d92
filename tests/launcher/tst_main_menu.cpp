// The pop-up menu: where a click opens it, its two option toggles and its erase-all command,
// seen through the check marks, the shared options, the cues, the message boxes and the bytes
// of the data files.

#include "LauncherData.h"
#include "common/Module1.h"
#include "common/Twips.h"

#include <QDir>
#include <QTest>

namespace {
const QStringList Programs = {"/opt/one", "/opt/two", "/opt/three", "/opt/four", "/opt/five"};
} // namespace

class TestMainMenu : public QObject {
    Q_OBJECT

private slots:
    void init() { Module1::Reset(); }
    void cleanup() { QVERIFY(QApplication::topLevelWidgets().isEmpty()); }

    void rightClick_data() {
        QTest::addColumn<Qt::MouseButton>("button");
        QTest::addColumn<QPoint>("at"); // twips
        QTest::addColumn<bool>("menuOpens");
        const QPoint background(120, 7050);
        QTest::newRow("right on background") << Qt::RightButton << background << true;
        QTest::newRow("left on background") << Qt::LeftButton << background << false;
        QTest::newRow("middle on background") << Qt::MiddleButton << background << false;
        QTest::newRow("right on a picture") << Qt::RightButton << QPoint(3960, 2520) << false;
        QTest::newRow("right on a name") << Qt::RightButton << QPoint(1700, 5040) << false;
        QTest::newRow("right on a button") << Qt::RightButton << QPoint(1700, 1500) << false;
        QTest::newRow("right on the heading") << Qt::RightButton << QPoint(1600, 540) << false;
        // Its left part lies under the slot's button.
        QTest::newRow("right on a line") << Qt::RightButton << QPoint(3400, 4140) << true;
    }

    void rightClick() {
        QFETCH(Qt::MouseButton, button);
        QFETCH(QPoint, at);
        Launcher l(Programs, "0,-1\r\n");
        l.main.show();
        QVERIFY(QTest::qWaitForWindowExposed(&l.main));
        const QPoint point = twipsPoint(at.x(), at.y());
        QWidget* receiver = l.main.childAt(point) ? l.main.childAt(point) : &l.main;
        QTest::mousePress(receiver, button, {}, receiver->mapFrom(&l.main, point));
        QTest::mouseRelease(receiver, button, {}, receiver->mapFrom(&l.main, point));
        QTEST(l.main.File->isVisible(), "menuOpens");
        l.main.File->close();
        l.main.close();
    }

    void toggles_data() {
        QTest::addColumn<QString>("clicks"); // C close-after-launch, S sound effects
        QTest::addColumn<bool>("saveFails");
        QTest::addColumn<QByteArray>("before");
        QTest::addColumn<QByteArray>("after"); // the options file, and what the menu shows
        QTest::addColumn<int>("cues");         // button cues heard
        const auto row = [](const char* name, const char* clicks, bool fails, const char* before,
                            const char* after, int cues) {
            QTest::newRow(name) << QString::fromLatin1(clicks) << fails << QByteArray(before)
                                << QByteArray(after) << cues;
        };
        row("close-after-launch on, heard", "C", false, "0,-1\r\n", "-1,-1\r\n", 1);
        row("close-after-launch off, silent", "C", false, "-1,0\r\n", "0,0\r\n", 0);
        row("close-after-launch twice", "CC", false, "0,-1\r\n", "0,-1\r\n", 2);
        row("sound switched on is heard", "S", false, "0,0\r\n", "0,-1\r\n", 1);
        row("sound switched off is silent", "S", false, "-1,-1\r\n", "-1,0\r\n", 0);
        row("sound off, then close-after-launch", "SC", false, "0,-1\r\n", "-1,0\r\n", 0);
        // Undone: close-after-launch sounds its cue before it saves, sound effects after.
        row("close-after-launch, save fails", "C", true, "0,-1\r\n", "0,-1\r\n", 1);
        row("sound effects, save fails", "S", true, "0,-1\r\n", "0,-1\r\n", 0);
    }

    void toggles() {
        QFETCH(QString, clicks);
        QFETCH(bool, saveFails);
        QFETCH(QByteArray, before);
        QFETCH(QByteArray, after);
        QFETCH(int, cues);
        Launcher l(Programs, before);
        l.rig.sound.calls.clear();
        const QString file = l.dir.dataPath(QStringLiteral("DataBase.FIL"));
        if (saveFails) // a directory in its place: every save fails, also for root
            QVERIFY(QFile::remove(file) && QDir().mkpath(file));

        for (QChar click : clicks)
            (click == u'C' ? l.main.Soft_Close_On_Off : l.main.Koukaon_On_Off)->trigger();

        QCOMPARE(l.rig.sound.calls, QStringList(cues, QStringLiteral("play Button_Kouka.wav")));
        const QStringList boxes = BoxesOf(l.rig.messages);
        QCOMPARE(boxes.size(), saveFails ? 1 : 0);
        if (saveFails)
            QVERIFY2(
                boxes[0].startsWith(QStringLiteral("E TESSELO 設定を保存できませんでした。\n")) &&
                    boxes[0].contains(QStringLiteral("DataBase.FIL")),
                qPrintable(boxes[0]));
        else
            QCOMPARE(l.options(), after);
        // Check mark, shared value and file all agree.
        const QList<QByteArray> values = after.trimmed().split(',');
        QCOMPARE(l.main.Soft_Close_On_Off->isChecked(), values[0] == "-1");
        QCOMPARE(l.main.Koukaon_On_Off->isChecked(), values[1] == "-1");
        QCOMPARE(Module1::SoftClose, values[0].toShort());
        QCOMPARE(Module1::SoundEffects, values[1].toShort());
    }

    void eraseAll_data() {
        QTest::addColumn<MessageAnswer>("answer");
        QTest::addColumn<int>("times");
        QTest::addColumn<QStringList>("boxes");
        const QString ask = QStringLiteral("Q TESSELO すべて消去しますか?");
        const QString done = QStringLiteral("I Tesselo 消去完了。");
        QTest::newRow("Yes") << MessageAnswer::Yes << 1 << QStringList{ask, done};
        QTest::newRow("No") << MessageAnswer::No << 1 << QStringList{ask};
        QTest::newRow("twice") << MessageAnswer::Yes << 2 << QStringList{ask, done, ask, done};
    }

    void eraseAll() {
        QFETCH(MessageAnswer, answer);
        QFETCH(int, times);
        Launcher l(Programs, "0,-1\r\n");
        const QByteArray slotFile = l.dir.readData(QStringLiteral("SetUp.FIL"));
        l.rig.messages.answer = answer;
        l.rig.sound.calls.clear();

        for (int i = 0; i < times; ++i)
            l.main.Format->trigger();

        QTEST(BoxesOf(l.rig.messages), "boxes");
        QCOMPARE(l.rig.sound.calls, QStringList()); // erase-all plays no cue
        const bool erased = answer == MessageAnswer::Yes;
        QCOMPARE(l.dir.readData(QStringLiteral("SetUp.FIL")),
                 erased ? RecordBytes("Name", "", "").repeated(5) : slotFile);
        for (int i = 1; i <= 5; ++i) {
            QCOMPARE(l.main.P_Name_L[i]->text(),
                     erased ? QStringLiteral("Name") : QStringLiteral("slot%1").arg(i));
            QCOMPARE(l.main.Load_Image[i]->hasPicture(), !erased);
            QCOMPARE(Module1::ProgramPaths[i], erased ? QString() : Programs[i - 1]);
            l.main.Run_B_Click(i);
        }
        QCOMPARE(l.rig.processes.started, erased ? QStringList() : Programs);
    }
};

QTEST_MAIN(TestMainMenu)
#include "tst_main_menu.moc"
