// Real faults: read-only and full disks, mounted in a mount namespace of the test's own; hostile
// or broken things where a data file, a picture or a cue belongs; a save killed at any moment.

#include "TestSeams.h"
#include "pictures/PictureFile.h"
#include "sound/PlayableWave.h"
#include "storage/DataFolder.h"
#include "storage/OptionsFile.h"
#include "storage/SlotFile.h"

#include <QDeadlineTimer>
#include <QGuiApplication>
#include <QProcess>
#include <QRandomGenerator>
#include <QTest>
#include <QTimer>
#include <csignal>
#include <sched.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace Qt::StringLiterals;

namespace {

QString whyNoMounts; // empty when the test has mount points of its own

// Reads the file at `path` as the program does, by its name.
Outcome readAt(const QString& path) {
    SlotFile file;
    QPixmap picture;
    if (path.endsWith(u".wav"))
        return IsPlayableWave(path) ? Outcome::success() : Outcome::failure({});
    if (path.endsWith(u"DataBase.FIL"))
        return LoadOptions(path).outcome();
    if (!path.endsWith(u"SetUp.FIL"))
        return LoadPictureFile(path, QSize(64, 64), 1, picture);
    Outcome read = file.open(path);
    for (int i = 0; read && i < SlotCount; ++i)
        read = file.read(i).outcome();
    return read;
}

// Saves the options over and over, in turn in two states, until it is killed.
int saveForever(const QString& file) {
    for (int round = 0;; ++round) {
        const StoredOptions options{qint16(-(round % 2)), qint16(round % 2 - 1)};
        if (!SaveOptions(file, options) ||
            (round == 0 && write(1, "saving\n", 7) != 7)) // now it is whole
            return 1;
    }
}

} // namespace

class FaultsTest : public QObject {
    Q_OBJECT
    std::optional<TempAppDir> app_;
    QList<QByteArray> mounts_;

    // `path` bound onto itself, "ro" or "rw" whatever the mount around it, or a fresh 16 KiB
    // "tmpfs" over the directory.
    bool mountOn(const QString& path, const char* how) {
        const QByteArray p = QFile::encodeName(path);
        const unsigned long readOnly = qstrcmp(how, "ro") ? 0 : MS_RDONLY;
        mounts_.prepend(p);
        return qstrcmp(how, "tmpfs")
                   ? !mount(p, p, nullptr, MS_BIND, nullptr) &&
                         !mount(nullptr, p, nullptr, MS_REMOUNT | MS_BIND | readOnly, nullptr)
                   : !mount("tmpfs", p, "tmpfs", 0, "size=16k");
    }

private slots:
    void init() { app_.emplace(); }
    void cleanup() {
        for (const QByteArray& path : std::exchange(mounts_, {}))
            umount2(path, MNT_DETACH);
        app_.reset();
    }

    void savesNothingOnBrokenDisks_data() {
        QTest::addColumn<QString>("disk");
        for (const char* disk : {"no Data directory", "Data read-only", "files read-only", "full"})
            QTest::newRow(disk) << QString::fromLatin1(disk);
    }
    void savesNothingOnBrokenDisks() {
        QFETCH(QString, disk);
        if (disk != u"no Data directory" && !whyNoMounts.isEmpty())
            QSKIP(qPrintable(whyNoMounts));
        const QString data = app_->path() + u"/Data"_s;
        QVERIFY(disk != u"no Data directory" || QDir(data).removeRecursively());
        QVERIFY(disk != u"full" || mountOn(data, "tmpfs"));
        if (disk != u"no Data directory") {
            app_->writeData(u"SetUp.FIL"_s, disk == u"full" ? "" : RecordBytes("one", "", ""));
            app_->writeData(u"DataBase.FIL"_s, "-1,-1\r\n");
        }
        if (disk == u"full") {
            QFile filler(data + u"/Filler"_s);
            QVERIFY(filler.open(QIODevice::WriteOnly | QIODevice::Unbuffered));
            while (filler.write("f", 1) == 1)
                ;
        }
        // The options file itself writable: the save still never writes in place.
        QVERIFY(disk != u"Data read-only" ||
                (mountOn(data, "ro") && mountOn(app_->dataPath(u"DataBase.FIL"_s), "rw")));
        QVERIFY(disk != u"files read-only" || (mountOn(app_->dataPath(u"SetUp.FIL"_s), "ro") &&
                                               mountOn(app_->dataPath(u"DataBase.FIL"_s), "ro")));
        const auto before = SnapshotFiles(data);
        SlotFile file;
        // A read-only Data folder sends the writes to the user's own copy of it.
        const bool elsewhere = disk == u"Data read-only";
        const QString dataDir = DataDirPath();
        QCOMPARE(file.open(DataFilePath(dataDir, SlotFileName)) &&
                     file.write(0, {u"new"_s, {}, {}}),
                 elsewhere);
        const Outcome saved = SaveOptions(DataFilePath(dataDir, OptionsFileName), {});
        QVERIFY(elsewhere ? saved.ok() : saved.message().contains(u"DataBase.FIL"_s));
        file.close();
        QCOMPARE(SnapshotFiles(data), before);
    }

