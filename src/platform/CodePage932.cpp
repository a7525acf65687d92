#include "platform/CodePage932.h"

#ifdef Q_OS_WIN
#include <qt_windows.h>
#else
#include <QStringDecoder>
#include <QStringEncoder>
#endif

namespace {

// Strict conversions: nothing when a character or byte sequence has no counterpart. Both
// directions may still map some characters to a near look-alike ("best fit"); the round trip
// in EncodeCodePage932 catches those.

#ifdef Q_OS_WIN

constexpr UINT CodePage = 932;

std::optional<QByteArray> encodeStrict(QStringView text) {
    if (text.isEmpty())
        return QByteArray();
    const auto* wide = reinterpret_cast<const wchar_t*>(text.utf16());
    const int wideLength = int(text.size());
    BOOL usedDefault = FALSE;
    const int size = WideCharToMultiByte(CodePage, WC_NO_BEST_FIT_CHARS, wide, wideLength, nullptr,
                                         0, nullptr, &usedDefault);
    if (size <= 0 || usedDefault)
        return std::nullopt;
    QByteArray bytes(size, Qt::Uninitialized);
    if (WideCharToMultiByte(CodePage, WC_NO_BEST_FIT_CHARS, wide, wideLength, bytes.data(), size,
                            nullptr, &usedDefault) != size ||
        usedDefault)
        return std::nullopt;
    return bytes;
}

// Decodes one piece of text after another.
class StrictDecoder {
public:
    std::optional<QString> operator()(QByteArrayView bytes) const {
        if (bytes.isEmpty())
            return QString();
        const int length = int(bytes.size());
        const int size =
            MultiByteToWideChar(CodePage, MB_ERR_INVALID_CHARS, bytes.data(), length, nullptr, 0);
        if (size <= 0)
            return std::nullopt;
        QString text(size, Qt::Uninitialized);
        if (MultiByteToWideChar(CodePage, MB_ERR_INVALID_CHARS, bytes.data(), length,
                                reinterpret_cast<wchar_t*>(text.data()), size) != size)
            return std::nullopt;
        return text;
    }
};

#else

// ICU's name for code page 932 with the Windows extensions (NEC and IBM rows).
constexpr const char* CodecName = "windows-31j";

std::optional<QByteArray> encodeStrict(QStringView text) {
    QStringEncoder encoder(CodecName, QStringConverter::Flag::Stateless);
    if (!encoder.isValid())
        return std::nullopt;
    QByteArray bytes = encoder.encode(text);
    if (encoder.hasError())
        return std::nullopt;
    return bytes;
}

// Decodes one piece of text after another with one converter: opening an ICU converter costs
// far more than decoding a short text.
class StrictDecoder {
public:
    std::optional<QString> operator()(QByteArrayView bytes) {
        if (!decoder_.isValid())
            return std::nullopt;
        QString text = decoder_.decode(bytes);
        if (decoder_.hasError()) {
            // resetState() does not bring an ICU converter back from an error; a new one
            // starts clean.
            decoder_ = QStringDecoder(CodecName, QStringConverter::Flag::Stateless);
            return std::nullopt;
        }
        return text;
    }

private:
    QStringDecoder decoder_{CodecName, QStringConverter::Flag::Stateless};
};

#endif

bool isLeadByte(uchar b) {
    return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC);
}
bool isTrailByte(uchar b) {
    return b >= 0x40 && b <= 0xFC && b != 0x7F;
}

// The slow path for bytes that do not decode as a whole: one character at a time, each
// undecodable one becoming U+FFFD, so a damaged name still shows what can be shown.
QString decodeByCharacter(QByteArrayView bytes, StrictDecoder& decodeStrict) {
    QString text;
    qsizetype i = 0;
    while (i < bytes.size()) {
        const bool pair =
            isLeadByte(uchar(bytes[i])) && i + 1 < bytes.size() && isTrailByte(uchar(bytes[i + 1]));
        const QByteArrayView unit = bytes.sliced(i, pair ? 2 : 1);
        const std::optional<QString> decoded = decodeStrict(unit);
        text += decoded && !decoded->isEmpty() ? *decoded : QString(QChar::ReplacementCharacter);
        i += unit.size();
    }
    return text;
}

} // namespace

std::optional<QByteArray> EncodeCodePage932(QStringView text) {
    std::optional<QByteArray> bytes = encodeStrict(text);
    if (!bytes)
        return std::nullopt;
    // A character stored as a look-alike would come back as a different text.
    const std::optional<QString> back = StrictDecoder()(*bytes);
    if (!back || *back != text)
        return std::nullopt;
    return bytes;
}

QString DecodeCodePage932(QByteArrayView bytes) {
    StrictDecoder decodeStrict;
    if (std::optional<QString> text = decodeStrict(bytes))
        return *text;
    return decodeByCharacter(bytes, decodeStrict);
}
