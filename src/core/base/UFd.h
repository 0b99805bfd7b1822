#pragma once

#include "base/USysError.h"

namespace brindle
{

/// An owned file descriptor, closed when it goes. One that failed to open keeps the reason.
class TFd
{
public:
    TFd() = default;
    /// Takes fd; a negative fd (the result of a failed open) keeps errno as its error().
    explicit TFd(int fd);
    ~TFd();
    TFd(TFd&& other) noexcept;
    TFd& operator=(TFd&& other) noexcept;
    TFd(const TFd&) = delete;
    TFd& operator=(const TFd&) = delete;

    /// An invalid descriptor that holds error as the reason.
    static TFd failure(TSysError error);

    int get() const { return m_fd; }
    bool valid() const { return m_fd >= 0; }
    /// Why the descriptor could not be opened; 0 for a valid one.
    TSysError error() const { return m_error; }
    int release();
    /// Closes now; returns the error of close, if any.
    TSysError close();

private:
    int m_fd = -1;
    TSysError m_error;
};

} // namespace brindle
