#include "launcher/Main.h"

#include "common/AppPath.h"
#include "common/Module1.h"
#include "common/Twips.h"
#include "launcher/DataFolderClaim.h"
#include "launcher/Look.h"
#include "launcher/PicturesAhead.h"
#include "platform/Clock.h"
#include "platform/ProcessStarter.h"
#ifdef Q_OS_WIN
#include "sound/WinSoundDevice.h"
using RealSoundDevice = WinSoundDevice;
#else
#include "sound/QtSoundDevice.h"
using RealSoundDevice = QtSoundDevice;
#endif
#include "storage/OptionsFile.h"

#include <QApplication>
#include <QCloseEvent>
#include <QMouseEvent>

namespace {
const QString StartupFailure = QStringLiteral("画像読込に失敗");

template <typename Interface, typename Real>
Interface* useOrCreate(Interface* given, std::unique_ptr<Interface>& owned) {
    if (given)
        return given;
    owned = std::make_unique<Real>();
    return owned.get();
}
} // namespace

Main::Main(Seams seams, QWidget* parent)
    : QWidget(parent, FixedWindowFlags()),
      messages_(useOrCreate<MessageBoxes, QtMessageBoxes>(seams.messages, ownedMessages_)),
      modal_(useOrCreate<ModalRunner, QtModalRunner>(seams.modal, ownedModal_)),
      processes_(
          useOrCreate<ProcessStarter, SystemProcessStarter>(seams.processes, ownedProcesses_)),
      sound_(useOrCreate<SoundDevice, RealSoundDevice>(seams.sound, ownedSound_)),
      clock_(useOrCreate<Clock, SystemClock>(seams.clock, ownedClock_)),
      endProgram_(std::move(seams.endProgram)),
      cues_(*sound_, [this] { return Koukaon_On_Off->isChecked(); }) {
    InstallJapaneseUi();
    setObjectName(QStringLiteral("Main"));
    buildControls();
    buildMenu();
    claim_ = new DataFolderClaim([this](const QString& token) { BringForward(token); }, this);
    if (!claim_->claim(DataDirPath())) {
        // The launcher that holds the folder has been asked to come forward; this one ends
        // before it has read or opened anything.
        handedOver_ = true;
        ending_ = true;
        QMetaObject::invokeMethod(this, &Main::endProgram, Qt::QueuedConnection);
        return;
    }
    Form_Load();
}

Main::~Main() {
    // Normally Form_Unload or the close-after-launch path has released these already.
    if (unloaded_ || ending_)
        return;
    cues_.CloseSoundDevice();
    slotFile_.CloseSlotFile();
}

void Main::buildControls() {
    setWindowTitle(QStringLiteral("TESSELO"));
    setWindowIcon(ProgramIcon());
    setFixedSize(twips(4650), twips(7230));

    Label1 = new QLabel(QStringLiteral("Select Program"), this);
    Label1->setObjectName(QStringLiteral("Label1"));
    Label1->setGeometry(twipsRect(240, 360, 2775, 375));
    Label1->setFont(PGothicFont(15.75, true, true));
    Label1->setForegroundRole(QPalette::Highlight);

    for (int i = 1; i <= SlotCount; ++i) {
        const int d = 1320 * (i - 1);
        const QString n = QString::number(i);

        auto* name = new QLabel(this);
        name->setObjectName(QStringLiteral("P_Name_L_") + n);
        name->setGeometry(i == 1 ? twipsRect(360, 960 + d, 2835, 240)
                                 : twipsRect(360, 960 + d, 2775, 255));
        name->setAlignment(Qt::AlignCenter);
        name->setFont(PGothicFont(12, true, true));
        P_Name_L[i] = name;

        auto* run = new QPushButton(QStringLiteral("Program RUN"), this);
        run->setObjectName(QStringLiteral("Run_B_") + n);
        run->setGeometry(twipsRect(240, 1320 + d, 3015, 375));
        PressOnEnter(run);
        connect(run, &QPushButton::clicked, this, [this, i] { Run_B_Click(i); });
        Run_B[i] = run;

        auto* picture = new PictureBox(this);
        picture->setObjectName(QStringLiteral("Load_Image_") + n);
        picture->setAccessibleName(QStringLiteral("スロット %1 の画像").arg(i));
        picture->setTwipsGeometry(3480, 720 + d, 960, 960);
        Load_Image[i] = picture;

        // The last slot's lines start further right, as the window was drawn.
        const int line1Start = i == 5 ? 2520 : 2280;
        const int line2Start = i == 5 ? 2400 : 2280;
        const int line1Y = i == 5 ? 6795 : 1500 + d;
        const int line2Y = i == 5 ? 6780 : 1485 + d;
        Line1[i] =
            new LineControl(this, line1Start, 3480, line1Y, QPalette::Active, QPalette::Base);
        Line1[i]->setObjectName(QStringLiteral("Line1_") + n);
        Line2[i] =
            new LineControl(this, line2Start, 3480, line2Y, QPalette::Inactive, QPalette::Mid);
        Line2[i]->setObjectName(QStringLiteral("Line2_") + n);
    }
    // The buttons are the only controls that take the focus, in slot order.
    for (int i = 1; i < SlotCount; ++i)
        setTabOrder(Run_B[i], Run_B[i + 1]);
    Run_B[1]->setFocus();
}

