#include "launcher/LauncherWindow.h"

#include "common/StartupMark.h"
#include "common/Twips.h"
#include "pictures/PicturesAhead.h"
#include "platform/Clock.h"
#include "platform/ProcessStarter.h"
#include "platform/StartupFeedback.h"
#include "sound/SystemSoundDevice.h"
#include "storage/DataFileCheck.h"
#include "storage/DataFolder.h"
#include "storage/DataFolderClaim.h"
#include "widgets/Dialogs.h"
#include "widgets/LineControl.h"
#include "widgets/Look.h"
#include "widgets/PictureBox.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QLabel>
#include <QMenu>
#include <QMessageBox>
#include <QMouseEvent>
#include <QPushButton>
#include <QScreen>

namespace {
const QString StartupFailure = QStringLiteral("画像読込に失敗");
const QString NoAnswer =
    QStringLiteral("この Data フォルダーでは別の TESSELO が動いていますが、応答しません。\n%1");
const QString WaitingForMessage =
    QStringLiteral("この Data フォルダーでは別の TESSELO が動いていて、メッセージを表示して"
                   "います。\nそのメッセージに答えると、その TESSELO が前に出ます。\n%1");

// Slot i is drawn this far below slot 0.
constexpr int SlotStep = 1320;

template <typename Interface, typename Real>
Interface* useOrCreate(Interface* given, std::unique_ptr<Interface>& owned) {
    if (given)
        return given;
    owned = std::make_unique<Real>();
    return owned.get();
}
} // namespace

LauncherWindow::LauncherWindow(Seams seams, QWidget* parent)
    : QWidget(parent, FixedWindowFlags()),
      messages_(useOrCreate<MessageBoxes, QtMessageBoxes>(seams.messages, ownedMessages_)),
      modal_(useOrCreate<ModalRunner, QtModalRunner>(seams.modal, ownedModal_)),
      processes_(
          useOrCreate<ProcessStarter, SystemProcessStarter>(seams.processes, ownedProcesses_)),
      sound_(seams.sound ? seams.sound : (ownedSound_ = CreateSystemSoundDevice()).get()),
      clock_(useOrCreate<Clock, SystemClock>(seams.clock, ownedClock_)),
      endProgram_(std::move(seams.endProgram)), dataDir_(DataDirPath()),
      cues_(*sound_, dataDir_, [this] { return soundEffectsAction_->isChecked(); }), services_{
                                                                                         *messages_,
                                                                                         *modal_,
                                                                                         cues_} {
    InstallJapaneseUi();
    StartupMark("translations");
    setObjectName(QStringLiteral("Main"));
    buildControls();
    StartupMark("controls");
    buildMenu();
    StartupMark("menu");
    claim_ = new DataFolderClaim([this](const QString& token) { bringForward(token); }, this);
    // While the running launcher's message waits for the user, so does this start, and says so:
    // otherwise it would be a process that nobody sees. Closing the notice gives up.
    std::unique_ptr<QMessageBox> notice;
    const auto noticeShown = connect(claim_, &DataFolderClaim::waitingForHolder, this, [&] {
        notice = std::make_unique<QMessageBox>(QMessageBox::Information, QStringLiteral("TESSELO"),
                                               WaitingForMessage.arg(NativePath(dataDir_)),
                                               QMessageBox::Cancel);
        notice->setObjectName(QStringLiteral("WaitingNotice"));
        connect(notice.get(), &QDialog::finished, claim_, &DataFolderClaim::withdraw);
        // Above the middle of the screen, where the running launcher's message is.
        const QRect screen = notice->screen()->availableGeometry();
        notice->adjustSize();
        notice->move(screen.center().x() - notice->width() / 2, screen.top() + screen.height() / 8);
        notice->show();
    });
    const DataFolderClaim::Result claimed = claim_->claim(dataDir_);
    disconnect(noticeShown);
    notice.reset();
    switch (claimed) {
    case DataFolderClaim::Result::Claimed:
        StartupMark("data-folder-claimed");
        load();
        return;
    case DataFolderClaim::Result::HandedOver:
        // The launcher that holds the folder has come forward; this one ends before it has
        // read or opened anything.
        break;
    case DataFolderClaim::Result::Unanswered:
        // A launcher runs on this Data but does not answer (stopped or hung). A second one
        // would save its own view of the slots and options over that one's, so this start
        // says why nothing opens and ends. A lock with no live holder never gets here: the
        // system releases it with its process.
        messages_->Error(nullptr, NoAnswer.arg(NativePath(dataDir_)));
        exitCode_ = 1;
        break;
    case DataFolderClaim::Result::Withdrawn:
        exitCode_ = 1;
        break;
    }
    // This start shows no window of its own: the desktop's busy cursor for it stops now.
    endStartupFeedback();
    handedOver_ = true;
    ending_ = true;
    QMetaObject::invokeMethod(this, &LauncherWindow::endProgram, Qt::QueuedConnection);
}

LauncherWindow::~LauncherWindow() {
    // Normally unload() or the close-after-launch path has released these already.
    if (unloaded_ || ending_)
        return;
    cues_.closeDevice();
    slotFile_.close();
}

