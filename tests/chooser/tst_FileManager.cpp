// The file chooser worked like a user works it: what its lists show, the three ways out and
// the close box, the preview, the directory list and the drive list, with the result read
// from the shared chooser state afterwards.

#include "ChooserKit.h"
#include "TestSeams.h"
#include "chooser/DirectoryList.h"
#include "chooser/FileManager.h"
#include "common/Module1.h"
#include "launcher/Main.h"

#include <QComboBox>
#include <QDir>
#include <QListWidget>
#include <QPushButton>
#include <QTest>

using namespace Qt::StringLiterals;

namespace {

const QString ButtonCue = u"Button_Kouka.wav"_s;
const QString Earlier = u"/earlier/choice.bmp"_s;

enum class Way { ClickThenOk, OkWithoutFile, ClickThenClear, ClickThenCancel, ClickThenClose };

} // namespace

class FileManagerTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();
    void cleanupTestCase() { QDir::setCurrent(startDir_); }

    void listsByMode_data();
    void listsByMode();
    void waysOut_data();
    void waysOut();
    void selectionByKeyboard_data();
    void selectionByKeyboard();
    void keysDoNotClose_data();
    void keysDoNotClose();
    void rootGetsTwoSeparators();
    void previewAtOpening_data();
    void previewAtOpening();
    void previewFollowsClicks_data();
    void previewFollowsClicks();
    void directoryList();
    void pickingADrive();
    void unreadableDrive_data();
    void unreadableDrive();

private:
    // Opens the chooser in `mode` for `slot`, shown, and hands it to `work`.
    void openChooser(const QString& mode, int slot, const std::function<void(FileManager&)>& work);
    QString listed(const QString& name) const { return listDir_.path() + u'/' + name; }

    QString startDir_;
    QTemporaryDir listDir_;
    QStringList imageNames_;
    QStringList programNames_;
    std::unique_ptr<TempAppDir> app_;
    std::unique_ptr<TestRig> rig_;
    std::unique_ptr<Main> launcher_;
};

void FileManagerTest::initTestCase() {
    startDir_ = QDir::currentPath();
    QVERIFY(listDir_.isValid());
    WritePicture(listed(u"A.JPG"_s), "jpg", Qt::red);
    WritePicture(listed(u"x.Jpeg"_s), "jpg", Qt::blue);
    WritePicture(listed(u"pic.bmp"_s), "bmp", Qt::green);
    WritePicture(listed(u".hidden.jpg"_s), "jpg");
    for (const char* name : {"photo.jpe", "xjpe", "anim.gif", "icon.ICO", "notjpeg.txt", "jpeg",
                             "run.EXE", "readme", "data.exe.txt"})
        WriteTextFile(listed(QString::fromLatin1(name)));
    WriteTextFile(listed(u"tool"_s), true);
    QDir(listDir_.path()).mkpath(u"sub.jpg"_s);
    QDir(listDir_.path()).mkpath(u".cache"_s);
    WritePicture(listed(u"sub.jpg/inner.bmp"_s), "bmp");
    // The chooser starts where the process is.
    QVERIFY(QDir::setCurrent(listDir_.path()));

    // The two lists the chooser shows here, for the rows of listsByMode.
    init();
    openChooser(Module1::ImageMode, 1, [&](FileManager& c) { imageNames_ = ItemTexts(c.File1); });
    openChooser(Module1::FileMode, 1, [&](FileManager& c) { programNames_ = ItemTexts(c.File1); });
    cleanup();
}

