// The windows worked as a user works them. Each row starts a launcher over a temporary folder
// (slots 1 to 5 named slot1..slot5, starting /opt/p1../opt/p5 and showing a red, green, blue,
// cyan or magenta picture), takes its steps and compares what happened, in order, with its log:
// cues heard, programs started, modal windows opened, message boxes, the options file when the
// sound device closed, the program's end. What the windows show is compared along the steps.

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
#include <QPushButton>
#include <QTest>
#include <optional>
#ifdef Q_OS_WIN
#include <qt_windows.h>
#endif

using namespace Qt::StringLiterals;

namespace {
// A dot file is hidden on Linux already; Windows has an attribute for it.
bool markHidden([[maybe_unused]] const wchar_t* name) {
#ifdef Q_OS_WIN
    return SetFileAttributesW(name, FILE_ATTRIBUTE_HIDDEN);
#else
    return true;
#endif
}

// How a slot is laid out before the launcher starts: its picture file written or missing, or
// only a name with neither program nor picture.
enum SlotKind { Laid, PictureMissing, NameOnly };

struct Start {
    QList<SlotKind> layout{Laid, Laid, Laid, Laid, Laid}; // empty: no slot file
    QByteArray options = "0,-1";                          // empty: no options file
};
// Slot 3 starts nothing; close-after-launch and sound effects are on.
const Start ThirdEmpty{{Laid, Laid, NameOnly, Laid, Laid}, "-1,-1"};

// A slot as the launcher shows it: its name and its picture's colour.
const QStringList AsLaidOut{"slot1 red", "slot2 green", "slot3 blue", "slot4 cyan",
                            "slot5 magenta"};

// What the log says.
const QString Opened = u"open"_s, Closed = u"close"_s, Ended = u"end"_s;
const QString StartCue = u"play RUN_Kidou.wav"_s, LaunchCue = u"play EXE_KIDOU.wav"_s,
              ButtonCue = u"play Button_Kouka.wav"_s, VersionCue = u"play Vasion_Hyouji.wav"_s;
QString started(const QString& program) {
    return "start " + program;
}
QString modal(const QString& window) {
    return "modal " + window;
}
QString error(const QString& text) {
    return "E TESSELO " + text;
}
QString info(const QString& text) {
    return "I Tesselo " + text;
}
QString question(const QString& text) {
    return "Q TESSELO " + text;
}
QString optionsAtClose(const QString& file) {
    return "options (" + file + ')';
}
const QString NotSaved = error(u"設定を保存できませんでした。"_s);
const QString PictureNeeded = error(u"画像の選択が必要です"_s);
QString tooLong(int slot) {
    return error(u"スロット %1 の名前・プログラムのパス・画像のパスが合わせて 494 バイトを超えて"
                 u"います (495 バイト)。"_s.arg(slot));
}

template <typename T> T* find(const QObject* in, const QString& name) {
    T* found = in->findChild<T*>(name);
    if (!found)
        qFatal("no %s named %s", T::staticMetaObject.className(), qPrintable(name));
    return found;
}

// A picture's middle, each colour channel taken as on or off.
QString colourOf(const PictureBox* box) {
    const QImage image = box->picture().toImage();
    const QColor c = image.isNull() ? QColor(Qt::black) : image.pixelColor(image.rect().center());
    const char* names[] = {"none", "blue", "green", "cyan", "red", "magenta", "yellow", "white"};
    const int n = c.red() / 128 * 4 + c.green() / 128 * 2 + c.blue() / 128;
    return box->isVisibleTo(box->window()) ? names[n] : "hidden";
}
QString colourOf(const QWidget& window, const QString& box) {
    return colourOf(find<PictureBox>(&window, box));
}

// The file chooser's list, and what is selected in it.
QStringList filesListed(const QWidget& chooser) {
    const auto* files = find<QListWidget>(&chooser, "File1");
    QStringList names;
    for (int i = 0; i < files->count(); ++i)
        names << files->item(i)->text();
    return names;
}
QStringList filesSelected(const QWidget& chooser) {
    QStringList names;
    for (const QListWidgetItem* item : find<QListWidget>(&chooser, "File1")->selectedItems())
        names << item->text();
    return names;
}

// A window's controls' texts, a label's marked when it is cut off, and its title.
QStringList texts(const QWidget& window) {
    QStringList seen;
    for (const QWidget* c : window.findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
        const QString text = c->property("text").toString();
        const bool cut =
            qobject_cast<const QLabel*>(c) && c->fontMetrics().horizontalAdvance(text) > c->width();
        seen << text + (cut ? " (cut off)" : "");
    }
    return seen << window.windowTitle();
}

void click(const QWidget& window, const QString& button) {
    QTest::mouseClick(find<QPushButton>(&window, button), Qt::LeftButton);
}
void key(QWidget& window, Qt::Key pressed) {
    QTest::keyClick(window.focusWidget(), pressed);
}
void focus(const QWidget& window, const QString& control) {
    find<QWidget>(&window, control)->setFocus();
}
// Fills an editor box, as typing or the chooser would.
void fill(const QWidget& editor, const QString& box, const QString& text) {
    if (auto* lines = editor.findChild<QPlainTextEdit*>(box))
        lines->setPlainText(text);
    else
        find<QLineEdit>(&editor, box)->setText(text);
}
// A slot's boxes in the editor: name, program, picture path, preview.
QStringList boxes(const QWidget& editor, int slot) {
    const QString n = QString::number(slot);
    return {find<QLineEdit>(&editor, "P_Name_" + n)->text(),
            find<QPlainTextEdit>(&editor, "Program_Path_" + n)->toPlainText(),
            find<QLineEdit>(&editor, "Image_Path_" + n)->text(),
            colourOf(editor, "Load_Image_" + n)};
}
// Clicks a file in the chooser's list.
void pick(const QWidget& chooser, const QString& name) {
    auto* files = find<QListWidget>(&chooser, "File1");
    const QList<QListWidgetItem*> found = files->findItems(name, Qt::MatchExactly);
    QCOMPARE(found.size(), 1);
    QTest::mouseClick(files->viewport(), Qt::LeftButton, {},
                      files->visualItemRect(found[0]).center());
}
// A file in the chooser's folder, as the chooser names it.
QString here(const QString& name) {
    return QDir::toNativeSeparators(QDir::currentPath() + '/' + name);
}
} // namespace

