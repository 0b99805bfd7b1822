#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace brindle
{

// Names are byte strings. A character is one well-formed UTF-8 sequence, or a single byte that
// is not part of one. Every position and count below is in characters, so ASCII names behave
// byte for byte and no UTF-8 character is ever cut in two.

/// Byte length of the character that starts at byte i (1 to 4); 0 at or past the end.
std::size_t charLen(std::string_view s, std::size_t i);

/// Number of characters in s.
std::size_t charCount(std::string_view s);

/// Byte offset just after the first n characters of s; n is clamped to 0 and to the length.
std::size_t byteOffsetOfChar(std::string_view s, std::int64_t n);

/// Whether byte offset i of s starts a character (the end of s counts as a boundary).
bool isCharBoundary(std::string_view s, std::size_t i);

/// Byte offset of the first occurrence of what in s, at or after byte offset from, that starts
/// and ends on character boundaries; npos when there is none or what is empty.
std::size_t findWhole(std::string_view s, std::string_view what, std::size_t from = 0);

/// Whether s is well-formed UTF-8 throughout.
bool isValidUtf8(std::string_view s);

/// Whether every byte of s is below 0x80.
bool isAscii(std::string_view s);

} // namespace brindle
