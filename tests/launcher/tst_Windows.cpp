// The windows worked as a user works them. Each row starts a launcher over a temporary folder
// (slots 1 to 5 named slot1..slot5, starting /opt/p1../opt/p5 and showing a red, green, blue,
// cyan or magenta picture), takes its steps and compares what happened, in order, with its log:
// cues heard, programs started, modal windows opened, message boxes, the options file when the
// sound device closed, the program's end.
//
// A step acts in the window that is open, or checks what it shows; the steps given to a step that
// opens a modal window are taken in that window while it is open. Every step is a function of
// this test, so a misspelt one does not build.

#include "TestSeams.h"
#include "chooser/DirectoryList.h"
#include "chooser/FileChooser.h"
#include "launcher/LauncherWindow.h"
#include "sound/CuePlayer.h"
#include "widgets/Look.h"
#include "widgets/PictureBox.h"

#include <QAction>
#include <QComboBox>
#include <QDir>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QPlainTextEdit>
#include <QProcess>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <optional>

using namespace Qt::StringLiterals;

namespace {
// A slot before the launcher starts: its picture written or missing, or a name alone.
enum SlotKind { Laid, PictureMissing, NameOnly };
struct Start {
    QList<SlotKind> layout{Laid, Laid, Laid, Laid, Laid}; // empty: no slot file
    QByteArray options = "0,-1";                          // empty: no options file
};
// Slot 3 starts nothing; close-after-launch and sound effects are on.
const Start ThirdEmpty{{Laid, Laid, NameOnly, Laid, Laid}, "-1,-1"};
const QStringList AsLaidOut{"slot1 red", "slot2 green", "slot3 blue", "slot4 cyan",
                            "slot5 magenta"};

// What the log says.
const QString Opened = u"open"_s, Closed = u"close"_s, Ended = u"end"_s;
const QString StartCue = u"play RUN_Kidou.wav"_s, LaunchCue = u"play EXE_KIDOU.wav"_s,
              ButtonCue = u"play Button_Kouka.wav"_s, VersionCue = u"play Vasion_Hyouji.wav"_s;
const QString EditorOpened = u"modal SetUp"_s, ChooserOpened = u"modal FileManager"_s;
const QString Updated = u"I Tesselo 更新完了。"_s, EraseAsked = u"Q TESSELO すべて消去しますか?"_s;
const auto started = [](const QString& program) { return "start " + program; };
const auto error = [](const QString& text) { return "E TESSELO " + text; };
const auto optionsAtClose = [](const QString& file) { return "options (" + file + ')'; };
const QString NotSaved = error(u"設定を保存できませんでした。"_s);
const QString LoadFailed = error(u"画像読込に失敗"_s);
const QString TooLong = u"の名前・プログラムのパス・画像のパスが合わせて 494 バイトを超えています "
                        u"(495 バイト)。"_s;

template <typename T> T* find(const QObject* in, const QString& name) {
    T* found = in->findChild<T*>(name);
    if (!found)
        qFatal("no %s named %s", T::staticMetaObject.className(), qPrintable(name));
    return found;
}

// A picture's middle, each colour channel taken as on or off.
QString colourOf(const QWidget& window, const QString& name) {
    const auto* box = find<PictureBox>(&window, name);
    const QImage image = box->picture().toImage();
    const QColor c = image.isNull() ? QColor(Qt::black) : image.pixelColor(image.rect().center());
    const char* names[] = {"none", "blue", "green", "cyan", "red", "magenta", "yellow", "white"};
    const int n = c.red() / 128 * 4 + c.green() / 128 * 2 + c.blue() / 128;
    return box->isVisibleTo(&window) ? names[n] : "hidden";
}

// A file in the chooser's folder, as the chooser names it.
QString here(const QString& name) {
    return QDir::toNativeSeparators(QDir::currentPath() + '/' + name);
}
} // namespace

class TestWindows : public QObject {
    Q_OBJECT
    using Step = std::function<void(QWidget& window)>;
    using Steps = QList<Step>;

    QTemporaryDir listed_;
    std::optional<TempAppDir> dir_;
    std::optional<TestRig> rig_;
    std::optional<LauncherWindow> main_;
    QStringList startup_; // the log of the launcher's start-up
    Steps inside_;        // for the next modal window

