#include "StorageTestHelpers.h"
#include "TestSeams.h"
#include "common/Module1.h"
#include "storage/OptionsFile.h"

#include <QFileInfo>
#include <QTest>
#include <optional>

#ifdef Q_OS_UNIX
#include <csignal>
#include <sys/resource.h>
#endif

namespace {

const QString OptionsFileName = QStringLiteral("DataBase.FIL");

// Values no load of a test file produces, to see that a failed load leaves them alone.
constexpr qint16 UntouchedSoftClose = 7;
constexpr qint16 UntouchedSoundEffects = 8;

void setUntouched() {
    Module1::SoftClose = UntouchedSoftClose;
    Module1::SoundEffects = UntouchedSoundEffects;
}

} // namespace

class OptionsFileTest : public QObject {
    Q_OBJECT
private slots:
    void init() {
        Module1::Reset();
        app_.emplace();
    }
    void cleanup() { app_.reset(); }

    void parses_data();
    void parses();
    void parseRefuses_data();
    void parseRefuses();
    void loads_data();
    void loads();
    void loadFails_data();
    void loadFails();
    void saves_data();
    void saves();
    void refusesNotAFile_data();
    void refusesNotAFile();
    void saveFailsWithoutDataDirectory();
    void failedSaveKeepsOldFile();

private:
    std::optional<TempAppDir> app_;
};

void OptionsFileTest::parses_data() {
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<int>("softClose");
    QTest::addColumn<int>("soundEffects");

    QTest::newRow("one line") << QByteArray("-1,0\r\n") << -1 << 0;
    QTest::newRow("two lines") << QByteArray("0\r\n-1\r\n") << 0 << -1;
    QTest::newRow("LF line ends") << QByteArray("-1\n0\n") << -1 << 0;
    QTest::newRow("CR line ends") << QByteArray("-1\r0\r") << -1 << 0;
    QTest::newRow("no line end") << QByteArray("0,0") << 0 << 0;
    QTest::newRow("six values") << QByteArray("-1,0,5,6,7,8\r\n") << -1 << 0;
    QTest::newRow("words after the second field")
        << QByteArray("-1,0,True,\"x\"\r\n#FALSE#\r\n") << -1 << 0;
    QTest::newRow("spaces around") << QByteArray("  -1 ,  0  \r\n") << -1 << 0;
    QTest::newRow("tabs around") << QByteArray("\t-1\t,\t0\t") << -1 << 0;
    QTest::newRow("blank lines before") << QByteArray("\r\n\n  \r\n-1,0") << -1 << 0;
    QTest::newRow("blank lines between") << QByteArray("-1\r\n\r\n0") << -1 << 0;
    QTest::newRow("line end after the comma") << QByteArray("-1,\r\n0") << -1 << 0;
    QTest::newRow("5 stays 5") << QByteArray("0,5\r\n") << 0 << 5;
    QTest::newRow("16-bit ends") << QByteArray("-32768,32767") << -32768 << 32767;
    QTest::newRow("plus sign, leading zeros") << QByteArray("+7,-007") << 7 << -7;
    QTest::newRow("minus zero") << QByteArray("-0,1") << 0 << 1;
}

void OptionsFileTest::parses() {
    QFETCH(QByteArray, text);
    QFETCH(int, softClose);
    QFETCH(int, soundEffects);
    const std::optional<StoredOptions> options = ParseOptions(text);
    QVERIFY(options);
    QCOMPARE(options->SoftClose, softClose);
    QCOMPARE(options->SoundEffects, soundEffects);
}

