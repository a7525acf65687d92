#include "version/VersionWindow.h"

#include "common/Twips.h"
#include "widgets/Look.h"

#include <QCloseEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QPixmap>
#include <QPushButton>

namespace {
QLabel* addLabel(QWidget* parent, const char* name, const QString& text, QRect geometry) {
    auto* label = new QLabel(text, parent);
    label->setObjectName(QString::fromLatin1(name));
    label->setGeometry(geometry);
    return label;
}

// An empty icon would make Qt show the application's icon instead; a single transparent
// pixel is an icon that shows nothing.
QIcon NoIcon() {
    QPixmap blank(1, 1);
    blank.fill(Qt::transparent);
    return QIcon(blank);
}
} // namespace

VersionWindow::VersionWindow(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                          Qt::WindowMinMaxButtonsHint | Qt::WindowCloseButtonHint) {
    InstallJapaneseUi();
    setObjectName(QStringLiteral("Version_Jouhou"));
    setWindowTitle(QStringLiteral("バージョン情報"));
    setWindowIcon(NoIcon());
    setFixedSize(twips(5535), twips(3705));

    // Tab order follows creation; the labels take no focus, so "O K" is the only stop.
    QLabel* title =
        addLabel(this, "Label5", QStringLiteral("TESSELO Ver.1.1"), twipsRect(360, 360, 3495, 375));
    title->setFont(PGothicFont(12, false, true));
    addLabel(this, "Label6", QStringLiteral("© 2026 TESSELO Project"),
             twipsRect(360, 3120, 2895, 255));
    addLabel(this, "Label7", QStringLiteral("動作環境　OS : Windows98/Me"),
             twipsRect(360, 2640, 2895, 255));

    auto* ok = new QPushButton(QStringLiteral("O K"), this);
    ok->setObjectName(QStringLiteral("OK"));
    ok->setGeometry(twipsRect(3840, 3000, 1335, 375));
    // Not the default button: Enter presses it because it has the focus, which it always has,
    // being the one control that takes it.
    PressOnEnter(ok);
    ok->setFocus();
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
}

void VersionWindow::keyPressEvent(QKeyEvent* event) {
    // There is no cancel button, so Esc has nothing to press.
    if (event->matches(QKeySequence::Cancel)) {
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}

void VersionWindow::closeEvent(QCloseEvent* event) {
    event->accept();
    accept();
}
