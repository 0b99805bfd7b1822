#pragma once

#include <string>
#include <string_view>

namespace brindle
{

/// Appends utf8 to out as a JSON string: quoted, with '"', '\' and the control characters
/// escaped. The text is taken as valid UTF-8.
void appendJsonString(std::string& out, std::string_view utf8);

/// Appends a file name to out as JSON: a string when name is valid UTF-8, otherwise an array
/// of its byte values, so that a name that is no text still reads back byte for byte.
void appendJsonName(std::string& out, std::string_view name);

/// Whether s is valid UTF-8 (no overlong forms, no surrogates, nothing above U+10FFFF).
bool isUtf8Text(std::string_view s);

} // namespace brindle