void OptionsFileTest::parseRefuses_data() {
    QTest::addColumn<QByteArray>("text");

    QTest::newRow("True, False") << QByteArray("True,False");
    QTest::newRow("Boolean literals") << QByteArray("#TRUE#,#FALSE#\r\n");
    QTest::newRow("quoted number") << QByteArray("\"-1\",0");
    QTest::newRow("fraction") << QByteArray("1.5,0");
    QTest::newRow("exponent") << QByteArray("0,1e3");
    QTest::newRow("hex") << QByteArray("0x1,0");
    QTest::newRow("40000") << QByteArray("40000,0");
    QTest::newRow("32768") << QByteArray("0,32768");
    QTest::newRow("-32769") << QByteArray("-32769,0");
    QTest::newRow("long digit run") << QByteArray("0,123456789012345678901234567890");
    QTest::newRow("empty text") << QByteArray("");
    QTest::newRow("only line ends") << QByteArray("\r\n\r\n");
    QTest::newRow("one field") << QByteArray("1");
    QTest::newRow("one line of one field") << QByteArray("1\r\n");
    QTest::newRow("second field empty") << QByteArray("1,");
    QTest::newRow("first field empty") << QByteArray(",1");
    QTest::newRow("blank field") << QByteArray("  ,1");
    QTest::newRow("space inside") << QByteArray("1 2,0");
    QTest::newRow("sign alone") << QByteArray("-,0");
    QTest::newRow("space after sign") << QByteArray("- 1,0");
    QTest::newRow("two signs") << QByteArray("--1,0");
    QTest::newRow("full-width digit") << QByteArray("\x82\x50,0");
    QTest::newRow("NUL byte") << QByteArray("1\0,0", 4);
}

void OptionsFileTest::parseRefuses() {
    QFETCH(QByteArray, text);
    QVERIFY(!ParseOptions(text));
}

void OptionsFileTest::loads_data() {
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<int>("softClose");
    QTest::addColumn<int>("soundEffects");

    QTest::newRow("as saved") << QByteArray::fromHex("2D312C300D0A") << -1 << 0;
    QTest::newRow("a huge line") << "0,5" + QByteArray(",1").repeated(1 << 20) << 0 << 5;
    QTest::newRow("fields ending just inside the 64 KiB read")
        << QByteArray(65530, ' ') + "3,4\r\n" + QByteArray(100000, ' ') << 3 << 4;
}

void OptionsFileTest::loads() {
    QFETCH(QByteArray, file);
    QFETCH(int, softClose);
    QFETCH(int, soundEffects);
    app_->writeData(OptionsFileName, file);
    QVERIFY_OK(LoadOptions());
    QCOMPARE(Module1::SoftClose, softClose);
    QCOMPARE(Module1::SoundEffects, soundEffects);
}

void OptionsFileTest::loadFails_data() {
    QTest::addColumn<std::optional<QByteArray>>("file");

    QTest::newRow("missing") << std::optional<QByteArray>();
    QTest::newRow("empty") << std::optional(QByteArray());
    QTest::newRow("one field") << std::optional(QByteArray("-1\r\n"));
    QTest::newRow("Boolean keywords") << std::optional(QByteArray("#TRUE#,#FALSE#\r\n"));
    QTest::newRow("out of range") << std::optional(QByteArray("0,65535\r\n"));
    QTest::newRow("fields beyond the 64 KiB read")
        << std::optional(QByteArray(70000, '\n') + "-1,0\r\n");
    QTest::newRow("second field cut by the 64 KiB read")
        << std::optional(QByteArray(65532, ' ') + "1,234\r\n");
}

void OptionsFileTest::loadFails() {
    QFETCH(std::optional<QByteArray>, file);
    if (file)
        app_->writeData(OptionsFileName, *file);
    setUntouched();
    const Outcome loaded = LoadOptions();
    QVERIFY(!loaded.ok());
    QVERIFY2(loaded.message().contains(OptionsFileName), qPrintable(loaded.message()));
    QCOMPARE(Module1::SoftClose, UntouchedSoftClose);
    QCOMPARE(Module1::SoundEffects, UntouchedSoundEffects);
    QCOMPARE(app_->dataExists(OptionsFileName), file.has_value());
}