void FileManagerTest::init() {
    Module1::Reset();
    app_ = std::make_unique<TempAppDir>();
    // Sound effects on, so that the button cue shows in the recording; slot 1 has a yellow
    // picture, slot 2 none.
    app_->writeData(u"DataBase.FIL"_s, "0,-1\r\n");
    const QString slotPicture = app_->dataPath(u"slot1.png"_s);
    WritePicture(slotPicture, "png", Qt::yellow);
    app_->writeData(u"SetUp.FIL"_s, RecordBytes("one", "/bin/true", slotPicture.toUtf8()) +
                                        RecordBytes("two", "", ""));
    rig_ = std::make_unique<TestRig>();
    launcher_ = std::make_unique<Main>(rig_->seams());
    QVERIFY(rig_->messages.shown.isEmpty());
    QVERIFY(launcher_->Load_Image[1]->hasPicture());
    rig_->sound.calls.clear();
    QVERIFY(QDir::setCurrent(listDir_.path()));
}

void FileManagerTest::cleanup() {
    launcher_.reset();
    rig_.reset();
    app_.reset();
    QVERIFY(QApplication::topLevelWidgets().isEmpty());
}

void FileManagerTest::openChooser(const QString& mode, int slot,
                                  const std::function<void(FileManager&)>& work) {
    Module1::ChooserMode = mode;
    Module1::ChooserSlot = qint16(slot);
    rig_->modal.script = [&](QDialog& dialog) {
        auto* chooser = qobject_cast<FileManager*>(&dialog);
        QVERIFY(chooser);
        chooser->show();
        QVERIFY(QTest::qWaitForWindowExposed(chooser));
        work(*chooser);
    };
    OpenFileManager(*launcher_, nullptr);
    QCOMPARE(rig_->modal.opened.value(0), u"FileManager"_s);
}

void FileManagerTest::listsByMode_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<bool>("asPicture");
    QTest::addColumn<bool>("asProgram");
#ifdef Q_OS_WIN
    const bool executableScripts = false;
#else
    const bool executableScripts = true;
#endif
    QTest::newRow("upper-case extension") << u"A.JPG"_s << true << false;
    QTest::newRow("mixed-case jpeg") << u"x.Jpeg"_s << true << false;
    QTest::newRow("bitmap") << u"pic.bmp"_s << true << false;
    QTest::newRow("gif") << u"anim.gif"_s << true << false;
    QTest::newRow("icon, upper case") << u"icon.ICO"_s << true << false;
    QTest::newRow("jpe extension") << u"photo.jpe"_s << true << false;
    QTest::newRow("name ending in jpe, no dot") << u"xjpe"_s << true << false;
    QTest::newRow("text file") << u"notjpeg.txt"_s << false << false;
    QTest::newRow("name jpeg without a dot") << u"jpeg"_s << false << false;
    QTest::newRow("hidden picture") << u".hidden.jpg"_s << false << false;
    QTest::newRow("exe, upper case") << u"run.EXE"_s << false << true;
    QTest::newRow("exe inside the name") << u"data.exe.txt"_s << false << false;
    QTest::newRow("executable script") << u"tool"_s << false << executableScripts;
    QTest::newRow("plain file") << u"readme"_s << false << false;
    QTest::newRow("directory named like a picture") << u"sub.jpg"_s << false << false;
}

void FileManagerTest::listsByMode() {
    QFETCH(QString, name);
    QFETCH(bool, asPicture);
    QFETCH(bool, asProgram);
    QCOMPARE(imageNames_.contains(name), asPicture);
    QCOMPARE(programNames_.contains(name), asProgram);
}

void FileManagerTest::waysOut_data() {
    QTest::addColumn<Way>("way");
    QTest::addColumn<QString>("path"); // relative to the listed directory; "-" keeps Earlier
    QTest::addColumn<bool>("cancelled");
    QTest::addColumn<bool>("cue");
    QTest::newRow("O K after a click") << Way::ClickThenOk << u"A.JPG"_s << false << true;
    QTest::newRow("O K with nothing selected") << Way::OkWithoutFile << u""_s << false << true;
    QTest::newRow("消去 after a click") << Way::ClickThenClear << u"-empty"_s << false << true;
    QTest::newRow("キャンセル after a click")
        << Way::ClickThenCancel << u"A.JPG"_s << true << false;
    QTest::newRow("close box after a click") << Way::ClickThenClose << u"A.JPG"_s << true << false;
}

