#include "chooser/FileManager.h"

#include "chooser/DirectoryList.h"
#include "common/Module1.h"
#include "common/Twips.h"
#include "launcher/Main.h"
#include "platform/Drives.h"

#include <QComboBox>
#include <QDir>
#include <QListWidget>
#include <QPushButton>

FileManager::FileManager(Main& launcher, QWidget* parent)
    : ClassicDialog(QStringLiteral("FileManager"), QStringLiteral("FileManager"), 7230, 5340,
                    parent),
      launcher_(launcher) {
    buildControls();
    Form_Load();
}

void FileManager::buildControls() {
    Drive1 = new QComboBox(this);
    Drive1->setObjectName(QStringLiteral("Drive1"));
    Drive1->setGeometry(twipsRect(360, 360, 2775, 300));

    Dir1 = new DirectoryList(this);
    Dir1->setObjectName(QStringLiteral("Dir1"));
    Dir1->setGeometry(twipsRect(360, 840, 2775, 4080));

    File1 = new QListWidget(this);
    File1->setObjectName(QStringLiteral("File1"));
    File1->setGeometry(twipsRect(3480, 360, 3375, 3330));
    File1->setSelectionMode(QAbstractItemView::SingleSelection);

    OK = addButton(QStringLiteral("OK"), QStringLiteral("O K"), twipsRect(3480, 3960, 2175, 375));
    Cancel = addButton(QStringLiteral("Cancel"), QStringLiteral("キャンセル"),
                       twipsRect(4680, 4560, 975, 375));
    Syoukyo = addButton(QStringLiteral("Syoukyo"), QStringLiteral("消　去"),
                        twipsRect(3480, 4560, 975, 375));

    Load_Image = new PictureBox(this);
    Load_Image->setObjectName(QStringLiteral("Load_Image"));
    Load_Image->setTwipsGeometry(5880, 3960, 960, 960);

    setTabOrder(Drive1, Dir1);
    setTabOrder(Dir1, File1);
    setTabOrder(File1, OK);
    setTabOrder(OK, Cancel);
    setTabOrder(Cancel, Syoukyo);

    connect(OK, &QPushButton::clicked, this, &FileManager::OK_Click);
    connect(Cancel, &QPushButton::clicked, this, &FileManager::Cancel_Click);
    connect(Syoukyo, &QPushButton::clicked, this, &FileManager::Syoukyo_Click);
    connect(Dir1, &DirectoryList::pathChanged, this, &FileManager::Dir1_Change);
    // A click and a move of the selection with the arrow keys both end up here; the focus
    // entering the list only marks an entry, it selects none.
    connect(File1, &QListWidget::itemSelectionChanged, this, [this] {
        if (!File1->selectedItems().isEmpty())
            File1_Click();
    });
}

void FileManager::Form_Load() {
    using namespace Module1;
    if (ChooserMode == ImageMode) {
        filter_ = {PicturePattern, false};
        // The slot's saved picture, as the launcher shows it, not the editor's preview.
        if (ChooserSlot >= 1 && ChooserSlot <= SlotCount)
            Load_Image->setPicture(launcher_.Load_Image[ChooserSlot]->picture());
    } else if (ChooserMode == FileMode) {
        filter_ = {ProgramPattern, true};
        Load_Image->hide();
    }

    // The lists start where the process is, not where the slot's file lies.
    const QString here = QDir::currentPath();
    const QStringList drives = ListDrives();
    for (const QString& drive : drives)
        Drive1->addItem(QDir::toNativeSeparators(drive), drive);
    const QString drive = DriveOfPath(here, drives);
    driveIndex_ = Drive1->findData(drive);
    Drive1->setCurrentIndex(driveIndex_);
    connect(Drive1, &QComboBox::currentIndexChanged, this, &FileManager::Drive1_Change);

    if (!Dir1->setPath(here))
        Dir1->setPath(drive);
}

void FileManager::Drive1_Change() {
    const int picked = Drive1->currentIndex();
    if (picked == driveIndex_)
        return;
    const QString root = Drive1->itemData(picked).toString();
    if (!Dir1->setPath(DriveCurrentFolder(root)) && !Dir1->setPath(root)) {
        // No medium, or no permission: stay on the drive that works.
        const QSignalBlocker quiet(Drive1);
        Drive1->setCurrentIndex(driveIndex_);
        launcher_.messages().Error(
            this,
            QStringLiteral("ドライブ %1 を読み取れません。").arg(QDir::toNativeSeparators(root)));
        return;
    }
    driveIndex_ = picked;
}

void FileManager::Dir1_Change() {
    File1->clear();
    File1->addItems(ListChooserFiles(Dir1->path(), filter_));
}

void FileManager::File1_Click() {
    Module1::ChosenPath = JoinChooserPath(Dir1->path(), selectedFileName());
    // A file that only looks like a picture leaves the preview as it was.
    if (Module1::ChooserMode == Module1::ImageMode)
        (void)Load_Image->LoadPicture(Module1::ChosenPath);
}

void FileManager::OK_Click() {
    launcher_.cues().PlaySoundCue(SoundCue::ButtonCue);
    Module1::ChosenPath = JoinChooserPath(Dir1->path(), selectedFileName());
    done(Accepted);
}

void FileManager::Syoukyo_Click() {
    launcher_.cues().PlaySoundCue(SoundCue::ButtonCue);
    Module1::ChosenPath.clear();
    done(Accepted);
}

void FileManager::Cancel_Click() {
    Module1::ChooserCancelled = Module1::True;
    done(Rejected);
}

void FileManager::reject() {
    Cancel_Click();
}

QString FileManager::selectedFileName() const {
    const QList<QListWidgetItem*> selected = File1->selectedItems();
    return selected.isEmpty() ? QString() : selected.first()->text();
}

void OpenFileManager(Main& launcher, QWidget* parent) {
    FileManager chooser(launcher, parent);
    launcher.modal().exec(chooser);
}
