// The system process start on Linux: which program runs with which arguments, that no shell
// ever sees the command line, which command lines fail, and that a started program lives on
// in its own session.

#include "platform/ProcessStarter.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {
const QString ShellName = QStringLiteral("my prog; touch PWNED $(id) `x` 'q' & | .bin");

struct Record {
    qint64 pid = 0;
    qint64 sid = 0;
    bool tty = false;
    QStringList args;
};

Record parseRecord(const QByteArray& bytes) {
    Record r;
    for (const QByteArray& line : bytes.split('\n')) {
        const qsizetype space = line.indexOf(' ');
        if (space < 0)
            continue;
        const QByteArray key = line.left(space);
        const QByteArray value = line.mid(space + 1);
        if (key == "pid")
            r.pid = value.toLongLong();
        else if (key == "sid")
            r.sid = value.toLongLong();
        else if (key == "tty")
            r.tty = value == "1";
        else if (key == "arg")
            r.args << QString::fromUtf8(value);
    }
    return r;
}

char processState(qint64 pid) {
    QFile stat(QStringLiteral("/proc/%1/stat").arg(pid));
    if (!stat.open(QIODevice::ReadOnly))
        return 0;
    const QByteArray text = stat.readAll();
    const qsizetype end = text.lastIndexOf(')');
    return end >= 0 && end + 2 < text.size() ? text.at(end + 2) : 0;
}
} // namespace

class TestProcessStarter : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void startsExactly_data();
    void startsExactly();
    void fails_data();
    void fails();
    void outlivesTheStarterInItsOwnSession();

private:
    QString place(const QString& relative) const { return dir_.path() + u'/' + relative; }
    void copyRecorder(const QString& relative, QFile::Permissions permissions) const;
    QString recordPath() const { return place(QStringLiteral("record")); }

    QTemporaryDir dir_;
    QString workDir_;
    QString oldCwd_;
};

void TestProcessStarter::copyRecorder(const QString& relative,
                                      QFile::Permissions permissions) const {
    const QString target = place(relative);
    QDir().mkpath(QFileInfo(target).absolutePath());
    QVERIFY(QFile::copy(QStringLiteral(ARGV_RECORDER), target));
    QVERIFY(QFile::setPermissions(target, permissions));
}

void TestProcessStarter::initTestCase() {
    QVERIFY(dir_.isValid());
    const auto exe =
        QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner | QFile::ExeGroup | QFile::ExeOther;
    copyRecorder(QStringLiteral("rec"), exe);
    copyRecorder(QStringLiteral("with space/rec"), exe);
    copyRecorder(ShellName, exe);
    copyRecorder(QStringLiteral("path/tesselo-rec"), exe);

    QFile text(place(QStringLiteral("plain.txt")));
    QVERIFY(text.open(QIODevice::WriteOnly));
    text.write("hello\n");
    text.close();
    QFile script(place(QStringLiteral("no-shebang")));
    QVERIFY(script.open(QIODevice::WriteOnly));
    script.write("touch PWNED\n");
    script.close();
    QVERIFY(QFile::setPermissions(script.fileName(), exe));
    QVERIFY(QDir().mkpath(place(QStringLiteral("adir"))));

    qputenv("PATH", place(QStringLiteral("path")).toLocal8Bit() + ':' + qgetenv("PATH"));
    qputenv("TESSELO_RECORD", recordPath().toLocal8Bit());
    // A shell that ran would leave its files in the working directory the programs inherit.
    workDir_ = place(QStringLiteral("work"));
    QVERIFY(QDir().mkpath(workDir_));
    oldCwd_ = QDir::currentPath();
    QVERIFY(QDir::setCurrent(workDir_));
}

void TestProcessStarter::init() {
    QFile::remove(recordPath());
}

void TestProcessStarter::cleanup() {
    QCOMPARE(QDir(workDir_).entryList(QDir::AllEntries | QDir::NoDotAndDotDot), QStringList());
}