class TestWindows : public QObject {
    Q_OBJECT
    // Steps taken in a modal window while it is open.
    using Inside = std::function<void(QDialog&)>;
    using Steps = std::function<void()>;

    QTemporaryDir listed_;
    std::optional<TempAppDir> dir_;
    std::optional<TestRig> rig_;
    std::optional<LauncherWindow> main_;
    QStringList startup_; // the log of the launcher's start-up
    Inside next_;         // for the next modal window

    QStringList& log() { return rig_->log; }
    QString data(const QString& name) { return dir_->dataPath(name); }
    QString optionsFile() { return QString::fromLatin1(dir_->readData("DataBase.FIL").trimmed()); }
    QMenu* fileMenu() { return find<QMenu>(&*main_, "File"); }

    void open(const Start& start) {
        dir_.emplace();
        QByteArray slotFile;
        for (int i = 1; i <= start.layout.size(); ++i) {
            const QString n = QString::number(i), picture = data("p" + n + ".png");
            const bool nameOnly = start.layout[i - 1] == NameOnly;
            if (start.layout[i - 1] == Laid)
                WritePicture(picture, "png", Qt::GlobalColor(Qt::red + i - 1));
            slotFile +=
                RecordBytes("slot" + n.toUtf8(), nameOnly ? QByteArray() : "/opt/p" + n.toUtf8(),
                            nameOnly ? QByteArray() : picture.toUtf8());
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
            for (int i = 1; i <= 5; ++i)
                if (find<PictureBox>(&*main_, "Load_Image_" + QString::number(i))->twipsHeight() !=
                    960)
                    log() << "collapsed " + QString::number(i);
        };
        rig_->sound.onClose = [this] { log() << optionsAtClose(optionsFile()); };
        rig_->modal.script = [this](QDialog& window) {
            const Inside inside = std::exchange(next_, {});
            window.show();
            QVERIFY(QTest::qWaitForWindowExposed(&window));
            if (inside)
                inside(window);
        };
        main_->show();
        QVERIFY(QTest::qWaitForWindowExposed(&*main_));
    }

