#include "core/run/FileMask.h"

#include <cstdint>

#include <unicode/utf8.h>

#include "core/base/LazyIcu.h"
#include "core/jobs/Utf8Chars.h"

namespace brindle
{

namespace
{

// Pattern values of the wildcards; folded characters are below 0x110100.
constexpr char32_t kAnyRun = 0xFFFFFFFF;
constexpr char32_t kAnyOne = 0xFFFFFFFE;
constexpr char32_t kClassBase = 0x80000000;

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
    return static_cast<char32_t>(lazy::u_foldCase(cp, U_FOLD_CASE_DEFAULT));
}

} // namespace

FileMask::FileMask(std::string_view mask)
    : m_text(mask)
{
    add(mask);
}

FileMask::FileMask(const std::vector<std::string>& masks)
{
    if (masks.empty()) {
        m_text = "*.*";
        m_all = true;
        return;
    }
    m_text = masks.front();
    for (const std::string& mask : masks)
        add(mask);
}

void FileMask::add(std::string_view mask)
{
    if (mask == "*.*" || mask == "*")
        m_all = true;
    std::vector<char32_t> pattern;
    for (std::size_t i = 0; i < mask.size();) {
        std::size_t len = 1;
        if (mask[i] == '*') {
            pattern.push_back(kAnyRun);
        } else if (mask[i] == '?') {
            pattern.push_back(kAnyOne);
        } else if (mask[i] == '[') {
            // A class runs to the first ']' after its first character (which may be a ']').
            std::size_t j = i + 1;
            CharClass cls;
            if (j < mask.size() && (mask[j] == '!' || mask[j] == '^')) {
                cls.negated = true;
                ++j;
            }
            const std::size_t body = j;
            bool closed = false;
            while (j < mask.size()) {
                if (mask[j] == ']' && j > body) {
                    closed = true;
                    break;
                }
                std::size_t l1;
                const char32_t first = foldedCharAt(mask, j, l1);
                j += l1;
                char32_t last = first;
                if (j + 1 < mask.size() && mask[j] == '-' && mask[j + 1] != ']') {
                    std::size_t l2;
                    last = foldedCharAt(mask, j + 1, l2);
                    j += 1 + l2;
                }
                cls.ranges.push_back({first, last});
            }
            if (closed) {
                pattern.push_back(kClassBase + static_cast<char32_t>(m_classes.size()));
                m_classes.push_back(std::move(cls));
                len = j + 1 - i;
            } else {
                pattern.push_back('[');
            }
        } else {
            pattern.push_back(foldedCharAt(mask, i, len));
        }
        i += len;
    }
    m_patterns.push_back(std::move(pattern));
}

bool FileMask::inClass(char32_t tag, char32_t c) const
{
    const CharClass& cls = m_classes[tag - kClassBase];
    bool in = false;
    for (const Range& r : cls.ranges)
        in = in || (c >= r.first && c <= r.last);
    return in != cls.negated;
}

bool FileMask::matches(std::string_view name) const
{
    if (m_all)
        return true;
    for (const auto& pattern : m_patterns) {
        if (matchesOne(pattern, name))
            return true;
    }
    return false;
}

bool FileMask::matchesOne(const std::vector<char32_t>& pattern, std::string_view name) const
{
    // Wildcard match with one backtracking point: on a mismatch the last '*' takes one more
    // character. Linear in the name for each '*', without recursion.
    const std::size_t plen = pattern.size();
    std::size_t p = 0;
    std::size_t s = 0;
    std::size_t starP = std::string_view::npos;
    std::size_t starS = 0;
    while (s < name.size()) {
        std::size_t len;
        const char32_t c = foldedCharAt(name, s, len);
        const char32_t want = p < plen ? pattern[p] : 0;
        const bool one = p < plen
            && (want == kAnyOne || want == c
                || (want >= kClassBase && want != kAnyRun && want != kAnyOne && inClass(want, c)));
        if (one) {
            ++p;
            s += len;
        } else if (p < plen && want == kAnyRun) {
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
    while (p < plen && pattern[p] == kAnyRun)
        ++p;
    return p == plen;
}

} // namespace brindle
