#pragma once

#include <QByteArray>
#include <QIODevice>

// An in-memory file that breaks on cue: writing stops after `writableBytes` bytes in all
// (the rest of a write is refused, as a full disk would), and reading fails altogether when
// `readsFail` is set.
class FailingDevice final : public QIODevice {
public:
    static constexpr qint64 Unlimited = -1;
    explicit FailingDevice(qint64 writableBytes = Unlimited, bool readsFail = false);

    bool isSequential() const override { return false; }
    qint64 size() const override { return contents.size(); }

    QByteArray contents;
    static constexpr const char* WriteError = "simulated full disk";
    static constexpr const char* ReadError = "simulated read error";

protected:
    qint64 readData(char* data, qint64 maxSize) override;
    qint64 writeData(const char* data, qint64 size) override;

private:
    qint64 writableBytes_;
    bool readsFail_;
};
