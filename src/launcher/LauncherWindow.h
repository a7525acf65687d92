#pragma once

// The launcher window (object name "Main"): the program's first window and its last.
//
// Before anything else the launcher claims its Data folder (storage/DataFolderClaim.h). When
// another launcher already runs on it, that one is asked to come forward, and this one loads
// nothing, shows nothing and ends; when that one does not answer, this one says so and ends.
// While that one shows a message that must be answered first, this one shows a notice that it
// waits for it (closing the notice gives up).
//
// Start-up (load(), run by the constructor before the window is shown): open the sound device,
// open the slot file, show slots 1 to 5 (name, picture, program), load the options into the
// two check marks, play the start-up cue. The first failure stops the sequence with the one
// message "画像読込に失敗"; the window opens with what was done.
//
// While open: a right click on the background pops up the menu. A slot's button starts its
// program (runSlot(), SlotLaunch.cpp); the menu toggles the two options, erases all slots and
// opens the slot editor and the version window (LauncherMenu.cpp). The editor writes the slot
// file itself and reports each saved slot, which this window then shows.
//
// Shutdown (unload(), on close): save the options, close the sound device and the slot file.
// The close-after-launch path does the same itself and ends without unload().
//
// The window owns the slot file, the sound device and the options for the whole run, and
// hands the other windows what they need when it opens them.

#include "launcher/Seams.h"
#include "sound/CuePlayer.h"
#include "storage/OptionsFile.h"
#include "storage/SlotFile.h"
#include "widgets/Services.h"

#include <QWidget>
#include <array>
#include <memory>

class DataFolderClaim;
class PictureBox;
class QAction;
class QLabel;
class QMenu;
class QPixmap;
class QPushButton;

class LauncherWindow : public QWidget {
    Q_OBJECT
public:
    explicit LauncherWindow(Seams seams = {}, QWidget* parent = nullptr);
    ~LauncherWindow() override;

    // Brings the launcher, or the modal window open over it, to the front: asked for by a later
    // start on the same Data folder, with that start's window activation token.
    void bringForward(const QString& activationToken);

    // False when another launcher runs on the same Data folder and this one is ending unseen.
    bool servesDataFolder() const { return !handedOver_; }
    void setVisible(bool visible) override;

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void buildControls();
    void buildMenu();

    // Start-up and shutdown.
    void load();
    bool loadSlots();
    void applyOptionsToMenu();
    void adoptMenuStateAsOptions();
    void unload();
    Outcome saveOptionsAtShutdown();
    void endProgram();
    // Shows an error that must be answered before a later start may bring this one forward.
    void showHoldingMessage(const QString& text);

    // Shows a slot's name and picture and keeps its program for its button.
    void showSlot(int index, const SlotRecord& record, const QPixmap& picture);
    std::array<QPixmap, SlotCount> shownPictures() const;

    // Program launch (SlotLaunch.cpp).
    void runSlot(int index);
    void collapsePicture(PictureBox& picture);
    void repaintMoved(const QRect& before, const QRect& after);
    void closeAfterLaunch();
    void waitForSecondAfterNext();

    // Menu commands (LauncherMenu.cpp).
    void toggleCloseAfterLaunch();
    void toggleSoundEffects();
    // Flips the item's check mark, stores it in `value` and saves the options. A failed save
    // is reported and undone; returns whether the change stands.
    bool toggleOption(QAction* item, qint16& value);
    void eraseAllSlots();
    void editSlots();
    void showVersion();

    std::unique_ptr<MessageBoxes> ownedMessages_;
    std::unique_ptr<ModalRunner> ownedModal_;
    std::unique_ptr<ProcessStarter> ownedProcesses_;
    std::unique_ptr<SoundDevice> ownedSound_;
    std::unique_ptr<Clock> ownedClock_;

    MessageBoxes* messages_;
    ModalRunner* modal_;
    ProcessStarter* processes_;
    SoundDevice* sound_;
    Clock* clock_;
    std::function<void()> endProgram_;

    const QString dataDir_;
    SlotFile slotFile_;
    CuePlayer cues_;
    const Services services_;
    // What each slot's button starts.
    std::array<QString, SlotCount> programs_;
    // The options as loaded and saved; the check marks are their live state. Both false until
    // the options file is read.
    StoredOptions options_;

    // Whether the options file has been read at all, and whether that succeeded. A start-up
    // that stopped before reading the options leaves the file as the user last saved it.
    bool optionsLoadAttempted_ = false;
    bool optionsLoaded_ = false;
    bool optionToggled_ = false;
    // Set once the program is on its way out after a launch: input is ignored from then on.
    bool ending_ = false;
    bool unloaded_ = false;
    bool handedOver_ = false;
    int exitCode_ = 0;
    DataFolderClaim* claim_ = nullptr;

    std::array<QLabel*, SlotCount> nameLabels_{};
    std::array<QPushButton*, SlotCount> runButtons_{};
    std::array<PictureBox*, SlotCount> pictures_{};

    QMenu* menu_ = nullptr;
    QAction* closeAfterLaunchAction_ = nullptr;
    QAction* soundEffectsAction_ = nullptr;
};
