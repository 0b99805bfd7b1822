#include "core/run/FileMask.h"

#include <cstdint>

#include <unicode/uchar.h>
#include <unicode/utf8.h>

#include "core/jobs/Utf8Chars.h"

namespace brindle
{

namespace
{

// Pattern values of the two wildcards; folded characters are below 0x110100.
constexpr char32_t kAnyRun = 0xFFFFFFFF;
constexpr char32_t kAnyOne = 0xFFFFFFFE;

/// The folded character at byte i of s and its length; a byte outside any UTF-8 sequence is a
/// character of its own that matches only itself.
inline char32_t foldedCharAt(std::string_view s, std::size_t i, std::size_t& len)
{
    const auto c0 = static_cast<unsigned char>(s[i]);
    if (c0 < 0x80) {
        len = 1;
        return (c0 >= 'A' && c0 <= 'Z') ? c0 + ('a' - 'A') : c0;
    }
    len = charLen(s, i);
    if (len == 1)
        return 0x110000u + c0;
    UChar32 cp;
    std::int32_t at = static_cast<std::int32_t>(i);
    U8_NEXT_UNSAFE(reinterpret_cast<const std::uint8_t*>(s.data()), at, cp);
    return static_cast<char32_t>(u_foldCase(cp, U_FOLD_CASE_DEFAULT));
}

} // namespace

FileMask::FileMask(std::string_view mask)
    : m_text(mask)
    , m_all(mask == "*.*" || mask == "*")
{
    for (std::size_t i = 0; i < mask.size();) {
        std::size_t len = 1;
        if (mask[i] == '*')
            m_pattern.push_back(kAnyRun);
        else if (mask[i] == '?')
            m_pattern.push_back(kAnyOne);
        else
            m_pattern.push_back(foldedCharAt(mask, i, len));
        i += len;
    }
}

bool FileMask::matches(std::string_view name) const
{
    if (m_all)
        return true;
    // Wildcard match with one backtracking point: on a mismatch the last '*' takes one more
    // character. Linear in the name for each '*', without recursion.
    const std::size_t plen = m_pattern.size();
    std::size_t p = 0;
    std::size_t s = 0;
    std::size_t starP = std::string_view::npos;
    std::size_t starS = 0;
    while (s < name.size()) {
        std::size_t len;
        const char32_t c = foldedCharAt(name, s, len);
        if (p < plen && (m_pattern[p] == kAnyOne || m_pattern[p] == c)) {
            ++p;
            s += len;
        } else if (p < plen && m_pattern[p] == kAnyRun) {
            starP = p++;
            starS = s;
        } else if (starP != std::string_view::npos) {
            p = starP + 1;
            std::size_t skip;
            foldedCharAt(name, starS, skip);
            starS += skip;
            s = starS;
        } else {
            return false;
        }
    }
    while (p < plen && m_pattern[p] == kAnyRun)
        ++p;
    return p == plen;
}

} // namespace brindle