    QStringList& log() { return rig_->log; }
    QString data(const QString& name) { return dir_->dataPath(name); }
    QString optionsFile() { return QString::fromLatin1(dir_->readData("DataBase.FIL").trimmed()); }
    static QListWidget* files(const QWidget& chooser) {
        return find<QListWidget>(&chooser, "File1");
    }

    void open(const Start& start) {
        dir_.emplace();
        QByteArray slotFile;
        for (int i = 1; i <= start.layout.size(); ++i) {
            const QByteArray n = QByteArray::number(i), picture = data("p" + n + ".png").toUtf8();
            const bool nameOnly = start.layout[i - 1] == NameOnly;
            if (start.layout[i - 1] == Laid)
                WritePicture(picture, "png", Qt::GlobalColor(Qt::red + i - 1));
            slotFile +=
                RecordBytes("slot" + n, nameOnly ? "" : "/opt/p" + n, nameOnly ? "" : picture);
        }
        if (!start.layout.isEmpty())
            dir_->writeData("SetUp.FIL", slotFile);
        if (!start.options.isEmpty())
            dir_->writeData("DataBase.FIL", start.options + "\r\n");
        rig_.emplace();
        rig_->processes.failing << "/opt/p4";
        main_.emplace(rig_->seams());
        startup_ = std::exchange(log(), {});
        // The launch cue sounds before the picture collapses.
        rig_->sound.onPlay = [this] {
            for (const QString n : {"1", "2", "3", "4", "5"})
                if (find<PictureBox>(&*main_, "Load_Image_" + n)->twipsHeight() != 960)
                    log() << "collapsed " + n;
        };
        rig_->sound.onClose = [this] { log() << optionsAtClose(optionsFile()); };
        rig_->modal.script = [this](QDialog& window) {
            const Steps inside = std::exchange(inside_, {});
            window.show();
            QVERIFY(QTest::qWaitForWindowExposed(&window));
            take(inside, window);
        };
        main_->show();
        QVERIFY(QTest::qWaitForWindowExposed(&*main_));
    }
    static void take(const Steps& steps, QWidget& window) {
        for (int i = 0; i < steps.size() && !QTest::currentTestFailed(); ++i)
            steps[i](window);
    }