    void trigger(const QString& item, const Inside& inside = {}) {
        next_ = inside;
        find<QAction>(&*main_, item)->trigger();
    }
    void doubleClick(const QWidget& window, const QString& control, const Inside& inside) {
        next_ = inside;
        QWidget* target = find<QWidget>(&window, control);
        auto* lines = qobject_cast<QPlainTextEdit*>(target);
        QTest::mouseDClick(lines ? lines->viewport() : target, Qt::LeftButton);
    }
    // Opens the chooser with a cyan preview, as the editor would; "(cancelled)" for no answer.
    QString choose(ChooserMode mode, const Inside& inside) {
        CuePlayer cues(rig_->sound, data(""), [] { return true; });
        QPixmap cyan(16, 16);
        cyan.fill(Qt::cyan);
        next_ = inside;
        return ChooseFile(mode, cyan, {rig_->messages, rig_->modal, cues}, nullptr)
            .value_or(u"(cancelled)"_s);
    }

    QStringList slotsShown() {
        QStringList shown;
        for (int i = 1; i <= 5; ++i)
            shown << find<QLabel>(&*main_, "P_Name_L_" + QString::number(i))->text() + ' ' +
                         colourOf(*main_, "Load_Image_" + QString::number(i));
        return shown;
    }
    QList<int> geometry(int slot) {
        const auto* p = find<PictureBox>(&*main_, "Load_Image_" + QString::number(slot));
        return {p->twipsLeft(), p->twipsTop(), p->twipsWidth(), p->twipsHeight()};
    }
    // The two check marks and the options file: "on off (-1,0)".
    QString options() {
        const auto mark = [this](const char* item) {
            return find<QAction>(&*main_, item)->isChecked() ? u"on"_s : u"off"_s;
        };
        return mark("Soft_Close_On_Off") + ' ' + mark("Koukaon_On_Off") + " (" + optionsFile() +
               ')';
    }
    // Closes the launcher over a stale options file, which only a save replaces.
    void closeLauncher() {
        dir_->writeData("DataBase.FIL", "stale");
        main_->close();
    }
    void breakOptionsFile() {
        QVERIFY(QFile::remove(data("DataBase.FIL")) && QDir().mkdir(data("DataBase.FIL")));
    }
    // Launches slot 5 with close-after-launch on, from second `from` of a clock that moves on
    // `step` seconds a wait; all input during the first wait must be ignored.
    void launchAndEnd(int from, int step, int endsAt) {
        dir_->writeData("DataBase.FIL", "stale");
        rig_->clock.second = from, rig_->clock.step = step;
        rig_->clock.onWait = [this] {
            if (rig_->clock.waits > 1)
                return;
            log() << "waiting, options " + optionsFile();
            click(*main_, "Run_B_1");
            for (QAction* item : main_->findChildren<QAction*>())
                item->trigger();
            QTest::mousePress(&*main_, Qt::RightButton, {}, QPoint(2, 2));
            main_->close();
            if (fileMenu()->isVisible())
                log() << "menu";
        };
        click(*main_, "Run_B_5");
        QCOMPARE(rig_->clock.second, endsAt);
    }
    // Saves with slot 1 renamed and 495 bytes in the slot given: nothing may be written.
    void saveOverfull(int slot) {
        const QByteArray before = dir_->readData("SetUp.FIL");
        trigger("Path_Setei", [slot](QDialog& editor) {
            const QString n = QString::number(slot);
            fill(editor, "P_Name_1", "one");
            fill(editor, "P_Name_" + n, QString(495, 'n'));
            fill(editor, "Program_Path_" + n, "");
            fill(editor, "Image_Path_" + n, "");
            click(editor, "Coushin");
            QVERIFY(editor.isVisible());
        });
        QCOMPARE(dir_->readData("SetUp.FIL"), before);
        QCOMPARE(slotsShown(), AsLaidOut);
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
        steps();
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
        QVERIFY(markHidden(L".hidden.jpg"));
    }

    void cleanup() {
        main_.reset(), rig_.reset(), dir_.reset(), next_ = {};
        QVERIFY(QApplication::topLevelWidgets().isEmpty());
    }

