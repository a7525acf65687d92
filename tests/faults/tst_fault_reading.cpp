// Start-up over a broken Data directory and over hostile files where the data files or a
// picture should be: the user gets the start-up message, the window opens with what could be
// read, nothing hangs or eats memory, and nothing on disk changes.

#include "DataFaults.h"
#include "HostileFiles.h"
#include "common/Module1.h"
#include "storage/OptionsFile.h"

#include <QElapsedTimer>
#include <QFileInfo>

namespace {
const QString StartupFailure = QStringLiteral("画像読込に失敗");
// Start-up reads at most a few kilobytes; anything near these bounds means it got stuck or
// read a file whole.
constexpr qint64 StartupBoundMs = 5000;
constexpr qint64 DataFileMemoryMiB = 16;
// A picture is decoded to 64 x 64 pixels; a refused one costs next to nothing.
constexpr qint64 PictureMemoryMiB = 64;

enum Expect { No, Yes, Either };

bool needsMounts(DataFault fault) {
    return fault != DataFault::DataMissing;
}

QString namesShown(const Main& main) {
    return NamesShown(main).join(QLatin1Char('|'));
}
} // namespace

class TestFaultReading : public QObject {
    Q_OBJECT

private slots:
    void init() { Module1::Reset(); }
    void cleanup() { QVERIFY(QApplication::topLevelWidgets().isEmpty()); }

    void startupOverBrokenData_data();
    void startupOverBrokenData();
    void hostileSlotFile_data();
    void hostileSlotFile();
    void hostileOptionsFile_data();
    void hostileOptionsFile();
    void hostilePicture_data();
    void hostilePicture();

private:
    // Starts the launcher with a hostile thing at `hostile`, failing the test when start-up
    // blocks on it, takes long or lets the peak memory rise far.
    static void startLauncher(const QString& hostile, qint64 memoryBoundMiB,
                              std::unique_ptr<Main>& main, TestRig& rig);
};

void TestFaultReading::startLauncher(const QString& hostile, qint64 memoryBoundMiB,
                                     std::unique_ptr<Main>& main, TestRig& rig) {
    const qint64 peakBefore = PeakResidentMiB();
    QElapsedTimer timer;
    timer.start();
    {
        FifoWatchdog watchdog(hostile, 3);
        main = std::make_unique<Main>(rig.seams());
        QVERIFY2(!watchdog.fired(),
                 "start-up still busy after 3 s: blocked on a FIFO, or reading too much");
    }
    QVERIFY2(timer.elapsed() < StartupBoundMs, qPrintable(QString::number(timer.elapsed())));
    const qint64 growth = PeakResidentMiB() - peakBefore;
    QVERIFY2(growth < memoryBoundMiB, qPrintable(QString::number(growth)));
}

void TestFaultReading::startupOverBrokenData_data() {
    QTest::addColumn<DataFault>("fault");
    QTest::addColumn<bool>("failureShown");
    QTest::addColumn<int>("slotsShown");

    // A read-only Data is left for the user's own copy of it; a slot file that can only be
    // read still shows.
    QTest::newRow("Data missing") << DataFault::DataMissing << true << 0;
    QTest::newRow("Data read-only") << DataFault::DataReadOnly << false << 5;
    QTest::newRow("files read-only") << DataFault::FilesReadOnly << false << 5;
    QTest::newRow("options file read-only") << DataFault::OptionsReadOnly << false << 5;
    QTest::newRow("disk full") << DataFault::DiskFull << false << 0;
}

void TestFaultReading::startupOverBrokenData() {
    QFETCH(DataFault, fault);
    QFETCH(bool, failureShown);
    QFETCH(int, slotsShown);
    if (needsMounts(fault))
        SKIP_WITHOUT_MOUNTS();

    FaultyLauncher launcher(fault);
    QVERIFY(launcher.ready());
    QCOMPARE(launcher.takeErrors(), failureShown ? StartupFailure : QString());
    for (int i = 1; i <= 5; ++i)
        QCOMPARE(launcher.main->P_Name_L[i]->text(),
                 i <= slotsShown ? StoredSlotName(i) : QString());
    QCOMPARE(launcher.files(), launcher.stored);

    QVERIFY(launcher.main->close());
    QVERIFY(!launcher.main->slotFile().isOpen());
    QCOMPARE(launcher.files(), launcher.stored);
    if (fault == DataFault::DataMissing)
        QVERIFY(!QFileInfo::exists(launcher.dataDir()));
}

