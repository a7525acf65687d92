#include "FailingDevice.h"
#include "StorageTestHelpers.h"
#include "TestSeams.h"
#include "storage/SlotFile.h"

#include <QFileInfo>
#include <QRandomGenerator>
#include <QTest>
#include <optional>

namespace {

QByteArray zeros(int n) {
    return QByteArray(n, '\0');
}

// "あ" is 82 A0 in code page 932.
QString hiragana(int n) {
    return QStringLiteral("あ").repeated(n);
}
QByteArray hiraganaBytes(int n) {
    return QByteArray("\x82\xA0").repeated(n);
}

SlotRecord numbered(int slot) {
    const QString n = QString::number(slot);
    return {QStringLiteral("slot ") + n, QStringLiteral("C:\\run") + n + QStringLiteral(".exe"),
            QStringLiteral("C:\\pic") + n + QStringLiteral(".bmp")};
}

QByteArray numberedBytes(int slot) {
    const QByteArray n = QByteArray::number(slot);
    return RecordBytes("slot " + n, "C:\\run" + n + ".exe", "C:\\pic" + n + ".bmp");
}

// Slots 1 to `count` as numbered() writes them.
QByteArray numberedFile(int count) {
    QByteArray file;
    for (int slot = 1; slot <= count; ++slot)
        file += numberedBytes(slot);
    return file;
}

} // namespace

class SlotFileTest : public QObject {
    Q_OBJECT
private slots:
    void init() { app_.emplace(); }
    void cleanup() { app_.reset(); }

    void writesRecordBytes_data();
    void writesRecordBytes();
    void refusesRecord_data();
    void refusesRecord();
    void refusesSlotNumber_data();
    void refusesSlotNumber();
    void newFileReadsEmptyAndStaysEmpty();
    void writingSlot5ExtendsFile();
    void writingPastEndZeroFillsGap();
    void readsRecordCutShortByEndOfFile();
    void decodesDamagedRecord_data();
    void decodesDamagedRecord();
    void decodesGarbageWithinRecord();
    void openRefusesNotAFile_data();
    void openRefusesNotAFile();
    void openFailsWithoutDataDirectory();
    void reportsDeviceFailure_data();
    void reportsDeviceFailure();
    void refusesWhenClosed();

private:
    std::optional<TempAppDir> app_;
};

void SlotFileTest::writesRecordBytes_data() {
    QTest::addColumn<int>("slot");
    QTest::addColumn<SlotRecord>("record");
    QTest::addColumn<QByteArray>("bytes");

    QTest::newRow("erased slot") << 1 << SlotRecord{QStringLiteral("Name"), {}, {}}
                                 << QByteArray::fromHex("04004E616D6500000000") + zeros(490);
    QTest::newRow("three Japanese characters")
        << 3 << SlotRecord{QStringLiteral("テスト"), {}, {}}
        << QByteArray::fromHex("0600836583588367") + zeros(4) + zeros(488);
    QTest::newRow("all three fields")
        << 2
        << SlotRecord{QStringLiteral("ゲーム"), QStringLiteral("C:\\Games\\run.exe"),
                      QStringLiteral("C:\\画像\\a.bmp")}
        << RecordBytes("\x83\x51\x81\x5B\x83\x80", "C:\\Games\\run.exe",
                       "C:\\\x89\xE6\x91\x9C\\a.bmp");
    QTest::newRow("494 bytes in all")
        << 5 << SlotRecord{hiragana(100), QString(194, u'p'), QString(100, u'i')}
        << RecordBytes(hiraganaBytes(100), QByteArray(194, 'p'), QByteArray(100, 'i'));
    QTest::newRow("one field holds all 494 bytes")
        << 4 << SlotRecord{{}, {}, QString(494, u'x')} << RecordBytes({}, {}, QByteArray(494, 'x'));
}

