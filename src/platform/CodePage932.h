#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringView>
#include <optional>

// Texts in the data files are stored in code page 932 (Shift_JIS with the Windows
// extensions), whatever the system the launcher runs on.

// The bytes of `text`, or nothing when a character has no code page 932 form.
std::optional<QByteArray> EncodeCodePage932(QStringView text);

// Decodes bytes; a byte sequence that is not code page 932 becomes a replacement character.
QString DecodeCodePage932(QByteArrayView bytes);
