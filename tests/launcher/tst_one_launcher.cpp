// Two starts on Data folders: the second is the real program; the first holds its claim in
// this process, or is the real program killed.

#include "launcher/DataFolderClaim.h"

#include <QDir>
#include <QElapsedTimer>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

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
        QTest::addColumn<QString>("first"); // how the first launcher is when the second starts
        QTest::addColumn<bool>("sameData");
        QTest::addColumn<bool>("handedOver");
        QTest::newRow("same Data") << "running" << true << true;
        QTest::newRow("other Data") << "running" << false << false;
        QTest::newRow("first in its final wait") << "ending" << true << false;
        QTest::newRow("first killed") << "killed" << true << false;
    }
    void secondStart() {
        QFETCH(QString, first);
        QFETCH(bool, sameData);
        QFETCH(bool, handedOver);
        const QString a = program(QTest::currentDataTag()), b = a + "-other";
        qputenv("XDG_ACTIVATION_TOKEN", "token-1"); // handed on to the first launcher
        QStringList requests;
        auto holder = std::make_unique<DataFolderClaim>([&](const QString& t) { requests << t; });
        QProcess killed, second;
        if (first == "killed") {
            killed.start(a + "/tesselo");
            QTRY_VERIFY(QFile::exists(a + "/Data/SetUp.FIL"));
            killed.kill();
            QVERIFY(killed.waitForFinished() && QFile::remove(a + "/Data/SetUp.FIL"));
        } else {
            QVERIFY(holder->claim(a + "/Data"));
        }
        if (first == "ending") {
            holder->setEnding();
            QTimer::singleShot(300, this, [&] { holder.reset(); });
        }
        QElapsedTimer clock;
        clock.start();
        second.start((sameData ? a : program(b.section('/', -1))) + "/tesselo");
        // A second start that hands over ends at once and writes nothing; the others start.
        if (handedOver) {
            QTRY_VERIFY_WITH_TIMEOUT(second.state() == QProcess::NotRunning, 2000);
            // A Windows process under Wine takes longer to start than the hand-over itself.
            const int atOnce = QSysInfo::productType() == "windows" ? 1500 : 500;
            QVERIFY2(clock.elapsed() < atOnce, qPrintable(QString::number(clock.elapsed())));
            QCOMPARE(second.exitCode(), 0);
        }
        QTRY_COMPARE(QFile::exists((sameData ? a : b) + "/Data/SetUp.FIL"), !handedOver);
        QCOMPARE(requests, handedOver ? QStringList{"token-1"} : QStringList{});
        QCOMPARE(!holder, first == "ending"); // claimed only once the first had ended
        second.kill();
        second.waitForFinished();
    }
};

QTEST_MAIN(tst_OneLauncher)
#include "tst_one_launcher.moc"
