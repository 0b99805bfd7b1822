#pragma once

#include <string>
#include <utility>
#include <vector>

#include "jobs/JobTestUtil.h"

namespace brindle::test
{

/// One regular-expression replace job that gives each name of map its new name and leaves
/// every other name alone: any chain, swap, rotation or clash a test needs. Names must not hold
/// "\E", and new names none of "$", "\", ":" and "}".
inline Job mapJob(const std::vector<std::pair<std::string, std::string>>& map)
{
    std::string pattern = "\\A(?:";
    std::string replacement;
    for (std::size_t k = 0; k < map.size(); ++k) {
        if (k != 0)
            pattern += '|';
        pattern += "(\\Q" + map[k].first + "\\E)";
        // Only the group that matched gives its text.
        replacement += "${" + std::to_string(k + 1) + ":+" + map[k].second + ":}";
    }
    pattern += ")\\z";
    return makeJob(jobReplace, replaceRegex, 1, 0, pattern, replacement);
}

} // namespace brindle::test