void LauncherWindow::buildControls() {
    setWindowTitle(QStringLiteral("TESSELO"));
    setWindowIcon(ProgramIcon());
    StartupMark("window-icon-drawn");
    setFixedSize(twips(4650), twips(7230));

    auto* heading = new QLabel(QStringLiteral("Select Program"), this);
    heading->setObjectName(QStringLiteral("Label1"));
    heading->setGeometry(twipsRect(240, 360, 2775, 375));
    heading->setFont(PGothicFont(15.75, true, true));
    heading->setForegroundRole(QPalette::Highlight);

    for (int i = 0; i < SlotCount; ++i) {
        const int d = SlotStep * i;

        auto* name = new QLabel(this);
        name->setObjectName(SlotControlName("P_Name_L_", i));
        name->setGeometry(i == 0 ? twipsRect(360, 960, 2835, 240)
                                 : twipsRect(360, 960 + d, 2775, 255));
        name->setAlignment(Qt::AlignCenter);
        name->setFont(PGothicFont(12, true, true));
        nameLabels_[i] = name;

        auto* run = new QPushButton(QStringLiteral("Program RUN"), this);
        run->setObjectName(SlotControlName("Run_B_", i));
        run->setGeometry(twipsRect(240, 1320 + d, 3015, 375));
        PressOnEnter(run);
        connect(run, &QPushButton::clicked, this, [this, i] { runSlot(i); });
        runButtons_[i] = run;

        auto* picture = new PictureBox(this);
        picture->setObjectName(SlotControlName("Load_Image_", i));
        picture->setAccessibleName(QStringLiteral("スロット %1 の画像").arg(SlotNumber(i)));
        picture->setTwipsGeometry(3480, 720 + d, 960, 960);
        pictures_[i] = picture;

        // The last slot's lines sit lower, as the window was drawn.
        AddSlotLines(this, i, i == SlotCount - 1 ? 6795 : 1500 + d);
    }
    // The buttons are the only controls that take the focus, in slot order.
    for (int i = 1; i < SlotCount; ++i)
        setTabOrder(runButtons_[i - 1], runButtons_[i]);
    runButtons_[0]->setFocus();
}

void LauncherWindow::buildMenu() {
    const auto addAction = [this](QMenu* menu, const char* name, const QString& text,
                                  void (LauncherWindow::*handler)()) {
        QAction* action = menu->addAction(text);
        action->setObjectName(QLatin1StringView(name));
        connect(action, &QAction::triggered, this, handler);
        return action;
    };
    menu_ = new QMenu(QStringLiteral("File"), this);
    menu_->setObjectName(QStringLiteral("File"));
    addAction(menu_, "Path_Setei", QStringLiteral("パス設定"), &LauncherWindow::editSlots);

    QMenu* behaviour = menu_->addMenu(QStringLiteral("動作設定"));
    behaviour->setObjectName(QStringLiteral("Dousa_Setei"));
    // Both are checked in the window's design. The handlers flip the marks themselves, but Qt
    // flips a checkable action before it reports the click: that is undone first.
    const auto addOption = [&](const char* name, const QString& text,
                               void (LauncherWindow::*handler)()) {
        QAction* option = behaviour->addAction(text);
        option->setObjectName(QLatin1StringView(name));
        option->setCheckable(true);
        option->setChecked(true);
        connect(option, &QAction::triggered, this, [this, option, handler] {
            option->setChecked(!option->isChecked());
            (this->*handler)();
        });
        return option;
    };
    closeAfterLaunchAction_ =
        addOption("Soft_Close_On_Off", QStringLiteral("ソフト起動後ランチャーを閉じる"),
                  &LauncherWindow::toggleCloseAfterLaunch);
    soundEffectsAction_ = addOption("Koukaon_On_Off", QStringLiteral("効果音あり"),
                                    &LauncherWindow::toggleSoundEffects);

    addAction(menu_, "Format", QStringLiteral("すべて消去"), &LauncherWindow::eraseAllSlots);
    addAction(menu_, "Version", QStringLiteral("Version 情報"), &LauncherWindow::showVersion);
}

void LauncherWindow::load() {
    cues_.openDevice();
    StartupMark("sound-device-opened");
    // The menu is never shown in a menu bar; it exists only as the pop-up.

    const bool loaded = [this] {
        if (!slotFile_.open(DataFilePath(dataDir_, SlotFileName)))
            return false;
        StartupMark("slot-file-opened");
        if (!loadSlots())
            return false;
        StartupMark("slots-shown");
        optionsLoadAttempted_ = true;
        const Result<StoredOptions> stored = LoadOptions(DataFilePath(dataDir_, OptionsFileName));
        if (!stored)
            return false;
        options_ = *stored;
        optionsLoaded_ = true;
        applyOptionsToMenu();
        StartupMark("options-loaded");
        cues_.play(SoundCue::Startup);
        StartupMark("startup-cue-asked");
        return true;
    }();

    if (!loaded) {
        showHoldingMessage(StartupFailure);
        // The menu shows both options on; keep what a later save writes equal to what the
        // user sees instead of two zeros.
        adoptMenuStateAsOptions();
    }
}

