#include "storage/OptionsFile.h"

#include "storage/DataFileCheck.h"
#include "storage/DataFolder.h"

#include <QFile>
#include <QSaveFile>
#include <array>

namespace {

bool isBlank(char c) {
    return c == ' ' || c == '\t';
}
bool isLineEnd(char c) {
    return c == '\r' || c == '\n';
}

// A plain decimal integer with an optional sign, in the 16-bit range.
std::optional<qint16> parseNumber(QByteArrayView text) {
    bool negative = false;
    if (!text.isEmpty() && (text.front() == '-' || text.front() == '+')) {
        negative = text.front() == '-';
        text = text.sliced(1);
    }
    if (text.isEmpty())
        return std::nullopt;
    qint32 value = 0;
    for (char c : text) {
        if (c < '0' || c > '9')
            return std::nullopt;
        value = value * 10 + (c - '0');
        if (value > 32768) // stops long digit runs before they overflow
            return std::nullopt;
    }
    if (negative)
        value = -value;
    if (value > 32767)
        return std::nullopt;
    return qint16(value);
}

struct ParseResult {
    std::optional<StoredOptions> options;
    bool secondFieldReachedEnd = false; // the second field ran to the end of the text
};

ParseResult parseTwoFields(QByteArrayView text) {
    std::array<qint16, 2> values{};
    qsizetype pos = 0;
    bool reachedEnd = false;
    for (qint16& value : values) {
        // Blank and empty lines before a field are skipped.
        while (pos < text.size() && (isBlank(text[pos]) || isLineEnd(text[pos])))
            ++pos;
        qsizetype end = pos;
        while (end < text.size() && text[end] != ',' && !isLineEnd(text[end]))
            ++end;
        reachedEnd = end == text.size();
        QByteArrayView field = text.sliced(pos, end - pos);
        while (!field.isEmpty() && isBlank(field.back()))
            field.chop(1);
        const std::optional<qint16> number = parseNumber(field);
        if (!number)
            return {};
        value = *number;
        pos = reachedEnd ? end : end + 1; // past the comma or the line end
    }
    return {StoredOptions{values[0], values[1]}, reachedEnd};
}

} // namespace

std::optional<StoredOptions> ParseOptions(QByteArrayView text) {
    return parseTwoFields(text).options;
}

QByteArray FormatOptions(const StoredOptions& options) {
    return QByteArray::number(options.closeAfterLaunch) + ',' +
           QByteArray::number(options.soundEffects) + "\r\n";
}

Result<StoredOptions> LoadOptions(const QString& path) {
    const auto failed = [&](const QString& why) {
        return Outcome::failure(
            QStringLiteral("オプションファイル %1 %2").arg(NativePath(path), why));
    };
    if (!QFile::exists(path))
        return failed(QStringLiteral("が見つかりません。"));
    if (Outcome usable = RefuseNonRegularFile(path, QStringLiteral("オプションファイル")); !usable)
        return usable;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return failed(QStringLiteral("を開けません: ") + file.errorString());
    QByteArray text(OptionsFileReadLimit, '\0');
    const qint64 got = file.read(text.data(), OptionsFileReadLimit);
    if (got < 0)
        return failed(QStringLiteral("を読み込めません: ") + file.errorString());
    text.truncate(got);
    const bool more = !file.atEnd();
    file.close();

    const ParseResult parsed = parseTwoFields(text);
    // Cut off inside the second field, the field cannot be judged: it may go on.
    if (!parsed.options || (more && parsed.secondFieldReachedEnd))
        return failed(QStringLiteral("の先頭に -32768 から 32767 の整数が 2 つありません。"));
    return *parsed.options;
}

Outcome SaveOptions(const QString& path, const StoredOptions& options) {
    const auto failed = [&](const QString& detail) {
        return Outcome::failure(QStringLiteral("オプションファイル %1 を保存できません: %2")
                                    .arg(NativePath(path), detail));
    };
    // The old file is replaced by renaming, which would quietly swap a FIFO or a device for a
    // regular file; such a thing is refused instead, like on reading.
    if (Outcome usable = RefuseNonRegularFile(path, QStringLiteral("オプションファイル")); !usable)
        return usable;
    const QByteArray bytes = FormatOptions(options);
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return failed(file.errorString());
    // Flushed here because commit() does not notice a write that fails while it flushes,
    // and would put a cut-off file in place of the old one.
    if (file.write(bytes) != bytes.size() || !file.flush()) {
        const QString detail = file.errorString();
        file.cancelWriting();
        return failed(detail);
    }
    if (!file.commit())
        return failed(file.errorString());
    return Outcome::success();
}
