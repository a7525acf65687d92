// Starts on a Data folder that another launcher, or something else, already claims. The holder
// is a claim held in this process or the real program; the new start is the real program, or,
// where the holder is another process, a claim made in this process. Each row says how the new
// start ends and how long it took. Rows named "Linux: " set up what
// only Linux has (runtime folders, other users, stopped processes, FIFOs, descriptor limits).

#include "platform/LocalChannel.h"
#include "storage/DataFolderClaim.h"

#include <QDir>
#include <QElapsedTimer>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#ifndef Q_OS_WIN
#include <csignal>
#include <pwd.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>
#endif

using Result = DataFolderClaim::Result;

namespace {
// What holds the folder when the second start comes: a claim in this process, the real program,
// or nothing but what `Around` leaves in the claim folder.
enum class Holder { Claim, Program, Nothing };
// What happens to the holder or around it before the second start.
enum class Around {
    Nothing,
    OtherData,       // the second start is on another Data folder
    Respelled,       // on the same one, spelled otherwise (in capitals on Windows)
    Ending,          // the holder is in its final wait
    Busy,            // the holder shows a message that must be answered first, for 2.5 s
    BusyThenStopped, // the holder shows a message at start-up, then stops
    BusyThenKilled,  // ... then is killed
    BusyWithdrawn,   // ... and the user closes the second start's notice
    Killed,
    Stopped,
    LockDeleted,
    Silent,  // a connection that says nothing
    Crowded, // 16 silent connections
    Flooded, // 300 connections at a limit of 256 descriptors
    LongToken,
    GarbageLock,
    FolderLock,
    FifoLock,
    TakenByNobody, // another user made the claim folder first
};
enum class Runtime { Private, Loose, None }; // XDG_RUNTIME_DIR

const bool OnWindows = QSysInfo::productType() == "windows";

// What the Linux rows do to the holder and its files; on Windows those rows are not run.
#ifndef Q_OS_WIN
int connectTo(const QString& path) {
    sockaddr_un address{AF_UNIX, {}};
    strncpy(address.sun_path, QFile::encodeName(path).constData(), 107);
    const int fd = socket(AF_UNIX, SOCK_STREAM, 0);
    return ::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof(address)) ? -1 : fd;
}
const auto closeFd = [](int fd) { ::close(fd); };
// Whether the other end has closed the connection.
const auto closedByPeer = [](int fd) { return ::recv(fd, &fd, 1, MSG_DONTWAIT) == 0; };
const auto makeFifo = [](const QString& path) { return !::mkfifo(QFile::encodeName(path), 0600); };
void sendSignal(QProcess& process, int number) {
    if (process.processId())
        ::kill(pid_t(process.processId()), number);
}
#else
constexpr int SIGSTOP = 0, SIGCONT = 0;
const auto connectTo = [](const QString&) { return -1; };
const auto closeFd = [](int) {};
const auto closedByPeer = [](int) { return true; };
const auto makeFifo = [](const QString&) { return false; };
const auto sendSignal = [](QProcess&, int) {};
#endif
} // namespace

class tst_OneLauncher : public QObject {
    Q_OBJECT
    QTemporaryDir dir_;