    // What start-up shows, and what closing saves.
    void startup_data() {
        columns();
        row("first run: no slot file, sound effects off", {{}, "-1,0"},
            [this] {
                QCOMPARE(startup_, QStringList{Opened});
                QCOMPARE(slotsShown(), QStringList(5, " none"));
                QCOMPARE(options(), u"on off (-1,0)"_s);
                closeLauncher();
            },
            {optionsAtClose("-1,0"), Closed});
        row("a stored value other than -1 and 0", {.options = "0,5"},
            [this] {
                QCOMPARE(startup_, (QStringList{Opened, StartCue}));
                QCOMPARE(slotsShown(), AsLaidOut);
                QCOMPARE(options(), u"off on (0,5)"_s);
                closeLauncher();
            },
            {optionsAtClose("0,5"), Closed});
    }
    void startup() { run(); }

    // Slot 3 is empty. On the way out the launcher waits for the second after next.
    void launch_data() {
        columns();
        row("an empty slot", ThirdEmpty,
            [this] {
                click(*main_, "Run_B_3");
                QCOMPARE(geometry(3), (QList<int>{3480, 3360, 960, 960}));
            },
            {});
        row("close-after-launch switched off, clicked twice", ThirdEmpty,
            [this] {
                trigger("Soft_Close_On_Off");
                for (int round = 0; round < 2; ++round) {
                    click(*main_, "Run_B_1");
                    QCOMPARE(geometry(1), (QList<int>{5000, 1124, 51, 51}));
                }
            },
            {ButtonCue, LaunchCue, started("/opt/p1"), "collapsed 1", LaunchCue,
             started("/opt/p1")});
        const QStringList launchedAndEnded{
            LaunchCue, started("/opt/p5"),       optionsAtClose("stale"),
            Closed,    "waiting, options -1,-1", Ended};
        row(
            "close-after-launch stored as 5, from second 30", {ThirdEmpty.layout, "5,-1"},
            [this] { launchAndEnd(30, 1, 32); }, launchedAndEnded);
        row(
            "from second 58", ThirdEmpty, [this] { launchAndEnd(58, 1, 0); }, launchedAndEnded);
        row(
            "the clock jumping from 30", ThirdEmpty, [this] { launchAndEnd(30, 3, 33); },
            launchedAndEnded);
    }
    void launch() { run(); }

    // The option toggles and erase-all.
    void menu_data() {
        columns();
        row("close-after-launch on, then sound effects off", {},
            [this] {
                trigger("Soft_Close_On_Off");
                QCOMPARE(options(), u"on on (-1,-1)"_s);
                trigger("Koukaon_On_Off");
                QCOMPARE(options(), u"on off (-1,0)"_s);
            },
            {ButtonCue});
        row("erase all", {},
            [this] {
                trigger("Format");
                QCOMPARE(slotsShown(), QStringList(5, "Name none"));
            },
            {question(u"すべて消去しますか?"_s), info(u"消去完了。"_s)});
        row("erase all answered No", {},
            [this] {
                rig_->messages.answer = MessageAnswer::No;
                trigger("Format");
                QCOMPARE(slotsShown(), AsLaidOut);
            },
            {question(u"すべて消去しますか?"_s)});
        row("a right click on the background opens it, no other click does", {},
            [this] {
                QTest::mousePress(&*main_, Qt::LeftButton, {}, QPoint(2, 2));
                QTest::mousePress(&*main_, Qt::MiddleButton, {}, QPoint(2, 2));
                for (const char* control : {"Load_Image_1", "P_Name_L_1"})
                    QTest::mousePress(find<QWidget>(&*main_, control), Qt::RightButton);
                QVERIFY(!fileMenu()->isVisible());
                QTest::mousePress(&*main_, Qt::RightButton, {}, QPoint(2, 2));
                QVERIFY(fileMenu()->isVisible());
            },
            {});
    }
    void menu() { run(); }