void FileManagerTest::waysOut() {
    QFETCH(Way, way);
    QFETCH(QString, path);
    QFETCH(bool, cancelled);
    QFETCH(bool, cue);
    Module1::ChosenPath = Earlier;
    openChooser(Module1::ImageMode, 1, [&](FileManager& chooser) {
        if (way != Way::OkWithoutFile)
            ClickItem(chooser.File1, u"A.JPG"_s);
        switch (way) {
        case Way::ClickThenOk:
        case Way::OkWithoutFile:
            QTest::mouseClick(chooser.OK, Qt::LeftButton);
            break;
        case Way::ClickThenClear:
            QTest::mouseClick(chooser.Syoukyo, Qt::LeftButton);
            break;
        case Way::ClickThenCancel:
            QTest::mouseClick(chooser.Cancel, Qt::LeftButton);
            break;
        case Way::ClickThenClose:
            chooser.close();
            break;
        }
        QVERIFY(!chooser.isVisible());
    });
    QCOMPARE(Module1::ChosenPath, path == u"-empty"_s ? QString() : listed(path));
    QCOMPARE(Module1::ChooserCancelled, cancelled ? Module1::True : Module1::False);
    QCOMPARE(rig_->sound.plays(), cue ? QStringList{ButtonCue} : QStringList());
}

void FileManagerTest::selectionByKeyboard_data() {
    QTest::addColumn<QList<int>>("keys");
    QTest::addColumn<int>("row"); // the row whose file is chosen; -1: nothing written
    QTest::newRow("focus alone selects nothing") << QList<int>{} << -1;
    QTest::newRow("space takes the marked file") << QList<int>{Qt::Key_Space} << 0;
    QTest::newRow("down arrow") << QList<int>{Qt::Key_Down} << 1;
    QTest::newRow("down, down, up") << QList<int>{Qt::Key_Down, Qt::Key_Down, Qt::Key_Up} << 1;
}

void FileManagerTest::selectionByKeyboard() {
    QFETCH(QList<int>, keys);
    QFETCH(int, row);
    Module1::ChosenPath = Earlier;
    QString expected = Earlier;
    openChooser(Module1::ImageMode, 1, [&](FileManager& chooser) {
        chooser.Dir1->setFocus();
        QTest::keyClick(chooser.Dir1, Qt::Key_Tab);
        QVERIFY(chooser.File1->hasFocus());
        for (int key : keys)
            QTest::keyClick(chooser.File1, Qt::Key(key));
        if (row >= 0)
            expected = listed(chooser.File1->item(row)->text());
    });
    QCOMPARE(Module1::ChosenPath, expected);
    QVERIFY(rig_->sound.plays().isEmpty());
}

void FileManagerTest::keysDoNotClose_data() {
    QTest::addColumn<QString>("focus");
    QTest::addColumn<int>("key");
    QTest::newRow("Escape in the file list") << u"File1"_s << int(Qt::Key_Escape);
    QTest::newRow("Escape on O K") << u"OK"_s << int(Qt::Key_Escape);
    QTest::newRow("Enter in the file list") << u"File1"_s << int(Qt::Key_Return);
    QTest::newRow("Enter on O K") << u"OK"_s << int(Qt::Key_Return);
    QTest::newRow("keypad Enter on キャンセル") << u"Cancel"_s << int(Qt::Key_Enter);
    QTest::newRow("Enter in the drive list") << u"Drive1"_s << int(Qt::Key_Return);
}

