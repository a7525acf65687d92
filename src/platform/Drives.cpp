#include "platform/Drives.h"
// Placeholder.
QStringList ListDrives() { return {QStringLiteral("/")}; }
bool IsHiddenOrSystemFile(const QFileInfo& f) { return f.isHidden(); }
bool IsExecutableProgram(const QFileInfo& f) { return f.isFile() && f.isExecutable(); }
