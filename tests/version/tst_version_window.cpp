// The version window: opened with its cue from the launcher's menu, its fixed content, and
// which keys and buttons close it.

#include "TestSeams.h"
#include "common/Module1.h"
#include "common/Twips.h"
#include "launcher/Look.h"
#include "launcher/Main.h"
#include "version/Version_Jouhou.h"

#include <QLabel>
#include <QPushButton>
#include <QTest>

class TestVersionWindow : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { QApplication::setWindowIcon(ProgramIcon()); }
    void init() { Module1::Reset(); }
    void cleanup() { QVERIFY(QApplication::topLevelWidgets().isEmpty()); }

    void opensWithItsCue() {
        TempAppDir dir;
        dir.writeData(QStringLiteral("DataBase.FIL"), "0,-1\r\n");
        TestRig rig;
        Main main(rig.seams());
        QList<QImage> seen;
        rig.modal.script = [&](QDialog& window) {
            QVERIFY(!window.parentWidget());
            rig.sound.calls << QStringLiteral("shown");
            seen << window.grab().toImage();
            window.accept();
        };

        main.Version->trigger();
        // With sound effects off it still opens, silently, and shows the same again.
        main.Koukaon_On_Off->setChecked(false);
        main.Version_Click();

        QCOMPARE(rig.sound.calls.mid(2), (QStringList{"play Vasion_Hyouji.wav", "shown", "shown"}));
        QCOMPARE(rig.modal.opened, (QStringList{"Version_Jouhou", "Version_Jouhou"}));
        QVERIFY(seen.size() == 2 && seen[1] == seen[0]);
        QVERIFY(main.findChildren<QDialog*>().isEmpty());
    }

    void layout_data() {
        QTest::addColumn<QString>("name"); // empty: the window itself
        QTest::addColumn<QString>("text");
        QTest::addColumn<QRect>("geometry");
        const auto row = [](const char* name, const char* text, QRect twips) {
            QTest::newRow(*name ? name : "window")
                << QString::fromLatin1(name) << QString::fromUtf8(text) << twips;
        };
        row("", "バージョン情報", twipsRect(0, 0, 5535, 3705));
        row("Label5", "TESSELO Ver.1.1", twipsRect(360, 360, 3495, 375));
        row("Label7", "動作環境\u3000OS : Windows98/Me", twipsRect(360, 2640, 2895, 255));
        row("Label6", "Copyright (C) 2026 TESSELO Project", twipsRect(360, 3120, 2895, 255));
        row("OK", "O K", twipsRect(3840, 3000, 1335, 375));
    }

    void layout() {
        QFETCH(QString, name);
        Version_Jouhou window;
        QWidget* control = name.isEmpty() ? &window : window.findChild<QWidget*>(name);
        QVERIFY(control);
        QTEST(control->property(name.isEmpty() ? "windowTitle" : "text").toString(), "text");
        QTEST(name.isEmpty() ? window.rect() : control->geometry(), "geometry");
    }

    void look() {
        Version_Jouhou window;
        QVERIFY(window.windowFlags().testFlags(Qt::WindowMinMaxButtonsHint));
        // No icon of its own, and not the program's either: a blank one.
        QImage blank = window.windowIcon().pixmap(16, 16).toImage();
        blank.fill(Qt::transparent);
        QCOMPARE(window.windowIcon().pixmap(16, 16).toImage(), blank);
        const QFont font = window.Label5->font();
        QCOMPARE(font.family(), QStringLiteral("ＭＳ Ｐゴシック"));
        QVERIFY(font.pointSizeF() == 12.0 && font.italic() && !font.bold());
    }

    void closes_data() {
        QTest::addColumn<int>("key"); // 0: the close box; -1: a click on "O K"
        QTest::addColumn<bool>("closed");
        QTest::newRow("Enter") << int(Qt::Key_Enter) << true;
        QTest::newRow("Return") << int(Qt::Key_Return) << true;
        QTest::newRow("space") << int(Qt::Key_Space) << true;
        QTest::newRow("Esc") << int(Qt::Key_Escape) << false;
        QTest::newRow("close box") << 0 << true;
        QTest::newRow("O K clicked") << -1 << true;
    }

    void closes() {
        QFETCH(int, key);
        QFETCH(bool, closed);
        Version_Jouhou window;
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        QCOMPARE(window.focusWidget(), window.OK);
        if (key > 0)
            QTest::keyClick(window.OK, Qt::Key(key));
        else if (key == 0)
            window.close();
        else
            QTest::mouseClick(window.OK, Qt::LeftButton);
        // Every way out is "O K"'s.
        QCOMPARE(window.isVisible(), !closed);
        QCOMPARE(window.result(), int(closed ? QDialog::Accepted : QDialog::Rejected));
    }
};

QTEST_MAIN(TestVersionWindow)
#include "tst_version_window.moc"
