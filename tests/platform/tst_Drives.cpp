// The drive list and the drive that holds a path.

#include "platform/Drives.h"

#include <QDir>
#include <QTest>

class DrivesTest : public QObject {
    Q_OBJECT

private slots:
    void browsedVolumes_data() {
        QTest::addColumn<QString>("root");
        QTest::addColumn<QByteArray>("type");
        QTest::addColumn<bool>("browsed");
        QTest::newRow("usb stick") << "/media/ann/STICK" << QByteArray("vfat") << true;
        QTest::newRow("under /run/media") << "/run/media/ann/STICK" << QByteArray("exfat") << true;
        QTest::newRow("named like /devices") << "/devices" << QByteArray("xfs") << true;
        QTest::newRow("proc") << "/proc" << QByteArray("proc") << false;
        QTest::newRow("ext4 below /run") << "/run/initramfs" << QByteArray("ext4") << false;
        QTest::newRow("snap image") << "/snap/core/1" << QByteArray("squashfs") << false;
        QTest::newRow("container layer") << "/var/lib/docker/x" << QByteArray("overlay") << false;
    }

    void browsedVolumes() {
        QFETCH(QString, root);
        QFETCH(QByteArray, type);
        QTEST(IsBrowsedVolume(root, type), "browsed");
    }

    void driveOfPath_data() {
        QTest::addColumn<QString>("path");
        QTest::addColumn<QString>("drive");
        const auto row = [](const char* name, const char* path, const char* drive) {
            QTest::newRow(name) << QString::fromUtf8(path) << QString::fromUtf8(drive);
        };
        row("plain directory", "/usr/bin", "/");
        row("inside a mount", "/media/ann/STICK/photos", "/media/ann/STICK");
        row("mount root", "/home", "/home");
        row("name starting like a mount", "/media/ann/STICK2/a", "/media/ann/STICK2");
        row("sibling with a longer name", "/homework", "/");
    }

    void driveOfPath() {
        QFETCH(QString, path);
        const QStringList mounts{"/", "/media/ann/STICK", "/media/ann/STICK2", "/home"};
        QTEST(DriveOfPath(path, mounts), "drive");
    }

    void listedDrives() {
        const QStringList drives = ListDrives();
        QCOMPARE(drives.value(0), QStringLiteral("/"));
        QCOMPARE(QStringList(drives).removeDuplicates(), 0);
        for (const QString& drive : drives)
            QVERIFY2(QFileInfo(drive).isDir() && !drive.startsWith(QStringLiteral("/proc")),
                     qPrintable(drive));
    }
};

QTEST_GUILESS_MAIN(DrivesTest)
#include "tst_Drives.moc"
