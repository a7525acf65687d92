#pragma once

#include "TestSeams.h"

#include <QByteArray>
#include <QStringList>

// Fills a program folder for the launcher: slot i is named "slot<i>", starts programs[i - 1]
// (empty: nothing) and shows a picture; the options file holds `options` ("-1,0\r\n").
void WriteLauncherData(const TempAppDir& dir, const QStringList& programs,
                       const QByteArray& options);

// Replaces the options file by a directory: every save then fails, also for root.
void BlockOptionsFile(const TempAppDir& dir);
