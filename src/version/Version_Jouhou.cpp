#include "version/Version_Jouhou.h"

#include "common/Twips.h"
#include "launcher/Look.h"

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

Version_Jouhou::Version_Jouhou(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                          Qt::WindowMinMaxButtonsHint | Qt::WindowCloseButtonHint) {
    InstallJapaneseUi();
    setObjectName(QStringLiteral("Version_Jouhou"));
    setWindowTitle(QStringLiteral("バージョン情報"));
    setWindowIcon(NoIcon());
    setFixedSize(twips(5535), twips(3705));

    // Tab order follows creation; the labels take no focus, so "O K" is the only stop.
    Label5 =
        addLabel(this, "Label5", QStringLiteral("TESSELO Ver.1.1"), twipsRect(360, 360, 3495, 375));
    Label5->setFont(PGothicFont(12, false, true));
    Label6 = addLabel(this, "Label6", QStringLiteral("© 2026 TESSELO Project"),
                      twipsRect(360, 3120, 2895, 255));
    Label7 = addLabel(this, "Label7", QStringLiteral("動作環境　OS : Windows98/Me"),
                      twipsRect(360, 2640, 2895, 255));

    OK = new QPushButton(QStringLiteral("O K"), this);
    OK->setObjectName(QStringLiteral("OK"));
    OK->setGeometry(twipsRect(3840, 3000, 1335, 375));
    // Not the default button: Enter presses it because it has the focus, which it always has,
    // being the one control that takes it.
    PressOnEnter(OK);
    OK->setFocus();
    connect(OK, &QPushButton::clicked, this, [this] { OK_Click(); });
}

void Version_Jouhou::OK_Click() {
    accept();
}

void Version_Jouhou::keyPressEvent(QKeyEvent* event) {
    // There is no cancel button, so Esc has nothing to press.
    if (event->matches(QKeySequence::Cancel)) {
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}

void Version_Jouhou::closeEvent(QCloseEvent* event) {
    event->accept();
    OK_Click();
}