    // A copy of the built program folder, so that each start has Data of its own.
    QString program(const QString& name) {
        const QDir from = QFileInfo(QStringLiteral(TESSELO_EXE)).absoluteDir();
        const QString to = dir_.filePath(name);
        QDir().mkpath(to + "/Data");
        for (QString file : {"tesselo", "tesselo.exe", "tesselo_sound.so", "Data/DataBase.FIL"})
            QFile::copy(from.filePath(file), to + '/' + file);
        return to;
    }

private slots:
    void secondStart_data() {
        QTest::addColumn<Runtime>("runtime");
        QTest::addColumn<Holder>("holder");
        QTest::addColumn<Around>("around");
        QTest::addColumn<QString>("expected");
        const auto row = [](const char* name, Runtime runtime, Holder holder, Around around,
                            const char* expected) {
            if (!OnWindows || !QByteArray(name).startsWith("Linux: "))
                QTest::newRow(name) << runtime << holder << around << QString(expected);
        };
        using enum Around;
        const Runtime mine = Runtime::Private;
        const Holder claim = Holder::Claim, program = Holder::Program, none = Holder::Nothing;
        row("same Data", mine, claim, Nothing, "handed over token-1");
        row("same Data spelled otherwise", mine, claim, Respelled, "handed over token-1");
        row("other Data", mine, claim, OtherData, "claimed");
        row("first in its final wait", mine, claim, Ending, "claimed");
        row("first shows a message", mine, claim, Busy, "handed over token-1");
        row("Linux: first stopped while it shows a message", mine, program, BusyThenStopped,
            "unanswered");
        row("Linux: first killed while it shows a message", mine, program, BusyThenKilled,
            "claimed");
        row("Linux: the user stops waiting", mine, program, BusyWithdrawn, "withdrawn");
        row("first killed", mine, program, Killed, "claimed");
        row("Linux: first stopped", mine, program, Stopped, "unanswered");
        row("Linux: first's lock deleted", mine, program, LockDeleted, "handed over");
        row("Linux: a silent connection is dropped", mine, claim, Silent, "handed over token-1");
        row("Linux: first flooded at 256 descriptors", mine, program, Flooded, "handed over");
        row("Linux: first crowded: the oldest goes at once", mine, claim, Crowded,
            "handed over token-1");
        row("token over 4 KB", mine, claim, LongToken, "handed over ");
        row("Linux: stray lock: garbage", mine, none, GarbageLock, "claimed");
        row("Linux: stray lock: folder", mine, none, FolderLock, "claimed");
        row("Linux: stray lock: FIFO", mine, none, FifoLock, "claimed");
        row("Linux: runtime folder open to others", Runtime::Loose, claim, Nothing,
            "handed over token-1");
        row("Linux: temporary folder of 90 characters", Runtime::None, claim, Nothing,
            "handed over token-1");
        row("Linux: another user's claim folder", Runtime::None, none, TakenByNobody, "claimed");
    }
    void secondStart() {
        QFETCH(Runtime, runtime);
        QFETCH(Holder, holder);
        QFETCH(Around, around);
        const QString a = program(QTest::currentDataTag()), b = a + "-other";
        const QString folder = dir_.filePath(QString(90 - dir_.path().size() - 1, 'x'));
        const QString rt = dir_.filePath("rt");
        QVERIFY(QDir().mkpath(rt) && QDir().mkpath(folder + "/tmp"));
        QFile::setPermissions(rt,
                              QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner |
                                  (runtime == Runtime::Loose ? QFile::ReadOther | QFile::ExeOther
                                                             : QFile::Permissions()));
        qputenv("XDG_RUNTIME_DIR", QFile::encodeName(rt));
        if (runtime == Runtime::None)
            qunsetenv("XDG_RUNTIME_DIR");
        // A temporary folder short enough for a socket, where another user took the name.
        const QString tmp = around == Around::TakenByNobody ? dir_.filePath("t") : folder + "/tmp";
        QVERIFY(QDir().mkpath(tmp));
        qputenv("TMPDIR", QFile::encodeName(tmp));
#ifndef Q_OS_WIN
        if (around == Around::TakenByNobody) {
            const QByteArray taken = QFile::encodeName(tmp) + "/tesselo-0";
            QVERIFY(!mkdir(taken, 0777) && !chown(taken, getpwnam("nobody")->pw_uid, 0));
        }
#endif
        const QString name = DataFolderClaim::nameFor(a + "/Data");
        // Claims live only where nobody else can reach them; a path too long for a socket gives
        // way to /tmp.
        QVERIFY2(OnWindows ||
                     name.startsWith(runtime == Runtime::Private ? rt + "/" : "/tmp/tesselo-0/"),
                 qPrintable(name));
        const QString lock = name + ".lock";
        qputenv("XDG_ACTIVATION_TOKEN",
                around == Around::LongToken ? QByteArray(5000, 't') : "token-1");
        QStringList requests;
        auto claim = std::make_unique<DataFolderClaim>([&](const QString& t) { requests << t; });
        QProcess process, second;
#ifndef Q_OS_WIN
        process.setChildProcessModifier([] {
            const rlimit few{256, 256};
            setrlimit(RLIMIT_NOFILE, &few);
        });
#endif
        const bool messageUp = around >= Around::BusyThenStopped && around <= Around::BusyWithdrawn;
        // Options that cannot be read: the holder says so at start-up, and waits for the user.
        QVERIFY(!messageUp || (QFile::remove(a + "/Data/DataBase.FIL") &&
                               QDir().mkpath(a + "/Data/DataBase.FIL")));
        if (holder == Holder::Program) {
            process.start(a + "/tesselo");
            QTRY_VERIFY(QFile::exists(a + "/Data/SetUp.FIL"));
            QTRY_VERIFY(channelMayExist(channelAddress(name))); // it answers once its window shows
        }
        if (holder == Holder::Claim)
            QCOMPARE(claim->claim(a + "/Data"), Result::Claimed);
        claim->listen();
        if (around == Around::Ending) {
            claim->setEnding();
            QTimer::singleShot(300, this, [&] { claim.reset(); });
        }
        claim->setBusy(around == Around::Busy);
        if (around == Around::Busy) // nothing comes forward before the message is answered
            QTimer::singleShot(2500, claim.get(), [&] { claim->setBusy(false); });
        if (around == Around::Killed)
            QVERIFY((process.kill(), process.waitForFinished()));
        if (around == Around::Stopped)
            sendSignal(process, SIGSTOP);
        if (around == Around::LockDeleted)
            QVERIFY(QFile::remove(lock));
        std::vector<int> flood;
        if (around == Around::Silent) // says nothing, and is dropped in a second or two
            flood.push_back(connectTo(channelAddress(name)));
        for (int i = 0; around == Around::Crowded && i < 16; ++i)
            flood.push_back(connectTo(channelAddress(name)));
        for (int i = 0; around == Around::Flooded && i < 300; ++i)
            flood.push_back(connectTo(channelAddress(name)));
        QFile garbage(lock);
        if (around == Around::GarbageLock)
            QVERIFY(garbage.open(QIODevice::WriteOnly) && garbage.write("\1\2 x") > 0);
        if (around == Around::FolderLock)
            QVERIFY(QDir().mkpath(lock + "/x"));
        if (around == Around::FifoLock)
            QVERIFY(makeFifo(lock));
        // Whether the new start claims the folder shows in the slot file it makes. (Windows keeps
        // a running launcher's slot file from being removed; a killed one's is free by now.)
        if (holder == Holder::Program)
            QVERIFY(QFile::remove(a + "/Data/SetUp.FIL"));
        const bool inProcess = holder != Holder::Claim;
        QElapsedTimer clock;
        clock.start();
        QString outcome;
        if (inProcess) {
            DataFolderClaim start([](const QString&) {});
            connect(&start, &DataFolderClaim::waitingForHolder, this, [&] {
                if (around == Around::BusyWithdrawn)
                    start.withdraw();
                // Past the first second, when a start that heard nothing would have given up.
                QTimer::singleShot(1200, &start, [&] {
                    around == Around::BusyThenStopped ? sendSignal(process, SIGSTOP)
                                                      : process.kill();
                });
            });
            const Result r = start.claim(a + "/Data");
            outcome = QStringList{"claimed", "handed over", "unanswered", "withdrawn"}[int(r)];
        } else {
            const bool other = around == Around::OtherData;
            const QString respelled =
                OnWindows ? a.toUpper() : a + "/../" + QFileInfo(a).fileName();
            second.start((other                         ? program(b.section('/', -1))
                          : around == Around::Respelled ? respelled
                                                        : a) +
                         "/tesselo");
            QVERIFY(second.waitForStarted());
            const QString slotFile = (other ? b : a) + "/Data/SetUp.FIL";
            QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(slotFile) || second.state() != QProcess::Running,
                                     5000);
            outcome =
                QFile::exists(slotFile) ? "claimed" : "handed over " + requests.join(',').left(20);
            QCOMPARE(second.exitCode(), 0);
            QCOMPARE(!claim, around == Around::Ending); // claimed only once the first had ended
        }
        // More idle connections than real starts make: the oldest went before its idle second.
        QVERIFY(around != Around::Crowded || closedByPeer(flood.front()));
        const qint64 elapsed = clock.elapsed();
        if (around == Around::Silent)
            QTRY_VERIFY_WITH_TIMEOUT(closedByPeer(flood.front()), 2500);
        for (const int fd : flood)
            closeFd(fd);
        sendSignal(process, SIGCONT);
        for (QProcess* p : {&second, &process})
            p->kill(), p->waitForFinished();
        qInfo("%s after %lld ms", qPrintable(outcome), elapsed);
        QTEST(outcome, "expected");
        // A Windows process under Wine takes longer to start, and to show a notice, than the
        // hand-over itself.
        const bool busy = around == Around::Busy || messageUp;
        QVERIFY(elapsed < (busy ? 4000 : 1800) + (OnWindows ? 3000 : 0));
        QVERIFY(around != Around::Busy || elapsed >= 2000); // past the silence that means hung
        // A stray lock is taken over: a lock file stands in its place, held.
        QVERIFY(holder != Holder::Nothing || QFileInfo(lock).isFile());
    }
};

QTEST_MAIN(tst_OneLauncher)
#include "tst_one_launcher.moc"
