// The slot editor opened from the launcher's menu and worked through its boxes, its buttons and
// the chooser it opens; seen through the slot file's bytes, the launcher's slots and the
// recorded message boxes and cues.

#include "ChooserKit.h"
#include "chooser/FileManager.h"
#include "common/Module1.h"
#include "editor/SetUp.h"
#include "platform/CodePage932.h"

#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>

using namespace Qt::StringLiterals;
using Slots = std::array<SlotRecord, 6>;
using Colours = std::array<QColor, 6>;

namespace {

const QString Cue = u"Button_Kouka.wav"_s;
const QString GaveUp = u"(キャンセル)"_s; // as a chooser result: the user left with キャンセル

QByteArray fileBytes(const Slots& records) {
    const auto cp932 = [](const QString& text) { return EncodeCodePage932(text).value_or("?"); };
    QByteArray bytes;
    for (int i = 1; i <= 5; ++i)
        bytes += RecordBytes(cp932(records[i].Name), cp932(records[i].ProgramPath),
                             cp932(records[i].ImagePath));
    return bytes;
}

// A double-click on a box of slot 5 and what the chooser hands back.
struct Choice {
    QString box;
    QString chosen;
    QColor preview; // slot 5's afterwards; red is an unsaved one from before
    bool refused;   // "画像の選択が必要です"
};

// An edit of one slot (0: none), and for failures what the message names.
struct Edit {
    int slot;
    SlotRecord record;
    QString message;
};

} // namespace

class SetUpTest : public QObject {
    Q_OBJECT
    QTemporaryDir pickDir_;
    const QString picture_ = pickDir_.filePath(u"new.bmp"_s);
    const Slots saved_{SlotRecord{},
                       {u"一番"_s, u"/usr/bin/one"_s, pickDir_.filePath(u"p1.png"_s)},
                       {u"two"_s, u"/usr/bin/two"_s, QString()},
                       {u"three"_s, QString(), pickDir_.filePath(u"p3.png"_s)},
                       {},
                       {u"five"_s, u"/opt/five"_s, pickDir_.filePath(u"p5.bmp"_s)}};
    const Colours colours_{QColor(), Qt::red, QColor(), Qt::green, QColor(), Qt::blue};
    QByteArray savedFile_;
    std::unique_ptr<LauncherRig> r_;
    std::function<void(FileManager&)> chooserWork_;

    // Opens the editor from the launcher's menu and hands it, shown, to `work`; the chooser,
    // when the editor opens it, goes to chooserWork_.
    void openEditor(const std::function<void(SetUp&)>& work) {
        r_->rig.modal.script = [&](QDialog& dialog) {
            if (auto* chooser = qobject_cast<FileManager*>(&dialog))
                return chooserWork_(*chooser);
            auto& editor = dynamic_cast<SetUp&>(dialog);
            editor.show();
            QVERIFY(QTest::qWaitForWindowExposed(&editor));
            work(editor);
        };
        r_->main->Path_Setei_Click();
    }

    // Puts a record into the boxes of slot i, as the user and the chooser would.
    static void type(SetUp& editor, int i, const SlotRecord& record) {
        editor.P_Name[i]->setText(record.Name);
        editor.Program_Path[i]->setPlainText(record.ProgramPath);
        editor.Image_Path[i]->setText(record.ImagePath);
    }

    void checkLauncher(const Slots& records, const Colours& colours) {
        for (int i = 1; i <= 5; ++i) {
            QCOMPARE(r_->main->P_Name_L[i]->text(), records[i].Name);
            QCOMPARE(Module1::ProgramPaths[i], records[i].ProgramPath);
            QVERIFY2(ShowsColour(r_->main->Load_Image[i], colours[i]), qPrintable(records[i].Name));
        }
    }

    void checkNothingSaved() {
        QCOMPARE(r_->app.readData(u"SetUp.FIL"_s), savedFile_);
        checkLauncher(saved_, colours_);
    }

private slots:
    void initTestCase() {
        WritePicture(picture_, "bmp", Qt::yellow);
        WriteTextFile(pickDir_.filePath(u"broken.jpg"_s));
        // Slot 4's filler is not zero: only a save that really rewrites it makes it zero.
        savedFile_ = fileBytes(saved_).replace(3 * 500 + 6, 494, QByteArray(494, '\xAA'));
    }

