#include "core/jobs/NumberText.h"

#include <algorithm>
#include <charconv>

namespace brindle
{

std::string zeroPaddedNumber(std::int32_t value, std::int32_t width)
{
    char digits[16];
    const auto res = std::to_chars(digits, digits + sizeof digits, value);
    const auto len = static_cast<std::int32_t>(res.ptr - digits);
    const std::int32_t field = std::min<std::int32_t>(width, 255);
    // The sign stays in front of the zeros: -5 at width 3 is "-05".
    const bool negative = value < 0;
    std::string out;
    if (negative)
        out += '-';
    if (field > len)
        out.append(static_cast<std::size_t>(field - len), '0');
    out.append(digits + (negative ? 1 : 0), res.ptr);
    return out;
}

std::string pluralize(std::int32_t number, std::string_view noun)
{
    std::string out = std::to_string(number);
    out += ' ';
    out += noun;
    if (number != 1)
        out += 's';
    return out;
}

std::string ordinalSuffix(std::int32_t number)
{
    std::string out = std::to_string(number);
    switch (out.back()) {
    case '1':
        return out + "st";
    case '2':
        return out + "nd";
    case '3':
        return out + "rd";
    default:
        return out + "th";
    }
}

} // namespace brindle