void OptionsFileTest::saves_data() {
    QTest::addColumn<std::optional<QByteArray>>("before");
    QTest::addColumn<int>("softClose");
    QTest::addColumn<int>("soundEffects");
    QTest::addColumn<QByteArray>("after");

    QTest::newRow("over a file of six values")
        << std::optional(QByteArray("-1,-1,5,6,7,8\r\nmore\r\n")) << 0 << -1
        << QByteArray::fromHex("302C2D310D0A");
    QTest::newRow("creates a missing file")
        << std::optional<QByteArray>() << -1 << -1 << QByteArray("-1,-1\r\n");
    QTest::newRow("an odd value is written back")
        << std::optional(QByteArray("0,5\r\n")) << 0 << 5 << QByteArray("0,5\r\n");
    QTest::newRow("16-bit ends") << std::optional(QByteArray()) << -32768 << 32767
                                 << QByteArray("-32768,32767\r\n");
}

void OptionsFileTest::saves() {
    QFETCH(std::optional<QByteArray>, before);
    QFETCH(int, softClose);
    QFETCH(int, soundEffects);
    QFETCH(QByteArray, after);
    if (before)
        app_->writeData(OptionsFileName, *before);
    Module1::SoftClose = qint16(softClose);
    Module1::SoundEffects = qint16(soundEffects);
    QVERIFY_OK(SaveOptions());
    QCOMPARE(app_->readData(OptionsFileName), after);

    setUntouched();
    QVERIFY_OK(LoadOptions());
    QCOMPARE(Module1::SoftClose, softClose);
    QCOMPARE(Module1::SoundEffects, soundEffects);
}

void OptionsFileTest::refusesNotAFile_data() {
    AddNotAFileRows();
}

void OptionsFileTest::refusesNotAFile() {
    QFETCH(NotAFile, kind);
    const QString path = app_->dataPath(OptionsFileName);
    if (!PutNotAFile(kind, path))
        QSKIP("this system cannot make it");
    setUntouched();
    const Outcome loaded = LoadOptions();
    QVERIFY(!loaded.ok());
    QVERIFY2(loaded.message().contains(OptionsFileName), qPrintable(loaded.message()));
    QCOMPARE(Module1::SoftClose, UntouchedSoftClose);

    const Outcome saved = SaveOptions();
    QVERIFY(!saved.ok());
    QVERIFY2(saved.message().contains(OptionsFileName), qPrintable(saved.message()));
    QVERIFY(!QFileInfo(path).isFile());
}

void OptionsFileTest::saveFailsWithoutDataDirectory() {
    app_.reset();
    TempAppDir bare(false);
    const Outcome saved = SaveOptions();
    QVERIFY(!saved.ok());
    QVERIFY2(saved.message().contains(OptionsFileName), qPrintable(saved.message()));
    QVERIFY(!QFileInfo::exists(DataDirPath()));
}

void OptionsFileTest::failedSaveKeepsOldFile() {
#ifdef Q_OS_UNIX
    // A file size limit makes the new content fail to reach the disk, even for root.
    const QByteArray old("-1,-1\r\n");
    app_->writeData(OptionsFileName, old);
    Module1::SoftClose = 0;
    Module1::SoundEffects = 0;

    rlimit saved{};
    QVERIFY(::getrlimit(RLIMIT_FSIZE, &saved) == 0);
    rlimit tiny = saved;
    tiny.rlim_cur = 3;
    const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    QVERIFY(::setrlimit(RLIMIT_FSIZE, &tiny) == 0);
    const Outcome outcome = SaveOptions();
    ::setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, oldHandler);

    QVERIFY(!outcome.ok());
    QVERIFY2(outcome.message().contains(OptionsFileName), qPrintable(outcome.message()));
    QCOMPARE(app_->readData(OptionsFileName), old);
    const QStringList left = QDir(DataDirPath()).entryList(QDir::Files);
    QCOMPARE(left, QStringList{OptionsFileName});
#else
    QSKIP("needs a file size limit");
#endif
}

QTEST_GUILESS_MAIN(OptionsFileTest)
#include "tst_OptionsFile.moc"
