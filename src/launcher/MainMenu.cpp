#include "launcher/Main.h"

#include "common/Module1.h"
#include "storage/OptionsFile.h"

namespace {
const QString EraseQuestion = QStringLiteral("すべて消去しますか?");
const QString EraseDone = QStringLiteral("消去完了。");
const QString ErasedName = QStringLiteral("Name");
} // namespace

void Main::Soft_Close_On_Off_Click() {
    if (ending_)
        return;
    cues_.PlaySoundCue(SoundCue::ButtonCue);
    toggleOption(Soft_Close_On_Off, Module1::SoftClose);
}

void Main::Koukaon_On_Off_Click() {
    if (ending_)
        return;
    if (!toggleOption(Koukaon_On_Off, Module1::SoundEffects))
        return;
    // Looks at the new check mark: heard when sound effects have just been switched on.
    cues_.PlaySoundCue(SoundCue::ButtonCue);
}

bool Main::toggleOption(QAction* item, qint16& value) {
    const bool wasChecked = item->isChecked();
    const qint16 oldValue = value;
    const bool oldToggled = optionToggled_;
    item->setChecked(!wasChecked);
    value = item->isChecked() ? Module1::True : Module1::False;
    optionToggled_ = true;

    const Outcome saved = SaveOptions();
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

void Main::Format_Click() {
    if (ending_)
        return;
    // Asking first would promise an erase that cannot happen.
    if (const QString& readOnly = slotFile_.ReadOnlyReason(); !readOnly.isEmpty()) {
        messages_->Error(nullptr, readOnly);
        return;
    }
    if (!messages_->Question(nullptr, EraseQuestion))
        return;
    for (int i = 1; i <= SlotCount; ++i) {
        Module1::CurrentSlot = SlotRecord{ErasedName, QString(), QString()};
        const Outcome written = slotFile_.WriteSlot(i, Module1::CurrentSlot);
        if (!written) {
            // The slots before this one are erased on disk and on screen; this one and those
            // after it still show what the file holds for them.
            messages_->Error(nullptr, QStringLiteral("スロット %1 を消去できませんでした。\n%2")
                                          .arg(i)
                                          .arg(written.message()));
            return;
        }
        // An empty picture path only clears the picture; it cannot fail.
        static_cast<void>(ShowSlot(i, Module1::CurrentSlot));
    }
    messages_->Information(nullptr, EraseDone);
}
