#include "editor/SetUp.h"

#include "chooser/FileManager.h"
#include "common/Module1.h"
#include "common/Twips.h"
#include "editor/DoubleClicks.h"
#include "launcher/Look.h"
#include "launcher/Main.h"

#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>

namespace {

const QString PictureNeeded = QStringLiteral("画像の選択が必要です");
const QString Saved = QStringLiteral("更新完了。");
const QColor ProgramPathBackground(255, 224, 192);
const QColor ImagePathBackground(255, 255, 192);

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

QString slotList(int from, int to) {
    QStringList numbers;
    for (int i = from; i <= to; ++i)
        numbers << QString::number(i);
    return numbers.join(QStringLiteral("、"));
}

} // namespace

SetUp::SetUp(Main& launcher, QWidget* parent)
    : ClassicDialog(QStringLiteral("SetUp"), QStringLiteral("SetUp"), 4665, 7515, parent),
      launcher_(launcher) {
    buildControls();
}

void SetUp::buildControls() {
    // Classic active borders share the face colour of buttons. Taken from the active group
    // for every group, so the editor keeps its shade while the chooser has the focus.
    QPalette palette = this->palette();
    palette.setColor(QPalette::Window, palette.color(QPalette::Active, QPalette::Button));
    setPalette(palette);
    setAutoFillBackground(true);

    Coushin = addButton(QStringLiteral("Coushin"), QStringLiteral("更　新"),
                        twipsRect(240, 120, 1815, 375));
    Cancel = addButton(QStringLiteral("Cancel"), QStringLiteral("キャンセル"),
                       twipsRect(2760, 120, 1695, 375));
    connect(Coushin, &QPushButton::clicked, this, &SetUp::Coushin_Click);
    connect(Cancel, &QPushButton::clicked, this, &SetUp::Cancel_Click);

    for (int i = 1; i <= SlotCount; ++i)
        buildSlot(i);
    setTabOrders();
}

void SetUp::buildSlot(int i) {
    const int d = 1320 * (i - 1);
    const QString n = QString::number(i);

    auto* name = new QLineEdit(QStringLiteral("Name"), this);
    name->setObjectName(QStringLiteral("P_Name_") + n);
    name->setGeometry(twipsRect(240, 720 + d, 3015, 375));
    name->setAlignment(Qt::AlignCenter);
    name->setFont(PGothicFont(12, true, true));
    P_Name[i] = name;

    // Several lines in principle, so that a long path stays on one line and scrolls sideways.
    auto* program = new QPlainTextEdit(this);
    program->setObjectName(QStringLiteral("Program_Path_") + n);
    program->setGeometry(twipsRect(240, 1200 + d, 3015, 615));
    program->setReadOnly(true);
    program->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    program->setFocusPolicy(Qt::StrongFocus);
    program->setTabChangesFocus(true);
    program->setLineWrapMode(QPlainTextEdit::NoWrap);
    program->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    program->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setBase(program, ProgramPathBackground);
    OnDoubleClick(program->viewport(), [this, i] { Program_Path_DblClick(i); });
    Program_Path[i] = program;

    auto* picture = new PictureBox(this);
    picture->setObjectName(QStringLiteral("Load_Image_") + n);
    picture->setTwipsGeometry(3480, 720 + d, 960, 960);
    connect(picture, &PictureBox::doubleClicked, this, [this, i] { Load_Image_DblClick(i); });
    Load_Image[i] = picture;

    auto* image = new QLineEdit(this);
    image->setObjectName(QStringLiteral("Image_Path_") + n);
    image->setGeometry(twipsRect(3480, 1680 + d, 975, 270));
    image->setReadOnly(true);
    setBase(image, ImagePathBackground);
    OnDoubleClick(image, [this, i] { Image_Path_DblClick(i); });
    Image_Path[i] = image;

    // The last slot's lines start further right and sit lower, as the window was drawn.
    const bool last = i == SlotCount;
    Line2[i] = new LineControl(this, last ? 2400 : 2280, 3480, last ? 6720 : 1425 + d,
                               QPalette::Inactive, QPalette::Mid);
    Line2[i]->setObjectName(QStringLiteral("Line2_") + n);
    Line1[i] = new LineControl(this, last ? 2520 : 2280, 3480, last ? 6735 : 1440 + d,
                               QPalette::Active, QPalette::Base);
    Line1[i]->setObjectName(QStringLiteral("Line1_") + n);
}

