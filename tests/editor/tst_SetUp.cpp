// The slot editor opened from the launcher's menu and worked through its boxes, its buttons and
// the file chooser it opens; seen through the slot file's bytes, the launcher's slots and the
// recorded message boxes and cues.

#include "ChooserKit.h"
#include "TestSeams.h"
#include "chooser/FileManager.h"
#include "common/Module1.h"
#include "editor/SetUp.h"
#include "launcher/Main.h"
#include "platform/CodePage932.h"

#include <QDir>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>

using namespace Qt::StringLiterals;

namespace {

const QString ButtonCue = u"Button_Kouka.wav"_s;
const QString PictureNeeded = u"画像の選択が必要です"_s;
const QString Saved = u"更新完了。"_s;

enum class Target { ImagePathBox, Preview, ProgramPathBox };
enum class Choice { Pick, OkWithoutFile, Clear, Cancel, CloseBox };
enum class Leave { CancelButton, CloseBox, EscapeThenCancel };

QByteArray recordBytes(const SlotRecord& record) {
    const auto cp932 = [](const QString& text) { return EncodeCodePage932(text).value_or("?"); };
    return RecordBytes(cp932(record.Name), cp932(record.ProgramPath), cp932(record.ImagePath));
}

QByteArray fileBytes(const std::array<SlotRecord, 6>& records) {
    QByteArray bytes;
    for (int i = 1; i <= 5; ++i)
        bytes += recordBytes(records[i]);
    return bytes;
}

} // namespace

class SetUpTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase() { QDir::setCurrent(startDir_); }
    void init();
    void cleanup();

    void opening();
    void refusesToOpenOverUnreadableSlots();
    void chooserResults_data();
    void chooserResults();
    void chooserShowsTheSavedPicture();
    void saving_data();
    void saving();
    void refusals_data();
    void refusals();
    void leavingWithoutSaving_data();
    void leavingWithoutSaving();
    void picturesGoneBeforeSaving();

private:
    // Opens the editor from the launcher's menu and hands it, shown, to `work`. The chooser,
    // when the editor opens it, goes to chooserWork_.
    void openEditor(const std::function<void(SetUp&)>& work);
    QString picked(const QString& name) const { return QDir::currentPath() + u'/' + name; }
    // The launcher's slot i shows `record`, with a picture of `colour` (invalid: none).
    void checkLauncherSlot(int i, const SlotRecord& record, const QColor& colour);
    void checkLauncherUnchanged();

    QString startDir_;
    QTemporaryDir pickDir_;
    std::unique_ptr<TempAppDir> app_;
    std::unique_ptr<TestRig> rig_;
    std::unique_ptr<Main> launcher_;
    std::array<SlotRecord, 6> saved_;
    std::array<QColor, 6> savedColours_;
    QByteArray savedFile_;
    std::function<void(FileManager&)> chooserWork_;
};

void SetUpTest::initTestCase() {
    startDir_ = QDir::currentPath();
    WritePicture(pickDir_.filePath(u"new.bmp"_s), "bmp", Qt::yellow);
    WriteTextFile(pickDir_.filePath(u"broken.jpg"_s));
    WriteTextFile(pickDir_.filePath(u"game.exe"_s));
}

void SetUpTest::init() {
    Module1::Reset();
    app_ = std::make_unique<TempAppDir>();
    const QString p1 = app_->dataPath(u"p1.png"_s);
    const QString p3 = app_->dataPath(u"p3.png"_s);
    const QString p5 = app_->dataPath(u"p5.bmp"_s);
    WritePicture(p1, "png", Qt::red);
    WritePicture(p3, "png", Qt::green);
    WritePicture(p5, "bmp", Qt::blue);
    saved_ = {SlotRecord{},
              {u"一番"_s, u"/usr/bin/one"_s, p1},
              {u"two"_s, u"/usr/bin/two"_s, QString()},
              {u"three"_s, QString(), p3},
              {},
              {u"five"_s, u"/opt/five"_s, p5}};
    savedColours_ = {QColor(),          QColor(Qt::red), QColor(),
                     QColor(Qt::green), QColor(),        QColor(Qt::blue)};
    // Slot 4's filler is not zero: only a save that really rewrites it makes it zero.
    savedFile_ = fileBytes(saved_);
    savedFile_.replace(3 * 500 + 6, 494, QByteArray(494, '\xAA'));
    app_->writeData(u"SetUp.FIL"_s, savedFile_);
    app_->writeData(u"DataBase.FIL"_s, "0,-1\r\n");

    rig_ = std::make_unique<TestRig>();
    launcher_ = std::make_unique<Main>(rig_->seams());
    QVERIFY(rig_->messages.shown.isEmpty());
    rig_->sound.calls.clear();
    chooserWork_ = nullptr;
    QVERIFY(QDir::setCurrent(pickDir_.path()));
}

