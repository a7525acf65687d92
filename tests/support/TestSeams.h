#pragma once

// Stand-ins for the program's side effects, each also logging to `log` when that is set, and a
// temporary program folder.

#include "common/AppPath.h"
#include "launcher/Seams.h"
#include "platform/Clock.h"
#include "platform/ProcessStarter.h"
#include "sound/SoundDevice.h"
#include "widgets/Dialogs.h"

#include <QDialog>
#include <QFileInfo>
#include <QTemporaryDir>

// Logs the icon (E, I or Q), the title and the text's first line; answers questions `answer`.
class RecordingMessageBoxes final : public MessageBoxes {
public:
    MessageAnswer show(QWidget*, MessageIcon icon, const QString& title,
                       const QString& text) override {
        texts << text;
        if (log)
            *log << QString(u"IQE"[int(icon)]) + u' ' + title + u' ' + text.section(u'\n', 0, 0);
        return icon == MessageIcon::Question ? answer : MessageAnswer::Ok;
    }
    QStringList texts;
    MessageAnswer answer = MessageAnswer::Yes;
    QStringList* log = nullptr;
};

// Records "open", "play <file name>" and "close"; `onPlay` and `onClose` run just before.
class RecordingSoundDevice final : public SoundDevice {
public:
    void open() override { record(QStringLiteral("open")); }
    void play(const QString& file) override {
        onPlay ? onPlay() : void(), record("play " + QFileInfo(file).fileName());
    }
    void close() override { onClose ? onClose() : void(), record(QStringLiteral("close")); }
    void record(const QString& call) { log ? void(*log << call) : void(); }
    QStringList* log = nullptr;
    std::function<void()> onPlay, onClose;
};

// Records the command lines ("start <line>" in the log) and fails those in `failing`.
class RecordingProcessStarter final : public ProcessStarter {
public:
    Outcome start(const QString& line) override {
        started << line, log ? void(*log << "start " + line) : void();
        return failing.contains(line) ? Outcome::failure("cannot start") : Outcome::success();
    }
    QStringList started, failing;
    QStringList* log = nullptr;
};

// Each wait runs `onWait`, then moves on `step` seconds; a wait that never ends stops the test.
class FakeClock final : public Clock {
public:
    int secondOfMinute() override { return second; }
    void letEventsRun() override {
        if (++waits > 1000)
            qFatal("the wait never ends");
        onWait ? onWait() : void(), second = (second + step) % 60;
    }
    int second = 0, step = 1, waits = 0;
    std::function<void()> onWait;
};

// Hands each modal window to `script`, or rejects it; logs "modal <name>".
class ScriptedModalRunner final : public ModalRunner {
public:
    int exec(QDialog& dialog) override {
        log ? void(*log << "modal " + dialog.objectName()) : void();
        script ? script(dialog) : dialog.reject();
        return dialog.result();
    }
    std::function<void(QDialog&)> script;
    QStringList* log = nullptr;
};

// A temporary program directory with Data and Data/Sound in it, the AppPath while it lives.
class TempAppDir {
public:
    TempAppDir();
    ~TempAppDir() { SetAppPathForTesting(QString()); }
    QString path() const { return dir_.path(); }
    QString dataPath(const QString& relative) const { return path() + "/Data/" + relative; }
    void writeData(const QString& relative, const QByteArray& bytes) const;
    QByteArray readData(const QString& relative) const;

private:
    QTemporaryDir dir_;
};

// All stand-ins, ready for the launcher window; `log` gets what they all did, and "end" when the
// program ends.
struct TestRig {
    RecordingMessageBoxes messages;
    ScriptedModalRunner modal;
    RecordingProcessStarter processes;
    RecordingSoundDevice sound;
    FakeClock clock;
    QStringList log;
    Seams seams() {
        messages.log = modal.log = processes.log = sound.log = &log;
        return {&messages, &modal, &processes, &sound, &clock, [this] { log << "end"; }};
    }
};

// A slot record's 500 bytes as the file stores them.
QByteArray RecordBytes(const QByteArray& name, const QByteArray& program, const QByteArray& image);

// Writes a 16 x 16 picture file of the given format ("png", "bmp", "jpg", ...).
void WritePicture(const QString& path, const char* format, Qt::GlobalColor color = Qt::red);

// Every file below `dir` with its bytes, by path relative to `dir`.
QMap<QString, QByteArray> SnapshotFiles(const QString& dir);
