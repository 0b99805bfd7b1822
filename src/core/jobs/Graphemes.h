#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace brindle
{

// Positions and counts of the jobs are in characters as a user sees them: an ICU grapheme
// cluster of the valid UTF-8 in a name ("e" and a combining accent are one), and a byte that is
// not part of a valid UTF-8 sequence is one character on its own. An ASCII name counts byte for
// byte, so names without combining sequences count as before.

/// Number of user-perceived characters in s.
std::size_t graphemeCount(std::string_view s);

/// Byte offset just after the first n user-perceived characters of s; n is clamped to 0 and to
/// the length.
std::size_t byteOffsetOfGrapheme(std::string_view s, std::int64_t n);

} // namespace brindle