void SlotFileTest::writesRecordBytes() {
    QFETCH(int, slot);
    QFETCH(SlotRecord, record);
    QFETCH(QByteArray, bytes);

    SlotFile file;
    QVERIFY_OK(file.OpenSlotFile());
    QVERIFY_OK(file.WriteSlot(slot, record));
    // Read from disk while the handle is still open: the bytes must be there already.
    const QByteArray onDisk = app_->readData(QStringLiteral("SetUp.FIL"));
    QCOMPARE(onDisk.size(), slot * SlotRecordLength);
    QCOMPARE(onDisk.mid((slot - 1) * SlotRecordLength).toHex(' '), bytes.toHex(' '));

    SlotRecord back{QStringLiteral("stale"), QStringLiteral("stale"), QStringLiteral("stale")};
    QVERIFY_OK(file.ReadSlot(slot, back));
    QCOMPARE(back, record);
}

void SlotFileTest::refusesRecord_data() {
    QTest::addColumn<int>("slot");
    QTest::addColumn<SlotRecord>("record");
    QTest::addColumn<QString>("message");

    const QString tooLong =
        QStringLiteral("スロット %1 の名前・プログラムのパス・画像のパスが合わせて 494 "
                       "バイトを超えています (%2 バイト)。");
    const QString notInCodePage =
        QStringLiteral("スロット %1 の%2はコードページ 932 で表せない文字を含んでいます。");

    QTest::newRow("495 bytes") << 3 << SlotRecord{QString(495, u'a'), {}, {}}
                               << tooLong.arg(3).arg(495);
    QTest::newRow("Japanese pushes it over")
        << 1 << SlotRecord{hiragana(200), QString(90, u'p'), QString(5, u'i')}
        << tooLong.arg(1).arg(495);
    QTest::newRow("umlaut in the name") << 3 << SlotRecord{QStringLiteral("Müller"), {}, {}}
                                        << notInCodePage.arg(3).arg(QStringLiteral("名前"));
    QTest::newRow("emoji in the program path")
        << 5 << SlotRecord{QStringLiteral("Game"), QStringLiteral("C:\\😀.exe"), {}}
        << notInCodePage.arg(5).arg(QStringLiteral("プログラムのパス"));
    QTest::newRow("wave dash in the image path, text too long as well")
        << 2 << SlotRecord{QString(600, u'a'), {}, QStringLiteral("C:\\〜.bmp")}
        << notInCodePage.arg(2).arg(QStringLiteral("画像のパス"));
}

void SlotFileTest::refusesRecord() {
    QFETCH(int, slot);
    QFETCH(SlotRecord, record);
    QFETCH(QString, message);

    const QByteArray before = numberedFile(SlotCount);
    app_->writeData(QStringLiteral("SetUp.FIL"), before);
    SlotFile file;
    QVERIFY_OK(file.OpenSlotFile());
    const Outcome written = file.WriteSlot(slot, record);
    QVERIFY(!written.ok());
    QCOMPARE(written.message(), message);
    QCOMPARE(app_->readData(QStringLiteral("SetUp.FIL")), before);
}

void SlotFileTest::refusesSlotNumber_data() {
    QTest::addColumn<int>("slot");
    QTest::newRow("0") << 0;
    QTest::newRow("6") << 6;
    QTest::newRow("-1") << -1;
    QTest::newRow("30") << 30;
}

void SlotFileTest::refusesSlotNumber() {
    QFETCH(int, slot);
    const QByteArray before = numberedFile(SlotCount);
    app_->writeData(QStringLiteral("SetUp.FIL"), before);
    SlotFile file;
    QVERIFY_OK(file.OpenSlotFile());

    SlotRecord record = numbered(1);
    const Outcome read = file.ReadSlot(slot, record);
    QVERIFY(!read.ok());
    QVERIFY2(read.message().contains(QString::number(slot)), qPrintable(read.message()));
    QCOMPARE(record, SlotRecord());
    QVERIFY(!file.WriteSlot(slot, numbered(1)).ok());
    QCOMPARE(app_->readData(QStringLiteral("SetUp.FIL")), before);
}

void SlotFileTest::newFileReadsEmptyAndStaysEmpty() {
    SlotFile file;
    QVERIFY_OK(file.OpenSlotFile());
    QVERIFY(app_->dataExists(QStringLiteral("SetUp.FIL")));
    for (int slot = 1; slot <= SlotCount; ++slot) {
        SlotRecord record = numbered(slot);
        QVERIFY_OK(file.ReadSlot(slot, record));
        QCOMPARE(record, SlotRecord());
    }
    file.CloseSlotFile();
    QCOMPARE(QFileInfo(app_->dataPath(QStringLiteral("SetUp.FIL"))).size(), 0);
}

