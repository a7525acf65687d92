// The shared thumbnail cache in each of its states: the picture shown, the entries left, start-up.

#include "TestSeams.h"
#include "launcher/LauncherWindow.h"
#include "pictures/PictureFile.h"
#include "widgets/PictureBox.h"

#include <QBuffer>
#include <QCryptographicHash>
#include <QDirIterator>
#include <QElapsedTimer>
#include <QImageWriter>
#include <QTest>
#include <QUrl>
#include <QtEndian>
#include <sys/resource.h>
#include <sys/stat.h>

// From ReadOnly on the cache has a folder, from Valid on an entry for the picture.
enum State { None, NoPicture, ReadOnly, Valid, StaleTime, OtherUri, Damaged, PictureGone };

static QString colour(const QImage& image) {
    const QColor c = image.isNull() ? QColor() : image.pixelColor(image.rect().center());
    return c == Qt::red ? "red" : c == Qt::blue ? "blue" : "none";
}

constexpr auto Md5 = QCryptographicHash::Md5;
const auto uriOf = [](const QString& path) { return QUrl::fromLocalFile(path).toEncoded(); };

// Each entry as "<folder> <colour>", marked unless its URI and modification time are `keys`.
static QString entries(const QString& cache, const QString& keys) {
    QStringList found;
    for (QDirIterator it(cache, QDir::Files, QDirIterator::Subdirectories); it.hasNext();) {
        const QFileInfo file(it.next());
        const QImage entry(file.filePath(), "PNG");
        const bool made = entry.text("Thumb::URI") + entry.text("Thumb::MTime") == keys;
        found << QDir(cache).relativeFilePath(file.path()) + ' ' + colour(entry) +
                     (made ? "" : " stale") + (file.permissions() & 0x77 ? " open" : "");
    }
    return found.join(", ");
}

class TestThumbnails : public QObject {
    Q_OBJECT

private slots:
    void cacheStates_data() {
        QTest::addColumn<int>("state");
        QTest::addColumn<qreal>("ratio");      // device pixels to the pixel; the frame is 64 x 64
        QTest::addColumn<QString>("expected"); // red: the picture, blue: the thumbnail shown
        QTest::newRow("none") << int(None) << 1.0 << "red: normal red";
        QTest::newRow("none, frame of 128") << int(None) << 2.0 << "red: normal red";
        QTest::newRow("none, frame of 192") << int(None) << 3.0 << "red: large red";
        QTest::newRow("valid") << int(Valid) << 1.0 << "blue: normal blue";
        QTest::newRow("valid large") << int(Valid) << 3.0 << "blue: large blue";
        QTest::newRow("stale time") << int(StaleTime) << 1.0 << "red: normal red";
        QTest::newRow("other URI") << int(OtherUri) << 1.0 << "red: normal red";
        QTest::newRow("damaged PNG") << int(Damaged) << 1.0 << "red: normal red";
        QTest::newRow("cache not writable") << int(ReadOnly) << 1.0 << "red: ";
        QTest::newRow("picture gone") << int(PictureGone) << 1.0 << "failed: normal blue";
        QTest::newRow("no picture") << int(NoPicture) << 1.0 << "failed: ";
    }

    void hostile_data();
    void hostile();

    void cacheStates() {
        QFETCH(int, state);
        QFETCH(qreal, ratio);
        QTemporaryDir home;
        qputenv("XDG_CACHE_HOME", home.path().toUtf8());
        // A bitmap, large enough a file to be decoded ahead at start-up.
        const QString picture = home.path() + "/photo #1.bmp", cache = home.path() + "/thumbnails";
        QImage photo(300, 300, QImage::Format_RGB32), thumbnail(128, 128, QImage::Format_RGB32);
        photo.fill(Qt::red);
        thumbnail.fill(Qt::blue);
        QVERIFY(state == NoPicture ? QFile(picture).open(QIODevice::WriteOnly)
                                   : photo.save(picture));
        const QString mtime = QString::number(QFileInfo(picture).lastModified().toSecsSinceEpoch());
        const QString entry = cache + (ratio > 2 ? "/large/" : "/normal/") +
                              QCryptographicHash::hash(uriOf(picture), Md5).toHex() + ".png";
        thumbnail.setText("Thumb::URI", uriOf(state == OtherUri ? picture + "~" : picture));
        thumbnail.setText("Thumb::MTime",
                          state == StaleTime ? QString::number(mtime.toLongLong() - 1) : mtime);
        // A cache that cannot be written: a file stands where its folder would be.
        QVERIFY(state == ReadOnly ? QFile(cache).open(QIODevice::WriteOnly)
                                  : state < ReadOnly || QDir().mkpath(QFileInfo(entry).path()));
        QVERIFY(state < Valid ||
                (thumbnail.save(entry) && QFile::setPermissions(entry, QFile::ReadOwner) &&
                 (state != Damaged || QFile::resize(entry, 60))));
        QVERIFY(state != PictureGone || QFile::remove(picture));

        QPixmap shown;
        const bool loaded = LoadPictureFile(picture, QSize(64, 64), ratio, shown).ok();
        QTEST((loaded ? colour(shown.toImage()) : "failed") + ": " +
                  entries(cache, uriOf(picture) + mtime),
              "expected");

        // Start-up, which decodes this picture ahead, shows it as loading it shows it, or stops
        // at it with the one message; the next slot stays empty.
        TempAppDir app;
        app.writeData("SetUp.FIL", RecordBytes("1", "", picture.toUtf8()).repeated(2));
        app.writeData("DataBase.FIL", "0,0\r\n");
        TestRig rig;
        const LauncherWindow main(rig.seams());
        QCOMPARE(rig.messages.texts.join("") + main.findChild<QLabel*>("P_Name_L_2")->text() +
                     colour(main.findChild<PictureBox*>("Load_Image_1")->picture().toImage()),
                 loaded ? "1" + colour(shown.toImage()) : "画像読込に失敗none");
    }
};

