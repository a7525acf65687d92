#pragma once

#include "chooser/ClassicDialog.h"
#include "common/Outcome.h"
#include "common/SlotRecord.h"

#include <array>

class LineControl;
class Main;
class PictureBox;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;

// The slot editor, SetUp: all five slots at once, each with its name, its program and its
// picture. The boxes are the working copy; nothing is kept anywhere else. The program and
// picture paths are read-only and filled through the file chooser, opened by a double-click
// on a path box or on a preview. "更　新" writes all five slots and refreshes the launcher;
// "キャンセル" and the window's close box leave without writing. The window is created for
// one opening and discarded after it.
class SetUp : public ClassicDialog {
    Q_OBJECT
public:
    explicit SetUp(Main& launcher, QWidget* parent = nullptr);

    // The controls, indexed 1 to 5 like the slots; element 0 is unused.
    std::array<QLineEdit*, 6> P_Name{};
    std::array<QPlainTextEdit*, 6> Program_Path{};
    std::array<PictureBox*, 6> Load_Image{};
    std::array<QLineEdit*, 6> Image_Path{};
    std::array<LineControl*, 6> Line1{};
    std::array<LineControl*, 6> Line2{};
    QPushButton* Coushin = nullptr;
    QPushButton* Cancel = nullptr;

    // Handlers. Form_Load fills the window before it is shown and fails when the slot file
    // cannot be read: an editor filled with guesses would overwrite the slots on saving.
    Outcome Form_Load();
    void Image_Path_DblClick(int index);
    void Load_Image_DblClick(int index);
    void Program_Path_DblClick(int index);
    void Coushin_Click();
    void Cancel_Click();

    // What the boxes of slot i hold, as it would be saved.
    SlotRecord recordInBoxes(int index) const;

    // Closing through the frame (and QDialog::reject) counts as "キャンセル".
    void reject() override;

private:
    void buildControls();
    void buildSlot(int index);
    // Opens the chooser for slot i in `mode`; false when the user gave up.
    bool choose(int index, const QString& mode);
    void setTabOrders();
    bool allSlotsFit();

    Main& launcher_;
};
