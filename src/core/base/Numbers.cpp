#include "core/base/Numbers.h"

#include <limits>

namespace brindle
{

std::optional<std::int64_t> parseInt64(std::string_view text)
{
    std::size_t i = 0;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-'))
        negative = text[i++] == '-';
    if (i == text.size())
        return std::nullopt;
    std::uint64_t v = 0;
    const std::uint64_t limit = negative ? 9223372036854775808ULL : 9223372036854775807ULL;
    for (; i < text.size(); ++i) {
        if (text[i] < '0' || text[i] > '9')
            return std::nullopt;
        const auto digit = static_cast<std::uint64_t>(text[i] - '0');
        if (v > (limit - digit) / 10)
            return std::nullopt;
        v = v * 10 + digit;
    }
    return negative ? static_cast<std::int64_t>(0 - v) : static_cast<std::int64_t>(v);
}

std::optional<std::int32_t> parseInt32(std::string_view text)
{
    const std::optional<std::int64_t> v = parseInt64(text);
    if (!v || *v < std::numeric_limits<std::int32_t>::min() || *v > std::numeric_limits<std::int32_t>::max())
        return std::nullopt;
    return static_cast<std::int32_t>(*v);
}

} // namespace brindle
