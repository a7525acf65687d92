#include "widgets/CaptionFace.h"

#include <QApplication>
#include <QFontDatabase>
#include <QFontInfo>

// A face the font database lists but draws as another is a name standing in for a missing one:
// Wine lists "MS Shell Dlg" without its Tahoma and draws a serif face in its place.
void KeepCaptionFaceDrawable(const QString& gothic) {
    QFont captions = QApplication::font("QPushButton");
    if (QFontDatabase::hasFamily(captions.family()) &&
        QFontInfo(captions).family().compare(captions.family(), Qt::CaseInsensitive) != 0) {
        captions.setFamilies({gothic, captions.family()});
        QApplication::setFont(captions, "QPushButton");
    }
}