void FileManagerTest::keysDoNotClose() {
    QFETCH(QString, focus);
    QFETCH(int, key);
    openChooser(Module1::ImageMode, 1, [&](FileManager& chooser) {
        ClickItem(chooser.File1, u"A.JPG"_s);
        auto* target = chooser.findChild<QWidget*>(focus);
        QVERIFY(target);
        target->setFocus();
        QTest::keyClick(target, Qt::Key(key));
        QVERIFY(chooser.isVisible());
    });
    QCOMPARE(Module1::ChooserCancelled, Module1::False);
    QVERIFY(rig_->sound.plays().isEmpty());
}

void FileManagerTest::rootGetsTwoSeparators() {
    const QString root = QDir::rootPath();
    const QString twice = QDir::toNativeSeparators(root) + QDir::separator();
    openChooser(Module1::FileMode, 1, [&](FileManager& chooser) {
        QVERIFY(chooser.Dir1->setPath(root));
        // Nobody may write into the root here; a listed name is all the join needs.
        chooser.File1->addItem(u"game"_s);
        chooser.File1->setCurrentRow(chooser.File1->count() - 1);
        QCOMPARE(Module1::ChosenPath, twice + u"game"_s);
        QTest::mouseClick(chooser.OK, Qt::LeftButton);
    });
    QCOMPARE(Module1::ChosenPath, twice + u"game"_s);
}

void FileManagerTest::previewAtOpening_data() {
    QTest::addColumn<QString>("mode");
    QTest::addColumn<int>("slot");
    QTest::addColumn<bool>("shown");
    QTest::addColumn<bool>("launcherPicture");
    QTest::newRow("picture of a slot that has one") << Module1::ImageMode << 1 << true << true;
    QTest::newRow("slot without a picture") << Module1::ImageMode << 2 << true << false;
    QTest::newRow("program mode") << Module1::FileMode << 1 << false << false;
}

void FileManagerTest::previewAtOpening() {
    QFETCH(QString, mode);
    QFETCH(int, slot);
    QFETCH(bool, shown);
    QFETCH(bool, launcherPicture);
    openChooser(mode, slot, [&](FileManager& chooser) {
        QCOMPARE(chooser.Load_Image->isVisible(), shown);
        QCOMPARE(chooser.Load_Image->hasPicture(), launcherPicture);
        if (launcherPicture)
            QCOMPARE(chooser.Load_Image->picture().toImage(),
                     launcher_->Load_Image[slot]->picture().toImage());
    });
}

void FileManagerTest::previewFollowsClicks_data() {
    QTest::addColumn<QString>("mode");
    QTest::addColumn<QStringList>("clicks");
    QTest::addColumn<QColor>("colour"); // invalid: no picture
    QTest::newRow("a picture") << Module1::ImageMode << QStringList{u"A.JPG"_s} << QColor(Qt::red);
    QTest::newRow("another picture")
        << Module1::ImageMode << QStringList{u"A.JPG"_s, u"pic.bmp"_s} << QColor(Qt::green);
    QTest::newRow("no picture after a picture")
        << Module1::ImageMode << QStringList{u"x.Jpeg"_s, u"photo.jpe"_s} << QColor(Qt::blue);
    QTest::newRow("no picture first keeps the slot's")
        << Module1::ImageMode << QStringList{u"xjpe"_s} << QColor(Qt::yellow);
    QTest::newRow("program mode loads nothing")
        << Module1::FileMode << QStringList{u"run.EXE"_s} << QColor();
}

void FileManagerTest::previewFollowsClicks() {
    QFETCH(QString, mode);
    QFETCH(QStringList, clicks);
    QFETCH(QColor, colour);
    openChooser(mode, 1, [&](FileManager& chooser) {
        for (const QString& name : clicks)
            ClickItem(chooser.File1, name);
        QCOMPARE(Module1::ChosenPath, listed(clicks.last()));
        QCOMPARE(chooser.Load_Image->hasPicture(), colour.isValid());
        if (colour.isValid())
            QVERIFY2(ColoursNear(CentreColour(chooser.Load_Image->picture()), colour),
                     qPrintable(CentreColour(chooser.Load_Image->picture()).name()));
    });
}