void SlotFileTest::writingSlot5ExtendsFile() {
    app_->writeData(QStringLiteral("SetUp.FIL"), numberedFile(4));
    SlotFile file;
    QVERIFY_OK(file.OpenSlotFile());
    QVERIFY_OK(file.WriteSlot(5, numbered(5)));
    QCOMPARE(app_->readData(QStringLiteral("SetUp.FIL")), numberedFile(5));
    for (int slot = 1; slot <= SlotCount; ++slot) {
        SlotRecord record;
        QVERIFY_OK(file.ReadSlot(slot, record));
        QCOMPARE(record, numbered(slot));
    }
}

void SlotFileTest::writingPastEndZeroFillsGap() {
    app_->writeData(QStringLiteral("SetUp.FIL"), numberedBytes(1).left(123));
    SlotFile file;
    QVERIFY_OK(file.OpenSlotFile());
    QVERIFY_OK(file.WriteSlot(4, numbered(4)));
    QCOMPARE(app_->readData(QStringLiteral("SetUp.FIL")),
             numberedBytes(1).left(123) + zeros(1500 - 123) + numberedBytes(4));
    SlotRecord record = numbered(1);
    QVERIFY_OK(file.ReadSlot(2, record));
    QCOMPARE(record, SlotRecord());
}

void SlotFileTest::readsRecordCutShortByEndOfFile() {
    app_->writeData(QStringLiteral("SetUp.FIL"),
                    numberedFile(4) + QByteArray::fromHex("03006162630900") + "C:");
    SlotFile file;
    QVERIFY_OK(file.OpenSlotFile());
    SlotRecord record;
    QVERIFY_OK(file.ReadSlot(5, record));
    QCOMPARE(record, (SlotRecord{QStringLiteral("abc"), QStringLiteral("C:"), {}}));
    QVERIFY_OK(file.ReadSlot(4, record));
    QCOMPARE(record, numbered(4));
}

void SlotFileTest::decodesDamagedRecord_data() {
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<SlotRecord>("record");

    const QByteArray nextRecord = RecordBytes("next", "next", "next");
    QTest::newRow("name count runs past the record")
        << "\xFF\xFF" + QByteArray(498, 'A') + nextRecord << SlotRecord{QString(498, u'A'), {}, {}};
    QTest::newRow("program count runs past the record")
        << QByteArray::fromHex("01004EF401") + QByteArray(495, 'P') + nextRecord
        << SlotRecord{QStringLiteral("N"), QString(495, u'P'), {}};
    QTest::newRow("clipped count splits a Japanese character")
        << "\xFF\x01" + QByteArray(497, 'A') + "\x82\xA0"
        << SlotRecord{QString(497, u'A') + QChar(QChar::ReplacementCharacter), {}, {}};
    QTest::newRow("image count runs past the end of the file")
        << QByteArray::fromHex("01004E01005008004947")
        << SlotRecord{QStringLiteral("N"), QStringLiteral("P"), QStringLiteral("IG")};
    QTest::newRow("file ends inside the second count")
        << QByteArray::fromHex("01004E05") << SlotRecord{QStringLiteral("N"), {}, {}};
    QTest::newRow("file ends inside the third count")
        << QByteArray::fromHex("01004E000002") << SlotRecord{QStringLiteral("N"), {}, {}};
    QTest::newRow("one byte") << QByteArray("\x05", 1) << SlotRecord();
    QTest::newRow("nothing") << QByteArray() << SlotRecord();
    QTest::newRow("filler is never read")
        << RecordBytes("a", "b", "c").left(9) + QByteArray(491, '\xFF')
        << SlotRecord{QStringLiteral("a"), QStringLiteral("b"), QStringLiteral("c")};
}

void SlotFileTest::decodesDamagedRecord() {
    QFETCH(QByteArray, bytes);
    QFETCH(SlotRecord, record);
    QCOMPARE(DecodeSlotRecord(bytes), record);
}

