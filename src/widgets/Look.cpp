#include "widgets/Look.h"

#include "widgets/CaptionFace.h"

#include <QApplication>
#include <QKeyEvent>
#include <QLibraryInfo>
#include <QPainter>
#include <QPushButton>
#include <QTranslator>

namespace {
const QString PGothic = QStringLiteral("ＭＳ Ｐゴシック");

// Qt presses a focused button on Enter only when it is a dialog's default candidate, which
// would also let Enter in a text box press it. This presses exactly the focused one.
class EnterPresses final : public QObject {
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() != QEvent::KeyPress)
            return false;
        const auto* key = static_cast<QKeyEvent*>(event);
        if (key->key() != Qt::Key_Return && key->key() != Qt::Key_Enter)
            return false;
        if ((key->modifiers() & ~Qt::KeypadModifier) != Qt::NoModifier)
            return false;
        // Key events reach a button only while it is its window's focus widget.
        auto* button = static_cast<QPushButton*>(watched);
        if (button->isEnabled())
            button->click();
        return true;
    }
};
} // namespace

void PressOnEnter(QPushButton* button) {
    button->setAutoDefault(false);
    button->setDefault(false);
    button->installEventFilter(new EnterPresses(button));
}

void InstallJapaneseUi() {
    static bool installed = false;
    if (installed || !qApp)
        return;
    installed = true;
    QFont::insertSubstitutions(PGothic, {QStringLiteral("MS PGothic"), QStringLiteral("IPAPGothic"),
                                         QStringLiteral("IPA Pゴシック")});
    KeepCaptionFaceDrawable(PGothic);
    auto* translator = new QTranslator(qApp);
    if (translator->load(QLocale(QLocale::Japanese, QLocale::Japan), QStringLiteral("qtbase"),
                         QStringLiteral("_"), QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QCoreApplication::installTranslator(translator);
    else
        delete translator;
}

QFont PGothicFont(qreal pointSize, bool bold, bool italic) {
    QFont font(PGothic);
    font.setPointSizeF(pointSize);
    font.setBold(bold);
    font.setItalic(italic);
    return font;
}

QImage ProgramIconImage(int size) {
    // Five tiles stacked like the launcher's slots, each with its picture square at the right.
    QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.scale(size / 32.0, size / 32.0);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0x1f, 0x3a, 0x68));
    p.drawRoundedRect(QRectF(0.5, 0.5, 31, 31), 5, 5);
    const QColor tiles[] = {QColor(0xf2, 0x6b, 0x3a), QColor(0xf7, 0xb5, 0x2c),
                            QColor(0x5c, 0xc2, 0x6e), QColor(0x3d, 0xa5, 0xd9),
                            QColor(0xb0, 0x7c, 0xe0)};
    for (int i = 0; i < 5; ++i) {
        const qreal y = 3 + i * 5.4;
        p.setBrush(QColor(255, 255, 255, 220));
        p.drawRoundedRect(QRectF(4, y + 1.2, 16, 2.4), 1, 1);
        p.setBrush(tiles[i]);
        p.drawRoundedRect(QRectF(22, y, 6.5, 4.6), 1.2, 1.2);
    }
    return image;
}

QIcon ProgramIcon() {
    QIcon icon;
    for (int size : {16, 24, 32, 48, 64})
        icon.addPixmap(QPixmap::fromImage(ProgramIconImage(size)));
    return icon;
}

Qt::WindowFlags FixedWindowFlags() {
    return Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
           Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint;
}
