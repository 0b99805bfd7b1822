#pragma once

#include <cstdint>

namespace brindle
{

/// How much of a file the jobs need to know: nothing beyond its name, its dates (one statx),
/// or the metadata in its contents too (photo, audio, document and video headers).
enum class FactsNeed : std::uint8_t { None = 0, Dates = 1, Contents = 2 };

/// The greater of two needs.
constexpr FactsNeed operator|(FactsNeed a, FactsNeed b)
{
    return a > b ? a : b;
}

} // namespace brindle
