#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace brindle
{

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

} // namespace brindle