void SetUpTest::cleanup() {
    launcher_.reset();
    rig_.reset();
    app_.reset();
    QVERIFY(QApplication::topLevelWidgets().isEmpty());
}

void SetUpTest::openEditor(const std::function<void(SetUp&)>& work) {
    rig_->modal.script = [&](QDialog& dialog) {
        if (auto* chooser = qobject_cast<FileManager*>(&dialog)) {
            if (chooserWork_)
                chooserWork_(*chooser);
            return;
        }
        auto* editor = qobject_cast<SetUp*>(&dialog);
        QVERIFY(editor);
        editor->show();
        QVERIFY(QTest::qWaitForWindowExposed(editor));
        work(*editor);
    };
    launcher_->Path_Setei_Click();
}

void SetUpTest::checkLauncherSlot(int i, const SlotRecord& record, const QColor& colour) {
    QCOMPARE(launcher_->P_Name_L[i]->text(), record.Name);
    QCOMPARE(Module1::ProgramPaths[i], record.ProgramPath);
    QCOMPARE(launcher_->Load_Image[i]->hasPicture(), colour.isValid());
    if (colour.isValid())
        QVERIFY(ColoursNear(CentreColour(launcher_->Load_Image[i]->picture()), colour));
}

void SetUpTest::checkLauncherUnchanged() {
    for (int i = 1; i <= 5; ++i)
        checkLauncherSlot(i, saved_[i], savedColours_[i]);
}

void SetUpTest::opening() {
    // The previews copy what the launcher shows, not the files: slot 1's file has changed.
    WritePicture(saved_[1].ImagePath, "png", Qt::yellow);
    openEditor([&](SetUp& editor) {
        for (int i = 1; i <= 5; ++i) {
            QCOMPARE(editor.recordInBoxes(i), saved_[i]);
            QCOMPARE(editor.Load_Image[i]->hasPicture(), savedColours_[i].isValid());
            if (savedColours_[i].isValid())
                QCOMPARE(editor.Load_Image[i]->picture().toImage(),
                         launcher_->Load_Image[i]->picture().toImage());
        }
        QVERIFY(editor.P_Name[1]->hasFocus());
    });
    QCOMPARE(rig_->modal.opened, QStringList{u"SetUp"_s});
    QCOMPARE(rig_->sound.plays(), QStringList{ButtonCue});
}

void SetUpTest::refusesToOpenOverUnreadableSlots() {
    launcher_->slotFile().CloseSlotFile();
    launcher_->Path_Setei_Click();
    QVERIFY(rig_->modal.opened.isEmpty());
    QCOMPARE(rig_->messages.shown.size(), 1);
    QCOMPARE(rig_->messages.shown[0].icon, MessageIcon::Error);
    QVERIFY(rig_->messages.shown[0].text.contains(u"パス設定を開けません"_s));
}

