#pragma once

#include <QString>
#include <utility>

// The result of an operation that can fail. A failure carries a message for the user;
// only windows show it.
class [[nodiscard]] Outcome {
public:
    static Outcome success() { return Outcome(); }
    static Outcome failure(QString message) { return Outcome(std::move(message)); }

    bool ok() const { return !failed_; }
    explicit operator bool() const { return ok(); }
    const QString& message() const { return message_; }

private:
    Outcome() = default;
    explicit Outcome(QString message) : failed_(true), message_(std::move(message)) {}

    bool failed_ = false;
    QString message_;
};
