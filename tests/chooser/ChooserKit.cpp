#include "ChooserKit.h"

#include "common/Module1.h"
#include "launcher/Picture.h"

#include <QFile>
#include <QListWidget>
#include <QTest>

LauncherRig::LauncherRig(const QByteArray& slotFile) {
    Module1::Reset();
    app.writeData(QStringLiteral("DataBase.FIL"), "0,-1\r\n");
    app.writeData(QStringLiteral("SetUp.FIL"), slotFile);
    main = std::make_unique<Main>(rig.seams());
    QVERIFY(rig.messages.shown.isEmpty());
    rig.sound.calls.clear();
}

QStringList LauncherRig::messages() const {
    QStringList texts;
    for (const auto& shown : rig.messages.shown)
        texts << (shown.icon == MessageIcon::Error ? QStringLiteral("error: ")
                                                   : QStringLiteral("info: ")) +
                     shown.text;
    return texts;
}

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

bool ShowsColour(const PictureBox* box, const QColor& colour) {
    if (!colour.isValid() || !box->hasPicture())
        return colour.isValid() == box->hasPicture();
    const QImage image = box->picture().toImage();
    const QColor c = image.pixelColor(image.width() / 2, image.height() / 2);
    return qAbs(c.red() - colour.red()) < 48 && qAbs(c.green() - colour.green()) < 48 &&
           qAbs(c.blue() - colour.blue()) < 48;
}