    // The slot editor, with the chooser picking for real.
    void editor_data() {
        columns();
        row("by the path box, then the preview, left by the close box", {},
            [this] {
                trigger("Path_Setei", [this](QDialog& editor) {
                    doubleClick(editor, "Image_Path_1", [](QDialog& chooser) {
                        pick(chooser, "pic.bmp");
                        click(chooser, "OK");
                    });
                    doubleClick(editor, "Load_Image_1", [](QDialog& chooser) {
                        QCOMPARE(colourOf(chooser, "Load_Image"), u"red"_s); // the launcher's
                        pick(chooser, "x.Jpeg");
                        click(chooser, "Cancel");
                    });
                    QCOMPARE(boxes(editor, 1),
                             (QStringList{"slot1", "/opt/p1", here("pic.bmp"), "green"}));
                    editor.close();
                });
                QCOMPARE(slotsShown(), AsLaidOut);
            },
            {ButtonCue, modal("SetUp"), ButtonCue, modal("FileManager"), ButtonCue, ButtonCue,
             modal("FileManager")});
        row("the chooser left with キャンセル and its close box", {},
            [this] {
                trigger("Path_Setei", [this](QDialog& editor) {
                    doubleClick(editor, "Load_Image_3", [](QDialog& c) { click(c, "Cancel"); });
                    doubleClick(editor, "Program_Path_3", [](QDialog& c) { c.close(); });
                    QCOMPARE(boxes(editor, 3),
                             (QStringList{"slot3", "/opt/p3", data("p3.png"), "blue"}));
                    click(editor, "Cancel");
                    QVERIFY(!editor.isVisible());
                });
            },
            {ButtonCue, modal("SetUp"), ButtonCue, modal("FileManager"), ButtonCue,
             modal("FileManager")});
        row("opened, the launcher's pictures shown; new texts with their spaces, 494 bytes", {},
            [this] {
                WritePicture(data("p2.png"), "png", Qt::white);
                trigger("Path_Setei", [this](QDialog& editor) {
                    QCOMPARE(boxes(editor, 2),
                             (QStringList{"slot2", "/opt/p2", data("p2.png"), "green"}));
                    QCOMPARE(boxes(editor, 5),
                             (QStringList{"slot5", "/opt/p5", data("p5.png"), "magenta"}));
                    fill(editor, "P_Name_2", " a b ");
                    fill(editor, "Program_Path_2", "/opt/new tool ");
                    fill(editor, "P_Name_3", QString(494, 'n'));
                    fill(editor, "Program_Path_3", "");
                    fill(editor, "Image_Path_3", "");
                    click(editor, "Coushin");
                    QVERIFY(editor.isVisible());
                });
                QCOMPARE(slotsShown(),
                         (QStringList{"slot1 red", " a b  white", QString(494, 'n') + " none",
                                      "slot4 cyan", "slot5 magenta"}));
                click(*main_, "Run_B_2");
            },
            {ButtonCue, modal("SetUp"), info(u"更新完了。"_s), LaunchCue,
             started("/opt/new tool ")});
    }
    void editor() { run(); }

