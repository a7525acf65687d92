#pragma once

#include "chooser/ChooserFiles.h"
#include "widgets/ClassicDialog.h"
#include "widgets/Services.h"

#include <QPixmap>
#include <optional>

class DirectoryList;
class PictureBox;
class QComboBox;
class QListWidget;
class QPushButton;

// What the chooser picks: a picture, with a preview, or a program.
enum class ChooserMode { Picture, Program };

// Shows the file chooser modally over `parent` and returns the user's answer once it has
// closed, as QFileDialog::getOpenFileName does: no value when the user gave up ("キャンセル"
// or the close box), an empty path for "消　去", otherwise the folder, a separator and the
// selected name (only the folder and the separator when no file is selected). In picture mode
// the preview first shows `preview`, the slot's picture as the launcher shows it.
std::optional<QString> ChooseFile(ChooserMode mode, const QPixmap& preview,
                                  const Services& services, QWidget* parent);

// The file chooser window (object name "FileManager"): a drive list, a folder list and a file
// list that follow each other, a preview and three buttons. It is created for one opening and
// discarded after it. Enter presses the focused button only; Escape does nothing.
class FileChooser : public ClassicDialog {
    Q_OBJECT
public:
    FileChooser(ChooserMode mode, const QPixmap& preview, const Services& services,
                QWidget* parent = nullptr);

    // Set once "O K" or "消　去" has closed the window.
    const std::optional<QString>& choice() const { return choice_; }

    // Closing through the frame (and QDialog::reject) counts as "キャンセル".
    void reject() override;

private:
    void buildControls();
    void startAtCurrentFolder();
    void changeDrive();
    void listFiles();
    void selectFile();
    void takeSelection();
    void clearChoice();
    QString selectedPath() const;

    ChooserMode mode_;
    const Services& services_;
    FileFilter filter_;
    int driveIndex_ = -1; // the drive the folder list was last moved to
    std::optional<QString> choice_;

    QComboBox* drives_ = nullptr;
    DirectoryList* folders_ = nullptr;
    QListWidget* files_ = nullptr;
    QPushButton* okButton_ = nullptr;
    QPushButton* cancelButton_ = nullptr;
    QPushButton* clearButton_ = nullptr;
    PictureBox* preview_ = nullptr;
};
