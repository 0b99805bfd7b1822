#include "core/base/JsonText.h"

#include <cstdint>

namespace brindle
{

namespace
{

/// Whether s is well-formed UTF-8: no overlong forms, no surrogates, nothing past U+10FFFF.
bool wellFormedUtf8(std::string_view s)
{
    const auto byte = [&](std::size_t i) { return static_cast<std::uint8_t>(s[i]); };
    for (std::size_t i = 0; i < s.size();) {
        const std::uint8_t b = byte(i);
        std::size_t len = 0;
        std::uint8_t lo = 0x80;
        std::uint8_t hi = 0xBF;
        if (b < 0x80) {
            ++i;
            continue;
        } else if (b >= 0xC2 && b <= 0xDF) {
            len = 2;
        } else if (b >= 0xE0 && b <= 0xEF) {
            len = 3;
            lo = b == 0xE0 ? 0xA0 : 0x80;
            hi = b == 0xED ? 0x9F : 0xBF;
        } else if (b >= 0xF0 && b <= 0xF4) {
            len = 4;
            lo = b == 0xF0 ? 0x90 : 0x80;
            hi = b == 0xF4 ? 0x8F : 0xBF;
        } else {
            return false;
        }
        if (i + len > s.size() || byte(i + 1) < lo || byte(i + 1) > hi)
            return false;
        for (std::size_t k = 2; k < len; ++k) {
            if (byte(i + k) < 0x80 || byte(i + k) > 0xBF)
                return false;
        }
        i += len;
    }
    return true;
}

} // namespace

void appendJsonString(std::string& out, std::string_view utf8)
{
    static constexpr char kHex[] = "0123456789abcdef";
    out += '"';
    for (const char c : utf8) {
        const auto b = static_cast<std::uint8_t>(c);
        switch (c) {
        case '"':
            out += "\\\"";
            break;
        case '\\':
            out += "\\\\";
            break;
        case '\n':
            out += "\\n";
            break;
        case '\t':
            out += "\\t";
            break;
        case '\r':
            out += "\\r";
            break;
        default:
            if (b < 0x20 || b == 0x7F) {
                out += "\\u00";
                out += kHex[b >> 4];
                out += kHex[b & 15];
            } else {
                out += c;
            }
        }
    }
    out += '"';
}

void appendJsonName(std::string& out, std::string_view name)
{
    if (wellFormedUtf8(name)) {
        appendJsonString(out, name);
        return;
    }
    out += '[';
    for (std::size_t i = 0; i < name.size(); ++i) {
        if (i != 0)
            out += ',';
        out += std::to_string(static_cast<std::uint8_t>(name[i]));
    }
    out += ']';
}

} // namespace brindle
