// The file chooser worked like a user works it: what its lists show, the ways out, the keys
// that must not close it, the preview, the directory list and the drive list, with the result
// read from the shared chooser state afterwards.

#include "ChooserKit.h"
#include "chooser/DirectoryList.h"
#include "chooser/FileManager.h"
#include "common/Module1.h"

#include <QComboBox>
#include <QDir>
#include <QPushButton>
#include <QTest>

using namespace Qt::StringLiterals;

namespace {

struct WayOut {
    bool click;     // on A.JPG first
    QString button; // empty: the close box
    QString path;
    bool cancelled;
};

struct Preview {
    QString mode;
    int slot;
    QStringList clicks;
    QColor colour; // invalid: no picture
};

} // namespace

class FileManagerTest : public QObject {
    Q_OBJECT
    QString startDir_ = QDir::currentPath();
    QTemporaryDir listDir_;
    std::unique_ptr<LauncherRig> r_;

    QString listed(const QString& name) const { return listDir_.path() + u'/' + name; }

    // Opens the chooser in `mode` for `slot`, shown, and hands it to `work`.
    void openChooser(const QString& mode, int slot, const std::function<void(FileManager&)>& work) {
        Module1::ChooserMode = mode;
        Module1::ChooserSlot = qint16(slot);
        r_->rig.modal.script = [&](QDialog& dialog) {
            dialog.show();
            QVERIFY(QTest::qWaitForWindowExposed(&dialog));
            work(dynamic_cast<FileManager&>(dialog));
        };
        OpenFileManager(*r_->main, nullptr);
        QCOMPARE(r_->rig.modal.opened.value(0), u"FileManager"_s);
    }

private slots:
    void initTestCase() {
        WritePicture(listed(u"A.JPG"_s), "jpg", Qt::red);
        WritePicture(listed(u"x.Jpeg"_s), "jpg", Qt::blue);
        WritePicture(listed(u"pic.bmp"_s), "bmp", Qt::green);
        WritePicture(listed(u".hidden.jpg"_s), "jpg");
        WritePicture(listed(u"slot1.png"_s), "png", Qt::yellow);
        for (const char* name : {"photo.jpe", "xjpe", "anim.gif", "icon.ICO", "notjpeg.txt", "jpeg",
                                 "run.EXE", "readme", "data.exe.txt"})
            WriteTextFile(listed(QString::fromLatin1(name)));
        WriteTextFile(listed(u"tool"_s), true);
        QDir(listDir_.path()).mkpath(u"sub.jpg"_s);
        QDir(listDir_.path()).mkpath(u".cache"_s);
        WritePicture(listed(u"sub.jpg/inner.bmp"_s), "bmp");
    }

    void init() {
        // Slot 1 has a yellow picture, slot 2 none.
        r_ = std::make_unique<LauncherRig>(
            RecordBytes("one", "/bin/true", listed(u"slot1.png"_s).toUtf8()) +
            RecordBytes("two", "", ""));
        // The chooser starts where the process is.
        QVERIFY(QDir::setCurrent(listDir_.path()));
    }

    void cleanup() {
        r_.reset();
        QVERIFY(QApplication::topLevelWidgets().isEmpty());
    }

    void cleanupTestCase() { QDir::setCurrent(startDir_); }

    void listsByMode() {
        // Any letter case, "*jpe" without its dot; no hidden files, no ".png", no directories, no
        // "jpeg" or ".exe" inside a name.
        const QStringList pictures{u"A.JPG"_s,   u"anim.gif"_s, u"icon.ICO"_s, u"photo.jpe"_s,
                                   u"pic.bmp"_s, u"x.Jpeg"_s,   u"xjpe"_s};
        QStringList programs{u"run.EXE"_s};
#ifndef Q_OS_WIN
        programs << u"tool"_s; // runnable by its permissions
#endif
        openChooser(Module1::ImageMode, 1,
                    [&](auto& c) { QCOMPARE(ItemTexts(c.File1), pictures); });
        openChooser(Module1::FileMode, 1, [&](auto& c) { QCOMPARE(ItemTexts(c.File1), programs); });
    }

