// Where Data is found, and a slot file that may be read but not written, as an ordinary user
// meets them: permissions do not stop root, so as root the test becomes nobody.

#include "TestSeams.h"
#include "launcher/LauncherWindow.h"
#include "storage/DataFolder.h"
#include "storage/DataLocation.h"

#include <QAction>
#include <QLabel>
#include <QTest>

#include <QElapsedTimer>
#include <grp.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>
#include <utime.h>

class TestDataLocation : public QObject {
    Q_OBJECT

private slots:
    void whereDataIs_data() {
        QTest::addColumn<QString>("readOnly");    // in the program folder
        QTest::addColumn<QString>("xdgDataHome"); // in the home folder; empty: not set
        QTest::addColumn<QString>("dataDir");     // in the home folder; empty: the program's
        QTest::addColumn<QStringList>("shown");   // by erase-all and "パス設定"
        const auto row = [](const char* name, const char* readOnly, const char* xdg,
                            const char* dataDir, const QStringList& shown) {
            QTest::newRow(name) << QString(readOnly) << QString(xdg) << QString(dataDir) << shown;
        };
        const QStringList usable = {"すべて消去しますか?", "SetUp"};
        const QString refusal = "スロットを保存できません。スロットファイル <Data>/SetUp.FIL "
                                "に書き込めません: <reason>";
        row("writable program folder", "Data/Sound", "x", "", usable);
        row("read-only program folder", "Data", "x", "x/TESSELO/Data", usable);
        row("no XDG_DATA_HOME", "Data", "", ".local/share/TESSELO/Data", usable);
        row("read-only slot file", "Data/SetUp.FIL", "x", "", {refusal, refusal});
    }

    void whereDataIs() {
        QFETCH(QString, readOnly);
        QFETCH(QString, xdgDataHome);
        QFETCH(QString, dataDir);
        TempAppDir app;
        QTemporaryDir home;
        qputenv("HOME", QFile::encodeName(home.path()));
        qputenv("XDG_DATA_HOME", QFile::encodeName(home.filePath(xdgDataHome)));
        if (xdgDataHome.isEmpty())
            qunsetenv("XDG_DATA_HOME");
        app.writeData("SetUp.FIL", RecordBytes("slot1", "/bin/true", ""));
        app.writeData("DataBase.FIL", "0,-1\r\n");
        app.writeData("Sound/RUN_Kidou.wav", "RIFF");
        const QString program = app.path() + "/Data", locked = app.path() + '/' + readOnly;
        QFile::setPermissions(locked, QFile::ReadOwner | QFile::ExeOwner);
        const auto installed = SnapshotFiles(program);
        TestRig rig;
        rig.messages.answer = MessageAnswer::No;
        LauncherWindow main(rig.seams());
        main.findChild<QAction*>("Format")->trigger();
        main.findChild<QAction*>("Path_Setei")->trigger();
        QCOMPARE(main.findChild<QLabel*>("P_Name_L_1")->text(), "slot1");
        const QString reason = qt_error_string(EACCES);
        QTEST(rig.messages.texts.replaceInStrings(program, "<Data>")
                      .replaceInStrings(reason, "<reason>") +
                  rig.log.filter("modal ").replaceInStrings("modal ", ""),
              "shown");
        QCOMPARE(DataDirPath(), dataDir.isEmpty() ? program : home.filePath(dataDir));
        main.close(); // saves the options as they were read
        QCOMPARE(SnapshotFiles(DataDirPath()), installed);
        QCOMPARE(SnapshotFiles(program), installed);
        QFile::setPermissions(locked, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    }

    // A read-only Data that holds a link to a FIFO, a sparse 4 GiB slot file and a file the
    // launcher does not know, beside a staging folder a killed copy left: the copy takes what is
    // read of the known files, at once, and the leftover goes.
    void copiesWhatIsRead() {
        TempAppDir app;
        QTemporaryDir home;
        const QString user = home.filePath("TESSELO/Data"),
                      left = home.filePath("TESSELO/Data-dead00");
        app.writeData("SetUp.FIL", RecordBytes("slot1", "", ""));
        app.writeData("notes.txt", "x");
        app.writeData("DataBase.FIL", "0,-1\r\n");
        QDir().mkpath(app.dataPath("Sound"));
        QVERIFY(QFile::resize(app.dataPath("SetUp.FIL"), qint64(4) << 30));
        QVERIFY(!mkfifo(QFile::encodeName(home.filePath("fifo")), 0600) &&
                QFile::link(home.filePath("fifo"), app.dataPath("Sound/RUN_Kidou.wav")));
        const utimbuf old{946684800, 946684800}; // 2000
        QVERIFY(QDir().mkpath(left) && !utime(QFile::encodeName(left), &old));
        chmod(QFile::encodeName(app.path() + "/Data"), 0555);
        QElapsedTimer clock;
        clock.start();
        QCOMPARE(LocateDataDir(app.path() + "/Data", user), user);
        QVERIFY(clock.elapsed() < 2000);
        QCOMPARE(QDir(user).entryList(QDir::Files | QDir::AllDirs | QDir::NoDotAndDotDot),
                 QStringList({"DataBase.FIL", "SetUp.FIL"}));
        QCOMPARE(QFileInfo(user + "/SetUp.FIL").size(), 2500);
        QVERIFY(!QFileInfo::exists(left));
        chmod(QFile::encodeName(app.path() + "/Data"), 0755);
    }
};

int main(int argc, char** argv) {
    const passwd* nobody = geteuid() == 0 ? getpwnam("nobody") : nullptr;
    if (nobody && (setgroups(0, nullptr) || setgid(nobody->pw_gid) || setuid(nobody->pw_uid)))
        qFatal("cannot become nobody");
    QApplication app(argc, argv);
    TestDataLocation test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_data_location.moc"
