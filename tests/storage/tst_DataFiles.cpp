// The slot file's records and the options line, byte for byte, and what either file refuses.

#include "FailingDevice.h"
#include "TestSeams.h"
#include "common/Module1.h"
#include "storage/OptionsFile.h"
#include "storage/SlotFile.h"

#include <QFileInfo>
#include <QTest>
#include <optional>

#ifdef Q_OS_UNIX
#include <csignal>
#include <sys/resource.h>
#include <sys/stat.h>
#endif

using namespace Qt::StringLiterals;

namespace {

// The message of a failure; empty for a success.
QString failure(const Outcome& outcome) {
    return outcome ? QString() : outcome.message();
}

const QString SlotFileName = u"SetUp.FIL"_s;
const QString OptionsFileName = u"DataBase.FIL"_s;

// Values no load of a test file produces, to see that a failed load leaves them alone.
const StoredOptions Untouched{7, 8};

QString stored() {
    return u"%1,%2"_s.arg(Module1::SoftClose).arg(Module1::SoundEffects);
}
void store(StoredOptions options) {
    Module1::SoftClose = options.SoftClose;
    Module1::SoundEffects = options.SoundEffects;
}

SlotRecord numbered(int slot) {
    const QString n = QString::number(slot);
    return {u"slot "_s + n, u"C:\\run"_s + n + u".exe"_s, u"C:\\pic"_s + n + u".bmp"_s};
}

// Slots 1 to `count` as numbered() writes them.
QByteArray numberedFile(int count) {
    QByteArray file;
    for (int slot = 1; slot <= count; ++slot) {
        const QByteArray n = QByteArray::number(slot);
        file += RecordBytes("slot " + n, "C:\\run" + n + ".exe", "C:\\pic" + n + ".bmp");
    }
    return file;
}

// What can stand where a data file belongs and must be refused, not opened: opening a FIFO
// for reading blocks until a writer comes, and the Data directory is never created.
enum class NotAFile { Directory, Fifo, NoDataDirectory };

// False where the system cannot make it.
bool putNotAFile(NotAFile kind, const QString& path) {
    if (kind == NotAFile::NoDataDirectory)
        return QDir(DataDirPath()).removeRecursively();
    if (kind == NotAFile::Directory)
        return QDir().mkdir(path);
#ifdef Q_OS_UNIX
    return ::mkfifo(QFile::encodeName(path).constData(), 0600) == 0;
#else
    return false;
#endif
}

} // namespace

// Lets QCOMPARE show what differs.
char* toString(const SlotRecord& r) {
    return QTest::toString(u"{%1 | %2 | %3}"_s.arg(r.Name, r.ProgramPath, r.ImagePath));
}

class DataFilesTest : public QObject {
    Q_OBJECT
    std::optional<TempAppDir> app_;
    SlotFile slotFile_;

    // Puts `content` into a data file; a null array leaves the file missing.
    void put(const QString& name, const QByteArray& content) {
        if (!content.isNull())
            app_->writeData(name, content);
    }
    void openSlotFile(const QByteArray& content) {
        put(SlotFileName, content);
        QCOMPARE(failure(slotFile_.OpenSlotFile()), QString());
    }

private slots:
    void init() {
        Module1::Reset();
        app_.emplace();
    }
    void cleanup() {
        slotFile_.CloseSlotFile();
        app_.reset();
    }