static QByteArray png(const QImage& image) {
    QBuffer png;
    png.open(QIODevice::WriteOnly);
    image.save(&png, "PNG");
    return png.data();
}

// The PNG with `count` compressed texts of a megabyte each (about a kilobyte in the file).
static QByteArray withTexts(QByteArray png, int count) {
    const QByteArray chunk = "zTXtk\0\0" + qCompress(QByteArray(1 << 20, 'a'), 9).mid(4);
    quint32 crc = ~0u;
    for (const char byte : chunk) {
        crc ^= uchar(byte);
        for (int bit = 0; bit < 8; ++bit)
            crc = (crc >> 1) ^ (0xedb88320u & (0u - (crc & 1)));
    }
    const auto bigEndian = [](quint32 v) {
        v = qToBigEndian(v);
        return QByteArray(reinterpret_cast<const char*>(&v), 4);
    };
    QByteArray texts;
    for (int i = 0; i < count; ++i)
        texts += bigEndian(quint32(chunk.size() - 4)) + chunk + bigEndian(~crc);
    return png.insert(33, texts);
}

static long peakMegabytes() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss / 1024;
}

// Files and cache entries made to hang, exhaust or fool the loader: each loads as a plain
// picture, or fails as a missing one does, in a bounded time and memory.
void TestThumbnails::hostile_data() {
    QTest::addColumn<QByteArray>("picture");
    QTest::addColumn<QString>("entry"); // what stands in the cache: "<folder> fifo|texts|valid"
    QTest::addColumn<QString>("expected");
    QImage red(300, 300, QImage::Format_RGB32);
    red.fill(Qt::red);
    const QByteArray photo = png(red);
    QBuffer jpeg;
    jpeg.open(QIODevice::WriteOnly);
    QImageWriter writer(&jpeg, "jpeg");
    writer.setProgressiveScanWrite(true);
    QVERIFY(writer.write(red.scaled(8, 8)));
    QByteArray huge = jpeg.data();
    huge.replace(huge.indexOf("\xff\xc2") + 5, 4, QByteArray::fromHex("9c3f9c3f")); // 39999
    for (const char* folder : {"normal", "large", "fail/tesselo"})
        QTest::addRow("FIFO in %s/", folder) << photo << QString(folder) + " fifo"
                                             << "red";
    QTest::newRow("entry of 200 compressed texts") << photo << "normal texts"
                                                   << "red";
    QTest::newRow("picture of 200 compressed texts") << withTexts(photo, 200) << ""
                                                     << "red";
    QTest::newRow("progressive JPEG declaring 39999 x 39999") << huge << ""
                                                              << "failed";
    QTest::newRow("thumbnail of a file that is no picture")
        << QByteArray("GIF89a?") << "normal valid"
        << "failed";
    QTest::newRow("thumbnail of a JPEG over the limit") << huge << "normal valid"
                                                        << "failed";
}

void TestThumbnails::hostile() {
    QFETCH(QByteArray, picture);
    QFETCH(QString, entry);
    QTemporaryDir home;
    qputenv("XDG_CACHE_HOME", home.path().toUtf8());
    const QString path = home.path() + "/picture";
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly) && file.write(picture) == picture.size());
    file.close();
    const QString folder = home.path() + "/thumbnails/" + entry.section(' ', 0, 0);
    const QString at = folder + '/' + QCryptographicHash::hash(uriOf(path), Md5).toHex() + ".png";
    QImage blue(128, 128, QImage::Format_RGB32);
    blue.fill(Qt::blue);
    blue.setText("Thumb::URI", uriOf(path));
    blue.setText("Thumb::MTime",
                 QString::number(QFileInfo(path).lastModified().toSecsSinceEpoch()));
    QVERIFY(QDir().mkpath(folder));
    if (entry.endsWith("fifo"))
        QVERIFY(!mkfifo(QFile::encodeName(at), 0600));
    QFile thumbnail(at);
    if (entry.endsWith("texts") || entry.endsWith("valid"))
        QVERIFY(thumbnail.open(QIODevice::WriteOnly) &&
                thumbnail.write(withTexts(png(blue), entry.endsWith("texts") ? 200 : 0)) > 0);
    thumbnail.close();
    const long before = peakMegabytes();
    QElapsedTimer clock;
    clock.start();
    QPixmap shown;
    const bool loaded = LoadPictureFile(path, QSize(64, 64), 1.0, shown).ok();
    qInfo("%lld ms, peak %ld MB more", clock.elapsed(), peakMegabytes() - before);
    QTEST(loaded ? colour(shown.toImage()) : "failed", "expected");
    QVERIFY(peakMegabytes() - before < 256 && clock.elapsed() < 5000);
}

QTEST_MAIN(TestThumbnails)
#include "tst_thumbnails.moc"
