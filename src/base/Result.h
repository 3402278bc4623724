#pragma once

#include <QString>
#include <type_traits>
#include <utility>
#include <variant>

namespace torvo {

// Why an operation failed: one Spanish line, for the status bar or standard error.
struct Failure {
    QString why;
};

// What an operation that can fail gives back: its value, or the Failure that says why.
// Being called off is not a failure: an operation that can be called off returns
// std::optional, nullopt meaning it was (std::optional<Result<T>> when it can also fail).
template <class T> class [[nodiscard]] Result {
public:
    template <class U>
    requires(std::is_convertible_v<U&&, T> && !std::is_same_v<std::remove_cvref_t<U>, Result> &&
             !std::is_same_v<std::remove_cvref_t<U>, Failure>) Result(U&& value)
        : state_(std::in_place_index<0>, std::forward<U>(value)) {}
    Result(Failure failure) : state_(std::in_place_index<1>, std::move(failure)) {}

    bool ok() const { return state_.index() == 0; }
    explicit operator bool() const { return ok(); }

    T& operator*() & { return std::get<0>(state_); }
    const T& operator*() const& { return std::get<0>(state_); }
    T&& operator*() && { return std::get<0>(std::move(state_)); }
    T* operator->() { return &std::get<0>(state_); }
    const T* operator->() const { return &std::get<0>(state_); }

    // The failure's line; empty when the operation succeeded.
    QString why() const { return ok() ? QString() : std::get<1>(state_).why; }
    Failure failure() const { return {why()}; }

private:
    std::variant<T, Failure> state_;
};

template <> class [[nodiscard]] Result<void> {
public:
    Result() = default;
    Result(Failure failure) : failed_(true), why_(std::move(failure.why)) {}

    bool ok() const { return !failed_; }
    explicit operator bool() const { return ok(); }
    const QString& why() const { return why_; }
    Failure failure() const { return {why_}; }

private:
    bool failed_ = false;
    QString why_;
};

} // namespace torvo
