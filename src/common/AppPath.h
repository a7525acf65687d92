#pragma once

#include <QString>

// The directory that holds the executable. Every data file lives below it, never below the
// working directory, so the launcher behaves the same however it was started.
QString AppPath();

// Points AppPath somewhere else, for tests. An empty path restores the real one.
void SetAppPathForTesting(const QString& path);

// The Data folder: AppPath followed by Data when this user can write there, otherwise the
// user's own copy of it (platform/DataLocation.h). Decided on the first call for each AppPath.
QString DataDirPath();
// The data files in it.
QString SlotFilePath();    // Data/SetUp.FIL
QString OptionsFilePath(); // Data/DataBase.FIL
