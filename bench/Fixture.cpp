#include "Fixture.h"

#include "storage/SlotFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QPainter>
#include <QRadialGradient>

namespace {

constexpr int Slots = SlotCount;
constexpr int PictureSide = 960;

QString picturePath(const QString& root, int slot) {
    return QStringLiteral("%1/Pictures/slot%2.jpg").arg(root).arg(slot);
}

// Soft shapes and gradients compress like a photograph rather than like a flat fill.
QImage drawPicture(int slot) {
    QImage image(PictureSide, PictureSide, QImage::Format_RGB32);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    const QColor base = QColor::fromHsv((slot * 67) % 360, 160, 220);
    QRadialGradient background(QPointF(300, 300), 900);
    background.setColorAt(0, base.lighter(150));
    background.setColorAt(1, base.darker(250));
    p.fillRect(image.rect(), background);
    for (int i = 0; i < 40; ++i) {
        const int x = (i * 193 + slot * 71) % PictureSide;
        const int y = (i * 311 + slot * 137) % PictureSide;
        const int r = 20 + (i * 37) % 140;
        QColor c = QColor::fromHsv((slot * 67 + i * 29) % 360, 200, 240);
        c.setAlpha(140);
        p.setBrush(c);
        p.setPen(QPen(c.darker(), 3));
        p.drawEllipse(QPoint(x, y), r, r);
    }
    return image;
}

} // namespace

Fixture::Fixture(const QString& tesselo) {
    if (!dir_.isValid())
        error_ = QStringLiteral("cannot make a temporary folder: ") + dir_.errorString();
    else if (copyProgram(tesselo) && writePictures())
        writeSlotFile();
}

QString Fixture::program() const {
    return dir_.path() + QStringLiteral("/tesselo");
}

bool Fixture::copyProgram(const QString& tesselo) {
    const QDir from = QFileInfo(tesselo).dir();
    const QString root = dir_.path();
    QDir().mkpath(root + QStringLiteral("/Data/Sound"));
    // The executable, the modules it loads from beside itself, and the options and cues.
    QStringList files{QStringLiteral("tesselo"), QStringLiteral("Data/DataBase.FIL")};
    files << from.entryList({QStringLiteral("*.so")}, QDir::Files);
    for (const QString& wave : QDir(from.filePath(QStringLiteral("Data/Sound")))
                                   .entryList({QStringLiteral("*.wav")}, QDir::Files))
        files << QStringLiteral("Data/Sound/") + wave;
    for (const QString& file : files) {
        if (!QFile::copy(from.filePath(file), root + u'/' + file)) {
            error_ = QStringLiteral("cannot copy %1").arg(from.filePath(file));
            return false;
        }
    }
    return true;
}

bool Fixture::writePictures() {
    QDir().mkpath(dir_.path() + QStringLiteral("/Pictures"));
    for (int slot = 1; slot <= Slots; ++slot) {
        if (!drawPicture(slot).save(picturePath(dir_.path(), slot), "JPEG", 90)) {
            error_ = QStringLiteral("cannot write %1").arg(picturePath(dir_.path(), slot));
            return false;
        }
    }
    return true;
}

bool Fixture::writeSlotFile() {
    QByteArray records;
    for (int slot = 1; slot <= Slots; ++slot) {
        const SlotRecord record{QStringLiteral("スロット %1").arg(slot),
                                QStringLiteral("/bin/true"), picturePath(dir_.path(), slot)};
        QByteArray bytes;
        if (Outcome encoded = EncodeSlotRecord(slot, record, bytes); !encoded) {
            error_ = encoded.message();
            return false;
        }
        records += bytes;
    }
    QFile file(dir_.path() + QStringLiteral("/Data/SetUp.FIL"));
    if (!file.open(QIODevice::WriteOnly) || file.write(records) != records.size()) {
        error_ = QStringLiteral("cannot write %1").arg(file.fileName());
        return false;
    }
    return true;
}
