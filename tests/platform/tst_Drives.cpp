// The drive list and the drive that holds a path.

#include "platform/Drives.h"

#include <QDir>
#include <QTest>

using namespace Qt::StringLiterals;

class DrivesTest : public QObject {
    Q_OBJECT
private slots:
    void browsedVolumes_data();
    void browsedVolumes();
    void driveOfPath_data();
    void driveOfPath();
    void listedDrives();
};

void DrivesTest::browsedVolumes_data() {
    QTest::addColumn<QString>("root");
    QTest::addColumn<QByteArray>("type");
    QTest::addColumn<bool>("browsed");
    QTest::newRow("usb stick") << u"/media/ann/STICK"_s << QByteArray("vfat") << true;
    QTest::newRow("usb stick under /run/media")
        << u"/run/media/ann/STICK"_s << QByteArray("exfat") << true;
    QTest::newRow("home partition") << u"/home"_s << QByteArray("ext4") << true;
    QTest::newRow("network share") << u"/srv/share"_s << QByteArray("nfs4") << true;
    QTest::newRow("directory named like /devices") << u"/devices"_s << QByteArray("xfs") << true;
    QTest::newRow("proc") << u"/proc"_s << QByteArray("proc") << false;
    QTest::newRow("cgroup") << u"/sys/fs/cgroup"_s << QByteArray("cgroup2") << false;
    QTest::newRow("shared memory") << u"/dev/shm"_s << QByteArray("tmpfs") << false;
    QTest::newRow("user runtime dir") << u"/run/user/1000"_s << QByteArray("tmpfs") << false;
    QTest::newRow("runtime ext4 below /run") << u"/run/initramfs"_s << QByteArray("ext4") << false;
    QTest::newRow("snap image") << u"/snap/core/1"_s << QByteArray("squashfs") << false;
    QTest::newRow("container layer")
        << u"/var/lib/docker/overlay2/x/merged"_s << QByteArray("overlay") << false;
    QTest::newRow("efi partition") << u"/boot/efi"_s << QByteArray("vfat") << false;
    QTest::newRow("automounter") << u"/mnt/auto"_s << QByteArray("autofs") << false;
}

void DrivesTest::browsedVolumes() {
    QFETCH(QString, root);
    QFETCH(QByteArray, type);
    QFETCH(bool, browsed);
    QCOMPARE(IsBrowsedVolume(root, type), browsed);
}

void DrivesTest::driveOfPath_data() {
    QTest::addColumn<QString>("path");
    QTest::addColumn<QStringList>("drives");
    QTest::addColumn<QString>("drive");
    const QStringList mounts{u"/"_s, u"/media/ann/STICK"_s, u"/media/ann/STICK2"_s, u"/home"_s};
    QTest::newRow("root itself") << u"/"_s << mounts << u"/"_s;
    QTest::newRow("plain directory") << u"/usr/bin"_s << mounts << u"/"_s;
    QTest::newRow("inside a mount")
        << u"/media/ann/STICK/photos"_s << mounts << u"/media/ann/STICK"_s;
    QTest::newRow("mount root") << u"/home"_s << mounts << u"/home"_s;
    QTest::newRow("name that only starts like a mount")
        << u"/media/ann/STICK2/a"_s << mounts << u"/media/ann/STICK2"_s;
    QTest::newRow("sibling with a longer name") << u"/homework"_s << mounts << u"/"_s;
#ifdef Q_OS_WIN
    const QStringList letters{u"C:/"_s, u"D:/"_s};
    QTest::newRow("drive letter, other case") << u"d:\\Games"_s << letters << u"D:/"_s;
    QTest::newRow("drive root") << u"C:\\"_s << letters << u"C:/"_s;
    QTest::newRow("network path") << u"\\\\server\\share"_s << letters << u"C:/"_s;
#endif
}

void DrivesTest::driveOfPath() {
    QFETCH(QString, path);
    QFETCH(QStringList, drives);
    QFETCH(QString, drive);
    QCOMPARE(DriveOfPath(path, drives), drive);
}

void DrivesTest::listedDrives() {
    const QStringList drives = ListDrives();
    QVERIFY(!drives.isEmpty());
    QCOMPARE(QStringList(drives).removeDuplicates(), 0);
    for (const QString& drive : drives)
        QVERIFY2(QFileInfo(drive).isDir(), qPrintable(drive));
#ifndef Q_OS_WIN
    QCOMPARE(drives.first(), QStringLiteral("/"));
    for (const QString& drive : drives)
        QVERIFY2(!drive.startsWith(QStringLiteral("/proc")), qPrintable(drive));
#endif
}

QTEST_GUILESS_MAIN(DrivesTest)
#include "tst_Drives.moc"
