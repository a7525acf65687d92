#pragma once

#include <QString>
#include <QTemporaryDir>

// A program folder for the start-up benchmark: a copy of the built tesselo with its modules and
// Data, and five slots whose pictures are 960 x 960 JPEG files, so that start-up reads the
// slot file, decodes five pictures, loads the options and plays the start-up cue.
class Fixture {
public:
    // `tesselo` is the built executable; its modules and Data are copied from beside it.
    explicit Fixture(const QString& tesselo);

    bool isValid() const { return error_.isEmpty(); }
    QString error() const { return error_; }
    QString program() const;

private:
    bool copyProgram(const QString& tesselo);
    bool writePictures();
    bool writeSlotFile();

    QTemporaryDir dir_;
    QString error_;
};
