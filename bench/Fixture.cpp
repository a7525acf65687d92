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

QString picturePath(const QString& root, int slot) {
    return QStringLiteral("%1/Pictures/slot%2.jpg").arg(root).arg(slot);
}

// Soft shapes and gradients compress like a photograph rather than like a flat fill; the grain
// gives a camera's file size.
QImage drawPicture(int slot, QSize size) {
    QImage image(size, QImage::Format_RGB32);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    // The shapes are laid out on a 960-pixel square and scaled to the picture.
    p.scale(size.width() / 960.0, size.height() / 960.0);
    const QColor base = QColor::fromHsv((slot * 67) % 360, 160, 220);
    QRadialGradient background(QPointF(300, 300), 900);
    background.setColorAt(0, base.lighter(150));
    background.setColorAt(1, base.darker(250));
    p.fillRect(QRect(0, 0, 960, 960), background);
    for (int i = 0; i < 40; ++i) {
        const int x = (i * 193 + slot * 71) % 960;
        const int y = (i * 311 + slot * 137) % 960;
        const int r = 20 + (i * 37) % 140;
        QColor c = QColor::fromHsv((slot * 67 + i * 29) % 360, 200, 240);
        c.setAlpha(140);
        p.setBrush(c);
        p.setPen(QPen(c.darker(), 3));
        p.drawEllipse(QPoint(x, y), r, r);
    }
    p.end();
    if (size.width() <= 960)
        return image;
    quint32 seed = 2463534242u + quint32(slot);
    for (int y = 0; y < image.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < image.width(); ++x) {
            seed ^= seed << 13;
            seed ^= seed >> 17;
            seed ^= seed << 5;
            const int grain = int(seed % 21) - 10;
            const QRgb c = line[x];
            line[x] = qRgb(qBound(0, qRed(c) + grain, 255), qBound(0, qGreen(c) + grain, 255),
                           qBound(0, qBlue(c) + grain, 255));
        }
    }
    return image;
}

} // namespace

bool WritePhoto(const QString& path, int slot, QSize size) {
    return drawPicture(slot, size).save(path, "JPEG", 90);
}

Fixture::Fixture(const QString& tesselo, QSize pictureSize, bool soundOn) {
    if (!dir_.isValid())
        error_ = QStringLiteral("cannot make a temporary folder: ") + dir_.errorString();
    else if (copyProgram(tesselo, soundOn) && writePictures(pictureSize))
        writeSlotFile();
}

QString Fixture::program() const {
    return dir_.path() + QStringLiteral("/tesselo");
}

bool Fixture::copyProgram(const QString& tesselo, bool soundOn) {
    const QDir from = QFileInfo(tesselo).dir();
    const QString root = dir_.path();
    QDir().mkpath(root + QStringLiteral("/Data/Sound"));
    QFile options(root + QStringLiteral("/Data/DataBase.FIL"));
    const QByteArray line = soundOn ? "-1,-1\r\n" : "-1,0\r\n";
    if (!options.open(QIODevice::WriteOnly) || options.write(line) != line.size()) {
        error_ = QStringLiteral("cannot write %1").arg(options.fileName());
        return false;
    }
    // The executable, the modules it loads from beside itself, and the cues.
    QStringList files{QStringLiteral("tesselo")};
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

bool Fixture::writePictures(QSize size) {
    QDir().mkpath(dir_.path() + QStringLiteral("/Pictures"));
    for (int slot = 1; slot <= Slots; ++slot) {
        if (!WritePhoto(picturePath(dir_.path(), slot), slot, size)) {
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