void Main::buildMenu() {
    File = new QMenu(QStringLiteral("File"), this);
    File->setObjectName(QStringLiteral("File"));

    Path_Setei = File->addAction(QStringLiteral("パス設定"));
    Path_Setei->setObjectName(QStringLiteral("Path_Setei"));
    connect(Path_Setei, &QAction::triggered, this, [this] { Path_Setei_Click(); });

    Dousa_Setei = File->addMenu(QStringLiteral("動作設定"));
    Dousa_Setei->setObjectName(QStringLiteral("Dousa_Setei"));
    Soft_Close_On_Off = Dousa_Setei->addAction(QStringLiteral("ソフト起動後ランチャーを閉じる"));
    Soft_Close_On_Off->setObjectName(QStringLiteral("Soft_Close_On_Off"));
    Koukaon_On_Off = Dousa_Setei->addAction(QStringLiteral("効果音あり"));
    Koukaon_On_Off->setObjectName(QStringLiteral("Koukaon_On_Off"));
    // Both are checked in the window's design. The handlers flip the marks themselves, but Qt
    // flips a checkable action before it reports the click: undo that first.
    for (QAction* option : {Soft_Close_On_Off, Koukaon_On_Off}) {
        option->setCheckable(true);
        option->setChecked(true);
    }
    connect(Soft_Close_On_Off, &QAction::triggered, this, [this] {
        Soft_Close_On_Off->setChecked(!Soft_Close_On_Off->isChecked());
        Soft_Close_On_Off_Click();
    });
    connect(Koukaon_On_Off, &QAction::triggered, this, [this] {
        Koukaon_On_Off->setChecked(!Koukaon_On_Off->isChecked());
        Koukaon_On_Off_Click();
    });

    Format = File->addAction(QStringLiteral("すべて消去"));
    Format->setObjectName(QStringLiteral("Format"));
    connect(Format, &QAction::triggered, this, [this] { Format_Click(); });

    Version = File->addAction(QStringLiteral("Version 情報"));
    Version->setObjectName(QStringLiteral("Version"));
    connect(Version, &QAction::triggered, this, [this] { Version_Click(); });
}

void Main::Form_Load() {
    cues_.OpenSoundDevice();
    // The File menu is never shown in a menu bar; it exists only as the pop-up.

    const bool loaded = [this] {
        if (!slotFile_.OpenSlotFile())
            return false;
        if (!loadSlots())
            return false;
        optionsLoadAttempted_ = true;
        if (!LoadOptions())
            return false;
        optionsLoaded_ = true;
        applyOptionsToMenu();
        cues_.PlaySoundCue(SoundCue::StartupCue);
        return true;
    }();

    if (!loaded) {
        messages_->Error(nullptr, StartupFailure);
        // The menu shows both options on; keep what a later save writes equal to what the
        // user sees instead of two zeros.
        adoptMenuStateAsOptions();
    }
}

