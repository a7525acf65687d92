// Start-up and shutdown of the launcher window: what each slot shows, the failure box, the
// check marks, the cues, and the bytes the options file holds once the window has closed.

#include "LauncherData.h"
#include "common/Module1.h"

#include <QTest>

namespace {
enum Setup { NoSlotFile, FiveSlots, PictureMissingInSlot3, NoDataDirectory };

void prepare(const TempAppDir& dir, int setup, const QByteArray& options) {
    if (setup == FiveSlots || setup == PictureMissingInSlot3) {
        QByteArray file;
        for (int i = 1; i <= 5; ++i) {
            const QString picture = dir.dataPath(QStringLiteral("pic%1.png").arg(i));
            if (setup == FiveSlots || i != 3)
                WritePicture(picture, "png");
            // "スロット" in code page 932, then the slot number.
            file += RecordBytes(QByteArray::fromHex("8358838d83628367") + QByteArray::number(i),
                                "/usr/bin/prog" + QByteArray::number(i), picture.toUtf8());
        }
        dir.writeData(QStringLiteral("SetUp.FIL"), file);
    }
    if (!options.isNull())
        dir.writeData(QStringLiteral("DataBase.FIL"), options);
}
} // namespace

class TestMainStartup : public QObject {
    Q_OBJECT

private slots:
    void init() { Module1::Reset(); }
    void cleanup() { QVERIFY(QApplication::topLevelWidgets().isEmpty()); }

    void startupAndShutdown_data() {
        QTest::addColumn<int>("setup");
        QTest::addColumn<QByteArray>("before"); // null: no options file
        QTest::addColumn<bool>("toggle");       // close-after-launch toggled before closing
        QTest::addColumn<QString>("shown");     // per slot: F everything, N name only, - nothing
        QTest::addColumn<bool>("failure");
        QTest::addColumn<QString>("marks");    // close-after-launch, sound effects
        QTest::addColumn<QString>("cues");     // S start-up, B button
        QTest::addColumn<QByteArray>("after"); // null: no options file
        // Options files are written and expected as one line ending in CR LF.
        const auto row = [](const char* name, int setup, const char* before, bool toggle,
                            const char* shown, bool failure, const char* marks, const char* cues,
                            const char* after) {
            const auto line = [](const char* v) {
                return v ? v + QByteArray("\r\n") : QByteArray();
            };
            QTest::newRow(name) << setup << line(before) << toggle << QString::fromLatin1(shown)
                                << failure << QString::fromLatin1(marks)
                                << QString::fromLatin1(cues) << line(after);
        };
        row("first run: no slot file", NoSlotFile, "0,-1", false, "-----", false, "01", "S",
            "0,-1");
        row("sound off", FiveSlots, "-1,0", false, "FFFFF", false, "10", "", "-1,0");
        row("sound value 5", FiveSlots, "0,5", false, "FFFFF", false, "01", "S", "0,5");
        // Start-up stops before it reads the options: the file is left as the user saved it,
        // unless an option is changed in this run.
        row("picture 3 missing", PictureMissingInSlot3, "0,0", false, "FFN--", true, "11", "",
            "0,0");
        row("picture 3 missing, toggled", PictureMissingInSlot3, "0,0", true, "FFN--", true, "11",
            "B", "0,-1");
        row("no Data directory", NoDataDirectory, nullptr, false, "-----", true, "11", "", nullptr);
        // A missing or damaged file is mended with what the menu shows.
        row("options missing", FiveSlots, nullptr, false, "FFFFF", true, "11", "", "-1,-1");
        row("options damaged", FiveSlots, "True,False", false, "FFFFF", true, "11", "", "-1,-1");
    }

    void startupAndShutdown() {
        QFETCH(int, setup);
        QFETCH(QByteArray, before);
        QFETCH(bool, toggle);
        QFETCH(QString, shown);
        QFETCH(bool, failure);
        QFETCH(QString, marks);
        QFETCH(QString, cues);
        QFETCH(QByteArray, after);

        TempAppDir dir(setup != NoDataDirectory);
        prepare(dir, setup, before);
        TestRig rig;
        Main main(rig.seams());

        QCOMPARE(BoxesOf(rig.messages),
                 failure ? QStringList{QStringLiteral("E TESSELO 画像読込に失敗")} : QStringList());
        for (int i = 1; i <= 5; ++i) {
            const QChar state = shown.at(i - 1);
            QCOMPARE(main.P_Name_L[i]->text(),
                     state == u'-' ? QString() : QStringLiteral("スロット%1").arg(i));
            QCOMPARE(main.Load_Image[i]->hasPicture(), state == u'F');
            QCOMPARE(Module1::ProgramPaths[i],
                     state == u'F' ? QStringLiteral("/usr/bin/prog%1").arg(i) : QString());
        }
        QCOMPARE(main.Soft_Close_On_Off->isChecked(), marks.at(0) == u'1');
        QCOMPARE(main.Koukaon_On_Off->isChecked(), marks.at(1) == u'1');
        if (setup == NoSlotFile) // created, empty
            QVERIFY(dir.dataExists(QStringLiteral("SetUp.FIL")) &&
                    dir.readData(QStringLiteral("SetUp.FIL")).isEmpty());

        if (toggle) { // the toggle saves; shutdown saves again over whatever the file holds
            main.Soft_Close_On_Off->trigger();
            dir.writeData(QStringLiteral("DataBase.FIL"), "stale");
        }
        main.show();
        QVERIFY(main.close());
        QVERIFY(!main.slotFile().isOpen());
        QStringList calls{"open"};
        for (QChar cue : cues)
            calls << (cue == u'S' ? "play RUN_Kidou.wav" : "play Button_Kouka.wav");
        QCOMPARE(rig.sound.calls, calls << "close");
        QCOMPARE(dir.dataExists(QStringLiteral("DataBase.FIL")), !after.isNull());
        QCOMPARE(dir.readData(QStringLiteral("DataBase.FIL")), after);
    }
};

QTEST_MAIN(TestMainStartup)
#include "tst_main_startup.moc"
