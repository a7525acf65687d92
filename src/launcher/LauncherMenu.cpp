#include "launcher/LauncherWindow.h"

#include "editor/SlotEditor.h"
#include "storage/DataFolder.h"
#include "version/VersionWindow.h"
#include "widgets/Dialogs.h"
#include "widgets/PictureBox.h"

#include <QAction>

namespace {
const QString EraseQuestion = QStringLiteral("すべて消去しますか?");
const QString EraseDone = QStringLiteral("消去完了。");
const QString ErasedName = QStringLiteral("Name");
} // namespace

void LauncherWindow::toggleCloseAfterLaunch() {
    if (ending_)
        return;
    cues_.play(SoundCue::Button);
    toggleOption(closeAfterLaunchAction_, options_.closeAfterLaunch);
}

void LauncherWindow::toggleSoundEffects() {
    if (ending_)
        return;
    if (!toggleOption(soundEffectsAction_, options_.soundEffects))
        return;
    // Looks at the new check mark: heard when sound effects have just been switched on.
    cues_.play(SoundCue::Button);
}

bool LauncherWindow::toggleOption(QAction* item, qint16& value) {
    const bool wasChecked = item->isChecked();
    const qint16 oldValue = value;
    const bool oldToggled = optionToggled_;
    item->setChecked(!wasChecked);
    value = StoredBoolean(item->isChecked());
    optionToggled_ = true;

    const Outcome saved = SaveOptions(DataFilePath(dataDir_, OptionsFileName), options_);
    if (saved)
        return true;
    // The file still holds the old state, and the menu never claims more than the file holds.
    item->setChecked(wasChecked);
    value = oldValue;
    optionToggled_ = oldToggled;
    messages_->Error(nullptr,
                     QStringLiteral("設定を保存できませんでした。\n%1").arg(saved.message()));
    return false;
}

void LauncherWindow::eraseAllSlots() {
    if (ending_)
        return;
    // Asking first would promise an erase that cannot happen.
    if (const QString& readOnly = slotFile_.readOnlyReason(); !readOnly.isEmpty()) {
        messages_->Error(nullptr, readOnly);
        return;
    }
    if (!messages_->Question(nullptr, EraseQuestion))
        return;
    const SlotRecord erased{ErasedName, QString(), QString()};
    for (int i = 0; i < SlotCount; ++i) {
        const Outcome written = slotFile_.write(i, erased);
        if (!written) {
            // The slots before this one are erased on disk and on screen; this one and those
            // after it still show what the file holds for them.
            messages_->Error(nullptr, QStringLiteral("スロット %1 を消去できませんでした。\n%2")
                                          .arg(SlotNumber(i))
                                          .arg(written.message()));
            return;
        }
        showSlot(i, erased, QPixmap());
    }
    messages_->Information(nullptr, EraseDone);
}

void LauncherWindow::editSlots() {
    if (ending_)
        return;
    cues_.play(SoundCue::Button);
    // The editor exists to save; over a file that takes no writes it would only lose the
    // user's typing.
    if (const QString& readOnly = slotFile_.readOnlyReason(); !readOnly.isEmpty()) {
        messages_->Error(this, readOnly);
        return;
    }
    SlotEditor editor(services_, slotFile_, shownPictures(), this);
    // An editor that could not read the slots would save its blank boxes over them.
    if (Outcome loaded = editor.load(); !loaded) {
        messages_->Error(
            this, QStringLiteral("スロットファイルを読み込めないため、パス設定を開けません。\n%1")
                      .arg(loaded.message()));
        return;
    }
    connect(&editor, &SlotEditor::slotSaved, this, &LauncherWindow::showSlot);
    modal_->exec(editor);
}

void LauncherWindow::showVersion() {
    if (ending_)
        return;
    cues_.play(SoundCue::Version);
    // Built afresh for every opening, with no owner, and gone once it has closed.
    VersionWindow window;
    modal_->exec(window);
}
