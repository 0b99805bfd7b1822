#include "core/jobs/Utf8Text.h"

#include <algorithm>
#include <charconv>
#include <cstring>

#include <unicode/stringoptions.h>
#include <unicode/ucasemap.h>

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

inline std::size_t clampTo(std::size_t to, std::size_t size)
{
    return to > size ? size : to;
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

void lowerCaseInPlace(std::string& s, std::size_t from, std::size_t to)
{
    to = clampTo(to, s.size());
    for (std::size_t i = from; i < to; ++i) {
        if (s[i] >= 'A' && s[i] <= 'Z')
            s[i] = static_cast<char>(s[i] + ('a' - 'A'));
    }
}

void upperCaseInPlace(std::string& s, std::size_t from, std::size_t to)
{
    to = clampTo(to, s.size());
    for (std::size_t i = from; i < to; ++i) {
        if (s[i] >= 'a' && s[i] <= 'z')
            s[i] = static_cast<char>(s[i] - ('a' - 'A'));
    }
}

std::string lowerCase(std::string_view s)
{
    std::string r(s);
    lowerCaseInPlace(r);
    return r;
}

std::string upperCase(std::string_view s)
{
    std::string r(s);
    upperCaseInPlace(r);
    return r;
}

void normalizeCaseInPlace(std::string& s, std::string_view separators, std::size_t from, std::size_t to)
{
    to = clampTo(to, s.size());
    if (from >= to)
        return;
    lowerCaseInPlace(s, from, to);
    upperCaseInPlace(s, from, from + 1);
    // Separators are ASCII, so the byte after one always starts a character; upper-casing
    // touches ASCII letters only, so working on bytes never splits a character.
    for (std::size_t i = from + 1; i < to; ++i) {
        const bool prevSep = separators.find(s[i - 1]) != std::string_view::npos;
        const bool curSep = separators.find(s[i]) != std::string_view::npos;
        if (prevSep && !curSep)
            upperCaseInPlace(s, i, i + 1);
    }
}

std::string normalizeCase(std::string_view s, std::string_view separators)
{
    std::string r(s);
    normalizeCaseInPlace(r, separators);
    return r;
}

namespace
{

/// The ICU case maps of the root locale, one set per thread (a title-case map is not safe to
/// share).
struct CaseMaps {
    UCaseMap* plain = nullptr;
    UCaseMap* title = nullptr;

    CaseMaps()
    {
        UErrorCode status = U_ZERO_ERROR;
        plain = ucasemap_open("", 0, &status);
        status = U_ZERO_ERROR;
        // The whole word is one title-case unit, and its first character is the one title-cased,
        // letter or not, as normalised case has always done ("2nd" stays "2nd").
        title = ucasemap_open("", U_TITLECASE_WHOLE_STRING | U_TITLECASE_NO_BREAK_ADJUSTMENT, &status);
    }
    CaseMaps(const CaseMaps&) = delete;
    CaseMaps& operator=(const CaseMaps&) = delete;
    ~CaseMaps()
    {
        ucasemap_close(plain);
        ucasemap_close(title);
    }
};

enum class Mapping : std::uint8_t { Lower, Upper, Title };

/// Appends text (valid UTF-8) to out with its case changed.
void appendMapped(std::string_view text, Mapping how, std::string& out)
{
    const std::size_t start = out.size();
    if (isAscii(text)) {
        out.append(text);
        if (how == Mapping::Upper)
            upperCaseInPlace(out, start);
        else
            lowerCaseInPlace(out, start);
        if (how == Mapping::Title)
            upperCaseInPlace(out, start, start + 1);
        return;
    }
    static thread_local CaseMaps maps;
    UCaseMap* map = how == Mapping::Title ? maps.title : maps.plain;
    auto room = static_cast<std::int32_t>(text.size() * 3 + 16);
    for (int attempt = 0; map && attempt < 2; ++attempt) {
        out.resize(start + static_cast<std::size_t>(room));
        UErrorCode status = U_ZERO_ERROR;
        const auto src = static_cast<std::int32_t>(text.size());
        char* dest = out.data() + start;
        const std::int32_t n = how == Mapping::Upper
            ? ucasemap_utf8ToUpper(map, dest, room, text.data(), src, &status)
            : how == Mapping::Lower ? ucasemap_utf8ToLower(map, dest, room, text.data(), src, &status)
                                    : ucasemap_utf8ToTitle(map, dest, room, text.data(), src, &status);
        if (status == U_BUFFER_OVERFLOW_ERROR) {
            room = n;
            continue;
        }
        if (U_FAILURE(status))
            break;
        out.resize(start + static_cast<std::size_t>(n));
        return;
    }
    // Without a case map the text stays as it is.
    out.resize(start);
    out.append(text);
}

/// Appends one word (no separator in it) with its case changed: each run of valid UTF-8 as one
/// text, a byte outside any sequence as itself.
void appendWord(std::string_view word, CaseChange change, std::string& out)
{
    bool first = true;
    for (std::size_t i = 0; i < word.size();) {
        std::size_t j = i;
        for (std::size_t len; j < word.size(); j += len) {
            len = charLen(word, j);
            if (len == 1 && static_cast<unsigned char>(word[j]) >= 0x80)
                break;
        }
        if (j > i) {
            const Mapping how = change == CaseChange::Upper ? Mapping::Upper
                : change == CaseChange::Normal && first     ? Mapping::Title
                                                            : Mapping::Lower;
            appendMapped(word.substr(i, j - i), how, out);
        }
        if (j < word.size())
            out += word[j++];
        first = false;
        i = j;
    }
}

} // namespace

std::string unicodeCase(std::string_view s, CaseChange change, std::string_view separators)
{
    std::string out;
    out.reserve(s.size() + 8);
    for (std::size_t i = 0; i < s.size();) {
        if (separators.find(s[i]) != std::string_view::npos) {
            out += s[i++];
            continue;
        }
        std::size_t end = i;
        while (end < s.size() && separators.find(s[end]) == std::string_view::npos)
            ++end;
        appendWord(s.substr(i, end - i), change, out);
        i = end;
    }
    return out;
}

std::string zeroPaddedNumber(std::int32_t value, std::int32_t width)
{
    char digits[16];
    const auto res = std::to_chars(digits, digits + sizeof digits, value);
    const auto len = static_cast<std::int32_t>(res.ptr - digits);
    const std::int32_t field = std::min<std::int32_t>(width, 255);
    std::string out;
    if (field > len)
        out.assign(static_cast<std::size_t>(field - len), '0');
    out.append(digits, res.ptr);
    return out;
}

std::string pluralize(std::int32_t number, std::string_view noun)
{
    std::string out = std::to_string(number);
    out += ' ';
    out += noun;
    if (number != 1)
        out += 's';
    return out;
}

std::string ordinalSuffix(std::int32_t number)
{
    std::string out = std::to_string(number);
    switch (out.back()) {
    case '1':
        return out + "st";
    case '2':
        return out + "nd";
    case '3':
        return out + "rd";
    default:
        return out + "th";
    }
}

} // namespace brindle
