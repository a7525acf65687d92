#pragma once

#include "common/Outcome.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QtGlobal>
#include <optional>

// Stored booleans are 16-bit integers: true is -1, false is 0.
inline constexpr qint16 StoredTrue = -1;
inline constexpr qint16 StoredFalse = 0;

inline qint16 StoredBoolean(bool value) {
    return value ? StoredTrue : StoredFalse;
}

// The options file: one line, "<close after launch>,<sound effects>" CR LF, each a decimal
// 16-bit signed integer (-1 true, 0 false). Any other stored value is kept as it is.
struct StoredOptions {
    qint16 closeAfterLaunch = StoredFalse;
    qint16 soundEffects = StoredFalse;
    friend bool operator==(const StoredOptions&, const StoredOptions&) = default;
};

// Reads the first two fields. Fields end at a comma or a line end; empty lines before a field
// are skipped and spaces around a number are ignored. Anything after the second field is
// ignored. A field that is not a plain decimal integer in -32768..32767 is refused.
// Tabs count as spaces, and a number may carry a leading '+' as well as a '-'.
std::optional<StoredOptions> ParseOptions(QByteArrayView text);

// The exact bytes the program writes, for example "0,-1\r\n".
QByteArray FormatOptions(const StoredOptions& options);

// Reads the options file. Only the first 64 KiB are read; the two fields must lie in it.
Result<StoredOptions> LoadOptions(const QString& path);

// Replaces the options file with `options`, atomically: the file holds either its old content
// or the new one, never anything in between.
Outcome SaveOptions(const QString& path, const StoredOptions& options);