    void init() {
        WritePicture(saved_[1].ImagePath, "png", Qt::red);
        WritePicture(saved_[3].ImagePath, "png", Qt::green);
        WritePicture(saved_[5].ImagePath, "bmp", Qt::blue);
        r_ = std::make_unique<LauncherRig>(savedFile_);
    }

    void cleanup() {
        r_.reset();
        QVERIFY(QApplication::topLevelWidgets().isEmpty());
    }

    void choosing_data() {
        QTest::addColumn<Choice>("c");
        const QString image = u"Image_Path"_s, preview = u"Load_Image"_s,
                      program = u"Program_Path"_s;
        const QColor red(Qt::red);
        QTest::newRow("picture, path box") << Choice{image, picture_, Qt::yellow, false};
        QTest::newRow("picture, preview") << Choice{preview, picture_, Qt::yellow, false};
        QTest::newRow("picture cleared") << Choice{image, u""_s, QColor(), false};
        QTest::newRow("picture kept") << Choice{preview, GaveUp, red, false};
        QTest::newRow("a directory") << Choice{image, pickDir_.path() + u'/', red, true};
        QTest::newRow("no picture") << Choice{image, pickDir_.filePath(u"broken.jpg"_s), red, true};
        QTest::newRow("program") << Choice{program, u"/opt/game.exe"_s, red, false};
        QTest::newRow("program cleared") << Choice{program, u""_s, red, false};
        QTest::newRow("program kept") << Choice{program, GaveUp, red, false};
    }

    void choosing() {
        QFETCH(Choice, c);
        const bool picture = c.box != u"Program_Path"_s;
        const QString before = picture ? saved_[5].ImagePath : saved_[5].ProgramPath;
        const QString after = c.chosen == GaveUp || c.refused ? before : c.chosen;
        QString mode;
        chooserWork_ = [&](FileManager& chooser) {
            mode = Module1::ChooserMode;
            QCOMPARE(Module1::ChooserSlot, 5);
            QVERIFY(!picture || ShowsColour(chooser.Load_Image, Qt::blue));
            if (c.chosen == GaveUp)
                Module1::ChooserCancelled = Module1::True;
            else
                Module1::ChosenPath = c.chosen;
        };
        openEditor([&](SetUp& editor) {
            // An unsaved preview: the chooser shows the launcher's instead, a refusal keeps it.
            editor.Load_Image[5]->setPicture(r_->main->Load_Image[1]->picture());
            auto* target = editor.findChild<QWidget*>(c.box + u"_5"_s);
            if (auto* area = qobject_cast<QAbstractScrollArea*>(target))
                target = area->viewport();
            QTest::mouseDClick(target, Qt::LeftButton);
            QCOMPARE(picture ? editor.Image_Path[5]->text() : editor.Program_Path[5]->toPlainText(),
                     after);
            QVERIFY(ShowsColour(editor.Load_Image[5], c.preview));
        });
        QCOMPARE(mode, picture ? Module1::ImageMode : Module1::FileMode);
        QCOMPARE(Module1::ChooserCancelled, Module1::False);
        QCOMPARE(r_->rig.sound.plays(), QStringList(2, Cue)); // the menu's and the double-click's
        const QString refusal = u"error: 画像の選択が必要です"_s;
        QCOMPARE(r_->messages(), c.refused ? QStringList{refusal} : QStringList());
        checkNothingSaved(); // not before "更　新"
    }

    void saving_data() {
        QTest::addColumn<Edit>("edit");
        QTest::newRow("nothing changed") << Edit{0, {}, {}};
        QTest::newRow("new texts, spaces kept, and a picture")
            << Edit{4, {u" 新しい名前 "_s, u"/opt/new tool "_s, picture_}, {}};
        QTest::newRow("slot emptied") << Edit{1, {}, {}};
        QTest::newRow("exactly 494 bytes") << Edit{2, {QString(494, u'n'), {}, {}}, {}};
    }

