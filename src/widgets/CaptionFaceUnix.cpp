#include "widgets/CaptionFace.h"

// fontconfig resolves the system's face ("Sans Serif") to one the user has, so there is nothing
// to mend. Asking the font database would list every face on the machine first, some 9 ms of
// every start.
void KeepCaptionFaceDrawable(const QString&) {}
