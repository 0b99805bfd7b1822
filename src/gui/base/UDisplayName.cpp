#include "base/UDisplayName.h"

#include <algorithm>
#include <cstdint>
#include <deque>
#include <map>
#include <vector>

#include "jobs/zmStringUtil.h"

namespace brindle
{

namespace
{

constexpr char16_t kReplacement = 0xFFFD;

/// The symbol shown for the character of len bytes at s[i], or 0 when it is shown as itself.
char16_t standInFor(std::string_view s, std::size_t i, std::size_t len)
{
    const auto c0 = static_cast<unsigned char>(s[i]);
    if (len == 1) {
        if (c0 < 0x20)
            return static_cast<char16_t>(0x2400 + c0);
        if (c0 == 0x7F)
            return 0x2421;
        return c0 >= 0x80 ? kReplacement : 0;
    }
    const auto c1 = static_cast<unsigned char>(s[i + 1]);
    // C1 controls: U+0080 to U+009F, C2 80 to C2 9F.
    if (len == 2 && c0 == 0xC2 && c1 < 0xA0)
        return kReplacement;
    // U+2028 and U+2029 break lines in text views.
    if (len == 3 && c0 == 0xE2 && c1 == 0x80
        && (static_cast<unsigned char>(s[i + 2]) == 0xA8 || static_cast<unsigned char>(s[i + 2]) == 0xA9))
        return kReplacement;
    return 0;
}

/// The character at s[i] when it is one of the symbols standInFor uses, else 0.
char16_t symbolItself(std::string_view s, std::size_t i, std::size_t len)
{
    if (len != 3)
        return 0;
    const auto c0 = static_cast<unsigned char>(s[i]);
    const auto c1 = static_cast<unsigned char>(s[i + 1]);
    const auto c2 = static_cast<unsigned char>(s[i + 2]);
    const auto c = static_cast<char16_t>(((c0 & 0x0F) << 12) | ((c1 & 0x3F) << 6) | (c2 & 0x3F));
    return (c == kReplacement || (c >= 0x2400 && c <= 0x2421)) ? c : 0;
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

QString NameForDisplay(std::string_view bytes, TNameFlags* flags)
{
    QString out;
    out.reserve(static_cast<qsizetype>(bytes.size()));
    std::size_t runStart = 0;
    auto flushRun = [&](std::size_t end) {
        if (end > runStart)
            out += QString::fromUtf8(bytes.data() + runStart, static_cast<qsizetype>(end - runStart));
    };
    for (std::size_t i = 0; i < bytes.size();) {
        const std::size_t len = CharLen(bytes, i);
        const char16_t standIn = standInFor(bytes, i, len);
        if (standIn) {
            flushRun(i);
            out += QChar(standIn);
            if (flags) {
                if (len == 1 && static_cast<unsigned char>(bytes[i]) >= 0x80)
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

QString EscapedName(std::string_view bytes)
{
    std::string out;
    static constexpr char kHex[] = "0123456789ABCDEF";
    for (std::size_t i = 0; i < bytes.size();) {
        const std::size_t len = CharLen(bytes, i);
        const auto c0 = static_cast<unsigned char>(bytes[i]);
        if ((len == 1 && (c0 < 0x20 || c0 >= 0x7F)) || standInFor(bytes, i, len)) {
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

std::string BytesFromEditedName(std::string_view original, const QString& edited)
{
    // The original as shown, one unit per character: what is shown and the bytes behind it.
    struct Unit {
        char32_t shown;
        std::string_view bytes;
        /// A symbol (or the character a symbol looks like): its bytes are not its text.
        bool symbol;
    };
    std::vector<Unit> units;
    for (std::size_t i = 0; i < original.size();) {
        const std::size_t len = CharLen(original, i);
        const std::string_view bytes = original.substr(i, len);
        if (const char16_t standIn = standInFor(original, i, len)) {
            units.push_back({standIn, bytes, true});
        } else if (const char16_t own = symbolItself(original, i, len)) {
            units.push_back({own, bytes, true});
        } else {
            const std::u32string c = QString::fromUtf8(bytes.data(), static_cast<qsizetype>(len)).toStdU32String();
            units.push_back({c.empty() ? char32_t(0xFFFD) : c.front(), bytes, false});
        }
        i += len;
    }
    const std::u32string typed = edited.toStdU32String();
    const std::size_t n = units.size();
    const std::size_t m = typed.size();
    // Align the typed text with the shown one (longest common subsequence), so that a symbol
    // left where it was gives back its own bytes whatever was typed or deleted around it.
    std::vector<std::ptrdiff_t> from(m, -1);
    if (n * m <= 1u << 20) {
        std::vector<std::uint16_t> lcs((n + 1) * (m + 1), 0);
        auto at = [&](std::size_t a, std::size_t b) -> std::uint16_t& { return lcs[a * (m + 1) + b]; };
        for (std::size_t a = n; a-- > 0;)
            for (std::size_t b = m; b-- > 0;)
                at(a, b) = units[a].shown == typed[b] ? static_cast<std::uint16_t>(at(a + 1, b + 1) + 1)
                                                      : std::max(at(a + 1, b), at(a, b + 1));
        for (std::size_t a = 0, b = 0; a < n && b < m;) {
            if (units[a].shown == typed[b]) {
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
    // Symbols typed where none was left: the ones not kept, in order.
    std::vector<bool> used(n, false);
    for (const std::ptrdiff_t a : from) {
        if (a >= 0)
            used[static_cast<std::size_t>(a)] = true;
    }
    std::map<char32_t, std::deque<std::string_view>> spare;
    for (std::size_t a = 0; a < n; ++a) {
        if (!used[a] && units[a].symbol)
            spare[units[a].shown].push_back(units[a].bytes);
    }
    std::string out;
    for (std::size_t b = 0; b < m; ++b) {
        if (from[b] >= 0) {
            out.append(units[static_cast<std::size_t>(from[b])].bytes);
            continue;
        }
        const auto found = spare.find(typed[b]);
        if (found != spare.end() && !found->second.empty()) {
            out.append(found->second.front());
            found->second.pop_front();
            continue;
        }
        appendUtf8(out, typed[b]);
    }
    return out;
}

} // namespace brindle
