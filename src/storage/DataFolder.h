#pragma once

#include "storage/SlotFile.h"

#include <QString>
#include <QtGlobal>
#include <array>

// What a Data folder holds, and the most of each file that is ever read: the slot file's five
// records, the options file's first 64 KiB (the two fields must lie in them), and cues of a
// short sound's size.
inline constexpr qint64 SlotFileReadLimit = qint64(SlotCount) * SlotRecordLength;
inline constexpr qint64 OptionsFileReadLimit = 64 * 1024;
inline constexpr qint64 CueFileReadLimit = qint64(8) << 20;

inline constexpr char SlotFileName[] = "SetUp.FIL";
inline constexpr char OptionsFileName[] = "DataBase.FIL";
// The four cues, in the order start-up, launch, button, version.
inline constexpr std::array<const char*, 4> CueFileNames{
    "Sound/RUN_Kidou.wav", "Sound/EXE_KIDOU.wav", "Sound/Button_Kouka.wav",
    "Sound/Vasion_Hyouji.wav"};

// The Data folder: AppPath followed by Data when this user can write there, otherwise the
// user's own copy of it (DataLocation.h). Decided on the first call for each AppPath.
QString DataDirPath();

// A file of the Data folder `dataDir`, by its name above.
QString DataFilePath(const QString& dataDir, const char* name);
