// The slot file's records and the options line byte for byte, and what either file refuses.

#include "TestSeams.h"
#include "storage/OptionsFile.h"
#include "storage/SlotFile.h"

#include <QBuffer>
#include <QTest>

using namespace Qt::StringLiterals;

namespace {
const QByteArray TwoSlots = RecordBytes("one", "C:\\1.exe", "") + RecordBytes("two", "", "2.bmp");
const QString SetUp = u"SetUp.FIL"_s, DataBase = u"DataBase.FIL"_s;

// Its reads fail, and its writes stop after 200 bytes, as on a full disk.
struct BrokenDevice final : QBuffer {
    qint64 readData(char*, qint64) override { return -1; }
    qint64 writeData(const char* data, qint64 size) override {
        return QBuffer::writeData(data, qMin<qint64>(size, 200));
    }
};
} // namespace

class DataFilesTest : public QObject {
    Q_OBJECT
private slots:
    void writesRecords_data() {
        QTest::addColumn<int>("slot");
        QTest::addColumn<SlotRecord>("record");
        QTest::addColumn<QByteArray>("bytes"); // zero filled to 500
        QTest::newRow("three fields over slot 2")
            << 2 << SlotRecord{u"ゲーム"_s, u"C:\\Games\\run.exe"_s, u"C:\\画像\\a.bmp"_s}
            << RecordBytes("\x83\x51\x81\x5B\x83\x80", "C:\\Games\\run.exe",
                           "C:\\\x89\xE6\x91\x9C\\a.bmp");
        QTest::newRow("494 bytes past a gap, a count above 255")
            << 4 << SlotRecord{u"あ"_s.repeated(100), QString(284, u'p'), QString(10, u'i')}
            << QByteArray("\xC8\0", 2) + QByteArray("\x82\xA0").repeated(100) + "\x1C\x01" +
                   QByteArray(284, 'p') + QByteArray("\n\0", 2) + QByteArray(10, 'i');
        QTest::newRow("Windows extensions in slot 5")
            << 5 << SlotRecord{u"ｱ①髙～"_s, {}, {}} << QByteArray::fromHex("0700B18740FBFC8160");
    }
    void writesRecords() {
        QFETCH(int, slot);
        QFETCH(SlotRecord, record);
        QFETCH(QByteArray, bytes);
        TempAppDir app;
        app.writeData(SetUp, TwoSlots);
        SlotFile file;
        QVERIFY(file.open(app.dataPath(SetUp)) && file.write(slot - 1, record));
        // Read while the file is open: a write reported done has reached the system.
        const qsizetype at = (slot - 1) * 500;
        QCOMPARE(app.readData(SetUp).toHex(' '),
                 (TwoSlots.left(at).leftJustified(at, 0) + bytes.leftJustified(500, 0) +
                  TwoSlots.mid(at + 500))
                     .toHex(' '));
        QCOMPARE(file.read(slot - 1).value(), record);
    }

    void refusesRecords_data() {
        QTest::addColumn<int>("slot");
        QTest::addColumn<SlotRecord>("record");
        QTest::addColumn<QString>("message");
        const QString badChar =
            u"スロット %1 の%2はコードページ 932 で表せない文字を含んでいます。"_s;
        QTest::newRow("495 bytes, counted as bytes")
            << 1 << SlotRecord{u"あ"_s.repeated(200), QString(95, u'p'), {}}
            << u"スロット 1 の名前・プログラムのパス・画像のパスが合わせて 494 バイトを超えています (495 バイト)。"_s;
        QTest::newRow("umlaut in the name")
            << 2 << SlotRecord{u"Müller"_s, {}, {}} << badChar.arg(2).arg(u"名前"_s);
        QTest::newRow("emoji in the program path")
            << 5 << SlotRecord{{}, u"C:\\😀.exe"_s, {}} << badChar.arg(5).arg(u"プログラムのパス"_s);
        QTest::newRow("wave dash in the image path, too long as well")
            << 2 << SlotRecord{QString(600, u'a'), {}, u"〜"_s}
            << badChar.arg(2).arg(u"画像のパス"_s);
    }
    void refusesRecords() {
        QFETCH(int, slot);
        QFETCH(SlotRecord, record);
        TempAppDir app;
        app.writeData(SetUp, TwoSlots);
        SlotFile file;
        QVERIFY(file.open(app.dataPath(SetUp)));
        QTEST(file.write(slot - 1, record).message(), "message");
        QCOMPARE(app.readData(SetUp), TwoSlots);
    }

