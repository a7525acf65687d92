#include "ChooserKit.h"

#include <QFile>
#include <QListWidget>
#include <QTest>

void WriteTextFile(const QString& path, bool executable) {
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        qFatal("cannot write %s", qPrintable(path));
    file.write("#!/bin/sh\nexit 0\n");
    file.close();
    if (executable)
        file.setPermissions(file.permissions() | QFileDevice::ExeOwner | QFileDevice::ExeUser);
}

QStringList ItemTexts(const QListWidget* list) {
    QStringList texts;
    for (int row = 0; row < list->count(); ++row)
        texts << list->item(row)->text();
    return texts;
}

QListWidgetItem* FindItem(const QListWidget* list, const QString& text) {
    const QList<QListWidgetItem*> found = list->findItems(text, Qt::MatchExactly);
    return found.size() == 1 ? found.first() : nullptr;
}

void ClickItem(QListWidget* list, const QString& text) {
    QListWidgetItem* item = FindItem(list, text);
    QVERIFY2(item, qPrintable(text));
    list->scrollToItem(item);
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualItemRect(item).center());
}

QColor CentreColour(const QPixmap& picture) {
    const QImage image = picture.toImage();
    return image.pixelColor(image.width() / 2, image.height() / 2);
}

bool ColoursNear(const QColor& a, const QColor& b) {
    return qAbs(a.red() - b.red()) < 48 && qAbs(a.green() - b.green()) < 48 &&
           qAbs(a.blue() - b.blue()) < 48;
}
