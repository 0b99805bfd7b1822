#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "core/base/Result.h"

namespace brindle
{

/// How a list of old and new names is written.
enum class NameListFormat : unsigned char {
    Detect, ///< tab-separated when the first line holds a tab, CSV otherwise
    Tsv, ///< "old<TAB>new" a line; further columns are ignored
    Csv, ///< two columns (more are ignored), quoted as RFC 4180 says
    Nul, ///< old and new names, each ended by a NUL byte
};

/// One line of a list: an old name (or a path relative to the folder) and its new name.
struct NamePair {
    std::string oldName;
    std::string newName;
    std::size_t line = 0; ///< 1-based; the pair's number in a NUL-separated list
};

/// The pairs of a list file's text. Empty lines are skipped; a CR before a line's end is
/// dropped. A line with one column, an unclosed quote or an odd number of NUL-separated names
/// fails with its line number.
Result<std::vector<NamePair>> parseNameList(std::string_view text, NameListFormat format);

/// Appends the fields of one tab-separated line, each field as it is, and a line feed.
void appendTsvLine(std::string& out, std::initializer_list<std::string_view> fields);

/// Whether a name can stand in a tab-separated line as it is (no tab, line feed or CR).
bool fitsTsv(std::string_view name);

} // namespace brindle
