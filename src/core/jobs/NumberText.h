#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace brindle
{

/// Decimal value right-aligned in a field of width characters (at most 255), padded with "0"
/// on the left; a negative value has its sign before the zeros ("-05" at width 3).
std::string zeroPaddedNumber(std::int32_t value, std::int32_t width);

/// "1 character", "0 characters", "-2 characters".
std::string pluralize(std::int32_t number, std::string_view noun);

/// The number followed by "st", "nd", "rd" or "th" chosen by its last digit only ("11st").
std::string ordinalSuffix(std::int32_t number);

} // namespace brindle
