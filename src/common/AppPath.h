#pragma once

#include <QString>

// The directory that holds the executable. Every data file lives below it, never below the
// working directory, so the launcher behaves the same however it was started.
QString AppPath();

// Points AppPath somewhere else, for tests. An empty path restores the real one.
void SetAppPathForTesting(const QString& path);
