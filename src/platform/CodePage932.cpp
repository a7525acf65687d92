#include "platform/CodePage932.h"

#include "platform/CodePage932Strict.h"

namespace {

bool isLeadByte(uchar b) {
    return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC);
}
bool isTrailByte(uchar b) {
    return b >= 0x40 && b <= 0xFC && b != 0x7F;
}

// The slow path for bytes that do not decode as a whole: one character at a time, each
// undecodable one becoming U+FFFD, so a damaged name still shows what can be shown.
QString decodeByCharacter(QByteArrayView bytes, CodePage932StrictDecoder& decodeStrict) {
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
    std::optional<QByteArray> bytes = EncodeCodePage932Strict(text);
    if (!bytes)
        return std::nullopt;
    // A character stored as a look-alike would come back as a different text.
    const std::optional<QString> back = CodePage932StrictDecoder()(*bytes);
    if (!back || *back != text)
        return std::nullopt;
    return bytes;
}

QString DecodeCodePage932(QByteArrayView bytes) {
    CodePage932StrictDecoder decodeStrict;
    if (std::optional<QString> text = decodeStrict(bytes))
        return *text;
    return decodeByCharacter(bytes, decodeStrict);
}