    // The file chooser, opened as the editor opens it for a slot with a cyan picture.
    void chooser_data() {
        columns();
        row("pictures listed; no picture keeps the preview; keys pick but close nothing", {},
            [this] {
                const QString chosen = choose(ChooserMode::Picture, [](QDialog& chooser) {
                    QCOMPARE(filesListed(chooser),
                             (QStringList{"A.JPG", "anim.gif", "icon.ICO", "photo.jpe", "pic.bmp",
                                          "x.Jpeg", "xjpe"}));
                    key(chooser, Qt::Key_Tab);
                    key(chooser, Qt::Key_Tab);
                    QCOMPARE(filesSelected(chooser), QStringList()); // the focus marks one only
                    for (Qt::Key k : {Qt::Key_Down, Qt::Key_Escape, Qt::Key_Return})
                        key(chooser, k);
                    QVERIFY(chooser.isVisible());
                    QCOMPARE(filesSelected(chooser), QStringList{"anim.gif"});
                    QCOMPARE(colourOf(chooser, "Load_Image"), u"cyan"_s);
                    pick(chooser, "x.Jpeg");
                    pick(chooser, "photo.jpe");
                    QCOMPARE(colourOf(chooser, "Load_Image"), u"blue"_s);
                    click(chooser, "OK");
                });
                QCOMPARE(chosen, here("photo.jpe"));
            },
            {modal("FileManager"), ButtonCue});
        row("Linux: programs listed, no preview; O K with nothing selected, then at the root", {},
            [this] {
                const QString nothingSelected = choose(ChooserMode::Program, [](QDialog& chooser) {
                    QCOMPARE(filesListed(chooser), (QStringList{"run.EXE", "tool"}));
                    QCOMPARE(colourOf(chooser, "Load_Image"), u"hidden"_s);
                    click(chooser, "OK");
                });
                QCOMPARE(nothingSelected, here(""));
                const QString atRoot = choose(ChooserMode::Program, [](QDialog& chooser) {
                    auto* files = find<QListWidget>(&chooser, "File1");
                    find<DirectoryList>(&chooser, "Dir1")->setPath("/");
                    files->addItem("game");
                    files->setCurrentRow(files->count() - 1);
                    click(chooser, "OK");
                });
                QCOMPARE(atRoot, u"//game"_s);
            },
            {modal("FileManager"), ButtonCue, modal("FileManager"), ButtonCue});
        row("Windows: programs by name only, whatever their permissions", {},
            [this] {
                choose(ChooserMode::Program, [](QDialog& chooser) {
                    QCOMPARE(filesListed(chooser), QStringList{"run.EXE"});
                });
            },
            {modal("FileManager")});
        row("消去 after a click, in the editor", {},
            [this] {
                trigger("Path_Setei", [this](QDialog& editor) {
                    doubleClick(editor, "Image_Path_4", [](QDialog& chooser) {
                        pick(chooser, "A.JPG");
                        click(chooser, "Syoukyo");
                    });
                    QCOMPARE(boxes(editor, 4), (QStringList{"slot4", "/opt/p4", "", "none"}));
                });
            },
            {ButtonCue, modal("SetUp"), ButtonCue, modal("FileManager"), ButtonCue});
        row("Windows: back on a drive, its current folder", {},
            [this] {
                choose(ChooserMode::Picture, [](QDialog& chooser) {
                    auto* drives = find<QComboBox>(&chooser, "Drive1");
                    drives->setCurrentIndex(drives->findText("Z:\\"));
                    drives->setCurrentIndex(drives->findText("C:\\"));
                    QCOMPARE(find<DirectoryList>(&chooser, "Dir1")->path(), QDir::currentPath());
                });
            },
            {modal("FileManager")});
    }
    void chooser() { run(); }

    // The version window.
    void version_data() {
        columns();
        row("with its cue, Esc ignored, Enter closing it", {},
            [this] {
                trigger("Version", [](QDialog& window) {
                    QVERIFY(window.windowIcon().pixmap(16).toImage() != ProgramIconImage(16));
                    QCOMPARE(texts(window),
                             (QStringList{"TESSELO Ver.1.1", "© 2026 TESSELO Project",
                                          "動作環境　OS : Windows98/Me", "O K", "バージョン情報"}));
                    key(window, Qt::Key_Escape);
                    QVERIFY(window.isVisible());
                    key(window, Qt::Key_Return);
                    QVERIFY(!window.isVisible());
                });
                QVERIFY(main_->isVisible());
            },
            {VersionCue, modal("Version_Jouhou")});
    }
    void version() { run(); }

    // Enter presses the focused button only, in every window; Esc presses none.
    void keys_data() {
        columns();
        row("on the launcher's focused button", {},
            [this] {
                key(*main_, Qt::Key_Escape);
                key(*main_, Qt::Key_Return);
            },
            {LaunchCue, started("/opt/p1")});
        row("in the editor", {},
            [this] {
                trigger("Path_Setei", [](QDialog& editor) {
                    key(editor, Qt::Key_Return);
                    key(editor, Qt::Key_Escape);
                    QVERIFY(editor.isVisible());
                    focus(editor, "Coushin");
                    key(editor, Qt::Key_Return);
                });
            },
            {ButtonCue, modal("SetUp"), info(u"更新完了。"_s)});
        row("in the chooser", {},
            [this] {
                const QString chosen = choose(ChooserMode::Picture, [](QDialog& chooser) {
                    focus(chooser, "File1");
                    key(chooser, Qt::Key_Return);
                    key(chooser, Qt::Key_Escape);
                    QVERIFY(chooser.isVisible());
                    focus(chooser, "Cancel");
                    key(chooser, Qt::Key_Return);
                    QVERIFY(!chooser.isVisible());
                });
                QCOMPARE(chosen, u"(cancelled)"_s);
            },
            {modal("FileManager")});
    }
    void keys() { run(); }

