// The windows worked as a user works them. A row starts a launcher over a temporary folder (a
// letter a slot: P a name slotN, a program /opt/pN and a picture in the slot's colour, M the same
// without the picture file, N a name only; then the options), takes its steps (act()) and compares
// the log of what happened with its own: ♪ marks a cue, @ the Data folder, ~ the chooser's folder.

#include "TestSeams.h"
#include "chooser/DirectoryList.h"
#include "common/Module1.h"
#include "launcher/Look.h"
#include "launcher/Main.h"

#include <QComboBox>
#include <QDir>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QRegularExpression>
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

const char* const SlotColours[] = {"", "red", "green", "blue", "cyan", "magenta"};

// A picture's middle, each colour channel taken as on or off.
QString colourOf(const QLabel* box) {
    const QImage i = box->pixmap().toImage();
    const QColor c = i.isNull() ? QColor(Qt::black) : i.pixelColor(i.rect().center());
    const char* names[] = {"none", "blue", "green", "cyan", "red", "magenta", "yellow", "white"};
    const int n = c.red() / 128 * 4 + c.green() / 128 * 2 + c.blue() / 128;
    return box->isVisibleTo(box->window()) ? names[n] : "hidden";
}

QString textOf(const QWidget* w) {
    const auto* edit = qobject_cast<const QPlainTextEdit*>(w);
    return edit ? edit->toPlainText()
                : w->property(w->isWindow() ? "windowTitle" : "text").toString();
}

const char* const Rows = R"(
# startup: what start-up shows, and what closing saves.
first run: no slot file, sound effects off | none | -1,0 | ?startup, ?slots, ?marks, close
    => startup open|slots -----|marks 10 -1,0 -1,0|options -1,0|close
a stored value other than -1 and 0 | PPPPP | 0,5 | ?startup, ?slots, ?marks, close
    => startup open|♪start|slots FFFFF|marks 01 0,5 0,5|options 0,5|close
# launch: slot 3 is empty. On the way out the launcher waits for the second after next.
an empty slot | PPNPP | -1,-1 | Run_B_3, ?geometry:3 => geometry 3480,3360,960,960
close-after-launch switched off, clicked twice | PPNPP | -1,-1 | Soft_Close_On_Off, Run_B_1,
    ?geometry:1, Run_B_1, ?geometry:1 => ♪button|♪launch|start /opt/p1|
    geometry 5000,1124,51,51|collapsed 1|♪launch|start /opt/p1|geometry 5000,1124,51,51
close-after-launch stored as 5, from second 30 | PPNPP | 5,-1 | stale, clock:30, Run_B_5, ?clock
    => ♪launch|start /opt/p5|options stale|close|waiting, options -1,-1|ignored|end|clock 32
from second 58 | PPNPP | -1,-1 | clock:58, Run_B_5, clear, ?clock => clock 0
the clock jumping from 30 | PPNPP | -1,-1 | clock:30, jump:3, Run_B_5, clear, ?clock => clock 33
# menu: the option toggles and erase-all.
close-after-launch on, then sound effects off | Soft_Close_On_Off, ?marks, Koukaon_On_Off, ?marks
    => ♪button|marks 11 -1,-1 -1,-1|marks 10 -1,0 -1,0
erase all | Format, ?slots => Q TESSELO すべて消去しますか?|I Tesselo 消去完了。|slots EEEEE
erase all answered No | no, Format, ?slots => Q TESSELO すべて消去しますか?|slots FFFFF
a right click on the background opens it, no other click does | press:left, press:middle,
    press:right:Load_Image_1, press:right:P_Name_L_1, ?menu, press:right, ?menu => menu|menu open
# editor: the chooser picks for real. Slots 1 to 5 are red, green, blue, cyan, magenta.
by the path box, then the preview, left by the close box | Path_Setei, dbl:Image_Path_1,
    pick:pic.bmp, OK, dbl:Load_Image_1, ?picture:Load_Image, pick:x.Jpeg, Cancel, ?boxes:1,
    closebox, ?slots => ♪button|modal SetUp|♪button|modal FileManager|♪button|♪button|
    modal FileManager|picture red|boxes slot1|/opt/p1|~/pic.bmp|green|slots FFFFF
the chooser left with キャンセル and its close box | Path_Setei, dbl:Load_Image_3, Cancel,
    dbl:Program_Path_3, closebox, ?boxes:3, Cancel, ?path => ♪button|modal SetUp|♪button|
    modal FileManager|♪button|modal FileManager|boxes slot3|/opt/p3|@/p3.png|blue|path