    // Steps that act.
    static Step click(const QString& button) {
        return
            [=](QWidget& w) { QTest::mouseClick(find<QPushButton>(&w, button), Qt::LeftButton); };
    }
    // On the control named, or on the window's background.
    static Step press(Qt::MouseButton button, const QString& control = {}) {
        return [=](QWidget& w) {
            QWidget* on = control.isEmpty() ? &w : find<QWidget>(&w, control);
            QTest::mousePress(on, button, {}, control.isEmpty() ? QPoint(2, 2) : QPoint());
        };
    }
    static Step keys(std::initializer_list<Qt::Key> pressed) {
        return [keys = QList<Qt::Key>(pressed)](QWidget& w) {
            for (Qt::Key key : keys)
                QTest::keyClick(w.focusWidget(), key);
        };
    }
    static Step focus(const QString& control) {
        return [=](QWidget& w) { find<QWidget>(&w, control)->setFocus(); };
    }
    static Step closeBox() {
        return [](QWidget& w) { w.close(); };
    }
    // Fills an editor box, as typing or the chooser would.
    static Step fill(const QString& box, const QString& text) {
        return [=](QWidget& editor) {
            if (auto* lines = editor.findChild<QPlainTextEdit*>(box))
                lines->setPlainText(text);
            else
                find<QLineEdit>(&editor, box)->setText(text);
        };
    }
    // Clicks a file in the chooser's list.
    static Step pick(const QString& name) {
        return [=](QWidget& chooser) {
            const QList<QListWidgetItem*> found = files(chooser)->findItems(name, Qt::MatchExactly);
            QCOMPARE(found.size(), 1);
            QTest::mouseClick(files(chooser)->viewport(), Qt::LeftButton, {},
                              files(chooser)->visualItemRect(found[0]).center());
        };
    }
    static Step drive(const QString& root) {
        return [=](QWidget& chooser) {
            auto* drives = find<QComboBox>(&chooser, "Drive1");
            drives->setCurrentIndex(drives->findText(root));
        };
    }
    // A program "game" listed in the root folder, and selected.
    static Step gameAtRoot() {
        return [](QWidget& chooser) {
            find<DirectoryList>(&chooser, "Dir1")->setPath("/");
            files(chooser)->addItem("game");
            files(chooser)->setCurrentRow(files(chooser)->count() - 1);
        };
    }
    // Steps that open a modal window and take `inside` in it.
    Step trigger(const QString& item, const Steps& inside = {}) {
        return [=, this](QWidget&) {
            inside_ = inside;
            find<QAction>(&*main_, item)->trigger();
        };
    }
    Step edit(const Steps& inside) { return trigger("Path_Setei", inside); }
    Step doubleClick(const QString& control, const Steps& inside) {
        return [=, this](QWidget& w) {
            inside_ = inside;
            QWidget* target = find<QWidget>(&w, control);
            auto* lines = qobject_cast<QPlainTextEdit*>(target);
            QTest::mouseDClick(lines ? lines->viewport() : target, Qt::LeftButton);
        };
    }
    // Opens the chooser with a cyan preview, as the editor would, and checks its answer.
    Step choose(ChooserMode mode, const Steps& inside, const std::optional<QString>& answer = {}) {
        return [=, this](QWidget&) {
            CuePlayer cues(rig_->sound, data(""), [] { return true; });
            QPixmap cyan(16, 16);
            cyan.fill(Qt::cyan);
            inside_ = inside;
            QCOMPARE(ChooseFile(mode, cyan, {rig_->messages, rig_->modal, cues}, nullptr), answer);
        };
    }
    Step answer(MessageAnswer given) {
        return [=, this](QWidget&) { rig_->messages.answer = given; };
    }
    Step removePicture(int slot) {
        return [=, this](QWidget&) { QFile::remove(data(u"p%1.png"_s.arg(slot))); };
    }
    Step whitenPicture(int slot) {
        return
            [=, this](QWidget&) { WritePicture(data(u"p%1.png"_s.arg(slot)), "png", Qt::white); };
    }
    // A stale options file, which only a save replaces.
    Step staleOptions() {
        return [this](QWidget&) { dir_->writeData("DataBase.FIL", "stale"); };
    }
    Step breakOptions() {
        return [this](QWidget&) {
            QVERIFY(QFile::remove(data("DataBase.FIL")) && QDir().mkdir(data("DataBase.FIL")));
        };
    }
    Step mendOptions() {
        return [this](QWidget&) { QVERIFY(QDir().rmdir(data("DataBase.FIL"))); };
    }
    // Launches slot 5 with close-after-launch on, from second `from` of a clock that moves on
    // `step` seconds a wait; all input during the first wait must be ignored.
    Step launchAndEnd(int from, int step, int endsAt) {
        return [=, this](QWidget&) {
            dir_->writeData("DataBase.FIL", "stale");
            rig_->clock.second = from, rig_->clock.step = step;
            rig_->clock.onWait = [this] {
                if (rig_->clock.waits > 1)
                    return;
                log() << "waiting, options " + optionsFile();
                for (const Step& ignored : {click("Run_B_1"), press(Qt::RightButton), closeBox()})
                    ignored(*main_);
                for (QAction* item : main_->findChildren<QAction*>())
                    item->trigger();
                QVERIFY(!find<QMenu>(&*main_, "File")->isVisible());
            };
            click("Run_B_5")(*main_);
            QCOMPARE(rig_->clock.second, endsAt);
        };
    }
    // Saves with slot 1 renamed and 495 bytes in the slot given: nothing may be written.
    Step saveOverfull(int slot) {
        return [=, this](QWidget& w) {
            const QByteArray before = dir_->readData("SetUp.FIL");
            const QString n = QString::number(slot);
            edit({fill("P_Name_1", "one"), fill("P_Name_" + n, QString(495, 'n')),
                  fill("Program_Path_" + n, ""), fill("Image_Path_" + n, ""), click("Coushin"),
                  isOpen(true)})(w);
            QCOMPARE(dir_->readData("SetUp.FIL"), before);
        };
    }