void SetUpTest::chooserResults_data() {
    QTest::addColumn<Target>("target");
    QTest::addColumn<Choice>("choice");
    QTest::addColumn<QString>("file");   // selected in the chooser first, if any
    QTest::addColumn<QString>("text");   // the box afterwards; "=" keeps the saved text
    QTest::addColumn<QColor>("preview"); // slot 5's preview afterwards; invalid: none
    QTest::addColumn<bool>("refused");   // "画像の選択が必要です" shown
    const QColor blue(Qt::blue);
    const QColor yellow(Qt::yellow);
    const QString nothing;
    QTest::newRow("picture from its path box")
        << Target::ImagePathBox << Choice::Pick << u"new.bmp"_s << u"new.bmp"_s << yellow << false;
    QTest::newRow("picture from the preview")
        << Target::Preview << Choice::Pick << u"new.bmp"_s << u"new.bmp"_s << yellow << false;
    QTest::newRow("picture cleared")
        << Target::ImagePathBox << Choice::Clear << u"new.bmp"_s << u""_s << QColor() << false;
    QTest::newRow("picture chooser cancelled")
        << Target::ImagePathBox << Choice::Cancel << u"new.bmp"_s << u"="_s << blue << false;
    QTest::newRow("picture chooser closed by its box")
        << Target::Preview << Choice::CloseBox << u"new.bmp"_s << u"="_s << blue << false;
    QTest::newRow("O K without a picture")
        << Target::ImagePathBox << Choice::OkWithoutFile << nothing << u"="_s << blue << true;
    QTest::newRow("a name that is no picture")
        << Target::ImagePathBox << Choice::Pick << u"broken.jpg"_s << u"="_s << blue << true;
    QTest::newRow("program picked") << Target::ProgramPathBox << Choice::Pick << u"game.exe"_s
                                    << u"game.exe"_s << blue << false;
    QTest::newRow("program cleared")
        << Target::ProgramPathBox << Choice::Clear << u"game.exe"_s << u""_s << blue << false;
    QTest::newRow("program O K without a file")
        << Target::ProgramPathBox << Choice::OkWithoutFile << nothing << u"/"_s << blue << false;
    QTest::newRow("program chooser cancelled")
        << Target::ProgramPathBox << Choice::Cancel << u"game.exe"_s << u"="_s << blue << false;
    QTest::newRow("program chooser closed by its box")
        << Target::ProgramPathBox << Choice::CloseBox << u"game.exe"_s << u"="_s << blue << false;
}

void SetUpTest::chooserResults() {
    QFETCH(Target, target);
    QFETCH(Choice, choice);
    QFETCH(QString, file);
    QFETCH(QString, text);
    QFETCH(QColor, preview);
    QFETCH(bool, refused);
    const bool picture = target != Target::ProgramPathBox;
    QString expected = picture ? saved_[5].ImagePath : saved_[5].ProgramPath;
    if (text == u"/"_s)
        expected = QDir::toNativeSeparators(QDir::currentPath()) + QDir::separator();
    else if (text != u"="_s)
        expected = text.isEmpty() ? QString() : picked(text);

    QString modeSeen;
    int slotSeen = 0;
    chooserWork_ = [&](FileManager& chooser) {
        modeSeen = Module1::ChooserMode;
        slotSeen = Module1::ChooserSlot;
        if (!file.isEmpty())
            chooser.File1->setCurrentItem(FindItem(chooser.File1, file));
        switch (choice) {
        case Choice::Pick:
        case Choice::OkWithoutFile:
            QTest::mouseClick(chooser.OK, Qt::LeftButton);
            break;
        case Choice::Clear:
            QTest::mouseClick(chooser.Syoukyo, Qt::LeftButton);
            break;
        case Choice::Cancel:
            QTest::mouseClick(chooser.Cancel, Qt::LeftButton);
            break;
        case Choice::CloseBox:
            chooser.show();
            chooser.close();
            break;
        }
    };
    openEditor([&](SetUp& editor) {
        switch (target) {
        case Target::ImagePathBox:
            QTest::mouseDClick(editor.Image_Path[5], Qt::LeftButton);
            break;
        case Target::Preview:
            QTest::mouseDClick(editor.Load_Image[5], Qt::LeftButton);
            break;
        case Target::ProgramPathBox:
            QTest::mouseDClick(editor.Program_Path[5]->viewport(), Qt::LeftButton);
            break;
        }
        QCOMPARE(picture ? editor.Image_Path[5]->text() : editor.Program_Path[5]->toPlainText(),
                 expected);
        QCOMPARE(editor.Load_Image[5]->hasPicture(), preview.isValid());
        if (preview.isValid())
            QVERIFY(ColoursNear(CentreColour(editor.Load_Image[5]->picture()), preview));
        QVERIFY(editor.isVisible());
    });
    QCOMPARE(rig_->modal.opened, (QStringList{u"SetUp"_s, u"FileManager"_s}));
    QCOMPARE(modeSeen, picture ? Module1::ImageMode : Module1::FileMode);
    QCOMPARE(slotSeen, 5);
    QCOMPARE(Module1::ChooserCancelled, Module1::False);
    // The menu's cue, the double-click's, and the chooser's own for O K and 消去.
    const bool chooserCue =
        choice == Choice::Pick || choice == Choice::OkWithoutFile || choice == Choice::Clear;
    QCOMPARE(rig_->sound.plays().count(ButtonCue), chooserCue ? 3 : 2);
    QCOMPARE(rig_->messages.texts(), refused ? QStringList{PictureNeeded} : QStringList());
    if (refused)
        QCOMPARE(rig_->messages.shown[0].icon, MessageIcon::Error);
    // Nothing reaches the file or the launcher before "更　新".
    QCOMPARE(app_->readData(u"SetUp.FIL"_s), savedFile_);
    checkLauncherUnchanged();
}

