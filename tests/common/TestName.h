#pragma once

#include <cstdio>
#include <string>
#include <string_view>

namespace brindle::test
{

/// A byte string as a table test's name shows it: in double quotes, printable ASCII as itself,
/// every other byte as \xHH, cut after 40 bytes with the whole length added. The name stays on
/// one line whatever the bytes, and two cases differ in their names.
inline std::string quoted(std::string_view s)
{
    constexpr std::size_t kShown = 40;
    std::string out = "\"";
    for (std::size_t i = 0; i < s.size() && i < kShown; ++i) {
        const auto c = static_cast<unsigned char>(s[i]);
        if (c >= 0x20 && c < 0x7F && c != '\\' && c != '"') {
            out += static_cast<char>(c);
        } else {
            char hex[5];
            std::snprintf(hex, sizeof hex, "\\x%02X", c);
            out += hex;
        }
    }
    out += '"';
    if (s.size() > kShown)
        out += "... (" + std::to_string(s.size()) + " bytes)";
    return out;
}

} // namespace brindle::test
