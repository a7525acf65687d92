// One launcher per Data folder: what a second start does, in-process where the claim's
// protocol is the point and with the real program where two processes are.

#include "launcher/DataFolderClaim.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <future>

namespace {
// A copy of the built program folder, so that the real program runs on Data of its own.
bool CopyProgram(const QString& to) {
    const QDir from = QFileInfo(QStringLiteral(TESSELO_EXE)).absoluteDir();
    QDir().mkpath(to + QStringLiteral("/Data"));
    for (const QString& name : {QStringLiteral("tesselo"), QStringLiteral("tesselo_sound.so"),
                                QStringLiteral("Data/DataBase.FIL")})
        if (!QFile::copy(from.filePath(name), to + QLatin1Char('/') + name))
            return false;
    return true;
}

void StartProgram(QProcess& process, const QString& folder) {
    process.setProgram(folder + QStringLiteral("/tesselo"));
    auto environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    process.setProcessEnvironment(environment);
    process.start();
}
} // namespace

class tst_OneLauncher : public QObject {
    Q_OBJECT
private slots:
    void secondClaim_data();
    void secondClaim();
    void secondProgramHandsOver();
};

void tst_OneLauncher::secondClaim_data() {
    QTest::addColumn<QString>("first"); // how the first launcher is when the second starts
    QTest::addColumn<bool>("sameData");
    QTest::addColumn<bool>("secondRuns");
    QTest::addColumn<QStringList>("forwardRequests");
    QTest::newRow("same Data") << "running" << true << false << QStringList{"token-1"};
    QTest::newRow("other Data") << "running" << false << true << QStringList{};
    QTest::newRow("first in its final wait") << "ending" << true << true << QStringList{};
    QTest::newRow("first killed") << "killed" << true << true << QStringList{};
}

void tst_OneLauncher::secondClaim() {
    QFETCH(QString, first);
    QFETCH(bool, sameData);
    QFETCH(bool, secondRuns);
    QFETCH(QStringList, forwardRequests);
    QTemporaryDir dir;
    const QString data = dir.filePath(QStringLiteral("Data"));
    const QString otherData = dir.filePath(QStringLiteral("Other/Data"));
    QStringList requests;
    auto holder =
        std::make_unique<DataFolderClaim>([&](const QString& token) { requests << token; });
    QProcess killed;
    if (first == QStringLiteral("killed")) {
        // The real program holds the folder, then dies without cleaning up.
        QVERIFY(CopyProgram(dir.path()));
        StartProgram(killed, dir.path());
        QTRY_VERIFY(QFile::exists(DataFolderClaim::nameFor(data) + QStringLiteral(".lock")));
        killed.kill();
        QVERIFY(killed.waitForFinished());
    } else {
        QVERIFY(holder->claim(data));
    }
    if (first == QStringLiteral("ending")) {
        holder->setEnding();
        QTimer::singleShot(300, this, [&] { holder.reset(); });
    }

    qputenv("XDG_ACTIVATION_TOKEN", "token-1");
    QElapsedTimer clock;
    clock.start();
    std::future<bool> second = std::async(std::launch::async, [&] {
        DataFolderClaim claim([](const QString&) {});
        return claim.claim(sameData ? data : otherData);
    });
    QTRY_VERIFY(second.wait_for(std::chrono::seconds(0)) == std::future_status::ready);
    QCOMPARE(second.get(), secondRuns);
    QCOMPARE(requests, forwardRequests);
    QVERIFY(clock.elapsed() < (first == QStringLiteral("ending") ? 3000 : 500));
    if (first == QStringLiteral("ending"))
        QVERIFY(!holder); // claimed only once the first had ended
}

void tst_OneLauncher::secondProgramHandsOver() {
    QTemporaryDir dir;
    QVERIFY(CopyProgram(dir.path()));
    QProcess first, second;
    StartProgram(first, dir.path());
    const QString slotFile = dir.filePath(QStringLiteral("Data/SetUp.FIL"));
    QTRY_VERIFY(QFile::exists(slotFile));
    const QString options = dir.filePath(QStringLiteral("Data/DataBase.FIL"));
    const QDateTime optionsWritten = QFileInfo(options).lastModified();

    QElapsedTimer clock;
    clock.start();
    StartProgram(second, dir.path());
    QVERIFY(second.waitForFinished(2000));
    QVERIFY2(clock.elapsed() < 500, qPrintable(QString::number(clock.elapsed())));
    QCOMPARE(second.exitStatus(), QProcess::NormalExit);
    QCOMPARE(second.exitCode(), 0);
    QCOMPARE(QFileInfo(options).lastModified(), optionsWritten);
    QCOMPARE(first.state(), QProcess::Running);
    first.kill();
    first.waitForFinished();
}

QTEST_GUILESS_MAIN(tst_OneLauncher)
#include "tst_one_launcher.moc"