void SetUpTest::chooserShowsTheSavedPicture() {
    QColor shownInChooser;
    openEditor([&](SetUp& editor) {
        chooserWork_ = [&](FileManager& chooser) {
            chooser.File1->setCurrentItem(FindItem(chooser.File1, u"new.bmp"_s));
            chooser.OK_Click();
        };
        QTest::mouseDClick(editor.Image_Path[1], Qt::LeftButton);
        QVERIFY(ColoursNear(CentreColour(editor.Load_Image[1]->picture()), Qt::yellow));
        chooserWork_ = [&](FileManager& chooser) {
            shownInChooser = CentreColour(chooser.Load_Image->picture());
            chooser.Cancel_Click();
        };
        QTest::mouseDClick(editor.Load_Image[1], Qt::LeftButton);
    });
    QVERIFY2(ColoursNear(shownInChooser, Qt::red), qPrintable(shownInChooser.name()));
}

void SetUpTest::saving_data() {
    QTest::addColumn<int>("slot"); // 0: nothing edited
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("program");
    QTest::addColumn<QString>("image"); // a name in the pick directory, or empty
    QTest::addColumn<QColor>("colour");
    QTest::newRow("nothing changed") << 0 << u""_s << u""_s << u""_s << QColor();
    QTest::newRow("new texts and picture")
        << 2 << u"新しい名前"_s << u"/opt/new tool"_s << u"new.bmp"_s << QColor(Qt::yellow);
    QTest::newRow("slot emptied") << 1 << u""_s << u""_s << u""_s << QColor();
    QTest::newRow("empty slot filled")
        << 4 << u"four"_s << u"/opt/four"_s << u"new.bmp"_s << QColor(Qt::yellow);
    QTest::newRow("exactly 494 bytes") << 4 << QString(494, u'n') << u""_s << u""_s << QColor();
    QTest::newRow("spaces kept as typed")
        << 3 << u"  three  "_s << u" /opt/x "_s << u""_s << QColor();
}

void SetUpTest::saving() {
    QFETCH(int, slot);
    QFETCH(QString, name);
    QFETCH(QString, program);
    QFETCH(QString, image);
    QFETCH(QColor, colour);
    std::array<SlotRecord, 6> expected = saved_;
    if (slot > 0)
        expected[slot] = {name, program, image.isEmpty() ? QString() : picked(image)};

    openEditor([&](SetUp& editor) {
        if (slot > 0) {
            editor.P_Name[slot]->setText(expected[slot].Name);
            editor.Program_Path[slot]->setPlainText(expected[slot].ProgramPath);
            editor.Image_Path[slot]->setText(expected[slot].ImagePath);
        }
        QTest::mouseClick(editor.Coushin, Qt::LeftButton);
        QVERIFY(editor.isVisible());
        if (slot > 0)
            QCOMPARE(editor.recordInBoxes(slot), expected[slot]);
    });
    QCOMPARE(app_->readData(u"SetUp.FIL"_s), fileBytes(expected));
    QCOMPARE(rig_->messages.texts(), QStringList{Saved});
    QCOMPARE(rig_->messages.shown[0].icon, MessageIcon::Information);
    for (int i = 1; i <= 5; ++i)
        checkLauncherSlot(i, expected[i], i == slot ? colour : savedColours_[i]);
    // "更　新" itself makes no sound.
    QCOMPARE(rig_->sound.plays(), QStringList{ButtonCue});
}

void SetUpTest::refusals_data() {
    QTest::addColumn<int>("slot");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("program");
    QTest::newRow("495 bytes") << 3 << QString(495, u'a') << u""_s;
    QTest::newRow("two-byte characters past 494 bytes") << 5 << QString(248, u'あ') << u""_s;
    QTest::newRow("a letter code page 932 lacks") << 2 << u"Müller"_s << u"/usr/bin/two"_s;
    QTest::newRow("an emoji in a program path") << 4 << u""_s << u"/opt/🎮"_s;
}

