#pragma once

#include <QBuffer>

// An in-memory file (`contents`) that breaks on cue: writing stops after `writableBytes`
// bytes in all (the rest of a write is refused, as a full disk would), and reading fails
// altogether when `readsFail` is set.
class FailingDevice final : public QBuffer {
public:
    static constexpr qint64 Unlimited = -1;
    static constexpr const char* WriteError = "simulated full disk";
    static constexpr const char* ReadError = "simulated read error";
    explicit FailingDevice(qint64 writableBytes = Unlimited, bool readsFail = false);

    QByteArray contents;

protected:
    qint64 readData(char* data, qint64 maxSize) override;
    qint64 writeData(const char* data, qint64 size) override;

private:
    qint64 writableBytes_;
    bool readsFail_;
};