    void saving() {
        QFETCH(Edit, edit);
        Slots expected = saved_;
        Colours colours = colours_;
        if (edit.slot > 0) {
            expected[edit.slot] = edit.record;
            colours[edit.slot] = edit.record.ImagePath.isEmpty() ? QColor() : Qt::yellow;
        }
        openEditor([&](SetUp& editor) {
            if (edit.slot > 0)
                type(editor, edit.slot, edit.record);
            QTest::mouseClick(editor.Coushin, Qt::LeftButton);
            QVERIFY(editor.isVisible());
        });
        QCOMPARE(r_->app.readData(u"SetUp.FIL"_s), fileBytes(expected));
        QCOMPARE(r_->messages(), QStringList{u"info: 更新完了。"_s});
        checkLauncher(expected, colours);
        QCOMPARE(r_->rig.sound.plays(), QStringList{Cue}); // "更　新" itself makes no sound
    }

    void failedSaves_data() {
        QTest::addColumn<Edit>("edit"); // its name and program; slot 1's name changes too
        QTest::addColumn<bool>("written");
        QTest::newRow("495 bytes")
            << Edit{3, {QString(495, u'a'), {}, {}}, u"スロット 3"_s} << false;
        QTest::newRow("a letter code page 932 lacks")
            << Edit{5, {{}, u"/opt/Müller"_s, {}}, u"スロット 5"_s} << false;
        // Written all the same; those slots show their names and keep their programs.
        QTest::newRow("pictures gone")
            << Edit{5, {u"five again"_s, u"/opt/five"_s, {}}, u"スロット 3、5 の画像"_s} << true;
    }

    void failedSaves() {
        QFETCH(Edit, edit);
        QFETCH(bool, written);
        Slots expected = saved_;
        expected[1].Name = u"changed"_s;
        expected[edit.slot].Name = edit.record.Name;
        expected[edit.slot].ProgramPath = edit.record.ProgramPath;
        openEditor([&](SetUp& editor) {
            for (int i : {1, edit.slot})
                type(editor, i, expected[i]);
            if (written) {
                QVERIFY(QFile::remove(saved_[3].ImagePath));
                QVERIFY(QFile::remove(saved_[5].ImagePath));
            }
            QTest::mouseClick(editor.Coushin, Qt::LeftButton);
            QVERIFY(editor.isVisible());
        });
        const QStringList shown = r_->messages();
        QVERIFY2(shown.size() == 1 && shown[0].startsWith(u"error: "_s) &&
                     shown[0].contains(edit.message),
                 qPrintable(shown.join(u'\n')));
        if (!written)
            return checkNothingSaved();
        QCOMPARE(r_->app.readData(u"SetUp.FIL"_s), fileBytes(expected));
        checkLauncher(expected, {QColor(), Qt::red, QColor(), QColor(), QColor(), QColor()});
    }

    void leavingThenReopening_data() {
        QTest::addColumn<bool>("closeBox");
        QTest::newRow("キャンセル") << false;
        QTest::newRow("close box") << true;
    }

    void leavingThenReopening() {
        QFETCH(bool, closeBox);
        chooserWork_ = [](FileManager&) { Module1::ChosenPath = u"/opt/game.exe"_s; };
        openEditor([&](SetUp& editor) {
            editor.P_Name[1]->setText(u"edited"_s);
            QTest::mouseDClick(editor.Program_Path[2]->viewport(), Qt::LeftButton);
            QCOMPARE(editor.Program_Path[2]->toPlainText(), u"/opt/game.exe"_s);
            if (closeBox)
                editor.close();
            else
                QTest::mouseClick(editor.Cancel, Qt::LeftButton);
            QVERIFY(!editor.isVisible());
        });
        QVERIFY(r_->rig.messages.shown.isEmpty());
        checkNothingSaved();
        // Opening again shows the saved slots, and the pictures that the launcher shows rather
        // than the files, one of which has changed.
        WritePicture(saved_[1].ImagePath, "png", Qt::yellow);
        openEditor([&](SetUp& editor) {
            for (int i = 1; i <= 5; ++i) {
                QCOMPARE(editor.recordInBoxes(i), saved_[i]);
                QVERIFY(ShowsColour(editor.Load_Image[i], colours_[i]));
            }
            QVERIFY(editor.P_Name[1]->hasFocus());
        });
        // The menu's, the double-click's, the menu's again.
        QCOMPARE(r_->rig.sound.plays(), QStringList(3, Cue));
    }
};

QTEST_MAIN(SetUpTest)
#include "tst_SetUp.moc"
