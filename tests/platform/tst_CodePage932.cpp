// Code page 932 as the slot file stores it: what it encodes, what it refuses rather than
// store a look-alike, and how damaged bytes read back.

#include "platform/CodePage932.h"

#include <QTest>

class CodePage932Test : public QObject {
    Q_OBJECT

private slots:
    void converts_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QByteArray>("bytes");
        QTest::newRow("kanji in a path")
            << "C:\\画像\\a.bmp" << QByteArray("C:\\\x89\xE6\x91\x9C\\a.bmp");
        QTest::newRow("half-width katakana") << "ｱｲ" << QByteArray("\xB1\xB2");
        QTest::newRow("NEC special row") << "①" << QByteArray("\x87\x40");
        QTest::newRow("IBM extension") << "髙" << QByteArray("\xFB\xFC");
        QTest::newRow("fullwidth tilde") << "～" << QByteArray("\x81\x60");
        // Damaged bytes read back with a replacement character, losing nothing around it.
        QTest::newRow("lead byte at the end") << "A\uFFFD" << QByteArray("A\x83");
        QTest::newRow("lead byte before a space") << "\uFFFD B" << QByteArray("\x83 B");
        QTest::newRow("text on both sides") << "テ\uFFFD!g" << QByteArray("\x83\x65\x83!g");
    }

    void converts() {
        QFETCH(QString, text);
        QFETCH(QByteArray, bytes);
        QCOMPARE(DecodeCodePage932(bytes), text);
        if (!text.contains(QChar::ReplacementCharacter))
            QCOMPARE(EncodeCodePage932(text), std::optional(bytes));
    }

    void refusesUnrepresentable_data() {
        QTest::addColumn<QString>("text");
        QTest::newRow("umlaut") << "Müller";
        QTest::newRow("emoji") << "ゲーム😀";
        QTest::newRow("euro") << "€";
        // These three have look-alikes that a lenient conversion would store instead.
        QTest::newRow("wave dash") << "〜";
        QTest::newRow("yen sign") << "¥";
        QTest::newRow("not sign") << "¬";
        QTest::newRow("lone surrogate") << QString(QChar(0xD800));
        QTest::newRow("hangul among kana") << "テ한スト";
    }

    void refusesUnrepresentable() {
        QFETCH(QString, text);
        QVERIFY(!EncodeCodePage932(text));
    }
};

QTEST_GUILESS_MAIN(CodePage932Test)
#include "tst_CodePage932.moc"