void TestFaultReading::hostileSlotFile_data() {
    QTest::addColumn<Hostile>("kind");
    QTest::addColumn<int>("failureShown");

    // Random names come with random picture paths, which may or may not fail to load.
    QTest::newRow("random bytes") << Hostile::RandomBytes << int(Either);
    QTest::newRow("sparse 4 GiB") << Hostile::Sparse4GiB << int(No);
    QTest::newRow("directory") << Hostile::Directory << int(Yes);
    QTest::newRow("FIFO") << Hostile::Fifo << int(Yes);
    QTest::newRow("link to a zero device") << Hostile::LinkToZero << int(Yes);
    QTest::newRow("link to a null device") << Hostile::LinkToNull << int(Yes);
    QTest::newRow("dangling link") << Hostile::DanglingLink << int(Yes);
}

void TestFaultReading::hostileSlotFile() {
    QFETCH(Hostile, kind);
    QFETCH(int, failureShown);

    TempAppDir dir;
    const QString slotFile = dir.dataPath(QStringLiteral("SetUp.FIL"));
    PLACE_HOSTILE(kind, slotFile);
    dir.writeData(QStringLiteral("DataBase.FIL"), "0,0\r\n");
    const QByteArray slotBytes = kind == Hostile::RandomBytes ? dir.readData("SetUp.FIL") : "";

    TestRig rig;
    std::unique_ptr<Main> main;
    startLauncher(slotFile, DataFileMemoryMiB, main, rig);
    if (QTest::currentTestFailed())
        return;
    if (failureShown != Either)
        QCOMPARE(rig.messages.texts(), failureShown ? QStringList{StartupFailure} : QStringList{});
    if (kind == Hostile::Sparse4GiB)
        QCOMPARE(namesShown(*main), QStringLiteral("||||"));

    // The launcher goes on working: an option still saves.
    rig.messages.shown.clear();
    main->Koukaon_On_Off_Click();
    QCOMPARE(rig.messages.texts(), QStringList{});
    QVERIFY(ParseOptions(dir.readData(QStringLiteral("DataBase.FIL"))).has_value());

    QVERIFY(main->close());
    main.reset();
    QVERIFY(StillHostile(kind, slotFile));
    if (kind == Hostile::RandomBytes)
        QCOMPARE(dir.readData(QStringLiteral("SetUp.FIL")), slotBytes);
}

void TestFaultReading::hostileOptionsFile_data() {
    QTest::addColumn<Hostile>("kind");
    QTest::addColumn<bool>("mendedAtShutdown"); // else refused, with a message

    QTest::newRow("50 MB in one line") << Hostile::OneHugeLine << true;
    QTest::newRow("random bytes") << Hostile::RandomBytes << true;
    QTest::newRow("directory") << Hostile::Directory << false;
    QTest::newRow("FIFO") << Hostile::Fifo << false;
    QTest::newRow("link to a zero device") << Hostile::LinkToZero << false;
    QTest::newRow("link to a null device") << Hostile::LinkToNull << false;
    QTest::newRow("dangling link") << Hostile::DanglingLink << false;
}

void TestFaultReading::hostileOptionsFile() {
    QFETCH(Hostile, kind);
    QFETCH(bool, mendedAtShutdown);

    TempAppDir dir;
    const QString optionsFile = dir.dataPath(QStringLiteral("DataBase.FIL"));
    PLACE_HOSTILE(kind, optionsFile);
    dir.writeData(QStringLiteral("SetUp.FIL"), RecordBytes("one", "/usr/bin/one", ""));

    TestRig rig;
    std::unique_ptr<Main> main;
    startLauncher(optionsFile, DataFileMemoryMiB, main, rig);
    if (QTest::currentTestFailed())
        return;
    // The slots come first and are all shown; the options keep their designed marks.
    QCOMPARE(rig.messages.texts(), QStringList{StartupFailure});
    QCOMPARE(main->P_Name_L[1]->text(), QStringLiteral("one"));
    QCOMPARE(Module1::ProgramPaths[1], QStringLiteral("/usr/bin/one"));
    QVERIFY(main->Soft_Close_On_Off->isChecked());
    QVERIFY(main->Koukaon_On_Off->isChecked());

    rig.messages.shown.clear();
    {
        FifoWatchdog watchdog(optionsFile, 3);
        QVERIFY(main->close());
        QVERIFY2(!watchdog.fired(), "shutdown still busy after 3 s: blocked on a FIFO?");
    }
    main.reset();
    if (mendedAtShutdown) {
        QCOMPARE(rig.messages.texts(), QStringList{});
        QCOMPARE(dir.readData(QStringLiteral("DataBase.FIL")), QByteArray("-1,-1\r\n"));
    } else {
        QCOMPARE(rig.messages.shown.size(), 1);
        QVERIFY2(rig.messages.texts().first().contains(QStringLiteral("DataBase.FIL")),
                 qPrintable(rig.messages.texts().first()));
        QVERIFY(StillHostile(kind, optionsFile));
    }
}