void FileManagerTest::directoryList() {
    const QString sub = listed(u"sub.jpg"_s);
    openChooser(Module1::ImageMode, 1, [&](FileManager& chooser) {
        DirectoryList* dirs = chooser.Dir1;
        QCOMPARE(dirs->path(), QDir(listDir_.path()).canonicalPath());
        // The path from the root down, then the one visible subdirectory.
        QStringList expected{QDir::toNativeSeparators(QDir::rootPath())};
        expected += dirs->path().split(u'/', Qt::SkipEmptyParts);
        expected << u"sub.jpg"_s;
        QCOMPARE(ItemTexts(dirs), expected);
        QCOMPARE(DirectoryList::entryPath(dirs->currentItem()), dirs->path());

        // A real double-click arrives as a click followed by the double-click.
        const QPoint child = dirs->visualItemRect(FindItem(dirs, u"sub.jpg"_s)).center();
        QTest::mouseClick(dirs->viewport(), Qt::LeftButton, {}, child);
        QTest::mouseDClick(dirs->viewport(), Qt::LeftButton, {}, child);
        QCOMPARE(dirs->path(), QDir(sub).canonicalPath());
        QCOMPARE(ItemTexts(chooser.File1), QStringList{u"inner.bmp"_s});

        // Enter on the parent goes back up.
        dirs->setCurrentRow(dirs->count() - 2);
        QTest::keyClick(dirs, Qt::Key_Return);
        QCOMPARE(dirs->path(), QDir(listDir_.path()).canonicalPath());
        QVERIFY(ItemTexts(chooser.File1).contains(u"A.JPG"_s));
        QVERIFY(chooser.isVisible());
    });
}

void FileManagerTest::pickingADrive() {
    const QString sub = QDir(listed(u"sub.jpg"_s)).canonicalPath();
    openChooser(Module1::ImageMode, 1, [&](FileManager& chooser) {
        // A drive of our own making: any readable directory behaves like one.
        chooser.Drive1->addItem(u"test drive"_s, sub);
        chooser.Drive1->setCurrentIndex(chooser.Drive1->count() - 1);
        QCOMPARE(chooser.Dir1->path(), sub);
        QCOMPARE(ItemTexts(chooser.File1), QStringList{u"inner.bmp"_s});
    });
    QVERIFY(rig_->messages.shown.isEmpty());
}

void FileManagerTest::unreadableDrive_data() {
    QTest::addColumn<QString>("root");
    QTest::newRow("no such drive") << u"/no/such/drive"_s;
    QTest::newRow("a file, not a directory") << u"readme"_s;
}

void FileManagerTest::unreadableDrive() {
    QFETCH(QString, root);
    if (!root.startsWith(u'/'))
        root = listed(root);
    openChooser(Module1::ImageMode, 1, [&](FileManager& chooser) {
        const int before = chooser.Drive1->currentIndex();
        const QString path = chooser.Dir1->path();
        chooser.Drive1->addItem(u"broken"_s, root);
        chooser.Drive1->setCurrentIndex(chooser.Drive1->count() - 1);
        QCOMPARE(chooser.Drive1->currentIndex(), before);
        QCOMPARE(chooser.Dir1->path(), path);
        QCOMPARE(rig_->messages.shown.size(), 1);
        QCOMPARE(rig_->messages.shown[0].icon, MessageIcon::Error);
        QVERIFY(rig_->messages.shown[0].text.contains(QDir::toNativeSeparators(root)));
        // Still usable.
        ClickItem(chooser.File1, u"A.JPG"_s);
        QTest::mouseClick(chooser.OK, Qt::LeftButton);
    });
    QCOMPARE(Module1::ChosenPath, listed(u"A.JPG"_s));
}

QTEST_MAIN(FileManagerTest)
#include "tst_FileManager.moc"
