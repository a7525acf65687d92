// What each kind of slot starts on Linux, for real, in a desktop of the test's own: programs,
// command lines, desktop entries, documents and folders. The recorder
// is every program: its record ("<session> <terminal>", its arguments) lands where it ran.

#include "chooser/ChooserFiles.h"
#include "platform/ProcessStarter.h"

#include <QTemporaryDir>
#include <QTest>
#include <unistd.h>

class TestLaunchTargets : public QObject {
    Q_OBJECT

    QTemporaryDir dir_;
    const QString shellName_ = "my prog; touch x $(id) `x` 'q' & .bin";
    const QString app_ = "[Desktop Entry]\nType=Application\nName=App\nExec=%1/rec ";
    template <typename... T> void row(const char* name, const T&... cells) {
        (QTest::newRow(name) << ... << cells);
    }
    QString at(QString text) const { return text.replace("%1", dir_.path()); }
    void write(const QString& path, const QString& text) {
        QFile f(at(path));
        QVERIFY(text.isEmpty() || (f.open(QIODevice::WriteOnly) && f.write(at(text).toUtf8())));
    }

private slots:
    void initTestCase() {
        QVERIFY(QDir(dir_.path()).mkpath("applications") && QDir(dir_.path()).mkpath("w"));
        write("%1/applications/v.desktop", app_ + "-v %f");
        write("%1/applications/o.desktop", app_ + "-o %f");
        // Which applications claim which types, as update-desktop-database gathers them.
        write("%1/applications/mimeinfo.cache",
              "[MIME Cache]\ninode/directory=v.desktop;\ntext/plain=o.desktop;v.desktop;");
        write("%1/mimeapps.list", "[Default Applications]\ntext/plain=v.desktop");
        // Records its session and terminal (from its status line, after its name), then its
        // arguments, where it runs.
        for (const QString& name :
             QStringList{"%1/rec", "%1/xterm", "%1/" + shellName_, "%1/w/wonly"}) {
            write(name,
                  "#!/bin/sh\nread -r r </proc/$$/stat\nr=${r##*) }\nr=${r#* * * }\ny=${r#* }\n"
                  "{ echo \"${r%% *} ${y%% *}\"; for a; do echo \"$a\"; done; } >record.part && "
                  "/bin/mv record.part record\n");
            QVERIFY(QFile::setPermissions(at(name), QFile::ReadOwner | QFile::ExeOwner));
        }
        write("%1/w/rec", "#!/bin/sh\necho wrong >record\n"); // not the one on the search path
        QVERIFY(QFile::setPermissions(at("%1/w/rec"), QFile::ReadOwner | QFile::ExeOwner));
        write("%1/noshebang", "touch x\n");
        QVERIFY(QFile::setPermissions(at("%1/noshebang"), QFile::ReadOwner | QFile::ExeOwner));
        // GLib reads these once, at its first use.
        for (const char* name :
             {"XDG_DATA_HOME", "XDG_DATA_DIRS", "XDG_CONFIG_HOME", "XDG_CONFIG_DIRS", "PATH"})
            qputenv(name, dir_.path().toLocal8Bit());
        QVERIFY(QDir::setCurrent(at("%1/w")));
    }

    void starts_data() {
        QTest::addColumn<QString>("slot");
        QTest::addColumn<QString>("text");   // written into the slot's file first
        QTest::addColumn<QString>("record"); // the folder it ran in, then its arguments
        // An executable: exactly the file the whole text names, else a command line split by
        // its quotes; never through a shell.
        row("a file name full of shell characters", "%1/" + shellName_, "", "w");
        row("quoted program and arguments", "\"%1/" + shellName_ + "\" a \"b c\"", "", "w|a|b c");
        row("on the search path, shell characters as arguments", "rec ; touch | $(id)", "",
            "w|;|touch|||$(id)");
        row("a bare name: the search path's, not the working folder's", "rec", "", "w");
        row("field codes", "%1/f.desktop", app_ + "a %f %F %u %U %i %c %k \"b c\"\nIcon=i",
            "w|a|--icon|i|App|%1/f.desktop|b c");
        row("Path", "%1/p.desktop", app_ + "x\nPath=%1", ".|x");
        row("Terminal", "%1/t.desktop", app_ + "x\nTerminal=true", "w|-e|%1/rec|x");
        row("document, default set", "%1/n.txt", "text", "w|-v|%1/n.txt");
        row("folder, one application for it", "%1/w", "", "w|-v|%1/w");
    }
    void starts() {
        QFETCH(QString, slot);
        QFETCH(QString, text);
        QFETCH(QString, record);
        write(slot, text);
        const Outcome started = SystemProcessStarter().start(at(slot));
        QVERIFY2(started.ok(), qPrintable(started.message()));
        QFile file(at("%1/" + record.section(u'|', 0, 0) + "/record"));
        QTRY_VERIFY(file.exists());
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QStringList lines = QString::fromUtf8(file.readAll()).split(u'\n');
        QVERIFY(file.remove());
        // A session of its own, without a controlling terminal.
        QVERIFY(lines[0].section(u' ', 0, 0).toLongLong() != getsid(0) && lines[0].endsWith(" 0"));
        QCOMPARE(lines.mid(1, lines.size() - 2).join(u'|'), at(record.section(u'|', 1)));
    }

    void fails_data() {
        QTest::addColumn<QString>("slot");
        QTest::addColumn<QString>("text");
        row("no such file", "%1/missing", "");
        row("executable text without #!", "%1/noshebang", "");
        row("blank", "  ", "");
        row("no entry group", "%1/b.desktop", "Exec=%1/rec");
        row("link entry", "%1/l.desktop", "[Desktop Entry]\nType=Link\nName=L\nURL=/");
        row("hidden entry", "%1/h.desktop", app_ + "x\nHidden=true");
        row("TryExec not installed", "%1/a.desktop", app_ + "x\nTryExec=absent");
        row("missing entry", "%1/m.desktop", "");
        row("document, no application", "%1/x.bin", QString(QChar(1)));
        row("a bare name only in the working folder", "wonly", "");
    }
    void fails() {
        QFETCH(QString, slot);
        QFETCH(QString, text);
        write(slot, text);
        QVERIFY(!SystemProcessStarter().start(at(slot)).ok());
    }

    void chooserListsEntries() {
        write("%1/c.desktop", app_);
        QVERIFY(ListChooserFiles(dir_.path(), {ProgramPattern, true}).contains("c.desktop"));
    }
};

QTEST_GUILESS_MAIN(TestLaunchTargets)
#include "tst_launch_targets.moc"
