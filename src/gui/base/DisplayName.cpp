#include "gui/base/DisplayName.h"

#include <algorithm>
#include <cstdint>
#include <deque>
#include <vector>

#include <unicode/utf8.h>

#include "core/base/LazyIcu.h"
#include "core/jobs/Utf8Chars.h"

namespace brindle
{

namespace
{

constexpr char32_t kReplacement = 0xFFFD;

/// The code point of the well-formed UTF-8 character at s[i].
char32_t codePointAt(std::string_view s, std::size_t i)
{
    UChar32 c;
    auto at = static_cast<std::int32_t>(i);
    U8_NEXT_UNSAFE(reinterpret_cast<const std::uint8_t*>(s.data()), at, c);
    return static_cast<char32_t>(c);
}

/// A format character (Unicode category Cf) that is shown as an escape: all but the zero width
/// joiner and non-joiner.
bool isHiddenFormat(char32_t c)
{
    return c != 0x200C && c != 0x200D && lazy::u_charType(static_cast<UChar32>(c)) == U_FORMAT_CHAR;
}

/// What the character of len bytes at s[i] is shown as when not as itself: U+FFFD for a byte
/// outside any sequence, an escape for a control character; empty when shown as itself.
std::u32string standInFor(std::string_view s, std::size_t i, std::size_t len)
{
    const auto c0 = static_cast<unsigned char>(s[i]);
    auto hex = [](unsigned v, int digits) {
        static constexpr char kHex[] = "0123456789ABCDEF";
        std::u32string out;
        for (int d = digits - 1; d >= 0; --d)
            out += static_cast<char32_t>(kHex[(v >> (4 * d)) & 0xF]);
        return out;
    };
    if (len == 1) {
        switch (c0) {
        case '\n':
            return U"\\n";
        case '\r':
            return U"\\r";
        case '\t':
            return U"\\t";
        default:
            break;
        }
        if (c0 < 0x20 || c0 == 0x7F)
            return std::u32string(U"\\x").append(hex(c0, 2));
        return c0 >= 0x80 ? std::u32string(1, kReplacement) : std::u32string();
    }
    const auto c1 = static_cast<unsigned char>(s[i + 1]);
    // C1 controls: U+0080 to U+009F, C2 80 to C2 9F.
    if (len == 2 && c0 == 0xC2 && c1 < 0xA0)
        return std::u32string(U"\\u00").append(hex(c1, 2));
    // U+2028 and U+2029 break lines in text views.
    if (len == 3 && c0 == 0xE2 && c1 == 0x80) {
        const auto c2 = static_cast<unsigned char>(s[i + 2]);
        if (c2 == 0xA8 || c2 == 0xA9)
            return std::u32string(U"\\u202").append(hex(c2 - 0xA0, 1));
    }
    // Format characters are invisible, and the bidirectional ones reorder what follows them
    // ("txt.exe" shown as "exe.txt"). The two joiners stay: emoji and several scripts need them.
    if (const char32_t c = codePointAt(s, i); isHiddenFormat(c)) {
        return c < 0x10000 ? std::u32string(U"\\u").append(hex(static_cast<unsigned>(c), 4))
                           : std::u32string(U"\\U").append(hex(static_cast<unsigned>(c), 8));
    }
    return {};
}

void appendUtf8(std::string& out, char32_t c)
{
    if (c < 0x80) {
        out += static_cast<char>(c);
    } else if (c < 0x800) {
        out += static_cast<char>(0xC0 | (c >> 6));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        out += static_cast<char>(0xE0 | (c >> 12));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (c >> 18));
        out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    }
}

} // namespace

QString nameForDisplay(std::string_view bytes, NameFlags* flags)
{
    QString out;
    out.reserve(static_cast<qsizetype>(bytes.size()));
    std::size_t runStart = 0;
    auto flushRun = [&](std::size_t end) {
        if (end > runStart)
            out += QString::fromUtf8(bytes.data() + runStart, static_cast<qsizetype>(end - runStart));
    };
    for (std::size_t i = 0; i < bytes.size();) {
        const std::size_t len = charLen(bytes, i);
        const auto c0 = static_cast<unsigned char>(bytes[i]);
        // Printable ASCII and plain UTF-8 go as they are, in runs.
        if ((c0 >= 0x20 && c0 < 0x7F)
            || (len > 1 && !isHiddenFormat(codePointAt(bytes, i)) && c0 != 0xC2 && c0 != 0xE2)) {
            i += len;
            continue;
        }
        const std::u32string standIn = standInFor(bytes, i, len);
        if (!standIn.empty()) {
            flushRun(i);
            out += QString::fromStdU32String(standIn);
            if (flags) {
                if (standIn.front() == kReplacement)
                    flags->invalidUtf8 = true;
                else
                    flags->controlChars = true;
            }
            runStart = i + len;
        }
        i += len;
    }
    flushRun(bytes.size());
    return out;
}

