#include "core/base/SysError.h"

#include <cerrno>
#include <cstring>

namespace brindle
{

SysError SysError::last() noexcept
{
    return SysError(errno);
}

std::string SysError::text() const
{
    return errorText(m_code);
}

std::string errorText(int errorNumber)
{
    char buffer[256];
    // The GNU strerror_r returns the text, which may or may not be in buffer.
    return ::strerror_r(errorNumber, buffer, sizeof buffer);
}

} // namespace brindle