opened, the launcher's pictures shown; new texts with their spaces, 494 bytes | swap:2,
    Path_Setei, ?boxes:2, ?boxes:5, set:P_Name_2= a b , set:Program_Path_2=/opt/new tool ,
    long:P_Name_3=494, set:Program_Path_3=, set:Image_Path_3=, Coushin, ?open, ?slot:2, ?slots
    => ♪button|modal SetUp|boxes slot2|/opt/p2|@/p2.png|green|boxes slot5|/opt/p5|@/p5.png|
    magenta|I Tesselo 更新完了。|open SetUp|slot  a b |/opt/new tool |white|slots FxxFF
# chooser: opened from the editor for slot 4, whose picture is cyan.
pictures listed; no picture keeps the preview; keys pick but close nothing | Path_Setei,
    dbl:Image_Path_4, clear, ?files, key:Tab, key:Tab, ?path, key:Down, key:Esc, key:Return,
    ?open, ?path, ?picture:Load_Image, pick:x.Jpeg, pick:photo.jpe, ?picture:Load_Image, OK, ?path
    => files A.JPG anim.gif icon.ICO photo.jpe pic.bmp x.Jpeg xjpe|path|open FileManager|
    path ~/anim.gif|picture cyan|picture blue|♪button|E TESSELO 画像の選択が必要です|
    path ~/photo.jpe
Linux: programs listed, no preview; O K with nothing selected, then at the root | Path_Setei,
    dbl:Program_Path_4, clear, ?files, ?picture:Load_Image, OK, ?path, dbl:Program_Path_4, root,
    OK, ?path => files run.EXE tool|picture hidden|♪button|path ~/|♪button|modal FileManager|
    ♪button|path //game
Windows: programs by name only, whatever their permissions | Path_Setei, dbl:Program_Path_4,
    clear, ?files => files run.EXE
消去 after a click | Path_Setei, dbl:Image_Path_4, clear, pick:A.JPG, ?path, Syoukyo, ?path,
    ?boxes:4 => path ~/A.JPG|♪button|path|boxes slot4|/opt/p4||none
Windows: back on a drive, its current folder | Path_Setei, dbl:Image_Path_4, clear, drive:Z,
    drive:C, ?dir => dir ~
# version: the version window.
with its cue, Esc ignored, Enter closing it | Version, ?layout, key:Esc, ?open, key:Return, ?open
    => ♪version|modal Version_Jouhou|layout own icon|TESSELO Ver.1.1|
    © 2026 TESSELO Project|動作環境　OS : Windows98/Me|O K|バージョン情報|
    open Version_Jouhou|open Main
# keys: Enter presses the focused button only, in every window; Esc presses none.
on the launcher's focused button | key:Esc, key:Return => ♪launch|start /opt/p1
in the editor | Path_Setei, key:Return, key:Esc, ?open, focus:Coushin, key:Return =>
    ♪button|modal SetUp|open SetUp|I Tesselo 更新完了。
in the chooser | Path_Setei, dbl:Image_Path_1, focus:File1, key:Return, key:Esc, ?open,
    focus:Cancel, key:Return, ?open => ♪button|modal SetUp|♪button|modal FileManager|
    open FileManager|open SetUp
# failures: start-up stops at the first failure and saves only what changed or was missing.
slot 3's picture missing | PPMPP | 0,0 | ?startup, ?slots, ?marks, close => startup open|
    E TESSELO 画像読込に失敗|slots FFN--|marks 11 -1,-1 0,0|options stale|close
no options file | PPPPP | none | ?startup, ?marks, close => startup open|E TESSELO 画像読込に失敗|
    marks 11 -1,-1|options -1,-1|close
the options cannot be saved | breakopt, Soft_Close_On_Off, ?marks, close => ♪button|
    E TESSELO 設定を保存できませんでした。|marks 01 0,-1|options |close|
    E TESSELO 設定を保存できませんでした。
the program does not start | PPNPP | -1,-1 | Run_B_4, ?geometry:4 => ♪launch|start /opt/p4|
    E TESSELO 起動エラー|geometry 5000,5084,51,51
the options cannot be saved on the way out | PPNPP | -1,-1 | breakopt, Run_B_5 => ♪launch|
    start /opt/p5|options |close|E TESSELO 設定を保存できませんでした。|end
