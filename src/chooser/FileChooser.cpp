#include "chooser/FileChooser.h"

#include "chooser/DirectoryList.h"
#include "common/Twips.h"
#include "platform/Drives.h"
#include "sound/CuePlayer.h"
#include "widgets/Dialogs.h"
#include "widgets/PictureBox.h"

#include <QComboBox>
#include <QDir>
#include <QListWidget>
#include <QPushButton>

FileChooser::FileChooser(ChooserMode mode, const QPixmap& preview, const Services& services,
                         QWidget* parent)
    : ClassicDialog(QStringLiteral("FileManager"), QStringLiteral("FileManager"), 7230, 5340,
                    parent),
      mode_(mode), services_(services) {
    buildControls();
    if (mode_ == ChooserMode::Picture) {
        filter_ = {PicturePattern, false};
        // The slot's saved picture, as the launcher shows it, not the editor's preview.
        preview_->setPicture(preview);
    } else {
        filter_ = {ProgramPattern, true};
        preview_->hide();
    }
    startAtCurrentFolder();
}

void FileChooser::buildControls() {
    drives_ = new QComboBox(this);
    drives_->setObjectName(QStringLiteral("Drive1"));
    drives_->setGeometry(twipsRect(360, 360, 2775, 300));

    folders_ = new DirectoryList(this);
    folders_->setObjectName(QStringLiteral("Dir1"));
    folders_->setGeometry(twipsRect(360, 840, 2775, 4080));

    files_ = new QListWidget(this);
    files_->setObjectName(QStringLiteral("File1"));
    files_->setGeometry(twipsRect(3480, 360, 3375, 3330));
    files_->setSelectionMode(QAbstractItemView::SingleSelection);

    okButton_ =
        addButton(QStringLiteral("OK"), QStringLiteral("O K"), twipsRect(3480, 3960, 2175, 375));
    cancelButton_ = addButton(QStringLiteral("Cancel"), QStringLiteral("キャンセル"),
                              twipsRect(4680, 4560, 975, 375));
    clearButton_ = addButton(QStringLiteral("Syoukyo"), QStringLiteral("消　去"),
                             twipsRect(3480, 4560, 975, 375));

    preview_ = new PictureBox(this);
    preview_->setObjectName(QStringLiteral("Load_Image"));
    preview_->setTwipsGeometry(5880, 3960, 960, 960);

    setTabOrder(drives_, folders_);
    setTabOrder(folders_, files_);
    setTabOrder(files_, okButton_);
    setTabOrder(okButton_, cancelButton_);
    setTabOrder(cancelButton_, clearButton_);

    connect(okButton_, &QPushButton::clicked, this, &FileChooser::takeSelection);
    connect(cancelButton_, &QPushButton::clicked, this, &FileChooser::reject);
    connect(clearButton_, &QPushButton::clicked, this, &FileChooser::clearChoice);
    connect(folders_, &DirectoryList::pathChanged, this, &FileChooser::listFiles);
    // A click and a move of the selection with the arrow keys both end up here; the focus
    // entering the list only marks an entry, it selects none.
    connect(files_, &QListWidget::itemSelectionChanged, this, [this] {
        if (!files_->selectedItems().isEmpty())
            selectFile();
    });
}

void FileChooser::startAtCurrentFolder() {
    // The lists start where the process is, not where the slot's file lies.
    const QString here = QDir::currentPath();
    const QStringList drives = ListDrives();
    for (const QString& drive : drives)
        drives_->addItem(QDir::toNativeSeparators(drive), drive);
    const QString drive = DriveOfPath(here, drives);
    driveIndex_ = drives_->findData(drive);
    drives_->setCurrentIndex(driveIndex_);
    connect(drives_, &QComboBox::currentIndexChanged, this, &FileChooser::changeDrive);

    if (!folders_->setPath(here))
        folders_->setPath(drive);
}

void FileChooser::changeDrive() {
    const int picked = drives_->currentIndex();
    if (picked == driveIndex_)
        return;
    const QString root = drives_->itemData(picked).toString();
    if (!folders_->setPath(DriveCurrentFolder(root)) && !folders_->setPath(root)) {
        // No medium, or no permission: stay on the drive that works.
        const QSignalBlocker quiet(drives_);
        drives_->setCurrentIndex(driveIndex_);
        services_.messages.Error(
            this,
            QStringLiteral("ドライブ %1 を読み取れません。").arg(QDir::toNativeSeparators(root)));
        return;
    }
    driveIndex_ = picked;
}

void FileChooser::listFiles() {
    files_->clear();
    files_->addItems(ListChooserFiles(folders_->path(), filter_));
}

void FileChooser::selectFile() {
    // A file that only looks like a picture leaves the preview as it was.
    if (mode_ == ChooserMode::Picture)
        (void)preview_->loadPicture(selectedPath());
}

void FileChooser::takeSelection() {
    services_.cues.play(SoundCue::Button);
    choice_ = selectedPath();
    done(Accepted);
}

void FileChooser::clearChoice() {
    services_.cues.play(SoundCue::Button);
    choice_ = QString();
    done(Accepted);
}

void FileChooser::reject() {
    choice_.reset();
    done(Rejected);
}

QString FileChooser::selectedPath() const {
    const QList<QListWidgetItem*> selected = files_->selectedItems();
    return JoinChooserPath(folders_->path(),
                           selected.isEmpty() ? QString() : selected.first()->text());
}

std::optional<QString> ChooseFile(ChooserMode mode, const QPixmap& preview,
                                  const Services& services, QWidget* parent) {
    FileChooser chooser(mode, preview, services, parent);
    services.modal.exec(chooser);
    return chooser.choice();
}
