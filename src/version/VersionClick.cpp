#include "launcher/Main.h"
#include "version/Version_Jouhou.h"

void Main::Version_Click() {
    if (ending_)
        return;
    cues_.PlaySoundCue(SoundCue::VersionCue);
    // Built afresh for every opening, with no owner, and gone once it has closed.
    Version_Jouhou window;
    modal().exec(window);
}