the pictures of slots 3 and 5 gone | Path_Setei, set:Program_Path_3=/opt/new, gone:3, gone:5,
    Coushin, ?slots, ?slot:3 => ♪button|modal SetUp|
    E TESSELO 保存しましたが、スロット 3、5 の画像を読み込めませんでした。|slots FFxFx|
    slot slot3|/opt/new|none
a file that is no picture | Path_Setei, dbl:Image_Path_5, pick:photo.jpe, OK, ?boxes:5 =>
    ♪button|modal SetUp|♪button|modal FileManager|♪button|
    E TESSELO 画像の選択が必要です|boxes slot5|/opt/p5|@/p5.png|magenta
495 bytes | Path_Setei, set:P_Name_1=one, long:P_Name_3=495, set:Program_Path_3=,
    set:Image_Path_3=, Coushin, ?open, ?slots => ♪button|modal SetUp|
    E TESSELO スロット 3 の名前・プログラムのパス・画像のパスが合わせて
    494 バイトを超えています (495 バイト)。|open SetUp|slots FFFFF
)";

// The rows of one family: a row a line, going on in indented lines, "name | layout | options |
// steps => log", where "layout | options" may be left out for "PPPPP | 0,-1".
void table(const QString& family) {
    for (const char* column : {"layout", "options", "steps", "log"})
        QTest::addColumn<QString>(column);
    QString rows =
        QString::fromUtf8(Rows).section("\n# " + family, 1, 1).section("\n#", 0, 0).trimmed();
    for (const QString& row : rows.replace(QRegularExpression(u"\n +"_s), " ").split('\n').mid(1)) {
        QStringList f = row.section("=>", 0, 0).trimmed().split(" | ");
        if (f.size() == 2)
            f.insert(1, "PPPPP"), f.insert(2, "0,-1");
        if (f[0].startsWith(QSysInfo::productType() == "windows" ? "Linux: " : "Windows: "))
            continue;
        QTest::newRow(qPrintable(f[0]))
            << f[1] << f[2] << f[3] << row.section("=>", 1).trimmed().replace("| ", "|");
    }
}
} // namespace

class TestWindows : public QObject {
    Q_OBJECT
    QTemporaryDir listed_;
    std::optional<TempAppDir> dir_;
    std::optional<TestRig> rig_;
    std::optional<Main> main_;
    QStringList steps_, startup_;

    QStringList& log() { return rig_->log; }
    QString options() { return dir_->readData("DataBase.FIL").trimmed(); }
    QString slot(int i) {
        return textOf(main_->P_Name_L[i]) + '|' + Module1::ProgramPaths[i] + '|' +
               colourOf(main_->Load_Image[i]);
    }

    // Takes the steps in `w` while it is open: no (answers No), breakopt, swap:N and gone:N (slot
    // N's picture file turns white, goes), stale (so says the options file), root (a file "game"
    // in the root directory), long:BOX=LENGTH, jump:SECONDS (a wait's step), close (the launcher's,
    // after stale), ?LOOK.
    void act(QWidget* w) {
        while (!steps_.isEmpty() && (w == &*main_ || w->isVisible())) {
            const QString step = steps_.takeFirst(), verb = step.section(':', 0, 0);
            const QString arg = step.section(':', 1), text = arg.section('=', 1);
            QWidget* box = w->findChild<QWidget*>(arg.section('=', 0, 0));
            auto* edit = qobject_cast<QPlainTextEdit*>(box);
            auto* files = w->findChild<QListWidget*>("File1");
            QFile options(dir_->dataPath("DataBase.FIL"));
            const std::map<QString, std::function<void()>> moves{
                {"no", [&] { rig_->messages.answer = MessageAnswer::No; }},
                {"breakopt", [&] { options.remove() && QDir().mkdir(options.fileName()); }},
                {"gone", [&] { QFile::remove(dir_->dataPath("p" + arg + ".png")); }},
                {"swap",
                 [&] { WritePicture(dir_->dataPath("p" + arg + ".png"), "png", Qt::white); }},
                {"stale", [&] { options.open(QIODevice::WriteOnly) && options.write("stale"); }},
                {"clear", [&] { log().clear(); }},
                {"clock", [&] { rig_->clock.second = arg.toInt(); }},
                {"jump", [&] { rig_->clock.step = arg.toInt(); }},
                {"dbl", [&] { QTest::mouseDClick(edit ? edit->viewport() : box, Qt::LeftButton); }},
                {"set",
                 [&] { edit ? edit->setPlainText(text) : void(box->setProperty("text", text)); }},
                {"long", [&] { box->setProperty("text", QString(text.toInt(), 'n')); }},
                {"pick", [&] { pick(files, arg); }},
                {"root",
                 [&] { w->findChild<DirectoryList*>()->setPath("/"), files->addItem("game"); }},
                {"key", [&] { QTest::keyClick(w->focusWidget(), QKeySequence(arg)[0].key()); }},
                {"focus", [&] { box->setFocus(); }},
                {"drive", // by its letter
                 [&] {
                     auto* drives = w->findChild<QComboBox*>("Drive1");
                     drives->setCurrentIndex(drives->findText(arg + ":\\"));
                 }},
                {"press", // at the background's corner, or on the control named
                 [&] {
                     QWidget* on =
                         arg.contains(':') ? w->findChild<QWidget*>(arg.section(':', 1)) : nullptr;
                     const auto button = arg.startsWith("left")    ? Qt::LeftButton
                                         : arg.startsWith("right") ? Qt::RightButton
                                                                   : Qt::MiddleButton;
                     QTest::mousePress(on ? on : w, button, {}, on ? QPoint() : QPoint(2, 2));
                 }},
                {"closebox", [&] { w->close(); }},
                {"close", [&] { steps_.prepend("closebox"), steps_.prepend("stale"); }},
            };
            if (step.startsWith('?'))
                log() << (verb.mid(1) + ' ' + look(w, verb.mid(1), arg)).trimmed();
            else if (auto* button = w->findChild<QPushButton*>(step))
                QTest::mouseClick(button, Qt::LeftButton);
            else if (auto* item = w->findChild<QAction*>(step))
                item->trigger();
            else if (moves.count(verb))
                moves.at(verb)();
            else
                QFAIL(qPrintable(step));
            if (step == "root")
                files->setCurrentRow(files->count() - 1);
        }
    }

