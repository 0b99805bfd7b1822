#include "base/UFd.h"

#include <unistd.h>

#include <cerrno>

namespace brindle
{

TFd::TFd(int fd)
    : m_fd(fd)
    , m_error(fd < 0 ? TSysError::last() : TSysError())
{
}

TFd::~TFd()
{
    close();
}

TFd::TFd(TFd&& other) noexcept
    : m_error(other.m_error)
{
    m_fd = other.release();
}

TFd& TFd::operator=(TFd&& other) noexcept
{
    if (this != &other) {
        close();
        m_error = other.m_error;
        m_fd = other.release();
    }
    return *this;
}

TFd TFd::failure(TSysError error)
{
    TFd fd;
    fd.m_error = error;
    return fd;
}

int TFd::release()
{
    const int fd = m_fd;
    m_fd = -1;
    return fd;
}

TSysError TFd::close()
{
    if (m_fd < 0)
        return {};
    const int r = ::close(m_fd);
    m_fd = -1;
    return r == 0 ? TSysError() : TSysError::last();
}

} // namespace brindle
