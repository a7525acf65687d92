#pragma once

#include <QString>

// Where the launcher keeps its Data folder.
//
// Beside the executable when this user can write there: the portable program folder, as it
// always was. Otherwise (a program installed for every user, a read-only medium) each user
// gets a Data folder of his own, made on the first start as a copy of the program's Data and
// used from then on; the program's folder is only ever read. When the user's folder can be
// neither found nor made, the program's Data is used as it stands: what it holds still shows,
// and each save says why it fails.
//
// A Data folder that is missing beside the executable is left for start-up to report.
QString LocateDataDir(const QString& programData, const QString& userData);

// The user's own Data folder: TESSELO/Data in the per-user application data folder, on Linux
// $XDG_DATA_HOME/TESSELO/Data (~/.local/share/TESSELO/Data by default). Empty when the system
// names no such folder.
QString UserDataDir();
