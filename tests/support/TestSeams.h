#pragma once

// Stand-ins for the program's side effects, shared by the window tests.

#include "common/AppPath.h"
#include "launcher/Dialogs.h"
#include "launcher/Seams.h"
#include "platform/Clock.h"
#include "platform/ProcessStarter.h"
#include "sound/SoundDevice.h"

#include <QByteArray>
#include <QDialog>
#include <QStringList>
#include <QTemporaryDir>
#include <functional>
#include <memory>

// Records every message box and answers questions with `answer`.
class RecordingMessageBoxes final : public MessageBoxes {
public:
    struct Shown {
        MessageIcon icon;
        QString title;
        QString text;
    };
    MessageAnswer show(QWidget* parent, MessageIcon icon, const QString& title,
                       const QString& text) override;

    QList<Shown> shown;
    MessageAnswer answer = MessageAnswer::Yes;
    QStringList texts() const;
};

// Records what the sound device was asked to do: "open", "play <file name>", "close".
class RecordingSoundDevice final : public SoundDevice {
public:
    void open() override { calls << QStringLiteral("open"); }
    void play(const QString& waveFile) override;
    void close() override { calls << QStringLiteral("close"); }
    QStringList plays() const; // the file names played, in order
    QStringList calls;
};

// Records the command lines it was asked to start; fails those listed in `failing`.
class RecordingProcessStarter final : public ProcessStarter {
public:
    Outcome start(const QString& commandLine) override;
    QStringList started;
    QStringList failing;
};

// A clock the test drives: each letEventsRun() advances it by `step` seconds after running
// `onWait` (if set), wrapping at the minute's end.
class FakeClock final : public Clock {
public:
    int secondOfMinute() override { return second; }
    void letEventsRun() override;
    int second = 0;
    int step = 1;
    int waits = 0;
    std::function<void()> onWait;
};

// Runs a modal window by handing it to `script`, which works it and closes it. Without a
// script the window is rejected at once. Records the object names of the windows opened.
class ScriptedModalRunner final : public ModalRunner {
public:
    int exec(QDialog& dialog) override;
    std::function<void(QDialog&)> script;
    QStringList opened;
};

// A temporary program directory with Data (and Data/Sound) in it, to which AppPath points
// while it lives.
class TempAppDir {
public:
    explicit TempAppDir(bool withDataDir = true);
    ~TempAppDir();
    QString path() const { return dir_.path(); }
    QString dataPath(const QString& relative) const; // e.g. "SetUp.FIL"
    void writeData(const QString& relative, const QByteArray& bytes) const;
    QByteArray readData(const QString& relative) const;
    bool dataExists(const QString& relative) const;

private:
    QTemporaryDir dir_;
};

// All test seams together, ready to hand to Main.
struct TestRig {
    RecordingMessageBoxes messages;
    ScriptedModalRunner modal;
    RecordingProcessStarter processes;
    RecordingSoundDevice sound;
    FakeClock clock;
    int endCalls = 0;
    Seams seams();
};

// A slot record's 500 bytes as the file stores them, for hand-written expectations.
QByteArray RecordBytes(const QByteArray& name, const QByteArray& program, const QByteArray& image);

// Writes a small picture file of the given format ("png", "bmp", "jpg", ...).
void WritePicture(const QString& path, const char* format, Qt::GlobalColor color = Qt::red);
