// The system process start on Linux: which program runs with which arguments, that no shell
// ever sees the command line, which command lines fail, and that a started program lives on
// in a session of its own.

#include "platform/ProcessStarter.h"

#include <QDir>
#include <QTemporaryDir>
#include <QTest>
#include <cerrno>
#include <sys/wait.h>
#include <unistd.h>

namespace {
const QString ShellName = QStringLiteral("my prog; touch PWNED $(id) `x` 'q' & | .bin");
} // namespace

class TestProcessStarter : public QObject {
    Q_OBJECT

    QTemporaryDir dir_;
    QString place(const QString& relative) const { return dir_.path() + u'/' + relative; }
    QString record() const { return place(QStringLiteral("record")); }
    QString resolved(QString commandLine) const {
        return commandLine.replace(QStringLiteral("%1"), dir_.path());
    }

    // Starts the command line (%1: the folder of the recorder's copies) and returns what the
    // recorder wrote: "<pid> <sid> <tty>", then one argument a line.
    QStringList startRecorder(const QString& commandLine) {
        const Outcome started = SystemProcessStarter().start(resolved(commandLine));
        if (!started.ok())
            return {started.message()};
        QFile file(record());
        if (!QTest::qWaitFor([&] { return file.open(QIODevice::ReadOnly); }))
            return {};
        return QString::fromUtf8(file.readAll()).split(u'\n', Qt::SkipEmptyParts);
    }

private slots:
    void initTestCase() {
        QVERIFY(dir_.isValid());
        const auto exe = QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner;
        for (const QString& copy :
             {QStringLiteral("with space/rec"), ShellName, QStringLiteral("path/tesselo-rec")}) {
            QVERIFY(QDir().mkpath(QFileInfo(place(copy)).absolutePath()));
            QVERIFY(QFile::copy(QStringLiteral(ARGV_RECORDER), place(copy)));
            QVERIFY(QFile::setPermissions(place(copy), exe));
        }
        // Not startable: an executable text that a shell would run. (Documents and folders open
        // in the desktop's applications: tst_launch_targets.)
        QFile script(place(QStringLiteral("no-shebang")));
        QVERIFY(script.open(QIODevice::WriteOnly) && script.write("touch PWNED\n") > 0);
        QVERIFY(script.setPermissions(exe));
        qputenv("PATH", place(QStringLiteral("path")).toLocal8Bit() + ':' + qgetenv("PATH"));
        qputenv("TESSELO_RECORD", record().toLocal8Bit());
        QVERIFY(QDir().mkpath(place(QStringLiteral("work"))));
        QVERIFY(QDir::setCurrent(place(QStringLiteral("work"))));
    }
    void init() { QFile::remove(record()); }
    // A shell that ran would leave its files in the working directory the programs inherit.
    void cleanup() {
        QCOMPARE(QDir::current().entryList(QDir::AllEntries | QDir::NoDotAndDotDot), QStringList());
    }

    void startsExactly_data() {
        QTest::addColumn<QString>("commandLine");
        QTest::addColumn<QStringList>("args");
        QTest::newRow("file name with a space") << "%1/with space/rec" << QStringList();
        QTest::newRow("file name full of shell characters") << "%1/" + ShellName << QStringList();
        QTest::newRow("quoted program with arguments")
            << "\"%1/with space/rec\" a \"b c\"" << QStringList{"a", "b c"};
        QTest::newRow("shell characters stay arguments")
            << "%1/path/tesselo-rec ; touch PWNED | x & $(id) `id`"
            << QStringList{";", "touch", "PWNED", "|", "x", "&", "$(id)", "`id`"};
        QTest::newRow("program found on the search path") << "tesselo-rec -v" << QStringList{"-v"};
    }

    void startsExactly() {
        QFETCH(QString, commandLine);
        const QStringList lines = startRecorder(commandLine);
        QVERIFY2(lines.size() >= 1 && lines[0].count(u' ') == 2, qPrintable(lines.join(u'|')));
        QTEST(lines.mid(1), "args");
    }

    void fails_data() {
        QTest::addColumn<QString>("commandLine");
        QTest::newRow("no such file") << "%1/missing";
        QTest::newRow("executable text without #!") << "%1/no-shebang";
        QTest::newRow("not on the search path") << "tesselo-no-such-program";
        QTest::newRow("empty") << "";
        QTest::newRow("blank") << "   ";
        QTest::newRow("Windows path") << "C:\\Program Files\\App\\app.exe";
    }

    void fails() {
        QFETCH(QString, commandLine);
        const Outcome started = SystemProcessStarter().start(resolved(commandLine));
        QVERIFY(!started.ok());
        QVERIFY(!started.message().isEmpty());
    }

    void runsInItsOwnSession() {
        const QStringList fields =
            startRecorder(QStringLiteral("tesselo-rec")).value(0).split(u' ');
        QCOMPARE(fields.size(), 3);
        QVERIFY(fields[1].toLongLong() != getsid(0));
        QCOMPARE(fields[2], QStringLiteral("0")); // no controlling terminal
        // Not a child of ours: nothing for the launcher to reap, nothing that dies with it.
        QCOMPARE(waitpid(pid_t(fields[0].toLongLong()), nullptr, WNOHANG), -1);
        QCOMPARE(errno, ECHILD);
    }
};

QTEST_GUILESS_MAIN(TestProcessStarter)
#include "tst_ProcessStarter.moc"
