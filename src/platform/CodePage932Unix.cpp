#include "platform/CodePage932Strict.h"

#include <QStringDecoder>
#include <QStringEncoder>

namespace {
// ICU's name for code page 932 with the Windows extensions (NEC and IBM rows).
constexpr const char* CodecName = "windows-31j";
} // namespace

std::optional<QByteArray> EncodeCodePage932Strict(QStringView text) {
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
class CodePage932StrictDecoder::State {
public:
    std::optional<QString> decode(QByteArrayView bytes) {
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

CodePage932StrictDecoder::CodePage932StrictDecoder() : state_(std::make_unique<State>()) {}

CodePage932StrictDecoder::~CodePage932StrictDecoder() = default;

std::optional<QString> CodePage932StrictDecoder::operator()(QByteArrayView bytes) {
    return state_->decode(bytes);
}
