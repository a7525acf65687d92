#pragma once

#include "common/Outcome.h"
#include "common/SlotRecord.h"
#include "widgets/ClassicDialog.h"
#include "widgets/Services.h"

#include <QPixmap>
#include <array>

class LineControl;
class PictureBox;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class SlotFile;

// The slot editor (object name "SetUp"): all five slots at once, each with its name, its
// program and its picture. The boxes are the working copy; nothing is kept anywhere else. The
// program and picture paths are read-only and filled through the file chooser, opened by a
// double-click on a path box or on a preview. "更　新" writes all five slots to the slot file
// and reports each one written through slotSaved(), which the launcher shows; "キャンセル" and
// the window's close box leave without writing. The window is created for one opening and
// discarded after it.
class SlotEditor : public ClassicDialog {
    Q_OBJECT
public:
    // `slotFile` is the launcher's open slot file; `shownPictures` the pictures the launcher
    // shows now, which the previews and the chooser start from.
    SlotEditor(const Services& services, SlotFile& slotFile,
               const std::array<QPixmap, SlotCount>& shownPictures, QWidget* parent = nullptr);

    // Fills the boxes from the slot file before the window is shown. Fails when the slot file
    // cannot be read: an editor filled with guesses would overwrite the slots on saving.
    Outcome load();

    // Closing through the frame (and QDialog::reject) counts as "キャンセル".
    void reject() override;

signals:
    // Slot `index` has been written with `record`; `picture` is its picture decoded for the
    // launcher's slot, null when there is none or it could not be loaded.
    void slotSaved(int index, const SlotRecord& record, const QPixmap& picture);

private:
    void buildControls();
    void buildSlot(int index);
    void setTabOrders();
    void choosePicture(int index);
    void chooseProgram(int index);
    void saveSlots();
    // What the boxes of a slot hold, as it would be saved.
    SlotRecord recordInBoxes(int index) const;
    bool allSlotsFit();

    const Services& services_;
    SlotFile& slotFile_;
    // What the launcher shows for each slot, kept up to date by saving.
    std::array<QPixmap, SlotCount> shownPictures_;

    QPushButton* saveButton_ = nullptr;
    QPushButton* cancelButton_ = nullptr;
    std::array<QLineEdit*, SlotCount> names_{};
    std::array<QPlainTextEdit*, SlotCount> programPaths_{};
    std::array<PictureBox*, SlotCount> previews_{};
    std::array<QLineEdit*, SlotCount> imagePaths_{};
};
