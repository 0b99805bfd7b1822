#include "base/USysError.h"

#include <cerrno>
#include <cstring>

namespace brindle
{

TSysError TSysError::last() noexcept
{
    return TSysError(errno);
}

std::string TSysError::text() const
{
    return ErrorText(m_code);
}

std::string ErrorText(int errorNumber)
{
    char buffer[256];
    // The GNU strerror_r returns the text, which may or may not be in buffer.
    return ::strerror_r(errorNumber, buffer, sizeof buffer);
}

} // namespace brindle
