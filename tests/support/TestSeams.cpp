#include "TestSeams.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QtEndian>

MessageAnswer RecordingMessageBoxes::show(QWidget*, MessageIcon icon, const QString& title,
                                          const QString& text) {
    shown.append({icon, title, text});
    return icon == MessageIcon::Question ? answer : MessageAnswer::Ok;
}

QStringList RecordingMessageBoxes::texts() const {
    QStringList result;
    for (const Shown& s : shown)
        result << s.text;
    return result;
}

void RecordingSoundDevice::play(const QString& waveFile) {
    calls << QStringLiteral("play ") + QFileInfo(waveFile).fileName();
}

QStringList RecordingSoundDevice::plays() const {
    QStringList result;
    for (const QString& call : calls)
        if (call.startsWith(QStringLiteral("play ")))
            result << call.mid(5);
    return result;
}

Outcome RecordingProcessStarter::start(const QString& commandLine) {
    started << commandLine;
    if (failing.contains(commandLine))
        return Outcome::failure(QStringLiteral("cannot start ") + commandLine);
    return Outcome::success();
}

void FakeClock::letEventsRun() {
    ++waits;
    if (onWait)
        onWait();
    second = (second + step) % 60;
}

int ScriptedModalRunner::exec(QDialog& dialog) {
    opened << dialog.objectName();
    if (script)
        script(dialog);
    else
        dialog.reject();
    return dialog.result();
}

TempAppDir::TempAppDir(bool withDataDir) {
    if (withDataDir)
        QDir(dir_.path()).mkpath(QStringLiteral("Data/Sound"));
    SetAppPathForTesting(dir_.path());
    // Where Data goes when the program folder cannot be written: never the real home.
    qputenv("XDG_DATA_HOME", QFile::encodeName(dir_.filePath(QStringLiteral("user"))));
}

TempAppDir::~TempAppDir() {
    SetAppPathForTesting(QString());
}

QString TempAppDir::dataPath(const QString& relative) const {
    return dir_.path() + QStringLiteral("/Data/") + relative;
}

void TempAppDir::writeData(const QString& relative, const QByteArray& bytes) const {
    QFile file(dataPath(relative));
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        qFatal("cannot write %s", qPrintable(file.fileName()));
    file.write(bytes);
}

QByteArray TempAppDir::readData(const QString& relative) const {
    QFile file(dataPath(relative));
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return file.readAll();
}

bool TempAppDir::dataExists(const QString& relative) const {
    return QFileInfo::exists(dataPath(relative));
}

Seams TestRig::seams() {
    Seams s;
    s.messages = &messages;
    s.modal = &modal;
    s.processes = &processes;
    s.sound = &sound;
    s.clock = &clock;
    s.endProgram = [this] { ++endCalls; };
    return s;
}

QByteArray RecordBytes(const QByteArray& name, const QByteArray& program, const QByteArray& image) {
    QByteArray record;
    for (const QByteArray& text : {name, program, image}) {
        char count[2];
        qToLittleEndian<quint16>(quint16(text.size()), count);
        record.append(count, 2);
        record.append(text);
    }
    record.append(QByteArray(500 - record.size(), '\0'));
    return record;
}

void WritePicture(const QString& path, const char* format, Qt::GlobalColor color) {
    QImage image(16, 16, QImage::Format_RGB32);
    image.fill(color);
    if (!image.save(path, format))
        qFatal("cannot write picture %s", qPrintable(path));
}
