#pragma once

#include <string>

namespace brindle
{

/// The failure of a system call: its errno value (0 for none), with the system's text for it.
/// It converts from and to the errno value, so it stands wherever an errno value did: compared
/// with EEXIST, tested for 0 (a failure tests true), passed on as an int.
class SysError
{
public:
    constexpr SysError() noexcept = default;
    constexpr SysError(int code) noexcept
        : m_code(code)
    {
    }

    /// The error of the system call that failed last on this thread (errno).
    static SysError last() noexcept;

    constexpr int code() const noexcept { return m_code; }
    constexpr operator int() const noexcept { return m_code; }
    constexpr bool failed() const noexcept { return m_code != 0; }

    /// The system's text for it ("No such file or directory").
    std::string text() const;

private:
    int m_code = 0;
};

/// The system's text for an errno value.
std::string errorText(int errorNumber);

} // namespace brindle