    void waysOut_data() {
        QTest::addColumn<WayOut>("w");
        const QString a = listed(u"A.JPG"_s);
        QTest::newRow("O K after a click") << WayOut{true, u"OK"_s, a, false};
        QTest::newRow("O K with nothing selected") << WayOut{false, u"OK"_s, listed({}), false};
        QTest::newRow("消去 after a click") << WayOut{true, u"Syoukyo"_s, {}, false};
        QTest::newRow("キャンセル after a click") << WayOut{true, u"Cancel"_s, a, true};
        QTest::newRow("close box after a click") << WayOut{true, {}, a, true};
    }

    void waysOut() {
        QFETCH(WayOut, w);
        Module1::ChosenPath = u"/earlier/choice.bmp"_s;
        openChooser(Module1::ImageMode, 1, [&](FileManager& chooser) {
            if (w.click)
                ClickItem(chooser.File1, u"A.JPG"_s);
            if (w.button.isEmpty())
                chooser.close();
            else
                QTest::mouseClick(chooser.findChild<QPushButton*>(w.button), Qt::LeftButton);
            QVERIFY(!chooser.isVisible());
        });
        QCOMPARE(Module1::ChosenPath, w.path);
        QCOMPARE(Module1::ChooserCancelled, w.cancelled ? Module1::True : Module1::False);
        const QStringList cue{u"Button_Kouka.wav"_s};
        QCOMPARE(r_->rig.sound.plays(), w.cancelled ? QStringList() : cue);
    }

    void keyboard_data() {
        QTest::addColumn<QList<int>>("keys"); // pressed from the directory list on
        QTest::addColumn<int>("row");         // the row whose file is chosen; -1: none
        using K = QList<int>;
        QTest::newRow("Tab into the file list selects nothing") << K{Qt::Key_Tab} << -1;
        QTest::newRow("down arrow") << K{Qt::Key_Tab, Qt::Key_Down} << 1;
        // Neither Enter nor Escape closes the window, wherever the focus is.
        QTest::newRow("Escape in the list") << K{Qt::Key_Tab, Qt::Key_Down, Qt::Key_Escape} << 1;
        QTest::newRow("Enter in the list") << K{Qt::Key_Tab, Qt::Key_Down, Qt::Key_Return} << 1;
        QTest::newRow("Enter on O K") << K{Qt::Key_Tab, Qt::Key_Tab, Qt::Key_Return} << -1;
        QTest::newRow("keypad Enter on キャンセル")
            << K{Qt::Key_Tab, Qt::Key_Tab, Qt::Key_Tab, Qt::Key_Enter} << -1;
    }

    void keyboard() {
        QFETCH(QList<int>, keys);
        QFETCH(int, row);
        QString expected = Module1::ChosenPath = u"/earlier/choice.bmp"_s;
        openChooser(Module1::ImageMode, 1, [&](FileManager& chooser) {
            chooser.Dir1->setFocus();
            for (int key : keys)
                QTest::keyClick(QApplication::focusWidget(), Qt::Key(key));
            QVERIFY(chooser.isVisible());
            if (row >= 0)
                expected = listed(chooser.File1->item(row)->text());
        });
        QCOMPARE(Module1::ChosenPath, expected);
        QCOMPARE(Module1::ChooserCancelled, Module1::False);
        QVERIFY(r_->rig.sound.plays().isEmpty());
    }

    void rootGetsTwoSeparators() {
        const QString twice = QDir::toNativeSeparators(QDir::rootPath()) + QDir::separator();
        openChooser(Module1::FileMode, 1, [&](FileManager& chooser) {
            QVERIFY(chooser.Dir1->setPath(QDir::rootPath()));
            // Nobody may write into the root here; a listed name is all the join needs.
            chooser.File1->addItem(u"game"_s);
            chooser.File1->setCurrentRow(chooser.File1->count() - 1);
            QTest::mouseClick(chooser.OK, Qt::LeftButton);
        });
        QCOMPARE(Module1::ChosenPath, twice + u"game"_s);
    }