bool LauncherWindow::loadSlots() {
    // Every large slot picture starts decoding at once, each on a thread of its own, while the
    // slots are still filled one after the other and the first failure stops the rest.
    PicturesAhead ahead;
    for (int i = 0; i < SlotCount; ++i) {
        const Result<SlotRecord> slot = slotFile_.read(i);
        if (!slot)
            break;
        pictures_[i]->decodeAhead(slot->imagePath, ahead);
    }
    for (int i = 0; i < SlotCount; ++i) {
        const Result<SlotRecord> slot = slotFile_.read(i);
        if (!slot)
            return false;
        nameLabels_[i]->setText(slot->name);
        // The slot shows its name even when its picture fails; its program is then not stored,
        // so its button starts nothing.
        if (!pictures_[i]->loadPicture(slot->imagePath, &ahead))
            return false;
        programs_[i] = slot->programPath;
    }
    return true;
}

void LauncherWindow::applyOptionsToMenu() {
    // -1 sets the mark and 0 clears it; any other stored value leaves the mark as designed.
    auto apply = [](QAction* action, qint16 value) {
        if (value == StoredTrue)
            action->setChecked(true);
        else if (value == StoredFalse)
            action->setChecked(false);
    };
    apply(closeAfterLaunchAction_, options_.closeAfterLaunch);
    apply(soundEffectsAction_, options_.soundEffects);
}

void LauncherWindow::adoptMenuStateAsOptions() {
    if (optionsLoaded_)
        return;
    options_ = {StoredBoolean(closeAfterLaunchAction_->isChecked()),
                StoredBoolean(soundEffectsAction_->isChecked())};
}

void LauncherWindow::mousePressEvent(QMouseEvent* event) {
    // Only the background: the labels, pictures and buttons keep their clicks.
    if (childAt(event->position().toPoint()) != nullptr)
        return;
    if (ending_ || event->button() != Qt::RightButton)
        return;
    menu_->popup(event->globalPosition().toPoint());
}

void LauncherWindow::closeEvent(QCloseEvent* event) {
    event->accept();
    if (ending_ || unloaded_)
        return;
    unload();
}

void LauncherWindow::unload() {
    unloaded_ = true;
    // A start from now on waits for this launcher to end rather than bringing it back.
    claim_->setEnding();
    const Outcome saved = saveOptionsAtShutdown();
    cues_.closeDevice();
    slotFile_.close();
    if (!saved)
        showHoldingMessage(saved.message());
}

void LauncherWindow::showHoldingMessage(const QString& text) {
    // A start that arrives meanwhile waits for the answer: the window comes forward, or the
    // launcher ends, only after it.
    claim_->listen();
    claim_->setBusy(true);
    messages_->Error(nullptr, text);
    claim_->setBusy(false);
}

Outcome LauncherWindow::saveOptionsAtShutdown() {
    // A start-up that stopped before it read the options leaves the file as the user last
    // saved it, unless an option was changed in this run. A file that was missing or damaged
    // is written, which mends it.
    if (!optionsLoadAttempted_ && !optionToggled_)
        return Outcome::success();
    const Outcome saved = SaveOptions(DataFilePath(dataDir_, OptionsFileName), options_);
    if (saved)
        return saved;
    return Outcome::failure(
        QStringLiteral("設定を保存できませんでした。\n%1").arg(saved.message()));
}

void LauncherWindow::showSlot(int index, const SlotRecord& record, const QPixmap& picture) {
    nameLabels_[index]->setText(record.name);
    programs_[index] = record.programPath;
    pictures_[index]->setPicture(picture);
}

std::array<QPixmap, SlotCount> LauncherWindow::shownPictures() const {
    std::array<QPixmap, SlotCount> shown;
    for (int i = 0; i < SlotCount; ++i)
        shown[i] = pictures_[i]->picture();
    return shown;
}

void LauncherWindow::setVisible(bool visible) {
    if (visible && handedOver_)
        return;
    QWidget::setVisible(visible);
}

void LauncherWindow::bringForward(const QString& activationToken) {
    if (ending_)
        return;
    if (isMinimized())
        setWindowState(windowState() & ~Qt::WindowMinimized);
    show();
    raise();
    // The editor, the chooser, the version window or a message box is what takes the input.
    QWidget* front = QApplication::activeModalWidget();
    if (!front)
        front = this;
    if (front != this) {
        if (front->isMinimized())
            front->setWindowState(front->windowState() & ~Qt::WindowMinimized);
        front->raise();
    }
    // Wayland lets a window take the focus only with a token that the desktop gave the start
    // that asked; Qt's Wayland support hands this one to the compositor.
    // It is used up there: the programs started later must not inherit it.
    if (!activationToken.isEmpty())
        qputenv("XDG_ACTIVATION_TOKEN", activationToken.toUtf8());
    front->activateWindow();
    if (!activationToken.isEmpty())
        qunsetenv("XDG_ACTIVATION_TOKEN");
}

void LauncherWindow::endProgram() {
    ending_ = true;
    if (endProgram_)
        endProgram_();
    else
        QCoreApplication::exit(exitCode_);
}