bool Main::loadSlots() {
    // Every slot's picture starts decoding at once, each on a thread of its own, while the
    // slots below are still filled one after the other and the first failure stops the rest.
    PicturesAhead ahead;
    for (int i = 1; i <= SlotCount; ++i) {
        SlotRecord record;
        if (!slotFile_.ReadSlot(i, record))
            break;
        Load_Image[i]->decodeAhead(record.ImagePath, ahead);
    }
    for (int i = 1; i <= SlotCount; ++i) {
        if (!slotFile_.ReadSlot(i, Module1::CurrentSlot))
            return false;
        const SlotRecord& slot = Module1::CurrentSlot;
        P_Name_L[i]->setText(slot.Name);
        // The slot shows its name even when its picture fails; its program is then not stored,
        // so its button starts nothing.
        if (!Load_Image[i]->LoadPicture(slot.ImagePath, &ahead))
            return false;
        Module1::ProgramPaths[i] = slot.ProgramPath;
    }
    return true;
}

void Main::applyOptionsToMenu() {
    // -1 sets the mark and 0 clears it; any other stored value leaves the mark as designed.
    auto apply = [](QAction* action, qint16 value) {
        if (value == Module1::True)
            action->setChecked(true);
        else if (value == Module1::False)
            action->setChecked(false);
    };
    apply(Soft_Close_On_Off, Module1::SoftClose);
    apply(Koukaon_On_Off, Module1::SoundEffects);
}

void Main::adoptMenuStateAsOptions() {
    if (optionsLoaded_)
        return;
    Module1::SoftClose = Soft_Close_On_Off->isChecked() ? Module1::True : Module1::False;
    Module1::SoundEffects = Koukaon_On_Off->isChecked() ? Module1::True : Module1::False;
}

void Main::mousePressEvent(QMouseEvent* event) {
    // Only the background: the labels, pictures and buttons keep their clicks.
    if (childAt(event->position().toPoint()) != nullptr)
        return;
    Form_MouseDown(event->button(), event->globalPosition().toPoint());
}

void Main::Form_MouseDown(Qt::MouseButton button, const QPoint& globalPos) {
    if (ending_ || button != Qt::RightButton)
        return;
    File->popup(globalPos);
}

void Main::closeEvent(QCloseEvent* event) {
    event->accept();
    if (ending_ || unloaded_)
        return;
    Form_Unload();
}

void Main::Form_Unload() {
    unloaded_ = true;
    // A start from now on waits for this launcher to end rather than bringing it back.
    claim_->setEnding();
    const Outcome saved = saveOptionsAtShutdown();
    cues_.CloseSoundDevice();
    slotFile_.CloseSlotFile();
    if (!saved)
        messages_->Error(nullptr, saved.message());
}

Outcome Main::saveOptionsAtShutdown() {
    // A start-up that stopped before it read the options leaves the file as the user last
    // saved it, unless an option was changed in this run. A file that was missing or damaged
    // is written, which mends it.
    if (!optionsLoadAttempted_ && !optionToggled_)
        return Outcome::success();
    const Outcome saved = SaveOptions();
    if (saved)
        return saved;
    return Outcome::failure(
        QStringLiteral("設定を保存できませんでした。\n%1").arg(saved.message()));
}

Outcome Main::ShowSlot(int index, const SlotRecord& record) {
    P_Name_L[index]->setText(record.Name);
    Module1::ProgramPaths[index] = record.ProgramPath;
    const Outcome picture = Load_Image[index]->LoadPicture(record.ImagePath);
    if (!picture)
        Load_Image[index]->setPicture(QPixmap());
    return picture;
}

void Main::setVisible(bool visible) {
    if (visible && handedOver_)
        return;
    QWidget::setVisible(visible);
}

void Main::BringForward(const QString& activationToken) {
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
    if (!activationToken.isEmpty())
        qputenv("XDG_ACTIVATION_TOKEN", activationToken.toUtf8());
    front->activateWindow();
}

void Main::endProgram() {
    ending_ = true;
    if (endProgram_)
        endProgram_();
    else
        QCoreApplication::exit(0);
}
