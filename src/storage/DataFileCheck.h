#pragma once

#include "common/Outcome.h"

#include <QString>

// Fails, naming the file, when something other than a regular file (or a link to one) stands
// at `path`: a directory, a FIFO, a device, a dangling link. A missing file passes. Checked
// before a data file is opened, because opening a FIFO blocks until someone writes to it.
// `what` names the file for the user, e.g. "スロットファイル".
Outcome RefuseNonRegularFile(const QString& path, const QString& what);

// The path as the user's system writes it, for messages.
QString NativePath(const QString& path);
