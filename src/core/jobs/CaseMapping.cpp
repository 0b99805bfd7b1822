#include "core/jobs/CaseMapping.h"

#include <unicode/stringoptions.h>

#include "core/base/LazyIcu.h"
#include "core/jobs/Utf8Chars.h"

namespace brindle
{

namespace
{

inline std::size_t clampTo(std::size_t to, std::size_t size)
{
    return to > size ? size : to;
}

} // namespace

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
        plain = lazy::ucasemap_open("", 0, &status);
        status = U_ZERO_ERROR;
        // The whole word is one title-case unit, and its first character is the one title-cased,
        // letter or not, as normalised case has always done ("2nd" stays "2nd").
        title = lazy::ucasemap_open("", U_TITLECASE_WHOLE_STRING | U_TITLECASE_NO_BREAK_ADJUSTMENT, &status);
    }
    CaseMaps(const CaseMaps&) = delete;
    CaseMaps& operator=(const CaseMaps&) = delete;
    ~CaseMaps()
    {
        lazy::ucasemap_close(plain);
        lazy::ucasemap_close(title);
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
            ? lazy::ucasemap_utf8ToUpper(map, dest, room, text.data(), src, &status)
            : how == Mapping::Lower ? lazy::ucasemap_utf8ToLower(map, dest, room, text.data(), src, &status)
                                    : lazy::ucasemap_utf8ToTitle(map, dest, room, text.data(), src, &status);
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

} // namespace brindle