    // Steps that check what is shown.
    Step startedWith(const QStringList& expected) {
        return [=, this](QWidget&) { QCOMPARE(startup_, expected); };
    }
    // Each slot's name and picture.
    Step slotsShown(const QStringList& expected) {
        return [=, this](QWidget&) {
            QStringList shown;
            for (const QString n : {"1", "2", "3", "4", "5"})
                shown << find<QLabel>(&*main_, "P_Name_L_" + n)->text() + ' ' +
                             colourOf(*main_, "Load_Image_" + n);
            QCOMPARE(shown, expected);
        };
    }
    // The two check marks and the options file: "on off (-1,0)".
    Step options(const QString& expected) {
        return [=, this](QWidget&) {
            QString marks;
            for (const char* item : {"Soft_Close_On_Off", "Koukaon_On_Off"})
                marks += find<QAction>(&*main_, item)->isChecked() ? "on " : "off ";
            QCOMPARE(marks + '(' + optionsFile() + ')', expected);
        };
    }
    Step geometry(int slot, const QList<int>& expected) {
        return [=, this](QWidget&) {
            const auto* p = find<PictureBox>(&*main_, "Load_Image_" + QString::number(slot));
            QCOMPARE((QList<int>{p->twipsLeft(), p->twipsTop(), p->twipsWidth(), p->twipsHeight()}),
                     expected);
        };
    }
    // A slot's boxes in the editor: name, program, picture path (in Data: "Data/p1.png"), preview.
    Step boxes(int slot, const QStringList& expected) {
        return [=, this](QWidget& editor) {
            const QString n = QString::number(slot);
            QCOMPARE(
                (QStringList{
                    find<QLineEdit>(&editor, "P_Name_" + n)->text(),
                    find<QPlainTextEdit>(&editor, "Program_Path_" + n)->toPlainText(),
                    find<QLineEdit>(&editor, "Image_Path_" + n)->text().replace(data(""), "Data/"),
                    colourOf(editor, "Load_Image_" + n)}),
                expected);
        };
    }
    static Step colour(const QString& box, const QString& expected) {
        return [=](QWidget& w) { QCOMPARE(colourOf(w, box), expected); };
    }
    // The chooser's files, or only those selected.
    static Step listed(const QStringList& expected, bool selectedOnly = false) {
        return [=](QWidget& chooser) {
            QStringList seen;
            for (int i = 0; i < files(chooser)->count(); ++i)
                if (!selectedOnly || files(chooser)->item(i)->isSelected())
                    seen << files(chooser)->item(i)->text();
            QCOMPARE(seen, expected);
        };
    }
    static Step selected(const QStringList& expected) { return listed(expected, true); }
    static Step folder(const QString& expected) {
        return [=](QWidget& chooser) {
            QCOMPARE(find<DirectoryList>(&chooser, "Dir1")->path(), expected);
        };
    }
    // The window, or its child named, shown or not.
    static Step isOpen(bool expected, const QString& child = {}) {
        return [=](QWidget& w) {
            QCOMPARE((child.isEmpty() ? &w : find<QWidget>(&w, child))->isVisible(), expected);
        };
    }
    // Texts, cut-off labels and captions Gothic on Linux or not under Wine marked; icon not ours.
    static Step looks(const QStringList& expected) {
        return [=](QWidget& w) {
            QVERIFY(w.windowIcon().pixmap(16).toImage() != ProgramIconImage(16));
            QStringList seen;
            for (const QWidget* c : w.findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
                const QString text = c->property("text").toString();
                const bool cut = qobject_cast<const QLabel*>(c) &&
                                 c->fontMetrics().horizontalAdvance(text) > c->width();
                const bool right = QFontInfo(c->font()).family().contains("Gothic") ==
                                   (QSysInfo::productType() == "windows"); // Wine lacks Tahoma
                seen << text + (cut ? " (cut off)" : "") +
                            (qobject_cast<const QPushButton*>(c) && !right ? " (wrong face)" : "");
            }
            QCOMPARE(seen << w.windowTitle(), expected);
        };
    }

