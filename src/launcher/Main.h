#pragma once

// The launcher window, Main: the program's first window and its last.
//
// Start-up (Form_Load, run by the constructor before the window is shown): open the sound
// device, open the slot file, read slots 1 to 5 into the labels, pictures and ProgramPaths,
// load the options into the two check marks, play the start-up cue. The first failure stops
// the sequence with the one message "画像読込に失敗"; the window opens with what was done.
//
// While open: a right click on the background pops up the File menu (Form_MouseDown). A slot's
// button starts its program (Run_B_Click, MainLaunch.cpp); the menu toggles the two options,
// erases all slots and opens the editor and the version window (MainMenu.cpp).
//
// Shutdown (Form_Unload, on close): save the options, close the sound device and the slot
// file. The close-after-launch path does the same itself and ends without Form_Unload.
//
// The window owns the slot file handle and the sound device for the whole run; the editor and
// erase-all reach into its slot controls and Module1::ProgramPaths directly.
//
// Before all of this the launcher claims its Data folder. When another launcher already runs on
// it, that one is asked to come forward, and this one loads nothing, shows nothing and ends;
// when that one does not answer, this one says so and ends.

#include "launcher/Dialogs.h"
#include "launcher/Picture.h"
#include "launcher/Seams.h"
#include "sound/CuePlayer.h"
#include "storage/SlotFile.h"

#include <QAction>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QWidget>
#include <array>
#include <memory>

class Clock;
class DataFolderClaim;
class LineControl;
class ProcessStarter;

class Main : public QWidget {
    Q_OBJECT
public:
    explicit Main(Seams seams = {}, QWidget* parent = nullptr);
    ~Main() override;

    // The controls, indexed 1 to 5 like the slots; element 0 is unused.
    QLabel* Label1 = nullptr;
    std::array<QLabel*, 6> P_Name_L{};
    std::array<QPushButton*, 6> Run_B{};
    std::array<PictureBox*, 6> Load_Image{};
    std::array<LineControl*, 6> Line1{};
    std::array<LineControl*, 6> Line2{};

    // The pop-up menu tree.
    QMenu* File = nullptr;
    QAction* Path_Setei = nullptr;
    QMenu* Dousa_Setei = nullptr;
    QAction* Soft_Close_On_Off = nullptr;
    QAction* Koukaon_On_Off = nullptr;
    QAction* Format = nullptr;
    QAction* Version = nullptr;

    // What the other windows share with the launcher.
    SlotFile& slotFile() { return slotFile_; }
    CuePlayer& cues() { return cues_; }
    MessageBoxes& messages() { return *messages_; }
    ModalRunner& modal() { return *modal_; }

    // Handlers.
    void Form_Load();
    void Form_MouseDown(Qt::MouseButton button, const QPoint& globalPos);
    void Form_Unload();
    void Run_B_Click(int index);
    void Soft_Close_On_Off_Click();
    void Koukaon_On_Off_Click();
    void Format_Click();
    void Path_Setei_Click();
    void Version_Click();

    // Shows slot i's name and picture and stores its program. Used by the editor's save and
    // erase-all. On a picture that cannot be loaded the slot shows its name, no picture, and
    // its program is still stored; the failure is returned.
    Outcome ShowSlot(int index, const SlotRecord& record);

    // Brings the launcher, or the modal window open over it, to the front: asked for by a later
    // start on the same Data folder, with that start's window activation token.
    void BringForward(const QString& activationToken);

    // False when another launcher runs on the same Data folder and this one is ending unseen.
    bool servesDataFolder() const { return !handedOver_; }
    void setVisible(bool visible) override;

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void buildControls();
    void buildMenu();
    bool loadSlots();
    void applyOptionsToMenu();
    void adoptMenuStateAsOptions();
    Outcome saveOptionsAtShutdown();
    void endProgram();
    // Shows an error that must be answered before a later start may bring this one forward.
    void showHoldingMessage(const QString& text);

    // Program launch (MainLaunch.cpp).
    void collapsePicture(PictureBox& picture);
    void repaintMoved(const QRect& before, const QRect& after);
    void closeAfterLaunch();
    void waitForSecondAfterNext();

    // Menu commands (MainMenu.cpp).
    // Flips the item's check mark, stores it in `value` and saves the options. A failed save
    // is reported and undone; returns whether the change stands.
    bool toggleOption(QAction* item, qint16& value);

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

    SlotFile slotFile_;
    CuePlayer cues_;

    // Whether LoadOptions has run at all, and whether it succeeded. A start-up that stopped
    // before reading the options leaves the file as the user last saved it.
    bool optionsLoadAttempted_ = false;
    bool optionsLoaded_ = false;
    bool optionToggled_ = false;
    // Set once the program is on its way out after a launch: input is ignored from then on.
    bool ending_ = false;
    bool unloaded_ = false;
    bool handedOver_ = false;
    int exitCode_ = 0;
    DataFolderClaim* claim_ = nullptr;
};
