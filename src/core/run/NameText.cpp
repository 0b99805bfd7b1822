#include "core/run/NameText.h"

#include <cstdint>

#include "core/jobs/Utf8Chars.h"

namespace brindle
{

namespace
{

constexpr char kHex[] = "0123456789abcdef";

void appendHexByte(std::string& out, char c)
{
    const auto b = static_cast<std::uint8_t>(c);
    out += "\\x";
    out += kHex[b >> 4];
    out += kHex[b & 15];
}

int hexValue(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

/// Whether the UTF-8 sequence of len bytes at s[i] is a character an editor shows as it is:
/// not a C1 control, not a line or paragraph separator, not a byte-order mark.
bool printableSequence(std::string_view s, std::size_t i, std::size_t len)
{
    const auto b0 = static_cast<std::uint8_t>(s[i]);
    const auto b1 = static_cast<std::uint8_t>(s[i + 1]);
    if (len == 2 && b0 == 0xC2 && b1 < 0xA0)
        return false; // U+0080 to U+009F
    if (len == 3 && b0 == 0xE2 && b1 == 0x80) {
        const auto b2 = static_cast<std::uint8_t>(s[i + 2]);
        return b2 != 0xA8 && b2 != 0xA9; // U+2028, U+2029
    }
    if (len == 3 && b0 == 0xEF && b1 == 0xBB && static_cast<std::uint8_t>(s[i + 2]) == 0xBF)
        return false; // U+FEFF
    return true;
}

} // namespace

std::string escapeName(std::string_view name)
{
    std::string out;
    out.reserve(name.size() + 2);
    if (name.starts_with('#'))
        out += '\\';
    for (std::size_t i = 0; i < name.size();) {
        const char c = name[i];
        const auto b = static_cast<std::uint8_t>(c);
        if (b < 0x80) {
            if (c == '\\')
                out += "\\\\";
            else if (c == '\n')
                out += "\\n";
            else if (c == '\t')
                out += "\\t";
            else if (b < 0x20 || b == 0x7F)
                appendHexByte(out, c);
            else
                out += c;
            ++i;
            continue;
        }
        const std::size_t len = charLen(name, i);
        // A byte outside any UTF-8 sequence is a character of length 1.
        if (len > 1 && printableSequence(name, i, len)) {
            out.append(name, i, len);
        } else {
            for (std::size_t k = 0; k < len; ++k)
                appendHexByte(out, name[i + k]);
        }
        i += len;
    }
    return out;
}

std::string unescapeLine(std::string_view line)
{
    std::string out;
    out.reserve(line.size());
    for (std::size_t i = 0; i < line.size(); ++i) {
        const char c = line[i];
        if (c != '\\' || i + 1 == line.size()) {
            out += c;
            continue;
        }
        const char e = line[i + 1];
        if (e == '\\' || e == '#') {
            out += e;
            ++i;
        } else if (e == 'n') {
            out += '\n';
            ++i;
        } else if (e == 't') {
            out += '\t';
            ++i;
        } else if (e == 'x' && i + 3 < line.size() && hexValue(line[i + 2]) >= 0
            && hexValue(line[i + 3]) >= 0) {
            out += static_cast<char>(hexValue(line[i + 2]) * 16 + hexValue(line[i + 3]));
            i += 3;
        } else {
            out += c;
        }
    }
    return out;
}

bool isCommentLine(std::string_view line)
{
    return line.starts_with("# ");
}

} // namespace brindle
