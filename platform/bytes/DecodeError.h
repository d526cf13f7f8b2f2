// The one error type of every reader of untrusted bytes, and the value-or-error result that the
// readers return instead of throwing.
#pragma once

#include <QString>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <type_traits>
#include <utility>
#include <variant>

namespace bytes {

enum class DecodeErrorKind {
    Truncated,      // the data ends before a value the format requires
    Overflow,       // a size or offset computed from the data does not fit the arithmetic
    LimitExceeded,  // the data asks for more than the decode limits allow
    Malformed,      // the data breaks the format's rules
    Unsupported,    // valid data of a variant this reader does not handle
};

struct DecodeError {
    DecodeErrorKind kind;
    QString text;

    static DecodeError truncated(QString text)
    {
        return {DecodeErrorKind::Truncated, std::move(text)};
    }
    static DecodeError overflow(QString text)
    {
        return {DecodeErrorKind::Overflow, std::move(text)};
    }
    static DecodeError limitExceeded(QString text)
    {
        return {DecodeErrorKind::LimitExceeded, std::move(text)};
    }
    static DecodeError malformed(QString text)
    {
        return {DecodeErrorKind::Malformed, std::move(text)};
    }
    static DecodeError unsupported(QString text)
    {
        return {DecodeErrorKind::Unsupported, std::move(text)};
    }

    // The same error with what was being read put in front: "IHDR: 4 bytes needed ...".
    DecodeError within(const QString& context) const
    {
        return {kind, context + QStringLiteral(": ") + text};
    }
};

namespace detail {
// Reading the value of a failed result (or the error of a good one) is a programming error;
// stop at once rather than hand out garbage.
[[noreturn]] inline void misusedResult(const char* what)
{
    std::fprintf(stderr, "bytes::Result: %s\n", what);
    std::abort();
}
}  // namespace detail

// A value of type T or the DecodeError that prevented it.
template <class T>
class Result {
    static_assert(!std::is_same_v<std::remove_cv_t<T>, DecodeError>);

public:
    Result(const T& value) : m_state(std::in_place_index<0>, value) {}
    Result(T&& value) : m_state(std::in_place_index<0>, std::move(value)) {}
    Result(DecodeError error) : m_state(std::in_place_index<1>, std::move(error)) {}

    bool ok() const { return m_state.index() == 0; }
    explicit operator bool() const { return ok(); }

    const T& value() const
    {
        if (!ok())
            detail::misusedResult("value() of a failed result");
        return *std::get_if<0>(&m_state);
    }
    T& value()
    {
        if (!ok())
            detail::misusedResult("value() of a failed result");
        return *std::get_if<0>(&m_state);
    }
    T valueOr(T fallback) const { return ok() ? *std::get_if<0>(&m_state) : std::move(fallback); }

    const DecodeError& error() const
    {
        if (ok())
            detail::misusedResult("error() of a good result");
        return *std::get_if<1>(&m_state);
    }

private:
    std::variant<T, DecodeError> m_state;
};

// Success or the DecodeError of an operation with no value.
template <>
class Result<void> {
public:
    Result() = default;
    Result(DecodeError error) : m_error(std::move(error)) {}

    bool ok() const { return !m_error.has_value(); }
    explicit operator bool() const { return ok(); }

    const DecodeError& error() const
    {
        if (ok())
            detail::misusedResult("error() of a good status");
        return *m_error;
    }

private:
    std::optional<DecodeError> m_error;
};

using Status = Result<void>;

}  // namespace bytes