QString escapedName(std::string_view bytes)
{
    std::string out;
    static constexpr char kHex[] = "0123456789ABCDEF";
    for (std::size_t i = 0; i < bytes.size();) {
        const std::size_t len = charLen(bytes, i);
        const auto c0 = static_cast<unsigned char>(bytes[i]);
        if ((len == 1 && (c0 < 0x20 || c0 >= 0x7F)) || !standInFor(bytes, i, len).empty()) {
            for (std::size_t k = 0; k < len; ++k) {
                const auto b = static_cast<unsigned char>(bytes[i + k]);
                out += "\\x";
                out += kHex[b >> 4];
                out += kHex[b & 0xF];
            }
        } else if (c0 == '\\') {
            out += "\\\\";
        } else {
            out.append(bytes.substr(i, len));
        }
        i += len;
    }
    return QString::fromUtf8(out.data(), static_cast<qsizetype>(out.size()));
}

std::string bytesFromEditedName(std::string_view original, const QString& edited)
{
    // The original as shown, one character at a time: each with the bytes it stands for and
    // how many shown characters those bytes take (an escape takes several).
    struct Shown {
        char32_t c;
        std::string_view bytes;
        /// Shown characters of these bytes starting here; 0 inside an escape.
        std::size_t span;
    };
    std::vector<Shown> shown;
    for (std::size_t i = 0; i < original.size();) {
        const std::size_t len = charLen(original, i);
        const std::string_view bytes = original.substr(i, len);
        std::u32string text = standInFor(original, i, len);
        if (text.empty())
            text = QString::fromUtf8(bytes.data(), static_cast<qsizetype>(len)).toStdU32String();
        for (std::size_t k = 0; k < text.size(); ++k)
            shown.push_back({text[k], bytes, k == 0 ? text.size() : 0});
        i += len;
    }
    const std::u32string typed = edited.toStdU32String();
    const std::size_t n = shown.size();
    const std::size_t m = typed.size();
    // Align the typed text with the shown one (longest common subsequence), so that what was
    // left in place gives back its own bytes whatever was typed or deleted around it.
    std::vector<std::ptrdiff_t> from(m, -1);
    if (n * m <= (1u << 22)) {
        std::vector<std::uint16_t> lcs((n + 1) * (m + 1), 0);
        auto at = [&](std::size_t a, std::size_t b) -> std::uint16_t& { return lcs[a * (m + 1) + b]; };
        for (std::size_t a = n; a-- > 0;)
            for (std::size_t b = m; b-- > 0;)
                at(a, b) = shown[a].c == typed[b] ? static_cast<std::uint16_t>(at(a + 1, b + 1) + 1)
                                                  : std::max(at(a + 1, b), at(a, b + 1));
        for (std::size_t a = 0, b = 0; a < n && b < m;) {
            if (shown[a].c == typed[b]) {
                from[b] = static_cast<std::ptrdiff_t>(a);
                ++a;
                ++b;
            } else if (at(a + 1, b) >= at(a, b + 1)) {
                ++a;
            } else {
                ++b;
            }
        }
    }
    // U+FFFD that were deleted: their bytes go to a U+FFFD typed elsewhere, in order.
    std::vector<bool> kept(n, false);
    for (const std::ptrdiff_t a : from) {
        if (a >= 0)
            kept[static_cast<std::size_t>(a)] = true;
    }
    std::deque<std::string_view> spare;
    for (std::size_t a = 0; a < n; ++a) {
        if (!kept[a] && shown[a].c == kReplacement && shown[a].span == 1)
            spare.push_back(shown[a].bytes);
    }
    std::string out;
    for (std::size_t b = 0; b < m;) {
        const std::ptrdiff_t a = from[b];
        if (a >= 0 && shown[static_cast<std::size_t>(a)].span > 0) {
            // The whole of what stands for these bytes is still there, in one piece.
            const std::size_t span = shown[static_cast<std::size_t>(a)].span;
            bool whole = b + span <= m;
            for (std::size_t k = 1; whole && k < span; ++k)
                whole = from[b + k] == a + static_cast<std::ptrdiff_t>(k);
            if (whole) {
                out.append(shown[static_cast<std::size_t>(a)].bytes);
                b += span;
                continue;
            }
        }
        if (typed[b] == kReplacement && a < 0 && !spare.empty()) {
            out.append(spare.front());
            spare.pop_front();
        } else {
            appendUtf8(out, typed[b]);
        }
        ++b;
    }
    return out;
}

} // namespace brindle