    // slots: a letter a slot, F as laid out, N its name only, E erased, - empty, x other; marks:
    // the check marks, the stored values, the file; boxes:N: the editor's; files and path: the
    // chooser's list and result; layout: the window's own icon, its controls' texts, its title.
    QString look(QWidget* w, const QString& what, const QString& arg) {
        const int n = arg.toInt();
        const PictureBox* p = main_->Load_Image[qBound(1, n, 5)];
        QStringList seen;
        for (int i = 1; i <= 5 && what == "slots"; ++i) {
            const QStringList kinds{u"slot%1|/opt/p%1|"_s.arg(i) + SlotColours[i],
                                    u"slot%1||none"_s.arg(i), "Name||none", "||none"};
            seen << QString("FNE-x"[kinds.contains(slot(i)) ? kinds.indexOf(slot(i)) : 4]);
        }
        for (const char* name : {"P_Name_", "Program_Path_", "Image_Path_"})
            if (what == "boxes")
                seen << textOf(w->findChild<QWidget*>(name + arg));
        for (int i = 0; what == "files" && i < w->findChild<QListWidget*>("File1")->count(); ++i)
            seen << w->findChild<QListWidget*>("File1")->item(i)->text();
        if (what == "layout" && w->windowIcon().pixmap(16).toImage() != ProgramIconImage(16))
            seen << "own icon";
        QList<QWidget*> widgets = w->findChildren<QWidget*>(Qt::FindDirectChildrenOnly);
        for (QWidget* c : widgets << w)
            if (what == "layout")
                seen << textOf(c) +
                            (!qobject_cast<QLabel*>(c) ||
                                     c->fontMetrics().horizontalAdvance(textOf(c)) <= c->width()
                                 ? ""
                                 : " (cut off)");
        if (what == "boxes")
            seen << colourOf(w->findChild<PictureBox*>("Load_Image_" + arg));
        return what == "startup" ? startup_.join('|')
               : what == "slot"  ? slot(n)
               : what == "geometry"
                   ? QString::asprintf("%d,%d,%d,%d", p->twipsLeft(), p->twipsTop(),
                                       p->twipsWidth(), p->twipsHeight())
               : what == "marks"
                   ? QString::asprintf("%d%d %d,%d ", main_->Soft_Close_On_Off->isChecked(),
                                       main_->Koukaon_On_Off->isChecked(), Module1::SoftClose,
                                       Module1::SoundEffects) +
                         options()
               : what == "picture" ? colourOf(w->findChild<PictureBox*>(arg))
               : what == "path"
                   ? Module1::ChosenPath + (Module1::ChooserCancelled ? " cancelled" : "")
               : what == "open"  ? (w->isVisible() ? w->objectName() : "none")
               : what == "clock" ? QString::number(rig_->clock.second)
               : what == "dir"   ? w->findChild<DirectoryList*>()->path()
               : what == "menu"  ? (main_->File->isVisible() ? "open" : "")
                                 : seen.join(what == "files"   ? " "
                                             : what == "slots" ? ""
                                                               : "|");
    }

