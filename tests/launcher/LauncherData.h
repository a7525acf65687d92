#pragma once

#include "TestSeams.h"
#include "launcher/Main.h"

#include <QStringList>

// A launcher over a fresh program folder: slot i is named "slot<i>", starts programs[i - 1]
// (empty: nothing) and shows a picture; the options file holds `options` ("-1,0\r\n").
struct Launcher {
    Launcher(const QStringList& programs, const QByteArray& options)
        : main(prepare(programs, options)) {}
    TempAppDir dir;
    TestRig rig;
    Main main;

    QByteArray options() const { return dir.readData(QStringLiteral("DataBase.FIL")); }

private:
    Seams prepare(const QStringList& programs, const QByteArray& options) {
        QByteArray records;
        for (int i = 1; i <= 5; ++i) {
            const QString picture = dir.dataPath(QStringLiteral("pic%1.png").arg(i));
            WritePicture(picture, "png");
            records += RecordBytes("slot" + QByteArray::number(i), programs.value(i - 1).toUtf8(),
                                   picture.toUtf8());
        }
        dir.writeData(QStringLiteral("SetUp.FIL"), records);
        dir.writeData(QStringLiteral("DataBase.FIL"), options);
        return rig.seams();
    }
};

// Each message box shown, as "<icon> <title> <text>" with the icon as E(rror), I(nformation)
// or Q(uestion).
inline QStringList BoxesOf(const RecordingMessageBoxes& messages) {
    QStringList boxes;
    for (const auto& box : messages.shown)
        boxes << (box.icon == MessageIcon::Error         ? QStringLiteral("E ")
                  : box.icon == MessageIcon::Information ? QStringLiteral("I ")
                                                         : QStringLiteral("Q ")) +
                     box.title + u' ' + box.text;
    return boxes;
}