    void writesRecordBytes_data() {
        QTest::addColumn<int>("slot");
        QTest::addColumn<SlotRecord>("record");
        QTest::addColumn<QByteArray>("bytes");
        QTest::newRow("erased slot")
            << 1 << SlotRecord{u"Name"_s, {}, {}}
            << QByteArray::fromHex("04004E616D6500000000").leftJustified(500, 0);
        QTest::newRow("three Japanese characters count 6")
            << 3 << SlotRecord{u"テスト"_s, {}, {}}
            << QByteArray::fromHex("0600836583588367").leftJustified(500, 0);
        QTest::newRow("all three fields")
            << 2 << SlotRecord{u"ゲーム"_s, u"C:\\Games\\run.exe"_s, u"C:\\画像\\a.bmp"_s}
            << RecordBytes("\x83\x51\x81\x5B\x83\x80", "C:\\Games\\run.exe",
                           "C:\\\x89\xE6\x91\x9C\\a.bmp");
        QTest::newRow("494 bytes fill the record, a count above 255")
            << 5 << SlotRecord{u"あ"_s.repeated(100), QString(284, u'p'), QString(10, u'i')}
            << QByteArray::fromHex("C800") + QByteArray("\x82\xA0").repeated(100) +
                   QByteArray::fromHex("1C01") + QByteArray(284, 'p') +
                   QByteArray::fromHex("0A00") + QByteArray(10, 'i');
    }
    void writesRecordBytes() {
        QFETCH(int, slot);
        QFETCH(SlotRecord, record);
        QFETCH(QByteArray, bytes);
        openSlotFile("");
        QCOMPARE(failure(slotFile_.WriteSlot(slot, record)), QString());
        // Read while the handle is still open: the bytes must be on disk already, and the
        // records before a new one zero filled.
        QCOMPARE(app_->readData(SlotFileName).toHex(' '),
                 (QByteArray((slot - 1) * SlotRecordLength, 0) + bytes).toHex(' '));
        SlotRecord back{u"stale"_s, u"stale"_s, u"stale"_s};
        QCOMPARE(failure(slotFile_.ReadSlot(slot, back)), QString());
        QCOMPARE(back, record);
    }

    void refusesRecordLeavingFileAlone_data() {
        QTest::addColumn<int>("slot");
        QTest::addColumn<SlotRecord>("record");
        QTest::addColumn<QString>("message");
        const QString tooLong = u"スロット %1 の名前・プログラムのパス・画像のパスが合わせて 494 "
                                u"バイトを超えています (495 バイト)。"_s;
        const QString badChar =
            u"スロット %1 の%2はコードページ 932 で表せない文字を含んでいます。"_s;
        const QString badSlot = u"スロット番号 %1 は 1 から 5 の範囲にありません。"_s;
        QTest::newRow("495 bytes") << 3 << SlotRecord{QString(495, u'a'), {}, {}} << tooLong.arg(3);
        QTest::newRow("bytes counted, not characters")
            << 1 << SlotRecord{u"あ"_s.repeated(200), QString(95, u'p'), {}} << tooLong.arg(1);
        QTest::newRow("umlaut in the name")
            << 3 << SlotRecord{u"Müller"_s, {}, {}} << badChar.arg(3).arg(u"名前"_s);
        QTest::newRow("emoji in the program path") << 5 << SlotRecord{u"Game"_s, u"C:\\😀.exe"_s, {}}
                                                   << badChar.arg(5).arg(u"プログラムのパス"_s);
        QTest::newRow("wave dash in the image path, too long as well")
            << 2 << SlotRecord{QString(600, u'a'), {}, u"C:\\〜.bmp"_s}
            << badChar.arg(2).arg(u"画像のパス"_s);
        QTest::newRow("slot 0") << 0 << numbered(1) << badSlot.arg(0);
        QTest::newRow("slot 6") << 6 << numbered(1) << badSlot.arg(6);
    }
    void refusesRecordLeavingFileAlone() {
        QFETCH(int, slot);
        QFETCH(SlotRecord, record);
        QFETCH(QString, message);
        openSlotFile(numberedFile(SlotCount));
        const Outcome written = slotFile_.WriteSlot(slot, record);
        QVERIFY(!written.ok());
        QCOMPARE(written.message(), message);
        QCOMPARE(app_->readData(SlotFileName), numberedFile(SlotCount));
    }

    void writingSlot5KeepsSlots1To4() {
        openSlotFile(numberedFile(4));
        QCOMPARE(failure(slotFile_.WriteSlot(5, numbered(5))), QString());
        QCOMPARE(app_->readData(SlotFileName), numberedFile(5));
    }