    void columns() {
        QTest::addColumn<Start>("start");
        QTest::addColumn<Steps>("steps");
        QTest::addColumn<QStringList>("log");
    }
    // A row for one system only is named "Linux: ..." or "Windows: ...".
    void row(const char* name, const Start& start, const Steps& steps, const QStringList& log) {
        const bool windows = QSysInfo::productType() == "windows";
        if (!QString(name).startsWith(windows ? "Linux: " : "Windows: "))
            QTest::newRow(name) << start << steps << log;
    }
    void run() {
        QFETCH(Start, start);
        QFETCH(Steps, steps);
        open(start);
        take(steps, *main_);
        if (!QTest::currentTestFailed())
            QTEST(log(), "log");
    }

private slots:
    // For the chooser: pictures in any case, "*jpe" without a dot, hidden files, a directory,
    // programs by name and by permission, names that only look alike.
    void initTestCase() {
        QApplication::setWindowIcon(ProgramIcon());
        QVERIFY(QDir::setCurrent(QDir(listed_.path()).canonicalPath()));
        WritePicture("A.JPG", "jpg", Qt::red);
        WritePicture("x.Jpeg", "jpg", Qt::blue);
        WritePicture("pic.bmp", "bmp", Qt::green);
        for (const char* name : {".hidden.jpg", "photo.jpe", "xjpe", "anim.gif", "icon.ICO",
                                 "shot.png", "jpeg", "run.EXE", "a.exe.txt", "tool"})
            QVERIFY(QFile(name).open(QIODevice::WriteOnly));
        QVERIFY(QFile::setPermissions("tool", QFile::ReadOwner | QFile::ExeOwner) &&
                QDir().mkdir("sub.jpg"));
        // A dot file is hidden on Linux already; Windows has an attribute for it.
        QVERIFY(QSysInfo::productType() != "windows" ||
                QProcess::execute("attrib", {"+h", ".hidden.jpg"}) == 0);
    }

    void cleanup() {
        main_.reset(), rig_.reset(), dir_.reset(), inside_ = {};
        QVERIFY(QApplication::topLevelWidgets().isEmpty());
    }

    // The real message box, which the rows replace: Enter answers the erase question Yes.
    void enterAnswersYes() {
        QTimer answer;
        connect(&answer, &QTimer::timeout, [] {
            if (QWidget* box = QApplication::activeModalWidget())
                QTest::keyClick(box, Qt::Key_Return);
        });
        answer.start(20);
        QVERIFY(QtMessageBoxes().Question(nullptr, u"すべて消去しますか?"_s));
    }

