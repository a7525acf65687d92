#include "editor/SlotEditor.h"

#include "chooser/FileChooser.h"
#include "common/Twips.h"
#include "sound/CuePlayer.h"
#include "storage/SlotFile.h"
#include "widgets/Dialogs.h"
#include "widgets/DoubleClicks.h"
#include "widgets/LineControl.h"
#include "widgets/Look.h"
#include "widgets/PictureBox.h"

#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>

namespace {

const QString PictureNeeded = QStringLiteral("画像の選択が必要です");
const QString Saved = QStringLiteral("更新完了。");
const QColor ProgramPathBackground(255, 224, 192);
const QColor ImagePathBackground(255, 255, 192);

// Slot i is drawn this far below slot 0.
constexpr int SlotStep = 1320;

void setBase(QWidget* box, const QColor& color) {
    QPalette palette = box->palette();
    palette.setColor(QPalette::Base, color);
    box->setPalette(palette);
}

// A path box shows the start of its path, where the drive and the folders are.
void showPath(QLineEdit* box, const QString& path) {
    box->setText(path);
    box->setCursorPosition(0);
}

// The slot numbers from `first` to the last slot, as the messages list them: "3、4、5".
QString slotNumbersFrom(int first) {
    QStringList numbers;
    for (int i = first; i < SlotCount; ++i)
        numbers << QString::number(SlotNumber(i));
    return numbers.join(QStringLiteral("、"));
}

} // namespace

SlotEditor::SlotEditor(const Services& services, SlotFile& slotFile,
                       const std::array<QPixmap, SlotCount>& shownPictures, QWidget* parent)
    : ClassicDialog(QStringLiteral("SetUp"), QStringLiteral("SetUp"), 4665, 7515, parent),
      services_(services), slotFile_(slotFile), shownPictures_(shownPictures) {
    buildControls();
}

void SlotEditor::buildControls() {
    // Classic active borders share the face colour of buttons. Taken from the active group
    // for every group, so the editor keeps its shade while the chooser has the focus.
    QPalette palette = this->palette();
    palette.setColor(QPalette::Window, palette.color(QPalette::Active, QPalette::Button));
    setPalette(palette);
    setAutoFillBackground(true);

    saveButton_ = addButton(QStringLiteral("Coushin"), QStringLiteral("更　新"),
                            twipsRect(240, 120, 1815, 375));
    cancelButton_ = addButton(QStringLiteral("Cancel"), QStringLiteral("キャンセル"),
                              twipsRect(2760, 120, 1695, 375));
    connect(saveButton_, &QPushButton::clicked, this, &SlotEditor::saveSlots);
    connect(cancelButton_, &QPushButton::clicked, this, &SlotEditor::reject);

    for (int i = 0; i < SlotCount; ++i)
        buildSlot(i);
    setTabOrders();
}

void SlotEditor::buildSlot(int i) {
    const int d = SlotStep * i;

    auto* name = new QLineEdit(QStringLiteral("Name"), this);
    name->setObjectName(SlotControlName("P_Name_", i));
    name->setGeometry(twipsRect(240, 720 + d, 3015, 375));
    name->setAlignment(Qt::AlignCenter);
    name->setFont(PGothicFont(12, true, true));
    names_[i] = name;

    // Several lines in principle, so that a long path stays on one line and scrolls sideways.
    auto* program = new QPlainTextEdit(this);
    program->setObjectName(SlotControlName("Program_Path_", i));
    program->setGeometry(twipsRect(240, 1200 + d, 3015, 615));
    program->setReadOnly(true);
    program->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    program->setFocusPolicy(Qt::StrongFocus);
    program->setTabChangesFocus(true);
    program->setLineWrapMode(QPlainTextEdit::NoWrap);
    program->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    program->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setBase(program, ProgramPathBackground);
    OnDoubleClick(program->viewport(), [this, i] { chooseProgram(i); });
    programPaths_[i] = program;

    auto* preview = new PictureBox(this);
    preview->setObjectName(SlotControlName("Load_Image_", i));
    preview->setTwipsGeometry(3480, 720 + d, 960, 960);
    connect(preview, &PictureBox::doubleClicked, this, [this, i] { choosePicture(i); });
    previews_[i] = preview;

    auto* image = new QLineEdit(this);
    image->setObjectName(SlotControlName("Image_Path_", i));
    image->setGeometry(twipsRect(3480, 1680 + d, 975, 270));
    image->setReadOnly(true);
    setBase(image, ImagePathBackground);
    OnDoubleClick(image, [this, i] { choosePicture(i); });
    imagePaths_[i] = image;

    // The last slot's lines sit lower, as the window was drawn.
    AddSlotLines(this, i, i == SlotCount - 1 ? 6735 : 1440 + d);
}

