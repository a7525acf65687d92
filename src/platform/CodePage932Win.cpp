#include "platform/CodePage932Strict.h"

#include <qt_windows.h>

namespace {
constexpr UINT CodePage = 932;
} // namespace

std::optional<QByteArray> EncodeCodePage932Strict(QStringView text) {
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

// The system converts each text on its own and keeps nothing: no state is made.
class CodePage932StrictDecoder::State {};

CodePage932StrictDecoder::CodePage932StrictDecoder() = default;

CodePage932StrictDecoder::~CodePage932StrictDecoder() = default;

std::optional<QString> CodePage932StrictDecoder::operator()(QByteArrayView bytes) {
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
