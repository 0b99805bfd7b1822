#include "core/base/Fd.h"

#include <unistd.h>

#include <cerrno>

namespace brindle
{

Fd::Fd(int fd)
    : m_fd(fd)
    , m_error(fd < 0 ? SysError::last() : SysError())
{
}

Fd::~Fd()
{
    close();
}

Fd::Fd(Fd&& other) noexcept
    : m_error(other.m_error)
{
    m_fd = other.release();
}

Fd& Fd::operator=(Fd&& other) noexcept
{
    if (this != &other) {
        close();
        m_error = other.m_error;
        m_fd = other.release();
    }
    return *this;
}

Fd Fd::failure(SysError error)
{
    Fd fd;
    fd.m_error = error;
    return fd;
}

int Fd::release()
{
    const int fd = m_fd;
    m_fd = -1;
    return fd;
}

SysError Fd::close()
{
    if (m_fd < 0)
        return {};
    const int r = ::close(m_fd);
    m_fd = -1;
    return r == 0 ? SysError() : SysError::last();
}

} // namespace brindle