    // Things other than a file's bytes: "<sparse 4 GiB>", "<directory>", "<FIFO>", "<device>"
    // (an endless zero device) and "<dangling link>".
    void refusesHostileThings_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QByteArray>("thing");
        QTest::addColumn<bool>("refused");
        QByteArray noise(2500, 0);
        QRandomGenerator(2500).fillRange(reinterpret_cast<quint32*>(noise.data()), 625);
        for (const char* name : {"SetUp.FIL", "DataBase.FIL", "picture.png", "cue.wav"})
            for (const QByteArray& thing : {noise, "<sparse 4 GiB>"_ba, "<directory>"_ba,
                                            "<FIFO>"_ba, "<device>"_ba, "<dangling link>"_ba})
                QTest::addRow("%s, %s", name, thing == noise ? "random bytes" : thing.constData())
                    << QString::fromLatin1(name) << thing
                    << (qstrcmp(name, "SetUp.FIL") || thing.startsWith("<d") || thing == "<FIFO>");
        QFile cueFile(QStringLiteral(TESSELO_CUE_DIR "/Button_Kouka.wav"));
        QVERIFY(cueFile.open(QIODevice::ReadOnly));
        const QByteArray cue = cueFile.readAll(); // 16-bit mono PCM
        const auto wave = [&](const char* what, const QByteArray& bytes, bool refused) {
            QTest::newRow(what) << u"cue.wav"_s << bytes << refused;
        };
        wave("a cue the build wrote", cue, false);
        wave("wave cut in the header", cue.left(30), true);
        wave("wave data cut short", cue.chopped(2), true);
        wave("wave data empty", cue.left(40) + QByteArray(4, 0), true);
        wave("float wave", QByteArray(cue).replace(20, 2, QByteArray("\3\0", 2)), true);
        QTest::newRow("BMP declaring 100000 x 100000")
            << u"picture.bmp"_s
            << QByteArray::fromHex("424d36000000000000003600000028000000a0860100a086010001001800") +
                   QByteArray(24, 0)
            << true;
        QTest::newRow("PNG cut off")
            << u"picture.png"_s << QByteArray("\x89PNG\r\n\x1a\n\0\0\0\rIHDR", 16) << true;
    }
    void refusesHostileThings() {
        QFETCH(QString, name);
        QFETCH(QByteArray, thing);
        const QString path = app_->dataPath(name);
        const QByteArray p = QFile::encodeName(path);
        if (thing == "<directory>") {
            QVERIFY(QDir().mkdir(path));
        } else if (thing == "<FIFO>" || thing == "<device>") {
            if (mknod(p, thing == "<FIFO>" ? S_IFIFO | 0600 : S_IFCHR | 0600,
                      0x105)) // zero's numbers
                QSKIP("making a device node needs root");
        } else if (thing == "<dangling link>") {
            QVERIFY(!symlink("nothing-here", p));
        } else {
            app_->writeData(name, thing.startsWith('<') ? QByteArray() : thing);
            QVERIFY(thing != "<sparse 4 GiB>" || QFile::resize(path, qint64(4) << 30));
        }
        const auto describe = [&] {
            const QFileInfo info(path);
            return std::tuple(info.symLinkTarget(), info.size(), info.isFile(), info.exists());
        };
        const auto before = describe();
        const bool regular = QFileInfo(path).isFile();
        alarm(5); // blocked on a FIFO or reading a whole huge file, the test ends here
        const Outcome read = readAt(path);
        // The options are saved over a regular file only; anything else stays as it was.
        const bool saved = name == u"DataBase.FIL" && SaveOptions(path, {});
        alarm(0);
        QTEST(!read, "refused");
        QCOMPARE(saved, name == u"DataBase.FIL" && regular);
        QVERIFY(saved || describe() == before);
    }

    void killedSaveLeavesOneWholeState() {
        const QString file = app_->dataPath(u"DataBase.FIL"_s);
        int rounds = 0;
        for (QDeadlineTimer budget(15000); rounds < 60 && !budget.hasExpired(); ++rounds) {
            QProcess saver;
            saver.start(QCoreApplication::applicationFilePath(), {u"--save"_s, file});
            QVERIFY(saver.waitForReadyRead(10000));
            QTimer::singleShot(QRandomGenerator::global()->bounded(8), &saver, &QProcess::kill);
            QTRY_COMPARE_WITH_TIMEOUT(saver.state(), QProcess::NotRunning, 10000);
            const QByteArray options = app_->readData(u"DataBase.FIL"_s);
            QVERIFY2(options == "0,-1\r\n" || options == "-1,0\r\n", options.constData());
        }
        QVERIFY2(rounds >= 20, "too few rounds to tell"); // a sanitizer build starts slowly
        // A save killed before its rename leaves its temporary file beside, never in place.
        for (const QString& name :
             QDir(app_->path() + u"/Data"_s).entryList(QDir::Files | QDir::Hidden))
            QVERIFY2(name.startsWith(u"DataBase.FIL"), qPrintable(name));
    }
};

int main(int argc, char** argv) {
    if (argc == 3 && qstrcmp(argv[1], "--save") == 0)
        return saveForever(QFile::decodeName(argv[2]));
    // Mount points of the test's own, made before any thread starts.
    if (unshare(CLONE_NEWNS) || mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr))
        whyNoMounts = u"needs a mount namespace of its own (run as root): "_s + qt_error_string();
    std::signal(SIGALRM, [](int) {
        (void)!write(2, "FAIL: blocked on a hostile file\n", 32);
        _exit(1);
    });
    QGuiApplication app(argc, argv);
    FaultsTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_Faults.moc"