    // Start-up stops at the first failure and saves only what changed or was missing.
    void failures_data() {
        columns();
        row("slot 3's picture missing", {{Laid, Laid, PictureMissing, Laid, Laid}, "0,0"},
            [this] {
                QCOMPARE(startup_, (QStringList{Opened, error(u"画像読込に失敗"_s)}));
                QCOMPARE(slotsShown(),
                         (QStringList{"slot1 red", "slot2 green", "slot3 none", " none", " none"}));
                click(*main_, "Run_B_3");
                QCOMPARE(options(), u"on on (0,0)"_s);
                closeLauncher();
            },
            {optionsAtClose("stale"), Closed});
        row("no options file", {.options = {}},
            [this] {
                QCOMPARE(startup_, (QStringList{Opened, error(u"画像読込に失敗"_s)}));
                QCOMPARE(slotsShown(), AsLaidOut);
                QCOMPARE(options(), u"on on ()"_s);
                main_->close();
            },
            {optionsAtClose("-1,-1"), Closed});
        row("the options cannot be saved", {},
            [this] {
                breakOptionsFile();
                trigger("Soft_Close_On_Off");
                QCOMPARE(options(), u"off on ()"_s);
                // Once the file can be written again, the next save keeps the old value.
                QVERIFY(QDir().rmdir(data("DataBase.FIL")));
                trigger("Koukaon_On_Off");
                QCOMPARE(options(), u"off off (0,0)"_s);
                breakOptionsFile();
                main_->close();
            },
            {ButtonCue, NotSaved, optionsAtClose(""), Closed, NotSaved});
        row("the program does not start", ThirdEmpty,
            [this] {
                click(*main_, "Run_B_4");
                QCOMPARE(geometry(4), (QList<int>{5000, 5084, 51, 51}));
            },
            {LaunchCue, started("/opt/p4"), error(u"起動エラー"_s)});
        row("the options cannot be saved on the way out", ThirdEmpty,
            [this] {
                breakOptionsFile();
                click(*main_, "Run_B_5");
            },
            {LaunchCue, started("/opt/p5"), optionsAtClose(""), Closed, NotSaved, Ended});
        row("the pictures of slots 3 and 5 gone", {},
            [this] {
                trigger("Path_Setei", [this](QDialog& editor) {
                    fill(editor, "Program_Path_3", "/opt/new");
                    QFile::remove(data("p3.png"));
                    QFile::remove(data("p5.png"));
                    click(editor, "Coushin");
                });
                QCOMPARE(slotsShown(), (QStringList{"slot1 red", "slot2 green", "slot3 none",
                                                    "slot4 cyan", "slot5 none"}));
                click(*main_, "Run_B_3");
            },
            {ButtonCue, modal("SetUp"),
             error(u"保存しましたが、スロット 3、5 の画像を読み込めませんでした。"_s), LaunchCue,
             started("/opt/new")});
        row("a file that is no picture", {},
            [this] {
                trigger("Path_Setei", [this](QDialog& editor) {
                    doubleClick(editor, "Image_Path_5", [](QDialog& chooser) {
                        pick(chooser, "photo.jpe");
                        click(chooser, "OK");
                    });
                    QCOMPARE(boxes(editor, 5),
                             (QStringList{"slot5", "/opt/p5", data("p5.png"), "magenta"}));
                });
            },
            {ButtonCue, modal("SetUp"), ButtonCue, modal("FileManager"), ButtonCue, PictureNeeded});
        row("495 bytes in slot 3", {}, [this] { saveOverfull(3); },
            {ButtonCue, modal("SetUp"), tooLong(3)});
        row("495 bytes in slot 5, checked before slots 1 to 4 are written", {},
            [this] { saveOverfull(5); }, {ButtonCue, modal("SetUp"), tooLong(5)});
    }
    void failures() { run(); }
};

QTEST_MAIN(TestWindows)
#include "tst_Windows.moc"