    // What the windows do as they are meant to.
    void windows_data() {
        columns();
        // What start-up shows, and what closing saves.
        row("first run: no slot file, sound effects off", {{}, "-1,0"},
            {startedWith({Opened}), slotsShown(QStringList(5, " none")), options("on off (-1,0)"),
             staleOptions(), closeBox()},
            {optionsAtClose("-1,0"), Closed});
        row("a stored value other than -1 and 0", {.options = "0,5"},
            {startedWith({Opened, StartCue}), slotsShown(AsLaidOut), options("off on (0,5)"),
             staleOptions(), closeBox()},
            {optionsAtClose("0,5"), Closed});

        // Slot 3 is empty. On the way out the launcher waits for the second after next.
        const Step launchFirst = click("Run_B_1"), collapsed = geometry(1, {5000, 1124, 51, 51});
        row("close-after-launch switched off, clicked twice", ThirdEmpty,
            {trigger("Soft_Close_On_Off"), launchFirst, collapsed, launchFirst, collapsed},
            {ButtonCue, LaunchCue, started("/opt/p1"), "collapsed 1", LaunchCue,
             started("/opt/p1")});
        const QStringList ended{LaunchCue, started("/opt/p5"),       optionsAtClose("stale"),
                                Closed,    "waiting, options -1,-1", Ended};
        row("close-after-launch stored as 5, from second 30", {ThirdEmpty.layout, "5,-1"},
            {launchAndEnd(30, 1, 32)}, ended);
        row("from second 58", ThirdEmpty, {launchAndEnd(58, 1, 0)}, ended);
        row("the clock jumping from 30", ThirdEmpty, {launchAndEnd(30, 3, 33)}, ended);

        // The option toggles, erase-all and the pop-up.
        row("close-after-launch on, then sound effects off", {},
            {trigger("Soft_Close_On_Off"), options("on on (-1,-1)"), trigger("Koukaon_On_Off"),
             options("on off (-1,0)")},
            {ButtonCue});
        row("erase all answered No, then Yes", {},
            {answer(MessageAnswer::No), trigger("Format"), slotsShown(AsLaidOut),
             answer(MessageAnswer::Yes), trigger("Format"),
             slotsShown(QStringList(5, "Name none"))},
            {EraseAsked, EraseAsked, u"I Tesselo 消去完了。"_s});
        row("a right click on the background opens it, no other click does", {},
            {press(Qt::LeftButton), press(Qt::MiddleButton), press(Qt::RightButton, "Load_Image_1"),
             press(Qt::RightButton, "P_Name_L_1"), isOpen(false, "File"), press(Qt::RightButton),
             isOpen(true, "File")},
            {});

        // The slot editor, with the chooser picking for real.
        row("by the path box, then the preview (the launcher's), left by the close box", {},
            {edit({doubleClick("Image_Path_1", {pick("pic.bmp"), click("OK")}),
                   doubleClick("Load_Image_1",
                               {colour("Load_Image", "red"), pick("x.Jpeg"), click("Cancel")}),
                   boxes(1, {"slot1", "/opt/p1", here("pic.bmp"), "green"}), closeBox()}),
             slotsShown(AsLaidOut)},
            {ButtonCue, EditorOpened, ButtonCue, ChooserOpened, ButtonCue, ButtonCue,
             ChooserOpened});
        row("the chooser left with キャンセル and its close box", {},
            {edit({doubleClick("Load_Image_3", {click("Cancel")}),
                   doubleClick("Program_Path_3", {closeBox()}),
                   boxes(3, {"slot3", "/opt/p3", "Data/p3.png", "blue"}), click("Cancel"),
                   isOpen(false)})},
            {ButtonCue, EditorOpened, ButtonCue, ChooserOpened, ButtonCue, ChooserOpened});
        row("opened, the launcher's pictures shown; new texts with their spaces, 494 bytes", {},
            {whitenPicture(2),
             edit({boxes(2, {"slot2", "/opt/p2", "Data/p2.png", "green"}),
                   boxes(5, {"slot5", "/opt/p5", "Data/p5.png", "magenta"}),
                   fill("P_Name_2", " a b "), fill("Program_Path_2", "/opt/new tool "),
                   fill("P_Name_3", QString(494, 'n')), fill("Program_Path_3", ""),
                   fill("Image_Path_3", ""), click("Coushin"), isOpen(true)}),
             slotsShown({"slot1 red", " a b  white", QString(494, 'n') + " none", "slot4 cyan",
                         "slot5 magenta"}),
             click("Run_B_2")},
            {ButtonCue, EditorOpened, Updated, LaunchCue, started("/opt/new tool ")});

        // The file chooser, opened as the editor opens it for a slot with a cyan picture.
        row("pictures listed; no picture keeps the preview; keys pick but close nothing", {},
            {choose(ChooserMode::Picture,
                    {listed({"A.JPG", "anim.gif", "icon.ICO", "photo.jpe", "pic.bmp", "x.Jpeg",
                             "xjpe"}),
                     keys({Qt::Key_Tab, Qt::Key_Tab}), selected({}), // the focus marks no file
                     keys({Qt::Key_Down, Qt::Key_Escape, Qt::Key_Return}), isOpen(true),
                     selected({"anim.gif"}), colour("Load_Image", "cyan"), pick("x.Jpeg"),
                     pick("photo.jpe"), colour("Load_Image", "blue"), click("OK")},
                    here("photo.jpe"))},
            {ChooserOpened, ButtonCue});
        row("Linux: programs listed, no preview; O K with nothing selected, then at the root", {},
            {choose(ChooserMode::Program,
                    {listed({"run.EXE", "tool"}), colour("Load_Image", "hidden"), click("OK")},
                    here("")),
             choose(ChooserMode::Program, {gameAtRoot(), click("OK")}, "//game")},
            {ChooserOpened, ButtonCue, ChooserOpened, ButtonCue});
        row("Windows: programs by name only, whatever their permissions", {},
            {choose(ChooserMode::Program, {listed({"run.EXE"})})}, {ChooserOpened});
        row("消去 after a click, in the editor", {},
            {edit({doubleClick("Image_Path_4", {pick("A.JPG"), click("Syoukyo")}),
                   boxes(4, {"slot4", "/opt/p4", "", "none"})})},
            {ButtonCue, EditorOpened, ButtonCue, ChooserOpened, ButtonCue});
        row("Windows: back on a drive, its current folder", {},
            {choose(ChooserMode::Picture,
                    {drive("Z:\\"), drive("C:\\"), folder(QDir::currentPath())})},
            {ChooserOpened});

        // The version window; Enter presses the focused button only, in every window, Esc none.
        row("the version window, with its cue", {},
            {trigger("Version",
                     {looks({"TESSELO Ver.1.1", "© 2026 TESSELO Project",
                             "動作環境　OS : Windows98/Me", "O K", "バージョン情報"}),
                      keys({Qt::Key_Escape}), isOpen(true), keys({Qt::Key_Return}), isOpen(false)}),
             isOpen(true)},
            {VersionCue, u"modal Version_Jouhou"_s});
        row("the launcher", {}, {keys({Qt::Key_Escape, Qt::Key_Return})},
            {LaunchCue, started("/opt/p1")});
        row("the editor, and the chooser over it", {},
            {edit(
                {keys({Qt::Key_Return, Qt::Key_Escape}), isOpen(true),
                 doubleClick("Image_Path_1",
                             {focus("File1"), keys({Qt::Key_Return, Qt::Key_Escape}), isOpen(true),
                              focus("Cancel"), keys({Qt::Key_Return}), isOpen(false)}),
                 focus("Coushin"), keys({Qt::Key_Return})})},
            {ButtonCue, EditorOpened, ButtonCue, ChooserOpened, Updated});
    }
    void windows() { run(); }

