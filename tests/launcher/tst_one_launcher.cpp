// Starts on a Data folder that another launcher, or something else, already claims. The holder
// is a claim held in this process or the real program; the new start is the real program, or,
// where the holder is another process, a claim made in this process. Each row says how the new
// start ends and how long it took, and prints its peak memory.

#include "launcher/DataFolderClaim.h"

#include <QDir>
#include <QElapsedTimer>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <csignal>
#include <pwd.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

using Result = DataFolderClaim::Result;

class tst_OneLauncher : public QObject {
    Q_OBJECT
    QTemporaryDir dir_;

    // A copy of the built program folder, so that each start has Data of its own.
    QString program(const QString& name) {
        const QDir from = QFileInfo(QStringLiteral(TESSELO_EXE)).absoluteDir();
        const QString to = dir_.filePath(name);
        QDir().mkpath(to + "/Data");
        for (const char* file : {"tesselo", "tesselo_sound.so", "Data/DataBase.FIL"})
            QFile::copy(from.filePath(file), to + '/' + file);
        return to;
    }
    static int connectTo(const QString& path) {
        sockaddr_un address{AF_UNIX, {}};
        strncpy(address.sun_path, QFile::encodeName(path).constData(), 107);
        const int fd = socket(AF_UNIX, SOCK_STREAM, 0);
        return ::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof(address)) ? -1 : fd;
    }