void SetUp::setTabOrders() {
    QList<QWidget*> order;
    for (int i = 1; i <= SlotCount; ++i)
        order << P_Name[i];
    order << Coushin << Cancel;
    for (int i = 1; i <= SlotCount; ++i)
        order << Program_Path[i];
    for (int i = 1; i <= SlotCount; ++i)
        order << Image_Path[i];
    for (qsizetype k = 1; k < order.size(); ++k)
        setTabOrder(order[k - 1], order[k]);
}

Outcome SetUp::Form_Load() {
    for (int i = 1; i <= SlotCount; ++i) {
        // The launcher's picture as it is shown now, not the file loaded again.
        Load_Image[i]->setPicture(launcher_.Load_Image[i]->picture());
        if (Outcome read = launcher_.slotFile().ReadSlot(i, Module1::CurrentSlot); !read)
            return read;
        const SlotRecord& slot = Module1::CurrentSlot;
        P_Name[i]->setText(slot.Name);
        Program_Path[i]->setPlainText(slot.ProgramPath);
        showPath(Image_Path[i], slot.ImagePath);
    }
    return Outcome::success();
}

bool SetUp::choose(int i, const QString& mode) {
    launcher_.cues().PlaySoundCue(SoundCue::ButtonCue);
    Module1::ChooserSlot = qint16(i);
    Module1::ChooserMode = mode;
    OpenFileManager(launcher_, this);
    // Reset at once, so that every opening of the chooser starts with it false.
    if (Module1::ChooserCancelled == Module1::True) {
        Module1::ChooserCancelled = Module1::False;
        return false;
    }
    return true;
}

void SetUp::Image_Path_DblClick(int i) {
    if (!choose(i, Module1::ImageMode))
        return;
    // An empty path empties the preview; a path that is no picture changes nothing.
    if (!Load_Image[i]->LoadPicture(Module1::ChosenPath)) {
        launcher_.messages().Error(this, PictureNeeded);
        return;
    }
    showPath(Image_Path[i], Module1::ChosenPath);
}

void SetUp::Load_Image_DblClick(int i) {
    Image_Path_DblClick(i);
}

void SetUp::Program_Path_DblClick(int i) {
    if (!choose(i, Module1::FileMode))
        return;
    // Whether it starts anything shows only when the launcher's button is pressed.
    Program_Path[i]->setPlainText(Module1::ChosenPath);
}

SlotRecord SetUp::recordInBoxes(int i) const {
    return {P_Name[i]->text(), Program_Path[i]->toPlainText(), Image_Path[i]->text()};
}

bool SetUp::allSlotsFit() {
    // Checked before the first write, so that a slot that cannot be stored never leaves the
    // file half saved.
    for (int i = 1; i <= SlotCount; ++i) {
        QByteArray bytes;
        if (Outcome fits = EncodeSlotRecord(i, recordInBoxes(i), bytes); !fits) {
            launcher_.messages().Error(this, fits.message());
            return false;
        }
    }
    return true;
}

void SetUp::Coushin_Click() {
    if (!allSlotsFit())
        return;
    QStringList withoutPicture;
    for (int i = 1; i <= SlotCount; ++i) {
        Module1::CurrentSlot = recordInBoxes(i);
        if (Outcome written = launcher_.slotFile().WriteSlot(i, Module1::CurrentSlot); !written) {
            launcher_.messages().Error(
                this, QStringLiteral("保存に失敗しました。スロット %1 は書き込まれていません。\n%2")
                          .arg(slotList(i, SlotCount), written.message()));
            return;
        }
        // A picture that cannot be loaded still lets the slot show its name and keep its
        // program; the other slots are saved and shown all the same.
        if (!launcher_.ShowSlot(i, Module1::CurrentSlot))
            withoutPicture << QString::number(i);
    }
    if (!withoutPicture.isEmpty()) {
        launcher_.messages().Error(
            this, QStringLiteral("保存しましたが、スロット %1 の画像を読み込めませんでした。")
                      .arg(withoutPicture.join(QStringLiteral("、"))));
        return;
    }
    launcher_.messages().Information(this, Saved);
}

void SetUp::Cancel_Click() {
    done(Rejected);
}

void SetUp::reject() {
    Cancel_Click();
}