    // Record 2 of a file, cut short by the end of the file unless record 3 follows.
    void readsDamagedRecordWithinItsBytes_data() {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<SlotRecord>("record");
        const QByteArray next = RecordBytes("next", "next", "next");
        QTest::newRow("name count runs past the record")
            << "\xFF\xFF" + QByteArray(498, 'A') + next << SlotRecord{QString(498, u'A'), {}, {}};
        QTest::newRow("program count runs past the record")
            << QByteArray::fromHex("01004EF401") + QByteArray(495, 'P') + next
            << SlotRecord{u"N"_s, QString(495, u'P'), {}};
        QTest::newRow("clipped count splits a Japanese character")
            << "\xFF\x01" + QByteArray(497, 'A') + "\x82\xA0"
            << SlotRecord{QString(497, u'A') + QChar(QChar::ReplacementCharacter), {}, {}};
        QTest::newRow("image count runs past the end of the file")
            << QByteArray::fromHex("01004E01005008004947") << SlotRecord{u"N"_s, u"P"_s, u"IG"_s};
        QTest::newRow("file ends inside the second count")
            << QByteArray::fromHex("01004E05") << SlotRecord{u"N"_s, {}, {}};
        QTest::newRow("file ends inside the third count")
            << QByteArray::fromHex("01004E000002") << SlotRecord{u"N"_s, {}, {}};
        QTest::newRow("one byte") << QByteArray("\x05", 1) << SlotRecord();
        QTest::newRow("filler is never read")
            << RecordBytes("a", "b", "c").left(9).leftJustified(500, '\xFF')
            << SlotRecord{u"a"_s, u"b"_s, u"c"_s};
    }
    void readsDamagedRecordWithinItsBytes() {
        QFETCH(QByteArray, bytes);
        QFETCH(SlotRecord, record);
        openSlotFile(numberedFile(1) + bytes);
        SlotRecord read;
        QCOMPARE(failure(slotFile_.ReadSlot(2, read)), QString());
        QCOMPARE(read, record);
    }

    void reportsDeviceFailure_data() {
        QTest::addColumn<qint64>("writableBytes");
        QTest::addColumn<bool>("readsFail");
        QTest::newRow("write refused") << qint64(0) << false;
        QTest::newRow("write stops part way") << qint64(100) << false;
        QTest::newRow("read fails") << FailingDevice::Unlimited << true;
    }
    void reportsDeviceFailure() {
        QFETCH(qint64, writableBytes);
        QFETCH(bool, readsFail);
        auto device = std::make_unique<FailingDevice>(writableBytes, readsFail);
        device->contents = numberedFile(SlotCount);
        QCOMPARE(failure(slotFile_.OpenSlotDevice(std::move(device))), QString());
        SlotRecord record = numbered(1);
        const QString message =
            failure(readsFail ? slotFile_.ReadSlot(2, record) : slotFile_.WriteSlot(2, record));
        QVERIFY2(message.startsWith(u"スロット 2 "_s) &&
                     message.contains(QLatin1String(readsFail ? FailingDevice::ReadError
                                                              : FailingDevice::WriteError)),
                 qPrintable(message));
        QCOMPARE(record, readsFail ? SlotRecord() : numbered(1));
    }

    void loadsOptions_data() {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<QString>("options");
        const auto row = [](const char* name, const QByteArray& file, const char* options) {
            QTest::newRow(name) << file << QString::fromLatin1(options);
        };
        row("as saved", QByteArray::fromHex("2D312C300D0A"), "-1,0");
        row("two lines", "0\r\n-1\r\n", "0,-1");
        row("lone LF and CR", "-1\n0\r", "-1,0");
        row("further values of any kind", "-1,0,5,True,\"x\"\r\n#FALSE#\r\n", "-1,0");
        row("spaces and tabs around", "\t -1 ,  0\t\r\n", "-1,0");
        row("blank lines before", "\r\n\n  \r\n-1,0", "-1,0");
        row("blank lines after a comma", "-1,\r\n\r\n0", "-1,0");
        row("5 stays 5", "0,5\r\n", "0,5");
        row("16-bit ends, no line end", "-32768,32767", "-32768,32767");
        row("plus sign, leading zeros", "+7,-007", "7,-7");
        row("a huge line", "0,5" + QByteArray(",1").repeated(1 << 20), "0,5");
        row("fields ending just inside the 64 KiB read",
            QByteArray(65530, ' ') + "3,4\r\n" + QByteArray(100000, ' '), "3,4");
    }
    void loadsOptions() {
        QFETCH(QByteArray, file);
        QFETCH(QString, options);
        put(OptionsFileName, file);
        QCOMPARE(failure(LoadOptions()), QString());
        QCOMPARE(stored(), options);
    }

