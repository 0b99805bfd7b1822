#pragma once

#include "core/base/SysError.h"

namespace brindle
{

/// An owned file descriptor, closed when it goes. One that failed to open keeps the reason.
class Fd
{
public:
    Fd() = default;
    /// Takes fd; a negative fd (the result of a failed open) keeps errno as its error().
    explicit Fd(int fd);
    ~Fd();
    Fd(Fd&& other) noexcept;
    Fd& operator=(Fd&& other) noexcept;
    Fd(const Fd&) = delete;
    Fd& operator=(const Fd&) = delete;

    /// An invalid descriptor that holds error as the reason.
    static Fd failure(SysError error);

    int get() const { return m_fd; }
    bool valid() const { return m_fd >= 0; }
    /// Why the descriptor could not be opened; 0 for a valid one.
    SysError error() const { return m_error; }
    int release();
    /// Closes now; returns the error of close, if any.
    SysError close();

private:
    int m_fd = -1;
    SysError m_error;
};

} // namespace brindle