private slots:
    void secondStart_data() {
        QTest::addColumn<QString>("runtime"); // XDG_RUNTIME_DIR: private, loose or none
        QTest::addColumn<QString>("first");   // what holds the folder when the second starts
        QTest::addColumn<QString>("expected");
        const auto row = [](const char* name, const char* runtime, const char* first,
                            const char* expected) {
            QTest::newRow(name) << runtime << first << expected;
        };
        row("same Data", "private", "claim", "handed over token-1");
        row("other Data", "private", "claim, other Data", "claimed");
        row("first in its final wait", "private", "claim, ending", "claimed");
        row("first shows a message", "private", "claim, busy", "handed over token-1");
        row("first killed", "private", "program, killed", "claimed");
        row("first stopped", "private", "program, stopped", "unanswered");
        row("first's lock deleted", "private", "program, lock deleted", "handed over");
        row("first flooded at 256 descriptors", "private", "program, flooded", "handed over");
        row("token over 4 KB", "private", "claim, long token", "handed over ");
        row("stray lock: garbage", "private", "garbage", "claimed");
        row("stray lock: folder", "private", "folder", "claimed");
        row("stray lock: FIFO", "private", "FIFO", "claimed");
        row("runtime folder open to others", "loose", "claim", "handed over token-1");
        row("temporary folder of 90 characters", "none", "claim", "handed over token-1");
        row("another user's claim folder", "none", "taken by nobody", "claimed");
    }
    void secondStart() {
        QFETCH(QString, runtime);
        QFETCH(QString, first);
        const QString a = program(QTest::currentDataTag()), b = a + "-other";
        const QString folder = dir_.filePath(QString(90 - dir_.path().size() - 1, 'x'));
        const QString rt = dir_.filePath("rt");
        QVERIFY(QDir().mkpath(rt) && QDir().mkpath(folder + "/tmp"));
        chmod(QFile::encodeName(rt), runtime == "loose" ? 0755 : 0700);
        qputenv("XDG_RUNTIME_DIR", QFile::encodeName(rt));
        if (runtime == "none")
            qunsetenv("XDG_RUNTIME_DIR");
        // A temporary folder short enough for a socket, where another user took the name.
        const QString tmp = first == "taken by nobody" ? dir_.filePath("t") : folder + "/tmp";
        QVERIFY(QDir().mkpath(tmp));
        qputenv("TMPDIR", QFile::encodeName(tmp));
        if (first == "taken by nobody") {
            const QByteArray taken = QFile::encodeName(tmp) + "/tesselo-0";
            QVERIFY(!mkdir(taken, 0777) && !chown(taken, getpwnam("nobody")->pw_uid, 0));
        }
        const QString name = DataFolderClaim::nameFor(a + "/Data");
        // Claims live only where nobody else can reach them; a path too long for a socket gives
        // way to /tmp.
        QVERIFY2(name.startsWith(runtime == "private" ? rt + "/" : "/tmp/tesselo-0/"),
                 qPrintable(name));
        const QByteArray lock = QFile::encodeName(name + ".lock");
        qputenv("XDG_ACTIVATION_TOKEN", first.contains("long") ? QByteArray(5000, 't') : "token-1");
        QStringList requests;
        auto holder = std::make_unique<DataFolderClaim>([&](const QString& t) { requests << t; });
        QProcess process, second;
        process.setChildProcessModifier([] {
            const rlimit few{256, 256};
            setrlimit(RLIMIT_NOFILE, &few);
        });
        if (first.startsWith("program")) {
            process.start(a + "/tesselo");
            QTRY_VERIFY(QFile::exists(a + "/Data/SetUp.FIL"));
            QTRY_VERIFY(QFile::exists(name + ".socket")); // it answers once its window shows
            QVERIFY(QFile::remove(a + "/Data/SetUp.FIL"));
        }
        if (first.startsWith("claim"))
            QCOMPARE(holder->claim(a + "/Data"), Result::Claimed);
        holder->listen();
        if (first.endsWith("ending")) {
            holder->setEnding();
            QTimer::singleShot(300, this, [&] { holder.reset(); });
        }
        holder->setBusy(first.endsWith("busy"));
        if (first.endsWith("busy")) // nothing comes forward before the message is answered
            QTimer::singleShot(500, holder.get(), [&] { holder->setBusy(false); });
        if (first.endsWith("killed"))
            process.kill();
        QVERIFY(!first.endsWith("killed") || process.waitForFinished());
        if (first.endsWith("stopped"))
            kill(pid_t(process.processId()), SIGSTOP);
        if (first.endsWith("deleted"))
            QVERIFY(QFile::remove(lock));
        std::vector<int> flood;
        for (int i = 0; first.endsWith("flooded") && i < 300; ++i)
            flood.push_back(connectTo(name + ".socket"));
        QFile garbage(lock);
        if (first == "garbage")
            QVERIFY(garbage.open(QIODevice::WriteOnly) && garbage.write("\1\2 x") > 0);
        if (first == "folder" || first == "FIFO")
            QVERIFY(first == "folder" ? QDir().mkpath(lock + "/x") : !mkfifo(lock, 0600));
        const bool inProcess = !first.startsWith("claim");
        QElapsedTimer clock;
        clock.start();
        QString outcome;
        if (inProcess) {
            DataFolderClaim start([](const QString&) {});
            const Result r = start.claim(a + "/Data");
            outcome = r == Result::Claimed      ? "claimed"
                      : r == Result::HandedOver ? "handed over"
                                                : "unanswered";
        } else {
            const bool other = first.endsWith("other Data");
            second.start((other ? program(b.section('/', -1)) : a) + "/tesselo");
            QVERIFY(second.waitForStarted());
            const QString slotFile = (other ? b : a) + "/Data/SetUp.FIL";
            QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(slotFile) || second.state() != QProcess::Running,
                                     5000);
            outcome =
                QFile::exists(slotFile) ? "claimed" : "handed over " + requests.join(',').left(20);
            QCOMPARE(second.exitCode(), 0);
            QCOMPARE(!holder, first.endsWith("ending")); // claimed only once the first had ended
        }
        const qint64 elapsed = clock.elapsed();
        for (const int fd : flood)
            close(fd);
        if (process.processId())
            kill(pid_t(process.processId()), SIGCONT);
        for (QProcess* p : {&second, &process})
            p->kill(), p->waitForFinished();
        rusage usage{};
        getrusage(inProcess ? RUSAGE_SELF : RUSAGE_CHILDREN, &usage);
        qInfo("%s after %lld ms, peak %ld MB", qPrintable(outcome), elapsed,
              usage.ru_maxrss / 1024);
        QTEST(outcome, "expected");
        QVERIFY(elapsed < (first.endsWith("busy") ? 2500 : 1800));
        QVERIFY(!first.endsWith("busy") || elapsed >= 500);
        // A stray lock is taken over: a lock file stands in its place, held.
        QVERIFY(inProcess == first.startsWith("program") || QFileInfo(lock).isFile());
    }
};

QTEST_MAIN(tst_OneLauncher)
#include "tst_one_launcher.moc"
