#pragma once

#include <QString>
#include <optional>
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

// A value, or the failure that kept it from being had.
template <typename T> class [[nodiscard]] Result {
public:
    Result(T value) : value_(std::move(value)), outcome_(Outcome::success()) {}
    Result(Outcome failure) : outcome_(std::move(failure)) {}

    explicit operator bool() const { return value_.has_value(); }
    const T& operator*() const { return *value_; }
    const T* operator->() const { return &*value_; }
    // The value when there is one.
    const std::optional<T>& value() const { return value_; }
    const Outcome& outcome() const { return outcome_; }
    const QString& message() const { return outcome_.message(); }

private:
    std::optional<T> value_;
    Outcome outcome_;
};