void SlotFileTest::decodesGarbageWithinRecord() {
    QRandomGenerator random(932);
    for (int round = 0; round < 2000; ++round) {
        QByteArray bytes(random.bounded(1200), Qt::Uninitialized);
        for (char& b : bytes)
            b = char(random.bounded(256));
        if (round % 2 == 0 && bytes.size() >= 2)
            bytes[1] = char(random.bounded(3)); // plausible counts as well as wild ones
        const SlotRecord record = DecodeSlotRecord(bytes);
        // Every character takes at least one byte, and the counts take two each.
        QVERIFY(record.Name.size() + record.ProgramPath.size() + record.ImagePath.size() <= 498);
        QCOMPARE(record, DecodeSlotRecord(QByteArrayView(bytes).first(
                             qMin(bytes.size(), qsizetype(SlotRecordLength)))));
    }
}

void SlotFileTest::openRefusesNotAFile_data() {
    AddNotAFileRows();
}

void SlotFileTest::openRefusesNotAFile() {
    QFETCH(NotAFile, kind);
    const QString path = app_->dataPath(QStringLiteral("SetUp.FIL"));
    if (!PutNotAFile(kind, path))
        QSKIP("this system cannot make it");
    SlotFile file;
    const Outcome opened = file.OpenSlotFile();
    QVERIFY(!opened.ok());
    QVERIFY2(opened.message().contains(QStringLiteral("SetUp.FIL")), qPrintable(opened.message()));
    QVERIFY(!file.isOpen());
    QVERIFY(!QFileInfo(path).isFile());
}

void SlotFileTest::openFailsWithoutDataDirectory() {
    app_.reset();
    TempAppDir bare(false);
    SlotFile file;
    const Outcome opened = file.OpenSlotFile();
    QVERIFY(!opened.ok());
    QVERIFY2(opened.message().contains(QStringLiteral("SetUp.FIL")), qPrintable(opened.message()));
    QVERIFY(!QFileInfo::exists(DataDirPath()));
}

void SlotFileTest::reportsDeviceFailure_data() {
    QTest::addColumn<qint64>("writableBytes");
    QTest::addColumn<bool>("readsFail");
    QTest::addColumn<bool>("writing");
    QTest::addColumn<QString>("expected");

    const QString writeError = QString::fromLatin1(FailingDevice::WriteError);
    QTest::newRow("write refused") << qint64(0) << false << true << writeError;
    QTest::newRow("write stops part way") << qint64(100) << false << true << writeError;
    QTest::newRow("read fails") << FailingDevice::Unlimited << true << false
                                << QString::fromLatin1(FailingDevice::ReadError);
}

void SlotFileTest::reportsDeviceFailure() {
    QFETCH(qint64, writableBytes);
    QFETCH(bool, readsFail);
    QFETCH(bool, writing);
    QFETCH(QString, expected);

    auto device = std::make_unique<FailingDevice>(writableBytes, readsFail);
    device->contents = numberedFile(SlotCount);
    SlotFile file;
    QVERIFY_OK(file.OpenSlotDevice(std::move(device)));
    SlotRecord record = numbered(1);
    const Outcome outcome = writing ? file.WriteSlot(2, SlotRecord{QStringLiteral("new"), {}, {}})
                                    : file.ReadSlot(2, record);
    QVERIFY(!outcome.ok());
    QVERIFY2(outcome.message().startsWith(QStringLiteral("スロット 2 ")),
             qPrintable(outcome.message()));
    QVERIFY2(outcome.message().contains(expected), qPrintable(outcome.message()));
    if (!writing)
        QCOMPARE(record, SlotRecord());
}

void SlotFileTest::refusesWhenClosed() {
    SlotFile file;
    SlotRecord record = numbered(1);
    QVERIFY(!file.ReadSlot(1, record).ok());
    QCOMPARE(record, SlotRecord());
    QVERIFY(!file.WriteSlot(1, record).ok());

    QVERIFY_OK(file.OpenSlotFile());
    file.CloseSlotFile();
    QVERIFY(!file.isOpen());
    QVERIFY(!file.WriteSlot(1, record).ok());
    QCOMPARE(QFileInfo(app_->dataPath(QStringLiteral("SetUp.FIL"))).size(), 0);
}

QTEST_GUILESS_MAIN(SlotFileTest)
#include "tst_SlotFile.moc"
