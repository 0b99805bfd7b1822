#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
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

/// ASCII A-Z to a-z in place; every other byte unchanged.
void lowerCaseInPlace(std::string& s, std::size_t from = 0, std::size_t to = std::string::npos);
/// ASCII a-z to A-Z in place; every other byte unchanged.
void upperCaseInPlace(std::string& s, std::size_t from = 0, std::size_t to = std::string::npos);

std::string lowerCase(std::string_view s);
std::string upperCase(std::string_view s);

/// Lower-case the text, then upper-case its first character and every character that follows
/// one of the separators. Only ASCII letters change. Works on s[from, to).
void normalizeCaseInPlace(
    std::string& s, std::string_view separators, std::size_t from = 0, std::size_t to = std::string::npos);
std::string normalizeCase(std::string_view s, std::string_view separators);

/// The three case changes of the case jobs.
enum class CaseChange : std::uint8_t { Lower, Upper, Normal };

/// Every letter's case changed by Unicode's full case mapping (ICU, root locale), so the length
/// may change ('ß' upper-cased is "SS"). The separators split the text into words: each word is
/// mapped as a whole (a Greek capital sigma ending a word becomes 'ς'), and Normal title-cases
/// the first character of every word and lower-cases the rest. Separators and bytes that are not
/// part of a UTF-8 sequence stay as they are. An ASCII text changes exactly as lowerCase,
/// upperCase and normalizeCase change it.
std::string unicodeCase(std::string_view s, CaseChange change, std::string_view separators);

/// Decimal value right-aligned in a field of width characters (at most 255), padded with "0"
/// on the left; a negative value keeps its zeros before the sign ("00-5").
std::string zeroPaddedNumber(std::int32_t value, std::int32_t width);

/// "1 character", "0 characters", "-2 characters".
std::string pluralize(std::int32_t number, std::string_view noun);

/// The number followed by "st", "nd", "rd" or "th" chosen by its last digit only ("11st").
std::string ordinalSuffix(std::int32_t number);

} // namespace brindle