    void refusesOptions_data() {
        QTest::addColumn<QByteArray>("file");
        QTest::newRow("missing") << QByteArray();
        for (const QByteArray file :
             {"", "-1\r\n", "#TRUE#,#FALSE#\r\n", "\"-1\",0", "1.5,0", "0,32768", "-32769,0",
              "0,1234567890123456789012345", "1,", ",1", "1 2,0", "-,0"})
            QTest::addRow("%s", file.isEmpty() ? "empty" : file.trimmed().constData()) << file;
        QTest::newRow("fields beyond the 64 KiB read") << QByteArray(70000, '\n') + "-1,0\r\n";
        QTest::newRow("second field cut by the 64 KiB read")
            << QByteArray(65532, ' ') + "1,234\r\n";
    }
    void refusesOptions() {
        QFETCH(QByteArray, file);
        put(OptionsFileName, file);
        store(Untouched);
        QVERIFY(failure(LoadOptions()).contains(OptionsFileName));
        QCOMPARE(stored(), u"7,8"_s);
        QCOMPARE(app_->dataExists(OptionsFileName), !file.isNull());
    }

    void savesOptions_data() {
        QTest::addColumn<QByteArray>("before");
        QTest::addColumn<StoredOptions>("options");
        QTest::addColumn<QByteArray>("after");
        const auto row = [](const char* name, const QByteArray& before, StoredOptions options,
                            const QByteArray& after) {
            QTest::newRow(name) << before << options << after;
        };
        row("over six values", "-1,-1,5,6,7,8\r\nmore\r\n", {0, -1},
            QByteArray::fromHex("302C2D310D0A"));
        row("creates a missing file", QByteArray(), {-1, -1}, "-1,-1\r\n");
        row("an odd value is written back", "0,5\r\n", {0, 5}, "0,5\r\n");
        row("16-bit ends", "", {-32768, 32767}, "-32768,32767\r\n");
    }
    void savesOptions() {
        QFETCH(QByteArray, before);
        QFETCH(StoredOptions, options);
        QFETCH(QByteArray, after);
        put(OptionsFileName, before);
        store(options);
        QCOMPARE(failure(SaveOptions()), QString());
        QCOMPARE(app_->readData(OptionsFileName), after);
    }

    void failedSaveKeepsOldOptions() {
#ifdef Q_OS_UNIX
        // A file size limit makes the new content fail to reach the disk, even for root.
        app_->writeData(OptionsFileName, "-1,-1\r\n");
        rlimit saved{};
        QVERIFY(::getrlimit(RLIMIT_FSIZE, &saved) == 0);
        rlimit tiny = saved;
        tiny.rlim_cur = 3;
        const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
        QVERIFY(::setrlimit(RLIMIT_FSIZE, &tiny) == 0);
        const Outcome outcome = SaveOptions();
        ::setrlimit(RLIMIT_FSIZE, &saved);
        std::signal(SIGXFSZ, oldHandler);
        QVERIFY(failure(outcome).contains(OptionsFileName));
        QCOMPARE(app_->readData(OptionsFileName), QByteArray("-1,-1\r\n"));
        QCOMPARE(QDir(DataDirPath()).entryList(QDir::Files), QStringList{OptionsFileName});
#else
        QSKIP("needs a file size limit");
#endif
    }

    void refusesWhatIsNoFile_data() {
        QTest::addColumn<NotAFile>("kind");
        QTest::newRow("directory") << NotAFile::Directory;
        QTest::newRow("FIFO") << NotAFile::Fifo;
        QTest::newRow("no Data directory") << NotAFile::NoDataDirectory;
    }
    void refusesWhatIsNoFile() {
        QFETCH(NotAFile, kind);
        for (const QString& name : {SlotFileName, OptionsFileName})
            if (!putNotAFile(kind, app_->dataPath(name)))
                QSKIP("this system cannot make it");
        QVERIFY(failure(slotFile_.OpenSlotFile()).contains(SlotFileName));
        QVERIFY(!slotFile_.isOpen());
        store(Untouched);
        QVERIFY(failure(LoadOptions()).contains(OptionsFileName));
        QCOMPARE(stored(), u"7,8"_s);
        QVERIFY(failure(SaveOptions()).contains(OptionsFileName));
        for (const QString& name : {SlotFileName, OptionsFileName})
            QVERIFY(!QFileInfo(app_->dataPath(name)).isFile());
    }
};

QTEST_GUILESS_MAIN(DataFilesTest)
#include "tst_DataFiles.moc"