    void pick(QListWidget* list, const QString& name) {
        const QList<QListWidgetItem*> found = list->findItems(name, Qt::MatchExactly);
        QVERIFY2(found.size() == 1, qPrintable(name));
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {},
                          list->visualItemRect(found[0]).center());
    }

    void run() {
        QFETCH(QString, layout);
        QFETCH(QString, options);
        Module1::Reset();
        dir_.emplace();
        QByteArray slotFile;
        for (int i = 1; i <= 5 && layout != "none"; ++i) {
            const QByteArray n = QByteArray::number(i),
                             path = dir_->dataPath("p" + n + ".png").toUtf8();
            if (layout[i - 1] == 'P')
                WritePicture(path, "png", Qt::GlobalColor(Qt::red + i - 1));
            slotFile += RecordBytes("slot" + n, layout[i - 1] == 'N' ? "" : "/opt/p" + n,
                                    layout[i - 1] == 'N' ? "" : path);
        }
        if (layout != "none")
            dir_->writeData("SetUp.FIL", slotFile);
        if (options != "none")
            dir_->writeData("DataBase.FIL", options.toLatin1() + "\r\n");
        rig_.emplace();
        rig_->processes.failing << "/opt/p4";
        main_.emplace(rig_->seams());
        startup_ = std::exchange(log(), {});
        // The launch cue sounds before the picture collapses.
        rig_->sound.onPlay = [this] {
            for (int i = 1; i <= 5 && main_; ++i)
                if (main_->Load_Image[i]->twipsHeight() != 960)
                    log() << "collapsed " + QString::number(i);
        };
        rig_->sound.onClose = [this] { log() << "options " + this->options(); };
        rig_->clock.onWait = [this] {
            if (rig_->clock.waits > 1)
                return;
            // All input meanwhile is ignored, the close box's too.
            log() << "waiting, options " + this->options() +
                         (main_->slotFile().isOpen() ? ", slot file open" : "");
            main_->Run_B_Click(1);
            for (QAction* item : main_->findChildren<QAction*>())
                item->trigger();
            main_->Form_MouseDown(Qt::RightButton, {});
            main_->close();
            log() << (main_->File->isVisible() ? "menu" : "ignored");
        };
        rig_->modal.script = [this](QDialog& w) {
            w.show();
            QVERIFY(QTest::qWaitForWindowExposed(&w));
            act(&w);
        };
        main_->show();
        QVERIFY(QTest::qWaitForWindowExposed(&*main_));
        QFETCH(QString, steps);
        steps_ = steps.split(", ");
        act(&*main_);
        QVERIFY2(steps_.isEmpty(), qPrintable(steps_.join(", ")));
        QString seen =
            log().join('|').replace(dir_->path() + "/Data", "@").replace(QDir::currentPath(), "~");
        if (QSysInfo::productType() == "windows") // native paths, a drive root's "C:\\" a "//"
            seen.replace(QDir::toNativeSeparators(QDir::currentPath()), "~").replace('\\', '/');
        for (QString cue : {"RUN_Kidou start", "EXE_KIDOU launch", "Button_Kouka button",
                            "Vasion_Hyouji version"})
            seen.replace("play " + cue.section(' ', 0, 0) + ".wav", "♪" + cue.section(' ', 1));
        QTEST(seen, "log");
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
        main_.reset(), rig_.reset(), dir_.reset();
        QVERIFY(QApplication::topLevelWidgets().isEmpty());
    }

    void startup_data() { table("startup"); }
    void startup() { run(); }
    void launch_data() { table("launch"); }
    void launch() { run(); }
    void menu_data() { table("menu"); }
    void menu() { run(); }
    void editor_data() { table("editor"); }
    void editor() { run(); }
    void chooser_data() { table("chooser"); }
    void chooser() { run(); }
    void keys_data() { table("keys"); }
    void keys() { run(); }
    void version_data() { table("version"); }
    void version() { run(); }
    void failures_data() { table("failures"); }
    void failures() { run(); }
};

QTEST_MAIN(TestWindows)
#include "tst_Windows.moc"
