// Saving over a broken Data directory or a full disk, and writes that stop part way: the user
// is told what was not saved, the launcher shows what the files hold, and nothing already
// stored is lost.

#include "DataFaults.h"
#include "FailingDevice.h"
#include "common/Module1.h"
#include "editor/SetUp.h"

#include <QLineEdit>
#include <QRegularExpression>

namespace {
enum class Action { ToggleSoftClose, ToggleSound, EraseAll, EditorSave };

// Erase-all answers its question with Yes; the editor saves once and closes.
void perform(Action action, FaultyLauncher& launcher) {
    Main& main = *launcher.main;
    switch (action) {
    case Action::ToggleSoftClose:
        main.Soft_Close_On_Off_Click();
        break;
    case Action::ToggleSound:
        main.Koukaon_On_Off_Click();
        break;
    case Action::EraseAll:
        launcher.rig.messages.answer = MessageAnswer::Yes;
        main.Format_Click();
        break;
    case Action::EditorSave:
        launcher.rig.modal.script = [](QDialog& dialog) {
            auto& editor = static_cast<SetUp&>(dialog);
            editor.P_Name[1]->setText(QStringLiteral("新しい名前"));
            editor.Coushin_Click();
            editor.reject();
        };
        main.Path_Setei_Click();
        break;
    }
}

QByteArray slotFileOf(int records) {
    QByteArray file;
    for (int i = 1; i <= records; ++i)
        file +=
            RecordBytes("old" + QByteArray::number(i), "/usr/bin/old" + QByteArray::number(i), "");
    return file;
}
} // namespace

class TestFaultSaving : public QObject {
    Q_OBJECT

private slots:
    void init() { Module1::Reset(); }
    void cleanup() { QVERIFY(QApplication::topLevelWidgets().isEmpty()); }

    void saveOverBrokenData_data();
    void saveOverBrokenData();
    void writeStopsPartWay_data();
    void writeStopsPartWay();
};

void TestFaultSaving::saveOverBrokenData_data() {
    QTest::addColumn<DataFault>("fault");
    QTest::addColumn<Action>("action");
    QTest::addColumn<QString>("message"); // a pattern the error message must match

    const QString options = QStringLiteral("設定を保存できませんでした。\\n.*DataBase\\.FIL");
    const QString erase = QStringLiteral("スロット 1 を消去できませんでした");
    const QString editorClosed = QStringLiteral("パス設定を開けません");
    const QString editorFailed = QStringLiteral("保存に失敗しました。スロット 1、2、3、4、5 は");
    const QString readOnly = QStringLiteral("^スロットを保存できません。.*SetUp\\.FIL.*: \\S");

    const auto row = [](DataFault fault, const char* what) -> QTestData& {
        return QTest::addRow("%s, %s", FaultName(fault), what);
    };
    // A read-only Data is not here: the launcher saves into the user's own copy of it.
    for (DataFault fault :
         {DataFault::DataMissing, DataFault::FilesReadOnly, DataFault::OptionsReadOnly,
          DataFault::DataReadOnlyWhileRunning, DataFault::DiskFull})
        row(fault, "close-after-launch toggled") << fault << Action::ToggleSoftClose << options;
    for (DataFault fault : {DataFault::OptionsReadOnly, DataFault::DiskFull})
        row(fault, "sound effects toggled") << fault << Action::ToggleSound << options;
    // Without a slot file handle, without room, or over a slot file open for reading only.
    for (DataFault fault : {DataFault::DataMissing, DataFault::DiskFull})
        row(fault, "erase-all") << fault << Action::EraseAll << erase;
    row(DataFault::FilesReadOnly, "erase-all")
        << DataFault::FilesReadOnly << Action::EraseAll << readOnly;
    row(DataFault::DataMissing, "editor")
        << DataFault::DataMissing << Action::EditorSave << editorClosed;
    row(DataFault::FilesReadOnly, "editor")
        << DataFault::FilesReadOnly << Action::EditorSave << readOnly;
    row(DataFault::DiskFull, "editor save")
        << DataFault::DiskFull << Action::EditorSave << editorFailed;
}