void SlotEditor::setTabOrders() {
    // The names, the two buttons, the program paths, the picture paths.
    QList<QWidget*> order(names_.begin(), names_.end());
    order << saveButton_ << cancelButton_;
    order.append(QList<QWidget*>(programPaths_.begin(), programPaths_.end()));
    order.append(QList<QWidget*>(imagePaths_.begin(), imagePaths_.end()));
    for (qsizetype k = 1; k < order.size(); ++k)
        setTabOrder(order[k - 1], order[k]);
}

Outcome SlotEditor::load() {
    for (int i = 0; i < SlotCount; ++i) {
        // The launcher's picture as it is shown now, not the file loaded again.
        previews_[i]->setPicture(shownPictures_[i]);
        const Result<SlotRecord> slot = slotFile_.read(i);
        if (!slot)
            return slot.outcome();
        names_[i]->setText(slot->name);
        programPaths_[i]->setPlainText(slot->programPath);
        showPath(imagePaths_[i], slot->imagePath);
    }
    return Outcome::success();
}

void SlotEditor::choosePicture(int i) {
    services_.cues.play(SoundCue::Button);
    const std::optional<QString> chosen =
        ChooseFile(ChooserMode::Picture, shownPictures_[i], services_, this);
    if (!chosen)
        return;
    // An empty path empties the preview; a path that is no picture changes nothing.
    if (!previews_[i]->loadPicture(*chosen)) {
        services_.messages.Error(this, PictureNeeded);
        return;
    }
    showPath(imagePaths_[i], *chosen);
}

void SlotEditor::chooseProgram(int i) {
    services_.cues.play(SoundCue::Button);
    const std::optional<QString> chosen =
        ChooseFile(ChooserMode::Program, QPixmap(), services_, this);
    // Whether it starts anything shows only when the launcher's button is pressed.
    if (chosen)
        programPaths_[i]->setPlainText(*chosen);
}

SlotRecord SlotEditor::recordInBoxes(int i) const {
    return {names_[i]->text(), programPaths_[i]->toPlainText(), imagePaths_[i]->text()};
}

bool SlotEditor::allSlotsFit() {
    // Checked before the first write, so that a slot that cannot be stored never leaves the
    // file half saved.
    for (int i = 0; i < SlotCount; ++i) {
        QByteArray bytes;
        if (Outcome fits = EncodeSlotRecord(i, recordInBoxes(i), bytes); !fits) {
            services_.messages.Error(this, fits.message());
            return false;
        }
    }
    return true;
}

void SlotEditor::saveSlots() {
    if (!allSlotsFit())
        return;
    QStringList withoutPicture;
    for (int i = 0; i < SlotCount; ++i) {
        const SlotRecord record = recordInBoxes(i);
        if (Outcome written = slotFile_.write(i, record); !written) {
            services_.messages.Error(
                this, QStringLiteral("保存に失敗しました。スロット %1 は書き込まれていません。\n%2")
                          .arg(slotNumbersFrom(i), written.message()));
            return;
        }
        // A picture that cannot be loaded still lets the slot show its name and keep its
        // program; the other slots are saved and shown all the same.
        QPixmap picture;
        if (!previews_[i]->decodePicture(record.imagePath, picture))
            withoutPicture << QString::number(SlotNumber(i));
        shownPictures_[i] = picture;
        emit slotSaved(i, record, picture);
    }
    if (!withoutPicture.isEmpty()) {
        services_.messages.Error(
            this, QStringLiteral("保存しましたが、スロット %1 の画像を読み込めませんでした。")
                      .arg(withoutPicture.join(QStringLiteral("、"))));
        return;
    }
    services_.messages.Information(this, Saved);
}

void SlotEditor::reject() {
    done(Rejected);
}
