#include "platform/CodePage932.h"
// Placeholder.
std::optional<QByteArray> EncodeCodePage932(QStringView t) { return t.toLatin1(); }
QString DecodeCodePage932(QByteArrayView b) { return QString::fromLatin1(b); }
