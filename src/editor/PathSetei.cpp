#include "editor/SetUp.h"
#include "launcher/Main.h"

void Main::Path_Setei_Click() {
    if (ending_)
        return;
    cues().PlaySoundCue(SoundCue::ButtonCue);
    // The editor exists to save; over a file that takes no writes it would only lose the
    // user's typing.
    if (const QString& readOnly = slotFile().ReadOnlyReason(); !readOnly.isEmpty()) {
        messages().Error(this, readOnly);
        return;
    }
    SetUp editor(*this, this);
    // An editor that could not read the slots would save its blank boxes over them.
    if (Outcome loaded = editor.Form_Load(); !loaded) {
        messages().Error(
            this, QStringLiteral("スロットファイルを読み込めないため、パス設定を開けません。\n%1")
                      .arg(loaded.message()));
        return;
    }
    modal().exec(editor);
}