    void preview_data() {
        QTest::addColumn<Preview>("p");
        const QString image = Module1::ImageMode;
        const QColor none;
        QTest::newRow("the slot's picture") << Preview{image, 1, {}, Qt::yellow};
        QTest::newRow("a slot without one") << Preview{image, 2, {}, none};
        QTest::newRow("a click") << Preview{image, 1, {u"A.JPG"_s}, Qt::red};
        QTest::newRow("another click") << Preview{image, 1, {u"A.JPG"_s, u"pic.bmp"_s}, Qt::green};
        // Names that only look like pictures keep what the preview showed.
        QTest::newRow("no picture after one")
            << Preview{image, 1, {u"x.Jpeg"_s, u"photo.jpe"_s}, Qt::blue};
        QTest::newRow("no picture first") << Preview{image, 1, {u"xjpe"_s}, Qt::yellow};
        QTest::newRow("program mode, hidden")
            << Preview{Module1::FileMode, 1, {u"run.EXE"_s}, none};
    }

    void preview() {
        QFETCH(Preview, p);
        openChooser(p.mode, p.slot, [&](FileManager& chooser) {
            for (const QString& name : p.clicks)
                ClickItem(chooser.File1, name);
            if (!p.clicks.isEmpty())
                QCOMPARE(Module1::ChosenPath, listed(p.clicks.last()));
            QCOMPARE(chooser.Load_Image->isVisible(), p.mode == Module1::ImageMode);
            QVERIFY(ShowsColour(chooser.Load_Image, p.colour));
        });
    }

    void directoryList() {
        const QString here = QDir(listDir_.path()).canonicalPath();
        openChooser(Module1::ImageMode, 1, [&](FileManager& chooser) {
            DirectoryList* dirs = chooser.Dir1;
            // The path from the root down, then the one visible subdirectory.
            QStringList expected{QDir::toNativeSeparators(QDir::rootPath())};
            expected << here.split(u'/', Qt::SkipEmptyParts) << u"sub.jpg"_s;
            QCOMPARE(ItemTexts(dirs), expected);
            QCOMPARE(DirectoryList::entryPath(dirs->currentItem()), here);
            // A real double-click arrives as a click followed by the double-click.
            const QPoint child = dirs->visualItemRect(FindItem(dirs, u"sub.jpg"_s)).center();
            QTest::mouseClick(dirs->viewport(), Qt::LeftButton, {}, child);
            QTest::mouseDClick(dirs->viewport(), Qt::LeftButton, {}, child);
            QCOMPARE(dirs->path(), here + u"/sub.jpg"_s);
            QCOMPARE(ItemTexts(chooser.File1), QStringList{u"inner.bmp"_s});
            // Enter on the parent goes back up.
            dirs->setCurrentRow(dirs->count() - 2);
            QTest::keyClick(dirs, Qt::Key_Return);
            QCOMPARE(dirs->path(), here);
            QVERIFY(chooser.isVisible());
        });
    }

    void pickingADrive_data() {
        // Drives of our own making: a directory behaves like a drive, anything else like one
        // without a medium.
        QTest::addColumn<QString>("root");
        QTest::addColumn<bool>("readable");
        QTest::newRow("a readable drive") << QDir(listed(u"sub.jpg"_s)).canonicalPath() << true;
        QTest::newRow("no such drive") << u"/no/such/drive"_s << false;
    }

    void pickingADrive() {
        QFETCH(QString, root);
        QFETCH(bool, readable);
        openChooser(Module1::ImageMode, 1, [&](FileManager& chooser) {
            const int before = chooser.Drive1->currentIndex();
            const QString path = chooser.Dir1->path();
            chooser.Drive1->addItem(u"test drive"_s, root);
            chooser.Drive1->setCurrentIndex(chooser.Drive1->count() - 1);
            // The lists follow a readable drive; otherwise everything stays where it was.
            QCOMPARE(chooser.Drive1->currentIndex(),
                     readable ? chooser.Drive1->count() - 1 : before);
            QCOMPARE(chooser.Dir1->path(), readable ? root : path);
            QCOMPARE(ItemTexts(chooser.File1).contains(u"inner.bmp"_s), readable);
        });
        const QString refusal = u"error: ドライブ %1 を読み取れません。"_s;
        QCOMPARE(r_->messages(), readable
                                     ? QStringList()
                                     : QStringList{refusal.arg(QDir::toNativeSeparators(root))});
    }
};

QTEST_MAIN(FileManagerTest)
#include "tst_FileManager.moc"