void SetUpTest::refusals() {
    QFETCH(int, slot);
    QFETCH(QString, name);
    QFETCH(QString, program);
    openEditor([&](SetUp& editor) {
        // A slot before the refused one that would fit: it must not be written either.
        editor.P_Name[1]->setText(u"changed"_s);
        editor.P_Name[slot]->setText(name);
        editor.Program_Path[slot]->setPlainText(program);
        editor.Image_Path[slot]->clear();
        QTest::mouseClick(editor.Coushin, Qt::LeftButton);
        QVERIFY(editor.isVisible());
        QCOMPARE(editor.P_Name[1]->text(), u"changed"_s);
        QCOMPARE(editor.P_Name[slot]->text(), name);
    });
    QCOMPARE(app_->readData(u"SetUp.FIL"_s), savedFile_);
    QCOMPARE(rig_->messages.shown.size(), 1);
    QCOMPARE(rig_->messages.shown[0].icon, MessageIcon::Error);
    QVERIFY2(rig_->messages.shown[0].text.contains(u"スロット %1"_s.arg(slot)),
             qPrintable(rig_->messages.shown[0].text));
    checkLauncherUnchanged();
}

void SetUpTest::leavingWithoutSaving_data() {
    QTest::addColumn<Leave>("leave");
    QTest::newRow("キャンセル") << Leave::CancelButton;
    QTest::newRow("close box") << Leave::CloseBox;
    QTest::newRow("Escape does nothing, then キャンセル") << Leave::EscapeThenCancel;
}

void SetUpTest::leavingWithoutSaving() {
    QFETCH(Leave, leave);
    chooserWork_ = [](FileManager& chooser) {
        chooser.File1->setCurrentItem(FindItem(chooser.File1, u"game.exe"_s));
        chooser.OK_Click();
    };
    openEditor([&](SetUp& editor) {
        editor.P_Name[1]->setText(u"edited"_s);
        QTest::mouseDClick(editor.Program_Path[2]->viewport(), Qt::LeftButton);
        QCOMPARE(editor.Program_Path[2]->toPlainText(), picked(u"game.exe"_s));
        switch (leave) {
        case Leave::CancelButton:
            QTest::mouseClick(editor.Cancel, Qt::LeftButton);
            break;
        case Leave::CloseBox:
            editor.close();
            break;
        case Leave::EscapeThenCancel:
            QTest::keyClick(editor.P_Name[1], Qt::Key_Escape);
            QVERIFY(editor.isVisible());
            QTest::keyClick(editor.P_Name[1], Qt::Key_Return);
            QVERIFY(editor.isVisible());
            QTest::mouseClick(editor.Cancel, Qt::LeftButton);
            break;
        }
        QVERIFY(!editor.isVisible());
    });
    QCOMPARE(app_->readData(u"SetUp.FIL"_s), savedFile_);
    QVERIFY(rig_->messages.shown.isEmpty());
    checkLauncherUnchanged();
    // Opening again shows the saved slots, not the edits.
    openEditor([&](SetUp& editor) {
        for (int i = 1; i <= 5; ++i)
            QCOMPARE(editor.recordInBoxes(i), saved_[i]);
    });
}

void SetUpTest::picturesGoneBeforeSaving() {
    std::array<SlotRecord, 6> expected = saved_;
    expected[5].Name = u"five again"_s;
    openEditor([&](SetUp& editor) {
        QVERIFY(QFile::remove(saved_[3].ImagePath));
        QVERIFY(QFile::remove(saved_[5].ImagePath));
        editor.P_Name[5]->setText(expected[5].Name);
        QTest::mouseClick(editor.Coushin, Qt::LeftButton);
        QVERIFY(editor.isVisible());
    });
    // All five written; the two slots show their names and keep their programs.
    QCOMPARE(app_->readData(u"SetUp.FIL"_s), fileBytes(expected));
    QCOMPARE(rig_->messages.shown.size(), 1);
    QCOMPARE(rig_->messages.shown[0].icon, MessageIcon::Error);
    QVERIFY2(rig_->messages.shown[0].text.contains(u"スロット 3、5 の画像"_s),
             qPrintable(rig_->messages.shown[0].text));
    for (int i = 1; i <= 5; ++i)
        checkLauncherSlot(i, expected[i], i == 3 || i == 5 ? QColor() : savedColours_[i]);
}

QTEST_MAIN(SetUpTest)
#include "tst_SetUp.moc"
