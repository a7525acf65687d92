#pragma once

#include <QSize>
#include <QString>
#include <QTemporaryDir>

// Writes a JPEG picture of the given size for slot `slot` that compresses like a photograph:
// soft shapes, gradients and sensor-like grain, about 3.4 MB at 4000 x 3000.
bool WritePhoto(const QString& path, int slot, QSize size);

// A program folder for the start-up benchmark: a copy of the built tesselo with its modules and
// Data, and five slots whose pictures are JPEG files of `pictureSize`, so that start-up reads
// the slot file, decodes five pictures, loads the options and, with sound effects on, plays the
// start-up cue.
class Fixture {
public:
    // `tesselo` is the built executable; its modules and cues are copied from beside it. The
    // options file says close-after-launch on and sound effects as `soundOn` says.
    Fixture(const QString& tesselo, QSize pictureSize, bool soundOn = true);

    bool isValid() const { return error_.isEmpty(); }
    QString error() const { return error_; }
    QString program() const;

private:
    bool copyProgram(const QString& tesselo, bool soundOn);
    bool writePictures(QSize size);
    bool writeSlotFile();

    QTemporaryDir dir_;
    QString error_;
};