void TestFaultSaving::saveOverBrokenData() {
    QFETCH(DataFault, fault);
    QFETCH(Action, action);
    QFETCH(QString, message);
    if (fault != DataFault::DataMissing)
        SKIP_WITHOUT_MOUNTS();

    FaultyLauncher launcher(fault);
    QVERIFY(launcher.ready());
    Main& main = *launcher.main;
    launcher.takeErrors();
    const QStringList names = NamesShown(main);
    const bool softClose = main.Soft_Close_On_Off->isChecked();
    const bool sound = main.Koukaon_On_Off->isChecked();
    const qint16 storedSoftClose = Module1::SoftClose;
    const qint16 storedSound = Module1::SoundEffects;

    perform(action, launcher);

    const QString errors = launcher.takeErrors();
    QVERIFY2(QRegularExpression(message).match(errors).hasMatch(), qPrintable(errors));
    QCOMPARE(launcher.files(), launcher.stored);
    // The window shows what the files hold, not what failed to reach them.
    QCOMPARE(NamesShown(main), names);
    QCOMPARE(main.Soft_Close_On_Off->isChecked(), softClose);
    QCOMPARE(main.Koukaon_On_Off->isChecked(), sound);
    QCOMPARE(Module1::SoftClose, storedSoftClose);
    QCOMPARE(Module1::SoundEffects, storedSound);
    for (const QWidget* window : QApplication::topLevelWidgets())
        QVERIFY(!qobject_cast<const SetUp*>(window));
}

void TestFaultSaving::writeStopsPartWay_data() {
    QTest::addColumn<Action>("action");
    QTest::addColumn<int>("records");     // in the slot file before
    QTest::addColumn<qint64>("writable"); // bytes the device takes before it is full
    QTest::addColumn<int>("failingSlot");

    // Within one record, at its start, and where the file has to grow.
    QTest::newRow("erase-all, stops inside slot 3") << Action::EraseAll << 5 << qint64(1200) << 3;
    QTest::newRow("erase-all, stops before slot 1") << Action::EraseAll << 5 << qint64(0) << 1;
    QTest::newRow("erase-all, file grows, stops in slot 4")
        << Action::EraseAll << 2 << qint64(1700) << 4;
    QTest::newRow("editor, stops inside slot 2") << Action::EditorSave << 5 << qint64(700) << 2;
    QTest::newRow("editor, stops inside slot 5") << Action::EditorSave << 5 << qint64(2499) << 5;
}

void TestFaultSaving::writeStopsPartWay() {
    QFETCH(Action, action);
    QFETCH(int, records);
    QFETCH(qint64, writable);
    QFETCH(int, failingSlot);

    TempAppDir dir;
    dir.writeData(QStringLiteral("DataBase.FIL"), "0,0\r\n");
    dir.writeData(QStringLiteral("SetUp.FIL"), slotFileOf(records));
    TestRig rig;
    Main main(rig.seams());
    QCOMPARE(rig.messages.texts(), QStringList{});
    auto owned = std::make_unique<FailingDevice>(writable);
    FailingDevice& device = *owned;
    device.contents = slotFileOf(records);
    QVERIFY(main.slotFile().OpenSlotDevice(std::move(owned)).ok());
    const QStringList namesBefore = NamesShown(main);

    rig.messages.answer = MessageAnswer::Yes;
    if (action == Action::EraseAll) {
        main.Format_Click();
    } else {
        rig.modal.script = [](QDialog& dialog) {
            auto& editor = static_cast<SetUp&>(dialog);
            for (int i = 1; i <= 5; ++i)
                editor.P_Name[i]->setText(QStringLiteral("new%1").arg(i));
            editor.Coushin_Click();
            editor.reject();
        };
        main.Path_Setei_Click();
    }

    const QStringList errors = ErrorTexts(rig.messages);
    QCOMPARE(errors.size(), 1);
    QVERIFY2(errors.first().contains(QStringLiteral("スロット %1").arg(failingSlot)),
             qPrintable(errors.first()));

    // Slots before the failing one are saved and shown. The failing slot and those after it
    // still show what they showed; those after it hold what they held, down to the byte. (The
    // failing slot itself holds whatever part of it the device took.)
    const QByteArray before = slotFileOf(records);
    for (int i = 1; i <= 5; ++i) {
        const qsizetype offset = qsizetype(i - 1) * 500;
        const QByteArray now = device.contents.mid(offset, 500);
        const QByteArray n = QByteArray::number(i);
        if (i < failingSlot) {
            const bool erased = action == Action::EraseAll;
            QCOMPARE(now, erased ? RecordBytes("Name", "", "")
                                 : RecordBytes("new" + n, "/usr/bin/old" + n, ""));
            QCOMPARE(main.P_Name_L[i]->text(), QString::fromLatin1(erased ? "Name" : "new" + n));
            continue;
        }
        QCOMPARE(main.P_Name_L[i]->text(), namesBefore[i - 1]);
        if (i > failingSlot)
            QVERIFY2(now == before.mid(offset, 500),
                     qPrintable(QStringLiteral("slot %1 changed by a failed write").arg(i)));
    }
    main.close();
}

TESSELO_FAULT_TEST_MAIN(TestFaultSaving)
#include "tst_fault_saving.moc"
