#pragma once

#include "common/SlotRecord.h"

#include <QString>
#include <QtGlobal>
#include <array>

// The program-wide state that the windows share. The windows never pass arguments to each
// other: the editor sets the chooser's mode and slot here, opens the chooser, and reads the
// chosen path afterwards. Modality keeps two windows from working on it at once.
namespace Module1 {

// Stored booleans are 16-bit integers: true is -1, false is 0.
inline constexpr qint16 True = -1;
inline constexpr qint16 False = 0;

// The transfer value of every slot read and write.
inline SlotRecord CurrentSlot;

// Entries 1 to 5 hold the programs of slots 1 to 5; entry 0 is never used.
inline std::array<QString, 6> ProgramPaths;

// The two options as loaded and saved. The live state is the check marks of the launcher's
// menu; these are what the options file holds. Both 0 until the file is read.
inline qint16 SoftClose = False;
inline qint16 SoundEffects = False;

// The file chooser's inputs and result.
inline QString ChooserMode; // "Image" or "File", compared exactly
inline qint16 ChooserSlot = 0;
inline QString ChosenPath;
inline qint16 ChooserCancelled = False;

inline const QString ImageMode = QStringLiteral("Image");
inline const QString FileMode = QStringLiteral("File");

// Back to the state at program start; tests call this between cases.
void Reset();

} // namespace Module1