    // Start-up stops at the first failure and saves only what changed or was missing.
    void failures_data() {
        columns();
        row("slot 3's picture missing", {{Laid, Laid, PictureMissing, Laid, Laid}, "0,0"},
            {startedWith({Opened, LoadFailed}),
             slotsShown({"slot1 red", "slot2 green", "slot3 none", " none", " none"}),
             click("Run_B_3"), options("on on (0,0)"), staleOptions(), closeBox()},
            {optionsAtClose("stale"), Closed});
        row("no options file", {.options = {}},
            {startedWith({Opened, LoadFailed}), slotsShown(AsLaidOut), options("on on ()"),
             closeBox()},
            {optionsAtClose("-1,-1"), Closed});
        // Once the file can be written again, the next save keeps the old value.
        row("the options cannot be saved", {},
            {breakOptions(), trigger("Soft_Close_On_Off"), options("off on ()"), mendOptions(),
             trigger("Koukaon_On_Off"), options("off off (0,0)"), breakOptions(), closeBox()},
            {ButtonCue, NotSaved, optionsAtClose(""), Closed, NotSaved});
        row("the program does not start", ThirdEmpty,
            {click("Run_B_4"), geometry(4, {5000, 5084, 51, 51})},
            {LaunchCue, started("/opt/p4"), error(u"起動エラー"_s)});
        row("the options cannot be saved on the way out", ThirdEmpty,
            {breakOptions(), click("Run_B_5")},
            {LaunchCue, started("/opt/p5"), optionsAtClose(""), Closed, NotSaved, Ended});
        row("the pictures of slots 3 and 5 gone", {},
            {edit({fill("Program_Path_3", "/opt/new"), removePicture(3), removePicture(5),
                   click("Coushin")}),
             slotsShown({"slot1 red", "slot2 green", "slot3 none", "slot4 cyan", "slot5 none"}),
             click("Run_B_3")},
            {ButtonCue, EditorOpened,
             error(u"保存しましたが、スロット 3、5 の画像を読み込めませんでした。"_s), LaunchCue,
             started("/opt/new")});
        row("a file that is no picture", {},
            {edit({doubleClick("Image_Path_5", {pick("photo.jpe"), click("OK")}),
                   boxes(5, {"slot5", "/opt/p5", "Data/p5.png", "magenta"})})},
            {ButtonCue, EditorOpened, ButtonCue, ChooserOpened, ButtonCue,
             error(u"画像の選択が必要です"_s)});
        row("495 bytes in slot 5, checked before slots 1 to 4 are written", {},
            {saveOverfull(5), slotsShown(AsLaidOut)},
            {ButtonCue, EditorOpened, error(u"スロット 5 "_s + TooLong)});
    }
    void failures() { run(); }
};

QTEST_MAIN(TestWindows)
#include "tst_Windows.moc"
