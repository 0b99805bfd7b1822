#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

namespace brindle
{

/// A whole number in decimal: an optional sign, then one or more digits, within 64 bits.
/// Nothing else (no blanks, no second sign, no base prefix) is taken; none for any other text.
std::optional<std::int64_t> parseInt64(std::string_view text);

/// parseInt64 within 32 bits.
std::optional<std::int32_t> parseInt32(std::string_view text);

} // namespace brindle
