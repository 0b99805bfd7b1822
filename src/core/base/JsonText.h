#pragma once

#include <string>
#include <string_view>

namespace brindle
{

/// Appends utf8 as a JSON string: quotes, the escapes JSON requires (the quote, the backslash,
/// control characters as \n, \t or \u00XX). utf8 must be valid UTF-8.
void appendJsonString(std::string& out, std::string_view utf8);

/// Appends a name: a JSON string when it is valid UTF-8, otherwise a JSON array of its byte
/// values, so that any name of the file system is written exactly and reads back.
void appendJsonName(std::string& out, std::string_view name);

} // namespace brindle
