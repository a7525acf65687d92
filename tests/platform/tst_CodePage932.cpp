#include "platform/CodePage932.h"

#include <QTest>

class CodePage932Test : public QObject {
    Q_OBJECT
private slots:
    void encodes_data();
    void encodes();
    void refusesUnrepresentable_data();
    void refusesUnrepresentable();
    void decodesDamagedBytes_data();
    void decodesDamagedBytes();
};

void CodePage932Test::encodes_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<QByteArray>("bytes");
    QTest::newRow("empty") << QString() << QByteArray();
    QTest::newRow("ascii path") << QStringLiteral("C:\\Tools\\run.exe")
                                << QByteArray("C:\\Tools\\run.exe");
    QTest::newRow("katakana") << QStringLiteral("テスト") << QByteArray("\x83\x65\x83\x58\x83\x67");
    QTest::newRow("half-width katakana") << QStringLiteral("ｱｲ") << QByteArray("\xB1\xB2");
    QTest::newRow("kanji in a path")
        << QStringLiteral("C:\\画像\\a.bmp") << QByteArray("C:\\\x89\xE6\x91\x9C\\a.bmp");
    QTest::newRow("NEC special row") << QStringLiteral("①") << QByteArray("\x87\x40");
    QTest::newRow("IBM extension") << QStringLiteral("髙") << QByteArray("\xFB\xFC");
    QTest::newRow("fullwidth tilde") << QStringLiteral("～") << QByteArray("\x81\x60");
}

void CodePage932Test::encodes() {
    QFETCH(QString, text);
    QFETCH(QByteArray, bytes);
    const std::optional<QByteArray> encoded = EncodeCodePage932(text);
    QVERIFY(encoded);
    QCOMPARE(*encoded, bytes);
    QCOMPARE(DecodeCodePage932(bytes), text);
}

void CodePage932Test::refusesUnrepresentable_data() {
    QTest::addColumn<QString>("text");
    QTest::newRow("umlaut") << QStringLiteral("Müller");
    QTest::newRow("emoji") << QStringLiteral("ゲーム😀");
    QTest::newRow("euro") << QStringLiteral("€");
    // These three have look-alikes that a lenient conversion would store instead.
    QTest::newRow("wave dash") << QStringLiteral("〜");
    QTest::newRow("yen sign") << QStringLiteral("¥");
    QTest::newRow("not sign") << QStringLiteral("¬");
    QTest::newRow("lone surrogate") << QString(QChar(0xD800));
    QTest::newRow("hangul among kana") << QStringLiteral("テ한スト");
}

void CodePage932Test::refusesUnrepresentable() {
    QFETCH(QString, text);
    QVERIFY(!EncodeCodePage932(text));
}

void CodePage932Test::decodesDamagedBytes_data() {
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("text");
    const QString bad(QChar::ReplacementCharacter);
    QTest::newRow("lead byte at the end") << QByteArray("A\x83") << QStringLiteral("A") + bad;
    QTest::newRow("lead byte before a space") << QByteArray("\x83 B") << bad + QStringLiteral(" B");
    QTest::newRow("text on both sides")
        << QByteArray("\x83\x65\x83!g") << QStringLiteral("テ") + bad + QStringLiteral("!g");
}

void CodePage932Test::decodesDamagedBytes() {
    QFETCH(QByteArray, bytes);
    QFETCH(QString, text);
    QCOMPARE(DecodeCodePage932(bytes), text);
}

QTEST_GUILESS_MAIN(CodePage932Test)
#include "tst_CodePage932.moc"
