#pragma once

#include "chooser/ChooserFiles.h"
#include "chooser/ClassicDialog.h"

class DirectoryList;
class Main;
class PictureBox;
class QComboBox;
class QListWidget;
class QPushButton;

// The file chooser, FileManager: picks one file for one slot of the editor, a picture in
// "Image" mode or a program in "File" mode. It reads its mode and slot from
// Module1::ChooserMode and Module1::ChooserSlot and leaves its result in Module1::ChosenPath
// and Module1::ChooserCancelled; it is created for one opening and discarded after it.
//
// Ways out: "O K" takes the directory, a separator and the selected name; "消　去" leaves an
// empty path; "キャンセル" and the window's close box report that the user gave up. Enter
// presses the focused button only; Escape does nothing.
class FileManager : public ClassicDialog {
    Q_OBJECT
public:
    explicit FileManager(Main& launcher, QWidget* parent = nullptr);

    QComboBox* Drive1 = nullptr;
    DirectoryList* Dir1 = nullptr;
    QListWidget* File1 = nullptr;
    QPushButton* OK = nullptr;
    QPushButton* Cancel = nullptr;
    QPushButton* Syoukyo = nullptr;
    PictureBox* Load_Image = nullptr;

    // Handlers.
    void Form_Load();
    void Drive1_Change();
    void Dir1_Change();
    void File1_Click();
    void OK_Click();
    void Syoukyo_Click();
    void Cancel_Click();

    // The file list's filter for the current mode.
    const FileFilter& filter() const { return filter_; }

    // Closing through the frame (and QDialog::reject) counts as "キャンセル".
    void reject() override;

private:
    void buildControls();
    QString selectedFileName() const;

    Main& launcher_;
    FileFilter filter_;
    int driveIndex_ = -1; // the drive Dir1 was last moved to
};

// Shows the file chooser modally over `parent` and returns when it has closed. The caller
// sets Module1::ChooserMode and Module1::ChooserSlot first and reads Module1::ChosenPath and
// Module1::ChooserCancelled afterwards.
void OpenFileManager(Main& launcher, QWidget* parent);