    void reportsDeviceFailures() {
        auto device = std::make_unique<BrokenDevice>();
        device->setData(TwoSlots);
        SlotFile file;
        QVERIFY(file.openDevice(std::move(device)) && !file.read(1));
        QVERIFY(file.write(2, {}).message().startsWith(
            u"スロット 3 を書き込めません: 500 バイト中 200 バイトのみ"_s));
    }

    void readsDamagedRecords_data() {
        QTest::addColumn<QByteArray>("bytes"); // slot 2 to the file's end
        QTest::addColumn<SlotRecord>("record");
        QTest::newRow("past the file's end") << QByteArray() << SlotRecord();
        QTest::newRow("program count past the record")
            << QByteArray("\1\0N\xF4\1", 5) + QByteArray(495, 'P') + TwoSlots
            << SlotRecord{u"N"_s, QString(495, u'P'), {}};
        QTest::newRow("clipped count splits a Japanese character")
            << "\xFF\1" + QByteArray(497, 'A') + "\x82\xA0"
            << SlotRecord{QString(497, u'A') + QChar(QChar::ReplacementCharacter), {}, {}};
        QTest::newRow("image count past the file's end")
            << QByteArray("\1\0N\1\0P\x08\0IG", 10) << SlotRecord{u"N"_s, u"P"_s, u"IG"_s};
        QTest::newRow("file ends inside a count")
            << QByteArray("\1\0N\5", 4) << SlotRecord{u"N"_s, {}, {}};
        QTest::newRow("bytes that are no code page 932")
            << RecordBytes("\x83\x65\x83!g", "\x91\x9C\x83", "\x83 B")
            << SlotRecord{u"テ\uFFFD!g"_s, u"像\uFFFD"_s, u"\uFFFD B"_s};
    }
    void readsDamagedRecords() {
        QFETCH(QByteArray, bytes);
        TempAppDir app;
        app.writeData(SetUp, TwoSlots.left(500) + bytes);
        SlotFile file;
        QVERIFY(file.open(app.dataPath(SetUp)));
        QTEST(file.read(1).value().value_or(SlotRecord{u"unread"_s, {}, {}}), "record");
    }

    void readsOptions_data() {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<QString>("options"); // as saved again
        const auto row = [](const char* name, const QByteArray& file, const char* options) {
            QTest::newRow(name) << file << QString::fromLatin1(options) + u"\r\n"_s;
        };
        row("further values of any kind", "-1,0,5,True,\"x\"\r\n#FALSE#\r\n", "-1,0");
        row("lone LF and CR", "0\n-1\r", "0,-1");
        row("spaces and tabs around", "\t -1 ,  0\t\r\n", "-1,0");
        row("blank lines before either field", "\r\n\n  \r\n-1,\r\n\r\n0", "-1,0");
        row("16-bit ends, no line end", "-32768,32767", "-32768,32767");
        row("plus sign, leading zeros", "+7,-007", "7,-7");
        row("fields just inside the 64 KiB read",
            QByteArray(65530, ' ') + "3,4\r\n" + QByteArray(100000, ' '), "3,4");
    }
    void readsOptions() {
        QFETCH(QByteArray, file);
        TempAppDir app;
        app.writeData(DataBase, file);
        const Result<StoredOptions> options = LoadOptions(app.dataPath(DataBase));
        QVERIFY(options);
        QTEST(QString::fromLatin1(FormatOptions(*options)), "options");
        QVERIFY(SaveOptions(app.dataPath(DataBase), *options)); // in place of the old file
        QTEST(QString::fromLatin1(app.readData(DataBase)), "options");
    }

    void refusesOptions_data() {
        QTest::addColumn<QByteArray>("file"); // null: no file
        QTest::newRow("missing") << QByteArray();
        for (const QByteArray file :
             {"", "-1\r\n", "#TRUE#,#FALSE#", "1.5,0", "0,32768", "-32769,0",
              "0,1234567890123456789012345", "1,", ",1", "1 2,0", "-,0"})
            QTest::addRow("%s", file.isEmpty() ? "empty" : file.trimmed().constData()) << file;
        QTest::newRow("fields beyond the 64 KiB read") << QByteArray(70000, '\n') + "-1,0\r\n";
        QTest::newRow("second field cut by the 64 KiB read")
            << QByteArray(65532, ' ') + "1,234\r\n";
    }
    void refusesOptions() {
        QFETCH(QByteArray, file);
        TempAppDir app;
        if (!file.isNull())
            app.writeData(DataBase, file);
        const Result<StoredOptions> options = LoadOptions(app.dataPath(DataBase));
        QVERIFY(!options && options.message().contains(DataBase));
    }
};

QTEST_GUILESS_MAIN(DataFilesTest)
#include "tst_DataFiles.moc"
