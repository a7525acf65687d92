#include "common/Module1.h"

namespace Module1 {

void Reset() {
    CurrentSlot = {};
    ProgramPaths = {};
    SoftClose = False;
    SoundEffects = False;
    ChooserMode.clear();
    ChooserSlot = 0;
    ChosenPath.clear();
    ChooserCancelled = False;
}

} // namespace Module1
