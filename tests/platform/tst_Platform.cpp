// The process start on Linux: which program runs with which arguments, never through a shell,
// in a session of its own, and which command lines fail.

#include "platform/ProcessStarter.h"

#include <QTemporaryDir>
#include <QTest>
#include <unistd.h>

using namespace Qt::StringLiterals;

class PlatformTest : public QObject {
    Q_OBJECT
    QTemporaryDir dir_;
    const QString shellName_ = u"my prog; touch x $(id) `x` 'q' & .bin"_s;

    Outcome start(QString commandLine) { // %1: the test's folder
        return SystemProcessStarter().start(commandLine.replace(u"%1"_s, dir_.path()));
    }

private slots:
    void initTestCase() {
        // Writes its process status line (session and terminal among its fields), then its
        // arguments, one a line.
        const QByteArray recorder =
            "#!/bin/sh\n{ cat /proc/$$/stat; for a; do echo \"$a\"; done; } "
            ">\"$0.part\" && mv \"$0.part\" " +
            QFile::encodeName(dir_.filePath(u"record"_s)) + '\n';
        for (const QString& name : {shellName_, u"path/rec"_s, u"no-shebang"_s, u"plain"_s}) {
            QFile file(dir_.filePath(name));
            QVERIFY(QDir().mkpath(QFileInfo(file).path()) && file.open(QIODevice::WriteOnly));
            file.write(name == u"plain" || name == u"no-shebang" ? "touch x\n" : recorder);
            QVERIFY(name == u"plain" || file.setPermissions(file.permissions() | QFile::ExeOwner));
        }
        qputenv("PATH", QFile::encodeName(dir_.filePath(u"path"_s)) + ':' + qgetenv("PATH"));
    }

    void startsExactly_data() {
        QTest::addColumn<QString>("commandLine");
        QTest::addColumn<QStringList>("arguments");
        QTest::newRow("a file name full of shell characters")
            << "%1/" + shellName_ << QStringList();
        QTest::newRow("quoted program and arguments")
            << "\"%1/" + shellName_ + "\" a \"b c\"" << QStringList{u"a"_s, u"b c"_s};
        QTest::newRow("on the search path, shell characters as arguments")
            << u"rec ; touch | $(id)"_s << QStringList{u";"_s, u"touch"_s, u"|"_s, u"$(id)"_s};
    }
    void startsExactly() {
        QFETCH(QString, commandLine);
        QFile record(dir_.filePath(u"record"_s));
        record.remove();
        QVERIFY(start(commandLine));
        QTRY_VERIFY(record.exists());
        QVERIFY(record.open(QIODevice::ReadOnly));
        QStringList lines = QString::fromUtf8(record.readAll()).split(u'\n');
        // After the name: state, parent, group, session, terminal.
        const QStringList status = lines.takeFirst().section(u')', -1).split(u' ');
        QVERIFY(status.value(4).toInt() != getsid(0) && status.value(5) == u"0");
        QTEST(lines.first(lines.size() - 1), "arguments");
    }

    void fails_data() {
        QTest::addColumn<QString>("commandLine");
        QTest::newRow("no such file") << u"%1/missing"_s;
        QTest::newRow("not executable") << u"%1/plain"_s;
        QTest::newRow("executable text without #!") << u"%1/no-shebang"_s;
        QTest::newRow("blank") << u"  "_s;
    }
    void fails() {
        QFETCH(QString, commandLine);
        const Outcome started = start(commandLine);
        QVERIFY(!started && !started.message().isEmpty());
    }
};

QTEST_GUILESS_MAIN(PlatformTest)
#include "tst_Platform.moc"
