// The version window: opened with its cue from the launcher's menu, its fixed content, and
// which keys and buttons close it.

#include "TestSeams.h"
#include "common/Module1.h"
#include "common/Twips.h"
#include "launcher/Look.h"
#include "launcher/Main.h"
#include "version/Version_Jouhou.h"

#include <QAccessible>
#include <QLabel>
#include <QPushButton>
#include <QTest>

namespace {
// What one opening showed: every control's name, text and geometry, and the caption.
QStringList contentOf(const QDialog& window) {
    QStringList content{window.windowTitle(), QString::number(window.width()),
                        QString::number(window.height())};
    for (const QWidget* w : window.findChildren<QWidget*>()) {
        const auto* label = qobject_cast<const QLabel*>(w);
        const auto* button = qobject_cast<const QPushButton*>(w);
        const QRect g = w->geometry();
        content << QStringLiteral("%1|%2|%3,%4,%5,%6")
                       .arg(w->objectName(), label    ? label->text()
                                             : button ? button->text()
                                                      : QString())
                       .arg(g.x())
                       .arg(g.y())
                       .arg(g.width())
                       .arg(g.height());
    }
    return content;
}

bool isBlank(const QIcon& icon) {
    if (icon.isNull())
        return false;
    const QImage image = icon.pixmap(16, 16).toImage().convertToFormat(QImage::Format_ARGB32);
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (qAlpha(image.pixel(x, y)) != 0)
                return false;
    return true;
}
} // namespace

class TestVersionWindow : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { QApplication::setWindowIcon(ProgramIcon()); }
    void init() { Module1::Reset(); }
    void cleanup() { QVERIFY(QApplication::topLevelWidgets().isEmpty()); }

    void opensWithItsCue_data();
    void opensWithItsCue();
    void layout_data();
    void layout();
    void window();
    void closes_data();
    void closes();
};

void TestVersionWindow::opensWithItsCue_data() {
    QTest::addColumn<QByteArray>("options");
    QTest::addColumn<QStringList>("cues");
    QTest::newRow("sound on") << QByteArray("0,-1\r\n")
                              << QStringList{QStringLiteral("Vasion_Hyouji.wav")};
    QTest::newRow("sound off") << QByteArray("0,0\r\n") << QStringList();
}

void TestVersionWindow::opensWithItsCue() {
    QFETCH(QByteArray, options);
    QFETCH(QStringList, cues);

    TempAppDir dir;
    dir.writeData(QStringLiteral("DataBase.FIL"), options);
    TestRig rig;
    Main main(rig.seams());
    rig.sound.calls.clear();
    QList<QStringList> seen;
    QStringList cuesBeforeOpening;
    rig.modal.script = [&](QDialog& window) {
        cuesBeforeOpening = rig.sound.plays();
        QVERIFY(!window.parentWidget());
        seen << contentOf(window);
        window.accept();
    };

    main.Version->trigger();
    QCOMPARE(cuesBeforeOpening, cues);
    main.Version_Click();

    QCOMPARE(rig.modal.opened, (QStringList{"Version_Jouhou", "Version_Jouhou"}));
    QCOMPARE(seen.size(), 2);
    QCOMPARE(seen[1], seen[0]);
    QVERIFY(main.findChildren<QDialog*>().isEmpty());
}

void TestVersionWindow::layout_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QRect>("geometry");

    QTest::newRow("version") << "Label5"
                             << "TESSELO Ver.1.1" << twipsRect(360, 360, 3495, 375);
    QTest::newRow("environment") << "Label7" << QStringLiteral("動作環境\u3000OS : Windows98/Me")
                                 << twipsRect(360, 2640, 2895, 255);
    QTest::newRow("copyright") << "Label6"
                               << "Copyright (C) 2026 TESSELO Project"
                               << twipsRect(360, 3120, 2895, 255);
    QTest::newRow("button") << "OK"
                            << "O K" << twipsRect(3840, 3000, 1335, 375);
}

void TestVersionWindow::layout() {
    QFETCH(QString, name);
    QFETCH(QString, text);
    QFETCH(QRect, geometry);

    Version_Jouhou window;
    auto* control = window.findChild<QWidget*>(name);
    QVERIFY(control);
    QCOMPARE(control->geometry(), geometry);
    if (auto* label = qobject_cast<QLabel*>(control)) {
        QCOMPARE(label->text(), text);
        QCOMPARE(label->focusPolicy(), Qt::NoFocus);
        QAccessibleInterface* accessible = QAccessible::queryAccessibleInterface(label);
        QVERIFY(accessible);
        QCOMPARE(accessible->text(QAccessible::Name), text);
    } else {
        QCOMPARE(qobject_cast<QPushButton*>(control)->text(), text);
    }
}

void TestVersionWindow::window() {
    Version_Jouhou window;
    QCOMPARE(window.windowTitle(), QStringLiteral("バージョン情報"));
    QCOMPARE(window.size(), twipsRect(0, 0, 5535, 3705).size());
    QCOMPARE(window.minimumSize(), window.maximumSize());
    QVERIFY(window.windowFlags().testFlag(Qt::WindowMinimizeButtonHint));
    QVERIFY(window.windowFlags().testFlag(Qt::WindowMaximizeButtonHint));
    // No icon of its own, and not the program's either.
    QVERIFY(isBlank(window.windowIcon()));

    const QFont font = window.Label5->font();
    QCOMPARE(font.family(), QStringLiteral("ＭＳ Ｐゴシック"));
    QCOMPARE(font.pointSizeF(), 12.0);
    QVERIFY(font.italic());
    QVERIFY(!font.bold());
    QVERIFY(!window.OK->isDefault());
}

void TestVersionWindow::closes_data() {
    QTest::addColumn<int>("key"); // 0: the close box; -1: a click on "O K"
    QTest::addColumn<bool>("closed");

    QTest::newRow("Enter") << int(Qt::Key_Enter) << true;
    QTest::newRow("Return") << int(Qt::Key_Return) << true;
    QTest::newRow("space") << int(Qt::Key_Space) << true;
    QTest::newRow("Esc") << int(Qt::Key_Escape) << false;
    QTest::newRow("close box") << 0 << true;
    QTest::newRow("O K clicked") << -1 << true;
}

void TestVersionWindow::closes() {
    QFETCH(int, key);
    QFETCH(bool, closed);

    TempAppDir dir;
    TestRig rig;
    Main main(rig.seams());
    bool stillOpen = true;
    int result = -1;
    rig.modal.script = [&](QDialog& window) {
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        QCOMPARE(window.focusWidget(), window.findChild<QWidget*>(QStringLiteral("OK")));
        if (key > 0)
            QTest::keyClick(window.focusWidget(), Qt::Key(key));
        else if (key == 0)
            window.close();
        else
            QTest::mouseClick(window.findChild<QPushButton*>(QStringLiteral("OK")), Qt::LeftButton);
        stillOpen = window.isVisible();
        result = window.result();
        if (stillOpen)
            window.done(QDialog::Rejected);
    };

    main.Version_Click();

    QCOMPARE(!stillOpen, closed);
    // Every way out is "O K"'s.
    if (closed)
        QCOMPARE(result, int(QDialog::Accepted));
}

QTEST_MAIN(TestVersionWindow)
#include "tst_version_window.moc"