void TestProcessStarter::startsExactly_data() {
    QTest::addColumn<QString>("commandLine"); // %1 is the folder of the recorder's copies
    QTest::addColumn<QStringList>("args");

    QTest::newRow("file name with a space") << QStringLiteral("%1/with space/rec") << QStringList();
    QTest::newRow("file name full of shell characters")
        << QStringLiteral("%1/") + ShellName << QStringList();
    QTest::newRow("quoted program with arguments")
        << QStringLiteral("\"%1/with space/rec\" a \"b c\"")
        << QStringList{QStringLiteral("a"), QStringLiteral("b c")};
    QTest::newRow("program with arguments")
        << QStringLiteral("%1/rec one two")
        << QStringList{QStringLiteral("one"), QStringLiteral("two")};
    QTest::newRow("shell characters stay arguments")
        << QStringLiteral("%1/rec ; touch PWNED | x & $(id) `id`")
        << QStringList{QStringLiteral(";"),     QStringLiteral("touch"), QStringLiteral("PWNED"),
                       QStringLiteral("|"),     QStringLiteral("x"),     QStringLiteral("&"),
                       QStringLiteral("$(id)"), QStringLiteral("`id`")};
    QTest::newRow("program found on the search path")
        << QStringLiteral("tesselo-rec -v") << QStringList{QStringLiteral("-v")};
}

void TestProcessStarter::startsExactly() {
    QFETCH(QString, commandLine);
    QFETCH(QStringList, args);

    SystemProcessStarter starter;
    const Outcome started = starter.start(commandLine.arg(dir_.path()));
    QVERIFY2(started.ok(), qPrintable(started.message()));
    QTRY_VERIFY(QFile::exists(recordPath()));
    QFile file(recordPath());
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(parseRecord(file.readAll()).args, args);
}

void TestProcessStarter::fails_data() {
    QTest::addColumn<QString>("commandLine");

    QTest::newRow("no such file") << QStringLiteral("%1/missing");
    QTest::newRow("not executable") << QStringLiteral("%1/plain.txt");
    QTest::newRow("a directory") << QStringLiteral("%1/adir");
    QTest::newRow("executable text without #!") << QStringLiteral("%1/no-shebang");
    QTest::newRow("not on the search path") << QStringLiteral("tesselo-no-such-program");
    QTest::newRow("empty") << QString();
    QTest::newRow("blank") << QStringLiteral("   ");
    QTest::newRow("Windows path") << QStringLiteral("C:\\Program Files\\App\\app.exe");
}

void TestProcessStarter::fails() {
    QFETCH(QString, commandLine);

    SystemProcessStarter starter;
    const Outcome started = starter.start(
        commandLine.contains(QStringLiteral("%1")) ? commandLine.arg(dir_.path()) : commandLine);
    QVERIFY(!started.ok());
    QVERIFY(!started.message().isEmpty());
}

void TestProcessStarter::outlivesTheStarterInItsOwnSession() {
    const QByteArray fifo = place(QStringLiteral("hold")).toLocal8Bit();
    QCOMPARE(mkfifo(fifo.constData(), 0600), 0);
    qputenv("TESSELO_HOLD", fifo);
    {
        SystemProcessStarter starter;
        QVERIFY(starter.start(place(QStringLiteral("rec"))).ok());
    }
    qunsetenv("TESSELO_HOLD");
    QTRY_VERIFY(QFile::exists(recordPath()));
    QFile file(recordPath());
    QVERIFY(file.open(QIODevice::ReadOnly));
    const Record record = parseRecord(file.readAll());

    QVERIFY(record.pid > 0);
    QVERIFY(record.sid != getsid(0));
    QVERIFY(!record.tty);
    // Still running with the starter gone, and not a child that we would have to reap.
    const pid_t pid = pid_t(record.pid);
    QCOMPARE(kill(pid, 0), 0);
    QCOMPARE(waitpid(pid, nullptr, WNOHANG), -1);
    QCOMPARE(errno, ECHILD);

    // Let it end.
    const int writer = open(fifo.constData(), O_WRONLY);
    QVERIFY(writer >= 0);
    close(writer);
    QTRY_VERIFY(processState(pid) == 0 || processState(pid) == 'Z');
}

QTEST_GUILESS_MAIN(TestProcessStarter)
#include "tst_ProcessStarter.moc"