void TestFaultReading::hostilePicture_data() {
    QTest::addColumn<QByteArray>("bytes"); // the picture file's content, or
    QTest::addColumn<int>("hostile");      // something else at its place (-1: none)
    QTest::addColumn<int>("failureShown");

    const QByteArray png = DamagedPng();
    QTest::newRow("PNG declaring 100000 x 100000")
        << PngDeclaring(100000, 100000) << -1 << int(Yes);
    QTest::newRow("PNG declaring 30000 x 30000") << PngDeclaring(30000, 30000) << -1 << int(Yes);
    QTest::newRow("BMP declaring 100000 x 100000")
        << BmpDeclaring(100000, 100000) << -1 << int(Yes);
    QTest::newRow("BMP declaring 30000 x 30000") << BmpDeclaring(30000, 30000) << -1 << int(Yes);
    QTest::newRow("BMP declaring 30000 x -30000") << BmpDeclaring(30000, -30000) << -1 << int(Yes);
    QTest::newRow("GIF declaring 65535 x 65535") << GifDeclaring(65535, 65535) << -1 << int(Yes);
    QTest::newRow("JPEG declaring 65000 x 65000") << JpegDeclaring(65000, 65000) << -1 << int(Yes);
    // Under the refused size: decoded at an eighth, from data that breaks off at once.
    QTest::newRow("JPEG declaring 30000 x 30000")
        << JpegDeclaring(30000, 30000) << -1 << int(Either);
    // A small file for a huge picture: refused rather than decoded.
    QTest::newRow("RLE BMP 20000 x 20000") << RunLengthBmp(20000, 20000) << -1 << int(Yes);
    QTest::newRow("damaged PNG") << png << -1 << int(Yes);
    QTest::newRow("truncated PNG") << PngDeclaring(16, 16).left(40) << -1 << int(Yes);
    QTest::newRow("text named .png") << QByteArray("not a picture\n") << -1 << int(Yes);
    QTest::newRow("empty file") << QByteArray() << -1 << int(Yes);
    QTest::newRow("directory") << QByteArray() << int(Hostile::Directory) << int(Yes);
    QTest::newRow("FIFO") << QByteArray() << int(Hostile::Fifo) << int(Yes);
    QTest::newRow("link to a zero device") << QByteArray() << int(Hostile::LinkToZero) << int(Yes);
    QTest::newRow("dangling link") << QByteArray() << int(Hostile::DanglingLink) << int(Yes);
}

void TestFaultReading::hostilePicture() {
    QFETCH(QByteArray, bytes);
    QFETCH(int, hostile);
    QFETCH(int, failureShown);

    TempAppDir dir;
    const QString picture = dir.dataPath(QStringLiteral("picture.png"));
    if (hostile >= 0)
        PLACE_HOSTILE(Hostile(hostile), picture);
    else
        dir.writeData(QStringLiteral("picture.png"), bytes);
    dir.writeData(QStringLiteral("SetUp.FIL"),
                  RecordBytes("one", "/usr/bin/one", picture.toUtf8()) +
                      RecordBytes("two", "/usr/bin/two", ""));
    dir.writeData(QStringLiteral("DataBase.FIL"), "0,0\r\n");

    TestRig rig;
    std::unique_ptr<Main> main;
    startLauncher(picture, PictureMemoryMiB, main, rig);
    if (QTest::currentTestFailed())
        return;
    const bool failed = !rig.messages.texts().isEmpty();
    if (failureShown != Either)
        QCOMPARE(failed, bool(failureShown));
    if (failed) {
        // The slot with the bad picture shows its name only; start-up stopped there.
        QCOMPARE(rig.messages.texts(), QStringList{StartupFailure});
        QCOMPARE(namesShown(*main), QStringLiteral("one||||"));
        QVERIFY(!main->Load_Image[1]->hasPicture());
        QCOMPARE(Module1::ProgramPaths[1], QString());
    }
    main->close();
}

TESSELO_FAULT_TEST_MAIN(TestFaultReading)
#include "tst_fault_reading.moc"
