// Shutting down over a broken Data directory, and the saver killed at random moments: the
// launcher says what it could not save, still lets go of the slot file and ends, and the files
// always hold one complete state.

#include "DataFaults.h"
#include "FaultSaver.h"
#include "common/Module1.h"
#include "storage/SlotFile.h"

#include <QDir>
#include <QElapsedTimer>
#include <QProcess>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QTimer>

namespace {
enum class Ending { Close, CloseAfterLaunch };
} // namespace

class TestFaultShutdown : public QObject {
    Q_OBJECT

private slots:
    void init() { Module1::Reset(); }
    void cleanup() { QVERIFY(QApplication::topLevelWidgets().isEmpty()); }

    void endOverBrokenData_data();
    void endOverBrokenData();
    void killedWhileSaving();
};

void TestFaultShutdown::endOverBrokenData_data() {
    QTest::addColumn<DataFault>("fault");
    QTest::addColumn<Ending>("ending");
    QTest::addColumn<QString>("message"); // a pattern for the error shown, empty for none

    const QString options = QStringLiteral("設定を保存できませんでした。\\n.*DataBase\\.FIL");
    for (Ending ending : {Ending::Close, Ending::CloseAfterLaunch}) {
        const char* how = ending == Ending::Close ? "closed" : "closing after a launch";
        // Options that were never loaded are not written over what the user last saved; a
        // read-only Data has them saved in the user's own copy.
        for (DataFault fault : {DataFault::DataMissing, DataFault::DataReadOnly})
            QTest::addRow("%s, %s", FaultName(fault), how) << fault << ending << QString();
        for (DataFault fault : {DataFault::FilesReadOnly, DataFault::OptionsReadOnly,
                                DataFault::DataReadOnlyWhileRunning, DataFault::DiskFull})
            QTest::addRow("%s, %s", FaultName(fault), how) << fault << ending << options;
    }
}

void TestFaultShutdown::endOverBrokenData() {
    QFETCH(DataFault, fault);
    QFETCH(Ending, ending);
    QFETCH(QString, message);
    if (fault != DataFault::DataMissing)
        SKIP_WITHOUT_MOUNTS();

    FaultyLauncher launcher(fault);
    QVERIFY(launcher.ready());
    Main& main = *launcher.main;
    launcher.takeErrors();

    if (ending == Ending::Close) {
        QVERIFY(main.close());
        QCOMPARE(launcher.rig.endCalls, 0);
    } else {
        // Whatever start-up could read, slot 1 has a program and close-after-launch is on.
        Module1::ProgramPaths[1] = QStringLiteral("/usr/bin/prog1");
        main.Soft_Close_On_Off->setChecked(true);
        main.Run_B_Click(1);
        QCOMPARE(launcher.rig.processes.started, QStringList{"/usr/bin/prog1"});
        QCOMPARE(launcher.rig.endCalls, 1);
    }
    const QString errors = launcher.takeErrors();
    if (message.isEmpty())
        QCOMPARE(errors, QString());
    else
        QVERIFY2(QRegularExpression(message).match(errors).hasMatch(), qPrintable(errors));
    QVERIFY(!main.slotFile().isOpen());
    QCOMPARE(launcher.rig.sound.calls.last(), QStringLiteral("close"));
    QCOMPARE(launcher.files(), launcher.stored);
}

void TestFaultShutdown::killedWhileSaving() {
    constexpr int Rounds = 300;
    constexpr qint64 BudgetMs = 20000;
    TempAppDir dir;
    const QString data = dir.path() + QStringLiteral("/Data");
    // Start from state 1, so that every record is whole before the first kill.
    Module1::SoftClose = SaverOptions(1).SoftClose;
    Module1::SoundEffects = SaverOptions(1).SoundEffects;
    QVERIFY(SaveOptions(data + QStringLiteral("/DataBase.FIL")).ok());
    {
        SlotFile slotFile;
        QVERIFY(slotFile.OpenSlotFile(data + QStringLiteral("/SetUp.FIL")).ok());
        for (int n = 1; n <= 5; ++n)
            QVERIFY(slotFile.WriteSlot(n, SaverRecord(n, 1)).ok());
    }
    const QList<QByteArray> optionForms = {FormatOptions(SaverOptions(0)),
                                           FormatOptions(SaverOptions(1))};

    QElapsedTimer budget;
    budget.start();
    int rounds = 0;
    for (; rounds < Rounds && budget.elapsed() < BudgetMs; ++rounds) {
        QProcess saver;
        saver.start(QStringLiteral(FAULT_SAVER), {data});
        QVERIFY2(saver.waitForReadyRead(10000), qPrintable(saver.readAllStandardError()));
        QSignalSpy finished(&saver, &QProcess::finished);
        // A random moment within the next few rounds of saving.
        QTimer::singleShot(QRandomGenerator::global()->bounded(8), &saver, &QProcess::kill);
        QTRY_COMPARE_WITH_TIMEOUT(finished.size(), 1, 10000);
        QCOMPARE(saver.exitStatus(), QProcess::CrashExit);

        const QByteArray options = dir.readData(QStringLiteral("DataBase.FIL"));
        QVERIFY2(optionForms.contains(options), options.toPercentEncoding().constData());
        QVERIFY(ParseOptions(options).has_value());
        SlotFile slotFile;
        QVERIFY(slotFile.OpenSlotFile(data + QStringLiteral("/SetUp.FIL")).ok());
        for (int n = 1; n <= 5; ++n) {
            SlotRecord record;
            QVERIFY(slotFile.ReadSlot(n, record).ok());
            QVERIFY2(
                record == SaverRecord(n, 0) || record == SaverRecord(n, 1),
                qPrintable(
                    QStringLiteral("round %1, slot %2: %3").arg(rounds).arg(n).arg(record.Name)));
        }
    }
    qInfo("%d rounds in %lld ms", rounds, budget.elapsed());
    // A sanitizer build on a busy machine starts the saver slowly; still enough to tell.
    QVERIFY2(rounds >= 25, qPrintable(QStringLiteral("only %1 rounds in time").arg(rounds)));
    // A save killed between writing its temporary file and renaming it leaves that file
    // behind, beside the data files; it never takes their place.
    const QStringList left = QDir(data).entryList(QDir::Files | QDir::Hidden);
    QVERIFY(left.contains(QStringLiteral("DataBase.FIL")) &&
            left.contains(QStringLiteral("SetUp.FIL")));
    for (const QString& name : left)
        QVERIFY2(name == QStringLiteral("SetUp.FIL") ||
                     name.startsWith(QStringLiteral("DataBase.FIL")),
                 qPrintable(name));
}

TESSELO_FAULT_TEST_MAIN(TestFaultShutdown)
#include "tst_fault_shutdown.moc"
