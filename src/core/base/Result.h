#pragma once

#include <optional>
#include <string>
#include <utility>
#include <variant>

namespace brindle
{

/// Why an operation failed, as the text to show the user ("Unable to write to ...").
struct Error {
    std::string message;
};

/// The outcome of an operation that ends in a message: a value, or the Error that says why there
/// is none. The core's one way to report a failure that is not a bare system call (those give a
/// SysError); it throws nothing. A small stand-in for C++23's std::expected<T, Error>.
///
/// It has no conversion to bool on purpose: a Result<bool> would test its success where its value
/// was meant. Ask ok(), then take value() or error().
template <typename T> class [[nodiscard]] Result
{
public:
    Result(T value)
        : m_state(std::in_place_index<0>, std::move(value))
    {
    }
    Result(Error error)
        : m_state(std::in_place_index<1>, std::move(error))
    {
    }

    bool ok() const { return m_state.index() == 0; }
    /// The value; only when ok().
    T& value() & { return std::get<0>(m_state); }
    const T& value() const& { return std::get<0>(m_state); }
    T&& value() && { return std::get<0>(std::move(m_state)); }
    /// The error; only when !ok().
    const Error& error() const { return std::get<1>(m_state); }

private:
    std::variant<T, Error> m_state;
};

/// The outcome of an operation that gives nothing back but can fail with a message.
template <> class [[nodiscard]] Result<void>
{
public:
    /// Success.
    Result() = default;
    Result(Error error)
        : m_error(std::move(error))
    {
    }

    bool ok() const { return !m_error; }
    /// The error; only when !ok().
    const Error& error() const { return *m_error; }

private:
    std::optional<Error> m_error;
};

} // namespace brindle
