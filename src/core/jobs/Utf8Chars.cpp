#include "core/jobs/Utf8Chars.h"

#include <algorithm>

namespace brindle
{

namespace
{

inline bool isCont(unsigned char c)
{
    return (c & 0xC0) == 0x80;
}

inline bool inRange(unsigned char c, unsigned char lo, unsigned char hi)
{
    return c >= lo && c <= hi;
}

} // namespace

std::size_t charLen(std::string_view s, std::size_t i)
{
    const std::size_t n = s.size();
    if (i >= n)
        return 0;
    const auto c0 = static_cast<unsigned char>(s[i]);
    if (c0 < 0x80)
        return 1;
    auto at = [&](std::size_t k) { return static_cast<unsigned char>(s[i + k]); };
    if (inRange(c0, 0xC2, 0xDF))
        return (i + 1 < n && isCont(at(1))) ? 2 : 1;
    if (inRange(c0, 0xE0, 0xEF)) {
        if (i + 2 >= n)
            return 1;
        const unsigned char c1 = at(1);
        const bool ok1 = c0 == 0xE0 ? inRange(c1, 0xA0, 0xBF)
            : c0 == 0xED            ? inRange(c1, 0x80, 0x9F)
                                    : isCont(c1);
        return (ok1 && isCont(at(2))) ? 3 : 1;
    }
    if (inRange(c0, 0xF0, 0xF4)) {
        if (i + 3 >= n)
            return 1;
        const unsigned char c1 = at(1);
        const bool ok1 = c0 == 0xF0 ? inRange(c1, 0x90, 0xBF)
            : c0 == 0xF4            ? inRange(c1, 0x80, 0x8F)
                                    : isCont(c1);
        return (ok1 && isCont(at(2)) && isCont(at(3))) ? 4 : 1;
    }
    return 1;
}

bool isAscii(std::string_view s)
{
    return std::all_of(s.begin(), s.end(), [](char c) { return static_cast<unsigned char>(c) < 0x80; });
}

bool isValidUtf8(std::string_view s)
{
    for (std::size_t i = 0; i < s.size();) {
        const std::size_t len = charLen(s, i);
        if (len == 1 && static_cast<unsigned char>(s[i]) >= 0x80)
            return false;
        i += len;
    }
    return true;
}

std::size_t charCount(std::string_view s)
{
    std::size_t count = 0;
    for (std::size_t i = 0; i < s.size(); i += charLen(s, i))
        ++count;
    return count;
}

std::size_t byteOffsetOfChar(std::string_view s, std::int64_t n)
{
    if (n <= 0)
        return 0;
    std::size_t i = 0;
    for (; n > 0 && i < s.size(); --n)
        i += charLen(s, i);
    return i;
}

bool isCharBoundary(std::string_view s, std::size_t i)
{
    if (i == 0 || i >= s.size())
        return true;
    // Only a continuation byte can sit inside a character; it does when the nearest lead byte
    // within three bytes before it starts a well-formed sequence that reaches past i.
    if (!isCont(static_cast<unsigned char>(s[i])))
        return true;
    const std::size_t lowest = i >= 3 ? i - 3 : 0;
    for (std::size_t q = i; q-- > lowest;) {
        if (!isCont(static_cast<unsigned char>(s[q])))
            return charLen(s, q) <= i - q;
    }
    return true;
}

std::size_t findWhole(std::string_view s, std::string_view what, std::size_t from)
{
    if (what.empty())
        return std::string_view::npos;
    for (std::size_t p = s.find(what, from); p != std::string_view::npos; p = s.find(what, p + 1)) {
        if (isCharBoundary(s, p) && isCharBoundary(s, p + what.size()))
            return p;
    }
    return std::string_view::npos;
}

} // namespace brindle
