#include "storage/OptionsFile.h"
// Placeholder.
std::optional<StoredOptions> ParseOptions(QByteArrayView) { return std::nullopt; }
QByteArray FormatOptions(const StoredOptions&) { return {}; }
Outcome LoadOptions(const QString&) { return Outcome::success(); }
Outcome SaveOptions(const QString&) { return Outcome::success(); }
