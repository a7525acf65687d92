#pragma once

#include "common/AppPath.h"
#include "common/Outcome.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QtGlobal>
#include <optional>

// The options file: one line, "<SoftClose>,<SoundEffects>" CR LF, each a decimal 16-bit
// signed integer (-1 true, 0 false).
struct StoredOptions {
    qint16 SoftClose = 0;
    qint16 SoundEffects = 0;
    friend bool operator==(const StoredOptions&, const StoredOptions&) = default;
};

// Reads the first two fields. Fields end at a comma or a line end; empty lines before a field
// are skipped and spaces around a number are ignored. Anything after the second field is
// ignored. A field that is not a plain decimal integer in -32768..32767 is refused.
// Tabs count as spaces, and a number may carry a leading '+' as well as a '-'.
std::optional<StoredOptions> ParseOptions(QByteArrayView text);

// The exact bytes the program writes, for example "0,-1\r\n".
QByteArray FormatOptions(const StoredOptions& options);

// Reads the options file into Module1::SoftClose and Module1::SoundEffects. On failure the two
// values are left as they were. Only the first 64 KiB are read; the two fields must lie in it.
Outcome LoadOptions(const QString& path = OptionsFilePath());

// Replaces the options file with Module1::SoftClose and Module1::SoundEffects, atomically: the
// file holds either its old content or the new one, never anything in between.
Outcome SaveOptions(const QString& path = OptionsFilePath());
