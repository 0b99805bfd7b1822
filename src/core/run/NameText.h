#pragma once

#include <string>
#include <string_view>

namespace brindle
{

/// A name as one line of text that an editor shows and keeps: C-style escapes for the bytes
/// that are not printable UTF-8 ("\\" for a backslash, "\n", "\t", "\xHH" for any other control
/// character, a byte outside valid UTF-8 or a C1 control), and "\#" for a leading "#", so the
/// line is never taken for a comment. unescapeLine(escapeName(n)) == n for every name.
std::string escapeName(std::string_view name);

/// The name a line stands for: the escapes of escapeName undone. A backslash that starts no
/// known escape stays as it is.
std::string unescapeLine(std::string_view line);

/// Whether line is a comment of an edited list of names: it begins with "# ".
bool isCommentLine(std::string_view line);

} // namespace brindle
