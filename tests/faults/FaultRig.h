#pragma once

// Ways to break the disk under the launcher for the fault tests: read-only places and full
// disks made with real mounts, in a mount namespace of the test's own so that nothing outlives
// the test process, and a look at the process's memory.

#include <QApplication>
#include <QByteArray>
#include <QMap>
#include <QString>
#include <QStringList>
#include <QTest>

// Gives this process mount points of its own. Must run before any thread starts, that is
// before QApplication. Returns why mounting is not possible here, or an empty string.
QString EnterPrivateMounts();
// What EnterPrivateMounts said: empty when the tests may mount.
QString MountsUnavailable();

#define SKIP_WITHOUT_MOUNTS()                                                                      \
    do {                                                                                           \
        if (const QString why = MountsUnavailable(); !why.isEmpty())                               \
            QSKIP(qPrintable(why));                                                                \
    } while (false)

// The mounts of one test, undone in reverse order when it goes out of scope. Declare it after
// the directory it mounts into, so that it goes first.
class Mounts {
public:
    Mounts() = default;
    Mounts(const Mounts&) = delete;
    Mounts& operator=(const Mounts&) = delete;
    ~Mounts();

    // A fresh, empty tmpfs of `size` bytes ("16k") over the directory `dir`.
    bool tmpfs(const QString& dir, const QByteArray& size);
    // The file or directory at `path` becomes read-only in place, whatever the permissions say
    // (the tests run as root, whom permission bits do not stop).
    bool readOnly(const QString& path);

private:
    QStringList mounted_;
};

// Writes into `dir` until its file system has no room left; true when it got there.
bool FillDisk(const QString& dir);

// Every regular file below `dir` with its bytes; a missing directory gives an empty map.
QMap<QString, QByteArray> SnapshotFiles(const QString& dir);

// The most memory this process has held at once so far, in MiB.
qint64 PeakResidentMiB();

// A QtTest main that enters the private mounts before anything else runs.
#define TESSELO_FAULT_TEST_MAIN(TestObject)                                                        \
    int main(int argc, char** argv) {                                                              \
        EnterPrivateMounts();                                                                      \
        QApplication app(argc, argv);                                                              \
        app.setAttribute(Qt::AA_Use96Dpi, true);                                                   \
        TestObject tc;                                                                             \
        QTEST_SET_MAIN_SOURCE_PATH                                                                 \
        return QTest::qExec(&tc, argc, argv);                                                      \
    }
